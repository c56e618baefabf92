#pragma once
// The command line of tally77-capture, and the configuration file that can
// hold the same settings (key = value, the keys the long option names;
// the command line wins).

#include <QStringList>
#include <optional>
#include <string>

namespace tally {

struct ServiceSettings {
  int portNumber = 1;       // Com1..Com4
  std::string device;       // when set, the device Com<portNumber> opens
  std::string dataDirectory;  // absolute, as the directory list shows it
  std::optional<std::string> sets;  // sets wanted (Obs #); none: until stopped
  std::string interval = "2000";    // burst interval text (Interval)
  bool init = false;        // write the default support files and exit
};

// What the command line asks for: a capture (or Init) with these settings,
// or to end at once with this text and exit code (help, version, a mistake).
struct CommandLine {
  std::optional<ServiceSettings> settings;
  std::string text;  // for stdout when the exit code is 0, else for stderr
  int exitCode = 0;
};

CommandLine ReadCommandLine(const QStringList& arguments);

}  // namespace tally
