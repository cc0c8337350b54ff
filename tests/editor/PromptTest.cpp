// The rules every window's file prompt and link follow, kept once in the
// graphics context: the extension list taken apart, no dialog without a
// window, an empty folder filled in first, what a confirmation or a cancel
// leaves in the file, and when a link asks, opens and reports failure.

#include "EditorFixtures.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
// A context with a window that can be closed, a desktop folder, and a file
// dialog that records how it was asked and answers on cue.
class DialogGraphics : public TestGraphics
{
public:
  explicit DialogGraphics(IPlugBase* plug) : TestGraphics(plug) {}

  void* GetWindow() override { return mWindowOpen ? this : nullptr; }
  void DesktopPath(WDL_String* path) override { path->Set(mDesktop.c_str()); }

  struct Dialog
  {
    EFileAction action;
    std::string file, dir;
    std::vector<std::string> extensions;
  };
  std::vector<Dialog> mDialogs;
  bool mWindowOpen = true;
  std::string mDesktop = "/home/me/Desktop";
  bool mConfirm = true;
  std::string mAnswer;

protected:
  bool OSPromptForFile(WDL_String* chosen, EFileAction action, const char* file, const char* dir,
                       const IFileFilter& filter) override
  {
    mDialogs.push_back({action, file, dir, filter.Extensions()});
    if (mConfirm)
    {
      chosen->Set(mAnswer.c_str());
    }
    return mConfirm;
  }
};

using Extensions = std::vector<std::string>;
} // namespace

TEST(IFileFilter, TakesTheSpaceSeparatedListApart)
{
  struct Case
  {
    const char* list;
    Extensions extensions;
    const char* semicolons;
    const char* spaces;
    const char* defaultExtension;
  };
  const Case cases[] = {
      {nullptr, {}, "", "", ""},
      {"", {}, "", "", ""},
      {"   ", {}, "", "", ""},
      {"fxp", {"fxp"}, "*.fxp", "*.fxp", "fxp"},
      {"fxp fxb", {"fxp", "fxb"}, "*.fxp;*.fxb", "*.fxp *.fxb", "fxp"},
      {"  fxb   fxp  ", {"fxb", "fxp"}, "*.fxb;*.fxp", "*.fxb *.fxp", "fxb"},
      {"txt wav aiff", {"txt", "wav", "aiff"}, "*.txt;*.wav;*.aiff", "*.txt *.wav *.aiff", "txt"},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.list ? c.list : "(null)");
    const IFileFilter filter(c.list);
    EXPECT_EQ(c.extensions, filter.Extensions());
    EXPECT_EQ(c.extensions.empty(), filter.Empty());
    EXPECT_EQ(c.semicolons, filter.Patterns(";"));
    EXPECT_EQ(c.spaces, filter.Patterns(" "));
    EXPECT_STREQ(c.defaultExtension, filter.DefaultExtension());
  }
}

TEST(PromptForFile, TheFileHoldsTheChoiceOnlyWhenAPathWasConfirmed)
{
  const std::string longPath = "/tmp/" + std::string(300, 'x') + ".fxp";
  struct Case
  {
    const char* name;
    bool windowOpen;
    bool confirm;
    std::string answer;
    std::string expected;
    bool dialog;
  };
  const Case cases[] = {
      {"no window: no dialog, and no file", false, true, "/tmp/new.fxp", "", false},
      {"a path confirmed", true, true, "/tmp/chosen one.fxp", "/tmp/chosen one.fxp", true},
      {"cancelled", true, false, "", "old.fxp", true},
      {"confirmed without a path", true, true, "", "old.fxp", true},
      {"a path longer than 255 characters", true, true, longPath, longPath.substr(0, 255), true},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    EditorPlug plug;
    DialogGraphics graphics(&plug);
    graphics.mWindowOpen = c.windowOpen;
    graphics.mConfirm = c.confirm;
    graphics.mAnswer = c.answer;
    WDL_String file("old.fxp"), dir("/tmp/presets");
    graphics.PromptForFile(&file, IGraphicsInterface::kFileOpen, &dir, "fxp fxb");
    EXPECT_EQ(c.expected, file.Get());
    EXPECT_EQ(c.dialog ? 1u : 0u, graphics.mDialogs.size());
  }
}

