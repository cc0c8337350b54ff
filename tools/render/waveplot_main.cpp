// kolvane-waveplot: a picture of what the gate did to a rendered file, for
// the demo. The input's waveform on top, the output's below, over the bar,
// beat and step grid of the tempo, so the gate pattern shows at a glance.
//
//   kolvane-waveplot [--tempo BPM] [--step-64ths N] [--width PX] INPUT OUTPUT PICTURE.png

#include "SoundFile.h"
#include "lice.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace
{
const LICE_pixel kBackground = 0xFF1C1F24;
const LICE_pixel kLane = 0xFF23272E;
const LICE_pixel kBarLine = 0xFF8A93A3;
const LICE_pixel kBeatLine = 0xFF454C57;
const LICE_pixel kStepLine = 0xFF30353D;
const LICE_pixel kInputWave = 0xFF7F8896;
const LICE_pixel kOutputWave = 0xFFF0A030;

struct Options
{
  double tempo = 128.0;
  double step64ths = 4.0;
  int width = 1200;
  std::string input, output, picture;
};

bool Parse(int argc, char** argv, Options* options)
{
  std::vector<std::string> files;
  for (int i = 1; i < argc; ++i)
  {
    std::string arg = argv[i];
    auto value = [&](double* out)
    {
      if (i + 1 >= argc)
      {
        return false;
      }
      char* end = nullptr;
      *out = std::strtod(argv[++i], &end);
      return end && *end == '\0' && std::isfinite(*out) && *out > 0.0;
    };
    double number = 0.0;
    if (arg == "--tempo")
    {
      if (!value(&options->tempo))
      {
        return false;
      }
    }
    else if (arg == "--step-64ths")
    {
      if (!value(&options->step64ths))
      {
        return false;
      }
    }
    else if (arg == "--width")
    {
      if (!value(&number) || number < 100 || number > 8000)
      {
        return false;
      }
      options->width = static_cast<int>(number);
    }
    else if (!arg.empty() && arg[0] == '-')
    {
      return false;
    }
    else
    {
      files.push_back(arg);
    }
  }
  if (files.size() != 3)
  {
    return false;
  }
  options->input = files[0];
  options->output = files[1];
  options->picture = files[2];
  return true;
}

// The first channel of a sound file; false with one line in `error`.
bool ReadFirstChannel(const std::string& path, std::vector<float>* samples, int* sampleRate,
                      std::string* error)
{
  auto file = render::SoundFile::OpenForReading(path, error);
  if (!file)
  {
    return false;
  }
  const SF_INFO& info = file->Info();
  std::vector<float> frame(static_cast<size_t>(info.channels));
  samples->clear();
  while (sf_readf_float(file->Handle(), frame.data(), 1) == 1)
  {
    samples->push_back(frame[0]);
  }
  *sampleRate = info.samplerate;
  return true;
}

// The waveform as a vertical span of its lowest and highest sample per
// column, centred in the lane.
void DrawWave(LICE_IBitmap* picture, const std::vector<float>& samples, size_t totalFrames, int top,
              int height, LICE_pixel color)
{
  const int width = picture->getWidth();
  const int middle = top + height / 2;
  const double scale = 0.45 * height;
  for (int x = 0; x < width; ++x)
  {
    size_t from = totalFrames * static_cast<size_t>(x) / static_cast<size_t>(width);
    size_t to = totalFrames * static_cast<size_t>(x + 1) / static_cast<size_t>(width);
    if (from >= samples.size())
    {
      break;
    }
    to = std::min(std::max(to, from + 1), samples.size());
    float low = samples[from], high = samples[from];
    for (size_t i = from; i < to; ++i)
    {
      low = std::min(low, samples[i]);
      high = std::max(high, samples[i]);
    }
    int y1 = middle - static_cast<int>(std::lround(std::min(1.0f, high) * scale));
    int y2 = middle - static_cast<int>(std::lround(std::max(-1.0f, low) * scale));
    LICE_Line(picture, x, y1, x, y2, color, 1.0f, LICE_MODE_COPY, false);
  }
}

// Vertical lines every step, stronger on beats and bars.
void DrawGrid(LICE_IBitmap* picture, const Options& options, int sampleRate, size_t totalFrames)
{
  const double samplesPerStep = sampleRate * 60.0 / options.tempo * options.step64ths / 16.0;
  const double samplesPerBeat = sampleRate * 60.0 / options.tempo;
  const int height = picture->getHeight();
  for (int kind = 0; kind < 3; ++kind) // steps first, bars last on top
  {
    const double spacing = kind == 0 ? samplesPerStep : samplesPerBeat * (kind == 1 ? 1.0 : 4.0);
    const LICE_pixel color = kind == 0 ? kStepLine : (kind == 1 ? kBeatLine : kBarLine);
    for (double at = 0.0; at < static_cast<double>(totalFrames); at += spacing)
    {
      int x = static_cast<int>(at / static_cast<double>(totalFrames) * picture->getWidth());
      LICE_Line(picture, x, 0, x, height - 1, color, 1.0f, LICE_MODE_COPY, false);
      if (kind == 2)
      {
        LICE_Line(picture, x + 1, 0, x + 1, height - 1, color, 1.0f, LICE_MODE_COPY, false);
      }
    }
  }
}
} // namespace

int main(int argc, char** argv)
{
  Options options;
  if (!Parse(argc, argv, &options))
  {
    std::fprintf(stderr, "usage: kolvane-waveplot [--tempo BPM] [--step-64ths N] [--width PX] "
                         "INPUT OUTPUT PICTURE.png\n");
    return 2;
  }
  std::vector<float> input, output;
  int inputRate = 0, outputRate = 0;
  std::string error;
  if (!ReadFirstChannel(options.input, &input, &inputRate, &error) ||
      !ReadFirstChannel(options.output, &output, &outputRate, &error))
  {
    std::fprintf(stderr, "kolvane-waveplot: %s\n", error.c_str());
    return 1;
  }
  const size_t totalFrames = std::max<size_t>(1, std::max(input.size(), output.size()));

  const int laneHeight = 150, gap = 12;
  LICE_MemBitmap picture(options.width, 2 * laneHeight + 3 * gap);
  LICE_FillRect(&picture, 0, 0, picture.getWidth(), picture.getHeight(), kBackground, 1.0f,
                LICE_MODE_COPY);
  LICE_FillRect(&picture, 0, gap, picture.getWidth(), laneHeight, kLane, 1.0f, LICE_MODE_COPY);
  LICE_FillRect(&picture, 0, 2 * gap + laneHeight, picture.getWidth(), laneHeight, kLane, 1.0f,
                LICE_MODE_COPY);
  DrawGrid(&picture, options, outputRate, totalFrames);
  DrawWave(&picture, input, totalFrames, gap, laneHeight, kInputWave);
  DrawWave(&picture, output, totalFrames, 2 * gap + laneHeight, laneHeight, kOutputWave);

  if (!LICE_WritePNG(options.picture.c_str(), &picture))
  {
    std::remove(options.picture.c_str());
    std::fprintf(stderr, "kolvane-waveplot: cannot write '%s'\n", options.picture.c_str());
    return 1;
  }
  return 0;
}
