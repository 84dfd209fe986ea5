// The URL cache's rules as a client sees them: each group of cases is played against a loopback
// origin that answers from a script, and what is checked is what the origin sees (how many
// requests, with which conditional fields) and what the caller is handed.
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>

#include "platform/dispatch/ScopedVirtualClock.h"
#include "platform/foundation/Digest.h"
#include "platform/foundation/FileManager.h"
#include "platform/net/HTTPHeaderValues.h"
#include "platform/net/URLCacheEntryCodec.h"
#include "platform/net/URLErrors.h"
#include "tests/platform/net_support.h"

namespace nettest {
namespace {

using platform::HTTPHeaderFields;
using platform::HTTPURLResponse;
using platform::TimeInterval;
using platform::URLRequest;
using Fields = std::vector<std::pair<std::string, std::string>>;

constexpr TimeInterval kStart = 1'800'000'000.0;

class HTTPCacheRulesTest : public SessionTest {
 protected:
  void SetUp() override {
    SessionTest::SetUp();
    session_ = makeSession();
  }

  // An HTTP date `offset` seconds from the start of the test's clock.
  static std::string date(TimeInterval offset) { return platform::formatHTTPDate(kStart + offset); }

  static Reply reply(int status, Fields headers, std::string body = "") {
    Reply r;
    r.status = status;
    r.headers = std::move(headers);
    r.body = std::move(body);
    r.contentType = "application/octet-stream";  // the test server compresses text
    return r;
  }

  // The path answers with `replies` in turn, the last one again once they run out.
  void script(const std::string& path, std::vector<Reply> replies) {
    auto count = std::make_shared<std::atomic<std::size_t>>(0);
    server_->handle(path, [replies, count](const RecordedRequest&, Reply& out) {
      out = replies[std::min(count->fetch_add(1), replies.size() - 1)];
    });
  }

  TaskLog fetch(const std::string& path, const Fields& fields = {},
                const std::string& method = "GET") {
    URLRequest r = request(path);
    r.setHTTPMethod(method);
    if (method == "POST" || method == "PUT") r.setHTTPBody(platform::Data{'x'});
    for (const auto& [name, value] : fields) r.setValue(value, name);
    return delegate_->log(load(*session_, r));
  }

  std::optional<std::string> field(const TaskLog& log, const std::string& name) const {
    if (log.responses.empty()) return std::nullopt;
    auto http = std::dynamic_pointer_cast<const HTTPURLResponse>(log.responses.back());
    return http ? http->valueForHTTPHeaderField(name) : std::nullopt;
  }

  void advance(TimeInterval seconds) { clock_.clock().advance(seconds); }

