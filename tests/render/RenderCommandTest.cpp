// kolvane-render as a user runs it: the built command on the real Kolvane
// binary, with sound and MIDI fixtures written at test time.

#include "Noise.h"

#include <gtest/gtest.h>
#include <smf.h>
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace fs = std::filesystem;

namespace
{
struct Result
{
  int exitCode = -1;
  std::string out;
  std::string err;
};

struct Sound
{
  int rate = 0;
  int channels = 0;
  int format = 0;
  std::vector<float> samples; // interleaved

  int64_t Frames() const { return channels ? int64_t(samples.size()) / channels : 0; }
  float At(int64_t frame, int channel) const
  {
    return samples[static_cast<size_t>(frame * channels + channel)];
  }
  // Over frames [from, to) of one channel.
  double Rms(int channel, int64_t from, int64_t to) const
  {
    double sum = 0.0;
    for (int64_t i = from; i < to; ++i)
      sum += double(At(i, channel)) * At(i, channel);
    return std::sqrt(sum / double(to - from));
  }
  double Peak(int channel, int64_t from, int64_t to) const
  {
    double peak = 0.0;
    for (int64_t i = from; i < to; ++i)
      peak = std::max(peak, std::fabs(double(At(i, channel))));
    return peak;
  }
};

std::string joined(const std::vector<std::string>& arguments)
{
  std::string line;
  for (const std::string& argument : arguments)
    line += (line.empty() ? "" : " ") + argument;
  return line;
}

std::string readText(const fs::path& path)
{
  std::ifstream file(path, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

std::vector<float> sine(int64_t frames, int channels, double frequency, int rate)
{
  std::vector<float> out(static_cast<size_t>(frames * channels));
  for (int64_t i = 0; i < frames; ++i)
    for (int c = 0; c < channels; ++c)
      out[static_cast<size_t>(i * channels + c)] =
          static_cast<float>(0.5 * std::sin(2.0 * M_PI * frequency * double(i) / rate));
  return out;
}

class RenderCommand : public ::testing::Test
{
protected:
  void SetUp() override
  {
    char name[] = "/tmp/kolvane-render-test-XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(name));
    mFolder = name;
  }
  void TearDown() override { fs::remove_all(mFolder); }

  std::string path(const std::string& name) const { return (mFolder / name).string(); }

  void writeSound(const std::string& name, int format, int rate, int channels,
                  const std::vector<float>& samples)
  {
    SF_INFO info;
    std::memset(&info, 0, sizeof(info));
    info.samplerate = rate;
    info.channels = channels;
    info.format = format;
    SNDFILE* file = sf_open(path(name).c_str(), SFM_WRITE, &info);
    ASSERT_NE(nullptr, file) << sf_strerror(nullptr);
    EXPECT_EQ(sf_count_t(samples.size()) / channels,
              sf_writef_float(file, samples.data(), sf_count_t(samples.size()) / channels));
    sf_close(file);
  }

  Sound readSound(const std::string& name)
  {
    Sound sound;
    SF_INFO info;
    std::memset(&info, 0, sizeof(info));
    SNDFILE* file = sf_open(path(name).c_str(), SFM_READ, &info);
    EXPECT_NE(nullptr, file) << name << ": " << sf_strerror(nullptr);
    if (!file)
      return sound;
    sound.rate = info.samplerate;
    sound.channels = info.channels;
    sound.format = info.format;
    sound.samples.resize(static_cast<size_t>(info.frames * info.channels));
    EXPECT_EQ(info.frames, sf_readf_float(file, sound.samples.data(), info.frames));
    sf_close(file);
    return sound;
  }

  // One MIDI track at 480 pulses per quarter note: a tempo, then notes as
  // {pulses, status, key, velocity}.
  void writeMidi(const std::string& name, double bpm, const std::vector<std::vector<int>>& notes)
  {
    smf_t* smf = smf_new();
    ASSERT_EQ(0, smf_set_ppqn(smf, 480));
    smf_track_t* track = smf_track_new();
    smf_add_track(smf, track);
    const long micros = std::lround(60e6 / bpm);
    unsigned char tempo[] = {0xFF,
                             0x51,
                             0x03,
                             static_cast<unsigned char>(micros >> 16),
                             static_cast<unsigned char>(micros >> 8),
                             static_cast<unsigned char>(micros)};
    smf_track_add_event_pulses(track, smf_event_new_from_pointer(tempo, sizeof(tempo)), 0);
    for (const std::vector<int>& note : notes)
      smf_track_add_event_pulses(track, smf_event_new_from_bytes(note[1], note[2], note[3]),
                                 note[0]);
    ASSERT_EQ(0, smf_save(smf, path(name).c_str()));
    smf_delete(smf);
  }

  void writeText(const std::string& name, const std::string& text)
  {
    std::ofstream(path(name), std::ios::binary) << text;
  }

  // Runs kolvane-render in the test folder with the Kolvane binary, unless
  // the arguments name another plug-in.
  Result run(std::vector<std::string> arguments)
  {
    bool pluginGiven = false;
    for (const std::string& argument : arguments)
      pluginGiven = pluginGiven || argument.rfind("--plugin", 0) == 0;
    if (!pluginGiven)
      arguments.insert(arguments.begin(), {"--plugin", KOLVANE_PLUGIN});
    arguments.insert(arguments.begin(), KOLVANE_RENDER);

    const std::string outPath = (mFolder.parent_path() / (mFolder.filename().string() + ".out"));
    const std::string errPath = (mFolder.parent_path() / (mFolder.filename().string() + ".err"));
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outPath.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errPath.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<char*> argv;
    for (std::string& argument : arguments)
      argv.push_back(argument.data());
    argv.push_back(nullptr);

    // Relative file names are the test folder's.
    const fs::path previous = fs::current_path();
    fs::current_path(mFolder);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    fs::current_path(previous);
    posix_spawn_file_actions_destroy(&actions);

    Result result;
    EXPECT_EQ(0, spawned) << std::strerror(spawned);
    int status = 0;
    if (spawned == 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status))
      result.exitCode = WEXITSTATUS(status);
    result.out = readText(outPath);
    result.err = readText(errPath);
    fs::remove(outPath);
    fs::remove(errPath);
    return result;
  }

  std::set<std::string> files() const
  {
    std::set<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(mFolder))
      names.insert(entry.path().filename().string());
    return names;
  }

  fs::path mFolder;
};

// 120 BPM at 48 kHz: a sixteenth-note step is 6000 samples, a bar 96000.
const int kRate = 48000;
const int kStep = 6000;
} // namespace

