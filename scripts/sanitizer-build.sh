#!/usr/bin/env bash
# Configures and builds a sanitizer build: scripts/sanitizer-build.sh address|thread DIR [TARGET...]
# Optimised a little (-O1) with line tables only, which keeps the build short and the
# reports readable.
set -euo pipefail
cd "$(dirname "$0")/.."
kind=$1 dir=$2
shift 2
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug "-DCMAKE_CXX_FLAGS_DEBUG=-O1 -g1" \
  "-DCMAKE_C_FLAGS_DEBUG=-O1 -g1" -DVELARIX_SANITIZE="$kind" "${launcher[@]}" >/dev/null
if [ $# -gt 0 ]; then
  cmake --build "$dir" --parallel "$(nproc)" --target "$@"
else
  cmake --build "$dir" --parallel "$(nproc)"
fi
