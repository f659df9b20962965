#!/usr/bin/env bash
# Set-up, build, and start the editor from the build folder (its start
# directory, where config.cfg and midihz.ini are). Files named on the
# command line are opened, as from the File menu.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
scripts/setup.sh
scripts/build.sh build
files=()
for f in "$@"; do
  case "$f" in
    -*) files+=("$f") ;;
    /*) files+=("$f") ;;
    *) files+=("$root/$f") ;;
  esac
done
cd build
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: starting the editor under xvfb-run (a virtual screen you cannot see)." >&2
  echo "Use --screenshot FILE.png to get a picture of it." >&2
  exec xvfb-run -a -s "-screen 0 1280x1024x24" ./quelo-tune-editor "${files[@]}"
fi
exec ./quelo-tune-editor "${files[@]}"
