#pragma once
// The run settings the capture takes from its front end, read at the moment
// a procedure needs them: the window answers from its boxes as they stand
// (an operator's edit during a run counts from the next read on), the
// service from its options.

#include <string>

namespace tally {

// The quiet interval that closes a burst, and the setting as given when it
// could not be used as it stands (then milliseconds is the one used).
struct IntervalSetting {
  int milliseconds = 0;
  bool usable = true;
  std::string given;
};

class RunSettings {
 public:
  virtual ~RunSettings() = default;
  // The sets still wanted (fractions kept; nothing given reads as 0). The
  // run ends when it falls below 1; the end command carries it.
  virtual double SetsWanted() const = 0;
  virtual IntervalSetting Interval() const = 0;
  // The data directory, as the operator names it (a root keeps its
  // separator, other paths have none at the end).
  virtual std::string DataDirectory() const = 0;
  // The file marker put in front of every set record.
  virtual std::string Marker() const = 0;
  // The device port number (1..4) opens.
  virtual std::string DeviceOfPort(int number) const = 0;
};

}  // namespace tally
