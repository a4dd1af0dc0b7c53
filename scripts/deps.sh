#!/usr/bin/env bash
# Installs the Debian 12 packages the tool needs to build, run and test, and any package
# named as an argument (scripts/package.sh adds lintian).
set -euo pipefail
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
PACKAGES=(g++ cmake make pkg-config qt6-base-dev qt6-serialport-dev qt6-charts-dev libgl-dev fonts-liberation2 libxlsxwriter-dev libfreexl-dev zlib1g-dev clang libcli11-dev dpkg-dev ccache locales ser2net openssl "$@")
missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}"
fi
# The tests write workbooks under a locale with decimal commas as well.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  $SUDO localedef -i de_DE -f UTF-8 de_DE.UTF-8
fi
