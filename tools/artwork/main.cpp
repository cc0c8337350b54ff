// Draws the editor's artwork and writes it as PNG files:
//
//   kolvane-artwork <folder>
//
// writes, for each scale the editor is drawn at, the twelve pictures under
// their resource names (NAME.png at 100 %, NAME@1.5x.png and NAME@2x.png)
// and the preview (preview.png, preview@1.5x.png, preview@2x.png): the
// background with every control at its default frame, composed the way the
// editor composes it at that scale (background opaque, controls blended by
// their alpha, each at its place times the scale, rounded). Every scale is
// drawn, not enlarged. The output is the same on every run, so the
// committed pictures only change when this program does.

#include "IEditorScale.h"
#include "KolvaneParams.h"
#include "Pictures.h"
#include "lice.h"

#include <cstdio>
#include <string>

namespace
{
bool write(const std::string& path, LICE_IBitmap* bitmap)
{
  if (LICE_WritePNG(path.c_str(), bitmap))
    return true;
  std::fprintf(stderr, "kolvane-artwork: cannot write %s\n", path.c_str());
  return false;
}

// The pictures and the preview at one scale.
bool drawScale(const std::string& folder, Fonts& fonts, double scale)
{
  LICE_MemBitmap pictures[kNumPictures];
  for (int i = 0; i < kNumPictures; ++i)
  {
    const PictureProperties& p = pictureProperties[i];
    const int frame = ScaledPixels(p.FrameHeight(), scale);
    if (!drawPicture(p.id, fonts, pictures[i], scale) ||
        pictures[i].getWidth() != ScaledPixels(p.width, scale) ||
        pictures[i].getHeight() != frame * p.frames)
    {
      std::fprintf(stderr, "kolvane-artwork: picture %d came out wrong at %g\n", p.id, scale);
      return false;
    }
    if (!write(folder + "/" + ScaledPictureName(p.name, scale), &pictures[i]))
      return false;
  }

  LICE_MemBitmap preview;
  LICE_Copy(&preview, &pictures[0]);
  for (int k = 0; k < kNumEditorControls; ++k)
  {
    const EditorControl c = GetEditorControl(k);
    for (int i = 0; i < kNumPictures; ++i)
    {
      const PictureProperties& p = pictureProperties[i];
      if (p.id != c.picture)
        continue;
      const int h = ScaledPixels(p.FrameHeight(), scale);
      LICE_Blit(&preview, &pictures[i], ScaledPixels(c.x, scale), ScaledPixels(c.y, scale), 0,
                DefaultFrame(c) * h, pictures[i].getWidth(), h, 1.0f,
                LICE_MODE_COPY | LICE_FLAG_USE_ALPHA);
    }
  }
  return write(folder + "/" + ScaledPictureName("preview.png", scale), &preview);
}
} // namespace

int main(int argc, char** argv)
{
  if (argc != 2)
  {
    std::fprintf(stderr, "usage: kolvane-artwork <output folder>\n");
    return 2;
  }
  const std::string folder = argv[1];
  Fonts fonts;
  if (!fonts.label.open(KOLVANE_LABEL_FONT) || !fonts.brand.open(KOLVANE_BRAND_FONT))
  {
    std::fprintf(stderr, "kolvane-artwork: cannot open the fonts %s and %s\n", KOLVANE_LABEL_FONT,
                 KOLVANE_BRAND_FONT);
    return 1;
  }

  for (double scale : kEditorScales)
  {
    if (!drawScale(folder, fonts, scale))
      return 1;
  }
  return 0;
}
