#pragma once

// Which host loaded the plug-in, found from the host's product string, and
// packed version numbers: major in bits 16..31, minor in 8..15, third in 0..7.

enum EHost
{
  kHostUninit = -1,
  kHostUnknown = 0,
  kHostReaper = 1,
  kHostProTools = 2,
  kHostCubase = 3,
  kHostNuendo = 4,
  kHostSonar = 5,
  kHostVegas = 6,
  kHostFLStudio = 7,
  kHostSamplitude = 8,
  kHostLive = 9,
  kHostMelodyne = 12,
  kHostVSTScanner = 13,
  kHostAULab = 14,
  kHostForte = 15,
  kHostChainer = 16,
  kHostAudition = 17,
  kHostOrion = 18,
  kHostSAWStudio = 20,
  kHostLogic = 21,
  kHostGarageBand = 22,
  kHostDigitalPerformer = 23,
  kHostStandalone = 24,
  kHostAudioMulch = 25,
  kHostStudioOne = 26,
  kHostVST3PluginTestHost = 27,
  kHostArdour = 28,
};

// Case-insensitive search of the product string (up to 255 characters) for
// each known host's word, in a fixed order; kHostUnknown when none occurs.
EHost LookUpHost(const char* productString);
// The host's display name, "Unknown" where there is none; str holds at
// least 19 bytes.
void GetHostNameStr(EHost host, char* str);

void GetVersionParts(int version, int* pMajor, int* pMinor, int* pThird);
// 10000 * major + 100 * minor + third.
int GetDecimalVersion(int version);
// "vMAJOR.MINOR.THIRD"; str holds at least 32 bytes.
void GetVersionStr(int version, char* str);
// The inverse of GetDecimalVersion, for the host's decimal vendor version.
int PackDecimalVersion(int decimalVersion);
