#include "ui/components/likebutton/LKLikeButton.h"

#include <cmath>
#include <utility>
#include <vector>

#include "platform/animation/AnimationValue.h"
#include "platform/animation/Path.h"
#include "platform/animation/Transaction.h"

namespace sprout {
namespace {

using platform::Color;
using platform::Layer;
using platform::Path;
using platform::Point;
using platform::Rect;
using platform::ShapeLayer;
using platform::Transform3D;

// The colours were given in single precision; keep exactly those values.
constexpr double single(double v) { return static_cast<double>(static_cast<float>(v)); }
constexpr Color rgb255(double r, double g, double b) {
  return Color::rgba(single(r / 255.0), single(g / 255.0), single(b / 255.0), 1);
}

constexpr double kLineWidth = 1.25;
constexpr double kMiterLimit = 1.25;
constexpr double kMaskHoleRadius = 0.1;
constexpr double kPressedOpacity = 0.4;
constexpr int kRayCount = 5;

// A layer placed over `frame` of its superlayer, drawing in the frame's own coordinates.
template <class L>
std::shared_ptr<L> placed(std::shared_ptr<L> layer, const Rect& bounds, Point center) {
  layer->setBounds(bounds);
  layer->setPosition(center);
  return layer;
}

}  // namespace

std::shared_ptr<LKLikeButton> LKLikeButton::likeButtonWithImage(
    std::shared_ptr<platform::Image> image, const Rect& imageFrame) {
  auto button = make<LKLikeButton>();
  button->configImage(std::move(image), imageFrame);
  button->initLayers();
  button->initAnimations();
  button->addPressTargets();
  return button;
}

LKLikeButton::LKLikeButton(Key key)
    : Button(std::move(key), {}, platform::ButtonType::Custom),
      circleColor_(rgb255(255, 172, 51)),
      lineColor_(rgb255(250, 120, 68)),
      imageColorOn_(rgb255(255, 172, 52)),
      imageColorOff_(rgb255(136, 153, 166)) {}

void LKLikeButton::configImage(std::shared_ptr<platform::Image> image, const Rect& imageFrame) {
  image_ = std::move(image);
  imageFrame_ = imageFrame;
}

Point LKLikeButton::imageCenter() const {
  return {platform::midX(imageFrame_), platform::midY(imageFrame_)};
}

void LKLikeButton::initLayers() {
  const Point c = imageCenter();
  circleShape_ = placed(ShapeLayer::create(), imageFrame_, c);
  circleShape_->setPath(Path::ellipse(imageFrame_));
  circleShape_->setFillColor(circleColor_);
  circleShape_->setTransform(Transform3D::scale(0, 0, 1));

  // Even-odd turns the tiny circle into a hole; scaling the mask widens it.
  circleMask_ = placed(ShapeLayer::create(), imageFrame_, c);
  circleMask_->setFillRule(platform::FillRule::EvenOdd);
  Path maskPath = Path::rect(imageFrame_);
  maskPath.moveTo({c.x + kMaskHoleRadius, c.y});
  maskPath.addArc(c, kMaskHoleRadius, 0, 2 * M_PI, true);
  circleMask_->setPath(std::move(maskPath));
  circleShape_->setMask(circleMask_);
  layer()->addSublayer(circleShape_);

  initRays();
  initImageShape();
}

void LKLikeButton::initRays() {
  const Point c = imageCenter();
  const double w = imageFrame_.size.width, h = imageFrame_.size.height;
  const Rect rayFrame = platform::makeRect(imageFrame_.origin.x - w / 4,
                                           imageFrame_.origin.y - h / 4, 1.5 * w, 1.5 * h);
  // One ray pointing straight up, from the centre to the top of the ray frame; each layer turns it.
  Path ray;
  ray.moveTo(c);
  ray.lineTo({c.x, rayFrame.origin.y});
  lineArray_.clear();
  for (int i = 0; i < kRayCount; ++i) {
    const int k = 2 * i + 1;
    auto line = placed(ShapeLayer::create(), rayFrame, c);
    line->setMasksToBounds(true);
    line->setStrokeColor(lineColor_);
    line->setFillColor(Color::clear());
    line->setLineWidth(kLineWidth);
    line->setMiterLimit(kMiterLimit);
    line->setPath(ray);
    line->setLineCap(platform::LineCap::Round);
    line->setLineJoin(platform::LineJoin::Round);
    line->setActions({{"strokeStart", nullptr}, {"strokeEnd", nullptr}});
    line->setStrokeStart(0);
    line->setStrokeEnd(0);
    line->setOpacity(0);
    line->setTransform(Transform3D::rotation(k * M_PI / 5, 0, 0, 1));
    layer()->addSublayer(line);
    lineArray_.push_back(line);
  }
}

void LKLikeButton::initImageShape() {
  imageShape_ = placed(ShapeLayer::create(), imageFrame_, imageCenter());
  imageShape_->setPath(Path::rect(imageFrame_));
  imageShape_->setFillColor(imageColorOff_);
  imageShape_->setActions({{"fillColor", nullptr}});  // recolours at once
  // The image's opaque pixels let the colour through.
  if (image_) {
    auto stencil = placed(Layer::create(), imageFrame_, imageCenter());
    stencil->setContents(image_);
    imageShape_->setMask(stencil);
  }
  layer()->addSublayer(imageShape_);
}

const std::shared_ptr<Layer>& LKLikeButton::imageLayer() {
  if (!imageLayer_) {
    imageLayer_ = placed(Layer::create(), imageFrame_, imageCenter());
    layer()->addSublayer(imageLayer_);
  }
  return imageLayer_;
}

void LKLikeButton::showState(bool on) {
  imageShape_->setFillColor(on ? imageColorOn_ : imageColorOff_);
  if (imageLayer_) imageLayer_->setContents(on ? imageOn_ : imageOff_);
}

void LKLikeButton::setSelected(bool selected) {
  const bool changed = selected != isSelected();
  Button::setSelected(selected);
  if (!changed) return;
  if (selected) {
    showState(true);
  } else {
    deselect();
  }
}

void LKLikeButton::select() {
  setSelected(true);
  showState(true);
  // One transaction, so every part of the burst starts at the same instant.
  platform::Transaction::begin();
  circleShape_->addAnimation(circleTransform_, "transform");
  circleMask_->addAnimation(circleMaskTransform_, "transform");
  imageShape_->addAnimation(imageTransform_, "transform");
  if (imageLayer_) imageLayer_->addAnimation(imageTransform_, "transform");
  for (const auto& line : lineArray_) {
    line->addAnimation(lineStrokeStart_, "strokeStart");
    line->addAnimation(lineStrokeEnd_, "strokeEnd");
    line->addAnimation(lineOpacity_, "opacity");
  }
  platform::Transaction::commit();
}

void LKLikeButton::deselect() {
  setSelected(false);
  showState(false);
  circleShape_->removeAllAnimations();
  circleMask_->removeAllAnimations();
  imageShape_->removeAllAnimations();
  if (imageLayer_) imageLayer_->removeAllAnimations();
  for (const auto& line : lineArray_) line->removeAllAnimations();
}

void LKLikeButton::setCircleColor(const Color& color) {
  circleColor_ = color;
  circleShape_->setFillColor(color);
}

void LKLikeButton::setLineColor(const Color& color) {
  lineColor_ = color;
  for (const auto& line : lineArray_) line->setStrokeColor(color);
}

void LKLikeButton::setImageColorOn(const Color& color) {
  imageColorOn_ = color;
  if (isSelected()) imageShape_->setFillColor(color);
}

void LKLikeButton::setImageColorOff(const Color& color) {
  imageColorOff_ = color;
  if (!isSelected()) imageShape_->setFillColor(color);
}

void LKLikeButton::setImageOn(std::shared_ptr<platform::Image> image) {
  imageOn_ = std::move(image);
  imageShape_->removeFromSuperlayer();
  if (isSelected()) imageLayer()->setContents(imageOn_);
}

void LKLikeButton::setImageOff(std::shared_ptr<platform::Image> image) {
  imageOff_ = std::move(image);
  imageShape_->removeFromSuperlayer();
  if (!isSelected()) imageLayer()->setContents(imageOff_);
}

void LKLikeButton::addPressTargets() {
  using platform::Control;
  auto as = [](Control& sender) -> LKLikeButton& { return static_cast<LKLikeButton&>(sender); };
  addTarget(
      this, [as](Control& s) { as(s).touchDown(); }, platform::ControlEventTouchDown);
  addTarget(
      this, [as](Control& s) { as(s).touchUpInside(); }, platform::ControlEventTouchUpInside);
  addTarget(
      this, [as](Control& s) { as(s).touchDragExit(); }, platform::ControlEventTouchDragExit);
  addTarget(
      this, [as](Control& s) { as(s).touchDragEnter(); }, platform::ControlEventTouchDragEnter);
  addTarget(
      this, [as](Control& s) { as(s).touchCancel(); }, platform::ControlEventTouchCancel);
}

void LKLikeButton::touchDown() { layer()->setOpacity(kPressedOpacity); }
void LKLikeButton::touchUpInside() { layer()->setOpacity(1.0); }
void LKLikeButton::touchDragExit() { layer()->setOpacity(1.0); }
void LKLikeButton::touchDragEnter() { layer()->setOpacity(kPressedOpacity); }
void LKLikeButton::touchCancel() { layer()->setOpacity(1.0); }

}  // namespace sprout

