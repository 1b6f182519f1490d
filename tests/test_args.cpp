// The command line's argument reader: options and their values, flags,
// what is left over, and the whole numbers typed as values.
#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "tools/Cli.h"

namespace tarvelon::cli {
namespace {

using Words = std::vector<std::string>;

// The text of the UsageError `call` throws; "no error" when it throws none.
std::string usageErrorOf(const std::function<void()>& call) {
  try {
    call();
  } catch (const UsageError& e) {
    return e.what();
  }
  return "no error";
}

TEST(Args, AnOptionTakesTheWordAfterItOrTheTextAfterItsEqualsSign) {
  Args spaced({"7", "--step", "8", "x"});
  EXPECT_EQ(spaced.option("--step"), "8");
  EXPECT_EQ(spaced.positional(), (Words{"7", "x"}));

  Args joined({"--title=a=b", "--out=", "7"});
  EXPECT_EQ(joined.option("--title"), "a=b");  // only the first '=' divides
  EXPECT_EQ(joined.option("--out"), "");
  EXPECT_EQ(joined.positional(), Words{"7"});

  // The word after the option is its value whatever it looks like.
  Args dashed({"--west", "-60", "--out", "-", "--from", "--step"});
  EXPECT_EQ(dashed.option("--west"), "-60");
  EXPECT_EQ(dashed.option("--out"), "-");
  EXPECT_EQ(dashed.option("--from"), "--step");
  EXPECT_EQ(dashed.option("--step"), std::nullopt);
  EXPECT_TRUE(dashed.positional().empty());
}

TEST(Args, AnAbsentOptionOrOneThatOnlyBeginsAlikeIsNotTaken) {
  Args args({"--steps", "3", "--step-size=4", "-step", "5"});
  EXPECT_EQ(args.option("--step"), std::nullopt);
  EXPECT_EQ(args.option("--scheme"), std::nullopt);
  EXPECT_FALSE(args.flag("--step"));
  // Nothing was taken out: the look-alikes are still there, unknown.
  EXPECT_EQ(usageErrorOf([&] { args.positional(); }), "unknown option \"--steps\"");
}

TEST(Args, ARepeatedOptionKeepsItsLastValueAndEveryOneIsTakenOut) {
  Args args({"--step", "8", "a", "--step=10", "b", "--step", "12"});
  EXPECT_EQ(args.option("--step"), "12");
  EXPECT_EQ(args.positional(), (Words{"a", "b"}));

  Args mixed({"--scheme=2", "--scheme", "5"});
  EXPECT_EQ(mixed.option("--scheme"), "5");
  Args mixedTheOtherWay({"--scheme", "5", "--scheme=2"});
  EXPECT_EQ(mixedTheOtherWay.option("--scheme"), "2");
  EXPECT_TRUE(mixedTheOtherWay.positional().empty());
}

TEST(Args, AnOptionWithoutItsValuesIsAMistakeThatNamesIt) {
  EXPECT_EQ(usageErrorOf([] { Args({"7", "--step"}).option("--step"); }), "--step needs a value");
  EXPECT_EQ(usageErrorOf([] { Args({"--user-colours", "5"}).option("--user-colours", 2); }),
            "--user-colours needs 2 values");
  EXPECT_EQ(usageErrorOf([] { Args({"--sun"}).option("--sun", 3); }), "--sun needs 3 values");
  // A later occurrence short of its value fails even after a whole one.
  EXPECT_EQ(usageErrorOf([] { Args({"--step", "8", "x", "--step"}).option("--step"); }), "--step needs a value");
  // With its values present there is no mistake.
  EXPECT_EQ(usageErrorOf([] { Args({"--step", "8"}).option("--step"); }), "no error");
}

TEST(Args, AnOptionOfSeveralValuesTakesThemAllAndOnlyTheSpacedSpelling) {
  Args args({"tile", "--user-colours", "3000", "-2000", "7"});
  EXPECT_EQ(args.option("--user-colours", 2), (Words{"3000", "-2000"}));
  EXPECT_EQ(args.positional(), (Words{"tile", "7"}));

  Args repeated({"--user-colours", "1", "2", "--user-colours", "3", "4"});
  EXPECT_EQ(repeated.option("--user-colours", 2), (Words{"3", "4"}));
  EXPECT_TRUE(repeated.positional().empty());

  // "--name=A" is no spelling of an option of two values: it stays behind,
  // unknown.
  Args joined({"--user-colours=1", "2"});
  EXPECT_EQ(joined.option("--user-colours", 2), std::nullopt);
  EXPECT_EQ(usageErrorOf([&] { joined.positional(); }), "unknown option \"--user-colours=1\"");
}

TEST(Args, FlagsAreTakenOutWhereverAndHoweverOftenTheyStand) {
  Args args({"--hillshade", "3", "--legend", "--hillshade", "--legend=yes"});
  EXPECT_TRUE(args.flag("--hillshade"));
  EXPECT_FALSE(args.flag("--hillshade"));  // gone, every one of them
  EXPECT_TRUE(args.flag("--legend"));
  EXPECT_FALSE(args.flag("--shade-only"));
  // A flag has no value: "--legend=yes" is left over.
  EXPECT_EQ(usageErrorOf([&] { args.positional(); }), "unknown option \"--legend=yes\"");
}

TEST(Args, WhatIsLeftIsThePositionalWordsInOrderUnlessAnOptionIsUnknown) {
  Args values({"area", "-60", "58", "-", "0", "-0", "32"});
  EXPECT_EQ(values.positional(), (Words{"area", "-60", "58", "-", "0", "-0", "32"}));
  EXPECT_EQ(values.positional(), (Words{"area", "-60", "58", "-", "0", "-0", "32"}));  // reading takes nothing
  EXPECT_TRUE(Args({}).positional().empty());

  const std::pair<Words, std::string> unknown[] = {
      {{"7", "--bogus"}, "unknown option \"--bogus\""},
      {{"-x", "7"}, "unknown option \"-x\""},
      {{"--"}, "unknown option \"--\""},
      {{"-.5"}, "unknown option \"-.5\""},
      {{"--a\tb"}, "unknown option \"--a\\x09b\""},  // the user's bytes shown for what they are
      {{"7", "--first", "--second"}, "unknown option \"--first\""},
  };
  for (const auto& [words, message] : unknown) {
    EXPECT_EQ(usageErrorOf([&] { Args(words).positional(); }), message) << words[0];
  }
}

TEST(ParseInteger, TakesAWholeNumberWithinItsLimits) {
  EXPECT_EQ(parseInteger("8", "the step", 1, 48), 8);
  EXPECT_EQ(parseInteger("+7", "the step", 1, 48), 7);
  EXPECT_EQ(parseInteger("007", "the step", 1, 48), 7);
  EXPECT_EQ(parseInteger("-60", "WEST", -180, 360), -60);
  EXPECT_EQ(parseInteger("1", "the step", 1, 48), 1);  // both limits belong to the range
  EXPECT_EQ(parseInteger("48", "the step", 1, 48), 48);
  EXPECT_EQ(parseInteger("-2147483648", "a number", INT_MIN, INT_MAX), INT_MIN);
  EXPECT_EQ(usageErrorOf([] { parseInteger("2147483648", "a number", INT_MIN, INT_MAX); }),
            "a number \"2147483648\" is out of range: it must lie between -2147483648 and 2147483647");
}

TEST(ParseInteger, TextIsNoNumberAndANumberPastTheLimitsIsOutOfRange) {
  const std::pair<std::string, std::string> noNumbers[] = {
      {"eight", "the step must be a whole number, not \"eight\""},
      {"", "the step must be a whole number, not \"\""},
      {"8 ", "the step must be a whole number, not \"8 \""},
      {"+-8", "the step must be a whole number, not \"+-8\""},
      {"0x10", "the step must be a whole number, not \"0x10\""},
      {"8.0", "the step must be a whole number, not \"8.0\""},
      {"-", "the step must be a whole number, not \"-\""},
  };
  for (const auto& [text, message] : noNumbers) {
    EXPECT_EQ(usageErrorOf([&] { parseInteger(text, "the step", 1, 48); }), message) << text;
  }
  const std::pair<std::string, std::string> outOfRange[] = {
      {"0", "the step \"0\" is out of range: it must lie between 1 and 48"},
      {"49", "the step \"49\" is out of range: it must lie between 1 and 48"},
      {"-1", "the step \"-1\" is out of range: it must lie between 1 and 48"},
      // Too large for any int: out of range, not "no number".
      {"99999999999", "the step \"99999999999\" is out of range: it must lie between 1 and 48"},
      {"-99999999999", "the step \"-99999999999\" is out of range: it must lie between 1 and 48"},
  };
  for (const auto& [text, message] : outOfRange) {
    EXPECT_EQ(usageErrorOf([&] { parseInteger(text, "the step", 1, 48); }), message) << text;
  }
}

TEST(ParseInteger, AnOptionsValueIsReadAsTheToolReadsIt) {
  // What a subcommand does with "--step VALUE": take it out, then read it.
  Args args({"tile", "--step=twelve", "7"});
  const std::optional<std::string> step = args.option("--step");
  ASSERT_TRUE(step.has_value());
  EXPECT_EQ(usageErrorOf([&] { parseInteger(*step, "the step", 1, 48); }),
            "the step must be a whole number, not \"twelve\"");
  EXPECT_EQ(args.positional(), (Words{"tile", "7"}));
}

}  // namespace
}  // namespace tarvelon::cli
