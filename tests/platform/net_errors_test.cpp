// Replies no HTTP library would send: they need a server that writes raw bytes.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <any>
#include <thread>

#include "platform/net/URLErrors.h"
#include "tests/platform/net_support.h"

namespace nettest {
namespace {

using platform::URLError::BadServerResponse;

// Accepts one connection, reads the request head, writes `reply` and closes.
class RawReplyServer {
 public:
  explicit RawReplyServer(std::string reply) : reply_(std::move(reply)) {
    listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::listen(listener_, 1) != 0 ||
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
      ADD_FAILURE() << "cannot listen on loopback";
      return;
    }
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { serveOne(); });
  }
  ~RawReplyServer() {
    ::shutdown(listener_, SHUT_RDWR);
    if (thread_.joinable()) thread_.join();
    ::close(listener_);
  }

  std::string url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/x"; }

 private:
  void serveOne() {
    const int connection = ::accept(listener_, nullptr, nullptr);
    if (connection < 0) return;
    std::string head;
    char buffer[4096];
    while (head.find("\r\n\r\n") == std::string::npos) {
      const ssize_t got = ::recv(connection, buffer, sizeof buffer, 0);
      if (got <= 0) break;
      head.append(buffer, static_cast<std::size_t>(got));
    }
    for (std::size_t sent = 0; sent < reply_.size();) {
      const ssize_t wrote =
          ::send(connection, reply_.data() + sent, reply_.size() - sent, MSG_NOSIGNAL);
      if (wrote <= 0) break;  // the client gave up on it, as it should
      sent += static_cast<std::size_t>(wrote);
    }
    ::close(connection);
  }

  std::string reply_;
  int listener_ = -1;
  int port_ = 0;
  std::thread thread_;
};

TEST_F(SessionTest, RepliesThatAreNotHTTPAreBadServerResponses) {
  session_ = makeSession();
  auto outcome = [&](const std::string& reply) {
    RawReplyServer raw(reply);
    return delegate_->log(load(*session_, platform::URLRequest(urlOf(raw.url()))));
  };
  const TaskLog garbage = outcome("GARBAGE NONSENSE\r\n\r\nhello");
  EXPECT_EQ(garbage.errorCode(), BadServerResponse);
  EXPECT_TRUE(garbage.responses.empty());

  const TaskLog huge = outcome("HTTP/1.1 200 OK\r\nX-Big: " + std::string(2 << 20, 'a') +
                               "\r\nContent-Length: 2\r\n\r\nhi");
  EXPECT_EQ(huge.errorCode(), BadServerResponse);
  ASSERT_FALSE(huge.completions.empty());
  ASSERT_TRUE(huge.completions.back());
  const auto& info = huge.completions.back()->userInfo;
  auto detail = info.find(platform::kURLErrorTransportDetailKey);
  ASSERT_NE(detail, info.end());
  EXPECT_EQ(std::any_cast<std::string>(detail->second), "response header too large");
  EXPECT_TRUE(huge.body.empty());

  // A scheme nobody serves is still the URL's fault.
  EXPECT_EQ(
      delegate_->log(load(*session_, platform::URLRequest(urlOf("ftp://127.0.0.1/f")))).errorCode(),
      platform::URLError::UnsupportedURL);
}

}  // namespace
}  // namespace nettest
