// What the editor draws, against expected pictures in golden/: controls
// composed from the real artwork (overlaps, alpha, grayed controls, lit
// LEDs), and the drawing primitives with each blend (see GoldenImage.h):
//
//   KOLVANE_UPDATE_GOLDEN=1 build/linux/tests/editor/editor_tests --gtest_filter='EditorGolden.*'

#include "EditorFixtures.h"
#include "GoldenImage.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

namespace
{
void ExpectEditorGolden(LICE_IBitmap* actual, const std::string& name)
{
  ExpectMatchesGolden(actual, std::string(KOLVANE_GOLDEN_DIR) + "/" + name + ".png",
                      "editor_" + name);
}

// Lets the redraws the values asked for run out, then draws the whole
// editor in one pass, as the window does when it is first shown. (Fills do
// not clip to the region being redrawn, pictures do: a partial pass over a
// panel background would keep only part of the pictures.)
void DrawAll(TestGraphics* graphics)
{
  for (int i = 0; i < 10 && graphics->Tick(); ++i)
  {
  }
  graphics->SetAllControlsDirty();
  ASSERT_TRUE(graphics->Tick());
  ASSERT_FALSE(graphics->Tick());
}

// Draws one of everything the context offers beside pictures.
class PrimitivesControl : public IControl
{
public:
  PrimitivesControl(IPlugBase* plug, IRECT rect, IBitmap knobFrame, IBitmap base, IBitmap mask,
                    IBitmap top)
      : IControl(plug, rect), mKnobFrame(knobFrame), mBase(base), mMask(mask), mTop(top)
  {
  }

  bool Draw(IDrawContext* g) override
  {
    const IColor white = COLOR_WHITE, red = COLOR_RED, green = COLOR_GREEN, blue = COLOR_BLUE;
    const IColor yellow = COLOR_YELLOW, orange = COLOR_ORANGE, gray = COLOR_GRAY;
    const IColor halfWhite(128, 255, 255, 255);
    const IChannelBlend half(IChannelBlend::kBlendNone, 0.5f);
    const IChannelBlend add(IChannelBlend::kBlendAdd, 1.0f);
    const IChannelBlend dodge(IChannelBlend::kBlendDodge, 0.75f);

    // Lines: plain, radial (anti-aliased), the rectangle helpers.
    g->DrawLine(&white, 4.7f, 4.2f, 40.9f, 20.5f);
    for (int i = 0; i < 6; ++i)
    {
      g->DrawRadialLine(&yellow, 24.0f, 40.0f, -2.2f + 0.88f * i, 4.0f, 13.5f, nullptr, true);
    }
    const IRECT box(48, 4, 78, 30);
    g->DrawRect(&green, &box);
    g->DrawVerticalLine(&red, &box, 0.25f);
    g->DrawHorizontalLine(&red, &box, 0.75f);
    g->DrawVerticalLine(&blue, &box, 7.0f); // clamped to the right edge
    // Circles and arcs.
    g->DrawCircle(&orange, 100.0f, 17.0f, 12.0f, nullptr, true);
    g->DrawArc(&blue, 100.0f, 17.0f, 8.0f, 0.3f, 2.9f, nullptr, true);
    g->FillCircle(&green, 130, 17, 9.5f, &half, true);
    g->DrawPoint(&white, 130.4f, 16.6f);
    // Rounded rectangles, fills with each blend, a triangle and a polygon.
    const IRECT round(4, 58, 44, 82);
    g->FillRoundRect(&gray, &round, nullptr, 6, true);
    g->RoundRect(&white, &round, nullptr, 6, true);
    const IRECT fillHalf(50, 40, 80, 60), fillAdd(60, 50, 90, 70), fillDodge(70, 60, 100, 80);
    g->FillIRect(&red, &fillHalf, &half);
    g->FillIRect(&blue, &fillAdd, &add);
    g->FillIRect(&halfWhite, &fillDodge, &dodge);
    g->FillTriangle(&yellow, 105, 40, 125, 75, 95, 70, &half);
    const int px[5] = {130, 150, 156, 144, 128}, py[5] = {44, 42, 60, 76, 66};
    g->FillIConvexPolygon(&orange, px, py, 5);
    // Turned pictures: one knob frame, and a base, mask and top composed.
    g->DrawRotatedBitmap(&mKnobFrame, 24, 100, 0.7);
    g->DrawRotatedMask(&mBase, &mMask, &mTop, 50, 88, 60.0);
    g->DrawBitmap(&mKnobFrame, &fillDodge, 2, 2, &add);
    return true;
  }

private:
  IBitmap mKnobFrame, mBase, mMask, mTop;
};
} // namespace

