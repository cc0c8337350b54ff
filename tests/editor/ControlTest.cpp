// The controls: how each kind turns input into a value, which frame it
// draws for a value, what reaches the plug-in and the host, and controls
// whose index names no parameter.

#include "EditorFixtures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

namespace
{
const IMouseMod kLeft(true);
const IMouseMod kRight(false, true);
const IMouseMod kLeftShift(true, false, true);
const IMouseMod kLeftCtrl(true, false, false, true);

// Drags the captured control from (x, y) by dY pixels vertically, in steps
// of at most 4 pixels as a window reports a fast drag.
void DragVertically(IGraphics* graphics, int x, int y, int dY, IMouseMod mod)
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
} // namespace

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

// ---- Wheel and double click ------------------------------------------------------

TEST(IControl, AWheelNotchMovesTheValueByAHundredthOrAThousandthWithAModifier)
{
  struct Case
  {
    IMouseMod mod;
    int notches;
    double start, end;
  };
  const Case cases[] = {
      {kLeft, 1, 0.5, 0.51},        {kLeft, -3, 0.5, 0.47}, {kLeftCtrl, 1, 0.5, 0.501},
      {kLeftShift, -2, 0.5, 0.498}, {kLeft, 1, 0.995, 1.0}, {kLeft, -1, 0.004, 0.0},
  };
  for (const Case& c : cases)
  {
    Editor editor;
    const IBitmap bitmap(nullptr, 64, 64 * 30, 30);
    IControl* knob =
        editor.Add(new IKnobMultiControl(&editor.plug, 0, 0, EditorPlug::kKnob, &bitmap));
    editor.Attach();
    editor.graphics->SetControlFromPlug(0, c.start);
    IMouseMod mod = c.mod;
    editor.graphics->OnMouseWheel(10, 10, &mod, c.notches);
    EXPECT_NEAR(c.end, knob->GetValue(), 1e-12) << c.start << " " << c.notches;
    ASSERT_EQ(1u, editor.plug.mAutomation.size());
    EXPECT_NEAR(c.end, editor.plug.mAutomation[0].second, 1e-12);
    // Each notch comes inside a gesture of its own, as every change the
    // editor makes does.
    EXPECT_EQ((std::vector<std::string>{"begin " + std::to_string(EditorPlug::kKnob),
                                        "automate " + std::to_string(EditorPlug::kKnob),
                                        "end " + std::to_string(EditorPlug::kKnob)}),
              editor.plug.mHostCalls);
  }
}

// The control keeps its own unrounded value; the parameter rounds to the
// nearest of its nine values, so it steps once every 0.125 of travel.
TEST(IControl, WheelNotchesOnANineValueParameterStepItEveryEighth)
{
  Editor editor;
  const IBitmap bitmap(nullptr, 40, 40 * 9, 9);
  IControl* knob =
      editor.Add(new IKnobMultiControl(&editor.plug, 0, 0, EditorPlug::kNine, &bitmap));
  editor.Attach();
  editor.graphics->SetParameterFromPlug(EditorPlug::kNine, 1.0, false);
  std::vector<int> stepsAt;
  int last = 1;
  for (int notch = 1; notch <= 25; ++notch)
  {
    editor.graphics->OnMouseWheel(5, 5, nullptr, 1);
    const int now = editor.plug.GetParam(EditorPlug::kNine)->Int();
    if (now != last)
    {
      stepsAt.push_back(notch);
      last = now;
    }
  }
  EXPECT_NEAR(0.25, knob->GetValue(), 1e-9);
  EXPECT_EQ(3, last);
  EXPECT_EQ((std::vector<int>{7, 19}), stepsAt); // past 0.0625 and 0.1875
}

