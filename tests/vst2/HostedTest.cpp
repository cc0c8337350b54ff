// The test plug-in as a real plug-in binary (a shared object, or a DLL under
// Wine), loaded and driven by the project's own VST2 host the way a DAW
// drives it.

#include "ChannelBuffers.h"
#include "PluginInstance.h"
#include "PluginModule.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using vsthost::ChannelBuffers;
using vsthost::ChunkType;
using vsthost::HostCall;
using vsthost::PluginInstance;

namespace
{
std::string PluginPath(const char* fileName)
{
  return vsthost::ExecutableDirectory() + "/" + fileName;
}

std::unique_ptr<PluginInstance> OpenTestPlug(bool chunks = false)
{
  std::string error;
  auto instance = PluginInstance::Open(PluginPath(chunks ? TESTPLUG_CHUNKS_FILE : TESTPLUG_FILE),
                                       vsthost::HostSettings(), &error);
  EXPECT_TRUE(instance) << error;
  return instance;
}

enum
{
  kGain,
  kMode,
  kBypass,
  kSteps
};
} // namespace

TEST(HostedTestPlug, LoadsThroughBothEntryPointsAndDescribesItself)
{
  auto plug = OpenTestPlug();
  ASSERT_TRUE(plug);
  AEffect* effect = plug->Effect();
  EXPECT_EQ(0x54737450, effect->uniqueID);
  EXPECT_EQ(0x1018, effect->flags);
  EXPECT_EQ(4, effect->numParams);
  EXPECT_EQ(4, effect->numPrograms);
  EXPECT_EQ(10203, effect->version);
  EXPECT_EQ("Kolvane Test", plug->EffectName());
  EXPECT_EQ("Kolvane Tests", plug->VendorString());
  EXPECT_EQ(2400, plug->VstVersion());
  EXPECT_EQ(1, plug->CanDo("receiveVstTimeInfo"));
  EXPECT_EQ(0, plug->CanDo("offline"));
  EXPECT_EQ("Loud Hard", plug->ProgramNameIndexed(1).value_or("?"));
  EXPECT_EQ("Empty", plug->ProgramNameIndexed(3).value_or("?"));
  EXPECT_FALSE(plug->ProgramNameIndexed(4).has_value());
  EXPECT_EQ("Mode", plug->ParamName(kMode));
  EXPECT_EQ("Soft", plug->ParamDisplay(kMode));
  EXPECT_EQ("x", plug->ParamLabel(kGain));
  EXPECT_STREQ("VSTPluginMain", plug->Module()->EntryName());
  ASSERT_NE(nullptr, plug->Module()->FindSymbol("main"));
  EXPECT_EQ(plug->Module()->FindSymbol("VSTPluginMain"), plug->Module()->FindSymbol("main"))
      << "both exports lead to the same entry point";

  auto chunky = OpenTestPlug(true);
  ASSERT_TRUE(chunky);
  EXPECT_EQ(0x1038, chunky->Effect()->flags);
}

TEST(HostedTestPlug, ProcessesInAllThreeForms)
{
  auto plug = OpenTestPlug();
  ASSERT_TRUE(plug);
  plug->SetParameter(kGain, 0.5f); // shape 2 over 0..2: gain 0.5
  const int n = 300;               // more than some hosts announce
  ChannelBuffers<float> in(2, n), out(2, n);
  ChannelBuffers<double> inD(2, n), outD(2, n);
  in.Fill(0.5f);
  inD.Fill(-0.5);
  out.Fill(1.0f);
  ASSERT_TRUE(plug->ProcessReplacing(in.Pointers(), out.Pointers(), n));
  EXPECT_EQ(0.25f, out.Channel(1)[n - 1]);
  ASSERT_TRUE(plug->ProcessAccumulating(in.Pointers(), out.Pointers(), n));
  EXPECT_EQ(0.5f, out.Channel(0)[0]) << "added to what was there";
  ASSERT_TRUE(plug->ProcessDoubleReplacing(inD.Pointers(), outD.Pointers(), n));
  EXPECT_EQ(-0.25, outD.Channel(1)[n - 1]);
}

