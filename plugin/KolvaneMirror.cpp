#include "KolvaneMirror.h"

#include "Kolvane.h"

namespace
{
// Kolvane's description without what only a playing instance needs: its
// presets and MIDI.
IPlugConfig MirrorConfig()
{
  IPlugConfig config = Kolvane::Config();
  config.mNPresets = 0;
  config.mDoesMidi = false;
  return config;
}
} // namespace

KolvaneMirror::KolvaneMirror() : IPlugBase(MirrorConfig())
{
  TypeKolvaneParams(*this);
}

IGraphicsInterface* KolvaneMirror::MakeEditor()
{
  return MakeKolvaneEditor(this, mLedControlIdx);
}

void KolvaneMirror::OnIdle()
{
  ShowPlayingStep(GetGUI(), mLedControlIdx, mHostStep);
}

IPlugBase::ReadoutInfo KolvaneMirror::GetReadoutInfo(int) const
{
  return Kolvane::PlayingStepReadout();
}

void KolvaneMirror::SetReadoutFromHost(int, int value)
{
  mHostStep = value;
}
