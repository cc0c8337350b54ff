// Kolvane's editor, built from the parameter table when the host opens it:
// the editor's half of the class, linked into the binaries that show it
// (KolvaneHeadless.cpp stands in for it in those that only process).

#include "IControl.h"
#include "Kolvane.h"
#include "MakeGraphics.h"

IGraphicsInterface* MakeKolvaneEditor(IPlugInterface* plug, int ledControlIdx[kNumStepLeds])
{
  IGraphics* graphics = MakeGraphics(plug, kEditorWidth, kEditorHeight, 0);
  // Every picture is drawn at 150 and 200 % as well (tools/artwork).
  graphics->SetScalable(true);
  graphics->AttachBackground(kPictureBackground, FindPicture(kPictureBackground)->name);

  // The control pictures, each loaded once, in the order of the picture
  // table; the background is already attached.
  IBitmap bitmaps[kNumPictures];
  for (int i = 0; i < kNumPictures; ++i)
  {
    const PictureProperties& p = pictureProperties[i];
    if (p.id != kPictureBackground)
    {
      bitmaps[i] = graphics->LoadIBitmap(p.id, p.name, p.frames);
    }
  }
  auto bitmapOf = [&](int id) -> const IBitmap*
  {
    for (int i = 0; i < kNumPictures; ++i)
    {
      if (pictureProperties[i].id == id)
      {
        return &bitmaps[i];
      }
    }
    return &bitmaps[0];
  };

  for (int k = 0; k < kNumEditorControls; ++k)
  {
    const EditorControl c = GetEditorControl(k);
    if (c.kind == kControlNone)
    {
      continue;
    }
    const IBitmap* bitmap = bitmapOf(c.picture);
    IControl* control = nullptr;
    switch (c.kind)
    {
    case kControlKnob:
      control = new IKnobMultiControl(plug, c.x, c.y, c.tag, bitmap, kVertical, c.gearing);
      break;
    case kControlSlider:
      control = new IKnobMultiControl(plug, c.x, c.y, c.tag, bitmap, kHorizontal, c.gearing);
      break;
    case kControlSwitch:
      if (StepLevelParam(c.tag) >= 0)
      {
        // A step key: its fill shows the step's level, which a vertical
        // drag sets.
        control = new ILevelSwitchControl(plug, c.x, c.y, c.tag, StepLevelParam(c.tag), bitmap,
                                          kStepLevelDragSpan);
      }
      else
      {
        control = new ISwitchControl(plug, c.x, c.y, c.tag, bitmap, IChannelBlend::kBlendNone);
      }
      break;
    case kControlContact:
      control = new IContactControl(plug, c.x, c.y, c.tag, bitmap);
      break;
    case kControlBitmap:
    case kControlNone:
      control = new IBitmapControl(plug, c.x, c.y, c.tag, bitmap, IChannelBlend::kBlendNone);
      break;
    }
    const int index = graphics->AttachControl(control);
    if (k < kNumStepLeds)
    {
      ledControlIdx[k] = index;
    }
  }
  return graphics;
}

bool KolvaneEditorHasWindow()
{
  return GraphicsHaveWindow();
}
