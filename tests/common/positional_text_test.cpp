#include <gtest/gtest.h>

#include "common/positional_text.h"

namespace tally {
namespace {

TEST(Mid, TakesFromAOneBasedPosition) {
  EXPECT_EQ(Mid("fL0120261206", 5, 4), "2026");
  EXPECT_EQ(Mid("abc", 2, 10), "bc");
  EXPECT_EQ(Mid("abc", 3, 2), "c");
  EXPECT_EQ(Mid("abc", 4, 2), "");
  EXPECT_EQ(Mid("abc", 99, 2), "");
}

TEST(LeftRight, NeverMoreThanTheText) {
  EXPECT_EQ(Left("fL01", 2), "fL");
  EXPECT_EQ(Left("ab", 4), "ab");
  EXPECT_EQ(Right("/meter/P017/", 5), "P017/");
  EXPECT_EQ(Right("/", 5), "/");
}

TEST(Overwrite, ReplacesInPlaceAndNeverGrowsTheText) {
  const struct {
    const char* text;
    std::size_t position;
    const char* replacement;
    const char* expected;
  } cases[] = {
      {"fL01xxxx", 1, "P017", "P017xxxx"},
      {"fL01xxxx", 1, "AB", "AB01xxxx"},
      {"abcdef", 5, "XYZ", "abcdXY"},
      {"abcdef", 6, "XYZ", "abcdeX"},
      {"abcdef", 7, "XYZ", "abcdef"},
      {"abcdef", 2, "", "abcdef"},
  };
  for (const auto& c : cases) {
    std::string text = c.text;
    Overwrite(text, c.position, c.replacement);
    EXPECT_EQ(text, c.expected) << c.text << " @" << c.position;
    EXPECT_EQ(text.size(), std::string(c.text).size());
  }
}

}  // namespace
}  // namespace tally
