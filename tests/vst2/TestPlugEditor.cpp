// The test plug-in with an editor whose controls prompt: a click on the
// Gain caption opens a text box for its value, a click on the Mode caption
// a menu of its display texts. Built as a real plug-in library for the GUI
// tests; the editor is the platform's window.

#include "IControl.h"
#include "MakeGraphics.h"
#include "TestPlug.h"

class TestPlugEditor : public TestPlug
{
public:
  static constexpr int kWidth = 300, kHeight = 80;

  explicit TestPlugEditor(IPlugInstanceInfo info) : TestPlug(info)
  {
    IGraphics* graphics = MakeGraphics(this, kWidth, kHeight);
    const IColor panel(255, 200, 200, 200), ink(255, 0, 0, 0);
    graphics->AttachPanelBackground(&panel);
    IText text(16, &ink, "DejaVu Sans");
    for (int param : {kGain, kMode})
    {
      const int left = param == kGain ? 10 : 160;
      IControl* caption =
          new ICaptionControl(this, IRECT(left, 20, left + 130, 50), param, &text, false);
      caption->DisablePrompt(false);
      graphics->AttachControl(caption);
    }
    AttachGraphics(graphics);
  }

  // The user drives this editor: no stand-in gestures on idle.
  void OnIdle() override {}
};

KOLVANE_VST2_ENTRY_POINTS(TestPlugEditor)
