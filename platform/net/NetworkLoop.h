#pragma once

#include <curl/curl.h>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

namespace platform {

class Transfer;

// The network thread: one libcurl multi handle driven by curl_multi_poll, woken by
// curl_multi_wakeup when a command arrives. Every Transfer (and so every easy handle) is touched
// only on this thread; other threads reach it by posting commands.
//
// One loop runs while any URLSession exists. The static functions manage that lifetime: the
// first session starts a loop on a new thread, the last one stops it and joins the thread (or,
// if the last session dies on the network thread itself, the next start or process exit joins it).
class NetworkLoop {
 public:
  using Command = std::function<void(NetworkLoop&)>;
  using Clock = std::chrono::steady_clock;

  static void retainForSession();
  static void releaseForSession();
  // Runs `command` on the network thread, in posting order. Dropped if no loop runs (only when
  // no session exists, so nothing could be waiting for it).
  static void post(Command command);
  static bool isNetworkThread();
  // On the network thread: runs `deliver` once the current round has served every transfer (and
  // before the loop waits again), so what a round produces leaves in one hand-over per task.
  // Elsewhere: returns false and does nothing.
  static bool deferToEndOfRound(std::function<void()> deliver);

  NetworkLoop();
  ~NetworkLoop();
  NetworkLoop(const NetworkLoop&) = delete;
  NetworkLoop& operator=(const NetworkLoop&) = delete;

  // Network thread only.
  void add(std::unique_ptr<Transfer> transfer);
  Transfer* find(std::uint64_t taskIdentifier);
  void remove(std::uint64_t taskIdentifier);  // out of the multi, easy handle freed
  void attach(Transfer& transfer);            // (re)starts its easy handle
  void detach(Transfer& transfer);            // stops it but keeps the transfer (challenges)
  void setPaused(Transfer& transfer, bool paused);

  // Any thread: the loop finishes its current round and ends, dropping what is left.
  void requestStop();

 private:
  void enqueue(Command command);
  void run();
  void runCommands();
  void collectFinished();
  void expireIdleTransfers();
  void runDeferred();
  int pollTimeoutMs();
  void shutdown();

  CURLM* multi_;
  std::mutex mutex_;
  std::deque<Command> commands_;
  bool stopRequested_ = false;

  std::vector<std::function<void()>> deferred_;  // network thread only
  std::map<std::uint64_t, std::unique_ptr<Transfer>> transfers_;
  std::map<CURL*, Transfer*> byHandle_;
  Clock::time_point nextIdleCheck_ = Clock::time_point::max();
};

}  // namespace platform
