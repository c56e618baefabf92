// tally77-capture as a process against tally77-sim on pseudo-terminals:
// the same files as the window's core, signals, a lost line, the notify
// protocol.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QDir>
#include <QSocketNotifier>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "doubles/capture_run.h"
#include "faults/fault_run.h"
#include "link/qt/event_loop.h"
#include "link/qt/real_link_core.h"
#include "link/qt/sim_process.h"
#include "service/service_notifier.h"
#include "service/service_process.h"

namespace tally {
namespace {

using testing::ServiceProcess;
using testing::SimProcess;
using testing::WaitFor;

constexpr int kRunPatience = 45000;
constexpr int kStopPatience = 5000;

// A data directory named SITE (the marker) inside a temporary folder.
struct SiteDirectory {
  SiteDirectory() { QDir().mkpath(QString::fromStdString(path())); }
  std::string path() const { return root.path() + "/SITE"; }
  std::string Read(const std::string& name) const { return root.Read("SITE/" + name); }
  void Write(const std::string& name, const std::string& bytes) const { root.Write("SITE/" + name, bytes); }
  std::vector<std::string> Lines(const std::string& name) const { return testing::LinesOf(Read(name)); }
  testing::TempDir root;
};

// What the simulator received: every reported line but the bursts it sent.
std::vector<std::string> Commands(SimProcess& sim) {
  std::vector<std::string> commands;
  for (const std::string& line : sim.Lines()) {
    if (line.rfind("sent ", 0) != 0) commands.push_back(line);
  }
  return commands;
}

QStringList Options(const SiteDirectory& site, const std::string& device, const QStringList& more) {
  return QStringList{"--data-dir", QString::fromStdString(site.path()), "--port",
                     QString::fromStdString(device)} + more;
}

// The program's environment, with its journal of kept writes beside the
// data directory instead of in the user's state folder.
QProcessEnvironment EnvironmentFor(const SiteDirectory& site,
                                   std::vector<std::pair<QString, QString>> variables = {}) {
  variables.emplace_back("XDG_STATE_HOME", QString::fromStdString(site.root.path() + "/state"));
  return ServiceProcess::Environment(variables);
}

class CaptureServiceRun : public ::testing::Test {
 protected:
  void SetUp() override { testing::EnsureApplication(); }
};

// The site's data directory on a file system of its own that takes no
// writes, with the default support files in place; "" when made, else why
// not.
std::string MakeReadOnly(const SiteDirectory& site, testing::TmpfsMount& mount) {
  if (std::string refused = mount.Mount(site.path(), "1M"); !refused.empty()) return refused;
  testing::WriteDefaultSupportFiles(site.path());
  return mount.SetReadOnly(true);
}

TEST_F(CaptureServiceRun, WritesTheWindowCoresFilesAndEndCommandByteForByte) {
  SiteDirectory windowSite;
  SiteDirectory serviceSite;
  QProcessEnvironment environment = EnvironmentFor(serviceSite);
  if (!testing::StopClockForProgram(environment)) {
    GTEST_SKIP() << "libfaketime is not installed (Debian package faketime): the program's "
                    "stamps cannot be set to the window core's fixed clock";
  }
  const QStringList simOptions = {"--fast", "--gap", "300", "--bursts", "32", "--order", "shuffle",
                                  "--seed", "7", "--wait-end", "20000"};
  testing::WriteDefaultSupportFiles(windowSite.path());
  ServiceProcess init({"--init", "--data-dir", QString::fromStdString(serviceSite.path())}, environment);
  ASSERT_EQ(init.WaitForExit(kStopPatience), 0);
  EXPECT_EQ(serviceSite.Read("ct.dat"), windowSite.Read("ct.dat"));

  // Both runs at once, each on a simulator of its own sending the same bursts.
  SimProcess windowSim(simOptions);
  SimProcess serviceSim(simOptions);
  testing::RealLinkCore window;  // the window's core
  window.surface.directory = windowSite.path();
  window.surface.SetText(TextBox::Text3, "2");
  window.surface.SetText(TextBox::Text4, "150");
  window.PressPort(1, windowSim.path());
  unsetenv("TALLY77_COM1");
  ServiceProcess service(Options(serviceSite, serviceSim.path(), {"--sets", "2", "--interval", "150"}),
                         environment);

  ASSERT_TRUE(WaitFor([&] { return window.program.ends > 0; }, kRunPatience));
  ASSERT_EQ(service.WaitForExit(kRunPatience), 0);
  ASSERT_EQ(windowSim.WaitForExit(kStopPatience), 0);
  ASSERT_EQ(serviceSim.WaitForExit(kStopPatience), 0);
  ASSERT_EQ(serviceSim.Sent(), windowSim.Sent());
  for (const std::string name : {"fl.db1", "ct.cap", "usage.cap", "ferro2.cap", "cp.txt"}) {
    EXPECT_FALSE(windowSite.Read(name).empty()) << name;
    EXPECT_EQ(serviceSite.Read(name), windowSite.Read(name)) << name;
  }
  EXPECT_EQ(serviceSite.Lines("fl.db1").size(), 2u);
  EXPECT_EQ(Commands(serviceSim), Commands(windowSim));
  EXPECT_EQ(Commands(serviceSim).back(), "end, count 0");
}

TEST_F(CaptureServiceRun, SigtermMidSetKeepsTheCompletedSetAndSendsNothing) {
  SiteDirectory site;
  testing::WriteDefaultSupportFiles(site.path());
  SimProcess sim({"--fast", "--gap", "200", "--bursts", "24"});
  ServiceProcess service(Options(site, sim.path(), {"--interval", "100"}), EnvironmentFor(site));
  ASSERT_TRUE(service.WaitForLog(",00020,", kRunPatience));  // the fourth line of the second set

  service.Signal(SIGTERM);
  EXPECT_EQ(service.WaitForExit(kStopPatience), 0);
  EXPECT_EQ(service.CountInLog("SIGTERM: capture stopped; no end command sent"), 1);
  const std::vector<std::string> records = site.Lines("fl.db1");
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].size(), 324u);  // marker, stamps, 16 lines, two characters
  EXPECT_EQ(site.Lines("usage.cap").size(), 16u);
  // The simulator heard nothing: no end command, no alarm.
  EXPECT_TRUE(Commands(sim).empty());
  // The port is free for the next program.
  QtSerialPort next;
  setenv("TALLY77_COM1", sim.path().c_str(), 1);
  EXPECT_TRUE(next.Open().ok());
  unsetenv("TALLY77_COM1");
}

