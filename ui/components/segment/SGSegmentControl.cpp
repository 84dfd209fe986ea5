#include "ui/components/segment/SGSegmentControl.h"

#include <cairo.h>
#include <algorithm>
#include <cmath>

#include "platform/animation/Transaction.h"
#include "platform/graphics/Context.h"
#include "platform/ui/Screen.h"

namespace sprout {

using platform::makeRect;
using platform::Rect;

std::shared_ptr<SGSegmentControl> SGSegmentControl::create(const Rect& frame) {
  return platform::Object::make<SGSegmentControl>(frame);
}

void SGSegmentControl::didInit() {
  View::didInit();
  initialize();
}

void SGSegmentControl::initialize() {
  setBackgroundColor(platform::Color::whiteColor());
  const Rect b = bounds();
  scrollView_ = platform::ScrollView::create(makeRect(0, 0, b.size.width, b.size.height));
  scrollView_->setAutoresizesSubviews(false);
  scrollView_->setAlwaysBounceHorizontal(true);
  scrollView_->setShowsHorizontalScrollIndicator(false);
  scrollView_->setShowsVerticalScrollIndicator(false);
  scrollView_->setScrollsToTop(false);
  addSubview(scrollView_);
  lineLayer_ = platform::Layer::create();
  lineLayer_->setBackgroundColor(highlightColor_);
  scrollView_->layer()->addSublayer(lineLayer_);
}

void SGSegmentControl::setHighlightColor(const platform::Color& c) {
  highlightColor_ = c;
  lineLayer_->setBackgroundColor(c);
}

void SGSegmentControl::load() {
  if (backgroundImage_) setBackgroundColor(platform::Color::withPatternImage(backgroundImage_));
  const Rect line = lineLayer_->frame();
  lineLayer_->setFrame(makeRect(line.origin.x, frame().origin.y, line.size.width, lineWidth_));
  lineLayer_->setBackgroundColor(highlightColor_);
  const auto old = scrollView_->subviews();
  for (const auto& view : old) view->removeFromSuperview();
  createItems();
  setSelectIndex(0);
  layoutSubviews();
  setNeedsDisplay();
}

void SGSegmentControl::createItems() {
  // An empty list leaves no items behind either.
  std::vector<std::shared_ptr<SGSegmentItem>> made;
  const double screenWidth = platform::Screen::main().bounds().size.width;
  const double height = frame().size.height;
  const double n = static_cast<double>(titles_.size());
  Rect previous;
  for (std::size_t i = 0; i < titles_.size(); ++i) {
    Rect r = previous;
    if (segmentType_ == 0) {
      r = makeRect(static_cast<double>(i) * screenWidth / n, 0, screenWidth / n, height);
    } else if (segmentType_ == 1) {
      const double x =
          made.empty() ? 0 : made.back()->frame().origin.x + made.back()->frame().size.width;
      r = makeRect(x, 0, SGSegmentItem::caculateWidthWithtitle(titles_[i], titleFont_), height);
    }
    made.push_back(createItem(r, titles_[i]));
    previous = r;
  }
  items_ = std::move(made);
}

std::shared_ptr<SGSegmentItem> SGSegmentControl::createItem(const Rect& frame,
                                                            const std::string& title) {
  auto item = SGSegmentItem::create(frame);
  item->setTitle(title);
  item->setTitleColor(titleColor_);
  item->setTitleFont(titleFont_);
  item->setHighlightColor(highlightColor_);
  std::weak_ptr<SGSegmentControl> weak = self<SGSegmentControl>();
  item->addTarget(
      this,
      [weak](platform::Control& sender) {
        if (auto strip = weak.lock())
          strip->segmentItemClicked(static_cast<SGSegmentItem&>(sender));
      },
      platform::ControlEventTouchUpInside);
  scrollView_->addSubview(item);
  return item;
}

void SGSegmentControl::setSelectIndex(long index) {
  selectIndex_ = index;
  setSelectIndex(index, true);
}

void SGSegmentControl::setSelectIndex(long index, bool animation) {
  selectIndex_ = index;
  if (static_cast<unsigned long>(index) >= items_.size()) return;
  auto& item = *items_[static_cast<std::size_t>(index)];
  segmentItemSelected(item);
  const Rect f = item.frame();
  lineLayer_->setFrame(makeRect(f.origin.x, 0, f.size.width, lineWidth_));
  lastSelectRect_ = lineLayer_->frame();
  scrollView_->scrollRectToVisible(f, true);
  if (auto d = delegate()) d->sgSegmentSelectAtIndex(index, animation);
}

void SGSegmentControl::segmentItemClicked(SGSegmentItem& item) {
  const auto it = std::find_if(items_.begin(), items_.end(),
                               [&](const auto& candidate) { return candidate.get() == &item; });
  // Not one of ours: the not-found index, beyond every item, so it is stored and ignored.
  const long index = it == items_.end() ? kNotFound : static_cast<long>(it - items_.begin());
  setSelectIndex(index, false);
}

void SGSegmentControl::segmentItemSelected(SGSegmentItem& item) {
  for (const auto& each : items_) {
    each->setSelected(false);
    each->refresh();
  }
  item.setSelected(true);
}

void SGSegmentControl::scrollToRate(double rate) {
  // After an ignored selection no item is current: nothing to follow.
  if (items_.empty() || selectIndex_ < 0 || selectIndex_ >= static_cast<long>(items_.size())) {
    return;
  }
  const auto i = static_cast<std::size_t>(selectIndex_);
  const auto& current = items_[i];
  const auto previous = i >= 1 ? items_[i - 1] : nullptr;
  const auto next = i + 1 < items_.size() ? items_[i + 1] : nullptr;
  if (std::fabs(rate) <= 0.5) {
    segmentItemSelected(*current);
  } else if (rate > 0 && next) {
    segmentItemSelected(*next);
  } else if (rate < 0 && previous) {
    segmentItemSelected(*previous);
  }
  const Rect c = current->frame();
  double dx = 0, dw = 0;
  if (rate > 0) {
    dx = next ? next->frame().origin.x - c.origin.x : c.size.width;
    dw = next ? next->frame().size.width - c.size.width : 0;
  } else if (rate < 0) {
    dx = previous ? c.origin.x - previous->frame().origin.x : c.size.width;
    dw = previous ? c.size.width - previous->frame().size.width : 0;
  }
  const Rect base = lastSelectRect_;
  // The line follows the finger: no implicit animation behind it.
  platform::Transaction::begin();
  platform::Transaction::setDisableActions(true);
  lineLayer_->setFrame(makeRect(base.origin.x + dx * rate, base.origin.y,
                                base.size.width + dw * rate, base.size.height));
  platform::Transaction::commit();
}

void SGSegmentControl::layoutSubviews() {
  View::layoutSubviews();
  const Rect b = bounds();
  scrollView_->setFrame(makeRect(0, 0, b.size.width, b.size.height));
  const double width =
      items_.empty() ? 0 : items_.back()->frame().origin.x + items_.back()->frame().size.width;
  scrollView_->setContentSize({width, scrollView_->frame().size.height});
}

void SGSegmentControl::drawRect(platform::Context& context, const Rect& rect) {
  // No colour or no width: no border at all.
  if (!borderColor_ || borderWidth_ <= 0) return;
  cairo_t* cr = context.cairo();
  platform::Context::setSourceColor(cr, *borderColor_);
  cairo_set_line_width(cr, borderWidth_);
  const double y = rect.origin.y + rect.size.height - borderWidth_;
  cairo_move_to(cr, rect.origin.x, y);
  cairo_line_to(cr, rect.origin.x + rect.size.width, y);
  cairo_stroke(cr);
}

}  // namespace sprout