  platform::ScopedVirtualClock clock_{kStart};
};

// Which final responses are kept and reused: explicit freshness for any status, heuristic
// freshness only for the statuses that allow it, must-understand, and never a stale one.
TEST_F(HTTPCacheRulesTest, EveryCacheableStatusIsStoredAndReusedWhileFresh) {
  struct Case {
    int status;
    Fields headers;
    TimeInterval wait;
    bool reused;
  };
  const Fields hour = {{"Cache-Control", "max-age=3600"}};
  const Fields heuristic = {{"Date", date(0)}, {"Last-Modified", date(-100000)}};
  const std::vector<Case> cases = {
      {200, hour, 10, true},
      {203, hour, 10, true},
      {204, hour, 10, true},
      {299, hour, 10, true},  // unknown, but explicitly fresh
      {300, hour, 10, true},
      {301, hour, 10, true},
      {302, hour, 10, true},
      {303, hour, 10, true},
      {307, hour, 10, true},
      {308, hour, 10, true},
      {404, hour, 10, true},
      {410, hour, 10, true},
      {500, hour, 10, true},
      {200, {{"Expires", date(3600)}, {"Date", date(0)}}, 10, true},
      {200, heuristic, 10, true},
      {204, heuristic, 10, true},
      {404, heuristic, 10, true},
      {405, heuristic, 10, true},
      {410, heuristic, 10, true},
      {414, heuristic, 10, true},
      {501, heuristic, 10, true},
      {200, heuristic, 20000, false},  // a tenth of 100000 s has run out
      {302, heuristic, 10, false},     // no heuristics for a temporary answer
      {299, heuristic, 10, false},
      {500, heuristic, 10, false},
      {299, {{"Cache-Control", "max-age=3600, no-store, must-understand"}}, 10, false},
      {200, {{"Cache-Control", "max-age=3600, no-store, must-understand"}}, 10, true},
      {200, {{"Cache-Control", "max-age=3600, no-store"}}, 10, false},
      {200, {{"Cache-Control", "max-age=3600"}, {"Content-Range", "bytes 0-3/4"}}, 10, true},
      {200, {{"Cache-Control", "max-age=5"}}, 10, false},
      {404, {{"Cache-Control", "max-age=5"}}, 10, false},
      {301, {{"Cache-Control", "max-age=5"}}, 10, false},
  };
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const Case& c = cases[i];
    const std::string path = "/status/" + std::to_string(i);
    const std::string body = c.status == 204 ? "" : "body";
    script(path, {reply(c.status, c.headers, body)});
    fetch(path);
    advance(c.wait);
    const TaskLog second = fetch(path);
    EXPECT_EQ(server_->requestCount(path), c.reused ? 1u : 2u) << "case " << i;
    EXPECT_EQ(second.status(), c.status) << "case " << i;
    EXPECT_EQ(second.body, body) << "case " << i;
    EXPECT_EQ(second.errorCode(), 0) << "case " << i;
  }
}

// Vary on any field: variants side by side, matched after normalising, never for "*".
TEST_F(HTTPCacheRulesTest, VaryKeepsOneVariantPerSelectingRequest) {
  struct Case {
    std::vector<Reply> vary;                        // the header lines of Vary, as separate fields
    std::vector<std::pair<Fields, bool>> requests;  // request fields, whether the server sees it
  };
  auto varying = [](Fields vary) {
    vary.emplace_back("Cache-Control", "max-age=3600");
    return std::vector<Reply>{reply(200, vary, "variant")};
  };
  const Fields de = {{"Accept-Language", "de"}};
  const Fields fr = {{"Accept-Language", "fr"}};
  const std::vector<Case> cases = {
      {varying({{"Vary", "Accept-Language"}}),
       {{de, true}, {de, false}, {fr, true}, {de, false}, {fr, false}, {{}, true}, {{}, false}}},
      {varying({{"Vary", "accept-language"}}),
       {{{{"Accept-Language", "de,  en"}}, true}, {{{"Accept-Language", "de , en"}}, false}}},
      {varying({{"Vary", "X-One, X-Two"}}),
       {{{{"X-One", "1"}, {"X-Two", "2"}}, true},
        {{{"X-Two", "2"}, {"X-One", "1"}}, false},
        {{{"X-One", "1"}}, true},
        {{{"X-One", "1"}, {"X-Two", "2"}}, false}}},
      {varying({{"Vary", "X-Two, X-One"}}),
       {{{{"X-One", "1"}, {"X-Two", "2"}}, true}, {{{"X-One", "1"}, {"X-Two", "2"}}, false}}},
      {varying({{"Vary", ", X-One,,"}}), {{{{"X-One", "1"}}, true}, {{{"X-One", "1"}}, false}}},
      {varying({{"Vary", "*"}}), {{{}, true}, {{}, true}}},
      {varying({{"Vary", "X-One, *"}}), {{{{"X-One", "1"}}, true}, {{{"X-One", "1"}}, true}}},
      {varying({{"Vary", "X-One"}, {"Vary", "*"}}),
       {{{{"X-One", "1"}}, true}, {{{"X-One", "1"}}, true}}},
  };
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const std::string path = "/vary/" + std::to_string(i);
    script(path, cases[i].vary);
    std::size_t expected = 0;
    for (std::size_t step = 0; step < cases[i].requests.size(); ++step) {
      const auto& [fields, reaches] = cases[i].requests[step];
      const TaskLog log = fetch(path, fields);
      expected += reaches ? 1 : 0;
      EXPECT_EQ(server_->requestCount(path), expected) << "case " << i << " step " << step;
      EXPECT_EQ(log.body, "variant") << "case " << i << " step " << step;
    }
  }
}