TEST(IControl, ADoubleClickRestoresTheFirstValueThePlugInGave)
{
  Editor editor;
  const IBitmap bitmap(nullptr, 64, 64 * 30, 30);
  IControl* knob =
      editor.Add(new IKnobMultiControl(&editor.plug, 0, 0, EditorPlug::kKnob, &bitmap));
  editor.Attach(); // the parameter's 0.5 becomes the knob's default
  DragVertically(editor.graphics, 10, 40, -64, kLeft);
  EXPECT_NEAR(0.75, knob->GetValue(), 1e-9);
  editor.graphics->SetParameterFromPlug(EditorPlug::kKnob, 0.9, true); // later values do not
  editor.plug.Forget();
  IMouseMod mod = kLeft;
  editor.graphics->OnMouseDblClick(10, 10, &mod);
  editor.graphics->OnMouseUp(10, 10, &mod);
  EXPECT_EQ(0.5, knob->GetValue());
  EXPECT_EQ(0.5, editor.ParamValue(EditorPlug::kKnob));
  ASSERT_EQ(1u, editor.plug.mAutomation.size());
}

TEST(IControl, ADoubleClickBeforeAnyValueFromThePlugInDoesNothing)
{
  Editor editor;
  editor.Attach();
  const IBitmap bitmap(nullptr, 64, 64 * 30, 30);
  IControl* knob =
      editor.Add(new IKnobMultiControl(&editor.plug, 0, 0, EditorPlug::kKnob, &bitmap));
  IMouseMod mod = kLeft;
  editor.graphics->OnMouseDblClick(10, 10, &mod);
  editor.graphics->OnMouseUp(10, 10, &mod);
  EXPECT_EQ(0.0, knob->GetValue());
  // The gesture a double click opens, with no value in it.
  EXPECT_TRUE(editor.plug.mAutomation.empty());
  EXPECT_TRUE(editor.plug.mParamChanges.empty());
  EXPECT_EQ("", editor.plug.UnbracketedCall());
}

// Each kind of control double-clicked as the window reports it (down, up,
// double click, up): every value reaches the host between a begin and the
// end on its parameter, where a host recording by touch keeps it; a level
// switch's too, whose press opens no gesture.
TEST(IControl, EveryValueADoubleClickSetsComesInsideAGesture)
{
  const IBitmap bitmap(nullptr, 10, 20, 2); // frames of 10 x 10
  struct Case
  {
    const char* kind;
    IControl* (*make)(IPlugBase*, const IBitmap*);
    int param;
    double moved; // the value the plug-in hands in first (the default stays), or -1
    double after;
  };
  const Case cases[] = {
      {"knob",
       [](IPlugBase* plug, const IBitmap* b) -> IControl*
       { return new IKnobMultiControl(plug, 0, 0, EditorPlug::kKnob, b); },
       EditorPlug::kKnob, 0.9, 0.5},
      {"fader", // the click puts it at 1
       [](IPlugBase* plug, const IBitmap* b) -> IControl*
       { return new IFaderControl(plug, 0, 0, 50, EditorPlug::kKnob, b); },
       EditorPlug::kKnob, -1.0, 0.5},
      {"bitmap",
       [](IPlugBase* plug, const IBitmap* b) -> IControl*
       { return new IBitmapControl(plug, 0, 0, EditorPlug::kKnob, b); },
       EditorPlug::kKnob, 0.9, 0.5},
      {"switch",
       [](IPlugBase* plug, const IBitmap* b) -> IControl*
       { return new ISwitchControl(plug, 0, 0, EditorPlug::kSwitch, b); },
       EditorPlug::kSwitch, -1.0, 0.0},
      {"level switch",
       [](IPlugBase* plug, const IBitmap* b) -> IControl* {
         return new ILevelSwitchControl(plug, 0, 0, EditorPlug::kSwitch, EditorPlug::kKnob, b, 10);
       },
       EditorPlug::kSwitch, -1.0, 0.0},
      {"contact",
       [](IPlugBase* plug, const IBitmap* b) -> IControl*
       { return new IContactControl(plug, 0, 0, EditorPlug::kSwitch, b); },
       EditorPlug::kSwitch, -1.0, 0.0},
      {"invisible switch",
       [](IPlugBase* plug, const IBitmap*) -> IControl*
       { return new IInvisibleSwitchControl(plug, IRECT(0, 0, 10, 10), EditorPlug::kSwitch); },
       EditorPlug::kSwitch, -1.0, 0.0},
      {"radio buttons", // the click picks the first; the default is the second
       [](IPlugBase* plug, const IBitmap* b) -> IControl*
       {
         return new IRadioButtonsControl(plug, IRECT(0, 0, 30, 10), EditorPlug::kMode, 3, b,
                                         kHorizontal);
       },
       EditorPlug::kMode, -1.0, 0.5},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.kind);
    Editor editor;
    IControl* control = editor.Add(c.make(&editor.plug, &bitmap));
    editor.Attach();
    if (c.moved >= 0.0)
    {
      editor.graphics->SetParameterFromPlug(c.param, c.moved, true);
    }
    IMouseMod mod = kLeft;
    editor.Click(5, 5);
    const size_t afterClick = editor.plug.mAutomation.size();
    editor.graphics->OnMouseDblClick(5, 5, &mod);
    editor.graphics->OnMouseUp(5, 5, &mod);
    EXPECT_EQ("", editor.plug.UnbracketedCall());
    ASSERT_LT(afterClick, editor.plug.mAutomation.size()) << "the double click set nothing";
    EXPECT_EQ(c.param, editor.plug.mAutomation.back().first);
    EXPECT_DOUBLE_EQ(c.after, editor.plug.mAutomation.back().second);
    EXPECT_DOUBLE_EQ(c.after, control->GetValue());
  }
}

