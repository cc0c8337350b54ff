#include "Lv2Ports.h"

#include <cstdio>
#include <cstring>

namespace
{
// LV2's unit for a label that names one; null for none.
const char* StandardUnit(const char* label)
{
  static const struct
  {
    const char* label;
    const char* unit;
  } kUnits[] = {
      {"s", "units:s"},        {"ms", "units:ms"},
      {"min", "units:min"},    {"Hz", "units:hz"},
      {"kHz", "units:khz"},    {"dB", "units:db"},
      {"%", "units:pc"},       {"BPM", "units:bpm"},
      {"bpm", "units:bpm"},    {"bars", "units:bar"},
      {"beats", "units:beat"}, {"ct", "units:cent"},
      {"cents", "units:cent"}, {"st", "units:semitone12TET"},
      {"oct", "units:oct"},    {"\xC2\xB0", "units:degree"},
  };
  for (const auto& entry : kUnits)
  {
    if (!std::strcmp(label, entry.label))
    {
      return entry.unit;
    }
  }
  return nullptr;
}

void ScalePoint(std::ostream& out, bool first, const char* text, int value)
{
  out << (first ? "" : " , ") << "[ rdfs:label " << TurtleString(text) << " ; rdf:value "
      << TurtleDecimal(value) << " ]";
}
} // namespace

std::string TurtleString(const std::string& text)
{
  std::string out = "\"";
  for (char c : text)
  {
    switch (c)
    {
    case '"':
    case '\\':
      out += '\\';
      out += c;
      break;
    case '\n':
      out += "\\n";
      break;
    case '\r':
      out += "\\r";
      break;
    default:
      out += c;
    }
  }
  return out + "\"";
}

std::string TurtleDecimal(double value)
{
  char text[64];
  std::snprintf(text, sizeof text, "%.17g", value);
  if (std::strpbrk(text, "eE"))
  {
    std::snprintf(text, sizeof text, "%.30f", value);
    char* end = text + std::strlen(text) - 1;
    while (*end == '0' && end[-1] != '.')
    {
      *end-- = '\0';
    }
  }
  else if (!std::strchr(text, '.'))
  {
    // A Turtle integer literal would make the value an xsd:integer.
    std::strcat(text, ".0");
  }
  return text;
}

void WriteControlPort(std::ostream& out, uint32_t index, const char* symbol, const IParam& param)
{
  out << "    a lv2:InputPort , lv2:ControlPort ;\n"
      << "    lv2:index " << index << " ;\n"
      << "    lv2:symbol \"" << symbol << "\" ;\n"
      << "    lv2:name " << TurtleString(param.GetNameForHost()) << " ;\n"
      << "    lv2:default " << TurtleDecimal(param.GetDefault()) << " ;\n"
      << "    lv2:minimum " << TurtleDecimal(param.GetMin()) << " ;\n"
      << "    lv2:maximum " << TurtleDecimal(param.GetMax());
  const bool choices = param.Type() == kTypeBool || param.Type() == kTypeEnum;
  switch (param.Type())
  {
  case kTypeBool:
    out << " ;\n    lv2:portProperty lv2:integer , lv2:toggled";
    break;
  case kTypeInt:
    out << " ;\n    lv2:portProperty lv2:integer";
    break;
  case kTypeEnum:
    out << " ;\n    lv2:portProperty lv2:integer , lv2:enumeration";
    break;
  default:
    break;
  }
  if (choices)
  {
    // Each choice as a VST2 host shows it: its display text, else its number.
    out << " ;\n    lv2:scalePoint ";
    const int low = static_cast<int>(param.GetMin());
    for (int v = low; v <= static_cast<int>(param.GetMax()); ++v)
    {
      char text[MAX_PARAM_DISPLAY_LEN];
      param.GetDisplayForHost(v, false, text);
      ScalePoint(out, v == low, text, v);
    }
  }
  else if (param.GetNDisplayTexts() > 0)
  {
    // The values of a range that have names of their own.
    out << " ;\n    lv2:scalePoint ";
    for (int i = 0; i < param.GetNDisplayTexts(); ++i)
    {
      int value = 0;
      const char* text = param.GetDisplayTextAtIdx(i, &value);
      ScalePoint(out, i == 0, text, value);
    }
  }
  // A port's number is in the parameter's own units. A format's unit belongs
  // to the text of one value ("10 ms" for 0.01 s, "50 %" for 0.5), not to
  // that number, so a formatted parameter declares none.
  const char* label = param.GetLabelForHost();
  if (!choices && label[0] && !param.GetFormat())
  {
    if (const char* unit = StandardUnit(label))
    {
      out << " ;\n    units:unit " << unit;
    }
    else
    {
      // A unit LV2 has no name for: hosts show the value with the label.
      out << " ;\n    units:unit [ a units:Unit ; rdfs:label " << TurtleString(label)
          << " ; units:symbol " << TurtleString(label) << " ; units:render "
          << TurtleString(std::string("%f ") + label) << " ]";
    }
  }
  out << "\n";
}

void WriteReadoutPort(std::ostream& out, uint32_t index, const IPlugBase::ReadoutInfo& readout)
{
  out << "    a lv2:OutputPort , lv2:ControlPort ;\n"
      << "    lv2:index " << index << " ;\n"
      << "    lv2:symbol \"" << readout.symbol << "\" ;\n"
      << "    lv2:name " << TurtleString(readout.name) << " ;\n"
      << "    lv2:default " << TurtleDecimal(readout.min) << " ;\n"
      << "    lv2:minimum " << TurtleDecimal(readout.min) << " ;\n"
      << "    lv2:maximum " << TurtleDecimal(readout.max)
      << " ;\n"
      // Nothing the sound depends on: a host may leave it unconnected.
      << "    lv2:portProperty lv2:integer , lv2:connectionOptional\n";
}
