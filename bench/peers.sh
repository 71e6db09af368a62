#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Ravelin beside the picture viewers Debian ships (gThumb, Geeqie, qimgv), in the same run, on
# the same folders: how soon each shows its first screen of thumbnails, how long it takes to
# thumbnail the whole folder, the same again for a second launch, and its peak memory.
# Run by hand, not by ctest:
#
#   apt-get install -y --no-install-recommends gthumb geeqie qimgv xvfb imagemagick
#   bench/make-pictures.sh bench/out   # the folders, if make bench has not made them yet
#   [RUNS=3] [PROGRAMS="ravelin gthumb geeqie qimgv"] [RAVELIN=build/ravelin] [OUT=dir] \
#       bench/peers.sh [folder...]       # default: bench/out/camera-1000 bench/out/plain-1000
#
# It prints one line per program, folder and run, then a table of the medians over the runs.
#
# How: every launch runs alone (never two programs at once) under its own Xvfb at
# 1280 x 1024, started with -fbdir, so that the screen is a file, and -nocursor, so that the
# pointer (in the middle of the screen, over the thumbnails) is neither drawn nor changes
# shape. bench/peers-watch.py starts the program, reads that file every 25 ms for the first
# 3 s, then every 100 ms, counts the thumbnail files under the private cache, and ends the
# program once neither its thumbnails and progress on screen nor that count have changed for
# 5 s (QUIET_S; LIMIT_S, 180 s, at the latest). Each run has a private, empty HOME,
# XDG_CACHE_HOME and XDG_CONFIG_HOME for its first launch; the second launch uses the same
# ones again, so it starts with the cache the first filled. Measured from the program's start:
#
# - first: the last change of the rectangle where the program shows its first screen of
#   thumbnails (one per program, below). From that moment on the rectangle stays as it ends,
#   every cell in it with its picture; before it, cells were still empty or a window was not
#   there yet. The screens at that moment and at the end are kept as PNGs in $OUT, to check
#   that it is the thumbnails and not a splash or an empty window (FRAMES=1 keeps every
#   change). The windows keep their own default sizes: the rectangle holds 20 cells for
#   Ravelin (the fourth row cut) and Geeqie (its first four rows), and all that show for
#   gThumb (16) and qimgv (12).
# - whole: the later of the last growth of the count of thumbnail files under the private
#   XDG_CACHE_HOME (the shared thumbnails/ folder, and a program's own cache such as qimgv's)
#   and the last change of the thumbnails on screen or of the program's progress bar or
#   status text (Ravelin's progress bar, Geeqie's "Loading thumbs..."). Ravelin writes no
#   cache file for a picture with an embedded EXIF thumbnail: there it is its progress bar
#   reaching the end. qimgv makes only the thumbnails of the cells on screen and near them:
#   the count it made is in the table. On a second launch the count no longer grows: whole is
#   when the screen settles.
# - peak: VmHWM of the program's own process (not of helpers it may start), read just before
#   it is ended; the table gives the larger of the two launches.
#
# For comparable figures Geeqie is set to its icon view with thumbnails shown (its default is
# a list without them) and a wider file pane, and qimgv is told it has run before (its first
# run shows a welcome message over the thumbnails for 4 s); all else is each program's
# default: Geeqie decodes whole pictures (it uses EXIF thumbnails only when told to), gThumb
# and Geeqie fill the shared cache, qimgv its own.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
runs=${RUNS:-3}
programs=${PROGRAMS:-ravelin gthumb geeqie qimgv}
ravelin=$(realpath "${RAVELIN:-$here/../build/ravelin}")
out=${OUT:-$here/out/peers}
export QUIET_S=${QUIET_S:-5} LIMIT_S=${LIMIT_S:-180}
[ $# -eq 0 ] && set -- "$here/out/camera-1000" "$here/out/plain-1000"

for p in $programs; do
    case $p in
        ravelin)
            [ -x "$ravelin" ] || { echo "peers: build Ravelin first ($ravelin)" >&2; exit 1; } ;;
        *) command -v "$p" >/dev/null || { echo "peers: $p is not installed" >&2; exit 1; } ;;
    esac
done
command -v xvfb-run >/dev/null || { echo "peers: xvfb-run is missing" >&2; exit 1; }

mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Two rectangles per program, x,y,w,h in screen pixels, as its window opens at its default
# place and size on a 1280 x 1024 screen without a window manager: the first screen of
# thumbnails; and the same with the program's progress bar or status text where it has one
# (not the folder tree, nor a status bar with the disk's free space, which change with what
# other programs do in /tmp or on the disk).
first_rectangle() {
    case $1 in
        ravelin) echo 455,270,540,495 ;;
        gthumb) echo 300,100,720,630 ;;
        geeqie) echo 2,124,795,364 ;;
        qimgv) echo 356,142,625,555 ;;
    esac
}
whole_rectangle() {
    case $1 in
        ravelin) echo 450,265,574,518 ;;
        geeqie) echo 0,122,800,780 ;;
        *) first_rectangle "$1" ;;
    esac
}

# Geeqie writes its full configuration when it quits; a partial one leaves its thumbnails off.
# So it is started once to write the default, which each run then changes to the icon view.
geeqie_default=$work/geeqierc.xml
make_geeqie_default() {
    local home=$work/geeqie-home
    mkdir -p "$home"
    # shellcheck disable=SC2016 # $1 is the inner shell's
    HOME=$home XDG_CONFIG_HOME=$home/.config XDG_CACHE_HOME=$home/.cache \
        xvfb-run -a bash -c 'geeqie "$1" >/dev/null 2>&1 & sleep 5; geeqie --remote --quit \
            >/dev/null 2>&1; wait' _ "$work"
    cp "$home/.config/geeqie/geeqierc.xml" "$geeqie_default"
}

