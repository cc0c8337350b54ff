// The command line of kolvane-render: what each option sets, what it
// refuses, and the note-list syntax.

#include "RenderOptions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using render::Note;
using render::ParseNoteList;
using render::ParseRenderOptions;
using render::RenderOptions;
using render::UsageError;

namespace
{
std::string usageErrorOf(const std::vector<std::string>& arguments)
{
  try
  {
    ParseRenderOptions(arguments);
  }
  catch (const UsageError& error)
  {
    return error.what();
  }
  return "(accepted)";
}
} // namespace

TEST(RenderOptions, DefaultsLeaveTheHostAsADawStartsIt)
{
  const RenderOptions options = ParseRenderOptions({"in.wav", "out.flac"});
  EXPECT_EQ("in.wav", options.input);
  EXPECT_EQ("out.flac", options.output);
  EXPECT_EQ("", options.plugin);
  EXPECT_EQ("", options.preset);
  EXPECT_TRUE(options.params.empty());
  EXPECT_FALSE(options.tempo.has_value());
  EXPECT_EQ(120.0, options.Tempo());
  EXPECT_EQ(4, options.numerator);
  EXPECT_EQ(4, options.denominator);
  EXPECT_EQ(0.0, options.startPpq);
  EXPECT_EQ(512, options.blockSize);
  EXPECT_FALSE(options.doublePrecision);
  EXPECT_TRUE(options.notes.empty());
  EXPECT_EQ(0.0, options.tailSeconds);
}

TEST(RenderOptions, EveryOptionInBothSpellingsAndAnyOrder)
{
  const RenderOptions options = ParseRenderOptions({"--plugin",
                                                    "/x/Other.so",
                                                    "--preset=Falling Drops",
                                                    "in.aiff",
                                                    "--param",
                                                    "Filter Cutoff=0.4",
                                                    "--param=Dry Wet = 1",
                                                    "--tempo=128.5",
                                                    "--time-sig",
                                                    "7/8",
                                                    "--start",
                                                    "-2.5",
                                                    "--block=64",
                                                    "--double",
                                                    "--midi",
                                                    "song.mid",
                                                    "--notes",
                                                    "0:60:1.5",
                                                    "--notes=2:64:0.5:90",
                                                    "--tail",
                                                    "1.25",
                                                    "out.wav"});
  EXPECT_EQ("in.aiff", options.input);
  EXPECT_EQ("out.wav", options.output);
  EXPECT_EQ("/x/Other.so", options.plugin);
  EXPECT_EQ("Falling Drops", options.preset);
  ASSERT_EQ(2u, options.params.size());
  EXPECT_EQ("Filter Cutoff", options.params[0].name);
  EXPECT_FLOAT_EQ(0.4f, options.params[0].value);
  EXPECT_EQ("Dry Wet", options.params[1].name);
  EXPECT_FLOAT_EQ(1.0f, options.params[1].value);
  EXPECT_EQ(128.5, options.Tempo());
  EXPECT_EQ(7, options.numerator);
  EXPECT_EQ(8, options.denominator);
  EXPECT_EQ(-2.5, options.startPpq);
  EXPECT_EQ(64, options.blockSize);
  EXPECT_TRUE(options.doublePrecision);
  EXPECT_EQ("song.mid", options.midiFile);
  // Repeated --notes lists add up, in order.
  EXPECT_EQ((std::vector<Note>{{0.0, 60, 1.5, 100}, {2.0, 64, 0.5, 90}}), options.notes);
  EXPECT_EQ(1.25, options.tailSeconds);
}

TEST(RenderOptions, ParameterNamesMayHoldSpacesAndEqualsSigns)
{
  // The value follows the last '='.
  const RenderOptions options = ParseRenderOptions({"--param", "Mix=Wet=0", "a.wav", "b.wav"});
  ASSERT_EQ(1u, options.params.size());
  EXPECT_EQ("Mix=Wet", options.params[0].name);
  EXPECT_EQ(0.0f, options.params[0].value);
}

TEST(RenderOptions, ControlsCarryValuesInTheirOwnUnitsForEitherFormat)
{
  const RenderOptions options =
      ParseRenderOptions({"--lv2", "--control", "filter_cutoff=0.4", "--control=Seq Steps=7",
                          "--control", "Push!!=1e1", "a.wav", "b.wav"});
  EXPECT_TRUE(options.lv2);
  ASSERT_EQ(3u, options.controls.size());
  EXPECT_EQ("filter_cutoff", options.controls[0].name);
  EXPECT_EQ(0.4f, options.controls[0].value);
  EXPECT_EQ("Seq Steps", options.controls[1].name);
  EXPECT_EQ(7.0f, options.controls[1].value);
  EXPECT_EQ(10.0f, options.controls[2].value);
  EXPECT_FALSE(ParseRenderOptions({"a.wav", "b.wav"}).lv2);
}

TEST(RenderOptions, HelpNeedsNoFilesAndDoubleDashEndsTheOptions)
{
  EXPECT_TRUE(ParseRenderOptions({"--help"}).help);
  EXPECT_TRUE(ParseRenderOptions({"-h"}).help);
  const RenderOptions options = ParseRenderOptions({"--", "--odd name.wav", "-"});
  EXPECT_EQ("--odd name.wav", options.input);
  EXPECT_EQ("-", options.output);
}

