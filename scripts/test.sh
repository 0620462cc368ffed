#!/usr/bin/env bash
# Builds everything and runs the whole test suite headless.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
export QT_QPA_PLATFORM=offscreen VELARIX_AUDIO=null:2
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
export VELARIX_HOME="$home"
cd build
ctest --output-on-failure --parallel 2 "$@"
