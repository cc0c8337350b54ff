#pragma once

// Kolvane's stored states for the plug-in tests: the chunks earlier
// releases wrote, and every program of an instance as a VST2 host reads it.

#include "IPlugVST.h"
#include "Kolvane.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// The state files under state/: a program and a bank chunk saved by the
// first release (42 parameters) from a new instance's defaults with Filter
// Cutoff 0.3, Step Seq 4 on, Arp Speed 0.75, Dry Wet 0.6 and LFO Amp Type 0
// (normalized; the bank holds that state as its first program), and a
// program chunk of this version: defaults with Filter Cutoff 0.3, Swing
// 0.75, Step Level 2 0.5 and Step Level 16 0.
inline std::vector<uint8_t> stateFile(const std::string& name)
{
  std::vector<uint8_t> bytes;
  if (FILE* file = std::fopen((std::string(KOLVANE_STATE_DIR) + "/" + name).c_str(), "rb"))
  {
    int c;
    while ((c = std::fgetc(file)) != EOF)
    {
      bytes.push_back(static_cast<uint8_t>(c));
    }
    std::fclose(file);
  }
  return bytes;
}

// Every program of an instance as the host chooses it: its name and every
// parameter's value.
struct ProgramValues
{
  std::string name;
  std::vector<double> values;
};

inline std::vector<ProgramValues> EveryProgram(AEffect* effect)
{
  std::vector<ProgramValues> programs;
  for (int program = 0; program < effect->numPrograms; ++program)
  {
    effect->dispatcher(effect, effSetProgram, 0, program, nullptr, 0.0f);
    char name[kVstMaxProgNameLen * 4] = {};
    effect->dispatcher(effect, effGetProgramName, 0, 0, name, 0.0f);
    ProgramValues values{name, {}};
    for (int i = 0; i < kNumParams; ++i)
    {
      values.values.push_back(VST2PlugOf<Kolvane>(effect)->GetParam(i)->Value());
    }
    programs.push_back(values);
  }
  return programs;
}
