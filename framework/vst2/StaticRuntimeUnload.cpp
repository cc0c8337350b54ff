// Compiled into every Linux plug-in module, which carries its own copy of
// the C++ runtime: that copy allocates an emergency pool for exceptions
// when the module loads and would keep it after a host unloads the module,
// so each load and unload would lose it. The module gives it back as it
// unloads.

namespace __gnu_cxx
{
void __freeres();
}

namespace
{
__attribute__((destructor)) void FreeRuntimeOnUnload()
{
  __gnu_cxx::__freeres();
}
} // namespace
