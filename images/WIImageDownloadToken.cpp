#include "images/WIImageDownloadToken.h"

#include <utility>

#include "images/WIImageDownloader.h"

namespace sprout {

WIImageDownloadToken::WIImageDownloadToken(std::weak_ptr<WIImageDownloader> downloader,
                                           platform::URL url, std::uint64_t downloadId,
                                           std::shared_ptr<WIImageDownloaderCallbackEntry> entry,
                                           std::weak_ptr<WIImageDownloaderOperation> operation,
                                           bool joined)
    : downloader_(std::move(downloader)),
      url_(std::move(url)),
      downloadId_(downloadId),
      entry_(std::move(entry)),
      operation_(std::move(operation)),
      joined_(joined) {}

WIImageDownloadToken::~WIImageDownloadToken() = default;

void WIImageDownloadToken::cancel() {
  if (cancelled_.exchange(true)) return;
  if (auto downloader = downloader_.lock()) {
    downloader->cancelCallback(url_, downloadId_, entry_);
  } else if (entry_) {
    entry_->cancelled.store(true);
  }
}

}  // namespace sprout
