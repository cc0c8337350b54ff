// The audio path must not touch the heap: a processing call that allocates
// can block on the allocator's lock and miss the host's deadline. Every
// operator new in this executable is counted while a window is open.

#include "AllocationWindow.h"
#include "FakeHost.h"
#include "IPlugVST.h"
#include "Kolvane.h"

#include <gtest/gtest.h>

#include <vector>

TEST(AudioPath, ProcessingAllocatesNothing)
{
  FakeHost host;
  host.time.tempo = 128.0;
  host.time.timeSigNumerator = 4;
  host.time.timeSigDenominator = 4;
  host.time.flags = kVstTransportPlaying | kVstPpqPosValid | kVstTempoValid | kVstTimeSigValid;
  AEffect* effect = VST2EntryPoint<Kolvane>(FakeHost::Callback);
  ASSERT_NE(nullptr, effect);
  OpenLikeADaw(effect, 48000.0f, 512);

  std::vector<float> inL(512, 0.3f), inR(512, -0.3f), outL(512), outR(512);
  std::vector<double> dInL(512, 0.3), dInR(512, -0.3), dOutL(512), dOutR(512);
  float* in[] = {inL.data(), inR.data()};
  float* out[] = {outL.data(), outR.data()};
  double* dIn[] = {dInL.data(), dInR.data()};
  double* dOut[] = {dOutL.data(), dOutR.data()};
  VstMidiEvent note = {};
  note.type = kVstMidiType;
  note.byteSize = sizeof note;
  VstEvents events = {};
  events.numEvents = 1;
  events.events[0] = reinterpret_cast<VstEvent*>(&note);

  for (int mode = 0; mode < 2; ++mode) // step mode, then MIDI gate mode
  {
    effect->setParameter(effect, kStepOnOff, static_cast<float>(mode));
    AllocationWindow window;
    for (int block = 0; block < 400; ++block)
    {
      note.deltaFrames = block % 512;
      note.midiData[0] = static_cast<char>(block % 2 ? 0x80 : 0x90);
      note.midiData[1] = static_cast<char>(48 + block % 24);
      note.midiData[2] = 100;
      effect->dispatcher(effect, effProcessEvents, 0, 0, &events, 0.0f);
      effect->setParameter(effect, kFilterCutoff, static_cast<float>(block % 10) / 10.0f);
      // Swing and step levels on and off, so that blocks of both kinds run.
      effect->setParameter(effect, kSwing, block % 4 < 2 ? 0.0f : 0.5f);
      effect->setParameter(effect, kStepLevel1 + block % 16, static_cast<float>(block % 5) / 4.0f);
      switch (block % 3)
      {
      case 0:
        effect->processReplacing(effect, in, out, 512);
        break;
      case 1:
        effect->process(effect, in, out, 512);
        break;
      default:
        effect->processDoubleReplacing(effect, dIn, dOut, 512);
        break;
      }
      host.time.ppqPos += 512 * 128.0 / 60.0 / 48000.0;
    }
    EXPECT_EQ(0, window.Count()) << (mode ? "MIDI gate mode" : "step mode");
  }

  // The one permitted exception: a host sending more frames than it
  // announced makes the buffers grow, once.
  std::vector<float> bigL(2048, 0.1f), bigR(2048, 0.1f), bigOutL(2048), bigOutR(2048);
  float* bigIn[] = {bigL.data(), bigR.data()};
  float* bigOut[] = {bigOutL.data(), bigOutR.data()};
  effect->processReplacing(effect, bigIn, bigOut, 2048);
  {
    AllocationWindow window;
    effect->processReplacing(effect, bigIn, bigOut, 2048);
    effect->processReplacing(effect, in, out, 512);
    EXPECT_EQ(0, window.Count()) << "grown once, then reused";
  }
  effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
}
