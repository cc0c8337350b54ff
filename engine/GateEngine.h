#pragma once

#include "EnvelopeGenerator.h"
#include "Filter.h"
#include "ITimeInfo.h"
#include "MIDIReceiver.h"
#include "Oscillator.h"

// The effect's audio path: per channel a resonant filter, scaled by an
// amplitude envelope and an amplitude LFO, a filter envelope and a filter LFO
// moving the cutoff, and the result mixed with the dry input. The envelopes
// open and close either on MIDI notes (MIDI gate mode) or on the "on" steps
// of a 16-step pattern locked to the host's bar (step mode).
//
// How the owner drives it:
//   1. construction: both LFOs at 6 Hz, unmuted; every setting below at the
//      value its comment gives until the owner sets it;
//   2. setSampleRate whenever the host's rate is known or changes; setTempo
//      once the host is known;
//   3. the setters, whenever a parameter changes (between blocks);
//   4. per block: queueMidi for each MIDI message of the block, timeInfo()
//      filled from the host, then renderBlock.
// renderBlock derives the bar position once, then per sample advances the
// note receiver (MIDI gate mode) or the sequencer (step mode) and runs the
// effect stage, and at the end tells the note receiver the block is over.
//
// Units: musical time in quarter notes and sixty-fourth notes, positions in
// samples inside a bar of four quarter notes, levels 0 to 1. No allocation
// and no lock: the owner serialises renderBlock with the setters. Setters
// store what they are given unless their comment says they clamp; the
// parameter layer keeps values in range. A host position, tempo or rate that
// would divide by zero leaves the bar fields as they were for that block, and
// a step or bar of zero samples skips the sequencer for that sample.
class GateEngine
{
public:
  static constexpr int kNumSteps = 16;

  enum EGateMode
  {
    kStepMode = 0,     // the step pattern opens the gate, locked to the bar
    kMidiGateMode = 1, // MIDI notes and "Push!!" open the gate
  };

  // The sequencer's windows, in samples. A block boundary can fall anywhere,
  // so each event is caught within a few samples rather than on one exact
  // sample.
  //
  // Both LFOs are held at phase 0 while the bar sample is at most this: the
  // first ten samples of every bar, so that they restart on each bar line.
  static constexpr int kLFORestartSamples = 9;
  // A step's start is handled on the first sample at positions 0 to this
  // inside the step.
  static constexpr int kStepStartWindow = 10;
  // A step start from kBarLineLead samples before a bar line to
  // kBarLineWindow - kBarLineLead samples after it is the bar's first step.
  static constexpr int kBarLineLead = 30;
  static constexpr int kBarLineWindow = 99;
  // The note of a step is released this many samples before its length is
  // up, so that the release has begun before the next step fires.
  static constexpr double kNoteOffLead = 100.0;
  // Per sample, the wet signal fades by this much before a step's note-on:
  // the note-on comes on the 20th sample, after a 19-sample fade out.
  static constexpr float kRetriggerFadeStep = 0.05f;
  // A step level moves to its new value in a straight line over this long,
  // so that a change of level, at a step's start or under a held note, never
  // jumps.
  static constexpr double kLevelRampSeconds = 0.005;

  // A listener sees every gate opening (note-on) and closing (note-off) with
  // the bar sample it happens on. It is called on the audio thread, inside
  // renderBlock or a setter, and must not block or allocate.
  class GateListener
  {
  public:
    virtual ~GateListener() = default;
    virtual void gateChanged(bool open, int barSample) = 0;
  };

  GateEngine();

  GateEngine(const GateEngine&) = delete;
  GateEngine& operator=(const GateEngine&) = delete;

