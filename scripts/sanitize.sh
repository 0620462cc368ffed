#!/usr/bin/env bash
# Builds with AddressSanitizer + UndefinedBehaviorSanitizer into build-asan and runs the whole
# suite there with leak detection, then builds with ThreadSanitizer into build-tsan and runs
# the audio and mixing tests. Any report fails the run; the suppression files next to this
# script name third-party libraries only.
#   scripts/sanitize.sh [asan|tsan]   (both when not given)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
which=${1:-both}
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
export QT_QPA_PLATFORM=offscreen VELARIX_AUDIO=null:2 VELARIX_HOME=$home QTEST_FUNCTION_TIMEOUT=600000
status=0

# The SDL disk-card check counts the wall-clock output of a separate process; a sanitizer's
# slowdown changes that count, not the code's behaviour, so it runs in the plain suite only.
devices() {
  local functions
  mapfile -t functions < <("$1/tests/tst_devices" -functions | sed 's/()$//' | grep -vx soundCardPathThroughSdl)
  "$1/tests/tst_devices" "${functions[@]}"
}

if [ "$which" != tsan ]; then
  bash scripts/sanitizer-build.sh address build-asan
  export ASAN_OPTIONS=detect_leaks=1:detect_stack_use_after_return=0:abort_on_error=0
  export LSAN_OPTIONS=suppressions=$root/scripts/lsan.supp:print_suppressions=0
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  (cd build-asan && ctest --output-on-failure --parallel 2 --timeout 1200 -E '^tst_devices$') || status=1
  devices build-asan || status=1
  unset ASAN_OPTIONS LSAN_OPTIONS UBSAN_OPTIONS
fi

if [ "$which" != asan ]; then
  audio=(tst_decoder tst_devices tst_dsp tst_format_changes tst_player tst_sound tst_mixing tst_soundserver
    tst_loudness tst_analysis tst_handover)
  bash scripts/sanitizer-build.sh thread build-tsan "${audio[@]}"
  export TSAN_OPTIONS="suppressions=$root/scripts/tsan.supp:halt_on_error=1:second_deadlock_stack=1:report_signal_unsafe=0:die_after_fork=0"
  regex="^($(IFS='|'; echo "${audio[*]}"))\$"
  (cd build-tsan && ctest --output-on-failure --parallel 2 --timeout 1200 -R "$regex" -E '^tst_devices$') || status=1
  devices build-tsan || status=1
fi
exit $status
