#include "IPlugHost.h"
#include "BarePlug.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace
{
struct HostProduct
{
  std::string product;
  EHost host;
  int line;
};

// The fixture names hosts by their constants.
const std::pair<const char*, EHost> kHostConstants[] = {
    {"kHostUnknown", kHostUnknown},
    {"kHostReaper", kHostReaper},
    {"kHostProTools", kHostProTools},
    {"kHostCubase", kHostCubase},
    {"kHostNuendo", kHostNuendo},
    {"kHostSonar", kHostSonar},
    {"kHostVegas", kHostVegas},
    {"kHostFLStudio", kHostFLStudio},
    {"kHostSamplitude", kHostSamplitude},
    {"kHostLive", kHostLive},
    {"kHostMelodyne", kHostMelodyne},
    {"kHostVSTScanner", kHostVSTScanner},
    {"kHostAULab", kHostAULab},
    {"kHostForte", kHostForte},
    {"kHostChainer", kHostChainer},
    {"kHostAudition", kHostAudition},
    {"kHostOrion", kHostOrion},
    {"kHostSAWStudio", kHostSAWStudio},
    {"kHostLogic", kHostLogic},
    {"kHostGarageBand", kHostGarageBand},
    {"kHostDigitalPerformer", kHostDigitalPerformer},
    {"kHostStandalone", kHostStandalone},
    {"kHostAudioMulch", kHostAudioMulch},
    {"kHostStudioOne", kHostStudioOne},
    {"kHostVST3PluginTestHost", kHostVST3PluginTestHost},
    {"kHostArdour", kHostArdour},
};

// Reads the fixture's lines: a host constant, then the product string in
// double quotes. A line that does not parse fails the test that reads it.
std::vector<HostProduct> ReadHostProducts(const std::string& path)
{
  std::vector<HostProduct> entries;
  std::ifstream in(path);
  EXPECT_TRUE(in.is_open()) << path;
  std::string text;
  for (int line = 1; std::getline(in, text); ++line)
  {
    if (!text.empty() && text.back() == '\r')
    {
      text.pop_back();
    }
    if (text.find_first_not_of(" \t") == std::string::npos || text[0] == '#')
    {
      continue;
    }
    const size_t nameEnd = text.find_first_of(" \t");
    const size_t open = text.find('"');
    const size_t close = text.rfind('"');
    const std::string name = text.substr(0, nameEnd);
    const auto known = std::find_if(std::begin(kHostConstants), std::end(kHostConstants),
                                    [&](const std::pair<const char*, EHost>& constant)
                                    { return name == constant.first; });
    if (nameEnd == std::string::npos || open == std::string::npos || close == open ||
        known == std::end(kHostConstants))
    {
      ADD_FAILURE() << path << ":" << line
                    << ": not a host constant and a quoted product: " << text;
      continue;
    }
    entries.push_back({text.substr(open + 1, close - open - 1), known->second, line});
  }
  return entries;
}
} // namespace

// Each real host's product string identifies it, and a host the plug-in
// has no behaviour for is unknown, both for the lookup and for the plug-in
// base the adapter hands the product string to.
TEST(LookUpHost, RealHostsProductStrings)
{
  const std::vector<HostProduct> entries = ReadHostProducts(KOLVANE_HOST_PRODUCTS);
  ASSERT_FALSE(entries.empty()) << KOLVANE_HOST_PRODUCTS;
  for (const HostProduct& entry : entries)
  {
    SCOPED_TRACE("host-products.txt:" + std::to_string(entry.line) + ": \"" + entry.product + "\"");
    EXPECT_EQ(entry.host, LookUpHost(entry.product.c_str()));
    BarePlug plug;
    plug.SetHost(entry.product.c_str(), 0);
    EXPECT_EQ(entry.host, plug.GetHost());
  }
}

TEST(LookUpHost, IgnoresCaseAndTakesTheFirstWordInTableOrder)
{
  struct Case
  {
    const char* product;
    EHost host;
  };
  const Case cases[] = {
      {"REAPER", kHostReaper},
      {"Cubase Reaper", kHostCubase},
      {"Reaper Cubase", kHostCubase}, // table order, not position in the text
      {"My Live Rig", kHostLive},
      {"Deliverance", kHostLive}, // "live" inside another word
      {"Forte Live", kHostLive},
      {"PRESONUS demo", kHostStudioOne},
      {"Digital Audio Workstation", kHostDigitalPerformer},
      {"Pro Tools", kHostUnknown}, // the word is "protools"
      {"", kHostUnknown},
      {"Some Host", kHostUnknown},
      {nullptr, kHostUnknown},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.product ? c.product : "(null)");
    EXPECT_EQ(c.host, LookUpHost(c.product));
  }
}

// Only the first 255 characters are looked at; a longer product string is
// neither an overflow nor a match past that point.
TEST(LookUpHost, LongProductStringIsReadUpToItsBound)
{
  std::string early = "reaper" + std::string(1000, 'x');
  EXPECT_EQ(kHostReaper, LookUpHost(early.c_str()));
  std::string late = std::string(255, 'x') + "reaper";
  EXPECT_EQ(kHostUnknown, LookUpHost(late.c_str()));
  std::string edge = std::string(249, 'x') + "reaper";
  EXPECT_EQ(kHostReaper, LookUpHost(edge.c_str()));
}

