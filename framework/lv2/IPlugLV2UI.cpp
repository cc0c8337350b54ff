#include "IPlugLV2UI.h"

#include <cmath>
#include <cstring>

IPlugLV2UI::IPlugLV2UI(std::unique_ptr<IPlugBase> plug, LV2UI_Write_Function write,
                       LV2UI_Controller controller, const LV2_Feature* const* features)
    : mPlug(std::move(plug)), mLayout(IPlugLV2::Layout(*mPlug)), mWrite(write),
      mController(controller)
{
  for (int i = 0; features && features[i]; ++i)
  {
    const char* uri = features[i]->URI;
    if (!std::strcmp(uri, LV2_UI__parent))
    {
      mParent = features[i]->data;
    }
    else if (!std::strcmp(uri, LV2_UI__resize))
    {
      mResize = static_cast<const LV2UI_Resize*>(features[i]->data);
    }
    else if (!std::strcmp(uri, LV2_UI__touch))
    {
      mTouch = static_cast<const LV2UI_Touch*>(features[i]->data);
    }
  }
  mPlug->SetFormat(this);
  mPlug->GetHost();
}

IPlugLV2UI::~IPlugLV2UI()
{
  if (mOpen)
  {
    IGraphicsInterface* graphics = mPlug->GetGUI();
    IPlugBase::IMutexLock lock(mPlug.get());
    mPlug->OnGUIClose();
    lock.Destroy();
    graphics->CloseWindow();
  }
  // The plug-in (and its editor) goes first, while the adapter it may still
  // call is whole.
  mPlug.reset();
}

bool IPlugLV2UI::Open(LV2UI_Widget* widget)
{
  IGraphicsInterface* graphics = mPlug->GetGUI();
  if (!widget || !mParent || !graphics || !graphics->CanOpenWindow())
  {
    return false;
  }
  void* window = graphics->OpenWindow(mParent);
  if (!window)
  {
    return false;
  }
  mOpen = true;
  *widget = window;
  {
    IPlugBase::IMutexLock lock(mPlug.get());
    mPlug->OnGUIOpen();
  }
  ResizeGraphics(graphics->Width(), graphics->Height());
  return true;
}

int IPlugLV2UI::ParamOf(uint32_t port) const
{
  if (port < mLayout.controls || port >= mLayout.controls + mLayout.nControls)
  {
    return -1;
  }
  return static_cast<int>(port - mLayout.controls);
}

int IPlugLV2UI::ReadoutOf(uint32_t port) const
{
  if (port < mLayout.readouts || port >= mLayout.readouts + mLayout.nReadouts)
  {
    return -1;
  }
  return static_cast<int>(port - mLayout.readouts);
}

void IPlugLV2UI::PortEvent(uint32_t port, uint32_t size, uint32_t format, const void* buffer)
{
  const int idx = ParamOf(port);
  const int readout = ReadoutOf(port);
  if ((idx < 0 && readout < 0) || format != 0 || size != sizeof(float) || !buffer)
  {
    return;
  }
  float value;
  std::memcpy(&value, buffer, sizeof value);
  if (!std::isfinite(value))
  {
    return;
  }
  IPlugBase::IMutexLock lock(mPlug.get());
  if (readout >= 0)
  {
    // The nearest whole number; outside the readout's range it is nothing
    // the editor could show.
    const IPlugBase::ReadoutInfo info = mPlug->GetReadoutInfo(readout);
    const double whole = std::round(value);
    if (whole >= info.min && whole <= info.max)
    {
      mPlug->SetReadoutFromHost(readout, static_cast<int>(whole));
    }
    return;
  }
  IParam* param = mPlug->GetParam(idx);
  // The host's echo of what the editor just wrote changes nothing.
  if (static_cast<float>(param->Value()) == value)
  {
    return;
  }
  param->Set(value);
  if (IGraphicsInterface* graphics = mPlug->GetGUI())
  {
    graphics->SetParameterFromPlug(idx, param->Value(), false);
  }
}

int IPlugLV2UI::Idle()
{
  IGraphicsInterface* graphics = mPlug->GetGUI();
  if (!mOpen || !graphics)
  {
    return 1;
  }
  {
    // The copy's idle tick, as a VST2 host's: the editor takes what the
    // plug-in shows (its readouts from the host) into its controls.
    IPlugBase::IMutexLock lock(mPlug.get());
    mPlug->OnIdle();
  }
  // The window's events reach the plug-in through calls that take the mutex
  // themselves.
  graphics->Idle();
  return 0;
}

const void* IPlugLV2UI::ExtensionData(const char* uri)
{
  static const LV2UI_Idle_Interface idle = {[](LV2UI_Handle ui)
                                            { return static_cast<IPlugLV2UI*>(ui)->Idle(); }};
  return uri && !std::strcmp(uri, LV2_UI__idleInterface) ? &idle : nullptr;
}

// ============================================================================
// What the editor tells the host
// ============================================================================

void IPlugLV2UI::BeginInformHostOfParamChange(int idx)
{
  if (mTouch && mTouch->touch && ParamOf(PortOf(idx)) >= 0)
  {
    mTouch->touch(mTouch->handle, PortOf(idx), true);
  }
}

void IPlugLV2UI::InformHostOfParamChange(int idx, double)
{
  const IParam* param = mPlug->GetParam(idx);
  if (!param || !mWrite)
  {
    return;
  }
  // Control ports carry the real value, which the parameter now holds.
  const float value = static_cast<float>(param->Value());
  mWrite(mController, PortOf(idx), sizeof value, 0, &value);
}

void IPlugLV2UI::EndInformHostOfParamChange(int idx)
{
  if (mTouch && mTouch->touch && ParamOf(PortOf(idx)) >= 0)
  {
    mTouch->touch(mTouch->handle, PortOf(idx), false);
  }
}

void IPlugLV2UI::IdentifyHost()
{
  mPlug->SetHost("", 0);
}

void IPlugLV2UI::ResizeGraphics(int w, int h)
{
  if (mResize && mResize->ui_resize)
  {
    mResize->ui_resize(mResize->handle, w, h);
  }
}
