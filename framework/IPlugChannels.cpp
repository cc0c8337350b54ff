#include "IPlugChannels.h"

#include "IPlugBase.h"

#include <cstring>

IPlugChannels::~IPlugChannels()
{
  mInChannels.Empty(true);
  mOutChannels.Empty(true);
}

void IPlugChannels::AddChannels(int nIn, int nOut)
{
  mInData.Resize(nIn);
  mOutData.Resize(nOut);
  for (int i = 0; i < nIn; ++i)
  {
    InChannel* channel = mInChannels.Add(new InChannel);
    channel->mSrc = mInData.Get() + i;
    *channel->mSrc = nullptr;
  }
  for (int i = 0; i < nOut; ++i)
  {
    OutChannel* channel = mOutChannels.Add(new OutChannel);
    channel->mDest = mOutData.Get() + i;
    *channel->mDest = nullptr;
  }
}

bool IPlugChannels::IsInChannelConnected(int chIdx) const
{
  InChannel* channel = mInChannels.Get(chIdx);
  return channel && channel->mConnected;
}

bool IPlugChannels::IsOutChannelConnected(int chIdx) const
{
  OutChannel* channel = mOutChannels.Get(chIdx);
  return channel && channel->mConnected;
}

WDL_String* IPlugChannels::InputLabel(int idx) const
{
  InChannel* channel = mInChannels.Get(idx);
  return channel ? &channel->mLabel : nullptr;
}

WDL_String* IPlugChannels::OutputLabel(int idx) const
{
  OutChannel* channel = mOutChannels.Get(idx);
  return channel ? &channel->mLabel : nullptr;
}

void IPlugChannels::SetBlockSize(int blockSize)
{
  if (blockSize == mBlockSize)
  {
    return;
  }
  ResizeScratchBuffers(blockSize);
  mBlockSize = blockSize;
}

void IPlugChannels::SetInputChannelConnections(int idx, int n, bool connected)
{
  // In 64 bits: a host's channel count may be anything.
  const long long last = static_cast<long long>(idx) + n;
  const int end = last < NInChannels() ? static_cast<int>(last < 0 ? 0 : last) : NInChannels();
  for (int i = idx < 0 ? 0 : idx; i < end; ++i)
  {
    InChannel* channel = mInChannels.Get(i);
    channel->mConnected = connected;
    if (!connected)
    {
      *channel->mSrc = channel->mScratchBuf.Get();
    }
  }
}

void IPlugChannels::SetOutputChannelConnections(int idx, int n, bool connected)
{
  // In 64 bits: a host's channel count may be anything.
  const long long last = static_cast<long long>(idx) + n;
  const int end = last < NOutChannels() ? static_cast<int>(last < 0 ? 0 : last) : NOutChannels();
  for (int i = idx < 0 ? 0 : idx; i < end; ++i)
  {
    OutChannel* channel = mOutChannels.Get(i);
    channel->mConnected = connected;
    if (!connected)
    {
      *channel->mDest = channel->mScratchBuf.Get();
    }
  }
}

void IPlugChannels::ResizeScratchBuffers(int nFrames)
{
  if (nFrames < 0)
  {
    nFrames = 0;
  }
  // Out of memory leaves some buffers shorter: remember the shortest, so a
  // processing call never runs past one.
  int shortest = nFrames;
  auto resize = [&](WDL_TypedBuf<double>& scratch)
  {
    if (double* samples = scratch.Resize(nFrames))
    {
      std::memset(samples, 0, static_cast<size_t>(nFrames) * sizeof(double));
    }
    shortest = scratch.GetSize() < shortest ? scratch.GetSize() : shortest;
  };
  for (int i = 0; i < NInChannels(); ++i)
  {
    InChannel* channel = mInChannels.Get(i);
    resize(channel->mScratchBuf);
    if (!channel->mConnected)
    {
      *channel->mSrc = channel->mScratchBuf.Get();
    }
  }
  for (int i = 0; i < NOutChannels(); ++i)
  {
    OutChannel* channel = mOutChannels.Get(i);
    resize(channel->mScratchBuf);
    if (!channel->mConnected)
    {
      *channel->mDest = channel->mScratchBuf.Get();
    }
  }
  mScratchFrames = shortest;
}

bool IPlugChannels::EnsureScratchFrames(int nFrames)
{
  if (nFrames > mScratchFrames)
  {
    ResizeScratchBuffers(nFrames);
  }
  return nFrames <= mScratchFrames;
}

// A host that hands a null channel gets silence in its place.
double* IPlugChannels::SilentScratch(InChannel* channel, int nFrames)
{
  double* scratch = channel->mScratchBuf.Get();
  if (scratch && nFrames > 0)
  {
    std::memset(scratch, 0, static_cast<size_t>(nFrames) * sizeof(double));
  }
  return scratch;
}

