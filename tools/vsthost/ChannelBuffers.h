#pragma once

#include <algorithm>
#include <vector>

namespace vsthost
{

// Non-interleaved audio for one processing call: `channels` buffers of
// `frames` samples each and the array of channel pointers the process
// callbacks take. The pointer array always has at least one entry (null
// when there are no channels), so a plug-in with no inputs still gets a
// valid array.
template <typename T> class ChannelBuffers
{
public:
  ChannelBuffers(int channels, int frames)
      : mData(static_cast<size_t>(std::max(channels, 0)),
              std::vector<T>(static_cast<size_t>(std::max(frames, 0)), T(0))),
        mPointers(std::max<size_t>(mData.size(), 1), nullptr)
  {
    for (size_t c = 0; c < mData.size(); ++c)
      mPointers[c] = mData[c].data();
  }

  ChannelBuffers(const ChannelBuffers&) = delete;
  ChannelBuffers& operator=(const ChannelBuffers&) = delete;

  T** Pointers() { return mPointers.data(); }
  T* Channel(int channel) { return mData[static_cast<size_t>(channel)].data(); }
  const T* Channel(int channel) const { return mData[static_cast<size_t>(channel)].data(); }
  int Channels() const { return static_cast<int>(mData.size()); }
  int Frames() const { return mData.empty() ? 0 : static_cast<int>(mData[0].size()); }

  void Fill(T value)
  {
    for (std::vector<T>& channel : mData)
      std::fill(channel.begin(), channel.end(), value);
  }

private:
  std::vector<std::vector<T>> mData;
  std::vector<T*> mPointers;
};

} // namespace vsthost
