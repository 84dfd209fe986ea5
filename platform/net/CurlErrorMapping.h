#pragma once

#include <curl/curl.h>

#include <string>

namespace platform {

// The URL loading error code for a libcurl result (URLError::Unknown when nothing fits).
long urlErrorCodeForCurl(CURLcode result);

// A transfer's error as code and detail, knowing what the handle saw: once a server was reached,
// a reply that is not HTTP (libcurl calls it an unsupported protocol) and a header line too long
// for libcurl to hold (it says out of memory) are bad server responses, not faults of the URL or
// of this process.
struct TransferErrorCode {
  long code;
  std::string detail;
};
TransferErrorCode urlErrorForTransfer(CURLcode result, CURL* easy, const char* errorBuffer);

// The server's certificate could not be verified (as opposed to TLS failing altogether): the
// case a delegate may overrule with a server-trust credential.
bool isServerTrustFailure(CURLcode result);

}  // namespace platform
