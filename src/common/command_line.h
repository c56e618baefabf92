#pragma once
// The command-line convention every Tally 77 program keeps: --help and
// --version (and -h, -v) answered on standard output with status 0; a wrong
// command line said on standard error with a pointer to --help and status
// 64; an argument that starts with '-' never taken for a path; a program
// with a window that finds no display says so and ends instead of aborting.

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

namespace tally {

// Where a program's command line ended it: what to print and the status
// (the text goes to standard output for status 0, else to standard error).
struct CommandLineEnd {
  int status = 0;
  std::string text;
};

// "PROGRAM VERSION\n", what --version prints.
CommandLineEnd VersionAnswer(std::string_view program);
CommandLineEnd HelpAnswer(std::string text);
// "PROGRAM: MESSAGE\nTry 'PROGRAM --help'.\n", status 64.
CommandLineEnd UsageFault(std::string_view program, std::string_view message);
// A fault of another kind than the command line's: "PROGRAM: MESSAGE\n".
CommandLineEnd Fault(std::string_view program, int status, std::string_view message);

// Prints the text where it belongs and gives the status.
int Finish(const CommandLineEnd& end, std::FILE* out = stdout, std::FILE* err = stderr);

bool IsHelpWord(std::string_view argument);     // --help or -h
bool IsVersionWord(std::string_view argument);  // --version or -v
// Whether an argument reads as an option (it starts with '-'): never a path.
bool IsOptionWord(std::string_view argument);

// Why a window cannot be shown here, from the environment (QT_QPA_PLATFORM,
// DISPLAY, WAYLAND_DISPLAY); nothing when a display or a platform that
// needs none is there.
std::optional<std::string> WhyNoDisplay();
// The same as the end of a program that needs a window: status 69.
std::optional<CommandLineEnd> NoDisplayEnd(std::string_view program);

}  // namespace tally
