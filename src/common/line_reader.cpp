#include "common/line_reader.h"

#include "common/file_io.h"

namespace tally {

Outcome<LineReader> LineReader::Open(const std::string& path, std::size_t most) {
  Outcome<std::string> content = ReadFileStart(path, most);
  if (!content.ok()) return content.failure();
  LineReader reader(std::move(content).value());
  reader.path_ = path;
  return reader;
}

LineReader::LineReader(std::string content) : content_(std::move(content)) {}

Outcome<std::string> LineReader::Next() {
  const std::size_t size = content_.size();
  if (position_ >= size) {
    return Failure{FailureCode::EndOfFile, "read past the end of " + (path_.empty() ? "the text" : path_)};
  }
  const std::size_t start = position_;
  while (position_ < size && content_[position_] != '\r' && content_[position_] != '\n') ++position_;
  std::string line = content_.substr(start, position_ - start);
  if (position_ < size && content_[position_] == '\r') {
    ++position_;
    if (position_ < size && content_[position_] == '\n') ++position_;
  } else if (position_ < size) {
    ++position_;  // a lone LF
  }
  return line;
}

}  // namespace tally
