// The drawing pass and input dispatch: which control gets an event, mouse
// capture, the host gesture bracket, keys, idle ticks, strict and
// non-strict drawing, and resizing.

#include "EditorFixtures.h"

#include <gtest/gtest.h>

namespace
{
const LICE_pixel kRed = 0xFFFF0000, kBlue = 0xFF0000FF;

using Events = std::vector<std::string>;

// Ticks until nothing is dirty; returns how many ticks drew.
int Settle(TestGraphics* graphics)
{
  int ticks = 0;
  while (graphics->Tick() && ticks < 100)
  {
    ++ticks;
  }
  return ticks;
}
} // namespace

TEST(IGraphics, ARateBelowOneSelectsTwentyFive)
{
  EditorPlug plug;
  struct Case
  {
    int fps, expected;
  };
  for (const Case& c : {Case{0, 25}, Case{-3, 25}, Case{1, 1}, Case{30, 30}})
  {
    TestGraphics graphics(&plug, 10, 10, c.fps);
    EXPECT_EQ(c.expected, graphics.FPS()) << c.fps;
  }
}

TEST(Dispatch, APressOnTheBackgroundCapturesItWithoutAHostGesture)
{
  Editor editor(664, 472);
  editor.graphics->AttachBackground(artwork::kBackground, "KolvaneGUI10.png");
  editor.Attach();
  IMouseMod mod(true);
  editor.graphics->OnMouseDown(300, 200, &mod);
  EXPECT_EQ(0, editor.graphics->GetMouseCapture());
  editor.graphics->OnMouseUp(300, 200, &mod);
  EXPECT_EQ(-1, editor.graphics->GetMouseCapture());
  EXPECT_TRUE(editor.plug.HeardNothing());
}

TEST(Dispatch, TheCapturedControlGetsDragsAndTheReleaseWhereverTheMouseGoes)
{
  Editor editor;
  const IColor black = COLOR_BLACK;
  editor.graphics->AttachPanelBackground(&black);
  auto* probe =
      editor.Add(new ProbeControl(&editor.plug, IRECT(10, 10, 30, 30), EditorPlug::kKnob));
  auto* other = editor.Add(new ProbeControl(&editor.plug, IRECT(100, 0, 200, 100)));
  editor.Attach();
  IMouseMod mod(true);
  editor.graphics->OnMouseDown(15, 15, &mod);
  editor.graphics->OnMouseDrag(150, 50, &mod);  // over another control
  editor.graphics->OnMouseDrag(500, -40, &mod); // outside the editor
  editor.graphics->OnMouseDrag(500, -40, &mod); // no movement: no drag
  editor.graphics->OnMouseWheel(150, 50, &mod, 2);
  editor.graphics->OnKeyDown(150, 50, 7);
  editor.graphics->OnMouseUp(500, -40, &mod);
  EXPECT_EQ(
      (Events{"down 15,15", "drag 135,35", "drag 350,-90", "wheel 2,0", "key 7,0", "up 500,-40"}),
      probe->mEvents);
  EXPECT_TRUE(other->mEvents.empty());
  EXPECT_EQ((std::vector<int>{EditorPlug::kKnob}), editor.plug.mBeginEdits);
  EXPECT_EQ((std::vector<int>{EditorPlug::kKnob}), editor.plug.mEndEdits);
  EXPECT_EQ(-1, editor.graphics->GetMouseCapture());
  // Without capture, drags go nowhere.
  editor.graphics->OnMouseDrag(20, 20, &mod);
  EXPECT_EQ(6u, probe->mEvents.size());
}

TEST(Dispatch, HiddenAndGrayedControlsOnTopAreSkippedByClicks)
{
  Editor editor;
  auto* below = editor.Add(new ProbeControl(&editor.plug, IRECT(0, 0, 50, 50)));
  auto* above = editor.Add(new ProbeControl(&editor.plug, IRECT(0, 0, 50, 50)));
  editor.Attach();
  struct Case
  {
    bool hidden, grayed;
    ProbeControl* expected;
  };
  const Case cases[] = {{false, false, above}, {true, false, below}, {false, true, below}};
  for (const Case& c : cases)
  {
    above->Hide(c.hidden);
    above->GrayOut(c.grayed);
    below->mEvents.clear();
    above->mEvents.clear();
    editor.Click(10, 10);
    EXPECT_EQ((Events{"down 10,10", "up 10,10"}), c.expected->mEvents) << c.hidden << c.grayed;
    const ProbeControl* passed = c.expected == above ? below : above;
    EXPECT_TRUE(passed->mEvents.empty()) << c.hidden << c.grayed;
  }
  EXPECT_EQ(-1, editor.graphics->GetMouseControlIdx(100, 100));
}

