#include "IPlugLV2UI.h"

#include <lv2/atom/atom.h>

#include <cmath>
#include <cstring>

IPlugLV2UI::IPlugLV2UI(std::unique_ptr<IPlugBase> plug, LV2UI_Write_Function write,
                       LV2UI_Controller controller, const LV2_Feature* const* features)
    : mFacade(std::move(plug), this, 0), mPlug(mFacade.GetPlug()),
      mLayout(IPlugLV2::Layout(*mPlug)), mWrite(write), mController(controller)
{
  const LV2_Options_Option* options = nullptr;
  for (int i = 0; features && features[i]; ++i)
  {
    const char* uri = features[i]->URI;
    if (!std::strcmp(uri, LV2_URID__map))
    {
      const auto* map = static_cast<const LV2_URID_Map*>(features[i]->data);
      if (map && map->map)
      {
        mScaleFactorKey = map->map(map->handle, LV2_UI__scaleFactor);
        mAtomFloat = map->map(map->handle, LV2_ATOM__Float);
        mAtomDouble = map->map(map->handle, LV2_ATOM__Double);
      }
    }
    else if (!std::strcmp(uri, LV2_OPTIONS__options))
    {
      options = static_cast<const LV2_Options_Option*>(features[i]->data);
    }
    else if (!std::strcmp(uri, LV2_UI__parent))
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
  mPlug->GetHost();
  // Read once the map is known, whichever order the features came in; the
  // editor takes the scale as it opens.
  if (options)
  {
    SetOptions(options);
  }
}

IPlugLV2UI::~IPlugLV2UI()
{
  // The façade, a member, then deletes the plug-in (and its editor) while
  // the adapter it may still call is whole.
  if (mOpen)
  {
    IPlugBase::IMutexLock lock(mPlug);
    mFacade.CloseEditor();
  }
}

bool IPlugLV2UI::Open(LV2UI_Widget* widget)
{
  if (!widget || !mParent || !mFacade.HasEditorWindow())
  {
    return false;
  }
  void* window;
  {
    IPlugBase::IMutexLock lock(mPlug);
    if (mHostScale > 0.0f)
    {
      mFacade.SetEditorHostScale(mHostScale);
    }
    window = mFacade.OpenEditor(mParent);
  }
  if (!window)
  {
    return false;
  }
  mOpen = true;
  *widget = window;
  IGraphicsInterface* graphics = mPlug->GetGUI();
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
  IPlugBase::IMutexLock lock(mPlug);
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
  // The host's echo of what the editor just wrote changes nothing.
  if (static_cast<float>(mPlug->GetParam(idx)->Value()) == value)
  {
    return;
  }
  mFacade.SetParameterValue(idx, value);
}

int IPlugLV2UI::Idle()
{
  if (!mOpen)
  {
    return 1;
  }
  {
    // The mirror's idle tick, as a VST2 host's: the editor takes what the
    // plug-in shows (its readouts from the host) into its controls.
    IPlugBase::IMutexLock lock(mPlug);
    mFacade.Idle();
  }
  mFacade.EditorIdle();
  return 0;
}

uint32_t IPlugLV2UI::SetOptions(const LV2_Options_Option* options)
{
  uint32_t status = LV2_OPTIONS_SUCCESS;
  for (const LV2_Options_Option* o = options; o && o->key; ++o)
  {
    if (!mScaleFactorKey || o->context != LV2_OPTIONS_INSTANCE || o->key != mScaleFactorKey)
    {
      status |= LV2_OPTIONS_ERR_BAD_KEY;
      continue;
    }
    double scale = 0.0;
    if (o->type == mAtomFloat && o->size == sizeof(float) && o->value)
    {
      float value;
      std::memcpy(&value, o->value, sizeof value);
      scale = value;
    }
    else if (o->type == mAtomDouble && o->size == sizeof(double) && o->value)
    {
      std::memcpy(&scale, o->value, sizeof scale);
    }
    else
    {
      status |= LV2_OPTIONS_ERR_BAD_VALUE;
      continue;
    }
    if (!(scale > 0.0) || !std::isfinite(scale) || scale > 16.0)
    {
      status |= LV2_OPTIONS_ERR_BAD_VALUE;
      continue;
    }
    mHostScale = static_cast<float>(scale);
    // An open editor changes its size now and tells the host through
    // ui:resize (IGraphics::ApplyScale reaches ResizeGraphics); a closed one
    // takes the scale as it opens.
    if (mOpen)
    {
      IPlugBase::IMutexLock lock(mPlug);
      mFacade.SetEditorHostScale(mHostScale);
    }
  }
  return status;
}

uint32_t IPlugLV2UI::GetOptions(LV2_Options_Option* options) const
{
  uint32_t status = LV2_OPTIONS_SUCCESS;
  for (LV2_Options_Option* o = options; o && o->key; ++o)
  {
    if (!mScaleFactorKey || o->context != LV2_OPTIONS_INSTANCE || o->key != mScaleFactorKey ||
        !(mHostScale > 0.0f))
    {
      status |= LV2_OPTIONS_ERR_BAD_KEY;
      continue;
    }
    o->size = sizeof(float);
    o->type = mAtomFloat;
    o->value = &mHostScale;
  }
  return status;
}

const void* IPlugLV2UI::ExtensionData(const char* uri)
{
  static const LV2UI_Idle_Interface idle = {[](LV2UI_Handle ui)
                                            { return static_cast<IPlugLV2UI*>(ui)->Idle(); }};
  static const LV2_Options_Interface options = {
      [](LV2_Handle ui, LV2_Options_Option* o)
      { return static_cast<const IPlugLV2UI*>(ui)->GetOptions(o); },
      [](LV2_Handle ui, const LV2_Options_Option* o)
      { return static_cast<IPlugLV2UI*>(ui)->SetOptions(o); },
  };
  if (uri && !std::strcmp(uri, LV2_UI__idleInterface))
  {
    return &idle;
  }
  if (uri && !std::strcmp(uri, LV2_OPTIONS__interface))
  {
    return &options;
  }
  return nullptr;
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
