// Choosing ports and the data directory from outside the window: the
// command line, the port buttons' menus, and what the next start keeps.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCommandLineParser>
#include <QContextMenuEvent>
#include <QInputDialog>
#include <QMenu>
#include <QProcess>
#include <QSettings>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "doubles/scoped_variable.h"
#include "doubles/temp_dir.h"
#include "link/qt/event_loop.h"
#include "link/qt/qt_serial_port.h"
#include "window/command_line.h"
#include "window/directory_list.h"
#include "window/remembered_choices.h"
#include "window/start_choices.h"
#include "window_helpers.h"

namespace tally::testing {
namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

std::string PortHelp(const std::string& device) { return "Com port to read processor.\nOpens " + device; }

// A folder of stable port names, standing in for /dev/serial/by-id, with
// one link to a pseudo-terminal.
struct StableNames {
  TempDir folder;
  ScopedVariable byId{"TALLY77_SERIAL_BY_ID", folder.path().c_str()};
  std::string link = folder.dataPath() + "usb-Tally_Test_Adapter_T77-if00-port0";
  PtyPeer adapter{link};
};

// Settings of a throw-away user for one test.
struct ThrowAwaySettings {
  ThrowAwaySettings() {
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, Q(folder.path()));
  }
  TempDir folder;
};

QString RunProgram(const QStringList& arguments, int* exitCode = nullptr) {
  QProcess program;
  program.start(QStringLiteral(TALLY77_PATH), arguments);
  EXPECT_TRUE(program.waitForFinished(30000));
  if (exitCode != nullptr) *exitCode = program.exitCode();
  return QString::fromLocal8Bit(program.readAllStandardOutput());
}

TEST(CommandLine, VersionNamesTheProgramAndItsVersion) {
  int exitCode = -1;
  EXPECT_EQ(RunProgram({QStringLiteral("--version")}, &exitCode), QStringLiteral("tally77 1.10\n"));
  EXPECT_EQ(exitCode, 0);
}

TEST(CommandLine, ListPortsGivesTheStableNameAndItsDevice) {
  StableNames names;
  std::filesystem::create_symlink("/dev/no-such-adapter", names.folder.dataPath() + "usb-Gone");
  int exitCode = -1;
  const QString listed = RunProgram({QStringLiteral("--list-ports")}, &exitCode);
  EXPECT_TRUE(listed.contains(Q(names.link + " -> " + names.adapter.path() + "\n"))) << listed.toStdString();
  EXPECT_FALSE(listed.contains(QStringLiteral("usb-Gone"))) << listed.toStdString();
  EXPECT_EQ(exitCode, 0);
}

TEST(CommandLine, EachOptionReachesItsOwnSetting) {
  QCommandLineParser parser;
  DescribeOptions(parser);
  ASSERT_TRUE(parser.parse({QStringLiteral("tally77"), QStringLiteral("--com2"),
                            QStringLiteral("/dev/ttyUSB0"), QStringLiteral("--com4=/dev/ttyACM1"),
                            QStringLiteral("--data-dir"), QStringLiteral("/srv/meter")}));
  const StartOptions options = OptionsOf(parser);
  EXPECT_EQ(options.devices,
            (std::array<QString, 4>{QString(), QStringLiteral("/dev/ttyUSB0"), QString(),
                                    QStringLiteral("/dev/ttyACM1")}));
  EXPECT_EQ(options.dataDirectory, QStringLiteral("/srv/meter"));
  EXPECT_FALSE(options.listPorts);
}

// The port buttons are made ready first: a disabled button has no menu.
QMenu* OpenPortMenu(WindowRig& rig, int number, QContextMenuEvent::Reason by) {
  EXPECT_TRUE(rig.window.OpenDataDirectory(Q(rig.dir.path()), true));
  QPushButton* button = rig.Button(number);
  // The context-menu key arrives as the same event, of the keyboard.
  QContextMenuEvent request(by, button->rect().center(),
                            button->mapToGlobal(button->rect().center()));
  QApplication::sendEvent(button, &request);
  return qobject_cast<QMenu*>(QApplication::activePopupWidget());
}

QStringList ActionTexts(const QMenu* menu) {
  QStringList texts;
  for (const QAction* action : menu->actions()) {
    if (!action->isSeparator()) texts << action->text();
  }
  return texts;
}

TEST(PortMenu, OffersThePortsFoundByStableNameAndPicksOne) {
  StableNames names;
  WindowRig rig;
  std::vector<std::pair<int, QString>> chosen;
  QObject::connect(&rig.window, &Form1::portDeviceChosen, &rig.window,
                   [&](int number, const QString& device) { chosen.emplace_back(number, device); });

  QMenu* menu = OpenPortMenu(rig, 3, QContextMenuEvent::Mouse);
  ASSERT_NE(menu, nullptr);
  const QStringList texts = ActionTexts(menu);
  EXPECT_TRUE(texts.contains(Q(names.link))) << texts.join(QLatin1Char('|')).toStdString();
  EXPECT_EQ(texts.last(), QStringLiteral("Other device..."));
  menu->actions().at(texts.indexOf(Q(names.link)))->trigger();
  menu->close();
  EXPECT_EQ(chosen, (std::vector<std::pair<int, QString>>{{3, Q(names.link)}}));
}

