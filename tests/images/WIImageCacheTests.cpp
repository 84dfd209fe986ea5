#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "images/WIImageCache.h"
#include "images/WIImageDecoding.h"
#include "images/WIImageDiskWriter.h"
#include "platform/foundation/Digest.h"
#include "platform/graphics/ImageEncoder.h"
#include "tests/images/CacheTestFixture.h"

namespace sprout::test {
namespace {

using platform::Data;

// Opaque pixels but a declared alpha channel: stored as lossless PNG, so colours survive exactly.
ImagePtr pngImage(std::uint32_t argb, double scale = 1.0) {
  return solidImage(4, 3, argb, /*withAlpha=*/true, scale);
}

std::uint32_t colourOf(const ImagePtr& image) {
  return image && image->bitmap() ? image->bitmap()->pixel(1, 1) : 0;
}

TEST_F(WIImageCacheTest, NamesFilesByDigestAndShortExtension) {
  EXPECT_EQ(WIImageCache::cachedFileNameForKey("http://example.com/b.png"),
            "67ac4788ab4d9fd9311e97aaeee19666.png");
  EXPECT_EQ(WIImageCache::cachedFileNameForKey(""), "d41d8cd98f00b204e9800998ecf8427e");
  EXPECT_EQ(WIImageCache::cachedFileNameForKey("http://example.com/b").size(), 32u);
  EXPECT_EQ(WIImageCache::cachedFileNameForKey("http://example.com/b.PNG").substr(32), ".PNG");

  // Only short alphanumeric extensions are carried over; URL text never reaches the name.
  for (const std::string& key : std::vector<std::string>{"a.png?x=1", "a." + std::string(300, 'x'),
                                                         "a.abcdefghi", "a.we-bp", ".png"}) {
    EXPECT_EQ(cacheFileExtension("http://h/" + key), "") << key;
  }
  EXPECT_EQ(cacheFileExtension("http://h/a.abcdefgh"), "abcdefgh");
  EXPECT_EQ(cacheFileExtension("http://h/a.jpeg"), "jpeg");

  const std::string caches = platform::FileManager::cachesDirectory();
  auto shared = WIImageCache::create();
  EXPECT_EQ(shared->diskCachePath(), caches + "/default/com.brasswick.WIImageCache.default");
  EXPECT_EQ(shared->memCache().name(), "com.brasswick.WIImageCache.default");
  EXPECT_EQ(cache_->defaultCachePathForKey("http://example.com/b.png"),
            caches + "/test/com.brasswick.WIImageCache.test/67ac4788ab4d9fd9311e97aaeee19666.png");
  EXPECT_EQ(WIImageCache::create("x", std::string("/srv/img"))->diskCachePath(),
            "/srv/img/com.brasswick.WIImageCache.x");
  EXPECT_EQ(WIImageCache::create("x", std::nullopt)->diskCachePath(), caches + "/x");
  drain(*shared);
}

TEST_F(WIImageCacheTest, WriterAndReadersAgreeOnEveryName) {
  const std::vector<std::pair<std::string, std::uint32_t>> keys = {
      {"http://h/a.png?x=1", kOpaqueRed},
      {"http://h/a." + std::string(300, 'x'), kOpaqueBlue},
      {"http://h/pic.PNG", kOpaqueGreen},
      {"http://h/pic.png", 0xFF123456},
  };
  for (const auto& [key, colour] : keys) cache_->storeImage(pngImage(colour), key);
  drain(*cache_);
  EXPECT_EQ(cache_->getDiskCount(), keys.size());

  auto reader = WIImageCache::create("test");  // empty memory, same folder
  for (const auto& [key, colour] : keys) {
    EXPECT_TRUE(exists(cache_->defaultCachePathForKey(key))) << key;
    EXPECT_TRUE(reader->diskImageExistsWithKey(key)) << key;
    EXPECT_EQ(colourOf(reader->imageFromDiskCacheForKey(key)), colour) << key;
  }
  drain(*reader);
}

TEST_F(WIImageCacheTest, AnswersMemoryHitsAtOnceOnTheCallingThread) {
  auto image = pngImage(kOpaqueRed, /*scale=*/2.0);
  cache_->storeImage(image, "http://h/m.png", /*toDisk=*/false);
  EXPECT_EQ(cache_->memCache().totalCost(), 12u);  // pixels, not points

  Answer hit, empty;
  EXPECT_EQ(ask("http://h/m.png", hit), nullptr);
  EXPECT_TRUE(hit.done);
  EXPECT_EQ(hit.image, image);
  EXPECT_EQ(hit.type, WIImageCacheTypeMemory);
  std::thread worker([&] {
    Answer there;
    ask("http://h/m.png", there);
    EXPECT_TRUE(there.done);
  });
  worker.join();

  // The empty key is no key: answered at once with nothing, never stored.
  empty.type = WIImageCacheTypeDisk;
  EXPECT_EQ(ask("", empty), nullptr);
  EXPECT_TRUE(empty.done);
  EXPECT_EQ(empty.image, nullptr);
  EXPECT_EQ(empty.type, WIImageCacheTypeNone);
  cache_->storeImage(image, "");
  EXPECT_EQ(cache_->memCache().count(), 1u);
  EXPECT_EQ(cache_->queryDiskCacheForKey("http://h/m.png", nullptr), nullptr);

  drain(*cache_);
  EXPECT_FALSE(cache_->diskImageExistsWithKey("http://h/m.png"));
}

// A list of animated pictures stays within the memory bound as stills do: every frame is held.
TEST_F(WIImageCacheTest, AnAnimatedPictureCostsEveryFrameItHolds) {
  const std::vector<std::shared_ptr<platform::Image>> frames(10, solidImage(10, 10, kOpaqueRed));
  cache_->setMaxMemoryCost(1500);
  cache_->storeImage(platform::Image::animated(frames, 1.0), "http://h/a.gif", false);
  EXPECT_EQ(cache_->memCache().totalCost(), 1000u);
  cache_->storeImage(platform::Image::animated(frames, 1.0), "http://h/b.gif", false);
  EXPECT_EQ(cache_->memCache().totalCost(), 1000u);
  EXPECT_EQ(cache_->imageFromMemoryCacheForKey("http://h/a.gif"), nullptr);
}

TEST_F(WIImageCacheTest, ReadsTheDiskOffMainAndAnswersOnMain) {
  cache_->storeImage(pngImage(kOpaqueBlue), "http://h/d.png");
  drain(*cache_);
  cache_->clearMemory();

  Answer hit, miss, again;
  EXPECT_NE(ask("http://h/d.png", hit), nullptr);
  EXPECT_NE(ask("http://h/none.png", miss), nullptr);
  EXPECT_FALSE(hit.done);  // never before the call returns
  ASSERT_TRUE(runMainUntil([&] { return hit.done && miss.done; }));
  EXPECT_TRUE(hit.onMain && miss.onMain);
  EXPECT_EQ(hit.type, WIImageCacheTypeDisk);
  EXPECT_EQ(colourOf(hit.image), kOpaqueBlue);
  EXPECT_EQ(cache_->imageFromMemoryCacheForKey("http://h/d.png"), hit.image);
  EXPECT_EQ(miss.type, WIImageCacheTypeDisk);
  EXPECT_EQ(miss.image, nullptr);

  cache_->clearMemory();
  cache_->setShouldCacheImagesInMemory(false);
  ask("http://h/d.png", again);
  ASSERT_TRUE(runMainUntil([&] { return again.done; }));
  EXPECT_NE(again.image, nullptr);
  EXPECT_EQ(cache_->memCache().count(), 0u);
  cache_->storeImage(pngImage(kOpaqueBlue), "http://h/e.png", false);
  EXPECT_EQ(cache_->memCache().count(), 0u);
}

TEST_F(WIImageCacheTest, WritesPNGForAlphaJPEGOtherwiseAndGivenBytesAsTheyAre) {
  const std::string probe = home_.path() + "/probe";
  ASSERT_TRUE(files().writeFile(probe, Data{1}));
  const bool xattrs = files().setExcludedFromBackup(probe, true);

  const Data jpeg = jpegData(8, 8, JpegColor::RGB);
  cache_->storeImage(pngImage(kOpaqueRed), "k/alpha");
  cache_->storeImage(solidImage(4, 4, kOpaqueRed), "k/opaque");
  cache_->storeImage(solidImage(8, 8, kOpaqueRed), false, jpeg, "k/given", true);
  cache_->storeImage(solidImage(4, 4, kOpaqueRed), true, pngData(4, 4, kOpaqueRed, false),
                     "k/pngbytes", true);
  drain(*cache_);
  auto bytes = [&](const std::string& key) {
    return files().contentsAtPath(cache_->defaultCachePathForKey(key)).value_or(Data{});
  };
  EXPECT_TRUE(WIImageDataHasPNGSignature(bytes("k/alpha")));
  EXPECT_EQ(wi_contentTypeForImageData(bytes("k/opaque")), "image/jpeg");
  EXPECT_EQ(bytes("k/given"), jpeg);
  EXPECT_TRUE(WIImageDataHasPNGSignature(bytes("k/pngbytes")));
  EXPECT_FALSE(WIImageDataHasPNGSignature(Data{0x89, 'P', 'N', 'G'}));

  if (xattrs) {
    EXPECT_TRUE(files().isExcludedFromBackup(cache_->defaultCachePathForKey("k/alpha")));
    cache_->setShouldDisableiCloud(false);
    cache_->storeImage(pngImage(kOpaqueRed), "k/backed-up");
    drain(*cache_);
    EXPECT_FALSE(files().isExcludedFromBackup(cache_->defaultCachePathForKey("k/backed-up")));
  }
}

TEST_F(WIImageCacheTest, FindsBareNamesAndReadOnlyFolders) {
  const std::string key = "http://h/bare.png";
  files().createDirectory(cache_->diskCachePath(), true);
  ASSERT_TRUE(files().writeFile(cache_->diskCachePath() + "/" + platform::md5Hex(key),
                                pngData(2, 2, kOpaqueGreen, true)));
  EXPECT_TRUE(cache_->diskImageExistsWithKey(key));
  // An empty file under the full name counts as missing: the bare name is still read.
  ASSERT_TRUE(files().writeFile(cache_->defaultCachePathForKey(key), Data{}));
  EXPECT_EQ(colourOf(cache_->imageFromDiskCacheForKey(key)), kOpaqueGreen);

  const std::string readOnly = home_.path() + "/bundled";
  files().createDirectory(readOnly, true);
  cache_->addReadOnlyCachePath(readOnly);
  cache_->addReadOnlyCachePath(readOnly);
  EXPECT_EQ(cache_->customPaths().size(), 1u);
  const std::string shipped = "http://h/shipped.png";
  ASSERT_TRUE(files().writeFile(cache_->cachePathForKey(shipped, readOnly),
                                pngData(2, 2, kOpaqueBlue, true)));
  EXPECT_FALSE(cache_->diskImageExistsWithKey(shipped));  // the test looks at its own folder
  EXPECT_EQ(colourOf(cache_->diskImageForKey(shipped)), kOpaqueBlue);
  // The cache's own folder comes first.
  ASSERT_TRUE(
      files().writeFile(cache_->cachePathForKey(key, readOnly), pngData(2, 2, kOpaqueBlue, true)));
  EXPECT_EQ(colourOf(cache_->diskImageForKey(key)), kOpaqueGreen);
}

TEST_F(WIImageCacheTest, ScalesByKeyAndForceDecodesDiskReads) {
  cache_->storeImage(pngImage(kOpaqueRed), "http://h/pic@2x.png");
  const Data grey = jpegData(6, 6, JpegColor::Grey);
  cache_->storeImage(solidImage(6, 6, kOpaqueRed), false, grey, "http://h/grey.jpg", true);
  drain(*cache_);
  auto scaled = cache_->diskImageForKey("http://h/pic@2x.png");
  ASSERT_NE(scaled, nullptr);
  EXPECT_DOUBLE_EQ(scaled->size().width, 2.0);

  auto decoded = cache_->diskImageForKey("http://h/grey.jpg");
  ASSERT_NE(decoded, nullptr);
  EXPECT_EQ(decoded->bitmap()->colorModel(), platform::ColorModel::RGB);
  cache_->setShouldDecompressImages(false);
  auto raw = cache_->diskImageForKey("http://h/grey.jpg");
  ASSERT_NE(raw, nullptr);
  EXPECT_EQ(raw->bitmap()->colorModel(), platform::ColorModel::Monochrome);
}

TEST_F(WIImageCacheTest, NeverServesBrokenFiles) {
  const Data png = pngData(32, 32, kOpaqueRed, true);
  const Data jpeg = jpegData(32, 32, JpegColor::RGB);
  const std::vector<std::pair<std::string, Data>> broken = {
      {"http://h/empty.png", Data{}},
      {"http://h/noise.png", Data{0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE, 0xF0}},
      {"http://h/half.png", Data(png.begin(), png.begin() + png.size() / 2)},
      {"http://h/half.jpg", Data(jpeg.begin(), jpeg.begin() + jpeg.size() / 2)},
      {"http://h/huge.png", pngDeclaring(100000, 100000)},
      {"http://h/frames.gif", gifData(1, 1, std::vector<GifFrame>(5000, GifFrame{3}))},
  };
  files().createDirectory(cache_->diskCachePath(), true);
  std::vector<Answer> answers(broken.size());
  for (std::size_t i = 0; i < broken.size(); ++i) {
    const auto& [key, bytes] = broken[i];
    ASSERT_TRUE(files().writeFile(cache_->defaultCachePathForKey(key), bytes));
    EXPECT_EQ(cache_->imageFromDiskCacheForKey(key), nullptr) << key;
    ask(key, answers[i]);
  }
  ASSERT_TRUE(runMainUntil([&] { return answers.back().done; }));
  drain(*cache_);
  for (std::size_t i = 0; i < broken.size(); ++i) {
    EXPECT_TRUE(answers[i].done && !answers[i].image) << broken[i].first;
    EXPECT_EQ(answers[i].type, WIImageCacheTypeDisk);
  }
  EXPECT_EQ(cache_->memCache().count(), 0u);
}

TEST_F(WIImageCacheTest, RemovesFromMemoryAndDisk) {
  const std::string key = "http://h/r.png";
  cache_->storeImage(pngImage(kOpaqueRed), key);
  drain(*cache_);

  bool removedInMemory = false;
  cache_->removeImageForKey(key, /*fromDisk=*/false, [&] { removedInMemory = true; });
  EXPECT_TRUE(removedInMemory);  // nothing to wait for
  EXPECT_EQ(cache_->imageFromMemoryCacheForKey(key), nullptr);
  EXPECT_TRUE(cache_->diskImageExistsWithKey(key));

  cache_->storeImage(pngImage(kOpaqueRed), key, false);
  ASSERT_TRUE(completesOnMain([&](auto done) { cache_->removeImageForKey(key, true, done); }));
  EXPECT_FALSE(cache_->diskImageExistsWithKey(key));
  EXPECT_EQ(cache_->imageFromMemoryCacheForKey(key), nullptr);

  // With the memory layer switched off, removals leave memory alone.
  cache_->storeImage(pngImage(kOpaqueRed), key, false);
  cache_->setShouldCacheImagesInMemory(false);
  cache_->removeImageForKey(key, false);
  EXPECT_NE(cache_->imageFromMemoryCacheForKey(key), nullptr);

  bool found = true;
  ASSERT_TRUE(completesOnMain([&](auto done) {
    cache_->diskImageExistsWithKey(key, [&found, done](bool exists) {
      found = exists;
      done();
    });
  }));
  EXPECT_FALSE(found);
}

// Files are written behind the I/O queue. A store is readable as soon as that queue has taken
// it, before the file exists; a removal or a clear made before the write means the file never
// appears; what lands is whole, with no temporary file left beside it.
TEST_F(WIImageCacheTest, StoresAreReadableAtOnceAndLandWholeUnlessUndone) {
  std::mutex mutex;
  std::condition_variable changed;
  bool held = false, released = false;
  // Keeps the writer busy, so the stores below wait in memory until it is released.
  WIImageDiskWriter::shared().add(cache_->diskCachePath() + "-hold",
                                  std::make_shared<const Data>(1, 0),
                                  [&](const std::string&, const Data&) {
                                    std::unique_lock lock(mutex);
                                    held = true;
                                    changed.notify_all();
                                    changed.wait(lock, [&] { return released; });
                                  });
  {
    std::unique_lock lock(mutex);
    ASSERT_TRUE(changed.wait_for(lock, std::chrono::seconds(30), [&] { return held; }));
  }
  const Data red = *platform::encodePNG(*pngImage(kOpaqueRed));
  const std::string kept = "http://h/kept.png", removed = "http://h/removed.png";
  for (const auto& key : {kept, removed})
    cache_->storeImage(pngImage(kOpaqueRed), false, red, key, true);
  auto other = WIImageCache::create("other");
  other->storeImage(pngImage(kOpaqueBlue), "http://h/cleared.png");
  cache_->ioQueue()->sync([] {});
  EXPECT_FALSE(exists(cache_->defaultCachePathForKey(kept)));  // still in the writer's hands
  EXPECT_TRUE(cache_->diskImageExistsWithKey(kept));
  cache_->clearMemory();
  Answer answer;
  ask(kept, answer);
  ASSERT_TRUE(runMainUntil([&] { return answer.done; }));
  EXPECT_EQ(colourOf(answer.image), kOpaqueRed);
  cache_->removeImageForKey(removed);
  other->clearDisk();
  cache_->ioQueue()->sync([] {});
  other->ioQueue()->sync([] {});
  EXPECT_FALSE(cache_->diskImageExistsWithKey(removed));
  {
    std::lock_guard lock(mutex);
    released = true;
  }
  changed.notify_all();
  drain(*cache_);
  EXPECT_EQ(files().contentsAtPath(cache_->defaultCachePathForKey(kept)), red);
  EXPECT_FALSE(exists(cache_->defaultCachePathForKey(removed)));
  const auto entries = files().enumerate(cache_->diskCachePath(), /*skipHidden=*/false);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].path, cache_->defaultCachePathForKey(kept));
  EXPECT_EQ(other->getDiskCount(), 0u);
  EXPECT_EQ(WIImageDiskWriter::shared().pendingBytes(), 0u);
}