TEST(Dispatch, MouseOverIsOffUnlessAskedForAndThenReachesGrayedControlsThatWantIt)
{
  Editor editor;
  auto* left = editor.Add(new ProbeControl(&editor.plug, IRECT(0, 0, 50, 50)));
  auto* right = editor.Add(new ProbeControl(&editor.plug, IRECT(50, 0, 100, 50)));
  editor.Attach();
  IMouseMod mod;
  EXPECT_FALSE(editor.graphics->OnMouseOver(10, 10, &mod));
  EXPECT_TRUE(left->mEvents.empty());

  editor.graphics->HandleMouseOver(true);
  right->GrayOut(true);
  right->SetMOWhenGrayed(true);
  EXPECT_TRUE(editor.graphics->OnMouseOver(10, 10, &mod));
  EXPECT_TRUE(editor.graphics->OnMouseOver(60, 10, &mod));
  EXPECT_EQ((Events{"over 10,10", "out"}), left->mEvents);
  EXPECT_EQ((Events{"over 60,10"}), right->mEvents);
  EXPECT_EQ(1, editor.graphics->GetMouseOver());
  // A click still passes it by.
  EXPECT_EQ(-1, editor.graphics->GetMouseControlIdx(60, 10));
  editor.graphics->OnMouseOut();
  EXPECT_EQ(-1, editor.graphics->GetMouseOver());
  EXPECT_EQ("out", right->mEvents.back());
}

// A double click captures its control and opens a gesture on its
// parameter, taken as a press or not, so that its release ends a gesture
// the host saw begin.
TEST(Dispatch, ADoubleClickCapturesAndOpensAGesture)
{
  Editor editor;
  auto* single = editor.Add(new ProbeControl(&editor.plug, IRECT(0, 0, 50, 50), EditorPlug::kKnob));
  auto* plain =
      editor.Add(new ProbeControl(&editor.plug, IRECT(50, 0, 100, 50), EditorPlug::kGain));
  single->SetMouseDblAsSingleClick(true);
  editor.Attach();
  IMouseMod mod(true);
  EXPECT_TRUE(editor.graphics->OnMouseDblClick(10, 10, &mod));
  EXPECT_EQ(0, editor.graphics->GetMouseCapture());
  editor.graphics->OnMouseUp(10, 10, &mod);
  EXPECT_EQ((Events{"down 10,10", "up 10,10"}), single->mEvents);
  EXPECT_EQ((std::vector<int>{EditorPlug::kKnob}), editor.plug.mBeginEdits);
  EXPECT_EQ((std::vector<int>{EditorPlug::kKnob}), editor.plug.mEndEdits);

  // Any other control gets its double click at the release, inside a
  // gesture of its own.
  editor.plug.Forget();
  EXPECT_TRUE(editor.graphics->OnMouseDblClick(60, 10, &mod));
  EXPECT_EQ(1, editor.graphics->GetMouseCapture());
  EXPECT_TRUE(plain->mEvents.empty()) << "held until it is known what it is";
  editor.graphics->OnMouseUp(60, 10, &mod);
  EXPECT_EQ((Events{"dbl 60,10", "up 60,10"}), plain->mEvents);
  EXPECT_EQ((std::vector<std::string>{"begin 4", "automate 4", "end 4"}), editor.plug.mHostCalls);
  EXPECT_FALSE(editor.graphics->OnMouseDblClick(150, 90, &mod)); // nothing there
}

