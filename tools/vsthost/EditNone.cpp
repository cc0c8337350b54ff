#include "Edit.h"

namespace vsthost
{

// No editor window on this system yet.
int RunEdit(const EditOptions&, std::ostream&, std::ostream& err)
{
  err << "kolvane-host: edit: no editor window on this system\n";
  return 1;
}

} // namespace vsthost
