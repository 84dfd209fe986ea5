#include "platform/net/Transfer.h"

#include <algorithm>
#include <cctype>
#include <map>

#include "platform/net/CurlErrorMapping.h"
#include "platform/net/HTTPCachePolicy.h"
#include "platform/net/HTTPCookieStorage.h"
#include "platform/net/HTTPHeaderValues.h"
#include "platform/net/HTTPRedirect.h"
#include "platform/net/URLErrors.h"
#include "platform/net/URLSessionDataTask.h"

namespace platform {
namespace {

constexpr std::size_t kMaxHeldChallengeBody = std::size_t{64} * 1024;

std::string mimeTypeForExtension(std::string extension) {
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  static const std::map<std::string, std::string> kTypes = {
      {"png", "image/png"},   {"jpg", "image/jpeg"},        {"jpeg", "image/jpeg"},
      {"gif", "image/gif"},   {"webp", "image/webp"},       {"tif", "image/tiff"},
      {"tiff", "image/tiff"}, {"html", "text/html"},        {"htm", "text/html"},
      {"txt", "text/plain"},  {"json", "application/json"}, {"css", "text/css"}};
  auto it = kTypes.find(extension);
  return it == kTypes.end() ? "application/octet-stream" : it->second;
}

// The challenge to offer for a 401: Digest before Basic, as the stronger of the two.
std::optional<AuthenticationChallengeInfo> pickChallenge(const HTTPURLResponse& response) {
  auto value = response.valueForHTTPHeaderField("WWW-Authenticate");
  if (!value) return std::nullopt;
  std::optional<AuthenticationChallengeInfo> basic;
  for (auto& challenge : parseWWWAuthenticate(*value)) {
    if (equalsIgnoringCase(challenge.scheme, "Digest")) return challenge;
    if (equalsIgnoringCase(challenge.scheme, "Basic") && !basic) basic = challenge;
  }
  return basic;
}

// The content codings libcurl decodes, which are the ones its Accept-Encoding asks for.
bool decodes(const std::string& coding) {
  static const curl_version_info_data* info = curl_version_info(CURLVERSION_NOW);
  if (equalsIgnoringCase(coding, "identity")) return true;
  if (equalsIgnoringCase(coding, "gzip") || equalsIgnoringCase(coding, "x-gzip") ||
      equalsIgnoringCase(coding, "deflate")) {
    return (info->features & CURL_VERSION_LIBZ) != 0;
  }
  if (equalsIgnoringCase(coding, "br")) return (info->features & CURL_VERSION_BROTLI) != 0;
  if (equalsIgnoringCase(coding, "zstd")) return (info->features & CURL_VERSION_ZSTD) != 0;
  return false;
}

}  // namespace

Transfer::Transfer(std::shared_ptr<URLSessionDataTask> task, TransferPlan plan)
    : task_(std::move(task)), identifier_(task_->taskIdentifier()), plan_(std::move(plan)) {
  if (plan_.cache) {
    // What the cache would refuse anyway is not worth holding in memory.
    maxCacheBody_ = std::max(plan_.cache->memoryCapacity(), plan_.cache->diskCapacity()) / 20;
  }
}

Transfer::~Transfer() {
  if (easy_) curl_easy_cleanup(easy_);
  if (headerList_) curl_slist_free_all(headerList_);
}

bool Transfer::prepare() {
  if (task_->completionClaimed_.load()) return false;  // cancelled before it reached us
  easy_ = curl_easy_init();
  if (!easy_ || !configureRequest()) {
    complete(makeURLError(URLError::Unknown, plan_.request.url().absoluteString(),
                          "cannot set up the transfer"));
    return false;
  }
  configureAttempt();
  return true;
}

bool Transfer::configureRequest() {
  bool ok = true;
  auto set = [&](CURLoption option, auto value) {
    ok = ok && curl_easy_setopt(easy_, option, value) == CURLE_OK;
  };
  set(CURLOPT_PRIVATE, static_cast<void*>(this));
  set(CURLOPT_NOSIGNAL, 1L);
  set(CURLOPT_ERRORBUFFER, errorBuffer_);
  set(CURLOPT_PROTOCOLS_STR, "http,https,file");
  // Redirects are followed here, hop by hop, so each hop gets its own cookies and headers.
  set(CURLOPT_FOLLOWLOCATION, 0L);
  set(CURLOPT_ACCEPT_ENCODING, "");  // every coding libcurl can decode, decoded transparently
  set(CURLOPT_HEADERFUNCTION, &Transfer::headerCallback);
  set(CURLOPT_HEADERDATA, static_cast<void*>(this));
  set(CURLOPT_WRITEFUNCTION, &Transfer::writeCallback);
  set(CURLOPT_WRITEDATA, static_cast<void*>(this));
  set(CURLOPT_XFERINFOFUNCTION, &Transfer::progressCallback);
  set(CURLOPT_XFERINFODATA, static_cast<void*>(this));
  set(CURLOPT_NOPROGRESS, 0L);
  // The timeout is for silence, not for the whole load: the network loop enforces it exactly;
  // libcurl's own low-speed check stays behind it as a second line.
  const long idleMs = static_cast<long>(plan_.idleTimeout.count());
  set(CURLOPT_CONNECTTIMEOUT_MS, idleMs);
  set(CURLOPT_LOW_SPEED_LIMIT, 1L);
  set(CURLOPT_LOW_SPEED_TIME, std::max(1L, (idleMs + 999) / 1000));
  set(CURLOPT_TIMEOUT_MS, static_cast<long>(plan_.resourceTimeout.count()));
  set(CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(plan_.maxBodySize));
  if (!plan_.trustedRootsFile.empty()) set(CURLOPT_CAINFO, plan_.trustedRootsFile.c_str());
  if (!plan_.trustedRootsDirectory.empty()) {
    set(CURLOPT_CAPATH, plan_.trustedRootsDirectory.c_str());
  }
  return ok && configureHop();
}

// What belongs to the URL being loaded now: the first one or a redirect's target.
bool Transfer::configureHop() {
  const URLRequest& request = plan_.request;
  bool ok = true;
  auto set = [&](CURLoption option, auto value) {
    ok = ok && curl_easy_setopt(easy_, option, value) == CURLE_OK;
  };
  set(CURLOPT_URL, request.url().absoluteString().c_str());
  set(CURLOPT_FRESH_CONNECT, 0L);  // a retry's new connection may serve the next hop
  // Concurrent loads to one host wait for its HTTP/2 connection rather than opening their own.
  // Only TLS offers HTTP/2 here; over plain HTTP the wait would last until a load ends.
  const bool tls = request.url().scheme() == "https" || request.url().scheme() == "HTTPS";
  set(CURLOPT_PIPEWAIT, tls ? 1L : 0L);
  // A proxy from the environment is honoured, but never for this machine itself.
  const std::string host = request.url().host();
  const bool loopback = host == "localhost" || host == "::1" || host.rfind("127.", 0) == 0;
  set(CURLOPT_NOPROXY, loopback ? "*" : static_cast<const char*>(nullptr));

  const std::string& method = request.HTTPMethod();
  set(CURLOPT_HTTPGET, 1L);  // back to a plain GET before this hop's method
  set(CURLOPT_CUSTOMREQUEST, static_cast<const char*>(nullptr));
  body_.clear();
  if (method == "HEAD") {
    set(CURLOPT_NOBODY, 1L);
  } else if (method != "GET" || request.HTTPBody()) {
    if (method != "POST") set(CURLOPT_CUSTOMREQUEST, method.c_str());
    if (request.HTTPBody()) {
      body_.assign(request.HTTPBody()->begin(), request.HTTPBody()->end());
      set(CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body_.size()));
      set(CURLOPT_POSTFIELDS, body_.data());
    } else if (method == "POST") {
      set(CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(0));
      set(CURLOPT_POSTFIELDS, "");
    }
  }
  return ok && configureHeaders();
}

