#pragma once

// Test doubles for the editor: a plug-in with one parameter of each kind
// that records what the editor asks of it and of the host, a window-less
// graphics context that records what it shows and answers menus on cue,
// a control that records every event it gets, and multi-frame pictures
// whose frames are solid colours, so that a pixel of the back buffer tells
// which frame was drawn.

#include "BarePlug.h"
#include "IControl.h"
#include "IGraphicsMemory.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

// Stands in for the tags the step LEDs carry: indices that name no
// parameter of the plug-in.
const int kLedTag = 42;

class EditorPlug : public BarePlug
{
public:
  enum EParams
  {
    kKnob = 0, // double 0..1, step 0.001
    kSwitch,   // bool
    kNine,     // int 1..9: nine values
    kMode,     // enum "Soft", "Hard", "Auto"
    kGain,     // double 0..2, shape 2
    kNumParams
  };

  EditorPlug() : BarePlug(kNumParams)
  {
    GetParam(kKnob)->InitDouble("Knob", 0.5, 0.0, 1.0, 0.001);
    GetParam(kSwitch)->InitBool("Switch", false);
    GetParam(kNine)->InitInt("Nine", 5, 1, 9);
    GetParam(kMode)->InitEnum("Mode", 1, 3);
    GetParam(kMode)->SetDisplayText(0, "Soft");
    GetParam(kMode)->SetDisplayText(1, "Hard");
    GetParam(kMode)->SetDisplayText(2, "Auto");
    GetParam(kGain)->InitDouble("Gain", 1.0, 0.0, 2.0, 0.01, "x");
    GetParam(kGain)->SetShape(2.0);
  }

  // The host's calls in the order they came as well, "begin 1",
  // "automate 1", "end 1": whether a value came inside its gesture shows
  // only in the order.
  void BeginInformHostOfParamChange(int idx) override
  {
    BarePlug::BeginInformHostOfParamChange(idx);
    mHostCalls.push_back("begin " + std::to_string(idx));
  }
  void InformHostOfParamChange(int idx, double normalizedValue) override
  {
    BarePlug::InformHostOfParamChange(idx, normalizedValue);
    mHostCalls.push_back("automate " + std::to_string(idx));
  }
  void EndInformHostOfParamChange(int idx) override
  {
    BarePlug::EndInformHostOfParamChange(idx);
    mHostCalls.push_back("end " + std::to_string(idx));
  }

  // Everything the editor may have told the plug-in or the host.
  bool HeardNothing() const
  {
    return mAutomation.empty() && mBeginEdits.empty() && mEndEdits.empty() && mParamChanges.empty();
  }
  void Forget()
  {
    mAutomation.clear();
    mBeginEdits.clear();
    mEndEdits.clear();
    mParamChanges.clear();
    mHostCalls.clear();
  }
  // Empty when every value came between a begin and the end on its
  // parameter and every begin was ended; else what went wrong first.
  std::string UnbracketedCall() const
  {
    std::vector<std::string> open;
    for (const std::string& call : mHostCalls)
    {
      const size_t space = call.find(' ');
      const std::string kind = call.substr(0, space), idx = call.substr(space + 1);
      const auto at = std::find(open.begin(), open.end(), idx);
      if (kind == "begin" && at != open.end())
      {
        return call + " inside its gesture";
      }
      if (kind != "begin" && at == open.end())
      {
        return call + " outside a gesture";
      }
      if (kind == "begin")
      {
        open.push_back(idx);
      }
      else if (kind == "end")
      {
        open.erase(at);
      }
    }
    return open.empty() ? std::string() : "no end for " + open.front();
  }

  std::vector<std::string> mHostCalls;
};

class TestGraphics : public IGraphicsMemory
{
public:
  struct ShownMenu
  {
    std::vector<std::string> texts;
    std::vector<bool> checked;
  };

  TestGraphics(IPlugBase* plug, int w = 200, int h = 100, int fps = 0)
      : IGraphicsMemory(plug, w, h, fps)
  {
  }

