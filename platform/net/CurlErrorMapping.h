#pragma once

#include <curl/curl.h>

namespace platform {

// The URL loading error code for a libcurl result (URLError::Unknown when nothing fits).
long urlErrorCodeForCurl(CURLcode result);

// The server's certificate could not be verified (as opposed to TLS failing altogether): the
// case a delegate may overrule with a server-trust credential.
bool isServerTrustFailure(CURLcode result);

}  // namespace platform