// The second press of a double click that moves more than the slop (in
// layout units, so alike at every scale) is a press at the point it went
// down that drags, in the press's gesture; within the slop its release is
// the double click.
TEST(Dispatch, ASecondPressThatMovesPastTheSlopIsADragFromWhereItWentDown)
{
  for (double scale : {1.0, 1.5, 2.0})
  {
    SCOPED_TRACE(scale);
    Editor editor;
    auto* knob = editor.Add(new ProbeControl(&editor.plug, IRECT(0, 0, 50, 50), EditorPlug::kKnob));
    editor.graphics->SetScalable(true);
    editor.graphics->SetUserScale(scale);
    editor.Attach();
    const auto px = [&](int units) { return editor.graphics->ToPixels(units); };
    const int slop = IControl::kClickSlop;
    IMouseMod mod(true);
    EXPECT_TRUE(editor.graphics->OnMouseDblClick(px(10), px(10), &mod));
    editor.graphics->OnMouseDrag(px(10 + slop), px(10 - slop), &mod);
    EXPECT_TRUE(knob->mEvents.empty()) << "still within the slop";
    editor.graphics->OnMouseDrag(px(10), px(10 + slop + 1), &mod);
    editor.graphics->OnMouseDrag(px(10), px(10 + slop + 3), &mod);
    editor.graphics->OnMouseUp(px(10), px(10 + slop + 3), &mod);
    EXPECT_EQ((Events{"down 10,10", "drag 0," + std::to_string(slop + 1), "drag 0,2",
                      "up 10," + std::to_string(10 + slop + 3)}),
              knob->mEvents);
    EXPECT_EQ((std::vector<std::string>{"begin 0", "end 0"}), editor.plug.mHostCalls);

    knob->mEvents.clear();
    editor.plug.Forget();
    EXPECT_TRUE(editor.graphics->OnMouseDblClick(px(10), px(10), &mod));
    editor.graphics->OnMouseDrag(px(10 - slop), px(10 + slop), &mod);
    editor.graphics->OnMouseUp(px(10 - slop), px(10 + slop), &mod);
    EXPECT_EQ(
        (Events{"dbl 10,10", "up " + std::to_string(10 - slop) + "," + std::to_string(10 + slop)}),
        knob->mEvents);
    EXPECT_EQ((std::vector<std::string>{"begin 0", "automate 0", "end 0"}), editor.plug.mHostCalls);
  }
}

namespace
{
// Bound to the switch, but opens no gesture on the press.
class DeferringControl : public ProbeControl
{
public:
  using ProbeControl::ProbeControl;
  bool GestureOnPress() const override { return false; }
};
} // namespace

// A control bound to more than one parameter opens no gesture on the press
// and moves it to the parameter the user turns out to change: the host's
// begin and end bracket that parameter only, each move ends the gesture
// before it, an index that names no parameter opens none, and the release
// ends the last one.
TEST(Dispatch, AControlMovesItsGestureToTheParameterItChanges)
{
  Editor editor;
  editor.Add(new DeferringControl(&editor.plug, IRECT(0, 0, 50, 50), EditorPlug::kSwitch));
  editor.Attach();
  IMouseMod mod(true);
  editor.graphics->OnMouseDown(10, 10, &mod);
  EXPECT_TRUE(editor.plug.HeardNothing()) << "no gesture on the press";
  struct Step
  {
    int moveTo;
    std::vector<int> begins, ends;
  };
  const Step steps[] = {
      {EditorPlug::kKnob, {EditorPlug::kKnob}, {}},
      {EditorPlug::kGain, {EditorPlug::kKnob, EditorPlug::kGain}, {EditorPlug::kKnob}},
      {kLedTag, {EditorPlug::kKnob, EditorPlug::kGain}, {EditorPlug::kKnob, EditorPlug::kGain}},
      {EditorPlug::kNine,
       {EditorPlug::kKnob, EditorPlug::kGain, EditorPlug::kNine},
       {EditorPlug::kKnob, EditorPlug::kGain}},
  };
  for (const Step& step : steps)
  {
    SCOPED_TRACE(step.moveTo);
    editor.graphics->MoveGesture(step.moveTo);
    EXPECT_EQ(step.begins, editor.plug.mBeginEdits);
    EXPECT_EQ(step.ends, editor.plug.mEndEdits);
  }
  editor.graphics->OnMouseUp(10, 10, &mod);
  EXPECT_EQ((std::vector<int>{EditorPlug::kKnob, EditorPlug::kGain, EditorPlug::kNine}),
            editor.plug.mEndEdits);
}

