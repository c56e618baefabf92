#include "support/init_command.h"

#include "common/control_roles.h"
#include "common/number_text.h"
#include "support/bill_template.h"
#include "support/channel_table_file.h"
#include "support/data_directory.h"
#include "support/rate_file.h"

namespace tally {

void OnInitCommand(CaptureContext& context) {
  // Sets still wanted (Obs # above 0, fractions included) mean a run may be
  // going on: its support files are not replaced under it.
  if (NumberFromText(context.surface.Text(kObsWanted)) > 0) {
    context.surface.AppendList2("invalid operation");
    return;
  }
  SelectDataDirectory(context);
  WriteDefaultRateFile(context);
  WriteDefaultChannelTable(context);
  WriteDefaultBillTemplate(context);
  // Shown whether or not a writer failed; a failure stays visible in the line count box.
  context.surface.AppendList2("files created");
}

}  // namespace tally