TEST_F(HTTPCacheRulesTest, ValidationOffersTheETagsOfEveryStoredVariant) {
  const std::string path = "/variants";
  server_->handle(path, [](const RecordedRequest& request, Reply& out) {
    const std::string language = request.header("Accept-Language").value_or("");
    out = reply(200,
                {{"Vary", "Accept-Language"},
                 {"Cache-Control", "max-age=60"},
                 {"ETag", "\"" + language + "\""}},
                "in " + language);
    if (request.header("If-None-Match")) out = reply(304, {{"ETag", "\"fr\""}});
  });
  fetch(path, {{"Accept-Language", "de"}});
  fetch(path, {{"Accept-Language", "fr"}});
  advance(120);
  const TaskLog validated = fetch(path, {{"Accept-Language", "fr"}});
  ASSERT_EQ(server_->requestCount(path), 3u);
  const std::string sent = server_->lastRequest(path)->header("If-None-Match").value_or("");
  EXPECT_NE(sent.find("\"de\""), std::string::npos) << sent;
  EXPECT_NE(sent.find("\"fr\""), std::string::npos) << sent;
  EXPECT_EQ(validated.body, "in fr");
  EXPECT_EQ(validated.status(), 200);
}

// The cookies a request will carry select a variant like any field the caller set.
TEST_F(HTTPCacheRulesTest, VaryOnCookieSeesTheCookiesOfTheMoment) {
  script("/signin", {reply(200, {{"Set-Cookie", "session=42; Path=/"}}, "in")});
  script("/page", {reply(200, {{"Vary", "Cookie"}, {"Cache-Control", "max-age=3600"}}, "page")});
  fetch("/page");
  fetch("/page");
  EXPECT_EQ(server_->requestCount("/page"), 1u);
  fetch("/signin");
  fetch("/page");
  EXPECT_EQ(server_->requestCount("/page"), 2u);
  EXPECT_EQ(server_->lastRequest("/page")->header("Cookie"), "session=42");
  fetch("/page");
  EXPECT_EQ(server_->requestCount("/page"), 2u);
}

// A non-error answer to an unsafe method empties the stored responses of its URL and of the
// same-origin URLs its Location and Content-Location name.
TEST_F(HTTPCacheRulesTest, UnsafeMethodsInvalidateTheirURLs) {
  struct Case {
    std::string method;
    Reply answer;
    std::vector<std::pair<std::string, bool>> emptied;  // stored path, whether it is emptied
  };
  const std::string other = "http://localhost:" + std::to_string(server_->port());
  const std::vector<Case> cases = {
      {"POST", reply(200, {}, "ok"), {{"/target", true}, {"/a", false}}},
      {"PUT", reply(204, {}), {{"/target", true}}},
      {"DELETE", reply(200, {}, "gone"), {{"/target", true}}},
      {"POST", reply(500, {}, "failed"), {{"/target", false}}},
      {"POST", reply(404, {}, "missing"), {{"/target", false}}},
      {"POST",
       reply(201, {{"Location", "/a"}, {"Content-Location", "/b"}}, "made"),
       {{"/target", true}, {"/a", true}, {"/b", true}, {"/c", false}}},
      {"POST",
       reply(201, {{"Location", other + "/a"}}, "made"),
       {{"/target", true}, {"/a", false}}},
      {"POST", reply(303, {{"Location", "/a"}}), {{"/target", true}, {"/a", true}}},
  };
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const std::string base = "/inv" + std::to_string(i);
    for (const auto& [path, emptied] : cases[i].emptied) {
      script(base + path, {reply(200, {{"Cache-Control", "max-age=3600"}}, "stored")});
      fetch(base + path);
    }
    Reply answer = cases[i].answer;
    for (auto& [name, value] : answer.headers) {
      if (value.rfind('/', 0) == 0) value = base + value;
      if (value.rfind(other, 0) == 0) value = other + base + value.substr(other.size());
    }
    server_->handle(base + "/target", [answer](const RecordedRequest& request, Reply& out) {
      out = request.method == "GET" ? reply(200, {{"Cache-Control", "max-age=3600"}}, "stored")
                                    : answer;
    });
    fetch(base + "/target", {}, cases[i].method);
    for (const auto& [path, emptied] : cases[i].emptied) {
      const std::size_t before = server_->requestCount(base + path);
      EXPECT_EQ(fetch(base + path).body, "stored");
      EXPECT_EQ(server_->requestCount(base + path), before + (emptied ? 1 : 0))
          << "case " << i << " " << path;
    }
  }
}

