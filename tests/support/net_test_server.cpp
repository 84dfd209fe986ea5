#include "tests/support/net_test_server.h"

#include "tests/support/net_test_certificate.h"

// The packaged library is built with these; its classes must be seen with the same layout.
#ifndef CPPHTTPLIB_OPENSSL_SUPPORT
#define CPPHTTPLIB_OPENSSL_SUPPORT 1
#endif
#ifndef CPPHTTPLIB_ZLIB_SUPPORT
#define CPPHTTPLIB_ZLIB_SUPPORT 1
#endif
#ifndef CPPHTTPLIB_BROTLI_SUPPORT
#define CPPHTTPLIB_BROTLI_SUPPORT 1
#endif
#include <arpa/inet.h>
#include <httplib.h>
#include <netinet/in.h>
#include <openssl/evp.h>
#include <sys/resource.h>
#include <sys/socket.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <condition_variable>
#include <csignal>
#include <filesystem>
#include <list>
#include <mutex>
#include <stdexcept>
#include <thread>

namespace nettest {
namespace {

using Route = std::function<void(const httplib::Request&, httplib::Response&)>;
using Clock = std::chrono::steady_clock;

std::string lowercase(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

int socketPort(int fd, bool peer) {
  sockaddr_storage address{};
  socklen_t length = sizeof address;
  const int rc = peer ? getpeername(fd, reinterpret_cast<sockaddr*>(&address), &length)
                      : getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  if (rc != 0) return -1;
  if (address.ss_family == AF_INET)
    return ntohs(reinterpret_cast<sockaddr_in*>(&address)->sin_port);
  if (address.ss_family == AF_INET6) {
    return ntohs(reinterpret_cast<sockaddr_in6*>(&address)->sin6_port);
  }
  return -1;
}

// The descriptors open in this process (from /proc, else every possible number).
std::vector<int> openDescriptors() {
  std::vector<int> fds;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd", error)) {
    const std::string name = entry.path().filename().string();
    if (!name.empty() && std::all_of(name.begin(), name.end(), ::isdigit)) {
      fds.push_back(std::stoi(name));
    }
  }
  if (!error && !fds.empty()) return fds;
  rlimit limit{};
  getrlimit(RLIMIT_NOFILE, &limit);
  const int maxFd = static_cast<int>(std::min<rlim_t>(limit.rlim_cur, 65536));
  for (int fd = 0; fd < maxFd; ++fd) fds.push_back(fd);
  return fds;
}

// The accepted sockets of a server are the connected ones whose local port is the server's.
// cpp-httplib does not hand them out, so they are found among the process's descriptors.
std::vector<int> acceptedSockets(int serverPort, int peerPort = -1) {
  std::vector<int> found;
  for (int fd : openDescriptors()) {
    if (socketPort(fd, false) != serverPort) continue;
    const int peer = socketPort(fd, true);
    if (peer < 0 || (peerPort >= 0 && peer != peerPort)) continue;
    found.push_back(fd);
  }
  return found;
}

// cpp-httplib listens with a backlog of 5, which drops the SYNs of a burst of connections
// (the client then waits a second to retry); Linux lets the listener be widened in place.
void widenBacklog(int serverPort) {
  for (int fd : openDescriptors()) {
    int listening = 0;
    socklen_t length = sizeof listening;
    if (socketPort(fd, false) != serverPort ||
        getsockopt(fd, SOL_SOCKET, SO_ACCEPTCONN, &listening, &length) != 0 || !listening) {
      continue;
    }
    ::listen(fd, SOMAXCONN);
  }
}

std::string base64(const std::string& text) {
  std::string out(4 * ((text.size() + 2) / 3) + 1, '\0');
  const int n = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(out.data()),
                                reinterpret_cast<const unsigned char*>(text.data()),
                                static_cast<int>(text.size()));
  out.resize(static_cast<std::size_t>(n));
  return out;
}

struct Counters {
  std::atomic<int> open{0};
  std::atomic<int> peak{0};
  std::atomic<int> accepted{0};
};

// One thread per connection, so any number can be open at once and be counted.
class CountingTaskQueue : public httplib::TaskQueue {
 public:
  explicit CountingTaskQueue(Counters& counters) : counters_(counters) {}
  ~CountingTaskQueue() override { shutdown(); }

