#pragma once
// The command line of tally77: --help, --version, --com1 .. --com4 DEVICE
// (over the TALLY77_COM1 .. TALLY77_COM4 variables), --data-dir DIR and
// --list-ports.

#include <QString>
#include <array>
#include <optional>
#include <ostream>

#include "common/command_line.h"

class QCommandLineParser;

namespace tally {

struct StartOptions {
  std::array<QString, 4> devices;  // per port button; empty: not given
  QString dataDirectory;           // empty: not given
  bool listPorts = false;
};

// The program's name and version, for --version and the settings file.
void NameProgram();

// Reads the command line into options. For --help, --version and a wrong
// command line, what ends the program instead. Needs no display.
std::optional<CommandLineEnd> ReadCommandLine(int& argc, char* argv[], StartOptions& options);

// The options tally77 takes, and what a parsed command line gives.
void DescribeOptions(QCommandLineParser& parser);
StartOptions OptionsOf(const QCommandLineParser& parser);

// --list-ports: one line a port found, or a line saying none was found.
void ListPorts(std::ostream& out);

}  // namespace tally
