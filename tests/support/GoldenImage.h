#pragma once

// Golden-image checks: drawing whose exact pixels matter is compared with
// an expected picture committed beside the test. On a mismatch the test
// writes <name>.actual.png and <name>.diff.png (differing pixels magenta)
// into the test's temporary folder and says where. A changed picture is
// accepted only on purpose, by running the test with
//
//   KOLVANE_UPDATE_GOLDEN=1
//
// which rewrites the expected pictures in the source tree; look at each one
// before committing it.

#include "lice.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

// actual against expectedPath; name labels the files written on failure.
// An expected picture that another program makes (updatable false) is never
// rewritten here.
inline void ExpectMatchesGolden(LICE_IBitmap* actual, const std::string& expectedPath,
                                const std::string& name, bool updatable = true)
{
  if (updatable && std::getenv("KOLVANE_UPDATE_GOLDEN"))
  {
    ASSERT_TRUE(LICE_WritePNG(expectedPath.c_str(), actual)) << expectedPath;
    return;
  }
  std::unique_ptr<LICE_IBitmap> expected(LICE_LoadPNG(expectedPath.c_str()));
  ASSERT_NE(nullptr, expected) << "no expected picture " << expectedPath;
  ASSERT_EQ(expected->getWidth(), actual->getWidth());
  ASSERT_EQ(expected->getHeight(), actual->getHeight());
  LICE_MemBitmap diff(actual->getWidth(), actual->getHeight());
  int different = 0;
  for (int y = 0; y < actual->getHeight(); ++y)
  {
    for (int x = 0; x < actual->getWidth(); ++x)
    {
      const LICE_pixel a = LICE_GetPixel(actual, x, y), e = LICE_GetPixel(expected.get(), x, y);
      different += a != e;
      LICE_PutPixel(&diff, x, y, a == e ? 0xFF000000 : 0xFFFF00FF, 1.0f, LICE_MODE_COPY);
    }
  }
  if (different == 0)
  {
    return;
  }
  const std::string base = ::testing::TempDir() + name;
  LICE_WritePNG((base + ".actual.png").c_str(), actual);
  LICE_WritePNG((base + ".diff.png").c_str(), &diff);
  ADD_FAILURE() << different << " pixels differ from " << expectedPath << "; see " << base
                << ".actual.png and " << base << ".diff.png";
}
