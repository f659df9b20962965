#!/usr/bin/env bash
# The playback tests (the engine, the editor's transport, the Qt pump timer and
# wave-out device) under ThreadSanitizer. scripts/tsan.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build-tsan}
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQTE_BUILD_BENCH=OFF \
  -DCMAKE_CXX_FLAGS="-fsanitize=thread -fno-omit-frame-pointer" \
  -DCMAKE_EXE_LINKER_FLAGS=-fsanitize=thread >/dev/null
cmake --build "$dir" --parallel "$(nproc)" --target test_playback test_app test_qt
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$(pwd)/tests/tsan.supp"
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
"$dir/tests/test_playback" --gtest_brief=1
"$dir/tests/test_app" --gtest_brief=1 --gtest_filter='Playback*:Startup*'
# The Qt timer and device, with a sound service that stops or dies under them;
# the recorded-sound runs are left to the other two suites, where they take
# seconds rather than minutes.
"$dir/tests/test_qt" --gtest_brief=1 --gtest_filter='PlaybackTimer*:QtWaveOut.*:QtWaveOutChild*'
echo "ThreadSanitizer: no races in the playback tests"
