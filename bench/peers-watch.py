#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# Starts one picture viewer and watches it until its thumbnails are done; bench/peers.sh runs
# it under Xvfb with -fbdir, so the screen is a file in xwd format that can be read every
# 25 ms (for the first 3 s, then every 100 ms) without asking the X server for it.
#
# Usage: peers-watch.py SCREENFILE X,Y,W,H X,Y,W,H CACHEDIR SHOTPREFIX -- PROGRAM [ARG...]
#
# Prints one line: first_ms whole_ms peak_mb cache_files stopped
#   first_ms    the last change of the first rectangle (the program's first screen of
#               thumbnails): from then on it stays as it ends, pictures drawn;
#   whole_ms    the later of the last growth of the count of thumbnail files under CACHEDIR
#               and the last change of the second rectangle (the thumbnails and the
#               program's progress bar or status text, if it has one);
#   peak_mb     VmHWM of the program's own process, read just before it is ended;
#   stopped     "quiet" when nothing changed for QUIET_S seconds, "limit" when LIMIT_S ran
#               out, "died" when the program ended by itself.
# The screens at first_ms and at the end are written to SHOTPREFIX-first.xwd and -end.xwd.
import os
import signal
import struct
import subprocess
import sys
import time
import zlib

# Every 25 ms for the first 3 s, when most first screens appear; then every 100 ms.
FAST_POLL_S, FAST_FOR_S, POLL_S = 0.025, 3.0, 0.1
QUIET_S = float(os.environ.get("QUIET_S", "5"))
LIMIT_S = float(os.environ.get("LIMIT_S", "120"))
# FRAMES=1 keeps every change of the first rectangle as SHOTPREFIX-<ms>.xwd, to see what the
# program showed and when.
FRAMES = os.environ.get("FRAMES") == "1"


def read_screen(path):
    with open(path, "rb") as f:
        return f.read()


def checksum(data, rect):
    """A checksum of the rectangle's pixels."""
    fields = struct.unpack(">25I", data[:100])
    header, bits, stride, ncolors = fields[0], fields[11], fields[12], fields[19]
    start = header + ncolors * 12
    x, y, w, h = rect
    step = bits // 8
    view = memoryview(data)
    crc = 0
    for r in range(h):
        row = start + (y + r) * stride
        crc = zlib.crc32(view[row + x * step:row + (x + w) * step], crc)
    return crc


def count_thumbnails(root):
    n = 0
    for _, _, files in os.walk(root):
        n += sum(1 for f in files if f.lower().endswith((".png", ".jpg", ".jpeg", ".webp")))
    return n


def peak_mb(pid):
    try:
        with open(f"/proc/{pid}/status") as f:
            for line in f:
                if line.startswith("VmHWM:"):
                    return int(line.split()[1]) / 1024
    except OSError:
        pass
    return 0.0


def main():
    screen, first_text, whole_text, cache, shots = sys.argv[1:6]
    command = sys.argv[7:]
    rect = tuple(int(v) for v in first_text.split(","))
    whole_rect = tuple(int(v) for v in whole_text.split(","))

    start = time.monotonic()
    program = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    last_rect = last_screen = None
    first_t = screen_t = count_t = counted_t = 0.0
    first_frame = None
    count = 0
    stopped = "limit"
    while True:
        time.sleep(FAST_POLL_S if time.monotonic() - start < FAST_FOR_S else POLL_S)
        now = time.monotonic() - start
        data = read_screen(screen)
        rect_hash = checksum(data, rect)
        screen_hash = checksum(data, whole_rect)
        if rect_hash != last_rect:
            last_rect, first_t, first_frame = rect_hash, now, data
            if FRAMES:
                with open(f"{shots}-{now * 1000:06.0f}.xwd", "wb") as f:
                    f.write(data)
        if screen_hash != last_screen:
            last_screen, screen_t = screen_hash, now
        if now - counted_t >= POLL_S:
            counted_t = now
            n = count_thumbnails(cache)
            if n > count:
                count, count_t = n, now
        if program.poll() is not None:
            stopped = "died"
            break
        if now - max(screen_t, count_t) >= QUIET_S:
            stopped = "quiet"
            break
        if now >= LIMIT_S:
            break
    peak = peak_mb(program.pid)
    program.send_signal(signal.SIGTERM)
    try:
        program.wait(timeout=5)
    except subprocess.TimeoutExpired:
        program.kill()
        program.wait()
    with open(shots + "-first.xwd", "wb") as f:
        f.write(first_frame)
    with open(shots + "-end.xwd", "wb") as f:
        f.write(data)
    print(f"{first_t * 1000:.0f} {max(screen_t, count_t) * 1000:.0f} {peak:.0f} {count} {stopped}")


if __name__ == "__main__":
    main()
