#pragma once

#include "EnvelopeGenerator.h"
#include "Filter.h"
#include "IPlugStructs.h"
#include "MIDIReceiver.h"
#include "Oscillator.h"

// The effect's audio path: per channel a resonant filter, scaled by an
// amplitude envelope and an amplitude LFO, a filter envelope and a filter LFO
// moving the cutoff, and the result mixed with the dry input. The envelopes
// open and close either on MIDI notes (MIDI gate mode) or on the "on" steps
// of a 16-step pattern locked to the host's bar (step mode).
//
// Per block the owner fills mTimeInfo from the host and calls renderBlock;
// renderBlock derives the bar position once, then per sample advances the
// note receiver (MIDI gate mode) or the sequencer (step mode) and runs the
// effect stage, and at the end tells the note receiver the block is over.
//
// Units: musical time in quarter notes and sixty-fourth notes, positions in
// samples inside a bar of four quarter notes, levels 0 to 1. No allocation
// and no lock: the owner's mutex serialises renderBlock with the parameter
// setters. A host position, tempo or rate that would divide by zero leaves
// the bar fields as they were for that block, and a step or bar of zero
// samples skips the sequencer for that sample.
class GateEngine
{
public:
  static constexpr int kNumSteps = 16;

  GateEngine();
  virtual ~GateEngine() = default;

  GateEngine(const GateEngine&) = delete;
  GateEngine& operator=(const GateEngine&) = delete;

  // Renders nFrames of two channels; inputs and outputs may be the same
  // buffers. mTimeInfo must hold this block's transport.
  void renderBlock(double** inputs, double** outputs, int nFrames);
  // One sample of step bookkeeping (step mode, transport running), on the
  // step timing renderBlock derived for this block.
  void sequencer();
  // One sample of both channels.
  void effectStage(const double* in0, const double* in1, double* out0, double* out1);

  // Both envelopes start (restart from their floor) or release. Note number
  // and velocity do not change the sound.
  virtual void onNoteOn(int noteNumber, int velocity);
  virtual void onNoteOff(int noteNumber, int velocity);

  // Sixty-fourth notes per step for an "Arp Speed" index (1 to 9).
  static double stepLengthFor(int arpSpeed);
  // frequency = rate × tempo × (0.75 with triplets, else 0.5) / 60.
  void retuneAmpLFO();
  void retuneFilterLFO();

protected:
  bool mStepOn[kNumSteps] = {};
  int mNumSteps = 16;
  Filter mFilterLeft;
  Filter mFilterRight;
  EnvelopeGenerator mAmpEnvelope;
  EnvelopeGenerator mFilterEnvelope;
  MIDIReceiver mMIDIReceiver;
  Oscillator mFilterLFO;
  Oscillator mAmpLFO;
  double mFilterLFODepth = 0.0;
  double mAmpLFODepth = 0.0;
  double mDryWet = 1.0;
  bool mPushOn = false;
  ITimeInfo mTimeInfo;
  double mBarPosition = 0.0;
  int mSamplesPerBar = 88200;
  int mSampleRateInt = 44100;
  double mTempo = 120.0;
  double mFilterEnvAmount = 1.0;
  int mBarSample = 0;
  int mStepIndex = 0;
  bool mStepHandled = false;
  int mDisplayedStep = 0;
  int mGateMode = 0; // 0 step mode, 1 MIDI gate mode
  bool mPendingNoteOn = false;
  bool mNoteOffSent = false;
  bool mAmpLFOTriple = false;
  bool mFilterLFOTriple = false;
  int mAmpLFORate = 4;
  int mFilterLFORate = 4;
  float mRetriggerFade = 1.0f;
  double mNoteLength = 1.0;
  double mStepLength = 4.0;

private:
  // The bar fields from the block's transport; false (fields untouched)
  // when tempo, numerator or rate give no usable bar.
  bool updateBarPosition();
  // Samples per sixty-fourth note and per step, and the note-off point, for
  // this block: tempo, rate and step length only change between blocks.
  void updateStepTiming();

  int mSamplesPer64th = 0;
  int mStepSamples = 0; // 0: no step to count in, the sequencer rests
  double mNoteOffSamples = 0.0;
  // The last sample's position in its step, to count on from instead of
  // dividing every sample; valid for the bar sample after mPosBarSample.
  int mPosInStep = 0;
  int mPosBarSample = -1;
  void retune(Oscillator& lfo, int rate, bool triplet);
};
