#!/usr/bin/env bash
# Installs the build into a temporary prefix and starts the installed
# programs from an empty folder, as a desktop launcher or a shell in the
# home folder does: both must read our config.cfg from the installed data
# folder, so the example tunes read with their notes, and say so when it
# is missing.
#
# run_install_test.sh BUILD_DIR
set -Eeuo pipefail

build=$(cd "${1:?usage: run_install_test.sh BUILD_DIR}" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "install: FAILED: $*" >&2; exit 1; }
say() { echo "install: $*"; }

prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >"$work/install.log" || fail "cmake --install: $(cat "$work/install.log")"
data=$prefix/share/quelo-tune-editor
for f in bin/quelo-tune-editor bin/tunetool share/quelo-tune-editor/config.cfg \
  share/quelo-tune-editor/midihz.ini share/quelo-tune-editor/examples/Ringdata.h \
  share/quelo-tune-editor/examples/single_tone.h share/applications/quelo-tune-editor.desktop \
  share/icons/hicolor/32x32/apps/quelo-tune-editor.png \
  share/icons/hicolor/48x48/apps/quelo-tune-editor.png \
  share/icons/hicolor/256x256/apps/quelo-tune-editor.png; do
  [ -s "$prefix/$f" ] || fail "$f was not installed"
done
say "installed into $prefix"
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$prefix/share/applications/quelo-tune-editor.desktop" ||
    fail "the desktop entry is not valid"
fi
grep -qx 'Exec=quelo-tune-editor %F' "$prefix/share/applications/quelo-tune-editor.desktop" ||
  fail "the desktop entry does not start the editor"

mkdir "$work/empty" "$work/own"
cp "$data/config.cfg" "$data/midihz.ini" "$work/own/"

# tunetool from an empty folder reads the example with its notes, silently.
info=$(cd "$work/empty" && "$prefix/bin/tunetool" info "$data/examples/single_tone.h" 2>"$work/tool.err") ||
  fail "tunetool info failed: $(cat "$work/tool.err")"
echo "$info" | grep -qx "notes: *4" || fail "tunetool read the example as: $info"
[ ! -s "$work/tool.err" ] || fail "tunetool said: $(cat "$work/tool.err")"
say "tunetool info from an empty folder: $(echo "$info" | tr -s ' ' | tr '\n' ';')"

# The editor from an empty folder paints what it paints with our files in
# its start folder, and says nothing of a missing config.cfg.
picture() { # folder, picture
  (cd "$1" && QT_QPA_PLATFORM=offscreen "$prefix/bin/quelo-tune-editor" --screenshot "$2" \
    "$data/examples/Ringdata.h" "$data/examples/single_tone.h") 2>"$2.err" ||
    fail "the editor made no picture: $(cat "$2.err")"
}
picture "$work/empty" "$work/empty.png"
picture "$work/own" "$work/own.png"
if grep -q 'config.cfg' "$work/empty.png.err"; then fail "the editor said: $(cat "$work/empty.png.err")"; fi
differ=$(compare -metric AE "$work/empty.png" "$work/own.png" null: 2>&1 || true)
[ "$differ" = 0 ] || fail "the picture from an empty folder differs in $differ pixels"
say "the editor from an empty folder shows the examples as with its own config.cfg"

# Without the data folder both say that config.cfg is missing, and where
# they looked.
mv "$data" "$data.away"
(cd "$work/empty" && "$prefix/bin/tunetool" info "$data.away/examples/single_tone.h") \
  >"$work/tool.out" 2>"$work/tool.err" || true
grep -q "^warning: No config.cfg in $work/empty or $prefix/bin: the tone text uses built-in defaults$" \
  "$work/tool.err" || fail "tunetool without its data said: $(cat "$work/tool.err")"
(cd "$work/empty" && QT_QPA_PLATFORM=offscreen "$prefix/bin/quelo-tune-editor" --screenshot \
  "$work/none.png") 2>"$work/none.err" || fail "the editor made no picture"
grep -q "^Warning: No config.cfg in $work/empty or $prefix/bin: the tone text uses built-in defaults$" \
  "$work/none.err" || fail "the editor without its data said: $(cat "$work/none.err")"
say "passed"
