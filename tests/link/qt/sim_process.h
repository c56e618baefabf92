#pragma once
// tally77-sim run by a test: started with its options, its report read
// line by line while the event loop runs.

#include <QProcess>
#include <string>
#include <vector>

namespace tally::testing {

class SimProcess {
 public:
  // Starts the simulator and waits for the first line, the path of the
  // device the capture program is to open.
  explicit SimProcess(const QStringList& arguments);
  ~SimProcess();
  SimProcess(const SimProcess&) = delete;
  SimProcess& operator=(const SimProcess&) = delete;

  const std::string& path() const { return path_; }
  // Every line reported so far (the path line not included).
  const std::vector<std::string>& Lines();
  bool WaitForLine(const std::string& line, int milliseconds);
  // Waits for the simulator to end; its exit code, or -1 when it did not.
  int WaitForExit(int milliseconds);
  // The readings sent, in order of sending ("sent 3,103,1,300" gives
  // "3,103,1,300"); the sync burst not included.
  std::vector<std::string> Sent();
  // Position of a line in the report, or -1.
  int IndexOf(const std::string& line);

 private:
  void Collect();

  QProcess process_;
  std::string pending_;
  std::string path_;
  std::vector<std::string> lines_;
};

}  // namespace tally::testing
