#include "Probe.h"
#include "FixturePaths.h"
#include "FixtureProtocol.h"

#include <gtest/gtest.h>

#include <sstream>

using vsthost::HostSettings;
using vsthost::PluginModule;
using vsthost::RunProbe;

namespace
{
std::vector<std::string> lines(const std::string& text)
{
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);)
    out.push_back(line);
  return out;
}

bool contains(const std::vector<std::string>& haystack, const std::string& line)
{
  for (const std::string& candidate : haystack)
    if (candidate == line)
      return true;
  return false;
}
} // namespace

TEST(Probe, ReportsTheFixtureLineByLine)
{
  const std::string path = fixturePath(FIXTURE_PLUGIN);
  std::ostringstream out, err;
  ASSERT_EQ(0, RunProbe(path, HostSettings(), out, err)) << err.str();
  EXPECT_EQ("", err.str());

  const std::vector<std::string> report = lines(out.str());
  const char* const expected[] = {
      "entry-point: VSTPluginMain",
      "magic: 0x56737450 'VstP'",
      "unique-id: 'KvFx' 0x4B764678",
      "version: 1234",
      "effect-name: \"Fixture Echo\"",
      "vendor: \"Kolvane Tests\"",
      "product: \"Host Fixture\"",
      "vendor-version: 1000",
      "vst-version: 2400",
      "category: 1 effect",
      "inputs: 2",
      "outputs: 2",
      "flags: 0x00001031 has-editor can-replacing program-chunks can-double-replacing",
      "params: 3",
      "param 0: name=\"Gain\" label=\"dB\" display=\"0.50\" value=0.500000 automatable=yes",
      "param 2: name=\"Mode\" label=\"\" display=\"0.00\" value=0.000000 automatable=no",
      "programs: 2",
      "current-program: 0",
      "program 1: name=\"Second\"",
      "can-do receiveVstMidiEvent: 1 yes",
      "can-do offline: -1 no",
      "can-do bypass: 0 unknown",
      "chunk-bank: 16",
      "chunk-program: 12",
      "edit-rect: top=0 left=0 bottom=200 right=300 width=300 height=200",
      "input 0: label=\"Fixture In 1\" short=\"FIn1\" flags=0x3 active stereo arrangement=1",
      "output 1: label=\"Fixture Out 2\" short=\"FOu2\" flags=0x1 active arrangement=1",
  };
  for (const char* line : expected)
    EXPECT_TRUE(contains(report, line)) << "missing: " << line << "\nreport:\n" << out.str();
  EXPECT_EQ("plugin: " + path, report.at(0));
}

// A DAW scans a plug-in without switching it on; the probe does the same.
TEST(Probe, ScansWithoutResuming)
{
  std::string error;
  std::shared_ptr<PluginModule> module = PluginModule::Load(fixturePath(FIXTURE_PLUGIN), &error);
  ASSERT_TRUE(module) << error;
  FixtureTakeLogProc take =
      reinterpret_cast<FixtureTakeLogProc>(module->FindSymbol(KOLVANE_FIXTURE_TAKE_LOG));
  ASSERT_TRUE(take);
  char log[1024];
  take(log, sizeof(log));

  std::ostringstream out, err;
  ASSERT_EQ(0, RunProbe(module->Path(), HostSettings(), out, err));
  take(log, sizeof(log));
  EXPECT_STREQ("entry open rate=44100 block=512 close", log);
}

TEST(Probe, FailsWithOneLineOnTheErrorStream)
{
  const std::string path = fixturePath("no-such-plugin");
  std::ostringstream out, err;
  EXPECT_EQ(1, RunProbe(path, HostSettings(), out, err));
  EXPECT_EQ("", out.str());
  EXPECT_EQ("kolvane-host: cannot load '" + path + "': no such file\n", err.str());
}
