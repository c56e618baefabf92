// Following an appended file: a file replaced under the name is read to its
// end first, and a line without CR LF costs no more memory than a batch.

#include "records/file_follower.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "doubles/temp_dir.h"

namespace tally {
namespace {

std::vector<std::string> Texts(const LineBatch& batch) {
  std::vector<std::string> texts;
  for (const WholeLine& line : batch.lines) texts.push_back(line.text);
  return texts;
}

TEST(FileFollowerTest, AReplacedFileIsReadToItsEndBeforeTheNewOne) {
  testing::TempDir dir;
  const std::string path = dir.dataPath() + "fl.db1";
  dir.Write("fl.db1", "one\r\n");
  FileFollower follower(path);
  const Outcome<LineBatch> first = follower.Next({}, {});
  ASSERT_TRUE(first.ok());
  ASSERT_EQ(Texts(first.value()), std::vector<std::string>{"one"});
  // The capture appends once more, then the file is replaced before that
  // line is taken (the database was away meanwhile).
  FILE* file = std::fopen(path.c_str(), "ab");
  ASSERT_NE(file, nullptr);
  std::fputs("two\r\n", file);
  std::fclose(file);
  dir.Write("new", "new one\r\nnew two\r\n");
  ASSERT_EQ(std::rename((dir.dataPath() + "new").c_str(), path.c_str()), 0);

  const Outcome<LineBatch> tail = follower.Next(first.value().end, {});
  ASSERT_TRUE(tail.ok());
  EXPECT_EQ(tail.value().check, PositionCheck::Holds);
  EXPECT_EQ(Texts(tail.value()), std::vector<std::string>{"two"});
  const Outcome<LineBatch> replaced = follower.Next(tail.value().end, {});
  ASSERT_TRUE(replaced.ok());
  EXPECT_EQ(replaced.value().check, PositionCheck::Differs);
  EXPECT_EQ(Texts(replaced.value()), (std::vector<std::string>{"new one", "new two"}));
}

TEST(FileFollowerTest, ALineLongerThanABatchIsGivenCutAndALineWithoutEndWaits) {
  testing::TempDir dir;
  const std::string path = dir.dataPath() + "fl.db1";
  const std::string longLine(3 << 20, 'x');
  const BatchLimits limits{10, 1 << 20};
  struct Case {
    std::string content;
    std::vector<std::size_t> sizes;  // of the texts given
    std::uint64_t end;
  } cases[] = {
      {longLine + "\r\nshort\r\n", {1u << 20}, longLine.size() + 2},  // the batch is full after it
      {"short\r\n" + longLine, {5}, 7},  // still being written: waits, and is not kept
      {longLine + "\n" + longLine + "\r\n", {1u << 20}, 2 * longLine.size() + 3},  // LF alone ends no line
  };
  for (const Case& c : cases) {
    dir.Write("fl.db1", c.content);
    const Outcome<LineBatch> batch = FileFollower(path).Next({}, limits);
    ASSERT_TRUE(batch.ok());
    std::vector<std::size_t> sizes;
    for (const WholeLine& line : batch.value().lines) sizes.push_back(line.text.size());
    EXPECT_EQ(sizes, c.sizes);
    EXPECT_EQ(batch.value().end.offset, c.end);
    EXPECT_EQ(CheckPosition(path, batch.value().end), PositionCheck::Holds);
  }
}

// The file is read a block at a time: a CR LF split between two reads ends
// the line, and an LF at the start of a read after a whole line ends none.
TEST(FileFollowerTest, LinesEndAlikeWhereverTheReadsSplitThem) {
  testing::TempDir dir;
  const std::string path = dir.dataPath() + "fl.db1";
  for (const std::size_t split : {std::size_t{1} << 16, std::size_t{1} << 18, std::size_t{1} << 20}) {
    SCOPED_TRACE(split);
    const struct {
      std::string content;
      std::vector<std::size_t> sizes;
    } cases[] = {
        {std::string(split - 1, 'x') + "\r\ntwo\r\n", {split - 1, 3}},
        {std::string(split - 2, 'x') + "\r\n\ntwo\r\n", {split - 2, 4}},
    };
    for (const auto& c : cases) {
      dir.Write("fl.db1", c.content);
      const Outcome<LineBatch> batch = FileFollower(path).Next({}, {});
      ASSERT_TRUE(batch.ok());
      std::vector<std::size_t> sizes;
      for (const WholeLine& line : batch.value().lines) sizes.push_back(line.text.size());
      EXPECT_EQ(sizes, c.sizes);
    }
  }
}

}  // namespace
}  // namespace tally
