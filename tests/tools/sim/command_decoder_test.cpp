#include "command_decoder.h"

#include <gtest/gtest.h>

namespace tally::sim {
namespace {

using Lines = std::vector<std::string>;

TEST(CommandDecoder, DecodesWhatTheCaptureSends) {
  const struct {
    std::string bytes;
    Lines decoded;
  } cases[] = {
      {std::string("AT TALLY77:\0\r\n", 14), {"end, count 0"}},
      {"AT TALLY77:A\r\n", {"end, count 65"}},
      {"AT TALLY77:\n\r\n", {"end, count 10"}},  // a count that looks like a line end
      {"AT TALLY77:\xFF\r\n", {"end, count 255"}},
      {"AT TALLY77 Channel High:03\r\n", {"alarm high channel 03"}},
      {"AT TALLY77 Channel Low :05\r\n", {"alarm low channel 05"}},
      {"AT TALLY77 Channel High:123\r\n", {"alarm high channel 123"}},
      {"AT TALLY77 Channel High:03\r\nAT TALLY77 Channel Low :03\r\n",
       {"alarm high channel 03", "alarm low channel 03"}},
      {"hello\x07\r\n", {"unknown \"hello\\x07\\r\\n\""}},
      {"junkAT TALLY77:\x01\r\n", {"unknown \"junk\"", "end, count 1"}},
      {"AT TALLY77 Channel Middle:01\r\n", {"unknown \"AT TALLY77 Channel Middle:01\\r\\n\""}},
      {std::string("AT TALLY77:\0xx\n", 15), {"unknown \"AT TALLY77:\\x00xx\\n\""}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Escaped(c.bytes));
    CommandDecoder decoder;
    EXPECT_EQ(decoder.Feed(c.bytes), c.decoded);
    EXPECT_FALSE(decoder.HasPending());
  }
}

TEST(CommandDecoder, ACommandSplitOverReadsIsDecodedOnceComplete) {
  const std::string command("AT TALLY77:\0\r\n", 14);
  for (std::size_t cut = 1; cut < command.size(); ++cut) {
    SCOPED_TRACE(cut);
    CommandDecoder decoder;
    EXPECT_TRUE(decoder.Feed(command.substr(0, cut)).empty());
    EXPECT_FALSE(decoder.EndSeen());
    EXPECT_EQ(decoder.Feed(command.substr(cut)), Lines{"end, count 0"});
    EXPECT_TRUE(decoder.EndSeen());
  }
}

TEST(CommandDecoder, AnUnfinishedCommandIsShownWhenGivenUp) {
  CommandDecoder decoder;
  EXPECT_TRUE(decoder.Feed("AT TALLY77 Chan").empty());
  EXPECT_EQ(decoder.Flush(), Lines{"unknown \"AT TALLY77 Chan\""});
  EXPECT_FALSE(decoder.HasPending());
  EXPECT_FALSE(decoder.EndSeen());
}

TEST(CommandDecoder, EscapesEveryByteThatIsNotPlainText) {
  EXPECT_EQ(Escaped(std::string("a\\\"\t\r\n\0\x7f\x80", 9)), "a\\\\\\\"\\t\\r\\n\\x00\\x7F\\x80");
}

}  // namespace
}  // namespace tally::sim
