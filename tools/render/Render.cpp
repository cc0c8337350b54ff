#include "Render.h"

#include "ChannelBuffers.h"
#include "Lv2Instance.h"
#include "MidiSchedule.h"
#include "PluginInstance.h"
#include "SoundFile.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

namespace render
{

volatile std::sig_atomic_t gInterrupted = 0;

namespace
{
using Clock = std::chrono::steady_clock;

// Renders shorter than this finish before a bar would say anything.
const double kProgressMinimumSeconds = 5.0;
const double kProgressRedrawSeconds = 0.1;

// A failure of the render, reported as one line.
struct Failure
{
  std::string message;
  int code = kExitFailure;
};

double secondsSince(Clock::time_point start)
{
  return std::chrono::duration<double>(Clock::now() - start).count();
}

class ProgressBar
{
public:
  ProgressBar(std::ostream& err, double totalSeconds, bool enabled)
      : mErr(err), mTotal(totalSeconds), mEnabled(enabled && totalSeconds > kProgressMinimumSeconds)
  {
  }
  ~ProgressBar() { Clear(); }

  void Update(double doneSeconds)
  {
    if (!mEnabled || (mDrawn && secondsSince(mLastDraw) < kProgressRedrawSeconds))
      return;
    const double fraction = std::min(1.0, doneSeconds / mTotal);
    const int width = 40;
    const int filled = static_cast<int>(fraction * width);
    char line[128];
    std::snprintf(line, sizeof(line), "\r[%s%s] %3d%%  %.1f / %.1f s",
                  std::string(static_cast<size_t>(filled), '#').c_str(),
                  std::string(static_cast<size_t>(width - filled), '.').c_str(),
                  static_cast<int>(fraction * 100.0), doneSeconds, mTotal);
    mErr << line << std::flush;
    mDrawn = true;
    mLastDraw = Clock::now();
  }

  // Erases the bar, so that what follows starts on a clean line.
  void Clear()
  {
    if (!mDrawn)
      return;
    mErr << "\r\033[K" << std::flush;
    mDrawn = false;
  }

private:
  std::ostream& mErr;
  double mTotal;
  bool mEnabled;
  bool mDrawn = false;
  Clock::time_point mLastDraw;
};

// What the output holds, for the summary.
struct Levels
{
  double peak = 0.0;
  double sumOfSquares = 0.0;
  int64_t samples = 0;

