#include "IParam.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>

namespace
{
const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

std::string Display(const IParam& param)
{
  char text[MAX_PARAM_DISPLAY_LEN];
  param.GetDisplayForHost(text);
  return text;
}

std::string DisplayOf(const IParam& param, double value, bool normalized)
{
  char text[MAX_PARAM_DISPLAY_LEN];
  param.GetDisplayForHost(value, normalized, text);
  return text;
}
} // namespace

// ---- Initialisation ---------------------------------------------------------

TEST(IParam, BoolIsAnOffOnSwitchWhoseKindSurvivesTheInnerInits)
{
  IParam param;
  param.InitBool("Bypass", true, "dB", "Main");
  EXPECT_EQ(kTypeBool, param.Type());
  EXPECT_EQ(1.0, param.Value());
  EXPECT_EQ(0.0, param.GetMin());
  EXPECT_EQ(1.0, param.GetMax());
  EXPECT_EQ(1.0, param.GetStep());
  EXPECT_EQ(0, param.GetPrecision());
  ASSERT_EQ(2, param.GetNDisplayTexts());
  int value = -1;
  EXPECT_STREQ("off", param.GetDisplayTextAtIdx(0, &value));
  EXPECT_EQ(0, value);
  EXPECT_STREQ("on", param.GetDisplayTextAtIdx(1, &value));
  EXPECT_EQ(1, value);
  EXPECT_EQ("on", Display(param));
  // The value has a display text, so the unit label is not shown beside it.
  EXPECT_STREQ("", param.GetLabelForHost());
  EXPECT_STREQ("Main", param.GetParamGroupForHost());
  param.Set(0.0);
  EXPECT_EQ("off", Display(param));
}

TEST(IParam, InitSetsKindRangeAndDefault)
{
  struct Case
  {
    const char* what;
    void (*init)(IParam&);
    EParamType type;
    double min, max, value;
  };
  const Case cases[] = {
      {"enum of 5", [](IParam& p) { p.InitEnum("x", 2, 5); }, kTypeEnum, 0, 4, 2},
      {"int 1..16", [](IParam& p) { p.InitInt("x", 3, 1, 16); }, kTypeInt, 1, 16, 3},
      {"int 0..0 widened to one step", [](IParam& p) { p.InitInt("x", 0, 0, 0); }, kTypeInt, 0, 1,
       0},
      {"double", [](IParam& p) { p.InitDouble("x", 0.5, -1.0, 1.0, 0.01); }, kTypeDouble, -1, 1,
       0.5},
      {"double max below min + step", [](IParam& p) { p.InitDouble("x", 2, 2, 1, 0.5); },
       kTypeDouble, 2, 2.5, 2},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.what);
    IParam param;
    c.init(param);
    EXPECT_EQ(c.type, param.Type());
    double min = -99, max = -99;
    param.GetBounds(&min, &max);
    EXPECT_EQ(c.min, min);
    EXPECT_EQ(c.max, max);
    EXPECT_EQ(c.value, param.Value());
    EXPECT_EQ(c.value, param.GetDefault());
  }
}

TEST(IParam, DisplayPrecisionFollowsTheStep)
{
  struct Case
  {
    double step;
    int precision;
  };
  const Case cases[] = {{1, 0},    {2, 0},    {0.5, 1},  {0.1, 1},    {1.5, 1},
                        {0.25, 2}, {0.05, 2}, {0.01, 2}, {0.001, 3},  {0.0001, 4},
                        {1e-5, 5}, {1e-6, 6}, {1e-7, 6}, {1.0 / 3, 6}};
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.step);
    IParam param;
    param.InitDouble("x", 0, 0, 10, c.step);
    EXPECT_EQ(c.precision, param.GetPrecision());
    EXPECT_EQ(c.step, param.GetStep()); // the step itself is kept as given
  }
}

// ---- Normalization --------------------------------------------------------

