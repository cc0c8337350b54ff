// The controls of each kind: how each turns input into a value and which
// frame it draws for a value (switches, knobs and the library's other
// kinds).

#include "EditorFixtures.h"

#include <gtest/gtest.h>

// ---- Switches ------------------------------------------------------------------

// Each click adds 1 / (N - 1); only beyond 1.001 does the value wrap to 0,
// so rounding in the sum never skips the last frame.
TEST(ISwitchControl, ReachesTheLastFrameThenWrapsToZero)
{
  for (int frames : {2, 3, 4, 5, 9, 15, 30})
  {
    SCOPED_TRACE(frames);
    Editor editor;
    auto pictures = MakeFrames(10, 10, frames);
    const IBitmap bitmap = FramesRecord(pictures.get(), frames);
    editor.Add(new ISwitchControl(&editor.plug, 0, 0, EditorPlug::kKnob, &bitmap));
    editor.Attach();
    editor.graphics->SetControlFromPlug(0, 0.0);
    IControl* control = editor.graphics->GetControl(0);
    for (int click = 1; click < frames; ++click)
    {
      editor.Click(5, 5);
      EXPECT_NEAR(static_cast<double>(click) / (frames - 1), control->GetValue(), 1e-9);
      editor.graphics->Tick();
      EXPECT_EQ(click, FrameAt(editor.graphics->Pixel(5, 5), frames));
    }
    editor.Click(5, 5);
    EXPECT_EQ(0.0, control->GetValue());
    EXPECT_EQ(static_cast<size_t>(frames), editor.plug.mAutomation.size());
    EXPECT_EQ(0.0, editor.plug.mAutomation.back().second);
  }
}

TEST(ISwitchControl, AValueFromTheHostIsDrawnByItsNearestFrameAndAClickWrapsPastOne)
{
  struct Case
  {
    int frames;
    double fromHost;
    int frameShown;
    double afterClick;
  };
  const Case cases[] = {
      {2, 1.0, 1, 0.0}, {2, 0.6, 1, 0.0}, // 1.6 is beyond 1.001
      {2, 0.4, 0, 0.0},                   // 1.4 likewise
      {3, 0.6, 1, 0.0}, {3, 0.5, 1, 1.0}, {3, 0.4, 1, 0.9},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.fromHost);
    Editor editor;
    auto pictures = MakeFrames(10, 10, c.frames);
    const IBitmap bitmap = FramesRecord(pictures.get(), c.frames);
    IControl* control =
        editor.Add(new ISwitchControl(&editor.plug, 0, 0, EditorPlug::kKnob, &bitmap));
    editor.Attach();
    editor.graphics->SetParameterFromPlug(EditorPlug::kKnob, c.fromHost, true);
    editor.graphics->Tick();
    EXPECT_EQ(c.frameShown, FrameAt(editor.graphics->Pixel(5, 5), c.frames));
    editor.Click(5, 5);
    EXPECT_NEAR(c.afterClick, control->GetValue(), 1e-9);
  }
}

TEST(ISwitchControl, ADoubleClickCountsAsOneMoreClick)
{
  Editor editor;
  const IBitmap bitmap(nullptr, 10, 20, 2);
  IControl* control =
      editor.Add(new ISwitchControl(&editor.plug, 0, 0, EditorPlug::kSwitch, &bitmap));
  editor.Attach();
  IMouseMod mod = kLeft;
  // The window reports a double click as down, up, double click, up.
  editor.graphics->OnMouseDown(5, 5, &mod);
  editor.graphics->OnMouseUp(5, 5, &mod);
  EXPECT_EQ(1.0, control->GetValue());
  editor.graphics->OnMouseDblClick(5, 5, &mod);
  editor.graphics->OnMouseUp(5, 5, &mod);
  EXPECT_EQ(0.0, control->GetValue());
  EXPECT_EQ(0.0, editor.ParamValue(EditorPlug::kSwitch));
}

