// kolvane-host edit's window where the host knows no window system.

#include "Edit.h"

namespace vsthost
{

std::unique_ptr<EditWindow> EditWindow::Create(int, int, const std::string&, std::ostream& err)
{
  err << "kolvane-host: edit: no editor window on this system\n";
  return nullptr;
}

} // namespace vsthost
