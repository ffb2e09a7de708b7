#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need.
# Safe to run again: packages already present are left alone.
#   install-deps.sh            everything (native build, Windows builds, Wine)
#   install-deps.sh --native   only what the native build needs
set -euo pipefail

packages=(
  cmake g++ make pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev libssl-dev
  nlohmann-json3-dev freerdp2-dev locales
  clang libclang-rt-14-dev
)
if [ "${1:-}" != "--native" ]; then
  packages+=(
    g++-mingw-w64-x86-64 g++-mingw-w64-i686 mingw-w64-tools
    wine64 wine libwine-dev xvfb xauth
    imagemagick fonts-wine fonts-wqy-microhei
    chromium chromium-driver firefox-esr openssl zip unzip python3
    wixl msitools osslsigncode
  )
  # Node.js and npm for the browser extension's tooling, unless a Node.js
  # (with its own npm) is already on the machine.
  command -v node >/dev/null 2>&1 || packages+=(nodejs)
  command -v npm >/dev/null 2>&1 || packages+=(npm)
fi

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
    missing+=("$package")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y --no-install-recommends "${missing[@]}"
fi