  bool DrawScreen(IRECT* rect) override
  {
    mScreenCopies.push_back(*rect);
    return true;
  }
  // Answers with mMenuChoice, or dismisses the menu when it is negative.
  IPopupMenu* CreateIPopupMenu(IPopupMenu* menu, IRECT* rect) override
  {
    mMenuRects.push_back(*rect);
    ShownMenu shown;
    for (int i = 0; i < menu->GetNItems(); ++i)
    {
      shown.texts.push_back(menu->GetItemText(i));
      shown.checked.push_back(menu->IsItemChecked(i));
    }
    mMenus.push_back(shown);
    if (mMenuChoice < 0)
    {
      return nullptr;
    }
    menu->SetChosenItemIdx(mMenuChoice);
    return menu;
  }
  void CreateTextEntry(IControl*, IText*, IRECT* rect, const char* str, IParam*) override
  {
    mTextEntries.push_back(str);
    mTextEntryRects.push_back(*rect);
  }

  // Records the box; answers mMessageBoxAnswer.
  int ShowMessageBox(const char* text, const char* caption, int type) override
  {
    mMessageBoxes.push_back({text ? text : "", caption ? caption : "", type});
    return mMessageBoxAnswer;
  }

  // The region the primitives clip bitmaps to, as a drawing pass sets it.
  void SetDrawRECT(const IRECT& rect) { mDrawRECT = rect; }
  // What a window learns of its screen's scale when it opens.
  void SetScreenScale(double scale) { SetPlatformScale(scale); }
  // Each change of scale that reached the window.
  void WindowSizeChanged() override { mWindowSizes.emplace_back(Width(), Height()); }
  std::vector<std::pair<int, int>> mWindowSizes;
  LICE_pixel Pixel(int x, int y) { return LICE_GetPixel(GetDrawBitmap(), x, y); }
  // One timer tick as the window runs it: the dirty check, then the drawing
  // pass of the dirty region. False when nothing was dirty.
  bool Tick()
  {
    IRECT dirty;
    if (!IsDirty(&dirty))
    {
      return false;
    }
    Draw(&dirty);
    return true;
  }

  std::vector<IRECT> mScreenCopies;
  std::vector<ShownMenu> mMenus;
  std::vector<IRECT> mMenuRects;
  int mMenuChoice = -1;
  std::vector<std::string> mTextEntries;
  std::vector<IRECT> mTextEntryRects;
  struct ShownMessageBox
  {
    std::string text, caption;
    int type;
  };
  std::vector<ShownMessageBox> mMessageBoxes;
  int mMessageBoxAnswer = 0;
  std::vector<std::string> mURLs;
  bool mURLOpens = false;

protected:
  // Records the address the system is asked to open; it opens only when
  // mURLOpens is set.
  bool OSOpenURL(const char* url) override
  {
    mURLs.push_back(url);
    return mURLOpens;
  }
};

// A plug-in with an editor, as a plug-in class builds it: controls are
// attached to the context, then the plug-in base takes the context, pushes
// every parameter into its controls and owns it from then on.
struct Editor
{
  explicit Editor(int w = 200, int h = 100) : graphics(new TestGraphics(&plug, w, h)) {}
  ~Editor()
  {
    if (!attached)
    {
      delete graphics;
    }
  }
  Editor(const Editor&) = delete;
  Editor& operator=(const Editor&) = delete;

  template <class Control> Control* Add(Control* control)
  {
    graphics->AttachControl(control);
    return control;
  }
  // Hands the context to the plug-in base and forgets what that told the
  // plug-in, so that a test sees only what its own input caused.
  void Attach()
  {
    plug.AttachGraphics(graphics);
    attached = true;
    plug.Forget();
  }
  // A press and release at (x, y).
  void Click(int x, int y, IMouseMod mod = IMouseMod(true))
  {
    graphics->OnMouseDown(x, y, &mod);
    graphics->OnMouseUp(x, y, &mod);
  }
  double ParamValue(int idx) const { return plug.GetParam(idx)->Value(); }

  EditorPlug plug;
  TestGraphics* graphics;
  bool attached = false;
};

// The buttons and modifiers a window reports with a press.
const IMouseMod kLeft(true);
const IMouseMod kRight(false, true);
const IMouseMod kLeftShift(true, false, true);
const IMouseMod kLeftCtrl(true, false, false, true);

