// Quoting user data in messages, and the one reader of whole numbers.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "core/MessageText.h"
#include "core/WholeNumber.h"

namespace tarvelon {
namespace {

TEST(Quote, ShowsWhatCannotBeSeen) {
  EXPECT_EQ(quote("/data/mola"), "\"/data/mola\"");
  EXPECT_EQ(quote("path "), "\"path \"");
  EXPECT_EQ(quote(""), "\"\"");
  EXPECT_EQ(quote(std::string("a\0b", 3)), "\"a\\x00b\"");
  EXPECT_EQ(quote("tab\there\r\n\x7f"), "\"tab\\x09here\\x0d\\x0a\\x7f\"");
  EXPECT_EQ(quote("\xEF\xBB\xBF/x"), "\"<BOM>/x\"");
  // UTF-8 stays as it is; bytes that are not UTF-8 do not.
  EXPECT_EQ(quote("Ar\xC3\xA8s 88\xC2\xB0N"), "\"Ar\xC3\xA8s 88\xC2\xB0N\"");
  EXPECT_EQ(quote("\xFF\xC3(\xE2\x82"), "\"\\xff\\xc3(\\xe2\\x82\"");
  EXPECT_EQ(quote("\xED\xA0\x80"), "\"\\xed\\xa0\\x80\"");  // a UTF-16 surrogate
  EXPECT_EQ(quote("\xC0\xAF"), "\"\\xc0\\xaf\"");          // an overlong '/'
  // Characters that turn the text around or show nothing.
  EXPECT_EQ(quote("map\xE2\x80\xAEpmb.exe"), "\"map\\u202epmb.exe\"");
  EXPECT_EQ(quote("a\xE2\x80\x8B" "b\xC2\x85"), "\"a\\u200bb\\u0085\"");
}

TEST(Quote, LongTextsKeepTheirEnds) {
  const std::string path = "/home/user/" + std::string(200, 'd') + "/megt00n000hb.img ";
  const std::string q = quote(path);
  EXPECT_EQ(q.size(), 80u) << q;
  EXPECT_EQ(q.substr(0, 12), "\"/home/user/");
  EXPECT_EQ(q.substr(q.size() - 19), "/megt00n000hb.img \"");
  EXPECT_NE(q.find("ddd...ddd"), std::string::npos);
  // Ten megabytes quote as fast and as short.
  const std::string huge(10'000'000, '\x01');
  const std::string hq = quote(huge);
  EXPECT_LE(hq.size(), 80u);
  EXPECT_EQ(hq.substr(0, 5), "\"\\x01");
  EXPECT_EQ(hq.substr(hq.size() - 5), "\\x01\"");
  // A cut never splits a character in two.
  std::string accents;
  for (int i = 0; i < 100; ++i) accents += "\xC3\xA9";
  const std::string aq = quote(accents);
  EXPECT_EQ(aq, "\"" + accents.substr(0, 96) + "..." + accents.substr(0, 54) + "\"");
  // Exactly at the limit nothing is cut.
  EXPECT_EQ(quote(std::string(78, 'x')), "\"" + std::string(78, 'x') + "\"");
  EXPECT_EQ(quote(std::string(79, 'x')).find("..."), 49u);
}

TEST(Quote, WholeMessagesKeepTheirLinesAndLoseTheirControls) {
  EXPECT_EQ(displaySafe("one\ntwo\x1b[31m"), "one\ntwo\\x1b[31m");
  const std::string line(5000, 'a');
  const std::string safe = displaySafe("head\n" + line + "\ntail");
  EXPECT_EQ(safe.substr(0, 5), "head\n");
  EXPECT_EQ(safe.substr(safe.size() - 5), "\ntail");
  EXPECT_EQ(safe.size(), 5u + 1000u + 5u);
  EXPECT_EQ(countOf(1, "line", "lines"), "1 line");
  EXPECT_EQ(countOf(0, "line", "lines"), "0 lines");
  EXPECT_EQ(countOf(2, "line", "lines"), "2 lines");
}

TEST(WholeNumber, OneSignAtMostThenDigitsOnly) {
  struct Case {
    const char* text;
    WholeNumber result;
    int value;
  } cases[] = {
      {"0", WholeNumber::Ok, 0},
      {"60", WholeNumber::Ok, 60},
      {"+60", WholeNumber::Ok, 60},
      {"-60", WholeNumber::Ok, -60},
      {"007", WholeNumber::Ok, 7},
      {"-0", WholeNumber::Ok, 0},
      {"2147483647", WholeNumber::Ok, INT_MAX},
      {"-2147483648", WholeNumber::Ok, INT_MIN},
      {"+0000000000002147483647", WholeNumber::Ok, INT_MAX},
      {"+-60", WholeNumber::NotANumber, 0},
      {"-+60", WholeNumber::NotANumber, 0},
      {"--60", WholeNumber::NotANumber, 0},
      {"++60", WholeNumber::NotANumber, 0},
      {"", WholeNumber::NotANumber, 0},
      {"+", WholeNumber::NotANumber, 0},
      {"-", WholeNumber::NotANumber, 0},
      {" 6", WholeNumber::NotANumber, 0},
      {"6 ", WholeNumber::NotANumber, 0},
      {"6-", WholeNumber::NotANumber, 0},
      {"1.5", WholeNumber::NotANumber, 0},
      {"0x10", WholeNumber::NotANumber, 0},
      {"1e3", WholeNumber::NotANumber, 0},
      {"\xD9\xA3", WholeNumber::NotANumber, 0},  // an Arabic-Indic digit
      {"2147483648", WholeNumber::OutOfRange, 0},
      {"-2147483649", WholeNumber::OutOfRange, 0},
      {"99999999999", WholeNumber::OutOfRange, 0},
      {"-99999999999999999999999999", WholeNumber::OutOfRange, 0},
      // 2^64 + 10: wrapped round it would be 10.
      {"18446744073709551626", WholeNumber::OutOfRange, 0},
      {"-18446744073709551626", WholeNumber::OutOfRange, 0},
      {"00000000000000000000018446744073709551626", WholeNumber::OutOfRange, 0},
  };
  for (const Case& c : cases) {
    int value = 12345;
    EXPECT_EQ(readWholeNumber(c.text, value), c.result) << c.text;
    EXPECT_EQ(value, c.result == WholeNumber::Ok ? c.value : 12345) << c.text;
  }
}

}  // namespace
}  // namespace tarvelon