// A level switch: its level (the knob parameter here) shows as how many
// rows from the bottom wear the on frame, in steps of two rows; a vertical
// drag beyond the click slop sets the level in a gesture of its own,
// leaving the switch; a click, or a press that moves within the slop,
// toggles the switch in a gesture on the switch; a double click toggles as
// on any switch.
TEST(ILevelSwitchControl, ADragSetsTheLevelAndAClickTogglesEachInItsOwnGesture)
{
  Editor editor;
  auto pictures = MakeFrames(10, 20, 2);
  const IBitmap bitmap = FramesRecord(pictures.get(), 2);
  auto* control = editor.Add(new ILevelSwitchControl(&editor.plug, 0, 0, EditorPlug::kSwitch,
                                                     EditorPlug::kKnob, &bitmap, 20));
  editor.Attach(); // the knob's default: level 0.5
  EXPECT_FALSE(control->GestureOnPress());
  EXPECT_EQ(0.5, control->GetLevel());
  IMouseMod mod = kLeft;

  struct Drawn
  {
    double switchValue, level;
    int unfilled; // rows of the off frame from the top
  };
  const Drawn drawn[] = {{1.0, 0.5, 10}, {1.0, 1.0, 0},  {1.0, 0.0, 20},
                         {1.0, 0.3, 14}, {1.0, 0.96, 0}, {0.0, 1.0, 20},
                         {0.0, 0.5, 20}, {1.0, 1.7, 0},  {1.0, -0.4, 20}};
  for (const Drawn& d : drawn)
  {
    SCOPED_TRACE(d.level);
    editor.graphics->SetParameterFromPlug(EditorPlug::kSwitch, d.switchValue, true);
    editor.graphics->SetParameterFromPlug(EditorPlug::kKnob, d.level, true);
    while (editor.graphics->Tick())
    {
    }
    EXPECT_EQ(d.unfilled, control->UnfilledRows());
    for (int y = 0; y < 20; ++y)
    {
      EXPECT_EQ(y < d.unfilled ? 0 : 1, FrameAt(editor.graphics->Pixel(5, y), 2)) << "row " << y;
    }
  }
  // The plug-in's switch on as well, so that its value tells a toggle.
  editor.plug.GetParam(EditorPlug::kSwitch)->Set(1.0);
  editor.graphics->SetParameterFromPlug(EditorPlug::kSwitch, 1.0, true);
  editor.graphics->SetParameterFromPlug(EditorPlug::kKnob, 0.5, true);
  editor.plug.Forget();

  // Up by 5 rows past the slop: 5 / 20 of the range, and no toggle.
  editor.graphics->OnMouseDown(5, 10, &mod);
  editor.graphics->OnMouseDrag(5, 8, &mod); // inside the slop: nothing yet
  EXPECT_TRUE(editor.plug.HeardNothing());
  editor.graphics->OnMouseDrag(5, 5, &mod);
  editor.graphics->OnMouseUp(5, 5, &mod);
  EXPECT_NEAR(0.75, editor.ParamValue(EditorPlug::kKnob), 1e-9);
  EXPECT_EQ(1.0, editor.ParamValue(EditorPlug::kSwitch));
  EXPECT_EQ((std::vector<int>{EditorPlug::kKnob}), editor.plug.mBeginEdits);
  EXPECT_EQ((std::vector<int>{EditorPlug::kKnob}), editor.plug.mEndEdits);
  editor.plug.Forget();

  // Down far past the bottom with shift held: ten times finer, then stops at 0.
  IMouseMod fine = kLeft;
  fine.S = true;
  editor.graphics->OnMouseDown(5, 0, &fine);
  editor.graphics->OnMouseDrag(5, 20, &fine);
  EXPECT_NEAR(0.65, editor.ParamValue(EditorPlug::kKnob), 1e-9);
  editor.graphics->OnMouseDrag(5, 500, &fine);
  editor.graphics->OnMouseUp(5, 500, &fine);
  EXPECT_EQ(0.0, editor.ParamValue(EditorPlug::kKnob));
  editor.plug.Forget();

  editor.graphics->OnMouseDown(5, 10, &mod);
  editor.graphics->OnMouseDrag(7, 13, &mod); // a wobble within the slop
  editor.graphics->OnMouseUp(7, 13, &mod);
  EXPECT_EQ(0.0, editor.ParamValue(EditorPlug::kSwitch));
  EXPECT_EQ((std::vector<int>{EditorPlug::kSwitch}), editor.plug.mBeginEdits);
  EXPECT_EQ((std::vector<int>{EditorPlug::kSwitch}), editor.plug.mEndEdits);
  EXPECT_EQ(0.0, editor.ParamValue(EditorPlug::kKnob)) << "the level stays";

  // The window reports a double click as down, up, double click, up.
  editor.Click(5, 5);
  EXPECT_EQ(1.0, editor.ParamValue(EditorPlug::kSwitch));
  editor.graphics->OnMouseDblClick(5, 5, &mod);
  editor.graphics->OnMouseUp(5, 5, &mod);
  EXPECT_EQ(0.0, editor.ParamValue(EditorPlug::kSwitch));
}

