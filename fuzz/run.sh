#!/usr/bin/env bash
# Runs each fuzz target for a while on a corpus seeded from the test pictures and reports
# what it found. Usage: fuzz/run.sh BUILD_DIR SECONDS_PER_TARGET
set -uo pipefail
build=$1
seconds=${2:-120}
root=$(cd "$(dirname "$0")/.." && pwd)
work=$build/work
mkdir -p "$work/crashes"

# Seeds for a loader target: every small test picture of the folders given, behind the byte
# that picks its extension (the function named by pick prints it, or fails for other files).
make_seeds() { # target pick folder...
    local seeds=$work/seeds-$1 pick=$2 i=0 file byte
    shift 2
    [ -d "$seeds" ] && return
    mkdir -p "$seeds"
    while IFS= read -r -d '' file; do
        byte=$("$pick" "${file,,}") || continue
        { printf "$byte"; cat "$file"; } >"$seeds/seed-$i"
        i=$((i + 1))
    done < <(find "$@" -type f -size -128k -print0)
}
loader_pick() {
    case "$1" in
        *.jpg) echo '\x00' ;; *.jpeg) echo '\x01' ;; *.bmp) echo '\x02' ;;
        *.gif) echo '\x03' ;; *.ico) echo '\x04' ;; *) return 1 ;;
    esac
}
camera_pick() {
    case "$1" in
        *.heic | *.heif) echo '\x00' ;; *.avif) echo '\x01' ;; *.cr2 | *.cr3) echo '\x02' ;;
        *.nef | *.rw2) echo '\x03' ;; *.dng) echo '\x04' ;; *.raf) echo '\x05' ;; *) return 1 ;;
    esac
}
make_seeds pictureloader loader_pick "$root/tests/data"
make_seeds cameraformats camera_pick "$root/tests/data/camera" "$root/tests/data/bad-camera"
mkdir -p "$work/seeds-namerules"
printf '\x00\x01C:\\Pics\\DSC01234.JPG\x00Holiday\x007' >"$work/seeds-namerules/seed-0"

status=0
for target in pictureloader cameraformats namerules; do
    corpus=$work/corpus-$target
    mkdir -p "$corpus"
    # Inputs that once failed are kept in fuzz/regressions/<target> and always run first.
    inputs=("$corpus" "$work/seeds-$target")
    [ -d "$root/fuzz/regressions/$target" ] && inputs+=("$root/fuzz/regressions/$target")
    echo "fuzz: $target for $seconds s"
    "$build/fuzz_$target" "${inputs[@]}" \
        -max_total_time="$seconds" -max_len=131072 -timeout=20 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$work/crashes/$target-" \
        >"$work/$target.log" 2>&1
    result=$?
    runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$work/$target.log" | grep -o '[0-9]*$')
    crashes=$(find "$work/crashes" -name "$target-*" | wc -l)
    echo "fuzz: $target runs=${runs:-?} exit=$result crashes_kept=$crashes corpus=$(ls "$corpus" | wc -l)"
    [ "$result" -eq 0 ] || { status=1; tail -40 "$work/$target.log"; }
done
exit $status
