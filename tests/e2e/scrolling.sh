# A picture larger than the view, scrolled with the real scroll bars: arrow, trough, and a
# thumb dragged to the far end, which shows the picture's last pixels.
source "$(dirname "$0")/lib.sh"

start_pixelwren
drv command "$MAIN" $CMD_SCREEN
PICBMP=$(child_of $ID_PICBMP)
VIEW=$(child_of $ID_PICSCROLL)
HBAR=$(child_of $ID_HSCROLL)
VBAR=$(child_of $ID_VSCROLL)
expect_eq "$(drv visible "$HBAR") $(drv visible "$VBAR")" "1 1" "both bars shown"

picture_x() { local l t r b; read -r l t r b < <(rect_of "$PICBMP"); local vl vt vr vb; read -r vl vt vr vb < <(drv client-rect "$VIEW"); echo $((l - vl)); }
hpos() { local _a _b _c pos; read -r _a _b _c pos < <(drv scroll "$HBAR"); echo "$pos"; }

read -r _ max page pos < <(drv scroll "$HBAR")
expect_eq "$pos" 0 "start position"
read -r hl ht hr hb < <(rect_of "$HBAR")
arrow=$((hb - ht))
mid=$(((ht + hb) / 2))

step "the right arrow moves one pixel"
click_at $((hr - arrow / 2)) "$mid"
expect_eq "$(hpos)" 15 "position after an arrow click"
expect_eq "$(picture_x)" -1 "picture after an arrow click"

step "the trough moves a third of the view"
read -r vl vt vr vb < <(drv client-rect "$VIEW")
click_at $((hr - arrow - 4)) "$mid"
expect_eq "$(hpos)" $((15 + (vr - vl) * 15 / 3)) "position after a trough click"

step "dragging the thumb to the far end (as far as the bar reaches: Windows puts a thumb dragged far away back)"
# The thumb is as long as the view's share of the picture.
trough=$((hr - hl - 2 * arrow))
thumb_length=$((trough * page / (max + 1)))
thumb=$((hl + arrow + (trough - thumb_length) * $(hpos) / (max - page + 1) + thumb_length / 2))
xdotool mousemove "$thumb" "$mid"; sleep 0.2
xdotool mousedown 1; sleep 0.2
for x in $((thumb + 40)) $((thumb + 120)) $((hr - 2)); do xdotool mousemove "$x" "$mid"; sleep 0.15; done
xdotool mouseup 1; sleep 0.3
expect_eq "$(hpos)" "$((max - page + 1))" "position after dragging to the end"
read -r l t r b < <(rect_of "$PICBMP")
expect_eq "$r" "$vr" "picture's right edge at the view's right edge"
echo PASS
