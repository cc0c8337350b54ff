// Prints the editor's layout as the parameter table gives it, as JSON on
// standard output:
//
//   kolvane-layout
//
// the editor's size, its panels, each parameter's index, identifier, name,
// panel, label, control kind and place (its frame's rectangle), and the step
// LEDs' places. Programs that drive the editor from outside (the GUI tests)
// read the controls from here rather than keeping copies of the table.

#include "KolvaneParams.h"

#include <cstdio>

namespace
{
void printString(const char* text)
{
  std::putchar('"');
  for (const char* c = text; *c; ++c)
  {
    const unsigned char ch = static_cast<unsigned char>(*c);
    if (ch == '"' || ch == '\\')
      std::printf("\\%c", ch);
    else if (ch < 0x20)
      std::printf("\\u%04x", ch);
    else
      std::putchar(ch);
  }
  std::putchar('"');
}

const char* kindName(EControlKind kind)
{
  switch (kind)
  {
  case kControlKnob:
    return "knob";
  case kControlSlider:
    return "slider";
  case kControlSwitch:
    return "switch";
  case kControlContact:
    return "contact";
  case kControlBitmap:
    return "bitmap";
  case kControlNone:
    return "none";
  }
  return "unknown";
}

void printPlace(const EditorControl& c)
{
  const PictureProperties* p = FindPicture(c.picture);
  std::printf("\"x\": %d, \"y\": %d, \"width\": %d, \"height\": %d", c.x, c.y, p ? p->width : 0,
              p ? p->FrameHeight() : 0);
}
} // namespace

int main(int argc, char**)
{
  if (argc != 1)
  {
    std::fprintf(stderr, "usage: kolvane-layout (prints the editor's layout as JSON)\n");
    return 2;
  }
  std::printf("{\n  \"editor\": {\"width\": %d, \"height\": %d},\n", kEditorWidth, kEditorHeight);

  std::printf("  \"panels\": [\n");
  for (int i = 0; i < kNumEditorPanels; ++i)
  {
    const EditorPanel& p = editorPanels[i];
    std::printf("    {\"group\": ");
    printString(p.group);
    std::printf(", \"x\": %d, \"y\": %d, \"width\": %d, \"height\": %d}%s\n", p.x, p.y, p.width,
                p.height, i + 1 < kNumEditorPanels ? "," : "");
  }

  std::printf("  ],\n  \"parameters\": [\n");
  for (int i = 0; i < kNumParams; ++i)
  {
    const ParameterProperties& row = parameterProperties[i];
    std::printf("    {\"index\": %d, \"id\": ", i);
    printString(row.id);
    std::printf(", \"name\": ");
    printString(row.name);
    std::printf(", \"group\": ");
    printString(row.group);
    std::printf(", \"label\": ");
    printString(row.label);
    std::printf(", \"control\": \"%s\", ", kindName(row.control));
    printPlace(GetEditorControl(kNumStepLeds + i));
    std::printf("}%s\n", i + 1 < kNumParams ? "," : "");
  }

  std::printf("  ],\n  \"leds\": [\n");
  for (int k = 0; k < kNumStepLeds; ++k)
  {
    const EditorControl led = GetEditorControl(k);
    std::printf("    {\"tag\": %d, ", led.tag);
    printPlace(led);
    std::printf("}%s\n", k + 1 < kNumStepLeds ? "," : "");
  }
  std::printf("  ]\n}\n");
  return std::fflush(stdout) == 0 ? 0 : 1;
}
