#include "platform/animation/Layer.h"

#include <algorithm>
#include <atomic>

#include "platform/dispatch/MainThread.h"
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