TEST_F(CaptureServiceRun, SighupReadsTheChangedLimitsForTheRestOfTheRun) {
  SiteDirectory site;
  testing::WriteDefaultSupportFiles(site.path());
  // Channels 16 down to 1, twice: channel 3 is the 14th burst of each set.
  SimProcess sim({"--fast", "--gap", "200", "--bursts", "30", "--order", "reverse", "--high-channel",
                  "3", "--high-value", "900"});
  ServiceProcess service(Options(site, sim.path(), {"--interval", "100"}), EnvironmentFor(site));
  ASSERT_TRUE(service.WaitForLog(",00017,", kRunPatience));

  site.Write("ct.dat", testing::TableWithChannel3Limits("500"));
  service.Signal(SIGHUP);
  ASSERT_TRUE(service.WaitForLog("Support files read again", kStopPatience));
  ASSERT_TRUE(sim.WaitForLine("alarm high channel 03", kRunPatience));
  service.Signal(SIGTERM);
  EXPECT_EQ(service.WaitForExit(kStopPatience), 0);
  // Only the second set's channel 3 was over a limit.
  EXPECT_EQ(Commands(sim), std::vector<std::string>{"alarm high channel 03"});
  EXPECT_EQ(site.Lines("alarmlog.txt").size(), 1u);
  EXPECT_EQ(service.CountInLog("03 high "), 1);
}

