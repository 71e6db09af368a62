#!/usr/bin/env bash
# Runs the grid benchmark: on the folders make-pictures.sh makes, or on the folders given.
# Usage: bench/run.sh path/to/gridbench [folder...]
set -euo pipefail

bench=$1
shift
here=$(cd "$(dirname "$0")" && pwd)
export QT_QPA_PLATFORM=offscreen

if [ $# -eq 0 ]; then
    "$here/make-pictures.sh" "$here/out"
    set -- "$here/out/camera-1000" "$here/out/plain-1000" "$here/out/camera-10000"
fi

log=$(mktemp)
trap 'rm -f "$log"' EXIT
for folder in "$@"; do
    case "$(basename "$folder")" in
        # Ten thousand links to the thousand pictures above: the table would only repeat
        # theirs, and vipsthumbnail runs on a spread of them.
        camera-10000) extra=(--runs 3 --table-sample 0) ;;
        # Full decodes take a while: three runs give a fair median.
        plain-1000) extra=(--runs 3) ;;
        *) extra=() ;;
    esac
    "$bench" "${extra[@]}" "$folder" | tee -a "$log"
    echo
done
echo "== summary"
grep '^grid:' "$log"
