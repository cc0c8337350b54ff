#!/usr/bin/env python3
"""The LV2 edition plays exactly what the VST2 edition plays.

Renders one input through the VST2 build and the LV2 build of Kolvane with
kolvane-render, for each case of the table (presets, parameters, transport,
MIDI), and compares the two outputs bit for bit. The render tool hosts each
format as a DAW does: VST2 through its host library, LV2 through lilv, with
the transport as time:Position events that the plug-in moves on by itself.
"""

import argparse
import os
import subprocess
import sys

# name, arguments for both formats, VST2 only, LV2 only. A parameter set with
# --control reaches both as the same float; an enum is set in VST2 through
# its normalized value, which lands on the same whole choice.
CASES = [
    ("defaults: step mode at 128 BPM", [], [], []),
    ("a preset from beat 2.5 in 3/4 at 133.7 BPM, blocks of 300",
     ["--preset", "Tranceizer", "--start", "2.5", "--time-sig", "3/4", "--tempo", "133.7",
      "--block", "300"], [], []),
    ("a preset in 6/8 at 96 BPM", ["--preset", "Syncopated", "--time-sig", "6/8", "--tempo", "96"],
     [], []),
    ("parameters in their own units",
     ["--preset", "7", "--control", "Filter Cutoff=0.4", "--control", "LFO Depth=0.6",
      "--control", "LFO Rate=5", "--control", "Arp Speed=3", "--control", "Seq Note Len=0.3"],
     ["--param", "Filter Type=0.5"], ["--control", "filter_type=1"]),
    ("MIDI notes in MIDI gate mode",
     ["--notes", "0:60:2,4:64:1.5,6.25:67:0.5", "--tail", "1"],
     ["--param", "Step On Off=1"], ["--control", "midi_gate=1"]),
]


def run(command):
    result = subprocess.run(command, capture_output=True, text=True)
    if result.returncode != 0:
        sys.exit("failed: %s\n%s%s" % (" ".join(command), result.stdout, result.stderr))


def first_difference(a, b):
    with open(a, "rb") as fa, open(b, "rb") as fb:
        da, db = fa.read(), fb.read()
    if len(da) != len(db):
        return "sizes %d and %d bytes" % (len(da), len(db))
    for i, (x, y) in enumerate(zip(da, db)):
        if x != y:
            return "first difference at byte %d" % i
    return None


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--render", required=True)
    parser.add_argument("--chord", required=True)
    parser.add_argument("--work-dir", required=True)
    args = parser.parse_args()
    os.makedirs(args.work_dir, exist_ok=True)
    source = os.path.join(args.work_dir, "chord.wav")
    run([args.chord, "--bars", "2", "--tempo", "128", source])

    passed = failed = 0
    for number, (name, both, vst2, lv2) in enumerate(CASES, 1):
        outputs = []
        for fmt, extra in (("vst2", vst2), ("lv2", lv2)):
            out = os.path.join(args.work_dir, "case%d-%s.wav" % (number, fmt))
            run([args.render] + (["--lv2"] if fmt == "lv2" else []) + both + extra + [source, out])
            outputs.append(out)
        difference = first_difference(*outputs)
        if difference:
            failed += 1
            print("FAIL %s: %s" % (name, difference))
        else:
            passed += 1
            print("ok   %s (%d bytes)" % (name, os.path.getsize(outputs[0])))
    print("%d passed, %d failed" % (passed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
