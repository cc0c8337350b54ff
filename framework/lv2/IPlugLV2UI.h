#pragma once

#include "IPlugBase.h"
#include "IPlugLV2.h"

#include <lv2/core/lv2.h>
#include <lv2/options/options.h>
#include <lv2/ui/ui.h>
#include <lv2/urid/urid.h>

#include <cstdint>
#include <memory>

// The LV2 UI adapter: the plug-in's own editor as an LV2 UI of type X11UI.
// An LV2 UI runs apart from the processing instance and reaches it only
// through the host, so the UI owns a mirror of the plug-in: a class on the
// base with the same parameters, readouts and editor but nothing that
// plays (for Kolvane, KolvaneMirror). The editor works on the mirror
// through IPlugInterface exactly as it works on the processing plug-in in
// VST2, the host's values reach it through the façade as any host's do,
// and this adapter, the mirror's IFormatAdapter, turns what the editor
// tells the host into the host's UI features:
//   a parameter value      the write function, on the parameter's control
//                          port, in the parameter's real units
//   begin / end gesture    ui:touch (where the host offers it)
//   the editor's size      ui:resize (where the host offers it)
// and what the host tells the UI into the mirror and its controls: the
// host's ui:scaleFactor (an option at instantiation, or set later through
// the options interface) becomes the editor's host scale, as a VST2 host's
// content scale does, so the editor opens at that scale unless the user
// chose one and the host hears of the new size through ui:resize; each
// control port's value arrives as a port event, and so does each readout
// port's (the processing side's readouts, which the mirror shows through
// IPlugBase::SetReadoutFromHost and its idle tick).
//
// The editor is a child window of ui:parent, the widget handed to the host
// is that window, and the host's idle calls (ui:idleInterface) handle its
// events and redraw it. Every call is the host's UI thread's.
class IPlugLV2UI final : public IFormatAdapter
{
public:
  // [UI thread] Takes the UI's plug-in, reads the host's features and opens
  // the editor; Open() is false when no window could be made (no ui:parent,
  // or no editor on this platform).
  IPlugLV2UI(std::unique_ptr<IPlugBase> plug, LV2UI_Write_Function write,
             LV2UI_Controller controller, const LV2_Feature* const* features);
  ~IPlugLV2UI() override;

  IPlugLV2UI(const IPlugLV2UI&) = delete;
  IPlugLV2UI& operator=(const IPlugLV2UI&) = delete;

  bool Open(LV2UI_Widget* widget);
  IPlugBase* GetPlug() const { return mPlug; }

  // ---- The LV2 UI descriptor's calls [UI thread] ---------------------------
  // A float on a control port or a readout port (format 0); anything else,
  // and a readout outside its range, is ignored.
  void PortEvent(uint32_t port, uint32_t size, uint32_t format, const void* buffer);
  // The mirror's idle tick (OnIdle), then the window's events and a redraw;
  // 0 while the editor is open.
  int Idle();
  // The host's options, of which the UI takes ui:scaleFactor; the status
  // LV2's options interface answers. Options of another subject or key are
  // refused one by one, the rest still read.
  uint32_t SetOptions(const LV2_Options_Option* options);
  // ui:scaleFactor, as the host last set it; other keys are refused.
  uint32_t GetOptions(LV2_Options_Option* options) const;
  // The idle interface for LV2_UI__idleInterface, the options interface for
  // LV2_OPTIONS__interface, null for anything else.
  static const void* ExtensionData(const char* uri);

  // ---- IFormatAdapter -----------------------------------------------------
  EAPI GetAPI() const override { return kAPILV2; }
  void BeginInformHostOfParamChange(int idx) override;
  void InformHostOfParamChange(int idx, double normalizedValue) override;
  void EndInformHostOfParamChange(int idx) override;
  void InformHostOfProgramChange() override {}
  // The UI has no transport: it renders nothing.
  bool IsRenderingOffline() override { return false; }
  int GetSamplePos() override { return 0; }
  double GetTempo() override { return 0.0; }
  void GetTimeSig(int* pNum, int* pDenom) override { *pNum = *pDenom = 0; }
  void GetTime(ITimeInfo*) override {}
  void IdentifyHost() override;
  void AttachGraphics(IGraphicsInterface*) override {}
  void ResizeGraphics(int w, int h) override;
  void SetLatency(int) override {}
  bool SendMidiMsg(IMidiMsg*) override { return false; }
  bool SendSysEx(ISysEx*) override { return false; }

private:
  // The control port of a parameter, and back; -1 for none.
  uint32_t PortOf(int idx) const { return mLayout.controls + static_cast<uint32_t>(idx); }
  int ParamOf(uint32_t port) const;
  // The readout a port carries; -1 for none.
  int ReadoutOf(uint32_t port) const;

  IPlugFacade mFacade;
  IPlugBase* mPlug; // the façade's: the mirror
  IPlugLV2::PortLayout mLayout;
  LV2UI_Write_Function mWrite;
  LV2UI_Controller mController;
  void* mParent = nullptr;
  const LV2UI_Resize* mResize = nullptr;
  const LV2UI_Touch* mTouch = nullptr;
  bool mOpen = false;
  // Mapped with the host's urid:map; 0 without one (no option is read).
  LV2_URID mScaleFactorKey = 0;
  LV2_URID mAtomFloat = 0;
  LV2_URID mAtomDouble = 0;
  // The host's scale as it gave it; 0 until it gives one.
  float mHostScale = 0.0f;
};

// The UI descriptor's functions for one plug-in class.
template <class Plug> struct LV2UIEntry
{
  static LV2UI_Handle Instantiate(const LV2UI_Descriptor*, const char*, const char*,
                                  LV2UI_Write_Function write, LV2UI_Controller controller,
                                  LV2UI_Widget* widget, const LV2_Feature* const* features)
  {
    WDL_MutexLock lock(&LV2CreationMutex());
    try
    {
      std::unique_ptr<IPlugLV2UI> ui(
          new IPlugLV2UI(std::unique_ptr<IPlugBase>(new Plug()), write, controller, features));
      return ui->Open(widget) ? ui.release() : nullptr;
    }
    catch (...)
    {
      return nullptr;
    }
  }
  static void Cleanup(LV2UI_Handle ui) { delete static_cast<IPlugLV2UI*>(ui); }
  static void PortEvent(LV2UI_Handle ui, uint32_t port, uint32_t size, uint32_t format,
                        const void* buffer)
  {
    static_cast<IPlugLV2UI*>(ui)->PortEvent(port, size, format, buffer);
  }
};

// Defines lv2ui_descriptor, the UI's one entry point, for a plug-in class
// under the UI's URI (a string literal).
#define KOLVANE_LV2_UI_ENTRY_POINTS(PlugClass, URI)                                                \
  extern "C" __attribute__((visibility("default"))) const LV2UI_Descriptor* lv2ui_descriptor(      \
      uint32_t index)                                                                              \
  {                                                                                                \
    static const LV2UI_Descriptor descriptor = {                                                   \
        URI, LV2UIEntry<PlugClass>::Instantiate, LV2UIEntry<PlugClass>::Cleanup,                   \
        LV2UIEntry<PlugClass>::PortEvent, IPlugLV2UI::ExtensionData};                              \
    return index == 0 ? &descriptor : nullptr;                                                     \
  }
