#include "platform/net/URLErrors.h"

namespace platform {
namespace {

const char* sentenceFor(long code) {
  switch (code) {
    case URLError::Cancelled:
      return "cancelled";
    case URLError::BadURL:
      return "unsupported URL";
    case URLError::TimedOut:
      return "The request timed out.";
    case URLError::UnsupportedURL:
      return "unsupported URL";
    case URLError::CannotFindHost:
      return "A server with the specified hostname could not be found.";
    case URLError::CannotConnectToHost:
      return "Could not connect to the server.";
    case URLError::NetworkConnectionLost:
      return "The network connection was lost.";
    case URLError::HTTPTooManyRedirects:
      return "too many HTTP redirects";
    case URLError::ResourceUnavailable:
      return "resource unavailable";
    case URLError::NotConnectedToInternet:
      return "The Internet connection appears to be offline.";
    case URLError::BadServerResponse:
      return "The server returned a bad response.";
    case URLError::UserCancelledAuthentication:
      return "The user cancelled authentication.";
    case URLError::UserAuthenticationRequired:
      return "Authentication is required.";
    case URLError::CannotDecodeContentData:
      return "The server's content could not be decoded.";
    case URLError::FileDoesNotExist:
      return "The requested URL was not found on this server.";
    case URLError::NoPermissionsToReadFile:
      return "The file could not be read.";
    case URLError::DataLengthExceedsMaximum:
      return "The resource exceeds the maximum size.";
    case URLError::SecureConnectionFailed:
      return "An SSL error has occurred and a secure connection to the server cannot be made.";
    case URLError::ServerCertificateUntrusted:
      return "The certificate for this server is invalid.";
    default:
      return "unknown error";
  }
}

}  // namespace

Error makeURLError(long code, const std::string& failingURL, const std::string& detail) {
  Error error = Error::make(kURLErrorDomain, code, sentenceFor(code));
  if (!failingURL.empty()) error.userInfo[kURLErrorFailingURLStringKey] = failingURL;
  if (!detail.empty()) error.userInfo[kURLErrorTransportDetailKey] = detail;
  return error;
}

}  // namespace platform