// Age is the first member of a list, ignored when unreadable, capped rather than wrapped;
// an Expires that is no valid date means already expired; Date counts toward the age.
TEST_F(HTTPCacheRulesTest, AgeExpiresAndDateDecideFreshness) {
  struct Case {
    Fields headers;
    bool reused;
  };
  const std::vector<Case> cases = {
      {{{"Cache-Control", "max-age=3600"}, {"Age", "7200, 0"}}, false},
      {{{"Cache-Control", "max-age=3600"}, {"Age", "0, 7200"}}, true},
      {{{"Cache-Control", "max-age=3600"}, {"Age", "7200"}, {"Age", "0"}}, false},
      {{{"Cache-Control", "max-age=3600"}, {"Age", "1800"}}, true},
      {{{"Cache-Control", "max-age=3600"}, {"Age", "abc"}}, true},
      {{{"Cache-Control", "max-age=3600"}, {"Age", "-7200"}}, true},
      {{{"Cache-Control", "max-age=3600"}, {"Age", "7200.5"}}, true},
      {{{"Cache-Control", "max-age=3600"}, {"Age", "2147483647"}}, false},
      {{{"Cache-Control", "max-age=3600"}, {"Age", "2147483648"}}, false},
      {{{"Cache-Control", "max-age=2147483648"}, {"Age", "99999999999999999999"}}, false},
      {{{"Expires", date(3600)}, {"Date", date(0)}}, true},
      {{{"Expires", "Fri, 15 Jan 27 09:00:00 GMT"}}, false},  // two-digit year, fixed form
      {{{"Expires", "0"}}, false},
      {{{"Expires", "-1"}}, false},
      {{{"Expires", "tomorrow"}}, false},
      {{{"Expires", "Friday, 15-Jan-27 09:00:00 GMT"}, {"Date", date(0)}}, true},
      {{{"Cache-Control", "max-age=3600"}, {"Date", date(-7200)}}, false},
      {{{"Cache-Control", "max-age=3600"}, {"Date", date(-600)}}, true},
      {{{"Cache-Control", "max-age=3600"}, {"Expires", "0"}}, true},  // max-age wins
  };
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const std::string path = "/age/" + std::to_string(i);
    script(path, {reply(200, cases[i].headers, "body")});
    fetch(path);
    advance(1);
    EXPECT_EQ(fetch(path).body, "body");
    EXPECT_EQ(server_->requestCount(path), cases[i].reused ? 1u : 2u) << "case " << i;
  }
}

// What a request asks of the cache: a check (no-cache, max-age), a margin (min-fresh), a stale
// answer (max-stale, never past must-revalidate) or no load at all (only-if-cached).
TEST_F(HTTPCacheRulesTest, RequestDirectivesBendFreshness) {
  struct Case {
    std::string stored;  // the response's Cache-Control
    TimeInterval wait;
    Fields request;
    bool reaches;
    long error;
  };
  const std::string plain = "max-age=100";
  const std::vector<Case> cases = {
      {plain, 50, {}, false, 0},
      {plain, 50, {{"Cache-Control", "no-cache"}}, true, 0},
      {plain, 50, {{"Pragma", "no-cache"}}, true, 0},
      {plain, 50, {{"Cache-Control", "max-age=10"}}, true, 0},
      {plain, 50, {{"Cache-Control", "max-age=100"}}, false, 0},
      {plain, 50, {{"Cache-Control", "min-fresh=60"}}, true, 0},
      {plain, 50, {{"Cache-Control", "min-fresh=10"}}, false, 0},
      {plain, 150, {{"Cache-Control", "max-stale=100"}}, false, 0},
      {plain, 150, {{"Cache-Control", "max-stale"}}, false, 0},
      {plain, 150, {{"Cache-Control", "max-stale=10"}}, true, 0},
      {plain + ", must-revalidate", 150, {{"Cache-Control", "max-stale"}}, true, 0},
      {plain, 50, {{"Cache-Control", "only-if-cached"}}, false, 0},
      {plain,
       150,
       {{"Cache-Control", "only-if-cached"}},
       false,
       platform::URLError::ResourceUnavailable},
  };
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const Case& c = cases[i];
    const std::string path = "/asks/" + std::to_string(i);
    script(path, {reply(200, {{"Cache-Control", c.stored}, {"ETag", "\"e\""}}, "body")});
    fetch(path);
    advance(c.wait);
    const TaskLog log = fetch(path, c.request);
    EXPECT_EQ(server_->requestCount(path), c.reaches ? 2u : 1u) << "case " << i;
    EXPECT_EQ(log.errorCode(), c.error) << "case " << i;
    if (c.reaches) {
      EXPECT_EQ(server_->lastRequest(path)->header("If-None-Match"), "\"e\"") << "case " << i;
    }
  }
}