// A typed value is a gesture on the control's parameter, also on a control
// whose press opens none.
TEST(ILevelSwitchControl, ATypedValueComesInsideAGesture)
{
  Editor editor;
  const IBitmap bitmap(nullptr, 10, 20, 2);
  IControl* key = editor.Add(new ILevelSwitchControl(&editor.plug, 0, 0, EditorPlug::kSwitch,
                                                     EditorPlug::kKnob, &bitmap, 10));
  editor.Attach();
  editor.graphics->CommitTextEntry(key, editor.plug.GetParam(EditorPlug::kSwitch), "on");
  EXPECT_EQ((std::vector<std::string>{"begin 1", "automate 1", "end 1"}), editor.plug.mHostCalls);
}

// ---- Values from the plug-in ------------------------------------------------------

TEST(IControl, AValueFromThePlugInIsDrawnEvenWhenItIsTheFirstAndTheControlWasDrawnBefore)
{
  Editor editor;
  auto pictures = MakeFrames(18, 18, 2);
  const IBitmap led = FramesRecord(pictures.get(), 2);
  IControl* control = editor.Add(new IBitmapControl(&editor.plug, 0, 0, kLedTag, &led));
  editor.Attach();
  EXPECT_TRUE(editor.graphics->Tick()); // drawn dark
  EXPECT_EQ(0, FrameAt(editor.graphics->Pixel(9, 9), 2));
  EXPECT_FALSE(editor.graphics->Tick());
  editor.graphics->SetControlFromPlug(0, 1.0); // the idle hook lights it
  EXPECT_TRUE(control->IsDirty());
  editor.graphics->Tick();
  EXPECT_EQ(1, FrameAt(editor.graphics->Pixel(9, 9), 2));
  // The same value again changes nothing.
  while (editor.graphics->Tick())
  {
  }
  editor.graphics->SetControlFromPlug(0, 1.0);
  EXPECT_FALSE(control->IsDirty());
  // Nor does a number that is not one.
  editor.graphics->SetControlFromPlug(0, std::nan(""));
  EXPECT_FALSE(control->IsDirty());
  EXPECT_EQ(1.0, control->GetValue());
}

