# The delayed capture answered through its real message box: Cancel changes nothing; OK
# captures whatever window the user activates within two seconds, and Pixelwren comes back
# in the normal state.
source "$(dirname "$0")/lib.sh"

start_pixelwren
start_backdrop 00C0C0 760 420 300 200 0 framed
TARGET=$BACKDROP
PICBMP=$(child_of $ID_PICBMP)
initial_size=$(size_of "$PICBMP")

step "the box, then Cancel"
drv post-command "$MAIN" $CMD_ATIVEWINDOW
BOX=$(drv wait-box "Pixelwren v1.0" 5000) || fail "no message box"
expect_eq "$(drv box-text "$BOX")" "单击'确定'两秒钟之后程序会捕捉处于活动状态的窗口。单击'取消'退出捕获。" "prompt"
expect_eq "$(drv box-buttons "$BOX")" "1 2" "OK and Cancel"
desktop_keys Escape
wait_until 5 drv no-box "Pixelwren v1.0" || fail "the box stayed"
expect_eq "$(drv state "$MAIN")" normal "state after Cancel"
expect_eq "$(size_of "$PICBMP")" "$initial_size" "picture after Cancel"

step "the box again, OK, then the user activates another window"
drv post-command "$MAIN" $CMD_ATIVEWINDOW
BOX=$(drv wait-box "Pixelwren v1.0" 5000) || fail "no message box"
desktop_keys Return
drv wait-state "$MAIN" minimised 3000 || fail "Pixelwren did not get out of the way"
read -r l t r b < <(rect_of "$TARGET")
click_at $(((l + r) / 2)) $(((t + b) / 2))
drv wait-foreground "$TARGET" 1500 || fail "the target window did not become active"

step "the active window is captured whole"
drv wait-size "$PICBMP" $((r - l)) $((b - t)) 6000 || fail "the picture is not the target window"
drv wait-state "$MAIN" normal 3000 || fail "Pixelwren is not back in the normal state"
VIEW=$(child_of $ID_PICSCROLL)
read -r vl vt _ _ < <(drv client-rect "$VIEW")
# The target's client area, inside its frame, shows in the view.
cyan=$(drv count-colour $((vl + 40)) $((vt + 60)) 100 60 00C0C0)
expect_eq "$cyan" 6000 "the target's colour in the view"
echo PASS
