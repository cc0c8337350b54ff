#pragma once

#include "WDL_PtrList.h"
#include "WDL_String.h"
#include "WDL_TypedBuf.h"

class IPlugBase;

// The plug-in's audio channels: which of them the host connected, the
// host's buffers of the current processing call and a scratch buffer per
// channel, which a disconnected channel reads and writes and a float host's
// samples are converted through. The plug-in base owns one (its channel
// counts, connections and labels are what the plug-in class reads); the
// façade drives the rest, once per block:
//   1. EnsureScratchFrames for the block's length;
//   2. AttachInputBuffers and AttachOutputBuffers with the host's buffers;
//   3. ProcessBuffers (or ProcessBuffersAccumulating): the plug-in's
//      ProcessDoubleReplacing renders into them, and float results go back
//      to the host.
// Threads: the tags of IPlugBase.h.
class IPlugChannels
{
public:
  IPlugChannels() = default;
  ~IPlugChannels();

  IPlugChannels(const IPlugChannels&) = delete;
  IPlugChannels& operator=(const IPlugChannels&) = delete;

  // [construction] nIn inputs and nOut outputs, all disconnected, with no
  // scratch frames.
  void AddChannels(int nIn, int nOut);

  // ---- Configuration [any thread] ----------------------------------------
  int NInChannels() const { return mInChannels.GetSize(); }
  int NOutChannels() const { return mOutChannels.GetSize(); }
  // False for an index out of range.
  bool IsInChannelConnected(int chIdx) const;
  bool IsOutChannelConnected(int chIdx) const;
  // A channel's label, null for an index out of range.
  WDL_String* InputLabel(int idx) const;
  WDL_String* OutputLabel(int idx) const;
  int GetBlockSize() const { return mBlockSize; }

  // ---- The host's connections and block size [UI thread, mutex held] -------
  // Also [construction]. Channels [idx, idx + n), clipped to the channels.
  void SetInputChannelConnections(int idx, int n, bool connected);
  void SetOutputChannelConnections(int idx, int n, bool connected);
  // Resizes every scratch buffer to blockSize zeros; nothing happens when
  // the size is unchanged.
  void SetBlockSize(int blockSize);

  // ---- Host buffers [audio thread, mutex held] ---------------------------
  // Grows the scratch buffers when the host sends more
  // frames than it announced, the only allocation on the audio path.
  // False when they could not grow: process nothing then.
  bool EnsureScratchFrames(int nFrames);
  // Hands each connected channel in [idx, idx + n), clipped to the
  // channels, the next of the host's buffers; a null one reads silence.
  void AttachInputBuffers(int idx, int n, double** ppData, int nFrames);
  void AttachInputBuffers(int idx, int n, float** ppData, int nFrames);
  void AttachOutputBuffers(int idx, int n, double** ppData);
  void AttachOutputBuffers(int idx, int n, float** ppData);
  // plug renders the attached buffers (ProcessDoubleReplacing); float hosts
  // get the results, replacing or added to what their buffers held.
  void ProcessBuffers(IPlugBase& plug, double, int nFrames);
  void ProcessBuffers(IPlugBase& plug, float, int nFrames);
  void ProcessBuffersAccumulating(IPlugBase& plug, float, int nFrames);
  // The base's rendering in place of the plug-in's: inputs copied through.
  void PassThroughBuffers(IPlugBase& plug, double, int nFrames);
  void PassThroughBuffers(IPlugBase& plug, float, int nFrames);
  void ZeroScratchBuffers();

private:
  struct InChannel
  {
    bool mConnected = false;
    double** mSrc = nullptr; // this channel's slot in mInData
    WDL_TypedBuf<double> mScratchBuf;
    WDL_String mLabel;
  };
  struct OutChannel
  {
    bool mConnected = false;
    double** mDest = nullptr; // this channel's slot in mOutData
    float* mFDest = nullptr;  // the host's float buffer in the current call
    WDL_TypedBuf<double> mScratchBuf;
    WDL_String mLabel;
  };

  // Writes the float results of the last processing call to the host.
  void ConvertOutputsToFloat(int nFrames, bool accumulate);
  void ResizeScratchBuffers(int nFrames);
  double* SilentScratch(InChannel* channel, int nFrames);

  int mBlockSize = 0;
  int mScratchFrames = 0; // length of every scratch buffer
  WDL_TypedBuf<double*> mInData;
  WDL_TypedBuf<double*> mOutData;
  WDL_PtrList<InChannel> mInChannels;
  WDL_PtrList<OutChannel> mOutChannels;
};
