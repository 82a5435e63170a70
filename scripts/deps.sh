#!/usr/bin/env bash
# Installs the Debian packages the build, the program and the tests need, when any is missing.
# Works as root, or as a normal user through sudo.
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-svg-dev libgl-dev libxcb1-dev
    libsqlite3-dev sqlite3 libplist-dev libudev-dev
    libgtest-dev libgmock-dev
    fonts-urw-base35 desktop-file-utils libxml2-utils
    xvfb xauth x11-utils dbus e2fsprogs util-linux coreutils procps libssl3
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
    sudo_cmd=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -q
"${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
