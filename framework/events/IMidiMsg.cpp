#include "IMidiMsg.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace
{
// Truncates toward zero like a cast, but defined for every double: NaN gives
// 0 and values beyond the int range saturate.
int truncToInt(double value)
{
  if (std::isnan(value))
  {
    return 0;
  }
  return static_cast<int>(std::max<double>(INT_MIN, std::min<double>(INT_MAX, value)));
}
} // namespace

IMidiMsg::IMidiMsg(int offset, unsigned char status, unsigned char data1, unsigned char data2)
    : offset(offset), status(status), data1(data1), data2(data2)
{
}

void IMidiMsg::Clear()
{
  offset = 0;
  status = data1 = data2 = 0;
}

void IMidiMsg::MakeNoteOnMsg(int noteNumber, int velocity, int offset, int channel)
{
  Clear();
  status = static_cast<unsigned char>(0x90 | channel);
  data1 = static_cast<unsigned char>(noteNumber);
  data2 = static_cast<unsigned char>(velocity);
  this->offset = offset;
}

void IMidiMsg::MakeNoteOffMsg(int noteNumber, int offset, int channel)
{
  Clear();
  status = static_cast<unsigned char>(0x80 | channel);
  data1 = static_cast<unsigned char>(noteNumber);
  this->offset = offset;
}

void IMidiMsg::MakePitchWheelMsg(double value, int channel)
{
  Clear();
  status = static_cast<unsigned char>(0xE0 | channel);
  long long i = static_cast<long long>(truncToInt(value * 8192.0)) + 8192;
  i = std::max(0LL, std::min(16383LL, i));
  data1 = static_cast<unsigned char>(i & 0x7F);
  data2 = static_cast<unsigned char>(i >> 7);
}

void IMidiMsg::MakeControlChangeMsg(EControlChangeMsg idx, double value, int channel)
{
  Clear();
  status = static_cast<unsigned char>(0xB0 | channel);
  data1 = static_cast<unsigned char>(idx);
  data2 = static_cast<unsigned char>(truncToInt(value * 127.0) & 0xFF);
}

int IMidiMsg::Channel() const
{
  return status & 0x0F;
}

IMidiMsg::EStatusMsg IMidiMsg::StatusMsg() const
{
  unsigned int kind = status >> 4;
  if (kind >= kNoteOff && kind <= kPitchWheel)
  {
    return static_cast<EStatusMsg>(kind);
  }
  return kNone;
}

int IMidiMsg::NoteNumber() const
{
  switch (StatusMsg())
  {
  case kNoteOff:
  case kNoteOn:
  case kAftertouch:
    return data1;
  default:
    return -1;
  }
}

int IMidiMsg::Velocity() const
{
  switch (StatusMsg())
  {
  case kNoteOff:
  case kNoteOn:
    return data2;
  default:
    return -1;
  }
}

int IMidiMsg::Program() const
{
  return StatusMsg() == kProgramChange ? data1 : -1;
}

double IMidiMsg::PitchWheel() const
{
  if (StatusMsg() != kPitchWheel)
  {
    return 0.0;
  }
  int i = data2 * 128 + data1;
  return (i - 8192) / 8192.0;
}

IMidiMsg::EControlChangeMsg IMidiMsg::ControlChangeIdx() const
{
  return data1;
}

double IMidiMsg::ControlChange(EControlChangeMsg idx) const
{
  if (StatusMsg() == kControlChange && data1 == idx)
  {
    return data2 / 127.0;
  }
  return -1.0;
}

const char* StatusMsgStr(IMidiMsg::EStatusMsg msg)
{
  switch (msg)
  {
  case IMidiMsg::kNone:
    return "none";
  case IMidiMsg::kNoteOff:
    return "noteoff";
  case IMidiMsg::kNoteOn:
    return "noteon";
  case IMidiMsg::kAftertouch:
    return "aftertouch";
  case IMidiMsg::kControlChange:
    return "controlchange";
  case IMidiMsg::kProgramChange:
    return "programchange";
  case IMidiMsg::kChannelAftertouch:
    return "channelaftertouch";
  case IMidiMsg::kPitchWheel:
    return "pitchwheel";
  }
  return "unknown";
}

ISysEx::ISysEx(int offset, const unsigned char* data, int size)
    : offset(offset), size(size), data(data)
{
}

void ISysEx::Clear()
{
  offset = 0;
  size = 0;
  data = nullptr;
}

char* SysExStr(char* out, int maxLen, const unsigned char* data, int size)
{
  if (!out || maxLen <= 0)
  {
    return out;
  }
  out[0] = '\0';
  if (!data || size <= 0)
  {
    return out;
  }
  // Each byte takes "XX " (three characters) and the last space becomes the
  // terminator, so n bytes need exactly 3n characters: never past maxLen.
  static const char kHex[] = "0123456789ABCDEF";
  int n = std::min(maxLen / 3, size);
  for (int i = 0; i < n; ++i)
  {
    out[3 * i] = kHex[data[i] >> 4];
    out[3 * i + 1] = kHex[data[i] & 0x0F];
    out[3 * i + 2] = ' ';
  }
  if (n > 0)
  {
    out[3 * n - 1] = '\0';
  }
  return out;
}
