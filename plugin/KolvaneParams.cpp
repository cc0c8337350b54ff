#include "KolvaneParams.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace
{
// Choices by value: the filter modes, the LFO waves (OscillatorMode's
// order) and a switch's two positions.
const char* const kFilterChoices[] = {"LP", "HP", "BP"};
const char* const kWaveChoices[] = {"Saw", "Square", "Sine"};
const char* const kSwitchChoices[] = {"off", "on"};
} // namespace

// clang-format off
const ParameterProperties parameterProperties[kNumParams] = {
//   id, name, group, label,
//   x, y, default, min, max, kind, shape, step, control, picture, gearing, engine,
//   display, choices
    {"amp_attack", "Amplitude Attack", "Amp Envelope", "Attack",
     58, 177, 0.01, 0.01, 10.0, kTypeDouble, 3.0, 0.001, kControlKnob, kPictureKnob, 4.0, kEngineValue, kDisplayTime, nullptr}, // 0
    {"amp_decay", "Amplitude Decay", "Amp Envelope", "Decay",
     130, 177, 0.5, 0.01, 15.0, kTypeDouble, 3.0, 0.001, kControlKnob, kPictureKnob, 4.0, kEngineValue, kDisplayTime, nullptr}, // 1
    {"amp_sustain", "Amplitude Sustain", "Amp Envelope", "Sustain",
     202, 177, 0.1, 0.001, 1.0, kTypeDouble, 2.0, 0.001, kControlKnob, kPictureKnob, 4.0, kEngineValue, kDisplayPercent, nullptr}, // 2
    {"amp_release", "Amplitude Release", "Amp Envelope", "Release",
     274, 177, 1.0, 0.1, 15.0, kTypeDouble, 3.0, 0.001, kControlKnob, kPictureKnob, 4.0, kEngineValue, kDisplayTime, nullptr}, // 3
    {"filter_attack", "Filter Attack", "Filter Envelope", "Attack",
     58, 289, 0.01, 0.01, 10.0, kTypeDouble, 3.0, 0.001, kControlKnob, kPictureKnob, 4.0, kEngineValue, kDisplayTime, nullptr}, // 4
    {"filter_decay", "Filter Decay", "Filter Envelope", "Decay",
     130, 289, 0.5, 0.01, 15.0, kTypeDouble, 3.0, 0.001, kControlKnob, kPictureKnob, 4.0, kEngineValue, kDisplayTime, nullptr}, // 5
    {"filter_sustain", "Filter Sustain", "Filter Envelope", "Sustain",
     202, 289, 0.1, 0.001, 1.0, kTypeDouble, 2.0, 0.001, kControlKnob, kPictureKnob, 4.0, kEngineValue, kDisplayPercent, nullptr}, // 6
    {"filter_release", "Filter Release", "Filter Envelope", "Release",
     274, 289, 1.0, 0.001, 15.0, kTypeDouble, 3.0, 0.001, kControlKnob, kPictureKnob, 4.0, kEngineValue, kDisplayTime, nullptr}, // 7
    {"filter_cutoff", "Filter Cutoff", "Filter", "Cutoff",
     58, 65, 0.99, 0.01, 0.99, kTypeDouble, 1.0, 0.001, kControlKnob, kPictureKnob, 4.0, kEngineValue, kDisplayNumber, nullptr}, // 8
    {"filter_resonance", "Filter Resonance", "Filter", "Resonance",
     130, 65, 0.01, 0.01, 1.0, kTypeDouble, 2.0, 0.001, kControlKnob, kPictureKnob, 4.0, kEngineValue, kDisplayNumber, nullptr}, // 9
    {"amp_lfo_depth", "LFO Depth", "Amp LFO", "Depth",
     378, 177, 0.0, 0.0, 1.0, kTypeDouble, 2.0, 0.001, kControlKnob, kPictureKnob, 4.0, kEngineValue, kDisplayPercent, nullptr}, // 10
    {"amp_lfo_rate", "LFO Rate", "Amp LFO", "Rate",
     450, 177, 2.0, 0.0, 7.0, kTypeInt, 1.0, 1.0, kControlKnob, kPictureKnob8, 4.0, kEnginePowerOfTwo, kDisplayNoteValue, nullptr}, // 11
    {"amp_lfo_triplet", "LFO Triple", "Amp LFO", "Triplet",
     500, 154, 0.0, 0.0, 1.0, kTypeBool, 1.0, 1.0, kControlSwitch, kPictureSmallSwitch, 0.0, kEngineValue, kDisplayChoices, kSwitchChoices}, // 12
    {"filter_lfo_depth", "LFO Filter Depth", "Filter LFO", "Depth",
     378, 289, 0.0, 0.0, 1.0, kTypeDouble, 2.0, 0.001, kControlKnob, kPictureKnob, 4.0, kEngineValue, kDisplayPercent, nullptr}, // 13
    {"filter_lfo_rate", "LFO Filter Rate", "Filter LFO", "Rate",
     450, 289, 2.0, 0.0, 7.0, kTypeInt, 1.0, 1.0, kControlKnob, kPictureKnob8, 4.0, kEnginePowerOfTwo, kDisplayNoteValue, nullptr}, // 14
    {"filter_lfo_triplet", "LFO Filter Triple", "Filter LFO", "Triplet",
     500, 266, 0.0, 0.0, 1.0, kTypeBool, 1.0, 1.0, kControlSwitch, kPictureSmallSwitch, 0.0, kEngineValue, kDisplayChoices, kSwitchChoices}, // 15
    {"push", "Push!!", "Gate", "Push",
     372, 26, 0.0, 0.0, 1.0, kTypeBool, 1.0, 1.0, kControlContact, kPictureBigButton, 0.0, kEngineValue, kDisplayChoices, kSwitchChoices}, // 16
    {"filter_type", "Filter Type", "Filter", "Type",
     278, 30, 0.0, 0.0, 2.0, kTypeEnum, 1.0, 1.0, kControlKnob, kPictureFader, 1.0, kEngineValue, kDisplayChoices, kFilterChoices}, // 17
    {"amp_lfo_wave", "LFO Amp Type", "Amp LFO", "Wave",
     535, 147, 2.0, 0.0, 2.0, kTypeEnum, 1.0, 1.0, kControlKnob, kPictureFader, 1.0, kEngineValue, kDisplayChoices, kWaveChoices}, // 18
    {"filter_lfo_wave", "LFO Filter Type", "Filter LFO", "Wave",
     535, 259, 2.0, 0.0, 2.0, kTypeEnum, 1.0, 1.0, kControlKnob, kPictureFader, 1.0, kEngineValue, kDisplayChoices, kWaveChoices}, // 19
    {"step_1", "Step Seq 1", "Step Sequencer", "1",
     23, 420, 1.0, 0.0, 1.0, kTypeBool, 1.0, 1.0, kControlSwitch, kPictureStepButton, 0.0, kEngineValue, kDisplayChoices, kSwitchChoices}, // 20
    {"step_2", "Step Seq 2", "Step Sequencer", "2",
     55, 420, 1.0, 0.0, 1.0, kTypeBool, 1.0, 1.0, kControlSwitch, kPictureStepButton, 0.0, kEngineValue, kDisplayChoices, kSwitchChoices}, // 21
    {"step_3", "Step Seq 3", "Step Sequencer", "3",
     87, 420, 0.0, 0.0, 1.0, kTypeBool, 1.0, 1.0, kControlSwitch, kPictureStepButton, 0.0, kEngineValue, kDisplayChoices, kSwitchChoices}, // 22
    {"step_4", "Step Seq 4", "Step Sequencer", "4",
     119, 420, 0.0, 0.0, 1.0, kTypeBool, 1.0, 1.0, kControlSwitch, kPictureStepButton, 0.0, kEngineValue, kDisplayChoices, kSwitchChoices}, // 23
    {"step_5", "Step Seq 5", "Step Sequencer", "5",
     151, 420, 0.0, 0.0, 1.0, kTypeBool, 1.0, 1.0, kControlSwitch, kPictureStepButton, 0.0, kEngineValue, kDisplayChoices, kSwitchChoices}, // 24
    {"step_6", "Step Seq 6", "Step Sequencer", "6",
     183, 420, 1.0, 0.0, 1.0, kTypeBool, 1.0, 1.0, kControlSwitch, kPictureStepButton, 0.0, kEngineValue, kDisplayChoices, kSwitchChoices}, // 25
    {"step_7", "Step Seq 7", "Step Sequencer", "7",
     215, 420, 0.0, 0.0, 1.0, kTypeBool, 1.0, 1.0, kControlSwitch, kPictureStepButton, 0.0, kEngineValue, kDisplayChoices, kSwitchChoices}, // 26
    {"step_8", "Step Seq 8", "Step Sequencer", "8",
     247, 420, 0.0, 0.0, 1.0, kTypeBool, 1.0, 1.0, kControlSwitch, kPictureStepButton, 0.0, kEngineValue, kDisplayChoices, kSwitchChoices}, // 27
    {"step_9", "Step Seq 9", "Step Sequencer", "9",
     279, 420, 0.0, 0.0, 1.0, kTypeBool, 1.0, 1.0, kControlSwitch, kPictureStepButton, 0.0, kEngineValue, kDisplayChoices, kSwitchChoices}, // 28
    {"step_10", "Step Seq 10", "Step Sequencer", "10",
     311, 420, 0.0, 0.0, 1.0, kTypeBool, 1.0, 1.0, kControlSwitch, kPictureStepButton, 0.0, kEngineValue, kDisplayChoices, kSwitchChoices}, // 29
    {"step_11", "Step Seq 11", "Step Sequencer", "11",
     343, 420, 0.0, 0.0, 1.0, kTypeBool, 1.0, 1.0, kControlSwitch, kPictureStepButton, 0.0, kEngineValue, kDisplayChoices, kSwitchChoices}, // 30
    {"step_12", "Step Seq 12", "Step Sequencer", "12",
     375, 420, 0.0, 0.0, 1.0, kTypeBool, 1.0, 1.0, kControlSwitch, kPictureStepButton, 0.0, kEngineValue, kDisplayChoices, kSwitchChoices}, // 31
    {"step_13", "Step Seq 13", "Step Sequencer", "13",
     407, 420, 0.0, 0.0, 1.0, kTypeBool, 1.0, 1.0, kControlSwitch, kPictureStepButton, 0.0, kEngineValue, kDisplayChoices, kSwitchChoices}, // 32
    {"step_14", "Step Seq 14", "Step Sequencer", "14",
     439, 420, 0.0, 0.0, 1.0, kTypeBool, 1.0, 1.0, kControlSwitch, kPictureStepButton, 0.0, kEngineValue, kDisplayChoices, kSwitchChoices}, // 33
    {"step_15", "Step Seq 15", "Step Sequencer", "15",
     471, 420, 0.0, 0.0, 1.0, kTypeBool, 1.0, 1.0, kControlSwitch, kPictureStepButton, 0.0, kEngineValue, kDisplayChoices, kSwitchChoices}, // 34
    {"step_16", "Step Seq 16", "Step Sequencer", "16",
     503, 420, 0.0, 0.0, 1.0, kTypeBool, 1.0, 1.0, kControlSwitch, kPictureStepButton, 0.0, kEngineValue, kDisplayChoices, kSwitchChoices}, // 35
    {"midi_gate", "Step On Off", "Gate", "Mode",
     501, 71, 0.0, 0.0, 1.0, kTypeBool, 1.0, 1.0, kControlSwitch, kPictureSmallSwitch, 0.0, kEngineValue, kDisplayChoices, kSwitchChoices}, // 36
    {"seq_note_length", "Seq Note Len", "Step Sequencer", "Length",
     535, 410, 1.0, 0.01, 1.0, kTypeDouble, 1.0, 0.001, kControlKnob, kPictureSmallKnob64, 4.0, kEngineValue, kDisplayNumber, nullptr}, // 37
    {"seq_steps", "Arp Intervall", "Step Sequencer", "Steps",
     604, 410, 16.0, 2.0, 16.0, kTypeInt, 1.0, 1.0, kControlKnob, kPictureSmallKnob15, 4.0, kEngineValue, kDisplayNumber, nullptr}, // 38
    {"seq_speed", "Arp Speed", "Step Sequencer", "Speed",
     570, 380, 5.0, 1.0, 9.0, kTypeInt, 1.0, 1.0, kControlKnob, kPictureSmallKnob9, 4.0, kEngineValue, kDisplayNumber, nullptr}, // 39
    {"filter_env_amount", "Filter Envelope", "Filter", "Env Amount",
     202, 65, 1.0, 0.001, 1.0, kTypeDouble, 2.0, 0.001, kControlKnob, kPictureKnob, 4.0, kEngineValue, kDisplayPercent, nullptr}, // 40
    {"dry_wet", "Dry Wet", "Mix", "Mix",
     552, 65, 1.0, 0.0, 1.0, kTypeDouble, 0.5, 0.001, kControlKnob, kPictureKnob, 4.0, kEngineValue, kDisplayWet, nullptr}, // 41
    {"swing", "Swing", "Step Sequencer", "Swing",
     446, 379, 0.0, 0.0, 1.0, kTypeDouble, 1.0, 0.001, kControlSlider, kPictureSwingSlider, 1.0, kEngineValue, kDisplayPercent, nullptr}, // 42
    {"step_level_1", "Step Level 1", "Step Sequencer", "Level",
     0, 0, 1.0, 0.0, 1.0, kTypeDouble, 1.0, 0.001, kControlNone, 0, 0.0, kEngineValue, kDisplayPercent, nullptr}, // 43
    {"step_level_2", "Step Level 2", "Step Sequencer", "Level",
     0, 0, 1.0, 0.0, 1.0, kTypeDouble, 1.0, 0.001, kControlNone, 0, 0.0, kEngineValue, kDisplayPercent, nullptr}, // 44
    {"step_level_3", "Step Level 3", "Step Sequencer", "Level",
     0, 0, 1.0, 0.0, 1.0, kTypeDouble, 1.0, 0.001, kControlNone, 0, 0.0, kEngineValue, kDisplayPercent, nullptr}, // 45
    {"step_level_4", "Step Level 4", "Step Sequencer", "Level",
     0, 0, 1.0, 0.0, 1.0, kTypeDouble, 1.0, 0.001, kControlNone, 0, 0.0, kEngineValue, kDisplayPercent, nullptr}, // 46
    {"step_level_5", "Step Level 5", "Step Sequencer", "Level",
     0, 0, 1.0, 0.0, 1.0, kTypeDouble, 1.0, 0.001, kControlNone, 0, 0.0, kEngineValue, kDisplayPercent, nullptr}, // 47
    {"step_level_6", "Step Level 6", "Step Sequencer", "Level",
     0, 0, 1.0, 0.0, 1.0, kTypeDouble, 1.0, 0.001, kControlNone, 0, 0.0, kEngineValue, kDisplayPercent, nullptr}, // 48
    {"step_level_7", "Step Level 7", "Step Sequencer", "Level",
     0, 0, 1.0, 0.0, 1.0, kTypeDouble, 1.0, 0.001, kControlNone, 0, 0.0, kEngineValue, kDisplayPercent, nullptr}, // 49
    {"step_level_8", "Step Level 8", "Step Sequencer", "Level",
     0, 0, 1.0, 0.0, 1.0, kTypeDouble, 1.0, 0.001, kControlNone, 0, 0.0, kEngineValue, kDisplayPercent, nullptr}, // 50
    {"step_level_9", "Step Level 9", "Step Sequencer", "Level",
     0, 0, 1.0, 0.0, 1.0, kTypeDouble, 1.0, 0.001, kControlNone, 0, 0.0, kEngineValue, kDisplayPercent, nullptr}, // 51
    {"step_level_10", "Step Level 10", "Step Sequencer", "Level",
     0, 0, 1.0, 0.0, 1.0, kTypeDouble, 1.0, 0.001, kControlNone, 0, 0.0, kEngineValue, kDisplayPercent, nullptr}, // 52
    {"step_level_11", "Step Level 11", "Step Sequencer", "Level",
     0, 0, 1.0, 0.0, 1.0, kTypeDouble, 1.0, 0.001, kControlNone, 0, 0.0, kEngineValue, kDisplayPercent, nullptr}, // 53
    {"step_level_12", "Step Level 12", "Step Sequencer", "Level",
     0, 0, 1.0, 0.0, 1.0, kTypeDouble, 1.0, 0.001, kControlNone, 0, 0.0, kEngineValue, kDisplayPercent, nullptr}, // 54
    {"step_level_13", "Step Level 13", "Step Sequencer", "Level",
     0, 0, 1.0, 0.0, 1.0, kTypeDouble, 1.0, 0.001, kControlNone, 0, 0.0, kEngineValue, kDisplayPercent, nullptr}, // 55
    {"step_level_14", "Step Level 14", "Step Sequencer", "Level",
     0, 0, 1.0, 0.0, 1.0, kTypeDouble, 1.0, 0.001, kControlNone, 0, 0.0, kEngineValue, kDisplayPercent, nullptr}, // 56
    {"step_level_15", "Step Level 15", "Step Sequencer", "Level",
     0, 0, 1.0, 0.0, 1.0, kTypeDouble, 1.0, 0.001, kControlNone, 0, 0.0, kEngineValue, kDisplayPercent, nullptr}, // 57
    {"step_level_16", "Step Level 16", "Step Sequencer", "Level",
     0, 0, 1.0, 0.0, 1.0, kTypeDouble, 1.0, 0.001, kControlNone, 0, 0.0, kEngineValue, kDisplayPercent, nullptr}, // 58
};
// clang-format on

