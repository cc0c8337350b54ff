#include "PluginModule.h"
#include "FixturePaths.h"
#include "FixtureProtocol.h"
#include "PluginInstance.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>

using vsthost::HostSettings;
using vsthost::PluginInstance;
using vsthost::PluginModule;

namespace
{
VstIntPtr entryCount(PluginInstance& plugin)
{
  return plugin.VendorSpecific(kFixtureEntryCount, 0, nullptr, 0.0f);
}
} // namespace

// Every way a binary can fail to become an instance gives one line that
// names the file and the cause, and no instance.
TEST(PluginLoader, RefusesWithOneClearLine)
{
  const std::string notALibrary = fixturePath("not-a-plugin.bin");
  FILE* file = std::fopen(notALibrary.c_str(), "wb");
  ASSERT_TRUE(file);
  std::fputs("not a library\n", file);
  std::fclose(file);

  struct Case
  {
    const char* name;
    std::string path;
    std::function<void(HostSettings&)> configure;
    std::string expected; // after "'<path>': "
    const char* verb;
  };
  const Case cases[] = {
      {"missing file", fixturePath("no-such-plugin"), nullptr, "no such file", "cannot load"},
      {"not a library", notALibrary, nullptr, "", "cannot load"},
      {"no entry point", fixturePath(FIXTURE_NO_ENTRY), nullptr,
       "it exports neither VSTPluginMain nor main", "cannot load"},
      {"bad magic", fixturePath(FIXTURE_BAD_MAGIC), nullptr,
       "bad magic 0x12345678 (an effect has 0x56737450)", "cannot start"},
      // The fixture, like most plug-ins, refuses a host that answers
      // audioMasterVersion with 0.
      {"null effect", fixturePath(FIXTURE_PLUGIN), [](HostSettings& s) { s.vstVersion = 0; },
       "its entry point VSTPluginMain returned no effect", "cannot start"},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    HostSettings settings;
    if (c.configure)
      c.configure(settings);
    std::string error;
    EXPECT_EQ(nullptr, PluginInstance::Open(c.path, settings, &error));
    const std::string head = std::string(c.verb) + " '" + c.path + "': ";
    ASSERT_EQ(head, error.substr(0, head.size()));
    if (c.expected.empty())
      EXPECT_GT(error.size(), head.size()) << "the system loader's reason";
    else
      EXPECT_EQ(c.expected, error.substr(head.size()));
    EXPECT_EQ(std::string::npos, error.find('\n'));
  }
  std::remove(notALibrary.c_str());
}

TEST(PluginLoader, PrefersVSTPluginMainAndFallsBackToMain)
{
  const struct
  {
    const char* file;
    const char* entry;
  } cases[] = {{FIXTURE_PLUGIN, "VSTPluginMain"}, {FIXTURE_LEGACY, "main"}};
  for (const auto& c : cases)
  {
    SCOPED_TRACE(c.file);
    std::string error;
    std::unique_ptr<PluginInstance> plugin =
        PluginInstance::Open(fixturePath(c.file), HostSettings(), &error);
    ASSERT_TRUE(plugin) << error;
    EXPECT_STREQ(c.entry, plugin->Module()->EntryName());
    EXPECT_EQ(kFixtureUniqueId, plugin->Effect()->uniqueID);
  }
}

// Instances of one binary share it; the binary is unloaded with the last
// instance. The fixture counts entry point calls in a static that starts
// again at zero only when the binary is really loaded anew.
TEST(PluginLoader, SharesTheBinaryAndUnloadsItAfterTheLastInstance)
{
  const std::string path = fixturePath(FIXTURE_PLUGIN);
  std::string error;
  std::unique_ptr<PluginInstance> first = PluginInstance::Open(path, HostSettings(), &error);
  ASSERT_TRUE(first) << error;
  std::unique_ptr<PluginInstance> second = PluginInstance::Open(path);
  ASSERT_TRUE(second);
  EXPECT_EQ(first->Module(), second->Module());
  EXPECT_EQ(2, entryCount(*second));

  std::weak_ptr<PluginModule> module = first->Module();
  first->Close();
  EXPECT_FALSE(module.expired()) << "the second instance still uses it";
  second.reset();
  EXPECT_TRUE(module.expired());

  std::unique_ptr<PluginInstance> third = PluginInstance::Open(path);
  ASSERT_TRUE(third);
  EXPECT_EQ(1, entryCount(*third)) << "the binary stayed loaded";
}
