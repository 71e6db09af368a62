#!/usr/bin/env bash
# Runs the grid benchmark: on the folders make-pictures.sh makes, or on the folders given; on
# each of the platforms in PLATFORMS (offscreen, and xcb under Xvfb, by default).
# Usage: [PLATFORMS="offscreen xcb"] bench/run.sh path/to/gridbench [folder...]
set -euo pipefail

bench=$1
shift
here=$(cd "$(dirname "$0")" && pwd)
platforms=${PLATFORMS:-offscreen xcb}

if [ $# -eq 0 ]; then
    "$here/make-pictures.sh" "$here/out"
    set -- "$here/out/camera-1000" "$here/out/plain-1000" "$here/out/camera-10000" \
        "$here/out/camera-20000" "$here/out/camera-50000" "$here/out/raw-300" "$here/out/heic-60"
fi

log=$(mktemp)
trap 'rm -f "$log"' EXIT
for folder in "$@"; do
    case "$(basename "$folder")" in
        # Ten thousand links to the thousand pictures above: the table would only repeat
        # theirs, and vipsthumbnail runs on a spread of them.
        camera-10000) extra=(--runs 3 --table-sample 0) ;;
        # The largest folders: memory, first screen, Select All and scrolling matter there.
        camera-20000 | camera-50000) extra=(--runs 1 --table-sample 0 --cold-disk-runs 0) ;;
        # Full decodes take a while: three runs give a fair median, one from the cold disk; the
        # order taken once, for what the shared cache's entries cost it.
        plain-1000) extra=(--runs 3 --cold-disk-runs 1 --order-runs 1) ;;
        # The grid in the order the pictures were taken against name order, by turns.
        camera-1000) extra=(--order-runs 5) ;;
        heic-60) extra=(--order-runs 1) ;;
        *) extra=() ;;
    esac
    for platform in $platforms; do
        case "$platform" in
            offscreen)
                QT_QPA_PLATFORM=offscreen "$bench" "${extra[@]}" "$folder" | tee -a "$log" ;;
            xcb)
                # The grid as the real program shows it, on an X server; the table and the
                # cold disk are the same as offscreen. Without thumbnails the decoding is
                # nearly all of the time, whatever the platform: that folder is left out.
                [ "$(basename "$folder")" = plain-1000 ] && continue
                if ! command -v xvfb-run >/dev/null; then
                    echo "bench: xvfb-run is missing, no xcb figures (make bench installs it)"
                    continue
                fi
                QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x1024x24" \
                    "$bench" "${extra[@]}" --table-sample 0 --cold-disk-runs 0 "$folder" \
                    | tee -a "$log" ;;
            *) echo "bench: unknown platform $platform" >&2; exit 1 ;;
        esac
        echo
    done
done
echo "== summary (cold: the files in memory; cold_disk: dropped from the page cache first)"
grep '^grid:' "$log"
