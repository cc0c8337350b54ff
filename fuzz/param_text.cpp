// Parameter values typed as text (effString2Parameter). The first byte
// chooses the parameter, one past either end included; the rest is the
// text. The parameter ends within its range and its texts within their
// fields, whatever was typed.

#include "FuzzPlugin.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  if (size < 1)
    return 0;
  fuzz::Instance<Kolvane> plug;
  const VstInt32 index = static_cast<VstInt32>(data[0] % (plug.Effect()->numParams + 2)) - 1;
  std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
  plug.Dispatch(effString2Parameter, index, 0, &text[0]);
  plug.CheckParameters();
  plug.CheckTexts();
  return 0;
}
