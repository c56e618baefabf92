#include "link/qt/qt_serial_port.h"

#include <gtest/gtest.h>
#include <termios.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "doubles/result_checks.h"
#include "doubles/scoped_variable.h"
#include "doubles/temp_dir.h"
#include "link/qt/event_loop.h"

namespace tally {
namespace {

using testing::PtyPeer;
using testing::WaitFor;

constexpr int kPatience = 5000;

struct LinkEvent {
  bool up;
  std::string why;
};

// A QtSerialPort on Com1, whose device the test names, with its events
// recorded.
class QtSerialPortTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::EnsureApplication();
    port.SetReceiveHandler([this] { ++receiveEvents; });
    port.SetLinkHandler([this](bool up, const std::string& why) { links.push_back({up, why}); });
    port.SelectPort(1, "");
    ASSERT_TRUE(testing::IsOk(port.SetSettings("300,N,8,1")));
  }
  void UseDevice(const std::string& device) { com1.Set(device.c_str()); }

  // Input until it holds this many bytes or the time is up.
  std::string InputOf(std::size_t count) {
    std::string got;
    WaitFor([&] { got += port.Input(); return got.size() >= count; }, kPatience);
    return got;
  }

  // The port opened, reopening every reopenMilliseconds when lost, on a
  // link to a new pseudo-terminal whose far end peer holds.
  ::testing::AssertionResult OpenOnLink(const std::string& link, int reopenMilliseconds,
                                        std::unique_ptr<PtyPeer>& peer) {
    UseDevice(link);
    port.SetReopenInterval(reopenMilliseconds);
    peer = std::make_unique<PtyPeer>(link);
    return testing::IsOk(port.Open());
  }

  const testing::ScopedVariable com1{"TALLY77_COM1", nullptr};
  testing::TempDir linkDir;
  QtSerialPort port;
  int receiveEvents = 0;
  std::vector<LinkEvent> links;
};

// The same, Com1's device a new pseudo-terminal whose far end peer holds.
class QtSerialPortOnPtyTest : public QtSerialPortTest {
 protected:
  void SetUp() override {
    QtSerialPortTest::SetUp();
    UseDevice(peer.path());
  }
  // The line as the port left it.
  termios Line() const {
    termios line{};
    EXPECT_EQ(tcgetattr(peer.handle(), &line), 0);
    return line;
  }

  PtyPeer peer;
};

TEST_F(QtSerialPortOnPtyTest, ReceivedBytesRaiseTheEventAndInputTakesThemAll) {
  ASSERT_TRUE(testing::IsOk(port.Open()));
  EXPECT_TRUE(port.IsOpen());

  peer.Write("1,5,20,300");
  ASSERT_TRUE(WaitFor([&] { return receiveEvents > 0; }, kPatience));
  EXPECT_EQ(InputOf(10), "1,5,20,300");
  EXPECT_EQ(port.Input(), "");  // the buffer is empty after a read
}

// An idle program hardly wakes: each look at a quiet line doubles the time
// to the next one, and the line's first bytes bring the full rate back.
TEST_F(QtSerialPortOnPtyTest, AQuietLineIsWatchedLessOftenUntilBytesArrive) {
  port.SetWatchInterval(10);
  ASSERT_TRUE(testing::IsOk(port.Open()));
  EXPECT_EQ(port.WatchInterval(), 10);
  std::vector<int> paces;
  ASSERT_TRUE(WaitFor([&] {
    if (paces.empty() || paces.back() != port.WatchInterval()) paces.push_back(port.WatchInterval());
    return paces.back() == 320;
  }, kPatience));
  EXPECT_EQ(paces, (std::vector<int>{10, 20, 40, 80, 160, 320}));
  EXPECT_FALSE(WaitFor([&] { return port.WatchInterval() > 320; }, 400));  // stays at the limit

  peer.Write("1,5,20,300");
  ASSERT_TRUE(WaitFor([&] { return port.WatchInterval() == 10; }, kPatience));
  EXPECT_EQ(InputOf(10), "1,5,20,300");
  EXPECT_TRUE(links.empty());
}

