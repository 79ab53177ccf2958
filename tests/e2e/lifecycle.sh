# Starting, the toolbar, moving and closing: the placement goes to the settings store and comes
# back at the next start; Ctrl+Q ends the program at once and writes nothing.
source "$(dirname "$0")/lib.sh"

step "a first start with an empty store opens at 1000, 1000 twips, 6500 by 6500"
start_pixelwren
expect_eq "$(rect_of "$MAIN")" "67 67 500 500" "first placement"
expect_eq "$(stored MainLeft)" "" "nothing stored before the first close"
TOOLBAR=$(child_of $ID_TOOLBAR1)
PICBMP=$(child_of $ID_PICBMP)

step "the toolbar: a tooltip under the mouse, and a real click"
read -r l t r b < <(drv toolbar-item-rect "$TOOLBAR" 5)
xdotool mousemove $(((l + r) / 2)) $(((t + b) / 2))
tooltip_is() { [[ $(drv tooltip 2>/dev/null) == "$1" ]]; }
wait_until 5 tooltip_is "捕获全屏" || fail "no tooltip for button 5: '$(drv tooltip 2>&1)'"
step "status panel 1: its tooltip shows while the mouse rests on it"
read -r l t r b < <(rect_of "$(child_of 11)")
xdotool mousemove $((l + 40)) $(((t + b) / 2))
wait_until 5 tooltip_is "欢迎使用影雀 v1.0 !" || fail "no tooltip over status panel 1: '$(drv tooltip 2>&1)'"
read -r l t r b < <(drv toolbar-item-rect "$TOOLBAR" 9)
click_at $(((l + r) / 2)) $(((t + b) / 2))
drv wait-size "$PICBMP" 433 433 5000 || fail "button 9 did not capture the window with its frame"

step "moved with the mouse by its title bar, closed with Alt+F4: the capture is unsaved, No lets it go"
drag 250 78 450 178
expect_eq "$(rect_of "$MAIN")" "267 167 700 600" "moved window"
desktop_keys alt+F4
BOX=$(drv wait-box "Pixelwren" 5000) || fail "no question about the unsaved capture"
expect_eq "$(drv box-text "$BOX")" "  文件还没有保存，您要保存吗?" "the question"
expect_eq "$(drv box-buttons "$BOX")" "2 6 7" "Yes, No and Cancel"
desktop_keys n
wait_until 10 pixelwren_ended || fail "Alt+F4 and No did not close Pixelwren"
expect_eq "$(stored MainLeft) $(stored MainTop) $(stored MainWidth) $(stored MainHeight)" \
  "4005 2505 6495 6495" "stored placement in twips"

step "the next start restores it"
start_pixelwren keep
expect_eq "$(rect_of "$MAIN")" "267 167 700 600" "restored placement"

step "Ctrl+C clears the wallpaper; Ctrl+W and Ctrl+S, with no picture, say so"
watch_commands
desktop_keys ctrl+c ctrl+w
BOX=$(drv wait-box "Pixelwren v1.0" 5000) || fail "Ctrl+W without a picture said nothing"
[[ $(drv box-text "$BOX") == *还没有图片* ]] || fail "Ctrl+W said '$(drv box-text "$BOX")'"
desktop_keys Return
wait_until 5 drv no-box "Pixelwren v1.0" || fail "the box stayed"
desktop_keys ctrl+s
BOX=$(drv wait-box "Pixelwren v1.0" 5000) || fail "Ctrl+S without a picture said nothing"
desktop_keys Return
wait_until 5 drv no-box "Pixelwren v1.0" || fail "the box stayed"
wait_until 5 commands_seen_are "$CMD_CLEARWALL $CMD_WALLPAPER $CMD_SAVE" ||
  fail "the shortcuts reached $(drv commands-seen)"

step "Ctrl+Q ends at once, storing nothing"
drag 450 178 250 278
expect_eq "$(rect_of "$MAIN")" "67 267 500 700" "moved again"
desktop_keys ctrl+q
wait_until 5 pixelwren_ended || fail "Ctrl+Q did not end Pixelwren"
expect_eq "$(drv commands-seen)" "$CMD_CLEARWALL $CMD_WALLPAPER $CMD_SAVE $CMD_EXIT" "commands after Ctrl+Q"
expect_eq "$(stored MainLeft) $(stored MainTop)" "4005 2505" "placement after Ctrl+Q"
echo PASS
