#!/usr/bin/env bash
# Installs, without questions, the Debian 12 packages the build and tests need.
set -euo pipefail
packages=(cmake make g++ clang libclang-rt-14-dev pkg-config
          qt6-base-dev qt6-serialport-dev libgl-dev
          libgtest-dev libbenchmark-dev
          fontconfig fonts-dejavu-core xvfb xauth)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" </dev/null
