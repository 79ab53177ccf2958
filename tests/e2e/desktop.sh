# The language files, the wallpaper, printing and the help viewer on the real program: English
# and back through the real menus, the wallpaper set and cleared as the user's registry shows
# it, and the help's Notepad, which Exit ends. All of it runs from a copy of the program folder
# with look-alikes of the libraries the program loads besides Windows' known ones, and of
# Notepad, beside the program: none of them may be loaded or run.
source "$(dirname "$0")/lib.sh"

readonly CMD_PRINT=1106 CMD_HOWTO=1401
: "${PIXELWREN_PLANTED_DLL:?}" "${PIXELWREN_PLANTED_EXE:?}"

step "a copy of the program folder with look-alikes planted beside the program"
cp -r "$(dirname "$PIXELWREN_EXE")" "$SCRATCH/Pixelwren"
PROGRAM_DIR=$SCRATCH/Pixelwren
PIXELWREN_EXE=$PROGRAM_DIR/$(basename "$PIXELWREN_EXE")
for name in dwmapi.dll windowscodecs.dll winspool.drv; do
  cp "$PIXELWREN_PLANTED_DLL" "$PROGRAM_DIR/$name"
done
cp "$PIXELWREN_PLANTED_EXE" "$PROGRAM_DIR/notepad.exe"
# The marks the look-alikes leave when loaded or run.
marks() { (cd "$PROGRAM_DIR" && ls -- *.ran 2>/dev/null) || true; }
no_marks() {
  [[ -z $(marks) ]] || fail "look-alikes beside the program were used ($1): $(marks | tr '\n' ' ')"
}
# Screenshots of each language stay here for a person to look at.
readonly SHOTS=${PIXELWREN_SHOTS:-$SCRATCH}
mkdir -p "$SHOTS"

caption_is() { [[ $(drv text "$MAIN") == "$1" ]]; }
wallpaper_setting() {
  wine reg query 'HKCU\Control Panel\Desktop' /v Wallpaper 2>/dev/null 9>&- | tr -d '\r' |
    awk '$1 == "Wallpaper" { $1 = ""; $2 = ""; sub(/^ +/, ""); print }'
}
wallpaper_is() { [[ $(wallpaper_setting) == "$1" ]]; }
windows_named() { xdotool search --name "$1" 2>/dev/null | wc -l; }
no_window_named() { [[ $(windows_named "$1") == 0 ]]; }
a_window_named() { [[ $(windows_named "$1") != 0 ]]; }

# Drops a menu open by its access key and takes a screenshot of the whole screen.
shot_with_menu() {  # key file
  focus_desktop
  xdotool keydown alt; sleep 0.15; xdotool key "$1"; sleep 0.1; xdotool keyup alt
  drv wait-menu 3000 >/dev/null || fail "Alt+$1 opened no menu"
  sleep 0.3
  import -window root "$SHOTS/$2"
  xdotool key Escape Escape; sleep 0.2
}

step "English through the real menu: Image, Choose language, English"
start_pixelwren
no_marks "at start"
menu_keys i l
xdotool key e
wait_until 5 caption_is "Pixelwren v1.0" || fail "the title after English is '$(drv text "$MAIN")'"
expect_eq "$(drv item-text "$MAIN" 11)" "Welcome to Pixelwren v1.0!" "status panel 1"
shot_with_menu f pixelwren-english.png

step "and back to Chinese through the English menus"
menu_keys i l
xdotool key c
wait_until 5 caption_is "影雀(Pixelwren) v1.0" || fail "the title after Chinese is '$(drv text "$MAIN")'"
expect_eq "$(drv item-text "$MAIN" 11)" "欢迎使用影雀 v1.0 !" "status panel 1"
shot_with_menu f pixelwren-chinese.png

