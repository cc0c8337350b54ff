#include "KolvaneParams.h"

#include <cmath>
#include <cstring>

// clang-format off
const ParameterProperties parameterProperties[kNumParams] = {
//   id, name, group, label,
//   x, y, default, min, max, kind, shape, step, control, picture, gearing, engine
    {"amp_attack", "Amplitude Attack", "Amp Envelope", "Attack",
     58, 177, 0.01, 0.01, 10.0, kTypeDouble, 3.0, 0.001, kControlKnob, kPictureKnob, 4.0, kEngineValue}, // 0
    {"amp_decay", "Amplitude Decay", "Amp Envelope", "Decay",
     130, 177, 0.5, 0.01, 15.0, kTypeDouble, 3.0, 0.001, kControlKnob, kPictureKnob, 4.0, kEngineValue}, // 1
    {"amp_sustain", "Amplitude Sustain", "Amp Envelope", "Sustain",
     202, 177, 0.1, 0.001, 1.0, kTypeDouble, 2.0, 0.001, kControlKnob, kPictureKnob, 4.0, kEngineValue}, // 2
    {"amp_release", "Amplitude Release", "Amp Envelope", "Release",
     274, 177, 1.0, 0.1, 15.0, kTypeDouble, 3.0, 0.001, kControlKnob, kPictureKnob, 4.0, kEngineValue}, // 3
    {"filter_attack", "Filter Attack", "Filter Envelope", "Attack",
     58, 289, 0.01, 0.01, 10.0, kTypeDouble, 3.0, 0.001, kControlKnob, kPictureKnob, 4.0, kEngineValue}, // 4
    {"filter_decay", "Filter Decay", "Filter Envelope", "Decay",
     130, 289, 0.5, 0.01, 15.0, kTypeDouble, 3.0, 0.001, kControlKnob, kPictureKnob, 4.0, kEngineValue}, // 5
    {"filter_sustain", "Filter Sustain", "Filter Envelope", "Sustain",
     202, 289, 0.1, 0.001, 1.0, kTypeDouble, 2.0, 0.001, kControlKnob, kPictureKnob, 4.0, kEngineValue}, // 6
    {"filter_release", "Filter Release", "Filter Envelope", "Release",
     274, 289, 1.0, 0.001, 15.0, kTypeDouble, 3.0, 0.001, kControlKnob, kPictureKnob, 4.0, kEngineValue}, // 7
    {"filter_cutoff", "Filter Cutoff", "Filter", "Cutoff",
     58, 65, 0.99, 0.01, 0.99, kTypeDouble, 1.0, 0.001, kControlKnob, kPictureKnob, 4.0, kEngineValue}, // 8
    {"filter_resonance", "Filter Resonance", "Filter", "Resonance",
     130, 65, 0.01, 0.01, 1.0, kTypeDouble, 2.0, 0.001, kControlKnob, kPictureKnob, 4.0, kEngineValue}, // 9
    {"amp_lfo_depth", "LFO Depth", "Amp LFO", "Depth",
     378, 177, 0.0, 0.0, 1.0, kTypeDouble, 2.0, 0.001, kControlKnob, kPictureKnob, 4.0, kEngineValue}, // 10
    {"amp_lfo_rate", "LFO Rate", "Amp LFO", "Rate",
     450, 177, 2.0, 0.0, 7.0, kTypeInt, 1.0, 1.0, kControlKnob, kPictureKnob8, 4.0, kEnginePowerOfTwo}, // 11
    {"amp_lfo_triplet", "LFO Triple", "Amp LFO", "Triplet",
     500, 154, 0.0, 0.0, 1.0, kTypeBool, 1.0, 1.0, kControlSwitch, kPictureSmallSwitch, 0.0, kEngineValue}, // 12
    {"filter_lfo_depth", "LFO Filter Depth", "Filter LFO", "Depth",
     378, 289, 0.0, 0.0, 1.0, kTypeDouble, 2.0, 0.001, kControlKnob, kPictureKnob, 4.0, kEngineValue}, // 13
    {"filter_lfo_rate", "LFO Filter Rate", "Filter LFO", "Rate",
     450, 289, 2.0, 0.0, 7.0, kTypeInt, 1.0, 1.0, kControlKnob, kPictureKnob8, 4.0, kEnginePowerOfTwo}, // 14
    {"filter_lfo_triplet", "LFO Filter Triple", "Filter LFO", "Triplet",
     500, 266, 0.0, 0.0, 1.0, kTypeBool, 1.0, 1.0, kControlSwitch, kPictureSmallSwitch, 0.0, kEngineValue}, // 15
    {"push", "Push!!", "Gate", "Push",
     372, 26, 0.0, 0.0, 1.0, kTypeBool, 1.0, 1.0, kControlContact, kPictureBigButton, 0.0, kEngineValue}, // 16
    {"filter_type", "Filter Type", "Filter", "Type",
     278, 30, 0.0, 0.0, 2.0, kTypeEnum, 1.0, 1.0, kControlKnob, kPictureFader, 1.0, kEngineValue}, // 17
    {"amp_lfo_wave", "LFO Amp Type", "Amp LFO", "Wave",
     535, 147, 2.0, 0.0, 2.0, kTypeEnum, 1.0, 1.0, kControlKnob, kPictureFader, 1.0, kEngineValue}, // 18
    {"filter_lfo_wave", "LFO Filter Type", "Filter LFO", "Wave",
     535, 259, 2.0, 0.0, 2.0, kTypeEnum, 1.0, 1.0, kControlKnob, kPictureFader, 1.0, kEngineValue}, // 19
    {"step_1", "Step Seq 1", "Step Sequencer", "1",
     23, 420, 1.0, 0.0, 1.0, kTypeBool, 1.0, 1.0, kControlSwitch, kPictureStepButton, 0.0, kEngineValue}, // 20
    {"step_2", "Step Seq 2", "Step Sequencer", "2",
     55, 420, 1.0, 0.0, 1.0, kTypeBool, 1.0, 1.0, kControlSwitch, kPictureStepButton, 0.0, kEngineValue}, // 21
    {"step_3", "Step Seq 3", "Step Sequencer", "3",
     87, 420, 0.0, 0.0, 1.0, kTypeBool, 1.0, 1.0, kControlSwitch, kPictureStepButton, 0.0, kEngineValue}, // 22
    {"step_4", "Step Seq 4", "Step Sequencer", "4",
     119, 420, 0.0, 0.0, 1.0, kTypeBool, 1.0, 1.0, kControlSwitch, kPictureStepButton, 0.0, kEngineValue}, // 23
    {"step_5", "Step Seq 5", "Step Sequencer", "5",
     151, 420, 0.0, 0.0, 1.0, kTypeBool, 1.0, 1.0, kControlSwitch, kPictureStepButton, 0.0, kEngineValue}, // 24
    {"step_6", "Step Seq 6", "Step Sequencer", "6",
     183, 420, 1.0, 0.0, 1.0, kTypeBool, 1.0, 1.0, kControlSwitch, kPictureStepButton, 0.0, kEngineValue}, // 25
    {"step_7", "Step Seq 7", "Step Sequencer", "7",
     215, 420, 0.0, 0.0, 1.0, kTypeBool, 1.0, 1.0, kControlSwitch, kPictureStepButton, 0.0, kEngineValue}, // 26
    {"step_8", "Step Seq 8", "Step Sequencer", "8",
     247, 420, 0.0, 0.0, 1.0, kTypeBool, 1.0, 1.0, kControlSwitch, kPictureStepButton, 0.0, kEngineValue}, // 27
    {"step_9", "Step Seq 9", "Step Sequencer", "9",
     279, 420, 0.0, 0.0, 1.0, kTypeBool, 1.0, 1.0, kControlSwitch, kPictureStepButton, 0.0, kEngineValue}, // 28
    {"step_10", "Step Seq 10", "Step Sequencer", "10",
     311, 420, 0.0, 0.0, 1.0, kTypeBool, 1.0, 1.0, kControlSwitch, kPictureStepButton, 0.0, kEngineValue}, // 29
    {"step_11", "Step Seq 11", "Step Sequencer", "11",
     343, 420, 0.0, 0.0, 1.0, kTypeBool, 1.0, 1.0, kControlSwitch, kPictureStepButton, 0.0, kEngineValue}, // 30
    {"step_12", "Step Seq 12", "Step Sequencer", "12",
     375, 420, 0.0, 0.0, 1.0, kTypeBool, 1.0, 1.0, kControlSwitch, kPictureStepButton, 0.0, kEngineValue}, // 31
    {"step_13", "Step Seq 13", "Step Sequencer", "13",
     407, 420, 0.0, 0.0, 1.0, kTypeBool, 1.0, 1.0, kControlSwitch, kPictureStepButton, 0.0, kEngineValue}, // 32
    {"step_14", "Step Seq 14", "Step Sequencer", "14",
     439, 420, 0.0, 0.0, 1.0, kTypeBool, 1.0, 1.0, kControlSwitch, kPictureStepButton, 0.0, kEngineValue}, // 33
    {"step_15", "Step Seq 15", "Step Sequencer", "15",
     471, 420, 0.0, 0.0, 1.0, kTypeBool, 1.0, 1.0, kControlSwitch, kPictureStepButton, 0.0, kEngineValue}, // 34
    {"step_16", "Step Seq 16", "Step Sequencer", "16",
     503, 420, 0.0, 0.0, 1.0, kTypeBool, 1.0, 1.0, kControlSwitch, kPictureStepButton, 0.0, kEngineValue}, // 35
    {"midi_gate", "Step On Off", "Gate", "Mode",
     501, 71, 0.0, 0.0, 1.0, kTypeBool, 1.0, 1.0, kControlSwitch, kPictureSmallSwitch, 0.0, kEngineValue}, // 36
    {"seq_note_length", "Seq Note Len", "Step Sequencer", "Length",
     535, 410, 1.0, 0.01, 1.0, kTypeDouble, 1.0, 0.001, kControlKnob, kPictureSmallKnob64, 4.0, kEngineValue}, // 37
    {"seq_steps", "Arp Intervall", "Step Sequencer", "Steps",
     604, 410, 16.0, 2.0, 16.0, kTypeInt, 1.0, 1.0, kControlKnob, kPictureSmallKnob15, 4.0, kEngineValue}, // 38
    {"seq_speed", "Arp Speed", "Step Sequencer", "Speed",
     570, 380, 5.0, 1.0, 9.0, kTypeInt, 1.0, 1.0, kControlKnob, kPictureSmallKnob9, 4.0, kEngineValue}, // 39
    {"filter_env_amount", "Filter Envelope", "Filter", "Env Amount",
     202, 65, 1.0, 0.001, 1.0, kTypeDouble, 2.0, 0.001, kControlKnob, kPictureKnob, 4.0, kEngineValue}, // 40
    {"dry_wet", "Dry Wet", "Mix", "Mix",
     552, 65, 1.0, 0.0, 1.0, kTypeDouble, 0.5, 0.001, kControlKnob, kPictureKnob, 4.0, kEngineValue}, // 41
    {"swing", "Swing", "Step Sequencer", "Swing",
     0, 0, 0.0, 0.0, 1.0, kTypeDouble, 1.0, 0.001, kControlNone, 0, 0.0, kEngineValue}, // 42
    {"step_level_1", "Step Level 1", "Step Sequencer", "Level",
     0, 0, 1.0, 0.0, 1.0, kTypeDouble, 1.0, 0.001, kControlNone, 0, 0.0, kEngineValue}, // 43
    {"step_level_2", "Step Level 2", "Step Sequencer", "Level",
     0, 0, 1.0, 0.0, 1.0, kTypeDouble, 1.0, 0.001, kControlNone, 0, 0.0, kEngineValue}, // 44
    {"step_level_3", "Step Level 3", "Step Sequencer", "Level",
     0, 0, 1.0, 0.0, 1.0, kTypeDouble, 1.0, 0.001, kControlNone, 0, 0.0, kEngineValue}, // 45
    {"step_level_4", "Step Level 4", "Step Sequencer", "Level",
     0, 0, 1.0, 0.0, 1.0, kTypeDouble, 1.0, 0.001, kControlNone, 0, 0.0, kEngineValue}, // 46
    {"step_level_5", "Step Level 5", "Step Sequencer", "Level",
     0, 0, 1.0, 0.0, 1.0, kTypeDouble, 1.0, 0.001, kControlNone, 0, 0.0, kEngineValue}, // 47
    {"step_level_6", "Step Level 6", "Step Sequencer", "Level",
     0, 0, 1.0, 0.0, 1.0, kTypeDouble, 1.0, 0.001, kControlNone, 0, 0.0, kEngineValue}, // 48
    {"step_level_7", "Step Level 7", "Step Sequencer", "Level",
     0, 0, 1.0, 0.0, 1.0, kTypeDouble, 1.0, 0.001, kControlNone, 0, 0.0, kEngineValue}, // 49
    {"step_level_8", "Step Level 8", "Step Sequencer", "Level",
     0, 0, 1.0, 0.0, 1.0, kTypeDouble, 1.0, 0.001, kControlNone, 0, 0.0, kEngineValue}, // 50
    {"step_level_9", "Step Level 9", "Step Sequencer", "Level",
     0, 0, 1.0, 0.0, 1.0, kTypeDouble, 1.0, 0.001, kControlNone, 0, 0.0, kEngineValue}, // 51
    {"step_level_10", "Step Level 10", "Step Sequencer", "Level",
     0, 0, 1.0, 0.0, 1.0, kTypeDouble, 1.0, 0.001, kControlNone, 0, 0.0, kEngineValue}, // 52
    {"step_level_11", "Step Level 11", "Step Sequencer", "Level",
     0, 0, 1.0, 0.0, 1.0, kTypeDouble, 1.0, 0.001, kControlNone, 0, 0.0, kEngineValue}, // 53
    {"step_level_12", "Step Level 12", "Step Sequencer", "Level",
     0, 0, 1.0, 0.0, 1.0, kTypeDouble, 1.0, 0.001, kControlNone, 0, 0.0, kEngineValue}, // 54
    {"step_level_13", "Step Level 13", "Step Sequencer", "Level",
     0, 0, 1.0, 0.0, 1.0, kTypeDouble, 1.0, 0.001, kControlNone, 0, 0.0, kEngineValue}, // 55
    {"step_level_14", "Step Level 14", "Step Sequencer", "Level",
     0, 0, 1.0, 0.0, 1.0, kTypeDouble, 1.0, 0.001, kControlNone, 0, 0.0, kEngineValue}, // 56
    {"step_level_15", "Step Level 15", "Step Sequencer", "Level",
     0, 0, 1.0, 0.0, 1.0, kTypeDouble, 1.0, 0.001, kControlNone, 0, 0.0, kEngineValue}, // 57
    {"step_level_16", "Step Level 16", "Step Sequencer", "Level",
     0, 0, 1.0, 0.0, 1.0, kTypeDouble, 1.0, 0.001, kControlNone, 0, 0.0, kEngineValue}, // 58
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
