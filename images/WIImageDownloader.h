#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "images/WIImageDownloadToken.h"
#include "images/WIImageDownloaderOperation.h"
#include "images/WIImageDownloaderTypes.h"
#include "images/WIImageOperation.h"
#include "images/WIImageTypes.h"
#include "platform/dispatch/DispatchQueue.h"
#include "platform/dispatch/OperationQueue.h"
#include "platform/net/HTTPHeaderFields.h"
#include "platform/net/URLCredential.h"
#include "platform/net/URLRequest.h"
#include "platform/net/URLSession.h"
#include "platform/net/URLSessionConfiguration.h"
#include "platform/net/URLSessionDataDelegate.h"

namespace sprout {

// One caller's blocks for a URL. `cancelled` is set when the caller withdraws, so a delivery
// already on its way to the caller is dropped.
struct WIImageDownloaderCallbackEntry {
  WIImageDownloaderProgressBlock progress;
  WIImageDownloaderCompletedBlock completed;
  std::atomic<bool> cancelled{false};
};

// Makes the operation for one download; the default makes a WIImageDownloaderOperation.
using WIImageDownloaderOperationFactory = std::function<std::shared_ptr<WIImageDownloaderOperation>(
    const platform::URLRequest& request, const std::shared_ptr<platform::URLSession>& session,
    WIImageDownloaderOptions options, WIImageDownloaderProgressBlock progress,
    WIImageDownloaderCompletedBlock completed, WIImageNoParamsBlock cancelled)>;

// Downloads images on a bounded operation queue over one shared URL session, whose delegate it
// is. A URL is downloaded by at most one operation at a time: later callers join its callback
// list and hear the same result. The lists are guarded by the concurrent barrier queue.
class WIImageDownloader : public std::enable_shared_from_this<WIImageDownloader>,
                          public platform::URLSessionDataDelegate {
 public:
  static constexpr int kDefaultMaxConcurrentDownloads = 6;
  static constexpr platform::TimeInterval kDefaultDownloadTimeout = 15.0;
  static constexpr char kDownloadQueueName[] = "com.brasswick.WIImageDownloader";
  static constexpr char kBarrierQueueLabel[] = "com.brasswick.WIImageDownloaderBarrierQueue";
  static constexpr char kAcceptHeaderValue[] = "image/*;q=0.8";

  static std::shared_ptr<WIImageDownloader> sharedDownloader();
  // Over the default session configuration.
  static std::shared_ptr<WIImageDownloader> create();
  // Over `configuration` (its cookie storage, URL cache, limits); the request timeout is set to
  // the download timeout.
  static std::shared_ptr<WIImageDownloader> create(platform::URLSessionConfiguration configuration);

  ~WIImageDownloader() override;
  WIImageDownloader(const WIImageDownloader&) = delete;
  WIImageDownloader& operator=(const WIImageDownloader&) = delete;

  // Starts (or joins) the download of `url` and returns this caller's WIImageDownloadToken.
  // For a null URL, `completed` runs at once with (nullptr, nullopt, nullopt, false) and null is
  // returned.
  std::shared_ptr<WIImageOperation> downloadImageWithURL(const OptionalURL& url,
                                                         WIImageDownloaderOptions options,
                                                         WIImageDownloaderProgressBlock progress,
                                                         WIImageDownloaderCompletedBlock completed);
  // The callback bookkeeping: appends this caller's blocks to the URL's list and, when the list
  // is new, calls `create` (inside the barrier) with the new download's id for its operation.
  using CreateCallback =
      std::function<std::shared_ptr<WIImageDownloaderOperation>(std::uint64_t downloadId)>;
  std::shared_ptr<WIImageDownloadToken> addProgressCallback(
      WIImageDownloaderProgressBlock progress, WIImageDownloaderCompletedBlock completed,
      const OptionalURL& url, const CreateCallback& create);

  bool shouldDecompressImages() const;
  void setShouldDecompressImages(bool value);
  platform::TimeInterval downloadTimeout() const;
  void setDownloadTimeout(platform::TimeInterval seconds);
  WIImageDownloaderExecutionOrder executionOrder() const;
  void setExecutionOrder(WIImageDownloaderExecutionOrder order);
  std::optional<platform::URLCredential> urlCredential() const;
  void setUrlCredential(std::optional<platform::URLCredential> credential);
  std::optional<std::string> username() const;
  void setUsername(std::optional<std::string> username);
  std::optional<std::string> password() const;
  void setPassword(std::optional<std::string> password);
  WIImageDownloaderHeadersFilterBlock headersFilter() const;
  void setHeadersFilter(WIImageDownloaderHeadersFilterBlock filter);
  // Copied into every new operation: the most bytes one image may announce or send.
  std::size_t maximumImageDataLength() const;
  void setMaximumImageDataLength(std::size_t bytes);
  WIImageDownloaderOperationFactory operationClass() const;
  void setOperationClass(WIImageDownloaderOperationFactory factory);  // empty: the default

  // nullopt removes the field.
  void setValue(const std::optional<std::string>& value, const std::string& field);
  std::optional<std::string> valueForHTTPHeaderField(const std::string& field) const;
  platform::HTTPHeaderFields HTTPHeaders() const;

  int maxConcurrentDownloads() const;
  void setMaxConcurrentDownloads(int count);
  std::size_t currentDownloadCount() const;
  void setSuspended(bool suspended);
  void cancelAllDownloads();

  const std::shared_ptr<platform::OperationQueue>& downloadQueue() const { return downloadQueue_; }
  const std::shared_ptr<platform::DispatchQueue>& barrierQueue() const { return barrierQueue_; }
  const std::shared_ptr<platform::URLSession>& session() const { return session_; }
  // The queued operation running `task`, or null.
  std::shared_ptr<WIImageDownloaderOperation> operationWithTask(
      const platform::URLSessionDataTask& task) const;
  void forgetTask(const platform::URLSessionDataTask& task);

  // Session events, forwarded to the operation that owns the task.
  void didReceiveResponse(platform::URLSession& session,
                          const std::shared_ptr<platform::URLSessionDataTask>& task,
                          const std::shared_ptr<const platform::URLResponse>& response,
                          ResponseHandler completionHandler) override;
  void didReceiveData(platform::URLSession& session,
                      const std::shared_ptr<platform::URLSessionDataTask>& task,
                      const platform::Data& data) override;
  void didReceiveOwnedData(platform::URLSession& session,
                           const std::shared_ptr<platform::URLSessionDataTask>& task,
                           platform::Data&& data) override;
  void willCacheResponse(platform::URLSession& session,
                         const std::shared_ptr<platform::URLSessionDataTask>& task,
                         const platform::CachedURLResponse& proposedResponse,
                         CacheHandler completionHandler) override;
  void didCompleteWithError(platform::URLSession& session,
                            const std::shared_ptr<platform::URLSessionDataTask>& task,
                            const std::optional<platform::Error>& error) override;
  void didReceiveChallenge(platform::URLSession& session,
                           const std::shared_ptr<platform::URLSessionDataTask>& task,
                           const platform::URLAuthenticationChallenge& challenge,
                           ChallengeHandler completionHandler) override;

 private:
  friend class WIImageDownloadToken;

  // The callers of one URL and the download that serves them.
  struct CallbackList {
    std::uint64_t downloadId = 0;
    std::weak_ptr<WIImageDownloaderOperation> operation;
    std::vector<std::shared_ptr<WIImageDownloaderCallbackEntry>> entries;
  };

  WIImageDownloader();
  void makeSession(platform::URLSessionConfiguration configuration);

  std::shared_ptr<WIImageDownloaderOperation> makeOperation(const platform::URL& url,
                                                            WIImageDownloaderOptions options,
                                                            std::uint64_t downloadId);
  platform::URLRequest makeRequest(const platform::URL& url,
                                   WIImageDownloaderOptions options) const;
  std::optional<platform::URLCredential> credentialForOperation() const;
  void enqueue(const std::shared_ptr<WIImageDownloaderOperation>& operation,
               WIImageDownloaderOptions options);

  // The blocks each operation reports through; they find the callers by (url, downloadId).
  void reportProgress(const platform::URL& url, std::uint64_t downloadId, long received,
                      long expected);
  void reportCompletion(const platform::URL& url, std::uint64_t downloadId, const ImagePtr& image,
                        const std::optional<platform::Data>& data, const OptionalError& error,
                        bool finished);
  // Forgets the URL's list when it still belongs to `downloadId`.
  void removeCallbacks(const platform::URL& url, std::uint64_t downloadId);
  // A token's withdrawal; stops the download when it was the last caller.
  void cancelCallback(const platform::URL& url, std::uint64_t downloadId,
                      const std::shared_ptr<WIImageDownloaderCallbackEntry>& entry);

  mutable std::mutex settingsMutex_;
  bool shouldDecompressImages_ = true;
  platform::TimeInterval downloadTimeout_ = kDefaultDownloadTimeout;
  WIImageDownloaderExecutionOrder executionOrder_ = WIImageDownloaderFIFOExecutionOrder;
  std::optional<platform::URLCredential> urlCredential_;
  std::optional<std::string> username_;
  std::optional<std::string> password_;
  WIImageDownloaderHeadersFilterBlock headersFilter_;
  std::size_t maximumImageDataLength_ = WIImageDownloaderOperation::kDefaultMaximumDataLength;
  WIImageDownloaderOperationFactory operationFactory_;
  platform::HTTPHeaderFields HTTPHeaders_;
  std::weak_ptr<platform::Operation> lastAddedOperation_;

  const std::shared_ptr<platform::OperationQueue> downloadQueue_;
  const std::shared_ptr<platform::DispatchQueue> barrierQueue_;
  std::shared_ptr<platform::URLSession> session_;

  // Barrier queue only.
  std::unordered_map<platform::URL, CallbackList> URLCallbacks_;
  // Which operation owns a task, found once by scanning the queue and kept until the task
  // completes: every session event asks, and the queue may hold hundreds of operations.
  mutable std::mutex taskOwnersMutex_;
  mutable std::unordered_map<const platform::URLSessionDataTask*,
                             std::weak_ptr<WIImageDownloaderOperation>>
      taskOwners_;
  std::atomic<std::uint64_t> nextDownloadId_{1};
};

}  // namespace sprout
