#include "KolvaneParams.h"

#include <cmath>

// clang-format off
const ParameterProperties parameterProperties[kNumParams] = {
//   name, x, y, default, min, max, kind, shape, step, control, picture, gearing
    {"Amplitude Attack", 58, 177, 0.01, 0.01, 10.0, kTypeDouble, 3.0, 0.001, kControlKnob, kPictureKnob, 4.0}, // 0
    {"Amplitude Decay", 130, 177, 0.5, 0.01, 15.0, kTypeDouble, 3.0, 0.001, kControlKnob, kPictureKnob, 4.0}, // 1
    {"Amplitude Sustain", 202, 177, 0.1, 0.001, 1.0, kTypeDouble, 2.0, 0.001, kControlKnob, kPictureKnob, 4.0}, // 2
    {"Amplitude Release", 274, 177, 1.0, 0.1, 15.0, kTypeDouble, 3.0, 0.001, kControlKnob, kPictureKnob, 4.0}, // 3
    {"Filter Attack", 58, 289, 0.01, 0.01, 10.0, kTypeDouble, 3.0, 0.001, kControlKnob, kPictureKnob, 4.0}, // 4
    {"Filter Decay", 130, 289, 0.5, 0.01, 15.0, kTypeDouble, 3.0, 0.001, kControlKnob, kPictureKnob, 4.0}, // 5
    {"Filter Sustain", 202, 289, 0.1, 0.001, 1.0, kTypeDouble, 2.0, 0.001, kControlKnob, kPictureKnob, 4.0}, // 6
    {"Filter Release", 274, 289, 1.0, 0.001, 15.0, kTypeDouble, 3.0, 0.001, kControlKnob, kPictureKnob, 4.0}, // 7
    {"Filter Cutoff", 58, 65, 0.99, 0.01, 0.99, kTypeDouble, 1.0, 0.001, kControlKnob, kPictureKnob, 4.0}, // 8
    {"Filter Resonance", 130, 65, 0.01, 0.01, 1.0, kTypeDouble, 2.0, 0.001, kControlKnob, kPictureKnob, 4.0}, // 9
    {"LFO Depth", 378, 177, 0.0, 0.0, 1.0, kTypeDouble, 2.0, 0.001, kControlKnob, kPictureKnob, 4.0}, // 10
    {"LFO Rate", 450, 177, 2.0, 0.0, 7.0, kTypeInt, 1.0, 1.0, kControlKnob, kPictureKnob8, 4.0}, // 11
    {"LFO Triple", 500, 154, 0.0, 0.0, 1.0, kTypeBool, 1.0, 1.0, kControlSwitch, kPictureSmallSwitch, 0.0}, // 12
    {"LFO Filter Depth", 378, 289, 0.0, 0.0, 1.0, kTypeDouble, 2.0, 0.001, kControlKnob, kPictureKnob, 4.0}, // 13
    {"LFO Filter Rate", 450, 289, 2.0, 0.0, 7.0, kTypeInt, 1.0, 1.0, kControlKnob, kPictureKnob8, 4.0}, // 14
    {"LFO Filter Triple", 500, 266, 0.0, 0.0, 1.0, kTypeBool, 1.0, 1.0, kControlSwitch, kPictureSmallSwitch, 0.0}, // 15
    {"Push!!", 372, 26, 0.0, 0.0, 1.0, kTypeBool, 1.0, 1.0, kControlContact, kPictureBigButton, 0.0}, // 16
    {"Filter Type", 278, 30, 0.0, 0.0, 2.0, kTypeEnum, 1.0, 1.0, kControlKnob, kPictureFader, 1.0}, // 17
    {"LFO Amp Type", 535, 147, 2.0, 0.0, 2.0, kTypeEnum, 1.0, 1.0, kControlKnob, kPictureFader, 1.0}, // 18
    {"LFO Filter Type", 535, 259, 2.0, 0.0, 2.0, kTypeEnum, 1.0, 1.0, kControlKnob, kPictureFader, 1.0}, // 19
    {"Step Seq 1", 23, 420, 1.0, 0.0, 1.0, kTypeBool, 1.0, 1.0, kControlSwitch, kPictureStepButton, 0.0}, // 20
    {"Step Seq 2", 55, 420, 1.0, 0.0, 1.0, kTypeBool, 1.0, 1.0, kControlSwitch, kPictureStepButton, 0.0}, // 21
    {"Step Seq 3", 87, 420, 0.0, 0.0, 1.0, kTypeBool, 1.0, 1.0, kControlSwitch, kPictureStepButton, 0.0}, // 22
    {"Step Seq 4", 119, 420, 0.0, 0.0, 1.0, kTypeBool, 1.0, 1.0, kControlSwitch, kPictureStepButton, 0.0}, // 23
    {"Step Seq 5", 151, 420, 0.0, 0.0, 1.0, kTypeBool, 1.0, 1.0, kControlSwitch, kPictureStepButton, 0.0}, // 24
    {"Step Seq 6", 183, 420, 1.0, 0.0, 1.0, kTypeBool, 1.0, 1.0, kControlSwitch, kPictureStepButton, 0.0}, // 25
    {"Step Seq 7", 215, 420, 0.0, 0.0, 1.0, kTypeBool, 1.0, 1.0, kControlSwitch, kPictureStepButton, 0.0}, // 26
    {"Step Seq 8", 247, 420, 0.0, 0.0, 1.0, kTypeBool, 1.0, 1.0, kControlSwitch, kPictureStepButton, 0.0}, // 27
    {"Step Seq 9", 279, 420, 0.0, 0.0, 1.0, kTypeBool, 1.0, 1.0, kControlSwitch, kPictureStepButton, 0.0}, // 28
    {"Step Seq 10", 311, 420, 0.0, 0.0, 1.0, kTypeBool, 1.0, 1.0, kControlSwitch, kPictureStepButton, 0.0}, // 29
    {"Step Seq 11", 343, 420, 0.0, 0.0, 1.0, kTypeBool, 1.0, 1.0, kControlSwitch, kPictureStepButton, 0.0}, // 30
    {"Step Seq 12", 375, 420, 0.0, 0.0, 1.0, kTypeBool, 1.0, 1.0, kControlSwitch, kPictureStepButton, 0.0}, // 31
    {"Step Seq 13", 407, 420, 0.0, 0.0, 1.0, kTypeBool, 1.0, 1.0, kControlSwitch, kPictureStepButton, 0.0}, // 32
    {"Step Seq 14", 439, 420, 0.0, 0.0, 1.0, kTypeBool, 1.0, 1.0, kControlSwitch, kPictureStepButton, 0.0}, // 33
    {"Step Seq 15", 471, 420, 0.0, 0.0, 1.0, kTypeBool, 1.0, 1.0, kControlSwitch, kPictureStepButton, 0.0}, // 34
    {"Step Seq 16", 503, 420, 0.0, 0.0, 1.0, kTypeBool, 1.0, 1.0, kControlSwitch, kPictureStepButton, 0.0}, // 35
    {"Step On Off", 501, 71, 0.0, 0.0, 1.0, kTypeBool, 1.0, 1.0, kControlSwitch, kPictureSmallSwitch, 0.0}, // 36
    {"Seq Note Len", 535, 410, 1.0, 0.01, 1.0, kTypeDouble, 1.0, 0.001, kControlKnob, kPictureSmallKnob64, 4.0}, // 37
    {"Arp Intervall", 604, 410, 16.0, 2.0, 16.0, kTypeInt, 1.0, 1.0, kControlKnob, kPictureSmallKnob15, 4.0}, // 38
    {"Arp Speed", 570, 380, 5.0, 1.0, 9.0, kTypeInt, 1.0, 1.0, kControlKnob, kPictureSmallKnob9, 4.0}, // 39
    {"Filter Envelope", 202, 65, 1.0, 0.001, 1.0, kTypeDouble, 2.0, 0.001, kControlKnob, kPictureKnob, 4.0}, // 40
    {"Dry Wet", 552, 65, 1.0, 0.0, 1.0, kTypeDouble, 0.5, 0.001, kControlKnob, kPictureKnob, 4.0}, // 41
};
// clang-format on

double DefaultNormalized(const ParameterProperties& p)
{
  return ToNormalizedParam(p.defaultVal, p.minVal, p.maxVal, p.shape);
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
