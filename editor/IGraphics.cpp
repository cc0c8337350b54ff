// The context's life and the scale it draws at. The other parts of IGraphics
// live beside this file: IGraphicsPrompts.cpp (the file prompt and opening
// a link), IDrawContext.cpp and IDrawContextPictures.cpp (drawing),
// IControlSet.cpp (controls and values) and IInputDispatch.cpp (input).

#include "IGraphics.h"

#include "IEditorScale.h"
#include "IPlugInterface.h"
#include "WDL_Mutex.h"

#include <cmath>
#include <cstdio>

// ============================================================================
// Life

IGraphics::IGraphics(IPlugInterface* plug, int w, int h, int fps)
    : IInputDispatch(plug, w, h), mFPS(fps < 1 ? 25 : fps)
{
}

IGraphics::~IGraphics() = default;

void IGraphics::PrepDraw()
{
  MakeBitmaps();
}

void IGraphics::Resize(int w, int h)
{
  // The host may be pushing a value into the controls about to go.
  WDL_MutexLock lock(mPlug ? mPlug->GetMutex() : nullptr);
  SetLayoutSize(w, h);
  ReleaseMouseCapture();
  EndGesture(); // its control is about to go
  mMouseOver = -1;
  mControls.Empty(true);
  PrepDraw();
  if (mPlug)
  {
    mPlug->ResizeGraphics(mWidth, mHeight);
  }
}

void* IGraphics::OpenWindow(void*, void*, short, short)
{
  return nullptr;
}

bool IGraphics::Draw(IRECT* rect)
{
  if (!rect)
  {
    return false;
  }
  if (NControls() == 0)
  {
    return true; // nothing drawn, nothing to show
  }
  DrawControls(*rect);
  return DrawScreen(rect);
}

// ============================================================================
// Scale

double IGraphics::ChoiceOf(double scale)
{
  return scale > 0.0 && std::isfinite(scale) ? NearestEditorScale(scale) : 0.0;
}

void IGraphics::SetScalable(bool scalable)
{
  mScalable = scalable;
  ApplyScale();
}

void IGraphics::SetUserScale(double scale)
{
  mUserScale = ChoiceOf(scale);
  ApplyScale();
}

bool IGraphics::SetHostScale(double scale)
{
  mHostScale = ChoiceOf(scale);
  ApplyScale();
  return mScalable;
}

void IGraphics::SetPlatformScale(double scale)
{
  mPlatformScale = ChoiceOf(scale);
  ApplyScale();
}

int IGraphics::GetUserScalePercent() const
{
  return mUserScale > 0.0 ? EditorScalePercent(mUserScale) : 0;
}

void IGraphics::SetUserScalePercent(int percent)
{
  SetUserScale(percent > 0 ? percent / 100.0 : 0.0);
}

void IGraphics::ApplyScale()
{
  double scale = 1.0;
  if (mScalable)
  {
    for (double choice : {mUserScale, mHostScale, mPlatformScale})
    {
      if (choice > 0.0)
      {
        scale = choice;
        break;
      }
    }
  }
  if (scale == GetScale())
  {
    return;
  }
  SetScale(scale);
  SetAllControlsDirty();
  WindowSizeChanged();
  if (mPlug)
  {
    mPlug->ResizeGraphics(mWidth, mHeight);
  }
}

void IGraphics::ShowScaleMenu(int x, int y)
{
  IPopupMenu menu(0, false);
  for (double scale : kEditorScales)
  {
    char label[32];
    std::snprintf(label, sizeof label, "Size: %d %%", EditorScalePercent(scale));
    menu.AddItem(label)->SetChecked(scale == GetScale());
  }
  IRECT at(x, y, x, y);
  if (CreateIPopupMenu(&menu, &at) == &menu)
  {
    const int chosen = menu.GetChosenItemIdx();
    if (chosen >= 0 && chosen < kNumEditorScales)
    {
      SetUserScale(kEditorScales[chosen]);
    }
  }
}

bool IGraphics::ShowBackgroundMenu(int x, int y)
{
  if (!mScalable)
  {
    return false;
  }
  ShowScaleMenu(x, y);
  return true;
}