TEST(GetHostNameStr, WritesTheDisplayName)
{
  struct Case
  {
    int host;
    const char* name;
  };
  const Case cases[] = {
      {kHostUninit, "Unknown"},
      {kHostUnknown, "Unknown"},
      {kHostReaper, "Reaper"},
      {kHostProTools, "ProTools"},
      {kHostCubase, "Cubase"},
      {kHostNuendo, "Nuendo"},
      {kHostSonar, "Sonar"},
      {kHostVegas, "Vegas"},
      {kHostFLStudio, "FLStudio"},
      {kHostSamplitude, "Samplitude"},
      {kHostLive, "Live"},
      {10, "Unknown"},
      {11, "Unknown"},
      {kHostMelodyne, "Unknown"},
      {kHostVSTScanner, "VSTScanner"},
      {kHostAULab, "AULab"},
      {kHostForte, "Forte"},
      {kHostChainer, "Chainer"},
      {kHostAudition, "Audition"},
      {kHostOrion, "Orion"},
      {19, "Unknown"},
      {kHostSAWStudio, "SAWStudio"},
      {kHostLogic, "Logic"},
      {kHostGarageBand, "GarageBand"},
      {kHostDigitalPerformer, "DigitalPerformer"},
      {kHostStandalone, "Standalone"},
      {kHostAudioMulch, "AudioMulch"},
      {kHostStudioOne, "StudioOne"},
      {kHostVST3PluginTestHost, "VST3PluginTestHost"},
      {kHostArdour, "Ardour"},
      {29, "Unknown"},
      {-7, "Unknown"},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.host);
    char name[19]; // the documented minimum: the longest name and its terminator
    GetHostNameStr(static_cast<EHost>(c.host), name);
    EXPECT_STREQ(c.name, name);
  }
}

TEST(Version, PackedDecimalAndText)
{
  struct Case
  {
    int packed;
    int decimal;
    const char* text;
  };
  const Case cases[] = {
      {0x10001, 10001, "v1.0.1"},
      {0x0A0B0C, 101112, "v10.11.12"},
      {0x010203, 10203, "v1.2.3"},
      {0, 0, "v0.0.0"},
      {0x7FFF0000, 327670000, "v32767.0.0"},
      // The major part is an unsigned shift: a set top bit is not a sign.
      {-1, 655375755, "v65535.255.255"},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(c.decimal, GetDecimalVersion(c.packed));
    char text[32];
    GetVersionStr(c.packed, text);
    EXPECT_STREQ(c.text, text);
  }
  int major = 0, minor = 0, third = 0;
  GetVersionParts(0x0A0B0C, &major, &minor, &third);
  EXPECT_EQ(10, major);
  EXPECT_EQ(11, minor);
  EXPECT_EQ(12, third);
}

TEST(Version, PackDecimalVersionInvertsGetDecimalVersion)
{
  struct Case
  {
    int decimal;
    int packed;
  };
  const Case cases[] = {
      {10001, 0x10001}, {101112, 0x0A0B0C}, {0, 0},  {1099, 0x0A63},
      {60512, 0x6050C}, {99, 0x63},         {-5, 0}, {-2147483647 - 1, 0},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.decimal);
    EXPECT_EQ(c.packed, PackDecimalVersion(c.decimal));
    if (c.decimal >= 0)
    {
      EXPECT_EQ(c.decimal, GetDecimalVersion(PackDecimalVersion(c.decimal)));
    }
  }
}

TEST(IPlugBaseHost, UnidentifiedUntilSet)
{
  BarePlug plug;
  EXPECT_EQ(kHostUninit, plug.GetHost());
  EXPECT_EQ(0, plug.GetHostVersion(false));
  plug.SetHost("REAPER x64", PackDecimalVersion(60512));
  EXPECT_EQ(kHostReaper, plug.GetHost());
  EXPECT_EQ(60512, plug.GetHostVersion(true));
  EXPECT_EQ(0x6050C, plug.GetHostVersion(false));
  char text[32];
  plug.GetHostVersionStr(text);
  EXPECT_STREQ("v6.5.12", text);
}

// An adapter identifies the host when first asked; the host version must
// not be read before that has happened.
TEST(IPlugBaseHost, HostVersionIdentifiesTheHostFirst)
{
  BarePlug plug;
  plug.mLazyProduct = "Cubase";
  plug.mLazyVersion = PackDecimalVersion(120001);
  EXPECT_EQ(120001, plug.GetHostVersion(true));

  BarePlug other;
  other.mLazyProduct = "Ardour";
  other.mLazyVersion = PackDecimalVersion(80400);
  char text[32];
  other.GetHostVersionStr(text);
  EXPECT_STREQ("v8.4.0", text);
  EXPECT_EQ(kHostArdour, other.GetHost());
}

TEST(IPlugBaseHost, EffectVersion)
{
  BarePlug plug;
  EXPECT_EQ(BarePlug::kVersion, plug.GetEffectVersion(false));
  EXPECT_EQ(10203, plug.GetEffectVersion(true));
  char text[32];
  plug.GetEffectVersionStr(text);
  EXPECT_STREQ("v1.2.3", text);
}
