// The editor at 150 and 200 %: how a scale is chosen, what a change of
// scale does to the size, the pictures and the memory, input arriving in
// pixels and reaching the controls in layout units, the drawing primitives
// mapped to pixels, and the user's size menu on the background.

#include "EditorFixtures.h"
#include "IEditorScale.h"

#include <gtest/gtest.h>

namespace
{
// The pictures of the loader below that are alive: the cache outlives every
// test, so each test counts from what it finds.
int sAlive = 0;

class CountedBitmap : public LICE_MemBitmap
{
public:
  CountedBitmap(int w, int h) : LICE_MemBitmap(w, h) { ++sAlive; }
  ~CountedBitmap() override { --sAlive; }
};

// Knows one picture, its id (each test its own, the cache being the
// process's), drawn at 100 % (2 frames of 10 x 8) and at 200 % (2 frames of
// 20 x 16), and at no other scale; every frame a solid colour of its own,
// so a pixel tells which scale and frame was drawn.
class PictureLoader : public TestGraphics
{
public:
  PictureLoader(IPlugBase* plug, int id) : TestGraphics(plug, 100, 60), mId(id) {}

  LICE_pixel Colour(int scaledId, int frame) const
  {
    return scaledId == mId ? FrameColor(frame) : FrameColor(4 + frame);
  }

  LICE_IBitmap* OSLoadBitmap(int id, const char*) override
  {
    mRequests.push_back(id);
    if (id != mId && id != ScaledPictureId(mId, 2.0))
    {
      return nullptr;
    }
    const int s = id == mId ? 1 : 2;
    CountedBitmap* bitmap = new CountedBitmap(10 * s, 16 * s);
    for (int f = 0; f < 2; ++f)
    {
      LICE_FillRect(bitmap, 0, f * 8 * s, 10 * s, 8 * s, Colour(id, f), 1.0f, LICE_MODE_COPY);
    }
    return bitmap;
  }

  const int mId;
  std::vector<int> mRequests;
};
} // namespace

// Layout units become pixels by a rectangle's origin and size, each times
// the scale and rounded half up, so a control's pixels are exactly its
// picture's; pixels become layout units rounded down. At 1 nothing moves.
TEST(EditorScale, LayoutUnitsMapToPixelsAndBack)
{
  struct Case
  {
    double scale;
    IRECT rect, pixels;
    int px, layout; // a pixel position and its layout unit
    float centre, centrePixels;
  };
  const Case cases[] = {
      {1.0, IRECT(23, 402, 41, 420), IRECT(23, 402, 41, 420), 57, 57, 3.25f, 3.25f},
      {1.5, IRECT(23, 402, 48, 445), IRECT(35, 603, 73, 668), 57, 38, 3.0f, 4.75f},
      {2.0, IRECT(23, 402, 41, 420), IRECT(46, 804, 82, 840), 57, 28, 3.0f, 6.5f},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.scale);
    Editor editor(664, 472);
    editor.graphics->SetScalable(true);
    editor.graphics->SetUserScale(c.scale);
    ASSERT_EQ(c.scale, editor.graphics->GetScale());
    EXPECT_EQ(c.pixels, editor.graphics->ToPixels(c.rect));
    EXPECT_EQ(c.layout, editor.graphics->ToLayout(c.px));
    EXPECT_EQ(-1, editor.graphics->ToLayout(-1)) << "left of the window";
    EXPECT_EQ(c.centrePixels, editor.graphics->CentreToPixels(c.centre));
    EXPECT_EQ(ScaledPixels(664, c.scale), editor.graphics->Width());
    EXPECT_EQ(ScaledPixels(472, c.scale), editor.graphics->Height());
    EXPECT_EQ(664, editor.graphics->LayoutWidth());
  }
}

// The user's choice comes first, then the host's, then the screen's, else
// 100 %; every value goes to the nearest size the editor draws at. An
// editor that does not scale stays at 100 % whatever is asked.
TEST(EditorScale, TheUserBeatsTheHostWhichBeatsTheScreen)
{
  struct Case
  {
    const char* what;
    bool scalable;
    double user, host, screen;
    double expected;
  };
  const Case cases[] = {
      {"nobody spoke", true, 0, 0, 0, 1.0},
      {"the screen", true, 0, 0, 2.0, 2.0},
      {"the host over the screen", true, 0, 1.5, 2.0, 1.5},
      {"the user over both", true, 1.0, 1.5, 2.0, 1.0},
      {"144 dpi", true, 0, 0, 144.0 / 96.0, 1.5},
      {"a host's 1.25 is nearer 100 %", true, 0, 1.25, 0, 1.0},
      {"a host's 1.3", true, 0, 1.3, 0, 1.5},
      {"a host's 3", true, 0, 3.0, 0, 2.0},
      {"nonsense from the host counts as nothing", true, 0, -2.0, 1.5, 1.5},
      {"not scalable", false, 2.0, 2.0, 2.0, 1.0},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.what);
    Editor editor;
    editor.graphics->SetScalable(c.scalable);
    editor.graphics->SetScreenScale(c.screen);
    EXPECT_EQ(c.scalable, editor.graphics->SetHostScale(c.host)) << "the host's call answered";
    editor.graphics->SetUserScale(c.user);
    EXPECT_EQ(c.expected, editor.graphics->GetScale());
  }
}

