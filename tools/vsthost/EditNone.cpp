// `kolvane-host edit` where the host has no window of its own yet.

#include "Edit.h"

namespace vsthost
{
int RunEdit(const EditOptions&, const HostSettings&, std::ostream& error)
{
  error << "kolvane-host: edit has no window on this system\n";
  return 1;
}
} // namespace vsthost
