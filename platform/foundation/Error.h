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
  // One side of the result, read-only. It is called like an accessor (`r.value()`) and also reads
  // like the optional it replaced (`*r.value`, `r.error->code`, `if (r.error)`) for code not yet
  // moved to the accessors.
  template <class U, std::size_t Index>
  class Side {
   public:
    explicit Side(Result* owner) : owner_(owner) {}
    Side(const Side&) = delete;
    Side& operator=(const Side&) = delete;

    bool has_value() const { return owner_->state_.index() == Index; }
    explicit operator bool() const { return has_value(); }
    // Throws std::bad_variant_access for the side the result does not hold.
    const U& operator()() const { return std::get<Index>(owner_->state_); }
    U& operator()() { return std::get<Index>(owner_->state_); }
    const U& operator*() const { return (*this)(); }
    U& operator*() { return (*this)(); }
    const U* operator->() const { return &(*this)(); }
    U* operator->() { return &(*this)(); }

   private:
    Result* owner_;
  };

 public:
  static Result success(T value) { return Result(std::in_place_index<0>, std::move(value)); }
  static Result failure(Error error) { return Result(std::in_place_index<1>, std::move(error)); }
  // The two-member form `{std::nullopt, error}` still builds a failure.
  Result(std::nullopt_t, std::optional<Error> error)
      : state_(std::in_place_index<1>, error ? std::move(*error) : Error::make({}, -1)) {}

  Result(const Result& other) : state_(other.state_) {}
  Result(Result&& other) noexcept(std::is_nothrow_move_constructible_v<T>)
      : state_(std::move(other.state_)) {}
  Result& operator=(const Result& other) {
    state_ = other.state_;
    return *this;
  }
  Result& operator=(Result&& other) noexcept(std::is_nothrow_move_assignable_v<T>) {
    state_ = std::move(other.state_);
    return *this;
  }

  explicit operator bool() const { return state_.index() == 0; }
  bool hasValue() const { return state_.index() == 0; }

  Side<T, 0> value{this};
  Side<Error, 1> error{this};

 private:
  template <std::size_t Index, class... Args>
  explicit Result(std::in_place_index_t<Index> side, Args&&... args)
      : state_(side, std::forward<Args>(args)...) {}

  std::variant<T, Error> state_;
};

}  // namespace platform