// A coding nothing here decodes arrives as it was sent, with its field, from the server and
// from the cache alike; hop-by-hop fields are not kept with the stored response.
TEST_F(HTTPCacheRulesTest, UnknownCodingsPassAndHopByHopFieldsStayBehind) {
  const std::string coded = std::string("\x1f\x8b-not-really", 14);
  script("/coded", {reply(200,
                          {{"Content-Encoding", "x-private-coding"},
                           {"Cache-Control", "max-age=3600"},
                           {"Connection", "X-Hop"},
                           {"X-Hop", "1"},
                           {"Trailer", "X-Sum"},
                           {"Upgrade", "h9"},
                           {"X-End", "kept"}},
                          coded)});
  const TaskLog first = fetch("/coded");
  EXPECT_EQ(first.errorCode(), 0);
  EXPECT_EQ(first.body, coded);
  EXPECT_EQ(field(first, "Content-Encoding"), "x-private-coding");
  const TaskLog cached = fetch("/coded");
  EXPECT_EQ(server_->requestCount("/coded"), 1u);
  EXPECT_EQ(cached.body, coded);
  EXPECT_EQ(field(cached, "Content-Encoding"), "x-private-coding");
  EXPECT_EQ(field(cached, "X-End"), "kept");
  for (const char* hop : {"Connection", "Keep-Alive", "X-Hop", "Trailer", "Upgrade"}) {
    EXPECT_FALSE(field(cached, hop)) << hop;
  }
}

// stale-while-revalidate answers at once and validates once in the background; stale-if-error
// stands in for a failing origin; neither where must-revalidate or no-cache forbid it.
TEST_F(HTTPCacheRulesTest, StaleContentWithinItsWindows) {
  struct Case {
    std::string cacheControl;
    TimeInterval wait;
    int secondStatus;
    std::string expectedBody;
  };
  const std::vector<Case> cases = {
      {"max-age=1, stale-while-revalidate=60", 10, 200, "old"},
      {"max-age=1, stale-while-revalidate=60", 100, 200, "new"},
      {"max-age=1, stale-while-revalidate=60, must-revalidate", 10, 200, "new"},
      {"max-age=1, stale-while-revalidate=60, no-cache", 10, 200, "new"},
      {"max-age=1, stale-if-error=60", 10, 503, "old"},
      {"max-age=1, stale-if-error=60", 10, 500, "old"},
      {"max-age=1, stale-if-error=60", 100, 503, "failed"},
      {"max-age=1, stale-if-error=60, must-revalidate", 10, 503, "failed"},
      {"max-age=1, stale-if-error=60, no-cache", 10, 503, "failed"},
      {"max-age=1", 10, 503, "failed"},
  };
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const Case& c = cases[i];
    const std::string path = "/stale/" + std::to_string(i);
    script(path, {reply(200, {{"Cache-Control", c.cacheControl}, {"ETag", "\"old\""}}, "old"),
                  reply(c.secondStatus, {{"Cache-Control", "max-age=600"}, {"ETag", "\"new\""}},
                        c.secondStatus == 200 ? "new" : "failed")});
    fetch(path);
    advance(c.wait);
    const TaskLog second = fetch(path);
    EXPECT_EQ(second.body, c.expectedBody) << "case " << i;
    EXPECT_EQ(second.status(), c.expectedBody == "failed" ? c.secondStatus : 200) << "case " << i;
    // The background validation (or the foreground load) reaches the server, with the validator.
    EXPECT_TRUE(server_->waitForRequests(2 * (i + 1), std::chrono::seconds(20))) << "case " << i;
    EXPECT_EQ(server_->lastRequest(path)->header("If-None-Match"), "\"old\"") << "case " << i;
  }
}

