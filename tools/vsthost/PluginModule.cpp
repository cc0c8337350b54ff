#include "PluginModule.h"

#include <cstdio>
#include <map>
#include <mutex>

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#include <limits.h>
#include <unistd.h>
#endif

namespace vsthost
{
namespace
{
// Live modules by the path they were loaded from. Entries are weak: the
// instances own the modules, the table only finds them again.
std::mutex gTableMutex;
std::map<std::string, std::weak_ptr<PluginModule>>& table()
{
  static std::map<std::string, std::weak_ptr<PluginModule>> modules;
  return modules;
}

bool fileExists(const std::string& path)
{
  FILE* file = std::fopen(path.c_str(), "rb");
  if (!file)
    return false;
  std::fclose(file);
  return true;
}

#ifdef _WIN32
std::string systemError()
{
  const DWORD code = GetLastError();
  char text[512] = {};
  const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                      nullptr, code, 0, text, sizeof(text), nullptr);
  std::string message(text, length);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                              message.back() == ' ' || message.back() == '.'))
    message.pop_back();
  // Messages are templates for a file name the loader does not fill in.
  const size_t insert = message.find("%1");
  if (insert != std::string::npos)
    message.replace(insert, 2, "the file");
  if (message.empty())
    message = "system error " + std::to_string(code);
  return message;
}

void* openLibrary(const std::string& path, std::string* reason)
{
  HMODULE handle = LoadLibraryA(path.c_str());
  if (!handle)
    *reason = systemError();
  return reinterpret_cast<void*>(handle);
}

void* findSymbol(void* handle, const char* name)
{
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle), name));
}

void closeLibrary(void* handle)
{
  FreeLibrary(static_cast<HMODULE>(handle));
}
#else
void* openLibrary(const std::string& path, std::string* reason)
{
  // Local symbols: two plug-ins built from the same framework must not
  // bind to each other's copies.
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle)
  {
    const char* text = dlerror();
    *reason = text ? text : "the system loader refused it";
  }
  return handle;
}

void* findSymbol(void* handle, const char* name)
{
  return dlsym(handle, name);
}

void closeLibrary(void* handle)
{
  dlclose(handle);
}
#endif
} // namespace

std::shared_ptr<PluginModule> PluginModule::Load(const std::string& path, std::string* error)
{
  std::lock_guard<std::mutex> lock(gTableMutex);
  auto found = table().find(path);
  if (found != table().end())
  {
    if (std::shared_ptr<PluginModule> live = found->second.lock())
      return live;
    table().erase(found);
  }

  auto fail = [&](const std::string& text)
  {
    if (error)
      *error = text;
    return std::shared_ptr<PluginModule>();
  };

  if (!fileExists(path))
    return fail("cannot load '" + path + "': no such file");

  std::string reason;
  void* handle = openLibrary(path, &reason);
  if (!handle)
    return fail("cannot load '" + path + "': " + reason);

  // Hosts look for the current name first and fall back to the legacy one.
  const char* entryName = "VSTPluginMain";
  void* entry = findSymbol(handle, entryName);
  if (!entry)
  {
    entryName = "main";
    entry = findSymbol(handle, entryName);
  }
  if (!entry)
  {
    closeLibrary(handle);
    return fail("cannot load '" + path + "': it exports neither VSTPluginMain nor main");
  }

  std::shared_ptr<PluginModule> module(new PluginModule());
  module->mPath = path;
  module->mHandle = handle;
  module->mEntry = reinterpret_cast<PluginEntryProc>(entry);
  module->mEntryName = entryName;
  table()[path] = module;
  return module;
}

std::shared_ptr<PluginModule> PluginModule::InProcess(PluginEntryProc entry,
                                                      const std::string& name)
{
  std::shared_ptr<PluginModule> module(new PluginModule());
  module->mPath = name;
  module->mEntry = entry;
  module->mEntryName = "VSTPluginMain";
  return module;
}

PluginModule::~PluginModule()
{
  // The table entry has already expired; the next Load of this path
  // replaces it. No lock is needed to unload: nothing else holds the handle.
  if (mHandle)
    closeLibrary(mHandle);
}

void* PluginModule::FindSymbol(const char* name) const
{
  return mHandle ? findSymbol(mHandle, name) : nullptr;
}

std::string ExecutableDirectory()
{
  std::string path;
#ifdef _WIN32
  char buffer[MAX_PATH * 4] = {};
  const DWORD length = GetModuleFileNameA(nullptr, buffer, sizeof(buffer));
  path.assign(buffer, length);
  for (char& c : path)
    if (c == '\\')
      c = '/';
#else
  char buffer[PATH_MAX] = {};
  const ssize_t length = readlink("/proc/self/exe", buffer, sizeof(buffer) - 1);
  if (length > 0)
    path.assign(buffer, static_cast<size_t>(length));
#endif
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos)
    return ".";
  return path.substr(0, slash);
}

} // namespace vsthost
