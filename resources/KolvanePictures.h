#pragma once

// The editor's pictures: PNG resources stored in the module under their ids
// with type "PNG". A multi-frame picture has its frames stacked vertically,
// each width x height / frames. Where each picture is drawn is the plug-in's
// business (plugin/KolvaneParams.h).

enum EPicture
{
  kPictureKnob = 101,        // 30-frame 64 x 64 knob
  kPictureBigButton = 104,   // momentary push button, up and held
  kPictureBackground = 105,  // the whole editor
  kPictureFader = 106,       // three-position vertical selector
  kPictureSmallSwitch = 109, // toggle, off and on
  kPictureStepButton = 111,  // step key, off and on
  kPictureLed = 112,         // step LED, dark and lit
  kPictureKnob8 = 113,       // 8-position 64 x 64 knob
  kPictureSmallKnob9 = 118,  // 9-position 40 x 40 knob
  kPictureSmallKnob15 = 119, // 15-position 40 x 40 knob
  kPictureSmallKnob64 = 120, // 64-frame 40 x 40 knob
  kPictureSwingSlider = 121, // 41-position 80 x 12 horizontal slider
};

struct PictureProperties
{
  int id;
  const char* name;
  int frames;
  int width;
  int height;

  int FrameHeight() const { return height / frames; }
};

// In the order the editor loads them: the background first.
const int kNumPictures = 12;
const PictureProperties pictureProperties[kNumPictures] = {
    {kPictureBackground, "KolvaneGUI10.png", 1, 664, 472},
    {kPictureKnob, "knob_64_white1.png", 30, 64, 1920},
    {kPictureBigButton, "big_button.png", 2, 128, 256},
    {kPictureFader, "XV VFader.png", 3, 24, 300},
    {kPictureSmallSwitch, "S_Button-1.png", 2, 26, 52},
    {kPictureStepButton, "Prophet 5 Button mini .png", 2, 25, 86},
    {kPictureLed, "Green LED.png", 2, 18, 36},
    {kPictureKnob8, "knob_64_white1 8 step.png", 8, 64, 512},
    {kPictureSmallKnob9, "mixer_blue_9_steps.png", 9, 40, 360},
    {kPictureSmallKnob15, "mixer_blue_15_steps.png", 15, 40, 600},
    {kPictureSmallKnob64, "mixer_blue_cont_steps.png", 64, 40, 2560},
    {kPictureSwingSlider, "swing_slider.png", 41, 80, 492},
};

// Null for an id that is not one of the editor's pictures.
inline const PictureProperties* FindPicture(int id)
{
  for (const PictureProperties& p : pictureProperties)
  {
    if (p.id == id)
    {
      return &p;
    }
  }
  return nullptr;
}

// The editor is exactly the background's size.
const int kEditorWidth = 664;
const int kEditorHeight = 472;
