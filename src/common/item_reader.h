#pragma once
// Reading items from a text file opened for item reading: the next item
// wherever it stands, with no alignment to lines.
//
// Blanks before an item are skipped; an item ends at a blank, a comma or a
// line end; blanks after it, then one comma or one line end, belong to the
// separator. A comma or a line end met before any item gives an empty item.
// A line end is CR, CR LF or a lone LF. Reading past the end is a failure.

#include <cstddef>
#include <string>

#include "common/outcome.h"

namespace tally {

struct Item {
  std::string text;  // the item's characters; empty for an empty item
  bool empty() const { return text.empty(); }
};

class ItemReader {
 public:
  // Reads the whole file (it is closed again before this returns).
  // most: the bytes read at most from the start of the file.
  static Outcome<ItemReader> Open(const std::string& path, std::size_t most = static_cast<std::size_t>(-1));
  // Items of a text already in memory.
  explicit ItemReader(std::string content);

  // The next item; FailureCode::EndOfFile past the end.
  Outcome<Item> Next();

  // The next item as a number: EmptyItem for an empty item, NotANumber when
  // the item is not one whole decimal number, EndOfFile past the end.
  Outcome<double> NextNumber();

 private:
  std::string content_;
  std::size_t position_ = 0;
  std::string path_;
};

}  // namespace tally
