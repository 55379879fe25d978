#!/usr/bin/env bash
# Measures the program's start-up: from starting the process to its main
# window being mapped on a virtual X server, for several runs, and prints
# each time and the median in milliseconds. Not a test: run it by hand.
#
# Usage: startup_xvfb.sh CORVANELOADER [RUNS] [PHOTO]
# With PHOTO, the time runs until the window's title names the opened photo.
set -euo pipefail

if [[ "${1:-}" == --inside ]]; then
  program=$2 runs=$3 photo=${4:-}
  xdotool getdisplaygeometry >/dev/null || { echo "no display" >&2; exit 1; }
  pattern='Quillmark'
  [[ -n "$photo" ]] && pattern=$(basename "$photo" | sed 's/[.]/\\./g')
  times=()
  for ((run = 1; run <= runs; run++)); do
    start=$(date +%s%N)
    if [[ -n "$photo" ]]; then "$program" "$photo" >>"$HOME/program.out" 2>&1 & else "$program" >>"$HOME/program.out" 2>&1 & fi
    pid=$!
    until xdotool search --onlyvisible --name "$pattern" >/dev/null 2>&1; do sleep 0.005; done
    end=$(date +%s%N)
    times+=($(((end - start) / 1000000)))
    kill "$pid"; wait "$pid" 2>/dev/null || true
  done
  echo "runs (ms): ${times[*]}"
  sorted=($(printf '%s\n' "${times[@]}" | sort -n))
  echo "median (ms): ${sorted[$((runs / 2))]}"
  exit 0
fi

program=$(realpath "$1")
runs=${2:-9}
photo=${3:+$(realpath "$3")}
work=$(mktemp -d "${TMPDIR:-/tmp}/corvane-startup.XXXXXX")
trap '[[ -n "${KEEP:-}" ]] || rm -rf "$work"' EXIT
mkdir -p "$work/run" && chmod 700 "$work/run"
export HOME=$work XDG_RUNTIME_DIR=$work/run CORVANE_LOG_DIR=$work/log CORVANE_CONFIG_DIR=$work/config
export CORVANE_MACHINE_DIR=$work/machine CORVANE_SHARED_DIR=$work/shared CORVANE_RUNTIME_DIR=$work/run
unset QT_QPA_PLATFORM
xvfb-run -a -n $((100 + RANDOM % 800)) -s "-noreset -screen 0 1280x1024x24" bash "$0" --inside "$program" "$runs" "$photo"
