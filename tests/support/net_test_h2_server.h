#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace nettest {

// A small HTTP/2 server over TLS (ALPN "h2", self-signed for 127.0.0.1) on loopback: enough of the
// protocol to answer every request with one fixed body, and to misbehave on purpose the way real
// servers do, so the client's HTTP/2 handling meets real frames. Stopping is immediate.
class TestHTTP2Server {
 public:
  enum class Behaviour {
    Answer,        // 200 and the body
    Refuse,        // GOAWAY naming no stream as processed, then the connection closes
    ResetMidBody,  // the head and half the body, then RST_STREAM (PROTOCOL_ERROR)
  };

  static std::unique_ptr<TestHTTP2Server> start(std::string body);
  ~TestHTTP2Server();
  TestHTTP2Server(const TestHTTP2Server&) = delete;
  TestHTTP2Server& operator=(const TestHTTP2Server&) = delete;

  // What connection n (from 0, in order of acceptance) does with its requests; connections past
  // the list answer.
  void setConnectionBehaviours(std::vector<Behaviour> behaviours);
  // "https://127.0.0.1:<port><path>"
  std::string url(const std::string& path) const;
  int acceptedConnections() const;
  std::size_t requestCount() const;

 private:
  struct Impl;
  explicit TestHTTP2Server(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

}  // namespace nettest