TEST(IContactControl, IsOnExactlyWhileHeldAndEachEdgeReachesThePlugIn)
{
  Editor editor;
  const IBitmap bitmap(nullptr, 20, 40, 2);
  IControl* control =
      editor.Add(new IContactControl(&editor.plug, 10, 10, EditorPlug::kSwitch, &bitmap));
  editor.Attach();
  IMouseMod mod = kLeft;
  editor.graphics->OnMouseDown(15, 15, &mod);
  EXPECT_EQ(1.0, control->GetValue());
  EXPECT_TRUE(editor.plug.GetParam(EditorPlug::kSwitch)->Bool());
  // Released outside: the capture still brings the release to the button.
  editor.graphics->OnMouseDrag(150, 90, &mod);
  editor.graphics->OnMouseUp(150, 90, &mod);
  EXPECT_EQ(0.0, control->GetValue());
  EXPECT_FALSE(editor.plug.GetParam(EditorPlug::kSwitch)->Bool());
  EXPECT_EQ((std::vector<int>{EditorPlug::kSwitch}), editor.plug.mBeginEdits);
  EXPECT_EQ((std::vector<int>{EditorPlug::kSwitch}), editor.plug.mEndEdits);
  ASSERT_EQ(2u, editor.plug.mAutomation.size());
  EXPECT_EQ(1.0, editor.plug.mAutomation[0].second);
  EXPECT_EQ(0.0, editor.plug.mAutomation[1].second);
}

// ---- Knobs ---------------------------------------------------------------------

TEST(IKnobMultiControl, ThreeFramesCutTheRangeIntoBandsCentredOnTheirValues)
{
  struct Case
  {
    double value;
    int frame;
  };
  const Case cases[] = {{0.0, 0},  {0.24, 0}, {0.25, 1}, {0.5, 1},  {0.74, 1},
                        {0.75, 2}, {1.0, 2},  {1.5, 2},  {-0.2, 0}, {1e300, 2}};
  Editor editor;
  auto pictures = MakeFrames(24, 30, 3);
  const IBitmap bitmap = FramesRecord(pictures.get(), 3);
  editor.Add(new IKnobMultiControl(&editor.plug, 0, 0, EditorPlug::kKnob, &bitmap, kVertical, 1.0));
  editor.Attach();
  for (const Case& c : cases)
  {
    editor.graphics->SetControlFromPlug(0, c.value);
    editor.graphics->Tick();
    EXPECT_EQ(c.frame, FrameAt(editor.graphics->Pixel(12, 15), 3)) << c.value;
  }
}

// A drag over the knob's extent times the gearing spans the whole range;
// control or shift make it ten times finer. Up and right raise the value.
TEST(IKnobControl, TheGearingSetsHowFarADragMovesTheValue)
{
  struct Case
  {
    const char* what;
    int w, h;
    double gearing;
    EDirection direction;
    IMouseMod mod;
    int dX, dY;
    double change;
  };
  const Case cases[] = {
      {"64 px knob, gearing 4, up 64", 64, 64, 4.0, kVertical, kLeft, 0, -64, 0.25},
      {"64 px knob, gearing 4, down 32", 64, 64, 4.0, kVertical, kLeft, 0, 32, -0.125},
      {"shift: ten times finer", 64, 64, 4.0, kVertical, kLeftShift, 0, -256, 0.1},
      {"control: ten times finer", 64, 64, 4.0, kVertical, kLeftCtrl, 0, -256, 0.1},
      {"100 px selector, gearing 1, up 50", 24, 100, 1.0, kVertical, kLeft, 0, -50, 0.5},
      {"40 px knob, gearing 4, up 80", 40, 40, 4.0, kVertical, kLeft, 0, -80, 0.5},
      {"horizontal: right raises", 64, 64, 4.0, kHorizontal, kLeft, 64, 0, 0.25},
      {"vertical ignores sideways", 64, 64, 4.0, kVertical, kLeft, 64, 0, 0.0},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.what);
    Editor editor(300, 300);
    const IBitmap bitmap(nullptr, c.w, c.h * 30, 30);
    IControl* knob = editor.Add(new IKnobMultiControl(&editor.plug, 100, 100, EditorPlug::kKnob,
                                                      &bitmap, c.direction, c.gearing));
    editor.Attach();
    editor.graphics->SetControlFromPlug(0, 0.4);
    IMouseMod mod = c.mod;
    editor.graphics->OnMouseDown(110, 110, &mod);
    editor.graphics->OnMouseDrag(110 + c.dX, 110 + c.dY, &mod);
    editor.graphics->OnMouseUp(110 + c.dX, 110 + c.dY, &mod);
    EXPECT_NEAR(0.4 + c.change, knob->GetValue(), 1e-9);
    EXPECT_NEAR(0.4 + c.change, editor.plug.GetParam(EditorPlug::kKnob)->GetNormalized(), 1e-3);
  }
}