bool Transfer::configureHeaders() {
  const URLRequest& request = plan_.request;
  if (headerList_) curl_slist_free_all(headerList_);
  headerList_ = nullptr;
  // Exactly the caller's fields ("Name;" is libcurl's spelling of an empty value), and a bare
  // "Name:" to remove a field libcurl would add on its own.
  for (const auto& [name, value] : request.allHTTPHeaderFields()) {
    std::string line = name;
    line += value.empty() ? ";" : ": ";
    line += value;
    headerList_ = curl_slist_append(headerList_, line.c_str());
  }
  // The storage's cookies for this very URL, read now so a cookie the last hop set goes along.
  if (plan_.cookies && !request.valueForHTTPHeaderField("Cookie")) {
    if (auto cookie = plan_.cookies->cookieHeaderForURL(request.url())) {
      headerList_ = curl_slist_append(headerList_, ("Cookie: " + *cookie).c_str());
    }
  }
  if (!request.valueForHTTPHeaderField("Accept")) {
    headerList_ = curl_slist_append(headerList_, "Accept:");
  }
  if (!request.valueForHTTPHeaderField("Expect")) {
    headerList_ = curl_slist_append(headerList_, "Expect:");
  }
  return headerList_ != nullptr &&
         curl_easy_setopt(easy_, CURLOPT_HTTPHEADER, headerList_) == CURLE_OK;
}

