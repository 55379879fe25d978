#!/usr/bin/env bash
# End-to-end run of the clone-stamp edition under a virtual X server, driven
# with xdotool as a person would: start it with a photo on the command line,
# close the first-run About box, show the photo at 100 %, widen the pen in
# the option strip's pop-up (radius typed into its box), hold Alt and click a
# clean place as the source, drag a stroke over the dust spot, save with
# check the window after Ctrl+Z, then Ctrl+Y, save with Ctrl+S and quit with
# Escape. The saved photo must show the stroke copied from the source
# through the pen and nothing changed away from it; after Ctrl+Z the window
# must show the opened photo to the last byte. (Saving gives up the oldest
# history steps, so the undo is looked at on the screen, before the save.)
#
# Usage: e2e_clone_xvfb.sh CORVANELOADER PIXELCHECK   (the clone stamp edition)
# Exit status: 0 passed, 1 failed, 77 skipped (xvfb-run or xdotool missing).
set -euo pipefail
source "$(dirname "$0")/e2e/xvfb_run.sh"

# The photo (240 x 160, dust spot at (120, 80)) is centred in the view at
# 100 %. The stroke runs along row 80 from x 95 to 150 over the spot; the
# source is the clean place 70 pixels to the left of its start.
readonly SOURCE_X=25 STROKE_X0=95 STROKE_X1=150 ROW=80 RADIUS=8

if [[ "${1:-}" == --inside ]]; then
  # ---- inside the virtual X server -------------------------------------------
  program=$2 check=$3 work=$4
  e2e_inside
  "$program" "$work/photo.png" >"$work/program.out" 2>&1 &
  pid=$!
  close_first_run_about
  main=$(find_window 'photo\.png' 10) || fail "the photo named on the command line was not opened"
  xdotool windowfocus --sync "$main"
  xdotool key --clearmodifiers ctrl+h  # 100 %
  eval "$(xdotool getwindowgeometry --shell "$main")"

  # The option strip runs under the toolbar (44 pixels) and is 32 high; the
  # pen's line sits at its left, and its pop-up opens below the line with
  # the radius box at its top right.
  xdotool mousemove --sync $((X + 48)) $((Y + 60)) click 1
  sleep 0.5
  xdotool mousemove --sync $((X + 253)) $((Y + 85)) click 1
  xdotool key End BackSpace BackSpace BackSpace $RADIUS
  sleep 0.2
  xdotool key Escape  # closes the pop-up: the pen takes the radius
  sleep 0.3

  # Image pixel (x, y) on the screen: the view lies between the strip (top
  # 76) and the status bar (24 high), the photo centred in it.
  top=76
  cx=$((X + WIDTH / 2 - 120)) cy=$((Y + top + (HEIGHT - top - 24) / 2 - 80))
  xdotool keydown alt
  sleep 0.3  # the clone stamp looks at Alt every 200 ms
  xdotool mousemove --sync $((cx + SOURCE_X)) $((cy + ROW)) click 1
  xdotool keyup alt
  sleep 0.3
  xdotool mousemove --sync $((cx + STROKE_X0)) $((cy + ROW)) mousedown 1
  for ((x = STROKE_X0 + 5; x <= STROKE_X1; x += 5)); do
    sleep 0.02
    xdotool mousemove --sync $((cx + x)) $((cy + ROW))
  done
  sleep 0.05
  xdotool mouseup 1
  sleep 0.5

  xdotool mousemove --sync $((X + WIDTH - 20)) $((Y + HEIGHT - 60))  # the pointer off the photo
  xdotool key --clearmodifiers ctrl+z
  sleep 0.5
  "$check" grab "$work/undone.png" || fail "no screenshot"
  echo "$cx $cy" >"$work/photo-corner"
  xdotool key --clearmodifiers ctrl+y
  sleep 0.3
  xdotool key --clearmodifiers ctrl+s
  wait_changed "$work/photo.png" "$work/spotted.png" 10 || fail "Ctrl+S did not save the stroke"
  sleep 0.2
  quit_with_escape "$pid"
  exit 0
fi

# ---- set-up and check, outside the X server -----------------------------------
e2e_setup "$1" "$2"
cp "$work/photo.png" "$work/spotted.png"
status=0
e2e_run "$0" --inside "$program" "$check" "$work" || status=$?
if ((status == 0)); then
  read -r left top <"$work/photo-corner"
  "$check" clone "$work/spotted.png" "$work/photo.png" "$work/undone.png" "$left" "$top" $((SOURCE_X - STROKE_X0)) 0 \
    $STROKE_X0 $STROKE_X1 $ROW $RADIUS || status=1
fi
if ((status != 0)); then
  e2e_report_failure
  exit 1
fi
echo "PASS: the clone stroke was painted, saved and undone"
