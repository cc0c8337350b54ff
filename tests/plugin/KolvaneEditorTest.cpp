// Kolvane's editor as a user and a host see it: a Kolvane instance driven by
// the project's host library, with its editor drawing into memory and the
// mouse and keys reaching it the way the window hands them on. What the host
// records (begin, automate, end) is what a DAW would write as automation.

#include "GoldenImage.h"
#include "IControl.h"
#include "IEditorScale.h"
#include "IGraphics.h"
#include "IPlugVST.h"
#include "Kolvane.h"
#include "PluginInstance.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#if defined(__linux__)
#include <malloc.h>
#endif

// The C library's heap figures count this program's allocations, unless a
// sanitizer's allocator stands in for it.
#if defined(__linux__) && !defined(__SANITIZE_ADDRESS__)
#define KOLVANE_GLIBC_HEAP 1
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#undef KOLVANE_GLIBC_HEAP
#endif
#endif
#endif

using vsthost::ChunkType;
using vsthost::HostCall;
using vsthost::PluginInstance;
using vsthost::PluginModule;

namespace
{
AEffect* VSTCALLBACK KolvaneInProcess(audioMasterCallback host)
{
  return VST2EntryPoint<Kolvane>(host);
}

std::shared_ptr<PluginModule> KolvaneModule()
{
  return PluginModule::InProcess(KolvaneInProcess, "Kolvane (in process)");
}

// The centre of a parameter's control, where a user grabs it.
struct Point
{
  int x, y;
};

Point centreOf(int param)
{
  const EditorControl c = GetEditorControl(kNumStepLeds + param);
  const PictureProperties* p = FindPicture(c.picture);
  return {c.x + p->width / 2, c.y + p->FrameHeight() / 2};
}

class KolvaneEditorTest : public ::testing::Test
{
protected:
  void SetUp() override { open(); }

  // A new instance in place of the test's.
  void open()
  {
    std::string error;
    instance = PluginInstance::Open(KolvaneModule(), vsthost::HostSettings(), &error);
    ASSERT_NE(nullptr, instance) << error;
    plug = VST2PlugOf<Kolvane>(instance->Effect());
    graphics = static_cast<IGraphics*>(VST2EditorOf(instance->Effect()));
    ASSERT_NE(nullptr, graphics);
    instance->ClearHostCalls();
  }

  // One timer tick of the window: the dirty check, then the drawing pass.
  bool tick()
  {
    IRECT dirty;
    if (!graphics->IsDirty(&dirty))
    {
      return false;
    }
    graphics->Draw(&dirty);
    return true;
  }
  // Ticks until nothing is dirty, then draws the whole editor, as a window
  // does when it is first shown.
  LICE_IBitmap* drawAll()
  {
    for (int i = 0; i < 10 && tick(); ++i)
    {
    }
    IRECT all(0, 0, graphics->Width(), graphics->Height());
    graphics->Draw(&all);
    return graphics->GetDrawBitmap();
  }

  // Where a point of the layout is on the screen at the editor's scale.
  Point onScreen(Point at) const { return {graphics->ToPixels(at.x), graphics->ToPixels(at.y)}; }

  void click(Point at, IMouseMod mod = IMouseMod(true))
  {
    graphics->OnMouseDown(at.x, at.y, &mod);
    graphics->OnMouseUp(at.x, at.y, &mod);
  }
  // A drag of dy pixels in steps of 4, as a mouse sends it.
  void drag(Point from, int dy, IMouseMod mod = IMouseMod(true))
  {
    graphics->OnMouseDown(from.x, from.y, &mod);
    const int step = dy < 0 ? -4 : 4;
    for (int moved = step; std::abs(moved) <= std::abs(dy); moved += step)
    {
      graphics->OnMouseDrag(from.x, from.y + moved, &mod);
    }
    graphics->OnMouseUp(from.x, from.y + dy, &mod);
  }

  std::vector<float> parameters()
  {
    std::vector<float> values;
    for (int i = 0; i < kNumParams; ++i)
    {
      values.push_back(instance->GetParameter(i));
    }
    return values;
  }

  // Renders n frames of a constant input from the song start at 120 BPM;
  // returns the left output.
  std::vector<double> render(int n, double input = 1.0)
  {
    instance->EditTransport(
        [](vsthost::Transport& t)
        {
          t.Locate(0.0);
          t.SetTempo(120.0);
          t.SetPlaying(true);
        });
    std::vector<double> in(512, input), outL(static_cast<size_t>(n)), outR(512);
    for (int done = 0; done < n; done += 512)
    {
      double* ins[] = {in.data(), in.data()};
      double* outs[] = {outL.data() + done, outR.data()};
      instance->ProcessDoubleReplacing(ins, outs, std::min(512, n - done));
    }
    return outL;
  }

  std::unique_ptr<PluginInstance> instance;
  Kolvane* plug = nullptr;
  IGraphics* graphics = nullptr;
};
} // namespace

// The editor of a new instance is the preview the artwork generator composed
// from the same pictures and the same table.
TEST_F(KolvaneEditorTest, NewEditorShowsThePreview)
{
  int attached = 0;
  for (int k = 0; k < kNumEditorControls; ++k)
  {
    attached += GetEditorControl(k).kind != kControlNone;
  }
  EXPECT_EQ(attached + 1, graphics->NControls()) << "background, LEDs, parameters' controls";
  EXPECT_NE(0, instance->Effect()->flags & effFlagsHasEditor) << "the window is offered";
  ExpectMatchesGolden(drawAll(), KOLVANE_PREVIEW_PNG, "kolvane_new_editor", false);
}

