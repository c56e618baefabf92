// Following "fl.db1" while a capture appends to it, and starting over when
// it shrinks, is replaced or changes in place.

#include "history/set_index.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "history_sets.h"
#include "records/file_follower.h"

namespace tally::history {
namespace {

using testing::CaptureRun;
using testing::WriteSet;

class SetIndexTest : public ::testing::Test {
 protected:
  std::string Path() const { return rig.dir.dataPath() + "fl.db1"; }
  void WriteSets(int first, int count) {
    for (int set = first; set < first + count; ++set) WriteSet(rig, set, "202612061430" + Two(set % 60));
  }
  static std::string Two(int value) { return (value < 10 ? "0" : "") + std::to_string(value); }
  void Append(const std::string& bytes) const {
    std::ofstream(Path(), std::ios::binary | std::ios::app) << bytes;
  }

  CaptureRun rig;
  SetIndex index{Path()};
};

TEST_F(SetIndexTest, AHalfWrittenLastLineIsNoSetUntilItsLineEnd) {
  WriteSets(1, 2);
  const std::string whole = rig.dir.Read("fl.db1");
  const std::string third = whole.substr(0, 326);
  Append(third.substr(0, 200));
  EXPECT_EQ(index.IndexAll(), FileChange::Opened);
  EXPECT_EQ(index.size(), 2u);
  Append(third.substr(200, 125));  // all but the LF
  EXPECT_EQ(index.IndexAll(), FileChange::Grew);
  EXPECT_EQ(index.size(), 2u);
  Append("\n");
  EXPECT_EQ(index.IndexAll(), FileChange::Grew);
  ASSERT_EQ(index.size(), 3u);
  EXPECT_EQ(index.Offset(2), 652u);
  EXPECT_EQ(index.Length(2), 326u);
  EXPECT_FALSE(index.Parse(2).damaged());
  EXPECT_EQ(index.IndexAll(), FileChange::None);
}

TEST_F(SetIndexTest, SmallSlicesGiveTheSameIndexAsOneRun) {
  WriteSets(1, 5);
  WriteSet(rig, 6, "20261206143100", true);
  Append("junk without a line end");
  SetIndex whole(Path());
  whole.IndexAll();
  index.Follow();
  int slices = 0;
  while (!index.IndexSome(100)) ++slices;
  EXPECT_EQ(slices, 6);  // a slice ends with the whole line that reaches its bytes
  ASSERT_EQ(index.size(), whole.size());
  ASSERT_EQ(index.size(), 6u);
  for (std::size_t row = 0; row < index.size(); ++row) EXPECT_EQ(index.Offset(row), whole.Offset(row));
  EXPECT_EQ(index.Length(5), 678u);
}

TEST_F(SetIndexTest, NewSetsAppearWhileFollowing) {
  WriteSets(1, 3);
  index.IndexAll();
  for (int set = 4; set <= 6; ++set) {
    WriteSets(set, 1);
    EXPECT_EQ(index.IndexAll(), FileChange::Grew);
    ASSERT_EQ(index.size(), static_cast<std::size_t>(set));
    EXPECT_EQ(index.Parse(set - 1).stamp.second, set);
  }
}

struct ChangeCase {
  const char* what;
  std::function<void(const std::string& path)> change;
  FileChange expected;
  std::size_t rowsAfter;
  std::string message;  // with PATH for the file's path
};

TEST_F(SetIndexTest, AFileThatShrankOrWasReplacedIsIndexedAnew) {
  namespace fs = std::filesystem;
  const std::vector<ChangeCase> cases = {
      {"shrank", [](const std::string& path) { fs::resize_file(path, 326); }, FileChange::Shrank, 1,
       "PATH shrank: indexed anew"},
      {"replaced",
       [](const std::string& path) {
         fs::copy_file(path, path + ".new");
         std::ofstream(path + ".new", std::ios::binary | std::ios::app) << std::string(324, 'x') << "\r\n";
         fs::rename(path + ".new", path);
       },
       FileChange::Replaced, 4, "PATH was replaced: indexed anew"},
      {"rewritten in place",
       [](const std::string& path) {
         std::fstream file(path, std::ios::binary | std::ios::in | std::ios::out);
         file.seekp(3 * 326 - 10);
         file << "9";
       },
       FileChange::Rewritten, 3, "PATH changed in place: indexed anew"},
      {"removed", [](const std::string& path) { fs::remove(path); }, FileChange::Missing, 3,
       "cannot open PATH: no such file; the sets shown stay as they were"},
  };
  for (const ChangeCase& c : cases) {
    SCOPED_TRACE(c.what);
    CaptureRun local;
    const std::string path = local.dir.dataPath() + "fl.db1";
    for (int set = 1; set <= 3; ++set) WriteSet(local, set, "20261206143015");
    SetIndex followed(path);
    followed.IndexAll();
    const std::string firstLine = followed.LineText(0);
    c.change(path);
    const FileChange change = followed.IndexAll();
    EXPECT_EQ(change, c.expected);
    EXPECT_EQ(followed.size(), c.rowsAfter);
    std::string message = c.message;
    message.replace(message.find("PATH"), 4, path);
    EXPECT_EQ(ChangeMessage(change, path, followed.error()), message);
    EXPECT_EQ(followed.LineText(0), firstLine);
    EXPECT_EQ(followed.IndexAll(), FileChange::None);  // said once
  }
}

// A read that fails below the file's size stops the index there and says
// why; the file readable again is indexed whole. A directory swapped in
// under the name opens, but no read of it succeeds, whoever runs the test.
TEST_F(SetIndexTest, AReadErrorStopsTheIndexAndIsNamed) {
  namespace fs = std::filesystem;
  WriteSets(1, 2);
  ASSERT_EQ(index.IndexAll(), FileChange::Opened);
  fs::rename(Path(), Path() + ".away");
  fs::create_directories(Path() + "/inside");
  EXPECT_EQ(index.IndexAll(), FileChange::Replaced);
  EXPECT_EQ(index.size(), 0u);
  EXPECT_FALSE(index.complete());
  EXPECT_EQ(index.readError(), "cannot read " + Path() + " at byte 0: Is a directory");

  fs::remove_all(Path());
  fs::rename(Path() + ".away", Path());
  EXPECT_EQ(index.IndexAll(), FileChange::Replaced);
  EXPECT_EQ(index.size(), 2u);
  EXPECT_EQ(index.readError(), "");
}

// A file cut short under the reader (an operator's truncate, a restore in
// place) must not bring it down: reading the rows it no longer holds gives
// short lines, and the next look at the file starts over. Twenty sets span
// two pages, so the rows after the cut lie wholly past the new end.
TEST_F(SetIndexTest, AFileCutShortUnderTheReaderIsReadSafelyAndIndexedAnew) {
  WriteSets(1, 1);
  std::string twenty;
  for (int set = 1; set <= 20; ++set) twenty += rig.dir.Read("fl.db1");
  for (const bool midway : {false, true}) {
    SCOPED_TRACE(midway ? "cut while indexing" : "cut after indexing");
    std::ofstream(Path(), std::ios::binary | std::ios::trunc) << twenty;
    SetIndex followed(Path());
    followed.Follow();
    followed.IndexSome(midway ? 2000 : 1u << 20);
    std::filesystem::resize_file(Path(), 326);  // the first set alone
    EXPECT_TRUE(followed.IndexSome(1u << 20));
    const std::size_t last = followed.size() - 1;
    EXPECT_EQ(followed.LineText(last), "");
    EXPECT_EQ(followed.Parse(last).reason, "the file was cut short here since it was indexed");
    LocalStamp stamp;
    EXPECT_FALSE(followed.StampOf(last, stamp));
    EXPECT_EQ(followed.IndexAll(), FileChange::Shrank);
    ASSERT_EQ(followed.size(), 1u);
    EXPECT_EQ(followed.Parse(0).reason, "");
  }
}

// The rows are the lines the forwarder takes from the same bytes: a line is
// whole at CR LF only, so an LF alone runs on into the next line and a last
// line ended by LF alone is still being written.
TEST_F(SetIndexTest, TheRowsAreTheLinesTheForwarderTakes) {
  WriteSets(1, 1);
  const std::string set = rig.dir.Read("fl.db1");
  const std::string bare = set.substr(0, set.size() - 2);
  const struct {
    const char* what;
    std::string bytes;
    std::size_t rows;
    std::size_t damaged;
  } cases[] = {
      {"LF alone between two sets", bare + "\n" + set, 1, 1},
      {"LF alone after the last set", set + bare + "\n", 1, 0},
      {"an empty line of LF alone", set + "\n" + set, 2, 1},
      {"CR alone", bare + "\r" + set + set, 2, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    rig.dir.Write("fl.db1", c.bytes);
    SetIndex followed(Path());
    followed.IndexAll();
    const Outcome<LineBatch> taken = ReadLineBatch(Path(), {}, {});
    ASSERT_TRUE(taken.ok());
    ASSERT_EQ(followed.size(), c.rows);
    ASSERT_EQ(taken.value().lines.size(), c.rows);
    for (std::size_t row = 0; row < c.rows; ++row) {
      EXPECT_EQ(followed.Offset(row), taken.value().lines[row].offset);
      EXPECT_EQ(followed.LineText(row), taken.value().lines[row].text);
    }
    EXPECT_EQ(followed.damagedCount(), c.damaged);
  }
}

TEST_F(SetIndexTest, AFileThatAppearsLaterIsOpened) {
  EXPECT_EQ(index.IndexAll(), FileChange::Missing);
  EXPECT_EQ(index.size(), 0u);
  WriteSets(1, 1);
  EXPECT_EQ(index.IndexAll(), FileChange::Opened);
  EXPECT_EQ(index.size(), 1u);
}

}  // namespace
}  // namespace tally::history
