#pragma once
// Checks on results that name the failure when one was not expected:
// ASSERT_TRUE(IsOk(AppendToFile(...))).

#include <gtest/gtest.h>

#include <string>

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

// The result failed with this code and exactly this message.
inline ::testing::AssertionResult FailedWith(const Status& status, FailureCode code, const std::string& message) {
  if (status.ok()) return ::testing::AssertionFailure() << "succeeded, expected: " << message;
  if (status.failure().code == code && status.failure().message == message) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "failed with code " << static_cast<int>(status.failure().code) << ": "
                                       << status.failure().message;
}

template <class T>
::testing::AssertionResult FailedWith(const Outcome<T>& outcome, FailureCode code, const std::string& message) {
  return FailedWith(outcome.status(), code, message);
}

}  // namespace tally::testing
