#!/usr/bin/env bash
# Installs what the build and the tests need from Debian's packages, only what is missing.
set -euo pipefail

packages=(
    cmake ninja-build ccache g++ clang clang-format libclang-rt-14-dev
    libgtest-dev libgmock-dev googletest libbenchmark-dev libcli11-dev
    nlohmann-json3-dev libssl-dev
    qt6-base-dev libgl-dev fonts-dejavu-core
    g++-mingw-w64-x86-64 wine64
    xvfb xdotool imagemagick
    nsis desktop-file-utils appstream libxml2-utils shared-mime-info
    scdoc man-db bash-completion dpkg-dev file lintian python3
)

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