const EditorPanel editorPanels[kNumEditorPanels] = {
    {"Filter", 10, 8, 314, 140},        {"Gate", 332, 8, 208, 140},
    {"Mix", 548, 8, 106, 140},          {"Amp Envelope", 10, 154, 346, 108},
    {"Amp LFO", 364, 154, 290, 108},    {"Filter Envelope", 10, 268, 346, 101},
    {"Filter LFO", 364, 268, 290, 101}, {"Step Sequencer", 10, 375, 644, 91},
};

double DefaultNormalized(const ParameterProperties& p)
{
  return ToNormalizedParam(p.defaultVal, p.minVal, p.maxVal, p.shape);
}

int EngineInt(int paramIdx, int value)
{
  if (paramIdx < 0 || paramIdx >= kNumParams)
  {
    return value;
  }
  switch (parameterProperties[paramIdx].engine)
  {
  case kEnginePowerOfTwo:
    // The parameter's range keeps the exponent small; the guard keeps the
    // shift defined whatever arrives.
    return value <= 0 ? 1 : 1 << (value < 30 ? value : 30);
  default:
    return value;
  }
}

namespace
{
int countChoices(const ParameterProperties& p)
{
  return p.choices ? static_cast<int>(p.maxVal - p.minVal) + 1 : 0;
}

// At most three significant digits, and no trailing zeros after the point:
// 10, 1.5, 12.3, 0.25.
void writeNumber(double number, char* text)
{
  const double size = std::fabs(number);
  const int decimals = size < 9.995 ? 2 : (size < 99.95 ? 1 : 0);
  std::snprintf(text, MAX_PARAM_DISPLAY_LEN, "%.*f", decimals, number);
  if (std::strchr(text, '.'))
  {
    char* end = text + std::strlen(text) - 1;
    while (*end == '0')
    {
      *end-- = '\0';
    }
    if (*end == '.')
    {
      *end = '\0';
    }
  }
  if (std::strcmp(text, "-0") == 0)
  {
    std::strcpy(text, "0");
  }
}

bool sameText(const std::string& a, const char* b)
{
  if (a.size() != std::strlen(b))
  {
    return false;
  }
  for (size_t i = 0; i < a.size(); ++i)
  {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
    {
      return false;
    }
  }
  return true;
}

// The note one cycle of a power-of-two LFO rate lasts: the engine makes
// that rate's number of cycles per half note.
int noteDivisor(int paramIdx, int value)
{
  return 2 * EngineInt(paramIdx, value);
}

class ParamTextFormat final : public IParamFormat
{
public:
  void Format(double value, char* text, char* unit) const override
  {
    FormatParamText(mIdx, value, text, unit);
  }
  bool Parse(const char* text, double* value) const override
  {
    return ParseParamText(mIdx, text, value);
  }
  int mIdx = 0;
};
} // namespace

