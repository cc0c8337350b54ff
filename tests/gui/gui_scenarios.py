#!/usr/bin/env python3
"""The editor driven with real input on an X server of the test's own.

Every scenario is a function of one Session: it starts the project's host
with `kolvane-host edit` through session.host(...), drives the editor with
xdotool at editor coordinates (session.at(x, y) gives screen coordinates),
and checks the host's log and screenshots. How the host is started is the
runner's business: a runner is a function that returns the command line
for the host's arguments, so every platform reuses the same scenarios.

  gui_scenarios.py --runner wine --arch win64 --prefix DIR --host HOST.exe \
      --plugin Kolvane.dll --source-dir DIR [--in-process TEST.exe] SCENARIO...

Exits 0 when every scenario passed, 1 on the first failure (its pictures are
kept next to the log in --work-dir), 77 when the platform cannot run here.
"""

import argparse
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import zlib

# ---- Pictures ---------------------------------------------------------------


IMAGEMAGICK = "/usr/bin/convert"  # its decoder is far faster than the one below


def read_png(path):
    """(width, height, rows of (r, g, b, a) tuples) of an 8-bit RGB(A) PNG."""
    with open(path, "rb") as f:
        data = f.read()
    if os.path.exists(IMAGEMAGICK):
        w, h = struct.unpack(">II", data[16:24])
        raw = subprocess.run([IMAGEMAGICK, path, "-depth", "8", "rgba:-"], capture_output=True, check=True).stdout
        assert len(raw) == w * h * 4, path
        pixels = [tuple(raw[i : i + 4]) for i in range(0, len(raw), 4)]
        return w, h, [pixels[y * w : (y + 1) * w] for y in range(h)]
    assert data[:8] == b"\x89PNG\r\n\x1a\n", path
    pos, idat, w = 8, b"", 0
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos : pos + 8])
        body = data[pos + 8 : pos + 8 + length]
        if kind == b"IHDR":
            w, h, depth, color, _, _, interlace = struct.unpack(">IIBBBBB", body)
            assert depth == 8 and color in (2, 6) and interlace == 0, path
            channels = 4 if color == 6 else 3
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    raw = zlib.decompress(idat)
    stride = w * channels
    rows, prev = [], bytearray(stride)
    for y in range(h):
        f = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1 : (y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - channels] if i >= channels else 0
            b = prev[i]
            c = prev[i - channels] if i >= channels else 0
            if f == 1:
                line[i] = (line[i] + a) & 255
            elif f == 2:
                line[i] = (line[i] + b) & 255
            elif f == 3:
                line[i] = (line[i] + (a + b) // 2) & 255
            elif f == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                pred = a if pa <= pb and pa <= pc else (b if pb <= pc else c)
                line[i] = (line[i] + pred) & 255
        rows.append(
            [
                tuple(line[x * channels : x * channels + 3]) + ((line[x * channels + 3],) if channels == 4 else (255,))
                for x in range(w)
            ]
        )
        prev = line
    return w, h, rows


def differing_pixels(a, b, tolerance=0):
    """Positions where two pictures of one size differ by more than tolerance
    in any colour channel."""
    assert a[:2] == b[:2], "sizes %s and %s" % (a[:2], b[:2])
    out = []
    for y, (ra, rb) in enumerate(zip(a[2], b[2])):
        for x, (pa, pb) in enumerate(zip(ra, rb)):
            if any(abs(pa[i] - pb[i]) > tolerance for i in range(3)):
                out.append((x, y))
    return out


def brightness(picture, x, y, w, h):
    rows = picture[2]
    total = sum(sum(rows[j][i][:3]) for j in range(y, y + h) for i in range(x, x + w))
    return total / (3.0 * w * h)


# ---- The editor's layout ----------------------------------------------------

CUTOFF = (58, 65, 64, 64)  # x, y, w, h: starts at its maximum
STEP4 = (119, 420, 25, 43)
PUSH = (372, 26, 128, 128)
LED_Y, LED_SIZE = 402, 18
LEDS = [(23 + 32 * k, LED_Y) for k in range(16)]


def centre(rect):
    return rect[0] + rect[2] // 2, rect[1] + rect[3] // 2


def lit_leds(picture):
    """Indices of the LEDs brighter than the unlit ones by a clear margin."""
    levels = [brightness(picture, x, y, LED_SIZE, LED_SIZE) for x, y in LEDS]
    low = min(levels)
    return [k for k, v in enumerate(levels) if v > low + 20]


# ---- Session ----------------------------------------------------------------


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


class Log:
    """The host's log: initial values, host calls in order, final values."""

    def __init__(self, path):
        self.initial, self.final, self.calls = {}, {}, []
        if not os.path.exists(path):
            return
        for line in open(path):
            parts = line.split()
            if not parts:
                continue
            if parts[0] == "initial":
                self.initial[int(parts[1])] = float(parts[2])
            elif parts[0] == "param":
                self.final[int(parts[1])] = float(parts[2])
            elif parts[0] == "automate":
                self.calls.append(("automate", int(parts[1]), float(parts[2])))
            elif parts[0] in ("begin", "end"):
                self.calls.append((parts[0], int(parts[1]), None))

    def of(self, kind, index=None):
        return [c for c in self.calls if c[0] == kind and (index is None or c[1] == index)]


class Session:
    def __init__(self, args, work, display):
        self.args, self.work, self.display = args, work, display
        self.origin = (0, 0)  # where the host puts its window
        self.proc = None

    def path(self, name):
        return os.path.join(self.work, name)

    def at(self, x, y):
        return self.origin[0] + x, self.origin[1] + y

    def xdo(self, *words):
        subprocess.run(["xdotool"] + [str(w) for w in words], check=True, env=self.env())

    def env(self):
        env = dict(os.environ)
        env["DISPLAY"] = self.display
        env["WINE_RUN_DISPLAY"] = self.display
        env["KOLVANE_TESTPLUG_LOG"] = self.path("testplug.txt")
        return env

    def testplug_log(self):
        """What the test plug-in logged since its editor opened."""
        path = self.path("testplug.txt")
        lines = [line.strip() for line in open(path)] if os.path.exists(path) else []
        return lines[getattr(self, "testplug_skip", 0) :]

    def focus(self, name=None):
        """Gives the host's window (or the one with that title) the X input
        focus: keys reach a Wine window only then."""
        window = self.window
        if name:
            deadline = time.time() + 10
            while True:
                found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", name], env=self.env(), capture_output=True)
                if found.returncode == 0 and found.stdout.strip():
                    window = found.stdout.split()[-1].decode()
                    break
                check(time.time() < deadline, "no window called %r" % name)
                time.sleep(0.1)
        self.xdo("windowfocus", "--sync", window)
        time.sleep(0.2)

    def wait_gone(self, name, timeout=10):
        deadline = time.time() + timeout
        while subprocess.run(["xdotool", "search", "--onlyvisible", "--name", name], env=self.env(), capture_output=True).stdout.strip():
            check(time.time() < deadline, "the window %r stays" % name)
            time.sleep(0.1)
        time.sleep(0.2)

    def type(self, text):
        self.xdo("type", "--delay", 40, text)
        time.sleep(0.1)

    def key(self, *keys):
        for k in keys:
            self.xdo("key", k)
            time.sleep(0.08)

    def host(self, *host_args, seconds=6, log="log.txt", plugin=None):
        """Starts the host on the editor and waits until its window shows."""
        self.stop_file = self.path("stop")
        argv = RUNNERS[self.args.runner](
            self.args,
            ["edit", "--seconds", seconds, "--log", self.path(log), "--stop-file", self.stop_file]
            + list(host_args)
            + [plugin or self.args.plugin],
        )
        self.proc = subprocess.Popen([str(a) for a in argv], env=self.env(), stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        deadline = time.time() + 20
        while time.time() < deadline:
            if self.proc.poll() is not None:
                raise Failure("host ended early: %s" % self.proc.stderr.read().decode(errors="replace"))
            found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "Kolvane Host"], env=self.env(), capture_output=True)
            if found.returncode == 0 and found.stdout.strip():
                self.window = found.stdout.split()[0].decode()
                # The first paint follows the first timer tick.
                time.sleep(0.5)
                return
            time.sleep(0.1)
        raise Failure("the editor window did not appear")

    def wait(self, timeout=40, stop=True):
        """Ends the run (unless it should last its time) and waits for the
        host to close the editor and exit."""
        if stop:
            # What the editor shows last needs a timer tick to reach the screen.
            time.sleep(0.15)
            open(self.stop_file, "w").close()
        try:
            out, err = self.proc.communicate(timeout=timeout)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            self.proc.communicate()
            raise Failure("the host did not finish in %d s (deadlock?)" % timeout)
        check(self.proc.returncode == 0, "host exited with %d: %s" % (self.proc.returncode, err.decode(errors="replace")))

    def log(self, name="log.txt"):
        return Log(self.path(name))

    def move(self, x, y):
        self.xdo("mousemove", *self.at(x, y))

    def drag(self, x, y, dy, step=4, pause=0.025, modifier=None):
        """Press at (x, y), move by dy in steps of at most `step` px, release."""
        self.move(x, y)
        time.sleep(0.1)
        if modifier:
            self.xdo("windowfocus", "--sync", self.window)
            self.xdo("keydown", modifier)
        self.xdo("mousedown", 1)
        time.sleep(pause)
        moved = 0
        while moved != dy:
            moved += max(-step, min(step, dy - moved))
            self.move(x, y + moved)
            time.sleep(pause)
        time.sleep(0.1)
        self.xdo("mouseup", 1)
        if modifier:
            self.xdo("keyup", modifier)
        time.sleep(0.2)

    def click(self, x, y, button=1):
        self.move(x, y)
        time.sleep(0.1)
        self.xdo("mousedown", button)
        time.sleep(0.03)
        self.xdo("mouseup", button)
        time.sleep(0.1)

    def double_click(self, x, y):
        self.move(x, y)
        time.sleep(0.1)
        for gap in (0.08, 0):
            self.xdo("mousedown", 1)
            time.sleep(0.03)
            self.xdo("mouseup", 1)
            time.sleep(gap)
        time.sleep(0.2)


