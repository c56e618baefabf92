#include "service/service_process.h"

#include <signal.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QUuid>
#include <sstream>

#include "link/qt/event_loop.h"

namespace tally::testing {

ServiceProcess::ServiceProcess(const QStringList& arguments, QProcessEnvironment environment,
                               bool journalLog) {
  process_.setProcessChannelMode(QProcess::SeparateChannels);
  if (journalLog) {
    logFile_ = (QDir::tempPath() + "/tally77-capture-log-" + QUuid::createUuid().toString(QUuid::Id128))
                   .toStdString();
    QFile(QString::fromStdString(logFile_)).open(QIODevice::WriteOnly);
    struct stat status {};
    stat(logFile_.c_str(), &status);
    environment.insert("JOURNAL_STREAM", QString::number(status.st_dev) + ":" + QString::number(status.st_ino));
    process_.setStandardOutputFile(QString::fromStdString(logFile_), QIODevice::Append);
  }
  process_.setProcessEnvironment(environment);
  process_.start(QStringLiteral(TALLY77_CAPTURE_PATH), arguments);
  process_.waitForStarted(5000);
}

ServiceProcess::~ServiceProcess() {
  if (process_.state() != QProcess::NotRunning) {
    process_.kill();
    process_.waitForFinished(2000);
  }
  if (!logFile_.empty()) QFile::remove(QString::fromStdString(logFile_));
}

std::string ServiceProcess::Output() {
  if (!logFile_.empty()) {
    QFile file(QString::fromStdString(logFile_));
    file.open(QIODevice::ReadOnly);
    return file.readAll().toStdString();
  }
  collected_ += process_.readAllStandardOutput().toStdString();
  return collected_;
}

std::string ServiceProcess::Errors() {
  errors_ += process_.readAllStandardError().toStdString();
  return errors_;
}

std::vector<std::string> ServiceProcess::Log() {
  std::vector<std::string> lines;
  std::istringstream output(Output());
  for (std::string line; std::getline(output, line);) lines.push_back(line);
  return lines;
}

int ServiceProcess::CountInLog(const std::string& text) {
  int count = 0;
  for (const std::string& line : Log()) count += line.find(text) != std::string::npos ? 1 : 0;
  return count;
}

bool ServiceProcess::WaitForLog(const std::string& text, int milliseconds) {
  return WaitFor([&] { return CountInLog(text) > 0; }, milliseconds);
}

void ServiceProcess::Signal(int number) { ::kill(static_cast<pid_t>(process_.processId()), number); }

int ServiceProcess::WaitForExit(int milliseconds) {
  WaitFor([this] { return process_.state() == QProcess::NotRunning; }, milliseconds);
  Output();
  Errors();
  if (process_.state() != QProcess::NotRunning) return -1;
  return process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : -1;
}

QProcessEnvironment ServiceProcess::Environment(const std::vector<std::pair<QString, QString>>& variables) {
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.remove("JOURNAL_STREAM");
  environment.remove("NOTIFY_SOCKET");
  environment.remove("WATCHDOG_USEC");
  for (const auto& [name, value] : variables) environment.insert(name, value);
  return environment;
}

bool StopClockForProgram(QProcessEnvironment& environment) {
  const QString library = QStringLiteral(TALLY77_FAKETIME_PATH);
  if (library.isEmpty() || !QFile::exists(library)) return false;
  environment.insert("LD_PRELOAD", library);
  environment.insert("FAKETIME", "2026-12-06 14:30:15");
  // Timers run on the monotonic clock, which keeps going.
  environment.insert("FAKETIME_DONT_FAKE_MONOTONIC", "1");
  environment.insert("TZ", "UTC");
  // Under AddressSanitizer the preloaded library comes before its runtime.
  environment.insert("ASAN_OPTIONS", environment.value("ASAN_OPTIONS") + ":verify_asan_link_order=0");
  return true;
}

}  // namespace tally::testing
