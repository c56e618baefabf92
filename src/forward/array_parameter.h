#pragma once
// One column of a batch as a single statement parameter: the text form of a
// PostgreSQL array ({"a","b",NULL}), read on the server with unnest. A
// batch of any size thus goes in one parameterised statement.

#include <optional>
#include <string>
#include <string_view>

namespace tally::forward {

class ArrayParameter {
 public:
  void Add(std::string_view element);
  void Add(long long number) { Add(std::string_view(std::to_string(number))); }
  void AddNull();
  void AddMaybe(const std::optional<std::string>& element) { element ? Add(std::string_view(*element)) : AddNull(); }
  std::string Text() const { return text_ + "}"; }

 private:
  void Separate();
  std::string text_ = "{";
};

}  // namespace tally::forward
