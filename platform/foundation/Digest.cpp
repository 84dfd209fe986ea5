#include "platform/foundation/Digest.h"

#include <openssl/evp.h>

namespace platform {

std::string md5Hex(std::string_view bytes) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  if (EVP_Digest(bytes.data(), bytes.size(), digest, &length, EVP_md5(), nullptr) != 1) {
    return {};  // only when OpenSSL itself is broken (no MD5 provider)
  }
  static constexpr char kHex[] = "0123456789abcdef";
  std::string hex(std::size_t{length} * 2, '0');
  for (std::size_t i = 0; i < length; ++i) {
    hex[2 * i] = kHex[digest[i] >> 4];
    hex[2 * i + 1] = kHex[digest[i] & 0xF];
  }
  return hex;
}

}  // namespace platform
