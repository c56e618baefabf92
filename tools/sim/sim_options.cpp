#include "sim_options.h"

#include <cstdlib>

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

}  // namespace

std::string UsageText() {
  return "usage: tally77-sim [options]\n"
         "Acts as a Tally 77 processor on a new pseudo-terminal (its path is the first\n"
         "line printed) or on --device. Prints every burst sent and every command\n"
         "received, and exits after an end command.\n"
         "  --device PATH        use this device instead of a new pseudo-terminal\n"
         "  --link PATH          keep a symbolic link PATH to the pseudo-terminal\n"
         "  --type fLI|fLII      four or eight fields per reading (fLI)\n"
         "  --bursts N           readings to send, sync burst not counted (16)\n"
         "  --sync on|off        send one extra leading burst for the capture to discard (on)\n"
         "  --order ORDER        in, reverse, shuffle, missing=N, twice=N (in)\n"
         "  --seed N             seed of the shuffled order (1)\n"
         "  --value N            field 2 of every reading (100 + channel)\n"
         "  --high-channel C     channel C reads --high-value instead\n"
         "  --high-value V\n"
         "  --gap MS             quiet time between bursts (3000)\n"
         "  --fast               send each burst at once, not at 30 characters a second\n"
         "  --drop-after N       hang up the pseudo-terminal after N readings ...\n"
         "  --drop-ms MS         ... and open a new one after MS (1000)\n"
         "  --wait-end MS        after the last burst, wait at most MS for the end command\n";
}

ParsedOptions ParseSimOptions(const std::vector<std::string>& arguments) {
  SimOptions options;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& name = arguments[i];
    if (name == "--help" || name == "-h") return Wrong(UsageText());
    if (name == "--fast") {
      options.fast = true;
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
  return ParsedOptions{options, ""};
}

}  // namespace tally::sim
