#include "Base64.h"

namespace
{
const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int sextet(char c)
{
  if (c >= 'A' && c <= 'Z')
    return c - 'A';
  if (c >= 'a' && c <= 'z')
    return c - 'a' + 26;
  if (c >= '0' && c <= '9')
    return c - '0' + 52;
  if (c == '+')
    return 62;
  if (c == '/')
    return 63;
  return -1;
}
} // namespace

void base64encode(const unsigned char* in, char* out, int len)
{
  int o = 0;
  for (int i = 0; i < len; i += 3)
  {
    unsigned int triple = static_cast<unsigned int>(in[i]) << 16;
    if (i + 1 < len)
      triple |= static_cast<unsigned int>(in[i + 1]) << 8;
    if (i + 2 < len)
      triple |= in[i + 2];
    out[o++] = kAlphabet[(triple >> 18) & 63];
    out[o++] = kAlphabet[(triple >> 12) & 63];
    out[o++] = i + 1 < len ? kAlphabet[(triple >> 6) & 63] : '=';
    out[o++] = i + 2 < len ? kAlphabet[triple & 63] : '=';
  }
  out[o] = '\0';
}

int base64decode(const char* src, unsigned char* dest, int destSize)
{
  int written = 0;
  unsigned int accumulator = 0;
  int bits = 0;
  for (; src && *src && written < destSize; ++src)
  {
    int value = sextet(*src);
    if (value < 0)
    {
      break;
    }
    accumulator = (accumulator << 6) | static_cast<unsigned int>(value);
    bits += 6;
    if (bits >= 8)
    {
      bits -= 8;
      dest[written++] = static_cast<unsigned char>((accumulator >> bits) & 0xFF);
    }
  }
  return written;
}
