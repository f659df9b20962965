#!/usr/bin/env bash
# The editor in a real window: draws three notes with the mouse in the
# Matrix edit, selects them with a rubber band, copies and pastes them,
# sets the tempo through the TEMPO button, plays, draws one more note and
# takes it back with Ctrl+Z and again with Ctrl+Y, saving a tone file after
# each, scrolls with the wheel, saves as RTX, OTA and EVT through the file
# dialog (the File menu, Ctrl+Shift+S), checks every file with tunetool,
# tries the zoom keys with and without a numeric pad, and quits with Ctrl+Q,
# saving the last change. Then, started again with the example Ringdata.h,
# loads a tune from "Tunes in Ringdata", draws a note, saves it in place
# with Ctrl+S and checks with tunetool that only that definition changed.
# Screenshots of every step go to BUILD_DIR/e2e-artifacts.
#
# run_e2e.sh BUILD_DIR
# Exit status 77 (skipped) only when no X server can be started.
set -Eeuo pipefail

build=$(cd "${1:?usage: run_e2e.sh BUILD_DIR}" && pwd)
editor=$build/quelo-tune-editor
tunetool=$build/tunetool
artifacts=$build/e2e-artifacts
tempo=125 # one of the tempos an OTA file can hold
examples=$(cd "$(dirname "$0")/../../resources/examples" && pwd)

if [ -z "${QTE_E2E_INSIDE:-}" ]; then
  for tool in "$editor" "$tunetool"; do
    [ -x "$tool" ] || { echo "e2e: $tool is not built" >&2; exit 1; }
  done
  if ! command -v xvfb-run >/dev/null; then
    echo "e2e: SKIPPED, xvfb-run is not installed (package xvfb)"
    exit 77
  fi
  if ! timeout 30 xvfb-run -a -s "-screen 0 1280x1024x24" true >/dev/null 2>&1; then
    echo "e2e: SKIPPED, Xvfb cannot start here"
    exit 77
  fi
  for tool in xdotool import compare openbox pulseaudio; do
    command -v "$tool" >/dev/null || { echo "e2e: $tool is not installed (scripts/setup.sh)" >&2; exit 1; }
  done
  rm -rf "$artifacts"
  mkdir -p "$artifacts"
  export QTE_E2E_INSIDE=1
  # The whole run, X server included, within three minutes.
  exec timeout -k 5 180 xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$build"
fi

# ---- inside the X server from here on ----
unset QT_QPA_PLATFORM # CTest's offscreen platform would show nothing
step="start"
say() { echo "e2e: $*"; }
fail() {
  echo "e2e: FAILED at step \"$step\": $*" >&2
  shot "failed" || true
  # What the editor said last, a sanitizer's report included.
  for f in "${work:-/nonexistent}"/editor*.err; do
    [ -s "$f" ] && echo "e2e: $(basename "$f"):" >&2 && tail -n 60 "$f" >&2
  done
  exit 1
}
shot() { import -window root "$artifacts/$(printf '%02d' "$shots")-$1.png"; shots=$((shots + 1)); }
shots=1
pause() { sleep "${1:-0.4}"; }
# Menus and the frameless edit dialogs are windows of their own with the
# application's name: wait for one to open (or for all of them to close),
# so that keys go where they are meant.
extra_windows() {
  local w
  for w in $(xdotool search --onlyvisible --class "" 2>/dev/null); do
    [ "$w" != "$main_window" ] || continue
    [ "$(xdotool getwindowname "$w" 2>/dev/null)" = "Quelo Internal Tune Editor" ] && echo "$w"
  done
  return 0
}
# xdotool's own --sync gives up when a window closes while it looks (X's
# BadWindow), so wait by asking again.
find_window() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1 || true; }
wait_window() { # name pattern, seconds
  local w
  for _ in $(seq $(($2 * 5))); do
    w=$(find_window "$1")
    [ -n "$w" ] && echo "$w" && return 0
    sleep 0.2
  done
  return 1
}
wait_open() {
  for _ in $(seq 50); do
    [ -n "$(extra_windows)" ] && return 0
    sleep 0.2
  done
  fail "no $1 opened within 10 seconds"
}
wait_closed() { # twice in a row: a failed search also answers nothing
  local empty=0
  for _ in $(seq 50); do
    if [ -z "$(extra_windows)" ]; then
      empty=$((empty + 1))
      [ "$empty" -ge 2 ] && return 0
    else
      empty=0
    fi
    sleep 0.2
  done
  fail "the $1 did not close within 10 seconds"
}

