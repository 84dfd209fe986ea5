#include <gtest/gtest.h>

#include <fstream>

#include "platform/dispatch/ScopedVirtualClock.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/FileManager.h"
#include "platform/net/HTTPURLResponse.h"
#include "platform/net/URLCache.h"
#include "platform/net/URLErrors.h"
#include "tests/platform/net_support.h"

namespace nettest {
namespace {

using platform::CachedURLResponse;
using platform::HTTPURLResponse;
using platform::URLCache;
using platform::URLCacheStoragePolicy;
using platform::URLRequest;
using platform::URLRequestCachePolicy;

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

TEST(URLCacheTest, ACorruptFileIsAMissAndIsRemoved) {
  TemporaryFolder folder;
  const std::string path = folder.path() + "/URLCache";
  const URLRequest request(urlOf("http://example.test/c.png"));
  {
    auto cache = URLCache::create(0, 1 << 20, path);
    cache->storeCachedResponse(
        CachedURLResponse(okResponse("http://example.test/c.png"), platform::Data(100, 3)),
        request);
  }
  auto files = platform::FileManager::defaultManager().enumerate(path, true);
  ASSERT_EQ(files.size(), 1u);
  {
    std::ofstream damage(files[0].path, std::ios::binary | std::ios::trunc);
    damage << "SPRURLC2\xff\xff\xff\x7f{not json";
  }
  auto cache = URLCache::create(0, 1 << 20, path);
  EXPECT_FALSE(cache->cachedResponseForRequest(request));
  EXPECT_FALSE(platform::FileManager::defaultManager().fileExists(files[0].path));
}

// A file cut short on disk (a crash while the disk was full, a copy that stopped) would otherwise
// be served as a shorter body: the image behind it would fail to decode until its max-age ran out.
TEST_F(CacheSessionTest, AFileCutShortOnDiskIsDroppedAndFetchedAgain) {
  const std::string body(5000, 'j');
  server_->serveValidated("/cut", body, "\"c\"", std::nullopt, "max-age=600", "image/jpeg");
  session_ = makeSession();
  ASSERT_EQ(delegate_->log(load(*session_, request("/cut"))).body, body);
  auto files =
      platform::FileManager::defaultManager().enumerate(folder_.path() + "/URLCache", true);
  ASSERT_EQ(files.size(), 1u);
  const platform::Data whole =
      *platform::FileManager::defaultManager().contentsAtPath(files[0].path);
  ASSERT_TRUE(platform::FileManager::defaultManager().writeFile(
      files[0].path, platform::Data(whole.begin(), whole.end() - 700)));

  // A cache that did not see the write (a later run of the app) reads the file afresh.
  cache_ = URLCache::create(0, 4 << 20, folder_.path() + "/URLCache");
  session_ = makeSession();
  const TaskLog again = delegate_->log(load(*session_, request("/cut")));
  EXPECT_EQ(again.body, body);
  EXPECT_EQ(server_->requestCount("/cut"), 2u);
  const platform::Data rewritten =
      *platform::FileManager::defaultManager().contentsAtPath(files[0].path);
  EXPECT_EQ(rewritten.size(), whole.size());
}

}  // namespace
}  // namespace nettest
