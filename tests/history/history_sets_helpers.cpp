#include <cstdio>

#include "capture/set_files.h"
#include "capture/set_record.h"
#include "doubles/result_checks.h"
#include "history_sets.h"

namespace tally::testing {

namespace {

constexpr int kWidth[] = {2, 3, 5, 5, 3, 5, 5, 5};

}  // namespace

std::vector<int> SetFields(int set, int channel, bool eightFields) {
  std::vector<int> fields = {channel, (set * 7 + channel) % 1000, channel * 100 + set, 300};
  if (eightFields) fields.insert(fields.end(), {7, 99999, set % 100000, 12000});
  return fields;
}

std::string PaddedLine(const std::vector<int>& fields) {
  std::string line;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    char text[16];
    std::snprintf(text, sizeof text, "%0*d", kWidth[i], fields[i]);
    line += (i > 0 ? "," : "") + std::string(text);
  }
  return line;
}

void WriteSet(CaptureRun& rig, int set, const std::string& stamp, bool eightFields, const std::string& marker) {
  CaptureState& state = rig.context.state;
  state.processorType = eightFields ? ProcessorType::fLII : ProcessorType::fLI;
  // Arrival order reversed, so the builder's sorting is part of what is read.
  state.setRecord = "fL01" + stamp;
  state.shortLines.clear();
  state.lineStamps.clear();
  for (int channel = 16; channel >= 1; --channel) {
    const std::string line = PaddedLine(SetFields(set, channel, eightFields));
    state.setRecord += "," + line;
    state.shortLines += line.substr(0, 18) + "\r\n";
    state.lineStamps += "14:30:15 12-06-2026\r\n";
  }
  state.sortedRecord = SortedRecord(state.setRecord, state.processorType, marker);
  EXPECT_TRUE(IsOk(WriteSetFiles(rig.context)));
}

}  // namespace tally::testing
