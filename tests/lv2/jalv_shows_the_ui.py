#!/usr/bin/env python3
"""jalv runs the bundle with its editor, as a user starts it.

Starts a JACK server of its own on the dummy driver (no audio hardware),
then jalv.gtk3 with the plug-in on the X server DISPLAY names (the test runs
under xvfb-run). Passes when jalv's window holds the editor at its size; the
editor shows, pixel for pixel, the committed preview of the composed editor
outside the row of step LEDs, and in that row only the first step's LED lit,
the step the stopped plug-in reports on its step port; once JACK's
transport rolls (jack_transport as its timebase master, at 120 BPM) the lit
LED moves along the steps, one LED at a time; and jalv ends cleanly when
asked to.
"""

import argparse
import json
import os
import re
import signal
import subprocess
import sys
import time


def fail(message):
    print("FAIL: %s" % message)
    print("0 passed, 1 failed")
    sys.exit(1)


def wait_for(what, test, seconds):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        result = test()
        if result:
            return result
        time.sleep(0.2)
    fail(what)


def editor_geometry():
    """The editor's window inside jalv's: (x, y) of a 664x472 child."""
    tree = subprocess.run(["xwininfo", "-root", "-tree"], capture_output=True, text=True).stdout
    if '"Kolvane"' not in tree:
        return None
    for line in tree.splitlines():
        match = re.search(r"664x472\+(-?\d+)\+(-?\d+)\s+\+(-?\d+)\+(-?\d+)", line)
        if match:
            return int(match.group(3)), int(match.group(4))
    return None


def read_rgb(path):
    """A picture's pixels: (width, RGB bytes)."""
    ppm = subprocess.run(["convert", path, "-depth", "8", "ppm:-"], check=True,
                         capture_output=True).stdout
    # P6, width, height, maximum, each followed by one blank, then the bytes.
    fields = ppm.split(None, 4)
    return int(fields[1]), fields[4]


def grab_editor(x, y, path):
    """The editor as the screen shows it, saved to path: (width, RGB bytes)."""
    shot = path + ".screen.png"
    subprocess.run(["import", "-window", "root", shot], check=True)
    subprocess.run(["convert", shot, "-crop", "664x472+%d+%d" % (x, y), "+repage", path],
                   check=True)
    return read_rgb(path)


def lit_leds(editor, leds):
    """The LEDs brighter than the darkest by a clear margin."""
    width, pixels = editor
    levels = []
    for x0, y0, w, h in leds:
        total = 0
        for y in range(y0, y0 + h):
            total += sum(pixels[3 * (y * width + x0):3 * (y * width + x0 + w)])
        levels.append(total / (3.0 * w * h))
    low = min(levels)
    return [k for k, level in enumerate(levels) if level > low + 20]


def differing_outside(editor, preview, top, bottom):
    """Pixels outside rows [top, bottom) where two pictures of one width part."""
    width, a = editor
    _, b = preview
    if len(a) != len(b):
        return max(len(a), len(b)) // 3
    count = 0
    for y in range(len(a) // (3 * width)):
        if not top <= y < bottom:
            start, end = 3 * y * width, 3 * (y + 1) * width
            count += sum(1 for i in range(start, end, 3) if a[i:i + 3] != b[i:i + 3])
    return count


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--lv2-path", required=True)
    parser.add_argument("--uri", required=True)
    parser.add_argument("--preview", required=True)
    parser.add_argument("--layout", required=True, help="kolvane-layout, for the LEDs")
    parser.add_argument("--work-dir", required=True)
    args = parser.parse_args()
    os.makedirs(args.work_dir, exist_ok=True)
    layout = json.loads(subprocess.run([args.layout], check=True, capture_output=True,
                                       text=True).stdout)
    leds = [(l["x"], l["y"], l["width"], l["height"]) for l in layout["leds"]]
    top, bottom = min(y for _, y, _, _ in leds), max(y + h for _, y, _, h in leds)

    server = "kolvane-lv2-%d" % os.getpid()
    env = dict(os.environ, JACK_DEFAULT_SERVER=server, JACK_NO_START_SERVER="1",
               JACK_NO_AUDIO_RESERVATION="1", LV2_PATH=args.lv2_path)
    log = open(os.path.join(args.work_dir, "log.txt"), "w")
    jack = subprocess.Popen(["jackd", "--no-realtime", "-n", server, "-d", "dummy", "-r", "48000",
                             "-p", "512"], env=env, stdout=log, stderr=log)
    jalv = transport = None
    try:
        wait_for("the JACK server did not start",
                 lambda: subprocess.run(["jack_lsp"], env=env, capture_output=True).returncode == 0,
                 15)
        jalv = subprocess.Popen(["jalv.gtk3", args.uri], env=env, stdout=log, stderr=log)
        x, y = wait_for("jalv shows no editor of 664x472", editor_geometry, 30)
        # A few frames for the first redraw.
        time.sleep(1.0)
        path = os.path.join(args.work_dir, "editor.png")
        editor = grab_editor(x, y, path)
        outside = differing_outside(editor, read_rgb(args.preview), top, bottom)
        if outside:
            fail("the editor in jalv differs from the preview in %d pixels outside the LED row (%s)"
                 % (outside, path))
        if lit_leds(editor, leds) != [0]:
            fail("stopped, the lit LEDs are %s, not the first step's (%s)"
                 % (lit_leds(editor, leds), path))

        # jack_transport reads its commands from its input and stays the
        # timebase master (bar, beat and tempo for jalv) while it runs.
        transport = subprocess.Popen(["jack_transport"], env=env, stdin=subprocess.PIPE,
                                     stdout=log, stderr=log)
        transport.stdin.write(b"master\nplay\n")
        transport.stdin.flush()
        seen = []
        end = time.monotonic() + 20
        while len(set(seen)) < 4 and time.monotonic() < end:
            time.sleep(0.15)
            shot = os.path.join(args.work_dir, "rolling-%02d.png" % len(seen))
            lit = lit_leds(grab_editor(x, y, shot), leds)
            if len(lit) != 1:
                fail("rolling, the lit LEDs are %s (%s)" % (lit, shot))
            seen.append(lit[0])
        if len(set(seen)) < 4:
            fail("rolling, only the LEDs of steps %s lit" % sorted(set(seen)))

        jalv.send_signal(signal.SIGINT)
        code = jalv.wait(timeout=15)
        jalv = None
        if code != 0:
            fail("jalv ended with %d (log: %s)" % (code, log.name))
        print("ok   jalv shows the editor at +%d+%d, as the preview, and its LEDs followed the "
              "transport over steps %s" % (x, y, sorted(set(seen))))
        print("1 passed, 0 failed")
        return 0
    finally:
        if transport:
            try:
                transport.stdin.write(b"stop\nquit\n")
                transport.stdin.close()
                transport.wait(timeout=5)
            except (OSError, subprocess.TimeoutExpired):
                transport.kill()
                transport.wait()
        if jalv:
            jalv.kill()
            jalv.wait()
        jack.terminate()
        try:
            jack.wait(timeout=10)
        except subprocess.TimeoutExpired:
            jack.kill()
            jack.wait()


if __name__ == "__main__":
    sys.exit(main())