  double Rms() const { return samples > 0 ? std::sqrt(sumOfSquares / double(samples)) : 0.0; }
};

sf_count_t readFrames(SNDFILE* file, float* frames, sf_count_t count)
{
  return sf_readf_float(file, frames, count);
}
sf_count_t readFrames(SNDFILE* file, double* frames, sf_count_t count)
{
  return sf_readf_double(file, frames, count);
}

// What a render plays through: a VST2 instance or an LV2 one, each fed the
// block's MIDI before the block.
class Processor
{
public:
  virtual ~Processor() = default;
  virtual int Inputs() const = 0;
  virtual int Outputs() const = 0;
  // False when the plug-in has no processing call for the precision.
  virtual bool Process(float** in, float** out, int frames,
                       const std::vector<VstMidiEvent>& midi) = 0;
  virtual bool Process(double** in, double** out, int frames,
                       const std::vector<VstMidiEvent>& midi) = 0;
};

class Vst2Processor final : public Processor
{
public:
  explicit Vst2Processor(vsthost::PluginInstance& plugin)
      : mPlugin(plugin), mReplacing((plugin.Effect()->flags & effFlagsCanReplacing) != 0)
  {
  }
  int Inputs() const override { return mPlugin.Effect()->numInputs; }
  int Outputs() const override { return mPlugin.Effect()->numOutputs; }
  bool Process(float** in, float** out, int frames, const std::vector<VstMidiEvent>& midi) override
  {
    send(midi);
    return mReplacing ? mPlugin.ProcessReplacing(in, out, frames)
                      : mPlugin.ProcessAccumulating(in, out, frames);
  }
  bool Process(double** in, double** out, int frames,
               const std::vector<VstMidiEvent>& midi) override
  {
    send(midi);
    return mPlugin.ProcessDoubleReplacing(in, out, frames);
  }

private:
  void send(const std::vector<VstMidiEvent>& midi)
  {
    if (!midi.empty())
      mPlugin.SendMidi(midi);
  }
  vsthost::PluginInstance& mPlugin;
  const bool mReplacing;
};

class Lv2Processor final : public Processor
{
public:
  explicit Lv2Processor(Lv2Instance& instance) : mInstance(instance) {}
  int Inputs() const override { return mInstance.Inputs(); }
  int Outputs() const override { return mInstance.Outputs(); }
  bool Process(float** in, float** out, int frames, const std::vector<VstMidiEvent>& midi) override
  {
    mInstance.Process(in, out, frames, midi);
    return true;
  }
  bool Process(double**, double**, int, const std::vector<VstMidiEvent>&) override
  {
    return false; // LV2 audio ports carry floats
  }

private:
  Lv2Instance& mInstance;
};

struct Preset
{
  int number = 0; // 1-based, as a host lists it
  std::string name;
};

// A program among `names` by exact name, else by its number as a host
// lists it (1..N).
Preset findPresetIn(const std::vector<std::string>& names, const std::string& wanted,
                    const std::string& listedBy)
{
  const int count = static_cast<int>(names.size());
  for (int i = 0; i < count; ++i)
    if (names[static_cast<size_t>(i)] == wanted)
      return {i + 1, names[static_cast<size_t>(i)]};
  const bool digits = wanted.find_first_not_of("0123456789") == std::string::npos;
  if (digits && wanted.size() <= 6)
  {
    const int number = std::stoi(wanted);
    if (number >= 1 && number <= count)
      return {number, names[static_cast<size_t>(number - 1)]};
  }
  throw Failure{"unknown preset '" + wanted + "': no program has that name" +
                (count > 0 ? ", and they are numbered 1 to " + std::to_string(count)
                           : std::string(", and the plug-in has none")) +
                " (" + listedBy + " lists them)"};
}

Preset findPreset(vsthost::PluginInstance& plugin, const std::string& wanted,
                  const std::string& pluginPath)
{
  const int count = plugin.Effect()->numPrograms;
  const VstIntPtr current = plugin.Program();
  std::vector<std::string> names;
  for (int i = 0; i < count; ++i)
  {
    std::optional<std::string> name = plugin.ProgramNameIndexed(i);
    if (!name)
    {
      // A plug-in without indexed names tells them program by program.
      plugin.SetProgram(i);
      name = plugin.ProgramName();
    }
    names.push_back(*name);
  }
  if (plugin.Program() != current)
    plugin.SetProgram(current);
  return findPresetIn(names, wanted, "kolvane-host probe " + pluginPath);
}

int findParameter(vsthost::PluginInstance& plugin, const std::string& wanted,
                  const std::string& pluginPath)
{
  const int count = plugin.Effect()->numParams;
  for (int i = 0; i < count; ++i)
    if (plugin.ParamName(i) == wanted)
      return i;
  throw Failure{"unknown parameter '" + wanted +
                "': no parameter has that name (kolvane-host probe " + pluginPath + " lists them)"};
}

template <typename T> class Renderer
{
public:
  Renderer(Processor& plugin, SoundFile& input, PendingSoundFile& output, MidiSchedule& midi,
           int blockSize, int64_t tailFrames, ProgressBar& progress)
      : mPlugin(plugin), mInput(input), mOutput(output), mMidi(midi), mBlock(blockSize),
        mTailFrames(tailFrames), mProgress(progress), mFileChannels(input.Info().channels),
        mInputs(plugin.Inputs()), mOutputs(plugin.Outputs()),
        mFileFrames(static_cast<size_t>(blockSize) * static_cast<size_t>(mFileChannels)),
        mOutFrames(static_cast<size_t>(blockSize) * static_cast<size_t>(mOutputs)),
        mPluginIn(mInputs, blockSize), mPluginOut(mOutputs, blockSize)
  {
  }

  // Returns the frames written.
  int64_t Run(Levels& levels)
  {
    const double rate = mInput.Info().samplerate;
    int64_t position = 0;
    bool inputDone = false;
    for (;;)
    {
      // Full blocks throughout: the tail's silence continues the block in
      // which the input ends.
      int frames = 0;
      if (!inputDone)
      {
        frames = static_cast<int>(readFrames(mInput.Handle(), mFileFrames.data(), mBlock));
        inputDone = frames < mBlock;
      }
      const int silence = static_cast<int>(std::min<int64_t>(mBlock - frames, mTailFrames));
      std::fill(mFileFrames.begin() + static_cast<std::ptrdiff_t>(frames) * mFileChannels,
                mFileFrames.begin() + static_cast<std::ptrdiff_t>(frames + silence) * mFileChannels,
                T(0));
      mTailFrames -= inputDone ? silence : 0;
      frames += inputDone ? silence : 0;
      if (frames == 0)
        return position;

      processBlock(position, frames, levels);
      position += frames;
      mProgress.Update(double(position) / rate);
      if (gInterrupted)
        throw Failure{"interrupted; nothing written", kExitInterrupted};
    }
  }

private:
  void processBlock(int64_t position, int frames, Levels& levels)
  {
    // A mono file feeds every input; a stereo one feeds left and right.
    for (int c = 0; c < mInputs; ++c)
    {
      const int source = std::min(c, mFileChannels - 1);
      T* channel = mPluginIn.Channel(c);
      for (int s = 0; s < frames; ++s)
        channel[s] = mFileFrames[static_cast<size_t>(s * mFileChannels + source)];
    }
    // Accumulating plug-ins add to what the outputs hold.
    mPluginOut.Fill(T(0));

    const std::vector<VstMidiEvent> events = mMidi.TakeBlock(position, frames);
    if (!mPlugin.Process(mPluginIn.Pointers(), mPluginOut.Pointers(), frames, events))
      throw Failure{"the plug-in offers no processing call for " +
                    std::string(sizeof(T) == sizeof(double) ? "double" : "single") + " precision"};

    for (int c = 0; c < mOutputs; ++c)
    {
      const T* channel = mPluginOut.Channel(c);
      for (int s = 0; s < frames; ++s)
      {
        const double sample = channel[s];
        levels.peak = std::max(levels.peak, std::fabs(sample));
        levels.sumOfSquares += sample * sample;
        mOutFrames[static_cast<size_t>(s * mOutputs + c)] = channel[s];
      }
    }
    levels.samples += int64_t(frames) * mOutputs;
    std::string error;
    if (!mOutput.Write(mOutFrames.data(), frames, &error))
      throw Failure{error};
  }

  Processor& mPlugin;
  SoundFile& mInput;
  PendingSoundFile& mOutput;
  MidiSchedule& mMidi;
  const int mBlock;
  int64_t mTailFrames;
  ProgressBar& mProgress;
  const int mFileChannels;
  const int mInputs;
  const int mOutputs;
  std::vector<T> mFileFrames;
  std::vector<T> mOutFrames;
  vsthost::ChannelBuffers<T> mPluginIn;
  vsthost::ChannelBuffers<T> mPluginOut;
};

int render(const RenderOptions& options, const std::string& defaultPlugin, bool showProgress,
           std::ostream& out, std::ostream& err)
{
  const Clock::time_point started = Clock::now();
  std::string error;

  const int format = OutputFormatFor(options.output);
  if (format == 0)
    throw Failure{"cannot write '" + options.output +
                  "': name it .wav, .aif, .aiff or .flac to choose its format"};

  std::unique_ptr<SoundFile> input = SoundFile::OpenForReading(options.input, &error);
  if (!input)
    throw Failure{error};
  const SF_INFO& info = input->Info();
  if (info.channels < 1 || info.channels > 2)
    throw Failure{"cannot read '" + options.input + "': it has " + std::to_string(info.channels) +
                  " channels; mono or stereo only"};
  const double rate = info.samplerate;

  MidiFileContent midiFile;
  if (!options.midiFile.empty() &&
      !ReadMidiFile(options.midiFile, options.Tempo(), rate, &midiFile, &error))
    throw Failure{error};
  const double tempo = options.tempo ? *options.tempo : midiFile.tempo.value_or(options.Tempo());
  MidiSchedule midi;
  for (const TimedMidi& event : midiFile.events)
    midi.Add(event);
  midi.AddNotes(options.notes, tempo, rate);

  vsthost::HostSettings settings;
  settings.sampleRate = rate;
  settings.blockSize = options.blockSize;
  // A bounce: the plug-in may take its time over each block.
  settings.processLevel = kVstProcessLevelOffline;
  // Rate and block size before effOpen: a plug-in that takes the rate when
  // it opens (Kolvane times its step pattern by it) then runs at the file's
  // rate rather than a default.
  settings.openOrder = vsthost::OpenOrder::RateFirst;
  settings.productString = "kolvane-render";
  settings.transport.tempo = tempo;
  settings.transport.numerator = options.numerator;
  settings.transport.denominator = options.denominator;
  settings.transport.startPpq = options.startPpq;
  settings.transport.playing = true;

  const std::string pluginPath = options.plugin.empty() ? defaultPlugin : options.plugin;
  std::unique_ptr<vsthost::PluginInstance> vst2;
  std::unique_ptr<Lv2Instance> lv2;
  std::unique_ptr<Processor> processor;
  std::optional<Preset> preset;
  if (options.lv2)
  {
    lv2 = Lv2Instance::Open(pluginPath, rate, options.blockSize, settings.transport, &error);
    if (!lv2)
      throw Failure{error};
    if (!options.preset.empty())
    {
      preset = findPresetIn(lv2->PresetNames(), options.preset, "lv2info");
      if (!lv2->LoadPreset(preset->number - 1, &error))
        throw Failure{error};
    }
    for (const ControlSetting& control : options.controls)
    {
      const int port = lv2->FindControl(control.name);
      if (port < 0)
        throw Failure{"unknown control '" + control.name +
                      "': no control port has that symbol or name (lv2info lists them)"};
      lv2->SetControl(port, control.value);
    }
    lv2->Activate();
    processor = std::make_unique<Lv2Processor>(*lv2);
  }
  else
  {
    vst2 = vsthost::PluginInstance::Open(pluginPath, settings, &error);
    if (!vst2)
      throw Failure{error};
    if (options.doublePrecision && !(vst2->Effect()->flags & effFlagsCanDoubleReplacing))
      throw Failure{"'" + pluginPath + "' cannot process in double precision; leave out --double"};
    if (!options.preset.empty())
    {
      preset = findPreset(*vst2, options.preset, pluginPath);
      vst2->SetProgram(preset->number - 1);
    }
    // Parameters after the preset: they adjust it.
    for (const ParamSetting& param : options.params)
      vst2->SetParameter(findParameter(*vst2, param.name, pluginPath), param.value);
    // Typed in full, so that the plug-in holds the very float an LV2
    // control port would carry.
    for (const ControlSetting& control : options.controls)
    {
      char text[40];
      std::snprintf(text, sizeof(text), "%.17g", static_cast<double>(control.value));
      if (!vst2->String2Parameter(findParameter(*vst2, control.name, pluginPath), text))
        throw Failure{"'" + control.name + "' does not take the value " + text +
                      " as text; give it with --param"};
    }
    processor = std::make_unique<Vst2Processor>(*vst2);
  }
  const int channels = processor->Outputs();
  if (channels < 1)
    throw Failure{"'" + pluginPath + "' has no audio outputs"};

  std::unique_ptr<PendingSoundFile> output =
      PendingSoundFile::Create(options.output, format, info.samplerate, channels, &error);
  if (!output)
    throw Failure{error};

  const int64_t tailFrames = static_cast<int64_t>(std::llround(options.tailSeconds * rate));
  ProgressBar progress(err, (double(info.frames) + double(tailFrames)) / rate, showProgress);
  Levels levels;
  int64_t frames = 0;
  if (options.doublePrecision)
  {
    Renderer<double> renderer(*processor, *input, *output, midi, options.blockSize, tailFrames,
                              progress);
    frames = renderer.Run(levels);
  }
  else
  {
    Renderer<float> renderer(*processor, *input, *output, midi, options.blockSize, tailFrames,
                             progress);
    frames = renderer.Run(levels);
  }
  if (lv2)
    lv2->Deactivate();
  else
    vst2->Close();
  if (!output->Commit(&error))
    throw Failure{error};
  progress.Clear();

  const double seconds = double(frames) / rate;
  const double took = secondsSince(started);
  std::string line = "wrote " + options.output;
  if (preset)
    line += " (preset " + std::to_string(preset->number) + " \"" + preset->name + "\")";
  char figures[256];
  std::snprintf(figures, sizeof(figures),
                ": %.2f s, %d ch, %d Hz, peak %s, RMS %s; rendered in %.2f s, %.0fx real time",
                seconds, channels, info.samplerate, Decibels(levels.peak).c_str(),
                Decibels(levels.Rms()).c_str(), took, took > 0.0 ? seconds / took : 0.0);
  out << line << figures << '\n';
  return kExitSuccess;
}
} // namespace

std::string Decibels(double level)
{
  if (!(level > 0.0))
    return "-inf dBFS";
  char text[32];
  std::snprintf(text, sizeof(text), "%.1f dBFS", 20.0 * std::log10(level));
  return text;
}

int RunRender(const RenderOptions& options, const std::string& defaultPlugin, bool progress,
              std::ostream& out, std::ostream& err)
{
  try
  {
    return render(options, defaultPlugin, progress, out, err);
  }
  catch (const Failure& failure)
  {
    err << "kolvane-render: " << failure.message << '\n';
    return failure.code;
  }
}

} // namespace render
