# The toolbar at 100, 150 and 200 %: each scale shows the images drawn for its own size,
# pixel for pixel and unstretched, in buttons that fit the bar. The window at 150 % is kept
# as a screenshot in PIXELWREN_SHOTS.
source "$(dirname "$0")/lib.sh"
: "${PIXELWREN_ART:?}" "${PIXELWREN_SHOTS:?}"

readonly DESKTOP_KEY='HKCU\Control Panel\Desktop'
# Each program reads the system dpi when it starts.
set_dpi() { wine reg add "$DESKTOP_KEY" /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1 9>&-; }
trap 'wine reg delete "$DESKTOP_KEY" /v LogPixels /f >/dev/null 2>&1 9>&- || true; cleanup' EXIT

for row in "96 16" "144 24" "192 32"; do
  read -r dpi size <<<"$row"
  step "$dpi dpi: the $size-pixel images"
  set_dpi "$dpi"
  start_pixelwren
  TOOLBAR=$(child_of $ID_TOOLBAR1)
  expect_eq "$(size_of "$TOOLBAR" | cut -d' ' -f2)" "$((dpi / 4))" "toolbar height (360 twips)"
  read -r l t r b < <(drv toolbar-item-rect "$TOOLBAR" 2)
  ((r - l > size && b - t > size)) || fail "the Open button is $((r - l))x$((b - t)) for $size-pixel images"
  # Open shows image 1, and Print image 21 (position 14).
  for item in "2 1" "14 21"; do
    read -r position image <<<"$item"
    read -r l t r b < <(drv toolbar-item-rect "$TOOLBAR" "$position")
    wait_until 5 drv find-image "$(winepath -w "$PIXELWREN_ART/toolbar$size.bmp")" "$image" "$size" \
      "$l" "$t" "$((r - l))" "$((b - t))" >/dev/null 2>&1 ||
      fail "button $position does not show image $image as drawn at $size pixels"
  done
  if ((dpi == 144)); then
    mkdir -p "$PIXELWREN_SHOTS"
    read -r l t r b < <(rect_of "$MAIN")
    import -window root -crop "$((r - l))x$((b - t))+$l+$t" +repage "$PIXELWREN_SHOTS/pixelwren-144dpi.png"
  fi
  drv command "$MAIN" $CMD_EXIT
  wait_until 10 pixelwren_ended || fail "Exit did not end Pixelwren"
done
echo PASS