// A corner of the editor as the plug-in would build it: the background,
// knobs of three sizes, a three-position selector, switches (one lying over
// the knob's corner, so it must be on top), LEDs lit and dark, and a grayed
// knob.
TEST(EditorGolden, ControlsOverTheBackground)
{
  Editor editor(240, 150);
  IGraphics* g = editor.graphics;
  g->AttachBackground(artwork::kBackground, "KolvaneGUI10.png");
  const IBitmap knob = g->LoadIBitmap(artwork::kKnob, "knob_64_white1.png", artwork::kKnobFrames);
  const IBitmap small = g->LoadIBitmap(artwork::kSmallKnob9, "mixer_blue_9_steps.png", 9);
  const IBitmap fader = g->LoadIBitmap(artwork::kFader, "XV VFader.png", artwork::kFaderFrames);
  const IBitmap toggle = g->LoadIBitmap(artwork::kSmallSwitch, "S_Button-1.png", 2);
  const IBitmap step = g->LoadIBitmap(111, "Prophet 5 Button mini .png", 2);
  const IBitmap led = g->LoadIBitmap(artwork::kLed, "Green LED.png", 2);
  ASSERT_NE(nullptr, step.mData);

  editor.Add(new IKnobMultiControl(&editor.plug, 10, 10, EditorPlug::kKnob, &knob));
  editor.Add(new IKnobMultiControl(&editor.plug, 90, 20, EditorPlug::kNine, &small));
  editor.Add(
      new IKnobMultiControl(&editor.plug, 150, 10, EditorPlug::kMode, &fader, kVertical, 1.0));
  editor.Add(new ISwitchControl(&editor.plug, 60, 60, EditorPlug::kSwitch, &toggle));
  editor.Add(new ISwitchControl(&editor.plug, 100, 100, EditorPlug::kSwitch, &step));
  const int litLed = g->AttachControl(new IBitmapControl(&editor.plug, 20, 110, kLedTag, &led));
  g->AttachControl(new IBitmapControl(&editor.plug, 45, 110, kLedTag + 1, &led));
  IControl* grayed =
      editor.Add(new IKnobMultiControl(&editor.plug, 190, 100, EditorPlug::kGain, &small));

  editor.plug.GetParam(EditorPlug::kKnob)->Set(0.4);
  editor.plug.GetParam(EditorPlug::kNine)->Set(7);
  editor.plug.GetParam(EditorPlug::kSwitch)->Set(1);
  editor.Attach();
  g->SetControlFromPlug(litLed, 1.0);
  grayed->GrayOut(true);
  DrawAll(editor.graphics);
  ExpectEditorGolden(g->GetDrawBitmap(), "controls");
}

TEST(EditorGolden, DrawingPrimitives)
{
  Editor editor(160, 120);
  IGraphics* g = editor.graphics;
  const IColor background(255, 32, 36, 44);
  g->AttachPanelBackground(&background);

  const IBitmap knob = g->LoadIBitmap(artwork::kKnob, "knob_64_white1.png", artwork::kKnobFrames);
  const IRECT frame(0, 64 * 12, 64, 64 * 13);
  const IBitmap cropped = g->CropBitmap(&knob, &frame);
  const IBitmap knobFrame = g->ScaleBitmap(&cropped, 32, 32);
  // A grey disc; a mask that gives the knob its outline and a light wedge,
  // turning with it; a red pointer on top.
  auto base = std::make_unique<LICE_MemBitmap>(24, 24);
  auto mask = std::make_unique<LICE_MemBitmap>(24, 24);
  auto top = std::make_unique<LICE_MemBitmap>(24, 24);
  LICE_Clear(base.get(), 0);
  LICE_Clear(mask.get(), 0);
  LICE_Clear(top.get(), 0);
  LICE_FillCircle(base.get(), 11.5f, 11.5f, 11.0f, 0xFF606060, 1.0f, LICE_MODE_COPY, true);
  LICE_FillCircle(mask.get(), 11.5f, 11.5f, 11.0f, 0xC0202020, 1.0f, LICE_MODE_COPY, true);
  LICE_FillTriangle(mask.get(), 12, 12, 2, 0, 22, 0, 0xFF707070, 1.0f, LICE_MODE_COPY);
  LICE_FillRect(top.get(), 11, 1, 2, 9, 0xFFFF2020, 1.0f, LICE_MODE_COPY);
  editor.Add(new PrimitivesControl(&editor.plug, IRECT(0, 0, 160, 120), knobFrame,
                                   IBitmap(base.get(), 24, 24), IBitmap(mask.get(), 24, 24),
                                   IBitmap(top.get(), 24, 24)));
  const IColor cyan(255, 0, 220, 220);
  editor.Add(new IKnobLineControl(&editor.plug, IRECT(110, 84, 146, 120), EditorPlug::kKnob, &cyan,
                                  4.0, 0.0));
  editor.Attach();
  DrawAll(editor.graphics);
  ExpectEditorGolden(g->GetDrawBitmap(), "primitives");

  IBitmap release = knobFrame;
  g->ReleaseBitmap(&release);
  release = cropped;
  g->ReleaseBitmap(&release);
}