void FormatParamText(int paramIdx, double value, char* text, char* unit)
{
  text[0] = '\0';
  unit[0] = '\0';
  if (paramIdx < 0 || paramIdx >= kNumParams)
  {
    return;
  }
  const ParameterProperties& p = parameterProperties[paramIdx];
  if (!std::isfinite(value))
  {
    value = p.minVal;
  }
  switch (p.display)
  {
  case kDisplayTime:
    // Below a second in milliseconds, unless they would read 1000.
    if (std::fabs(value) < 0.9995)
    {
      writeNumber(value * 1000.0, text);
      std::strcpy(unit, "ms");
    }
    else
    {
      writeNumber(value, text);
      std::strcpy(unit, "s");
    }
    return;
  case kDisplayPercent:
  case kDisplayWet:
    writeNumber(value * 100.0, text);
    std::strcpy(unit, p.display == kDisplayWet ? "% wet" : "%");
    return;
  case kDisplayNoteValue:
  {
    const double clamped = value < p.minVal ? p.minVal : (value > p.maxVal ? p.maxVal : value);
    std::snprintf(text, MAX_PARAM_DISPLAY_LEN, "1/%d",
                  noteDivisor(paramIdx, static_cast<int>(clamped)));
    return;
  }
  case kDisplayChoices:
  {
    const int n = countChoices(p);
    int k = static_cast<int>((value < p.minVal ? p.minVal : value) - p.minVal);
    k = k < 0 ? 0 : (k >= n ? n - 1 : k);
    if (n > 0)
    {
      CopyBounded(text, p.choices[k], MAX_PARAM_DISPLAY_LEN);
    }
    return;
  }
  case kDisplayNumber:
    // As the framework writes a number at the step's precision.
    std::snprintf(text, MAX_PARAM_DISPLAY_LEN, p.kind == kTypeDouble ? "%.3f" : "%.0f",
                  p.kind == kTypeDouble ? value : std::trunc(value));
    return;
  }
}

