#pragma once

// The raster library's layer for systems without a Windows GDI: system
// bitmaps are plain top-down pixel buffers, resources come from the table
// embedded in the binary, and fonts are FreeType faces found through
// fontconfig (lice_freetype.cpp).

#include "lice_embedded.h"
#include "lice_platform.h"

namespace lice
{
namespace linuxlayer
{
// The embedded entry with this id and type, or null.
const LICE_EmbeddedResource* findEmbedded(int id, const char* type);
} // namespace linuxlayer
} // namespace lice