TEST_F(CaptureServiceRun, ALineHungUpMidSetComesBackAndTheSetIsFinished) {
  SiteDirectory site;
  testing::WriteDefaultSupportFiles(site.path());
  const std::string link = site.root.path() + "/com1";
  SimProcess sim({"--fast", "--gap", "300", "--bursts", "16", "--link", QString::fromStdString(link),
                  "--drop-after", "8", "--drop-ms", "300", "--wait-end", "20000"});
  ServiceProcess service(Options(site, link, {"--sets", "1", "--interval", "150"}),
                         EnvironmentFor(site), /*journalLog=*/true);

  ASSERT_EQ(service.WaitForExit(kRunPatience), 0);
  ASSERT_EQ(sim.WaitForExit(kStopPatience), 0);
  ASSERT_GE(sim.IndexOf("hung up"), 0);
  EXPECT_EQ(Commands(sim).back(), "end, count 0");
  // Every reading once, in the order sent: their counters run 1 to 16.
  std::vector<std::string> counters;
  for (const std::string& line : site.Lines("usage.cap")) counters.push_back(line.substr(7, 5));
  std::vector<std::string> expected;
  for (int n = 1; n <= 16; ++n) expected.push_back((n < 10 ? "0000" : "000") + std::to_string(n));
  EXPECT_EQ(counters, expected);
  EXPECT_EQ(site.Lines("fl.db1").size(), 1u);
  // The loss is a warning to the journal, its end news.
  EXPECT_EQ(service.CountInLog("<4>"), service.CountInLog(" lost: "));
  EXPECT_EQ(service.CountInLog(") lost: "), 1);
  EXPECT_EQ(service.CountInLog(") open again"), 1);
  for (const std::string& line : service.Log()) {
    EXPECT_TRUE(line.rfind("<6>", 0) == 0 || line.rfind("<4>", 0) == 0) << line;
  }
}

