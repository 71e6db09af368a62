#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian packages Ravelin needs to build, run and test, if any are missing.
set -euo pipefail

packages=(
    cmake ninja-build g++ make          # build tools
    qt6-base-dev qt6-svg-dev            # Qt 6 Widgets, Concurrent, Test; SVG icons
    qt6-image-formats-plugins           # extra image plugins (only the stock ones are listed)
    qt6-tools-dev qt6-l10n-tools        # the translations: lupdate, lrelease and their CMake
    qt6-translations-l10n               # Qt's own texts in the user's language
    libqt6svg6                          # SVG icon engine at run time
    libexif-dev                         # embedded EXIF thumbnails (see README)
    libheif-dev                         # HEIC and AVIF (Debian's libheif1 has the HEVC and AV1 decoders built in)
    libraw-dev                          # camera RAW files: their embedded pictures
    zlib1g-dev                          # what a PNG's compressed text inflates to, before decoding
    fonts-dejavu-core                   # the same text metrics on every machine
    clang-format                        # the code format is checked by the tests
    exfatprogs exfat-fuse               # a memory-card image for the rename tests (as root)
    dpkg-dev file                       # the Debian package: dpkg-shlibdeps finds its dependencies
    desktop-file-utils appstream lintian  # the tests validate what is installed and packaged
    g++-mingw-w64-x86-64-posix          # a test compiles the Windows halves for syntax
    trash-cli libglib2.0-bin            # the tests read the trash with other programs (trash-list, gio)
    strace                              # a test counts the journal's flushes in a batch it kills
)
if [ "${RAVELIN_BENCH:-}" = 1 ]; then
    packages+=(imagemagick libimage-exiftool-perl libvips-tools libjpeg-turbo-progs)
    packages+=(xvfb xauth)                                  # the grid under X as well
fi
if [ "${RAVELIN_PEERS:-}" = 1 ]; then
    packages+=(gthumb geeqie qimgv python3)                # the programs compared, and the watcher
fi
if [ "${RAVELIN_FUZZ:-}" = 1 ]; then
    packages+=(clang-14 libclang-rt-14-dev llvm-14)   # libFuzzer and its symbolizer
fi
if [ "${RAVELIN_GUI:-}" = 1 ] && [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    packages+=(xvfb xauth)
fi

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
