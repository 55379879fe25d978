#!/usr/bin/env bash
# End-to-end run of the real program under a virtual X server, driven with
# xdotool as a person would: start it with a photo on the command line,
# close the first-run About box, type into the spot-size box, click the dark
# spot in the photo, save with Ctrl+S, quit with Escape; then check that the
# saved photo has the spot repaired and nothing else changed. The photo's
# file name holds a Latin-1 byte, as names from old cameras do: the title
# must show it readably and the save must go to that very file.
#
# Usage: e2e_xvfb.sh CORVANELOADER PIXELCHECK
# Exit status: 0 passed, 1 failed, 77 skipped (xvfb-run or xdotool missing).
# Everything the program writes (settings, log, lock) goes to a temporary
# folder that is removed afterwards; the log is printed when the run fails.
set -euo pipefail

if [[ "${1:-}" == --inside ]]; then
  # ---- inside the virtual X server -------------------------------------------
  program=$2 work=$3
  fail() { echo "FAIL: $*" >&2; exit 1; }
  # A server that did not come up (a display number still in use by one
  # shutting down) is reported apart, so the run is tried again.
  xdotool getdisplaygeometry >/dev/null 2>&1 || exit 75
  # Waits up to $2 seconds for a visible window whose name matches $1.
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

  "$program" "$work/photo-$(printf '\xe9').png" >"$work/program.out" 2>&1 &
  pid=$!
  # First run: the About box introduces the program; Escape closes it.
  about=$(find_window '^About ' 20) || fail "the About box did not open on the first run"
  xdotool windowfocus --sync "$about" key Escape
  wait_gone '^About ' 10 || fail "Escape did not close the About box"
  main=$(find_window 'photo-é\.png' 10) || fail "the photo named on the command line was not opened (or not named readably)"
  xdotool windowfocus --sync "$main"

  eval "$(xdotool getwindowgeometry --shell "$main")"
  # Keys typed into the spot-size box stay there: an r must not turn the
  # photo (the saved file would then be turned), Up and Down change the
  # number and leave it at 15. The box sits right of the label (70 pixels)
  # and the slider (150) in the strip under the 44-pixel toolbar.
  xdotool mousemove --sync $((X + 240)) $((Y + 60)) click 1
  xdotool key --clearmodifiers r Up Down
  sleep 0.5

  # The photo is fitted into the view and centred in it, so the spot at the
  # photo's centre lies at the view's centre: below the toolbar (44 pixels)
  # and the option strip (about 32), above the status bar (24). The spot
  # remover's 15-pixel square forgives a few pixels of error.
  top=$((44 + 32))
  x=$((X + WIDTH / 2))
  y=$((Y + top + (HEIGHT - top - 24) / 2))
  xdotool mousemove --sync "$x" "$y" click 1
  sleep 1  # the repair runs on the worker thread
  xdotool key --clearmodifiers ctrl+s
  deadline=$((SECONDS + 10))
  until ! cmp -s "$work/photo.png" "$work/spotted.png"; do
    ((SECONDS < deadline)) || fail "Ctrl+S did not save the photo"
    sleep 0.1
  done
  [[ ! -e "$work/photo-é.png" ]] || fail "the photo was saved under another name"
  xdotool key --clearmodifiers Escape  # Exit: nothing unsaved, so no question
  for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$pid" 2>/dev/null; then kill "$pid"; fail "Escape did not end the program"; fi
  wait "$pid" || fail "the program ended with status $?"
  exit 0
fi

# ---- set-up and check, outside the X server -----------------------------------
program=$(realpath "$1")
check=$(realpath "$2")
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
here=$(cd "$(dirname "$0")" && pwd)
export LSAN_OPTIONS="suppressions=$here/e2e/lsan.supp:print_suppressions=0${LSAN_OPTIONS:+:$LSAN_OPTIONS}"

"$check" make "$work/clean.png" "$work/photo.png"
# The program gets the Latin-1 name; the checks read it through a plain one.
mv "$work/photo.png" "$work/photo-$(printf '\xe9').png"
ln -s "photo-$(printf '\xe9').png" "$work/photo.png"
cp "$work/photo.png" "$work/spotted.png"

status=75
for attempt in 1 2 3; do
  ((status == 75)) || break
  status=0
  # A display number away from the usual :99, which a server that has just
  # ended may still hold; -noreset keeps the server from resetting (and
  # refusing connections meanwhile) each time its last client leaves.
  xvfb-run -a -n $((100 + RANDOM % 800)) -s "-noreset -screen 0 1280x1024x24" bash "$0" --inside "$program" "$work" ||
    status=$?
done
if ((status == 0)); then
  "$check" check "$work/clean.png" "$work/spotted.png" "$work/photo.png" || status=1
fi
if ((status != 0)); then
  echo "---- program output"; cat "$work/program.out" 2>/dev/null || true
  echo "---- log"; tail -n 40 "$work/log/CorvaneLoader.log" 2>/dev/null || true
  exit 1
fi
echo "PASS: the spot was repaired and saved"
