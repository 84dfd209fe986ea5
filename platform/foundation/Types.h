#pragma once

#include <any>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace platform {

using TimeInterval = double;                         // seconds
using Dictionary = std::map<std::string, std::any>;  // user info with mixed values
using Data = std::vector<std::uint8_t>;              // bytes; "nil data" is std::optional<Data>

}  // namespace platform
