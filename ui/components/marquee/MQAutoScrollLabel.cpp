#include "ui/components/marquee/MQAutoScrollLabel.h"

#include <algorithm>
#include <cmath>

#include "platform/animation/GradientLayer.h"
#include "platform/animation/Transaction.h"
#include "platform/dispatch/RunLoop.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/Application.h"

namespace sprout {

using platform::Rect;

std::shared_ptr<MQAutoScrollLabel> MQAutoScrollLabel::create(const Rect& frame) {
  return platform::Object::make<MQAutoScrollLabel>(frame);
}

MQAutoScrollLabel::~MQAutoScrollLabel() {
  cancelDelayedCalls();
  platform::RunLoop::main().cancelPerform(pendingRefresh_);
  platform::NotificationCenter::defaultCenter().removeObserver(this);
}

void MQAutoScrollLabel::didInit() {
  View::didInit();
  commonInit();
}

const std::shared_ptr<platform::ScrollView>& MQAutoScrollLabel::scrollView() {
  if (!scrollView_) {
    scrollView_ = platform::ScrollView::create(bounds());
    scrollView_->setAutoresizingMask(platform::ViewAutoresizingFlexibleWidth |
                                     platform::ViewAutoresizingFlexibleHeight);
    scrollView_->setBackgroundColor(platform::Color::clear());
    addSubview(scrollView_);
  }
  return scrollView_;
}

void MQAutoScrollLabel::commonInit() {
  for (auto& label : labels_) {
    label = platform::Label::create();
    label->setBackgroundColor(platform::Color::clear());
    label->setAutoresizingMask(autoresizingMask());
    scrollView()->addSubview(label);
  }
  setPauseInterval(kDefaultPause);
  setLabelSpacing(kDefaultSpacing);
  setTextAlignment(platform::TextAlignment::Left);
  setAnimationOptions(0x30000);
  scrollView_->setShowsHorizontalScrollIndicator(false);
  scrollView_->setShowsVerticalScrollIndicator(false);
  scrollView_->setScrollEnabled(false);
  setUserInteractionEnabled(false);
  setBackgroundColor(platform::Color::clear());
  setClipsToBounds(true);
  setFadeLength(kDefaultFade);
}

// --- text and looks

void MQAutoScrollLabel::setText(const std::string& text, bool refresh) {
  if (text == mainLabel()->text()) return;
  for (auto& label : labels_) label->setText(text);
  if (refresh) refreshLabels();
}

void MQAutoScrollLabel::setAttributedText(const platform::AttributedString& text, bool refresh) {
  if (text.string() == mainLabel()->text()) return;
  for (auto& label : labels_) label->setAttributedText(text);
  if (refresh) refreshLabels();
}

void MQAutoScrollLabel::setTextColor(const platform::Color& color) {
  for (auto& label : labels_) label->setTextColor(color);
}

void MQAutoScrollLabel::setShadowColor(std::optional<platform::Color> color) {
  for (auto& label : labels_) label->setShadowColor(color);
}

void MQAutoScrollLabel::setShadowOffset(const platform::Size& offset) {
  for (auto& label : labels_) label->setShadowOffset(offset);
}

void MQAutoScrollLabel::setFont(const platform::Font& font) {
  if (font == mainLabel()->font()) return;
  for (auto& label : labels_) label->setFont(font);
  refreshLabels();
  invalidateIntrinsicContentSize();
}

void MQAutoScrollLabel::setScrollSpeed(double pointsPerSecond) {
  scrollSpeed_ = pointsPerSecond;
  scrollLabelIfNeeded();
}

void MQAutoScrollLabel::setScrollDirection(long direction) {
  scrollDirection_ = direction;
  scrollLabelIfNeeded();
}

void MQAutoScrollLabel::setFadeLength(double length) {
  if (length == fadeLength_) return;
  fadeLength_ = length;
  refreshLabels();
  applyGradientMaskForFadeLength(fadeLength_, false);
}

platform::Size MQAutoScrollLabel::intrinsicContentSize() const {
  return {0, mainLabel()->intrinsicContentSize().height};
}

// Any new bounds, a moved origin included, lays the copies out again and restarts the pass.
void MQAutoScrollLabel::boundsDidChange(const Rect& oldBounds) {
  View::boundsDidChange(oldBounds);
  refreshLabels();
  applyGradientMaskForFadeLength(fadeLength_, scrolling_);
}

void MQAutoScrollLabel::didMoveToWindow() {
  View::didMoveToWindow();
  if (window()) scrollLabelIfNeeded();
}

// --- layout and passes

bool MQAutoScrollLabel::needsScrolling() const {
  return mainLabel()->bounds().size.width > bounds().size.width;
}

void MQAutoScrollLabel::refreshLabels() {
  if (!mainLabel()) return;  // still being built
  const Rect b = bounds();
  const double height = b.size.height;
  float x = 0;
  for (auto& label : labels_) {
    label->sizeToFit();
    const double width = label->frame().size.width;
    label->setFrame(platform::makeRect(x, 0, width, height));
    label->setCenter({label->center().x, std::round(center().y - frame().origin.y)});
    x += static_cast<float>(width + static_cast<double>(labelSpacing_));
  }
  scrollView()->setContentOffset({0, 0});
  scrollView_->layer()->removeAllAnimations();
  const double width = mainLabel()->bounds().size.width;
  if (needsScrolling()) {
    scrollView_->setContentSize(
        {width + b.size.width + static_cast<double>(labelSpacing_), height});
    for (auto& label : labels_) label->setHidden(false);
    applyGradientMaskForFadeLength(fadeLength_, scrolling_);
    scrollLabelIfNeeded();
    return;
  }
  labels_[1]->setHidden(true);
  scrollView_->setContentSize(b.size);
  mainLabel()->setFrame(b);
  mainLabel()->setHidden(false);
  mainLabel()->setTextAlignment(textAlignment_);
  scrollView_->layer()->removeAllAnimations();
  // A pass still in its pause ends too: its fade must not come on over a text at rest.
  cancelDelayedCalls();
  scrolling_ = false;
  applyGradientMaskForFadeLength(0, false);
}

void MQAutoScrollLabel::cancelDelayedCalls() {
  auto& loop = platform::RunLoop::main();
  loop.cancelPerform(pendingScroll_);
  loop.cancelPerform(pendingShadow_);
  pendingScroll_ = pendingShadow_ = 0;
}

void MQAutoScrollLabel::scrollLabelIfNeeded() {
  if (text().empty() || !needsScrolling()) return;
  cancelDelayedCalls();
  scrollView()->layer()->removeAllAnimations();
  // A speed that is not positive would make an endless (or backwards) pass: the text rests.
  if (!(scrollSpeed_ > 0)) {
    scrollView_->setContentOffset({0, 0});
    scrolling_ = false;
    applyGradientMaskForFadeLength(fadeLength_, false);
    return;
  }
  const double width = mainLabel()->bounds().size.width;
  const double travel = width + static_cast<double>(labelSpacing_);
  const bool left = scrollDirection_ == kDirectionLeft;
  scrollView_->setContentOffset(left ? platform::Point{0, 0} : platform::Point{travel, 0});
  std::weak_ptr<MQAutoScrollLabel> weak = self<MQAutoScrollLabel>();
  pendingShadow_ = platform::RunLoop::main().performAfter(pauseInterval_, [weak] {
    if (auto label = weak.lock()) label->enableShadow();
  });
  const platform::Point target = left ? platform::Point{travel, 0} : platform::Point{0, 0};
  platform::View::animateWithDuration(
      width / scrollSpeed_, pauseInterval_,
      animationOptions_ | platform::ViewAnimationOptionAllowUserInteraction,
      [weak, target] {
        if (auto label = weak.lock()) label->scrollView_->setContentOffset(target);
      },
      [weak](bool finished) {
        auto label = weak.lock();
        if (!label) return;
        label->scrolling_ = false;
        label->applyGradientMaskForFadeLength(label->fadeLength_, false);
        if (finished) label->scrollLabelIfNeeded();
      });
}

void MQAutoScrollLabel::enableShadow() {
  pendingShadow_ = 0;
  scrolling_ = true;
  applyGradientMaskForFadeLength(fadeLength_, true);
}

void MQAutoScrollLabel::applyGradientMaskForFadeLength(double fadeLength, bool enableFade) {
  if (!mainLabel()) return;
  const double width = bounds().size.width;
  const double length = needsScrolling() ? fadeLength : 0;
  if (length <= 0 || width <= 0) {  // no fade, or no width to divide by
    layer()->setMask(nullptr);
    return;
  }
  auto gradient = platform::GradientLayer::create();
  gradient->setBounds(layer()->bounds());
  gradient->setPosition({bounds().size.width / 2, bounds().size.height / 2});
  gradient->setStartPoint({0, 0.5});
  gradient->setEndPoint({1, 0.5});
  const auto clear = platform::Color::clear(), black = platform::Color::black();
  gradient->setColors({clear, black, black, clear});
  const double a = std::min(length / width, 0.5);  // the two fades never cross
  std::vector<double> locations{0, a, 1 - a, 1};
  if (!enableFade) {
    if (scrollDirection_ == kDirectionRight) {
      locations = {0, 0, 1, 1};
    } else if (scrollDirection_ == kDirectionLeft) {
      locations[1] = 0;
    }
  }
  gradient->setLocations(std::move(locations));
  platform::Transaction::begin();
  platform::Transaction::setDisableActions(true);
  layer()->setMask(gradient);
  platform::Transaction::commit();
}

// --- application notifications

void MQAutoScrollLabel::observeApplicationNotifications() {
  auto& center = platform::NotificationCenter::defaultCenter();
  center.removeObserver(this);
  std::weak_ptr<MQAutoScrollLabel> weak = self<MQAutoScrollLabel>();
  auto restart = [weak](const platform::Notification&) {
    if (auto label = weak.lock()) label->scrollLabelIfNeeded();
  };
  center.addObserver(this, platform::kApplicationWillEnterForegroundNotification, nullptr, restart);
  center.addObserver(this, platform::kApplicationDidBecomeActiveNotification, nullptr, restart);
}

void MQAutoScrollLabel::onUIApplicationDidChangeStatusBarOrientationNotification() {
  std::weak_ptr<MQAutoScrollLabel> weak = self<MQAutoScrollLabel>();
  constexpr double kDelay = static_cast<double>(0.1f);
  auto& loop = platform::RunLoop::main();
  pendingRefresh_ = loop.performAfter(kDelay, [weak] {
    if (auto label = weak.lock()) label->refreshLabels();
  });
  pendingScroll_ = loop.performAfter(kDelay, [weak] {
    if (auto label = weak.lock()) label->scrollLabelIfNeeded();
  });
}

}  // namespace sprout