TEST(PromptForFile, TheDialogStartsAtTheFileInTheFolderOrElseOnTheDesktop)
{
  EditorPlug plug;
  DialogGraphics graphics(&plug);
  graphics.mConfirm = false;
  WDL_String file("mine.fxb"), dir("/tmp/presets");
  graphics.PromptForFile(&file, IGraphicsInterface::kFileSave, &dir, "fxb");
  ASSERT_EQ(1u, graphics.mDialogs.size());
  EXPECT_EQ(IGraphicsInterface::kFileSave, graphics.mDialogs[0].action);
  EXPECT_EQ("mine.fxb", graphics.mDialogs[0].file);
  EXPECT_EQ("/tmp/presets", graphics.mDialogs[0].dir);
  EXPECT_EQ(Extensions{"fxb"}, graphics.mDialogs[0].extensions);
  EXPECT_STREQ("/tmp/presets", dir.Get());

  // An empty folder is the desktop's, and the caller keeps it for next time.
  dir.Set("");
  graphics.PromptForFile(&file, IGraphicsInterface::kFileOpen, &dir, "fxp fxb");
  ASSERT_EQ(2u, graphics.mDialogs.size());
  EXPECT_EQ("/home/me/Desktop", graphics.mDialogs[1].dir);
  EXPECT_EQ((Extensions{"fxp", "fxb"}), graphics.mDialogs[1].extensions);
  EXPECT_STREQ("/home/me/Desktop", dir.Get());

  // No folder at all starts the dialog wherever the system chooses.
  graphics.PromptForFile(&file, IGraphicsInterface::kFileOpen, nullptr, nullptr);
  ASSERT_EQ(3u, graphics.mDialogs.size());
  EXPECT_EQ("", graphics.mDialogs[2].dir);
  EXPECT_TRUE(graphics.mDialogs[2].extensions.empty());

  // Without a file to fill in there is nothing to ask.
  graphics.PromptForFile(nullptr, IGraphicsInterface::kFileOpen, &dir, "fxp");
  EXPECT_EQ(3u, graphics.mDialogs.size());
}

TEST(OpenURL, AsksFirstWhenToldToAndReportsAFailureWhenGivenAMessage)
{
  const int kOk = 0, kYesNo = 4, kYes = 6, kNo = 7;
  struct Case
  {
    const char* name;
    const char* url;
    const char* confirm;
    const char* error;
    int answer;
    bool opens;
    bool result;
    std::vector<std::string> opened;
    std::vector<int> boxes; // the types of the boxes shown, in order
  };
  const Case cases[] = {
      {"opened", "https://a.example", nullptr, "No luck", 0, true, true, {"https://a.example"}, {}},
      {"failed, said so",
       "https://a.example",
       nullptr,
       "No luck",
       0,
       false,
       false,
       {"https://a.example"},
       {kOk}},
      {"failed quietly",
       "https://a.example",
       nullptr,
       nullptr,
       0,
       false,
       false,
       {"https://a.example"},
       {}},
      {"confirmed",
       "https://a.example",
       "Go?",
       "No luck",
       kYes,
       true,
       true,
       {"https://a.example"},
       {kYesNo}},
      {"declined: nothing opens, nothing more said",
       "https://a.example",
       "Go?",
       "No luck",
       kNo,
       true,
       false,
       {},
       {kYesNo}},
      {"the box dismissed", "https://a.example", "Go?", nullptr, 0, true, false, {}, {kYesNo}},
      {"confirmed, then failed",
       "https://a.example",
       "Go?",
       "No luck",
       kYes,
       false,
       false,
       {"https://a.example"},
       {kYesNo, kOk}},
      {"no address", nullptr, nullptr, "No luck", 0, true, false, {}, {kOk}},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    EditorPlug plug;
    TestGraphics graphics(&plug);
    graphics.mMessageBoxAnswer = c.answer;
    graphics.mURLOpens = c.opens;
    EXPECT_EQ(c.result, graphics.OpenURL(c.url, "Links", c.confirm, c.error));
    EXPECT_EQ(c.opened, graphics.mURLs);
    std::vector<int> boxes;
    for (const TestGraphics::ShownMessageBox& box : graphics.mMessageBoxes)
    {
      boxes.push_back(box.type);
      EXPECT_EQ("Links", box.caption);
      EXPECT_EQ(box.type == kYesNo ? c.confirm : c.error, box.text);
    }
    EXPECT_EQ(c.boxes, boxes);
  }
}