// Options that change between attempts (after a credential or a trust decision).
void Transfer::configureAttempt() {
  const bool verify = !(plan_.allowsInvalidCertificates || trustOverridden_);
  curl_easy_setopt(easy_, CURLOPT_SSL_VERIFYPEER, verify ? 1L : 0L);
  curl_easy_setopt(easy_, CURLOPT_SSL_VERIFYHOST, verify ? 2L : 0L);
}

void Transfer::resetAttempt() {
  head_.reset();
  responseDelivered_ = false;
  response_.reset();
  abortError_.reset();
  bytesReceived_ = 0;
  lastProgress_ = 0;
  storable_ = false;
  cacheOverflow_ = false;
  cacheBody_.clear();
  revalidated_.reset();
  holdingChallenge_ = false;
  challengeResponse_.reset();
  challengeBody_.clear();
  pending_ = PendingChallenge::None;
  redirectTarget_.reset();
  errorBuffer_[0] = '\0';
  curl_easy_setopt(easy_, CURLOPT_HTTP_CONTENT_DECODING, 1L);
  touch();
}

std::size_t Transfer::headerCallback(char* buffer, std::size_t size, std::size_t count,
                                     void* self) {
  return static_cast<Transfer*>(self)->onHeaderLine(std::string_view(buffer, size * count));
}

std::size_t Transfer::writeCallback(char* buffer, std::size_t size, std::size_t count, void* self) {
  return static_cast<Transfer*>(self)->onBody(buffer, size * count);
}

int Transfer::progressCallback(void* self, curl_off_t, curl_off_t dlnow, curl_off_t,
                               curl_off_t ulnow) {
  auto* transfer = static_cast<Transfer*>(self);
  // Uploading counts as activity too; downloads are seen in the write callback already.
  if (ulnow + dlnow != transfer->lastProgress_) {
    transfer->lastProgress_ = ulnow + dlnow;
    transfer->touch();
  }
  return 0;
}

std::size_t Transfer::onHeaderLine(std::string_view line) {
  touch();
  const bool wasComplete = head_.isComplete();
  head_.addLine(line);
  if (head_.overflowed()) {
    abortError_ = makeURLError(URLError::BadServerResponse, effectiveURL(), "header too large");
    return 0;
  }
  if (!wasComplete && head_.isComplete()) onHeadComplete();
  return abortError_ ? 0 : line.size();
}

