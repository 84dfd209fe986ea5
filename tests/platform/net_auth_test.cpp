// Credentials, cookies and trust, on one request and across redirects.
#include <gtest/gtest.h>

#include <string>

#include "platform/foundation/Digest.h"
#include "platform/net/HTTPCookieStorage.h"
#include "platform/net/HTTPHeaderValues.h"
#include "platform/net/HTTPURLResponse.h"
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

// The same loopback server under a second host name: a different origin for the client.
std::string otherHost(const TestHTTPServer& server, const std::string& path) {
  return "http://localhost:" + std::to_string(server.port()) + path;
}

void redirect(TestHTTPServer& server, const std::string& path, int status, std::string to,
              std::vector<std::pair<std::string, std::string>> extra = {}) {
  server.handle(path, [status, to, extra](const RecordedRequest&, Reply& reply) {
    reply.status = status;
    reply.headers = extra;
    reply.headers.emplace_back("Location", to);
  });
}

std::optional<std::string> cookieSentTo(const TestHTTPServer& server, const std::string& path) {
  auto seen = server.lastRequest(path);
  return seen ? seen->header("Cookie") : std::optional<std::string>("(never asked)");
}

class RedirectTest : public SessionTest {
 protected:
  void SetUp() override {
    SessionTest::SetUp();
    // A login-style page: only a request carrying the session cookie gets in.
    redirect(*server_, "/login", 302, "/page", {{"Set-Cookie", "session=abc; Path=/"}});
    server_->handle("/page", [](const RecordedRequest& request, Reply& reply) {
      const bool in =
          request.header("Cookie").value_or("").find("session=abc") != std::string::npos;
      reply.status = in ? 200 : 403;
      reply.body = in ? "welcome" : "who are you";
    });
    server_->handle("/echo", [](const RecordedRequest& request, Reply& reply) {
      reply.body = request.method + " " + request.body;
    });
  }
};

// Requests handle cookies unless told otherwise; sessions set them unless told otherwise.
TEST_F(RedirectTest, ACookieSetByAHopGoesToTheNextHopUnlessCookiesAreOff) {
  session_ = makeSession();
  const TaskLog log = delegate_->log(load(*session_, request("/login")));
  EXPECT_EQ(log.status(), 200);
  EXPECT_EQ(log.body, "welcome");
  ASSERT_EQ(cookies_->cookies().size(), 1u);
  EXPECT_EQ(cookies_->cookies()[0].value(), "abc");

  URLRequest quiet = request("/page");
  quiet.setHTTPShouldHandleCookies(false);
  EXPECT_EQ(delegate_->log(load(*session_, quiet)).status(), 403);
  EXPECT_EQ(cookieSentTo(*server_, "/page"), std::nullopt);
  auto noCookies = makeSession([](auto& c) { c.setHTTPShouldSetCookies(false); });
  EXPECT_EQ(delegate_->log(load(*noCookies, request("/page"))).status(), 403);
}

TEST_F(RedirectTest, EachHopGetsTheCookiesOfItsOwnURLOnlyWhenTheRequestHandlesCookies) {
  const auto home = urlOf(server_->url("/a/x"));
  cookies_->storeCookiesFromResponse({"inner=1; Path=/a", "outer=2; Path=/"}, home);
  redirect(*server_, "/a/start", 302, "/b/next");
  redirect(*server_, "/b/next", 301, otherHost(*server_, "/c/end"));
  server_->serve("/c/end", "end");
  session_ = makeSession();

  EXPECT_EQ(delegate_->log(load(*session_, request("/a/start"))).body, "end");
  EXPECT_EQ(cookieSentTo(*server_, "/a/start"), "inner=1; outer=2");
  EXPECT_EQ(cookieSentTo(*server_, "/b/next"), "outer=2");    // not under /a
  EXPECT_EQ(cookieSentTo(*server_, "/c/end"), std::nullopt);  // another host

  // A request that does not handle cookies sends none on any hop and keeps none.
  cookies_->removeAllCookies();
  URLRequest bare = request("/login");
  bare.setHTTPShouldHandleCookies(false);
  const TaskLog refused = delegate_->log(load(*session_, bare));
  EXPECT_EQ(refused.status(), 403);
  EXPECT_EQ(cookieSentTo(*server_, "/page"), std::nullopt);
  EXPECT_TRUE(cookies_->cookies().empty());
}

TEST_F(RedirectTest, SeeOtherTurnsIntoAGetWhileTemporaryRedirectsRepeatTheBody) {
  redirect(*server_, "/see-other", 303, "/echo");
  redirect(*server_, "/temporary", 307, "/echo");
  redirect(*server_, "/permanent", 308, "/echo");
  session_ = makeSession();
  auto post = [&](const std::string& path) {
    URLRequest request = this->request(path);
    request.setHTTPMethod("POST");
    request.setValue("text/plain", "Content-Type");
    request.setHTTPBody(platform::Data{'h', 'i'});
    return delegate_->log(load(*session_, request)).body;
  };
  EXPECT_EQ(post("/see-other"), "GET ");
  EXPECT_EQ(server_->lastRequest("/echo")->header("Content-Type"), std::nullopt);
  EXPECT_EQ(post("/temporary"), "POST hi");
  EXPECT_EQ(server_->lastRequest("/echo")->header("Content-Type"), "text/plain");
  EXPECT_EQ(post("/permanent"), "POST hi");
}

