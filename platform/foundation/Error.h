#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>
#include <variant>

#include "platform/foundation/Types.h"

namespace platform {

inline constexpr char kURLErrorDomain[] = "NSURLErrorDomain";
inline constexpr char kPOSIXErrorDomain[] = "NSPOSIXErrorDomain";
inline constexpr char kCocoaErrorDomain[] = "NSCocoaErrorDomain";
inline constexpr char kLocalizedDescriptionKey[] = "NSLocalizedDescription";

namespace URLError {
constexpr long Unknown = -1;
constexpr long Cancelled = -999;
constexpr long BadURL = -1000;
constexpr long TimedOut = -1001;
constexpr long UnsupportedURL = -1002;
constexpr long CannotFindHost = -1003;
constexpr long CannotConnectToHost = -1004;
constexpr long NetworkConnectionLost = -1005;
constexpr long HTTPTooManyRedirects = -1007;
constexpr long ResourceUnavailable = -1008;
constexpr long NotConnectedToInternet = -1009;
constexpr long BadServerResponse = -1011;
constexpr long UserCancelledAuthentication = -1012;
constexpr long UserAuthenticationRequired = -1013;
constexpr long CannotDecodeContentData = -1016;
constexpr long InternationalRoamingOff = -1018;
constexpr long DataNotAllowed = -1020;
constexpr long FileDoesNotExist = -1100;
constexpr long NoPermissionsToReadFile = -1102;
constexpr long DataLengthExceedsMaximum = -1103;
constexpr long SecureConnectionFailed = -1200;
constexpr long ServerCertificateUntrusted = -1202;
}  // namespace URLError

struct Error {
  std::string domain;
  long code = 0;
  Dictionary userInfo;

  // userInfo[kLocalizedDescriptionKey] when it holds a string, else the generic sentence.
  std::string localizedDescription() const;

  static Error make(std::string domain, long code, std::string description = {});
  // An error in kPOSIXErrorDomain for `errnoValue`, described as "<what>: <strerror>".
  static Error posix(int errnoValue, const std::string& what);
};

// A value or an error, never both: made by success() or failure() only, read through value()
// and error() after testing it.
template <class T>
class [[nodiscard]] Result {
 public:
  static Result success(T value) { return Result(std::in_place_index<0>, std::move(value)); }
  static Result failure(Error error) { return Result(std::in_place_index<1>, std::move(error)); }

  explicit operator bool() const { return state_.index() == 0; }
  bool hasValue() const { return state_.index() == 0; }

  // Throws std::bad_variant_access for the side the result does not hold.
  const T& value() const { return std::get<0>(state_); }
  T& value() { return std::get<0>(state_); }
  const Error& error() const { return std::get<1>(state_); }
  Error& error() { return std::get<1>(state_); }

 private:
  template <std::size_t Index, class... Args>
  explicit Result(std::in_place_index_t<Index> side, Args&&... args)
      : state_(side, std::forward<Args>(args)...) {}

  std::variant<T, Error> state_;
};

}  // namespace platform