TEST(IParam, SetNormalizedRoundsDiscreteKindsAndFollowsTheShape)
{
  struct Case
  {
    const char* what;
    void (*init)(IParam&);
    double normalized;
    double expected;
  };
  const Case cases[] = {
      {"enum 0.6 of 0..4 rounds down", [](IParam& p) { p.InitEnum("x", 0, 5); }, 0.6, 2},
      {"enum half step rounds up", [](IParam& p) { p.InitEnum("x", 0, 5); }, 0.625, 3},
      {"int 1..16 half step rounds up", [](IParam& p) { p.InitInt("x", 1, 1, 16); }, 0.5, 9},
      {"bool below half", [](IParam& p) { p.InitBool("x", false); }, 0.49, 0},
      {"bool at half", [](IParam& p) { p.InitBool("x", false); }, 0.5, 1},
      {"double is not rounded", [](IParam& p) { p.InitDouble("x", 0, 0, 10, 1); }, 0.123, 1.23},
      {"shape 2",
       [](IParam& p)
       {
         p.InitDouble("x", 0, 0, 100, 0.01);
         p.SetShape(2);
       },
       0.5, 25},
      {"shape 0.5",
       [](IParam& p)
       {
         p.InitDouble("x", 0, 0, 100, 0.01);
         p.SetShape(0.5);
       },
       0.25, 50},
      {"above 1 gives max", [](IParam& p) { p.InitDouble("x", 0, 10, 20, 0.1); }, 1.5, 20},
      // Clamped before the curve: with shape 2, -0.5 squared would land at a
      // quarter of the range instead of the bottom.
      {"below 0 with shape 2 gives min",
       [](IParam& p)
       {
         p.InitDouble("x", 50, 0, 100, 0.01);
         p.SetShape(2);
       },
       -0.5, 0},
      // A fractional power of a negative number is not a number at all.
      {"below 0 with shape 0.5 gives min",
       [](IParam& p)
       {
         p.InitDouble("x", 50, 0, 100, 0.01);
         p.SetShape(0.5);
       },
       -0.5, 0},
      {"below 0 on an int gives min", [](IParam& p) { p.InitInt("x", 5, 1, 16); }, -3, 1},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.what);
    IParam param;
    c.init(param);
    param.SetNormalized(c.normalized);
    EXPECT_NEAR(c.expected, param.Value(), 1e-9);
  }
}

TEST(IParam, GetNormalizedInvertsTheShapeAndClampsFirst)
{
  IParam param;
  param.InitDouble("x", 0, 0, 100, 0.01);
  param.SetShape(2);
  param.SetNormalized(0.5);
  EXPECT_NEAR(0.5, param.GetNormalized(), 1e-12);
  EXPECT_EQ(1.0, param.GetNormalized(250.0));
  EXPECT_EQ(0.0, param.GetNormalized(-250.0));
  EXPECT_NEAR(0.1, param.GetNormalized(1.0), 1e-12);
}

TEST(IParam, ShapeZeroIsIgnored)
{
  IParam param;
  param.InitDouble("x", 0, 0, 100, 0.01);
  param.SetShape(2);
  param.SetShape(0);
  EXPECT_EQ(2.0, param.GetShape());
  param.SetNormalized(0.5);
  EXPECT_NEAR(25.0, param.Value(), 1e-9);
}

TEST(IParam, SetClampsIntoTheRange)
{
  IParam param;
  param.InitDouble("x", 0, -1, 1, 0.01);
  param.Set(5);
  EXPECT_EQ(1.0, param.Value());
  param.Set(-5);
  EXPECT_EQ(-1.0, param.Value());
  param.Set(0.3);
  EXPECT_EQ(0.3, param.Value());
}

TEST(IParam, NonFiniteInputLeavesTheValue)
{
  const double bad[] = {kNaN, kInf, -kInf};
  for (double value : bad)
  {
    SCOPED_TRACE(value);
    IParam param;
    param.InitDouble("x", 0.25, 0, 1, 0.01);
    param.Set(value);
    EXPECT_EQ(0.25, param.Value());
    param.SetNormalized(value);
    EXPECT_EQ(0.25, param.Value());

    IParam choice;
    choice.InitEnum("x", 2, 4);
    choice.SetNormalized(value);
    EXPECT_EQ(2.0, choice.Value());
  }
}

TEST(IParam, ValueAccessorsTruncateAndThreshold)
{
  IParam param;
  param.InitDouble("x", 0, -10, 10, 0.01);
  param.Set(2.7);
  EXPECT_EQ(2, param.Int());
  EXPECT_TRUE(param.Bool());
  param.Set(-2.7);
  EXPECT_EQ(-2, param.Int());
  param.Set(0.49);
  EXPECT_FALSE(param.Bool());
  param.Set(0.5);
  EXPECT_TRUE(param.Bool());
}

