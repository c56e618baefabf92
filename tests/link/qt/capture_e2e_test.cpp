// Whole capture runs on the real serial port and burst timer, against
// tally77-sim on a pseudo-terminal.

#include <gtest/gtest.h>

#include <QTimer>
#include <chrono>
#include <cstdlib>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "doubles/capture_run.h"
#include "doubles/scoped_variable.h"
#include "link/burst_framing.h"
#include "link/qt/event_loop.h"
#include "link/qt/real_link_core.h"
#include "link/qt/sim_process.h"

namespace tally {
namespace {

using testing::SimProcess;
using testing::WaitFor;

constexpr int kRunPatience = 45000;
const std::string kStampsOfEveryLine = "14:30:15 12-06-2026\r\n";  // the fixed clock's

std::string Padded(const std::string& digits, std::size_t width) {
  return std::string(digits.size() < width ? width - digits.size() : 0, '0') + digits;
}

// The reading line the capture makes of an fLI burst "3,103,7,300".
std::string LineOf(const std::string& burst) {
  std::istringstream fields(burst);
  const std::size_t widths[] = {2, 3, 5, 5};
  std::string line;
  std::string field;
  for (const std::size_t width : widths) {
    std::getline(fields, field, ',');
    line += (line.empty() ? "" : ",") + Padded(field, width);
  }
  return line;
}

int ChannelOf(const std::string& burst) { return std::stoi(burst.substr(0, burst.find(','))); }

// The database line of a set whose 16 channels each came once: channel
// order, and ", " at the end unless channel 16 came last.
std::string DatabaseLine(const std::string& marker, const std::vector<std::string>& arrived) {
  std::map<int, std::string> byChannel;
  for (const std::string& burst : arrived) byChannel[ChannelOf(burst)] = LineOf(burst);
  std::string record = marker + "20261206143015";
  for (const auto& [channel, line] : byChannel) record += "," + line;
  return record + (ChannelOf(arrived.back()) == 16 ? "  " : ", ") + "\r\n";
}

std::string ShortLines(const std::vector<std::string>& arrived) {
  std::string lines;
  for (const std::string& burst : arrived) lines += LineOf(burst) + "\r\n";
  return lines;
}

std::string Repeated(const std::string& text, int times) {
  std::string all;
  for (int i = 0; i < times; ++i) all += text;
  return all;
}

// The capture program without its window, in a data directory holding the
// default support files.
class CaptureOnRealLink : public ::testing::Test, protected testing::RealLinkCore {
 protected:
  void SetUp() override {
    testing::EnsureApplication();
    testing::WriteDefaultSupportFiles(dir.path());
    surface.directory = dir.path();
    surface.SetText(TextBox::Text4, "150");
  }

  bool WaitForRunEnd() { return WaitFor([this] { return program.ends > 0; }, kRunPatience); }

  std::vector<std::string> Slice(const std::vector<std::string>& all, int from, int count) {
    return {all.begin() + from, all.begin() + from + count};
  }