TEST_F(WIImageCacheTest, ClearsCountsAndMeasuresTheDisk) {
  const platform::TimeInterval now = platform::Clock::current().now();
  writeFile("a", 100, now);
  writeFile("b", 250, now);
  writeFile(".hidden", 10, now);
  EXPECT_EQ(cache_->getSize(), 360u);  // every entry, hidden ones included
  EXPECT_EQ(cache_->getDiskCount(), 3u);

  std::pair<std::size_t, std::size_t> counted;
  ASSERT_TRUE(completesOnMain([&](auto done) {
    cache_->calculateSizeWithCompletionBlock([&counted, done](std::size_t count, std::size_t size) {
      counted = {count, size};
      done();
    });
  }));
  EXPECT_EQ(counted, std::make_pair(std::size_t{2}, std::size_t{350}));  // hidden files skipped

  writeFile("sub/c", 5, now);
  EXPECT_EQ(cache_->getDiskCount(), 5u);  // the folder counts too
  ASSERT_TRUE(completesOnMain([&](auto done) { cache_->clearDiskOnCompletion(done); }));
  EXPECT_EQ(cache_->getDiskCount(), 0u);
  bool isDirectory = false;
  EXPECT_TRUE(files().fileExists(cache_->diskCachePath(), &isDirectory));
  EXPECT_TRUE(isDirectory);
}

