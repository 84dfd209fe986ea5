#include "platform/animation/Transaction.h"

#include <memory>
#include <vector>

#include "platform/dispatch/MainThread.h"
#include "platform/dispatch/RunLoop.h"
#include "platform/foundation/Log.h"

namespace platform {
namespace {

struct CompletionGroup {
  int pending = 0;
  bool committed = false;
  bool fired = false;
  std::function<void()> completion;

  void fireIfDone() {
    if (fired || !committed || pending > 0) return;
    fired = true;
    if (completion) RunLoop::main().post(std::move(completion));
  }
};

struct Frame {
  bool disableActions = false;
  TimeInterval duration = kDefaultDuration;
  std::optional<TimingFunction> timing;
  std::shared_ptr<CompletionGroup> group = std::make_shared<CompletionGroup>();
  static constexpr TimeInterval kDefaultDuration = 0.25;
};

std::vector<Frame>& frames() {
  assertMainThread("Transaction");
  static std::vector<Frame> stack;
  return stack;
}

}  // namespace

void Transaction::begin() {
  Frame frame;
  if (!frames().empty()) {
    frame.disableActions = frames().back().disableActions;
    frame.duration = frames().back().duration;
    frame.timing = frames().back().timing;
  }
  frames().push_back(std::move(frame));
}

void Transaction::commit() {
  if (frames().empty()) {
    log(LogLevel::Warning, "Transaction", "commit without begin");
    return;
  }
  std::shared_ptr<CompletionGroup> group = frames().back().group;
  frames().pop_back();
  group->committed = true;
  group->fireIfDone();
}

int Transaction::depth() { return static_cast<int>(frames().size()); }

bool Transaction::disableActions() { return !frames().empty() && frames().back().disableActions; }

void Transaction::setDisableActions(bool disable) {
  if (!frames().empty()) frames().back().disableActions = disable;
}

TimeInterval Transaction::animationDuration() {
  return frames().empty() ? Frame::kDefaultDuration : frames().back().duration;
}

void Transaction::setAnimationDuration(TimeInterval duration) {
  if (!frames().empty()) frames().back().duration = duration;
}

std::optional<TimingFunction> Transaction::animationTimingFunction() {
  return frames().empty() ? std::nullopt : frames().back().timing;
}

void Transaction::setAnimationTimingFunction(std::optional<TimingFunction> function) {
  if (!frames().empty()) frames().back().timing = function;
}

void Transaction::setCompletionBlock(std::function<void()> completion) {
  if (!frames().empty()) frames().back().group->completion = std::move(completion);
}

std::function<void()> Transaction::trackAnimation() {
  std::vector<std::shared_ptr<CompletionGroup>> groups;
  for (Frame& f : frames()) {
    ++f.group->pending;
    groups.push_back(f.group);
  }
  if (groups.empty()) return [] {};
  return [groups = std::move(groups), done = false]() mutable {
    if (done) return;
    done = true;
    for (auto& g : groups) {
      --g->pending;
      g->fireIfDone();
    }
  };
}

}  // namespace platform