TEST(HostedTestPlug, AutomationBothWays)
{
  auto plug = OpenTestPlug();
  ASSERT_TRUE(plug);
  plug->SetParameter(kMode, 1.0f);
  EXPECT_EQ("Auto", plug->ParamDisplay(kMode));
  EXPECT_EQ(1.0f, plug->GetParameter(kMode));
  EXPECT_TRUE(plug->HostCalls().empty()) << "host automation is not echoed";

  // The plug-in's own gesture (its idle tick stands in for an editor).
  plug->SetParameter(kGain, 0.25f);
  plug->Dispatch(effEditIdle);
  EXPECT_EQ((std::vector<HostCall>{HostCall::beginEdit(kGain), HostCall::automate(kGain, 0.375f),
                                   HostCall::endEdit(kGain)}),
            plug->TakeHostCalls());
  EXPECT_EQ(0.375f, plug->GetParameter(kGain));
}

TEST(HostedTestPlug, TypedTextAndVendorDisplay)
{
  auto plug = OpenTestPlug();
  ASSERT_TRUE(plug);
  EXPECT_TRUE(plug->String2Parameter(kBypass, "on"));
  EXPECT_EQ("on", plug->ParamDisplay(kBypass));
  EXPECT_FALSE(plug->String2Parameter(kBypass, "yes"));
  EXPECT_TRUE(plug->String2Parameter(kSteps, "9"));
  EXPECT_EQ("9", plug->ParamDisplay(kSteps));
  vsthost::TextAnswer display = plug->QueryText(effVendorSpecific, 7, kMode);
  EXPECT_EQ(0xBEEF, display.result);
}

TEST(HostedTestPlug, ChunksRoundTripIntoAFreshInstance)
{
  for (bool chunks : {false, true})
  {
    auto plug = OpenTestPlug(chunks);
    ASSERT_TRUE(plug);
    plug->SetProgram(1);
    plug->SetParameter(kSteps, 0.6f);
    plug->SetProgramName("Mine");
    std::vector<float> saved;
    for (int i = 0; i < 4; ++i)
    {
      saved.push_back(plug->GetParameter(i));
    }
    std::vector<unsigned char> program, bank;
    ASSERT_EQ(8 + 4 * 8, plug->GetChunk(ChunkType::Program, &program));
    ASSERT_GT(plug->GetChunk(ChunkType::Bank, &bank), 8);

    for (ChunkType type : {ChunkType::Program, ChunkType::Bank})
    {
      auto fresh = OpenTestPlug(chunks);
      ASSERT_TRUE(fresh);
      EXPECT_EQ(1, fresh->SetChunk(type, type == ChunkType::Bank ? bank : program));
      if (type == ChunkType::Bank)
      {
        EXPECT_EQ("Mine", fresh->ProgramNameIndexed(1).value_or("?"));
        fresh->SetProgram(1);
      }
      for (int i = 0; i < 4; ++i)
      {
        EXPECT_EQ(saved[static_cast<size_t>(i)], fresh->GetParameter(i))
            << (chunks ? "chunk plug-in, " : "") << (type == ChunkType::Bank ? "bank" : "program")
            << " parameter " << i;
      }
    }
  }
}

TEST(HostedTestPlug, PinsAndSpeakerArrangements)
{
  auto plug = OpenTestPlug();
  ASSERT_TRUE(plug);
  auto in0 = plug->InputProperties(0);
  ASSERT_TRUE(in0.has_value());
  EXPECT_STREQ("Input 1", in0->label);
  EXPECT_EQ(kVstPinIsActive | kVstPinIsStereo, in0->flags);
  auto out1 = plug->OutputProperties(1);
  ASSERT_TRUE(out1.has_value());
  EXPECT_STREQ("Output 2", out1->label);
  EXPECT_EQ(kVstPinIsActive, out1->flags);
  EXPECT_FALSE(plug->OutputProperties(2).has_value());
}
