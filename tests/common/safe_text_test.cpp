#include <gtest/gtest.h>

#include "common/safe_text.h"

namespace tally {
namespace {

TEST(SafeText, EscapesControlAndHighBytesAndCutsLongText) {
  EXPECT_EQ(SafeText("1,5,20,300"), "1,5,20,300");
  EXPECT_EQ(SafeText("1,5\r\n"), "1,5\\r\\n");
  EXPECT_EQ(SafeText(std::string("\x02\x00\xff", 3)), "\\x02\\x00\\xFF");
  EXPECT_EQ(SafeText("a\\b"), "a\\\\b");
  EXPECT_EQ(SafeText(std::string(100, '7'), 10), "7777777777...");
  EXPECT_EQ(SafeText("\r\r\r\r", 5), "\\r\\r...");
}

}  // namespace
}  // namespace tally