void Transfer::onHeadComplete() {
  const long status = head_.status()->statusCode;
  if (plan_.cookies && !head_.setCookieValues().empty()) {
    if (auto url = URL::parse(effectiveURL())) {
      plan_.cookies->storeCookiesFromResponse(head_.setCookieValues(), *url);
    }
  }
  if (status < 200) return;  // libcurl goes on
  configureContentDecoding();
  if (plan_.cache && plan_.request.HTTPMethod() != "GET") {
    // Every hop's answer counts: a POST answered 303 has changed what its URL holds.
    auto url = URL::parse(effectiveURL());
    plan_.cache->noteResponse(plan_.request,
                              HTTPURLResponse(url ? *url : plan_.request.url(), status,
                                              head_.status()->version, head_.fields()));
  }
  if (HTTPRedirect::isRedirect(status, head_.fields())) {
    auto location = head_.fields().find("Location");
    if (auto current = URL::parse(effectiveURL())) {
      redirectTarget_ = HTTPRedirect::resolve(*current, location->second);
    }
    // A Location that leads nowhere loadable leaves the redirect itself as the answer.
    if (redirectTarget_) return;
  }
  // libcurl may answer a 401 itself (Digest's first round); the first body byte or the end of
  // the transfer shows which head was final.
  if (status == 401 || status == 407) return;
  ensureResponse();
}

