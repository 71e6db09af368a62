#!/usr/bin/env bash
# Runs each fuzz target for a while on a corpus seeded from the test pictures and reports
# what it found. Usage: fuzz/run.sh BUILD_DIR SECONDS_PER_TARGET
set -uo pipefail
build=$1
seconds=${2:-120}
root=$(cd "$(dirname "$0")/.." && pwd)
work=$build/work
mkdir -p "$work/crashes"

# Loader seeds: every small test picture, behind the byte that picks its extension.
seeds=$work/seeds-pictureloader
if [ ! -d "$seeds" ]; then
    mkdir -p "$seeds"
    i=0
    while IFS= read -r -d '' file; do
        case "${file,,}" in
            *.jpg) pick='\x00' ;; *.jpeg) pick='\x01' ;; *.bmp) pick='\x02' ;;
            *.gif) pick='\x03' ;; *.ico) pick='\x04' ;; *) continue ;;
        esac
        { printf "$pick"; cat "$file"; } >"$seeds/seed-$i"
        i=$((i + 1))
    done < <(find "$root/tests/data" -type f -size -128k -print0)
fi
# Camera format seeds: the HEIC, AVIF and RAW test files, each behind the byte that names it.
seeds=$work/seeds-cameraformats
if [ ! -d "$seeds" ]; then
    mkdir -p "$seeds"
    i=0
    while IFS= read -r -d '' file; do
        case "${file,,}" in
            *.heic | *.heif) pick='\x00' ;; *.avif) pick='\x01' ;; *.cr2 | *.cr3) pick='\x02' ;;
            *.nef | *.rw2) pick='\x03' ;; *.dng) pick='\x04' ;; *.raf) pick='\x05' ;; *) continue ;;
        esac
        { printf "$pick"; cat "$file"; } >"$seeds/seed-$i"
        i=$((i + 1))
    done < <(find "$root/tests/data/camera" "$root/tests/data/bad-camera" -type f -size -128k -print0)
fi
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
