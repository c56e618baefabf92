#pragma once
// Failures as values: a code the program can act on and a message the
// operator can read. Outcome<T> carries either a value or a Failure; Status
// is the value-less form (no failure means success).

#include <optional>
#include <string>
#include <utility>
#include <variant>

namespace tally {

enum class FailureCode {
  FileOpen,      // a file or its directory could not be opened or created
  FileWrite,     // writing, flushing or renaming a file failed
  FileRead,      // reading a file failed
  EndOfFile,     // a read went past the end of a file
  EmptyItem,     // an item with nothing in it (two commas, an empty line)
  NotANumber,    // an item that is not a decimal number
  PortOpen,      // a serial port could not be opened
  PortSettings,  // a line settings text that cannot be applied
  PortWrite,     // writing to a serial port failed (or the port is closed)
  DatabaseUnreachable,  // the database cannot be reached now: worth trying again
  DatabaseRefused,      // the database answered no (log-in, schema, privileges)
  CommandLine,          // arguments a program cannot take
};

struct Failure {
  FailureCode code;
  std::string message;
};

using Status = std::optional<Failure>;

inline Status Ok() { return std::nullopt; }
inline Status Fail(FailureCode code, std::string message) {
  return Failure{code, std::move(message)};
}

template <class T>
class Outcome {
 public:
  Outcome(T value) : content_(std::move(value)) {}            // NOLINT: implicit by design
  Outcome(Failure failure) : content_(std::move(failure)) {}  // NOLINT: implicit by design

  bool ok() const { return std::holds_alternative<T>(content_); }
  explicit operator bool() const { return ok(); }

  const T& value() const& { return std::get<T>(content_); }
  T& value() & { return std::get<T>(content_); }
  T&& value() && { return std::get<T>(std::move(content_)); }
  const Failure& failure() const { return std::get<Failure>(content_); }

 private:
  std::variant<T, Failure> content_;
};

}  // namespace tally
