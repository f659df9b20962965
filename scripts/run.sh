#!/usr/bin/env bash
# Set-up, build, and start the editor from the build folder (its start
# directory, where config.cfg and midihz.ini are).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh build
cd build
if [ -x ./quelo-tune-editor ]; then
  exec ./quelo-tune-editor "$@"
fi
# Until the editor window lands, show the bundled example through tunetool.
./tunetool list ../resources/examples/Ringdata.h
