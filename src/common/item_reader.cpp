#include "common/item_reader.h"

#include "common/file_io.h"
#include "common/number_text.h"
#include "common/safe_text.h"

namespace tally {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

}  // namespace

Outcome<ItemReader> ItemReader::Open(const std::string& path, std::size_t most) {
  Outcome<std::string> content = ReadFileStart(path, most);
  if (!content.ok()) return content.failure();
  ItemReader reader(std::move(content).value());
  reader.path_ = path;
  return reader;
}

ItemReader::ItemReader(std::string content) : content_(std::move(content)) {}

Outcome<Item> ItemReader::Next() {
  const std::size_t size = content_.size();
  while (position_ < size && IsBlank(content_[position_])) ++position_;
  if (position_ >= size) {
    return Failure{FailureCode::EndOfFile, "read past the end of " + (path_.empty() ? "the text" : path_)};
  }
  Item item;
  const std::size_t start = position_;
  while (position_ < size && !IsBlank(content_[position_]) && content_[position_] != ',' &&
         !IsLineEnd(content_[position_])) {
    ++position_;
  }
  item.text = content_.substr(start, position_ - start);
  // The separator: blanks, then one comma or one line end (CR LF counts as one).
  while (position_ < size && IsBlank(content_[position_])) ++position_;
  if (position_ < size && content_[position_] == ',') {
    ++position_;
  } else if (position_ < size && content_[position_] == '\r') {
    ++position_;
    if (position_ < size && content_[position_] == '\n') ++position_;
  } else if (position_ < size && content_[position_] == '\n') {
    ++position_;
  }
  return item;
}

Outcome<double> ItemReader::NextNumber() {
  Outcome<Item> item = Next();
  if (!item.ok()) return item.failure();
  if (item.value().empty()) return Failure{FailureCode::EmptyItem, "empty item"};
  const std::optional<double> number = ParseWholeNumber(item.value().text);
  if (!number) {
    // The quote as a char: GCC 12 warns falsely (-Wrestrict, its bug 105329)
    // of a one-character literal put before a temporary string.
    return Failure{FailureCode::NotANumber, '"' + SafeText(item.value().text, 24) + "\" is not a number"};
  }
  return *number;
}

}  // namespace tally
