#pragma once

#include "IPlugBase.h"

#include <memory>
#ifndef NDEBUG
#include <atomic>
#include <thread>
#endif

// Which thread a call comes from, where a format's host can say (a CLAP
// host's thread check): what the façade's debug checks ask. [any thread]
class IThreadCheck
{
public:
  // The host's audio thread, or one of them.
  virtual bool IsAudioThread() const = 0;
  // The host's main (user-interface) thread.
  virtual bool IsMainThread() const = 0;

protected:
  ~IThreadCheck() = default;
};

// The one layer between a plug-in and every format adapter. An adapter
// translates its format's calls into these and nothing more; what every
// format shares (the order of a lifecycle, the rule for a parameter set by
// the host, the texts of values both ways, processing into the host's
// buffers, MIDI in, the state chunk, the editor's window) is written here
// once, so that each format gets the same plug-in behind it.
//
// Life of an instance, as every adapter drives it:
//   1. the format's entry point constructs the plug-in class and then the
//      adapter, which makes its façade around the plug-in (channels
//      connected, a block size set, the adapter connected as the plug-in's
//      IFormatAdapter);
//   2. SetSampleRate and SetBlockSize, each followed by Reset, as the host
//      announces them;
//   3. Open, once the host's transport may be asked: the host identified
//      (once per instance) and every parameter pushed into the plug-in;
//   4. SetActive(true); per block: parameter changes, MIDI, then Process;
//      SetActive(false) resets;
//   5. state saved and loaded at any time between 1 and 6;
//   6. the adapter deletes the façade, which closes an open editor window
//      and deletes the plug-in.
//
// The editor exists only while the host shows it: OpenEditor builds it
// (IPlugBase::MakeEditor) and CloseEditor deletes it, so that an instance
// whose editor is closed, as every instance of a render or of a processing
// side is, holds no artwork and no back buffer. What outlives it, the size
// the user chose and the host's content scale, the façade keeps and hands
// to the next one it builds; its size is known before it is built.
//
// The parameter flows, by direction (each names its entry point):
//   host to plug-in   SetParameterNormalized / SetParameterValue /
//                     SetParameterFromText: the parameter's editor controls
//                     take the value (when an editor exists), the parameter
//                     stores it, the plug-in is told (OnParamChange). The
//                     host is not told back: the value came from it.
//   editor to host    IPlugBase::SetParameterFromGUI inside the editor's
//                     gesture (IPlugInterface): the parameter stores it,
//                     the host is told through the adapter (begin, value,
//                     end), the plug-in is told.
//   state to both     LoadState: every value stored, the plug-in told of
//                     each, the editor's controls redrawn.
//
// Threads: the tags of IPlugBase.h. Every entry point here expects the
// plug-in mutex held by its caller, as an adapter's callbacks take it once
// for the whole host call. Debug builds check the tags as far as the façade
// can tell: the mutex (IPLUG_ASSERT_MUTEX_HELD); that a [UI thread] entry
// point is not called from the audio thread, and an [audio thread] one not
// from the main thread. A format whose host says which thread is which
// supplies it (SetThreadCheck); without one, the audio thread is the one
// inside a processing call of this instance, and no thread is known as the
// main one.
class IPlugFacade
{
public:
  // What a state chunk holds: the live plug-in (a program) or every preset
  // slot (a bank).
  enum EStateKind
  {
    kStateProgram = 0,
    kStateBank = 1,
  };

  // [construction] Takes the constructed plug-in and connects format to it;
  // every channel connected, blockSize frames of scratch. The adapter
  // outlives the façade's use of it.
  IPlugFacade(std::unique_ptr<IPlugBase> plug, IFormatAdapter* format, int blockSize);
  // [UI thread] An open editor window goes before the plug-in it calls.
  ~IPlugFacade();

  IPlugFacade(const IPlugFacade&) = delete;
  IPlugFacade& operator=(const IPlugFacade&) = delete;

  IPlugBase* GetPlug() const { return mPlug.get(); }
  int NParams() const { return mPlug->NParams(); }
  // [construction] The host's word on threads, for the debug checks; it
  // outlives the façade. Null: the façade's own tracking.
  void SetThreadCheck(const IThreadCheck* check) { mThreadCheck = check; }

  // ---- Lifecycle [UI thread, mutex held] ---------------------------------
  // [any thread, mutex held] The host is identified at the first call only;
  // every call pushes every parameter into the plug-in. A format that
  // learns the transport only with the first block opens there, on the
  // audio thread.
  void Open();
  // A rate that is not a finite positive number keeps the one there is,
  // since it would poison every time base; Reset follows either way.
  void SetSampleRate(double sampleRate);
  // Frames of scratch for the blocks to come (0 or less: none yet); Reset
  // follows.
  void SetBlockSize(int blockSize);
  // The host starts (true) or stops (false) processing; stopping resets.
  void SetActive(bool active);
  // The host's idle tick for the plug-in (not the editor's window).
  void Idle();

  // ---- Parameters: host to plug-in [any thread, mutex held] -------------
  // False, and nothing changes, for an index out of range or a value that
  // is not a finite number. A normalized value outside 0..1 is clamped, a
  // real one is clamped into the parameter's range.
  bool SetParameterNormalized(int idx, double normalizedValue);
  bool SetParameterValue(int idx, double value);
  // Through the parameter's one parser (IParam::ParseText): false, and the
  // value stays, for a text that is no value of this parameter.
  bool SetParameterFromText(int idx, const char* text);
  // 0 for an index out of range.
  double GetParameterNormalized(int idx) const;
  // The text a host shows for the current value, or for a normalized one
  // (the value SetParameterNormalized would set), at most
  // MAX_PARAM_DISPLAY_LEN bytes; "" for an index out of range. Its unit, for
  // the current value, is the parameter's GetLabelForHost.
  void GetParameterText(int idx, char* text) const;
  void GetParameterText(int idx, double normalizedValue, char* text) const;
  // The same text of a normalized value and, apart, its unit ("ms", "%",
  // "% wet", or "" where the text says it all), at most MAX_PARAM_LABEL_LEN
  // bytes. Together, with a space between ("250 ms"), they are the value as
  // a host shows it on its own, which SetParameterFromText reads back as
  // that value: the text alone may not say it ("10" is 10 ms or 10 s).
  void GetParameterText(int idx, double normalizedValue, char* text, char* unit) const;