  void enqueue(std::function<void()> fn) override {
    std::lock_guard lock(mutex_);
    reapLocked();
    counters_.accepted++;
    const int open = ++counters_.open;
    int peak = counters_.peak.load();
    while (open > peak && !counters_.peak.compare_exchange_weak(peak, open)) {
    }
    auto done = std::make_shared<std::atomic<bool>>(false);
    threads_.emplace_back(std::thread([this, fn = std::move(fn), done] {
                            fn();
                            counters_.open--;
                            done->store(true);
                          }),
                          done);
  }

  void shutdown() override {
    std::list<std::pair<std::thread, std::shared_ptr<std::atomic<bool>>>> threads;
    {
      std::lock_guard lock(mutex_);
      threads.swap(threads_);
    }
    for (auto& [thread, done] : threads) thread.join();
  }

 private:
  void reapLocked() {
    for (auto it = threads_.begin(); it != threads_.end();) {
      if (it->second->load()) {
        it->first.join();
        it = threads_.erase(it);
      } else {
        ++it;
      }
    }
  }

  Counters& counters_;
  std::mutex mutex_;
  std::list<std::pair<std::thread, std::shared_ptr<std::atomic<bool>>>> threads_;
};

}  // namespace

std::optional<std::string> RecordedRequest::header(const std::string& name) const {
  const std::string wanted = lowercase(name);
  for (const auto& [key, value] : headers) {
    if (lowercase(key) == wanted) return value;
  }
  return std::nullopt;
}

std::vector<std::string> RecordedRequest::headerNames() const {
  std::vector<std::string> names;
  for (const auto& [key, value] : headers) names.push_back(lowercase(key));
  return names;
}

struct TestHTTPServer::Impl {
  std::unique_ptr<SelfSignedCertificate> tls;
  std::unique_ptr<httplib::Server> server;
  std::thread listener;
  int port = 0;
  Counters counters;

  mutable std::mutex mutex;
  mutable std::condition_variable changed;
  std::map<std::string, Route> routes;
  std::vector<RecordedRequest> recorded;
  std::map<std::string, std::size_t> notModified;
  bool stopping = false;
  std::uint64_t releaseGeneration = 0;

  void dispatch(const httplib::Request& request, httplib::Response& response);
  // Waits until `until`, a release or the stop; false when the server is stopping.
  bool pause(Clock::time_point until);
  bool stall();
  void stop();
};

namespace {

RecordedRequest recordOf(const httplib::Request& request) {
  RecordedRequest record;
  record.method = request.method;
  record.path = request.path;
  record.target = request.target;
  record.body = request.body;
  for (const auto& [name, value] : request.headers) {
    // cpp-httplib files the peer's address among the fields; it was never on the wire.
    if (name == "REMOTE_ADDR" || name == "REMOTE_PORT" || name == "LOCAL_ADDR" ||
        name == "LOCAL_PORT") {
      continue;
    }
    record.headers.emplace_back(name, value);
  }
  return record;
}

}  // namespace

void TestHTTPServer::Impl::dispatch(const httplib::Request& request, httplib::Response& response) {
  RecordedRequest record = recordOf(request);
  Route route;
  {
    std::lock_guard lock(mutex);
    recorded.push_back(record);
    auto it = routes.find(request.path);
    if (it != routes.end()) route = it->second;
  }
  changed.notify_all();
  if (!route) {
    response.status = 404;
    response.set_content("not found", "text/plain");
    return;
  }
  route(request, response);
}

bool TestHTTPServer::Impl::pause(Clock::time_point until) {
  std::unique_lock lock(mutex);
  changed.wait_until(lock, until, [&] { return stopping; });
  return !stopping;
}

bool TestHTTPServer::Impl::stall() {
  std::unique_lock lock(mutex);
  const std::uint64_t generation = releaseGeneration;
  changed.wait(lock, [&] { return stopping || releaseGeneration != generation; });
  return !stopping;
}

void TestHTTPServer::Impl::stop() {
  {
    std::lock_guard lock(mutex);
    stopping = true;
  }
  changed.notify_all();
  server->stop();
  // Idle keep-alive connections would otherwise hold their threads for seconds.
  for (int fd : acceptedSockets(port)) ::shutdown(fd, SHUT_RDWR);
  if (listener.joinable()) listener.join();
}