// The editor of a new instance at 150 and 200 % is the preview the
// generator composed at that scale: every picture from the scale's own set,
// at its place times the scale.
TEST_F(KolvaneEditorTest, NewEditorShowsThePreviewOfEachScale)
{
  for (double scale : {1.5, 2.0})
  {
    SCOPED_TRACE(scale);
    graphics->SetUserScale(scale);
    ASSERT_EQ(scale, graphics->GetScale());
    EXPECT_EQ(ScaledPixels(kEditorWidth, scale), graphics->Width());
    const std::string preview = ScaledPictureName(KOLVANE_PREVIEW_PNG, scale);
    ExpectMatchesGolden(drawAll(), preview, ScaledPictureName("kolvane_new_editor", scale), false);
  }
}

// The host moved several parameters, a step is playing (with these settings
// the seventh: nine short steps to the cycle) and "Push!!" is held: every
// control shows its own frame, and exactly that step's LED is lit; at each
// scale the same, from that scale's pictures.
TEST_F(KolvaneEditorTest, EditedEditorMatchesItsPictureAtEachScale)
{
  struct Setting
  {
    int param;
    float value;
  };
  const Setting settings[] = {
      {kFilterCutoff, 0.3f}, {kFilterResonance, 0.8f}, {kLFORate, 5.0f / 7.0f},
      {kLFOTriple, 1.0f},    {kFilterType, 1.0f},      {kLFOAmpType, 0.5f},
      {kStepSeq1, 0.0f},     {kStepSeq1 + 3, 1.0f},    {kStepSeq1 + 9, 1.0f},
      {kStepOnOff, 1.0f},    {kSeqNoteLen, 0.25f},     {kArpIntervall, 0.5f},
      {kArpSpeed, 1.0f},     {kDryWet, 0.0f},          {kAmplitudeRelease, 0.6f}};
  for (const Setting& s : settings)
  {
    instance->SetParameter(s.param, s.value);
  }
  instance->SetParameter(kStepOnOff, 0.0f); // back to step mode to play the steps
  render(3 * 5512 + 100);
  instance->Dispatch(effEditIdle);
  ASSERT_EQ(6, plug->engine().displayedStep());
  instance->SetParameter(kStepOnOff, 1.0f);
  for (double scale : kEditorScales)
  {
    SCOPED_TRACE(scale);
    graphics->SetUserScale(scale);
    IMouseMod left(true);
    const Point push = onScreen(centreOf(kPush));
    graphics->OnMouseDown(push.x, push.y, &left); // held
    ExpectMatchesGolden(drawAll(),
                        std::string(KOLVANE_GOLDEN_DIR) + "/" +
                            ScaledPictureName("kolvane_edited.png", scale),
                        ScaledPictureName("kolvane_edited", scale));
    graphics->OnMouseUp(push.x, push.y, &left);
  }
}

// At 150 and 200 % the mouse works in pixels and the editor in layout
// units: a cutoff drag of 128 units (256 pixels at 200 %) still moves half
// the range, a click anywhere on a step key toggles the step, and the LED
// of the playing step lights in that scale's picture.
TEST_F(KolvaneEditorTest, AtEachScaleDragsClicksAndLedsWorkInLayoutUnits)
{
  for (double scale : {1.5, 2.0})
  {
    SCOPED_TRACE(scale);
    open();
    graphics->SetUserScale(scale);
    drag(onScreen(centreOf(kFilterCutoff)), ScaledPixels(128, scale));
    EXPECT_NEAR(0.5, instance->GetParameter(kFilterCutoff), 1e-6);
    const std::vector<HostCall> calls = instance->TakeHostCalls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(HostCall::beginEdit(kFilterCutoff), calls.front());
    EXPECT_EQ(HostCall::endEdit(kFilterCutoff), calls.back());

    // The step key's last pixel row and column still belong to it.
    const EditorControl key = GetEditorControl(kNumStepLeds + kStepSeq1 + 3);
    const IRECT keyPixels =
        graphics->ToPixels(*graphics->GetControl(17 + kStepSeq1 + 3)->GetRECT());
    EXPECT_EQ(graphics->ToPixels(key.x), keyPixels.L);
    click({keyPixels.R - 1, keyPixels.B - 1});
    EXPECT_EQ(1.0f, instance->GetParameter(kStepSeq1 + 3));
    EXPECT_TRUE(plug->engine().stepOn(3));

    render(3 * 5512 + 100);
    ASSERT_EQ(3, plug->engine().displayedStep());
    instance->Dispatch(effEditIdle);
    LICE_IBitmap* drawn = drawAll();
    std::unique_ptr<LICE_IBitmap> led(
        LICE_LoadPNGFromResource(nullptr, ScaledPictureId(kPictureLed, scale)));
    ASSERT_NE(nullptr, led);
    const int frame = led->getHeight() / 2;
    for (int k : {2, 3})
    {
      // The middle of the LED is opaque in both frames.
      const EditorControl c = GetEditorControl(k);
      const int x = graphics->ToPixels(c.x), y = graphics->ToPixels(c.y);
      const int mid = led->getWidth() / 2;
      EXPECT_EQ(LICE_GetPixel(led.get(), mid, (k == 3 ? frame : 0) + mid),
                LICE_GetPixel(drawn, x + mid, y + mid))
          << "LED " << k + 1 << (k == 3 ? " lit" : " dark");
    }
  }
}

