// A loadable library that is not a plug-in: it exports a function, but
// neither entry point name.

#ifdef _WIN32
#define NO_ENTRY_EXPORT __declspec(dllexport)
#else
#define NO_ENTRY_EXPORT __attribute__((visibility("default")))
#endif

extern "C" NO_ENTRY_EXPORT int KolvaneNotAPlugin()
{
  return 1;
}