std::unique_ptr<TestHTTPServer> TestHTTPServer::start(bool https) {
  // A client that hangs up mid-write must not kill the test process.
  std::signal(SIGPIPE, SIG_IGN);
  auto impl = std::make_unique<Impl>();
  if (https) {
    impl->tls = std::make_unique<SelfSignedCertificate>("localhost", "127.0.0.1");
    impl->server = std::make_unique<httplib::SSLServer>(impl->tls->certificate(), impl->tls->key());
  } else {
    impl->server = std::make_unique<httplib::Server>();
  }
  if (!impl->server->is_valid()) throw std::runtime_error("cannot set up the test server");
  Impl* raw = impl.get();
  impl->server->new_task_queue = [raw] { return new CountingTaskQueue(raw->counters); };
  impl->server->set_tcp_nodelay(true);
  impl->server->set_keep_alive_max_count(1000);
  impl->server->set_read_timeout(30);
  impl->server->set_write_timeout(30);
  auto handler = [raw](const httplib::Request& rq, httplib::Response& rs) {
    raw->dispatch(rq, rs);
  };
  impl->server->Get(".*", handler);
  impl->server->Post(".*", handler);
  impl->server->Put(".*", handler);
  impl->server->Delete(".*", handler);
  impl->port = impl->server->bind_to_any_port("127.0.0.1");
  if (impl->port <= 0) throw std::runtime_error("cannot bind the test server");
  widenBacklog(impl->port);
  impl->listener = std::thread([raw] { raw->server->listen_after_bind(); });
  // stop() only acts on a running server, so be sure it is before anyone can stop it.
  const auto deadline = Clock::now() + std::chrono::seconds(10);
  while (!impl->server->is_running() && Clock::now() < deadline) std::this_thread::yield();
  return std::unique_ptr<TestHTTPServer>(new TestHTTPServer(std::move(impl)));
}