prepare_home() { # program home
    mkdir -p "$2/.config/gtk-3.0" "$2/.cache"
    # A blinking text cursor would keep the screen changing for ever.
    printf '[Settings]\ngtk-cursor-blink = false\n' >"$2/.config/gtk-3.0/settings.ini"
    if [ "$1" = qimgv ]; then
        # Not its first run: that shows a welcome message over the thumbnails for 4 s.
        local version
        version=$(dpkg-query -W -f '${Version}' qimgv |
            sed -E 's/^([0-9]+:)?([0-9]+)\.([0-9]+)\.([0-9]+).*/\2 \3 \4/')
        mkdir -p "$2/.config/qimgv"
        # shellcheck disable=SC2086 # the three numbers of the version
        printf '[General]\nfirstRun=false\nlastVerMajor=%s\nlastVerMinor=%s\nlastVerMicro=%s\n' \
            $version >"$2/.config/qimgv/qimgv.conf"
    fi
    if [ "$1" = geeqie ]; then
        mkdir -p "$2/.config/geeqie"
        sed -e 's/file_view_type = "0"/file_view_type = "1"/' \
            -e 's/show_thumbnails = "false"/show_thumbnails = "true"/' \
            -e 's/main_window.w = "[0-9]*"/main_window.w = "1200"/' \
            -e 's/main_window.h = "[0-9]*"/main_window.h = "900"/' \
            -e 's/main_window.hdivider_pos = "[0-9]*"/main_window.hdivider_pos = "800"/' \
            -e 's/main_window.vdivider_pos = "[0-9]*"/main_window.vdivider_pos = "120"/' \
            "$geeqie_default" >"$2/.config/geeqie/geeqierc.xml"
    fi
}

launch() { # program folder home shots -> "first_ms whole_ms peak_mb cache_files stopped"
    local program=$1 folder=$2 home=$3 shots=$4 fb
    local command=("$program" "$folder")
    [ "$program" = ravelin ] && command=("$ravelin" "$folder")
    fb=$(mktemp -d "$work/fb.XXXX")
    env -u DBUS_SESSION_BUS_ADDRESS HOME="$home" XDG_CACHE_HOME="$home/.cache" \
        XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share" \
        xvfb-run -a -s "-screen 0 1280x1024x24 -nocursor -fbdir $fb" \
        python3 "$here/peers-watch.py" "$fb/Xvfb_screen0" "$(first_rectangle "$program")" \
        "$(whole_rectangle "$program")" \
        "$home/.cache" "$shots" -- "${command[@]}"
    rm -rf "$fb"
    for s in first end; do
        convert "xwd:$shots-$s.xwd" "$shots-$s.png" 2>/dev/null && rm -f "$shots-$s.xwd"
    done
}

case " $programs " in *" geeqie "*) make_geeqie_default ;; esac

log=$out/peers.log
: >"$log"
echo "peers: load average at the start: $(cut -d' ' -f1-3 /proc/loadavg); $runs run(s) each"
for folder in "$@"; do
    name=$(basename "$folder")
    pictures=$(find "$folder" -maxdepth 1 -type f ! -name ".*" | wc -l)
    for run in $(seq "$runs"); do
        for program in $programs; do
            home=$(mktemp -d "$work/home.XXXX")
            prepare_home "$program" "$home"
            read -r f1 w1 p1 c1 s1 < <(launch "$program" "$folder" "$home" \
                "$out/$name-$program-$run-1")
            read -r f2 w2 p2 _ s2 < <(launch "$program" "$folder" "$home" \
                "$out/$name-$program-$run-2")
            rm -rf "$home"
            line="peers: folder=$name pictures=$pictures program=$program run=$run"
            line+=" first_ms=$f1 whole_ms=$w1 cache_files=$c1 second_first_ms=$f2"
            line+=" second_whole_ms=$w2 peak_mb=$((p1 > p2 ? p1 : p2)) stopped=$s1/$s2"
            line+=" load=$(cut -d' ' -f1 /proc/loadavg)"
            echo "$line" | tee -a "$log"
        done
    done
done
echo "peers: load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)"

# Medians over the runs, one row per folder and program.
echo
echo "| folder | program | first screen | whole folder | second launch: first screen |" \
    "second launch: whole | peak memory | thumbnail files | runs |"
echo "|---|---|---|---|---|---|---|---|---|"
awk '
function median(key, field,   n, i, j, t, v) {
    n = split(values[key, field], v, " ")
    for (i = 2; i <= n; i++) for (j = i; j > 1 && v[j - 1] + 0 > v[j] + 0; j--) {
        t = v[j]; v[j] = v[j - 1]; v[j - 1] = t
    }
    return n % 2 ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2
}
{
    for (i = 2; i <= NF; i++) { split($i, kv, "="); f[kv[1]] = kv[2] }
    key = f["folder"] SUBSEP f["program"]
    if (!(key in seen)) { seen[key] = 1; order[++rows] = key }
    count[key]++
    for (k in f) values[key, k] = values[key, k] " " f[k]
}
END {
    for (r = 1; r <= rows; r++) {
        key = order[r]; split(key, fp, SUBSEP)
        printf "| %s | %s | %.2f s | %.1f s | %.2f s | %.2f s | %d MB | %d | %d |\n", fp[1], fp[2],
            median(key, "first_ms") / 1000, median(key, "whole_ms") / 1000,
            median(key, "second_first_ms") / 1000, median(key, "second_whole_ms") / 1000,
            median(key, "peak_mb"), median(key, "cache_files"), count[key]
    }
}' "$log"
