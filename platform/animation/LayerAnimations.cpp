// The animation half of Layer: attached animations, their start/stop callbacks on the main run
// loop, actions for property changes, presentation copies and displaying contents.
#include <algorithm>
#include <cmath>

#include <cairo.h>

#include "platform/animation/Animation.h"
#include "platform/animation/BasicAnimation.h"
#include "platform/animation/Layer.h"
#include "platform/animation/LayerDelegate.h"
#include "platform/animation/Transaction.h"
#include "platform/dispatch/MainThread.h"
#include "platform/dispatch/RunLoop.h"
#include "platform/foundation/Clock.h"
#include "platform/graphics/Context.h"

namespace platform {

struct Layer::AnimationEntry {
  std::string key;
  std::shared_ptr<Animation> animation;
  TimeInterval begin = 0;
  std::uint64_t startCall = 0;
  std::uint64_t endCall = 0;
  bool started = false;
  bool stopped = false;
  std::function<void()> transactionDone;
};

TimeInterval currentMediaTime() { return Clock::current().now(); }

Layer::~Layer() {
  for (const auto& entry : animations_) stopEntry(entry, false);
  setBackdropProperty(0);
}

void Layer::addAnimation(const std::shared_ptr<Animation>& animation, std::string key) {
  if (!animation || isPresentation_) return;
  assertMainThread("Layer::addAnimation");
  if (key.empty()) key = "animation-" + std::to_string(++nextAnimationKey_);
  removeAnimationForKey(key);
  auto entry = std::make_shared<AnimationEntry>();
  entry->key = std::move(key);
  entry->animation = animation->copy();
  const TimeInterval now = currentMediaTime();
  entry->begin = animation->beginTime() > 0 ? animation->beginTime() : now;
  entry->transactionDone = Transaction::trackAnimation();
  animations_.push_back(entry);
  scheduleCallbacks(entry);
}

void Layer::scheduleCallbacks(const std::shared_ptr<AnimationEntry>& entry) {
  const TimeInterval now = currentMediaTime();
  std::weak_ptr<AnimationEntry> weakEntry = entry;
  entry->startCall = RunLoop::main().performAfter(
      std::max(0.0, entry->begin - now),
      [weakEntry] {
        auto e = weakEntry.lock();
        if (!e || e->started || e->stopped) return;
        e->started = true;
        e->animation->notifyStart();
      },
      RunLoopMode::Common);
  const Animation& a = *entry->animation;
  const TimeInterval active = a.activeDuration(0);
  if (std::isinf(active) || a.speed() <= 0) return;
  const TimeInterval end = entry->begin + std::max(0.0, active - a.timeOffset()) / a.speed();
  std::weak_ptr<Layer> weakLayer = weak_from_this();
  entry->endCall = RunLoop::main().performAfter(
      std::max(0.0, end - now),
      [weakLayer, weakEntry] {
        auto layer = weakLayer.lock();
        auto e = weakEntry.lock();
        if (layer && e) layer->finishEntry(e);
      },
      RunLoopMode::Common);
}

void Layer::finishEntry(const std::shared_ptr<AnimationEntry>& entry) {
  if (entry->stopped) return;
  entry->stopped = true;
  if (entry->animation->isRemovedOnCompletion()) {
    auto it = std::find(animations_.begin(), animations_.end(), entry);
    if (it != animations_.end()) animations_.erase(it);
  }
  if (!entry->started) {
    entry->started = true;
    entry->animation->notifyStart();
  }
  entry->animation->notifyStop(true);
  entry->transactionDone();
}

// Stopping early (removed, replaced, layer gone): the news arrives on the run loop, never inside
// the call that caused it.
void Layer::stopEntry(const std::shared_ptr<AnimationEntry>& entry, bool finished) {
  RunLoop::main().cancelPerform(entry->startCall);
  RunLoop::main().cancelPerform(entry->endCall);
  if (entry->stopped) return;
  entry->stopped = true;
  RunLoop::main().post([animation = entry->animation, done = entry->transactionDone, finished] {
    animation->notifyStop(finished);
    done();
  });
}

void Layer::removeAnimationForKey(const std::string& key) {
  auto it = std::find_if(animations_.begin(), animations_.end(),
                         [&key](const auto& e) { return e->key == key; });
  if (it == animations_.end()) return;
  auto entry = *it;
  animations_.erase(it);
  stopEntry(entry, false);
}

void Layer::removeAllAnimations() {
  auto entries = std::move(animations_);
  animations_.clear();
  for (const auto& entry : entries) stopEntry(entry, false);
}

std::shared_ptr<const Animation> Layer::animationForKey(const std::string& key) const {
  for (const auto& e : animations_) {
    if (e->key == key) return e->animation;
  }
  return nullptr;
}

std::vector<std::string> Layer::animationKeys() const {
  std::vector<std::string> keys;
  keys.reserve(animations_.size());
  for (const auto& e : animations_) keys.push_back(e->key);
  return keys;
}

std::shared_ptr<Layer> Layer::presentationAt(TimeInterval time) const {
  auto copy = makeCopy();
  copy->isPresentation_ = true;
  for (const auto& e : animations_) e->animation->applyAt(*copy, time - e->begin, 0);
  return copy;
}

std::shared_ptr<Layer> Layer::presentationLayer() const {
  return presentationAt(currentMediaTime());
}

std::optional<AnimationValue> Layer::willChange(std::string_view key) const {
  if (isPresentation_) return std::nullopt;
  assertMainThread("Layer property change");
  if (Transaction::disableActions()) return std::nullopt;
  if (!delegate_ && superlayer_.expired()) return std::nullopt;
  // A change in the middle of an animation starts from what is on screen.
  for (const auto& e : animations_) {
    if (e->key == key) return presentationLayer()->valueForKeyPath(key);
  }
  return valueForKeyPath(key);
}

void Layer::didChange(std::string_view key, std::optional<AnimationValue> from) {
  if (!from || isPresentation_ || Transaction::disableActions()) return;
  const std::string k(key);
  if (auto action = actionForKey(k, *from)) addAnimation(action, k);
}

std::shared_ptr<Animation> Layer::actionForKey(const std::string& key, const AnimationValue& from) {
  if (delegate_) {
    if (auto answer = delegate_->actionForLayer(*this, key, from)) return *answer;
  }
  if (auto it = actions_.find(key); it != actions_.end()) return it->second;
  if (superlayer_.expired() || !isImplicitlyAnimatable(key)) return nullptr;
  auto action = BasicAnimation::create(key);
  action->setFromValue(from);
  action->setDuration(Transaction::animationDuration());
  action->setTimingFunction(Transaction::animationTimingFunction().value_or(
      TimingFunction::named(TimingFunctionName::Default)));
  return action;
}

void Layer::displayIfNeeded() {
  if (needsDisplay_) display();
}

void Layer::displayTreeIfNeeded() {
  displayIfNeeded();
  if (mask_) mask_->displayTreeIfNeeded();
  // By index, holding each sublayer while it displays: a display that edits the tree may make
  // this pass miss a layer (the next pass gets it), but nothing is copied for every frame.
  for (std::size_t i = 0; i < sublayers_.size(); ++i) {
    const std::shared_ptr<Layer> sublayer = sublayers_[i];
    sublayer->displayTreeIfNeeded();
  }
}

void Layer::display() {
  needsDisplay_ = false;
  drawsInPlace_ = delegate_ && delegate_->drawsLayerInPlace(*this);
  inPlaceContentsMade_ = false;
  if (drawsInPlace_) {
    props_.contents = nullptr;  // the backing stays for inPlaceContents to reuse
    return;
  }
  displayContents();
}

const std::shared_ptr<Image>& Layer::inPlaceContents() {
  if (drawsInPlace_ && !inPlaceContentsMade_) {
    inPlaceContentsMade_ = true;
    displayContents();
    drawsInPlace_ = true;  // setting the contents ends drawing in place; this one does not
  }
  return props_.contents;
}

void Layer::displayContents() {
  if (delegate_ && delegate_->displayLayer(*this)) return;
  const Rect b = props_.bounds;
  if (isEmpty(b) || !(b.size.width > 0 && b.size.height > 0) || !std::isfinite(b.size.width) ||
      !std::isfinite(b.size.height)) {
    props_.contents = nullptr;
    backingStore_.reset();
    return;
  }
  const bool fits = backingStore_ && backingStore_->fits(b.size, props_.contentsScale);
  if (fits) props_.contents = nullptr;  // our hold on the last drawing; others may keep theirs
  if (fits && !backingStore_->isShared()) {
    backingStore_->clear();
  } else {
    auto fresh = Context::create(b.size, props_.contentsScale, false);
    if (!fresh) return;
    backingStore_ = std::move(fresh);
  }
  cairo_translate(backingStore_->cairo(), -b.origin.x, -b.origin.y);
  drewNothing_ = false;
  drawInContext(*backingStore_);
  if (drewNothing_) {  // nothing to show: no image to hold and composite
    props_.contents = nullptr;
    backingStore_.reset();
    return;
  }
  props_.contents = backingStore_->shareImage();
}

void Layer::drawInContext(Context& context) {
  if (delegate_ && !delegate_->drawLayer(*this, context)) drewNothing_ = true;
}

void Layer::drawInPlace(Context& context) const {
  // The delegate's interface takes the layer it draws for; drawing does not change the layer.
  if (delegate_) delegate_->drawLayer(const_cast<Layer&>(*this), context);
}

}  // namespace platform
