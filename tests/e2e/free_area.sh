# The free-area capture on the real program: arming shows the screen's snapshot, a drag with
# the real mouse picks an area, and the area lands in the view and on the X clipboard with the
# pixels the screen showed before arming. Esc, Alt+F4 on the snapshot and a click without a
# drag change nothing, and no case leaves a mark on the screen outside Pixelwren's window.
source "$(dirname "$0")/lib.sh"

readonly CMD_DISTRICT=1202 SNAPSHOT_CLASS=PixelwrenSnapshot
readonly W=$PIXELWREN_SCREEN_WIDTH H=$PIXELWREN_SCREEN_HEIGHT

step "a two-colour backdrop, Pixelwren at the right, away from the area"
start_backdrop 204080 0 0 "$W" "$H"
start_backdrop E0A020 150 130 100 80
forget_settings
for kv in MainLeft=10500 MainTop=3000 MainWidth=6500 MainHeight=6500; do
  wine reg add "$SETTINGS_KEY\Settings" /v "${kv%=*}" /t REG_SZ /d "${kv#*=}" /f >/dev/null 2>&1 9>&-
done
start_pixelwren keep
PICBMP=$(child_of $ID_PICBMP)

screen_to() { import -window root "$1"; }
# The screen now against a screenshot, both with Pixelwren's window as it was before arming
# blacked out.
outside_main_differs() {
  local l t r b
  read -r l t r b <<<"$MAIN_RECT"
  screen_to "$SCRATCH/now.png"
  for f in "$1" "$SCRATCH/now.png"; do
    convert "$f" -fill black -draw "rectangle $l,$t $((r - 1)),$((b - 1))" "$f.masked.png"
  done
  compare -metric AE "$1.masked.png" "$SCRATCH/now.png.masked.png" null: 2>&1 || true
}
outside_main_unchanged() { [[ $(outside_main_differs "$1") == 0 ]]; }
differ() { compare -metric AE "$1" "$2" null: 2>&1 || true; }
clipboard_to() {
  xclip -selection clipboard -t image/bmp -o >"$1.bmp" 2>/dev/null && convert "$1.bmp" "$1"
}
view_to() {  # the picture as the view shows it, w h
  local l t r b
  read -r l t r b < <(drv client-rect "$PICBMP")
  screen_to "$SCRATCH/view-screen.png"
  convert "$SCRATCH/view-screen.png" -crop "$1x$2+$l+$t" +repage "$3"
}

arm() {  # [menu]: by the Capture menu's access keys, otherwise by a posted command
  MAIN_RECT=$(rect_of "$MAIN")
  screen_to "$SCRATCH/before.png"
  if [[ ${1:-} == menu ]]; then
    menu_keys c d
  else
    drv post-command "$MAIN" $CMD_DISTRICT
  fi
  SNAPSHOT=$(drv wait-window $SNAPSHOT_CLASS 5000) || fail "no snapshot window after arming"
  drv wait-state "$MAIN" minimised 5000 || fail "the main window is not minimised while armed"
  # The snapshot shows the screen as it was, Pixelwren's window left out.
  wait_until 5 outside_main_unchanged "$SCRATCH/before.png" ||
    fail "the snapshot differs from the screen: $(outside_main_differs "$SCRATCH/before.png") pixels"
  sleep 0.2
}

landed() {  # the case is over: snapshot gone, window back, nothing left on the screen
  drv wait-state "$SNAPSHOT" hidden 5000 || fail "$1: the snapshot window is still there"
  drv wait-state "$MAIN" normal 5000 || fail "$1: the main window did not come back"
  sleep 0.3
  wait_until 5 outside_main_unchanged "$SCRATCH/before.png" ||
    fail "$1: the screen outside Pixelwren changed in $(outside_main_differs "$SCRATCH/before.png") pixels"
}

check_capture() {  # what x y: the view and the clipboard both hold the 200x150 at x,y of before.png
  convert "$SCRATCH/before.png" -crop "200x150+$2+$3" +repage "$SCRATCH/area.png"
  drv wait-size "$PICBMP" 200 150 5000 || fail "$1: the picture is not 200x150"
  clipboard_to "$SCRATCH/clip.png" || fail "$1: no bitmap on the clipboard"
  expect_eq "$(identify -format '%wx%h' "$SCRATCH/clip.png")" 200x150 "$1: clipboard picture's size"
  expect_eq "$(differ "$SCRATCH/clip.png" "$SCRATCH/area.png")" 0 "$1: clipboard pixels that differ from the screen"
  drv redraw "$MAIN"
  view_to 200 150 "$SCRATCH/view.png"
  expect_eq "$(differ "$SCRATCH/view.png" "$SCRATCH/area.png")" 0 "$1: view pixels that differ from the screen"
}

step "armed from the Capture menu (Alt+C, D), a drag from (100,100) to (300,250)"
arm menu
drag 100 100 300 250
landed "down and right"
check_capture "down and right" 100 100

step "a drag up and to the left, from (320,260) to (120,110)"
arm
drag 320 260 120 110
landed "up and left"
check_capture "up and left" 120 110
cp "$SCRATCH/clip.png" "$SCRATCH/clip-kept.png"
cp "$SCRATCH/view.png" "$SCRATCH/view-kept.png"

unchanged() {  # the clipboard and the view still hold the last capture
  clipboard_to "$SCRATCH/clip.png" || fail "$1: no bitmap on the clipboard"
  expect_eq "$(differ "$SCRATCH/clip.png" "$SCRATCH/clip-kept.png")" 0 "$1: clipboard pixels changed"
  drv wait-size "$PICBMP" 200 150 2000 || fail "$1: the picture changed its size"
  drv redraw "$MAIN"
  view_to 200 150 "$SCRATCH/view.png"
  expect_eq "$(differ "$SCRATCH/view.png" "$SCRATCH/view-kept.png")" 0 "$1: view pixels changed"
}

step "Esc cancels an armed capture"
arm
xdotool mousemove 400 400; sleep 0.15
xdotool key Escape
landed "Esc"
unchanged "Esc"

step "Alt+F4 on the snapshot cancels as Esc does, and arming works again"
arm
xdotool mousemove 400 400; sleep 0.15
# Alt held a moment before F4, as menu_keys holds it.
xdotool keydown alt; sleep 0.15
xdotool key F4; sleep 0.1
xdotool keyup alt
landed "Alt+F4"
expect_eq "$(rect_of "$MAIN")" "$MAIN_RECT" "Alt+F4: the main window's place"
unchanged "Alt+F4"
arm
xdotool mousemove 400 400; sleep 0.15
xdotool key Escape
landed "Esc after Alt+F4"

step "a click without a drag captures nothing"
arm
click_at 220 180
landed "click"
unchanged "click"
echo PASS
