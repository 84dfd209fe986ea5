#include "ui/support/hud/HDIndefiniteAnimatedView.h"

#include "platform/animation/AnimationGroup.h"
#include "platform/animation/BasicAnimation.h"
#include "ui/support/hud/HDProgressHUDBundle.h"

namespace sprout {

using platform::AnimationValue;
using platform::BasicAnimation;

namespace {

std::shared_ptr<BasicAnimation> strokeAnimation(const char* keyPath, double from, double to) {
  auto animation = BasicAnimation::create(keyPath);
  animation->setFromValue(AnimationValue{from});
  animation->setToValue(AnimationValue{to});
  return animation;
}

}  // namespace

std::shared_ptr<HDIndefiniteAnimatedView> HDIndefiniteAnimatedView::create(
    const platform::Rect& frame) {
  auto view = make<HDIndefiniteAnimatedView>();
  view->setFrame(frame);
  return view;
}

std::shared_ptr<platform::ShapeLayer> HDIndefiniteAnimatedView::makeAnimatedLayer() const {
  auto shape =
      makeStrokeLayer(platform::Path::arc(arcCenter(), radius(), kStartAngle, kEndAngle, true));

  auto mask = platform::Layer::create();
  mask->setContents(HDProgressHUDBundleImage("angle-mask"));
  mask->setFrame(shape->bounds());
  shape->setMask(mask);

  const auto linear = platform::TimingFunction::linear();
  auto rotate = BasicAnimation::create("transform.rotation");
  rotate->setToValue(AnimationValue{2 * M_PI});
  rotate->setDuration(1.0);
  rotate->setTimingFunction(linear);
  rotate->setRemovedOnCompletion(false);
  rotate->setRepeatCount(platform::kRepeatForever);
  rotate->setFillMode(platform::FillMode::Forwards);
  mask->addAnimation(rotate, "rotate");

  auto group = platform::AnimationGroup::create();
  group->setDuration(1.0);
  group->setRepeatCount(platform::kRepeatForever);
  group->setRemovedOnCompletion(false);
  group->setTimingFunction(linear);
  group->setAnimations(
      {strokeAnimation("strokeStart", 0.015, 0.515), strokeAnimation("strokeEnd", 0.485, 0.985)});
  shape->addAnimation(group, "progress");
  return shape;
}

}  // namespace sprout
