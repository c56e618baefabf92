#pragma once
// Expectations on the capture state shared by several suites.

#include <gtest/gtest.h>

#include "capture/capture_state.h"

namespace tally::testing {

// The counters and the observation set in progress are the same.
inline void ExpectSameSetInProgress(const CaptureState& actual, const CaptureState& expected) {
  EXPECT_EQ(actual.lineCount, expected.lineCount);
  EXPECT_EQ(actual.obsCount, expected.obsCount);
  EXPECT_EQ(actual.obsRemaining, expected.obsRemaining);
  EXPECT_EQ(actual.setLines, expected.setLines);
  EXPECT_EQ(actual.shortLines, expected.shortLines);
  EXPECT_EQ(actual.lineStamps, expected.lineStamps);
}

}  // namespace tally::testing