work=$(mktemp -d)
editor_pid=""
wm_pid=""
cleanup() {
  [ -n "$editor_pid" ] && kill "$editor_pid" 2>/dev/null || true
  [ -n "$wm_pid" ] && kill "$wm_pid" 2>/dev/null || true
  XDG_RUNTIME_DIR=$work/runtime pulseaudio --kill 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
trap 'fail "command failed: $BASH_COMMAND"' ERR

step="sound server"
say "starting a private PulseAudio with a null sink"
mkdir -m 700 "$work/runtime"
export XDG_RUNTIME_DIR=$work/runtime
pulseaudio --daemonize=yes --exit-idle-time=-1 -n \
  --load='module-null-sink sink_name=e2e' --load='module-native-protocol-unix' 2>/dev/null ||
  fail "pulseaudio did not start"
# The daemon returns before its socket takes clients; an editor started in
# between finds no output device and stops at its message box before the
# main window shows.
for _ in $(seq 100); do
  pactl info >/dev/null 2>&1 && break
  pause 0.1
done
pactl info >/dev/null 2>&1 || fail "pulseaudio takes no clients within 10 seconds"

step="window manager"
# Shortcuts act in the active window, and only a window manager activates.
# Without one, a closed dialog leaves the keyboard focus on the root window
# and the next key is lost; on a loaded machine it can take seconds to come.
wm_running() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
for attempt in 1 2; do
  openbox >>"$work/openbox.log" 2>&1 &
  wm_pid=$!
  for _ in $(seq 150); do
    wm_running && break
    kill -0 "$wm_pid" 2>/dev/null || break
    pause 0.1
  done
  wm_running && break
  say "openbox did not come up (attempt $attempt): $(tail -n 3 "$work/openbox.log" | tr '\n' ' ')"
  kill "$wm_pid" 2>/dev/null || true
done
wm_running || fail "no window manager: $(cat "$work/openbox.log")"

step="editor start"
say "starting the editor in $work/start with our config.cfg and midihz.ini"
mkdir "$work/start"
cp "$build/config.cfg" "$build/midihz.ini" "$work/start/"
(cd "$work/start" &&
  exec env QTE_REPORT_LAYOUT=1 QTE_REPORT_COMMANDS=1 "$editor" >"$work/editor.out" 2>"$work/editor.err") &
editor_pid=$!
visible_windows() {
  for w in $(xdotool search --onlyvisible --name "" 2>/dev/null); do
    printf '"%s" ' "$(xdotool getwindowname "$w" 2>/dev/null)"
  done
}
main_window=$(wait_window "^Quelo Internal Tune Editor$" 20) ||
  fail "no editor window within 20 seconds; windows: $(visible_windows)
editor output: $(cat "$work/editor.out" "$work/editor.err")"
for _ in $(seq 50); do
  grep -q '^layout matrix' "$work/editor.out" 2>/dev/null && break
  kill -0 "$editor_pid" 2>/dev/null || fail "the editor ended: $(cat "$work/editor.err")"
  pause 0.2
done
grep -q '^layout matrix' "$work/editor.out" || fail "the editor did not report its layout"
pause 1
shot "started"
if [ -n "$(find_window "Problems with sound device")" ]; then
  fail "the editor found no sound device"
fi

# Where things are: the canvases' screen places, from the editor itself
# (the children are not windows of the X display).
read -r _ _ mx my mw mh < <(grep '^layout matrix' "$work/editor.out")
read -r _ _ tx ty _ _ < <(grep '^layout toolbar' "$work/editor.out")
say "Matrix edit client area at $mx,$my size ${mw}x$mh; toolbar area at $tx,$ty"

# Matrix geometry as the editor laid it out (with no config.dat: key strip
# 67, 11 pixels a unit, 12 a row); the grid starts 40 pixels down.
read -r _ P0 R L W h < <(grep '^grid' "$work/editor.out")
[ "$L" = 67 ] && [ "$W" = 11 ] && [ "$h" = 12 ] || fail "a zoom other than the first start's: $L $W $h"
say "grid: $R rows from pitch $P0"
# Screen point of unit u (middle of its column) and pitch p (middle of its row).
ux() { echo $((mx + L + W * $1 + W / 2)); }
py() { echo $((my + (P0 + R - 1 - $1) * h + 40 + h / 2)); }
for p in 70 72 76 79 85; do
  [ "$p" -ge "$P0" ] && [ "$p" -lt $((P0 + R)) ] || fail "pitch $p is not on the grid"
done

step="draw three notes"
draw() { # start unit, end unit, pitch
  say "right-drag a note at pitch $3 from unit $1 to $2"
  xdotool mousemove "$(ux "$1")" "$(py "$3")"
  pause 0.2
  xdotool mousedown 3
  pause 0.2
  xdotool mousemove "$(ux $(($1 + 1)))" "$(py "$3")"
  pause 0.1
  xdotool mousemove "$(ux "$2")" "$(py "$3")"
  pause 0.2
  xdotool mouseup 3
  pause
}
# With no style chosen the end follows the mouse in whole note lengths: a
# release over unit 11 ends the first note at 12, a quarter note.
draw 4 11 72
draw 12 19 76
draw 20 27 79
shot "three-notes"

step="rubber band"
say "left-drag a rubber band around the three notes"
xdotool mousemove "$(ux 1)" "$(py 85)"
pause 0.2
xdotool mousedown 1
pause 0.2
xdotool mousemove "$(ux 15)" "$(py 78)"
pause 0.1
xdotool mousemove "$(ux 30)" "$(py 70)"
pause 0.2
xdotool mouseup 1
pause
shot "selected"

step="copy and paste"
say "Ctrl+C, Ctrl+V, then a click drops the copies at unit 40"
xdotool key ctrl+c
pause
xdotool key ctrl+v
pause
xdotool mousemove "$(ux 40)" "$(py 76)"
pause 0.3
xdotool click 1
pause
shot "pasted"

step="tempo"
say "TEMPO button, type $tempo, Enter"
xdotool mousemove $((tx + 198)) $((ty + 20))
pause 0.2
xdotool click 1
wait_open "tempo dialog"
pause 0.3
xdotool key ctrl+a
xdotool type --delay 50 "$tempo"
shot "tempo-dialog"
xdotool key Return
wait_closed "tempo dialog"
pause

step="play"
say "Space plays the tune"
xdotool mousemove "$(ux 30)" "$(py 60)"
xdotool key space
pause 1
shot "playing"
pause 3

# The Save as dialog: choose the filter first (one Tab from the file name;
# the kinds in order .h, .ota, .rtx, .evt, .wav), come back, type the path.
save_in_dialog() { # path, number of Downs from the first filter
  wait_window "^Save as$" 30 >/dev/null || fail "no Save as dialog within 30 seconds"
  pause 0.5
  xdotool key Tab
  pause 0.2
  for _ in $(seq "$2"); do
    xdotool key Down
    pause 0.1
  done
  xdotool key shift+Tab
  pause 0.2
  xdotool key ctrl+a
  xdotool type --delay 20 "$1"
  pause 0.3
  shot "save-dialog-$(basename "$1")"
  xdotool key Return
  for _ in $(seq 25); do
    [ -s "$1" ] && break
    pause 0.2
  done
  [ -s "$1" ] || fail "$1 was not written"
  # Keys meant for the main window must not reach a dialog on its way out.
  wait_closed "Save as dialog"
}

# Notes and tempo of a saved file, as tunetool reads it.
expect_file() { # path, notes (an event file keeps times, not a tempo)
  local info
  info=$(cd "$work/start" && "$tunetool" info "$1") || fail "tunetool cannot read $1"
  say "$(basename "$1"): $(echo "$info" | tr -s ' ' | tr '\n' ';')"
  echo "$info" | grep -qx "notes: *$2" || fail "$(basename "$1") does not hold $2 notes: $info"
  [[ $1 == *.evt ]] && return 0
  echo "$info" | grep -qx "tempo: *$tempo bpm" || fail "$(basename "$1") is not at $tempo bpm: $info"
}
# Ctrl+S onto the file the tune was saved to: wait until it changes.
save_again() { # path
  local before
  before=$(md5sum "$1")
  xdotool mousemove "$(ux 30)" "$(py 60)"
  xdotool key ctrl+s
  for _ in $(seq 25); do
    [ "$(md5sum "$1")" != "$before" ] && return 0
    pause 0.2
  done
  fail "Ctrl+S did not write $1 again"
}

step="edit, undo, redo"
say "STOP, in case the tune still plays: the Matrix takes no edits then"
xdotool mousemove $((tx + 105)) $((ty + 20))
pause 0.2
xdotool click 1
pause 1
say "a right click clears the selection the paste left; then a fourth note in the gap"
xdotool mousemove "$(ux 33)" "$(py 70)"
pause 0.2
xdotool click 3
pause
draw 30 37 85 # a quarter note, as the others: one element each in RTX
shot "edited"
xdotool mousemove "$(ux 30)" "$(py 60)"
xdotool key ctrl+z
pause
shot "undone"

step="save the undone tune"
tone=$work/e2e.h
say "Ctrl+S on a new tune opens Save as: $tone as a tone file"
xdotool key ctrl+s
save_in_dialog "$tone" 0
expect_file "$tone" 6

step="redo and save"
xdotool mousemove "$(ux 30)" "$(py 60)"
xdotool key ctrl+y
pause
shot "redone"
say "Ctrl+S writes $tone again, with the note made again"
save_again "$tone"
expect_file "$tone" 7
cp "$tone" "$artifacts/"

# Save as... from the File menu.
save_as_from_menu() { # path, number of Downs from the first filter
  xdotool mousemove 20 $((ty - 10)) # "File", the first entry of the menu bar
  pause 0.2
  xdotool click 1
  wait_open "File menu"
  pause 0.8
  for _ in 1 2 3 4 5; do # New Tune, Open ringing tone, Open Ringdata.h, Save, Save as...
    xdotool key Down
    pause 0.25
  done
  xdotool key Return
  save_in_dialog "$1" "$2"
}

step="save as RTX"
rtx=$work/e2e.rtx
say "File menu, Save as...: $rtx as Rttl/Rtx file"
save_as_from_menu "$rtx" 2

step="wheel"
# The matrix client area as the screen shows it.
matrix_shot() { import -window root -crop "${mw}x${mh}+${mx}+${my}" +repage "$work/$1.png"; }
say "the wheel scrolls the matrix down two notches and back"
xdotool mousemove "$(ux 30)" "$(py 76)"
pause 0.3
matrix_shot wheel-before
xdotool click 5 click 5
pause 0.5
matrix_shot wheel-down
shot "wheel-down"
xdotool click 4 click 4
pause 0.5
matrix_shot wheel-back
moved=$(compare -metric AE "$work/wheel-before.png" "$work/wheel-down.png" null: 2>&1 || true)
back=$(compare -metric AE "$work/wheel-before.png" "$work/wheel-back.png" null: 2>&1 || true)
say "pixels changed by the wheel: $moved; after turning back: $back"
[ "$moved" -gt 1000 ] || fail "the wheel did not scroll the matrix ($moved pixels changed)"
[ "$back" -lt 1000 ] || fail "turning the wheel back did not bring the matrix back ($back pixels differ)"

step="save as OTA"
ota=$work/e2e.ota
say "File menu, Save as...: $ota as OTA file"
save_as_from_menu "$ota" 1

step="save as EVT"
evt=$work/e2e.evt
say "Ctrl+Shift+S: $evt as Event file"
xdotool key ctrl+shift+s
save_in_dialog "$evt" 3
shot "saved"

step="check the files"
cp "$rtx" "$ota" "$evt" "$artifacts/"
# The three notes drawn first, C, E and G, as the tone text names them.
notes=$(cd "$work/start" && "$tunetool" text "$ota" | grep -o 'AUD_NOTE_[A-H0-9b]*' | head -3 | tr '\n' ' ')
[ "$notes" = "AUD_NOTE_C AUD_NOTE_E AUD_NOTE_G " ] || fail "the drawn notes read back as $notes"
for f in "$rtx" "$ota" "$evt"; do
  expect_file "$f" 7
done

step="zoom keys"
# What X delivers is what a user's keyboard delivers: the plus key with and
# without Shift, and the numeric pad, whose keys X matches differently.
xdotool mousemove "$(ux 30)" "$(py 76)"
expect_command() { # key, command ID
  local before
  before=$(grep -c '^command ' "$work/editor.out" || true)
  xdotool key "$1"
  pause 0.4
  local got
  got=$(grep '^command ' "$work/editor.out" | tail -n +$((before + 1)) | tr '\n' ' ')
  [ "$got" = "command $2 " ] || fail "$1 ran \"$got\", not command $2"
  say "$1: command $2"
}
expect_command ctrl+equal 32786       # Zoom x in
expect_command ctrl+minus 32787       # Zoom x out
expect_command ctrl+shift+equal 32778 # Zoom y in
expect_command ctrl+shift+minus 32779 # Zoom y out
expect_command KP_Multiply 32786
expect_command KP_Divide 32787
expect_command KP_Subtract 32778
expect_command KP_Add 32779
shot "zoomed"

step="quit"
say "Ctrl+Z leaves a change unsaved; Ctrl+Q asks, and Save (the default) saves it and quits"
xdotool key ctrl+z
pause
xdotool key ctrl+q
wait_window "^Confirm exit$" 10 >/dev/null || fail "Ctrl+Q asked nothing"
shot "quit-question"
xdotool key Return
for _ in $(seq 50); do
  kill -0 "$editor_pid" 2>/dev/null || break
  pause 0.2
done
kill -0 "$editor_pid" 2>/dev/null && fail "the editor did not quit after OK"
wait "$editor_pid" || fail "the editor ended with status $?"
editor_pid=""
expect_file "$evt" 6

step="Ringdata.h in place"
ringdata=$work/ringdata/Ringdata.h
mkdir "$work/ringdata"
cp "$examples/Ringdata.h" "$ringdata"
cp "$ringdata" "$work/Ringdata.before.h"
say "starting the editor again with $ringdata"
(cd "$work/start" && exec env QTE_REPORT_LAYOUT=1 "$editor" "$ringdata" >"$work/editor2.out" 2>"$work/editor2.err") &
editor_pid=$!
for _ in $(seq 100); do
  grep -q '^layout tunes' "$work/editor2.out" 2>/dev/null && break
  kill -0 "$editor_pid" 2>/dev/null || fail "the editor ended: $(cat "$work/editor2.err")"
  pause 0.2
done
read -r _ _ cx cy _ _ < <(grep '^layout tunes' "$work/editor2.out") ||
  fail "the editor did not report its layout"
main_window=$(wait_window "^Quelo Internal Tune Editor$" 20) || fail "no editor window"
pause 1
# Tunes in Ringdata: 15 pixels a row, the first tune in the second row.
say "a click on tone_chime[], the second tune"
xdotool mousemove $((cx + 20)) $((cy + 2 * 15 + 7))
pause 0.2
xdotool click 1
pause
# After the tune's last note, inside the narrowest layout's first screen.
draw 36 43 85
shot "ringdata-changed"
say "Ctrl+S writes it back into $ringdata"
save_again "$ringdata"
pause 0.5
shot "ringdata-saved"
cp "$ringdata" "$artifacts/"

step="check the Ringdata.h"
# Only the lines of tone_chime[] changed: every line before its first and
# after its last is as it was, every other tune reads as it did.
lines_of() { # file, tune: "FIRST LAST" of its definition as tunetool lists it
  (cd "$work/start" && "$tunetool" list "$1") |
    awk -v t="$2" '$2 == t { split($4, r, "-"); print r[1], r[2] }'
}
read -r old_first old_last < <(lines_of "$work/Ringdata.before.h" "tone_chime[]")
read -r new_first new_last < <(lines_of "$ringdata" "tone_chime[]")
[ -n "${new_last:-}" ] || fail "tone_chime[] is no longer listed"
say "tone_chime[]: lines $old_first-$old_last before, $new_first-$new_last after"
# The name line is where the definition's own lines may begin.
cmp -s <(head -n $((old_first - 2)) "$work/Ringdata.before.h") <(head -n $((old_first - 2)) "$ringdata") ||
  fail "lines before tone_chime[] changed"
cmp -s <(tail -n +$((old_last + 1)) "$work/Ringdata.before.h") <(tail -n +$((new_last + 1)) "$ringdata") ||
  fail "lines after tone_chime[] changed"
for t in "tone_morning[]" "tone_office[]" "tone_waltz[]" "tone_plain[]"; do
  cmp -s <(cd "$work/start" && "$tunetool" text "$work/Ringdata.before.h" --tune "$t") \
    <(cd "$work/start" && "$tunetool" text "$ringdata" --tune "$t") || fail "$t reads otherwise"
done
notes() { (cd "$work/start" && "$tunetool" info "$1" --tune "tone_chime[]") | awk '/^notes:/ { print $2 }'; }
before=$(notes "$work/Ringdata.before.h")
after=$(notes "$ringdata")
say "tone_chime[]: $before notes before, $after after"
[ "$after" = $((before + 1)) ] || fail "tone_chime[] does not hold the note drawn"

kill "$editor_pid"
wait "$editor_pid" 2>/dev/null || true
editor_pid=""
say "passed; screenshots in $artifacts"
