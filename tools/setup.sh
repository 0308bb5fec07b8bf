#!/usr/bin/env bash
# Installs the Debian packages Skirmora needs to build, play and test. Safe to run again: it only
# installs what is missing. Works as root or through sudo.
set -euo pipefail

packages=(
    g++ make cmake                                        # toolchain
    libglut-dev libglu1-mesa-dev libglew-dev libdevil-dev # window, OpenGL, images
    zlib1g-dev                                            # checking PNG image data
    libenet-dev pkg-config                                # networked play
    libopenal-dev libsndfile1-dev libasound2-dev          # sound: playback, sound files, quiet without a card
    libx11-dev                                            # the physical keyboard's state
    libgl1-mesa-dri                                       # software OpenGL for virtual displays
    libgtest-dev libgmock-dev libbenchmark-dev            # tests and benchmarks
    clang libclang-rt-14-dev                              # the fuzzer
    clang-format                                          # the formatting check
    xvfb xauth xdotool x11-utils imagemagick              # running and watching the real window
    desktop-file-utils appstream man-db dpkg-dev          # checking the installed files; the package
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}"
as_root=()
if [[ $(id -u) -ne 0 ]]; then
    command -v sudo >/dev/null || { echo "Run this as root, or install sudo." >&2; exit 1; }
    as_root=(sudo)
fi
"${as_root[@]}" apt-get update
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y "${missing[@]}"