TEST_F(HTTPCacheRulesTest, StaleWhileRevalidateValidatesOnceAndRefreshes) {
  std::mutex mutex;
  std::condition_variable released;
  bool release = false;
  server_->handle("/swr", [&](const RecordedRequest& request, Reply& out) {
    if (request.header("If-None-Match")) {
      // Held until the test has seen the stale answers: they must not wait for it.
      std::unique_lock lock(mutex);
      released.wait_for(lock, std::chrono::seconds(20), [&] { return release; });
      out = reply(200, {{"ETag", "\"w\""}, {"Cache-Control", "max-age=600"}}, "fresh");
      return;
    }
    out = reply(200, {{"Cache-Control", "max-age=1, stale-while-revalidate=60"}, {"ETag", "\"v\""}},
                "stale");
  });
  fetch("/swr");
  advance(10);
  EXPECT_EQ(fetch("/swr").body, "stale");
  EXPECT_EQ(fetch("/swr").body, "stale");
  ASSERT_TRUE(server_->waitForRequests(2, std::chrono::seconds(20)));
  EXPECT_EQ(server_->lastRequest("/swr")->header("If-None-Match"), "\"v\"");
  {
    std::lock_guard lock(mutex);
    release = true;
  }
  released.notify_all();
  // Until the validation has landed the stale answer stands; after it, the fresh one. Either
  // way nobody asks the server again.
  std::string body = "stale";
  for (int tries = 0; body == "stale" && tries < 5000; ++tries) body = fetch("/swr").body;
  EXPECT_EQ(body, "fresh");
  EXPECT_EQ(server_->requestCount("/swr"), 2u);
}

TEST_F(HTTPCacheRulesTest, StaleIfErrorStandsInForAnUnreachableOrigin) {
  for (const bool allowed : {true, false}) {
    auto origin = TestHTTPServer::start();
    const std::string path = allowed ? "/sie" : "/plain";
    origin->serve(path, "kept", "text/plain",
                  {{"Cache-Control", allowed ? "max-age=1, stale-if-error=600" : "max-age=1"}});
    const URLRequest load1(urlOf(origin->url(path)));
    ASSERT_EQ(delegate_->log(load(*session_, load1)).body, "kept");
    origin.reset();  // nobody listens there any more
    advance(10);
    const TaskLog offline = delegate_->log(load(*session_, load1));
    if (allowed) {
      EXPECT_EQ(offline.errorCode(), 0);
      EXPECT_EQ(offline.body, "kept");
    } else {
      EXPECT_EQ(offline.errorCode(), platform::URLError::CannotConnectToHost);  // -1004
    }
  }
}

// Ranges from a stored complete response; a stored partial response never answers.
TEST_F(HTTPCacheRulesTest, RangesAreCutFromAStoredCompleteResponse) {
  script("/whole",
         {reply(200, {{"Cache-Control", "max-age=3600"}, {"ETag", "\"w\""}}, "0123456789")});
  fetch("/whole");
  struct Case {
    std::string range;
    std::string body;
    std::string contentRange;  // "" for a whole 200
  };
  const std::vector<Case> cases = {
      {"bytes=2-5", "2345", "bytes 2-5/10"}, {"bytes=7-", "789", "bytes 7-9/10"},
      {"bytes=-3", "789", "bytes 7-9/10"},   {"bytes=8-100", "89", "bytes 8-9/10"},
      {"bytes=0-1,4-5", "0123456789", ""},  // several ranges, or none it can meet: the whole,
      {"bytes=20-30", "0123456789", ""},    // as HTTP allows
  };
  for (const Case& c : cases) {
    const TaskLog log = fetch("/whole", {{"Range", c.range}});
    EXPECT_EQ(server_->requestCount("/whole"), 1u) << c.range;
    EXPECT_EQ(log.body, c.body) << c.range;
    EXPECT_EQ(log.status(), c.contentRange.empty() ? 200 : 206) << c.range;
    if (!c.contentRange.empty()) {
      EXPECT_EQ(field(log, "Content-Range"), c.contentRange) << c.range;
    }
  }
  // Stale: the range is the server's to answer, unconditionally.
  advance(7200);
  fetch("/whole", {{"Range", "bytes=0-1"}});
  EXPECT_EQ(server_->requestCount("/whole"), 2u);
  EXPECT_FALSE(server_->lastRequest("/whole")->header("If-None-Match"));
}

