// View animation blocks: while a block runs, the views' layers ask their view for an action on
// each change, and the view answers with an animation carrying the block's timing.
#include <cmath>
#include <map>
#include <utility>
#include <vector>

#include "platform/animation/BasicAnimation.h"
#include "platform/animation/SpringAnimation.h"
#include "platform/dispatch/MainThread.h"
#include "platform/dispatch/RunLoop.h"
#include "platform/ui/ApplicationWindows.h"
#include "platform/ui/View.h"
#include "platform/ui/Window.h"

namespace platform {
namespace {

// Collects the animations of one block and runs its completion once all have stopped.
struct BlockGroup {
  int pending = 0;
  bool finished = true;
  bool closed = false;
  bool fired = false;
  std::function<void(bool)> completion;
  // While the block runs: per layer and key, whether this block's own later change replaced
  // that animation (which does not make the block unfinished).
  std::map<std::pair<const Layer*, std::string>, std::shared_ptr<bool>> superseded;

  void fireIfDone() {
    if (fired || !closed || pending > 0) return;
    fired = true;
    if (completion) completion(finished);
  }
};

struct Spring {
  double stiffness, damping, velocity;
};

struct BlockContext {
  TimeInterval duration = 0;
  TimeInterval delay = 0;
  unsigned options = 0;
  std::optional<Spring> spring;
  bool disabled = false;
  std::shared_ptr<BlockGroup> group;
};

std::vector<BlockContext>& blocks() {
  assertMainThread("View animation block stack");
  static std::vector<BlockContext> stack;
  return stack;
}

bool& animationsEnabled() {
  assertMainThread("View animations switch");
  static bool enabled = true;
  return enabled;
}

TimingFunction curveFunction(unsigned options) {
  switch ((options & kViewAnimationCurveMask) >> kViewAnimationCurveShift) {
    case 1:
      return TimingFunction::named(TimingFunctionName::EaseIn);
    case 2:
      return TimingFunction::named(TimingFunctionName::EaseOut);
    case 3:
      return TimingFunction::named(TimingFunctionName::Linear);
    default:  // ease-in-ease-out, and the keyboard's private curve
      return TimingFunction::named(TimingFunctionName::EaseInEaseOut);
  }
}

// Per view and key, where its running block animation is heading (the model value it was made
// for), so a later block without "begin from current state" can start from there. Kept on the
// view (its layer copies the animations it is given); the id makes a replaced animation's stop
// leave its successor's entry alone.
using Targets = std::map<std::string, std::pair<std::uint64_t, AnimationValue>>;
constexpr AssociatedKey<Targets> kTargetsKey{"platform.view.animationTargets"};

std::uint64_t nextTargetId() {
  assertMainThread("View animation targets");
  static std::uint64_t id = 0;
  return ++id;
}

bool viewAnimates(const std::string& key) {
  return key == "position" || key == "bounds" || key == "transform" || key == "opacity" ||
         key == "backgroundColor" || key == "cornerRadius" || key == "borderWidth" ||
         key == "borderColor" || key == "anchorPoint";
}

void runBlock(BlockContext context, const std::function<void()>& animations,
              std::function<void(bool)> completion) {
  auto group = std::make_shared<BlockGroup>();
  group->completion = std::move(completion);
  context.group = group;
  const TimeInterval delay = context.delay;
  const bool layOut = context.options & ViewAnimationOptionLayoutSubviews;
  blocks().push_back(std::move(context));
  if (animations) animations();
  // Layout the block's changes called for happens inside it, so the frames it sets animate too.
  if (layOut) {
    for (const auto& window : ApplicationWindows::shared().windows()) window->layoutIfNeeded();
  }
  blocks().pop_back();
  group->superseded.clear();
  group->closed = true;
  if (group->pending > 0) return;
  // Nothing animated: the completion still comes, from the run loop, after the delay.
  auto fire = [group] { group->fireIfDone(); };
  if (delay > 0) {
    RunLoop::main().performAfter(delay, fire, RunLoopMode::Common);
  } else {
    RunLoop::main().post(fire);
  }
}

}  // namespace

void View::animateWithDuration(TimeInterval duration, TimeInterval delay, unsigned options,
                               const std::function<void()>& animations,
                               std::function<void(bool)> completion) {
  BlockContext context;
  context.duration = duration;
  context.delay = delay;
  context.options = options;
  runBlock(std::move(context), animations, std::move(completion));
}

void View::animateWithDuration(TimeInterval duration, const std::function<void()>& animations,
                               std::function<void(bool)> completion) {
  animateWithDuration(duration, 0, 0, animations, std::move(completion));
}

void View::animateWithDuration(TimeInterval duration, TimeInterval delay, double dampingRatio,
                               double velocity, unsigned options,
                               const std::function<void()>& animations,
                               std::function<void(bool)> completion) {
  // A unit mass whose envelope decays to 0.1 % within the duration.
  const double zeta = std::max(0.05, dampingRatio);
  const double w0 = duration > 0 ? std::log(1000.0) / (zeta * duration) : 10;
  BlockContext context;
  context.duration = duration;
  context.delay = delay;
  context.options = options;
  context.spring = Spring{w0 * w0, 2 * zeta * w0, velocity};
  runBlock(std::move(context), animations, std::move(completion));
}

void View::performWithoutAnimation(const std::function<void()>& changes) {
  BlockContext context;
  context.disabled = true;
  context.group = std::make_shared<BlockGroup>();
  blocks().push_back(std::move(context));
  if (changes) changes();
  blocks().pop_back();
}

bool View::areAnimationsEnabled() { return animationsEnabled(); }

void View::setAnimationsEnabled(bool enabled) { animationsEnabled() = enabled; }

std::optional<std::shared_ptr<Animation>> View::actionForLayer(Layer& layer, const std::string& key,
                                                               const AnimationValue& from) {
  // Outside blocks a view's own layer never animates by itself; nor does a view being made
  // inside a block (it is not owned yet, and had nothing on screen to animate from).
  if (blocks().empty() || !animationsEnabled() || weak_from_this().expired()) {
    return std::shared_ptr<Animation>();
  }
  const BlockContext& block = blocks().back();
  if (block.disabled || block.duration <= 0 || !viewAnimates(key)) {
    return std::shared_ptr<Animation>();
  }
  std::shared_ptr<BasicAnimation> animation;
  if (block.spring) {
    auto spring = SpringAnimation::create(key);
    spring->setStiffness(block.spring->stiffness);
    spring->setDamping(block.spring->damping);
    spring->setInitialVelocity(block.spring->velocity);
    animation = spring;
  } else {
    animation = BasicAnimation::create(key);
    animation->setTimingFunction(curveFunction(block.options));
  }
  // Without "begin from current state" a property caught mid-flight starts from where its running
  // animation was heading, not from what is on screen.
  auto& targets = associatedOrMake(kTargetsKey);
  auto previous = targets.find(key);
  const bool fromTarget = !(block.options & ViewAnimationOptionBeginFromCurrentState) &&
                          previous != targets.end() && layer.animationForKey(key);
  animation->setFromValue(fromTarget ? previous->second.second : from);
  animation->setDuration(block.duration);
  if (block.delay > 0) {
    animation->setBeginTime(currentMediaTime() + block.delay);
    animation->setFillMode(FillMode::Backwards);
  }
  if (block.options & ViewAnimationOptionRepeat) animation->setRepeatCount(kRepeatForever);
  if (block.options & ViewAnimationOptionAutoreverse) animation->setAutoreverses(true);
  std::shared_ptr<BlockGroup> group = block.group;
  auto& slot = group->superseded[{&layer, key}];
  if (slot) *slot = true;
  slot = std::make_shared<bool>(false);
  ++group->pending;
  const std::uint64_t targetId = nextTargetId();
  if (auto target = layer.valueForKeyPath(key)) targets[key] = {targetId, *target};
  // Without "allow user interaction" the view takes no touches until the animation stops.
  const bool blocksTouches = !(block.options & ViewAnimationOptionAllowUserInteraction);
  if (blocksTouches) ++animationsBlockingTouches_;
  std::weak_ptr<View> weakSelf = self<View>();
  animation->setStopHandler([group, replacedByOwnBlock = slot, blocksTouches, weakSelf, key,
                             targetId](Animation&, bool finished) {
    if (auto view = weakSelf.lock()) {
      if (blocksTouches) --view->animationsBlockingTouches_;
      if (auto* mine = view->associated(kTargetsKey)) {
        auto it = mine->find(key);
        if (it != mine->end() && it->second.first == targetId) mine->erase(it);
      }
    }
    --group->pending;
    group->finished = group->finished && (finished || *replacedByOwnBlock);
    group->fireIfDone();
  });
  return std::shared_ptr<Animation>(animation);
}

}  // namespace platform
