#include "capture/notices.h"

#include <gtest/gtest.h>

namespace tally {
namespace {

TEST(Notices, ANoticeIsSaidOnceUntilItHasGoneAwayOrItsTextChanged) {
  Notices notices;
  EXPECT_TRUE(notices.SayOnce(Notice::ScratchFileFailing));
  EXPECT_FALSE(notices.SayOnce(Notice::ScratchFileFailing));
  EXPECT_TRUE(notices.SayOnce(Notice::AlarmLogFailing)) << "each notice stands on its own";
  notices.Clear(Notice::ScratchFileFailing);
  EXPECT_FALSE(notices.Stands(Notice::ScratchFileFailing));
  EXPECT_TRUE(notices.SayOnce(Notice::ScratchFileFailing));

  EXPECT_TRUE(notices.SayOnce(Notice::UnusableInterval, "abc"));
  EXPECT_FALSE(notices.SayOnce(Notice::UnusableInterval, "abc"));
  EXPECT_TRUE(notices.SayOnce(Notice::UnusableInterval, "0"));
  EXPECT_TRUE(notices.SayOnce(Notice::UnusableInterval, "abc"));

  notices.Stand(Notice::SetKeptShown);
  EXPECT_TRUE(notices.Stands(Notice::SetKeptShown));
  EXPECT_FALSE(notices.SayOnce(Notice::SetKeptShown));
}

}  // namespace
}  // namespace tally
