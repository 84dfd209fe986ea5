#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "images/WIImageOperation.h"
#include "platform/foundation/URL.h"

namespace sprout {

class WIImageDownloader;
class WIImageDownloaderOperation;
struct WIImageDownloaderCallbackEntry;

// One caller's share of a download. Several callers of one URL share one operation; cancelling a
// token withdraws only this caller's blocks, and stops the download when no caller is left.
class WIImageDownloadToken : public WIImageOperation {
 public:
  WIImageDownloadToken(std::weak_ptr<WIImageDownloader> downloader, platform::URL url,
                       std::uint64_t downloadId,
                       std::shared_ptr<WIImageDownloaderCallbackEntry> entry,
                       std::weak_ptr<WIImageDownloaderOperation> operation, bool joined);
  ~WIImageDownloadToken() override;
  WIImageDownloadToken(const WIImageDownloadToken&) = delete;
  WIImageDownloadToken& operator=(const WIImageDownloadToken&) = delete;

  void cancel() override;
  bool isCancelled() const { return cancelled_.load(); }

  // True when another caller had already started the download of this URL.
  bool joinedExistingDownload() const { return joined_; }
  // Null once the download has ended.
  std::shared_ptr<WIImageDownloaderOperation> operation() const { return operation_.lock(); }
  const platform::URL& url() const { return url_; }
  std::uint64_t downloadId() const { return downloadId_; }

 private:
  const std::weak_ptr<WIImageDownloader> downloader_;
  const platform::URL url_;
  const std::uint64_t downloadId_;
  const std::shared_ptr<WIImageDownloaderCallbackEntry> entry_;
  const std::weak_ptr<WIImageDownloaderOperation> operation_;
  const bool joined_;
  std::atomic<bool> cancelled_{false};
};

}  // namespace sprout