// The host's content scale (effVendorSpecific 'PreS' 'AeCs', the scale in
// opt) sizes the editor and the rectangle the host reads, as the nearest of
// the three; the user's choice stays over it.
TEST_F(KolvaneEditorTest, TheHostsContentScaleSizesTheEditor)
{
  const VstInt32 kPreS = 0x50726553;
  const VstIntPtr kAeCs = 0x41654373;
  struct Case
  {
    float hostScale;
    int width, height;
  };
  const Case cases[] = {{2.0f, 1328, 944}, {1.5f, 996, 708}, {1.0f, 664, 472}, {1.8f, 1328, 944}};
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.hostScale);
    EXPECT_EQ(1, instance->VendorSpecific(kPreS, kAeCs, nullptr, c.hostScale));
    const std::optional<ERect> rect = instance->EditRect();
    ASSERT_TRUE(rect);
    EXPECT_EQ(c.width, rect->right - rect->left);
    EXPECT_EQ(c.height, rect->bottom - rect->top);
  }
  EXPECT_EQ(0, instance->VendorSpecific(kPreS, 0, nullptr, 2.0f)) << "not the scale call";
  graphics->SetUserScale(1.5);
  instance->VendorSpecific(kPreS, kAeCs, nullptr, 1.0f);
  EXPECT_EQ(1.5, graphics->GetScale()) << "the user chose";
}

// The user's size is part of the chunks a project keeps: a round trip
// through a program or a bank chunk brings it back; a chunk from before
// (no trailer) loads every parameter at 100 %; and a reader that knows
// only the parameters, as today's plug-in does, reads every one of them
// from a chunk with the trailer and stops where the trailer begins.
TEST_F(KolvaneEditorTest, TheUsersSizeTravelsInTheChunks)
{
  instance->SetParameter(kFilterCutoff, 0.25f);
  instance->SetParameter(kStepSeq1 + 5, 0.0f);
  std::vector<unsigned char> before;
  // The chunk header, every value and the state's closing mark.
  const VstIntPtr stateBytes = 8 + 8 * kNumParams + 12;
  ASSERT_EQ(stateBytes, instance->GetChunk(ChunkType::Program, &before))
      << "no size chosen: the chunk is what it always was";
  graphics->SetUserScale(2.0);
  for (ChunkType type : {ChunkType::Program, ChunkType::Bank})
  {
    std::vector<unsigned char> chunk;
    instance->GetChunk(type, &chunk);
    auto fresh = PluginInstance::Open(KolvaneModule());
    ASSERT_NE(nullptr, fresh);
    ASSERT_EQ(1, fresh->SetChunk(type, chunk));
    IGraphics* freshEditor = static_cast<IGraphics*>(VST2EditorOf(fresh->Effect()));
    EXPECT_EQ(2.0, freshEditor->GetScale());
    EXPECT_EQ(1328, fresh->EditRect()->right);
    EXPECT_EQ(0.25f, fresh->GetParameter(kFilterCutoff));
    EXPECT_EQ(0.0f, fresh->GetParameter(kStepSeq1 + 5));
  }

  auto old = PluginInstance::Open(KolvaneModule());
  ASSERT_NE(nullptr, old);
  ASSERT_EQ(1, old->SetChunk(ChunkType::Program, before));
  EXPECT_EQ(664, old->EditRect()->right) << "100 %";
  EXPECT_EQ(0.25f, old->GetParameter(kFilterCutoff));

  std::vector<unsigned char> program;
  const VstIntPtr size = instance->GetChunk(ChunkType::Program, &program);
  ASSERT_EQ(stateBytes + 16, size);
  ByteChunk chunk;
  chunk.PutBytes(program.data(), static_cast<int>(program.size()));
  Kolvane reader; // the state only, as before the trailer
  int pos = 0;
  EXPECT_EQ(IPLUG_CHUNK_VERSION, GetIPlugVerFromChunk(&chunk, &pos));
  EXPECT_EQ(stateBytes, reader.UnserializeState(&chunk, pos));
  for (int i = 0; i < kNumParams; ++i)
  {
    EXPECT_EQ(plug->GetParam(i)->Value(), reader.GetParam(i)->Value()) << "parameter " << i;
  }
}

