#include "link/qt/sim_process.h"

#include <algorithm>

#include "link/qt/event_loop.h"

namespace tally::testing {

SimProcess::SimProcess(const QStringList& arguments) {
  process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  process_.start(QStringLiteral(TALLY77_SIM_PATH), arguments);
  WaitFor([this] { return !Lines().empty() || !path_.empty(); }, 5000);
}

SimProcess::~SimProcess() {
  if (process_.state() != QProcess::NotRunning) {
    process_.kill();
    process_.waitForFinished(2000);
  }
}

void SimProcess::Collect() {
  const QByteArray bytes = process_.readAllStandardOutput();
  pending_.append(bytes.constData(), static_cast<std::size_t>(bytes.size()));
  for (std::size_t end = pending_.find('\n'); end != std::string::npos;
       end = pending_.find('\n')) {
    const std::string line = pending_.substr(0, end);
    pending_.erase(0, end + 1);
    if (path_.empty()) {
      path_ = line;
    } else {
      lines_.push_back(line);
    }
  }
}

const std::vector<std::string>& SimProcess::Lines() {
  Collect();
  return lines_;
}

bool SimProcess::WaitForLine(const std::string& line, int milliseconds) {
  return WaitFor([&] { return IndexOf(line) >= 0; }, milliseconds);
}

int SimProcess::WaitForExit(int milliseconds) {
  WaitFor([this] { return process_.state() == QProcess::NotRunning; }, milliseconds);
  Collect();
  if (process_.state() != QProcess::NotRunning) return -1;
  return process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : -1;
}

std::vector<std::string> SimProcess::Sent() {
  const std::string prefix = "sent ";
  std::vector<std::string> sent;
  for (const std::string& line : Lines()) {
    if (line.rfind(prefix, 0) == 0 && line.rfind("sent sync ", 0) != 0) {
      sent.push_back(line.substr(prefix.size()));
    }
  }
  return sent;
}

int SimProcess::IndexOf(const std::string& line) {
  const std::vector<std::string>& lines = Lines();
  const auto found = std::find(lines.begin(), lines.end(), line);
  return found == lines.end() ? -1 : static_cast<int>(found - lines.begin());
}

}  // namespace tally::testing
