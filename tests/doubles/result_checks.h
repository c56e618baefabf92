#pragma once
// Checks on results that name the failure when one was not expected:
// ASSERT_TRUE(IsOk(AppendToFile(...))).

#include <gtest/gtest.h>

#include "common/outcome.h"

namespace tally::testing {

inline ::testing::AssertionResult IsOk(const Status& status) {
  if (status.ok()) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "failed: " << status.failure().message;
}

template <class T>
::testing::AssertionResult IsOk(const Outcome<T>& outcome) {
  return IsOk(outcome.status());
}

}  // namespace tally::testing
