#pragma once

// What the fuzz targets share: a minimal host, instances of the product's
// class and of a state-chunk plug-in opened the way a DAW opens them, and
// the checks every target makes after feeding its input.

#include "IPlugVST.h"
#include "Kolvane.h"

#include <cmath>
#include <cstring>

namespace fuzz
{

// Answers what the adapter asks while it runs: the interface version, a
// playing transport at 120 beats per minute; nothing else.
inline VstIntPtr VSTCALLBACK HostCallback(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*,
                                          float)
{
  static VstTimeInfo time = []
  {
    VstTimeInfo t = {};
    t.sampleRate = 44100.0;
    t.tempo = 120.0;
    t.timeSigNumerator = 4;
    t.timeSigDenominator = 4;
    t.flags =
        kVstTransportPlaying | kVstPpqPosValid | kVstTempoValid | kVstBarsValid | kVstTimeSigValid;
    return t;
  }();
  switch (opcode)
  {
  case audioMasterVersion:
    return kVstVersion;
  case audioMasterGetTime:
    return reinterpret_cast<VstIntPtr>(&time);
  default:
    return 0;
  }
}

// A plug-in that keeps its state as chunks, so that the chunk forms of the
// preset files are reached too; the product keeps parameters.
class ChunkPlug : public IPlugBase
{
public:
  ChunkPlug() : IPlugBase(Config())
  {
    GetParam(0)->InitDouble("Gain", 1.0, 0.0, 2.0, 0.01, "x");
    GetParam(1)->InitEnum("Mode", 0, 3);
    GetParam(2)->InitBool("Bypass", false);
    GetParam(3)->InitInt("Steps", 4, 1, 16);
    Presets().MakePreset("Unity", 1.0, 0, 0, 4);
    Presets().MakePreset("Loud", 1.5, 1, 0, 8);
  }

private:
  static IPlugConfig Config()
  {
    IPlugConfig config;
    config.mNParams = 4;
    config.mChannelIO = "1-1 2-2";
    config.mNPresets = 4;
    config.mEffectName = "Fuzz Chunks";
    config.mMfrName = "Kolvane";
    config.mVendorVersion = 0x00010000;
    config.mUniqueID = 0x4B76467A;
    config.mMfrID = 0x4B6F6C76;
    config.mDoesMidi = true;
    config.mDoesChunks = true;
    return config;
  }
};

// An opened, resumed instance, closed when it goes.
template <class Plug> class Instance
{
public:
  Instance() : mEffect(VST2EntryPoint<Plug>(HostCallback))
  {
    Dispatch(effOpen);
    Dispatch(effSetSampleRate, 0, 0, nullptr, 44100.0f);
    Dispatch(effSetBlockSize, 0, 512);
    Dispatch(effMainsChanged, 0, 1);
  }
  ~Instance()
  {
    Dispatch(effMainsChanged, 0, 0);
    Dispatch(effClose);
  }
  Instance(const Instance&) = delete;
  Instance& operator=(const Instance&) = delete;

  VstIntPtr Dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                     float opt = 0.0f)
  {
    return mEffect->dispatcher(mEffect, opcode, index, value, ptr, opt);
  }
  AEffect* Effect() const { return mEffect; }
  Plug* Plugin() const { return VST2PlugOf<Plug>(mEffect); }

  // Every parameter a number within 0..1, as a host reads it.
  void CheckParameters() const
  {
    for (VstInt32 i = 0; i < mEffect->numParams; ++i)
    {
      const float value = mEffect->getParameter(mEffect, i);
      if (!(value >= 0.0f && value <= 1.0f))
        __builtin_trap();
    }
  }

  // Every text a host shows for a parameter ends within the 32 bytes of
  // its field.
  void CheckTexts()
  {
    for (VstInt32 i = 0; i < mEffect->numParams; ++i)
      for (VstInt32 opcode : {effGetParamDisplay, effGetParamName, effGetParamLabel})
      {
        char field[64];
        std::memset(field, 0x5A, sizeof(field));
        Dispatch(opcode, i, 0, field);
        if (!std::memchr(field, 0, 32) || field[32] != 0x5A)
          __builtin_trap();
      }
  }

private:
  AEffect* mEffect;
};

// A copy of the input in memory of exactly its size, so that reading past
// it is caught.
class ExactCopy
{
public:
  ExactCopy(const uint8_t* data, size_t size)
      : mBytes(new uint8_t[size > 0 ? size : 1]), mSize(size)
  {
    if (size > 0)
      std::memcpy(mBytes, data, size);
  }
  ~ExactCopy() { delete[] mBytes; }
  ExactCopy(const ExactCopy&) = delete;
  ExactCopy& operator=(const ExactCopy&) = delete;

  uint8_t* Data() const { return mBytes; }
  size_t Size() const { return mSize; }

private:
  uint8_t* mBytes;
  size_t mSize;
};

} // namespace fuzz
