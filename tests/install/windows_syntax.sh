#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Compiles, for syntax only, every source that Windows builds differently: the *_win.cpp halves
# and every file with a Q_OS_WIN branch, with the mingw-w64 cross compiler against Qt's headers.
# A misspelt Win32 call or a branch that no longer fits the code around it fails here, on Linux.
# Usage: windows_syntax.sh COMPILER SOURCE_DIR GENERATED_DIR QT_INCLUDE_DIR...
# Exits 77 (skipped) when the cross compiler is not installed.
set -euo pipefail
compiler=$1 src=$2 generated=$3
shift 3
if [ -z "$compiler" ] || ! command -v "$compiler" >/dev/null; then
    echo "SKIP: no mingw-w64 cross compiler (Debian: g++-mingw-w64-x86-64-posix)"
    exit 77
fi
includes=()
for dir in "$@"; do
    case $dir in */mkspecs/*) ;; *) includes+=(-isystem "$dir") ;; esac
done
mapfile -t sources < <(cd "$src" && { find . -name '*_win.cpp'; grep -rl --include='*.cpp' 'Q_OS_WIN' .; } | sort -u)
[ ${#sources[@]} -gt 0 ] || { echo "no Windows sources found under $src"; exit 1; }
failed=0
for source in "${sources[@]}"; do
    if "$compiler" -std=c++20 -fsyntax-only -Wall -Wextra -Wpedantic -Wshadow -Werror \
        -DUNICODE -D_UNICODE "${includes[@]}" -I"$src" -I"$generated" "$src/${source#./}"; then
        echo "ok   ${source#./}"
    else
        echo "FAIL ${source#./}"
        failed=1
    fi
done
exit $failed