TEST(Dispatch, KeysGoToTheControlUnderTheMouseAndOverTheBackgroundToTheKeyCatcher)
{
  Editor editor;
  const IColor black = COLOR_BLACK;
  editor.graphics->AttachPanelBackground(&black);
  auto* refuses = editor.Add(new ProbeControl(&editor.plug, IRECT(0, 0, 50, 50)));
  auto* takes = editor.Add(new ProbeControl(&editor.plug, IRECT(50, 0, 100, 50)));
  takes->mKeyAnswer = true;
  editor.Attach();
  EXPECT_FALSE(editor.graphics->OnKeyDown(150, 80, 0)); // no key catcher yet

  auto* catcher = new ProbeControl(&editor.plug, IRECT());
  catcher->mKeyAnswer = true;
  editor.graphics->AttachKeyCatcher(catcher);
  EXPECT_TRUE(editor.graphics->OnKeyDown(150, 80, 15));    // background
  EXPECT_FALSE(editor.graphics->OnKeyDown(10, 10, 16));    // refused there: final
  EXPECT_TRUE(editor.graphics->OnKeyDown(60, 10, 17));     // taken there
  EXPECT_TRUE(editor.graphics->OnKeyDown(1000, 1000, 18)); // outside everything
  EXPECT_EQ((Events{"key 15,0", "key 18,0"}), catcher->mEvents);
  EXPECT_EQ((Events{"key 16,0"}), refuses->mEvents);
  EXPECT_EQ((Events{"key 17,0"}), takes->mEvents);
}

// With nothing dirty, the 21st tick runs the idle calls; a dirty tick
// restarts the count.
TEST(DrawingPass, IdleCallsComeEveryTwentyOneCleanTicks)
{
  Editor editor;
  auto* probe = editor.Add(new ProbeControl(&editor.plug, IRECT(0, 0, 10, 10), EditorPlug::kKnob));
  editor.Attach();
  auto cleanTicks = [&](int n)
  {
    for (int i = 0; i < n; ++i)
    {
      IRECT r;
      EXPECT_FALSE(editor.graphics->IsDirty(&r));
    }
  };
  auto dirtyTick = [&]
  {
    probe->SetDirty(false);
    ASSERT_TRUE(editor.graphics->Tick());
  };
  Settle(editor.graphics);
  dirtyTick();
  probe->mIdleCalls = 0;
  cleanTicks(20);
  EXPECT_EQ(0, probe->mIdleCalls);
  cleanTicks(1);
  EXPECT_EQ(1, probe->mIdleCalls);
  cleanTicks(20);
  EXPECT_EQ(1, probe->mIdleCalls);
  dirtyTick();
  cleanTicks(20);
  EXPECT_EQ(1, probe->mIdleCalls);
  cleanTicks(1);
  EXPECT_EQ(2, probe->mIdleCalls);
}

TEST(DrawingPass, TheDirtyRegionCoversEveryDirtyControl)
{
  Editor editor;
  editor.Add(new ProbeControl(&editor.plug, IRECT(10, 10, 20, 20), EditorPlug::kKnob));
  editor.Add(new ProbeControl(&editor.plug, IRECT(50, 30, 60, 90), EditorPlug::kGain));
  editor.Add(new ProbeControl(&editor.plug, IRECT(100, 0, 110, 10), EditorPlug::kMode));
  editor.Attach();
  Settle(editor.graphics);
  editor.graphics->SetParameterFromPlug(EditorPlug::kKnob, 0.1, true);
  editor.graphics->SetParameterFromPlug(EditorPlug::kGain, 0.1, true);
  IRECT r;
  ASSERT_TRUE(editor.graphics->IsDirty(&r));
  EXPECT_EQ(IRECT(10, 10, 60, 90), r);
}

