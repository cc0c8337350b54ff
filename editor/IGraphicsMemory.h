#pragma once

// A graphics context without a window, for systems that have none yet and
// for tests: it draws into its back buffer like any other, takes input
// through the same dispatch, and loads its pictures from the module's PNG
// resources. Nothing is shown: copying to the screen does nothing, no window
// opens, there are no platform fonts (text draws nothing), and every prompt,
// menu and dialog answers as if the user had cancelled it.

#include "IGraphics.h"

class IGraphicsMemory : public IGraphics
{
public:
  // module: whose resources hold the pictures; null for the running program
  // (on systems without module resources, the binary's embedded table).
  IGraphicsMemory(IPlugInterface* plug, int w, int h, int fps = 0, LICE_HMODULE module = nullptr);

  bool DrawScreen(IRECT*) override { return true; }
  void ForceEndUserEdit() override {}
  int ShowMessageBox(const char*, const char*, int) override { return 0; }
  IPopupMenu* CreateIPopupMenu(IPopupMenu*, IRECT*) override { return nullptr; }
  void CreateTextEntry(IControl*, IText*, IRECT*, const char*, IParam*) override {}
  void HostPath(WDL_String* path) override;
  void PluginPath(WDL_String* path) override;
  void DesktopPath(WDL_String* path) override;
  bool PromptForColor(IColor*, const char* = "") override { return false; }
  bool CanOpenWindow() const override { return false; }
  void* OpenWindow(void*) override { return nullptr; }
  using IGraphics::OpenWindow;
  void CloseWindow() override {}
  void* GetWindow() override { return nullptr; }
  // Only names ending in ".png" (any case) are loaded, from the resource of
  // type "PNG" with that id; the name opens no file.
  LICE_IBitmap* OSLoadBitmap(int id, const char* name) override;

protected:
  // Never shown: with no window the prompt's rules empty the file first.
  bool OSPromptForFile(WDL_String*, EFileAction, const char*, const char*,
                       const IFileFilter&) override
  {
    return false;
  }
  // Opens nothing, so a link with an error message shows it (in a box that
  // shows nothing).
  bool OSOpenURL(const char*) override { return false; }

private:
  LICE_HMODULE mModule;
};
