#pragma once

#include "IParam.h"
#include "KolvanePictures.h"

// The plug-in's 42 parameters: one numbering used by the parameter handler,
// the presets, the editor and the host, and one row per parameter holding
// everything the code knows about it: how the host sees it, how CreateParams
// types it, and which control the editor shows it with, where. The artwork
// generator draws the background's labels from the same rows, so moving a
// control here means running `make artwork`.

enum EParams
{
  kAmplitudeAttack = 0,
  kAmplitudeDecay,
  kAmplitudeSustain,
  kAmplitudeRelease,
  kFilterAttack,
  kFilterDecay,
  kFilterSustain,
  kFilterRelease,
  kFilterCutoff,
  kFilterResonance,
  kLFODepth,
  kLFORate,
  kLFOTriple,
  kLFOFilterDepth,
  kLFOFilterRate,
  kLFOFilterTriple,
  kPush,
  kFilterType,
  kLFOAmpType,
  kLFOFilterType,
  kStepSeq1,
  kStepSeq16 = kStepSeq1 + 15,
  kStepOnOff,
  kSeqNoteLen,
  kArpIntervall,
  kArpSpeed,
  kFilterEnvelope,
  kDryWet,
  kNumParams
};

static_assert(kStepOnOff == 36 && kNumParams == 42, "parameter numbering");

// The kinds of control the editor is built from.
enum EControlKind
{
  kControlKnob,    // a multi-frame knob dragged vertically
  kControlSwitch,  // toggles on each click
  kControlContact, // on while held
  kControlBitmap,  // shows a value, takes no input (the step LEDs)
};

struct ParameterProperties
{
  const char* name;
  // Top-left corner of the parameter's control in the editor, in pixels.
  int x;
  int y;
  // Real values, whatever the kind: bools 0 or 1, enums 0 to choices - 1.
  // A step parameter's default is whether the step is on in a new instance.
  double defaultVal;
  double minVal;
  double maxVal;
  EParamType kind;
  // The normalization curve (IParam::SetShape): 1 is linear, above 1 gives
  // the low end more of the knob's travel.
  double shape;
  // The smallest change: 0.001 for doubles, 1 for the whole-number kinds.
  double step;
  EControlKind control;
  int picture; // EPicture
  // Knobs: a drag over the picture's frame height times this crosses the
  // whole range. 0 for the other controls.
  double gearing;
};

extern const ParameterProperties parameterProperties[kNumParams];

// The parameter's default normalized as the host and the editor see it.
double DefaultNormalized(const ParameterProperties& p);

// ---- The editor --------------------------------------------------------------

// The 16 step LEDs sit right above their step buttons, in the same column.
const int kNumStepLeds = 16;
const int kStepLedY = 402;
// The LEDs carry these tags in place of a parameter index; none is a
// parameter, so no input on an LED reaches the parameters or the host.
const int kFirstStepLedTag = kNumParams;

// One control drawn over the background.
struct EditorControl
{
  int tag; // the parameter index, or an LED's tag
  EControlKind kind;
  int picture;
  int x;
  int y;
  double gearing;
};

// The controls after the background, in the order they are attached, which
// is the order they are drawn in: the 16 LEDs, then one control per
// parameter in index order.
const int kNumEditorControls = kNumStepLeds + kNumParams;
EditorControl GetEditorControl(int index);

// The frame (0 first) a control shows in a new instance: its parameter's
// default normalized, the nearest of the picture's evenly spaced frames; an
// LED shows its dark frame.
int DefaultFrame(const EditorControl& control);
