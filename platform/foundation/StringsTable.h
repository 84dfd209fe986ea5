#pragma once

#include <map>
#include <string>
#include <string_view>

#include "platform/foundation/Error.h"

namespace platform {

inline constexpr char kStringsErrorDomain[] = "SproutStringsErrorDomain";

// A ".strings" table: `"key" = "value";` pairs with /* */ and // comments. Keys and values are
// quoted (escapes \" \\ \n \t \r \0, \uXXXX and \UXXXX, surrogate pairs joined) or bare words of
// letters, digits and _ . / - :; `"key";` alone maps the key to itself; a later pair replaces an
// earlier one. The bytes are UTF-8 (a byte-order mark is skipped) or UTF-16 with a byte-order
// mark. Anything else is an error naming the line, never a partial table.
class StringsTable {
 public:
  static Result<std::map<std::string, std::string>> parse(std::string_view bytes);

  static constexpr std::size_t kMaxBytes = 16 * 1024 * 1024;
};

}  // namespace platform