  // ---- Per block -------------------------------------------------------
  // Renders nFrames of two channels; inputs and outputs may be the same
  // buffers. timeInfo() must hold this block's transport.
  void renderBlock(double** inputs, double** outputs, int nFrames);
  // The transport record the owner fills from the host before each block;
  // fields the host does not supply keep their previous values. Starts at
  // 120 BPM, 4/4, positions -1, stopped.
  ITimeInfo& timeInfo() { return mTimeInfo; }
  const ITimeInfo& timeInfo() const { return mTimeInfo; }
  // Queues one MIDI message for the next block, in either gate mode; only
  // notes are kept (see MIDIReceiver).
  void queueMidi(const IMidiMsg* msg) { mMIDIReceiver.onMessageReceived(msg); }

  // ---- Settings --------------------------------------------------------
  // Samples per second, for the envelopes, the LFOs and the bar and step
  // timing. A rate below 1 (or NaN) is ignored. The integer rate that times
  // bars and steps is the rate truncated, kept as it was when no int can
  // hold it. Starts at 44100.
  void setSampleRate(double sampleRate);
  // Beats per minute, until the next block brings the host's tempo; the
  // LFO frequencies follow timeInfo()'s tempo when they are retuned. Not
  // clamped. Starts at 120.
  void setTempo(double tempo) { mTempo = tempo; }
  // Attack, decay and release in seconds (negative counts as 0), sustain as
  // a level 0 to 1. Not clamped. Start at 0.01 s, 0.5 s, 0.1 and 1 s.
  void setAmpEnvelopeStage(EnvelopeGenerator::EnvelopeStage stage, double value)
  {
    mAmpEnvelope.setStageValue(stage, value);
  }
  void setFilterEnvelopeStage(EnvelopeGenerator::EnvelopeStage stage, double value)
  {
    mFilterEnvelope.setStageValue(stage, value);
  }
  // Cutoff coefficient of both filters, 0.01 (dark) to 0.99 (bright); the
  // filters clamp the modulated cutoff, not this value. Starts at 0.99.
  void setCutoff(double cutoff);
  // Resonance of both filters, 0 to 1. Not clamped. Starts at 0.
  void setResonance(double resonance);
  // Low-pass, high-pass or band-pass for both filters. Starts low-pass.
  void setFilterMode(Filter::FilterMode mode);
  // Scale of the filter LFO's cutoff offset, 0 to 1. Not clamped. Starts 0.
  void setFilterLFODepth(double depth) { mFilterLFODepth = depth; }
  // Scale of the amplitude LFO, 0 to 1. Not clamped. Starts 0.
  void setAmpLFODepth(double depth) { mAmpLFODepth = depth; }
  // LFO rate multiplier, 1 to 128 (a power of two): rate × 0.5 cycles per
  // quarter note, or rate × 0.75 with triplets. Retunes the LFO at the tempo
  // of timeInfo(). Not clamped. Starts at 4.
  void setAmpLFORate(int rate);
  void setFilterLFORate(int rate);
  // Triplet timing of an LFO; retunes it with the rate it has. Starts off.
  void setAmpLFOTriplet(bool triplet);
  void setFilterLFOTriplet(bool triplet);
  // Waveform of an LFO: saw, square or sine. Starts sine.
  void setAmpLFOMode(OscillatorMode mode) { mAmpLFO.setMode(mode); }
  void setFilterLFOMode(OscillatorMode mode) { mFilterLFO.setMode(mode); }
  // Scale of the filter envelope's cutoff offset, 0 to 1. Not clamped.
  // Starts at 1.
  void setFilterEnvAmount(double amount) { mFilterEnvAmount = amount; }
  // 0 passes the input only, 1 the processed signal only. Not clamped.
  // Starts at 1.
  void setDryWet(double dryWet) { mDryWet = dryWet; }
  // Which events open the gate. Switching releases nothing. Starts in step
  // mode. The step levels apply in step mode only: MIDI gate mode ramps the
  // level to 1, step mode back to the current step's.
  void setGateMode(EGateMode mode);
  // Step step (0 to 15) of the pattern on or off; others are ignored. All
  // steps start off.
  void setStepOn(int step, bool on);
  // The level of step step (0 to 15), 0 to 1, clamped (NaN counts as 1); others
  // are ignored. It scales the gated (wet) signal from the step's start to
  // the next step's start; a change to the step being played ramps over
  // kLevelRampSeconds. All levels start at 1, which leaves the output as it
  // is without them.
  void setStepLevel(int step, double level);
  // Swing, 0 to 1, clamped (NaN counts as 0). With steps of L samples,
  // every second step of the bar's grid (the 2nd, 4th and so on, counted
  // from the bar line) starts d = round(swing * L / 2) samples late, and the
  // step before it lasts d samples longer: 1 splits a pair of steps 75 : 25,
  // 2/3 plays triplets. A step's note length is a fraction of its swung
  // length. Takes effect from the next block; no effect in MIDI gate mode.
  // Starts at 0.
  void setSwing(double swing);
  // Steps in the cycle, 2 to 16. Not clamped: a cycle longer than the
  // pattern restarts at step 1. Starts at 16.
  void setNumSteps(int numSteps) { mNumSteps = numSteps; }
  // Step length in sixty-fourth notes (see stepLengthFor). Not clamped.
  // Starts at 4, a sixteenth note.
  void setStepLength(double sixtyFourths) { mStepLength = sixtyFourths; }
  // The fraction of a step its note lasts, 0 to 1. Not clamped. Starts at 1.
  void setNoteLength(double fraction) { mNoteLength = fraction; }
  // "Push!!": in MIDI gate mode pressing opens the gate and releasing
  // closes it, at once; in step mode it does nothing.
  void push(bool down);

