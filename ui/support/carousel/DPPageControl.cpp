#include "ui/support/carousel/DPPageControl.h"

#include <algorithm>
#include <string>

#include "platform/foundation/Log.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Touch.h"
#include "ui/support/carousel/DPAbstractDotView.h"

namespace sprout {

using platform::Rect;
using platform::Size;

DPPageControl::DotViewClass DPPageControl::animatedDotViewClass() {
  return [](const Rect& frame) -> std::shared_ptr<platform::View> {
    return DPAnimatedDotView::create(frame);
  };
}

DPPageControl::DotViewClass DPPageControl::plainDotViewClass() {
  return
      [](const Rect& frame) -> std::shared_ptr<platform::View> { return DPDotView::create(frame); };
}

std::shared_ptr<DPPageControl> DPPageControl::create(const Rect& frame) {
  return platform::Object::make<DPPageControl>(frame);
}

void DPPageControl::didInit() {
  Control::didInit();
  setDotViewClass(animatedDotViewClass());
  setSpacingBetweenDots(kDefaultSpacing);
  setNumberOfPages(0);
  setCurrentPage(0);
  setHidesForSinglePage(false);
  setShouldResizeFromCenter(true);
}

Size DPPageControl::dotSize() {
  const bool unset = dotSize_.width == 0 && dotSize_.height == 0;
  if (unset) {
    // A lone current-dot image sizes the dots too: every dot is an image view then.
    if (const auto& image = dotImage_ ? dotImage_ : currentDotImage_) {
      dotSize_ = image->size();
    } else if (dotViewClass_) {
      dotSize_ = {kDefaultDotSide, kDefaultDotSide};
    }
  }
  return dotSize_;
}

Size DPPageControl::sizeForNumberOfPages(long pages) {
  const Size dot = dotSize();
  const double spacing = static_cast<double>(spacingBetweenDots_);
  const double width = static_cast<double>(pages) * (dot.width + spacing) - spacing;
  return {std::max(0.0, width), dot.height};
}

void DPPageControl::sizeToFit() { updateFrame(true); }

void DPPageControl::updateFrame(bool overrideExistingFrame) {
  const Size required = sizeForNumberOfPages(numberOfPages_);
  const Rect old = frame();
  if (overrideExistingFrame || old.size.width < required.width ||
      old.size.height < required.height) {
    const platform::Point centre = center();
    setFrame(platform::makeRect(old.origin.x, old.origin.y, required.width, required.height));
    if (shouldResizeFromCenter_) setCenter(centre);
  }
  resetDotViews();
}

void DPPageControl::setNumberOfPages(long pages) {
  numberOfPages_ = std::max(0L, pages);
  resetDotViews();
}

void DPPageControl::setSpacingBetweenDots(long spacing) {
  spacingBetweenDots_ = spacing;
  resetDotViews();
}

void DPPageControl::setCurrentPage(long page) {
  if (page < 0 || (numberOfPages_ > 0 && page >= numberOfPages_)) return;
  if (numberOfPages_ == 0 || page == currentPage_) {
    currentPage_ = page;
    return;
  }
  changeActivity(false, currentPage_);
  currentPage_ = page;
  changeActivity(true, currentPage_);
}

void DPPageControl::setDotImage(std::shared_ptr<platform::Image> image) {
  dotImage_ = std::move(image);
  resetDotViews();
  setDotViewClass(nullptr);
}

void DPPageControl::setCurrentDotImage(std::shared_ptr<platform::Image> image) {
  currentDotImage_ = std::move(image);
  resetDotViews();
  setDotViewClass(nullptr);
}

void DPPageControl::setDotViewClass(DotViewClass dotViewClass) {
  dotViewClass_ = std::move(dotViewClass);
  dotSize_ = {};
  resetDotViews();
}

void DPPageControl::resetDotViews() {
  for (const auto& dot : dots_) dot->removeFromSuperview();
  dots_.clear();
  updateDots();
}

void DPPageControl::updateDots() {
  if (numberOfPages_ == 0) return;
  for (long i = 0; i < numberOfPages_; ++i) {
    auto dot = i < static_cast<long>(dots_.size()) ? dots_[static_cast<std::size_t>(i)]
                                                   : generateDotView();
    updateDotFrame(*dot, i);
  }
  changeActivity(true, currentPage_);
  hideForSinglePage();
}

std::shared_ptr<platform::View> DPPageControl::generateDotView() {
  const Size size = dotSize();
  const Rect frame = platform::makeRect(0, 0, size.width, size.height);
  std::shared_ptr<platform::View> dot;
  if (dotViewClass_) {
    dot = dotViewClass_(frame);
    auto animated = std::dynamic_pointer_cast<DPAnimatedDotView>(dot);
    if (animated && dotColor_) animated->setDotColor(*dotColor_);
  } else {
    auto imageView = platform::ImageView::create(dotImage_);
    imageView->setFrame(frame);
    dot = imageView;
  }
  addSubview(dot);
  dots_.push_back(dot);
  dot->setUserInteractionEnabled(true);
  return dot;
}

void DPPageControl::updateDotFrame(platform::View& dot, long index) {
  const Size size = dotSize();
  const double rowWidth = sizeForNumberOfPages(numberOfPages_).width;
  const double x =
      (frame().size.width - rowWidth) / 2 +
      static_cast<double>(index) * (size.width + static_cast<double>(spacingBetweenDots_));
  const double y = (frame().size.height - size.height) / 2;
  dot.setFrame(platform::makeRect(x, y, size.width, size.height));
}

void DPPageControl::changeActivity(bool active, long index) {
  if (index < 0 || index >= static_cast<long>(dots_.size())) return;
  const auto& dot = dots_[static_cast<std::size_t>(index)];
  if (dotViewClass_) {
    if (auto abstract = std::dynamic_pointer_cast<DPAbstractDotView>(dot)) {
      abstract->changeActivityState(active);
    } else {
      const platform::View& custom = *dot;  // typeid of a plain reference evaluates nothing
      platform::log(platform::LogLevel::Warning, "DPPageControl",
                    "Custom view : " + std::string(typeid(custom).name()) +
                        " must implement an 'changeActivityState' method or you can subclass "
                        "DPAbstractDotView to help you.");
    }
    return;
  }
  if (dotImage_ && currentDotImage_) {
    static_cast<platform::ImageView&>(*dot).setImage(active ? currentDotImage_ : dotImage_);
  }
}

void DPPageControl::hideForSinglePage() { setHidden(dots_.size() == 1 && hidesForSinglePage_); }

void DPPageControl::touchesBegan(const platform::TouchSet& touches, const platform::Event& event) {
  Control::touchesBegan(touches, event);
  if (touches.empty()) return;
  const auto touched = touches.front()->view();
  if (!touched || touched.get() == this) return;
  const auto it = std::find(dots_.begin(), dots_.end(), touched);
  if (it == dots_.end()) return;  // a touch on something that is not a dot
  if (auto d = delegate()) d->DPPageControlDidSelectPageAtIndex(*this, it - dots_.begin());
}

}  // namespace sprout
