#include <gtest/gtest.h>

#include "platform/foundation/Digest.h"
#include "platform/net/HTTPCookieStorage.h"
#include "platform/net/HTTPHeaderValues.h"
#include "platform/net/URLCredential.h"
#include "platform/net/URLErrors.h"
#include "platform/net/URLProtectionSpace.h"
#include "tests/platform/net_support.h"

namespace nettest {
namespace {

using platform::URLCredential;
using platform::URLCredentialPersistence;
using platform::URLRequest;
namespace URLError = platform::URLError;
using Disposition = platform::URLSessionAuthChallengeDisposition;

// Answers the first challenge of a task with a password and gives up on a refused one, as the
// image download operation does.
RecordingDelegate::Answer answerOnce(const platform::URLAuthenticationChallenge& challenge,
                                     const std::string& password) {
  if (challenge.previousFailureCount() == 0) {
    return {Disposition::UseCredential,
            URLCredential("parent", password, URLCredentialPersistence::ForSession)};
  }
  return {Disposition::CancelAuthenticationChallenge, std::nullopt};
}

TEST_F(SessionTest, BasicAuthenticationIsAnsweredOnceWithoutALoop) {
  server_->serveBasicAuth("/private", "parent", "secret", "class photos", "kindergarten");
  session_ = makeSession();

  delegate_->challengeAnswer = [](const auto& challenge) {
    return answerOnce(challenge, "secret");
  };
  const TaskLog accepted = delegate_->log(load(*session_, request("/private")));
  EXPECT_EQ(accepted.errorCode(), 0);
  EXPECT_EQ(accepted.body, "class photos");
  ASSERT_EQ(accepted.challenges.size(), 1u);
  const auto& space = accepted.challenges[0].protectionSpace();
  EXPECT_EQ(space.authenticationMethod(), platform::kURLAuthenticationMethodHTTPBasic);
  EXPECT_EQ(space.realm(), "kindergarten");
  EXPECT_EQ(space.host(), "127.0.0.1");
  EXPECT_EQ(space.port(), server_->port());
  EXPECT_EQ(accepted.order.front(), "challenge");  // the 401 itself is never reported
  EXPECT_EQ(server_->requestCount("/private"), 2u);

  server_->resetCounters();
  delegate_->challengeAnswer = [](const auto& challenge) { return answerOnce(challenge, "wrong"); };
  const TaskLog refused = delegate_->log(load(*session_, request("/private")));
  EXPECT_EQ(refused.errorCode(), URLError::UserCancelledAuthentication);
  ASSERT_EQ(refused.challenges.size(), 2u);
  EXPECT_EQ(refused.challenges[0].previousFailureCount(), 0);
  EXPECT_EQ(refused.challenges[1].previousFailureCount(), 1);
  EXPECT_EQ(server_->requestCount("/private"), 2u);

  // Without a credential the 401 is the answer.
  delegate_->challengeAnswer = nullptr;
  const TaskLog unanswered = delegate_->log(load(*session_, request("/private")));
  EXPECT_EQ(unanswered.errorCode(), 0);
  EXPECT_EQ(unanswered.status(), 401);
  EXPECT_EQ(unanswered.body, "unauthorized");
}

TEST_F(SessionTest, DigestAuthenticationWorksThroughItsExtraRound) {
  // A server checking RFC 7616 (MD5, qop=auth) responses for parent:secret.
  const std::string realm = "nursery";
  const std::string nonce = "dcd98b7102dd2f0e8b11d0f600bfb0c093";
  server_->handle("/digest", [=](const RecordedRequest& request, Reply& reply) {
    const auto authorization = request.header("Authorization");
    auto offered = authorization ? platform::parseWWWAuthenticate(*authorization)
                                 : std::vector<platform::AuthenticationChallengeInfo>{};
    if (!offered.empty() && offered[0].scheme == "Digest") {
      auto& p = offered[0].parameters;
      const std::string ha1 = platform::md5Hex("parent:" + realm + ":secret");
      const std::string ha2 = platform::md5Hex("GET:" + p["uri"]);
      const std::string expected = platform::md5Hex(ha1 + ":" + nonce + ":" + p["nc"] + ":" +
                                                    p["cnonce"] + ":" + p["qop"] + ":" + ha2);
      if (p["username"] == "parent" && p["response"] == expected) {
        reply.body = "digest ok";
        return;
      }
    }
    reply.status = 401;
    reply.headers = {{"WWW-Authenticate",
                      "Digest realm=\"" + realm + "\", qop=\"auth\", nonce=\"" + nonce + "\""}};
    reply.body = "who are you";
  });
  session_ = makeSession();
  delegate_->challengeAnswer = [](const auto& challenge) {
    return answerOnce(challenge, "secret");
  };
  const TaskLog log = delegate_->log(load(*session_, request("/digest")));
  EXPECT_EQ(log.errorCode(), 0);
  EXPECT_EQ(log.body, "digest ok");
  ASSERT_EQ(log.challenges.size(), 1u);
  EXPECT_EQ(log.challenges[0].protectionSpace().authenticationMethod(),
            platform::kURLAuthenticationMethodHTTPDigest);
  EXPECT_EQ(log.challenges[0].protectionSpace().realm(), realm);
  ASSERT_EQ(log.responses.size(), 1u);  // the 401s on the way are never reported
  EXPECT_EQ(log.status(), 200);
  // The refused first request, then libcurl's round (it may skip asking for a nonce again).
  EXPECT_GE(server_->requestCount("/digest"), 2u);
  EXPECT_LE(server_->requestCount("/digest"), 3u);
}

class TLSSessionTest : public SessionTest {
 protected:
  void SetUp() override {
    SessionTest::SetUp();
    server_ = TestHTTPServer::start(/*https=*/true);
    server_->serve("/secure", "over tls");
  }
};

TEST_F(TLSSessionTest, ASelfSignedServerIsRefusedUnlessTrustIsGranted) {
  session_ = makeSession();
  const TaskLog refused = delegate_->log(load(*session_, request("/secure")));
  EXPECT_EQ(refused.errorCode(), URLError::ServerCertificateUntrusted);
  ASSERT_EQ(refused.challenges.size(), 1u);
  const auto& space = refused.challenges[0].protectionSpace();
  EXPECT_EQ(space.authenticationMethod(), platform::kURLAuthenticationMethodServerTrust);
  ASSERT_TRUE(space.serverTrust());
  EXPECT_EQ(space.serverTrust()->host, "127.0.0.1");
  EXPECT_EQ(server_->requestCount(), 0u);

  delegate_->challengeAnswer = [](const platform::URLAuthenticationChallenge& challenge) {
    return RecordingDelegate::Answer{
        Disposition::UseCredential,
        URLCredential::forTrust(*challenge.protectionSpace().serverTrust())};
  };
  const TaskLog trusted = delegate_->log(load(*session_, request("/secure")));
  EXPECT_EQ(trusted.errorCode(), 0);
  EXPECT_EQ(trusted.body, "over tls");

  // A task allowed to skip verification never asks.
  delegate_->challengeAnswer = nullptr;
  auto lenient = session_->dataTaskWithRequest(request("/secure"));
  lenient->setAllowsInvalidCertificates(true);
  lenient->resume();
  ASSERT_TRUE(delegate_->waitForCompletion(lenient));
  EXPECT_EQ(delegate_->log(lenient).body, "over tls");
  EXPECT_TRUE(delegate_->log(lenient).challenges.empty());

  delegate_->challengeAnswer = [](const auto&) {
    return RecordingDelegate::Answer{Disposition::CancelAuthenticationChallenge, std::nullopt};
  };
  EXPECT_EQ(delegate_->log(load(*session_, request("/secure"))).errorCode(), URLError::Cancelled);
}

TEST_F(SessionTest, AnOversizedBodyEndsInAnErrorNotInMemory) {
  server_->serve("/announced", std::string(5000, 'a'));
  server_->serveChunked("/streamed", std::vector<std::string>(10, std::string(500, 's')));
  server_->serve("/fits", std::string(1000, 'f'));
  session_ = makeSession([](auto& c) { c.setMaximumResponseBodySize(1000); });

  const TaskLog announced = delegate_->log(load(*session_, request("/announced")));
  EXPECT_EQ(announced.errorCode(), URLError::DataLengthExceedsMaximum);
  EXPECT_TRUE(announced.body.empty());

  const TaskLog streamed = delegate_->log(load(*session_, request("/streamed")));
  EXPECT_EQ(streamed.errorCode(), URLError::DataLengthExceedsMaximum);
  EXPECT_LE(streamed.body.size(), 1000u);

  EXPECT_EQ(delegate_->log(load(*session_, request("/fits"))).body.size(), 1000u);
}

TEST_F(SessionTest, CookiesTravelOnlyWhenTheRequestHandlesThem) {
  server_->serve("/login", "ok", "text/plain", {{"Set-Cookie", "session=abc123; Path=/"}});
  server_->serve("/album", "photos");
  session_ = makeSession();

  URLRequest ignoring = request("/login");
  ignoring.setHTTPShouldHandleCookies(false);
  load(*session_, ignoring);
  EXPECT_TRUE(cookies_->cookies().empty());

  load(*session_, request("/login"));  // requests handle cookies unless told otherwise
  ASSERT_EQ(cookies_->cookies().size(), 1u);
  EXPECT_EQ(cookies_->cookies()[0].value(), "abc123");

  load(*session_, request("/album"));
  EXPECT_EQ(server_->lastRequest("/album")->header("Cookie"), "session=abc123");
  URLRequest quiet = request("/album");
  quiet.setHTTPShouldHandleCookies(false);
  load(*session_, quiet);
  EXPECT_FALSE(server_->lastRequest("/album")->header("Cookie"));

  auto noCookies = makeSession([](auto& c) { c.setHTTPShouldSetCookies(false); });
  load(*noCookies, request("/album"));
  EXPECT_FALSE(server_->lastRequest("/album")->header("Cookie"));
}

}  // namespace
}  // namespace nettest
