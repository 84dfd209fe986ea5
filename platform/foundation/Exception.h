#pragma once

#include <stdexcept>
#include <string>

namespace platform {

inline constexpr char kInternalInconsistencyException[] = "NSInternalInconsistencyException";
inline constexpr char kInvalidArgumentException[] = "NSInvalidArgumentException";

// The one exception the system throws: a class whose abstract method was called without an
// override. Everything else reports failure as an Error value.
class Exception : public std::exception {
 public:
  Exception(std::string name, std::string reason)
      : name_(std::move(name)), reason_(std::move(reason)), what_(name_ + ": " + reason_) {}

  const std::string& name() const { return name_; }
  const std::string& reason() const { return reason_; }
  const char* what() const noexcept override { return what_.c_str(); }

 private:
  std::string name_;
  std::string reason_;
  std::string what_;
};

}  // namespace platform
