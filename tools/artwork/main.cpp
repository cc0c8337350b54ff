// Draws the editor's artwork and writes it as PNG files:
//
//   kolvane-artwork <folder>
//
// writes the eleven pictures under their resource names and preview.png,
// the background with every control at its default frame, composed the way
// the editor composes it (background opaque, controls blended by their alpha).
// The output is the same on every run, so the committed pictures only change
// when this program does.

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

  LICE_MemBitmap pictures[kNumPictures];
  for (int i = 0; i < kNumPictures; ++i)
  {
    const PictureProperties& p = pictureProperties[i];
    if (!drawPicture(p.id, fonts, pictures[i]) || pictures[i].getWidth() != p.width ||
        pictures[i].getHeight() != p.height)
    {
      std::fprintf(stderr, "kolvane-artwork: picture %d came out wrong\n", p.id);
      return 1;
    }
    if (!write(folder + "/" + p.name, &pictures[i]))
      return 1;
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
      const int h = p.FrameHeight();
      LICE_Blit(&preview, &pictures[i], c.x, c.y, 0, DefaultFrame(c) * h, p.width, h, 1.0f,
                LICE_MODE_COPY | LICE_FLAG_USE_ALPHA);
    }
  }
  return write(folder + "/preview.png", &preview) ? 0 : 1;
}
