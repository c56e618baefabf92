#pragma once
// A serial port, a burst timer and a program host that stay still: the
// port hands out the burst the benchmark puts in it and takes what is sent;
// the timer and the program record nothing.

#include <functional>
#include <optional>
#include <string>

#include "common/burst_timer.h"
#include "common/program_host.h"
#include "common/serial_port.h"

namespace tally::bench {

class StillPort : public SerialPort {
 public:
  void SelectPort(int, const std::string&) override {}
  Status SetSettings(const std::string&) override { return Ok(); }
  bool IsOpen() const override { return open; }
  Status Open() override {
    open = true;
    return Ok();
  }
  void Close() override { open = false; }
  Status Output(const std::string& bytes) override {
    bytesSent += bytes.size();
    return Ok();
  }
  std::string Input() override {
    std::string taken;
    taken.swap(pending);
    return taken;
  }
  std::string InputArrivedBefore(Moment) override { return Input(); }  // one burst, all early
  void SetReceiveHandler(std::function<void()>) override {}
  void SetLinkHandler(std::function<void(bool, const std::string&)>) override {}

  bool open = true;
  std::string pending;
  std::size_t bytesSent = 0;
};

class StillTimer : public BurstTimer {
 public:
  void SetInterval(int) override {}
  void Arm() override {}
  void Disarm() override {}
  bool IsArmed() const override { return false; }
  std::optional<Moment> OverdueSince() const override { return std::nullopt; }
  void SetTickHandler(std::function<void()>) override {}
};

class StillProgram : public ProgramHost {
 public:
  void Beep() override {}
  void EndProgram() override {}
};

}  // namespace tally::bench
