#include "IPlugHost.h"

#include <cctype>
#include <cstdio>
#include <cstring>

namespace
{
struct HostWord
{
  const char* word;
  EHost host;
};

// Tested in this order: the first word found decides.
const HostWord kHostWords[] = {
    {"cubase", kHostCubase},
    {"reaper", kHostReaper},
    {"nuendo", kHostNuendo},
    {"cakewalk", kHostSonar},
    {"samplitude", kHostSamplitude},
    {"fruity", kHostFLStudio},
    {"live", kHostLive},
    {"melodyne", kHostMelodyne},
    {"vstmanlib", kHostVSTScanner},
    {"aulab", kHostAULab},
    {"garageband", kHostGarageBand},
    {"forte", kHostForte},
    {"chainer", kHostChainer},
    {"audition", kHostAudition},
    {"orion", kHostOrion},
    {"sawstudio", kHostSAWStudio},
    {"logic", kHostLogic},
    {"digital", kHostDigitalPerformer},
    {"audiomulch", kHostAudioMulch},
    {"presonus", kHostStudioOne},
    {"vst3plugintesthost", kHostVST3PluginTestHost},
    {"protools", kHostProTools},
    {"ardour", kHostArdour},
    {"standalone", kHostStandalone},
};
} // namespace

EHost LookUpHost(const char* productString)
{
  char lower[256];
  int n = 0;
  for (; productString && productString[n] && n < 255; ++n)
  {
    lower[n] = static_cast<char>(std::tolower(static_cast<unsigned char>(productString[n])));
  }
  lower[n] = '\0';
  for (const HostWord& entry : kHostWords)
  {
    if (std::strstr(lower, entry.word))
    {
      return entry.host;
    }
  }
  return kHostUnknown;
}

void GetHostNameStr(EHost host, char* str)
{
  const char* name = "Unknown";
  switch (host)
  {
  case kHostReaper:
    name = "Reaper";
    break;
  case kHostProTools:
    name = "ProTools";
    break;
  case kHostCubase:
    name = "Cubase";
    break;
  case kHostNuendo:
    name = "Nuendo";
    break;
  case kHostSonar:
    name = "Sonar";
    break;
  case kHostVegas:
    name = "Vegas";
    break;
  case kHostFLStudio:
    name = "FLStudio";
    break;
  case kHostSamplitude:
    name = "Samplitude";
    break;
  case kHostLive:
    name = "Live";
    break;
  case kHostVSTScanner:
    name = "VSTScanner";
    break;
  case kHostAULab:
    name = "AULab";
    break;
  case kHostForte:
    name = "Forte";
    break;
  case kHostChainer:
    name = "Chainer";
    break;
  case kHostAudition:
    name = "Audition";
    break;
  case kHostOrion:
    name = "Orion";
    break;
  case kHostSAWStudio:
    name = "SAWStudio";
    break;
  case kHostLogic:
    name = "Logic";
    break;
  case kHostGarageBand:
    name = "GarageBand";
    break;
  case kHostDigitalPerformer:
    name = "DigitalPerformer";
    break;
  case kHostStandalone:
    name = "Standalone";
    break;
  case kHostAudioMulch:
    name = "AudioMulch";
    break;
  case kHostStudioOne:
    name = "StudioOne";
    break;
  case kHostVST3PluginTestHost:
    name = "VST3PluginTestHost";
    break;
  case kHostArdour:
    name = "Ardour";
    break;
  default:
    break;
  }
  std::strcpy(str, name);
}

void GetVersionParts(int version, int* pMajor, int* pMinor, int* pThird)
{
  unsigned int v = static_cast<unsigned int>(version);
  *pMajor = static_cast<int>(v >> 16);
  *pMinor = static_cast<int>((v & 0xFF00) >> 8);
  *pThird = static_cast<int>(v & 0xFF);
}

int GetDecimalVersion(int version)
{
  int major, minor, third;
  GetVersionParts(version, &major, &minor, &third);
  return 10000 * major + 100 * minor + third;
}

void GetVersionStr(int version, char* str)
{
  int major, minor, third;
  GetVersionParts(version, &major, &minor, &third);
  std::snprintf(str, 32, "v%d.%d.%d", major, minor, third);
}

int PackDecimalVersion(int decimalVersion)
{
  // A host's number may be anything; a negative one packs as 0.
  unsigned int d = decimalVersion > 0 ? static_cast<unsigned int>(decimalVersion) : 0;
  unsigned int major = d / 10000, minor = (d % 10000) / 100, third = d % 100;
  return static_cast<int>((major << 16) + (minor << 8) + third);
}
