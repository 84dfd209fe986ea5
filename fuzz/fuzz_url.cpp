// Feeds arbitrary text to URL::parse and the path helpers and checks the invariants other code
// relies on: a parsed URL re-parses from its absoluteString to an equal URL with equal parts, ports
// are in range, and the path helpers agree with each other.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/foundation/Path.h"
#include "platform/foundation/URL.h"

namespace {

void require(bool condition) {
  if (!condition) std::abort();
}

void checkURL(std::string_view text) {
  const auto url = platform::URL::parse(text);
  if (!url) return;
  require(!text.empty());
  require(url->absoluteString() == text);
  const auto again = platform::URL::parse(url->absoluteString());
  require(again.has_value());
  require(*again == *url);
  require(again->scheme() == url->scheme() && again->host() == url->host() &&
          again->port() == url->port() && again->path() == url->path() &&
          again->query() == url->query() && again->fragment() == url->fragment());
  if (url->port()) require(*url->port() >= 0 && *url->port() <= 65535);
  require(url->pathExtension().find('/') == std::string::npos);
  require(url->query().find('#') == std::string::npos);
  for (char c : url->absoluteString()) {
    const auto byte = static_cast<unsigned char>(c);
    require(byte > 0x20 && byte < 0x7f && c != '"' && c != '<' && c != '>' && c != '\\');
  }
}

void checkPaths(std::string_view text) {
  const std::string last = platform::lastPathComponent(text);
  require(last == "/" || last.find('/') == std::string::npos);
  const std::string ext = platform::pathExtension(text);
  require(ext.find('/') == std::string::npos);
  const std::string stem = platform::deletingPathExtension(text);
  if (!ext.empty()) {
    require(platform::appendingPathExtension(stem, ext).size() == stem.size() + ext.size() + 1);
    require(platform::pathExtension(platform::appendingPathExtension(stem, ext)) == ext);
  }
  const std::string parent = platform::deletingLastPathComponent(text);
  if (!last.empty() && last != "/") {
    require(platform::lastPathComponent(platform::appendingPathComponent(parent, last)) == last);
  }
  const std::string joined = platform::appendingPathComponent("/base", text);
  require(joined.starts_with("/base"));
  if (!last.empty() && last != "/" && text.find('/') == std::string_view::npos) {
    require(platform::lastPathComponent(joined) == last);
  }
  if (!text.empty() && text[0] == '/') {
    // File URLs escape whatever a path holds and give it back unchanged.
    const platform::URL file = platform::URL::fileURL(text);
    require(file.path() == text);
    require(file.isFileURL());
    checkURL(file.absoluteString());
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  checkURL(text);
  checkPaths(text);
  return 0;
}
