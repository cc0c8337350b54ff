// The rules of the file prompt and of opening a link, the same on every
// platform; the platform only shows its dialog (OSPromptForFile) and hands
// the link to the system (OSOpenURL).

#include "IGraphics.h"

namespace
{
// The longest path a file prompt hands back.
const int kMaxPathLength = 255;

// Message box types and answers, as ShowMessageBox takes and gives them.
const int kMessageBoxOk = 0;
const int kMessageBoxYesNo = 4;
const int kAnswerYes = 6;
} // namespace

IFileFilter::IFileFilter(const char* extensions)
{
  const char* p = extensions ? extensions : "";
  while (*p)
  {
    while (*p == ' ')
    {
      ++p;
    }
    const char* end = p;
    while (*end && *end != ' ')
    {
      ++end;
    }
    if (end > p)
    {
      mExtensions.emplace_back(p, end);
    }
    p = end;
  }
}

std::string IFileFilter::Patterns(const char* separator) const
{
  std::string patterns;
  for (const std::string& extension : mExtensions)
  {
    if (!patterns.empty())
    {
      patterns += separator;
    }
    patterns += "*." + extension;
  }
  return patterns;
}

const char* IFileFilter::DefaultExtension() const
{
  return mExtensions.empty() ? "" : mExtensions.front().c_str();
}

void IGraphics::PromptForFile(WDL_String* file, EFileAction action, WDL_String* dir,
                              const char* extensions)
{
  if (!file)
  {
    return;
  }
  if (!WindowIsOpen())
  {
    file->Set("");
    return;
  }
  if (dir && !dir->GetLength())
  {
    DesktopPath(dir);
  }
  WDL_String chosen;
  if (OSPromptForFile(&chosen, action, file->Get(), dir ? dir->Get() : "",
                      IFileFilter(extensions)) &&
      chosen.GetLength())
  {
    file->Set(chosen.Get(), kMaxPathLength);
  }
}

bool IGraphics::OpenURL(const char* url, const char* windowTitle, const char* confirmMsg,
                        const char* errMsgOnFailure)
{
  if (confirmMsg && ShowMessageBox(confirmMsg, windowTitle, kMessageBoxYesNo) != kAnswerYes)
  {
    return false;
  }
  if (url && OSOpenURL(url))
  {
    return true;
  }
  if (errMsgOnFailure)
  {
    ShowMessageBox(errMsgOnFailure, windowTitle, kMessageBoxOk);
  }
  return false;
}
