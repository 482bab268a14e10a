#!/usr/bin/env bash
# Installs what the build and the tests need from Debian's packages, only what is missing.
set -euo pipefail

# What the demo needs to build the command and the virtual module; the rest is for the tests,
# the window, the Windows build and the packages.
demo_packages=(
    cmake ninja-build ccache g++ libcli11-dev scdoc python3 libudev-dev pkg-config nlohmann-json3-dev
    libssl-dev
)
other_packages=(
    clang clang-format libclang-rt-14-dev
    libgtest-dev libgmock-dev googletest libbenchmark-dev
    qt6-base-dev libgl-dev fonts-dejavu-core
    g++-mingw-w64-x86-64 wine64
    xvfb xdotool imagemagick
    nsis desktop-file-utils appstream libxml2-utils shared-mime-info
    man-db bash-completion dpkg-dev file lintian
)
# Usage: scripts/install-deps.sh [demo]
packages=("${demo_packages[@]}")
if [[ ${1:-} != demo ]]; then
    packages+=("${other_packages[@]}")
fi

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if ((${#missing[@]})); then
    echo "installing: ${missing[*]}"
    sudo=""
    if [[ $(id -u) -ne 0 ]]; then sudo="sudo"; fi
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
