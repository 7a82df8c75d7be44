#!/usr/bin/env bash
# Installs, without questions, the Debian 12 packages the build and tests need.
set -euo pipefail
packages=(cmake make g++ clang libclang-rt-14-dev pkg-config
          qt6-base-dev qt6-serialport-dev libgl-dev
          libgtest-dev libbenchmark-dev
          fontconfig fonts-dejavu-core xvfb xauth locales)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" </dev/null
fi
# The number tests also run under a locale with a decimal comma.
if ! locale -a 2>/dev/null | grep -qix 'de_DE.utf8'; then
  $sudo sed -i 's/^# *\(de_DE.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  $sudo locale-gen >/dev/null || echo "note: no de_DE.UTF-8 locale; the number tests use Qt's locale only"
fi