TEST(IControl, RealValuesFromThePlugInAreNormalizedThroughTheParameter)
{
  Editor editor;
  const IBitmap bitmap(nullptr, 64, 64 * 30, 30);
  IControl* gain =
      editor.Add(new IKnobMultiControl(&editor.plug, 0, 0, EditorPlug::kGain, &bitmap));
  editor.Attach();
  editor.graphics->SetParameterFromPlug(EditorPlug::kGain, 0.5, false);
  EXPECT_DOUBLE_EQ(editor.plug.GetParam(EditorPlug::kGain)->GetNormalized(0.5), gain->GetValue());
  EXPECT_NE(0.25, gain->GetValue()); // the curve, not a straight line
  EXPECT_TRUE(editor.plug.HeardNothing());
}

TEST(IControl, ClampBoundsTheValuesTheUserGives)
{
  Editor editor(300, 600);
  const IBitmap bitmap(nullptr, 64, 64 * 30, 30);
  IControl* knob =
      editor.Add(new IKnobMultiControl(&editor.plug, 0, 300, EditorPlug::kKnob, &bitmap));
  IControl* gain =
      editor.Add(new IKnobMultiControl(&editor.plug, 100, 300, EditorPlug::kGain, &bitmap));
  editor.Attach();
  editor.graphics->ClampControl(EditorPlug::kKnob, 0.2, 0.4, true);
  editor.graphics->ClampControl(EditorPlug::kGain, 0.5, 1.0, false);
  DragVertically(editor.graphics, 10, 310, -300, kLeft);
  EXPECT_EQ(0.4, knob->GetValue());
  DragVertically(editor.graphics, 10, 310, 300, kLeft);
  EXPECT_EQ(0.2, knob->GetValue());
  DragVertically(editor.graphics, 110, 310, 300, kLeft);
  EXPECT_DOUBLE_EQ(editor.plug.GetParam(EditorPlug::kGain)->GetNormalized(0.5), gain->GetValue());
}

TEST(IControl, HidingMarksDirtyAndKeepsTheValue)
{
  Editor editor;
  const IBitmap bitmap(nullptr, 64, 64 * 30, 30);
  IControl* knob =
      editor.Add(new IKnobMultiControl(&editor.plug, 0, 0, EditorPlug::kKnob, &bitmap));
  editor.Attach();
  while (editor.graphics->Tick())
  {
  }
  editor.graphics->HideControl(EditorPlug::kKnob, true);
  EXPECT_TRUE(knob->IsHidden());
  EXPECT_TRUE(knob->IsDirty());
  EXPECT_EQ(0.5, knob->GetValue());
  editor.graphics->GrayOutControl(EditorPlug::kKnob, true);
  EXPECT_TRUE(knob->IsGrayed());
  EXPECT_FLOAT_EQ(GRAYED_ALPHA, knob->GetBlend().mWeight);
  editor.graphics->GrayOutControl(EditorPlug::kKnob, false);
  EXPECT_FLOAT_EQ(1.0f, knob->GetBlend().mWeight);
  EXPECT_TRUE(editor.plug.HeardNothing());
}

TEST(IControl, AuxiliaryParametersFollowThePlugInAndPushTogether)
{
  Editor editor;
  const IBitmap bitmap(nullptr, 64, 64 * 30, 30);
  IControl* knob =
      editor.Add(new IKnobMultiControl(&editor.plug, 0, 0, EditorPlug::kKnob, &bitmap));
  knob->AddAuxParam(EditorPlug::kSwitch);
  knob->AddAuxParam(kLedTag); // names no parameter: never pushed
  EXPECT_EQ(0, knob->AuxParamIdx(EditorPlug::kSwitch));
  EXPECT_EQ(-1, knob->AuxParamIdx(EditorPlug::kMode));
  EXPECT_EQ(nullptr, knob->GetAuxParam(2));
  editor.Attach();
  while (editor.graphics->Tick())
  {
  }
  editor.graphics->SetParameterFromPlug(EditorPlug::kSwitch, 1.0, true);
  EXPECT_EQ(1.0, knob->GetAuxParam(0)->mValue.load());
  EXPECT_EQ(0.5, knob->GetValue());
  EXPECT_TRUE(knob->IsDirty());
  knob->SetAllAuxParamsFromGUI();
  ASSERT_EQ(1u, editor.plug.mAutomation.size());
  EXPECT_EQ(EditorPlug::kSwitch, editor.plug.mAutomation[0].first);
}

