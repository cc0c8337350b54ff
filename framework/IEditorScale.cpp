#include "IEditorScale.h"

#include <cmath>

double NearestEditorScale(double scale)
{
  return kEditorScales[EditorScaleIndex(scale)];
}

int EditorScaleIndex(double scale)
{
  if (!(scale > 0.0) || !std::isfinite(scale))
  {
    return 0;
  }
  int best = 0;
  for (int i = 1; i < kNumEditorScales; ++i)
  {
    if (std::fabs(kEditorScales[i] - scale) < std::fabs(kEditorScales[best] - scale))
    {
      best = i;
    }
  }
  return best;
}

int EditorScalePercent(double scale)
{
  return static_cast<int>(NearestEditorScale(scale) * 100.0 + 0.5);
}

int ScaledPixels(int n, double scale)
{
  return static_cast<int>(std::floor(n * scale + 0.5));
}

int LayoutLength(int px, double scale)
{
  return static_cast<int>(std::floor(px / scale + 0.5));
}

int ScaledPictureId(int id, double scale)
{
  return id + kScaledPictureIdStep * EditorScaleIndex(scale);
}

std::string ScaledPictureName(const std::string& name, double scale)
{
  const int index = EditorScaleIndex(scale);
  if (index == 0)
  {
    return name;
  }
  const std::string suffix = index == 1 ? "@1.5x" : "@2x";
  const size_t dot = name.rfind('.');
  if (dot == std::string::npos)
  {
    return name + suffix;
  }
  return name.substr(0, dot) + suffix + name.substr(dot);
}