// "Little Kick" opens the gate on steps 1, 5, 9, 13 and 15 and closes it
// within the step; a --param changes the preset's pattern.
TEST_F(RenderCommand, StepModeGatesOnThePresetsSteps)
{
  writeSound("noise.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, kRate, 1,
             Noise(12345).block<float>(2 * 96000, 0.5));
  struct Case
  {
    std::vector<std::string> options;
    std::set<int> openSteps; // 0-based, over two bars
    std::string presetText;
  };
  const Case cases[] = {
      {{"--preset", "Little Kick"}, {0, 4, 8, 12, 14}, "(preset 20 \"Little Kick\")"},
      {{"--preset=20", "--param", "Step Seq 3=1", "--param", "Step Seq 5=0"},
       {0, 2, 8, 12, 14},
       "(preset 20 \"Little Kick\")"},
      // The bar restarts the pattern at step 1 whatever the start position.
      {{"--preset", "Little Kick", "--start", "8"}, {0, 4, 8, 12, 14}, "(preset 20"},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(joined(c.options));
    std::vector<std::string> arguments = c.options;
    arguments.insert(arguments.end(), {"--tail", "0.25", "noise.wav", "gated.wav"});
    const Result result = run(arguments);
    ASSERT_EQ(0, result.exitCode) << result.err;
    EXPECT_EQ("", result.err);
    EXPECT_TRUE(std::regex_match(
        result.out,
        std::regex("wrote gated\\.wav " +
                   std::regex_replace(c.presetText, std::regex("[()\"]"), "\\$&") +
                   ".*: 4\\.25 s, 2 ch, 48000 Hz, peak -?[0-9.]+ dBFS, RMS -?[0-9.]+ dBFS; "
                   "rendered in [0-9.]+ s, [0-9]+x real time\n")))
        << result.out;

    const Sound out = readSound("gated.wav");
    EXPECT_EQ(kRate, out.rate);
    EXPECT_EQ(2, out.channels);
    EXPECT_EQ(2 * 96000 + 12000, out.Frames()) << "the input and a quarter second of tail";
    for (int step = 0; step < 32; ++step)
    {
      // The step's note-on comes 19 samples in, after the retrigger fade.
      const int64_t start = int64_t(step) * kStep;
      const double early = out.Rms(0, start + 100, start + 1000);
      const double late = out.Rms(0, start + 3000, start + 5500);
      if (c.openSteps.count(step % 16))
      {
        EXPECT_GT(early, 3e-3) << "step " << step + 1 << " opens the gate";
        EXPECT_LT(late, early / 100.0) << "step " << step + 1 << " closes again";
      }
      else
        EXPECT_LT(early, 3e-4) << "step " << step + 1 << " stays shut";
    }
    EXPECT_NEAR(out.Rms(0, 0, out.Frames()), out.Rms(1, 0, out.Frames()), 1e-9)
        << "a mono input feeds both channels";
  }
}

