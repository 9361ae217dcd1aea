#!/usr/bin/env bash
# Installs, from Debian 12's packages, everything the build, the tests, the editor and its package need.
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config ccache mold
  qt6-base-dev qt6-base-dev-tools libgl-dev libqt6svg6
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  libssh-dev libssl-dev libcurl4-openssl-dev openssl openssh-client openssh-server curl
  vsftpd python3 python3-pyftpdlib python3-paramiko
  fonts-liberation2 adwaita-icon-theme desktop-file-utils
  xvfb xauth poppler-utils netpbm
  dpkg-dev lintian appstream librsvg2-bin man-db
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