// ---- Prompts ------------------------------------------------------------------------

TEST(IControl, ARightClickDoesNothingWhilePromptingIsDisabled)
{
  Editor editor;
  const IBitmap bitmap(nullptr, 64, 64 * 30, 30);
  editor.Add(new IKnobMultiControl(&editor.plug, 0, 0, EditorPlug::kMode, &bitmap));
  editor.Add(new IKnobMultiControl(&editor.plug, 100, 0, EditorPlug::kKnob, &bitmap));
  editor.Attach();
  editor.Click(10, 10, kRight);
  editor.Click(110, 10, kRight);
  EXPECT_TRUE(editor.graphics->mMenus.empty());
  EXPECT_TRUE(editor.graphics->mTextEntries.empty());
  EXPECT_TRUE(editor.plug.mAutomation.empty());
  EXPECT_EQ(1.0, editor.ParamValue(EditorPlug::kMode));
}

TEST(IControl, ARightClickWithPromptingOffersTheDisplayTextsOrATextEntry)
{
  Editor editor;
  const IBitmap bitmap(nullptr, 64, 64 * 30, 30);
  IControl* mode =
      editor.Add(new IKnobMultiControl(&editor.plug, 0, 0, EditorPlug::kMode, &bitmap));
  IControl* knob =
      editor.Add(new IKnobMultiControl(&editor.plug, 100, 20, EditorPlug::kKnob, &bitmap));
  mode->DisablePrompt(false);
  knob->DisablePrompt(false);
  editor.Attach();

  // "Hard" is current; the user picks "Auto".
  editor.graphics->mMenuChoice = 2;
  editor.Click(10, 10, kRight);
  ASSERT_EQ(1u, editor.graphics->mMenus.size());
  EXPECT_EQ((std::vector<std::string>{"Soft", "Hard", "Auto"}), editor.graphics->mMenus[0].texts);
  EXPECT_EQ((std::vector<bool>{false, true, false}), editor.graphics->mMenus[0].checked);
  EXPECT_EQ(editor.plug.GetParam(EditorPlug::kMode)->GetNormalized(2), mode->GetValue());
  EXPECT_EQ(2.0, editor.ParamValue(EditorPlug::kMode));

  // A dismissed menu changes nothing.
  editor.graphics->mMenuChoice = -1;
  editor.plug.Forget();
  editor.Click(10, 10, kRight);
  EXPECT_EQ(2.0, editor.ParamValue(EditorPlug::kMode));
  EXPECT_TRUE(editor.plug.mAutomation.empty());

  // A number is typed into a 30 x 16 box in the control's middle.
  editor.Click(110, 30, kRight);
  ASSERT_EQ(1u, editor.graphics->mTextEntries.size());
  EXPECT_EQ("0", editor.graphics->mTextEntries[0].substr(0, 1));
  EXPECT_EQ(IRECT(117, 44, 147, 60), editor.graphics->mTextEntryRects[0]);
}

