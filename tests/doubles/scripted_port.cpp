#include "doubles/scripted_port.h"

namespace tally::testing {

void ScriptedPort::SelectPort(int number, const std::string& deviceName) {
  portNumber = number;
  device = deviceName;
  log.push_back("port " + std::to_string(number) + (open ? " while open" : ""));
}

Status ScriptedPort::SetSettings(const std::string& text) {
  settings = text;
  log.push_back("settings " + text + (open ? " while open" : ""));
  return Ok();
}

Status ScriptedPort::Open() {
  if (refuseOpen) {
    log.push_back("open refused");
    return Fail(FailureCode::PortOpen, openFailure);
  }
  open = true;
  log.push_back("open");
  return Ok();
}

void ScriptedPort::Close() {
  open = false;
  log.push_back("close");
}

Status ScriptedPort::Output(const std::string& bytes) {
  if (!open) {
    log.push_back("output refused");
    return Fail(FailureCode::PortWrite, "port closed");
  }
  written += bytes;
  log.push_back("output " + bytes);
  return Ok();
}

std::string ScriptedPort::Input() { return received_.TakeAll(); }

std::string ScriptedPort::InputArrivedBefore(Moment moment) { return received_.TakeArrivedBefore(moment); }

void ScriptedPort::Hold(const std::string& text) {
  received_.TakeAll();
  received_.Add(text, SimulatedTime::At(time ? time->now : 0));
}

void ScriptedPort::Receive(const std::string& text) {
  received_.Add(text, SimulatedTime::At(time ? time->now : 0));
  if (onReceive_) onReceive_();
}

void ScriptedPort::ReportLink(bool up, const std::string& why) {
  open = up;
  if (onLink_) onLink_(up, why);
}

}  // namespace tally::testing
