#include "platform/ui/GestureRecognizerArena.h"

#include <algorithm>
#include <atomic>

#include "platform/dispatch/MainThread.h"
#include "platform/foundation/Log.h"
#include "platform/ui/ClassRegistry.h"
#include "platform/ui/GestureRecognizer.h"
#include "platform/ui/View.h"

namespace platform {
namespace {

std::atomic<bool>& logging() {
  static std::atomic<bool> on{false};
  return on;
}

std::uint64_t nextNumber() {
  static std::uint64_t number = 0;
  return ++number;
}

}  // namespace

void GestureRecognizerArena::setLogging(bool on) { logging().store(on); }

bool GestureRecognizerArena::isLogging() { return logging().load(std::memory_order_relaxed); }

GestureRecognizerArena::GestureRecognizerArena() : number_(nextNumber()) {
  assertMainThread("GestureRecognizerArena");
}

std::shared_ptr<GestureRecognizerArena> GestureRecognizerArena::current(
    const std::shared_ptr<GestureRecognizerArena>& self) const {
  auto arena = self;
  while (arena->joined_) arena = arena->joined_;
  return arena;
}

std::vector<std::shared_ptr<GestureRecognizer>> GestureRecognizerArena::members() const {
  std::vector<std::shared_ptr<GestureRecognizer>> alive;
  for (const auto& weak : members_) {
    if (auto r = weak.lock()) alive.push_back(std::move(r));
  }
  return alive;
}

void GestureRecognizerArena::add(const std::shared_ptr<GestureRecognizer>& recognizer) {
  std::erase_if(members_, [](const auto& weak) { return weak.expired(); });
  members_.push_back(recognizer);
}

void GestureRecognizerArena::remove(const GestureRecognizer& recognizer) {
  std::erase_if(members_, [&recognizer](const auto& weak) {
    auto r = weak.lock();
    return !r || r.get() == &recognizer;
  });
}

void GestureRecognizerArena::absorb(GestureRecognizerArena& other,
                                    const std::shared_ptr<GestureRecognizerArena>& self) {
  for (auto& weak : other.members_) {
    if (!weak.expired()) members_.push_back(std::move(weak));
  }
  other.members_.clear();
  other.joined_ = self;
}

void GestureRecognizerArena::log(const std::string& line) const {
  if (!isLogging()) return;
  platform::log(LogLevel::Debug, kLogTag, "arena " + std::to_string(number_) + ": " + line);
}

std::string GestureRecognizerArena::describe(const GestureRecognizer& recognizer) {
  const auto& classes = ClassRegistry::shared();
  std::string text = classes.nameOf(recognizer);
  if (auto view = recognizer.view()) text += " on " + classes.nameOf(*view);
  return text;
}

}  // namespace platform
