#include "ui/components/segment/SGSegmentViewController.h"

#include "platform/ui/Screen.h"
#include "platform/ui/View.h"

namespace sprout {

using platform::makeRect;
using platform::Rect;

std::shared_ptr<SGSegmentViewController> SGSegmentViewController::create() {
  return platform::Object::make<SGSegmentViewController>();
}

// The observation is an RAII token: it ends with the controller, loaded or not.
SGSegmentViewController::~SGSegmentViewController() = default;

const std::shared_ptr<SGSegmentControl>& SGSegmentViewController::segmentControl() {
  if (!segmentControl_) {
    const Rect s = platform::Screen::main().bounds();
    segmentControl_ = SGSegmentControl::create(
        makeRect(0, s.size.height - kBottomSpace, s.size.width, kBarHeight));
    segmentControl_->setDelegate(self<SGSegmentViewController>());
    segmentControl_->setBackgroundColor(
        platform::Color::rgba(235 / 255.0, 235 / 255.0, 241 / 255.0));
    segmentControl_->setOpaque(true);
  }
  return segmentControl_;
}

const std::shared_ptr<platform::ScrollView>& SGSegmentViewController::scrollView() {
  if (!scrollView_) {
    const Rect s = platform::Screen::main().bounds();
    scrollView_ =
        platform::ScrollView::create(makeRect(0, 0, s.size.width, s.size.height - kBottomSpace));
    scrollView_->setPagingEnabled(true);
    scrollView_->setShowsHorizontalScrollIndicator(false);
    scrollView_->setDecelerationRate(0.5);
    scrollView_->setDelegate(self<SGSegmentViewController>());
    scrollView_->setAlwaysBounceVertical(false);
    scrollView_->setScrollsToTop(false);
    scrollView_->setBackgroundColor(platform::Color::whiteColor());
  }
  return scrollView_;
}

void SGSegmentViewController::viewDidLoad() {
  ViewController::viewDidLoad();
  view()->setBackgroundColor(platform::Color::whiteColor());
  view()->addSubview(segmentControl());
  view()->addSubview(scrollView());
  std::weak_ptr<SGSegmentViewController> weak = self<SGSegmentViewController>();
  offsetObservation_ =
      scrollView_->contentOffsetObservers().subscribe([weak](platform::Point, platform::Point now) {
        if (auto pager = weak.lock()) pager->contentOffsetChanged(now);
      });
}

double SGSegmentViewController::pageWidth() { return scrollView()->frame().size.width; }

Rect SGSegmentViewController::pageFrame(long index) {
  const platform::Size page = scrollView()->frame().size;
  return makeRect(static_cast<double>(index) * page.width, 0, page.width, page.height);
}

void SGSegmentViewController::setViewControllers(
    std::vector<std::shared_ptr<platform::ViewController>> controllers) {
  viewControllers_ = std::move(controllers);
  const auto children = childViewControllers();
  for (const auto& child : children) child->removeFromParentViewController();
  std::vector<std::string> titles;
  // An untitled page gets an empty title: the bar keeps one item per page.
  for (const auto& controller : viewControllers_) titles.push_back(controller->title());
  segmentControl()->setTitles(std::move(titles));
  const platform::Size page = scrollView()->frame().size;
  scrollView_->setContentSize(
      {page.width * static_cast<double>(viewControllers_.size()), page.height});
  segmentControl_->load();
}

void SGSegmentViewController::sgSegmentSelectAtIndex(long index, bool animation) {
  if (index < 0 || index >= static_cast<long>(viewControllers_.size())) return;
  for (const auto& controller : viewControllers_) controller->removeFromParentViewController();
  const auto old = scrollView()->subviews();
  for (const auto& view : old) view->removeFromSuperview();
  const auto& selected = viewControllers_[static_cast<std::size_t>(index)];
  auto page = selected->view();
  page->removeFromSuperview();
  page->setFrame(pageFrame(index));
  addChildViewController(selected);  // tells it that it will move here
  selected->didMoveToParentViewController(self<SGSegmentViewController>());
  scrollView_->addSubview(page);
  if (index + 1 < static_cast<long>(viewControllers_.size())) {
    auto next = viewControllers_[static_cast<std::size_t>(index + 1)]->view();
    next->setFrame(pageFrame(index + 1));
    scrollView_->addSubview(next);
  }
  if (index > 0) {
    auto previous = viewControllers_[static_cast<std::size_t>(index - 1)]->view();
    scrollView_->addSubview(previous);
    previous->setFrame(pageFrame(index - 1));
  }
  scrollView_->scrollRectToVisible(pageFrame(index), animation);
  // A title tapped under a dragging finger: the line follows the drag from the new page.
  if (scrollView_->isDragging()) beginOffsetX_ = pageWidth() * static_cast<double>(index);
}

void SGSegmentViewController::selectNext() {
  // Compared without adding, so the bar's not-found index cannot overflow.
  const long index = segmentControl()->selectIndex();
  if (index < static_cast<long>(viewControllers_.size()) - 1) {
    segmentControl_->setSelectIndex(index + 1);
  }
}

void SGSegmentViewController::selectPrevious() {
  const long index = segmentControl()->selectIndex();
  if (index >= 1) segmentControl_->setSelectIndex(index - 1);
}

void SGSegmentViewController::scrollViewWillBeginDragging(platform::ScrollView& scrollView) {
  if (scrollView.isDecelerating()) return;
  beginOffsetX_ = pageWidth() * static_cast<double>(segmentControl()->selectIndex());
}

void SGSegmentViewController::contentOffsetChanged(const platform::Point& offset) {
  if (scrollView_->isDecelerating() || !scrollView_->isDragging()) return;
  const double width = pageWidth();
  if (width <= 0) return;  // no page yet: no rate to give
  segmentControl()->scrollToRate((offset.x - beginOffsetX_) / width);
}

void SGSegmentViewController::scrollViewWillEndDragging(platform::ScrollView&, platform::Point,
                                                        platform::Point* targetContentOffset) {
  const double width = pageWidth();
  if (!targetContentOffset || width <= 0) return;
  segmentControl()->setSelectIndex(static_cast<long>(targetContentOffset->x / width));
}

void SGSegmentViewController::scrollViewDidEndScrollingAnimation(platform::ScrollView& scrollView) {
  scrollView.setUserInteractionEnabled(true);
}

void SGSegmentViewController::setSegmentType(long type) {
  segmentType_ = type;
  segmentControl()->setSegmentType(type);
}
void SGSegmentViewController::setSegmentBackgroundImage(std::shared_ptr<platform::Image> image) {
  segmentBackgroundImage_ = image;
  segmentControl()->setBackgroundImage(std::move(image));
}
void SGSegmentViewController::setSegmentBackgroundColor(const platform::Color& color) {
  segmentBackgroundColor_ = color;
  segmentControl()->setBackgroundColor(color);
}
void SGSegmentViewController::setSegmentLineWidth(double width) {
  segmentLineWidth_ = width;
  segmentControl()->setLineWidth(width);
}
void SGSegmentViewController::setSegmentHighlightColor(const platform::Color& color) {
  segmentHighlightColor_ = color;
  segmentControl()->setHighlightColor(color);
}
void SGSegmentViewController::setSegmentBorderColor(const platform::Color& color) {
  segmentBorderColor_ = color;
  segmentControl()->setBorderColor(color);
}
void SGSegmentViewController::setSegmentBorderWidth(double width) {
  segmentBorderWidth_ = width;
  segmentControl()->setBorderWidth(width);
}
void SGSegmentViewController::setSegmentTitleColor(const platform::Color& color) {
  segmentTitleColor_ = color;
  segmentControl()->setTitleColor(color);
}
void SGSegmentViewController::setSegmentTitleFont(const platform::Font& font) {
  segmentTitleFont_ = font;
  segmentControl()->setTitleFont(font);
}

}  // namespace sprout