// Pieces (206) are kept only with a strong validator and joined only when it matches; a piece
// answers the ranges it holds, and the pieces together the whole.
TEST_F(HTTPCacheRulesTest, StoredPiecesCombineOnlyUnderOneStrongValidator) {
  struct Step {
    std::string range;  // "" for the whole
    bool reaches;
    std::string body;
  };
  struct Case {
    std::vector<std::string> etags;  // the server's ETag for its first, second... answer
    std::vector<Step> steps;
  };
  const std::vector<Case> cases = {
      {{"\"p\""},
       {{"bytes=0-3", true, "0123"},
        {"bytes=1-2", false, "12"},
        {"bytes=2-6", true, "23456"},
        {"bytes=4-5", false, "45"},
        {"", true, "0123456789"},
        {"bytes=6-9", false, "6789"}}},
      {{"\"p\""},
       {{"bytes=0-3", true, "0123"},
        {"bytes=4-9", true, "456789"},
        {"", false, "0123456789"},
        {"bytes=3-5", false, "345"}}},
      {{"W/\"p\""}, {{"bytes=0-3", true, "0123"}, {"bytes=0-3", true, "0123"}}},
      {{"\"a\"", "\"b\""},
       {{"bytes=0-3", true, "0123"}, {"bytes=4-9", true, "456789"}, {"", true, "0123456789"}}},
      {{"\"p\""},
       {{"bytes=6-9", true, "6789"}, {"bytes=0-2", true, "012"}, {"", true, "0123456789"}}},
  };
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const std::string path = "/piece/" + std::to_string(i);
    auto answered = std::make_shared<std::atomic<std::size_t>>(0);
    server_->handle(path, [etags = cases[i].etags, answered](const RecordedRequest&, Reply& out) {
      const std::string& etag = etags[std::min(answered->fetch_add(1), etags.size() - 1)];
      out = reply(200, {{"Cache-Control", "max-age=3600"}, {"ETag", etag}}, "0123456789");
      out.status = -1;  // the test server cuts the range it is asked for
    });
    std::size_t expected = 0;
    for (const Step& step : cases[i].steps) {
      const TaskLog log = step.range.empty() ? fetch(path) : fetch(path, {{"Range", step.range}});
      expected += step.reaches ? 1 : 0;
      EXPECT_EQ(server_->requestCount(path), expected) << "case " << i << " " << step.range;
      EXPECT_EQ(log.body, step.body) << "case " << i << " " << step.range;
      EXPECT_EQ(log.status(), step.range.empty() ? 200 : 206) << "case " << i << " " << step.range;
    }
  }
}