TestHTTPServer::TestHTTPServer(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

TestHTTPServer::~TestHTTPServer() { impl_->stop(); }

int TestHTTPServer::port() const { return impl_->port; }
bool TestHTTPServer::isHTTPS() const { return impl_->tls != nullptr; }

std::string TestHTTPServer::url(const std::string& path) const {
  return std::string(isHTTPS() ? "https" : "http") + "://127.0.0.1:" + std::to_string(port()) +
         path;
}

std::string TestHTTPServer::certificatePEM() const { return impl_->tls ? impl_->tls->pem() : ""; }

std::size_t TestHTTPServer::requestCount() const {
  std::lock_guard lock(impl_->mutex);
  return impl_->recorded.size();
}

std::size_t TestHTTPServer::requestCount(const std::string& path) const {
  std::lock_guard lock(impl_->mutex);
  return static_cast<std::size_t>(
      std::count_if(impl_->recorded.begin(), impl_->recorded.end(),
                    [&](const RecordedRequest& r) { return r.path == path; }));
}

std::vector<RecordedRequest> TestHTTPServer::requests() const {
  std::lock_guard lock(impl_->mutex);
  return impl_->recorded;
}

std::optional<RecordedRequest> TestHTTPServer::lastRequest(const std::string& path) const {
  std::lock_guard lock(impl_->mutex);
  for (auto it = impl_->recorded.rbegin(); it != impl_->recorded.rend(); ++it) {
    if (it->path == path) return *it;
  }
  return std::nullopt;
}

int TestHTTPServer::openConnections() const { return impl_->counters.open.load(); }
int TestHTTPServer::peakConnections() const { return impl_->counters.peak.load(); }
int TestHTTPServer::acceptedConnections() const { return impl_->counters.accepted.load(); }

bool TestHTTPServer::waitForRequests(std::size_t count, std::chrono::milliseconds bound) const {
  std::unique_lock lock(impl_->mutex);
  return impl_->changed.wait_for(lock, bound, [&] { return impl_->recorded.size() >= count; });
}

void TestHTTPServer::resetCounters() {
  std::lock_guard lock(impl_->mutex);
  impl_->recorded.clear();
  impl_->notModified.clear();
  impl_->counters.peak = impl_->counters.open.load();
  impl_->counters.accepted = 0;
}

void TestHTTPServer::handle(const std::string& path, Handler handler) {
  Route route = [handler = std::move(handler)](const httplib::Request& request,
                                               httplib::Response& response) {
    Reply reply;
    handler(recordOf(request), reply);
    response.status = reply.status;
    for (const auto& [name, value] : reply.headers) response.set_header(name, value);
    if (!reply.body.empty()) response.set_content(reply.body, reply.contentType);
  };
  std::lock_guard lock(impl_->mutex);
  impl_->routes[path] = std::move(route);
}

void TestHTTPServer::serve(const std::string& path, std::string body, std::string contentType,
                           std::vector<std::pair<std::string, std::string>> headers, int status) {
  Route route = [=](const httplib::Request&, httplib::Response& response) {
    response.status = status;
    for (const auto& [name, value] : headers) response.set_header(name, value);
    response.set_content(body, contentType);
  };
  std::lock_guard lock(impl_->mutex);
  impl_->routes[path] = std::move(route);
}

void TestHTTPServer::serveChunked(const std::string& path, std::vector<std::string> chunks) {
  Route route = [chunks](const httplib::Request&, httplib::Response& response) {
    response.set_chunked_content_provider("application/octet-stream",
                                          [chunks](std::size_t, httplib::DataSink& sink) {
                                            for (const std::string& chunk : chunks) {
                                              if (!sink.write(chunk.data(), chunk.size()))
                                                return false;
                                            }
                                            sink.done();
                                            return true;
                                          });
  };
  std::lock_guard lock(impl_->mutex);
  impl_->routes[path] = std::move(route);
}

void TestHTTPServer::serveUntilClose(const std::string& path, std::string body) {
  Route route = [body](const httplib::Request& request, httplib::Response& response) {
    const int localPort = request.local_port;
    const int remotePort = request.remote_port;
    response.set_header("Connection", "close");
    response.set_content_provider(
        "application/octet-stream",
        [body, localPort, remotePort](std::size_t, httplib::DataSink& sink) {
          sink.write(body.data(), body.size());
          sink.done();
          // cpp-httplib would keep the connection for another request; the end of this body
          // is the end of the stream, so send it now.
          for (int fd : acceptedSockets(localPort, remotePort)) ::shutdown(fd, SHUT_WR);
          return true;
        });
  };
  std::lock_guard lock(impl_->mutex);
  impl_->routes[path] = std::move(route);
}

void TestHTTPServer::serveSlowDrip(const std::string& path, std::vector<std::string> chunks,
                                   std::chrono::milliseconds interval, bool declareLength) {
  Impl* impl = impl_.get();
  Route route = [impl, chunks, interval, declareLength](const httplib::Request&,
                                                        httplib::Response& response) {
    // Each chunk goes out `interval` after the one before; the whole takes far longer.
    auto drip = [impl, chunks, interval](httplib::DataSink& sink) {
      auto next = Clock::now();
      for (const std::string& chunk : chunks) {
        if (!impl->pause(next)) return false;
        if (!sink.write(chunk.data(), chunk.size())) return false;
        next = Clock::now() + interval;
      }
      if (sink.done) sink.done();  // only chunked bodies have an end to mark
      return true;
    };
    if (declareLength) {
      std::size_t total = 0;
      for (const std::string& chunk : chunks) total += chunk.size();
      response.set_content_provider(
          total, "application/octet-stream",
          [drip](std::size_t, std::size_t, httplib::DataSink& sink) { return drip(sink); });
    } else {
      response.set_chunked_content_provider(
          "application/octet-stream",
          [drip](std::size_t, httplib::DataSink& sink) { return drip(sink); });
    }
  };
  std::lock_guard lock(impl_->mutex);
  impl_->routes[path] = std::move(route);
}

void TestHTTPServer::serveStall(const std::string& path, std::string head,
                                std::size_t declaredLength) {
  Impl* impl = impl_.get();
  Route route = [impl, head, declaredLength](const httplib::Request&, httplib::Response& response) {
    response.set_content_provider(
        declaredLength, "application/octet-stream",
        [impl, head](std::size_t offset, std::size_t, httplib::DataSink& sink) {
          if (offset == 0 && !head.empty()) return sink.write(head.data(), head.size());
          impl->stall();
          return false;  // released or stopping: close with the body unfinished
        });
  };
  std::lock_guard lock(impl_->mutex);
  impl_->routes[path] = std::move(route);
}

void TestHTTPServer::releaseStalled() {
  {
    std::lock_guard lock(impl_->mutex);
    ++impl_->releaseGeneration;
  }
  impl_->changed.notify_all();
}

void TestHTTPServer::serveReset(const std::string& path, std::string head,
                                std::size_t declaredLength) {
  Route route = [head, declaredLength](const httplib::Request& request,
                                       httplib::Response& response) {
    const int localPort = request.local_port;
    const int remotePort = request.remote_port;
    response.set_content_provider(
        declaredLength, "application/octet-stream",
        [head, localPort, remotePort](std::size_t, std::size_t, httplib::DataSink& sink) {
          if (!head.empty()) sink.write(head.data(), head.size());
          // A zero linger time turns the close that follows into a reset.
          for (int fd : acceptedSockets(localPort, remotePort)) {
            linger abortive{1, 0};
            setsockopt(fd, SOL_SOCKET, SO_LINGER, &abortive, sizeof abortive);
          }
          return false;
        });
  };
  std::lock_guard lock(impl_->mutex);
  impl_->routes[path] = std::move(route);
}

void TestHTTPServer::serveTruncated(const std::string& path, std::string head,
                                    std::size_t declaredLength) {
  Route route = [head, declaredLength](const httplib::Request&, httplib::Response& response) {
    response.set_content_provider(declaredLength, "application/octet-stream",
                                  [head](std::size_t, std::size_t, httplib::DataSink& sink) {
                                    if (!head.empty()) sink.write(head.data(), head.size());
                                    return false;
                                  });
  };
  std::lock_guard lock(impl_->mutex);
  impl_->routes[path] = std::move(route);
}

void TestHTTPServer::serveValidated(const std::string& path, std::string body,
                                    std::optional<std::string> etag,
                                    std::optional<std::string> lastModified,
                                    std::string cacheControl, std::string contentType) {
  Impl* impl = impl_.get();
  Route route = [=](const httplib::Request& request, httplib::Response& response) {
    const bool etagMatches = etag && request.has_header("If-None-Match") &&
                             request.get_header_value("If-None-Match") == *etag;
    const bool dateMatches = !request.has_header("If-None-Match") && lastModified &&
                             request.has_header("If-Modified-Since") &&
                             request.get_header_value("If-Modified-Since") == *lastModified;
    if (etag) response.set_header("ETag", *etag);
    if (lastModified) response.set_header("Last-Modified", *lastModified);
    if (!cacheControl.empty()) response.set_header("Cache-Control", cacheControl);
    if (etagMatches || dateMatches) {
      {
        std::lock_guard lock(impl->mutex);
        impl->notModified[request.path]++;
      }
      response.status = 304;
      return;
    }
    response.set_content(body, contentType);
  };
  std::lock_guard lock(impl_->mutex);
  impl_->routes[path] = std::move(route);
}

std::size_t TestHTTPServer::notModifiedCount(const std::string& path) const {
  std::lock_guard lock(impl_->mutex);
  auto it = impl_->notModified.find(path);
  return it == impl_->notModified.end() ? 0 : it->second;
}

void TestHTTPServer::serveRedirect(const std::string& path, const std::string& to) {
  Route route = [to](const httplib::Request&, httplib::Response& response) {
    response.set_redirect(to, 302);
  };
  std::lock_guard lock(impl_->mutex);
  impl_->routes[path] = std::move(route);
}

void TestHTTPServer::serveBasicAuth(const std::string& path, std::string user, std::string password,
                                    std::string body, std::string realm) {
  const std::string expected = "Basic " + base64(user + ":" + password);
  Route route = [=](const httplib::Request& request, httplib::Response& response) {
    if (request.get_header_value("Authorization") == expected) {
      response.set_content(body, "text/plain");
      return;
    }
    response.status = 401;
    response.set_header("WWW-Authenticate", "Basic realm=\"" + realm + "\"");
    response.set_content("unauthorized", "text/plain");
  };
  std::lock_guard lock(impl_->mutex);
  impl_->routes[path] = std::move(route);
}

}  // namespace nettest
