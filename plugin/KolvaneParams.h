#pragma once

// The plug-in's 42 parameters: one numbering used by the parameter handler,
// the presets, the editor and the host.

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

// One parameter's name, its control's top-left corner in the editor, and its
// default and range. Bool records carry zeros (the step parameters take their
// default from the step flags); an enum record's maxVal is its number of
// choices.
struct ParameterProperties
{
  const char* name;
  int x;
  int y;
  double defaultVal;
  double minVal;
  double maxVal;
};

extern const ParameterProperties parameterProperties[kNumParams];
