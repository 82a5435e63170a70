#!/usr/bin/env bash
# Installs the Debian packages the build, the program and the tests need, when any is missing.
# Works as root, or as a normal user through sudo. Without sudo (Debian's default when a root
# password was set at installation) it prints the one command to run as root instead, and stops.
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-svg-dev qt6-wayland libgl-dev libxcb1-dev libx11-dev
    libsqlite3-dev sqlite3 libplist-dev libudev-dev
    libgtest-dev libgmock-dev
    fonts-urw-base35 desktop-file-utils libxml2-utils
    xvfb xauth x11-utils openbox xdotool dbus e2fsprogs ntfs-3g util-linux coreutils procps libssl3
    pkexec xfsprogs btrfs-progs
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

install_command="apt-get update -q && apt-get install -y -q --no-install-recommends ${missing[*]}"
explain() {
    echo "These Debian packages are missing: ${missing[*]}" >&2
    echo "$1 Run this as root (su asks for root's password), then start the set-up again:" >&2
    echo "    su -c '$install_command'" >&2
    exit 1
}

export DEBIAN_FRONTEND=noninteractive
if [ "$(id -u)" -eq 0 ]; then
    echo "Installing: ${missing[*]}"
    sh -c "$install_command"
elif command -v sudo >/dev/null 2>&1; then
    echo "Installing through sudo: ${missing[*]}"
    sudo sh -c "DEBIAN_FRONTEND=noninteractive $install_command" ||
        explain "Installing them through sudo failed (your account may not be allowed to use sudo)."
else
    explain "Installing them needs root, and sudo is not installed."
fi
