#include "platform/net/CurlErrorMapping.h"

#include "platform/net/URLErrors.h"

namespace platform {

long urlErrorCodeForCurl(CURLcode result) {
  switch (result) {
    case CURLE_UNSUPPORTED_PROTOCOL:
      return URLError::UnsupportedURL;
    case CURLE_URL_MALFORMAT:
      return URLError::BadURL;
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_RESOLVE_HOST:
      return URLError::CannotFindHost;
    case CURLE_COULDNT_CONNECT:
      return URLError::CannotConnectToHost;
    case CURLE_OPERATION_TIMEDOUT:
      return URLError::TimedOut;
    case CURLE_TOO_MANY_REDIRECTS:
      return URLError::HTTPTooManyRedirects;
    case CURLE_PARTIAL_FILE:
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
    case CURLE_GOT_NOTHING:
    case CURLE_HTTP2:  // HTTP/2 framing and stream errors end the connection or the stream
    case CURLE_HTTP2_STREAM:
      return URLError::NetworkConnectionLost;
    case CURLE_WEIRD_SERVER_REPLY:
    case CURLE_HTTP3:
    case CURLE_RANGE_ERROR:
      return URLError::BadServerResponse;
    case CURLE_BAD_CONTENT_ENCODING:
      return URLError::CannotDecodeContentData;
    case CURLE_FILESIZE_EXCEEDED:
      return URLError::DataLengthExceedsMaximum;
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
    case CURLE_SSL_INVALIDCERTSTATUS:
      return URLError::ServerCertificateUntrusted;
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_CRL_BADFILE:
    case CURLE_SSL_SHUTDOWN_FAILED:
    case CURLE_SSL_ENGINE_NOTFOUND:
    case CURLE_SSL_ENGINE_SETFAILED:
    case CURLE_SSL_ENGINE_INITFAILED:
    case CURLE_USE_SSL_FAILED:
      return URLError::SecureConnectionFailed;
    case CURLE_FILE_COULDNT_READ_FILE:
      return URLError::FileDoesNotExist;
    case CURLE_REMOTE_ACCESS_DENIED:
      return URLError::NoPermissionsToReadFile;
    case CURLE_LOGIN_DENIED:
      return URLError::UserAuthenticationRequired;
    case CURLE_ABORTED_BY_CALLBACK:
      return URLError::Cancelled;
    default:
      return URLError::Unknown;
  }
}

namespace {

bool reachedServer(CURL* easy) {
  char* address = nullptr;
  return easy && curl_easy_getinfo(easy, CURLINFO_PRIMARY_IP, &address) == CURLE_OK && address &&
         address[0] != '\0';
}

}  // namespace

TransferErrorCode urlErrorForTransfer(CURLcode result, CURL* easy, const char* errorBuffer) {
  std::string detail = errorBuffer && errorBuffer[0] ? errorBuffer : curl_easy_strerror(result);
  if (result == CURLE_UNSUPPORTED_PROTOCOL && reachedServer(easy)) {
    return {URLError::BadServerResponse, "not an HTTP response: " + detail};
  }
  if (result == CURLE_OUT_OF_MEMORY && reachedServer(easy)) {
    return {URLError::BadServerResponse, "response header too large"};
  }
  return {urlErrorCodeForCurl(result), std::move(detail)};
}

bool isServerTrustFailure(CURLcode result) {
  return result == CURLE_PEER_FAILED_VERIFICATION || result == CURLE_SSL_ISSUER_ERROR ||
         result == CURLE_SSL_INVALIDCERTSTATUS;
}

}  // namespace platform