// A 304 and a HEAD that confirms the stored response update its fields, all but the framing and
// hop-by-hop ones; fields the update does not carry stay.
TEST_F(HTTPCacheRulesTest, NotModifiedAndHeadUpdateTheStoredFields) {
  server_->handle("/updated", [](const RecordedRequest& request, Reply& out) {
    if (request.header("If-None-Match") == "\"e\"") {
      out = reply(304, {{"ETag", "\"e\""},
                        {"Cache-Control", "max-age=600"},
                        {"X-Changing", "new"},
                        {"Content-Type", "text/html"},
                        {"Content-Length", "0"},
                        {"Connection", "X-Hop"},
                        {"X-Hop", "1"}});
      return;
    }
    out = reply(200,
                {{"ETag", "\"e\""},
                 {"Cache-Control", "max-age=1"},
                 {"X-Changing", "old"},
                 {"X-Kept", "yes"}},
                "twelve bytes");
  });
  fetch("/updated");
  advance(10);
  for (const bool fromServer : {true, false}) {
    const TaskLog log = fetch("/updated");
    EXPECT_EQ(server_->requestCount("/updated"), 2u);
    EXPECT_EQ(log.status(), 200);
    EXPECT_EQ(log.body, "twelve bytes") << fromServer;
    EXPECT_EQ(field(log, "X-Changing"), "new") << fromServer;
    EXPECT_EQ(field(log, "X-Kept"), "yes") << fromServer;
    EXPECT_EQ(field(log, "Content-Type"), "text/html") << fromServer;
    EXPECT_EQ(field(log, "Content-Length"), "12") << fromServer;
    EXPECT_FALSE(field(log, "X-Hop")) << fromServer;
  }

  std::atomic<int> etag{1};
  server_->handle("/headed", [&](const RecordedRequest& request, Reply& out) {
    const std::string tag = "\"" + std::to_string(etag.load()) + "\"";
    out = reply(200,
                {{"ETag", tag},
                 {"Cache-Control", "max-age=600"},
                 {"X-Version", request.method == "HEAD" ? "head" : "get"}},
                request.method == "HEAD" ? "" : "payload");
  });
  fetch("/headed");
  fetch("/headed", {}, "HEAD");
  const TaskLog updated = fetch("/headed");
  EXPECT_EQ(server_->requestCount("/headed"), 2u);
  EXPECT_EQ(field(updated, "X-Version"), "head");
  EXPECT_EQ(updated.body, "payload");
  etag = 2;  // the HEAD now shows another representation: the stored one goes
  fetch("/headed", {}, "HEAD");
  EXPECT_EQ(fetch("/headed").body, "payload");
  EXPECT_EQ(server_->requestCount("/headed"), 4u);
}

// Files written before variants were kept: one without Vary is served as before, one with Vary
// (its selecting fields were never written down) is fetched again, never served.
TEST_F(HTTPCacheRulesTest, EntriesInTheEarlierFileFormatAreReadOrIgnored) {
  auto writeEarlier = [&](const std::string& path, const std::string& vary) {
    const std::string url = server_->url(path);
    std::string fields = R"([["Cache-Control","max-age=3600"],["Content-Type","text/plain"])";
    if (!vary.empty()) fields += R"(,["Vary",")" + vary + R"("])";
    fields += "]";
    const std::string json = R"({"encoding":"","fields":)" + fields + R"(,"key":")" + url +
                             R"(","length":6,"mime":"text/plain","policy":0,"setCookie":[],)" +
                             R"("status":200,"storedAt":)" + std::to_string(kStart) +
                             R"(,"url":")" + url + R"(","version":"HTTP/1.1"})";
    const std::string body = "stored";
    platform::Data bytes = {'S', 'P', 'R', 'U', 'R', 'L', 'C', '2'};
    auto put = [&](std::uint64_t value, int count) {
      for (int b = 0; b < count; ++b) bytes.push_back(static_cast<std::uint8_t>(value >> (8 * b)));
    };
    put(json.size(), 4);
    put(body.size(), 8);
    put(platform::urlCacheBodyChecksum(reinterpret_cast<const std::uint8_t*>(body.data()),
                                       body.size()),
        8);
    bytes.insert(bytes.end(), json.begin(), json.end());
    bytes.insert(bytes.end(), body.begin(), body.end());
    auto& files = platform::FileManager::defaultManager();
    files.createDirectory(folder_.path() + "/Earlier", true);
    ASSERT_TRUE(files.writeFile(folder_.path() + "/Earlier/" + platform::md5Hex(url), bytes));
  };
  writeEarlier("/plain", "");
  writeEarlier("/varied", "Accept-Encoding");
  server_->serve("/plain", "fresh", "text/plain");
  server_->serve("/varied", "fresh", "text/plain");
  cache_ = platform::URLCache::create(1 << 20, 4 << 20, folder_.path() + "/Earlier");
  session_ = makeSession();
  EXPECT_EQ(fetch("/plain").body, "stored");
  EXPECT_EQ(server_->requestCount("/plain"), 0u);
  EXPECT_EQ(fetch("/varied").body, "fresh");
  EXPECT_EQ(server_->requestCount("/varied"), 1u);
}

}  // namespace
}  // namespace nettest