// A change of scale makes the back buffer anew at the new size, tells the
// window and the plug-in (which asks the host to resize) once, and has
// everything drawn again; asking for the scale it has does nothing.
TEST(EditorScale, AChangeOfScaleResizesEverythingOnce)
{
  Editor editor(200, 100);
  ProbeControl* probe = editor.Add(new ProbeControl(&editor.plug, IRECT(10, 10, 30, 20)));
  editor.Attach();
  editor.graphics->SetScalable(true);
  while (editor.graphics->Tick())
  {
  }
  editor.graphics->SetHostScale(2.0);
  EXPECT_EQ(400, editor.graphics->GetDrawBitmap()->getWidth());
  EXPECT_EQ(200, editor.graphics->GetDrawBitmap()->getHeight());
  EXPECT_EQ((std::vector<std::pair<int, int>>{{400, 200}}), editor.graphics->mWindowSizes);
  EXPECT_EQ((std::vector<std::pair<int, int>>{{400, 200}}), editor.plug.mResizes);
  EXPECT_TRUE(probe->IsDirty());
  IRECT dirty;
  ASSERT_TRUE(editor.graphics->IsDirty(&dirty));
  EXPECT_EQ(IRECT(20, 20, 60, 40), dirty) << "the dirty region is in pixels";
  editor.graphics->Draw(&dirty);
  EXPECT_EQ(0xFF808080, editor.graphics->Pixel(20, 20));
  EXPECT_EQ(0xFF808080, editor.graphics->Pixel(59, 39));
  EXPECT_NE(0xFF808080, editor.graphics->Pixel(60, 39));

  editor.graphics->SetHostScale(2.1);
  EXPECT_EQ(1u, editor.plug.mResizes.size()) << "still 200 %";
}

// The window hands pixels in; the controls see layout units. A drag's steps
// add up to the distance in layout units however finely the mouse moves,
// so a knob's gearing is the same at every size.
TEST(EditorScale, InputReachesTheControlsInLayoutUnits)
{
  Editor editor(200, 100);
  ProbeControl* probe = editor.Add(new ProbeControl(&editor.plug, IRECT(10, 10, 30, 20)));
  editor.Attach();
  editor.graphics->SetScalable(true);
  editor.graphics->SetUserScale(2.0);
  IMouseMod left(true);
  editor.graphics->OnMouseDown(19, 19, &left);
  EXPECT_TRUE(probe->mEvents.empty()) << "pixel 19 is layout unit 9, outside the control";
  editor.graphics->OnMouseUp(19, 19, &left);
  editor.graphics->OnMouseDown(41, 25, &left);
  int dy = 0;
  for (int y = 26; y <= 25 + 15; ++y) // 15 pixels, one at a time
  {
    editor.graphics->OnMouseDrag(41, y, &left);
  }
  editor.graphics->OnMouseUp(41, 40, &left);
  ASSERT_FALSE(probe->mEvents.empty());
  EXPECT_EQ("down 20,12", probe->mEvents.front());
  for (const std::string& e : probe->mEvents)
  {
    if (e.rfind("drag 0,", 0) == 0)
    {
      dy += std::stoi(e.substr(7));
    }
  }
  EXPECT_EQ(8, dy) << "from unit 12 to unit 20";
  EXPECT_EQ("up 20,20", probe->mEvents.back());
  editor.graphics->OnMouseWheel(59, 39, &left, 1);
  EXPECT_EQ("wheel 1,0", probe->mEvents.back()) << "the last pixel of the control";
}

// A right press on the background, or where there is no control, opens the
// size menu at the press, the current size checked; the choice becomes the
// user's. On a control the press is the control's, and an editor that does
// not scale shows no menu.
TEST(EditorScale, ARightClickOnTheBackgroundChoosesTheSize)
{
  Editor editor(200, 100);
  const IColor grey(255, 60, 60, 60);
  editor.graphics->AttachPanelBackground(&grey);
  ProbeControl* probe =
      editor.Add(new ProbeControl(&editor.plug, IRECT(10, 10, 30, 20), EditorPlug::kKnob));
  editor.Attach();
  editor.graphics->SetScalable(true);
  editor.graphics->mMenuChoice = 2;
  editor.Click(100, 50, IMouseMod(false, true));
  ASSERT_EQ(1u, editor.graphics->mMenus.size());
  EXPECT_EQ((std::vector<std::string>{"Size: 100 %", "Size: 150 %", "Size: 200 %"}),
            editor.graphics->mMenus[0].texts);
  EXPECT_EQ((std::vector<bool>{true, false, false}), editor.graphics->mMenus[0].checked);
  EXPECT_EQ(IRECT(100, 50, 100, 50), editor.graphics->mMenuRects[0]);
  EXPECT_EQ(2.0, editor.graphics->GetScale());
  EXPECT_EQ(200, editor.graphics->GetUserScalePercent());
  EXPECT_TRUE(editor.plug.mAutomation.empty()) << "no parameter moved";

  editor.graphics->mMenuChoice = -1; // dismissed: nothing changes
  editor.Click(300, 150, IMouseMod(false, true));
  ASSERT_EQ(2u, editor.graphics->mMenus.size());
  EXPECT_EQ((std::vector<bool>{false, false, true}), editor.graphics->mMenus[1].checked);
  EXPECT_EQ(2.0, editor.graphics->GetScale());

  editor.Click(30, 30, IMouseMod(false, true)); // on the control, in pixels
  EXPECT_EQ(2u, editor.graphics->mMenus.size());
  EXPECT_FALSE(probe->mEvents.empty());
  EXPECT_EQ("down 15,15", probe->mEvents.front());

  editor.graphics->SetScalable(false);
  editor.Click(100, 50, IMouseMod(false, true));
  EXPECT_EQ(2u, editor.graphics->mMenus.size());
  EXPECT_EQ(1.0, editor.graphics->GetScale()) << "not scalable: 100 % again";
}

