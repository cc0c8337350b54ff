#pragma once

#include <sndfile.h>

#include <memory>
#include <string>

namespace render
{

// The libsndfile format written for a file name, from its extension (any
// case): .wav 32-bit float, .aif/.aiff and .flac 24-bit integer. 0 for any
// other name.
int OutputFormatFor(const std::string& path);

// An open libsndfile handle, closed with its owner.
class SoundFile
{
public:
  // The file for reading, or null with one line in `error`.
  static std::unique_ptr<SoundFile> OpenForReading(const std::string& path, std::string* error);

  ~SoundFile();
  SoundFile(const SoundFile&) = delete;
  SoundFile& operator=(const SoundFile&) = delete;

  SNDFILE* Handle() const { return mHandle; }
  const SF_INFO& Info() const { return mInfo; }

private:
  SoundFile(SNDFILE* handle, const SF_INFO& info) : mHandle(handle), mInfo(info) {}

  SNDFILE* mHandle;
  SF_INFO mInfo;
};

// A sound file written under a temporary name in the folder of its target
// and renamed over the target only once complete, so that a failed or
// interrupted write never leaves a partial file under the target's name.
// Destroying it uncommitted removes the temporary file.
class PendingSoundFile
{
public:
  // The temporary file, open for writing in `format`; or null with one
  // line in `error` (folder missing or not writable, format refused).
  static std::unique_ptr<PendingSoundFile> Create(const std::string& target, int format,
                                                  int sampleRate, int channels, std::string* error);

  ~PendingSoundFile();
  PendingSoundFile(const PendingSoundFile&) = delete;
  PendingSoundFile& operator=(const PendingSoundFile&) = delete;

  SNDFILE* Handle() const { return mHandle; }
  const std::string& TemporaryPath() const { return mTemporary; }

  // Writes interleaved frames; false with one line in `error` when the file
  // takes fewer (a full disk).
  bool Write(const float* frames, sf_count_t count, std::string* error);
  bool Write(const double* frames, sf_count_t count, std::string* error);

  // Closes the file and renames it to the target. On failure the temporary
  // file is removed and `error` says why.
  bool Commit(std::string* error);

private:
  PendingSoundFile(SNDFILE* handle, std::string target, std::string temporary)
      : mHandle(handle), mTarget(std::move(target)), mTemporary(std::move(temporary))
  {
  }
  bool writeFailed(sf_count_t written, sf_count_t count, std::string* error);
  void discard();

  SNDFILE* mHandle;
  std::string mTarget;
  std::string mTemporary;
};

} // namespace render