// Drags the captured control from (x, y) by dY pixels vertically, in steps
// of at most 4 pixels as a window reports a fast drag.
inline void DragVertically(IGraphics* graphics, int x, int y, int dY, IMouseMod mod)
{
  graphics->OnMouseDown(x, y, &mod);
  const int step = dY < 0 ? -4 : 4;
  for (int moved = 0; moved != dY;)
  {
    moved = std::abs(dY - moved) < 4 ? dY : moved + step;
    graphics->OnMouseDrag(x, y + moved, &mod);
  }
  graphics->OnMouseUp(x, y + dY, &mod);
}

// Records every event in order as one line each ("down 3,4", "drag 1,0"),
// fills its rectangle with its colour when drawn, and answers keys with
// mKeyAnswer.
class ProbeControl : public IControl
{
public:
  ProbeControl(IPlugBase* plug, IRECT rect, int paramIdx = -1, LICE_pixel color = 0xFF808080)
      : IControl(plug, rect, paramIdx), mColor(color)
  {
  }

  void OnMouseDown(int x, int y, IMouseMod* mod) override
  {
    Log("down", x, y);
    IControl::OnMouseDown(x, y, mod);
  }
  void OnMouseUp(int x, int y, IMouseMod*) override { Log("up", x, y); }
  void OnMouseDrag(int, int, int dX, int dY, IMouseMod*) override { Log("drag", dX, dY); }
  void OnMouseDblClick(int x, int y, IMouseMod* mod) override
  {
    Log("dbl", x, y);
    IControl::OnMouseDblClick(x, y, mod);
  }
  void OnMouseWheel(int x, int y, IMouseMod* mod, int d) override
  {
    Log("wheel", d, 0);
    IControl::OnMouseWheel(x, y, mod, d);
  }
  bool OnKeyDown(int, int, int key) override
  {
    Log("key", key, 0);
    return mKeyAnswer;
  }
  void OnMouseOver(int x, int y, IMouseMod*) override { Log("over", x, y); }
  void OnMouseOut() override { mEvents.push_back("out"); }
  void OnGUIIdle() override { ++mIdleCalls; }
  bool Draw(IDrawContext* context) override
  {
    ++mDraws;
    const IColor color(LICE_GETA(mColor), LICE_GETR(mColor), LICE_GETG(mColor), LICE_GETB(mColor));
    return context->FillIRect(&color, &mRECT);
  }

  void Log(const char* what, int a, int b)
  {
    mEvents.push_back(std::string(what) + " " + std::to_string(a) + "," + std::to_string(b));
  }

  std::vector<std::string> mEvents;
  int mIdleCalls = 0;
  int mDraws = 0;
  bool mKeyAnswer = false;
  LICE_pixel mColor;
};

// The colour of frame k (0-based) of a test picture: opaque, and different
// for every frame.
inline LICE_pixel FrameColor(int k)
{
  return LICE_RGBA(40 + 20 * k, 200 - 15 * k, 10 * k, 255);
}

// A picture of n solid frames of w x h, stacked vertically (or side by
// side).
inline std::unique_ptr<LICE_MemBitmap> MakeFrames(int w, int h, int n, bool horizontal = false)
{
  auto bitmap = std::make_unique<LICE_MemBitmap>(horizontal ? w * n : w, horizontal ? h : h * n);
  for (int k = 0; k < n; ++k)
  {
    LICE_FillRect(bitmap.get(), horizontal ? w * k : 0, horizontal ? 0 : h * k, w, h, FrameColor(k),
                  1.0f, LICE_MODE_COPY);
  }
  return bitmap;
}

inline IBitmap FramesRecord(LICE_IBitmap* bitmap, int n, bool horizontal = false)
{
  return IBitmap(bitmap, bitmap->getWidth(), bitmap->getHeight(), n, horizontal);
}

// Which frame (0-based) the pixel shows, or -1 for none.
inline int FrameAt(LICE_pixel pixel, int nFrames)
{
  for (int k = 0; k < nFrames; ++k)
  {
    if (pixel == FrameColor(k))
    {
      return k;
    }
  }
  return -1;
}

// The ids and frame counts of the pictures in the module's resources that
// the tests draw with.
namespace artwork
{
const int kKnob = 101, kKnobFrames = 30;
const int kBigButton = 104;
const int kBackground = 105;
const int kFader = 106, kFaderFrames = 3;
const int kSmallSwitch = 109;
const int kLed = 112;
const int kSmallKnob9 = 118;
} // namespace artwork