// A prompt may take the button's release away from the window (a modal
// menu eats it; a text box takes the focus): the host must still get an end
// for every begin, and a typed value must arrive inside a gesture of its own.
TEST(IControl, APromptsGesturesAreBracketedWithoutTheRelease)
{
  Editor editor;
  const IBitmap bitmap(nullptr, 64, 64 * 30, 30);
  IControl* mode =
      editor.Add(new IKnobMultiControl(&editor.plug, 0, 0, EditorPlug::kMode, &bitmap));
  IControl* gain =
      editor.Add(new IKnobMultiControl(&editor.plug, 100, 20, EditorPlug::kGain, &bitmap));
  mode->DisablePrompt(false);
  gain->DisablePrompt(false);
  editor.Attach();
  IMouseMod right = kRight;

  editor.graphics->mMenuChoice = 2;
  editor.graphics->OnMouseDown(10, 10, &right); // no release follows
  EXPECT_EQ(std::vector<int>{EditorPlug::kMode}, editor.plug.mBeginEdits);
  EXPECT_EQ(std::vector<int>{EditorPlug::kMode}, editor.plug.mEndEdits) << "ends with the choice";
  EXPECT_EQ(1u, editor.plug.mAutomation.size());

  editor.plug.Forget();
  editor.graphics->OnMouseDown(110, 30, &right);
  ASSERT_EQ(1u, editor.graphics->mTextEntries.size());
  EXPECT_EQ(editor.plug.mBeginEdits, editor.plug.mEndEdits) << "the press's gesture is closed";
  EXPECT_TRUE(editor.plug.mAutomation.empty());
  editor.plug.Forget();
  editor.graphics->CommitTextEntry(gain, editor.plug.GetParam(EditorPlug::kGain), "1.5");
  EXPECT_EQ(std::vector<int>{EditorPlug::kGain}, editor.plug.mBeginEdits);
  EXPECT_EQ(std::vector<int>{EditorPlug::kGain}, editor.plug.mEndEdits);
  EXPECT_NEAR(1.5, editor.ParamValue(EditorPlug::kGain), 1e-9);
}

// What a platform's text box commits becomes the parameter's value the way
// the parameter displays it, as a host's text would; a text the parameter
// does not take leaves it at its value (the defaults: Hard, gain 1, off),
// never at its minimum. A value a display text shows ("on") is taken by
// that text only.
TEST(IGraphics, ACommittedTextBecomesTheParametersValue)
{
  struct Case
  {
    int param;
    const char* text;
    double value;
  };
  const Case cases[] = {
      {EditorPlug::kMode, "Auto", 2.0},  {EditorPlug::kMode, "Loud", 1.0},
      {EditorPlug::kNine, "7", 7.0},     {EditorPlug::kGain, "0.5", 0.5},
      {EditorPlug::kGain, "junk", 1.0},  {EditorPlug::kGain, "", 1.0},
      {EditorPlug::kSwitch, "1", 0.0},   {EditorPlug::kSwitch, "on", 1.0},
      {EditorPlug::kKnob, "0.25", 0.25}, {EditorPlug::kGain, "0.5 x", 0.5},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(std::string(c.text) + " for parameter " + std::to_string(c.param));
    Editor editor;
    const IBitmap bitmap(nullptr, 64, 64 * 30, 30);
    IControl* control = editor.Add(new IKnobMultiControl(&editor.plug, 0, 0, c.param, &bitmap));
    editor.Attach();
    editor.graphics->CommitTextEntry(control, editor.plug.GetParam(c.param), c.text);
    EXPECT_DOUBLE_EQ(c.value, editor.ParamValue(c.param));
  }
}

// ---- Controls whose index names no parameter --------------------------------------

