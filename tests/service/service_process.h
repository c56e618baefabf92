#pragma once
// tally77-capture run by a test: started with its options and environment,
// its log collected while the event loop runs, signalled and awaited.

#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <string>
#include <vector>

namespace tally::testing {

class ServiceProcess {
 public:
  // Starts the program. With journalLog the log goes to a file that
  // JOURNAL_STREAM names, as under the journal; otherwise to a pipe.
  ServiceProcess(const QStringList& arguments, QProcessEnvironment environment, bool journalLog = false);
  ~ServiceProcess();
  ServiceProcess(const ServiceProcess&) = delete;
  ServiceProcess& operator=(const ServiceProcess&) = delete;

  // The log lines so far (the standard output).
  std::vector<std::string> Log();
  // Waits until a log line contains the text; gives whether one did.
  bool WaitForLog(const std::string& text, int milliseconds);
  // How many log lines contain the text.
  int CountInLog(const std::string& text);
  void Signal(int number);
  // What the program wrote to its standard error so far.
  std::string Errors();
  // Waits for the program to end; its exit code, or -1 when it did not
  // end normally in time.
  int WaitForExit(int milliseconds);

  // The environment of the test program, plus the given variables.
  static QProcessEnvironment Environment(const std::vector<std::pair<QString, QString>>& variables = {});

 private:
  std::string Output();

  QProcess process_;
  std::string logFile_;
  std::string collected_;
  std::string errors_;
};

// The program's process runs with the system clock stopped at the fixed
// clock's time (2026-12-06 14:30:15) in UTC. False when libfaketime is not
// installed.
bool StopClockForProgram(QProcessEnvironment& environment);

}  // namespace tally::testing
