#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace nettest {

// One request as the server saw it.
struct RecordedRequest {
  std::string method;
  std::string path;                                          // without the query
  std::string target;                                        // as sent, query included
  std::vector<std::pair<std::string, std::string>> headers;  // by name, case-insensitively sorted
  std::string body;

  std::optional<std::string> header(const std::string& name) const;
  std::vector<std::string> headerNames() const;  // lowercased
};

// What a custom route answers.
struct Reply {
  int status = 200;
  std::vector<std::pair<std::string, std::string>> headers;
  std::string body;
  std::string contentType = "application/octet-stream";
};

// A loopback HTTP (or HTTPS, with a self-signed certificate for 127.0.0.1 and localhost made at
// start) server for tests. It records every request, counts connections (open now, the most open
// at once, and all accepted), and serves the misbehaviours a client must survive. Routes match
// the path exactly; unknown paths answer 404. Thread-safe; stopping is immediate even with
// keep-alive connections open.
class TestHTTPServer {
 public:
  using Handler = std::function<void(const RecordedRequest&, Reply&)>;

  static std::unique_ptr<TestHTTPServer> start(bool https = false);
  ~TestHTTPServer();
  TestHTTPServer(const TestHTTPServer&) = delete;
  TestHTTPServer& operator=(const TestHTTPServer&) = delete;

  int port() const;
  bool isHTTPS() const;
  // "http(s)://127.0.0.1:<port><path>"
  std::string url(const std::string& path) const;
  // The certificate of an HTTPS server, PEM.
  std::string certificatePEM() const;

  // --- what happened
  std::size_t requestCount() const;
  std::size_t requestCount(const std::string& path) const;
  std::vector<RecordedRequest> requests() const;
  std::optional<RecordedRequest> lastRequest(const std::string& path) const;
  int openConnections() const;
  int peakConnections() const;
  int acceptedConnections() const;
  // Blocks until at least `count` requests arrived (true) or `bound` passed (false).
  bool waitForRequests(std::size_t count, std::chrono::milliseconds bound) const;
  void resetCounters();

  // --- routes
  void handle(const std::string& path, Handler handler);
  void serve(const std::string& path, std::string body,
             std::string contentType = "application/octet-stream",
             std::vector<std::pair<std::string, std::string>> headers = {}, int status = 200);
  // Transfer-Encoding: chunked, one chunk per element, no Content-Length.
  void serveChunked(const std::string& path, std::vector<std::string> chunks);
  // No Content-Length and no chunking: the body ends when the server closes the connection.
  void serveUntilClose(const std::string& path, std::string body);
  // Chunks `interval` apart; with `declareLength` a Content-Length is sent up front.
  void serveSlowDrip(const std::string& path, std::vector<std::string> chunks,
                     std::chrono::milliseconds interval, bool declareLength = true);
  // Headers announcing `declaredLength`, then `head` bytes, then nothing until releaseStalled()
  // or the server stops (then the connection is closed).
  void serveStall(const std::string& path, std::string head, std::size_t declaredLength);
  void releaseStalled();
  // Announces `declaredLength`, sends `head`, then resets the connection (RST) or closes it
  // cleanly (FIN) with the rest missing.
  void serveReset(const std::string& path, std::string head, std::size_t declaredLength);
  void serveTruncated(const std::string& path, std::string head, std::size_t declaredLength);
  // Answers 304 to a matching If-None-Match / If-Modified-Since, else 200 with the validators.
  // The body, ETag or Last-Modified may be changed later with the same call.
  void serveValidated(const std::string& path, std::string body, std::optional<std::string> etag,
                      std::optional<std::string> lastModified, std::string cacheControl,
                      std::string contentType = "application/octet-stream");
  std::size_t notModifiedCount(const std::string& path) const;
  // 302 to `to` (a path on this server or an absolute URL).
  void serveRedirect(const std::string& path, const std::string& to);
  // 401 with "WWW-Authenticate: Basic realm=..." unless the request carries these credentials.
  void serveBasicAuth(const std::string& path, std::string user, std::string password,
                      std::string body, std::string realm = "sprout");

 private:
  struct Impl;
  explicit TestHTTPServer(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

}  // namespace nettest
