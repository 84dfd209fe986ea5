#pragma once

#include <string>
#include <string_view>

namespace platform {

// MD5 of the bytes as 32 lowercase hexadecimal digits.
std::string md5Hex(std::string_view bytes);

}  // namespace platform
