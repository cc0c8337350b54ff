#include "MIDIReceiver.h"

#include <cmath>

MIDIReceiver::MIDIReceiver()
    : midiQueue(kMaxPendingMessages), numKeys(0), keyStatus(), lastNoteNumber(-1),
      lastFrequency(-1.0), lastVelocity(0), sampleCounter(0)
{
}

void MIDIReceiver::onMessageReceived(const IMidiMsg* msg)
{
  IMidiMsg::EStatusMsg kind = msg->StatusMsg();
  if (kind != IMidiMsg::kNoteOn && kind != IMidiMsg::kNoteOff)
  {
    return;
  }
  if (msg->NoteNumber() >= kNumKeys)
  {
    return; // not a MIDI data byte: no key to mark
  }
  if (midiQueue.Size() >= kMaxPendingMessages)
  {
    midiQueue.Remove();
  }
  midiQueue.Add(msg);
}

void MIDIReceiver::advance()
{
  while (!midiQueue.Empty())
  {
    const IMidiMsg msg = *midiQueue.Peek();
    if (msg.offset > sampleCounter)
    {
      break;
    }
    // Consumed before the signals run, so a handler may queue messages.
    midiQueue.Remove();

    int noteNumber = msg.NoteNumber();
    int velocity = msg.Velocity();
    if (msg.StatusMsg() == IMidiMsg::kNoteOn && velocity != 0)
    {
      if (!keyStatus[noteNumber])
      {
        keyStatus[noteNumber] = true;
        ++numKeys;
      }
      if (noteNumber != lastNoteNumber)
      {
        lastNoteNumber = noteNumber;
        lastFrequency = noteNumberToFrequency(noteNumber);
        lastVelocity = velocity;
        noteOnSignal(noteNumber, velocity);
      }
    }
    else
    {
      if (keyStatus[noteNumber])
      {
        keyStatus[noteNumber] = false;
        --numKeys;
      }
      if (noteNumber == lastNoteNumber)
      {
        lastNoteNumber = -1;
        noteOffSignal(noteNumber, lastVelocity);
      }
    }
  }
  ++sampleCounter;
}

void MIDIReceiver::endBlock()
{
  sampleCounter = 0;
  midiQueue.ResetOffsets();
}

double MIDIReceiver::noteNumberToFrequency(int noteNumber)
{
  return 440.0 * std::pow(2.0, (noteNumber - 69) / 12.0);
}
