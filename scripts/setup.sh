#!/usr/bin/env bash
# Prepares a Debian 12 machine for building, running and testing Velkaro: installs whatever
# of the toolchain is missing. Safe to run again; a ready machine is checked in a second.
set -euo pipefail

packages=(
    make cmake ninja-build g++ python3 zip
    googletest libgtest-dev libgmock-dev libbenchmark-dev
    g++-mingw-w64-i686-posix mingw-w64-i686-dev binutils-mingw-w64-i686
    wine wine32:i386
    xvfb xauth x11-utils xdotool imagemagick inotify-tools strace
    nsis locales
    clang libclang-rt-14-dev
    fonts-dejavu-core fonts-liberation
)

need_i386=0
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    need_i386=1
fi

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if [[ $need_i386 -eq 0 && ${#missing[@]} -eq 0 ]]; then
    exit 0
fi

as_root=()
if [[ $(id -u) -ne 0 ]]; then
    if command -v sudo >/dev/null 2>&1; then
        as_root=(sudo)
    else
        echo "setup: missing packages (${missing[*]}); run scripts/setup.sh as root" >&2
        exit 1
    fi
fi

export DEBIAN_FRONTEND=noninteractive
if [[ $need_i386 -eq 1 ]]; then
    echo "setup: adding the i386 architecture (32-bit Wine)"
    "${as_root[@]}" dpkg --add-architecture i386
fi
echo "setup: installing ${missing[*]}"
"${as_root[@]}" apt-get update -q
"${as_root[@]}" apt-get install -y -q "${missing[@]}" </dev/null