// Each instance holds its back buffer at its scale; the pictures of a scale
// are shared by every editor at that scale, and only the scales in use are
// kept: moving to 200 % and back gives the memory back.
TEST_F(KolvaneEditorTest, OnlyTheCurrentScalesPicturesAndBackBufferAreHeld)
{
#if !defined(KOLVANE_GLIBC_HEAP)
  GTEST_SKIP() << "no heap figures of the C library here";
#else
  // Whatever earlier editors left in the cache goes with the first change.
  graphics->SetUserScale(2.0);
  graphics->SetUserScale(1.0);
  auto heap = [] { return static_cast<double>(mallinfo2().uordblks); };
  // The raster library allocates a picture with a quarter to spare.
  auto picturesAt = [](double scale)
  {
    double bytes = 0;
    for (const PictureProperties& p : pictureProperties)
    {
      bytes += 1.25 * 4.0 * ScaledPixels(p.width, scale) * ScaledPixels(p.FrameHeight(), scale) *
               p.frames;
    }
    return bytes;
  };
  auto backBufferAt = [](double scale)
  { return 4.0 * ScaledPixels(kEditorWidth, scale) * ScaledPixels(kEditorHeight, scale); };
  const double alone = heap();
  std::printf("pictures shared by the editors at a scale, and what each instance adds:\n");
  double perInstanceAt1 = 0.0;
  for (double scale : kEditorScales)
  {
    graphics->SetUserScale(scale);
    auto second = PluginInstance::Open(KolvaneModule());
    ASSERT_NE(nullptr, second);
    static_cast<IGraphics*>(VST2EditorOf(second->Effect()))->SetUserScale(scale);
    const double both = heap();
    second.reset();
    const double perInstance = both - heap();
    std::printf("  %3d %%: pictures %6.0f KiB, an instance %6.0f KiB\n", EditorScalePercent(scale),
                picturesAt(scale) / 1024, perInstance / 1024);
    if (scale == 1.0)
    {
      perInstanceAt1 = perInstance;
    }
    EXPECT_NEAR(perInstanceAt1 + backBufferAt(scale) - backBufferAt(1.0), perInstance, 64.0 * 1024)
        << "an instance adds its back buffer at its scale, not pictures";
  }
  const double at2 = heap();
  graphics->SetUserScale(1.0);
  const double freed = at2 - heap();
  EXPECT_NEAR(picturesAt(2.0) - picturesAt(1.0) + backBufferAt(2.0) - backBufferAt(1.0), freed,
              0.05 * picturesAt(2.0))
      << "back at 100 %: the 200 % pictures and back buffer went, the 100 % ones came back";
  EXPECT_NEAR(alone, heap(), 64.0 * 1024);
#endif
}

// Dragging the cutoff knob, which starts at its maximum, down by 128 pixels
// (half its 256-pixel travel) is one gesture for the host: one begin, values
// that only fall, one end. With control held the knob moves ten times finer.
TEST_F(KolvaneEditorTest, KnobDragIsOneAutomationGesture)
{
  drag(centreOf(kFilterCutoff), 128);
  const std::vector<HostCall> calls = instance->TakeHostCalls();
  ASSERT_GE(calls.size(), 3u);
  EXPECT_EQ(HostCall::beginEdit(kFilterCutoff), calls.front());
  EXPECT_EQ(HostCall::endEdit(kFilterCutoff), calls.back());
  float last = 1.0f;
  for (size_t i = 1; i + 1 < calls.size(); ++i)
  {
    ASSERT_EQ(HostCall::Automate, calls[i].kind) << calls[i];
    EXPECT_EQ(kFilterCutoff, calls[i].index);
    EXPECT_LT(calls[i].value, last) << "falling";
    last = calls[i].value;
  }
  EXPECT_NEAR(0.5, instance->GetParameter(kFilterCutoff), 1e-6);

  drag(centreOf(kFilterCutoff), 128, IMouseMod(true, false, false, true));
  EXPECT_NEAR(0.45, instance->GetParameter(kFilterCutoff), 1e-6) << "control held: 1/10";
}

// Clicking step 4 turns it on at once: the sequencer plays it when it comes,
// its note-on restarting the envelope from the floor on the step's 20th
// sample, where without it the release of step 2 would still be sounding.
TEST_F(KolvaneEditorTest, StepButtonTogglesTheStepTheSequencerPlays)
{
  const int step4 = 3 * 5512; // 120 BPM at 44.1 kHz, sixteenth-note steps
  const std::vector<double> before = render(step4 + 100);
  EXPECT_GT(before[static_cast<size_t>(step4 + 19)], 1e-3) << "step 4 is off: release tail";

  click(centreOf(kStepSeq1 + 3));
  EXPECT_EQ(1.0f, instance->GetParameter(kStepSeq1 + 3));
  EXPECT_TRUE(plug->engine().stepOn(3));
  const std::vector<HostCall> expected = {HostCall::beginEdit(kStepSeq1 + 3),
                                          HostCall::automate(kStepSeq1 + 3, 1.0f),
                                          HostCall::endEdit(kStepSeq1 + 3)};
  EXPECT_EQ(expected, instance->TakeHostCalls());

  const std::vector<double> after = render(step4 + 100);
  EXPECT_GT(after[static_cast<size_t>(step4 + 18)], 1e-3);
  EXPECT_LT(after[static_cast<size_t>(step4 + 19)], 1e-3) << "the step's note-on";

  click(centreOf(kStepSeq1 + 3));
  EXPECT_EQ(0.0f, instance->GetParameter(kStepSeq1 + 3)) << "a second click turns it off";
}

