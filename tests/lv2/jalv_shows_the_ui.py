#!/usr/bin/env python3
"""jalv runs the bundle with its editor, as a user starts it.

Starts a JACK server of its own on the dummy driver (no audio hardware),
then jalv.gtk3 with the plug-in on the X server DISPLAY names (the test runs
under xvfb-run). Passes when jalv's window holds the editor at its size and
the editor shows, pixel for pixel, the committed preview of the composed
editor; jalv must then end cleanly when asked to.
"""

import argparse
import os
import re
import signal
import subprocess
import sys
import time


def wait_for(what, test, seconds):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        result = test()
        if result:
            return result
        time.sleep(0.2)
    sys.exit("FAIL: %s" % what)


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


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--lv2-path", required=True)
    parser.add_argument("--uri", required=True)
    parser.add_argument("--preview", required=True)
    parser.add_argument("--work-dir", required=True)
    args = parser.parse_args()
    os.makedirs(args.work_dir, exist_ok=True)

    server = "kolvane-lv2-%d" % os.getpid()
    env = dict(os.environ, JACK_DEFAULT_SERVER=server, JACK_NO_START_SERVER="1",
               JACK_NO_AUDIO_RESERVATION="1", LV2_PATH=args.lv2_path)
    log = open(os.path.join(args.work_dir, "log.txt"), "w")
    jack = subprocess.Popen(["jackd", "--no-realtime", "-n", server, "-d", "dummy", "-r", "48000",
                             "-p", "512"], env=env, stdout=log, stderr=log)
    jalv = None
    try:
        wait_for("the JACK server did not start",
                 lambda: subprocess.run(["jack_lsp"], env=env, capture_output=True).returncode == 0,
                 15)
        jalv = subprocess.Popen(["jalv.gtk3", args.uri], env=env, stdout=log, stderr=log)
        x, y = wait_for("jalv shows no editor of 664x472", editor_geometry, 30)
        # A few frames for the first redraw.
        time.sleep(1.0)
        shot = os.path.join(args.work_dir, "screen.png")
        editor = os.path.join(args.work_dir, "editor.png")
        subprocess.run(["import", "-window", "root", shot], check=True)
        subprocess.run(["convert", shot, "-crop", "664x472+%d+%d" % (x, y), "+repage", editor],
                       check=True)
        compare = subprocess.run(["compare", "-metric", "AE", editor, args.preview, "null:"],
                                 capture_output=True, text=True)
        differing = compare.stderr.strip()
        if differing != "0":
            print("FAIL: the editor in jalv differs from the preview in %s pixels (%s)"
                  % (differing, editor))
            print("0 passed, 1 failed")
            return 1
        jalv.send_signal(signal.SIGINT)
        code = jalv.wait(timeout=15)
        jalv = None
        if code != 0:
            print("FAIL: jalv ended with %d (log: %s)" % (code, log.name))
            print("0 passed, 1 failed")
            return 1
        print("ok   jalv shows the editor at +%d+%d, as the preview" % (x, y))
        print("1 passed, 0 failed")
        return 0
    finally:
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
