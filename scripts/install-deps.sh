#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian packages Tovin needs to build, run and test, and nothing when they
# are all present already.
set -euo pipefail

packages=(
  build-essential cmake pkg-config clang-format
  libgtest-dev libgmock-dev
  qt6-base-dev qt6-svg-dev libasound2-dev libasound2-plugins alsa-utils
  libfluidsynth-dev timgm6mb-soundfont libsndfile1-dev libsoxr-dev libcli11-dev
  fonts-ipafont-gothic
  pulseaudio pulseaudio-utils sox stress-ng
  xvfb xauth imagemagick
  at-spi2-core python3-pyatspi dbus
)
# `install-deps.sh fuzz`: also clang and its libFuzzer runtime, for `make fuzz`.
if [ "${1:-}" = fuzz ]; then
  packages+=(clang libclang-rt-dev)
fi
# `install-deps.sh deb`: also what `make deb` builds the package with.
if [ "${1:-}" = deb ]; then
  packages+=(dpkg-dev file)
fi
# `install-deps.sh deb-check`: the tools that check the package, and what the installed
# package's check uses (man, completion, the MIME database). About 130 packages with
# lintian's Perl, so only `make deb-check` (and CI) asks for them.
if [ "${1:-}" = deb-check ]; then
  packages+=(lintian appstream desktop-file-utils shared-mime-info
    xdg-utils libfile-mimeinfo-perl man-db groff-base bash-completion)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
