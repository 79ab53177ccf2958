# The captures of Pixelwren's own window: with its frame, and its client area. Each picture
# has the window's size and shows the window as it was on the screen. (Wine has no
# compositor to give a visible frame inside the window rectangle: the frame is the rectangle.)
source "$(dirname "$0")/lib.sh"

start_pixelwren
PICBMP=$(child_of $ID_PICBMP)
VIEW=$(child_of $ID_PICSCROLL)

step "current window, with its frame"
read -r l t r b < <(rect_of "$MAIN")
# The upper-left part of the window as it is now: title bar, menu bar and toolbar.
drv grab "$l" "$t" 120 60 "$(winepath -w "$SCRATCH/frame.grab")"
drv command "$MAIN" $CMD_TITLEBAR
expect_eq "$(size_of "$PICBMP")" "$((r - l)) $((b - t))" "framed picture size"
read -r vl vt _ _ < <(drv client-rect "$VIEW")
wait_until 5 grab_matches "$SCRATCH/frame.grab" "$vl" "$vt" ||
  fail "the view does not show the window's frame as it was"

step "current work area: the client area only"
read -r cl ct cr cb < <(drv client-rect "$MAIN")
drv grab "$cl" "$ct" 120 20 "$(winepath -w "$SCRATCH/client.grab")"
drv command "$MAIN" $CMD_CLIENT
expect_eq "$(size_of "$PICBMP")" "$((cr - cl)) $((cb - ct))" "client picture size"
wait_until 5 grab_matches "$SCRATCH/client.grab" "$vl" "$vt" ||
  fail "the view does not show the client area as it was"
echo PASS
