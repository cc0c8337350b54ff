// Program (.fxp) and bank (.fxb) files as a user loads them. The first
// byte chooses: bit 0 a bank rather than a program, bit 1 the state-chunk
// plug-in rather than the product (which keeps parameters, so each file
// form is reached); the rest is the file.

#include "FuzzPlugin.h"

namespace
{
template <class Plug> void load(bool bank, const uint8_t* data, size_t size)
{
  fuzz::Instance<Plug> plug;
  ByteChunk file;
  file.PutBytes(data, static_cast<int>(size));
  if (bank)
    plug.Plugin()->Presets().SetBankFXB(&file);
  else
    plug.Plugin()->Presets().SetProgramFXP(&file);
  plug.CheckParameters();
  plug.CheckTexts();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  if (size < 1 || size > (1u << 20))
    return 0;
  const bool bank = data[0] & 1;
  if (data[0] & 2)
    load<fuzz::ChunkPlug>(bank, data + 1, size - 1);
  else
    load<Kolvane>(bank, data + 1, size - 1);
  return 0;
}
