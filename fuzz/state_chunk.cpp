// State chunks as a host hands them back through effSetChunk. The first
// byte chooses the request: odd for a bank, even for a program; the rest is
// the chunk. Whatever it holds, the parameters stay within their range,
// their texts within their fields, and the state saves again.

#include "FuzzPlugin.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  if (size < 1)
    return 0;
  const VstInt32 index = data[0] & 1 ? 0 : 1;
  fuzz::Instance<Kolvane> plug;
  {
    fuzz::ExactCopy chunk(data + 1, size - 1);
    plug.Dispatch(effSetChunk, index, static_cast<VstIntPtr>(chunk.Size()), chunk.Data());
  }
  plug.CheckParameters();
  plug.CheckTexts();
  void* saved = nullptr;
  if (plug.Dispatch(effGetChunk, index, 0, &saved) <= 0 || !saved)
    __builtin_trap();
  return 0;
}