TEST_F(QtSerialPortTest, AChosenDeviceOpensByItsLinkOverTheEnvironment) {
  testing::TempDir dir;
  const std::string link = dir.path() + "/usb-Adapter-if00-port0";
  PtyPeer peer(link);
  UseDevice(dir.path() + "/not-this-one");
  port.ChooseDevice(1, link);
  ASSERT_TRUE(testing::IsOk(port.Open()));
  peer.Write("7");
  EXPECT_EQ(InputOf(1), "7");

  port.ChooseDevice(1, "");
  EXPECT_EQ(port.DeviceOf(1), dir.path() + "/not-this-one");
}

TEST_F(QtSerialPortOnPtyTest, EveryByteValueTravelsBothWaysInOrder) {
  ASSERT_TRUE(testing::IsOk(port.Open()));
  std::string all;
  for (int code = 0; code < 256; ++code) all += static_cast<char>(code);

  ASSERT_TRUE(testing::IsOk(port.Output(all)));
  ASSERT_TRUE(testing::WaitForBytes(peer, all.size(), kPatience));
  EXPECT_EQ(peer.Received(), all);

  peer.Write(all);
  EXPECT_EQ(InputOf(all.size()), all);
}

TEST_F(QtSerialPortOnPtyTest, BytesWaitingBeforeTheOpenAreThrownAway) {
  peer.Write("stale noise");
  ASSERT_TRUE(testing::IsOk(port.Open()));
  peer.Write("2,7,1,300");
  EXPECT_EQ(InputOf(9), "2,7,1,300");
}

TEST_F(QtSerialPortOnPtyTest, CloseRightAfterAWriteDeliversEveryByte) {
  ASSERT_TRUE(testing::IsOk(port.SetSettings("9600,N,8,1")));  // keeps the drain budget short
  ASSERT_TRUE(testing::IsOk(port.Open()));
  const std::string end("AT TALLY77:\0\r\n", 14);
  const std::string bulk(2000, 'x');
  ASSERT_TRUE(testing::IsOk(port.Output(bulk)));
  ASSERT_TRUE(testing::IsOk(port.Output(end)));
  port.Close();  // no event loop ran in between: everything sat in Qt's buffer
  EXPECT_FALSE(port.IsOpen());
  ASSERT_TRUE(testing::WaitForBytes(peer, bulk.size() + end.size(), kPatience));
  EXPECT_EQ(peer.Received(), bulk + end);
}

// The drain on close waits for the line; a receive event must not run
// inside it (no handler runs inside another).
TEST_F(QtSerialPortOnPtyTest, NoReceiveEventRunsInsideTheDrainOnClose) {
  ASSERT_TRUE(testing::IsOk(port.SetSettings("9600,N,8,1")));
  ASSERT_TRUE(testing::IsOk(port.Open()));
  bool closing = false;
  int insideClose = 0;
  port.SetReceiveHandler([&] { insideClose += closing ? 1 : 0; });
  peer.Write("1,5,20,300");
  ASSERT_TRUE(testing::IsOk(port.Output(std::string(2000, 'x'))));
  closing = true;
  port.Close();
  closing = false;
  EXPECT_EQ(insideClose, 0);
  ASSERT_TRUE(testing::WaitForBytes(peer, 2000, kPatience));
}

TEST_F(QtSerialPortOnPtyTest, WritesWhileClosedFailQuietly) {
  EXPECT_TRUE(testing::FailedWith(port.Output("AT TALLY77 Channel High:03\r\n"), FailureCode::PortWrite,
                                  "Com1 (" + peer.path() + ") is not open; not sent"));
  ASSERT_TRUE(testing::IsOk(port.Open()));
  port.Close();
  EXPECT_FALSE(port.Output("late").ok());
  EXPECT_TRUE(links.empty());
  EXPECT_EQ(peer.Received(), "");
}

TEST_F(QtSerialPortOnPtyTest, SettingsAreAppliedAtTheNextOpen) {
  ASSERT_TRUE(testing::IsOk(port.SetSettings("1200,N,8,2")));
  const termios before = Line();
  EXPECT_NE(cfgetospeed(&before), B1200);  // stored only, nothing applied yet

  ASSERT_TRUE(testing::IsOk(port.Open()));
  const termios line = Line();
  EXPECT_EQ(cfgetospeed(&line), B1200);
  EXPECT_EQ(cfgetispeed(&line), B1200);
  EXPECT_NE(line.c_cflag & CSTOPB, 0u);
}