// Overlapping controls compose in attach order: the later one is drawn on
// top, however the redraw started, and it takes the mouse.
TEST(DrawingPass, StrictDrawingKeepsTheLaterOfOverlappingControlsOnTop)
{
  Editor editor(100, 100);
  const IColor black = COLOR_BLACK;
  editor.graphics->AttachPanelBackground(&black);
  auto* lower =
      editor.Add(new ProbeControl(&editor.plug, IRECT(10, 10, 40, 40), EditorPlug::kKnob, kRed));
  auto* upper =
      editor.Add(new ProbeControl(&editor.plug, IRECT(30, 30, 60, 60), EditorPlug::kGain, kBlue));
  editor.Attach();
  Settle(editor.graphics);
  EXPECT_EQ(kBlue, editor.graphics->Pixel(35, 35));
  EXPECT_EQ(kRed, editor.graphics->Pixel(25, 25));

  // Only the lower one changes; the upper one is drawn again over it.
  const int upperDraws = upper->mDraws;
  editor.graphics->SetParameterFromPlug(EditorPlug::kKnob, 0.1, true);
  editor.graphics->Tick();
  EXPECT_EQ(kBlue, editor.graphics->Pixel(35, 35));
  EXPECT_EQ(upperDraws + 1, upper->mDraws);
  EXPECT_EQ(IRECT(10, 10, 40, 40), editor.graphics->mScreenCopies.back());

  editor.Click(35, 35);
  EXPECT_TRUE(lower->mEvents.empty());
  EXPECT_EQ((Events{"down 35,35", "up 35,35"}), upper->mEvents);
}

TEST(DrawingPass, ARegionTouchingNoControlDrawsNothingButCleansAllAndIsCopied)
{
  Editor editor;
  auto* a = editor.Add(new ProbeControl(&editor.plug, IRECT(0, 0, 10, 10), EditorPlug::kKnob));
  auto* b = editor.Add(new ProbeControl(&editor.plug, IRECT(20, 0, 30, 10), EditorPlug::kGain));
  editor.Attach();
  Settle(editor.graphics);
  a->SetDirty(false);
  b->SetDirty(false);
  const int drawsBefore = a->mDraws + b->mDraws;
  IRECT elsewhere(100, 50, 120, 60);
  EXPECT_TRUE(editor.graphics->Draw(&elsewhere));
  EXPECT_EQ(drawsBefore, a->mDraws + b->mDraws);
  EXPECT_FALSE(a->IsDirty());
  EXPECT_FALSE(b->IsDirty());
  EXPECT_EQ(elsewhere, editor.graphics->mScreenCopies.back());
  // A region whose right edge meets a control's left edge draws it.
  const int aDraws = a->mDraws, bDraws = b->mDraws;
  IRECT touching(15, 0, 20, 10);
  editor.graphics->Draw(&touching);
  EXPECT_EQ(bDraws + 1, b->mDraws);
  EXPECT_EQ(aDraws, a->mDraws);
}

TEST(DrawingPass, WithNoControlsNothingIsCopied)
{
  EditorPlug plug;
  TestGraphics graphics(&plug);
  IRECT all(0, 0, 200, 100);
  EXPECT_TRUE(graphics.Draw(&all));
  EXPECT_TRUE(graphics.mScreenCopies.empty());
}

TEST(DrawingPass, RedrawAskedForWhileDrawingKeepsTheControlDirtyForOneMorePass)
{
  Editor editor;
  auto* probe = editor.Add(new ProbeControl(&editor.plug, IRECT(0, 0, 10, 10), EditorPlug::kKnob));
  editor.Attach();
  Settle(editor.graphics);
  probe->Redraw();
  probe->SetDirty(false);
  EXPECT_EQ(2, Settle(editor.graphics));
}

