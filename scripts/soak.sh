#!/usr/bin/env bash
# Leaves the console mixing by itself for MINUTES on the recording card, as an operator leaves
# it for a night, then checks what went on air and what the process kept in memory.
#   scripts/soak.sh MINUTES [FOLDER]
# The set is made here: tones and noise of varied lengths in every format the library takes,
# a track with a 12 s silent stretch, broken and missing entries. Both decks get a list and the
# console starts as after a cut-off show with Auto Mix on, so it goes on air by itself.
# Prints one "name: value" line per figure; fails when the air was silent for more than 1 s
# (the watchdog's own 8 s stretches counted apart), when the console ended by itself, or when
# resident memory grew by more than 10 MB after the first minute.
set -euo pipefail
cd "$(dirname "$0")/.."
minutes=${1:?usage: scripts/soak.sh MINUTES [FOLDER]}
[[ $minutes =~ ^[0-9]+$ && $minutes -ge 2 ]] || { echo "MINUTES: a whole number, at least 2" >&2; exit 2; }
bash scripts/build.sh >/dev/null
exe=$PWD/build/app/velarix

work=${2:-$(mktemp -d /tmp/velarix-soak.XXXXXX)}
mkdir -p "$work/set" "$work/home" "$work/ar" "$work/run"
chmod 700 "$work/run"
set_dir=$(cd "$work/set" && pwd)
echo "folder: $work"

# ---- the set ----
gera() { # gera NAME FFMPEG-INPUT-ARGS...
    local name=$1
    shift
    [[ -s $set_dir/$name ]] || ffmpeg -nostdin -loglevel error -y "$@" "$set_dir/$name"
}
tone() { gera "$1" -f lavfi -i "sine=frequency=$2:duration=$3:sample_rate=44100" -af volume=-6dB -ac 2; }
noise() { gera "$1" -f lavfi -i "anoisesrc=color=$2:amplitude=0.25:duration=$3:sample_rate=44100" -ac 2; }
tone tom_220.mp3 220 47
tone tom_330.ogg 330 71
tone tom_440.wav 440 29
tone tom_550.wma 550 58
tone tom_660.mp3 660 36
tone tom_880.ogg 880 83
noise ruido_rosa.mp3 pink 52
noise ruido_branco.ogg white 33
noise ruido_marrom.wav brown 64
noise ruido_rosa_2.wma pink 41
# 15 s of tone, 12 s of nothing, 40 s of tone: the quiet stretch ends well before the last
# 25 s, where a quiet track is mixed out by level anyway.
gera buraco.mp3 -f lavfi -i "aevalsrc=0.4*sin(2*PI*500*t)*(lt(t\\,15)+gt(t\\,27)):d=67:s=44100" -ac 2
head -c 20000 /dev/urandom >"$set_dir/lixo.mp3"
head -c 3000 "$set_dir/tom_330.ogg" >"$set_dir/cortado.ogg"
lista_a=(tom_220.mp3 ruido_rosa.mp3 lixo.mp3 tom_440.wav buraco.mp3 ruido_marrom.wav tom_880.ogg sumiu.mp3)
lista_b=(tom_330.ogg ruido_branco.ogg tom_550.wma cortado.ogg tom_660.mp3 ruido_rosa_2.wma)

