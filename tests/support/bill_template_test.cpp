#include "support/bill_template.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "doubles/capture_run.h"
#include "support/channel_table_file.h"
#include "support/rate_file.h"

namespace tally {
namespace {

using testing::CaptureRun;

std::string Blanks(std::size_t count) { return std::string(count, ' '); }

TEST(DefaultBillTemplate, IsSevenLinesOf77CharactersWithCrLf) {
  const std::string file = DefaultBillTemplate();
  EXPECT_EQ(file.size(), 7u * 79u);
  EXPECT_EQ(testing::LinesOf(file),
            (std::vector<std::string>{
                Blanks(31) + "ferroLUMEN Corp." + Blanks(30), Blanks(77),
                Blanks(9) + "Energy usage charges due and payable for the period ending." + Blanks(9),
                Blanks(9) + "Taxes and customer charges have been added proportionately." + Blanks(9),
                Blanks(9) + "Thank you for your prompt payment." + Blanks(34),
                Blanks(12) + "Customer" + Blanks(6) + "Billing Period" + Blanks(13) + "Usage" + Blanks(6) +
                    "Amount Due" + Blanks(3),
                Blanks(1) + "Rate: Non-demand, Non-TOU - Customer chg incl." + Blanks(6) + "@ xxxx" + Blanks(5) +
                    "cts/kwh" + Blanks(6)}));
}

TEST(BillTemplate, CheckNeedsOneReadableLine) {
  const std::vector<std::pair<std::string, bool>> cases = {
      {"", false},
      {"\r\n", true},
      {"\n", true},
      {"no line end", true},
      {DefaultBillTemplate(), true},
  };
  for (const auto& [content, passes] : cases) {
    SCOPED_TRACE("content of " + std::to_string(content.size()) + " bytes");
    CaptureRun rig;
    rig.dir.Write("ferro.txt", content);
    CheckBillTemplate(rig.context);
    EXPECT_EQ(rig.surface.Text(TextBox::Text2), passes ? "" : "Problem with file ferro.txt");
  }
}



// The loaders of a port choice in their order: only the last problem stays
// visible, and a later success clears nothing.
TEST(SupportFileMessages, LaterFailureReplacesEarlierAndSuccessClearsNothing) {
  CaptureRun rig;
  WriteDefaultChannelTable(rig.context);
  LoadRateFile(rig.context);        // missing
  EXPECT_EQ(rig.surface.Text(TextBox::Text2), "Problem with file ferro.dat");
  LoadChannelTable(rig.context);    // fine
  EXPECT_EQ(rig.surface.Text(TextBox::Text2), "Problem with file ferro.dat");
  CheckBillTemplate(rig.context);   // missing
  EXPECT_EQ(rig.surface.Text(TextBox::Text2), "Problem with file ferro.txt");
  WriteDefaultBillTemplate(rig.context);
  CheckBillTemplate(rig.context);   // fine now
  EXPECT_EQ(rig.surface.Text(TextBox::Text2), "Problem with file ferro.txt");
}

}  // namespace
}  // namespace tally
