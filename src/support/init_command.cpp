#include "support/init_command.h"

#include "support/bill_template.h"
#include "support/channel_table_file.h"
#include "support/data_directory.h"
#include "support/rate_file.h"

namespace tally {

bool OnInitCommand(CaptureContext& context) {
  // Sets still wanted (above 0, fractions included) mean a run may be going
  // on: its support files are not replaced under it.
  if (context.settings.SetsWanted() > 0) {
    context.events.Tell(event::InitRefused{});
    return false;
  }
  SelectDataDirectory(context);
  int refused = 0;
  if (!WriteDefaultRateFile(context)) ++refused;
  if (!WriteDefaultChannelTable(context)) ++refused;
  if (!WriteDefaultBillTemplate(context)) ++refused;
  context.events.Tell(event::InitDone{refused});
  return refused == 0;
}

}  // namespace tally
