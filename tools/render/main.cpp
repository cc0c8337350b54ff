// kolvane-render: renders a sound file through a VST2 or LV2 effect the way a DAW
// bounces a track. `kolvane-render --help` lists the options.

#include "Render.h"
#include "RenderOptions.h"

#include "PluginModule.h"

#include <csignal>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include <unistd.h>

namespace
{
void interrupt(int)
{
  render::gInterrupted = 1;
}
} // namespace

int main(int argc, char** argv)
{
  render::RenderOptions options;
  try
  {
    options = render::ParseRenderOptions(std::vector<std::string>(argv + 1, argv + argc));
  }
  catch (const render::UsageError& error)
  {
    std::cerr << "kolvane-render: " << error.what()
              << " (kolvane-render --help lists the options)\n";
    return render::kExitUsage;
  }
  if (options.help)
  {
    std::cout << render::RenderUsage();
    return render::kExitSuccess;
  }

  // Stopping a render half-way removes its partial output.
  std::signal(SIGINT, interrupt);
  std::signal(SIGTERM, interrupt);

  // The Kolvane binary (or bundle) of the same build tree, where the build
  // put it.
  const std::string defaultPlugin =
      std::filesystem::path(vsthost::ExecutableDirectory() + "/" +
                            (options.lv2 ? KOLVANE_DEFAULT_LV2_BUNDLE : KOLVANE_DEFAULT_PLUGIN))
          .lexically_normal()
          .string();
  return render::RunRender(options, defaultPlugin, isatty(STDERR_FILENO) != 0, std::cout,
                           std::cerr);
}
