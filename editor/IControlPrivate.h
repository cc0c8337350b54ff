#pragma once

// What the control sources share and no one else sees: how a value picks a
// picture's frame and how the mouse modifiers read.

#include "IGraphicsStructs.h"

namespace controls
{
// The 1-based frame of an n-frame picture that shows value: the range is cut
// into n bands centred on k / (n - 1). Values outside 0..1 (a plug-in may
// hand any number in) pick the nearest end.
inline int StateForValue(double value, int nFrames)
{
  if (nFrames <= 1)
  {
    return 1;
  }
  const double s = value * (nFrames - 1) + 0.5;
  if (!(s >= 1.0))
  {
    return 1;
  }
  if (s >= nFrames - 1)
  {
    return nFrames;
  }
  return 1 + static_cast<int>(s);
}

inline bool IsRightClick(const IMouseMod* mod)
{
  return mod && mod->R;
}

inline bool FineAdjust(const IMouseMod* mod)
{
  return mod && (mod->C || mod->S);
}
} // namespace controls
