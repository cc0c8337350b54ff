"""The editor's GUI scenarios, independent of the window system.

Each scenario is a function of one Session, run against Kolvane unless
marked with @plugin("prompting") (the test plug-in whose captions prompt
for values with a text box and a menu): it starts the host through
session.start(...), drives the editor with real input at editor
coordinates (session.move/press/release/click/wheel), and checks what the
host logged or saw. A platform runner supplies the Session: how the host
is started, where the editor's window is on the screen, how input is sent.
"""

import time

CUTOFF, PUSH, STEP4, STEP_ON_OFF = 8, 16, 23, 36
CUTOFF_KNOB = (58 + 32, 65 + 32)  # 64 x 64 at (58, 65)
STEP4_BUTTON = (119 + 12, 420 + 21)  # 25 x 43 at (119, 420)
PUSH_BUTTON = (372 + 64, 26 + 64)  # 128 x 128 at (372, 26)
MODE_SWITCH = (501 + 12, 71 + 14)
LED_Y = 402 + 9
LED_X = [23 + 32 * k + 9 for k in range(16)]


class Failure(Exception):
    pass


def plugin(name):
    def mark(scenario):
        scenario.plugin = name
        return scenario
    return mark


# The prompting test plug-in: Gain (double 0..2, shape 2) and Mode ("Soft",
# "Hard", "Auto") captions, 130 x 30 at (10, 20) and (160, 20).
GAIN, MODE = 0, 1
GAIN_CAPTION = (75, 35)
MODE_CAPTION = (225, 35)
MENU_ROW = 20  # a menu opens under its caption; rows are 20 px below a 2 px edge


def expect(condition, message):
    if not condition:
        raise Failure(message)


def parse_log(text):
    """The host log as (kind, index, value) tuples."""
    calls = []
    for line in text.splitlines():
        parts = line.split()
        if not parts:
            continue
        value = float(parts[2]) if len(parts) > 2 else None
        calls.append((parts[0], int(parts[1]), value))
    return calls


def gestures(calls, index):
    """The gestures on one parameter: the automate values between each
    begin and its end; fails on an unbalanced bracket."""
    result, current = [], None
    for kind, i, value in calls:
        if i != index:
            continue
        if kind == "beginEdit":
            expect(current is None, "beginEdit(%d) inside a gesture" % index)
            current = []
        elif kind == "endEdit":
            expect(current is not None, "endEdit(%d) without beginEdit" % index)
            result.append(current)
            current = None
        elif kind == "automate" and current is not None:
            current.append(value)
    expect(current is None, "gesture on %d never ended" % index)
    return result