TEST(PortMenu, OtherDeviceTakesAnyPathTyped) {
  WindowRig rig;
  std::vector<std::pair<int, QString>> chosen;
  QObject::connect(&rig.window, &Form1::portDeviceChosen, &rig.window,
                   [&](int number, const QString& device) { chosen.emplace_back(number, device); });
  QMenu* menu = OpenPortMenu(rig, 1, QContextMenuEvent::Keyboard);
  ASSERT_NE(menu, nullptr);
  QTimer answer;
  QObject::connect(&answer, &QTimer::timeout, [&answer] {
    if (auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget())) {
      answer.stop();
      dialog->setTextValue(QStringLiteral(" /dev/ttyUSB7 "));
      dialog->accept();
    }
  });
  answer.start(10);
  menu->actions().last()->trigger();
  EXPECT_EQ(chosen, (std::vector<std::pair<int, QString>>{{1, QStringLiteral("/dev/ttyUSB7")}}));
}

struct DeviceCase {
  const char* name;
  const char* given;        // on the command line; nullptr: not given
  const char* environment;  // TALLY77_COM2; nullptr: unset
  const char* device;       // Com2 opens
};

// Com2 was picked from its menu in the run before.
const DeviceCase kDeviceCases[] = {
    {"remembered", nullptr, nullptr, "/dev/serial/by-id/usb-Last"},
    {"environment over remembered", nullptr, "/dev/ttyUSB5", "/dev/ttyUSB5"},
    {"command line over both", "/dev/ttyACM0", "/dev/ttyUSB5", "/dev/ttyACM0"},
};

TEST(StartChoices, ComDevicesComeFromCommandLineEnvironmentOrTheLastRun) {
  ThrowAwaySettings settings;
  RememberedChoices{}.RememberDevice(2, QStringLiteral("/dev/serial/by-id/usb-Last"));
  for (const DeviceCase& c : kDeviceCases) {
    SCOPED_TRACE(c.name);
    const ScopedVariable com2("TALLY77_COM2", c.environment);
    WindowRig rig;
    QtSerialPort port;
    RememberedChoices remembered;
    StartOptions options;
    if (c.given != nullptr) options.devices[1] = QString::fromLatin1(c.given);
    std::ostringstream errors;
    EXPECT_TRUE(ApplyStartChoices(rig.window, port, remembered, options, errors));
    EXPECT_EQ(port.DeviceOf(2), c.device);
    EXPECT_EQ(port.DeviceOf(1), "/dev/ttyS0");
    EXPECT_EQ(rig.Button(2)->toolTip().toStdString(), PortHelp(c.device));
    EXPECT_EQ(rig.Button(1)->toolTip().toStdString(), PortHelp("/dev/ttyS0"));
  }
}

TEST(StartChoices, TheNextStartOpensTheLastDataDirectoryForTheOperatorToChoose) {
  ThrowAwaySettings settings;
  StableNames names;
  TempDir chosenDir;
  {
    WindowRig first;
    QtSerialPort port;
    RememberedChoices remembered;
    std::ostringstream errors;
    ASSERT_TRUE(ApplyStartChoices(first.window, port, remembered, StartOptions{}, errors));
    ASSERT_TRUE(first.window.OpenDataDirectory(Q(chosenDir.path()), true));
    emit first.window.portDeviceChosen(4, Q(names.link));
    EXPECT_EQ(port.DeviceOf(4), names.link);
    EXPECT_EQ(first.Button(4)->toolTip().toStdString(), PortHelp(names.link));
  }
  WindowRig next;
  QtSerialPort port;
  RememberedChoices remembered;
  std::ostringstream errors;
  ASSERT_TRUE(ApplyStartChoices(next.window, port, remembered, StartOptions{}, errors));
  EXPECT_EQ(next.Find<DirectoryList>("Dir1")->Path(), Q(chosenDir.path()));
  EXPECT_EQ(port.DeviceOf(4), names.link);
  for (int number = 1; number <= 4; ++number) EXPECT_FALSE(next.Button(number)->isEnabled());
  EXPECT_EQ(next.window.Text(TextBox::Text1), "fL01");
  // Enter on the directory shown, as on any other, chooses it.
  PressKey(next.Find<DirectoryList>("Dir1"), Qt::Key_Return);
  for (int number = 1; number <= 4; ++number) EXPECT_TRUE(next.Button(number)->isEnabled());
}

TEST(StartChoices, DataDirOptionChoosesItOrSaysItCannotBeOpened) {
  ThrowAwaySettings settings;
  WindowRig rig;
  QtSerialPort port;
  RememberedChoices remembered;
  StartOptions options;
  options.dataDirectory = Q(rig.dir.path());
  std::ostringstream errors;
  ASSERT_TRUE(ApplyStartChoices(rig.window, port, remembered, options, errors));
  EXPECT_EQ(rig.window.DirectoryPath(), rig.dir.path());
  for (int number = 1; number <= 4; ++number) EXPECT_TRUE(rig.Button(number)->isEnabled());
  EXPECT_EQ(remembered.DataDirectory(), Q(rig.dir.path()));

  WindowRig other;
  options.dataDirectory = Q(rig.dir.path() + "/missing");
  EXPECT_FALSE(ApplyStartChoices(other.window, port, remembered, options, errors));
  EXPECT_EQ(errors.str(), "tally77: cannot open the data directory " + rig.dir.path() + "/missing\n");
  EXPECT_FALSE(other.Button(1)->isEnabled());
}

}  // namespace
}  // namespace tally::testing
