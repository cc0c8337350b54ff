#pragma once

// The editor's artwork and where it is drawn. The background carries every
// control's label printed next to the control's place, so the pictures and
// the editor layout must agree: this table is what the artwork was drawn
// for. The artwork generator, the artwork tests and the drawing benchmark
// read it.

#include <cmath>

namespace kolvane_artwork
{
// One PNG resource: stored in the module under `id` with type "PNG"; frames
// are stacked vertically, each width x height / frames.
struct Picture
{
  int id;
  const char* name;
  int frames;
  int width;
  int height;
};

enum PictureId
{
  kKnob = 101,          // 30-frame 64 x 64 knob
  kBigButton = 104,     // momentary push button, up and held
  kBackground = 105,    // the whole editor
  kFader = 106,         // three-position vertical selector
  kSmallSwitch = 109,   // toggle, off and on
  kStepButton = 111,    // step key, off and on
  kLed = 112,           // step LED, dark and lit
  kKnobStepped8 = 113,  // 8-position 64 x 64 knob
  kSmallKnob9 = 118,    // 9-position 40 x 40 knob
  kSmallKnob15 = 119,   // 15-position 40 x 40 knob
  kSmallKnobCont = 120, // 64-frame 40 x 40 knob
};

const int kNumPictures = 11;
const Picture kPictures[kNumPictures] = {
    {kBackground, "KolvaneGUI10.png", 1, 664, 472},
    {kKnob, "knob_64_white1.png", 30, 64, 1920},
    {kBigButton, "big_button.png", 2, 128, 256},
    {kFader, "XV VFader.png", 3, 24, 300},
    {kSmallSwitch, "S_Button-1.png", 2, 26, 52},
    {kStepButton, "Prophet 5 Button mini .png", 2, 25, 86},
    {kLed, "Green LED.png", 2, 18, 36},
    {kKnobStepped8, "knob_64_white1 8 step.png", 8, 64, 512},
    {kSmallKnob9, "mixer_blue_9_steps.png", 9, 40, 360},
    {kSmallKnob15, "mixer_blue_15_steps.png", 15, 40, 600},
    {kSmallKnobCont, "mixer_blue_cont_steps.png", 64, 40, 2560},
};

inline const Picture* findPicture(int id)
{
  for (const Picture& p : kPictures)
    if (p.id == id)
      return &p;
  return nullptr;
}

const int kEditorWidth = 664;
const int kEditorHeight = 472;

// One control drawn over the background: its picture, its top-left corner,
// and its parameter's default (value, range and normalization shape) from
// which the frame it starts in follows. Step LEDs have no parameter and
// start dark.
struct Control
{
  int param; // parameter index, -1 for an LED
  int picture;
  int x, y;
  double defaultValue, minValue, maxValue, shape;
};

// Drawing order: the 16 LEDs, then parameters 0 to 41.
const int kNumControls = 58;
const Control kControls[kNumControls] = {
    {-1, kLed, 23, 402, 0, 0, 1, 1},
    {-1, kLed, 55, 402, 0, 0, 1, 1},
    {-1, kLed, 87, 402, 0, 0, 1, 1},
    {-1, kLed, 119, 402, 0, 0, 1, 1},
    {-1, kLed, 151, 402, 0, 0, 1, 1},
    {-1, kLed, 183, 402, 0, 0, 1, 1},
    {-1, kLed, 215, 402, 0, 0, 1, 1},
    {-1, kLed, 247, 402, 0, 0, 1, 1},
    {-1, kLed, 279, 402, 0, 0, 1, 1},
    {-1, kLed, 311, 402, 0, 0, 1, 1},
    {-1, kLed, 343, 402, 0, 0, 1, 1},
    {-1, kLed, 375, 402, 0, 0, 1, 1},
    {-1, kLed, 407, 402, 0, 0, 1, 1},
    {-1, kLed, 439, 402, 0, 0, 1, 1},
    {-1, kLed, 471, 402, 0, 0, 1, 1},
    {-1, kLed, 503, 402, 0, 0, 1, 1},
    {0, kKnob, 58, 177, 0.01, 0.01, 10.0, 3.0},  // amplitude attack
    {1, kKnob, 130, 177, 0.5, 0.01, 15.0, 3.0},  // amplitude decay
    {2, kKnob, 202, 177, 0.1, 0.001, 1.0, 2.0},  // amplitude sustain
    {3, kKnob, 274, 177, 1.0, 0.1, 15.0, 3.0},   // amplitude release
    {4, kKnob, 58, 289, 0.01, 0.01, 10.0, 3.0},  // filter attack
    {5, kKnob, 130, 289, 0.5, 0.01, 15.0, 3.0},  // filter decay
    {6, kKnob, 202, 289, 0.1, 0.001, 1.0, 2.0},  // filter sustain
    {7, kKnob, 274, 289, 1.0, 0.001, 15.0, 3.0}, // filter release
    {8, kKnob, 58, 65, 0.99, 0.01, 0.99, 1.0},   // cutoff
    {9, kKnob, 130, 65, 0.01, 0.01, 1.0, 2.0},   // resonance
    {10, kKnob, 378, 177, 0.0, 0.0, 1.0, 2.0},   // amplitude LFO depth
    {11, kKnobStepped8, 450, 177, 2, 0, 7, 1.0}, // amplitude LFO rate
    {12, kSmallSwitch, 500, 154, 0, 0, 1, 1.0},  // amplitude LFO triplet
    {13, kKnob, 378, 289, 0.0, 0.0, 1.0, 2.0},   // filter LFO depth
    {14, kKnobStepped8, 450, 289, 2, 0, 7, 1.0}, // filter LFO rate
    {15, kSmallSwitch, 500, 266, 0, 0, 1, 1.0},  // filter LFO triplet
    {16, kBigButton, 372, 26, 0, 0, 1, 1.0},     // push
    {17, kFader, 278, 30, 0, 0, 2, 1.0},         // filter type
    {18, kFader, 535, 147, 2, 0, 2, 1.0},        // amplitude LFO waveform
    {19, kFader, 535, 259, 2, 0, 2, 1.0},        // filter LFO waveform
    {20, kStepButton, 23, 420, 1, 0, 1, 1.0},    // steps 1 to 16; 1, 2 and 6 on
    {21, kStepButton, 55, 420, 1, 0, 1, 1.0},
    {22, kStepButton, 87, 420, 0, 0, 1, 1.0},
    {23, kStepButton, 119, 420, 0, 0, 1, 1.0},
    {24, kStepButton, 151, 420, 0, 0, 1, 1.0},
    {25, kStepButton, 183, 420, 1, 0, 1, 1.0},
    {26, kStepButton, 215, 420, 0, 0, 1, 1.0},
    {27, kStepButton, 247, 420, 0, 0, 1, 1.0},
    {28, kStepButton, 279, 420, 0, 0, 1, 1.0},
    {29, kStepButton, 311, 420, 0, 0, 1, 1.0},
    {30, kStepButton, 343, 420, 0, 0, 1, 1.0},
    {31, kStepButton, 375, 420, 0, 0, 1, 1.0},
    {32, kStepButton, 407, 420, 0, 0, 1, 1.0},
    {33, kStepButton, 439, 420, 0, 0, 1, 1.0},
    {34, kStepButton, 471, 420, 0, 0, 1, 1.0},
    {35, kStepButton, 503, 420, 0, 0, 1, 1.0},
    {36, kSmallSwitch, 501, 71, 0, 0, 1, 1.0},           // gate mode: on = MIDI gate
    {37, kSmallKnobCont, 535, 410, 1.0, 0.01, 1.0, 1.0}, // note length
    {38, kSmallKnob15, 604, 410, 16, 2, 16, 1.0},        // number of steps
    {39, kSmallKnob9, 570, 380, 5, 1, 9, 1.0},           // step length
    {40, kKnob, 202, 65, 1.0, 0.001, 1.0, 2.0},          // filter envelope amount
    {41, kKnob, 552, 65, 1.0, 0.0, 1.0, 0.5},            // dry/wet
};

// The frame (0-based) a control shows for its default value, the way the
// editor's controls choose it: the value normalized through the shape, the
// nearest of the evenly spaced frames.
inline int defaultFrame(const Control& c)
{
  const Picture* p = findPicture(c.picture);
  if (!p || c.param < 0 || p->frames < 2 || c.maxValue <= c.minValue)
    return 0;
  double v = (c.defaultValue - c.minValue) / (c.maxValue - c.minValue);
  v = v < 0.0 ? 0.0 : (v > 1.0 ? 1.0 : v);
  v = std::pow(v, 1.0 / c.shape);
  const int frame = static_cast<int>(v * (p->frames - 1) + 0.5);
  return frame < 0 ? 0 : (frame >= p->frames ? p->frames - 1 : frame);
}
} // namespace kolvane_artwork