TEST_F(QtSerialPortOnPtyTest, SettingsTheDeviceRefusesFailTheOpenAndReleaseIt) {
  // A pseudo-terminal always runs 8 data bits without parity.
  ASSERT_TRUE(testing::IsOk(port.SetSettings("300,E,8,1")));
  EXPECT_TRUE(testing::FailedWith(port.Open(), FailureCode::PortSettings,
                                  "Com1 (" + peer.path() + "): the device does not take parity E"));
  EXPECT_FALSE(port.IsOpen());

  ASSERT_TRUE(testing::IsOk(port.SetSettings("300,N,8,1")));
  EXPECT_TRUE(testing::IsOk(port.Open()));  // the device was let go
}

TEST_F(QtSerialPortOnPtyTest, UnparsableSettingsAreRefusedAndTheOldOnesKept) {
  const Status refused = port.SetSettings("300,Q,8,1");
  ASSERT_FALSE(refused.ok());
  EXPECT_EQ(refused.failure().code, FailureCode::PortSettings);
  ASSERT_TRUE(testing::IsOk(port.Open()));
  const termios line = Line();
  EXPECT_EQ(cfgetospeed(&line), B300);
  EXPECT_EQ(line.c_cflag & PARENB, 0u);
}

TEST_F(QtSerialPortTest, AMissingDeviceIsNamedWithItsPort) {
  testing::TempDir dir;
  UseDevice(dir.path() + "/ttyGone");
  EXPECT_TRUE(testing::FailedWith(port.Open(), FailureCode::PortOpen,
                                  "Com1 (" + dir.path() +
                                      "/ttyGone): no such device; plug in the adapter or set "
                                      "TALLY77_COM1 to the device to use"));
  EXPECT_FALSE(port.IsOpen());
}

TEST_F(QtSerialPortOnPtyTest, ADeviceHeldByAnotherPortIsReportedInUse) {
  QtSerialPort holder;
  holder.SelectPort(1, "");
  ASSERT_TRUE(testing::IsOk(holder.Open()));

  EXPECT_TRUE(testing::FailedWith(port.Open(), FailureCode::PortOpen,
                                  "Com1 (" + peer.path() +
                                      "): in use by another program; close it and press the port button again"));
  EXPECT_FALSE(port.IsOpen());

  holder.Close();
  EXPECT_TRUE(testing::IsOk(port.Open()));  // free again: the next press opens it
}

TEST_F(QtSerialPortTest, ALostDeviceIsReportedAndReopenedWhenItReturns) {
  const std::string link = linkDir.path() + "/com1";
  std::unique_ptr<PtyPeer> peer;
  ASSERT_TRUE(OpenOnLink(link, 200, peer));
  peer->Write("part one,");
  EXPECT_EQ(InputOf(9), "part one,");

  peer.reset();  // the far end goes away
  ASSERT_TRUE(WaitFor([&] { return !links.empty(); }, kPatience));
  EXPECT_FALSE(links[0].up);
  EXPECT_EQ(links[0].why, "Com1 (" + link + ") lost: hung up; reopening every 200 ms");
  EXPECT_FALSE(port.IsOpen());
  EXPECT_FALSE(port.Output("alarm while lost").ok());

  peer = std::make_unique<PtyPeer>(link);  // back, on a new pseudo-terminal
  ASSERT_TRUE(WaitFor([&] { return links.size() >= 2; }, kPatience));
  EXPECT_TRUE(links[1].up);
  EXPECT_EQ(links[1].why, "Com1 (" + link + ") open again");
  EXPECT_TRUE(port.IsOpen());
  peer->Write("part two");
  EXPECT_EQ(InputOf(8), "part two");
  EXPECT_EQ(links.size(), 2u);
}

TEST_F(QtSerialPortTest, ClosingALostPortStopsTheReopening) {
  const std::string link = linkDir.path() + "/com1";
  std::unique_ptr<PtyPeer> peer;
  ASSERT_TRUE(OpenOnLink(link, 100, peer));
  peer.reset();
  ASSERT_TRUE(WaitFor([&] { return !links.empty(); }, kPatience));

  port.Close();
  peer = std::make_unique<PtyPeer>(link);
  // Five reopen intervals pass without the port coming back.
  EXPECT_FALSE(WaitFor([&] { return links.size() > 1 || port.IsOpen(); }, 500));
  EXPECT_FALSE(port.IsOpen());
}

}  // namespace
}  // namespace tally
