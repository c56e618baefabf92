#include "forward/array_parameter.h"

namespace tally::forward {

void ArrayParameter::Separate() {
  if (text_.size() > 1) text_.push_back(',');
}

void ArrayParameter::Add(std::string_view element) {
  Separate();
  text_.push_back('"');
  for (const char c : element) {
    if (c == '"' || c == '\\') text_.push_back('\\');
    text_.push_back(c);
  }
  text_.push_back('"');
}

void ArrayParameter::AddNull() {
  Separate();
  text_ += "NULL";
}

}  // namespace tally::forward