// A cancelled query never answers. A query that reads the disk while the key is stored again or
// removed must not put the older disk picture back into memory afterwards.
TEST_F(WIImageCacheTest, PendingQueriesNeverAnswerWhenCancelledNorUndoLaterChanges) {
  const std::string key = "http://h/q.png";
  cache_->storeImage(pngImage(kOpaqueRed), key);
  drain(*cache_);
  cache_->clearMemory();
  Answer cancelled, later, overtaken, fresh;
  {
    QueueHold hold(*cache_->ioQueue());
    auto token = ask(key, cancelled);
    ASSERT_NE(token, nullptr);
    token->cancel();
    ask(key, later);
    cache_->storeImage(pngImage(kOpaqueBlue), key, /*toDisk=*/false);
  }
  drain(*cache_);
  EXPECT_TRUE(later.done);
  EXPECT_FALSE(cancelled.done);
  EXPECT_EQ(colourOf(cache_->imageFromMemoryCacheForKey(key)), kOpaqueBlue);

  cache_->clearMemory();
  {
    QueueHold hold(*cache_->ioQueue());
    ask(key, overtaken);
    cache_->removeImageForKey(key);
  }
  drain(*cache_);
  EXPECT_EQ(cache_->imageFromMemoryCacheForKey(key), nullptr);
  EXPECT_FALSE(cache_->diskImageExistsWithKey(key));

  // A query issued after a change reads what the change left on disk and may fill memory.
  cache_->storeImage(pngImage(kOpaqueGreen), key);
  cache_->clearMemory();
  ask(key, fresh);
  ASSERT_TRUE(runMainUntil([&] { return fresh.done; }));
  EXPECT_EQ(colourOf(fresh.image), kOpaqueGreen);
  EXPECT_EQ(colourOf(cache_->imageFromMemoryCacheForKey(key)), kOpaqueGreen);
}

