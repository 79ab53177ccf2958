# The document commands on the real program with the system's own dialogs: a capture saved
# with Ctrl+S under a name typed without an extension, a JPEG opened from the File menu over an
# unsaved capture, and the question about it answered in its real message box, before the
# open and at close. A file named on the command line opens at start, and files dropped on the
# window open as Open opens them.
source "$(dirname "$0")/lib.sh"

# The file dialogs' name field (cmb13) and type list (cmb1).
readonly ID_FILE_NAME=1148 ID_FILE_TYPE=1136
readonly FOLDER=$(winepath -w "$SCRATCH")
readonly QUESTION='  文件还没有保存，您要保存吗?'

field_is() { [[ $(drv item-text "$1" $ID_FILE_NAME) == "$2" ]]; }

# Types a full file name into the file dialog's name field and confirms it once the field
# holds exactly that text: keys typed into Wine can arrive late, twice or not at all.
type_file_name() {  # dialog name
  local attempt
  for attempt in 1 2 3; do
    xdotool key --delay 80 End shift+Home BackSpace
    xdotool type --delay 50 "$2"
    if wait_until 3 field_is "$1" "$2"; then
      xdotool key Return
      return 0
    fi
    echo "   the name field holds '$(drv item-text "$1" $ID_FILE_NAME)'; typing again"
  done
  fail "could not type '$2' into the file dialog"
}

# The files of the scratch folder that match a name, in any case (Windows names ignore case).
files_named() { (cd "$SCRATCH" && ls | grep -ix "$1" || true); }
file_appears() { [[ -n $(files_named "$1") ]]; }
caption_is() { [[ $(drv text "$MAIN") == "$1" ]]; }

step "capture the client area and press Ctrl+S"
start_pixelwren
sleep 0.5
read -r l t r b < <(drv client-rect "$MAIN")
drv grab "$l" "$t" $((r - l)) $((b - t)) "$(winepath -w "$SCRATCH/client.grab")"
drv command "$MAIN" $CMD_CLIENT
desktop_keys ctrl+s
DIALOG=$(drv wait-box "保存" 5000) || fail "Ctrl+S showed no save dialog"
expect_eq "$(drv item-text "$DIALOG" $ID_FILE_TYPE)" "Bmp (*.bmp)" "first filter entry"

step "type a name without an extension: a bitmap file of the capture appears beside it"
type_file_name "$DIALOG" "$FOLDER\\shot"
wait_until 10 file_appears shot.bmp || fail "no shot.bmp in the folder: $(ls "$SCRATCH")"
SHOT=$SCRATCH/$(files_named shot.bmp)
expect_eq "$(head -c 2 "$SHOT")" "BM" "bitmap magic"
expect_eq "$(od -An -tu2 -j28 -N2 "$SHOT" | tr -d ' ')" "24" "bits per pixel"
expect_eq "$(identify -format '%m %wx%h' "$SHOT")" "BMP3 $((r - l))x$((b - t))" "the file as ImageMagick reads it"
expect_eq "$(drv file-vs-grab "$(winepath -w "$SHOT")" "$(winepath -w "$SCRATCH/client.grab")")" "0" \
  "pixels of the saved file that differ from the captured client area"
drv wait-state "$MAIN" normal 2000 || fail "the main window is not back"

step "capture again, then File, Open: the question comes first; No, and a JPEG opens"
convert -size 64x48 xc:'#1E90FF' "$SCRATCH/photo.jpg"
drv command "$MAIN" $CMD_CLIENT
menu_keys f o
BOX=$(drv wait-box Pixelwren 5000) || fail "File, Open asked nothing about the unsaved capture"
expect_eq "$(drv box-text "$BOX")" "$QUESTION" "question before the open"
desktop_keys n
# The open dialog carries the title the save dialog left.
DIALOG=$(drv wait-box "保存" 5000) || fail "No showed no open dialog"
type_file_name "$DIALOG" "$FOLDER\\photo.jpg"
wait_until 10 caption_is "Pixelwren─[photo.jpg(960x720) ]" || fail "caption: '$(drv text "$MAIN")'"

