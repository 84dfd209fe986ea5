#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/net/HTTPHeaderFields.h"

namespace platform {

struct HTTPStatusLine {
  std::string version;  // "HTTP/1.1", "HTTP/2"
  long statusCode = 0;  // 100...999
  std::string reasonPhrase;
};

// "HTTP/<version> <3 digits>[ <reason>]"; nullopt for anything else.
std::optional<HTTPStatusLine> parseStatusLine(std::string_view line);

// Builds the head of the latest response from header lines as the transport hands them over,
// one at a time. A new status line starts a new head (interim 1xx answers, redirect hops).
// Malformed field lines are dropped; the head is capped so a hostile server cannot make it grow
// without bound.
class HTTPResponseHeadParser {
 public:
  static constexpr std::size_t kMaxFields = 256;
  static constexpr std::size_t kMaxHeadBytes = 256 * 1024;

  // A line with or without its CRLF; the empty line ends the head.
  void addLine(std::string_view line);
  void reset();

  bool hasStatus() const { return status_.has_value(); }
  const std::optional<HTTPStatusLine>& status() const { return status_; }
  bool isComplete() const { return complete_; }
  bool overflowed() const { return overflowed_; }
  const HTTPHeaderFields& fields() const { return fields_; }
  const std::vector<std::string>& setCookieValues() const { return setCookies_; }

 private:
  void addField(std::string_view line);

  std::optional<HTTPStatusLine> status_;
  HTTPHeaderFields fields_;
  std::vector<std::string> setCookies_;
  std::string lastFieldName_;
  std::size_t headBytes_ = 0;
  bool complete_ = false;
  bool overflowed_ = false;
};

}  // namespace platform
