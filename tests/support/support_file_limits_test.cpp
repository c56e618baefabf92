// A support file far larger than what is used of it (here one without end)
// is read only as far as the bound: the port choice goes on at once.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "doubles/capture_run.h"
#include "support/bill_template.h"
#include "support/channel_table_file.h"
#include "support/rate_file.h"

namespace tally {
namespace {

TEST(SupportFileLimits, AFileWithoutEndIsReadOnlyAsFarAsNeeded) {
  if (!std::filesystem::exists("/dev/zero")) GTEST_SKIP() << "no /dev/zero";
  const struct {
    const char* name;
    void (*read)(CaptureContext&);
    const char* text2;
  } cases[] = {
      // One line of NUL bytes: not 16 lines.
      {"ct.dat", LoadChannelTable, "Problem with file ct.dat"},
      // One item of NUL bytes: not a number.
      {"ferro.dat", LoadRateFile, "Problem with file ferro.dat"},
      // A first line can be read: the template passes.
      {"ferro.txt", CheckBillTemplate, ""},
  };
  for (const auto& c : cases) {
    testing::CaptureRun rig;
    std::filesystem::create_symlink("/dev/zero", rig.dir.dataPath() + c.name);
    c.read(rig.context);
    EXPECT_EQ(rig.surface.Text(TextBox::Text2), c.text2) << c.name;
  }
}

}  // namespace
}  // namespace tally