// The burst's key frames. Every animation interpolates linearly between its keys, is removed
// when done and leaves its layer at the resting value.
namespace sprout {
namespace {

using platform::AnimationValue;
using platform::KeyframeAnimation;
using platform::Transform3D;

constexpr double kDiscShare = 0.333;
constexpr double kStrokeShare = 0.6;

std::shared_ptr<KeyframeAnimation> keyframes(const char* keyPath, std::vector<double> keyTimes,
                                             std::vector<AnimationValue> values) {
  auto animation = KeyframeAnimation::create(keyPath);
  animation->setKeyTimes(std::move(keyTimes));
  animation->setValues(std::move(values));
  return animation;
}

std::vector<AnimationValue> numbers(const std::vector<double>& values) {
  return {values.begin(), values.end()};
}

std::vector<AnimationValue> scales(const std::vector<double>& factors) {
  std::vector<AnimationValue> out;
  for (double f : factors) out.emplace_back(Transform3D::scale(f, f, 1));
  return out;
}

}  // namespace

void LKLikeButton::initAnimations() {
  circleTransform_ = keyframes("transform", {0, 0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 1.0},
                               scales({0, 0.5, 1.0, 1.2, 1.3, 1.37, 1.4, 1.4}));

  // The hole of radius 0.1 grows by the image's own size, to half its width at the end: the
  // disc is hollowed out completely.
  const double w = imageFrame_.size.width, h = imageFrame_.size.height;
  std::vector<AnimationValue> mask = {Transform3D::identity(), Transform3D::identity()};
  for (double f : {1.25, 2.688, 3.923, 4.375, 4.731, 5.0, 5.0}) {
    mask.emplace_back(Transform3D::scale(w * f, h * f, 1));
  }
  circleMaskTransform_ =
      keyframes("transform", {0, 0.2, 0.3, 0.4, 0.5, 0.6, 0.7, 0.9, 1.0}, std::move(mask));

  lineStrokeStart_ = keyframes(
      "strokeStart", {0, 0.056, 0.111, 0.167, 0.222, 0.278, 0.333, 0.389, 0.444, 0.944, 1.0},
      numbers({0, 0, 0.18, 0.2, 0.26, 0.32, 0.4, 0.6, 0.71, 0.89, 0.92}));
  lineStrokeEnd_ = keyframes("strokeEnd", {0, 0.056, 0.111, 0.167, 0.222, 0.278, 0.944, 1.0},
                             numbers({0, 0, 0.32, 0.48, 0.64, 0.68, 0.92, 0.92}));
  // The fade's keys stop at 0.567: the rays stay invisible for the rest of the burst.
  lineOpacity_ = keyframes("opacity", {0, 0.4, 0.567}, numbers({1, 1, 0}));

  std::vector<AnimationValue> pop = scales(
      {0, 0, 1.2, 1.25, 1.2, 0.9, 0.875, 0.875, 0.9, 1.013, 1.025, 1.013, 0.96, 0.95, 0.96, 0.99});
  pop.emplace_back(Transform3D::identity());
  imageTransform_ = keyframes("transform",
                              {0, 0.1, 0.3, 0.333, 0.367, 0.467, 0.5, 0.533, 0.567, 0.667, 0.7,
                               0.733, 0.833, 0.867, 0.9, 0.967, 1.0},
                              std::move(pop));

  circleTransform_->setDuration(kDiscShare);
  circleMaskTransform_->setDuration(kDiscShare);
  lineStrokeStart_->setDuration(kStrokeShare);
  lineStrokeEnd_->setDuration(kStrokeShare);
  lineOpacity_->setDuration(1);
  imageTransform_->setDuration(1);
}

void LKLikeButton::setDuration(double duration) {
  duration_ = duration;
  circleTransform_->setDuration(duration * kDiscShare);
  circleMaskTransform_->setDuration(duration * kDiscShare);
  lineStrokeStart_->setDuration(duration * kStrokeShare);
  lineStrokeEnd_->setDuration(duration * kStrokeShare);
  lineOpacity_->setDuration(duration);
  imageTransform_->setDuration(duration);
}

}  // namespace sprout
