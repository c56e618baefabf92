#include "sim_run.h"

#include <chrono>
#include <string>
#include <vector>

#include "burst_plan.h"
#include "command_decoder.h"
#include "common/exit_status.h"
#include "common/stop_signals.h"
#include "sim_line.h"

namespace tally::sim {

namespace {

using Clock = std::chrono::steady_clock;

// 300 baud with ten bits a character: 30 characters a second.
constexpr int kCharacterMs = 33;
// How long a part of a command may wait for its rest before it is shown.
constexpr int kCommandPatienceMs = 500;
constexpr int kPeerPollMs = 20;

class Processor {
 public:
  Processor(const SimOptions& options, std::FILE* report) : options_(options), report_(report) {}

  int Run() {
    const std::string fault = options_.device.empty() ? line_.OpenPseudoTerminal(options_.link)
                                                      : line_.OpenDevice(options_.device);
    if (!fault.empty()) return Failed(fault);
    Say(line_.PeerPath());
    if (!AwaitPeer()) return Outcome();
    if (options_.sync && !SendBurst("sent sync ", SyncBurst())) return Outcome();
    for (int reading = 1; reading <= options_.bursts; ++reading) {
      const int setIndex = (reading - 1) / 16;
      const int channel = ChannelOrder(options_.order, options_.seed, setIndex)[(reading - 1) % 16];
      if (!SendBurst("sent ", ReadingBurst(options_, reading, channel))) return Outcome();
      if (reading == options_.dropAfter && !DropLine()) return Outcome();
    }
    Listen(options_.gapMs);
    const auto lastBurst = Clock::now();
    while (!decoder_.EndSeen() && !failed_ && !Stopped() &&
           (options_.waitEndMs == 0 ||
            Clock::now() - lastBurst < std::chrono::milliseconds(options_.waitEndMs))) {
      Listen(100);
    }
    if (decoder_.EndSeen() || failed_ || Stopped()) return Outcome();
    Show(decoder_.Flush());
    Say("no end command");
    return kExitUnavailable;
  }

 private:
  // A quiet gap, then the burst paced like the line; false once the end
  // command has come or the line failed.
  bool SendBurst(const std::string& label, const std::string& burst) {
    // Also before the first burst: the capture program clears its input
    // right after it opens the port.
    Listen(options_.gapMs);
    if (decoder_.EndSeen() || Stopped()) return false;
    if (options_.fast) {
      failed_ = !line_.Write(burst);
    } else {
      for (const char c : burst) {
        failed_ = failed_ || !line_.Write(std::string(1, c));
        Listen(kCharacterMs);
      }
    }
    if (failed_) {
      Say("write failed");
      return false;
    }
    Say(label + burst);
    return !decoder_.EndSeen() && !Stopped();
  }

  // Hangs up after the quiet gap, waits, and comes back on a new
  // pseudo-terminal (the same --link path).
  bool DropLine() {
    Listen(options_.gapMs);
    if (decoder_.EndSeen() || Stopped()) return false;
    line_.HangUp();
    Say("hung up");
    Listen(options_.dropMs);
    const std::string fault = line_.OpenPseudoTerminal(options_.link);
    if (!fault.empty()) {
      Failed(fault);
      return false;
    }
    Say("reopened " + line_.PeerPath());
    if (!AwaitPeer()) return false;
    Say("peer back");
    return true;
  }

  // Until the capture program has the other end open; false when a stop
  // signal came first.
  bool AwaitPeer() {
    while (line_.PeerAway()) {
      if (stops_.WaitFor(kPeerPollMs) != 0) return false;
    }
    return true;
  }

  // SIGTERM, SIGINT or SIGHUP came: the run ends as after the end command,
  // and the line's link goes with it.
  bool Stopped() {
    if (stops_.Pending() == 0) return false;
    if (!stopSaid_) Say("stopped by a signal");
    stopSaid_ = true;
    return true;
  }

  // Reads and reports commands for this long, or until the end command.
  void Listen(int milliseconds) {
    const auto until = Clock::now() + std::chrono::milliseconds(milliseconds);
    while (!decoder_.EndSeen() && !Stopped()) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now());
      if (left.count() <= 0) break;
      const std::string bytes = line_.Read(static_cast<int>(left.count() < 50 ? left.count() : 50));
      if (!bytes.empty()) {
        lastByte_ = Clock::now();
        Show(decoder_.Feed(bytes));
      } else if (decoder_.HasPending() &&
                 Clock::now() - lastByte_ > std::chrono::milliseconds(kCommandPatienceMs)) {
        Show(decoder_.Flush());
      }
    }
  }

  void Show(const std::vector<std::string>& commands) {
    for (const std::string& command : commands) Say(command);
  }

  void Say(const std::string& text) {
    std::fprintf(report_, "%s\n", text.c_str());
    std::fflush(report_);
  }

  int Failed(const std::string& fault) {
    std::fprintf(stderr, "tally77-sim: %s\n", fault.c_str());
    failed_ = true;
    return kExitIoError;
  }

  int Outcome() {
    if (failed_) return kExitIoError;
    return decoder_.EndSeen() || Stopped() ? kExitOk : kExitUnavailable;
  }

  const SimOptions& options_;
  std::FILE* report_;
  StopSignals stops_;  // before the line, so that its link is gone before the signals are let through
  bool stopSaid_ = false;
  SimLine line_;
  CommandDecoder decoder_;
  bool failed_ = false;
  Clock::time_point lastByte_ = Clock::now();
};

}  // namespace

int RunProcessor(const SimOptions& options, std::FILE* report) {
  Processor processor(options, report);
  return processor.Run();
}

}  // namespace tally::sim
