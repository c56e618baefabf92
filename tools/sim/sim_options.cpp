#include "sim_options.h"

#include <cstdlib>
#include <utility>

#include "common/command_line.h"

namespace tally::sim {

namespace {

std::optional<long> WholeNumber(const std::string& text) {
  if (text.empty()) return std::nullopt;
  char* end = nullptr;
  const long number = std::strtol(text.c_str(), &end, 10);
  if (end == nullptr || *end != '\0') return std::nullopt;
  return number;
}

bool ValidOrder(const std::string& order) {
  if (order == "in" || order == "reverse" || order == "shuffle") return true;
  for (const std::string prefix : {"missing=", "twice="}) {
    if (order.rfind(prefix, 0) == 0) {
      const std::optional<long> channel = WholeNumber(order.substr(prefix.size()));
      return channel && *channel >= 1 && *channel <= 16;
    }
  }
  return false;
}

ParsedOptions Wrong(const std::string& message) { return ParsedOptions{std::nullopt, message}; }

// Field 2 of a reading is three digits wide; the sign does not count.
constexpr int kWidestFieldValue = 999;

// A value wider than its field makes the reading's line longer and its set's
// record over-wide: sent only when asked for.
std::optional<std::string> WiderThanItsField(const SimOptions& options) {
  if (options.wideValues) return std::nullopt;
  const auto wide = [](int value) { return value > kWidestFieldValue || value < -kWidestFieldValue; };
  for (const auto& [name, value] : {std::pair{"--value", options.value.value_or(0)},
                                    std::pair{"--high-value", options.highValue}}) {
    if (wide(value)) {
      return std::string(name) + " " + std::to_string(value) +
             " is wider than field 2's three digits and makes the set's record over-wide; "
             "give --wide-values to send it anyway";
    }
  }
  return std::nullopt;
}

}  // namespace

std::string UsageText() {
  return "Usage: tally77-sim [options]\n"
         "Acts as a Tally 77 processor on a new pseudo-terminal (its path is the first\n"
         "line printed) or on --device. Prints every burst sent and every command\n"
         "received, and exits after an end command.\n"
         "  --device PATH        use this device instead of a new pseudo-terminal\n"
         "  --link PATH          keep a symbolic link PATH to the pseudo-terminal,\n"
         "                       removed at exit (also on SIGTERM and SIGINT)\n"
         "  --type fLI|fLII      four or eight fields per reading (fLI)\n"
         "  --bursts N           readings to send, sync burst not counted (16)\n"
         "  --sync on|off        send one extra leading burst for the capture to discard (on)\n"
         "  --order ORDER        in, reverse, shuffle, missing=N, twice=N (in)\n"
         "  --seed N             seed of the shuffled order (1)\n"
         "  --value N            field 2 of every reading (100 + channel)\n"
         "  --high-channel C     channel C reads --high-value instead\n"
         "  --high-value V       (-999 to 999, the width of field 2)\n"
         "  --wide-values        let --value and --high-value be wider than field 2: the\n"
         "                       capture then writes an over-wide set record\n"
         "  --gap MS             quiet time between bursts (3000)\n"
         "  --fast               send each burst at once, not at 30 characters a second\n"
         "  --drop-after N       hang up the pseudo-terminal after N readings ...\n"
         "  --drop-ms MS         ... and open a new one after MS (1000)\n"
         "  --wait-end MS        after the last burst, wait at most MS for the end command\n"
         "  -h, --help           this text\n"
         "  --version            the program's version\n"
         "\n"
         "Exit status: 0 after the end command, --help, --version or a stop by SIGTERM\n"
         "or SIGINT; 64 a wrong command line; 69 no end command came (--wait-end);\n"
         "74 the line failed.\n";
}

ParsedOptions ParseSimOptions(const std::vector<std::string>& arguments) {
  SimOptions options;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& name = arguments[i];
    if (IsHelpWord(name) || IsVersionWord(name)) {
      ParsedOptions asked;
      asked.help = IsHelpWord(name);
      asked.version = !asked.help;
      return asked;
    }
    if (!IsOptionWord(name)) return Wrong("unexpected argument " + name);
    if (name == "--fast") {
      options.fast = true;
      continue;
    }
    if (name == "--wide-values") {
      options.wideValues = true;
      continue;
    }
    if (i + 1 >= arguments.size()) return Wrong(name + " needs a value");
    const std::string& text = arguments[++i];
    const std::optional<long> number = WholeNumber(text);
    auto needNumber = [&](long low, long high, int& into) {
      if (!number || *number < low || *number > high) return false;
      into = static_cast<int>(*number);
      return true;
    };
    bool good = true;
    if ((name == "--device" || name == "--link") && IsOptionWord(text)) {
      return Wrong("\"" + text + "\" is an option, not a path");
    }
    if (name == "--device") {
      options.device = text;
    } else if (name == "--link") {
      options.link = text;
    } else if (name == "--type") {
      good = text == "fLI" || text == "fLII";
      options.kind = text == "fLII" ? ProcessorKind::FLII : ProcessorKind::FLI;
    } else if (name == "--bursts") {
      good = needNumber(0, 1000000, options.bursts);
    } else if (name == "--sync") {
      good = text == "on" || text == "off";
      options.sync = text == "on";
    } else if (name == "--order") {
      good = ValidOrder(text);
      options.order = text;
    } else if (name == "--seed") {
      int seed = 0;
      good = needNumber(0, 2147483647, seed);
      options.seed = static_cast<unsigned>(seed);
    } else if (name == "--value") {
      int value = 0;
      good = needNumber(-99999, 99999, value);
      options.value = value;
    } else if (name == "--high-channel") {
      good = needNumber(1, 16, options.highChannel);
    } else if (name == "--high-value") {
      good = needNumber(-99999, 99999, options.highValue);
    } else if (name == "--gap") {
      good = needNumber(0, 3600000, options.gapMs);
    } else if (name == "--drop-after") {
      good = needNumber(1, 1000000, options.dropAfter);
    } else if (name == "--drop-ms") {
      good = needNumber(0, 3600000, options.dropMs);
    } else if (name == "--wait-end") {
      good = needNumber(0, 86400000, options.waitEndMs);
    } else {
      return Wrong("unknown option " + name);
    }
    if (!good) return Wrong("bad value \"" + text + "\" for " + name);
  }
  if (options.dropAfter > 0 && !options.device.empty()) {
    return Wrong("--drop-after works on a pseudo-terminal only, not with --device");
  }
  if (const std::optional<std::string> wide = WiderThanItsField(options)) return Wrong(*wide);
  return ParsedOptions{options, ""};
}

}  // namespace tally::sim
