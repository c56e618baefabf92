#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "common/number_text.h"

namespace tally {
namespace {

struct TextCase {
  const char* text;
  double expected;
};

class NumberFromTextTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(NumberFromTextTest, ReadsTheLeadingNumber) {
  EXPECT_DOUBLE_EQ(NumberFromText(GetParam().text), GetParam().expected) << '"' << GetParam().text << '"';
}

INSTANTIATE_TEST_SUITE_P(Numbers, NumberFromTextTest,
                         ::testing::Values(TextCase{"2000", 2000}, TextCase{"1 2", 12},
                                           TextCase{" \t1\n5 ", 15}, TextCase{"-4", -4},
                                           TextCase{"+3.5", 3.5}, TextCase{"0.5", 0.5},
                                           TextCase{".25", 0.25}, TextCase{"7.", 7},
                                           TextCase{"1e3", 1000}, TextCase{"2.5E-1", 0.25},
                                           TextCase{"1e", 1}, TextCase{"1e+", 1},
                                           TextCase{"000,", 0}, TextCase{"1.00", 1},
                                           TextCase{"120x", 120}, TextCase{"12,5", 12},
                                           TextCase{"1.2.3", 1.2}, TextCase{"- 5", -5}));

INSTANTIATE_TEST_SUITE_P(NoNumber, NumberFromTextTest,
                         ::testing::Values(TextCase{"", 0}, TextCase{"abc", 0}, TextCase{"   ", 0},
                                           TextCase{"-", 0}, TextCase{".", 0}, TextCase{"e5", 0},
                                           TextCase{"\r5", 0}, TextCase{"x12", 0}));

TEST(NumberFromText, OutOfRangeSaturatesInsteadOfOverflowing) {
  EXPECT_EQ(NumberFromText("1e400"), std::numeric_limits<double>::max());
  EXPECT_EQ(NumberFromText("-1e400"), -std::numeric_limits<double>::max());
  EXPECT_EQ(NumberFromText("1e-400"), 0.0);
  EXPECT_EQ(NumberFromText("0.000001e-400"), 0.0);
  EXPECT_EQ(NumberFromText("1e300"), 1e300);
}

TEST(ParseWholeNumber, AcceptsOneNumberOnly) {
  EXPECT_EQ(ParseWholeNumber("007"), 7.0);
  EXPECT_EQ(ParseWholeNumber(" -5 "), -5.0);
  EXPECT_EQ(ParseWholeNumber("+12345"), 12345.0);
  EXPECT_EQ(ParseWholeNumber("1.5"), 1.5);
  for (const char* bad : {"", " ", "abc", "1a", "1 2", "--1", "1e", ".", "\x02", "12\r"}) {
    EXPECT_FALSE(ParseWholeNumber(bad).has_value()) << '"' << bad << '"';
  }
}

// Halves go to the even neighbour; beyond the integer range the result
// saturates, and NaN gives 0.
TEST(NearestWhole, HalvesGoToTheEvenNeighbourAndTheRangeSaturates) {
  constexpr std::int64_t kMost = std::numeric_limits<std::int64_t>::max();
  const struct {
    double value;
    std::int64_t expected;
  } cases[] = {{2.5, 2},         {3.5, 4},    {1500.5, 1500},   {1501.5, 1502},
               {0.5, 0},         {-0.5, 0},   {-1.5, -2},       {2.4999, 2},
               {2.5001, 3},      {-4, -4},    {1e300, kMost},   {-1e300, std::numeric_limits<std::int64_t>::min()},
               {9223372036854775808.0, kMost}, {std::nan(""), 0}};
  for (const auto& c : cases) EXPECT_EQ(NearestWhole(c.value), c.expected) << c.value;
}

// Plain shortest text without a leading blank; fifteen significant digits
// hide binary fractions.
TEST(DecimalText, PlainShortestTextOfFifteenSignificantDigits) {
  const struct {
    double value;
    const char* expected;
  } cases[] = {{16, "16"},         {2, "2"},     {1.5, "1.5"},          {-0.5, "-0.5"},
               {0, "0"},           {-0.0, "0"},  {0.1, "0.1"},          {1e20, "100000000000000000000"},
               {1234567.25, "1234567.25"},       {1.1 - 1, "0.1"},      {2.5 - 1 - 1, "0.5"},
               {1.0 / 3.0, "0.333333333333333"}, {2516.447, "2516.447"}, {1e-7, "0.0000001"},
               {-1e300 * 0 - 12.75, "-12.75"},   {123456789012345678.0, "123456789012346000"}};
  for (const auto& c : cases) EXPECT_EQ(DecimalText(c.value), c.expected) << c.value;
}

// As printf's "%0<width>d": zeros fill the width, a minus sign counts
// towards it, and a longer number is never cut.
TEST(AppendZeroPadded, FillsTheWidthAndNeverCuts) {
  const struct {
    long long value;
    int width;
    const char* expected;
  } cases[] = {{5, 2, "05"},   {0, 2, "00"},    {59, 2, "59"},     {123, 2, "123"},  {2026, 4, "2026"},
               {7, 4, "0007"}, {10000, 4, "10000"}, {-5, 2, "-5"}, {-5, 4, "-005"},  {-123, 2, "-123"},
               {42, 0, "42"},  {std::numeric_limits<long long>::min(), 2, "-9223372036854775808"}};
  for (const auto& c : cases) {
    std::string text = "at ";
    AppendZeroPadded(text, c.value, c.width);
    EXPECT_EQ(text, std::string("at ") + c.expected) << c.value << " width " << c.width;
  }
}

}  // namespace
}  // namespace tally