# ---- Scenarios ----------------------------------------------------------------


def preview(session):
    return read_png(os.path.join(session.args.source_dir, "resources", "preview.png"))


def opened_editor_shows_the_preview(s):
    """The screen shows the composed preview, except the first step's LED:
    before any audio the engine reports step 1 as the one playing, and the
    host's idle ticks light it, where the preview has every LED off."""
    s.host("--screenshot", s.path("shot.png"), seconds=2)
    time.sleep(0.3)
    s.wait()
    shot, golden = read_png(s.path("shot.png")), preview(s)
    led = LEDS[0]
    outside = [p for p in differing_pixels(shot, golden) if not (led[0] <= p[0] < led[0] + LED_SIZE and led[1] <= p[1] < led[1] + LED_SIZE)]
    check(not outside, "%d pixels differ outside the first LED, first %s" % (len(outside), outside[:5]))
    check(lit_leds(shot) == [0], "lit LEDs %s, expected only the first" % lit_leds(shot))


def falling_automation(log, param):
    begins, ends = log.of("begin"), log.of("end")
    check(begins == [("begin", param, None)], "begins %s" % begins)
    check(ends == [("end", param, None)], "ends %s" % ends)
    values = [c[2] for c in log.of("automate", param)]
    check(len(values) >= 8, "only %d automation values" % len(values))
    check(all(b < a for a, b in zip(values, values[1:])), "values do not fall: %s" % values)
    order = [c[0] for c in log.calls if c[1] == param]
    check(order[0] == "begin" and order[-1] == "end", "gesture order %s" % order)
    return values