TEST(IParam, DecibelsToAmplitude)
{
  EXPECT_NEAR(1.0, DBToAmp(0.0), 1e-12);
  EXPECT_NEAR(10.0, DBToAmp(20.0), 1e-9);
  EXPECT_NEAR(0.1, DBToAmp(-20.0), 1e-10);
  IParam param;
  param.InitDouble("Level", -6, -60, 12, 0.1, "dB");
  EXPECT_NEAR(0.501187, param.DBToAmp(), 1e-6);
}

// ---- Display texts ----------------------------------------------------------

TEST(IParam, MapDisplayTextIsCaseSensitive)
{
  IParam param;
  param.InitBool("x", false);
  int value = 42;
  EXPECT_FALSE(param.MapDisplayText("On", &value));
  EXPECT_EQ(42, value);
  EXPECT_FALSE(param.MapDisplayText("on ", &value));
  EXPECT_FALSE(param.MapDisplayText(nullptr, &value));
  EXPECT_EQ(42, value);
  EXPECT_TRUE(param.MapDisplayText("on", &value));
  EXPECT_EQ(1, value);
  EXPECT_TRUE(param.MapDisplayText("off", &value));
  EXPECT_EQ(0, value);
}

TEST(IParam, DuplicateDisplayTextsKeepInsertionOrder)
{
  IParam param;
  param.InitEnum("x", 0, 3);
  param.SetDisplayText(1, "first");
  param.SetDisplayText(1, "second");
  param.SetDisplayText(0, "zero");
  EXPECT_EQ(3, param.GetNDisplayTexts());
  EXPECT_STREQ("first", param.GetDisplayText(1));
  int value = -1;
  EXPECT_TRUE(param.MapDisplayText("second", &value));
  EXPECT_EQ(1, value);
  EXPECT_STREQ("zero", param.GetDisplayTextAtIdx(2, &value));
  EXPECT_EQ(0, value);
}

TEST(IParam, MissingDisplayTextIsEmptyNotNull)
{
  IParam plain;
  plain.InitInt("x", 0, 0, 10);
  ASSERT_NE(nullptr, plain.GetDisplayText(3));
  EXPECT_STREQ("", plain.GetDisplayText(3));

  IParam texts;
  texts.InitBool("x", false);
  ASSERT_NE(nullptr, texts.GetDisplayText(7));
  EXPECT_STREQ("", texts.GetDisplayText(7));
}

TEST(IParam, LabelForHostShownOnlyWithoutDisplayText)
{
  IParam param;
  param.InitEnum("Mode", 0, 3, "mode");
  param.SetDisplayText(0, "Soft");
  param.SetDisplayText(1, "");
  EXPECT_STREQ("", param.GetLabelForHost()); // "Soft" stands for itself
  param.Set(1);
  EXPECT_STREQ("mode", param.GetLabelForHost()); // an empty text counts as none
  EXPECT_EQ("1", Display(param));
  param.Set(2);
  EXPECT_STREQ("mode", param.GetLabelForHost());
  EXPECT_EQ("2", Display(param));
}

TEST(IParam, DisplayFormatsAtThePrecision)
{
  struct Case
  {
    double step;
    double value;
    const char* expected;
  };
  const Case cases[] = {
      {0.01, 0.5, "0.50"},      {1, 2.7, "2"},        {1, -2.7, "-2"}, // truncation, not rounding
      {0.001, 0.1234, "0.123"}, {0.1, -3.26, "-3.3"}, {1, 3e9, "3000000000"}, // beyond int
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.expected);
    IParam param;
    param.InitDouble("x", 0, -1e10, 1e10, c.step);
    param.Set(c.value);
    EXPECT_EQ(c.expected, Display(param));
  }
}

TEST(IParam, DisplayOfANormalizedValueIsClampedIntoTheRange)
{
  IParam param;
  param.InitDouble("x", 0, 10, 20, 0.1);
  param.SetShape(2);
  EXPECT_EQ("15.0", DisplayOf(param, std::sqrt(0.5), true));
  EXPECT_EQ("20.0", DisplayOf(param, 3.0, true));
  EXPECT_EQ("10.0", DisplayOf(param, -3.0, true));
  EXPECT_EQ("10.0", DisplayOf(param, kNaN, true));
}

