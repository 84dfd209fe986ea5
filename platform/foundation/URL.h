#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

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

  // Copies share the parsed parts, which never change: passing a URL on costs a reference count.
  // (No move: a URL moved from stays whole.)
  URL(const URL&) = default;
  URL& operator=(const URL&) = default;

  const std::string& absoluteString() const { return parts_->text; }
  std::string scheme() const { return parts_->scheme; }  // as written; "" for a relative reference
  bool hasAuthority() const { return parts_->hasAuthority; }
  std::string user() const;  // percent-decoded user info before '@'
  std::string host() const;  // percent-decoded; IPv6 without brackets
  std::optional<int> port() const { return parts_->port; }
  std::string path() const;  // percent-decoded
  const std::string& percentEncodedPath() const { return parts_->path; }
  std::string query() const { return parts_->query; }  // as written, without '?'
  std::string fragment() const { return parts_->fragment; }
  std::string lastPathComponent() const;
  std::string pathExtension() const;  // of path(), so never of the query
  bool isFileURL() const;
  bool isRelative() const { return parts_->scheme.empty(); }

  bool operator==(const URL& other) const {
    return parts_ == other.parts_ || parts_->text == other.parts_->text;
  }
  bool operator!=(const URL& other) const { return !(*this == other); }

  // Decodes %XX escapes; nullopt when an escape is malformed.
  static std::optional<std::string> percentDecode(std::string_view text);

 private:
  struct Parts {
    std::string text;
    std::string scheme;
    std::string user;
    std::string host;
    std::string path;
    std::string query;
    std::string fragment;
    std::optional<int> port;
    bool hasAuthority = false;
  };

  explicit URL(std::shared_ptr<const Parts> parts) : parts_(std::move(parts)) {}
  static bool parseAuthority(std::string_view authority, Parts& parts);

  std::shared_ptr<const Parts> parts_;  // never null
};

}  // namespace platform

template <>
struct std::hash<platform::URL> {
  std::size_t operator()(const platform::URL& url) const noexcept {
    return std::hash<std::string>{}(url.absoluteString());
  }
};
