#include "Base64.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace
{
std::string Encode(const std::string& bytes)
{
  // Exactly the documented size, so a write past it is an overflow.
  std::vector<char> out(4 * ((bytes.size() + 2) / 3) + 1);
  base64encode(reinterpret_cast<const unsigned char*>(bytes.data()), out.data(),
               static_cast<int>(bytes.size()));
  return out.data();
}

std::string Decode(const char* text, int destSize)
{
  std::vector<unsigned char> dest(static_cast<size_t>(destSize));
  int n = base64decode(text, dest.data(), destSize);
  return std::string(dest.begin(), dest.begin() + n);
}
} // namespace

TEST(Base64, KnownTexts)
{
  struct Case
  {
    const char* bytes;
    const char* text;
  };
  const Case cases[] = {
      {"", ""},
      {"a", "YQ=="},
      {"ab", "YWI="},
      {"abc", "YWJj"},
      {"f", "Zg=="},
      {"fo", "Zm8="},
      {"foo", "Zm9v"},
      {"foob", "Zm9vYg=="},
      {"fooba", "Zm9vYmE="},
      {"foobar", "Zm9vYmFy"},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.bytes);
    EXPECT_EQ(c.text, Encode(c.bytes));
    EXPECT_EQ(c.bytes, Decode(c.text, 16));
  }
}

TEST(Base64, UsesPlusAndSlash)
{
  EXPECT_EQ("+/8=", Encode(std::string("\xFB\xFF", 2)));
  EXPECT_EQ(std::string("\xFB\xFF", 2), Decode("+/8=", 16));
}

TEST(Base64, DecodeWritesAtMostDestSize)
{
  EXPECT_EQ("YWI=", Encode("ab"));
  EXPECT_EQ(2, base64decode("YWI=", std::vector<unsigned char>(8).data(), 8));
  EXPECT_EQ("foob", Decode("Zm9vYmFy", 4));
  EXPECT_EQ("", Decode("Zm9vYmFy", 0));
}

TEST(Base64, DecodeStopsAtTheFirstCharacterOutsideTheAlphabet)
{
  EXPECT_EQ("foo", Decode("Zm9v!YmFy", 16));
  EXPECT_EQ("f", Decode("Zm 9v", 16)); // 12 bits give one whole byte
  EXPECT_EQ("", Decode("", 16));
  EXPECT_EQ(0, base64decode(nullptr, std::vector<unsigned char>(4).data(), 4));
}

TEST(Base64, EveryByteValueRoundTripsAtEveryLengthRemainder)
{
  for (int length = 0; length <= 300; ++length)
  {
    std::string bytes;
    for (int i = 0; i < length; ++i)
    {
      bytes.push_back(static_cast<char>((i * 97 + length) & 0xFF));
    }
    std::string text = Encode(bytes);
    ASSERT_EQ(4 * ((bytes.size() + 2) / 3), text.size()) << length;
    ASSERT_EQ(bytes, Decode(text.c_str(), length)) << length;
  }
}