TEST(IParam, DisplayWithoutTextShowsTheNumber)
{
  IParam param;
  param.InitBool("x", true);
  char text[MAX_PARAM_DISPLAY_LEN];
  param.GetDisplayForHostNoDisplayText(text);
  EXPECT_STREQ("1", text);
  param.GetDisplayForHost(0.0, false, text, false);
  EXPECT_STREQ("0", text);
}

// ---- Fixed text fields --------------------------------------------------------

TEST(IParam, LongNamesAreCutToTheField)
{
  const std::string longText(100, 'n');
  IParam param;
  param.InitEnum(longText.c_str(), 0, 2, longText.c_str(), longText.c_str());
  param.SetDisplayText(0, longText.c_str());
  const std::string cut(MAX_PARAM_NAME_LEN - 1, 'n');
  EXPECT_EQ(cut, param.GetNameForHost());
  EXPECT_EQ(cut, param.GetParamGroupForHost());
  EXPECT_EQ(cut, param.GetDisplayText(0));
  param.Set(1);
  EXPECT_EQ(cut, param.GetLabelForHost());
}

TEST(IParam, NullStringsBecomeEmpty)
{
  IParam param;
  param.InitDouble(nullptr, 0, 0, 1, 0.1, nullptr, nullptr);
  EXPECT_STREQ("", param.GetNameForHost());
  EXPECT_STREQ("", param.GetLabelForHost());
  EXPECT_STREQ("", param.GetParamGroupForHost());
}

// The text of a huge value does not fit the 32-byte field a host passes: it
// is cut there, terminator included, and nothing past the field is written.
TEST(IParam, HugeValuesDisplayWithinTheField)
{
  struct Case
  {
    double value;
    double step;
  };
  const Case cases[] = {{1e300, 0.001}, {-1e300, 0.001}, {1e300, 1}, {-1e300, 1}, {1e30, 1e-7}};
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.value);
    IParam param;
    param.InitDouble("x", 0, -1e300, 1e300, c.step, "u");
    param.Set(c.value);
    char text[MAX_PARAM_DISPLAY_LEN + 16];
    std::memset(text, '#', sizeof text);
    param.GetDisplayForHost(text);
    EXPECT_EQ(static_cast<size_t>(MAX_PARAM_DISPLAY_LEN - 1), std::strlen(text));
    for (size_t i = MAX_PARAM_DISPLAY_LEN; i < sizeof text; ++i)
    {
      EXPECT_EQ('#', text[i]) << "byte " << i;
    }
    EXPECT_STREQ("u", param.GetLabelForHost());
  }
}

TEST(CopyBounded, CutsAndAlwaysTerminates)
{
  struct Case
  {
    const char* src;
    int size;
    const char* expected;
  };
  const Case cases[] = {
      {"abc", 8, "abc"}, {"abcdefg", 8, "abcdefg"}, {"abcdefgh", 8, "abcdefg"},
      {"abc", 1, ""},    {nullptr, 8, ""},          {"", 8, ""},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.expected);
    char field[16];
    std::memset(field, '#', sizeof field);
    CopyBounded(field, c.src, c.size);
    EXPECT_STREQ(c.expected, field);
    for (int i = c.size; i < static_cast<int>(sizeof field); ++i)
    {
      EXPECT_EQ('#', field[i]);
    }
  }
  char untouched = '#';
  CopyBounded(&untouched, "abc", 0);
  EXPECT_EQ('#', untouched);
}

namespace
{
// Shows a 0..1 value in tenths with a unit, and reads "N tenths" back.
class TenthsFormat final : public IParamFormat
{
public:
  void Format(double value, char* text, char* unit) const override
  {
    std::snprintf(text, MAX_PARAM_DISPLAY_LEN, "%d", static_cast<int>(std::lround(value * 10.0)));
    std::strcpy(unit, value == 1.0 ? "whole" : "tenths");
  }
  bool Parse(const char* text, double* value) const override
  {
    int tenths = 0;
    if (std::sscanf(text, "%d tenths", &tenths) != 1)
    {
      return false;
    }
    *value = tenths / 10.0;
    return true;
  }
};
} // namespace

