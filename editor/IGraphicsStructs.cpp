#include "IGraphicsStructs.h"

#include <algorithm>
#include <cstring>

const char* const DEFAULT_FONT = "Verdana";

IRECT::IRECT(int x, int y, const IBitmap* bitmap) : L(x), T(y), R(x), B(y)
{
  if (bitmap)
  {
    R = x + bitmap->W;
    B = y + bitmap->H / bitmap->Frames();
  }
}

IRECT IRECT::Intersect(const IRECT& other) const
{
  if (!Intersects(other))
  {
    return IRECT();
  }
  return IRECT(std::max(L, other.L), std::max(T, other.T), std::min(R, other.R),
               std::min(B, other.B));
}

IRECT IRECT::Union(const IRECT& other) const
{
  if (Empty())
  {
    return other;
  }
  if (other.Empty())
  {
    return *this;
  }
  return IRECT(std::min(L, other.L), std::min(T, other.T), std::max(R, other.R),
               std::max(B, other.B));
}

IText::IText(int size, const IColor* color, const char* font, EStyle style, EAlign align,
             int orientation, EQuality quality, const IColor* textEntryBGColor,
             const IColor* textEntryFGColor)
    : mSize(size), mColor(color ? *color : DEFAULT_TEXT_COLOR),
      mTextEntryBGColor(textEntryBGColor ? *textEntryBGColor : DEFAULT_TEXT_ENTRY_BGCOLOR),
      mTextEntryFGColor(textEntryFGColor ? *textEntryFGColor : DEFAULT_TEXT_ENTRY_FGCOLOR),
      mStyle(style), mAlign(align), mOrientation(orientation), mQuality(quality)
{
  const char* face = font ? font : DEFAULT_FONT;
  std::strncpy(mFont, face, FONT_LEN - 1);
  mFont[FONT_LEN - 1] = '\0';
}

int LiceBlendMode(const IChannelBlend* blend)
{
  if (blend)
  {
    switch (blend->mMethod)
    {
    case IChannelBlend::kBlendOpaque:
      return LICE_MODE_COPY;
    case IChannelBlend::kBlendAdd:
      return LICE_MODE_ADD | LICE_FLAG_USE_ALPHA;
    case IChannelBlend::kBlendDodge:
      return LICE_MODE_DODGE | LICE_FLAG_USE_ALPHA;
    default:
      break;
    }
  }
  return LICE_MODE_COPY | LICE_FLAG_USE_ALPHA;
}
