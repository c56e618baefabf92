// An append of several lines with its note: whatever a crash or the
// operator left in the file before the next append, that append finds the
// file ending in whole lines, never cuts what the capture did not write,
// and leaves the set it cut short out whole.

#include <gtest/gtest.h>

#include <string>

#include "capture/append_note.h"
#include "doubles/temp_dir.h"

namespace tally {
namespace {

using testing::TempDir;

const std::string kOld = "line 1\r\n";
const std::string kPart = "a part of a line, left by a crash";  // no line end
const std::string kSet = "a\r\nbb\r\nccc\r\ndddd\r\neeeee\r\nffffff\r\ng\r\n";
const std::string kNextSet = "next 1\r\nnext 2\r\n";

TEST(AppendNote, TheNextAppendFindsWholeLinesOnlyAndCutsNothingOfTheOperators) {
  const struct {
    const char* what;
    std::string before;  // the file before the set's append
    std::string left;    // what a crash in it, or the operator afterwards, left
    std::string after;   // the file once the next set is appended
  } cases[] = {
      {"a crash inside the set", kOld, kOld + kSet.substr(0, 12), kOld + kNextSet},
      {"a part of a line before the set, a crash early in it", kOld + kPart, kOld + kSet.substr(0, 12),
       kOld + kNextSet},
      {"a part of a line before the set, a crash late in it", kOld + kPart, kOld + kSet.substr(0, 35),
       kOld + kNextSet},
      {"the operator's own file, shorter than the set", kOld, "the operator's line\r\n",
       "the operator's line\r\n" + kNextSet},
      {"the set whole, a line the operator added", kOld, kOld + kSet + "added\r\n",
       kOld + kSet + "added\r\n" + kNextSet},
  };
  for (const auto& c : cases) {
    TempDir notes;
    TempDir data;
    const std::string path = data.dataPath() + "usage.cap";
    data.Write("usage.cap", c.before);
    ASSERT_TRUE(AppendNoted(notes.path(), path, kSet).ok()) << c.what;
    data.Write("usage.cap", c.left);
    ASSERT_TRUE(AppendNoted(notes.path(), path, kNextSet).ok()) << c.what;
    EXPECT_EQ(data.Read("usage.cap"), c.after) << c.what;
  }
}

}  // namespace
}  // namespace tally