// The step LEDs carry tags beyond the plug-in's parameters. Whatever the
// input, nothing reaches the parameter store or the host.
TEST(IControl, AControlWhoseIndexIsNoParameterKeepsEveryInputToItself)
{
  enum Path
  {
    kClick,
    kRightClick,
    kDrag,
    kWheel,
    kDoubleClick,
    kKey
  };
  const char* names[] = {"click", "right click", "drag", "wheel", "double click", "key"};
  enum Kind
  {
    kLedBitmap,
    kSwitch,
    kKnob,
    kContact
  };
  const char* kinds[] = {"bitmap", "switch", "knob", "contact"};
  for (int kind = kLedBitmap; kind <= kContact; ++kind)
  {
    for (int path = kClick; path <= kKey; ++path)
    {
      SCOPED_TRACE(std::string(kinds[kind]) + ", " + names[path]);
      Editor editor;
      const IColor black = COLOR_BLACK;
      editor.graphics->AttachPanelBackground(&black);
      const IBitmap bitmap(nullptr, 18, 36, 2);
      IControl* control = nullptr;
      switch (kind)
      {
      case kLedBitmap:
        control = new IBitmapControl(&editor.plug, 0, 0, kLedTag, &bitmap);
        break;
      case kSwitch:
        control = new ISwitchControl(&editor.plug, 0, 0, kLedTag, &bitmap);
        break;
      case kKnob:
        control = new IKnobMultiControl(&editor.plug, 0, 0, kLedTag, &bitmap);
        break;
      case kContact:
        control = new IContactControl(&editor.plug, 0, 0, kLedTag, &bitmap);
        break;
      }
      control->DisablePrompt(false);
      editor.Add(control);
      editor.Attach();
      // The idle hook lit it, so a double click has a value to restore.
      editor.graphics->SetControlFromPlug(1, 1.0);
      editor.graphics->SetControlFromPlug(1, 0.0);
      const std::vector<double> before = {editor.ParamValue(0), editor.ParamValue(1),
                                          editor.ParamValue(2), editor.ParamValue(3),
                                          editor.ParamValue(4)};
      IMouseMod mod = kLeft;
      switch (path)
      {
      case kClick:
        editor.Click(5, 5);
        break;
      case kRightClick:
        editor.Click(5, 5, kRight);
        break;
      case kDrag:
        DragVertically(editor.graphics, 5, 10, -8, kLeft);
        break;
      case kWheel:
        editor.graphics->OnMouseWheel(5, 5, &mod, 3);
        break;
      case kDoubleClick:
        editor.graphics->OnMouseDblClick(5, 5, &mod);
        editor.graphics->OnMouseUp(5, 5, &mod);
        break;
      case kKey:
        EXPECT_FALSE(editor.graphics->OnKeyDown(5, 5, 1));
        break;
      }
      EXPECT_TRUE(editor.plug.HeardNothing());
      const std::vector<double> after = {editor.ParamValue(0), editor.ParamValue(1),
                                         editor.ParamValue(2), editor.ParamValue(3),
                                         editor.ParamValue(4)};
      EXPECT_EQ(before, after);
      EXPECT_TRUE(editor.graphics->mMenus.empty());
      EXPECT_TRUE(editor.graphics->mTextEntries.empty());
    }
  }
}

TEST(IGraphics, AnIndexThatNamesNoParameterIsIgnoredWhenValuesAndBoundsComeIn)
{
  Editor editor;
  const IBitmap bitmap(nullptr, 18, 36, 2);
  IControl* led = editor.Add(new IBitmapControl(&editor.plug, 0, 0, kLedTag, &bitmap));
  editor.Attach();
  editor.graphics->SetControlFromPlug(0, 0.3);
  editor.graphics->SetParameterFromPlug(kLedTag, 1.0, true);
  editor.graphics->SetParameterFromPlug(kLedTag, 5.0, false);
  editor.graphics->SetParameterFromPlug(-1, 1.0, false);
  EXPECT_EQ(0.3, led->GetValue());
  editor.graphics->ClampControl(kLedTag, 0.5, 0.6, false);
  editor.graphics->ClampControl(kLedTag, 0.5, 0.6, true);
  led->SetDirty(false);
  EXPECT_EQ(0.3, led->GetValue()); // not clamped
  // Control indices out of range are ignored too.
  for (int idx : {-1, 1, 1000})
  {
    editor.graphics->SetControlFromPlug(idx, 1.0);
  }
  EXPECT_EQ(0.3, led->GetValue());
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
