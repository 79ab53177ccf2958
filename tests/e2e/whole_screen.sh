# The whole-screen capture: the picture has the screen's size and shows neither Pixelwren's
# own window nor a half-finished repaint of the windows it was hiding. The backdrop beneath
# paints slowly (400 ms from BeginPaint to its pixels), and starts a repaint in a new colour
# just as the capture begins: only a capture that waited for it sees the new colour.
source "$(dirname "$0")/lib.sh"

step "a slow magenta backdrop under Pixelwren"
start_backdrop FF00FF 0 0 "$PIXELWREN_SCREEN_WIDTH" "$PIXELWREN_SCREEN_HEIGHT" 400
start_pixelwren
expect_eq "$(drv text "$MAIN")" "$APP_TITLE" "caption"
read -r l t r b < <(rect_of "$MAIN")
shown=$(drv count-colour "$l" "$t" $((r - l)) $((b - t)) FF00FF)
((shown < (r - l) * (b - t) / 10)) || fail "Pixelwren is not on top of the backdrop ($shown magenta pixels)"

VIEW=$(child_of $ID_PICSCROLL)
PICBMP=$(child_of $ID_PICBMP)
# Says what the view shows, and how often the backdrop has painted.
view_shows() {
  local l t r b
  read -r l t r b < <(drv client-rect "$VIEW")
  echo "the view shows $(colours_at "$l" "$t" $((r - l)) $((b - t))); '$(drv text "$BACKDROP")'"
}
view_is() {  # every pixel of the view has this colour
  local l t r b
  # Under Wine a paint that began while Pixelwren was hidden can go on over it: have
  # Pixelwren paint itself again, and check that its own title bar is there.
  drv redraw "$MAIN"
  read -r l t r b < <(rect_of "$MAIN")
  [[ $(drv count-colour "$l" "$t" $((r - l)) 20 "$1") == 0 ]] || return 1
  read -r l t r b < <(drv client-rect "$VIEW")
  [[ $(drv count-colour "$l" "$t" $((r - l)) $((b - t)) "$1") == $(((r - l) * (b - t))) ]]
}

step "from the real menu, by its access keys (Alt+C, S), over a blue backdrop"
drv backdrop-colour "$BACKDROP" 0000FF
wait_until 5 pixel_is 2 2 0000FF || fail "the backdrop did not turn blue"
menu_keys c s
drv wait-size "$PICBMP" "$PIXELWREN_SCREEN_WIDTH" "$PIXELWREN_SCREEN_HEIGHT" 10000 ||
  fail "the picture does not have the screen's size"
drv wait-state "$MAIN" normal 5000 || fail "the main window did not come back"
drv wait-foreground "$MAIN" 5000 || fail "the main window is not active again"
# Both bars are shown for a picture this large, so none lies over the view.
wait_until 10 view_is 0000FF || fail "the menu's capture shows something besides the backdrop: $(view_shows)"

step "the backdrop turns green as the capture starts"
drv backdrop-colour "$BACKDROP" 00FF00 "$MAIN" $CMD_SCREEN
wait_until 3 view_is 00FF00 || fail "the picture shows something besides the finished backdrop: $(view_shows)"

step "the far end of the picture too"
drv scroll-to-end "$MAIN"
read -r l t r b < <(rect_of "$PICBMP")
read -r vl vt vr vb < <(drv client-rect "$VIEW")
expect_eq "$r $b" "$vr $vb" "picture's far corner at the view's far corner"
wait_until 5 view_is 00FF00 || fail "the far end of the picture shows something besides the backdrop: $(view_shows)"
echo PASS
