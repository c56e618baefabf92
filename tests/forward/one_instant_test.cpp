// The forwarder and the history export place the same stamps at the same
// instants, across both clock changes of a year, with the fixture written
// by the capture's own set writers.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "doubles/capture_run.h"
#include "forward/child_process.h"
#include "forward/forward_rig.h"
#include "history/history_sets.h"
#include "records/set_line.h"

namespace tally::testing {
namespace {

// The instant of an exported time "2026-10-25T02:10:00+02:00".
long long InstantOfIso(const std::string& iso) {
  LocalStamp stamp;
  const std::string digits = iso.substr(0, 4) + iso.substr(5, 2) + iso.substr(8, 2) + iso.substr(11, 2) +
                             iso.substr(14, 2) + iso.substr(17, 2);
  EXPECT_TRUE(ReadStamp("fL01" + digits, stamp)) << iso;
  const int sign = iso[19] == '-' ? -1 : 1;
  const int offset = sign * (std::stoi(iso.substr(20, 2)) * 3600 + std::stoi(iso.substr(23, 2)) * 60);
  return stamp.Seconds() - offset;
}

// The fixture's stamps, in file order, and the instants they stand for in
// seconds since 1970 UTC: the skipped 02:10 with the offset before the
// change; the first pass of the repeated hour at +02:00, the second at +01:00.
const std::vector<std::string> kStamps = {"20260329013000", "20260329021000", "20260329031000",
                                          "20261025015000", "20261025021000", "20261025025000",
                                          "20261025021000", "20261025025000", "20261025031000"};
const std::vector<long long> kInstants = {1774744200, 1774746600, 1774746600, 1792885800, 1792887000,
                                          1792889400, 1792890600, 1792893000, 1792894200};
constexpr std::size_t kFirstPassEnds = 6;  // the stamps up to the first pass of the repeated hour

void WriteStamps(CaptureRun& rig, std::size_t from, std::size_t to) {
  for (std::size_t i = from; i < to; ++i) WriteSet(rig, static_cast<int>(i) + 1, kStamps[i]);
}

class OneInstant : public ForwardTest {
 protected:
  // tally77-forward --once told Berlin's zone (its own is UTC); false with
  // its output when it fails.
  ::testing::AssertionResult Forwarded(const std::string& directory) const {
    std::string output;
    const std::vector<std::string> arguments{TALLY77_FORWARD_PATH, "--data-dir", directory,       "--db",
                                             ForwardConninfo(),    "--once",     "--tz",          "Europe/Berlin"};
    if (RunProgram(arguments, output, 60'000, {"TZ=UTC"}) == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << output;
  }
  std::vector<long long> ForwardedInstants() const {
    std::vector<long long> forwarded;
    for (const std::vector<std::string>& row :
         Query("SELECT extract(epoch FROM taken_at)::bigint FROM tally77.sets ORDER BY file_offset")) {
      forwarded.push_back(std::stoll(row.at(0)));
    }
    return forwarded;
  }
};

TEST_F(OneInstant, TheForwarderAndTheExportAgreeAcrossBothClockChanges) {
#ifndef TALLY77_HISTORY_PATH
  GTEST_SKIP() << "tally77-history is not built here (no GUI build)";
#else
  CaptureRun rig;
  WriteStamps(rig, 0, kStamps.size());
  ASSERT_TRUE(Forwarded(rig.directory()));

  std::string exported;
  ASSERT_EQ(RunProgram({TALLY77_HISTORY_PATH, "--export", "json", "--tz", "Europe/Berlin", rig.directory()},
                       exported, 60'000, {"QT_QPA_PLATFORM=offscreen"}),
            0)
      << exported;
  std::vector<long long> instants;
  for (std::size_t at = exported.find("{\"time\":\""); at != std::string::npos;
       at = exported.find("{\"time\":\"", at + 1)) {
    instants.push_back(InstantOfIso(exported.substr(at + 9, 25)));
  }
  ASSERT_EQ(instants.size(), kStamps.size()) << exported;
  EXPECT_EQ(ForwardedInstants(), kInstants);
  EXPECT_EQ(instants, kInstants);
#endif
}

// A forwarder stopped inside the repeated hour, after its first pass, and
// started again once the second pass is written: the new run learns from
// the sets it shipped before which pass it is in.
TEST_F(OneInstant, AForwarderStartedAgainInsideTheRepeatedHourKeepsThePasses) {
  CaptureRun rig;
  WriteStamps(rig, 0, kFirstPassEnds);
  ASSERT_TRUE(Forwarded(rig.directory()));
  WriteStamps(rig, kFirstPassEnds, kStamps.size());
  ASSERT_TRUE(Forwarded(rig.directory()));
  EXPECT_EQ(ForwardedInstants(), kInstants);
}

}  // namespace
}  // namespace tally::testing