def dragging_the_cutoff_down_128_px_moves_it_half_its_range(s):
    s.host(seconds=5)
    x, y = centre(CUTOFF)
    s.drag(x, y, 128)
    s.wait()
    log = s.log()
    falling_automation(log, 8)
    moved = log.initial[8] - log.final[8]
    check(abs(moved - 0.5) < 0.01, "moved by %f, expected 0.5" % moved)


def dragging_with_control_is_ten_times_finer(s):
    s.host(seconds=5)
    x, y = centre(CUTOFF)
    s.drag(x, y, 128, modifier="ctrl")
    s.wait()
    log = s.log()
    falling_automation(log, 8)
    moved = log.initial[8] - log.final[8]
    check(abs(moved - 0.05) < 0.005, "moved by %f, expected 0.05" % moved)


def clicking_step_4_toggles_it(s):
    s.host("--screenshot", s.path("shot.png"), seconds=3)
    s.click(*centre(STEP4))
    s.wait()
    log = s.log()
    check(log.initial[23] == 0.0 and log.final[23] == 1.0, "step 4: %s -> %s" % (log.initial[23], log.final[23]))
    check(log.of("begin") == [("begin", 23, None)] and log.of("end") == [("end", 23, None)], "gesture %s" % log.calls)
    shot, golden = read_png(s.path("shot.png")), preview(s)
    changed = differing_pixels(shot, golden)
    x, y, w, h = STEP4
    inside = [p for p in changed if x <= p[0] < x + w and y <= p[1] < y + h]
    check(len(inside) > w * h // 10, "the step's frame did not change on screen (%d pixels)" % len(inside))


def push_is_on_while_held_in_midi_gate_mode(s):
    s.host("--param", "Step On Off=1", seconds=4)
    s.move(*centre(PUSH))
    time.sleep(0.1)
    s.xdo("mousedown", 1)
    time.sleep(0.5)
    held = s.log()
    s.xdo("mouseup", 1)
    s.wait()
    check(held.of("automate", 16) == [("automate", 16, 1.0)], "while held: %s" % held.calls)
    log = s.log()
    check([c[2] for c in log.of("automate", 16)] == [1.0, 0.0], "after release: %s" % log.calls)
    check(log.final[16] == 0.0 and log.final[36] == 1.0, "final %s %s" % (log.final[16], log.final[36]))


def wheel_notches_move_a_knob(s):
    s.host(seconds=4)
    s.move(*centre(CUTOFF))
    time.sleep(0.1)
    for _ in range(3):
        s.xdo("click", 5)
        time.sleep(0.1)
    time.sleep(0.2)
    middle = s.log()
    for _ in range(1):
        s.xdo("click", 4)
        time.sleep(0.1)
    s.wait()
    down = [c[2] for c in middle.of("automate", 8)]
    check(len(down) == 3 and all(b < a for a, b in zip(down, down[1:])), "three notches down: %s" % down)
    steps = [middle.initial[8] - down[0], down[0] - down[1], down[1] - down[2]]
    check(max(steps) - min(steps) < 1e-3 and steps[0] > 0, "unequal notches %s" % steps)
    log = s.log()
    check(abs(log.final[8] - down[1]) < 1e-4, "one notch up should give %f, got %f" % (down[1], log.final[8]))


def double_click_restores_the_default(s):
    s.host(seconds=5)
    x, y = centre(CUTOFF)
    s.drag(x, y, 40)
    s.double_click(x, y)
    s.wait()
    log = s.log()
    values = [c[2] for c in log.of("automate", 8)]
    check(min(values) < log.initial[8] - 0.1, "the drag did not move the knob: %s" % values)
    check(abs(log.final[8] - log.initial[8]) < 1e-6, "after the double click %f, default %f" % (log.final[8], log.initial[8]))


def the_lit_led_follows_the_steps_over_a_bar(s):
    """At 120 BPM the sixteen steps are sixteenth notes: each picture has
    exactly one LED lit, the one of the step the transport was at, or the
    one before (the light follows the audio by up to a block, an idle tick
    and a redraw tick)."""
    # Over two bars: on a loaded machine a picture can take a second.
    s.host("--play", 1, "--screenshot", s.path("bar.png"), "--screenshot-every-ms", 100, seconds=5)
    s.wait(stop=False)
    shots = {}
    for line in open(s.path("log.txt")):
        parts = line.split()
        if parts and parts[0] == "shot":
            shots[int(parts[1])] = float(parts[2])
    check(len(shots) >= 4, "only %d screenshots" % len(shots))
    seen = set()
    for n, ppq in sorted(shots.items()):
        path = s.path("bar-%03d.png" % n)
        leds = lit_leds(read_png(path))
        check(len(leds) == 1, "%s: lit LEDs %s" % (path, leds))
        expected = int(ppq * 4) % 16
        check((expected - leds[0]) % 16 <= 1, "%s at quarter %.3f: LED %d lit, step %d playing" % (path, ppq, leds[0], expected))
        seen.add(leds[0])
    check(len(seen) >= 4, "only steps %s lit over two bars" % sorted(seen))


def automation_from_a_third_thread_while_playing(s):
    """Audio runs, a third thread sets every parameter every millisecond for
    ten seconds and then puts them back: the editor shows the defaults again
    (the LED of whatever step is playing aside)."""
    s.host("--play", 1, "--automate-every-ms", 1, "--screenshot", s.path("shot.png"), seconds=10)
    s.wait(timeout=60, stop=False)
    shot, golden = read_png(s.path("shot.png")), preview(s)
    outside = [p for p in differing_pixels(shot, golden) if not (LED_Y <= p[1] < LED_Y + LED_SIZE)]
    check(not outside, "%d pixels differ outside the LED row, first %s" % (len(outside), outside[:5]))
    check(len(lit_leds(shot)) == 1, "lit LEDs %s" % lit_leds(shot))


# The test plug-in's editor (see tests/vst2/TestPlugEditor.h): controls
# that prompt, which Kolvane's editor never does.
TP_GAIN, TP_STEPS, TP_MENU, TP_FILE = (60, 25), (60, 75), (250, 25), (250, 75)


def testplug(s, seconds=8):
    check(s.args.testplug, "no --testplug given")
    s.host(seconds=seconds, plugin=s.args.testplug)
    s.testplug_skip = len(s.testplug_log())


def typing_keeps_only_what_the_parameter_takes_and_enter_commits(s):
    testplug(s)
    cases = [(TP_STEPS, "a1x2", "value 3 12"), (TP_GAIN, "q1.5z", "value 0 1.5")]
    for where, typed, expected in cases:
        s.click(*where)
        time.sleep(0.3)
        s.focus()
        s.type(typed)
        s.key("Return")
        time.sleep(0.3)
        check(expected in s.testplug_log(), "typed %r: %s" % (typed, s.testplug_log()))
    s.wait()
    log = s.log()
    check(abs(log.final[3] - 11 / 15.0) < 1e-4, "steps normalized %f" % log.final[3])


def a_click_elsewhere_cancels_the_entry(s):
    testplug(s)
    s.click(*TP_GAIN)
    time.sleep(0.3)
    s.focus()
    s.type("1.9")
    s.click(300, 170)
    time.sleep(0.3)
    s.key("Return")
    time.sleep(0.3)
    s.wait()
    check(not [l for l in s.testplug_log() if l.startswith("value 0")], "gain changed: %s" % s.testplug_log())
    check(abs(s.log().final[0] - s.log().initial[0]) < 1e-9, "gain moved")


def closing_the_editor_with_an_entry_open_commits_nothing(s):
    testplug(s)
    s.click(*TP_STEPS)
    time.sleep(0.3)
    s.focus()
    s.type("9")
    s.wait()
    check(not [l for l in s.testplug_log() if l.startswith("value 3")], "steps changed: %s" % s.testplug_log())
    check(s.log().final[3] == s.log().initial[3], "steps moved")


def choosing_in_a_submenu_reports_that_submenu(s):
    testplug(s)
    s.click(*TP_MENU)
    time.sleep(0.5)
    s.focus()
    s.key("Down", "Down", "Down", "Right", "Down", "Return")
    time.sleep(0.3)
    s.wait()
    check(s.testplug_log() == ["menu sub 1"], "log %s" % s.testplug_log())


def the_file_dialog_returns_a_typed_path_and_cancel_keeps_the_file(s):
    testplug(s, seconds=20)
    s.click(*TP_FILE)
    s.focus("Save As")
    s.key("End", "shift+Home")
    s.type("C:\\windows\\temp\\typed.txt")
    s.key("Return")
    time.sleep(0.5)
    # Wine takes a moment to take the closed dialog off the screen; a click
    # before then lands on it.
    s.wait_gone("Save As")
    s.click(*TP_FILE)
    s.focus("Save As")
    s.key("Escape")
    time.sleep(0.5)
    s.wait()
    check(s.testplug_log() == ["file C:\\windows\\temp\\typed.txt", "file unchanged.txt"], "log %s" % s.testplug_log())


def in_process_window_tests(s):
    """The gtest executable that opens editors through the host library."""
    if not s.args.in_process:
        return
    argv = RUNNERS[s.args.runner](s.args, ["--gtest_color=no"], program=s.args.in_process)
    proc = subprocess.run([str(a) for a in argv], env=s.env(), capture_output=True, timeout=300)
    sys.stdout.write(proc.stdout.decode(errors="replace"))
    check(proc.returncode == 0, "in-process tests failed:\n" + proc.stdout.decode(errors="replace")[-3000:])


SCENARIOS = [
    opened_editor_shows_the_preview,
    dragging_the_cutoff_down_128_px_moves_it_half_its_range,
    dragging_with_control_is_ten_times_finer,
    clicking_step_4_toggles_it,
    push_is_on_while_held_in_midi_gate_mode,
    wheel_notches_move_a_knob,
    double_click_restores_the_default,
    the_lit_led_follows_the_steps_over_a_bar,
    automation_from_a_third_thread_while_playing,
    typing_keeps_only_what_the_parameter_takes_and_enter_commits,
    a_click_elsewhere_cancels_the_entry,
    closing_the_editor_with_an_entry_open_commits_nothing,
    choosing_in_a_submenu_reports_that_submenu,
    the_file_dialog_returns_a_typed_path_and_cancel_keeps_the_file,
    in_process_window_tests,
]

# ---- Runners ------------------------------------------------------------------


def wine_runner(args, host_args, program=None):
    return [os.path.join(args.source_dir, "cmake", "wine-run"), args.prefix, args.arch, program or args.host] + host_args


RUNNERS = {"wine": wine_runner}


def wine_available(args):
    rc = subprocess.run([os.path.join(args.source_dir, "cmake", "wine-run"), args.prefix, args.arch, "--version"], capture_output=True).returncode
    return rc != 77


# ---- X server -------------------------------------------------------------------


def start_xvfb():
    for n in range(70, 200):
        if os.path.exists("/tmp/.X11-unix/X%d" % n) or os.path.exists("/tmp/.X%d-lock" % n):
            continue
        display = ":%d" % n
        proc = subprocess.Popen(["Xvfb", display, "-screen", "0", "1024x768x24", "-nolisten", "tcp"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        deadline = time.time() + 10
        while time.time() < deadline and proc.poll() is None:
            try:
                if open("/tmp/.X%d-lock" % n).read().strip() == str(proc.pid):
                    env = dict(os.environ, DISPLAY=display)
                    if subprocess.run(["xdotool", "getmouselocation"], env=env, capture_output=True).returncode == 0:
                        return display, proc
            except OSError:
                pass
            time.sleep(0.05)
        proc.kill()
        proc.wait()
    raise RuntimeError("no free X display")


def stop_xvfb(display, proc, args):
    if args.runner == "wine":
        env = dict(os.environ, WINEPREFIX=os.path.realpath(args.prefix))
        subprocess.run(["timeout", "20", "/usr/lib/wine/wineserver", "-w"], env=env)
    proc.terminate()
    proc.wait()
    try:
        os.remove("/tmp/.X%s-lock" % display[1:])
    except OSError:
        pass


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--runner", choices=sorted(RUNNERS), required=True)
    parser.add_argument("--arch", default="win64")
    parser.add_argument("--prefix")
    parser.add_argument("--host", required=True)
    parser.add_argument("--plugin", required=True)
    parser.add_argument("--source-dir", required=True)
    parser.add_argument("--in-process")
    parser.add_argument("--testplug")
    parser.add_argument("--work-dir")
    parser.add_argument("scenarios", nargs="*")
    args = parser.parse_args()

    if args.runner == "wine" and not wine_available(args):
        print("skipped: this machine cannot run %s programs" % args.arch)
        return 77
    chosen = [f for f in SCENARIOS if not args.scenarios or f.__name__ in args.scenarios]
    unknown = set(args.scenarios) - {f.__name__ for f in SCENARIOS}
    if unknown:
        print("unknown scenarios: %s" % ", ".join(sorted(unknown)))
        return 2

    display, xvfb = start_xvfb()
    failed = 0
    try:
        for scenario in chosen:
            work = os.path.join(args.work_dir or tempfile.gettempdir(), scenario.__name__)
            shutil.rmtree(work, ignore_errors=True)
            os.makedirs(work)
            session = Session(args, work, display)
            start = time.time()
            try:
                scenario(session)
                print("PASS %s (%.1f s)" % (scenario.__name__, time.time() - start))
            except Failure as failure:
                failed += 1
                print("FAIL %s: %s (pictures and log in %s)" % (scenario.__name__, failure, work))
            finally:
                if session.proc and session.proc.poll() is None:
                    session.proc.kill()
                    session.proc.communicate()
            sys.stdout.flush()
    finally:
        stop_xvfb(display, xvfb, args)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