// The datagram socket a service manager listens on, read as soon as
// something arrives: a full queue would hold the sender up.
class NotifySocket {
 public:
  explicit NotifySocket(const std::string& path) : path_(path) {
    handle_ = socket(AF_UNIX, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    path.copy(address.sun_path, sizeof address.sun_path - 1);
    bound_ = bind(handle_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    reader_ = std::make_unique<QSocketNotifier>(handle_, QSocketNotifier::Read);
    QObject::connect(reader_.get(), &QSocketNotifier::activated, [this] { Messages(); });
  }
  ~NotifySocket() {
    reader_.reset();
    close(handle_);
    unlink(path_.c_str());
  }
  bool bound() const { return bound_; }
  // Every message so far, one entry per line of each datagram.
  const std::vector<std::string>& Messages() {
    char datagram[4096];
    for (ssize_t size; (size = recv(handle_, datagram, sizeof datagram, 0)) > 0;) {
      std::string all(datagram, static_cast<std::size_t>(size));
      for (std::size_t at = 0, end; at < all.size(); at = end + 1) {
        end = all.find('\n', at);
        if (end == std::string::npos) end = all.size();
        messages_.push_back(all.substr(at, end - at));
      }
    }
    return messages_;
  }
  int IndexOf(const std::string& message) {
    const std::vector<std::string>& all = Messages();
    for (std::size_t i = 0; i < all.size(); ++i) {
      if (all[i] == message) return static_cast<int>(i);
    }
    return -1;
  }
  int Count(const std::string& message) {
    int count = 0;
    for (const std::string& m : Messages()) count += m == message ? 1 : 0;
    return count;
  }

 private:
  std::string path_;
  int handle_ = -1;
  bool bound_ = false;
  std::vector<std::string> messages_;
  std::unique_ptr<QSocketNotifier> reader_;
};

TEST_F(CaptureServiceRun, TellsTheServiceManagerItIsReadyOnlyOnceThePortIsOpen) {
  if (!ServiceNotifier::Speaks()) {
    GTEST_SKIP() << "built without libsystemd (libsystemd-dev): the program does not speak the notify protocol";
  }
  if (access("/run/systemd/system", F_OK) == 0) {
    std::printf("systemd runs here, but this test checks the protocol on a socket of its own\n");
  }
  SiteDirectory site;
  testing::WriteDefaultSupportFiles(site.path());
  const std::string link = site.root.path() + "/adapter";
  NotifySocket manager(site.root.path() + "/notify");
  ASSERT_TRUE(manager.bound());
  ServiceProcess service(
      Options(site, link, {"--sets", "1", "--interval", "100"}),
      EnvironmentFor(site, {{"NOTIFY_SOCKET", QString::fromStdString(site.root.path() + "/notify")},
                            {"WATCHDOG_USEC", "400000"}}));
  ASSERT_TRUE(WaitFor([&] { return manager.IndexOf("STATUS=waiting for Com1") >= 0; }, kRunPatience));
  EXPECT_EQ(manager.IndexOf("READY=1"), -1);

  // The adapter is plugged in: the program finds it at its next try.
  SimProcess sim({"--fast", "--gap", "200", "--bursts", "16", "--link", QString::fromStdString(link),
                  "--wait-end", "20000"});
  ASSERT_EQ(service.WaitForExit(kRunPatience), 0);
  EXPECT_EQ(sim.WaitForExit(kStopPatience), 0);
  const int ready = manager.IndexOf("READY=1");
  ASSERT_GE(ready, 0);
  EXPECT_EQ(manager.Messages()[static_cast<std::size_t>(ready) + 1], "STATUS=port open, waiting for readings");
  EXPECT_LT(ready, manager.IndexOf("STATUS=set 1 written"));
  EXPECT_GE(manager.Count("WATCHDOG=1"), 2);
  EXPECT_EQ(manager.Messages().back(), "STOPPING=1");
  // Why the port did not open is said once, not at every try.
  EXPECT_EQ(service.CountInLog("no such device"), 1);
  EXPECT_EQ(service.CountInLog("Com1 not open; trying again every 3 s"), 1);
}

// A fault that stops the program at start is an error on the standard
// error, with the exit code that names it; the standard output says
// nothing of success.
TEST_F(CaptureServiceRun, StartFaultsAreErrorsOnStandardErrorWithTheirExitCode) {
  SiteDirectory site;
  testing::TmpfsMount mount;
  if (const std::string refused = MakeReadOnly(site, mount); !refused.empty()) GTEST_SKIP() << refused;
  const struct {
    QStringList options;
    int exitCode;
    std::string error;
  } cases[] = {
      {{"--data-dir", QString::fromStdString(site.root.path() + "/gone")}, 66,
       "data directory " + site.root.path() + "/gone does not exist"},
      {{"--init", "--data-dir", QString::fromStdString(site.path())}, 74,
       "3 of the 3 default support files not written in " + site.path()},
  };
  for (const auto& c : cases) {
    ServiceProcess service(c.options, EnvironmentFor(site));
    EXPECT_EQ(service.WaitForExit(kStopPatience), c.exitCode) << c.error;
    EXPECT_EQ(testing::CountOf(service.Errors(), c.error), 1) << service.Errors();
    for (const std::string& line : service.Log()) {
      EXPECT_EQ(line.find("written in"), std::string::npos) << line;
      EXPECT_EQ(line.find("files created"), std::string::npos) << line;
    }
  }
}

TEST_F(CaptureServiceRun, ARunThatEndsWithItsSetsKeptExits75) {
  SiteDirectory site;
  testing::TmpfsMount mount;
  if (const std::string refused = MakeReadOnly(site, mount); !refused.empty()) GTEST_SKIP() << refused;
  SimProcess sim({"--fast", "--gap", "200", "--bursts", "16", "--wait-end", "20000"});
  ServiceProcess service(Options(site, sim.path(), {"--sets", "1", "--interval", "150"}), EnvironmentFor(site));

  EXPECT_EQ(service.WaitForExit(kRunPatience), 75);
  EXPECT_EQ(sim.WaitForExit(kStopPatience), 0);
  EXPECT_EQ(Commands(sim).back(), "end, count 0");
  EXPECT_EQ(service.CountInLog("Set 1 kept, not yet written: "), 1);
  EXPECT_EQ(service.CountInLog("1 set kept, not yet written to " + site.path()), 1);
}

}  // namespace
}  // namespace tally
