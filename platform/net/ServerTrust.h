#pragma once

#include <string>

namespace platform {

// What is known about a server's certificate chain when its evaluation failed: the host it was
// presented for and why it was not trusted. A credential made from it accepts that server.
struct ServerTrust {
  std::string host;
  int port = 0;
  std::string failureReason;
};

}  // namespace platform