TEST_F(WIImageCacheTest, ManyThreadsStoreAndReadAtOnce) {
  constexpr int kThreads = 8;
  constexpr int kKeys = 16;
  auto keyFor = [](int t, int i) {
    return "http://h/t" + std::to_string(t) + "/" + std::to_string(i) + ".png";
  };
  auto colourFor = [](int t, int i) {
    return 0xFF000000u | static_cast<std::uint32_t>(t << 16 | i);
  };
  std::atomic<int> wrongHits{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < kKeys; ++i) {
        cache_->storeImage(pngImage(colourFor(t, i)), keyFor(t, i));
        cache_->queryDiskCacheForKey(keyFor(t, i),
                                     [&, t, i](const ImagePtr& image, WIImageCacheType) {
                                       if (colourOf(image) != colourFor(t, i)) ++wrongHits;
                                     });
        // Somebody else's key: absent, in memory or on disk, but never a wrong picture.
        const int other = (t + 1) % kThreads;
        auto seen = cache_->imageFromDiskCacheForKey(keyFor(other, i));
        if (seen && colourOf(seen) != colourFor(other, i)) ++wrongHits;
      }
    });
  }
  for (auto& thread : threads) thread.join();
  drain(*cache_);
  EXPECT_EQ(wrongHits.load(), 0);

  auto reader = WIImageCache::create("test");
  for (int t = 0; t < kThreads; ++t) {
    for (int i = 0; i < kKeys; ++i) {
      EXPECT_EQ(colourOf(reader->imageFromDiskCacheForKey(keyFor(t, i))), colourFor(t, i));
    }
  }
  drain(*reader);
}

}  // namespace
}  // namespace sprout::test