// A format, where one is set, makes every text: the display for a real or
// a normalized value (display texts included) and the unit, which follows
// the current value.
TEST(IParam, FormatMakesTheDisplayAndTheUnit)
{
  TenthsFormat tenths;
  IParam param;
  param.InitBool("b", false, "label");
  param.SetFormat(&tenths);
  EXPECT_EQ(&tenths, param.GetFormat());
  char display[MAX_PARAM_DISPLAY_LEN];
  param.GetDisplayForHost(display);
  EXPECT_STREQ("0", display) << "the format, not the display text \"off\"";
  EXPECT_STREQ("tenths", param.GetLabelForHost());
  param.Set(1.0);
  EXPECT_STREQ("whole", param.GetLabelForHost());
  param.GetDisplayForHost(0.5, true, display);
  EXPECT_STREQ("10", display) << "a switch at 0.5 is on, as SetNormalized sets it";
  param.GetDisplayForHost(0.25, true, display);
  EXPECT_STREQ("0", display);
  param.GetDisplayForHostNoDisplayText(display);
  EXPECT_STREQ("10", display);

  double value = -1.0;
  EXPECT_TRUE(tenths.Parse("3 tenths", &value));
  EXPECT_EQ(0.3, value);
  param.SetFormat(nullptr);
  param.GetDisplayForHost(display);
  EXPECT_STREQ("on", display) << "without a format, the display texts again";
  EXPECT_STREQ("", param.GetLabelForHost());
}

// A host asks for the text of a normalized value to show what setting it
// would do: a whole kind shows the value SetNormalized rounds to, with its
// unit. It used to truncate instead, showing a switch at 0.5 "off" though
// it sets "on", and "8 steps" for 9.
TEST(IParam, TheTextOfANormalizedValueIsTheTextOfTheValueItSets)
{
  IParam steps, mode, bypass;
  steps.InitInt("Steps", 8, 1, 16, "steps");
  mode.InitEnum("Mode", 0, 3, "mode");
  mode.SetDisplayText(1, "Hard");
  bypass.InitBool("Bypass", false);
  for (IParam* param : {&steps, &mode, &bypass})
  {
    for (int k = 0; k <= 40; ++k)
    {
      const double normalized = k / 40.0;
      SCOPED_TRACE(std::string(param->GetNameForHost()) + " at " + std::to_string(normalized));
      char unit[MAX_PARAM_LABEL_LEN];
      param->GetUnitForHost(normalized, true, unit);
      const std::string shown = DisplayOf(*param, normalized, true);
      param->SetNormalized(normalized);
      EXPECT_EQ(Display(*param), shown);
      EXPECT_STREQ(param->GetLabelForHost(), unit);
    }
  }
  EXPECT_EQ("9", DisplayOf(steps, 0.5, true));
  EXPECT_EQ("on", DisplayOf(bypass, 0.5, true));
}

// The unit of any value, not only the current one: the format's for that
// value, else the label where the value has no display text.
TEST(IParam, TheUnitOfAnyValue)
{
  TenthsFormat tenths;
  IParam formatted, plain;
  formatted.InitDouble("f", 0.0, 0.0, 1.0, 0.1);
  formatted.SetFormat(&tenths);
  plain.InitEnum("Mode", 0, 3, "mode");
  plain.SetDisplayText(0, "Soft");
  struct Case
  {
    const IParam* param;
    double value;
    bool normalized;
    const char* unit;
  };
  const Case cases[] = {
      {&formatted, 1.0, false, "whole"}, {&formatted, 0.3, false, "tenths"},
      {&formatted, 1.0, true, "whole"},  {&formatted, kNaN, true, "tenths"},
      {&plain, 0.0, false, ""},          {&plain, 2.0, false, "mode"},
      {&plain, 0.9, true, "mode"},       {&plain, 0.1, true, ""},
      {&plain, 1e12, false, "mode"},
  };
  for (const Case& c : cases)
  {
    char unit[MAX_PARAM_LABEL_LEN] = "untouched";
    c.param->GetUnitForHost(c.value, c.normalized, unit);
    EXPECT_STREQ(c.unit, unit) << c.param->GetNameForHost() << " " << c.value
                               << (c.normalized ? " normalized" : "");
  }
  EXPECT_STREQ("tenths", formatted.GetLabelForHost()) << "the current value's stays its own";
  plain.GetUnitForHost(1.0, false, nullptr);
}
