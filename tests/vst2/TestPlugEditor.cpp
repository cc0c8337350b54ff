#include "TestPlugEditor.h"

#include "IControl.h"
#include "IGraphics.h"
#include "MakeGraphics.h"

#include <cstdio>
#include <cstdlib>

void TestPlugLog(const char* line)
{
  const char* path = std::getenv("KOLVANE_TESTPLUG_LOG");
  if (!path || !path[0])
  {
    return;
  }
  if (std::FILE* f = std::fopen(path, "a"))
  {
    std::fprintf(f, "%s\n", line);
    std::fclose(f);
  }
}

namespace
{
class MenuButton : public IPanelControl
{
public:
  MenuButton(IPlugBase* plug, IRECT rect, const IColor* color) : IPanelControl(plug, rect, color) {}

  void OnMouseDown(int, int, IMouseMod*) override
  {
    IPopupMenu sub;
    sub.AddItem("Sub One");
    sub.AddItem("Sub Two");
    sub.AddItem("Sub Three");
    IPopupMenu menu(2);
    const char* names[] = {"One", "Two",   nullptr, "Four", "Five",
                           "Six", "Seven", "Eight", "Nine", "Ten"};
    for (const char* name : names)
    {
      if (name)
        menu.AddItem(name);
      else
        menu.AddItem("Three", &sub);
    }
    IRECT rect = mRECT;
    IPopupMenu* chosen = mGraphics->CreateIPopupMenu(&menu, &rect);
    char line[64];
    std::snprintf(line, sizeof line, "menu %s %d",
                  chosen == &menu ? "top" : (chosen == &sub ? "sub" : "none"),
                  chosen ? chosen->GetChosenItemIdx() : -1);
    TestPlugLog(line);
  }
};

class FileButton : public IPanelControl
{
public:
  FileButton(IPlugBase* plug, IRECT rect, const IColor* color) : IPanelControl(plug, rect, color) {}

  void OnMouseDown(int, int, IMouseMod*) override
  {
    WDL_String file("unchanged.txt"), dir("C:\\");
    mGraphics->PromptForFile(&file, IGraphicsInterface::kFileSave, &dir, "txt wav");
    TestPlugLog(("file " + std::string(file.Get())).c_str());
  }
};

class ColourButton : public IPanelControl
{
public:
  ColourButton(IPlugBase* plug, IRECT rect, const IColor* color) : IPanelControl(plug, rect, color)
  {
  }

  void OnMouseDown(int, int, IMouseMod*) override
  {
    IColor color(255, 10, 20, 30);
    const bool chosen = mGraphics->PromptForColor(&color, "Pick a colour");
    char line[64];
    std::snprintf(line, sizeof line, "colour %d %d %d %d", chosen ? 1 : 0, color.R, color.G,
                  color.B);
    TestPlugLog(line);
  }
};

class MessageButton : public IPanelControl
{
public:
  MessageButton(IPlugBase* plug, IRECT rect, const IColor* color) : IPanelControl(plug, rect, color)
  {
  }

  void OnMouseDown(int, int, IMouseMod*) override
  {
    const int answer = mGraphics->ShowMessageBox("Go on?", "Test message", 1); // OK, Cancel
    char line[32];
    std::snprintf(line, sizeof line, "message %d", answer);
    TestPlugLog(line);
  }
};
} // namespace

TestPlugEditor::TestPlugEditor()
{
  IGraphics* graphics = MakeGraphics(this, 400, 200, 30);
  const IColor grey(255, 128, 128, 128), dark(255, 60, 60, 60), light(255, 200, 200, 200);
  graphics->AttachPanelBackground(&grey);
  IText text;
  for (int param : {kGain, kSteps, kMode})
  {
    const int top = param == kGain ? 10 : (param == kSteps ? 60 : 110);
    IControl* caption = new ICaptionControl(this, IRECT(10, top, 110, top + 30), param, &text);
    caption->DisablePrompt(false);
    graphics->AttachControl(caption);
  }
  graphics->AttachControl(new MenuButton(this, IRECT(200, 10, 300, 40), &dark));
  graphics->AttachControl(new FileButton(this, IRECT(200, 60, 300, 90), &light));
  graphics->AttachControl(new ColourButton(this, IRECT(200, 110, 300, 140), &dark));
  graphics->AttachControl(new MessageButton(this, IRECT(200, 160, 300, 190), &light));
  AttachGraphics(graphics);
}

void TestPlugEditor::OnParamChange(int paramIdx)
{
  TestPlug::OnParamChange(paramIdx);
  char line[64];
  std::snprintf(line, sizeof line, "value %d %g", paramIdx, GetParam(paramIdx)->Value());
  TestPlugLog(line);
}
