#include "sim_options.h"

#include <gtest/gtest.h>

namespace tally::sim {
namespace {

TEST(SimOptions, DefaultsActLikeAProcessorOnANewPseudoTerminal) {
  const ParsedOptions parsed = ParseSimOptions({});
  ASSERT_TRUE(parsed.options);
  EXPECT_TRUE(parsed.options->device.empty());
  EXPECT_EQ(parsed.options->kind, ProcessorKind::FLI);
  EXPECT_EQ(parsed.options->bursts, 16);
  EXPECT_TRUE(parsed.options->sync);
  EXPECT_EQ(parsed.options->order, "in");
  EXPECT_FALSE(parsed.options->fast);
}

TEST(SimOptions, ReadsEveryOption) {
  const ParsedOptions parsed = ParseSimOptions(
      {"--device", "/dev/ttyUSB1", "--type", "fLII", "--bursts", "32", "--sync", "off", "--order",
       "shuffle", "--seed", "9", "--value", "250", "--high-channel", "3", "--high-value", "9999",
       "--wide-values", "--gap", "400", "--fast", "--wait-end", "5000"});
  ASSERT_TRUE(parsed.options) << parsed.message;
  const SimOptions& o = *parsed.options;
  EXPECT_EQ(o.device, "/dev/ttyUSB1");
  EXPECT_EQ(o.kind, ProcessorKind::FLII);
  EXPECT_EQ(o.bursts, 32);
  EXPECT_FALSE(o.sync);
  EXPECT_EQ(o.order, "shuffle");
  EXPECT_EQ(o.seed, 9u);
  EXPECT_EQ(o.value, 250);
  EXPECT_EQ(o.highChannel, 3);
  EXPECT_EQ(o.highValue, 9999);
  EXPECT_TRUE(o.wideValues);
  EXPECT_EQ(o.gapMs, 400);
  EXPECT_TRUE(o.fast);
  EXPECT_EQ(o.waitEndMs, 5000);
}

TEST(SimOptions, RefusesAWrongCommandLineAndSaysWhy) {
  const struct {
    std::vector<std::string> arguments;
    const char* message;
  } cases[] = {
      {{"--bursts"}, "--bursts needs a value"},
      {{"--bursts", "many"}, "bad value \"many\" for --bursts"},
      {{"--bursts", "-1"}, "bad value \"-1\" for --bursts"},
      {{"--type", "fLIII"}, "bad value \"fLIII\" for --type"},
      {{"--order", "sideways"}, "bad value \"sideways\" for --order"},
      {{"--order", "missing=17"}, "bad value \"missing=17\" for --order"},
      {{"--order", "twice=x"}, "bad value \"twice=x\" for --order"},
      {{"--high-channel", "0"}, "bad value \"0\" for --high-channel"},
      {{"--sync", "yes"}, "bad value \"yes\" for --sync"},
      {{"--colour", "red"}, "unknown option --colour"},
      {{"--high-channel", "8", "--high-value", "9999"},
       "--high-value 9999 is wider than field 2's three digits and makes the set's record over-wide; "
       "give --wide-values to send it anyway"},
      {{"--value", "-1000"},
       "--value -1000 is wider than field 2's three digits and makes the set's record over-wide; "
       "give --wide-values to send it anyway"},
      {{"--device", "/dev/ttyS0", "--drop-after", "3"},
       "--drop-after works on a pseudo-terminal only, not with --device"},
  };
  for (const auto& c : cases) {
    const ParsedOptions parsed = ParseSimOptions(c.arguments);
    EXPECT_FALSE(parsed.options);
    EXPECT_EQ(parsed.message, c.message);
  }
}

}  // namespace
}  // namespace tally::sim
