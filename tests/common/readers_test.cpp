#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/item_reader.h"
#include "common/line_reader.h"
#include "doubles/result_checks.h"
#include "doubles/temp_dir.h"

namespace tally {
namespace {

// All items of a text until the end, empty items as "<>".
std::vector<std::string> AllItems(const std::string& content) {
  ItemReader reader(content);
  std::vector<std::string> items;
  for (Outcome<Item> item = reader.Next(); item.ok(); item = reader.Next()) {
    items.push_back(item.value().empty() ? "<>" : item.value().text);
  }
  return items;
}

TEST(ItemReader, SeparatorsAreCommasLineEndsAndBlanks) {
  const struct {
    const char* content;
    std::vector<std::string> items;
  } cases[] = {
      {"1,5,20,300\r\n1,5,20,300\r\n", {"1", "5", "20", "300", "1", "5", "20", "300"}},
      {" 12.75     \r\n 2516.447\r\n", {"12.75", "2516.447"}},
      {"1 2,3", {"1", "2", "3"}},
      {"1 , 2 ,3", {"1", "2", "3"}},
      {"1,,3", {"1", "<>", "3"}},
      {"\r\n\r\n", {"<>", "<>"}},
      {"1\n2\r3", {"1", "2", "3"}},
      {"1,\r\n2", {"1", "<>", "2"}},
      {",", {"<>"}},
      {"", {}},
      {"   ", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(AllItems(c.content), c.items) << c.content;
}

// Reading past the end is a failure the caller sees, for items and numbers.
TEST(ItemReader, NumbersAndTheirFailures) {
  ItemReader reader("007,-5,,abc,\x02\r\n");
  EXPECT_EQ(reader.NextNumber().value(), 7.0);
  EXPECT_EQ(reader.NextNumber().value(), -5.0);
  const struct {
    FailureCode code;
    const char* message;
  } failures[] = {{FailureCode::EmptyItem, "empty item"},
                  {FailureCode::NotANumber, "\"abc\" is not a number"},
                  {FailureCode::NotANumber, "\"\\x02\" is not a number"}};
  for (const auto& expected : failures) {
    EXPECT_TRUE(testing::FailedWith(reader.NextNumber(), expected.code, expected.message));
  }
  EXPECT_EQ(reader.NextNumber().failure().code, FailureCode::EndOfFile);
  EXPECT_EQ(reader.Next().failure().code, FailureCode::EndOfFile);
}

TEST(ItemReader, OpensAFileAndReportsAMissingOne) {
  testing::TempDir dir;
  dir.Write("ferro.dat", " 12.75\r\n 1\r\n");
  Outcome<ItemReader> reader = ItemReader::Open(dir.dataPath() + "ferro.dat");
  ASSERT_TRUE(reader.ok());
  EXPECT_EQ(reader.value().NextNumber().value(), 12.75);
  const Outcome<ItemReader> missing = ItemReader::Open(dir.dataPath() + "none.dat");
  ASSERT_FALSE(missing.ok());
  EXPECT_EQ(missing.failure().code, FailureCode::FileOpen);
  EXPECT_NE(missing.failure().message.find("none.dat"), std::string::npos);
}

std::vector<std::string> AllLines(const std::string& content) {
  LineReader reader(content);
  std::vector<std::string> lines;
  for (Outcome<std::string> line = reader.Next(); line.ok(); line = reader.Next()) lines.push_back(line.value());
  return lines;
}

TEST(LineReader, LinesEndAtCrWithAnOptionalLf) {
  const struct {
    const char* content;
    std::vector<std::string> lines;
  } cases[] = {
      {"a\r\nb\r\n", {"a", "b"}},
      {"a\r\nb", {"a", "b"}},
      {"\r\n", {""}},
      {"", {}},
      {"a\rb\nc", {"a", "b", "c"}},
      {"a\r\n\r\nb", {"a", "", "b"}},
  };
  for (const auto& c : cases) EXPECT_EQ(AllLines(c.content), c.lines) << c.content;
}

}  // namespace
}  // namespace tally
