#include "common/command_line.h"

#include <cstdlib>

#include "common/exit_status.h"

#ifndef TALLY77_VERSION
#define TALLY77_VERSION "unknown"
#endif

namespace tally {

namespace {

std::string_view Variable(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string_view() : std::string_view(value);
}

// The first platform QT_QPA_PLATFORM names ("xcb;wayland" tries xcb first),
// without its arguments ("vnc:size=800x600").
std::string_view ChosenPlatform() {
  std::string_view platform = Variable("QT_QPA_PLATFORM");
  platform = platform.substr(0, platform.find(';'));
  return platform.substr(0, platform.find(':'));
}

}  // namespace

CommandLineEnd VersionAnswer(std::string_view program) {
  return {kExitOk, std::string(program) + " " + TALLY77_VERSION + "\n"};
}

CommandLineEnd HelpAnswer(std::string text) { return {kExitOk, std::move(text)}; }

CommandLineEnd UsageFault(std::string_view program, std::string_view message) {
  const std::string name(program);
  return {kExitUsage, name + ": " + std::string(message) + "\nTry '" + name + " --help'.\n"};
}

CommandLineEnd Fault(std::string_view program, int status, std::string_view message) {
  return {status, std::string(program) + ": " + std::string(message) + "\n"};
}

int Finish(const CommandLineEnd& end, std::FILE* out, std::FILE* err) {
  std::fputs(end.text.c_str(), end.status == kExitOk ? out : err);
  std::fflush(end.status == kExitOk ? out : err);
  return end.status;
}

bool IsHelpWord(std::string_view argument) { return argument == "--help" || argument == "-h"; }

bool IsVersionWord(std::string_view argument) { return argument == "--version" || argument == "-v"; }

bool IsOptionWord(std::string_view argument) { return !argument.empty() && argument.front() == '-'; }

std::optional<std::string> WhyNoDisplay() {
  const std::string_view platform = ChosenPlatform();
  const bool x11 = !Variable("DISPLAY").empty();
  const bool wayland = !Variable("WAYLAND_DISPLAY").empty();
  if (platform.empty()) {
    if (x11 || wayland) return std::nullopt;
    return "no display: neither DISPLAY nor WAYLAND_DISPLAY is set";
  }
  if (platform == "xcb" && !x11) return "no display: QT_QPA_PLATFORM is xcb and DISPLAY is not set";
  if (platform.rfind("wayland", 0) == 0 && !wayland) {
    return "no display: QT_QPA_PLATFORM is " + std::string(platform) + " and WAYLAND_DISPLAY is not set";
  }
  return std::nullopt;  // offscreen, minimal, vnc and the like need no display
}

std::optional<CommandLineEnd> NoDisplayEnd(std::string_view program) {
  const std::optional<std::string> why = WhyNoDisplay();
  if (!why) return std::nullopt;
  return Fault(program, kExitUnavailable, *why);
}

}  // namespace tally
