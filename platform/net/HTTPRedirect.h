#pragma once

#include <optional>
#include <string>

#include "platform/net/HTTPHeaderFields.h"
#include "platform/net/URLRequest.h"

namespace platform {

// The rules for following one redirect, kept in one place so every hop obeys the same ones.
namespace HTTPRedirect {

// A 3xx other than 304 that says where to go.
bool isRedirect(long status, const HTTPHeaderFields& fields);

// `location` resolved against `base`; nullopt when it is no http(s) URL.
std::optional<URL> resolve(const URL& base, const std::string& location);

// True when scheme, host or port differ: credentials and a caller's own cookies stay behind.
bool crossesOrigin(const URL& from, const URL& to);

// The request for the next hop. A 303 turns anything but HEAD into a body-less GET; so do 301 and
// 302 for a POST, as browsers do. 307 and 308 repeat the method and body. Authorization and a
// caller-set Cookie do not follow the request to another origin.
URLRequest nextRequest(const URLRequest& current, long status, const URL& target);

}  // namespace HTTPRedirect
}  // namespace platform
