#pragma once

#include <optional>
#include <utility>

#include "platform/foundation/Error.h"

namespace platform {

// The outcome of an operation that yields nothing but may fail: ok, or the error that stopped it.
// Dropping one is a compile error, so a failure is handled or logged on purpose.
class [[nodiscard]] Status {
 public:
  Status() = default;  // ok
  // Implicit, so a failing path reads `return Error::posix(...)`.
  Status(Error error) : error_(std::move(error)) {}

  static Status ok() { return {}; }

  // True when the operation succeeded.
  explicit operator bool() const { return !error_.has_value(); }
  bool isOk() const { return !error_.has_value(); }
  // Only for a failed status.
  const Error& error() const { return error_.value(); }
  // The error where one is kept as an optional (a completion's argument, say).
  std::optional<Error> failure() const { return error_; }

 private:
  std::optional<Error> error_;
};

}  // namespace platform
