#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Deterministic white noise: the same seed gives the same samples on every
// platform, so tests that feed noise fail the same way everywhere.
class Noise
{
public:
  explicit Noise(uint64_t seed = 1) : mState(seed) {}

  // The next sample, uniform in [-1, 1).
  double next()
  {
    mState = mState * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<double>(mState >> 11) / static_cast<double>(1ULL << 52) - 1.0;
  }

  // n samples scaled by amplitude, as doubles or floats.
  template <class Sample = double> std::vector<Sample> block(int n, double amplitude = 1.0)
  {
    std::vector<Sample> out(n > 0 ? static_cast<size_t>(n) : 0);
    for (Sample& x : out)
    {
      x = static_cast<Sample>(amplitude * next());
    }
    return out;
  }

private:
  uint64_t mState;
};
