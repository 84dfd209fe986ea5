#include "platform/net/NetworkLoop.h"

#include <algorithm>
#include <cstdlib>
#include <thread>
#include <vector>

#include "platform/foundation/Log.h"
#include "platform/net/Transfer.h"
#include "platform/net/URLErrors.h"

namespace platform {
namespace {

constexpr int kMaxPollMs = 1000;

thread_local bool tIsNetworkThread = false;
thread_local NetworkLoop* tRunningLoop = nullptr;

// The one running loop, its thread, and how many sessions want it.
struct Engine {
  std::mutex mutex;
  int sessions = 0;
  bool exiting = false;
  std::shared_ptr<NetworkLoop> loop;
  std::thread thread;
  std::vector<std::thread> unjoined;  // loops stopped from their own thread
};

void stopAtExit();

Engine& engine() {
  // Never destroyed: sessions released by later static destructors must still find it.
  static Engine* instance = [] {
    curl_global_init(CURL_GLOBAL_DEFAULT);
    auto* created = new Engine;
    std::atexit(stopAtExit);
    return created;
  }();
  return *instance;
}

void joinAll(std::thread current, std::vector<std::thread> others) {
  if (current.joinable()) current.join();
  for (std::thread& thread : others) {
    if (thread.joinable()) thread.join();
  }
}

}  // namespace

void NetworkLoop::retainForSession() {
  Engine& e = engine();
  std::vector<std::thread> unjoined;
  {
    std::lock_guard lock(e.mutex);
    if (++e.sessions > 1 || e.exiting || e.loop) return;
    // A delegate running on a stopping loop's thread may start the next session: that thread
    // cannot join itself, so the stopped threads wait for a later start or for exit.
    if (!tIsNetworkThread) {
      unjoined = std::move(e.unjoined);
      e.unjoined.clear();
    }
    auto loop = std::make_shared<NetworkLoop>();
    e.loop = loop;
    e.thread = std::thread([loop] {
      tIsNetworkThread = true;
      loop->run();
    });
  }
  joinAll(std::thread(), std::move(unjoined));
}

void NetworkLoop::releaseForSession() {
  Engine& e = engine();
  std::thread toJoin;
  {
    std::lock_guard lock(e.mutex);
    if (--e.sessions > 0 || !e.loop) return;
    e.loop->requestStop();
    e.loop.reset();
    if (tIsNetworkThread) {
      e.unjoined.push_back(std::move(e.thread));  // cannot join itself; the next start will
    } else {
      toJoin = std::move(e.thread);
    }
  }
  joinAll(std::move(toJoin), {});
}

namespace {

void stopAtExit() {
  Engine& e = engine();
  std::thread current;
  std::vector<std::thread> unjoined;
  {
    std::lock_guard lock(e.mutex);
    e.exiting = true;
    if (e.loop) e.loop->requestStop();
    e.loop.reset();
    current = std::move(e.thread);
    unjoined = std::move(e.unjoined);
  }
  joinAll(std::move(current), std::move(unjoined));
}

}  // namespace

void NetworkLoop::post(Command command) {
  std::shared_ptr<NetworkLoop> loop;
  {
    Engine& e = engine();
    std::lock_guard lock(e.mutex);
    loop = e.loop;
  }
  if (loop) loop->enqueue(std::move(command));
}

bool NetworkLoop::isNetworkThread() { return tIsNetworkThread; }

bool NetworkLoop::deferToEndOfRound(std::function<void()> deliver) {
  if (!tRunningLoop) return false;
  tRunningLoop->deferred_.push_back(std::move(deliver));
  return true;
}

NetworkLoop::NetworkLoop() : multi_(curl_multi_init()) {
  // Loads to one HTTP/2 server share its connection (the transfers ask to wait for it).
  if (multi_) curl_multi_setopt(multi_, CURLMOPT_PIPELINING, CURLPIPE_MULTIPLEX);
}

NetworkLoop::~NetworkLoop() {
  transfers_.clear();
  if (multi_) curl_multi_cleanup(multi_);
}

void NetworkLoop::enqueue(Command command) {
  {
    std::lock_guard lock(mutex_);
    commands_.push_back(std::move(command));
  }
  curl_multi_wakeup(multi_);
}

void NetworkLoop::requestStop() {
  {
    std::lock_guard lock(mutex_);
    stopRequested_ = true;
  }
  curl_multi_wakeup(multi_);
}

void NetworkLoop::run() {
  if (!multi_) {
    log(LogLevel::Error, "URLSession", "cannot create the libcurl multi handle");
    return;
  }
  tRunningLoop = this;
  for (;;) {
    runCommands();
    {
      std::lock_guard lock(mutex_);
      if (stopRequested_) break;
    }
    int running = 0;
    curl_multi_perform(multi_, &running);
    collectFinished();
    expireIdleTransfers();
    runDeferred();
    curl_multi_poll(multi_, nullptr, 0, pollTimeoutMs(), nullptr);
  }
  shutdown();
  tRunningLoop = nullptr;
}

// What the deferred work defers in turn (a delegate cancelling another task, say) runs too: the
// loop must not wait with deliveries outstanding.
void NetworkLoop::runDeferred() {
  while (!deferred_.empty()) {
    std::vector<std::function<void()>> batch;
    batch.swap(deferred_);
    for (auto& deliver : batch) deliver();
  }
}

void NetworkLoop::runCommands() {
  std::deque<Command> batch;
  {
    std::lock_guard lock(mutex_);
    batch.swap(commands_);
  }
  for (Command& command : batch) command(*this);
}

void NetworkLoop::collectFinished() {
  int left = 0;
  while (CURLMsg* message = curl_multi_info_read(multi_, &left)) {
    if (message->msg != CURLMSG_DONE) continue;
    // The message dies with the handle's removal below; keep what it said.
    CURL* easy = message->easy_handle;
    const CURLcode result = message->data.result;
    auto it = byHandle_.find(easy);
    if (it == byHandle_.end()) continue;
    Transfer& transfer = *it->second;
    detach(transfer);
    switch (transfer.finish(result)) {
      case Transfer::Outcome::Finished:
        remove(transfer.taskIdentifier());
        break;
      case Transfer::Outcome::AwaitingChallenge:
        break;
      case Transfer::Outcome::Restart:
        attach(transfer);
        break;
    }
  }
}

void NetworkLoop::expireIdleTransfers() {
  const Clock::time_point now = Clock::now();
  if (now < nextIdleCheck_) return;
  nextIdleCheck_ = Clock::time_point::max();
  std::vector<std::uint64_t> expired;
  for (auto& [identifier, transfer] : transfers_) {
    const Clock::time_point deadline = transfer->idleDeadline();
    if (deadline <= now) {
      expired.push_back(identifier);
    } else {
      nextIdleCheck_ = std::min(nextIdleCheck_, deadline);
    }
  }
  for (std::uint64_t identifier : expired) {
    if (Transfer* transfer = find(identifier)) {
      transfer->fail(URLError::TimedOut, "nothing received within the timeout interval");
      remove(identifier);
    }
  }
}

int NetworkLoop::pollTimeoutMs() {
  long curlMs = -1;
  curl_multi_timeout(multi_, &curlMs);
  long ms = curlMs < 0 ? kMaxPollMs : std::min<long>(curlMs, kMaxPollMs);
  if (nextIdleCheck_ != Clock::time_point::max()) {
    const auto untilIdle =
        std::chrono::ceil<std::chrono::milliseconds>(nextIdleCheck_ - Clock::now());
    ms = std::min<long>(ms, std::max<long>(0, static_cast<long>(untilIdle.count())));
  }
  return static_cast<int>(std::max<long>(0, ms));
}

void NetworkLoop::add(std::unique_ptr<Transfer> transfer) {
  if (!transfer->prepare()) return;
  Transfer& added = *transfer;
  transfers_[added.taskIdentifier()] = std::move(transfer);
  attach(added);
}

Transfer* NetworkLoop::find(std::uint64_t taskIdentifier) {
  auto it = transfers_.find(taskIdentifier);
  return it == transfers_.end() ? nullptr : it->second.get();
}

void NetworkLoop::remove(std::uint64_t taskIdentifier) {
  auto it = transfers_.find(taskIdentifier);
  if (it == transfers_.end()) return;
  detach(*it->second);
  // Destroying the transfer may release the last reference to its task and session.
  std::unique_ptr<Transfer> doomed = std::move(it->second);
  transfers_.erase(it);
  doomed.reset();
}

void NetworkLoop::attach(Transfer& transfer) {
  if (curl_multi_add_handle(multi_, transfer.handle()) != CURLM_OK) {
    transfer.fail(URLError::Unknown, "cannot start the transfer");
    remove(transfer.taskIdentifier());
    return;
  }
  byHandle_[transfer.handle()] = &transfer;
  transfer.setAttached(true);
  nextIdleCheck_ = std::min(nextIdleCheck_, transfer.idleDeadline());
}

void NetworkLoop::detach(Transfer& transfer) {
  auto it = byHandle_.find(transfer.handle());
  if (it == byHandle_.end()) return;
  curl_multi_remove_handle(multi_, transfer.handle());
  byHandle_.erase(it);
  transfer.setAttached(false);
}

void NetworkLoop::setPaused(Transfer& transfer, bool paused) {
  transfer.setPaused(paused);
  nextIdleCheck_ = std::min(nextIdleCheck_, transfer.idleDeadline());
}

void NetworkLoop::shutdown() {
  runDeferred();  // events already queued for delegates still reach them
  for (auto& [identifier, transfer] : transfers_) detach(*transfer);
  std::map<std::uint64_t, std::unique_ptr<Transfer>> doomed;
  doomed.swap(transfers_);
  doomed.clear();
  std::deque<Command> pending;
  {
    std::lock_guard lock(mutex_);
    pending.swap(commands_);
  }
}

}  // namespace platform
