#include "tests/support/net_test_h2_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <openssl/ssl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdint>
#include <mutex>
#include <set>
#include <stdexcept>
#include <thread>

#include "tests/support/net_test_certificate.h"

namespace nettest {
namespace {

// Frame types and flags of HTTP/2 used here.
constexpr std::uint8_t kData = 0x0, kHeaders = 0x1, kResetStream = 0x3, kSettings = 0x4,
                       kPing = 0x6, kGoaway = 0x7;
constexpr std::uint8_t kEndStream = 0x1, kAck = 0x1, kEndHeaders = 0x4;
// ":status: 200" is entry 8 of HPACK's static table: one byte says it all.
constexpr char kStatus200 = static_cast<char>(0x88);
constexpr std::size_t kPrefaceLength = 24;

int selectH2(SSL*, const unsigned char** out, unsigned char* outLength, const unsigned char* in,
             unsigned int inLength, void*) {
  static const unsigned char kH2[] = {2, 'h', '2'};
  unsigned char* chosen = nullptr;
  if (SSL_select_next_proto(&chosen, outLength, kH2, sizeof kH2, in, inLength) !=
      OPENSSL_NPN_NEGOTIATED) {
    return SSL_TLSEXT_ERR_ALERT_FATAL;
  }
  *out = chosen;
  return SSL_TLSEXT_ERR_OK;
}

bool readExact(SSL* ssl, char* into, std::size_t length) {
  std::size_t done = 0;
  while (done < length) {
    const int n = SSL_read(ssl, into + done, static_cast<int>(length - done));
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

bool sendFrame(SSL* ssl, std::uint8_t type, std::uint8_t flags, std::uint32_t stream,
               const std::string& payload) {
  std::string frame(9, '\0');
  const std::size_t length = payload.size();
  frame[0] = static_cast<char>(length >> 16);
  frame[1] = static_cast<char>(length >> 8);
  frame[2] = static_cast<char>(length);
  frame[3] = static_cast<char>(type);
  frame[4] = static_cast<char>(flags);
  for (int i = 0; i < 4; ++i) frame[5 + i] = static_cast<char>(stream >> (24 - 8 * i));
  frame += payload;
  return SSL_write(ssl, frame.data(), static_cast<int>(frame.size())) ==
         static_cast<int>(frame.size());
}

std::string word(std::uint32_t value) {
  std::string bytes(4, '\0');
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>(value >> (24 - 8 * i));
  return bytes;
}

}  // namespace

struct TestHTTP2Server::Impl {
  ~Impl() { stop(); }
  void stop();
  void acceptLoop();
  void serve(int fd, Behaviour behaviour);
  // False: the connection ends here.
  bool respond(SSL* ssl, std::uint32_t stream, Behaviour behaviour);

  SelfSignedCertificate tls{"localhost", "127.0.0.1"};
  SSL_CTX* context = nullptr;
  std::string body;
  int listener = -1;
  int wake[2] = {-1, -1};
  int port = 0;
  std::thread acceptor;

  std::mutex mutex;
  std::vector<Behaviour> behaviours;
  std::vector<std::thread> connections;
  std::set<int> open;
  bool stopped = false;
  std::atomic<int> accepted{0};
  std::atomic<std::size_t> requests{0};
};

void TestHTTP2Server::Impl::stop() {
  std::vector<std::thread> threads;
  {
    std::lock_guard lock(mutex);
    if (stopped) return;
    stopped = true;
    for (int fd : open) ::shutdown(fd, SHUT_RDWR);
  }
  if (wake[1] >= 0) (void)!::write(wake[1], "x", 1);
  if (acceptor.joinable()) acceptor.join();
  {
    std::lock_guard lock(mutex);
    threads.swap(connections);
  }
  for (std::thread& thread : threads) thread.join();
  for (int fd : {listener, wake[0], wake[1]}) {
    if (fd >= 0) ::close(fd);
  }
  if (context) SSL_CTX_free(context);
}

void TestHTTP2Server::Impl::acceptLoop() {
  for (;;) {
    pollfd fds[2] = {{listener, POLLIN, 0}, {wake[0], POLLIN, 0}};
    if (::poll(fds, 2, -1) < 0 || (fds[1].revents & POLLIN)) return;
    const int fd = ::accept(listener, nullptr, nullptr);
    if (fd < 0) continue;
    std::lock_guard lock(mutex);
    if (stopped) {
      ::close(fd);
      return;
    }
    const auto index = static_cast<std::size_t>(accepted++);
    const Behaviour behaviour = index < behaviours.size() ? behaviours[index] : Behaviour::Answer;
    open.insert(fd);
    connections.emplace_back([this, fd, behaviour] { serve(fd, behaviour); });
  }
}

void TestHTTP2Server::Impl::serve(int fd, Behaviour behaviour) {
  SSL* ssl = SSL_new(context);
  SSL_set_fd(ssl, fd);
  char preface[kPrefaceLength];
  bool alive = SSL_accept(ssl) == 1 && readExact(ssl, preface, sizeof preface) &&
               sendFrame(ssl, kSettings, 0, 0, "");
  while (alive) {
    char head[9];
    if (!readExact(ssl, head, sizeof head)) break;
    auto byte = [&](int i) {
      return static_cast<std::uint32_t>(static_cast<unsigned char>(head[i]));
    };
    const std::size_t length = (byte(0) << 16) | (byte(1) << 8) | byte(2);
    const std::uint8_t type = head[3], flags = head[4];
    const std::uint32_t stream =
        ((byte(5) & 0x7F) << 24) | (byte(6) << 16) | (byte(7) << 8) | byte(8);
    std::string payload(length, '\0');
    if (length > 0 && !readExact(ssl, payload.data(), length)) break;
    if (type == kSettings && !(flags & kAck)) {
      alive = sendFrame(ssl, kSettings, kAck, 0, "");
    } else if (type == kPing && !(flags & kAck)) {
      alive = sendFrame(ssl, kPing, kAck, 0, payload);
    } else if (type == kGoaway) {
      alive = false;
    } else if (type == kHeaders) {
      ++requests;
      alive = respond(ssl, stream, behaviour);
    }
  }
  {
    std::lock_guard lock(mutex);
    open.erase(fd);
  }
  SSL_free(ssl);
  ::close(fd);
}

bool TestHTTP2Server::Impl::respond(SSL* ssl, std::uint32_t stream, Behaviour behaviour) {
  const std::string head(1, kStatus200);
  const std::string half = body.substr(0, body.size() / 2);
  switch (behaviour) {
    case Behaviour::Answer:
      return sendFrame(ssl, kHeaders, kEndHeaders, stream, head) &&
             sendFrame(ssl, kData, kEndStream, stream, body);
    case Behaviour::Refuse: {
      // Last stream processed: none. The request was never seen, so it is safe to send again.
      // Then a lingering close, as servers do, so the GOAWAY is read rather than lost to a reset.
      sendFrame(ssl, kGoaway, 0, 0, word(0) + word(0));
      SSL_shutdown(ssl);
      ::shutdown(SSL_get_fd(ssl), SHUT_WR);
      char sink[512];
      while (SSL_read(ssl, sink, sizeof sink) > 0) {
      }
      return false;
    }
    case Behaviour::ResetMidBody:
      return sendFrame(ssl, kHeaders, kEndHeaders, stream, head) &&
             sendFrame(ssl, kData, 0, stream, half) &&
             sendFrame(ssl, kResetStream, 0, stream, word(1));
  }
  return false;
}

std::unique_ptr<TestHTTP2Server> TestHTTP2Server::start(std::string body) {
  std::signal(SIGPIPE, SIG_IGN);
  auto impl = std::make_unique<Impl>();
  impl->body = std::move(body);
  impl->context = SSL_CTX_new(TLS_server_method());
  if (!impl->context || SSL_CTX_use_certificate(impl->context, impl->tls.certificate()) != 1 ||
      SSL_CTX_use_PrivateKey(impl->context, impl->tls.key()) != 1) {
    throw std::runtime_error("cannot set up TLS for the HTTP/2 test server");
  }
  SSL_CTX_set_alpn_select_cb(impl->context, selectH2, nullptr);
  impl->listener = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof address;
  if (impl->listener < 0 || ::pipe(impl->wake) != 0 ||
      ::bind(impl->listener, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
      ::listen(impl->listener, 64) != 0 ||
      ::getsockname(impl->listener, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
    throw std::runtime_error("cannot bind the HTTP/2 test server");
  }
  impl->port = ntohs(address.sin_port);
  Impl* raw = impl.get();
  impl->acceptor = std::thread([raw] { raw->acceptLoop(); });
  return std::unique_ptr<TestHTTP2Server>(new TestHTTP2Server(std::move(impl)));
}

TestHTTP2Server::TestHTTP2Server(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
TestHTTP2Server::~TestHTTP2Server() = default;

void TestHTTP2Server::setConnectionBehaviours(std::vector<Behaviour> behaviours) {
  std::lock_guard lock(impl_->mutex);
  impl_->behaviours = std::move(behaviours);
}

std::string TestHTTP2Server::url(const std::string& path) const {
  return "https://127.0.0.1:" + std::to_string(impl_->port) + path;
}

int TestHTTP2Server::acceptedConnections() const { return impl_->accepted.load(); }

std::size_t TestHTTP2Server::requestCount() const { return impl_->requests.load(); }

}  // namespace nettest
