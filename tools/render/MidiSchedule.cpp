#include "MidiSchedule.h"

#include "PluginInstance.h"

#include <smf.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>

// libsmf loses its 80-byte file record on every load it refuses. In a
// command that reads one file and exits that costs nothing, but the leak
// checker of the sanitizer build would fail every run that reports a bad
// MIDI file; only that record is excused.
#if defined(__SANITIZE_ADDRESS__)
#define KOLVANE_RENDER_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KOLVANE_RENDER_SANITIZED 1
#endif
#endif
#ifdef KOLVANE_RENDER_SANITIZED
extern "C" __attribute__((visibility("default"))) const char* __lsan_default_suppressions()
{
  return "leak:smf_new\n";
}
// Without the table of excused leaks after every such run.
extern "C" __attribute__((visibility("default"))) const char* __lsan_default_options()
{
  return "print_suppressions=0";
}
#endif

namespace render
{
namespace
{
bool isNoteOff(const TimedMidi& event)
{
  const unsigned kind = event.status & 0xF0u;
  return kind == 0x80u || (kind == 0x90u && event.data2 == 0);
}

bool isNote(const unsigned char* bytes, int length)
{
  const unsigned kind = bytes[0] & 0xF0u;
  return length == 3 && (kind == 0x80u || kind == 0x90u);
}

int64_t frameOf(double seconds, double sampleRate)
{
  return static_cast<int64_t>(std::llround(seconds * sampleRate));
}

// libsmf reports through GLib's log, several messages for one bad file,
// the cause first. It reads on past damage such as a truncated track, with
// a critical message; a render from half a file would only puzzle, so the
// first critical message fails the load. While it loads, messages are
// kept, not printed.
class LibraryMessages
{
public:
  LibraryMessages() { mPrevious = g_log_set_default_handler(keep, this); }
  ~LibraryMessages() { g_log_set_default_handler(mPrevious, nullptr); }
  LibraryMessages(const LibraryMessages&) = delete;
  LibraryMessages& operator=(const LibraryMessages&) = delete;

  // The first critical message, else the first of any kind; empty if none.
  std::string Cause() const { return mFirstCritical.empty() ? mFirst : mFirstCritical; }
  bool Critical() const { return !mFirstCritical.empty(); }

private:
  static void keep(const gchar*, GLogLevelFlags level, const gchar* text, gpointer self)
  {
    LibraryMessages& messages = *static_cast<LibraryMessages*>(self);
    std::string message = text ? text : "unknown problem";
    for (const char* prefix : {"SMF error: ", "SMF warning: "})
      if (message.rfind(prefix, 0) == 0)
        message.erase(0, std::strlen(prefix));
    if (messages.mFirst.empty())
      messages.mFirst = message;
    if ((level & (G_LOG_LEVEL_CRITICAL | G_LOG_LEVEL_ERROR)) && messages.mFirstCritical.empty())
      messages.mFirstCritical = message;
  }

