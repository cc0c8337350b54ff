#pragma once

#include "VST2Interface.h"

#include <memory>
#include <string>

namespace vsthost
{

// The signature both exported entry points share.
typedef AEffect*(VSTCALLBACK* PluginEntryProc)(audioMasterCallback host);

// One loaded plug-in binary (a shared object on Linux, a DLL on Windows).
//
// Lifecycle:
//   1. Load(path) opens the binary, or hands out the module already open
//      for the same path: a host loads a binary once and calls its entry
//      point once per instance.
//   2. Every PluginInstance created from it holds a shared reference.
//   3. When the last reference goes (the last instance closed, no caller
//      holding the module), the binary is unloaded.
//
// [any thread] Load and the destructor serialise on a module-table mutex.
class PluginModule
{
public:
  ~PluginModule();
  PluginModule(const PluginModule&) = delete;
  PluginModule& operator=(const PluginModule&) = delete;

  // The module for `path`, loaded if no live reference to it exists. On
  // failure returns null and sets `error` to one line naming the path and
  // the cause: the file is missing, the system loader refused it, or it
  // exports neither VSTPluginMain nor main.
  static std::shared_ptr<PluginModule> Load(const std::string& path, std::string* error);
  // A plug-in linked into the running program, reached through its entry
  // function, as if loaded from a binary named `name`: tests drive a
  // plug-in's C++ object and its host-facing side together this way.
  static std::shared_ptr<PluginModule> InProcess(PluginEntryProc entry, const std::string& name);

  const std::string& Path() const { return mPath; }
  // VSTPluginMain if exported, otherwise main. Never null.
  PluginEntryProc Entry() const { return mEntry; }
  // "VSTPluginMain" or "main", for messages.
  const char* EntryName() const { return mEntryName; }
  // Any other exported symbol, or null. Test fixtures export helpers.
  void* FindSymbol(const char* name) const;

private:
  PluginModule() = default;

  std::string mPath;
  void* mHandle = nullptr;
  PluginEntryProc mEntry = nullptr;
  const char* mEntryName = "";
};

// The folder holding the running executable, with '/' separators and no
// trailing one. Tests find the plug-in binaries they load next to
// themselves this way, which works natively and under Wine alike.
std::string ExecutableDirectory();

} // namespace vsthost