// A vertical drag on a step key sets that step's level, in layout units at
// every scale: the key's 43 units cross the range, ten times that with
// control held, and a drag past the top stops at 1. The host sees one
// gesture on the level (begin, values, end) and nothing on the step, whose
// switch stays as it was, on or off; the engine plays the new level. A
// click, even one that wobbles by two units, still toggles the step, its
// gesture on the step.
TEST_F(KolvaneEditorTest, StepKeyDragSetsItsLevelAndAClickStillToggles)
{
  struct Case
  {
    int step;         // 0-based; steps 1, 2 and 6 are on in a new instance
    float startLevel; // normalized
    int dy;           // layout units, down; the drag moves 4 pixels at a time
    bool fine;
    double level;
  };
  const Case cases[] = {
      {0, 1.0f, 24, false, 1.0 - 24.0 / 43}, {6, 1.0f, 24, false, 1.0 - 24.0 / 43},
      {3, 0.25f, -88, false, 1.0},           {1, 0.5f, -16, false, 0.5 + 16.0 / 43},
      {5, 1.0f, 40, true, 1.0 - 40.0 / 430}, {15, 0.2f, 32, false, 0.0},
  };
  for (double scale : kEditorScales)
  {
    SCOPED_TRACE(scale);
    graphics->SetUserScale(scale);
    // A unit is scale pixels, and a drag's end at 150 % may fall a unit
    // short of the pixels moved.
    const double slack = scale == 1.0 ? 0.0015 : 1.0 / 43 + 0.0015;
    for (const Case& c : cases)
    {
      SCOPED_TRACE(c.step);
      const int step = kStepSeq1 + c.step, level = kStepLevel1 + c.step;
      instance->SetParameter(level, c.startLevel);
      const float on = instance->GetParameter(step);
      instance->ClearHostCalls();
      drag(onScreen(centreOf(step)), ScaledPixels(c.dy, scale),
           c.fine ? IMouseMod(true, false, false, true) : IMouseMod(true));
      const std::vector<HostCall> calls = instance->TakeHostCalls();
      ASSERT_GE(calls.size(), 3u);
      EXPECT_EQ(HostCall::beginEdit(level), calls.front());
      EXPECT_EQ(HostCall::endEdit(level), calls.back());
      for (size_t i = 1; i + 1 < calls.size(); ++i)
      {
        EXPECT_EQ(HostCall::automate(level, calls[i].value), calls[i]) << "only the level moves";
      }
      EXPECT_NEAR(c.level, instance->GetParameter(level), slack);
      EXPECT_NEAR(instance->GetParameter(level), plug->engine().stepLevel(c.step), 1e-6);
      EXPECT_EQ(on, instance->GetParameter(step)) << "the switch stays";
    }

    const int step4 = kStepSeq1 + 3;
    const Point key = onScreen(centreOf(step4));
    const float levelBefore = instance->GetParameter(kStepLevel1 + 3);
    IMouseMod left(true);
    graphics->OnMouseDown(key.x, key.y, &left);
    graphics->OnMouseDrag(key.x, key.y + ScaledPixels(2, scale), &left);
    graphics->OnMouseUp(key.x, key.y + ScaledPixels(2, scale), &left);
    EXPECT_EQ(1.0f, instance->GetParameter(step4)) << "a wobbling click toggles";
    const std::vector<HostCall> expected = {
        HostCall::beginEdit(step4), HostCall::automate(step4, 1.0f), HostCall::endEdit(step4)};
    EXPECT_EQ(expected, instance->TakeHostCalls());
    click(key);
    EXPECT_EQ(0.0f, instance->GetParameter(step4));
    EXPECT_EQ(levelBefore, instance->GetParameter(kStepLevel1 + 3));
    instance->ClearHostCalls();
  }
}

// A step's level shows as how much of its key, from the bottom up, wears
// the on look: at 0.5 the upper half of step 1's key is the off key's
// pixels (step 3's) and the lower half the full key's (step 2's, level 1),
// the split an even layout row so it is a whole pixel row at 150 %. An off
// step looks off whatever its level (step 10 beside step 11). The keys
// compared sit inside one plate, clear of its rounded corners.
TEST_F(KolvaneEditorTest, AStepsLevelIsTheFillOfItsKeyAtEachScale)
{
  instance->SetParameter(kStepLevel1, 0.5f);
  instance->SetParameter(kStepLevel1 + 9, 0.5f); // step 10, off
  for (double scale : kEditorScales)
  {
    SCOPED_TRACE(scale);
    graphics->SetUserScale(scale);
    LICE_IBitmap* drawn = drawAll();
    const EditorControl keys[] = {GetEditorControl(kNumStepLeds + kStepSeq1),
                                  GetEditorControl(kNumStepLeds + kStepSeq1 + 1),
                                  GetEditorControl(kNumStepLeds + kStepSeq1 + 2),
                                  GetEditorControl(kNumStepLeds + kStepSeq1 + 9),
                                  GetEditorControl(kNumStepLeds + kStepSeq1 + 10)};
    const PictureProperties* p = FindPicture(keys[0].picture);
    const int w = ScaledPixels(p->width, scale), h = ScaledPixels(p->FrameHeight(), scale);
    const int split = ScaledPixels(22, scale); // 43 units at 0.5: 22 rows off, 21 on
    auto samePixels = [&](const EditorControl& a, const EditorControl& b, int from, int to)
    {
      int differ = 0;
      for (int y = from; y < to; ++y)
      {
        for (int x = 0; x < w; ++x)
        {
          const int ya = graphics->ToPixels(a.y) + y, yb = graphics->ToPixels(b.y) + y;
          differ += LICE_GetPixel(drawn, graphics->ToPixels(a.x) + x, ya) !=
                    LICE_GetPixel(drawn, graphics->ToPixels(b.x) + x, yb);
        }
      }
      return differ;
    };
    EXPECT_EQ(0, samePixels(keys[0], keys[2], 0, split)) << "upper part: the off key";
    EXPECT_EQ(0, samePixels(keys[0], keys[1], split, h)) << "lower part: the full key";
    EXPECT_LT(0, samePixels(keys[0], keys[1], 0, split)) << "the upper part is not lit";
    EXPECT_LT(0, samePixels(keys[0], keys[2], split, h)) << "the lower part is lit";
    EXPECT_EQ(0, samePixels(keys[3], keys[4], 0, h)) << "off at level 0.5 looks off";
  }
}