def drag(session, start, dy, step=4):
    session.move(*start)
    session.press()
    y = start[1]
    sign = 1 if dy > 0 else -1
    for _ in range(abs(dy) // step):
        y += sign * step
        session.move(start[0], y)
    session.release()


def screenshot_matches_golden(session):
    shot = session.path("editor.png")
    session.start(seconds=1.5, screenshot=shot).wait()
    session.expect_same_image(shot, session.golden("editor_open.png"))


def knob_drag(session):
    host = session.start(seconds=30)
    drag(session, CUTOFF_KNOB, 128)
    calls = parse_log(host.stop())
    g = gestures(calls, CUTOFF)
    expect(len(g) == 1, "one gesture on the cutoff, got %r" % g)
    values = g[0]
    expect(len(values) >= 16, "intermediate values, got %r" % values)
    expect(all(b < a for a, b in zip(values, values[1:])), "falling values %r" % values)
    expect(abs(values[-1] - (1.0 - 128 / 256)) < 1e-3, "128 px is half the range: %r" % values[-1])


def step_toggle(session):
    host = session.start(seconds=30)
    session.click(*STEP4_BUTTON)
    calls = parse_log(host.stop())
    expect(gestures(calls, STEP4) == [[1.0]], "step 4 switched on: %r" % calls)


def push_held_in_midi_mode(session):
    host = session.start(seconds=30)
    session.click(*MODE_SWITCH)
    session.move(*PUSH_BUTTON)
    session.press()
    held = parse_log(host.log_so_far())
    session.release()
    calls = parse_log(host.stop())
    expect(gestures(calls, STEP_ON_OFF) == [[1.0]], "MIDI gate mode: %r" % calls)
    pushes = [v for kind, i, v in held if kind == "automate" and i == PUSH]
    expect(pushes and pushes[-1] == 1.0, "on while held: %r" % held)
    expect(gestures(calls, PUSH) == [[1.0, 0.0]], "off after release: %r" % calls)


def wheel_notches(session):
    host = session.start(seconds=30)
    session.move(*CUTOFF_KNOB)
    session.wheel(-3)
    calls = parse_log(host.stop())
    values = [v for kind, i, v in calls if kind == "automate" and i == CUTOFF]
    expect(len(values) == 3, "one change per notch: %r" % calls)
    expect(all(b < a for a, b in zip([1.0] + values, values)), "falling: %r" % values)


def double_click_restores_default(session):
    host = session.start(seconds=30)
    drag(session, CUTOFF_KNOB, 40)
    session.double_click(*CUTOFF_KNOB)
    calls = parse_log(host.stop())
    values = [v for kind, i, v in calls if kind == "automate" and i == CUTOFF]
    expect(values and values[0] < 1.0, "the drag moved the knob: %r" % calls)
    expect(values[-1] == 1.0, "double click restores 1.0: %r" % calls)


def leds_follow_playback(session):
    host = session.start(seconds=30, play=True)
    seen = set()
    deadline = time.time() + 6
    while time.time() < deadline and len(seen) < 4:
        lit = session.lit(LED_X, LED_Y)
        expect(len(lit) <= 1, "one LED at a time, lit: %r" % lit)
        seen.update(lit)
        time.sleep(0.05)
    host.stop()
    expect(len(seen) >= 4, "the lit LED moves with the steps, saw %r" % sorted(seen))


@plugin("prompting")
def text_entry_commits_a_number(session):
    host = session.start(seconds=30)
    session.click(*GAIN_CAPTION)
    session.type("a1.5")  # no letters in a number: the a is dropped
    session.key("Return")
    calls = parse_log(host.stop())
    values = [v for kind, i, v in calls if kind == "automate" and i == GAIN]
    expect(values and abs(values[-1] - 0.75 ** 0.5) < 1e-4, "Gain 1.5 of 0..2, shape 2: %r" % calls)


@plugin("prompting")
def text_entry_cancelled_by_a_click_outside(session):
    host = session.start(seconds=30)
    session.click(*GAIN_CAPTION)
    session.type("0.2")
    session.click(150, 70)  # the panel: cancels the entry, reaches nothing
    session.key("Return")
    calls = parse_log(host.stop())
    values = [v for kind, i, v in calls if kind == "automate" and i == GAIN]
    expect(not values, "nothing committed: %r" % calls)


@plugin("prompting")
def text_entry_dropped_when_the_editor_closes(session):
    host = session.start(seconds=30)
    session.click(*GAIN_CAPTION)
    session.type("1.5")
    calls = parse_log(host.stop())  # the host closes the editor, box open
    values = [v for kind, i, v in calls if kind == "automate" and i == GAIN]
    expect(not values, "nothing committed: %r" % calls)
    expect(gestures(calls, GAIN) == [[]], "the press's gesture ends with the window: %r" % calls)


@plugin("prompting")
def menu_chooses_a_display_text(session):
    host = session.start(seconds=30)
    session.click(*MODE_CAPTION)
    session.click(MODE_CAPTION[0] - 30, 50 + 2 + MENU_ROW + MENU_ROW // 2)  # "Hard"
    calls = parse_log(host.stop())
    values = [v for kind, i, v in calls if kind == "automate" and i == MODE]
    expect(values == [0.5], "Mode Hard, the second of three: %r" % calls)


@plugin("prompting")
def menu_dismissed_by_a_click_outside(session):
    host = session.start(seconds=30)
    session.click(*MODE_CAPTION)
    session.click(600, 600)
    session.click(*GAIN_CAPTION)  # the editor takes input again
    session.key("Escape")
    calls = parse_log(host.stop())
    expect(not [c for c in calls if c[0] == "automate" and c[1] == MODE], "no choice: %r" % calls)
    expect(("beginEdit", GAIN, None) in calls, "the editor works after the menu: %r" % calls)


SCENARIOS = [
    screenshot_matches_golden,
    knob_drag,
    step_toggle,
    push_held_in_midi_mode,
    wheel_notches,
    double_click_restores_default,
    leds_follow_playback,
    text_entry_commits_a_number,
    text_entry_cancelled_by_a_click_outside,
    text_entry_dropped_when_the_editor_closes,
    menu_chooses_a_display_text,
    menu_dismissed_by_a_click_outside,
]
