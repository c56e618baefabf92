#include "support/channel_table_file.h"

#include "common/line_reader.h"
#include "records/data_files.h"
#include "support/support_file.h"

namespace tally {

void LoadChannelTable(CaptureContext& context) {
  Outcome<LineReader> opened = LineReader::Open(SupportFilePath(context.state, kChannelTableName), kSupportFileReadLimit);
  if (!opened.ok()) {
    ShowReadProblem(context, kChannelTableName);
    return;
  }
  LineReader& lines = opened.value();
  for (int channel = 1; channel <= kChannelTableLines; ++channel) {
    // The whole line is read before its row changes: a short file leaves
    // the rows it does not reach as they were.
    const Outcome<std::string> line = lines.Next();
    if (!line.ok()) {
      ShowReadProblem(context, kChannelTableName);
      return;
    }
    context.state.channels[channel] = EntryFromLine(line.value());
  }
}

bool WriteDefaultChannelTable(CaptureContext& context) {
  return WriteSupportFile(context, kChannelTableName, DefaultChannelTable());
}

std::string DefaultChannelTable() {
  std::string table;
  for (int channel = 1; channel <= kChannelTableLines; ++channel) table += DefaultChannelLine(channel);
  return table;
}

}  // namespace tally
