#include "support/rate_file.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "doubles/capture_run.h"

namespace tally {
namespace {

using testing::CaptureRun;
using Rates = std::array<double, 5>;

const Rates kDefaultRates = {12.75, 2516.447, 6.95, 1, 0};
const Rates kEarlierRates = {-1, -2, -3, -4, -5};

TEST(DefaultRateFile, IsSevenLinesOf45CharactersWithCrLf) {
  const std::string file = DefaultRateFile();
  EXPECT_EQ(file.size(), 7u * 47u);
  EXPECT_EQ(testing::LinesOf(file),
            (std::vector<std::string>{" 12.75" + std::string(39, ' '), " 2516.447" + std::string(36, ' '),
                                      " 6.95" + std::string(40, ' '), " 1" + std::string(43, ' '),
                                      " 0             1             2             3 ",
                                      " 4             5             6             7 ",
                                      " 7             7             0             0 "}));
}

// Layouts that all hold the same twelve numbers (or more).
TEST(RateFile, LoadsTheFirstFiveOfTwelveNumbersInAnyLayout) {
  const std::vector<std::pair<const char*, std::string>> layouts = {
      {"default file", DefaultRateFile()},
      {"one line, blanks", "12.75 2516.447 6.95 1 0 1 2 3 4 5 6 7\r\n"},
      {"one line, commas", "12.75,2516.447,6.95,1,0,1,2,3,4,5,6,7\r\n"},
      {"commas with blanks, no line end", "12.75 , 2516.447 ,6.95, 1,0,1,2,3,4,5,6,7"},
      {"one number a line", "12.75\r\n2516.447\r\n6.95\r\n1\r\n0\r\n1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n"},
      {"more than twelve, rubbish after", "12.75 2516.447 6.95 1 0 1 2 3 4 5 6 7 8 x,,\r\n"},
      {"exponent and sign", "1.275e1 +2516.447 6.95 1 -0 1 2 3 4 5 6 7"},
  };
  for (const auto& [name, content] : layouts) {
    SCOPED_TRACE(name);
    CaptureRun rig;
    rig.dir.Write("ferro.dat", content);
    LoadRateFile(rig.context);
    EXPECT_EQ(rig.context.state.rateValues, kDefaultRates);
    EXPECT_EQ(rig.surface.Text(TextBox::Text2), "");
  }
}

struct BrokenRateCase {
  const char* name;
  std::string content;
  Rates expected;  // rates after the load; unreached ones keep kEarlierRates
};

TEST(RateFile, BrokenFileShowsProblemAndKeepsRatesReadBeforeIt) {
  const std::vector<BrokenRateCase> cases = {
      {"eleven numbers", "1 2 3 4 5 6 7 8 9 10 11\r\n", {1, 2, 3, 4, 5}},
      {"four numbers", "1 2 3 4", {1, 2, 3, 4, -5}},
      {"empty file", "", kEarlierRates},
      {"empty item between commas", "1,2,,4,5,6,7,8,9,10,11,12", {1, 2, -3, -4, -5}},
      {"empty line", "1\r\n\r\n3 4 5 6 7 8 9 10 11 12", {1, -2, -3, -4, -5}},
      {"not a number", "1 2 3 abc 5 6 7 8 9 10 11 12", {1, 2, 3, -4, -5}},
      {"number with letters", "1 2 3 4 5kwh 6 7 8 9 10 11 12", {1, 2, 3, 4, -5}},
      {"dropped item not a number", "1 2 3 4 5 6 x 8 9 10 11 12", {1, 2, 3, 4, 5}},
  };
  for (const BrokenRateCase& test : cases) {
    SCOPED_TRACE(test.name);
    CaptureRun rig;
    rig.context.state.rateValues = kEarlierRates;
    rig.dir.Write("ferro.dat", test.content);
    LoadRateFile(rig.context);
    EXPECT_EQ(rig.context.state.rateValues, test.expected);
    EXPECT_EQ(rig.surface.Text(TextBox::Text2), "Problem with file ferro.dat");
  }
}

TEST(RateFile, MissingFileShowsProblemAndKeepsRates) {
  CaptureRun rig;
  rig.context.state.rateValues = kEarlierRates;
  LoadRateFile(rig.context);
  EXPECT_EQ(rig.context.state.rateValues, kEarlierRates);
  EXPECT_EQ(rig.surface.Text(TextBox::Text2), "Problem with file ferro.dat");
}



}  // namespace
}  // namespace tally
