#pragma once

#include <cstdarg>
#include <cstdio>
#include <string>

// A growable NUL-terminated byte string. Get() never returns null.
class WDL_String
{
public:
  WDL_String() = default;
  explicit WDL_String(const char* text) { Set(text); }

  // Copies text; with maxLen > 0, at most maxLen bytes of it. Null empties.
  void Set(const char* text, int maxLen = 0)
  {
    mText.clear();
    Append(text, maxLen);
  }
  void Append(const char* text, int maxLen = 0)
  {
    if (!text)
    {
      return;
    }
    // The bound is checked before each byte is read: text need not be
    // terminated within maxLen bytes.
    size_t n = 0;
    while ((maxLen <= 0 || n < static_cast<size_t>(maxLen)) && text[n])
    {
      ++n;
    }
    mText.append(text, n);
  }
  // printf-style; the result is never cut.
  void SetFormatted(const char* format, ...)
#if defined(__GNUC__)
      __attribute__((format(printf, 2, 3)))
#endif
  {
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    int n = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    mText.clear();
    if (n > 0)
    {
      mText.resize(static_cast<size_t>(n));
      std::vsnprintf(&mText[0], static_cast<size_t>(n) + 1, format, args);
    }
    va_end(args);
  }

  const char* Get() const
  {
    return mText.c_str();
  }
  int GetLength() const
  {
    return static_cast<int>(mText.size());
  }

private:
  std::string mText;
};