  const testing::ScopedVariable com1{"TALLY77_COM1", nullptr};
  const testing::ScopedVariable com2{"TALLY77_COM2", nullptr};
  testing::TempDir dir;
};

TEST_F(CaptureOnRealLink, TwoShuffledSetsAreCapturedAndTheRunEnds) {
  SimProcess sim({"--fast", "--gap", "300", "--bursts", "32", "--order", "shuffle", "--seed", "7",
                  "--wait-end", "20000"});
  ASSERT_FALSE(sim.path().empty());
  surface.SetText(TextBox::Text3, "2");
  PressPort(1, sim.path());
  ASSERT_TRUE(port.IsOpen()) << (surface.list2.empty() ? "" : surface.list2.back());

  ASSERT_TRUE(WaitForRunEnd());
  EXPECT_FALSE(port.IsOpen());
  ASSERT_EQ(sim.WaitForExit(5000), 0);
  // The end command left the port before it closed: the simulator got it.
  EXPECT_GE(sim.IndexOf("end, count 0"), 0);

  const std::vector<std::string> sent = sim.Sent();
  ASSERT_EQ(sent.size(), 32u);
  const std::vector<std::string> first = Slice(sent, 0, 16);
  const std::vector<std::string> second = Slice(sent, 16, 16);
  const std::string marker = surface.Text(TextBox::Text1);
  EXPECT_EQ(dir.Read("fl.db1"), DatabaseLine(marker, first) + DatabaseLine(marker, second));
  EXPECT_EQ(dir.Read("ct.cap"), ShortLines(second) + "\r\n");
  EXPECT_EQ(dir.Read("usage.cap"), ShortLines(first) + ShortLines(second));
  EXPECT_EQ(dir.Read("ferro2.cap"), Repeated(kStampsOfEveryLine, 16) + "\r\n");
  EXPECT_EQ(surface.CaptionOf(Caption::Label4), "2");
  EXPECT_EQ(surface.list1.front(), "sync ");
  EXPECT_EQ(surface.list1.size(), 33u);
}

TEST_F(CaptureOnRealLink, AnAlarmReachesTheProcessor) {
  // Channel 3 gets a high limit of 500; the simulator reads 900 there.
  dir.Write("ct.dat", testing::TableWithChannel3Limits("500"));
  SimProcess sim({"--fast", "--gap", "300", "--bursts", "16", "--high-channel", "3",
                  "--high-value", "900", "--wait-end", "20000"});
  PressPort(1, sim.path());
  ASSERT_TRUE(port.IsOpen());

  ASSERT_TRUE(WaitForRunEnd());
  ASSERT_EQ(sim.WaitForExit(5000), 0);
  const int alarm = sim.IndexOf("alarm high channel 03");
  ASSERT_GE(alarm, 0);
  EXPECT_LT(alarm, sim.IndexOf("end, count 0"));
  EXPECT_EQ(sim.Lines().size() - sim.Sent().size(), 3u);  // sync, the alarm, the end
  EXPECT_EQ(dir.Read("alarmlog.txt"), "03 high fL0120261206143015\r\n");
}

TEST_F(CaptureOnRealLink, APortThatCannotBeOpenedIsReportedAndAnotherCanBePressed) {
  SimProcess sim({"--fast", "--gap", "300", "--bursts", "16", "--wait-end", "20000"});
  PressPort(2, dir.path() + "/ttyUSB9");
  EXPECT_FALSE(port.IsOpen());
  ASSERT_FALSE(surface.list2.empty());
  EXPECT_EQ(surface.list2.back(), "Com2 (" + dir.path() +
                                      "/ttyUSB9): no such device; plug in the adapter or set "
                                      "TALLY77_COM2 to the device to use");
  EXPECT_NE(surface.CaptionOf(Caption::Label1), "Please wait 3 minutes");

  PressPort(1, sim.path());
  EXPECT_TRUE(port.IsOpen());
  ASSERT_TRUE(WaitForRunEnd());
  EXPECT_EQ(sim.WaitForExit(5000), 0);
  EXPECT_EQ(sim.Sent().size(), 16u);
}

TEST_F(CaptureOnRealLink, ARunSurvivesTheLossAndReturnOfItsLine) {
  const std::string link = dir.path() + "/com1";
  SimProcess sim({"--fast", "--gap", "300", "--bursts", "16", "--order", "reverse", "--link",
                  QString::fromStdString(link), "--drop-after", "8", "--drop-ms", "300",
                  "--wait-end", "20000"});
  PressPort(1, link);
  ASSERT_TRUE(port.IsOpen());

  ASSERT_TRUE(WaitForRunEnd());
  ASSERT_EQ(sim.WaitForExit(5000), 0);
  ASSERT_GE(sim.IndexOf("hung up"), 0);
  ASSERT_GE(sim.IndexOf("peer back"), 0);
  EXPECT_GE(sim.IndexOf("end, count 0"), 0);

  // Every reading once, in the order sent: nothing lost, nothing twice.
  const std::vector<std::string> sent = sim.Sent();
  ASSERT_EQ(sent.size(), 16u);
  EXPECT_EQ(dir.Read("ct.cap"), ShortLines(sent) + "\r\n");
  EXPECT_EQ(dir.Read("fl.db1"), DatabaseLine(surface.Text(TextBox::Text1), sent));

  ASSERT_EQ(surface.list2.size(), 2u);
  EXPECT_EQ(surface.list2[0].rfind("14:30:15 Com1 (" + link + ") lost: ", 0), 0u)
      << surface.list2[0];
  EXPECT_NE(surface.list2[0].find("; reopening every 3 s"), std::string::npos);
  EXPECT_EQ(surface.list2[1], "14:30:15 Com1 (" + link + ") open again");
}

// After every receive event the event loop is held up for five quiet
// intervals, as by a long repaint, and the next reading arrives meanwhile:
// its receive event then comes before the tick that fell due. Every reading
// still becomes a line of its own.
TEST_F(CaptureOnRealLink, ALoopHeldUpAfterEachBurstKeepsEveryReadingApart) {
  constexpr int kInterval = 20;
  testing::PtyPeer peer;
  std::vector<std::string> bursts{"noise"};
  for (int channel = 1; channel <= 16; ++channel) bursts.push_back(std::to_string(channel) + ",5,20,300");
  std::size_t written = 0;
  port.SetReceiveHandler([&] {
    OnCommEvent(context);
    QTimer::singleShot(0, [&] {
      if (context.ended) return;
      if (written < bursts.size()) peer.Write(bursts[written++]);
      std::this_thread::sleep_for(std::chrono::milliseconds(5 * kInterval));  // the stall
    });
  });
  surface.SetText(TextBox::Text4, std::to_string(kInterval));
  PressPort(1, peer.path());
  ASSERT_TRUE(port.IsOpen());
  peer.Write(bursts[written++]);

  ASSERT_TRUE(WaitForRunEnd());
  const std::vector<std::string> readings(bursts.begin() + 1, bursts.end());
  EXPECT_EQ(dir.Read("usage.cap"), ShortLines(readings));
  EXPECT_EQ(surface.list1.size(), 17u);
}

}  // namespace
}  // namespace tally
