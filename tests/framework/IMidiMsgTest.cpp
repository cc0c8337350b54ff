#include "IMidiMsg.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

TEST(IMidiMsg, DecodesEachKind)
{
  struct Case
  {
    unsigned char status, data1, data2;
    IMidiMsg::EStatusMsg kind;
    int note, velocity, program;
  };
  const Case cases[] = {
      {0x93, 60, 100, IMidiMsg::kNoteOn, 60, 100, -1},
      {0x90, 60, 0, IMidiMsg::kNoteOn, 60, 0, -1}, // a release, but reported as note-on
      {0x80, 61, 64, IMidiMsg::kNoteOff, 61, 64, -1},
      {0xA0, 62, 30, IMidiMsg::kAftertouch, 62, -1, -1},
      {0xB0, 7, 99, IMidiMsg::kControlChange, -1, -1, -1},
      {0xC5, 12, 0, IMidiMsg::kProgramChange, -1, -1, 12},
      {0xD0, 40, 0, IMidiMsg::kChannelAftertouch, -1, -1, -1},
      {0xE0, 0, 64, IMidiMsg::kPitchWheel, -1, -1, -1},
      {0xF8, 60, 100, IMidiMsg::kNone, -1, -1, -1}, // clock
      {0xFF, 60, 100, IMidiMsg::kNone, -1, -1, -1}, // reset
      {0x45, 60, 100, IMidiMsg::kNone, -1, -1, -1}, // a data byte in the status position
  };
  for (const Case& c : cases)
  {
    IMidiMsg msg(0, c.status, c.data1, c.data2);
    SCOPED_TRACE(testing::Message() << "status 0x" << std::hex << int(c.status));
    EXPECT_EQ(c.kind, msg.StatusMsg());
    EXPECT_EQ(c.note, msg.NoteNumber());
    EXPECT_EQ(c.velocity, msg.Velocity());
    EXPECT_EQ(c.program, msg.Program());
    EXPECT_EQ(c.status & 0x0F, msg.Channel());
  }
}

TEST(IMidiMsg, PitchWheelRoundTrip)
{
  struct Case
  {
    unsigned char data1, data2;
    double value;
  };
  const Case decode[] = {{0, 64, 0.0}, {0, 0, -1.0}, {127, 127, 8191.0 / 8192.0}};
  for (const Case& c : decode)
  {
    EXPECT_EQ(c.value, IMidiMsg(0, 0xE0, c.data1, c.data2).PitchWheel());
  }
  EXPECT_EQ(0.0, IMidiMsg(0, 0x90, 0, 0).PitchWheel()) << "not a pitch wheel message";

  const Case encode[] = {
      {127, 127, 1.0},   // 16384 clamps to 16383
      {0, 0, -1.0},      // 0
      {0, 64, 0.0},      // centre
      {127, 127, 1e300}, // far out of range saturates instead of overflowing
      {0, 0, -1e300},
  };
  for (const Case& c : encode)
  {
    IMidiMsg msg(99, 0, 1, 1);
    msg.MakePitchWheelMsg(c.value, 3);
    EXPECT_EQ(0xE3, msg.status) << c.value;
    EXPECT_EQ(c.data1, msg.data1) << c.value;
    EXPECT_EQ(c.data2, msg.data2) << c.value;
    EXPECT_EQ(0, msg.offset) << c.value;
  }
}

TEST(IMidiMsg, Factories)
{
  IMidiMsg msg(5, 0xFF, 1, 2);
  msg.MakeControlChangeMsg(7, 1.0, 2);
  EXPECT_EQ(0xB2, msg.status);
  EXPECT_EQ(7, msg.data1);
  EXPECT_EQ(127, msg.data2);
  EXPECT_EQ(0, msg.offset);
  EXPECT_EQ(7, msg.ControlChangeIdx());
  EXPECT_DOUBLE_EQ(1.0, msg.ControlChange(7));
  EXPECT_EQ(-1.0, msg.ControlChange(8)) << "another controller";

  msg.MakeNoteOnMsg(64, 90, 17, 1);
  EXPECT_EQ(IMidiMsg(17, 0x91, 64, 90).status, msg.status);
  EXPECT_EQ(64, msg.NoteNumber());
  EXPECT_EQ(90, msg.Velocity());
  EXPECT_EQ(17, msg.offset);

  msg.MakeNoteOffMsg(64, 30, 0);
  EXPECT_EQ(0x80, msg.status);
  EXPECT_EQ(0, msg.data2);
  EXPECT_EQ(30, msg.offset);

  msg.Clear();
  EXPECT_EQ(0, msg.offset);
  EXPECT_EQ(IMidiMsg::kNone, msg.StatusMsg());
}

TEST(IMidiMsg, StatusNames)
{
  EXPECT_STREQ("none", StatusMsgStr(IMidiMsg::kNone));
  EXPECT_STREQ("noteoff", StatusMsgStr(IMidiMsg::kNoteOff));
  EXPECT_STREQ("noteon", StatusMsgStr(IMidiMsg::kNoteOn));
  EXPECT_STREQ("aftertouch", StatusMsgStr(IMidiMsg::kAftertouch));
  EXPECT_STREQ("controlchange", StatusMsgStr(IMidiMsg::kControlChange));
  EXPECT_STREQ("programchange", StatusMsgStr(IMidiMsg::kProgramChange));
  EXPECT_STREQ("channelaftertouch", StatusMsgStr(IMidiMsg::kChannelAftertouch));
  EXPECT_STREQ("pitchwheel", StatusMsgStr(IMidiMsg::kPitchWheel));
  EXPECT_STREQ("unknown", StatusMsgStr(static_cast<IMidiMsg::EStatusMsg>(3)));
}

TEST(SysExStr, WritesWhatFitsAndNeverMore)
{
  const unsigned char bytes[] = {0xF0, 0x7E, 0x7F, 0x09, 0xF7};
  struct Case
  {
    int maxLen;
    int size;
    const char* expected;
  };
  const Case cases[] = {
      {64, 3, "F0 7E 7F"},
      {10, 5, "F0 7E 7F"},       // room for 3 bytes: 8 characters and the terminator
      {9, 3, "F0 7E 7F"},        // an exact fit
      {15, 5, "F0 7E 7F 09 F7"}, // another exact fit
      {2, 5, ""},                // room for no byte
      {64, 0, ""},
  };
  for (const Case& c : cases)
  {
    char out[80];
    std::memset(out, '#', sizeof out);
    EXPECT_STREQ(c.expected, SysExStr(out, c.maxLen, bytes, c.size)) << c.maxLen;
    for (int i = c.maxLen; i < static_cast<int>(sizeof out); ++i)
    {
      ASSERT_EQ('#', out[i]) << "wrote past maxLen " << c.maxLen << " at " << i;
    }
  }
  char out[8] = "junk";
  EXPECT_STREQ("", SysExStr(out, 8, nullptr, 3));
}

TEST(ISysEx, HoldsTheSendersBytes)
{
  const unsigned char bytes[] = {0xF0, 0xF7};
  ISysEx sysex(12, bytes, 2);
  EXPECT_EQ(bytes, sysex.data);
  EXPECT_EQ(2, sysex.size);
  EXPECT_EQ(12, sysex.offset);
  sysex.Clear();
  EXPECT_EQ(nullptr, sysex.data);
  EXPECT_EQ(0, sysex.size);
}