bool ParseParamText(int paramIdx, const char* text, double* value)
{
  if (paramIdx < 0 || paramIdx >= kNumParams || !text || !value)
  {
    return false;
  }
  const ParameterProperties& p = parameterProperties[paramIdx];
  std::string trimmed = text;
  trimmed.erase(0, trimmed.find_first_not_of(" \t"));
  trimmed.erase(trimmed.find_last_not_of(" \t") + 1);

  for (int k = 0; k < countChoices(p); ++k)
  {
    if (sameText(trimmed, p.choices[k]))
    {
      *value = p.minVal + k;
      return true;
    }
  }
  if (p.display == kDisplayNoteValue && trimmed.compare(0, 2, "1/") == 0)
  {
    for (int v = static_cast<int>(p.minVal); v <= static_cast<int>(p.maxVal); ++v)
    {
      if (trimmed == "1/" + std::to_string(noteDivisor(paramIdx, v)))
      {
        *value = v;
        return true;
      }
    }
    return false;
  }

  // A number, then the unit if any, spaces anywhere between.
  const char* start = trimmed.c_str();
  char* end = nullptr;
  const double number = std::strtod(start, &end);
  if (end == start || !std::isfinite(number))
  {
    return false;
  }
  std::string rest;
  for (const char* c = end; *c; ++c)
  {
    if (*c != ' ' && *c != '\t')
    {
      rest += static_cast<char>(std::tolower(static_cast<unsigned char>(*c)));
    }
  }
  double result = number;
  if (rest.empty())
  {
    result = number; // a plain number is the value itself
  }
  else if (p.display == kDisplayTime && (rest == "s" || rest == "sec"))
  {
    result = number;
  }
  else if (p.display == kDisplayTime && rest == "ms")
  {
    result = number / 1000.0;
  }
  else if ((p.display == kDisplayPercent || p.display == kDisplayWet) && rest == "%")
  {
    result = number / 100.0;
  }
  else if (p.display == kDisplayWet && (rest == "%wet" || rest == "wet"))
  {
    result = number / 100.0;
  }
  else if (p.display == kDisplayWet && (rest == "%dry" || rest == "dry"))
  {
    result = 1.0 - number / 100.0;
  }
  else
  {
    return false;
  }
  if (p.display == kDisplayChoices || p.display == kDisplayNoteValue)
  {
    result = std::floor(result + 0.5); // whole values only
  }
  *value = result;
  return true;
}

