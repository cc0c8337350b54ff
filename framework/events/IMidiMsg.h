#pragma once

// Short MIDI messages and system-exclusive records, stamped with the sample
// offset inside the current audio block at which they take effect.
//
// Plain records, no locking: the plug-in base's mutex keeps the host's event
// delivery and the audio callback apart.

struct IMidiMsg
{
  // The message kind: the high four bits of the status byte.
  enum EStatusMsg
  {
    kNone = 0,
    kNoteOff = 8,
    kNoteOn = 9,
    kAftertouch = 10,
    kControlChange = 11,
    kProgramChange = 12,
    kChannelAftertouch = 13,
    kPitchWheel = 14
  };

  // A controller number, 0 to 127, as the MIDI standard numbers them.
  typedef int EControlChangeMsg;

  int offset;
  unsigned char status;
  unsigned char data1;
  unsigned char data2;

  IMidiMsg(int offset = 0, unsigned char status = 0, unsigned char data1 = 0,
           unsigned char data2 = 0);

  void Clear();

  // Factories. Each clears the record first; the channel (0 to 15) is ORed
  // into the status byte unmasked.
  void MakeNoteOnMsg(int noteNumber, int velocity, int offset, int channel);
  void MakeNoteOffMsg(int noteNumber, int offset, int channel);
  // value -1 to +1; clamped to the 14-bit range.
  void MakePitchWheelMsg(double value, int channel);
  // value 0 to 1, scaled to 0..127.
  void MakeControlChangeMsg(EControlChangeMsg idx, double value, int channel);

  // Decoding. A message of the wrong kind answers -1, -1.0 or 0.0 as noted.
  int Channel() const;
  EStatusMsg StatusMsg() const; // kNone for system messages and data bytes
  int NoteNumber() const;       // note-off, note-on, aftertouch; else -1
  int Velocity() const;         // note-off, note-on; else -1
  int Program() const;          // program change; else -1
  double PitchWheel() const;    // -1 to just under +1; else 0.0
  EControlChangeMsg ControlChangeIdx() const;
  double ControlChange(EControlChangeMsg idx) const; // 0 to 1; else -1.0

  void LogMsg() {}
};

// "noteon", "controlchange", ...; "unknown" for a value outside the table.
const char* StatusMsgStr(IMidiMsg::EStatusMsg msg);

// A system-exclusive message; the bytes stay owned by the sender.
struct ISysEx
{
  int offset;
  int size;
  const unsigned char* data;

  ISysEx(int offset = 0, const unsigned char* data = nullptr, int size = 0);

  void Clear();
  void LogMsg() {}
};

// Writes the bytes as upper-case hex pairs separated by spaces ("F0 7E 7F"),
// as many as fit in maxLen including the terminator; returns out.
char* SysExStr(char* out, int maxLen, const unsigned char* data, int size);