// Without strict drawing each dirty control is redrawn with what overlaps
// it, and only it is cleaned; a dirty background redraws everything. Only
// pictures clip to the control being redrawn, so the background here is
// one.
TEST(DrawingPass, NonStrictDrawingRedrawsEachDirtyControlWithItsNeighbours)
{
  Editor editor(100, 100);
  editor.graphics->AttachBackground(artwork::kBackground, "KolvaneGUI10.png");
  auto* lower =
      editor.Add(new ProbeControl(&editor.plug, IRECT(10, 10, 40, 40), EditorPlug::kKnob, kRed));
  auto* upper =
      editor.Add(new ProbeControl(&editor.plug, IRECT(30, 30, 60, 60), EditorPlug::kGain, kBlue));
  auto* apart =
      editor.Add(new ProbeControl(&editor.plug, IRECT(70, 70, 90, 90), EditorPlug::kMode, kRed));
  auto* hidden = editor.Add(new ProbeControl(&editor.plug, IRECT(70, 10, 90, 30), -1, kBlue));
  editor.Attach();
  hidden->Hide(true);
  Settle(editor.graphics);
  lower->mDraws = upper->mDraws = apart->mDraws = 0;
  editor.graphics->SetStrictDrawing(false);
  EXPECT_FALSE(editor.graphics->IsStrictDrawing());
  editor.graphics->Tick(); // the background is dirty: everything visible
  EXPECT_EQ(1, lower->mDraws);
  EXPECT_EQ(1, apart->mDraws);
  EXPECT_EQ(0, hidden->mDraws);
  EXPECT_TRUE(hidden->IsDirty());
  EXPECT_NE(kBlue, editor.graphics->Pixel(80, 20));

  lower->SetDirty(false);
  editor.graphics->Tick();
  EXPECT_EQ(2, lower->mDraws);
  EXPECT_EQ(2, upper->mDraws);
  EXPECT_EQ(1, apart->mDraws);
  EXPECT_EQ(kBlue, editor.graphics->Pixel(35, 35));
  EXPECT_EQ(kRed, editor.graphics->Pixel(15, 15));
  EXPECT_FALSE(lower->IsDirty());
  // The overlapping control drawn with it is not cleaned by that.
  upper->SetDirty(false);
  apart->SetDirty(false);
  lower->SetDirty(false);
  IRECT all(0, 0, 100, 100);
  editor.graphics->Draw(&all);
  EXPECT_EQ(4, upper->mDraws); // with lower, then for itself
  EXPECT_FALSE(upper->IsDirty());
}

TEST(IGraphics, ResizeDropsTheControlsAndTheCaptureAndTellsThePlugIn)
{
  Editor editor;
  editor.Add(new ProbeControl(&editor.plug, IRECT(0, 0, 50, 50), EditorPlug::kKnob));
  editor.Attach();
  IMouseMod mod(true);
  editor.graphics->OnMouseDown(10, 10, &mod);
  ASSERT_EQ(0, editor.graphics->GetMouseCapture());
  editor.graphics->Resize(320, 240);
  EXPECT_EQ(0, editor.graphics->NControls());
  EXPECT_EQ(-1, editor.graphics->GetMouseCapture());
  EXPECT_EQ(320, editor.graphics->Width());
  EXPECT_EQ(240, editor.graphics->Height());
  EXPECT_EQ(320, editor.graphics->GetDrawBitmap()->getWidth());
  ASSERT_EQ(1u, editor.plug.mResizes.size());
  EXPECT_EQ(std::make_pair(320, 240), editor.plug.mResizes[0]);
  // The gesture of the control that went is closed at once, so the host
  // is not left with a begin that never ends.
  EXPECT_EQ((std::vector<int>{EditorPlug::kKnob}), editor.plug.mEndEdits);
  // Events after it find nothing, and a host value reaches no control.
  editor.graphics->OnMouseUp(10, 10, &mod);
  editor.graphics->SetParameterFromPlug(EditorPlug::kKnob, 0.2, true);
  EXPECT_EQ(1u, editor.plug.mEndEdits.size());
}

TEST(IGraphics, TheBackgroundGoesUnderEveryControlAttachedBefore)
{
  Editor editor(664, 472);
  auto* probe = editor.Add(new ProbeControl(&editor.plug, IRECT(0, 0, 10, 10)));
  editor.graphics->AttachBackground(artwork::kBackground, "KolvaneGUI10.png");
  EXPECT_EQ(probe, editor.graphics->GetControl(1));
  IControl* background = editor.graphics->GetControl(0);
  EXPECT_EQ(IRECT(0, 0, 664, 472), *background->GetRECT());
  EXPECT_EQ(-1, background->ParamIdx());
  EXPECT_EQ(IChannelBlend::kBlendOpaque, background->GetBlend().mMethod);
  editor.Attach();
}
