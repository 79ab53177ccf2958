# The hotkeys on the real program, pressed as real keys with its window minimised, each checked
# from outside: Print Screen takes the whole screen, Ctrl+Print Screen arms the free area,
# Shift+Print Screen takes that area again (also after a restart, from the registry), and
# Alt+Print Screen the window that is active. Ctrl+Insert puts the view's picture on the
# clipboard.
source "$(dirname "$0")/lib.sh"

readonly SNAPSHOT_CLASS=PixelwrenSnapshot
readonly W=$PIXELWREN_SCREEN_WIDTH H=$PIXELWREN_SCREEN_HEIGHT

step "a two-colour backdrop, Pixelwren at the right, away from the area"
start_on_two_colours
PICBMP=$(child_of $ID_PICBMP)
VIEW=$(child_of $ID_PICSCROLL)

minimise() {
  drv minimise "$MAIN"
  drv wait-state "$MAIN" minimised 5000 || fail "the main window did not minimise"
  sleep 0.3
}
hotkey() {
  focus_wine_desktop
  xdotool key "$1"
  sleep 0.3
}
# The area (100,100)-(300,250) of the screen before the first hotkey, in the view now and on
# the clipboard.
area_landed() {
  drv wait-size "$PICBMP" 200 150 5000 || fail "$1: the picture is not 200x150"
  clipboard_to "$SCRATCH/clip.png" || fail "$1: no bitmap on the clipboard"
  expect_eq "$(identify -format '%wx%h' "$SCRATCH/clip.png")" 200x150 "$1: clipboard picture's size"
  local n; n=$(differ "$SCRATCH/clip.png" "$SCRATCH/area.png")
  [[ $n == 0 ]] || fail "$1: $n clipboard pixels differ from the screen" \
    "(clipboard $(colours_of "$SCRATCH/clip.png"); screen before $(colours_of "$SCRATCH/area.png"))"
}

step "Ctrl+Insert copies the view's picture, typed while Pixelwren has the keyboard"
drv command "$MAIN" $CMD_CLIENT
read -r pl pt pr pb < <(drv client-rect "$PICBMP")
read -r vl vt vr vb < <(drv client-rect "$VIEW")
desktop_keys ctrl+Insert
clipboard_to "$SCRATCH/copy.png" || fail "Ctrl+Insert: no bitmap on the clipboard"
expect_eq "$(identify -format '%wx%h' "$SCRATCH/copy.png")" "$((pr - pl))x$((pb - pt))" "Ctrl+Insert: clipboard picture's size"
# What of the picture the view shows, unscrolled, against the same part of the clipboard's.
shown="$(( (pr < vr ? pr : vr) - pl ))x$(( (pb < vb ? pb : vb) - pt ))"
drv redraw "$MAIN"
import -window root "$SCRATCH/screen.png"
convert "$SCRATCH/screen.png" -crop "$shown+$pl+$pt" +repage "$SCRATCH/view.png"
convert "$SCRATCH/copy.png" -crop "$shown+0+0" +repage "$SCRATCH/copy-shown.png"
expect_eq "$(differ "$SCRATCH/copy-shown.png" "$SCRATCH/view.png")" 0 "Ctrl+Insert: clipboard pixels that differ from the view"

step "Print Screen, minimised: the whole screen, and the window stays minimised"
minimise
import -window root "$SCRATCH/before.png"
convert "$SCRATCH/before.png" -crop 200x150+100+100 +repage "$SCRATCH/area.png"
hotkey Print
drv wait-size "$PICBMP" "$W" "$H" 10000 || fail "Print Screen: the picture does not have the screen's size"
expect_eq "$(drv state "$MAIN")" minimised "Print Screen: the main window's state"

step "Ctrl+Print Screen, minimised: the free area, dragged from (100,100) to (300,250)"
hotkey ctrl+Print
SNAPSHOT=$(drv wait-window $SNAPSHOT_CLASS 5000) || fail "Ctrl+Print Screen: no snapshot"
sleep 0.2
drag 100 100 300 250
drv wait-state "$SNAPSHOT" hidden 5000 || fail "Ctrl+Print Screen: the snapshot is still there"
area_landed "Ctrl+Print Screen"
expect_eq "$(stored LastArea)" 100,100,300,250 "the area kept in the registry"

step "Shift+Print Screen, minimised: the same area again"
minimise
hotkey Print
drv wait-size "$PICBMP" "$W" "$H" 10000 || fail "Print Screen again: the picture does not have the screen's size"
hotkey shift+Print
area_landed "Shift+Print Screen"
expect_eq "$(drv state "$MAIN")" minimised "Shift+Print Screen: the main window's state"

step "Alt+Print Screen, minimised: the window active then, a framed one of another program"
start_backdrop 30C060 420 320 300 200 0 framed
click_at 570 450
drv wait-foreground "$BACKDROP" 5000 || fail "the framed window did not become active"
hotkey alt+Print
read -r l t r b < <(rect_of "$BACKDROP")
drv wait-size "$PICBMP" $((r - l)) $((b - t)) 5000 || fail "Alt+Print Screen: the picture is not the active window's size"

step "after a restart, Shift+Print Screen takes the kept area again"
drv post-command "$MAIN" $CMD_EXIT
wait_until 10 pixelwren_ended || fail "Pixelwren did not end"
xclip -selection clipboard -quiet <<<"not a picture" >/dev/null 2>&1 &
STARTED_PIDS+=($!)
start_pixelwren keep
PICBMP=$(child_of $ID_PICBMP)
minimise
hotkey shift+Print
area_landed "after a restart"
echo PASS
