// The HTTP cache: header parsing, the caching rules, cookies, the entry codec, the cache on disk
// and a session that uses it.
#include <gtest/gtest.h>

#include "platform/dispatch/ScopedVirtualClock.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/FileManager.h"
#include "platform/net/HTTPCachePolicy.h"
#include "platform/net/HTTPCookie.h"
#include "platform/net/HTTPCookieStorage.h"
#include "platform/net/HTTPHeaderValues.h"
#include "platform/net/HTTPResponseHeadParser.h"
#include "platform/net/HTTPURLResponse.h"
#include "platform/net/URLCache.h"
#include "platform/net/URLCacheEntryCodec.h"
#include "platform/net/URLErrors.h"
#include "tests/platform/net_support.h"

namespace nettest {
namespace {

using namespace platform;

constexpr platform::TimeInterval kNov1994 = 784111777;  // Sun, 06 Nov 1994 08:49:37 GMT

TEST(HTTPHeaderValuesTest, CacheControlDirectives) {
  CacheControl cc = parseCacheControl("public, MAX-AGE=\"300\", no-cache=\"Set-Cookie, Foo\", x=1");
  EXPECT_TRUE(cc.isPublic);
  EXPECT_TRUE(cc.noCache);
  EXPECT_EQ(cc.maxAge, 300);
  EXPECT_FALSE(cc.noStore);

  cc = parseCacheControl("max-age=10, max-age=99999999999999999999, private, no-store");
  EXPECT_EQ(cc.maxAge, 10);  // the first one wins
  EXPECT_TRUE(cc.isPrivate);
  EXPECT_TRUE(cc.noStore);
  EXPECT_EQ(parseCacheControl("max-age=99999999999999999999").maxAge, 2147483648LL);
  EXPECT_EQ(parseCacheControl("max-age=soon").maxAge, 0);  // unreadable: stale
  EXPECT_FALSE(parseCacheControl(",,;=\"unterminated").noStore);
  EXPECT_TRUE(parseCacheControl("\"no-store\", no-store").noStore);
}

TEST(HTTPHeaderValuesTest, DatesInAllThreeFormsAndNothingElse) {
  EXPECT_EQ(parseHTTPDate("Sun, 06 Nov 1994 08:49:37 GMT"), kNov1994);
  EXPECT_EQ(parseHTTPDate("Sunday, 06-Nov-94 08:49:37 GMT"), kNov1994);
  EXPECT_EQ(parseHTTPDate("Sun Nov  6 08:49:37 1994"), kNov1994);
  EXPECT_EQ(parseHTTPDate("Thu, 01 Jan 1970 00:00:00 GMT"), 0);
  EXPECT_EQ(parseHTTPDate("Tue, 29 Feb 2000 12:00:00 GMT"), 951825600);
  EXPECT_FALSE(parseHTTPDate("Tue, 29 Feb 2001 12:00:00 GMT"));
  EXPECT_FALSE(parseHTTPDate("0"));
  EXPECT_FALSE(parseHTTPDate("-1"));
  EXPECT_FALSE(parseHTTPDate("Sun, 06 Nov 1994 25:49:37 GMT"));
  EXPECT_FALSE(parseHTTPDate("Sun, 06 Nov 1994"));
  EXPECT_FALSE(parseHTTPDate(""));
  EXPECT_EQ(formatHTTPDate(kNov1994), "Sun, 06 Nov 1994 08:49:37 GMT");
  for (TimeInterval t : {0.0, 951825600.0, 1800000000.0, -86400.0}) {
    EXPECT_EQ(parseHTTPDate(formatHTTPDate(t)), t);
  }
}

TEST(HTTPHeaderValuesTest, ChallengesContentTypesAndLengths) {
  auto challenges = parseWWWAuthenticate(
      "Newauth realm=\"apps\", type=1, title=\"Login to \\\"apps\\\"\", Basic realm=\"simple\"");
  ASSERT_EQ(challenges.size(), 2u);
  EXPECT_EQ(challenges[0].scheme, "Newauth");
  EXPECT_EQ(challenges[0].parameters.at("title"), "Login to \"apps\"");
  EXPECT_EQ(challenges[1].scheme, "Basic");
  EXPECT_EQ(challenges[1].realm(), "simple");
  EXPECT_EQ(parseWWWAuthenticate("Digest realm=\"r\", qop=\"auth\", nonce=\"n\"")[0].realm(), "r");
  EXPECT_TRUE(parseWWWAuthenticate("").empty());

  EXPECT_EQ(parseContentType("Image/PNG; charset=\"UTF-8\"").mimeType, "image/png");
  EXPECT_EQ(parseContentType("text/html;charset=GBK").charset, "gbk");
  EXPECT_EQ(parseContentType("garbage").mimeType, "");
  EXPECT_EQ(parseContentLength(" 42 "), 42);
  EXPECT_FALSE(parseContentLength("-1"));
  EXPECT_FALSE(parseContentLength("12a"));
  EXPECT_FALSE(parseContentLength("99999999999999999999"));
}

TEST(HTTPResponseHeadParserTest, KeepsTheLatestHeadOnly) {
  HTTPResponseHeadParser parser;
  for (const char* line :
       {"HTTP/1.1 100 Continue\r\n", "\r\n", "HTTP/1.1 302 Found\r\n", "Location: /next\r\n",
        "\r\n", "HTTP/1.1 200 OK\r\n", "Content-Type: image/png\r\n", "X-Long: part one\r\n",
        "\t part two\r\n", "Set-Cookie: a=1\r\n", "set-cookie: b=2\r\n",
        "bad line without colon\r\n", "Bad Name: x\r\n", "\r\n"}) {
    parser.addLine(line);
  }
  ASSERT_TRUE(parser.isComplete());
  EXPECT_EQ(parser.status()->statusCode, 200);
  EXPECT_EQ(parser.status()->reasonPhrase, "OK");
  EXPECT_EQ(parser.fields().count("Location"), 0u);
  EXPECT_EQ(parser.fields().at("x-long"), "part one part two");
  EXPECT_EQ(parser.setCookieValues(), (std::vector<std::string>{"a=1", "b=2"}));
  EXPECT_EQ(parser.fields().at("Set-Cookie"), "a=1, b=2");
  EXPECT_EQ(parser.fields().size(), 3u);

  EXPECT_EQ(parseStatusLine("HTTP/2 404")->statusCode, 404);
  EXPECT_FALSE(parseStatusLine("HTTP/1.1 20 OK"));
  EXPECT_FALSE(parseStatusLine("HTTP/1.1 2000"));
  EXPECT_FALSE(parseStatusLine("ICY 200 OK"));

  HTTPResponseHeadParser flooded;
  flooded.addLine("HTTP/1.1 200 OK");
  for (std::size_t i = 0; i < 2 * HTTPResponseHeadParser::kMaxFields; ++i) {
    flooded.addLine("X-" + std::to_string(i) + ": v");
  }
  EXPECT_TRUE(flooded.overflowed());
  EXPECT_LE(flooded.fields().size(), HTTPResponseHeadParser::kMaxFields);
}

HTTPURLResponse responseWith(HTTPHeaderFields fields, long status = 200) {
  return HTTPURLResponse(urlOf("http://h.test/x"), status, "HTTP/1.1", std::move(fields));
}

TEST(HTTPCachePolicyTest, StorabilityAndFreshness) {
  const URLRequest get(urlOf("http://h.test/x"));
  EXPECT_TRUE(HTTPCachePolicy::isStorable(get, responseWith({})));
  EXPECT_TRUE(HTTPCachePolicy::isStorable(get, responseWith({{"Cache-Control", "private"}})));
  EXPECT_TRUE(HTTPCachePolicy::isStorable(get, responseWith({{"Vary", "accept-encoding"}})));
  EXPECT_FALSE(HTTPCachePolicy::isStorable(get, responseWith({{"Cache-Control", "no-store"}})));
  EXPECT_TRUE(HTTPCachePolicy::isStorable(get, responseWith({{"Vary", "Cookie"}})));
  EXPECT_FALSE(HTTPCachePolicy::isStorable(get, responseWith({{"Vary", "Cookie, *"}})));
  EXPECT_FALSE(HTTPCachePolicy::isStorable(get, responseWith({}, 206)));
  URLRequest post = get;
  post.setHTTPMethod("post");
  EXPECT_FALSE(HTTPCachePolicy::isStorable(post, responseWith({})));

  const std::string date = formatHTTPDate(kNov1994);
  EXPECT_EQ(HTTPCachePolicy::freshnessLifetime(
                responseWith({{"Cache-Control", "max-age=30"}, {"Expires", date}}), 0),
            30);
  EXPECT_EQ(HTTPCachePolicy::freshnessLifetime(
                responseWith({{"Date", date}, {"Expires", formatHTTPDate(kNov1994 + 500)}}), 0),
            500);
  EXPECT_EQ(HTTPCachePolicy::freshnessLifetime(responseWith({{"Expires", "0"}}), 0), 0);
  EXPECT_EQ(
      HTTPCachePolicy::freshnessLifetime(
          responseWith({{"Date", date}, {"Last-Modified", formatHTTPDate(kNov1994 - 1000)}}), 0),
      100);
  // Pragma: no-cache (without Cache-Control) asks for a check however fresh the response is.
  const HTTPURLResponse pragma = responseWith(
      {{"Pragma", "no-cache"}, {"Date", date}, {"Expires", formatHTTPDate(kNov1994 + 9)}});
  const HTTPHeaderFields noFields;
  EXPECT_EQ(HTTPCachePolicy::decide(get, {pragma, noFields, kNov1994, kNov1994}, kNov1994),
            CacheAction::Fetch);

  const HTTPURLResponse minute = responseWith({{"Cache-Control", "max-age=60"}, {"Age", "20"}});
  const HTTPHeaderFields none;
  const StoredResponse stored{minute, none, 999, 1000};
  EXPECT_EQ(HTTPCachePolicy::decide(get, stored, 1030), CacheAction::Reuse);
  // 20 s old when stored, plus the second the request took.
  EXPECT_EQ(HTTPCachePolicy::currentAge(stored, 1030), 51);
  EXPECT_EQ(HTTPCachePolicy::decide(get, stored, 1040), CacheAction::Fetch);
  URLRequest insists = get;
  insists.setValue("no-cache", "Cache-Control");
  EXPECT_EQ(HTTPCachePolicy::decide(insists, stored, 1000), CacheAction::Fetch);

  URLRequest conditional = get;
  HTTPCachePolicy::addConditionalFields(responseWith({{"ETag", "\"t\""}, {"Last-Modified", date}}),
                                        {}, conditional);
  EXPECT_EQ(conditional.valueForHTTPHeaderField("if-none-match"), "\"t\"");
  EXPECT_EQ(conditional.valueForHTTPHeaderField("If-Modified-Since"), date);

  auto merged = HTTPCachePolicy::mergeNotModified(
      responseWith({{"Content-Length", "10"}, {"ETag", "\"old\""}, {"Content-Type", "image/png"}}),
      {{"ETag", "\"new\""}, {"Content-Length", "0"}, {"Cache-Control", "max-age=5"}});
  EXPECT_EQ(merged->valueForHTTPHeaderField("ETag"), "\"new\"");
  EXPECT_EQ(merged->valueForHTTPHeaderField("Content-Length"), "10");
  EXPECT_EQ(merged->valueForHTTPHeaderField("Cache-Control"), "max-age=5");
  EXPECT_EQ(merged->MIMEType(), "image/png");
}

TEST(HTTPCookieTest, ParsingFollowsTheDomainAndPathRules) {
  const URL page = urlOf("https://www.school.test/classes/photos");
  auto plain = HTTPCookie::parseSetCookie("id=7; HttpOnly", page, 100);
  ASSERT_TRUE(plain);
  EXPECT_EQ(plain->domain(), "www.school.test");
  EXPECT_TRUE(plain->isHostOnly());
  EXPECT_EQ(plain->path(), "/classes");
  EXPECT_TRUE(plain->isSessionOnly());
  EXPECT_TRUE(plain->isHTTPOnly());

  auto wide =
      HTTPCookie::parseSetCookie("k=v; Domain=.School.test; Path=/; Secure; Max-Age=60", page, 100);
  ASSERT_TRUE(wide);
  EXPECT_EQ(wide->domain(), "school.test");
  EXPECT_EQ(wide->expiresDate(), 160);
  EXPECT_TRUE(wide->matchesURL(urlOf("https://cdn.school.test/a")));
  EXPECT_FALSE(wide->matchesURL(urlOf("http://cdn.school.test/a")));  // secure only
  EXPECT_FALSE(plain->matchesURL(urlOf("https://cdn.school.test/classes")));
  EXPECT_TRUE(plain->matchesURL(urlOf("https://www.school.test/classes/x")));
  EXPECT_FALSE(plain->matchesURL(urlOf("https://www.school.test/classesX")));

  EXPECT_FALSE(HTTPCookie::parseSetCookie("a=b; Domain=other.test", page, 0));
  EXPECT_FALSE(HTTPCookie::parseSetCookie("a=b; Domain=test", page, 0));
  EXPECT_FALSE(HTTPCookie::parseSetCookie("novalue", page, 0));
  EXPECT_FALSE(HTTPCookie::parseSetCookie("=b", page, 0));
  EXPECT_FALSE(HTTPCookie::parseSetCookie("a=" + std::string(5000, 'x'), page, 0));
  EXPECT_TRUE(HTTPCookie::parseSetCookie("a=b; Max-Age=-1", page, 100)->isExpired(100));
  EXPECT_EQ(HTTPCookie::parseSetCookie("a=b; Expires=Sun, 06 Nov 1994 08:49:37 GMT", page, 0)
                ->expiresDate(),
            kNov1994);
}

TEST(HTTPCookieTest, StorageReplacesExpiresAndOrdersByPath) {
  auto storage = HTTPCookieStorage::create();
  const URL url = urlOf("http://kg.test/a/b/c");
  storage->storeCookiesFromResponse({"x=1; Path=/", "y=2; Path=/a/b", "x=3; Path=/"}, url);
  EXPECT_EQ(storage->cookies().size(), 2u);
  EXPECT_EQ(storage->cookieHeaderForURL(url), "y=2; x=3");
  EXPECT_EQ(storage->cookieHeaderForURL(urlOf("http://kg.test/z")), "x=3");
  EXPECT_FALSE(storage->cookieHeaderForURL(urlOf("http://other.test/")));
  storage->storeCookiesFromResponse({"x=gone; Path=/; Max-Age=0"}, url);
  EXPECT_EQ(storage->cookieHeaderForURL(url), "y=2");
  storage->setCookieAcceptPolicy(HTTPCookieAcceptPolicy::Never);
  storage->storeCookiesFromResponse({"z=9"}, url);
  EXPECT_EQ(storage->cookies().size(), 1u);
}

TEST(URLCacheEntryCodecTest, RoundTripsAndRejectsDamage) {
  URLCacheDiskEntry entry{
      "http://h.test/x",
      CachedURLResponse(std::make_shared<HTTPURLResponse>(
                            responseWith({{"ETag", "\"e\""}, {"Content-Type", "image/gif"}})),
                        Data{1, 2, 3}),
      1234.5,
      1230,
      {{"Accept-Language", "de"}}};
  const Data bytes = encodeURLCacheEntry(entry);
  auto decoded = decodeURLCacheEntry(bytes);
  ASSERT_TRUE(decoded);
  EXPECT_EQ(decoded->key, entry.key);
  EXPECT_EQ(decoded->storedAt, 1234.5);
  EXPECT_EQ(decoded->cached.data(), (Data{1, 2, 3}));
  EXPECT_EQ(decoded->cached.response()->MIMEType(), "image/gif");
  for (std::size_t cut : {0u, 5u, 12u, 40u}) {
    EXPECT_FALSE(decodeURLCacheEntry(Data(bytes.begin(), bytes.begin() + cut))) << cut;
  }
  Data wrongMagic = bytes;
  wrongMagic[0] = 'X';
  EXPECT_FALSE(decodeURLCacheEntry(wrongMagic));
  // The body is checked against its stored length and checksum.
  EXPECT_FALSE(decodeURLCacheEntry(Data(bytes.begin(), bytes.end() - 1)));
  Data longer = bytes;
  longer.push_back(0);
  EXPECT_FALSE(decodeURLCacheEntry(longer));
  Data flipped = bytes;
  flipped.back() ^= 0x10;
  EXPECT_FALSE(decodeURLCacheEntry(flipped));
  entry.cached = CachedURLResponse(entry.cached.response(), Data{});
  ASSERT_TRUE(decodeURLCacheEntry(encodeURLCacheEntry(entry)));
  EXPECT_TRUE(decodeURLCacheEntry(encodeURLCacheEntry(entry))->cached.data().empty());
}

// Cache ages run on the virtual clock, started at the real time so servers' dates make sense.
class CacheSessionTest : public SessionTest {
 protected:
  platform::ScopedVirtualClock clock_{platform::RealClock().now()};
};

TEST_F(CacheSessionTest, FreshResponsesAreServedAndStaleOnesRevalidated) {
  server_->serveValidated("/photo", "first body", "\"v1\"", std::nullopt, "max-age=60",
                          "image/jpeg");
  session_ = makeSession();

  const TaskLog first = delegate_->log(load(*session_, request("/photo")));
  EXPECT_EQ(first.body, "first body");
  EXPECT_EQ(first.cacheOffers.size(), 1u);
  ASSERT_TRUE(cache_->cachedResponseForRequest(request("/photo")));
  EXPECT_EQ(cache_->cachedResponseForRequest(request("/photo"))->data().size(), 10u);

  // Fresh: answered without asking the server, and not offered for caching again.
  const TaskLog fresh = delegate_->log(load(*session_, request("/photo")));
  EXPECT_EQ(server_->requestCount("/photo"), 1u);
  EXPECT_EQ(fresh.status(), 200);
  EXPECT_EQ(fresh.body, "first body");
  EXPECT_TRUE(fresh.cacheOffers.empty());

  // Stale: the server is asked with the validator, answers 304, the caller sees the cached 200.
  clock_.clock().advance(120);
  const TaskLog revalidated = delegate_->log(load(*session_, request("/photo")));
  EXPECT_EQ(server_->requestCount("/photo"), 2u);
  EXPECT_EQ(server_->lastRequest("/photo")->header("If-None-Match"), "\"v1\"");
  EXPECT_EQ(server_->notModifiedCount("/photo"), 1u);
  EXPECT_EQ(revalidated.errorCode(), 0);
  EXPECT_EQ(revalidated.status(), 200);
  EXPECT_EQ(revalidated.body, "first body");
  EXPECT_TRUE(revalidated.cacheOffers.empty());
  // ...and the 304 made the entry fresh again.
  load(*session_, request("/photo"));
  EXPECT_EQ(server_->requestCount("/photo"), 2u);

  // Changed on the server: a full 200 replaces the entry.
  server_->serveValidated("/photo", "second body", "\"v2\"", std::nullopt, "max-age=60");
  clock_.clock().advance(120);
  const TaskLog changed = delegate_->log(load(*session_, request("/photo")));
  EXPECT_EQ(changed.body, "second body");
  EXPECT_EQ(changed.cacheOffers.size(), 1u);
  const platform::Data stored = cache_->cachedResponseForRequest(request("/photo"))->data();
  EXPECT_EQ(std::string(stored.begin(), stored.end()), "second body");
}

TEST_F(CacheSessionTest, PoliciesDecideWhetherTheCacheIsAskedOrFilled) {
  const std::string lastModified = "Tue, 01 Jan 2030 00:00:00 GMT";
  server_->serveValidated("/dated", "dated body", std::nullopt, lastModified, "no-cache");
  server_->serve("/secret", "never kept", "text/plain", {{"Cache-Control", "no-store"}});
  session_ = makeSession();

  load(*session_, request("/dated"));
  // no-cache: always asked, with If-Modified-Since from Last-Modified.
  const TaskLog again = delegate_->log(load(*session_, request("/dated")));
  EXPECT_EQ(server_->lastRequest("/dated")->header("If-Modified-Since"), lastModified);
  EXPECT_EQ(server_->notModifiedCount("/dated"), 1u);
  EXPECT_EQ(again.body, "dated body");

  URLRequest reload = request("/dated");
  reload.setCachePolicy(URLRequestCachePolicy::ReloadIgnoringLocalCacheData);
  load(*session_, reload);
  EXPECT_FALSE(server_->lastRequest("/dated")->header("If-Modified-Since"));
  EXPECT_EQ(server_->requestCount("/dated"), 3u);

  URLRequest anyAge = request("/dated");
  anyAge.setCachePolicy(URLRequestCachePolicy::ReturnCacheDataElseLoad);
  EXPECT_EQ(delegate_->log(load(*session_, anyAge)).body, "dated body");
  EXPECT_EQ(server_->requestCount("/dated"), 3u);

  const TaskLog secret = delegate_->log(load(*session_, request("/secret")));
  EXPECT_EQ(secret.body, "never kept");
  EXPECT_TRUE(secret.cacheOffers.empty());
  EXPECT_FALSE(cache_->cachedResponseForRequest(request("/secret")));
  URLRequest offline = request("/secret");
  offline.setCachePolicy(URLRequestCachePolicy::ReturnCacheDataDontLoad);
  EXPECT_EQ(delegate_->log(load(*session_, offline)).errorCode(),
            platform::URLError::ResourceUnavailable);

  // A delegate that declines the offer keeps the response out of the cache.
  server_->serve("/declined", "body", "text/plain", {{"Cache-Control", "max-age=600"}});
  delegate_->cacheDecision = [](const CachedURLResponse&) { return std::nullopt; };
  load(*session_, request("/declined"));
  EXPECT_FALSE(cache_->cachedResponseForRequest(request("/declined")));
}

std::shared_ptr<const HTTPURLResponse> okResponse(const std::string& url) {
  return std::make_shared<HTTPURLResponse>(
      urlOf(url), 200, "HTTP/1.1",
      platform::HTTPHeaderFields{{"Content-Type", "image/png"}, {"ETag", "\"e\""}});
}

TEST(URLCacheTest, KeepsEntriesOnDiskAcrossInstancesAndWithinBudgets) {
  TemporaryFolder folder;
  const std::string path = folder.path() + "/URLCache";
  const URLRequest a(urlOf("http://example.test/a.png#fragment"));
  const URLRequest b(urlOf("http://example.test/b.png"));
  {
    auto cache = URLCache::create(1 << 20, 1 << 20, path);
    cache->storeCachedResponse(
        CachedURLResponse(okResponse("http://example.test/a.png"), platform::Data(3000, 7)), a);
    cache->storeCachedResponse(
        CachedURLResponse(okResponse("http://example.test/b.png"), platform::Data(10, 1),
                          URLCacheStoragePolicy::AllowedInMemoryOnly),
        b);
    EXPECT_TRUE(cache->cachedResponseForRequest(b));
    EXPECT_GT(cache->currentDiskUsage(), 3000u);
    EXPECT_GT(cache->currentMemoryUsage(), 3000u);
  }
  auto reopened = URLCache::create(1 << 20, 1 << 20, path);
  auto found = reopened->cachedResponseForRequest(URLRequest(urlOf("http://example.test/a.png")));
  ASSERT_TRUE(found);  // the fragment is not part of the key
  EXPECT_EQ(found->data(), platform::Data(3000, 7));
  auto response = std::dynamic_pointer_cast<const HTTPURLResponse>(found->response());
  ASSERT_TRUE(response);
  EXPECT_EQ(response->statusCode(), 200);
  EXPECT_EQ(response->valueForHTTPHeaderField("etag"), "\"e\"");
  EXPECT_FALSE(reopened->cachedResponseForRequest(b));  // memory only

  // Entries over a twentieth of the disk budget are not written; the budget evicts the oldest.
  auto small = URLCache::create(0, 100000, folder.path() + "/Small");
  small->storeCachedResponse(
      CachedURLResponse(okResponse("http://x.test/big"), platform::Data(6000)),
      URLRequest(urlOf("http://x.test/big")));
  EXPECT_FALSE(small->cachedResponseForRequest(URLRequest(urlOf("http://x.test/big"))));
  for (int i = 0; i < 40; ++i) {
    const std::string url = "http://x.test/" + std::to_string(i);
    small->storeCachedResponse(CachedURLResponse(okResponse(url), platform::Data(4000)),
                               URLRequest(urlOf(url)));
  }
  EXPECT_LE(small->currentDiskUsage(), 100000u);
  EXPECT_TRUE(small->cachedResponseForRequest(URLRequest(urlOf("http://x.test/39"))));
  EXPECT_FALSE(small->cachedResponseForRequest(URLRequest(urlOf("http://x.test/0"))));

  reopened->removeAllCachedResponses();
  EXPECT_FALSE(reopened->cachedResponseForRequest(a));
  EXPECT_EQ(reopened->currentDiskUsage(), 0u);
}

// A damaged file is a miss and is removed. One cut short (a crash while the disk was full, a copy
// that stopped) would otherwise be served as a shorter body: the image behind it would fail to
// decode until its max-age ran out.
TEST_F(CacheSessionTest, ADamagedFileOnDiskIsDroppedAndFetchedAgain) {
  const std::string body(5000, 'j');
  server_->serveValidated("/cut", body, "\"c\"", std::nullopt, "max-age=600", "image/jpeg");
  session_ = makeSession();
  ASSERT_EQ(delegate_->log(load(*session_, request("/cut"))).body, body);
  FileManager& files = FileManager::defaultManager();
  const auto entries = files.enumerate(folder_.path() + "/URLCache", true);
  ASSERT_EQ(entries.size(), 1u);
  const std::string file = entries[0].path;
  const Data whole = *files.contentsAtPath(file);
  const std::string garbage = "SPRURLC2\xff\xff\xff\x7f{not json";
  ASSERT_TRUE(files.writeFile(file, Data(garbage.begin(), garbage.end())));
  // A cache that did not see the write (a later run of the app) reads the file afresh.
  EXPECT_FALSE(URLCache::create(0, 4 << 20, folder_.path() + "/URLCache")
                   ->cachedResponseForRequest(request("/cut")));
  EXPECT_FALSE(files.fileExists(file));

  ASSERT_TRUE(files.writeFile(file, Data(whole.begin(), whole.end() - 700)));
  cache_ = URLCache::create(0, 4 << 20, folder_.path() + "/URLCache");
  session_ = makeSession();
  EXPECT_EQ(delegate_->log(load(*session_, request("/cut"))).body, body);
  EXPECT_EQ(server_->requestCount("/cut"), 2u);
  EXPECT_EQ(files.contentsAtPath(file)->size(), whole.size());
}

}  // namespace
}  // namespace nettest