TEST(IKnobControl, ADragPastAnEndStopsThereAndReversingMovesAtOnce)
{
  Editor editor(300, 600);
  const IBitmap bitmap(nullptr, 64, 64 * 30, 30);
  IControl* knob =
      editor.Add(new IKnobMultiControl(&editor.plug, 100, 300, EditorPlug::kKnob, &bitmap));
  editor.Attach();
  editor.graphics->SetControlFromPlug(0, 0.0);
  IMouseMod mod = kLeft;
  editor.graphics->OnMouseDown(120, 320, &mod);
  editor.graphics->OnMouseDrag(120, 320 - 256, &mod); // the whole range
  EXPECT_NEAR(1.0, knob->GetValue(), 1e-9);
  editor.graphics->OnMouseDrag(120, 320 - 300, &mod); // 44 px beyond
  EXPECT_EQ(1.0, knob->GetValue());
  editor.graphics->OnMouseDrag(120, 320 - 284, &mod); // back 16 px
  EXPECT_NEAR(1.0 - 16.0 / 256.0, knob->GetValue(), 1e-9);
  editor.graphics->OnMouseUp(120, 36, &mod);
}

TEST(IKnobControl, AKnobWithNoHeightIgnoresDrags)
{
  Editor editor;
  const IBitmap flat(nullptr, 64, 0, 30);
  IControl* knob = editor.Add(new IKnobMultiControl(&editor.plug, 0, 0, EditorPlug::kKnob, &flat));
  editor.Attach();
  const double before = knob->GetValue();
  knob->OnMouseDrag(0, 0, 5, 0, nullptr);
  knob->OnMouseDrag(0, 0, 0, 5, nullptr);
  EXPECT_EQ(before, knob->GetValue());
  EXPECT_TRUE(editor.plug.HeardNothing());
}

// ---- The library's other kinds ----------------------------------------------------

TEST(IRadioButtonsControl, AClickPicksItsButtonAndTheChosenOneShowsFrameTwo)
{
  Editor editor(100, 100);
  auto pictures = MakeFrames(10, 10, 2);
  const IBitmap bitmap = FramesRecord(pictures.get(), 2);
  // Three buttons over 50 px: 10 px each with 10 px gaps.
  auto* radio = editor.Add(
      new IRadioButtonsControl(&editor.plug, IRECT(0, 0, 10, 50), EditorPlug::kMode, 3, &bitmap));
  auto* reversed = editor.Add(new IRadioButtonsControl(
      &editor.plug, IRECT(20, 0, 70, 10), EditorPlug::kNine, 3, &bitmap, kHorizontal, true));
  EXPECT_EQ(IRECT(0, 20, 10, 30), *radio->GetButtonRECT(1));
  EXPECT_EQ(IRECT(0, 40, 10, 50), *radio->GetButtonRECT(2));
  EXPECT_EQ(IRECT(60, 0, 70, 10), *reversed->GetButtonRECT(0));
  editor.Attach();
  editor.Click(5, 45);
  EXPECT_EQ(1.0, radio->GetValue());
  EXPECT_EQ(2.0, editor.ParamValue(EditorPlug::kMode));
  editor.Click(5, 35); // between buttons: nothing
  EXPECT_EQ(1.0, radio->GetValue());
  editor.graphics->Tick();
  EXPECT_EQ(0, FrameAt(editor.graphics->Pixel(5, 5), 2));
  EXPECT_EQ(1, FrameAt(editor.graphics->Pixel(5, 45), 2));
  editor.Click(65, 5);
  EXPECT_EQ(0.0, reversed->GetValue());
}

