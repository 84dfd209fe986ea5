#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// An absolute URL or a relative reference, parsed along RFC 3986. Every character must be one a
// URL may carry unescaped (no spaces, controls, quotes, braces or non-ASCII bytes), percent escapes
// must be complete, '[' ']' appear only around an IP literal host, and a port is 0...65535.
// The text is kept as given; components are read from it.
class URL {
 public:
  static std::optional<URL> parse(std::string_view text);
  // "file://" and the percent-encoded path; a relative path is taken from the working directory.
  static URL fileURL(std::string_view absolutePath);

  const std::string& absoluteString() const { return text_; }
  std::string scheme() const { return scheme_; }  // as written; "" for a relative reference
  bool hasAuthority() const { return hasAuthority_; }
  std::string user() const;  // percent-decoded user info before '@'
  std::string host() const;  // percent-decoded; IPv6 without brackets
  std::optional<int> port() const { return port_; }
  std::string path() const;  // percent-decoded
  const std::string& percentEncodedPath() const { return path_; }
  std::string query() const { return query_; }  // as written, without '?'
  std::string fragment() const { return fragment_; }
  std::string lastPathComponent() const;
  std::string pathExtension() const;  // of path(), so never of the query
  bool isFileURL() const;
  bool isRelative() const { return scheme_.empty(); }

  bool operator==(const URL& other) const { return text_ == other.text_; }
  bool operator!=(const URL& other) const { return !(*this == other); }

  // Decodes %XX escapes; nullopt when an escape is malformed.
  static std::optional<std::string> percentDecode(std::string_view text);

 private:
  URL() = default;
  bool parseAuthority(std::string_view authority);

  std::string text_;
  std::string scheme_;
  std::string user_;
  std::string host_;
  std::string path_;
  std::string query_;
  std::string fragment_;
  std::optional<int> port_;
  bool hasAuthority_ = false;
};

}  // namespace platform

template <>
struct std::hash<platform::URL> {
  std::size_t operator()(const platform::URL& url) const noexcept {
    return std::hash<std::string>{}(url.absoluteString());
  }
};