TEST(RenderOptions, RefusesWhatItCannotActOn)
{
  struct Case
  {
    std::vector<std::string> arguments;
    std::string message;
  };
  const std::vector<std::string> files = {"in.wav", "out.wav"};
  auto with = [&](std::vector<std::string> options)
  {
    options.insert(options.end(), files.begin(), files.end());
    return options;
  };
  const Case cases[] = {
      {{}, "needs an input and an output file"},
      {{"in.wav"}, "needs an input and an output file"},
      {{"a.wav", "b.wav", "c.wav"}, "takes one input and one output file, not 3 files"},
      {with({"--bogus", "1"}), "unknown option --bogus"},
      {with({"-x"}), "unknown option -x"},
      {{"in.wav", "out.wav", "--tempo"}, "--tempo needs a value"},
      {with({"--tempo", "fast"}), "--tempo needs a number above 0, up to 1000, not 'fast'"},
      {with({"--tempo", "0"}), "--tempo needs a number above 0"},
      {with({"--tempo", "-120"}), "--tempo needs a number above 0"},
      {with({"--tempo", "1e9"}), "--tempo needs a number above 0"},
      {with({"--tempo", "nan"}), "--tempo needs a number above 0"},
      {with({"--tempo", "120", "--tempo=130"}), "--tempo is given twice"},
      {with({"--block", "0"}), "--block needs a whole number from 1 to 65536, not '0'"},
      {with({"--block", "64.5"}), "--block needs a whole number"},
      {with({"--block", "100000"}), "--block needs a whole number"},
      {with({"--tail", "-1"}), "--tail needs a number from 0 to 3600"},
      {with({"--start", "1x"}), "--start needs a number"},
      {with({"--time-sig", "4"}), "--time-sig needs N/D"},
      {with({"--time-sig", "0/4"}), "--time-sig needs N/D"},
      {with({"--time-sig", "4/0"}), "--time-sig needs N/D"},
      {with({"--time-sig", "4/5"}), "--time-sig needs N/D"},
      {with({"--time-sig", "4/4/4"}), "--time-sig needs N/D"},
      {with({"--double=yes"}), "--double takes no value"},
      {with({"--preset="}), "--preset needs a value"},
      {with({"--param", "Filter Cutoff"}), "--param needs NAME=VALUE, not 'Filter Cutoff'"},
      {with({"--param", "=0.5"}), "--param '=0.5' names no parameter"},
      {with({"--param", "Filter Cutoff=1.5"}), "the value must be a number from 0 to 1"},
      {with({"--param", "Filter Cutoff=-0.1"}), "the value must be a number from 0 to 1"},
      {with({"--param", "Filter Cutoff=low"}), "the value must be a number from 0 to 1"},
      {with({"--notes", "0:60"}), "--notes: '0:60' is not START:KEY:LENGTH[:VELOCITY]"},
      {with({"--control", "Filter Cutoff"}), "--control needs NAME=VALUE"},
      {with({"--control", "=3"}), "--control '=3' names no parameter"},
      {with({"--control", "Filter Cutoff=1e39"}), "the value must be a number"},
      {with({"--control", "Filter Cutoff=inf"}), "the value must be a number"},
      {with({"--lv2", "--param", "Filter Cutoff=0.5"}), "with --control"},
      {with({"--lv2", "--double"}), "LV2 audio ports carry single-precision samples"},
      {with({"--lv2=1"}), "--lv2 takes no value"},
  };
  for (const Case& c : cases)
  {
    std::string line;
    for (const std::string& argument : c.arguments)
      line += "[" + argument + "] ";
    EXPECT_NE(std::string::npos, usageErrorOf(c.arguments).find(c.message))
        << line << "\n  gave: " << usageErrorOf(c.arguments);
  }
}

TEST(NoteList, ReadsStartKeyLengthAndOptionalVelocity)
{
  struct Case
  {
    const char* text;
    std::vector<Note> notes;
  };
  const Case cases[] = {
      {"0:60:1", {{0.0, 60, 1.0, 100}}},
      {"0:60:1.5,2:64:0.5", {{0.0, 60, 1.5, 100}, {2.0, 64, 0.5, 100}}},
      {" 0.25 : 0 : 0.125 : 1 , 3:127:4:127 ", {{0.25, 0, 0.125, 1}, {3.0, 127, 4.0, 127}}},
      // Out of order and overlapping: the schedule sorts them.
      {"4:60:1,0:60:8", {{4.0, 60, 1.0, 100}, {0.0, 60, 8.0, 100}}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.notes, ParseNoteList(c.text)) << c.text;
}

TEST(NoteList, RefusesMalformedNotes)
{
  struct Case
  {
    const char* text;
    const char* message;
  };
  const Case cases[] = {
      {"", "empty note"},
      {"0:60:1,", "empty note"},
      {"0:60:1,,1:62:1", "empty note"},
      {"0:60", "'0:60' is not START:KEY:LENGTH[:VELOCITY]"},
      {"0:60:1:100:5", "is not START:KEY:LENGTH[:VELOCITY]"},
      {"-1:60:1", "'-1:60:1' needs a start of 0 or more quarter notes"},
      {"x:60:1", "needs a start of 0 or more"},
      {"0:128:1", "'0:128:1' needs a key from 0 to 127"},
      {"0:-1:1", "needs a key from 0 to 127"},
      {"0:60.5:1", "needs a key from 0 to 127"},
      {"0:C4:1", "needs a key from 0 to 127"},
      {"0:60:0", "'0:60:0' needs a length above 0 quarter notes"},
      {"0:60:-2", "needs a length above 0"},
      {"0:60:1:0", "'0:60:1:0' needs a velocity from 1 to 127"},
      {"0:60:1:128", "needs a velocity from 1 to 127"},
      {"0;60;1", "is not START:KEY:LENGTH"},
  };
  for (const Case& c : cases)
  {
    try
    {
      ParseNoteList(c.text);
      ADD_FAILURE() << "accepted '" << c.text << "'";
    }
    catch (const UsageError& error)
    {
      EXPECT_NE(std::string::npos, std::string(error.what()).find(c.message))
          << "'" << c.text << "' gave: " << error.what();
    }
  }
}
