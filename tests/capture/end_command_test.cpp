// The end command: its count from the text of Obs #, and its bytes.

#include "capture/end_command.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "common/number_text.h"

namespace tally {
namespace {

struct EndCountCase {
  std::string obsWanted;
  int count;
};

void PrintTo(const EndCountCase& c, std::ostream* out) { *out << "Obs # \"" << c.obsWanted << '"'; }

class EndCountTest : public ::testing::TestWithParam<EndCountCase> {};

TEST_P(EndCountTest, IsTheClampedNearestWhole) { EXPECT_EQ(EndCount(NumberFromText(GetParam().obsWanted)), GetParam().count); }

INSTANTIATE_TEST_SUITE_P(, EndCountTest,
                         ::testing::Values(EndCountCase{"300", 255}, EndCountCase{"-4", 0},
                                           EndCountCase{"abc", 0}, EndCountCase{"3.5", 4},
                                           EndCountCase{"2.5", 2}, EndCountCase{"65", 65},
                                           EndCountCase{"0.5", 0}, EndCountCase{"1e300", 255}));

TEST(EndCommandTest, CarriesTheCountAsOneByte) {
  EXPECT_EQ(EndCommand(0), std::string("AT TALLY77:\0\r\n", 14));
  EXPECT_EQ(EndCommand(65), "AT TALLY77:A\r\n");
  EXPECT_EQ(EndCommand(255), "AT TALLY77:\xFF\r\n");
}

}  // namespace
}  // namespace tally
