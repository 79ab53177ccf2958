# The delayed capture answered through its real message box: Cancel changes nothing; OK
# captures the window that is active two seconds later, and Pixelwren comes back in the
# normal state.
source "$(dirname "$0")/lib.sh"

start_pixelwren
start_backdrop 00C0C0 760 420 300 200 0 framed
TARGET=$BACKDROP
PICBMP=$(child_of $ID_PICBMP)
initial_size=$(size_of "$PICBMP")

step "the box, then Cancel"
drv post-command "$MAIN" $CMD_ATIVEWINDOW
BOX=$(drv wait-box "Pixelwren v1.0" 10000) || fail "no message box"
expect_eq "$(drv box-text "$BOX")" "单击'确定'两秒钟之后程序会捕捉处于活动状态的窗口。单击'取消'退出捕获。" "prompt"
expect_eq "$(drv box-buttons "$BOX")" "1 2" "OK and Cancel"
desktop_keys Escape
wait_until 10 drv no-box "Pixelwren v1.0" || fail "the box stayed"
expect_eq "$(drv state "$MAIN")" normal "state after Cancel"
expect_eq "$(size_of "$PICBMP")" "$initial_size" "picture after Cancel"

# The two seconds start when the box goes. The user makes the other window active while the
# box is still up and only then answers OK, with what a click on the button sends, which
# leaves the other window active: however long the machine takes, the test never has to act
# within the two seconds.
step "the box again; the user activates another window, then answers OK"
drv post-command "$MAIN" $CMD_ATIVEWINDOW
BOX=$(drv wait-box "Pixelwren v1.0" 10000) || fail "no message box"
read -r l t r b < <(rect_of "$TARGET")
click_at $(((l + r) / 2)) $(((t + b) / 2))
drv wait-foreground "$TARGET" 10000 || fail "the target window did not become active"
drv box-answer "$BOX" 1 || fail "cannot answer the box"
wait_until 20 drv no-box "Pixelwren v1.0" || fail "the box stayed"

step "the active window is captured whole"
drv wait-size "$PICBMP" $((r - l)) $((b - t)) 30000 || fail "the picture is not the target window"
drv wait-state "$MAIN" normal 10000 || fail "Pixelwren is not back in the normal state"
VIEW=$(child_of $ID_PICSCROLL)
read -r vl vt _ _ < <(drv client-rect "$VIEW")
# The target's client area, inside its frame, shows in the view once it has been painted.
cyan_in_view() { [[ $(drv count-colour $((vl + 40)) $((vt + 60)) 100 60 00C0C0) == 6000 ]]; }
wait_until 10 cyan_in_view || fail "the target's colour is not in the view"
echo PASS
