// What controls hand the plug-in and the host, and what they take from it:
// the wheel and the double click, values from the plug-in, prompts and
// typed values, and controls whose index names no parameter.

#include "EditorFixtures.h"

#include <gtest/gtest.h>

#include <cmath>

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
