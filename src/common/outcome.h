#pragma once
// Failures as values: a code the program can act on and a message the
// operator can read. A Status is ok or holds a Failure; an Outcome<T> holds
// a value or a Failure. Both must be looked at: a result dropped on purpose
// goes through IgnoreFailure.

#include <optional>
#include <string>
#include <utility>
#include <variant>

namespace tally {

enum class FailureCode {
  FileOpen,      // a file or its directory could not be opened or created
  FileWrite,     // writing, flushing or renaming a file failed
  FileUnflushed, // the bytes stand in the file, but flushing them to the device failed
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

// The result of an action that gives nothing back but may fail.
class [[nodiscard]] Status {
 public:
  Status() = default;                                          // ok
  Status(Failure failure) : failure_(std::move(failure)) {}  // NOLINT: implicit by design

  bool ok() const { return !failure_.has_value(); }
  // Only when !ok().
  const Failure& failure() const& { return *failure_; }
  Failure& failure() & { return *failure_; }

 private:
  std::optional<Failure> failure_;
};

inline Status Ok() { return Status(); }
inline Status Fail(FailureCode code, std::string message) {
  return Failure{code, std::move(message)};
}

// The result of an action that gives a value or fails.
template <class T>
class [[nodiscard]] Outcome {
 public:
  Outcome(T value) : content_(std::move(value)) {}            // NOLINT: implicit by design
  Outcome(Failure failure) : content_(std::move(failure)) {}  // NOLINT: implicit by design

  bool ok() const { return std::holds_alternative<T>(content_); }

  // Only when ok().
  const T& value() const& { return std::get<T>(content_); }
  T& value() & { return std::get<T>(content_); }
  T&& value() && { return std::get<T>(std::move(content_)); }
  // Only when !ok().
  const Failure& failure() const { return std::get<Failure>(content_); }
  // The value-less form of this result.
  Status status() const { return ok() ? Status() : Status(failure()); }

 private:
  std::variant<T, Failure> content_;
};

// Says that a failure is of no concern here (the caller reports it another
// way, or there is no one to tell).
inline void IgnoreFailure(const Status&) {}
template <class T>
void IgnoreFailure(const Outcome<T>&) {}

}  // namespace tally