# ---- the show the console finds: cut off, Auto Mix on, deck A on air from its start ----
show() {
    printf 'VELARIX-SHOW 1\r\nTERMINOU=0\r\nAUTO_MIX=1\r\nPOR_NIVEL=1\r\nNO_AR=A\r\nENTRADA_NO_AR=0\r\nPOSICAO_NO_AR=0\r\n'
    printf 'A_SELECIONADA=0\r\nA_ENTRADAS=%d\r\n' ${#lista_a[@]}
    for f in "${lista_a[@]}"; do printf 'A=%s\r\n' "$set_dir/$f"; done
    printf 'B_SELECIONADA=0\r\nB_ENTRADAS=%d\r\n' ${#lista_b[@]}
    for f in "${lista_b[@]}"; do printf 'B=%s\r\n' "$set_dir/$f"; done
}
show >"$work/show.body"
lines=$((11 + ${#lista_a[@]} + ${#lista_b[@]}))
{
    cat "$work/show.body"
    printf 'FIM=%d %s\r\n' "$lines" "$(md5sum <"$work/show.body" | cut -d' ' -f1)"
} >"$work/home/SHOW.INI"
rm -f "$work/ar/card1.wav"
printf '{"screens":[{"name":"screen","x":0,"y":0,"width":1024,"height":768,"logicalDpi":96,"logicalBaseDpi":96,"dpr":1}]}' \
    >"$work/screen.json"

# ---- the night ----
XDG_RUNTIME_DIR="$work/run" QT_QPA_PLATFORM="offscreen:configfile=$work/screen.json" VELARIX_AUDIO="record:$work/ar:2" \
    VELARIX_HOME="$work/home" VELARIX_NO_SPLASH=1 VELARIX_MESSAGES=stderr \
    VELARIX_INSTANCE_KEY="velarix-soak-$$" "$exe" 2>"$work/console.log" &
pid=$!
trap 'kill -KILL $pid 2>/dev/null || true' EXIT
rss() { awk '/^VmRSS:/ { print $2 }' "/proc/$pid/status" 2>/dev/null || echo 0; }
on_air() { sed -n 's/^NO_AR=\([AB-]\).*/\1/p' "$work/home/SHOW.INI" 2>/dev/null | head -1; }

handovers=0 last=A died=0 rss_start=0 rss_peak=0
end=$((SECONDS + minutes * 60))
while ((SECONDS < end)); do
    sleep 1
    if ! kill -0 $pid 2>/dev/null; then
        died=1
        break
    fi
    now=$(on_air)
    if [[ $now == [AB] && $now != "$last" ]]; then
        handovers=$((handovers + 1))
        last=$now
    fi
    r=$(rss)
    ((r > rss_peak)) && rss_peak=$r
    ((rss_start == 0 && SECONDS >= 60)) && rss_start=$r
done
rss_end=$(rss)
if ((!died)); then
    kill -TERM $pid
    for _ in $(seq 100); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
fi
wait $pid 2>/dev/null || true
trap - EXIT

# ---- what went on air ----
wav=$work/ar/card1.wav
total=$(ffprobe -v error -show_entries format=duration -of csv=p=0 "$wav")
ffmpeg -nostdin -hide_banner -i "$wav" -af silencedetect=noise=-50dB:d=0.2 -f null - 2>&1 |
    sed -n 's/.*silence_start: \([0-9.e-]*\).*/start \1/p; s/.*silence_end: \([0-9.]*\) | silence_duration: \([0-9.]*\).*/end \1 \2/p' \
    >"$work/silences.txt"
# The start-up silence (before the show is back) and the close's are not the night's.
read -r startup longest watchdog watchdog_longest < <(awk -v total="$total" '
    $1 == "start" { s = $2; open = 1; next }
    $1 == "end" { open = 0
        if (s < 0.5) { startup = $3; next }
        if ($3 >= 7.5 && $3 <= 10) { w++; if ($3 > wl) wl = $3; next }
        if ($3 > longest) longest = $3 }
    END { printf "%s %s %d %s\n", startup + 0, longest + 0, w, wl + 0 }' "$work/silences.txt")

mb() { awk -v k="$1" 'BEGIN { printf "%.1f", k / 1024 }'; }
growth_kb=$((rss_end - rss_start))
echo "minutes: $minutes"
echo "recorded s: $total"
echo "hand-overs: $handovers"
echo "messages: $(grep -c . "$work/console.log" || true)"
echo "back on air after start s: $startup"
echo "watchdog silences: $watchdog"
echo "watchdog longest s: $watchdog_longest"
echo "rss after first minute MB: $(mb "$rss_start")"
echo "rss peak MB: $(mb "$rss_peak")"
echo "rss end MB: $(mb "$rss_end")"
echo "rss growth MB: $(mb "$growth_kb")"
echo "longest silence s: $longest"

status=0
if ((died)); then echo "FAIL: the console ended by itself (see $work/console.log)"; status=1; fi
if awk -v l="$longest" 'BEGIN { exit !(l > 1) }'; then echo "FAIL: the air was silent for $longest s"; status=1; fi
if ((growth_kb > 10240)); then echo "FAIL: memory grew by $(mb "$growth_kb") MB"; status=1; fi
exit $status
