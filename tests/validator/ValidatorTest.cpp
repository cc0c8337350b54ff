// The validator against the broken fixture: every check must be able to
// fail, and must not fail a plug-in that does nothing wrong.

#include "Validator.h"
#include "BrokenProtocol.h"
#include "FixturePaths.h"
#include "ParentWindow.h"

#include <gtest/gtest.h>

#include <ostream>
#include <sstream>

using vsthost::CheckResult;
using vsthost::Outcome;
using vsthost::PluginModule;
using vsthost::ValidationReport;
using vsthost::ValidatorOptions;

namespace
{
const char* outcomeName(Outcome outcome)
{
  return outcome == Outcome::Passed ? "passed" : outcome == Outcome::Failed ? "failed" : "skipped";
}

std::string describe(const ValidationReport& report)
{
  std::ostringstream text;
  for (const CheckResult& result : report.results)
    text << "  " << outcomeName(result.outcome) << ' ' << result.name << ": " << result.detail
         << '\n';
  return text.str();
}

// Loads the fixture with `fault` and runs the level-1 cases named by
// `only`; the module stays loaded, and the fault chosen, while it runs.
ValidationReport validateWithFault(const char* fault, const std::vector<std::string>& only)
{
  std::string error;
  std::shared_ptr<PluginModule> module = PluginModule::Load(fixturePath(FIXTURE_BROKEN), &error);
  EXPECT_TRUE(module) << error;
  if (!module)
    return ValidationReport();
  auto select =
      reinterpret_cast<BrokenSelectFaultProc>(module->FindSymbol(KOLVANE_BROKEN_SELECT_FAULT));
  EXPECT_TRUE(select && select(fault)) << "cannot choose the fault " << fault;
  ValidatorOptions options;
  options.level = 1;
  options.only = only;
  return vsthost::Validate(fixturePath(FIXTURE_BROKEN), options, nullptr);
}

struct FaultCase
{
  const char* fault;
  std::vector<std::string> only; // the checks that run
  std::vector<std::string> mustFail;
};

std::ostream& operator<<(std::ostream& out, const FaultCase& c)
{
  return out << c.fault;
}

const FaultCase kFaultCases[] = {
    {"sticky-nan",
     {"non-finite-input"},
     {"non-finite-input nan sample", "non-finite-input inf sample", "non-finite-input -inf sample",
      "non-finite-input nan block"}},
    {"denormals",
     {"impulse"},
     {"impulse 1e-6 then silence: subnormal output", "impulse 1e-6 then silence: processing time"}},
    {"unbounded",
     {"program", "parameter-extremes"},
     {"program 1 \"Loud\"", "parameter-extremes all at 1"}},
    {"string-overrun",
     {"strings"},
     {"strings effect name (32 bytes)", "strings parameter names (32 bytes)",
      "strings program names (24 bytes)", "strings program name set too long (24 bytes back)",
      "strings pin properties (64 and 8 bytes)"}},
    {"odd-rate", {"sample-rate"}, {"sample-rate 0 Hz", "sample-rate nan"}},
    {"unwritten-frames",
     {"block-size"},
     {"block-size 4096 announced 64", "block-size 8192 announced 512", "block-size 0"}},
    {"chunk-trust",
     {"chunk"},
     {"chunk program truncated", "chunk program corrupted", "chunk program carrying nan",
      "chunk bank truncated", "chunk bank carrying nan"}},
    {"chunk-lossy",
     {"chunk"},
     {"chunk program round trip per parameter", "chunk bank round trip per parameter"}},
    {"event-offsets", {"events"}, {"events offsets outside the block"}},
    {"time-info", {"time-info"}, {"time-info null", "time-info tempo 0", "time-info numerator 0"}},
    {"race", {"threads"}, {"threads parameters, programs and chunks while audio runs"}},
    {"slow-dispatch",
     {"dispatcher-latency"},
     {"dispatcher-latency 64-frame blocks against dispatcher calls"}},
    {"leak", {"instances"}, {"instances created and closed 400 times"}},
    {"automation",
     {"automation"},
     {"automation 32-frame slices", "automation sweeps of each parameter"}},
};

class ValidatorFault : public testing::TestWithParam<FaultCase>
{
};
} // namespace

TEST_P(ValidatorFault, FailsTheMatchingChecks)
{
  const FaultCase& c = GetParam();
  const ValidationReport report = validateWithFault(c.fault, c.only);
  ASSERT_EQ("", report.loadError);
  for (const std::string& name : c.mustFail)
  {
    const CheckResult* result = report.Find(name);
    ASSERT_TRUE(result) << "no case named \"" << name << "\" ran:\n" << describe(report);
    EXPECT_EQ(Outcome::Failed, result->outcome)
        << name << " " << outcomeName(result->outcome) << ": " << result->detail;
  }
}

INSTANTIATE_TEST_SUITE_P(EveryFault, ValidatorFault, testing::ValuesIn(kFaultCases),
                         [](const testing::TestParamInfo<FaultCase>& info)
                         {
                           std::string name = info.param.fault;
                           for (char& c : name)
                             c = c == '-' ? '_' : c;
                           return name;
                         });

TEST(Validator, PassesThePluginWithoutAFault)
{
  const ValidationReport report = validateWithFault("none", {});
  ASSERT_EQ("", report.loadError);
  EXPECT_EQ(0, report.failed) << describe(report);
  EXPECT_GT(report.passed, 50);
}

// The editor case needs a window to open the editor in; without a display
// it says why it skipped.
TEST(Validator, EditorWithoutARectangleFailsWhereAWindowCanBeMade)
{
  const ValidationReport report = validateWithFault("editor-no-rect", {"editor"});
  ASSERT_EQ(1u, report.results.size()) << describe(report);
  std::string whyNot;
  const bool window = vsthost::ParentWindow::Create(100, 100, &whyNot) != nullptr;
  const CheckResult& result = report.results[0];
  if (window)
    EXPECT_EQ(Outcome::Failed, result.outcome) << result.detail;
  else
  {
    EXPECT_EQ(Outcome::Skipped, result.outcome) << result.detail;
    EXPECT_EQ(whyNot, result.detail);
  }
}

TEST(Validator, ReportsAPluginThatCannotLoad)
{
  ValidatorOptions options;
  options.level = 1;
  const ValidationReport missing =
      vsthost::Validate(fixturePath("no-such-plugin"), options, nullptr);
  EXPECT_NE(std::string::npos, missing.loadError.find("no such file")) << missing.loadError;
  EXPECT_TRUE(missing.results.empty());

  const ValidationReport noEntry =
      vsthost::Validate(fixturePath(FIXTURE_NO_ENTRY), options, nullptr);
  EXPECT_NE(std::string::npos, noEntry.loadError.find("neither VSTPluginMain nor main"))
      << noEntry.loadError;

  std::ostringstream out, err;
  EXPECT_EQ(2, vsthost::RunValidation(fixturePath("no-such-plugin"), options, out, err));
}
