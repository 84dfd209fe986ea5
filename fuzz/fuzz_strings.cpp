// Feeds arbitrary bytes to the .strings reader and checks what other code relies on: it answers
// with a table or an error, never both; and a table written back in the quoted form reads back
// to the same table (so every key and value is valid UTF-8 and every escape was understood).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/foundation/StringsTable.h"

namespace {

void require(bool condition) {
  if (!condition) std::abort();
}

std::string quote(const std::string& s) {
  std::string out = "\"";
  for (char c : s) {
    if (c == '"' || c == '\\') out += '\\';
    if (c == '\0') {
      out += "\\0";
      continue;
    }
    out += c;
  }
  return out + "\"";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto result = platform::StringsTable::parse(text);
  if (!result) return 0;
  std::string written;
  for (const auto& [key, value] : result.value()) {
    written += quote(key) + " = " + quote(value) + ";\n";
  }
  const auto again = platform::StringsTable::parse(written);
  require(again.hasValue());
  require(again.value() == result.value());
  return 0;
}