TEST_F(RedirectTest, CredentialsAndTheCallersCookieStayWithTheirOrigin) {
  redirect(*server_, "/same", 302, "/echo");
  redirect(*server_, "/away", 302, otherHost(*server_, "/echo"));
  session_ = makeSession();
  auto withSecrets = [&](const std::string& path) {
    URLRequest request = this->request(path);
    request.setValue("Bearer s3cret", "Authorization");
    request.setValue("mine=1", "Cookie");
    return request;
  };
  EXPECT_EQ(delegate_->log(load(*session_, withSecrets("/same"))).body, "GET ");
  auto same = server_->lastRequest("/echo");
  EXPECT_EQ(same->header("Authorization"), "Bearer s3cret");
  EXPECT_EQ(same->header("Cookie"), "mine=1");

  EXPECT_EQ(delegate_->log(load(*session_, withSecrets("/away"))).body, "GET ");
  auto away = server_->lastRequest("/echo");
  EXPECT_EQ(away->header("Authorization"), std::nullopt);
  EXPECT_EQ(away->header("Cookie"), std::nullopt);
}

TEST_F(RedirectTest, AnAnsweredChallengesCredentialIsNotOfferedToAnotherHost) {
  // Once the password is in, the page sends the client on to another host.
  server_->handle("/guarded", [this](const RecordedRequest& request, Reply& reply) {
    if (!request.header("Authorization")) {
      reply.status = 401;
      reply.headers = {{"WWW-Authenticate", "Basic realm=\"school\""}};
      return;
    }
    reply.status = 302;
    reply.headers = {{"Location", otherHost(*server_, "/echo")}};
  });
  delegate_->challengeAnswer = [](const platform::URLAuthenticationChallenge&) {
    return RecordingDelegate::Answer{
        RecordingDelegate::Disposition::UseCredential,
        platform::URLCredential("parent", "secret", platform::URLCredentialPersistence::None)};
  };
  session_ = makeSession();
  EXPECT_EQ(delegate_->log(load(*session_, request("/guarded"))).body, "GET ");
  ASSERT_TRUE(server_->lastRequest("/guarded")->header("Authorization"));
  EXPECT_EQ(server_->lastRequest("/echo")->header("Authorization"), std::nullopt);
}

TEST_F(RedirectTest, TrustGrantedToOneServerDoesNotCoverTheNext) {
  auto first = TestHTTPServer::start(/*https=*/true);
  auto second = TestHTTPServer::start(/*https=*/true);
  redirect(*first, "/go", 302, second->url("/landing"));
  second->serve("/landing", "landed");
  delegate_->challengeAnswer = [](const platform::URLAuthenticationChallenge& challenge) {
    return RecordingDelegate::Answer{
        RecordingDelegate::Disposition::UseCredential,
        platform::URLCredential::forTrust(*challenge.protectionSpace().serverTrust())};
  };
  session_ = makeSession();
  const TaskLog log =
      delegate_->log(load(*session_, platform::URLRequest(urlOf(first->url("/go")))));
  EXPECT_EQ(log.body, "landed");
  ASSERT_EQ(log.challenges.size(), 2u);
  EXPECT_EQ(log.challenges[0].protectionSpace().port(), first->port());
  EXPECT_EQ(log.challenges[1].protectionSpace().port(), second->port());
  session_.reset();
}

// A body over the session's maximum ends in an error, not in memory: announced, streamed, or
// the dropped body of a redirect.
TEST_F(RedirectTest, AnOversizedBodyEndsInAnErrorEvenOnAHop) {
  server_->serve("/announced", std::string(5000, 'a'));
  server_->serveChunked("/streamed", std::vector<std::string>(10, std::string(500, 's')));
  server_->serve("/fits", std::string(1000, 'f'));
  redirect(*server_, "/nowhere", 302, "ftp://127.0.0.1/file");
  server_->handle("/heavy", [](const RecordedRequest&, Reply& reply) {
    reply.status = 302;
    reply.headers = {{"Location", "/echo"}};
    reply.body = std::string(5000, 'z');
  });
  session_ = makeSession([](auto& c) { c.setMaximumResponseBodySize(1000); });
  const TaskLog announced = delegate_->log(load(*session_, request("/announced")));
  EXPECT_EQ(announced.errorCode(), URLError::DataLengthExceedsMaximum);
  EXPECT_TRUE(announced.body.empty());
  const TaskLog streamed = delegate_->log(load(*session_, request("/streamed")));
  EXPECT_EQ(streamed.errorCode(), URLError::DataLengthExceedsMaximum);
  EXPECT_LE(streamed.body.size(), 1000u);
  EXPECT_EQ(delegate_->log(load(*session_, request("/fits"))).body.size(), 1000u);

  const TaskLog heavy = delegate_->log(load(*session_, request("/heavy")));
  EXPECT_EQ(heavy.errorCode(), URLError::DataLengthExceedsMaximum);
  EXPECT_TRUE(heavy.responses.empty());
  EXPECT_EQ(server_->requestCount("/echo"), 0u);
  // A Location that leads nowhere loadable leaves the redirect itself as the answer.
  const TaskLog nowhere = delegate_->log(load(*session_, request("/nowhere")));
  EXPECT_EQ(nowhere.status(), 302);
  EXPECT_FALSE(nowhere.completions.back());
}

}  // namespace
}  // namespace nettest
