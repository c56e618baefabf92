#include "link/line_settings.h"

#include <gtest/gtest.h>

namespace tally {
namespace {

struct GoodSettings {
  const char* text;
  int baud;
  Parity parity;
  int dataBits;
  StopBits stopBits;
};

TEST(LineSettings, ParsesEveryFormTheLineCanTake) {
  const GoodSettings cases[] = {
      {"300,N,8,1", 300, Parity::None, 8, StopBits::One},
      {"9600,E,7,2", 9600, Parity::Even, 7, StopBits::Two},
      {"1200,o,5,1.5", 1200, Parity::Odd, 5, StopBits::OneAndHalf},
      {"110,S,6,1", 110, Parity::Space, 6, StopBits::One},
      {" 19200 , M , 8 , 2 ", 19200, Parity::Mark, 8, StopBits::Two},
  };
  for (const GoodSettings& c : cases) {
    SCOPED_TRACE(c.text);
    const Outcome<LineSettings> parsed = ParseLineSettings(c.text);
    ASSERT_TRUE(parsed.ok()) << parsed.failure().message;
    EXPECT_EQ(parsed.value().baud, c.baud);
    EXPECT_EQ(parsed.value().parity, c.parity);
    EXPECT_EQ(parsed.value().dataBits, c.dataBits);
    EXPECT_EQ(parsed.value().stopBits, c.stopBits);
  }
}

struct BadSettings {
  const char* text;
  const char* namedInMessage;
};

TEST(LineSettings, RefusesWhatItCannotParseAndSaysWhichItem) {
  const BadSettings cases[] = {
      {"", "as in 300,N,8,1"},
      {"300,N,8", "as in 300,N,8,1"},
      {"300,N,8,1,1", "as in 300,N,8,1"},
      {"0,N,8,1", "baud rate"},
      {"-300,N,8,1", "baud rate"},
      {"300.5,N,8,1", "baud rate"},
      {"fast,N,8,1", "baud rate"},
      {"99999999,N,8,1", "baud rate"},
      {"300,X,8,1", "parity"},
      {"300,NN,8,1", "parity"},
      {"300,,8,1", "parity"},
      {"300,N,9,1", "data bits"},
      {"300,N,4,1", "data bits"},
      {"300,N,,1", "data bits"},
      {"300,N,8,3", "stop bits"},
      {"300,N,8,1.0", "stop bits"},
  };
  for (const BadSettings& c : cases) {
    SCOPED_TRACE(c.text);
    const Outcome<LineSettings> parsed = ParseLineSettings(c.text);
    ASSERT_FALSE(parsed.ok());
    EXPECT_EQ(parsed.failure().code, FailureCode::PortSettings);
    EXPECT_NE(parsed.failure().message.find(c.namedInMessage), std::string::npos)
        << parsed.failure().message;
    EXPECT_NE(parsed.failure().message.find(std::string("\"") + c.text + "\""), std::string::npos);
  }
}

TEST(LineSettings, TimeToSendCountsStartParityAndStopBits) {
  const LineSettings plain{300, Parity::None, 8, StopBits::One};  // 10 bits a character
  EXPECT_EQ(MillisecondsToSend(plain, 30), 1000);
  EXPECT_EQ(MillisecondsToSend(plain, 14), 467);  // rounded up
  EXPECT_EQ(MillisecondsToSend(plain, 0), 0);
  const LineSettings framed{1200, Parity::Even, 7, StopBits::Two};  // 11 bits
  EXPECT_EQ(MillisecondsToSend(framed, 120), 1100);
}

}  // namespace
}  // namespace tally
