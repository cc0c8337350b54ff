#pragma once

#include "IParam.h"
#include "KolvanePictures.h"

// The plug-in's parameters: one numbering used by the parameter handler,
// the presets, the editor, the host and the stored state, and one row per
// parameter holding everything the code knows about it: how the host sees
// it, how CreateParams types it, how its value reaches the engine, and which
// control the editor shows it with, where, in which panel and under which
// label. The artwork generator draws the background's panels and labels from
// the same rows, so moving a control or renaming a label here means running
// `make artwork`; the GUI tests find the controls through `kolvane-layout`,
// which prints the rows.

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
  // Parameters added after the first release follow its 42, so that every
  // index, stored state and preset of it keeps its meaning.
  kSwing,
  kStepLevel1,
  kStepLevel16 = kStepLevel1 + 15,
  kNumParams
};

// The first release's parameters: the part of the state every version
// stores first and reads first (Kolvane::SerializeState).
const int kNumOriginalParams = kSwing;

static_assert(kStepOnOff == 36 && kNumOriginalParams == 42 && kNumParams == 59,
              "parameter numbering");

// The kinds of control the editor is built from.
enum EControlKind
{
  kControlKnob,    // a multi-frame knob dragged vertically
  kControlSlider,  // a multi-frame slider dragged horizontally
  kControlSwitch,  // toggles on each click; a step key also takes its
                   // step's level from a vertical drag (StepLevelParam)
  kControlContact, // on while held
  kControlBitmap,  // shows a value, takes no input (the step LEDs)
  kControlNone,    // no control of its own; its picture is 0
};

// What the engine is handed for a parameter's value.
enum EEngineMapping
{
  kEngineValue,      // the value itself, read as its kind reads it
  kEnginePowerOfTwo, // 2 to the power of the whole value: an LFO rate's
                     // exponent 0 to 7 becomes 1 to 128 cycles per half note
};

// How a parameter's value reads as text, for the host (its display and
// unit label, and the text it hands back to set a value) and for the
// editor's text entry. Every form also takes a plain number in real units,
// as the first release did.
enum EDisplay
{
  kDisplayNumber,    // the number at the step's precision ("0.990", "16")
  kDisplayTime,      // seconds: "10" "ms" below a second, "1.5" "s" from one on
  kDisplayPercent,   // a level or depth 0 to 1 as "50" "%"
  kDisplayWet,       // the mix 0 to 1 as "75" "% wet"; "25 % dry" reads too
  kDisplayNoteValue, // a power-of-two LFO rate as the note one cycle lasts: "1/8"
  kDisplayChoices,   // the name of each value, from the row's choices
};

struct ParameterProperties
{
  // Stable across releases and independent of the index: a letter or
  // underscore, then letters, digits and underscores, unique in the table.
  // An edition keyed by names (an LV2 port symbol) uses it; the stored state
  // and the presets keep using the index.
  const char* id;
  const char* name; // as the host shows it
  // The editor panel the control sits in, as its title reads (one of
  // editorPanels), and the short caption the background shows with it.
  const char* group;
  const char* label;
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
  EEngineMapping engine;
  EDisplay display;
  // kDisplayChoices: one name per value from minVal to maxVal.
  const char* const* choices;
};

extern const ParameterProperties parameterProperties[kNumParams];

// The parameter's default normalized as the host and the editor see it.
double DefaultNormalized(const ParameterProperties& p);

// The whole number the engine takes for parameter paramIdx at the whole
// value `value`, by its row's mapping.
int EngineInt(int paramIdx, int value);

// The texts of parameter paramIdx by its row's display: the text and unit
// for value (real units), and the value for a text a person typed (the
// forms the text and unit make, with or without the unit, any case, and
// plain numbers). Parsing is false for a text it does not take. A row shown
// as a plain number (kDisplayNumber) has no format: the framework's own
// number texts serve it.
void FormatParamText(int paramIdx, double value, char* text, char* unit);
bool ParseParamText(int paramIdx, const char* text, double* value);
// The format CreateParams gives parameter paramIdx; null for a plain number.
const IParamFormat* ParamFormat(int paramIdx);

// ---- The editor --------------------------------------------------------------

// A panel of the background: a plate titled with its group name, holding the
// controls whose rows name it. In the order they are drawn.
struct EditorPanel
{
  const char* group;
  int x;
  int y;
  int width;
  int height;
};

const int kNumEditorPanels = 8;
extern const EditorPanel editorPanels[kNumEditorPanels];

// Null for a name that is no panel's.
const EditorPanel* FindPanel(const char* group);

// The 16 step LEDs sit right above their step buttons, in the same column.
const int kNumStepLeds = 16;
const int kStepLedY = 402;
// The LEDs carry these tags in place of a parameter index; none is a
// parameter, so no input on an LED reaches the parameters or the host.
const int kFirstStepLedTag = kNumParams;

// The level parameter a step key sets by dragging, for a step parameter
// (kStepSeq1 to kStepSeq16); -1 for any other index.
int StepLevelParam(int paramIdx);

// A step key's drag: this many layout units cross the level's whole range,
// the key's own height.
const int kStepLevelDragSpan = 43;

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
// parameter in index order. A parameter whose row has kControlNone keeps its
// place in this numbering but is not attached, drawn or hit.
const int kNumEditorControls = kNumStepLeds + kNumParams;
EditorControl GetEditorControl(int index);

// The frame (0 first) a control shows in a new instance: its parameter's
// default normalized, the nearest of the picture's evenly spaced frames; an
// LED shows its dark frame.
int DefaultFrame(const EditorControl& control);
