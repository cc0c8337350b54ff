#pragma once

// The editor's pictures, drawn from scratch: every control's frames and the
// background with its sections and labels.

#include "Typeface.h"
#include "lice.h"

struct Fonts
{
  Typeface label; // condensed bold: labels and section titles
  Typeface brand; // the product name
};

// Draws the picture with this resource id into `out` at the scale (1, 1.5
// or 2), resized to the picture's full size at that scale, frames stacked
// vertically, each the 100 % frame times the scale, rounded. False for an
// unknown id.
bool drawPicture(int id, Fonts& fonts, LICE_MemBitmap& out, double scale);