namespace
{
// Hands each connected channel in [idx, idx + n), clipped to the list, the
// next of the host's buffers: the host passes one per connected channel.
template <class Channel, class Sample, class Attach>
void AttachConnected(const WDL_PtrList<Channel>& channels, int idx, int n, Sample** ppData,
                     Attach attach)
{
  const int end = idx + n < channels.GetSize() ? idx + n : channels.GetSize();
  for (int i = idx < 0 ? 0 : idx; i < end; ++i)
  {
    Channel* channel = channels.Get(i);
    if (channel->mConnected)
    {
      attach(channel, *ppData++);
    }
  }
}
} // namespace

void IPlugChannels::AttachInputBuffers(int idx, int n, double** ppData, int nFrames)
{
  AttachConnected(mInChannels, idx, n, ppData,
                  [&](InChannel* channel, double* host)
                  { *channel->mSrc = host ? host : SilentScratch(channel, nFrames); });
}

void IPlugChannels::AttachInputBuffers(int idx, int n, float** ppData, int nFrames)
{
  AttachConnected(mInChannels, idx, n, ppData,
                  [&](InChannel* channel, const float* host)
                  {
                    double* scratch = SilentScratch(channel, host ? 0 : nFrames);
                    for (int s = 0; host && s < nFrames; ++s)
                    {
                      scratch[s] = host[s];
                    }
                    *channel->mSrc = scratch;
                  });
}

void IPlugChannels::AttachOutputBuffers(int idx, int n, double** ppData)
{
  AttachConnected(mOutChannels, idx, n, ppData,
                  [](OutChannel* channel, double* host)
                  { *channel->mDest = host ? host : channel->mScratchBuf.Get(); });
}

void IPlugChannels::AttachOutputBuffers(int idx, int n, float** ppData)
{
  AttachConnected(mOutChannels, idx, n, ppData,
                  [](OutChannel* channel, float* host)
                  {
                    *channel->mDest = channel->mScratchBuf.Get();
                    channel->mFDest = host;
                  });
}

void IPlugChannels::ProcessBuffers(IPlugBase& plug, double, int nFrames)
{
  plug.ProcessDoubleReplacing(mInData.Get(), mOutData.Get(), nFrames);
}

void IPlugChannels::ProcessBuffers(IPlugBase& plug, float, int nFrames)
{
  plug.ProcessDoubleReplacing(mInData.Get(), mOutData.Get(), nFrames);
  ConvertOutputsToFloat(nFrames, false);
}

void IPlugChannels::ProcessBuffersAccumulating(IPlugBase& plug, float, int nFrames)
{
  plug.ProcessDoubleReplacing(mInData.Get(), mOutData.Get(), nFrames);
  ConvertOutputsToFloat(nFrames, true);
}

void IPlugChannels::PassThroughBuffers(IPlugBase& plug, double, int nFrames)
{
  plug.IPlugBase::ProcessDoubleReplacing(mInData.Get(), mOutData.Get(), nFrames);
}

void IPlugChannels::PassThroughBuffers(IPlugBase& plug, float, int nFrames)
{
  plug.IPlugBase::ProcessDoubleReplacing(mInData.Get(), mOutData.Get(), nFrames);
  ConvertOutputsToFloat(nFrames, false);
}

void IPlugChannels::ConvertOutputsToFloat(int nFrames, bool accumulate)
{
  for (int i = 0; i < NOutChannels(); ++i)
  {
    OutChannel* channel = mOutChannels.Get(i);
    if (!channel->mConnected || !channel->mFDest)
    {
      continue;
    }
    const double* rendered = *channel->mDest;
    float* host = channel->mFDest;
    if (accumulate)
    {
      for (int s = 0; s < nFrames; ++s)
      {
        host[s] += static_cast<float>(rendered[s]);
      }
    }
    else
    {
      for (int s = 0; s < nFrames; ++s)
      {
        host[s] = static_cast<float>(rendered[s]);
      }
    }
  }
}

void IPlugChannels::ZeroScratchBuffers()
{
  for (int i = 0; i < NInChannels(); ++i)
  {
    WDL_TypedBuf<double>& scratch = mInChannels.Get(i)->mScratchBuf;
    if (scratch.Get())
    {
      std::memset(scratch.Get(), 0, static_cast<size_t>(scratch.GetSize()) * sizeof(double));
    }
  }
  for (int i = 0; i < NOutChannels(); ++i)
  {
    WDL_TypedBuf<double>& scratch = mOutChannels.Get(i)->mScratchBuf;
    if (scratch.Get())
    {
      std::memset(scratch.Get(), 0, static_cast<size_t>(scratch.GetSize()) * sizeof(double));
    }
  }
}
