#include <gtest/gtest.h>

#include "platform/net/HTTPCachePolicy.h"
#include "platform/net/HTTPCookie.h"
#include "platform/net/HTTPCookieStorage.h"
#include "platform/net/HTTPHeaderValues.h"
#include "platform/net/HTTPResponseHeadParser.h"
#include "platform/net/URLCacheEntryCodec.h"
#include "tests/platform/net_support.h"

namespace nettest {
namespace {

using namespace platform;

constexpr TimeInterval kNov1994 = 784111777;  // Sun, 06 Nov 1994 08:49:37 GMT

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
  EXPECT_FALSE(HTTPCachePolicy::isStorable(get, responseWith({{"Vary", "Cookie"}})));
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
  EXPECT_EQ(
      HTTPCachePolicy::freshnessLifetime(
          responseWith({{"Pragma", "no-cache"}, {"Expires", formatHTTPDate(kNov1994 + 9)}}), 0),
      0);

  const HTTPURLResponse minute = responseWith({{"Cache-Control", "max-age=60"}, {"Age", "20"}});
  EXPECT_TRUE(HTTPCachePolicy::isFresh(get, minute, 1000, 1030));
  EXPECT_FALSE(HTTPCachePolicy::isFresh(get, minute, 1000, 1040));  // 20 s old when stored
  URLRequest insists = get;
  insists.setValue("no-cache", "Cache-Control");
  EXPECT_FALSE(HTTPCachePolicy::isFresh(insists, minute, 1000, 1000));

  URLRequest conditional = get;
  HTTPCachePolicy::addConditionalFields(responseWith({{"ETag", "\"t\""}, {"Last-Modified", date}}),
                                        conditional);
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
      1234.5};
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

}  // namespace
}  // namespace nettest
