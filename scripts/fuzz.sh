#!/usr/bin/env bash
# Mutation fuzzing under AddressSanitizer and UndefinedBehaviorSanitizer: makes seed files
# with ffmpeg, mutates them, and runs the player driver (load, play, seek, render on the
# offline card) and the text-file driver over the cases.
#   scripts/fuzz.sh [CASES] [SEED]
# FUZZ_BIN names a folder with other builds of the drivers; FUZZ_TIMEOUT_MS is the time one
# case may take (default 10000). Failing cases and their reports are kept in
# build-asan/fuzz-findings (or FUZZ_FINDINGS). Exits non-zero when any case crashed, reported or hung.
set -euo pipefail
cd "$(dirname "$0")/.."
cases=${1:-2000}
seed=${2:-1}
if [ -z "${FUZZ_BIN:-}" ]; then
  bash scripts/sanitizer-build.sh address build-asan fuzz_player fuzz_parsers fuzz_mutate
  FUZZ_BIN=build-asan/fuzz
fi
mutate=build-asan/fuzz/fuzz_mutate
[ -x "$mutate" ] || bash scripts/sanitizer-build.sh address build-asan fuzz_mutate
findings=${FUZZ_FINDINGS:-$PWD/build-asan/fuzz-findings}
mkdir -p "$findings"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export VELARIX_HOME=$work/home QT_QPA_PLATFORM=offscreen
export FUZZ_TIMEOUT_MS=${FUZZ_TIMEOUT_MS:-10000}
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$PWD/scripts/lsan.supp:print_suppressions=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
mkdir -p "$work/home" "$work/seeds" "$work/text" "$work/audio" "$work/lists"

# ---- seeds ----
s=$work/seeds
tone() { # name rate channels seconds extra-args...
  local name=$1 rate=$2 ch=$3 secs=$4
  shift 4
  ffmpeg -y -v error -f lavfi -i "sine=f=440:r=$rate:d=$secs" -ac "$ch" -ar "$rate" "$@" "$s/$name"
}
tone a.wav 44100 2 0.6 -c:a pcm_s16le
tone b.wav 22050 1 0.4 -c:a pcm_u8
tone c.wav 48000 2 0.4 -c:a pcm_f32le
tone d.mp3 44100 2 0.6
tone e.mp3 22050 1 0.4
tone f.ogg 44100 2 0.6 -c:a libvorbis
tone g.ogg 32000 1 0.4 -c:a libvorbis
tone h.wma 44100 2 0.6 -c:a wmav2
tone i.flac 44100 2 0.6
tone j.m4a 44100 2 0.6 -c:a aac
cat "$s/f.ogg" "$s/g.ogg" >"$s/k.ogg"
cat "$s/d.mp3" "$s/e.mp3" >"$s/l.mp3"
printf 'FAIXA UM#/musicas/faixa um.mp3\r\nCAFÉ#/músicas/café.mp3\r\nA#B#/x/A#B\r\n' >"$work/lists/lista.upd"
printf '\xef\xbb\xbf/musicas/um.mp3\n/musicas/dois.ogg\n\n/m\xe9sica/tr\xeas.wav' >"$work/lists/lista.ipk"
printf 'chave=valor\r\nF:\\MUSICAS\\CAF\xc9.MP3\r\n#\r\n' >"$work/lists/config.txt"

"$mutate" "$seed" "$cases" "$work/audio" "$s"/*
"$mutate" "$seed" "$cases" "$work/text" "$work/lists"/*

# ---- runs ----
# Runs a driver over the cases in batches; a batch that fails names its last case, which is
# counted and kept, and the run goes on after it.
run() {
  local driver=$1 dir=$2 label=$3
  local files=("$dir"/*) i=0 n crashes=0 hangs=0 rc last j log=$work/log
  n=${#files[@]}
  while [ "$i" -lt "$n" ]; do
    local batch=("${files[@]:i:20}")
    set +e
    timeout -k 5 $((FUZZ_TIMEOUT_MS * 20 / 1000 + 30)) "$driver" "${batch[@]}" >"$log" 2>&1
    rc=$?
    set -e
    if [ "$rc" -eq 0 ]; then
      i=$((i + ${#batch[@]}))
      continue
    fi
    last=$(grep '^CASE ' "$log" | tail -1 | cut -d' ' -f2-)
    j=0
    for k in "${!batch[@]}"; do
      if [ "${batch[k]}" = "$last" ]; then j=$k; break; fi
    done
    if [ "$rc" -eq 124 ] || [ "$rc" -eq 137 ]; then
      hangs=$((hangs + 1)); kind=hang
    else
      crashes=$((crashes + 1)); kind=crash
    fi
    cp "$last" "$findings/$label-$kind-$(basename "$last")" 2>/dev/null || true
    cp "$log" "$findings/$label-$kind-$(basename "$last").log"
    i=$((i + j + 1))
  done
  echo "$label: cases: $n crashes: $crashes hangs: $hangs"
  [ "$crashes" -eq 0 ] && [ "$hangs" -eq 0 ]
}
status=0
run "$FUZZ_BIN/fuzz_player" "$work/audio" player || status=1
run "$FUZZ_BIN/fuzz_parsers" "$work/text" parsers || status=1
exit $status
