#!/usr/bin/env bash
# Builds the console and starts it; extra arguments go to the program.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
exec ./build/app/velarix "$@"
