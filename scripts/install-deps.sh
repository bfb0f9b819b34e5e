#!/usr/bin/env bash
# Installs every Debian package Pantrela needs to build, run and test.
# Safe to run again; does nothing when everything is already there.
set -euo pipefail

packages=(
  # build
  cmake g++ make pkg-config
  # libraries
  libsdl2-dev libx11-dev libcairo2-dev libpango1.0-dev libgdk-pixbuf-2.0-dev
  libhpdf-dev libminizip-dev zlib1g-dev libcurl4-openssl-dev libcups2-dev
  libcpp-httplib-dev libsodium-dev
  # data
  fonts-liberation2 wamerican xdg-utils
  # tests and tools
  libgtest-dev libgmock-dev libbenchmark-dev clang
  xvfb imagemagick python3 python3-pyftpdlib poppler-utils libxml2-utils libmobi-tools
  # a window manager and a window remote control for the maximise test
  openbox wmctrl x11-utils
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
