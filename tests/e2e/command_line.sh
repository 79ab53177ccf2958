# The command line as a script uses it, each form run as a process: /capture writes the file
# in the format its name says with the screen's pixels and exits 0; bad arguments and failed
# captures exit non-zero with one line on the standard error and leave no file; /? prints the
# usage. Nothing here shows a window of Pixelwren's.
source "$(dirname "$0")/lib.sh"

readonly W=$PIXELWREN_SCREEN_WIDTH H=$PIXELWREN_SCREEN_HEIGHT
readonly FOLDER=$(winepath -w "$SCRATCH")

# Runs Pixelwren.exe with the arguments; sets STATUS, OUT and ERR.
run() {
  set +e
  (cd "$(dirname "$PIXELWREN_EXE")" && wine "$PIXELWREN_EXE" "$@" </dev/null >"$SCRATCH/out.txt" 2>"$SCRATCH/err.txt" 9>&-)
  STATUS=$?
  set -e
  OUT=$(tr -d '\r' <"$SCRATCH/out.txt")
  ERR=$(tr -d '\r' <"$SCRATCH/err.txt" | grep -v '^[0-9a-f]*:\(fixme\|err\|warn\):' || true)
}
format_of() { identify -format '%m %wx%h' "$1" 2>/dev/null; }

step "a blue screen with an orange window, the screen as it is"
start_backdrop 204080 0 0 "$W" "$H"
start_backdrop E0A020 150 130 100 80
import -window root "$SCRATCH/before.png"

step "/capture screen /out a PNG: the whole screen's pixels"
run /capture screen /out "$FOLDER\\screen.png"
expect_eq "$STATUS" 0 "screen: exit code ($ERR)"
expect_eq "$(format_of "$SCRATCH/screen.png")" "PNG ${W}x${H}" "screen: the file"
expect_eq "$(differ "$SCRATCH/screen.png" "$SCRATCH/before.png")" 0 "screen: pixels that differ"

step "/capture area, switches in another order and case: a BMP and a JPEG of the area"
run -OUT "$FOLDER\\area.bmp" /Capture AREA:140,120,120,100
expect_eq "$STATUS" 0 "area: exit code ($ERR)"
expect_eq "$(format_of "$SCRATCH/area.bmp")" "BMP3 120x100" "area: the file"
convert "$SCRATCH/before.png" -crop 120x100+140+120 +repage "$SCRATCH/area-screen.png"
expect_eq "$(differ "$SCRATCH/area.bmp" "$SCRATCH/area-screen.png")" 0 "area: pixels that differ from the screen"
run /capture area:150,130,100,80 /out "$FOLDER\\area.jpg" /quiet
expect_eq "$STATUS" 0 "area as JPEG: exit code ($ERR)"
expect_eq "$(format_of "$SCRATCH/area.jpg")" "JPEG 100x80" "area as JPEG: the file"

step "/capture window: the active window, as large as it is"
start_backdrop 30C060 420 320 300 200 0 framed
click_at 570 450
drv wait-foreground "$BACKDROP" 5000 || fail "the framed window did not become active"
read -r l t r b < <(rect_of "$BACKDROP")
run /capture window /out "$FOLDER\\window.png"
expect_eq "$STATUS" 0 "window: exit code ($ERR)"
expect_eq "$(format_of "$SCRATCH/window.png")" "PNG $((r - l))x$((b - t))" "window: the file"

step "bad arguments: exit code 2, one line naming the argument, no file"
while IFS='|' read -r word args; do
  eval "set -- $args"
  run "$@"
  expect_eq "$STATUS" 2 "'$args': exit code"
  [[ $ERR == *"$word"* ]] || fail "'$args': the error says '$ERR', not '$word'"
  expect_eq "$(ls "$SCRATCH" | grep -c '^bad' || true)" 0 "'$args': files written"
done <<'ROWS'
/frobnicate|/frobnicate
/out|/capture screen /out
/out|/capture screen
/capture|/out "$FOLDER\\bad1.png"
shelf|/capture shelf /out "$FOLDER\\bad2.png"
width|/capture area:0,0,0,10 /out "$FOLDER\\bad3.png"
area:1,2,3,99999999999|/capture area:1,2,3,99999999999 /out "$FOLDER\\bad4.png"
area:2147483000,0,1000,10|/capture area:2147483000,0,1000,10 /out "$FOLDER\\bad5.png" /quiet
ROWS

step "a capture that cannot be done or written: exit code 3, one line, no file"
run /capture area:-40000,-40000,100,100 /out "$FOLDER\\bad6.png"
expect_eq "$STATUS" 3 "off every monitor: exit code"
[[ $ERR == *monitor* ]] || fail "off every monitor: the error says '$ERR'"
run /capture screen /out "$FOLDER\\no such folder\\bad7.png" /quiet
expect_eq "$STATUS" 3 "unwritable: exit code"
[[ $ERR == *"bad7.png"* ]] || fail "unwritable: the error says '$ERR'"
expect_eq "$(echo "$ERR" | wc -l)" 1 "unwritable: lines of the error"
expect_eq "$(ls "$SCRATCH" | grep -c '^bad' || true)" 0 "files written by the failures"

step "with nowhere to write the error, a message box says it, unless /quiet"
# Started as Explorer starts it: no console, no standard handles.
detached() { drv run-detached "$(winepath -w "$PIXELWREN_EXE")" "$@"; }
detached /frobnicate >"$SCRATCH/detached.txt" &
STARTED_PIDS+=($!)
BOX=$(drv wait-box "Pixelwren v1.0" 10000) || fail "no message box for a bad argument"
[[ $(drv box-text "$BOX") == *"/frobnicate"* ]] || fail "the box says '$(drv box-text "$BOX")'"
drv box-answer "$BOX" 1
wait_until 5 drv no-box "Pixelwren v1.0" || fail "the box stayed"
wait_until 5 test -s "$SCRATCH/detached.txt" || fail "the program did not end after the box"
expect_eq "$(tr -d '\r' <"$SCRATCH/detached.txt")" 2 "a bad argument, detached: exit code"
# A box here would wait for an answer, and the run would not end.
quiet_code=$(timeout 20 wine "$PIXELWREN_DRIVER" run-detached "$(winepath -w "$PIXELWREN_EXE")" \
  /frobnicate /quiet </dev/null 9>&- | tr -d '\r' || true)
expect_eq "$quiet_code" 2 "/quiet, detached: exit code"

step "/? prints the usage and exits 0"
run /?
expect_eq "$STATUS" 0 "/?: exit code"
[[ $OUT == *"/capture SOURCE /out FILE"* ]] || fail "/?: the usage says '$OUT'"
echo PASS
