# What the end-to-end runs of the real program share (sourced, not run):
# the set-up outside the virtual X server and the helpers inside it.
#
# A run script calls, outside the server:
#   e2e_setup PROGRAM CHECK
#                          skips (exit 77) where xvfb-run, Xvfb or xdotool are
#                          missing; sets $program and $check (absolute paths);
#                          makes the temporary folder $work (removed on exit),
#                          points every folder the program writes to (settings,
#                          log, lock) into it, and draws the test photo
#                          ($work/clean.png, $work/photo.png with its dust spot)
#   e2e_run SCRIPT ARGS    runs `bash SCRIPT --inside ARGS` under a fresh
#                          virtual X server, again when the server did not
#                          come up (the inside exits 75); returns its status
#   e2e_report_failure     prints the program's output and log
# and, inside the server:
#   e2e_inside             exits 75 when no display answers
#   find_window NAME SECS  prints the id of a visible window whose name
#                          matches NAME, waiting up to SECS seconds
#   wait_gone NAME SECS    waits until no such window is visible
#   wait_changed A B SECS  waits until file A differs from file B
#   close_first_run_about  waits for the About box a first run opens and
#                          closes it with Escape
#   quit_with_escape PID   types Escape (Exit; nothing may be unsaved) and
#                          fails unless the program PID ends with status 0
#   fail TEXT              reports and exits 1

fail() { echo "FAIL: $*" >&2; exit 1; }

e2e_inside() { xdotool getdisplaygeometry >/dev/null 2>&1 || exit 75; }

find_window() {
  local deadline=$((SECONDS + $2)) id
  while ((SECONDS < deadline)); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1 || true)
    [[ -n "$id" ]] && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}

wait_gone() {
  local deadline=$((SECONDS + $2))
  while ((SECONDS < deadline)); do
    xdotool search --onlyvisible --name "$1" >/dev/null 2>&1 || return 0
    sleep 0.1
  done
  return 1
}

wait_changed() {
  local deadline=$((SECONDS + $3))
  until ! cmp -s "$1" "$2"; do
    ((SECONDS < deadline)) || return 1
    sleep 0.1
  done
}

close_first_run_about() {
  local about
  about=$(find_window '^About ' 20) || fail "the About box did not open on the first run"
  xdotool windowfocus --sync "$about" key Escape
  wait_gone '^About ' 10 || fail "Escape did not close the About box"
}

quit_with_escape() {
  xdotool key --clearmodifiers Escape
  for _ in $(seq 100); do kill -0 "$1" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$1" 2>/dev/null; then kill "$1"; fail "Escape did not end the program"; fi
  wait "$1" || fail "the program ended with status $?"
}

e2e_setup() {
  program=$(realpath "$1")
  check=$(realpath "$2")
  local tool
  for tool in xvfb-run xdotool Xvfb; do
    if ! command -v "$tool" >/dev/null 2>&1; then
      echo "SKIP: $tool is not installed (the end-to-end run needs xvfb and xdotool)"
      exit 77
    fi
  done
  work=$(mktemp -d "${TMPDIR:-/tmp}/corvane-e2e.XXXXXX")
  trap 'rm -rf "$work"' EXIT
  mkdir -p "$work/home" "$work/run"
  chmod 700 "$work/run"
  export HOME=$work/home XDG_RUNTIME_DIR=$work/run
  export CORVANE_LOG_DIR=$work/log CORVANE_CONFIG_DIR=$work/config CORVANE_MACHINE_DIR=$work/machine
  export CORVANE_SHARED_DIR=$work/shared CORVANE_RUNTIME_DIR=$work/run
  unset QT_QPA_PLATFORM  # the real X platform, not the tests' offscreen one
  # In sanitizer builds: leaks of the desktop's system libraries are theirs.
  local here
  here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
  export LSAN_OPTIONS="suppressions=$here/lsan.supp:print_suppressions=0${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
  "$check" make "$work/clean.png" "$work/photo.png"
}

e2e_run() {
  local status=75 attempt
  for attempt in 1 2 3; do
    ((status == 75)) || break
    status=0
    # A display number away from the usual :99, which a server that has just
    # ended may still hold; -noreset keeps the server from resetting (and
    # refusing connections meanwhile) each time its last client leaves.
    xvfb-run -a -n $((100 + RANDOM % 800)) -s "-noreset -screen 0 1280x1024x24" bash "$@" || status=$?
  done
  return "$status"
}

e2e_report_failure() {
  echo "---- program output"; cat "$work/program.out" 2>/dev/null || true
  echo "---- log"; tail -n 40 "$work/log/CorvaneLoader.log" 2>/dev/null || true
}
