#!/usr/bin/env bash
# End-to-end run of the real program under a virtual X server, driven with
# xdotool as a person would: start it with a photo on the command line,
# close the first-run About box, type into the spot-size box; drag along the
# hair in the photo with Shift held (a healing stroke); undo it with Ctrl+Z
# and redo it with Ctrl+Y, then save with Ctrl+S; click the dark spot and
# save; quit with Escape. Then check that after the undo the view showed
# exactly what it showed before the stroke (the stroke was one step and its
# undo exact), that the first save has the hair healed and nothing changed
# away from it, and that the second has the spot repaired too and nothing
# else changed. The photo's file name holds a Latin-1 byte, as names from
# old cameras do: the title must show it readably and the saves must go to
# that very file.
#
# Usage: e2e_xvfb.sh CORVANELOADER PIXELCHECK   (the spot remover edition)
# Exit status: 0 passed, 1 failed, 77 skipped (xvfb-run or xdotool missing).
# Everything the program writes (settings, log, lock) goes to a temporary
# folder that is removed afterwards; the log is printed when the run fails.
# With CORVANE_E2E_SHOTS set to a folder, screenshots of the screen before,
# during and after the stroke are written there.
set -euo pipefail
source "$(dirname "$0")/e2e/xvfb_run.sh"

if [[ "${1:-}" == --inside ]]; then
  # ---- inside the virtual X server -------------------------------------------
  program=$2 work=$3 check=$4
  e2e_inside
  "$program" "$work/photo-$(printf '\xe9').png" >"$work/program.out" 2>&1 &
  pid=$!
  close_first_run_about
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

  # The photo is fitted into the view and centred in it: below the toolbar
  # (44 pixels) and the option strip (about 32), above the status bar (24).
  # The spot remover's 15-pixel square and stroke forgive a pixel or two.
  top=$((44 + 32)) viewHeight=$((HEIGHT - 44 - 32 - 24))
  # screen X Y of photo pixel (x, y): prints "X Y".
  on_screen() {
    awk -v x="$1" -v y="$2" -v X="$X" -v Y="$Y" -v top="$top" -v w="$WIDTH" -v h="$viewHeight" 'BEGIN {
      zoom = w / 240; if (h / 160 < zoom) zoom = h / 160
      printf "%d %d\n", X + (w - 240 * zoom) / 2 + (x + 0.5) * zoom, Y + top + (h - 160 * zoom) / 2 + (y + 0.5) * zoom }'
  }
  shot() { [[ -n "${CORVANE_E2E_SHOTS:-}" ]] && import -window root "$CORVANE_E2E_SHOTS/$1.png" || true; }
  # The image view as the screen shows it, into $work/$1.png.
  view_shot() { import -window root -crop "${WIDTH}x${viewHeight}+${X}+$((Y + top))" +repage "$work/$1.png"; }
  # Saves with Ctrl+S (over the photo's file) and keeps a copy of it as $1.
  # (The program saves only a changed photo; a save gives up the history's
  # steps older than the one on screen.)
  save_as() {
    local before deadline=$((SECONDS + 10))
    before=$(stat -L -c %y "$work/photo.png")
    xdotool key --clearmodifiers ctrl+s
    until [[ "$(stat -L -c %y "$work/photo.png")" != "$before" ]]; do
      ((SECONDS < deadline)) || fail "Ctrl+S did not save the photo ($1)"
      sleep 0.1
    done
    sleep 0.2  # the file is written in one go, but let the writer finish
    cp "$work/photo.png" "$1"
  }

  # The healing stroke: Shift down, press at the hair's start, move along its
  # corners in small steps (the stroke engine samples every 10 ms), release.
  shot before
  view_shot view_before
  mapfile -t corners < <("$check" hair)
  IFS=, read -r x0 y0 <<<"${corners[0]}"
  xdotool keydown shift
  xdotool mousemove --sync $(on_screen "$x0" "$y0") mousedown 1
  for ((i = 1; i < ${#corners[@]}; ++i)); do
    IFS=, read -r xa ya <<<"${corners[i - 1]}"
    IFS=, read -r xb yb <<<"${corners[i]}"
    for s in $(seq 1 12); do
      xdotool mousemove $(on_screen $((xa + (xb - xa) * s / 12)) $((ya + (yb - ya) * s / 12)))
      sleep 0.03
    done
  done
  sleep 0.2
  shot during
  xdotool mouseup 1 keyup shift
  sleep 1  # the healing runs on the worker thread
  shot after

  # Ctrl+Z takes the one step back, Ctrl+Y brings it again.
  xdotool key --clearmodifiers ctrl+z
  sleep 0.5
  view_shot view_undone
  xdotool key --clearmodifiers ctrl+y
  sleep 0.5
  save_as "$work/stroked.png"

  # A plain click removes the spot at the photo's centre.
  xdotool mousemove --sync $(on_screen 120 80) click 1
  sleep 1  # the repair runs on the worker thread
  save_as "$work/spotted.png"
  [[ ! -e "$work/photo-é.png" ]] || fail "the photo was saved under another name"
  quit_with_escape "$pid"
  exit 0
fi

# ---- set-up and check, outside the X server -----------------------------------
e2e_setup "$1" "$2"
# The program gets the Latin-1 name; the checks read it through a plain one.
mv "$work/photo.png" "$work/photo-$(printf '\xe9').png"
ln -s "photo-$(printf '\xe9').png" "$work/photo.png"
cp "$work/photo.png" "$work/input.png"
status=0
e2e_run "$0" --inside "$program" "$work" "$check" || status=$?
if ((status == 0)); then
  "$check" stroke "$work/clean.png" "$work/input.png" "$work/stroked.png" || status=1
  "$check" same "$work/view_before.png" "$work/view_undone.png" || status=1
  "$check" check "$work/clean.png" "$work/stroked.png" "$work/spotted.png" || status=1
fi
if ((status != 0)); then
  e2e_report_failure
  exit 1
fi
echo "PASS: the hair was healed along the stroke and undone, and the spot was repaired"