  // ---- Programs [UI thread, mutex held] ----------------------------------
  // The host chooses a preset slot; the edits of the one being left stay in
  // it. An index out of range (-1 for one a format cannot even hold) keeps
  // the current slot.
  void SelectProgram(int idx);

  // ---- MIDI in [audio thread, mutex held] -------------------------------
  // One event of the block about to be processed, frames from its start: a
  // short message (its first byte a status byte) or a system-exclusive one.
  // Anything else is ignored.
  void ProcessMidi(int offset, const unsigned char* bytes, int size);
  // A system-exclusive message as the host delivers it, whole.
  void ProcessSysEx(int offset, const unsigned char* bytes, int size);

  // ---- Audio [audio thread, mutex held] ----------------------------------
  // One block from the host's buffers, one per channel. False, and nothing
  // is written, for no frames or missing buffer arrays. A block longer than
  // the scratch buffers grows them (the one allocation on the audio path,
  // for hosts that send more than they announce); when they cannot grow the
  // block is not processed. The block renders with subnormal numbers
  // flushed to zero (IDenormalGuard), the host's floating-point state
  // restored after it: a decay into silence costs no more than sound, and
  // every format renders the same samples.
  bool Process(float** inputs, float** outputs, int nFrames);
  bool Process(double** inputs, double** outputs, int nFrames);
  // Float, adding to what the outputs hold.
  bool ProcessAccumulating(float** inputs, float** outputs, int nFrames);

  // ---- State [any thread, mutex held] ------------------------------------
  // The chunk's header, then the plug-in's state or every preset slot (the
  // live state first becomes the current slot's, so that the bank restores
  // the sound as it is now), then, withEditor, the editor's trailer. False
  // when nothing could be written.
  //
  // The trailer sits after the state, where readers that do not know it
  // stop: the tag IPLUG_EDITOR_STATE_MAGIC, a version, the number of bytes
  // that follow, then for version 1 the size the user chose for the editor
  // in percent. Written only once the user has chosen one, so a chunk is
  // otherwise what it always was.
  bool SaveState(ByteChunk* chunk, EStateKind kind, bool withEditor);
  // The inverse. A program chunk's values become the current slot's. A
  // damaged chunk fails, but the values read before the damage keep their
  // new values; the editor's controls follow either way. The user's size
  // comes from a whole trailer only: without one (an older chunk) the
  // editor keeps the size it has, and later versions' extra bytes are
  // skipped.
  bool LoadState(const ByteChunk& chunk, EStateKind kind);

  // ---- The editor [UI thread] --------------------------------------------
  // Whether the plug-in has an editor this platform can show in a window.
  bool HasEditorWindow() const;
  // Its size in pixels at the scale it has or will open at.
  int EditorWidth() const;
  int EditorHeight() const;
  // [mutex held] The editor, built with the sizes kept for it when there
  // is none yet, without a window: what OpenEditor shows, and what tools
  // and tests draw. Null for a plug-in without an editor.
  IGraphicsInterface* BuildEditor();
  // [mutex held] Builds it and opens it as a child of the host's window:
  // the editor's window, null when none could be made.
  void* OpenEditor(void* parentWindow);
  // [mutex held] The host closes it (the plug-in told: OnGUIClose) and the
  // editor the façade built goes; false when there is no editor window to
  // close.
  bool CloseEditor();
  bool IsEditorOpen() const { return mEditorOpen; }
  // [plug-in mutex NOT held] The window's events and its redraw, which
  // reach the plug-in through calls that take the mutex themselves, so that
  // audio is not held up while the editor draws.
  void EditorIdle();
  // [mutex held] The host's content scale, for the editor open or to come;
  // false when the editor does not scale or there is none.
  bool SetEditorHostScale(double scale);

private:
  template <class Sample> bool Attach(Sample** inputs, Sample** outputs, int nFrames);
  // One block: the host's buffers attached, subnormals flushed, then render.
  template <class Sample, class Render>
  bool RunBlock(Sample** inputs, Sample** outputs, int nFrames, Render render);
  void ApplyParameter(IParam* param, int idx, double value, bool normalized);
  void SaveEditorState(ByteChunk* chunk) const;
  void LoadEditorState(const ByteChunk& chunk, int startPos);
  // The scale an editor not yet built will open at, before the platform's.
  double EditorScale() const;
  // Debug builds: whether the calling thread is the audio or the main one,
  // as the host says or, for the audio thread, as the façade saw it.
  bool OnAudioThread() const;
  bool OnMainThread() const;

  std::unique_ptr<IPlugBase> mPlug;
  bool mHostIdentified = false;
  bool mEditorOpen = false;
  bool mEditorBuilt = false; // the live editor is the façade's, deleted on close
  // Kept while no editor is built: the user's size in percent (0: no
  // choice) and the host's content scale (0: none given).
  int mUserScalePercent = 0;
  double mHostScale = 0.0;
  const IThreadCheck* mThreadCheck = nullptr;
#ifndef NDEBUG
  // The thread inside a processing call of this instance, none outside one.
  std::atomic<std::thread::id> mProcessingThread{};
#endif
};