step "close with an unsaved capture: Cancel keeps the window, Yes saves and closes"
drv command "$MAIN" $CMD_CLIENT
drv close "$MAIN"
BOX=$(drv wait-box Pixelwren 5000) || fail "no question at close"
expect_eq "$(drv box-text "$BOX")" "$QUESTION" "question"
expect_eq "$(drv box-buttons "$BOX")" "2 6 7" "Yes, No and Cancel"
desktop_keys Escape
wait_until 5 drv no-box Pixelwren || fail "the question stayed after Escape"
expect_eq "$(drv state "$MAIN")" "normal" "window after Cancel"
drv close "$MAIN"
BOX=$(drv wait-box Pixelwren 5000) || fail "no question at the second close"
desktop_keys Return  # Yes is the default button
DIALOG=$(drv wait-box "保存" 5000) || fail "Yes showed no save dialog"
type_file_name "$DIALOG" "$FOLDER\\at close"
wait_until 10 pixelwren_ended || fail "Pixelwren did not end after the save"
file_appears "at close.bmp" || fail "nothing saved at close: $(ls "$SCRATCH")"

step "close with an unsaved capture, answer No: it ends and writes nothing"
start_pixelwren keep
drv command "$MAIN" $CMD_CLIENT
before=$(ls "$SCRATCH" | wc -l)
drv close "$MAIN"
BOX=$(drv wait-box Pixelwren 5000) || fail "no question at close"
desktop_keys n
wait_until 10 pixelwren_ended || fail "No did not close Pixelwren"
expect_eq "$(ls "$SCRATCH" | wc -l)" "$before" "files after No"

step "started with a picture named on its command line, it shows it"
convert -size 64x48 xc:'#10C820' "$SCRATCH/green.png"
convert -size 40x30 xc:'#C81020' BMP3:"$SCRATCH/red.bmp"
mkdir "$SCRATCH/a folder.png"
printf 'not a picture' >"$SCRATCH/notes.png"
start_pixelwren keep "$FOLDER\green.png"
# 64x48 pixels at 15 twips each.
wait_until 10 caption_is "Pixelwren─[green.png(960x720) ]" ||
  fail "the named file is not shown: caption '$(drv text "$MAIN")'"
PICBMP=$(child_of $ID_PICBMP)
expect_eq "$(drv pixel "$(drv client-rect "$PICBMP" | cut -d' ' -f1)" "$(drv client-rect "$PICBMP" | cut -d' ' -f2)")" 10C820 "the named file's pixels"

drop_files() { drv drop "$MAIN" "$(winepath -w "$PIXELWREN_HOOK")" "$@"; }
# Drops files on the window and answers the box it brings with a title and a word of its text.
drop_answered() {  # what text-word button files...
  local what=$1 word=$2 button=$3; shift 3
  drop_files "$@"
  BOX=$(drv wait-box "$BOX_TITLE" 5000) || fail "$what: no message box"
  [[ $(drv box-text "$BOX") == *"$word"* ]] || fail "$what: the box says '$(drv box-text "$BOX")'"
  drv box-answer "$BOX" "$button"
  wait_until 5 drv no-box "$BOX_TITLE" || fail "$what: the box stayed"
}

step "a picture dropped on the window opens"
drop_files "$FOLDER\red.bmp"
wait_until 5 caption_is "Pixelwren─[red.bmp(600x450) ]" || fail "the dropped file did not open: '$(drv text "$MAIN")'"

step "a folder or a file that is no picture, dropped, is reported and changes nothing"
BOX_TITLE="Pixelwren v1.0"
drop_answered "a folder" "文件夹" 1 "$FOLDER\a folder.png"
drop_answered "no picture" "notes.png" 1 "$FOLDER\notes.png"
expect_eq "$(drv text "$MAIN")" "Pixelwren─[red.bmp(600x450) ]" "the caption after the bad drops"

step "several dropped: the first opens, and it says so"
drop_answered "several" "green.png" 1 "$FOLDER\green.png" "$FOLDER\red.bmp"
expect_eq "$(drv text "$MAIN")" "Pixelwren─[green.png(960x720) ]" "the caption after several"

step "dropped over an unsaved capture: the question first; No, and the file opens"
drv command "$MAIN" $CMD_CLIENT
BOX_TITLE=Pixelwren
drop_answered "over a capture" "保存" 7 "$FOLDER\red.bmp"
wait_until 5 caption_is "Pixelwren─[red.bmp(600x450) ]" || fail "No did not open the dropped file"
echo PASS
