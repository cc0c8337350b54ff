#include "SoundFile.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace render
{
namespace
{
std::string lowerExtension(const std::string& path)
{
  const size_t slash = path.find_last_of('/');
  const size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
    return std::string();
  std::string extension = path.substr(dot + 1);
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension;
}

std::string folderOf(const std::string& path)
{
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos)
    return ".";
  return slash == 0 ? std::string("/") : path.substr(0, slash);
}

std::string baseNameOf(const std::string& path)
{
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}
} // namespace

int OutputFormatFor(const std::string& path)
{
  const std::string extension = lowerExtension(path);
  if (extension == "wav")
    return SF_FORMAT_WAV | SF_FORMAT_FLOAT;
  if (extension == "aif" || extension == "aiff")
    return SF_FORMAT_AIFF | SF_FORMAT_PCM_24;
  if (extension == "flac")
    return SF_FORMAT_FLAC | SF_FORMAT_PCM_24;
  return 0;
}

std::unique_ptr<SoundFile> SoundFile::OpenForReading(const std::string& path, std::string* error)
{
  // libsndfile's message for a missing file names no cause.
  if (access(path.c_str(), R_OK) != 0)
  {
    *error = "cannot read '" + path + "': " + std::strerror(errno);
    return nullptr;
  }
  SF_INFO info;
  std::memset(&info, 0, sizeof(info));
  SNDFILE* handle = sf_open(path.c_str(), SFM_READ, &info);
  if (!handle)
  {
    *error = "cannot read '" + path + "': " + sf_strerror(nullptr);
    return nullptr;
  }
  return std::unique_ptr<SoundFile>(new SoundFile(handle, info));
}

SoundFile::~SoundFile()
{
  sf_close(mHandle);
}

std::unique_ptr<PendingSoundFile> PendingSoundFile::Create(const std::string& target, int format,
                                                           int sampleRate, int channels,
                                                           std::string* error)
{
  SF_INFO info;
  std::memset(&info, 0, sizeof(info));
  info.samplerate = sampleRate;
  info.channels = channels;
  info.format = format;
  if (!sf_format_check(&info))
  {
    *error = "cannot write '" + target + "': the format does not take " + std::to_string(channels) +
             " channels at " + std::to_string(sampleRate) + " Hz";
    return nullptr;
  }

  // Reserve a name nobody else uses, in the target's folder so that the
  // final rename stays on one file system. Created with the usual
  // permissions, as the target itself would be.
  const std::string stem = folderOf(target) + "/." + baseNameOf(target) + "." +
                           std::to_string(static_cast<long>(getpid()));
  std::string temporary;
  for (int attempt = 0;; ++attempt)
  {
    temporary = stem + "-" + std::to_string(attempt) + ".part";
    const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0)
    {
      close(fd);
      break;
    }
    if (errno != EEXIST || attempt == 99)
    {
      *error = "cannot write '" + target + "': " + std::strerror(errno);
      return nullptr;
    }
  }

  SNDFILE* handle = sf_open(temporary.c_str(), SFM_WRITE, &info);
  if (!handle)
  {
    *error = "cannot write '" + target + "': " + sf_strerror(nullptr);
    std::remove(temporary.c_str());
    return nullptr;
  }
  // Integer formats clip what lies beyond full scale instead of wrapping
  // it around.
  if ((format & SF_FORMAT_SUBMASK) != SF_FORMAT_FLOAT)
    sf_command(handle, SFC_SET_CLIPPING, nullptr, SF_TRUE);
  // The float peak chunk carries the time of writing; without it the same
  // render gives the same bytes, so two renders compare with cmp.
  sf_command(handle, SFC_SET_ADD_PEAK_CHUNK, nullptr, SF_FALSE);
  return std::unique_ptr<PendingSoundFile>(new PendingSoundFile(handle, target, temporary));
}

PendingSoundFile::~PendingSoundFile()
{
  discard();
}

bool PendingSoundFile::Write(const float* frames, sf_count_t count, std::string* error)
{
  return !writeFailed(sf_writef_float(mHandle, frames, count), count, error);
}

bool PendingSoundFile::Write(const double* frames, sf_count_t count, std::string* error)
{
  return !writeFailed(sf_writef_double(mHandle, frames, count), count, error);
}

bool PendingSoundFile::writeFailed(sf_count_t written, sf_count_t count, std::string* error)
{
  if (written == count)
    return false;
  *error = "cannot write '" + mTarget + "': " + sf_strerror(mHandle);
  return true;
}

bool PendingSoundFile::Commit(std::string* error)
{
  if (!mHandle)
    return false;
  // Closing writes the header's final sizes; it can fail on a full disk.
  const int closed = sf_close(mHandle);
  mHandle = nullptr;
  if (closed != 0)
  {
    *error = "cannot write '" + mTarget + "': " + sf_error_number(closed);
    discard();
    return false;
  }
  if (std::rename(mTemporary.c_str(), mTarget.c_str()) != 0)
  {
    *error = "cannot write '" + mTarget + "': " + std::strerror(errno);
    discard();
    return false;
  }
  mTemporary.clear();
  return true;
}

void PendingSoundFile::discard()
{
  if (mHandle)
  {
    sf_close(mHandle);
    mHandle = nullptr;
  }
  if (!mTemporary.empty())
  {
    std::remove(mTemporary.c_str());
    mTemporary.clear();
  }
}

} // namespace render
