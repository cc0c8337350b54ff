#pragma once

// Resources on systems without module resources: the binary carries its PNG
// artwork as a table of (id, type, bytes), and LICE_LoadPNGFromResource finds
// entries in it by id and type, as Windows finds them in the module.
//
// The table comes from whatever defines LICE_GetEmbeddedResources in the same
// binary (the artwork's generated source). Without one, no resource exists.
// The symbol stays inside its binary, so two plug-ins in one host each see
// their own artwork.

#include <cstddef>

struct LICE_EmbeddedResource
{
  int id;
  const char* type;
  const unsigned char* data;
  size_t size;
};

#if !defined(_WIN32)
extern "C" __attribute__((weak, visibility("hidden"))) const LICE_EmbeddedResource*
LICE_GetEmbeddedResources(int* count);
#endif
