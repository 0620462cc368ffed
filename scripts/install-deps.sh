#!/usr/bin/env bash
# Installs the Debian packages the console needs to build, run and test, when missing.
set -euo pipefail
packages=(g++ cmake ninja-build pkg-config qt6-base-dev libavformat-dev libavcodec-dev
  libavutil-dev libswresample-dev libsdl2-dev libsoxr-dev libebur128-dev libqt6sql6-sqlite ffmpeg
  xvfb xauth imagemagick fonts-dejavu-core desktop-file-utils pulseaudio pulseaudio-utils
  qt6-translations-l10n)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