// Every format both ways; the output's follows its extension.
TEST_F(RenderCommand, FormatsFollowTheFileNames)
{
  struct Case
  {
    std::string input;
    int inputFormat;
    std::string output;
    int outputFormat;
  };
  const Case cases[] = {
      {"in.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, "out.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT},
      {"in.aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_24, "out.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_24},
      {"in.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, "OUT.AIF", SF_FORMAT_AIFF | SF_FORMAT_PCM_24},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.input + " -> " + c.output);
    writeSound(c.input, c.inputFormat, 44100, 2, sine(30000, 2, 440.0, 44100));
    const Result result = run({"--param", "Step On Off=1", "--param", "Push!!=1", "--param",
                               "Dry Wet=0.5", c.input, c.output});
    ASSERT_EQ(0, result.exitCode) << result.err;
    const Sound out = readSound(c.output);
    EXPECT_EQ(c.outputFormat, out.format);
    EXPECT_EQ(44100, out.rate);
    EXPECT_EQ(30000, out.Frames());
    // Half dry: the output follows the input from the first sample.
    EXPECT_GT(out.Rms(0, 0, 1000), 0.1);
  }
}

TEST_F(RenderCommand, DoublePrecisionAndBlockSizeChangeNothingAudible)
{
  writeSound("chord.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 44100, 2,
             sine(3 * 44100, 2, 220.0, 44100));
  const std::vector<std::vector<std::string>> variants = {
      {"--notes", "1:60:2,3.5:62:1", "chord.wav", "reference.wav"},
      {"--notes", "1:60:2,3.5:62:1", "--double", "chord.wav", "double.wav"},
      {"--notes", "1:60:2,3.5:62:1", "--block", "37", "chord.wav", "small.wav"},
      {"--notes", "1:60:2", "--notes", "3.5:62:1", "--block=4096", "chord.wav", "large.wav"},
  };
  for (std::vector<std::string> arguments : variants)
  {
    arguments.insert(arguments.begin(), {"--param", "Step On Off=1"});
    const Result result = run(arguments);
    ASSERT_EQ(0, result.exitCode) << result.err;
  }
  const Sound reference = readSound("reference.wav");
  ASSERT_EQ(3 * 44100, reference.Frames());
  EXPECT_GT(reference.Rms(0, 22050 + 2000, 66150), 0.05) << "the first note sounds";
  for (const char* name : {"double.wav", "small.wav", "large.wav"})
  {
    const Sound other = readSound(name);
    ASSERT_EQ(reference.samples.size(), other.samples.size()) << name;
    double worst = 0.0;
    for (size_t i = 0; i < other.samples.size(); ++i)
      worst = std::max(worst, double(std::fabs(other.samples[i] - reference.samples[i])));
    EXPECT_LT(worst, 1e-4) << name;
  }
}

// MIDI gate mode: nothing passes before the first note, on its sample the
// gate opens. The file's tempo times its notes; a note list uses --tempo.
TEST_F(RenderCommand, MidiNotesOpenTheGateOnTheirSample)
{
  writeSound("sine.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_24, 44100, 2,
             sine(2 * 44100, 2, 440.0, 44100));
  // 100 BPM: beat 2 (pulse 960) lies 1.2 s in, at sample 52920.
  writeMidi("notes.mid", 100.0, {{960, 0x90, 60, 100}, {1440, 0x80, 60, 0}});
  struct Case
  {
    std::vector<std::string> options;
    int64_t noteOn;
  };
  const Case cases[] = {
      {{"--midi", "notes.mid"}, 52920},
      {{"--midi", "notes.mid", "--tempo", "140", "--block", "100"}, 52920},
      {{"--notes", "2:60:1", "--tempo", "100"}, 52920},
      {{"--notes=2.5:60:1"}, 55125}, // 120 BPM
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(joined(c.options));
    std::vector<std::string> arguments = c.options;
    arguments.insert(arguments.end(), {"--param", "Step On Off=1", "sine.wav", "gated.wav"});
    const Result result = run(arguments);
    ASSERT_EQ(0, result.exitCode) << result.err;
    const Sound out = readSound("gated.wav");
    ASSERT_EQ(2 * 44100, out.Frames());
    for (int channel = 0; channel < 2; ++channel)
    {
      EXPECT_LT(out.Peak(channel, 0, c.noteOn), 1e-3) << "below -60 dBFS before the note";
      EXPECT_GT(out.Rms(channel, c.noteOn + 441, c.noteOn + 4410), 0.05) << "loud after it";
    }
  }
}

// Whatever goes wrong: exit code, one line saying what, and no file
// written, changed or left behind.
TEST_F(RenderCommand, FailuresAreOneLineAndLeaveNoFileBehind)
{
  writeSound("in.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 2, sine(4410, 2, 440.0, 44100));
  writeSound("surround.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 3,
             sine(4410, 3, 440.0, 44100));
  writeText("not-a-plugin.so", "this is no shared object\n");
  writeText("not-sound.wav", "this is no sound file\n");
  writeText("not-midi.mid", "this is no MIDI file\n");
  // A previous render's output: a failed one must not touch it.
  writeText("out.wav", "the earlier render\n");
  const std::set<std::string> before = files();

  struct Case
  {
    std::vector<std::string> arguments;
    int exitCode;
    std::string message;
  };
  const Case cases[] = {
      {{"--preset", "No Such Preset", "in.wav", "out.wav"},
       1,
       "unknown preset 'No Such Preset': no program has that name, and they are numbered 1 to 30"},
      {{"--preset", "31", "in.wav", "out.wav"}, 1, "unknown preset '31'"},
      {{"--preset", "0", "in.wav", "out.wav"}, 1, "unknown preset '0'"},
      {{"--preset", "falling drops", "in.wav", "out.wav"}, 1, "unknown preset 'falling drops'"},
      {{"--param", "Cutoff=0.5", "in.wav", "out.wav"}, 1, "unknown parameter 'Cutoff'"},
      {{"missing.wav", "out.wav"}, 1, "cannot read 'missing.wav': No such file or directory"},
      {{"not-sound.wav", "out.wav"}, 1, "cannot read 'not-sound.wav': "},
      {{"surround.wav", "out.wav"}, 1, "it has 3 channels; mono or stereo only"},
      {{"--plugin", "not-a-plugin.so", "in.wav", "out.wav"}, 1, "cannot load 'not-a-plugin.so'"},
      {{"--plugin", "missing.so", "in.wav", "out.wav"}, 1, "cannot load 'missing.so'"},
      {{"--midi", "missing.mid", "in.wav", "out.wav"},
       1,
       "cannot read MIDI file 'missing.mid': No such file or directory"},
      {{"--midi", "not-midi.mid", "in.wav", "out.wav"}, 1, "cannot read MIDI file 'not-midi.mid'"},
      {{"in.wav", "out.mp3"}, 1, "cannot write 'out.mp3': name it .wav, .aif, .aiff or .flac"},
      {{"in.wav", "no-folder/out.wav"},
       1,
       "cannot write 'no-folder/out.wav': No such file or directory"},
      {{"in.wav", "."}, 1, "cannot write '.'"},
      {{"--tempo", "0", "in.wav", "out.wav"}, 2, "--tempo needs a number above 0"},
      {{"--notes", "1:60", "in.wav", "out.wav"}, 2, "--notes: '1:60' is not"},
      {{"--frobnicate", "in.wav", "out.wav"}, 2, "unknown option --frobnicate"},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(joined(c.arguments));
    const Result result = run(c.arguments);
    EXPECT_EQ(c.exitCode, result.exitCode);
    EXPECT_EQ(0u, result.err.rfind("kolvane-render: ", 0)) << result.err;
    EXPECT_NE(std::string::npos, result.err.find(c.message)) << result.err;
    EXPECT_EQ(1, std::count(result.err.begin(), result.err.end(), '\n')) << result.err;
    EXPECT_EQ("", result.out);
    EXPECT_EQ(before, files());
    EXPECT_EQ("the earlier render\n", readText(mFolder / "out.wav"));
  }
}

TEST_F(RenderCommand, HelpListsTheOptions)
{
  const Result result = run({"--help"});
  EXPECT_EQ(0, result.exitCode);
  EXPECT_EQ("", result.err);
  for (const char* option : {"--plugin", "--preset", "--param", "--tempo", "--time-sig", "--start",
                             "--block", "--double", "--midi", "--notes", "--tail"})
    EXPECT_NE(std::string::npos, result.out.find(option)) << option;
}
