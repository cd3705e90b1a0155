#!/usr/bin/env bash
# Installs every Debian package that building, running and testing Morvane need.
# Safe to run again: when everything is present it changes nothing and does not touch the network.
set -euo pipefail

packages=(
  # build
  build-essential cmake pkg-config clang-format
  # libraries the product links
  libpng-dev zlib1g-dev libdeflate-dev libjpeg62-turbo-dev
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libgl-dev
  # tests and benchmarks
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  # independent peers for interoperability tests, and a display for the editor's tests
  imagemagick python3 python3-pil icoutils xvfb xauth x11-utils xclip
  # desktop integration tests: desktop entries, MIME database, gio queries, setpriv
  desktop-file-utils libglib2.0-bin shared-mime-info util-linux
)
# GIMP is not installed here: the tests labelled host run only where it already is.

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_cmd=(sudo)
fi

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