TEST(IFaderControl, TheHandleCentresOnThePointerAndIsDrawnAtItsValue)
{
  Editor editor(100, 200);
  const IColor black = COLOR_BLACK;
  editor.graphics->AttachPanelBackground(&black);
  auto pictures = MakeFrames(20, 20, 1);
  const IBitmap handle = FramesRecord(pictures.get(), 1);
  // 120 px track, 20 px handle: 100 px of travel.
  auto* fader =
      editor.Add(new IFaderControl(&editor.plug, 10, 10, 120, EditorPlug::kKnob, &handle));
  auto* onlyHandle = editor.Add(
      new IFaderControl(&editor.plug, 50, 10, 120, EditorPlug::kGain, &handle, kVertical, true));
  EXPECT_EQ(IRECT(10, 10, 30, 130), *fader->GetRECT());
  editor.Attach();
  editor.Click(20, 70); // the middle of the track
  EXPECT_NEAR(0.5, fader->GetValue(), 1e-9);
  IMouseMod mod = kLeft;
  editor.graphics->OnMouseDown(20, 100, &mod);
  editor.graphics->OnMouseDrag(20, 10, &mod); // past the top
  editor.graphics->OnMouseUp(20, 10, &mod);
  EXPECT_EQ(1.0, fader->GetValue());
  editor.graphics->Tick();
  EXPECT_EQ(0, FrameAt(editor.graphics->Pixel(20, 15), 1)); // handle at the top
  EXPECT_EQ(-1, FrameAt(editor.graphics->Pixel(20, 125), 1));
  // Only the handle of the second one takes the mouse.
  const IRECT handleAt = onlyHandle->GetHandleRECT(onlyHandle->GetValue());
  EXPECT_FALSE(onlyHandle->IsHit(60, handleAt.T - 5));
  EXPECT_TRUE(onlyHandle->IsHit(60, handleAt.T + 5));
}

TEST(IInvisibleSwitchControl, TogglesAroundOneHalf)
{
  Editor editor;
  auto* toggle = editor.Add(
      new IInvisibleSwitchControl(&editor.plug, IRECT(0, 0, 20, 20), EditorPlug::kSwitch));
  editor.Attach();
  editor.Click(5, 5);
  EXPECT_EQ(1.0, toggle->GetValue());
  editor.Click(5, 5);
  EXPECT_EQ(0.0, toggle->GetValue());
  EXPECT_EQ(IChannelBlend::kBlendOpaque, toggle->GetBlend().mMethod);
}

TEST(IBitmapOverlayControl, IsHitOverItsTargetAreaWhileOff)
{
  Editor editor;
  const IBitmap bitmap(nullptr, 50, 100, 2);
  auto* overlay = editor.Add(new IBitmapOverlayControl(&editor.plug, 0, 0, EditorPlug::kSwitch,
                                                       &bitmap, IRECT(100, 0, 110, 10)));
  editor.Attach();
  editor.graphics->Tick();
  EXPECT_FALSE(overlay->IsHit(20, 20));
  editor.Click(105, 5);
  EXPECT_EQ(1.0, overlay->GetValue());
  editor.graphics->Tick();
  EXPECT_TRUE(overlay->IsHit(20, 20));
  EXPECT_FALSE(overlay->IsHit(105, 5));
}

TEST(IURLControl, TriesTheBackupAddressWhenTheFirstDoesNotOpen)
{
  Editor editor;
  editor.Add(
      new IURLControl(&editor.plug, IRECT(0, 0, 20, 20), "https://a.example", "https://b.example"));
  editor.Attach();
  editor.Click(5, 5);
  EXPECT_EQ((std::vector<std::string>{"https://a.example", "https://b.example"}),
            editor.graphics->mURLs);
  editor.graphics->mURLOpens = true;
  editor.graphics->mURLs.clear();
  editor.Click(5, 5);
  EXPECT_EQ((std::vector<std::string>{"https://a.example"}), editor.graphics->mURLs);
  EXPECT_TRUE(editor.plug.HeardNothing());
}

TEST(IFileSelectorControl, AskingForAFileTogglesTheValueAndReportsDirtyOnceMore)
{
  Editor editor;
  const IBitmap bitmap(nullptr, 20, 20, 1);
  auto* selector =
      editor.Add(new IFileSelectorControl(&editor.plug, IRECT(0, 0, 20, 20), EditorPlug::kSwitch,
                                          &bitmap, IGraphicsInterface::kFileOpen, "", "fxp"));
  selector->SetLastSelectedFileFromPlug("old.fxp");
  editor.Attach();
  while (editor.graphics->Tick())
  {
  }
  editor.Click(5, 5);
  EXPECT_EQ(1.0, selector->GetValue());
  WDL_String file;
  selector->GetLastSelectedFileForPlug(&file);
  EXPECT_STREQ("", file.Get()); // no window, no dialog: no file
  EXPECT_TRUE(editor.graphics->Tick());
  EXPECT_FALSE(editor.graphics->Tick());
}