step "Ctrl+W sets a capture as the wallpaper; Ctrl+C clears it and leaves the file"
TOOLBAR=$(child_of $ID_TOOLBAR1)
read -r l t r b < <(drv toolbar-item-rect "$TOOLBAR" 9)
click_at $(((l + r) / 2)) $(((t + b) / 2))
drv wait-size "$(child_of $ID_PICBMP)" 433 433 5000 || fail "button 9 did not capture"
no_marks "capturing"
rm -f "$WINEPREFIX/drive_c/windows/wallpaper.bmp"
desktop_keys ctrl+w
wait_until 5 wallpaper_is 'c:\windows\wallpaper.bmp' || fail "the wallpaper setting is '$(wallpaper_setting)'"
expect_eq "$(head -c 2 "$WINEPREFIX/drive_c/windows/wallpaper.bmp")" "BM" "the wallpaper file"
expect_eq "$(identify -format '%w %h' "$WINEPREFIX/drive_c/windows/wallpaper.bmp")" "433 433" "the wallpaper's size"
desktop_keys ctrl+c
wait_until 5 wallpaper_is '' || fail "the wallpaper setting after clearing is '$(wallpaper_setting)'"
[[ -f $WINEPREFIX/drive_c/windows/wallpaper.bmp ]] || fail "clearing removed the file"
drv no-box "Pixelwren v1.0" || fail "a box is open"

step "Edit in Paint with no program for Paint.Picture: Pixelwren's own box says so"
readonly PAINT_KEY='HKLM\Software\Classes\Paint.Picture'
wine reg delete "$PAINT_KEY" /f >/dev/null 2>&1 9>&- || true
read -r l t r b < <(drv toolbar-item-rect "$TOOLBAR" 12)
click_at $(((l + r) / 2)) $(((t + b) / 2))
BOX=$(drv wait-box "Pixelwren v1.0" 5000) || fail "Edit in Paint with no program said nothing"
[[ $(drv box-text "$BOX") == *Paint.Picture* ]] || fail "Edit in Paint said '$(drv box-text "$BOX")'"
drv box-answer "$BOX" 1
wait_until 5 drv no-box "Pixelwren v1.0" || fail "the box stayed"

step "with a program registered for the class's edit verb, the shell starts it on Temp\temp.bmp"
# The stand-in for Paint copies the file it was given where the test can see it.
wine reg add "$PAINT_KEY\shell\edit\command" /ve /f \
  /d "C:\windows\system32\cmd.exe /c copy /y \"%1\" \"$(winepath -w "$SCRATCH")\\seen.bmp\"" >/dev/null 9>&-
seen() { [[ -s $SCRATCH/seen.bmp ]]; }
click_at $(((l + r) / 2)) $(((t + b) / 2))
wait_until 15 seen || fail "the program registered for Paint.Picture was not started"
wine reg delete "$PAINT_KEY" /f >/dev/null 2>&1 9>&- || true
cmp -s "$SCRATCH/seen.bmp" "$(dirname "$PIXELWREN_EXE")/Temp/temp.bmp" || fail "Paint was given another file"
expect_eq "$(identify -format '%w %h' "$SCRATCH/seen.bmp")" "433 433" "the picture handed to Paint"
drv no-box "Pixelwren v1.0" || fail "a box is open"

step "Print, with no printer installed, says so"
drv post-command "$MAIN" $CMD_PRINT
BOX=$(drv wait-box "Pixelwren v1.0" 5000) || fail "Print with no printer said nothing"
[[ $(drv box-text "$BOX") == *没有安装打印机* ]] || fail "Print said '$(drv box-text "$BOX")'"
drv box-answer "$BOX" 1  # what a click on OK sends: the focus may be elsewhere under load
wait_until 5 drv no-box "Pixelwren v1.0" || fail "the box stayed"
no_marks "printing"

step "help opens the system's Notepad on the readme; Exit ends it"
drv post-command "$MAIN" $CMD_HOWTO
wait_until 15 a_window_named readme || { no_marks "opening the help"; fail "help opened no Notepad on the readme"; }
sleep 0.5
import -window root "$SHOTS/pixelwren-help.png"
drv post-command "$MAIN" $CMD_EXIT
wait_until 5 pixelwren_ended || fail "Exit did not end Pixelwren"
wait_until 5 no_window_named readme || fail "the help's Notepad is still open"
no_marks "opening the help"
echo PASS
