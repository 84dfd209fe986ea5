#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/net/URLErrors.h"
#include "tests/platform/net_support.h"
#include "tests/support/net_test_h2_server.h"

namespace nettest {
namespace {

namespace URLError = platform::URLError;
using Behaviour = TestHTTP2Server::Behaviour;

class HTTP2Test : public SessionTest {
 protected:
  void SetUp() override {
    SessionTest::SetUp();
    h2_ = TestHTTP2Server::start(std::string(2000, 'h'));
    session_ = makeSession();
  }
  void TearDown() override { session_.reset(); }

  std::shared_ptr<platform::URLSessionDataTask> startLoad(const std::string& path) {
    auto task = session_->dataTaskWithRequest(platform::URLRequest(urlOf(h2_->url(path))));
    task->setAllowsInvalidCertificates(true);  // the server's certificate is made at test time
    task->resume();
    return task;
  }

  std::unique_ptr<TestHTTP2Server> h2_;
};

TEST_F(HTTP2Test, ConcurrentLoadsShareOneConnection) {
  std::vector<std::shared_ptr<platform::URLSessionDataTask>> tasks;
  for (int i = 0; i < 6; ++i) tasks.push_back(startLoad("/many/" + std::to_string(i)));
  for (const auto& task : tasks) {
    ASSERT_TRUE(delegate_->waitForCompletion(task));
    const TaskLog log = delegate_->log(task);
    EXPECT_EQ(log.errorCode(), 0);
    EXPECT_EQ(log.body.size(), 2000u);
  }
  EXPECT_EQ(h2_->requestCount(), 6u);
  EXPECT_EQ(h2_->acceptedConnections(), 1);
}

TEST_F(HTTP2Test, LoadsToAnHTTP1ServerOverTLSStillRunSideBySide) {
  // Waiting for a shared connection must end once the server turns out to speak HTTP/1.1 only,
  // not when the first load ends.
  auto https = TestHTTPServer::start(/*https=*/true);
  https->serveStall("/hang", "x", 100);
  std::vector<std::shared_ptr<platform::URLSessionDataTask>> tasks;
  for (int i = 0; i < 3; ++i) {
    tasks.push_back(
        session_->dataTaskWithRequest(platform::URLRequest(urlOf(https->url("/hang")))));
    tasks.back()->setAllowsInvalidCertificates(true);
    tasks.back()->resume();
  }
  EXPECT_TRUE(https->waitForRequests(3, std::chrono::seconds(20)));
  EXPECT_EQ(https->peakConnections(), 3);
  for (const auto& task : tasks) task->cancel();
  EXPECT_TRUE(delegate_->waitForCompletions(3));
}

TEST_F(HTTP2Test, ARequestRefusedByGoawayIsSentOnceMoreOnANewConnection) {
  h2_->setConnectionBehaviours({Behaviour::Refuse});
  auto task = startLoad("/refused-once");
  ASSERT_TRUE(delegate_->waitForCompletion(task));
  const TaskLog log = delegate_->log(task);
  EXPECT_EQ(log.errorCode(), 0);
  EXPECT_EQ(log.status(), 200);
  EXPECT_EQ(log.body.size(), 2000u);
  EXPECT_EQ(h2_->acceptedConnections(), 2);
}

TEST_F(HTTP2Test, ARequestIsSentAgainOnlyOnce) {
  // A server that keeps refusing is a lost connection (libcurl's "framing layer" error), not a
  // loop.
  h2_->setConnectionBehaviours({Behaviour::Refuse, Behaviour::Refuse, Behaviour::Refuse});
  auto refused = startLoad("/refused-always");
  ASSERT_TRUE(delegate_->waitForCompletion(refused));
  EXPECT_EQ(delegate_->log(refused).errorCode(), URLError::NetworkConnectionLost);
  EXPECT_EQ(h2_->acceptedConnections(), 2);
}

TEST_F(HTTP2Test, AStreamResetMidBodyIsALostConnection) {
  h2_->setConnectionBehaviours({Behaviour::ResetMidBody});
  auto reset = startLoad("/reset");
  ASSERT_TRUE(delegate_->waitForCompletion(reset));
  EXPECT_EQ(delegate_->log(reset).errorCode(), URLError::NetworkConnectionLost);
  EXPECT_EQ(delegate_->log(reset).status(), 200);

  // Bytes of the body had arrived: nothing is sent again.
  EXPECT_EQ(h2_->requestCount(), 1u);
}

}  // namespace
}  // namespace nettest
