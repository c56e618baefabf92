#include "capture/end_command.h"

#include "common/number_text.h"

namespace tally {

namespace {

constexpr const char* kEndCommand = "AT TALLY77:";
constexpr double kLargestEndCount = 255;

}  // namespace

int EndCount(double setsWanted) {
  double count = setsWanted;
  if (count < 0) count = 0;
  if (count > kLargestEndCount) count = kLargestEndCount;
  return static_cast<int>(NearestWhole(count));
}

std::string EndCommand(int count) {
  std::string command = kEndCommand;
  command.push_back(static_cast<char>(static_cast<unsigned char>(count)));
  command += "\r\n";
  return command;
}

}  // namespace tally
