#pragma once

// Temporary files for the preset-file and dump tests: one unique path per
// use in the system's temporary folder, removed when the object goes.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

class TempFile
{
public:
  explicit TempFile(const char* suffix)
  {
    static int counter = 0;
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = "kolvane_";
    name += info ? std::string(info->test_suite_name()) + "_" + info->name() : "test";
#ifdef _WIN32
    name += "_" + std::to_string(_getpid());
#else
    name += "_" + std::to_string(getpid());
#endif
    name += "_" + std::to_string(counter++) + suffix;
    for (char& c : name)
    {
      bool keep = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                  c == '.' || c == '_';
      c = keep ? c : '_';
    }
    mPath = (std::filesystem::temp_directory_path() / name).string();
  }
  ~TempFile()
  {
    std::remove(mPath.c_str());
  }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;

  const char* c_str() const
  {
    return mPath.c_str();
  }
  const std::string& path() const
  {
    return mPath;
  }
  bool Exists() const
  {
    return std::filesystem::exists(mPath);
  }

private:
  std::string mPath;
};

inline std::string ReadWholeFile(const std::string& path)
{
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteWholeFile(const std::string& path, const std::string& bytes)
{
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Text as written in text mode, with the platform's line ends read back as '\n'.
inline std::string ReadTextFile(const std::string& path)
{
  std::ifstream in(path);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
