#!/usr/bin/env bash
# Makes the benchmark's picture folders under the given folder (bench/out by default), once:
#   camera-1000   1000 camera-like 4000 x 3000 JPEGs with a 160 x 120 EXIF thumbnail, every
#                 fifth one with orientation 6 (to be shown turned a quarter clockwise)
#   plain-1000    the same pictures with EXIF but without an embedded thumbnail
#   camera-10000  10000 names, hard links to the pictures of camera-1000
#   raw-300       300 camera RAW files, hard links to the test RAW files that carry an embedded
#                 picture (a Fujifilm RAF and a Panasonic RW2, each with a JPEG thumbnail)
#   heic-60       60 HEIC files, hard links to the test iPhone HEIC (3024 x 4032, without a
#                 stored thumbnail: each is decoded whole, some half a second a picture)
# A few masters are drawn with ImageMagick and tagged with exiftool; the folders are byte-level
# variations of them (each copy gets its own date stamp: the first half of the names and the
# second taken by turns, as by two cameras), so a run takes seconds, not hours.
set -euo pipefail

out=${1:-"$(dirname "$0")/out"}
samples=$(cd "$(dirname "$0")/../tests/data/camera" && pwd)
masters=4
mkdir -p "$out/masters"
cd "$out"

for tool in convert exiftool perl; do
    command -v "$tool" >/dev/null || { echo "make-pictures: $tool is missing (make bench installs it)" >&2; exit 1; }
done

# A landscape: sky, sun, a tree and rough ground, so that a picture turned the wrong way shows.
draw_master() {
    local n=$1 file=$2
    local sun_x=$((1200 + n * 600)) tree_x=$((500 + n * 250))
    convert -size 4000x1700 gradient:'#2f64a8-#d7e6f2' \
        \( -seed "$n" -size 800x260 plasma:'#5b8a34-#203a12' -resize 4000x1300! \) -append \
        -fill '#fff4c0' -draw "circle $sun_x,520 $sun_x,760" \
        -fill '#6b4a2a' -draw "rectangle $tree_x,1500 $((tree_x + 160)),2500" \
        -fill '#2e5e22' -draw "circle $((tree_x + 80)),1350 $((tree_x + 80)),1800" \
        -blur 0x1.5 -attenuate 0.35 +noise Gaussian -sampling-factor 2x2 -quality 90 "$file"
}

tag() { # file orientation [thumbnail]
    local args=(-q -overwrite_original -Make=Ravelin -Model="Bench Camera" -Orientation#="$2"
                -ExifImageWidth=4000 -ExifImageHeight=3000
                -DateTimeOriginal="2024:05:01 10:00:00" -CreateDate="2024:05:01 10:00:00")
    [ $# -ge 3 ] && args+=("-ThumbnailImage<=$3")
    exiftool "${args[@]}" "$1"
}

for ((n = 0; n < masters; n++)); do
    m=masters/scene$n
    [ -e "$m-plain-6.jpg" ] && continue
    echo "make-pictures: drawing master $((n + 1)) of $masters"
    draw_master "$n" "$m.jpg"
    convert "$m.jpg" -thumbnail 160x120! -quality 85 "$m-thumb.jpg"
    for o in 1 6; do
        cp "$m.jpg" "$m-camera-$o.jpg" && tag "$m-camera-$o.jpg" "$o" "$m-thumb.jpg"
        cp "$m.jpg" "$m-plain-$o.jpg" && tag "$m-plain-$o.jpg" "$o"
    done
done

# Copies master (i mod masters), orientation 6 for every fifth, with the date stamp changed.
vary() { # kind folder count
    local kind=$1 dir=$2 count=$3
    [ -e "$dir/.done" ] && return
    echo "make-pictures: writing $dir"
    rm -rf "$dir" && mkdir -p "$dir"
    perl -e '
        my ($kind, $dir, $count, $masters) = @ARGV;
        my @data;
        for my $n (0 .. $masters - 1) {
            for my $o (1, 6) {
                open(my $f, "<:raw", "masters/scene$n-$kind-$o.jpg") or die $!;
                local $/; $data[$n][$o] = <$f>;
            }
        }
        for my $i (0 .. $count - 1) {
            my $bytes = $data[$i % $masters][$i % 5 == 4 ? 6 : 1];
            # Two cameras by turns: the first half of the names one, the second the other.
            my $half = int(($count + 1) / 2);
            my $t = $i < $half ? 2 * $i : 2 * ($i - $half) + 1;
            my $stamp = sprintf("2024:05:%02d %02d:%02d:%02d", 1 + int($t / 86400) % 28,
                                int($t / 3600) % 24, int($t / 60) % 60, $t % 60);
            $bytes =~ s/2024:05:01 10:00:00/$stamp/g;
            open(my $f, ">:raw", sprintf("%s/IMG_%04d.JPG", $dir, $i + 1)) or die $!;
            print $f $bytes;
        }' "$kind" "$dir" "$count" "$masters"
    touch "$dir/.done"
}

vary camera camera-1000 1000
vary plain plain-1000 1000

# Large folders: links to the thousand pictures with thumbnails.
for count in 10000 20000 50000; do
    [ -e "camera-$count/.done" ] && continue
    echo "make-pictures: linking camera-$count"
    rm -rf "camera-$count" && mkdir "camera-$count"
    perl -e 'my $count = shift; for my $i (1 .. $count) {
        link(sprintf("camera-1000/IMG_%04d.JPG", ($i - 1) % 1000 + 1),
             sprintf("camera-%d/IMG_%05d.JPG", $count, $i)) or die $!;
    }' "$count"
    touch "camera-$count/.done"
done

# RAW and HEIC files cannot be drawn here: the test samples stand for a camera's and a phone's.
link_samples() { # folder count extension:sample...
    local dir=$1 count=$2
    shift 2
    [ -e "$dir/.done" ] && return
    echo "make-pictures: linking $dir"
    rm -rf "$dir" && mkdir "$dir"
    local samples_given=("$@") i
    for ((i = 0; i < count; i++)); do
        local pick=${samples_given[$((i % ${#samples_given[@]}))]}
        ln "$samples/${pick#*:}" "$(printf '%s/IMG_%04d.%s' "$dir" $((i + 1)) "${pick%%:*}")" \
            2>/dev/null || cp "$samples/${pick#*:}" "$(printf '%s/IMG_%04d.%s' "$dir" $((i + 1)) "${pick%%:*}")"
    done
    touch "$dir/.done"
}
link_samples raw-300 300 RAF:FujiFilm.raf RW2:Panasonic.rw2
link_samples heic-60 60 HEIC:IMG_2927.HEIC
