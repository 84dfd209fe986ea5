#include "platform/animation/Layer.h"

#include <cairo.h>
#include <algorithm>
#include <atomic>
#include <cmath>

#include "platform/animation/Animation.h"
#include "platform/animation/BasicAnimation.h"
#include "platform/animation/LayerDelegate.h"
#include "platform/animation/Transaction.h"
#include "platform/dispatch/MainThread.h"
#include "platform/dispatch/RunLoop.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/Context.h"
#include "platform/graphics/Image.h"

namespace platform {
namespace {

std::optional<AnimationValue> transformPart(const Transform3D& t, std::string_view key) {
  if (key == "transform") return t;
  const Transform3D::Parts p = t.parts();
  if (key == "transform.rotation" || key == "transform.rotation.z") return p.rotation;
  if (key == "transform.scale") return (p.scaleX + p.scaleY) / 2;
  if (key == "transform.scale.x") return p.scaleX;
  if (key == "transform.scale.y") return p.scaleY;
  if (key == "transform.translation") return Size{p.translateX, p.translateY};
  if (key == "transform.translation.x") return p.translateX;
  if (key == "transform.translation.y") return p.translateY;
  return std::nullopt;
}

std::optional<Transform3D> withTransformPart(const Transform3D& t, std::string_view key,
                                             const AnimationValue& value) {
  if (key == "transform") {
    if (const auto* m = std::get_if<Transform3D>(&value)) return *m;
    return std::nullopt;
  }
  Transform3D::Parts p = t.parts();
  if (key == "transform.translation") {
    const auto* s = std::get_if<Size>(&value);
    if (!s) return std::nullopt;
    p.translateX = s->width;
    p.translateY = s->height;
    return t.withParts(p);
  }
  const auto* v = std::get_if<double>(&value);
  if (!v) return std::nullopt;
  if (key == "transform.rotation" || key == "transform.rotation.z") {
    p.rotation = *v;
  } else if (key == "transform.scale") {
    p.scaleX = p.scaleY = *v;
  } else if (key == "transform.scale.x") {
    p.scaleX = *v;
  } else if (key == "transform.scale.y") {
    p.scaleY = *v;
  } else if (key == "transform.translation.x") {
    p.translateX = *v;
  } else if (key == "transform.translation.y") {
    p.translateY = *v;
  } else {
    return std::nullopt;
  }
  return t.withParts(p);
}

template <class T>
const T* as(const AnimationValue& v) {
  return std::get_if<T>(&v);
}

}  // namespace

std::shared_ptr<Layer> Layer::create() { return std::shared_ptr<Layer>(new Layer()); }

Layer::Layer() = default;

void Layer::setBounds(const Rect& bounds) {
  const bool resized = !(bounds.size == props_.bounds.size);
  setAnimatable("bounds", props_.bounds, bounds);
  if (resized && props_.needsDisplayOnBoundsChange) setNeedsDisplay();
}

void Layer::setPosition(const Point& position) {
  setAnimatable("position", props_.position, position);
}

void Layer::setAnchorPoint(const Point& anchor) {
  setAnimatable("anchorPoint", props_.anchorPoint, anchor);
}

void Layer::setZPosition(double z) { setAnimatable("zPosition", props_.zPosition, z); }

void Layer::setTransform(const Transform3D& transform) {
  setAnimatable("transform", props_.transform, transform);
}

Rect Layer::frame() const {
  // Untransformed, the frame is exact: going through the bounds origin (a scroll offset) would
  // round the size.
  if (props_.transform.isIdentity()) {
    const Size& s = props_.bounds.size;
    return {{props_.position.x - props_.anchorPoint.x * s.width,
             props_.position.y - props_.anchorPoint.y * s.height},
            s};
  }
  return transformToSuperlayer().apply(props_.bounds);
}

void Layer::setFrame(const Rect& frame) {
  const Rect f = standardize(frame);
  setPosition({f.origin.x + props_.anchorPoint.x * f.size.width,
               f.origin.y + props_.anchorPoint.y * f.size.height});
  setBounds({props_.bounds.origin, f.size});
}

void Layer::setOpacity(double opacity) { setAnimatable("opacity", props_.opacity, opacity); }

void Layer::setHidden(bool hidden) { props_.hidden = hidden; }

void Layer::setBackgroundColor(const Color& color) {
  setAnimatable("backgroundColor", props_.backgroundColor, color);
}

void Layer::setCornerRadius(double radius) {
  setAnimatable("cornerRadius", props_.cornerRadius, radius);
}

void Layer::setBorderWidth(double width) {
  setAnimatable("borderWidth", props_.borderWidth, width);
}

void Layer::setBorderColor(const Color& color) {
  setAnimatable("borderColor", props_.borderColor, color);
}

void Layer::setMasksToBounds(bool masks) { props_.masksToBounds = masks; }

void Layer::setContents(std::shared_ptr<Image> contents) {
  props_.contents = std::move(contents);
  backingStore_.reset();  // contents from elsewhere: what display() drew is not shown any more
  needsDisplay_ = false;
  drawsInPlace_ = false;
}

void Layer::setContentsScale(double scale) {
  if (scale > 0) props_.contentsScale = scale;
}

void Layer::setContentsGravity(ContentsGravity gravity) { props_.contentsGravity = gravity; }

namespace {

// Layers of every thread that blur their backdrop (presentation copies included).
std::atomic<long> blurringLayers{0};

}  // namespace

bool Layer::anyBlursBackdrop() { return blurringLayers.load(std::memory_order_relaxed) > 0; }

void Layer::setBackdropProperty(double radius) {
  const bool had = props_.backdropBlurRadius > 0;
  props_.backdropBlurRadius = radius;
  if (had != (radius > 0)) blurringLayers.fetch_add(had ? -1 : 1, std::memory_order_relaxed);
}

void Layer::setBackdropBlurRadius(double radius) { setBackdropProperty(std::max(0.0, radius)); }

void Layer::addSublayer(std::shared_ptr<Layer> layer) {
  if (!layer) return;
  insertAt(std::move(layer), sublayers_.size());
}

void Layer::insertSublayer(std::shared_ptr<Layer> layer, std::size_t index) {
  if (!layer) return;
  insertAt(std::move(layer), index);
}

void Layer::insertSublayerBelow(std::shared_ptr<Layer> layer, const Layer* sibling) {
  if (!layer || layer.get() == sibling) return;
  if (layer->superlayer().get() == this) layer->removeFromSuperlayer();
  auto it = std::find_if(sublayers_.begin(), sublayers_.end(),
                         [sibling](const auto& l) { return l.get() == sibling; });
  const std::size_t index = it == sublayers_.end() ? 0 : it - sublayers_.begin();
  insertAt(std::move(layer), index);
}

void Layer::insertSublayerAbove(std::shared_ptr<Layer> layer, const Layer* sibling) {
  if (!layer || layer.get() == sibling) return;
  if (layer->superlayer().get() == this) layer->removeFromSuperlayer();
  auto it = std::find_if(sublayers_.begin(), sublayers_.end(),
                         [sibling](const auto& l) { return l.get() == sibling; });
  const std::size_t index =
      it == sublayers_.end() ? sublayers_.size() : it - sublayers_.begin() + 1;
  insertAt(std::move(layer), index);
}

void Layer::replaceSublayer(const Layer* old, std::shared_ptr<Layer> replacement) {
  auto it = std::find_if(sublayers_.begin(), sublayers_.end(),
                         [old](const auto& l) { return l.get() == old; });
  if (it == sublayers_.end() || !replacement) return;
  const std::size_t index = it - sublayers_.begin();
  (*it)->removeFromSuperlayer();
  insertAt(std::move(replacement), index);
}

void Layer::insertAt(std::shared_ptr<Layer> layer, std::size_t index) {
  assertMainThread("Layer::insertSublayer");
  if (layer.get() == this || isDescendantOf(layer.get())) {
    log(LogLevel::Error, "Layer", "cannot add a layer to itself or to its own descendant");
    return;
  }
  if (layer->superlayer().get() == this) {
    // Moving within this layer: the index counts the other sublayers.
    auto it = std::find(sublayers_.begin(), sublayers_.end(), layer);
    sublayers_.erase(it);
  } else {
    layer->removeFromSuperlayer();
  }
  index = std::min(index, sublayers_.size());
  layer->superlayer_ = weak_from_this();
  sublayers_.insert(sublayers_.begin() + static_cast<std::ptrdiff_t>(index), std::move(layer));
}

void Layer::removeFromSuperlayer() {
  auto parent = superlayer_.lock();
  superlayer_.reset();
  if (!parent) return;
  auto& list = parent->sublayers_;
  auto it =
      std::find_if(list.begin(), list.end(), [this](const auto& l) { return l.get() == this; });
  if (it != list.end()) list.erase(it);
}

bool Layer::isDescendantOf(const Layer* ancestor) const {
  for (auto p = superlayer(); p; p = p->superlayer()) {
    if (p.get() == ancestor) return true;
  }
  return false;
}

std::optional<AnimationValue> Layer::valueForKeyPath(std::string_view k) const {
  const LayerProperties& p = props_;
  if (k == "opacity") return p.opacity;
  if (k == "position") return p.position;
  if (k == "position.x") return p.position.x;
  if (k == "position.y") return p.position.y;
  if (k == "bounds") return p.bounds;
  if (k == "bounds.origin") return p.bounds.origin;
  if (k == "bounds.size") return p.bounds.size;
  if (k == "bounds.size.width") return p.bounds.size.width;
  if (k == "bounds.size.height") return p.bounds.size.height;
  if (k == "anchorPoint") return p.anchorPoint;
  if (k == "zPosition") return p.zPosition;
  if (k == "backgroundColor") return p.backgroundColor;
  if (k == "cornerRadius") return p.cornerRadius;
  if (k == "borderWidth") return p.borderWidth;
  if (k == "borderColor") return p.borderColor;
  if (k == "contents") return p.contents;
  if (k == "hidden") return p.hidden ? 1.0 : 0.0;
  if (k.substr(0, 9) == "transform") return transformPart(p.transform, k);
  return std::nullopt;
}

bool Layer::setValueForKeyPath(std::string_view k, const AnimationValue& v) {
  const Rect b = props_.bounds;
  const Point pos = props_.position;
  const double* d = as<double>(v);
  if (k == "opacity" && d) return setOpacity(*d), true;
  if (k == "position" && as<Point>(v)) return setPosition(*as<Point>(v)), true;
  if (k == "position.x" && d) return setPosition({*d, pos.y}), true;
  if (k == "position.y" && d) return setPosition({pos.x, *d}), true;
  if (k == "bounds" && as<Rect>(v)) return setBounds(*as<Rect>(v)), true;
  if (k == "bounds.origin" && as<Point>(v)) return setBounds({*as<Point>(v), b.size}), true;
  if (k == "bounds.size" && as<Size>(v)) return setBounds({b.origin, *as<Size>(v)}), true;
  if (k == "bounds.size.width" && d) return setBounds({b.origin, {*d, b.size.height}}), true;
  if (k == "bounds.size.height" && d) return setBounds({b.origin, {b.size.width, *d}}), true;
  if (k == "anchorPoint" && as<Point>(v)) return setAnchorPoint(*as<Point>(v)), true;
  if (k == "zPosition" && d) return setZPosition(*d), true;
  if (k == "backgroundColor" && as<Color>(v)) return setBackgroundColor(*as<Color>(v)), true;
  if (k == "cornerRadius" && d) return setCornerRadius(*d), true;
  if (k == "borderWidth" && d) return setBorderWidth(*d), true;
  if (k == "borderColor" && as<Color>(v)) return setBorderColor(*as<Color>(v)), true;
  if (k == "contents" && as<std::shared_ptr<Image>>(v)) {
    return setContents(*as<std::shared_ptr<Image>>(v)), true;
  }
  if (k == "hidden" && d) return setHidden(*d >= 0.5), true;
  if (k.substr(0, 9) == "transform") {
    auto t = withTransformPart(props_.transform, k, v);
    if (!t) return false;
    setTransform(*t);
    return true;
  }
  return false;
}

Transform3D Layer::transformToSuperlayer() const {
  const Rect& b = props_.bounds;
  const Point anchor{b.origin.x + props_.anchorPoint.x * b.size.width,
                     b.origin.y + props_.anchorPoint.y * b.size.height};
  // Most layers are only moved: no matrices to multiply for every layer of every frame.
  if (props_.transform.isIdentity()) {
    return Transform3D::translation(props_.position.x - anchor.x, props_.position.y - anchor.y);
  }
  return Transform3D::translation(-anchor.x, -anchor.y)
      .concat(props_.transform)
      .concat(Transform3D::translation(props_.position.x, props_.position.y));
}

Transform3D Layer::transformToRoot(const Layer** root) const {
  Transform3D m;
  const Layer* at = this;
  for (auto parent = superlayer(); parent; parent = parent->superlayer()) {
    m = m.concat(at->transformToSuperlayer());
    at = parent.get();
  }
  *root = at;
  return m;
}

Point Layer::convertPointTo(const Point& p, const Layer* layer) const {
  const Layer* root = nullptr;
  const Point inRoot = transformToRoot(&root).apply(p);
  if (!layer) return inRoot;
  return layer->transformToRoot(&root).inverted().apply(inRoot);
}

Point Layer::convertPointFrom(const Point& p, const Layer* layer) const {
  const Layer* root = nullptr;
  const Point inRoot = layer ? layer->transformToRoot(&root).apply(p) : p;
  return transformToRoot(&root).inverted().apply(inRoot);
}

Rect Layer::convertRectTo(const Rect& r, const Layer* layer) const {
  const Layer* root = nullptr;
  Transform3D m = transformToRoot(&root);
  if (layer) m = m.concat(layer->transformToRoot(&root).inverted());
  return m.apply(r);
}

Rect Layer::convertRectFrom(const Rect& r, const Layer* layer) const {
  const Layer* root = nullptr;
  Transform3D m = layer ? layer->transformToRoot(&root) : Transform3D{};
  m = m.concat(transformToRoot(&root).inverted());
  return m.apply(r);
}

bool Layer::containsPoint(const Point& p) const { return contains(props_.bounds, p); }

void Layer::renderContent(cairo_t* /*cr*/) const {}

std::shared_ptr<Layer> Layer::makeCopy() const {
  auto copy = std::shared_ptr<Layer>(new Layer());
  copy->copyPropertiesFrom(*this);
  return copy;
}

void Layer::copyPropertiesFrom(const Layer& other) {
  const double radius = other.props_.backdropBlurRadius;
  setBackdropProperty(0);
  props_ = other.props_;
  props_.backdropBlurRadius = 0;
  setBackdropProperty(radius);
  name_ = other.name_;
}

bool Layer::isImplicitlyAnimatable(std::string_view key) const {
  return key == "opacity" || key == "position" || key == "bounds" || key == "anchorPoint" ||
         key == "zPosition" || key == "transform" || key == "backgroundColor" ||
         key == "cornerRadius" || key == "borderWidth" || key == "borderColor";
}

}  // namespace platform

// The animation half of Layer: attached animations, their start/stop callbacks on the main run
// loop, actions for property changes, presentation copies and displaying contents.
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