  // Sixty-fourth notes per step for an "Arp Speed" index: 1 gives 8 (an
  // eighth note), 5 gives 4 (a sixteenth), 9 gives 0.5. The index is clamped
  // to 0 (16) to 9.
  static double stepLengthFor(int arpSpeed);
  // Told of every gate change from now on; null for nobody.
  void setGateListener(GateListener* listener) { mGateListener = listener; }

  // ---- What the engine is doing ----------------------------------------
  EGateMode gateMode() const { return mGateMode; }
  bool stepOn(int step) const { return step >= 0 && step < kNumSteps && mStepOn[step]; }
  double stepLevel(int step) const
  {
    return step >= 0 && step < kNumSteps ? mStepLevel[step] : 0.0;
  }
  double swing() const { return mSwing; }
  // The level the gated signal is scaled by now, on its way to the current
  // step's level while a ramp runs.
  double currentLevel() const { return mLevel; }
  // The delay of the late steps this block, in samples (d above).
  int swingSamples() const { return mSwingSamples; }
  int numSteps() const { return mNumSteps; }
  double stepLength() const { return mStepLength; }
  double noteLength() const { return mNoteLength; }
  double dryWet() const { return mDryWet; }
  int ampLFORate() const { return mAmpLFORate; }
  int filterLFORate() const { return mFilterLFORate; }
  int sampleRateInt() const { return mSampleRateInt; }
  double tempo() const { return mTempo; }
  // Position inside the bar, in quarter notes and in samples, as the last
  // block left it, and the bar's length in samples.
  double barPosition() const { return mBarPosition; }
  int barSample() const { return mBarSample; }
  int samplesPerBar() const { return mSamplesPerBar; }
  // The step being played (0 to numSteps - 1) as of the end of the last
  // block; read by the editor's step LEDs. 0 before the first block.
  int displayedStep() const { return mDisplayedStep; }
  int stepIndex() const { return mStepIndex; }
  const Filter& filterLeft() const { return mFilterLeft; }
  const Filter& filterRight() const { return mFilterRight; }
  const EnvelopeGenerator& ampEnvelope() const { return mAmpEnvelope; }
  const EnvelopeGenerator& filterEnvelope() const { return mFilterEnvelope; }
  const Oscillator& ampLFO() const { return mAmpLFO; }
  const Oscillator& filterLFO() const { return mFilterLFO; }
  const MIDIReceiver& midiReceiver() const { return mMIDIReceiver; }

private:
  // Both envelopes start (restart from their floor) or release. Note number
  // and velocity do not change the sound. Connected to the note receiver.
  void onNoteOn(int noteNumber, int velocity);
  void onNoteOff(int noteNumber, int velocity);
  // The samples of a block. Without swing and with every step level, and
  // the level itself, at 1 (feelAtRest), a block runs with kFeel false: no
  // swing or level bookkeeping per sample, the work it was before either
  // existed, so that they cost nothing until they are used.
  template <bool kFeel>
  void renderSamples(const double* in0, const double* in1, double* out0, double* out1, int nFrames);
  bool feelAtRest() const;
  // One sample of step bookkeeping (step mode, transport running), on the
  // step timing renderBlock derived for this block.
  template <bool kFeel> void sequencer();
  // One sample of both channels.
  template <bool kFeel>
  void effectStage(const double* in0, const double* in1, double* out0, double* out1);
  // The bar fields from the block's transport; false (fields untouched)
  // when tempo, numerator or rate give no usable bar.
  bool updateBarPosition();
  // Samples per sixty-fourth note and per step, and the note-off point, for
  // this block: tempo, rate and step length only change between blocks.
  void updateStepTiming();
  // A non-finite input sample stays in the filters for good, and would
  // silence the plug-in until it is reloaded: what is not finite at the end
  // of a block starts the next block from rest. The LFOs need no check:
  // their phase is brought back into range every sample.
  void recoverNonFiniteState();
  // frequency = rate × tempo × (0.75 with triplets, else 0.5) / 60.
  void retune(Oscillator& lfo, int rate, bool triplet);
  // Where mBarSample lies on the (swung) step grid: sets mPosInStep, the
  // step's length and whether it is a late step, by division.
  void locateInStep();
  // The step level heads for target from now on, over kLevelRampSeconds.
  void setLevelTarget(double target);
  // A step's level; 1 for an index outside the pattern (a cycle set longer
  // than 16 steps).
  double levelOfStep(int step) const;

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
  EGateMode mGateMode = kStepMode;
  bool mPendingNoteOn = false;
  bool mNoteOffSent = false;
  bool mAmpLFOTriple = false;
  bool mFilterLFOTriple = false;
  int mAmpLFORate = 4;
  int mFilterLFORate = 4;
  float mRetriggerFade = 1.0f;
  double mNoteLength = 1.0;
  double mStepLength = 4.0;

