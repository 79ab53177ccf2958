# Shared by the end-to-end tests: start the real Pixelwren.exe in the test desktop, look at it
# with pwdriver.exe, press real keys and move the real mouse with xdotool. Every wait polls
# something observable and has a timeout; whatever a test started is ended by its own id.
set -eEuo pipefail
# A command that fails outside any condition ends the test: say which, where it was called
# from, and how it ended (a program that crashed under Wine prints nothing itself).
on_error() {
  local rc=$1 where="" i
  for ((i = 1; i < ${#FUNCNAME[@]}; i++)); do
    where+=" ${FUNCNAME[i]}@${BASH_SOURCE[i]##*/}:${BASH_LINENO[i - 1]}"
  done
  echo "FAIL: '$BASH_COMMAND' exited $rc in$where" >&2
}
trap 'rc=$?; ((BASH_SUBSHELL)) || on_error $rc' ERR

: "${PIXELWREN_EXE:?}" "${PIXELWREN_DRIVER:?}" "${DISPLAY:?}"

# Control and command identifiers, as the program defines them.
readonly ID_TOOLBAR1=10 ID_PICSCROLL=12 ID_PICBMP=13 ID_HSCROLL=14 ID_VSCROLL=15
readonly CMD_SAVE=1102 CMD_WALLPAPER=1104 CMD_CLEARWALL=1105 CMD_EXIT=1107
readonly CMD_SCREEN=1201 CMD_ATIVEWINDOW=1203 CMD_CLIENT=1204 CMD_TITLEBAR=1205
readonly APP_TITLE='影雀(Pixelwren) v1.0'
readonly SCRATCH=$(mktemp -d)

STARTED_PIDS=()

cleanup() {
  local pid
  # A test that ends mid-chord or mid-drag must not leave the key or button down in the X
  # server: the next test on this screen would type with Alt held.
  xdotool keyup alt shift ctrl 2>/dev/null || true
  xdotool mouseup 1 2>/dev/null || true
  for pid in "${STARTED_PIDS[@]}"; do
    kill "$pid" 2>/dev/null || true
  done
  for pid in "${STARTED_PIDS[@]}"; do
    wait "$pid" 2>/dev/null || true
  done
  rm -rf "$SCRATCH"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  local focus; focus=$(xdotool getwindowfocus 2>/dev/null) || true
  echo "X focus: $focus $(xwininfo -id "$focus" 2>/dev/null | grep -i 'window id')" >&2
  xwininfo -root -tree 2>/dev/null | grep -v 'has no name): ()' | head -30 >&2
  echo "shown windows, top first (* active):" >&2
  timeout 10 wine "$PIXELWREN_DRIVER" windows 9>&- 2>&1 | tr -d '\r' | head -20 >&2 || true
  if command -v import >/dev/null; then
    import -window root "$SCRATCH/../pixelwren-e2e-failure.png" 2>/dev/null &&
      echo "screen at failure: $SCRATCH/../pixelwren-e2e-failure.png" >&2
  fi
  exit 1
}

step() { echo "-- $*"; }

# pwdriver, with Wine's CRLF line ends removed.
drv() {
  local out rc attempt err=$SCRATCH/drv.$BASHPID.err
  for attempt in 1 2; do
    rc=0
    out=$(wine "$PIXELWREN_DRIVER" "$@" 9>&- 2>"$err") || rc=$?
    # The driver says why whenever it fails. An end without a word is Wine not running it at
    # all (seen twice in CI, each time in a step that passes on every other run): once more.
    ((rc != 0)) && [[ ! -s $err ]] && ((attempt == 1)) || break
    echo "drv: '$*' ended with $rc without a word; running it again" >&2
  done
  [[ ! -s $err ]] || cat "$err" >&2
  rm -f "$err"
  ((rc == 0)) || return 1
  out=${out//$'\r'/}
  [[ -z $out ]] || printf '%s\n' "$out"
}

expect_eq() {  # actual expected what
  [[ $1 == "$2" ]] || fail "$3: expected '$2', got '$1'"
}

readonly SETTINGS_KEY='HKCU\Software\影雀(Pixelwren) v1.0'

# A value of the Settings section as the registry holds it, or nothing.
stored() {
  wine reg query "$SETTINGS_KEY\Settings" /v "$1" 2>/dev/null 9>&- | tr -d '\r' |
    awk -v key="$1" '$1 == key { print $3 }'
}
forget_settings() { wine reg delete "$SETTINGS_KEY" /f >/dev/null 2>&1 9>&- || true; }

# Starts Pixelwren.exe from its own folder, sets MAIN to its main window and PW_PID to the
# process. Unless told "keep", it starts from an empty settings store. Arguments after "keep"
# go to the program: start_pixelwren keep 'C:\pictures\a.png'.
start_pixelwren() {
  if [[ ${1:-} == keep ]]; then shift; else forget_settings; fi
  (cd "$(dirname "$PIXELWREN_EXE")" && exec wine "$PIXELWREN_EXE" "$@" </dev/null >>"$SCRATCH/pixelwren.log" 2>&1 9>&-) &
  PW_PID=$!
  STARTED_PIDS+=($PW_PID)
  MAIN=$(drv find-main 15000) || fail "Pixelwren's main window did not appear"
  drv wait-foreground "$MAIN" 5000 || true
}

# Starts a window of one colour at x y w h (optional paint delay in ms, "framed") and sets
# BACKDROP to it.
start_backdrop() {
  local colour=$1 x=$2 y=$3 w=$4 h=$5 delay=${6:-0} frame=${7:-plain}
  local out=$SCRATCH/backdrop.$RANDOM
  : >"$out"
  wine "$PIXELWREN_DRIVER" backdrop "$colour" "$x" "$y" "$w" "$h" "$delay" "$frame" </dev/null >>"$out" 2>&1 9>&- &
  STARTED_PIDS+=($!)
  local i
  for ((i = 0; i < 100; i++)); do
    BACKDROP=$(tr -d '\r' <"$out" | head -n1) || true
    [[ $BACKDROP =~ ^[0-9]+$ ]] && return 0
    sleep 0.1
  done
  fail "the backdrop window did not appear: $(cat "$out")"
}

# Four numbers of a rectangle into variables: read_rect VAR l t r b.
# The free-area scene: a blue screen with an orange window at (150,130) 100x80, and Pixelwren
# started on fresh settings at the right, away from it.
start_on_two_colours() {
  start_backdrop 204080 0 0 "$PIXELWREN_SCREEN_WIDTH" "$PIXELWREN_SCREEN_HEIGHT"
  start_backdrop E0A020 150 130 100 80
  forget_settings
  local kv
  for kv in MainLeft=10500 MainTop=3000 MainWidth=6500 MainHeight=6500; do
    wine reg add "$SETTINGS_KEY\Settings" /v "${kv%=*}" /t REG_SZ /d "${kv#*=}" /f >/dev/null 2>&1 9>&-
  done
  start_pixelwren keep
}

# How many pixels of two pictures differ.
differ() { compare -metric AE "$1" "$2" null: 2>&1 || true; }
# The X clipboard's bitmap as a picture file.
clipboard_to() {
  xclip -selection clipboard -t image/bmp -o >"$1.bmp" 2>/dev/null && convert "$1.bmp" "$1"
}

rect_of() { drv rect "$1"; }
size_of() { local l t r b; read -r l t r b < <(rect_of "$1"); echo "$((r - l)) $((b - t))"; }
child_of() { drv child "$MAIN" "$1"; }

# Keys go to the X window with the input focus. Inside a Wine virtual desktop every program's
# windows are X windows of that program's own process; after a window hides and shows itself
# again, Wine can leave the X focus with another program, which then swallows the keys
# although Windows has the window active (a click does not help, since Windows sees no change
# of focus). Tests therefore type before any such hide and show, with the pointer resting on
# the desktop.
focus_desktop() {
  xdotool mousemove 1279 799
}

# Hotkeys reach the program wherever the X input focus is, but with every window minimised
# no X window may have it: Wine's desktop window takes it, as a click on the empty desktop gives
# it there.
focus_wine_desktop() {
  local desktop; desktop=$(xdotool search --name ' - Wine desktop$' | head -n1)
  xdotool windowfocus "$desktop"
  sleep 0.2
}

desktop_keys() {
  focus_desktop
  sleep 0.1
  xdotool key --delay 120 "$@"
  sleep 0.2
}

# Opens a menu by its access key and chooses an item by its own: menu_keys c s.
# Alt is held a moment before the letter, as a person's fingers do: a chord sent in one X
# event burst is sometimes taken as a lone Alt under load.
menu_keys() {
  local attempt
  focus_desktop
  for attempt in 1 2; do
    xdotool keydown alt; sleep 0.15
    xdotool key "$1"; sleep 0.1
    xdotool keyup alt
    if drv wait-menu 3000 >/dev/null 2>&1; then
      xdotool key "$2"
      sleep 0.2
      return 0
    fi
    xdotool key Escape Escape; sleep 0.2
  done
  local fg; fg=$(drv foreground)
  fail "Alt+$1 opened no menu (foreground $fg '$(drv text "$fg")'; main $MAIN: $(drv gui-thread "$MAIN"))"
}

click_at() {
  xdotool mousemove "$1" "$2"
  sleep 0.15
  xdotool click 1
  sleep 0.2
}

# Conditions for wait_until: each asks the screen again every time it runs.
pixel_is() { [[ $(drv pixel "$1" "$2") == "$3" ]]; }
grab_matches() { [[ $(drv compare-grab "$(winepath -w "$1")" "$2" "$3") == 0 ]]; }

# Records from now on each command Pixelwren's main window receives (pwhook.dll on its thread),
# for commands_seen_are and `drv commands-seen`.
watch_commands() {
  local out=$SCRATCH/watch.$RANDOM
  : >"$out"
  wine "$PIXELWREN_DRIVER" watch-commands "$MAIN" "$(winepath -w "$PIXELWREN_HOOK")" </dev/null >>"$out" 2>&1 9>&- &
  STARTED_PIDS+=($!)
  watching() { grep -q watching "$out"; }
  wait_until 10 watching || fail "cannot watch Pixelwren's commands: $(cat "$out")"
}
commands_seen_are() { [[ $(drv commands-seen) == "$1" ]]; }

pixelwren_ended() { ! kill -0 "$PW_PID" 2>/dev/null; }

# Drags with the left button from one point to another in small steps.
drag() {
  local x0=$1 y0=$2 x1=$3 y1=$4 i
  xdotool mousemove "$x0" "$y0"; sleep 0.15
  xdotool mousedown 1; sleep 0.15
  for i in 1 2 3 4; do
    xdotool mousemove $((x0 + (x1 - x0) * i / 4)) $((y0 + (y1 - y0) * i / 4)); sleep 0.12
  done
  xdotool mouseup 1; sleep 0.3
}

# The commonest colours of a picture file (png:- for standard input) with their counts, for a
# failure's message; colours_at says the same of a rectangle of the screen.
colours_of() {
  convert "$1" -format %c histogram:info:- 2>/dev/null | sort -rn | head -4 |
    awk '{ printf "%s%s %s", sep, $1, $3; sep = ", " }'
}
colours_at() {  # x y w h
  import -window root -crop "$3x$4+$1+$2" +repage png:- 2>/dev/null | colours_of png:-
}

# Polls a command (a function or program, run anew each time) for up to $1 seconds.
wait_until() {
  local seconds=$1; shift
  local end=$((SECONDS + seconds))
  until "$@"; do
    ((SECONDS < end)) || return 1
    sleep 0.1
  done
}
