#include "Edit.h"

#include <cstdio>

namespace vsthost
{

int FindParameter(PluginInstance& instance, const std::string& name)
{
  const int n = instance.Effect() ? instance.Effect()->numParams : 0;
  for (int i = 0; i < n; ++i)
  {
    if (instance.ParamName(i) == name)
      return i;
  }
  return -1;
}

std::string LogLine(const HostCall& call)
{
  char line[64];
  switch (call.kind)
  {
  case HostCall::Automate:
    std::snprintf(line, sizeof line, "automate %d %.6f\n", call.index, call.value);
    break;
  case HostCall::BeginEdit:
    std::snprintf(line, sizeof line, "begin %d\n", call.index);
    break;
  case HostCall::EndEdit:
    std::snprintf(line, sizeof line, "end %d\n", call.index);
    break;
  default:
    std::snprintf(line, sizeof line, "update\n");
    break;
  }
  return line;
}

} // namespace vsthost