// The swing slider in the step sequencer's title row: a drag to the right
// over half its 80 units sets swing to one half, in one gesture on the
// swing parameter, at every scale; the engine plays it.
TEST_F(KolvaneEditorTest, SwingSliderDragsToTheRight)
{
  for (double scale : kEditorScales)
  {
    SCOPED_TRACE(scale);
    graphics->SetUserScale(scale);
    instance->SetParameter(kSwing, 0.0f);
    instance->ClearHostCalls();
    const Point at = onScreen(centreOf(kSwing));
    IMouseMod left(true);
    graphics->OnMouseDown(at.x, at.y, &left);
    for (int moved = 4; moved <= ScaledPixels(40, scale); moved += 4)
    {
      graphics->OnMouseDrag(at.x + moved, at.y, &left);
    }
    graphics->OnMouseUp(at.x + ScaledPixels(40, scale), at.y, &left);
    const std::vector<HostCall> calls = instance->TakeHostCalls();
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ(HostCall::beginEdit(kSwing), calls.front());
    EXPECT_EQ(HostCall::endEdit(kSwing), calls.back());
    EXPECT_NEAR(0.5, instance->GetParameter(kSwing), scale == 1.0 ? 1e-6 : 1.0 / 80 + 1e-6);
    EXPECT_NEAR(instance->GetParameter(kSwing), plug->engine().swing(), 1e-6);
  }
}

// "Push!!" is on while held, in MIDI gate mode: the gate opens on the press
// and closes on the release.
TEST_F(KolvaneEditorTest, PushOpensTheGateWhileHeld)
{
  instance->SetParameter(kStepOnOff, 1.0f);
  instance->ClearHostCalls();
  IMouseMod left(true);
  const Point push = centreOf(kPush);
  graphics->OnMouseDown(push.x, push.y, &left);
  EXPECT_EQ(1.0f, instance->GetParameter(kPush));
  EXPECT_EQ(EnvelopeGenerator::Attack, plug->engine().ampEnvelope().getCurrentStage());
  graphics->OnMouseUp(push.x, push.y, &left);
  EXPECT_EQ(0.0f, instance->GetParameter(kPush));
  EXPECT_EQ(EnvelopeGenerator::Release, plug->engine().ampEnvelope().getCurrentStage());
  std::vector<float> values;
  for (const HostCall& call : instance->TakeHostCalls())
  {
    if (call.kind == HostCall::Automate)
    {
      values.push_back(call.value);
    }
  }
  EXPECT_EQ((std::vector<float>{1.0f, 0.0f}), values) << "on, then off";
}

// A double click puts a moved knob back to its parameter's default; a right
// click on a knob does nothing, because no control prompts for a typed
// value. (Switches and buttons act on any button.)
TEST_F(KolvaneEditorTest, DoubleClickRestoresTheDefaultAndRightClickDoesNothing)
{
  drag(centreOf(kAmplitudeDecay), -40);
  ASSERT_NE(DefaultNormalized(parameterProperties[kAmplitudeDecay]),
            instance->GetParameter(kAmplitudeDecay));
  IMouseMod left(true);
  const Point decay = centreOf(kAmplitudeDecay);
  graphics->OnMouseDblClick(decay.x, decay.y, &left);
  graphics->OnMouseUp(decay.x, decay.y, &left);
  EXPECT_NEAR(DefaultNormalized(parameterProperties[kAmplitudeDecay]),
              instance->GetParameter(kAmplitudeDecay), 1e-6);
  EXPECT_NEAR(0.5, plug->GetParam(kAmplitudeDecay)->Value(), 1e-9);

  instance->ClearHostCalls();
  const std::vector<float> before = parameters();
  for (int param : {kAmplitudeDecay, kFilterCutoff, kLFORate, kFilterType, kArpSpeed})
  {
    click(centreOf(param), IMouseMod(false, true));
  }
  EXPECT_EQ(before, parameters());
  for (const HostCall& call : instance->TakeHostCalls())
  {
    EXPECT_NE(HostCall::Automate, call.kind) << call << ": the press opens a gesture, no value";
  }
}

// A double click as the window reports it (down, up, double click, up) on
// each kind of control the editor has: the host sees every value it sets
// between a begin and an end on its parameter, as a host recording by touch
// needs. A knob or the swing slider the host moved goes back to its
// default; a step key, a switch and "Push!!" take it as one more click.
TEST_F(KolvaneEditorTest, EveryValueADoubleClickSetsReachesTheHostInsideAGesture)
{
  struct Case
  {
    int param;
    float moved;               // set by the host first (-1: none)
    std::vector<float> values; // what the double click sends
  };
  const auto defaultOf = [](int param)
  { return static_cast<float>(DefaultNormalized(parameterProperties[param])); };
  const Case cases[] = {
      {kFilterResonance, 0.7f, {defaultOf(kFilterResonance)}},
      {kSwing, 0.7f, {defaultOf(kSwing)}},
      {kStepSeq1 + 8, -1.0f, {0.0f}},
      {kLFOTriple, -1.0f, {0.0f}},
      {kPush, -1.0f, {1.0f, 0.0f}},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(parameterProperties[c.param].name);
    open();
    if (c.moved >= 0.0f)
    {
      instance->SetParameter(c.param, c.moved);
    }
    const Point at = centreOf(c.param);
    click(at);
    instance->ClearHostCalls();
    IMouseMod left(true);
    graphics->OnMouseDblClick(at.x, at.y, &left);
    graphics->OnMouseUp(at.x, at.y, &left);
    std::vector<HostCall> expected = {HostCall::beginEdit(c.param)};
    for (float value : c.values)
    {
      expected.push_back(HostCall::automate(c.param, value));
    }
    expected.push_back(HostCall::endEdit(c.param));
    EXPECT_EQ(expected, instance->TakeHostCalls());
    EXPECT_EQ(c.values.back(), instance->GetParameter(c.param));
  }
}

