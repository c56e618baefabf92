#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <QDir>

#include "doubles/temp_dir.h"
#include "link/qt/event_loop.h"
#include "common/exit_status.h"
#include "service/service_options.h"
#include "records/data_directory_check.h"

namespace tally {
namespace {

CommandLine Read(const QStringList& options) {
  testing::EnsureApplication();
  return ReadCommandLine(QStringList{"tally77-capture"} + options);
}

TEST(ServiceOptions, MistakesEndWithUsageOrMissingInputAndSayWhat) {
  testing::TempDir dir;
  dir.Write("typo.conf", "data-dir = /srv\nsets = 2\nintervall = 100\n");
  const QString typo = QString::fromStdString(dir.path() + "/typo.conf");
  struct Case {
    QStringList options;
    int exitCode;
    std::string text;
  };
  const std::string kTry = "Try 'tally77-capture --help'.\n";
  const Case cases[] = {
      {{"--sets", "2"}, kExitUsage, "tally77-capture: no data directory given (--data-dir DIR)\n" + kTry},
      {{"--data-dir", "/srv", "--com", "5"}, kExitUsage, "tally77-capture: --com takes 1 to 4, not \"5\"\n" + kTry},
      {{"--data-dir", "/srv", "--sets", "0"}, kExitUsage,
       "tally77-capture: --sets takes a whole number of at least 1, not \"0\"\n" + kTry},
      {{"--data-dir", "/srv", "--bauds", "300"}, kExitUsage, "tally77-capture: Unknown option 'bauds'.\n" + kTry},
      {{"--data-dir", "/srv", "extra"}, kExitUsage, "tally77-capture: unexpected argument extra\n" + kTry},
      {{"--data-dir", "-x"}, kExitUsage, "tally77-capture: \"-x\" is an option, not a path\n" + kTry},
      {{"--config", typo}, kExitConfig, "tally77-capture: unknown setting \"intervall\" in " + typo.toStdString() + "\n"},
      {{"--config", "/nonexistent/site.conf"}, kExitNoInput,
       "tally77-capture: configuration file /nonexistent/site.conf cannot be read\n"},
  };
  for (const Case& c : cases) {
    const CommandLine command = Read(c.options);
    EXPECT_FALSE(command.settings.has_value()) << c.text;
    EXPECT_EQ(command.exitCode, c.exitCode) << c.text;
    EXPECT_EQ(command.text, c.text);
  }
}

TEST(ServiceOptions, TheCommandLineWinsOverTheConfigurationFile) {
  testing::TempDir dir;
  dir.Write("site.conf", "port = /dev/serial/by-id/usb-FTDI\ncom = 2\ndata-dir = /srv/tally77/SITE\n"
                         "sets = 10\ninterval = 1500\n");
  const CommandLine command =
      Read({"--config", QString::fromStdString(dir.path() + "/site.conf"), "--sets", "3", "--data-dir", "/srv/x/../B1/"});
  ASSERT_TRUE(command.settings.has_value()) << command.text;
  const ServiceSettings& settings = *command.settings;
  EXPECT_EQ(settings.device, "/dev/serial/by-id/usb-FTDI");
  EXPECT_EQ(settings.portNumber, 2);
  EXPECT_EQ(settings.dataDirectory, "/srv/B1");
  EXPECT_EQ(settings.sets, "3");
  EXPECT_EQ(settings.interval, "1500");
  EXPECT_FALSE(settings.init);

  const CommandLine bare = Read({"--data-dir", "/srv/B1"});
  ASSERT_TRUE(bare.settings.has_value());
  EXPECT_EQ(bare.settings->portNumber, 1);
  EXPECT_EQ(bare.settings->sets, std::nullopt);  // until stopped
  EXPECT_EQ(bare.settings->interval, "2000");
}

TEST(ServiceOptions, HelpListsTheExitCodes) {
  const CommandLine help = Read({"--help"});
  EXPECT_EQ(help.exitCode, kExitOk);
  for (const char* line : {"--port <DEVICE>", "--config <FILE>", "  64  a wrong command line", "  66  data directory",
                           "  74  data directory cannot be read"}) {
    EXPECT_NE(help.text.find(line), std::string::npos) << line;
  }
}

TEST(DataDirectoryCheck, AMissingOrUnreadableDirectoryStopsTheStart) {
  testing::TempDir dir;
  dir.Write("file", "x");
  QDir().mkpath(QString::fromStdString(dir.path() + "/locked"));
  chmod((dir.path() + "/locked").c_str(), 0);
  EXPECT_EQ(CheckDataDirectory(dir.path()), std::nullopt);
  const auto missing = CheckDataDirectory(dir.path() + "/SITE");
  ASSERT_TRUE(missing.has_value());
  EXPECT_EQ(missing->exitCode, kExitNoInput);
  EXPECT_EQ(missing->message, "data directory " + dir.path() + "/SITE does not exist");
  EXPECT_EQ(CheckDataDirectory(dir.path() + "/file")->message, "data directory " + dir.path() + "/file is not a directory");
  // Root reads every directory: the unreadable case needs another user.
  if (geteuid() != 0) {
    const auto locked = CheckDataDirectory(dir.path() + "/locked");
    ASSERT_TRUE(locked.has_value());
    EXPECT_EQ(locked->exitCode, kExitIoError);
    EXPECT_EQ(locked->message, "data directory " + dir.path() + "/locked cannot be read: Permission denied");
  }
  chmod((dir.path() + "/locked").c_str(), 0700);
}

}  // namespace
}  // namespace tally