void Transfer::ensureResponse() {
  if (responseDelivered_ || holdingChallenge_ || redirectTarget_) return;
  if (!head_.hasStatus()) {
    if (!plan_.request.url().isFileURL()) return;
    curl_off_t length = -1;
    curl_easy_getinfo(easy_, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
    deliverResponse(std::make_shared<URLResponse>(
        plan_.request.url(), mimeTypeForExtension(plan_.request.url().pathExtension()), length,
        ""));
    return;
  }
  if (!head_.isComplete()) return;
  const HTTPStatusLine& status = *head_.status();
  auto url = URL::parse(effectiveURL());
  auto response =
      std::make_shared<HTTPURLResponse>(url ? *url : plan_.request.url(), status.statusCode,
                                        status.version, head_.fields(), head_.setCookieValues());
  if (status.statusCode == 401 && holdForChallenge(response)) return;
  if (status.statusCode == 304 && plan_.conditional) {
    answerFromRevalidation(*response);
    return;
  }
  if (status.statusCode >= 500 && plan_.staleIfError) {
    answerFromStored();
    return;
  }
  if (response->expectedContentLength() > static_cast<std::int64_t>(plan_.maxBodySize)) {
    abortError_ = makeURLError(URLError::DataLengthExceedsMaximum, effectiveURL(),
                               "announced length over the limit");
    return;
  }
  storable_ = plan_.cache && HTTPCachePolicy::isStorable(task_->originalRequest(), *response);
  // The announced length is kept in one allocation instead of one per doubling.
  const std::int64_t announced = response->expectedContentLength();
  if (storable_ && announced > 0 && static_cast<std::uint64_t>(announced) <= maxCacheBody_) {
    cacheBody_.reserve(static_cast<std::size_t>(announced));
  }
  deliverResponse(response);
}

void Transfer::deliverResponse(std::shared_ptr<const URLResponse> response) {
  responseDelivered_ = true;
  response_ = response;
  task_->post(TaskEvent::makeResponse(std::move(response)));
}

bool Transfer::holdForChallenge(const std::shared_ptr<HTTPURLResponse>& response) {
  auto challenge = pickChallenge(*response);
  if (!challenge) return false;
  holdingChallenge_ = true;
  challengeResponse_ = response;
  challengeScheme_ = challenge->scheme;
  challengeRealm_ = challenge->realm();
  return true;
}

void Transfer::answerFromRevalidation(const HTTPURLResponse& notModified) {
  if (!plan_.cache || !plan_.revalidating->stored()) {
    deliverResponse(std::make_shared<HTTPURLResponse>(notModified));
    return;
  }
  // The 304 may name another stored variant than the one asked about; that one answers.
  plan_.revalidating = plan_.cache->refreshWithNotModified(
      task_->originalRequest().url(), *plan_.revalidating, notModified, plan_.requestTime);
  answerFromStored();
}

// The stored response answers instead of what the server sent; its body goes out at the end.
void Transfer::answerFromStored() {
  auto stored =
      std::dynamic_pointer_cast<const HTTPURLResponse>(plan_.revalidating->cached.response());
  revalidated_ = std::make_shared<HTTPURLResponse>(*stored);
  deliverResponse(revalidated_);
}

// A coding libcurl cannot decode would fail the load; such a body is handed on as received,
// with its Content-Encoding, for the caller to make sense of.
void Transfer::configureContentDecoding() {
  auto coding = head_.fields().find("Content-Encoding");
  bool decodable = true;
  if (coding != head_.fields().end()) {
    for (const std::string& name : splitListValue(coding->second)) {
      decodable = decodable && decodes(name);
    }
  }
  curl_easy_setopt(easy_, CURLOPT_HTTP_CONTENT_DECODING, decodable ? 1L : 0L);
}

std::size_t Transfer::onBody(const char* text, std::size_t length) {
  // As bytes, so every copy below is one block move rather than a loop converting each char.
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(text);
  touch();
  ensureResponse();
  if (abortError_) return 0;
  if (holdingChallenge_) {
    const std::size_t room =
        kMaxHeldChallengeBody - std::min(kMaxHeldChallengeBody, challengeBody_.size());
    challengeBody_.insert(challengeBody_.end(), bytes, bytes + std::min(room, length));
    return length;
  }
  // Counted even where it is thrown away, so an endless redirect body cannot run for ever.
  bytesReceived_ += static_cast<std::int64_t>(length);
  if (bytesReceived_ > static_cast<std::int64_t>(plan_.maxBodySize)) {
    abortError_ =
        makeURLError(URLError::DataLengthExceedsMaximum, effectiveURL(), "body over the limit");
    return 0;
  }
  if (revalidated_ || redirectTarget_) return length;  // a 304 or a hop has no body of its own
  if (storable_ && !cacheOverflow_) {
    if (cacheBody_.size() + length > maxCacheBody_) {
      cacheOverflow_ = true;
      Data().swap(cacheBody_);
    } else {
      cacheBody_.insert(cacheBody_.end(), bytes, bytes + length);
    }
  }
  task_->postData(bytes, length, announcedRemainder(length));
  return length;
}

// What the response announced and has not yet arrived, counting the `length` bytes just read,
// within the reservation cap; 0 when it announced nothing.
std::size_t Transfer::announcedRemainder(std::size_t length) const {
  const std::int64_t announced = response_ ? response_->expectedContentLength() : -1;
  const std::int64_t before = bytesReceived_ - static_cast<std::int64_t>(length);
  if (announced <= 0 || announced <= before) return 0;
  return static_cast<std::size_t>(std::min<std::int64_t>(
      announced - before, static_cast<std::int64_t>(URLSessionDataTask::kMaxBodyReservation)));
}

Transfer::Outcome Transfer::finish(CURLcode result) {
  if (abortError_) {
    complete(abortError_);
    return Outcome::Finished;
  }
  if (result != CURLE_OK) {
    if (isServerTrustFailure(result) && !plan_.allowsInvalidCertificates && !trustOverridden_) {
      trustError_ = errorFor(result);
      trustFailure_ = errorBuffer_;
      return postChallenge(PendingChallenge::Trust);
    }
    if (mayRetryOnNewConnection(result)) {
      // An HTTP/2 server that went away (GOAWAY, an idle close) before answering never saw
      // the request; libcurl does not send it again by itself.
      retriedOnNewConnection_ = true;
      curl_easy_setopt(easy_, CURLOPT_FRESH_CONNECT, 1L);
      resetAttempt();
      return Outcome::Restart;
    }
    if (plan_.staleIfError && !responseDelivered_ && !holdingChallenge_) {
      answerFromStored();  // the server is out of reach: the stored answer stands in
    } else {
      complete(errorFor(result));
      return Outcome::Finished;
    }
  }
  if (redirectTarget_ && !revalidated_) return followRedirect();
  ensureResponse();
  if (abortError_) {
    complete(abortError_);
    return Outcome::Finished;
  }
  if (holdingChallenge_) return postChallenge(PendingChallenge::HTTP);
  if (revalidated_) {
    const Data& body = plan_.revalidating->cached.data();
    if (!body.empty()) task_->post(TaskEvent::makeData(body));
  } else if (storable_ && !cacheOverflow_ && response_) {
    task_->post(
        TaskEvent::makeWillCache(CachedURLResponse(response_, std::move(cacheBody_)), plan_.cache));
  }
  complete(std::nullopt);
  return Outcome::Finished;
}

// libcurl reports a stream the server refused or dropped unanswered (a GOAWAY, an idle close
// racing the request) as an HTTP/2 framing or stream error before any byte of a response.
bool Transfer::mayRetryOnNewConnection(CURLcode result) const {
  if (retriedOnNewConnection_ || head_.hasStatus() || bytesReceived_ > 0) return false;
  if (result != CURLE_HTTP2 && result != CURLE_HTTP2_STREAM) return false;
  long headerBytes = 0;
  curl_easy_getinfo(easy_, CURLINFO_HEADER_SIZE, &headerBytes);
  // A request that may have been processed is sent again only if doing so twice is harmless.
  const std::string& method = plan_.request.HTTPMethod();
  const bool idempotent = method == "GET" || method == "HEAD" || method == "PUT" ||
                          method == "DELETE" || method == "OPTIONS";
  return headerBytes == 0 && idempotent;
}

Transfer::Outcome Transfer::followRedirect() {
  if (++redirectCount_ > plan_.maxRedirects) {
    complete(makeURLError(URLError::HTTPTooManyRedirects, effectiveURL(), "too many redirects"));
    return Outcome::Finished;
  }
  const URL target = *redirectTarget_;
  if (HTTPRedirect::crossesOrigin(plan_.request.url(), target)) {
    // A credential given for one server is not offered to another.
    curl_easy_setopt(easy_, CURLOPT_HTTPAUTH, CURLAUTH_NONE);
    curl_easy_setopt(easy_, CURLOPT_USERNAME, static_cast<const char*>(nullptr));
    curl_easy_setopt(easy_, CURLOPT_PASSWORD, static_cast<const char*>(nullptr));
    // Nor is a trust granted to one server's certificate.
    trustOverridden_ = false;
    configureAttempt();
  }
  plan_.request = HTTPRedirect::nextRequest(plan_.request, head_.status()->statusCode, target);
  if (!configureHop()) {
    complete(makeURLError(URLError::Unknown, target.absoluteString(), "cannot follow redirect"));
    return Outcome::Finished;
  }
  resetAttempt();
  return Outcome::Restart;
}

Transfer::Outcome Transfer::postChallenge(PendingChallenge kind) {
  pending_ = kind;
  const URL& requested = plan_.request.url();
  auto current = URL::parse(effectiveURL());
  const URL& url = current ? *current : requested;
  const std::string scheme = url.scheme();
  const int port = url.port().value_or(scheme == "https" ? 443 : 80);
  if (kind == PendingChallenge::Trust) {
    URLProtectionSpace space(url.host(), port, scheme, "", kURLAuthenticationMethodServerTrust);
    space.setServerTrust(ServerTrust{url.host(), port, trustFailure_});
    task_->post(TaskEvent::makeChallenge(
        URLAuthenticationChallenge(std::move(space), std::nullopt, 0, nullptr, trustError_)));
  } else {
    const bool digest = equalsIgnoringCase(challengeScheme_, "Digest");
    URLProtectionSpace space(
        url.host(), port, scheme, challengeRealm_,
        digest ? kURLAuthenticationMethodHTTPDigest : kURLAuthenticationMethodHTTPBasic);
    task_->post(TaskEvent::makeChallenge(URLAuthenticationChallenge(
        std::move(space), std::nullopt, failureCount_, challengeResponse_, std::nullopt)));
  }
  return Outcome::AwaitingChallenge;
}

Transfer::Outcome Transfer::answerChallenge(URLSessionAuthChallengeDisposition disposition,
                                            const std::optional<URLCredential>& credential) {
  const PendingChallenge kind = pending_;
  if (kind == PendingChallenge::None) return Outcome::AwaitingChallenge;  // stale answer
  pending_ = PendingChallenge::None;
  const bool use = disposition == URLSessionAuthChallengeDisposition::UseCredential && credential;
  const bool cancel =
      disposition == URLSessionAuthChallengeDisposition::CancelAuthenticationChallenge;
  if (kind == PendingChallenge::Trust) {
    if (use) {
      trustOverridden_ = true;
      resetAttempt();
      configureAttempt();
      return Outcome::Restart;
    }
    complete(cancel ? makeURLError(URLError::Cancelled, plan_.request.url().absoluteString())
                    : *trustError_);
    return Outcome::Finished;
  }
  if (use && !credential->isServerTrust()) {
    ++failureCount_;
    const bool digest = equalsIgnoringCase(challengeScheme_, "Digest");
    curl_easy_setopt(easy_, CURLOPT_HTTPAUTH, digest ? CURLAUTH_DIGEST : CURLAUTH_BASIC);
    curl_easy_setopt(easy_, CURLOPT_USERNAME, credential->user().c_str());
    curl_easy_setopt(easy_, CURLOPT_PASSWORD, credential->password().c_str());
    resetAttempt();
    return Outcome::Restart;
  }
  if (cancel) {
    complete(makeURLError(URLError::UserCancelledAuthentication, effectiveURL()));
    return Outcome::Finished;
  }
  releaseHeldChallengeResponse();
  return Outcome::Finished;
}

// Without a credential the 401 itself is the answer to the request.
void Transfer::releaseHeldChallengeResponse() {
  holdingChallenge_ = false;
  deliverResponse(challengeResponse_);
  if (!challengeBody_.empty()) task_->post(TaskEvent::makeData(std::move(challengeBody_)));
  complete(std::nullopt);
}

void Transfer::fail(long code, const std::string& detail) {
  complete(makeURLError(code, effectiveURL(), detail));
}

Transfer::Clock::time_point Transfer::idleDeadline() const {
  if (!attached_ || paused_) return Clock::time_point::max();
  return lastActivity_ + plan_.idleTimeout;
}

void Transfer::setAttached(bool attached) {
  attached_ = attached;
  if (attached) touch();
}

void Transfer::setPaused(bool paused) {
  if (paused_ == paused || !easy_) return;
  paused_ = paused;
  curl_easy_pause(easy_, paused ? CURLPAUSE_ALL : CURLPAUSE_CONT);
  if (!paused) touch();
}

std::string Transfer::effectiveURL() const {
  char* url = nullptr;
  if (easy_ && curl_easy_getinfo(easy_, CURLINFO_EFFECTIVE_URL, &url) == CURLE_OK && url) {
    return url;
  }
  return plan_.request.url().absoluteString();
}

Error Transfer::errorFor(CURLcode result) const {
  const TransferErrorCode mapped = urlErrorForTransfer(result, easy_, errorBuffer_);
  return makeURLError(mapped.code, effectiveURL(), mapped.detail);
}

void Transfer::complete(std::optional<Error> error) { task_->completeWith(std::move(error)); }

}  // namespace platform
