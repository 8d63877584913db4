#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what building, running and testing need on Debian 12, skipping
# what is already there. Run as root (or with sudo available).
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev qt6-base-dev-tools libgl-dev
    clang libclang-rt-14-dev
    libgtest-dev libbenchmark-dev
    fortunes-min fortunes fortunes-de
    xvfb xauth openbox x11-utils wmctrl xdotool weston qt6-wayland
    desktop-file-utils appstream lintian file
)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