// A press soon after a click on the same control comes as a double click;
// when it drags, it is a drag: 20 pixels down step 9's key (turned on by
// the click) set its level and leave it on, 40 down the cutoff knob turn
// it by 40 / 256 of its range, each in one gesture, at every scale.
TEST_F(KolvaneEditorTest, ASecondPressThatDragsSetsTheLevelOrTurnsTheKnob)
{
  struct Case
  {
    int param;      // the control pressed
    int changed;    // the parameter the drag sets
    int dy;         // layout units down
    float expected; // what the drag leaves
  };
  const Case cases[] = {
      {kStepSeq1 + 8, kStepLevel1 + 8, 20, 1.0f - 20.0f / kStepLevelDragSpan},
      {kFilterCutoff, kFilterCutoff, 40, 1.0f - 40.0f / 256},
  };
  for (double scale : kEditorScales)
  {
    for (const Case& c : cases)
    {
      SCOPED_TRACE(std::string(parameterProperties[c.param].name) + " at " + std::to_string(scale));
      open();
      graphics->SetUserScale(scale);
      const Point at = onScreen(centreOf(c.param));
      const float pressed = instance->GetParameter(c.param);
      click(at);
      const float clicked = instance->GetParameter(c.param);
      instance->ClearHostCalls();
      IMouseMod left(true);
      graphics->OnMouseDblClick(at.x, at.y, &left);
      const int dy = graphics->ToPixels(c.dy);
      for (int moved = 2; moved <= dy; moved += 2)
      {
        graphics->OnMouseDrag(at.x, at.y + moved, &left);
      }
      graphics->OnMouseUp(at.x, at.y + dy, &left);
      const std::vector<HostCall> calls = instance->TakeHostCalls();
      ASSERT_GE(calls.size(), 3u);
      EXPECT_EQ(HostCall::beginEdit(c.changed), calls.front());
      EXPECT_EQ(HostCall::endEdit(c.changed), calls.back());
      for (size_t i = 1; i + 1 < calls.size(); ++i)
      {
        EXPECT_EQ(HostCall::Automate, calls[i].kind) << calls[i];
        EXPECT_EQ(c.changed, calls[i].index) << calls[i];
      }
      EXPECT_NEAR(c.expected, instance->GetParameter(c.changed), scale == 1.5 ? 0.03 : 1e-6);
      if (c.changed != c.param)
      {
        EXPECT_NE(pressed, clicked) << "the click toggled the step";
        EXPECT_EQ(clicked, instance->GetParameter(c.param)) << "the drag toggled it back";
      }
    }
  }
}

// The editor's text entry reads what a host's does: the shown forms with
// their units, names of choices, and plain numbers; a text it does not take
// leaves the parameter alone.
TEST_F(KolvaneEditorTest, TextEntryReadsTheShownForms)
{
  struct Case
  {
    int param;
    const char* typed;
    double value;
  };
  const Case cases[] = {{kAmplitudeDecay, "750 ms", 0.75}, {kAmplitudeDecay, "2 s", 2.0},
                        {kAmplitudeDecay, "lots", 2.0},    {kAmplitudeDecay, "0.25", 0.25},
                        {kFilterType, "bp", 2.0},          {kDryWet, "25 % dry", 0.75},
                        {kAmplitudeSustain, "40 %", 0.4},  {kLFORate, "1/32", 4.0}};
  for (const Case& c : cases)
  {
    IControl* control = graphics->GetControl(1 + kNumStepLeds + c.param);
    ASSERT_NE(nullptr, control);
    graphics->CommitTextEntry(control, plug->GetParam(c.param), c.typed);
    EXPECT_NEAR(c.value, plug->GetParam(c.param)->Value(), 1e-6) << c.typed;
  }
}

// What the host shows for a value (its display and unit label), typed into
// the text entry of any of the editor's controls, sets that value again to
// the display's precision: the value it sets shows the same text. Over each
// parameter's range, each typed after the parameter was moved to the other
// end.
TEST_F(KolvaneEditorTest, TheTextTheHostShowsTypedBackSetsThatValue)
{
  int checked = 0;
  for (int i = 0; i < graphics->NControls(); ++i)
  {
    IControl* control = graphics->GetControl(i);
    if (!control->IsBound())
    {
      continue;
    }
    const int p = control->ParamIdx();
    IParam* param = plug->GetParam(p);
    for (int k = 0; k <= 20; ++k)
    {
      const float normalized = k / 20.0f;
      instance->SetParameter(p, normalized);
      char display[MAX_PARAM_DISPLAY_LEN];
      param->GetDisplayForHost(display);
      std::string shown = display;
      if (param->GetLabelForHost()[0])
      {
        shown = shown + " " + param->GetLabelForHost();
      }
      instance->SetParameter(p, normalized < 0.5f ? 1.0f : 0.0f);
      graphics->CommitTextEntry(control, param, shown.c_str());
      char back[MAX_PARAM_DISPLAY_LEN];
      param->GetDisplayForHost(back);
      EXPECT_STREQ(display, back) << param->GetNameForHost() << ": typed \"" << shown << "\"";
      EXPECT_EQ(static_cast<float>(param->GetNormalized()), instance->GetParameter(p))
          << "the host hears of it";
      ++checked;
    }
  }
  EXPECT_EQ(21 * (kNumParams - (kStepLevel16 - kStepLevel1 + 1)), checked)
      << "every parameter but the step levels, whose keys show them";
}