  GLogFunc mPrevious = nullptr;
  std::string mFirst;
  std::string mFirstCritical;
};

struct SmfDeleter
{
  void operator()(smf_t* smf) const { smf_delete(smf); }
};

// libsmf asserts, ending the process, on some damaged files it should
// report: a track whose last event ends with the track but is no End of
// Track event, for one. A child process tries the file first, without a
// core file or the assertion's text; only a file the library reads
// without ending the process is read in this one. Called while the
// process runs one thread, as the render tool does when it reads its MIDI
// file.
bool libraryEndsOn(const std::string& path)
{
  std::fflush(nullptr);
  const pid_t child = fork();
  if (child < 0)
    return false; // cannot tell: the file is read here as before
  if (child == 0)
  {
    const rlimit noCore = {0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
    const int null = open("/dev/null", O_WRONLY);
    if (null >= 0)
      dup2(null, STDERR_FILENO);
    LibraryMessages quiet;
    if (smf_t* smf = smf_load(path.c_str()))
      smf_delete(smf);
    _exit(0);
  }
  int status = 0;
  while (waitpid(child, &status, 0) < 0)
    if (errno != EINTR)
      return false;
  return !(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}
} // namespace

void MidiSchedule::Add(const TimedMidi& event)
{
  mEvents.push_back(event);
  mSorted = false;
}

void MidiSchedule::AddNotes(const std::vector<Note>& notes, double tempo, double sampleRate)
{
  const double secondsPerBeat = 60.0 / tempo;
  for (const Note& note : notes)
  {
    const unsigned char key = static_cast<unsigned char>(note.key);
    const double start = note.startBeats * secondsPerBeat;
    const double end = (note.startBeats + note.lengthBeats) * secondsPerBeat;
    Add({frameOf(start, sampleRate), 0x90, key, static_cast<unsigned char>(note.velocity)});
    // A note always lasts at least one sample, however short its length.
    Add({std::max(frameOf(end, sampleRate), frameOf(start, sampleRate) + 1), 0x80, key, 0});
  }
}

void MidiSchedule::Sort()
{
  std::stable_sort(mEvents.begin() + static_cast<std::ptrdiff_t>(mNext), mEvents.end(),
                   [](const TimedMidi& a, const TimedMidi& b)
                   {
                     if (a.frame != b.frame)
                       return a.frame < b.frame;
                     return isNoteOff(a) && !isNoteOff(b);
                   });
  mSorted = true;
}

std::vector<VstMidiEvent> MidiSchedule::TakeBlock(int64_t firstFrame, int frames)
{
  if (!mSorted)
    Sort();
  std::vector<VstMidiEvent> block;
  while (mNext < mEvents.size() && mEvents[mNext].frame < firstFrame)
    ++mNext;
  while (mNext < mEvents.size() && mEvents[mNext].frame < firstFrame + frames)
  {
    const TimedMidi& event = mEvents[mNext++];
    block.push_back(vsthost::PluginInstance::MidiEvent(
        static_cast<VstInt32>(event.frame - firstFrame), event.status, event.data1, event.data2));
  }
  return block;
}

bool ReadMidiFile(const std::string& path, double fallbackTempo, double sampleRate,
                  MidiFileContent* content, std::string* error)
{
  auto fail = [&](const std::string& why)
  {
    *error = "cannot read MIDI file '" + path + "': " + why;
    return false;
  };
  // libsmf's own message for a missing file names no cause.
  if (FILE* probe = std::fopen(path.c_str(), "rb"))
    std::fclose(probe);
  else
    return fail(std::strerror(errno));

  if (libraryEndsOn(path))
    return fail("damaged beyond what the MIDI library can read (a track without its end?)");

  std::unique_ptr<smf_t, SmfDeleter> smf;
  {
    LibraryMessages messages;
    smf.reset(smf_load(path.c_str()));
    if (!smf || messages.Critical())
      return fail(messages.Cause().empty() ? "not a Standard MIDI File" : messages.Cause());
  }
  if (smf->ppqn <= 0)
    return fail("only files timed in pulses per quarter note are read");

  struct Found
  {
    int pulses;
    double seconds;
    TimedMidi event;
  };
  std::vector<Found> notes;
  MidiFileContent result;
  while (smf_event_t* event = smf_get_next_event(smf.get()))
  {
    const unsigned char* bytes = event->midi_buffer;
    const int length = event->midi_buffer_length;
    if (!bytes || length < 1)
      continue;
    // Tempo: FF 51 03 followed by microseconds per quarter note.
    if (length >= 6 && bytes[0] == 0xFF && bytes[1] == 0x51 && !result.tempo)
    {
      const long micros = (long(bytes[3]) << 16) | (long(bytes[4]) << 8) | long(bytes[5]);
      if (micros > 0)
        result.tempo = 60e6 / static_cast<double>(micros);
    }
    if (isNote(bytes, length))
      notes.push_back({event->time_pulses, event->time_seconds, {0, bytes[0], bytes[1], bytes[2]}});
  }

  for (Found& found : notes)
  {
    // Without tempo events libsmf times the file at its own default;
    // the render's tempo is the one the user chose.
    const double seconds =
        result.tempo ? found.seconds
                     : found.pulses / static_cast<double>(smf->ppqn) * 60.0 / fallbackTempo;
    found.event.frame = frameOf(seconds, sampleRate);
    result.events.push_back(found.event);
  }
  *content = std::move(result);
  return true;
}

} // namespace render