// A picture with a set for the scale draws that set's pixels, frame by
// frame; one without is its 100 % picture enlarged once, frames whole. The
// record's size stays in layout units either way.
TEST(EditorScale, PicturesAreDrawnFromTheSetOfTheScale)
{
  const int before = sAlive;
  EditorPlug plug;
  {
    PictureLoader graphics(&plug, 5301);
    graphics.SetScalable(true);
    graphics.PrepDraw();
    const IBitmap picture = graphics.LoadIBitmap(graphics.mId, "frames.png", 2);
    EXPECT_EQ(10, picture.W);
    EXPECT_EQ(16, picture.H);
    for (double scale : {2.0, 1.5})
    {
      SCOPED_TRACE(scale);
      graphics.SetUserScale(scale);
      graphics.SetDrawRECT(IRECT(0, 0, graphics.Width(), graphics.Height()));
      const IRECT dest(5, 5, 15, 13);
      graphics.DrawBitmap(&picture, &dest, 2);
      const IRECT px = graphics.ToPixels(dest);
      const int scaledId = ScaledPictureId(graphics.mId, scale);
      const LICE_pixel expected =
          scale == 2.0 ? graphics.Colour(scaledId, 1) : graphics.Colour(graphics.mId, 1);
      EXPECT_EQ(expected, graphics.Pixel(px.L, px.T)) << "the second frame's first pixel";
      EXPECT_EQ(expected, graphics.Pixel(px.R - 1, px.B - 1)) << "and its last";
    }
    // 1.5 has no set: asked for, then enlarged from the 100 % picture.
    EXPECT_EQ((std::vector<int>{5301, 7301, 6301, 5301}), graphics.mRequests);
    EXPECT_EQ(before, sAlive) << "the 200 % set went with the move to 150 %, and the 100 % "
                                 "picture the enlargement came from is not kept";
  }
}

// Only the pictures of the scales in use stay: switching frees the old
// set unless another editor still holds it.
TEST(EditorScale, SwitchingTheScaleFreesTheOldPictures)
{
  const int before = sAlive;
  EditorPlug plug;
  PictureLoader first(&plug, 5302), second(&plug, 5302);
  first.SetScalable(true);
  second.SetScalable(true);
  first.LoadIBitmap(5302, "frames.png", 2);
  second.LoadIBitmap(5302, "frames.png", 2);
  EXPECT_EQ(before + 1, sAlive) << "both share the 100 % picture";
  first.SetUserScale(2.0);
  EXPECT_EQ(before + 2, sAlive) << "the second editor still shows 100 %";
  second.SetUserScale(2.0);
  EXPECT_EQ(before + 1, sAlive) << "100 % freed: nobody shows it";
  first.SetUserScale(1.0);
  second.SetUserScale(1.0);
  EXPECT_EQ(before + 1, sAlive) << "200 % freed";
}

// The primitives take layout units and draw their pixels at the scale.
TEST(EditorScale, PrimitivesDrawTheirLayoutRectangleAtTheScale)
{
  EditorPlug plug;
  TestGraphics graphics(&plug, 40, 30);
  graphics.SetScalable(true);
  graphics.SetUserScale(2.0);
  graphics.PrepDraw();
  const IColor red(255, 255, 0, 0);
  const IRECT rect(3, 4, 8, 6);
  graphics.FillIRect(&red, &rect);
  EXPECT_EQ(0xFFFF0000, graphics.Pixel(6, 8));
  EXPECT_EQ(0xFFFF0000, graphics.Pixel(15, 11));
  EXPECT_NE(0xFFFF0000, graphics.Pixel(16, 11));
  EXPECT_NE(0xFFFF0000, graphics.Pixel(5, 8));
  graphics.ForcePixel(&red, 1, 1);
  EXPECT_EQ(0xFFFF0000, graphics.Pixel(3, 3)) << "a layout unit is 2 x 2 pixels";
  EXPECT_EQ(255, graphics.GetPoint(1, 1).R);
}