const IParamFormat* ParamFormat(int paramIdx)
{
  static const struct Formats
  {
    Formats()
    {
      for (int i = 0; i < kNumParams; ++i)
      {
        formats[i].mIdx = i;
      }
    }
    ParamTextFormat formats[kNumParams];
  } all;
  if (paramIdx < 0 || paramIdx >= kNumParams ||
      parameterProperties[paramIdx].display == kDisplayNumber)
  {
    return nullptr;
  }
  return &all.formats[paramIdx];
}

const EditorPanel* FindPanel(const char* group)
{
  for (const EditorPanel& panel : editorPanels)
  {
    if (group && std::strcmp(panel.group, group) == 0)
    {
      return &panel;
    }
  }
  return nullptr;
}

EditorControl GetEditorControl(int index)
{
  if (index >= 0 && index < kNumStepLeds)
  {
    const ParameterProperties& button = parameterProperties[kStepSeq1 + index];
    return {kFirstStepLedTag + index, kControlBitmap, kPictureLed, button.x, kStepLedY, 0.0};
  }
  const int param = index - kNumStepLeds;
  if (param < 0 || param >= kNumParams)
  {
    return {-1, kControlBitmap, 0, 0, 0, 0.0};
  }
  const ParameterProperties& p = parameterProperties[param];
  return {param, p.control, p.picture, p.x, p.y, p.gearing};
}

int StepLevelParam(int paramIdx)
{
  return paramIdx >= kStepSeq1 && paramIdx <= kStepSeq16 ? kStepLevel1 + (paramIdx - kStepSeq1)
                                                         : -1;
}

int DefaultFrame(const EditorControl& control)
{
  const PictureProperties* picture = FindPicture(control.picture);
  if (!picture || control.tag < 0 || control.tag >= kNumParams)
  {
    return 0;
  }
  const double value = DefaultNormalized(parameterProperties[control.tag]);
  const int frame = static_cast<int>(0.5 + value * (picture->frames - 1));
  return frame < 0 ? 0 : (frame >= picture->frames ? picture->frames - 1 : frame);
}
