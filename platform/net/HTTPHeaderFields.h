#pragma once

#include <cctype>
#include <map>
#include <string>
#include <string_view>

namespace platform {

// HTTP field names compare without regard to ASCII case.
inline bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

struct CaseInsensitiveLess {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const {
    const std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < n; ++i) {
      const int ca = std::tolower(static_cast<unsigned char>(a[i]));
      const int cb = std::tolower(static_cast<unsigned char>(b[i]));
      if (ca != cb) return ca < cb;
    }
    return a.size() < b.size();
  }
};

// Header fields by name, as a request sends them or a response carried them (repeated fields of a
// response are joined with ", ", except Set-Cookie, which HTTPURLResponse keeps apart).
using HTTPHeaderFields = std::map<std::string, std::string, CaseInsensitiveLess>;

}  // namespace platform