// The LEDs carry tags 42 to 57, which are no parameters: no input on them
// reaches the parameters or the host.
TEST_F(KolvaneEditorTest, InputOnAnLedReachesNothing)
{
  instance->Dispatch(effEditIdle); // LED 1 lit: its value is not the default
  const std::vector<float> before = parameters();
  for (int k : {0, 7, 15})
  {
    const EditorControl led = GetEditorControl(k);
    const Point at = {led.x + 9, led.y + 9};
    IMouseMod left(true), right(false, true);
    click(at);
    click(at, right);
    graphics->OnMouseDblClick(at.x, at.y, &left);
    graphics->OnMouseUp(at.x, at.y, &left);
    graphics->OnMouseWheel(at.x, at.y, &left, 3);
    graphics->OnKeyDown(at.x, at.y, 0);
    drag(at, 40);
  }
  EXPECT_EQ(before, parameters());
  EXPECT_TRUE(instance->TakeHostCalls().empty());
}

// The idle hook lights exactly the LED of the step being played, and an idle
// tick without a step change leaves nothing to redraw.
TEST_F(KolvaneEditorTest, IdleLightsTheLedOfTheStepBeingPlayed)
{
  render(3 * 5512 + 100);
  ASSERT_EQ(3, plug->engine().displayedStep());
  instance->Dispatch(effEditIdle);
  for (int k = 0; k < kNumStepLeds; ++k)
  {
    EXPECT_EQ(k == 3 ? 1.0 : 0.0, graphics->GetControl(1 + k)->GetValue()) << "LED " << k + 1;
  }
  drawAll();
  instance->Dispatch(effEditIdle);
  IRECT dirty;
  EXPECT_FALSE(graphics->IsDirty(&dirty));
}

// Where two controls overlap, the later one takes the mouse.
TEST_F(KolvaneEditorTest, OverlappingControlsGiveTheMouseToTheLaterOne)
{
  click({505, 178}); // the triplet switch over the LFO rate knob
  EXPECT_EQ(1.0f, instance->GetParameter(kLFOTriple));
  drag({572, 415}, -40); // "Arp Speed" over "Seq Note Len"
  EXPECT_EQ(1.0f, instance->GetParameter(kSeqNoteLen)) << "untouched";
  EXPECT_GT(instance->GetParameter(kArpSpeed), 0.5f);
}

// An instance the host never shows builds no editor: no artwork decoded, no
// back buffer. Twenty such instances, opened and resumed as a DAW does,
// each add less than 256 KiB of heap (the engine, the parameters and the
// 30 presets; the editor with its back buffer alone is over 1 MiB).
TEST(KolvaneEditorLifetime, AnInstanceWithoutItsEditorHoldsNoArtwork)
{
#if !defined(KOLVANE_GLIBC_HEAP)
  GTEST_SKIP() << "no heap figures of the C library here";
#else
  // The first instance loads what every instance shares (the module's
  // tables); the figure is for each further one.
  auto first = PluginInstance::Open(KolvaneModule());
  ASSERT_NE(nullptr, first);
  const double before = static_cast<double>(mallinfo2().uordblks);
  std::vector<std::unique_ptr<PluginInstance>> instances;
  for (int i = 0; i < 20; ++i)
  {
    instances.push_back(PluginInstance::Open(KolvaneModule()));
    ASSERT_NE(nullptr, instances.back());
    EXPECT_EQ(nullptr, VST2PlugOf<Kolvane>(instances.back()->Effect())->GetGUI());
  }
  const double perInstance = (static_cast<double>(mallinfo2().uordblks) - before) / 20.0;
  std::printf("heap per further instance without an editor: %.0f KiB\n", perInstance / 1024.0);
  EXPECT_LT(perInstance, 256.0 * 1024.0);
#endif
}

// Two hundred instances with editors in one process share one copy of the
// artwork; an extra instance costs little, and nothing is left behind when
// they close (the sanitizer build checks for leaks).
TEST(KolvaneEditorLifetime, TwoHundredInstancesShareTheArtwork)
{
  std::vector<std::unique_ptr<PluginInstance>> instances;
#if defined(__linux__)
  const size_t heapBefore = mallinfo2().uordblks;
#endif
  const LICE_IBitmap* knob = nullptr;
  for (int i = 0; i < 200; ++i)
  {
    instances.push_back(PluginInstance::Open(KolvaneModule()));
    ASSERT_NE(nullptr, instances.back());
    IGraphics* graphics = static_cast<IGraphics*>(VST2EditorOf(instances.back()->Effect()));
    const IBitmap bitmap = graphics->LoadIBitmap(kPictureKnob, "knob_64_white1.png", 30);
    ASSERT_NE(nullptr, bitmap.mData);
    if (!knob)
    {
      knob = bitmap.mData;
    }
    EXPECT_EQ(knob, bitmap.mData) << "instance " << i << " has its own copy";
  }
#if defined(__linux__)
  const double perInstance =
      (static_cast<double>(mallinfo2().uordblks) - static_cast<double>(heapBefore)) / 200.0;
  std::printf("heap per instance with its editor: %.0f KiB\n", perInstance / 1024.0);
  // Two 664 x 472 bitmaps of 4 bytes per pixel are most of it.
  EXPECT_LT(perInstance, 4.0 * 1024 * 1024);
#endif
  instances.clear();
}
