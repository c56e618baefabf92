// The least any capture must do per reading, written straight on the system
// calls with no event loop, no decoding and no checks: the reference row of
// bench/peers.py that says how far below a serial terminal's cost a capture
// can go at all.
//
// Per burst: wait for the line, wait out the quiet interval, write the burst
// twice into the scratch file by swapping names with a companion, read it
// back, log a stamped line. Per 16 readings: append and flush "fl.db1" and
// "usage.cap", replace and flush "ct.cap" and "ferro2.cap" and the folder.
// The first burst is the processor's sync burst and is only framed.
//
// Built a second time as work_floor_qt, the same work waits on Qt's event
// loop as the capture programs do: the port on QSerialPort, the quiet
// interval on a QTimer. The two side by side tell what the loop costs
// before any capture logic.
//
// Usage: work_floor PORT DATA_DIR [INTERVAL_MS]
#include <fcntl.h>
#include <poll.h>
#include <stdio.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <string>

#ifdef TALLY77_FLOOR_ON_QT
#include <QCoreApplication>
#include <QSerialPort>
#include <QTimer>
#endif

namespace {

constexpr int kSetSize = 16;

struct Folder {
  std::string path;

  std::string Name(const char* name) const { return path + "/" + name; }

  void Append(const char* name, const std::string& bytes) const {
    const int file = open(Name(name).c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (write(file, bytes.data(), bytes.size()) < 0 || fsync(file) != 0) perror(name);
    close(file);
  }

  void Replace(const char* name, const std::string& bytes) const {
    const std::string target = Name(name);
    const std::string fresh = target + ".new";
    const int file = open(fresh.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (write(file, bytes.data(), bytes.size()) < 0 || fsync(file) != 0) perror(name);
    close(file);
    if (rename(fresh.c_str(), target.c_str()) != 0) perror(name);
    const int folder = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    fsync(folder);
    close(folder);
  }
};

// "cp.txt" and its companion, both held open; each burst goes into the one
// not under the name and the two names are swapped.
class ScratchPair {
 public:
  explicit ScratchPair(const Folder& folder)
      : named_(folder.Name("cp.txt")), companion_(folder.Name(".cp.txt.next")),
        shown_(open(named_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644)),
        spare_(open(companion_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644)) {}

  std::string WriteAndReadBack(const std::string& burst) {
    const std::string text = burst + "\r\n" + burst + "\r\n";
    if (pwrite(spare_, text.data(), text.size(), 0) < 0) perror("cp.txt");
    if (ftruncate(spare_, static_cast<off_t>(text.size())) != 0) perror("cp.txt");
    if (renameat2(AT_FDCWD, companion_.c_str(), AT_FDCWD, named_.c_str(), RENAME_EXCHANGE) != 0) perror("cp.txt");
    std::string back(text.size() + 1, '\0');
    back.resize(static_cast<std::size_t>(std::max<ssize_t>(0, pread(spare_, back.data(), back.size(), 0))));
    std::swap(shown_, spare_);
    return back;
  }

 private:
  std::string named_;
  std::string companion_;
  int shown_;
  int spare_;
};

#ifndef TALLY77_FLOOR_ON_QT
int OpenLine(const char* device) {
  const int line = open(device, O_RDWR | O_NOCTTY | O_CLOEXEC);
  termios mode{};
  tcgetattr(line, &mode);
  cfmakeraw(&mode);
  cfsetspeed(&mode, B300);
  tcsetattr(line, TCSANOW, &mode);
  return line;
}

// The next burst: everything that arrives until the line stays quiet for
// the interval. Empty when the line is gone.
std::string NextBurst(int line, int intervalMs) {
  std::string burst;
  char chunk[4096];
  pollfd watch{line, POLLIN, 0};
  for (int wait = -1; poll(&watch, 1, wait) > 0; wait = intervalMs) {
    const ssize_t got = read(line, chunk, sizeof chunk);
    if (got <= 0) return {};
    burst.append(chunk, static_cast<std::size_t>(got));
  }
  return burst;
}

#endif

std::string Stamp() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S%z", &local);
  return text;
}

// Every burst after the sync burst: the scratch file, the log line, and
// per 16 the set files.
class Work {
 public:
  explicit Work(const Folder& folder) : folder_(folder), scratch_(folder) {}

  void Take(const std::string& burst) {
    const std::string back = scratch_.WriteAndReadBack(burst);
    printf("%s %s\n", Stamp().c_str(), back.substr(0, burst.size()).c_str());
    fflush(stdout);
    set_ += burst + "\r\n";
    if (++lines_ % kSetSize != 0) return;
    folder_.Append("fl.db1", set_);
    folder_.Replace("ct.cap", set_);
    folder_.Append("usage.cap", set_);
    folder_.Replace("ferro2.cap", set_);
    set_.clear();
  }

 private:
  const Folder& folder_;
  ScratchPair scratch_;
  std::string set_;
  int lines_ = 0;
};

#ifndef TALLY77_FLOOR_ON_QT
// Waits on the line itself, burst by burst, until it is gone.
int Run(int argc, char** argv, Work& work, int intervalMs) {
  static_cast<void>(argc);
  const int line = OpenLine(argv[1]);
  if (NextBurst(line, intervalMs).empty()) return 0;  // the sync burst
  for (;;) {
    const std::string burst = NextBurst(line, intervalMs);
    if (burst.empty()) return 0;
    work.Take(burst);
  }
}
#else
// Waits as the service does: QSerialPort's receive signal arms a precise
// single-shot QTimer, whose tick closes the burst.
int Run(int argc, char** argv, Work& work, int intervalMs) {
  qputenv("QT_NO_GLIB", "1");
  QCoreApplication application(argc, argv);
  QSerialPort port(QString::fromLocal8Bit(argv[1]));
  if (!port.open(QIODevice::ReadWrite) || !port.setBaudRate(300)) return 1;
  QTimer quiet;
  quiet.setSingleShot(true);
  quiet.setTimerType(Qt::PreciseTimer);
  quiet.setInterval(intervalMs);
  std::string burst;
  bool synced = false;
  QObject::connect(&port, &QSerialPort::readyRead, [&] {
    burst += port.readAll().toStdString();
    quiet.start();
  });
  QObject::connect(&port, &QSerialPort::errorOccurred, [](QSerialPort::SerialPortError error) {
    if (error != QSerialPort::NoError) QCoreApplication::quit();
  });
  QObject::connect(&quiet, &QTimer::timeout, [&] {
    if (synced) work.Take(burst);
    synced = true;
    burst.clear();
  });
  return QCoreApplication::exec();
}
#endif

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    fprintf(stderr, "usage: work_floor PORT DATA_DIR [INTERVAL_MS]\n");
    return 2;
  }
  const Folder folder{argv[2]};
  Work work(folder);
  return Run(argc, argv, work, argc > 3 ? std::atoi(argv[3]) : 2);
}