  int mSamplesPer64th = 0;
  int mStepSamples = 0; // 0: no step to count in, the sequencer rests
  double mNoteOffSamples = 0.0;
  // The last sample's position in its step, to count on from instead of
  // dividing every sample; valid for the bar sample after mPosBarSample.
  int mPosInStep = 0;
  int mPosBarSample = -1;

  // Swing: the setting, and per block the delay of the late steps, the
  // length of the step mPosInStep counts in, whether it is a late one, and
  // the note-off points of early (long) and late (short) steps. Without
  // swing every step is early and both points are mNoteOffSamples.
  double mSwing = 0.0;
  int mSwingSamples = 0;
  int mThisStepSamples = 0;
  bool mLateStep = false;
  double mNoteOffEarly = 0.0;
  double mNoteOffLate = 0.0;

  // Step levels, and the ramp the gated signal's level follows: mLevel moves
  // by mLevelStep for mLevelRampLeft more samples, then lands exactly on
  // mLevelTarget.
  double mStepLevel[kNumSteps] = {1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0,
                                  1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0};
  int mStepsBelowFullLevel = 0;
  double mLevel = 1.0;
  double mLevelTarget = 1.0;
  double mLevelStep = 0.0;
  int mLevelRampLeft = 0;
  int mLevelRampSamples = 221; // kLevelRampSeconds at 44.1 kHz
  GateListener* mGateListener = nullptr;
};
