// Moving things out of the keyboard's way and back: scroll views first, then a layout-guide
// constraint, then the root controller's view.
#include <algorithm>
#include <cstdio>

#include "platform/layout/LayoutGuide.h"
#include "platform/ui/ApplicationWindows.h"
#include "platform/ui/controllers/NavigationBar.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/text/TextView.h"
#include "ui/support/keyboard/KBKeyboardManager.h"
#include "ui/support/keyboard/KBLogText.h"
#include "ui/support/keyboard/KBTextInput.h"
#include "ui/support/keyboard/KBViewAdditions.h"

namespace sprout {
namespace {

using platform::EdgeInsets;
using platform::ModalPresentationStyle;
using platform::Rect;
using platform::ScrollView;

const platform::ObjectClass* scrollViewClass() {
  static const auto* const kClass = platform::ClassRegistry::shared().named("ScrollView");
  return kClass;
}

std::shared_ptr<ScrollView> enclosingScrollView(const platform::View& view) {
  return std::dynamic_pointer_cast<ScrollView>(superviewOfClassType(view, scrollViewClass()));
}

// The view's frame in `to`'s coordinates (nullptr: its window's).
Rect frameIn(const platform::View& view, const platform::View* to) {
  auto parent = view.superview();
  if (!parent) return view.frame();
  return parent->convertRectTo(view.frame(), to);
}

bool isSheet(const platform::ViewController& c) {
  return c.modalPresentationStyle() == ModalPresentationStyle::FormSheet ||
         c.modalPresentationStyle() == ModalPresentationStyle::PageSheet;
}

void layoutNow(const std::shared_ptr<platform::View>& view) {
  if (!view) return;
  view->setNeedsLayout();
  view->layoutIfNeeded();
}

}  // namespace

int KBKeyboardManager::guidePosition() {
  auto constraint = layoutGuideConstraint_.lock();
  auto field = textFieldView();
  auto controller = field ? viewController(*field) : nullptr;
  if (!constraint || !controller) return 0;
  auto holds = [&](const std::shared_ptr<platform::Object>& guide) {
    return constraint->firstItem() == guide || constraint->secondItem() == guide;
  };
  if (holds(platform::topLayoutGuide(*controller))) return 1;
  if (holds(platform::bottomLayoutGuide(*controller))) return 2;
  return 0;
}

void KBKeyboardManager::restoreLastScrollView(const std::shared_ptr<ScrollView>& scroll) {
  showLog("Restoring " + KBDescription(*scroll) +
          " contentInset to : " + describe(startingContentInsets_) +
          " and contentOffset to : " + describe(startingContentOffset_));
  const EdgeInsets insets = startingContentInsets_, indicators = startingScrollIndicatorInsets_;
  animate([scroll, insets, indicators] {
    scroll->setContentInset(insets);
    scroll->setScrollIndicatorInsets(indicators);
  });
  if (shouldRestoreScrollViewContentOffset(*scroll)) {
    scroll->setContentOffset(startingContentOffset_, true);
  }
}

void KBKeyboardManager::adjustFrame() {
  auto field = textFieldView();
  if (!field) return;
  const LoggedScope logged(*this, "adjustFrame");
  // Without a window there is nothing to measure against.
  auto window = keyWindow();
  if (!window) return;
  auto root = topMostController(*field);
  if (!root) root = topMostController(*window);
  const Rect fieldRect = frameIn(*field, window.get());
  const double distance = sprout::keyboardDistanceFromTextField(*field).value_or(keyboardDistance_);
  const double keyboardHeight = kbSize_.height + distance;
  const double statusBarHeight = height(platform::ApplicationWindows::shared().statusBarFrame());
  const double windowHeight = height(window->frame());
  const int guide = guidePosition();
  double move = maxY(fieldRect) - (windowHeight - keyboardHeight);
  if (guide != 2) move = std::min(minY(fieldRect) - (statusBarHeight + 5), move);
  showLog(formatNumber("Need to move: %.2f", move));

  auto scroll = enclosingScrollView(*field);
  while (scroll && !scroll->isScrollEnabled()) scroll = enclosingScrollView(*scroll);
  auto last = lastScrollView();
  if (last && last != scroll) {
    restoreLastScrollView(last);
    startingContentInsets_ = startingScrollIndicatorInsets_ = platform::kEdgeInsetsZero;
    startingContentOffset_ = platform::kPointZero;
    lastScrollView_.reset();
  }
  if (scroll && !lastScrollView()) {
    lastScrollView_ = scroll;
    startingContentInsets_ = scroll->contentInset();
    startingScrollIndicatorInsets_ = scroll->scrollIndicatorInsets();
    startingContentOffset_ = scroll->contentOffset();
    showLog(std::string(last ? "Saving New " : "Saving ") + KBDescription(*scroll) +
            " contentInset: " + describe(startingContentInsets_) +
            " and contentOffset : " + describe(startingContentOffset_));
  }
  if (lastScrollView()) scrollToShow(move, *window);

  auto constraint = layoutGuideConstraint_.lock();
  auto rootView = rootViewController() ? rootViewController()->view() : nullptr;
  if (guide != 0 && constraint) {
    const double c =
        guide == 1 ? std::min(layoutGuideConstraintInitialConstant_, constraint->constant() - move)
                   : std::max(layoutGuideConstraintInitialConstant_, constraint->constant() + move);
    animate([constraint, c, rootView] {
      constraint->setConstant(c);
      layoutNow(rootView);
    });
  } else {
    if (isTextView(*field)) adjustTextView(*field, *window, keyboardHeight, statusBarHeight);
    // Without a controller the frame step still runs, to say why nothing moves.
    moveRootView(move, root.get(), *window, keyboardHeight, statusBarHeight);
  }
}

void KBKeyboardManager::scrollToShow(double& move, const platform::Window& window) {
  auto field = textFieldView();
  auto last = lastScrollView();
  std::shared_ptr<platform::View> lastView = field;
  auto sv = last;
  while (sv && (move > 0 ? move > -sv->contentOffset().y - sv->contentInset().top
                         : sv->contentOffset().y > 0)) {
    const Rect lastViewRect = frameIn(*lastView, sv.get());
    const double offsetY = sv->contentOffset().y;
    double shouldOffsetY = offsetY - std::min(offsetY, -move);
    shouldOffsetY = std::min(shouldOffsetY, lastViewRect.origin.y);
    if (isTextView(*field) && !enclosingScrollView(*sv) && shouldOffsetY >= 0) {
      double navMaxY = 0;
      auto controller = viewController(*field);
      auto nav = controller ? controller->navigationController() : nullptr;
      if (nav) navMaxY = maxY(nav->navigationBar()->frame());
      const Rect r = frameIn(*field, &window);
      shouldOffsetY = std::min(shouldOffsetY, offsetY + minY(r) - (navMaxY + 10));
      move = 0;
    } else {
      move -= shouldOffsetY - offsetY;
    }
    showLog(formatNumber("Adjusting %.2f to ", offsetY - shouldOffsetY) + KBDescription(*sv) +
            " ContentOffset");
    showLog(formatNumber("Remaining Move: %.2f", move));
    const double x = sv->contentOffset().x;
    animate([sv, x, shouldOffsetY] { sv->setContentOffset({x, shouldOffsetY}); });
    lastView = sv;
    sv = enclosingScrollView(*sv);
  }
  // Content under the keyboard stays reachable: the innermost scroll view's bottom inset grows.
  const Rect r = frameIn(*last, &window);
  const double bottom = kbSize_.height - (height(window.frame()) - maxY(r));
  EdgeInsets insets = last->contentInset();
  insets.bottom = std::max(startingContentInsets_.bottom, bottom);
  EdgeInsets indicators = last->scrollIndicatorInsets();
  indicators.bottom = insets.bottom;
  showLog(KBDescription(*last) + " old ContentInset : " + describe(last->contentInset()));
  showLog(KBDescription(*last) + " new ContentInset : " + describe(insets));
  animate([last, insets, indicators] {
    last->setContentInset(insets);
    last->setScrollIndicatorInsets(indicators);
  });
}

void KBKeyboardManager::adjustTextView(platform::View& field, const platform::Window& window,
                                       double keyboardHeight, double statusBarHeight) {
  auto text = std::dynamic_pointer_cast<platform::TextView>(field.shared_from_this());
  const double fieldHeight = height(text->frame());
  // What stays visible above the keyboard; never negative, however small the window.
  const double h = std::max(
      0.0, std::min(fieldHeight, height(window.frame()) - keyboardHeight - statusBarHeight));
  if (fieldHeight - text->contentInset().bottom <= h) return;
  if (!isTextViewContentInsetChanged_) {
    startingTextViewContentInsets_ = text->contentInset();
    startingTextViewScrollIndicatorInsets_ = text->scrollIndicatorInsets();
  }
  EdgeInsets insets = text->contentInset();
  insets.bottom = fieldHeight - h;
  isTextViewContentInsetChanged_ = true;
  showLog(KBDescription(*text) +
          " Old UITextView.contentInset : " + describe(text->contentInset()));
  showLog(KBDescription(*text) + " New UITextView.contentInset : " + describe(insets));
  animate([text, insets] {
    text->setContentInset(insets);
    text->setScrollIndicatorInsets(insets);
  });
}

void KBKeyboardManager::moveRootView(double move, platform::ViewController* root,
                                     const platform::Window& window, double /*keyboardHeight*/,
                                     double statusBarHeight) {
  const Rect rootRect = root ? root->view()->frame() : platform::kRectZero;
  const bool sheet = root && isSheet(*root);
  if (sheet) {
    showLog(formatNumber("Found Special case for Model Presentation Style: %.0f",
                         static_cast<double>(root->modalPresentationStyle())));
  }
  Rect target = rootRect;
  if (move >= 0) {
    double y = rootRect.origin.y - move;
    if (preventBlankSpace_) {
      const double bound =
          sheet
              ? (height(window.frame()) - height(rootRect) - statusBarHeight) * 0.5 - kbSize_.height
              : std::min(0.0, -kbSize_.height);
      y = std::max(y, bound);
    }
    showLog("Moving Upward");
    target.origin.y = y;
  } else {
    const double d = minY(rootRect) - minY(topViewBeginRect_);
    if (d >= 0) return;
    target.origin.y = rootRect.origin.y - std::max(move, d);
    showLog("Moving Downward");
  }
  setRootViewFrame(target);
  // Nothing moved without a controller, so the moved distance stays what it was.
  if (root) movedDistance_ = topViewBeginRect_.origin.y - target.origin.y;
}

void KBKeyboardManager::setRootViewFrame(Rect frame) {
  auto field = textFieldView();
  auto controller = field ? topMostController(*field) : nullptr;
  if (!controller) {
    if (auto window = keyWindow()) controller = topMostController(*window);
  }
  if (!controller) {
    showLog(
        localized("You must set UIWindow.rootViewController in your AppDelegate to work with "
                  "KBKeyboardManager"));
    return;
  }
  auto view = controller->view();
  frame.size = view->frame().size;
  const bool relayout = layoutIfNeededOnUpdate_;
  animate([view, frame, relayout] {
    view->setFrame(frame);
    if (relayout) layoutNow(view);
  });
  showLog("Set " + KBDescription(*controller) + " frame to : " + describe(frame));
}

void KBKeyboardManager::restoreOnHide() {
  if (auto last = lastScrollView()) {
    const EdgeInsets insets = startingContentInsets_, indicators = startingScrollIndicatorInsets_;
    const bool restoreOffset = shouldRestoreScrollViewContentOffset(*last);
    const platform::Point offset = startingContentOffset_;
    animate([last, insets, indicators, restoreOffset, offset] {
      last->setContentInset(insets);
      last->setScrollIndicatorInsets(indicators);
      if (restoreOffset) last->setContentOffset(offset);
    });
    showLog("Restoring " + KBDescription(*last) + " contentInset to : " + describe(insets) +
            " and contentOffset to : " + describe(offset));
    // No offset is left beyond the end of the content, in the whole chain.
    for (auto sv = last; sv; sv = enclosingScrollView(*sv)) {
      const double limit =
          std::max(sv->contentSize().height, height(sv->frame())) - height(sv->frame());
      if (limit >= sv->contentOffset().y) continue;
      const platform::Point clamped{sv->contentOffset().x, limit};
      animate([sv, clamped] { sv->setContentOffset(clamped); });
      showLog("Restoring " + KBDescription(*sv) + " contentOffset to : " + describe(clamped));
    }
  }
  auto root = rootViewController();
  auto constraint = layoutGuideConstraint_.lock();
  const double initial = layoutGuideConstraintInitialConstant_;
  if (!(topViewBeginRect_ == platform::kRectZero) && root) {
    topViewBeginRect_.size = root->view()->frame().size;
    auto view = root->view();
    const Rect begin = topViewBeginRect_;
    const bool relayout = layoutIfNeededOnUpdate_;
    if (!constraint) {
      showLog("Restoring " + KBDescription(*root) + " frame to : " + describe(begin));
      movedDistance_ = 0;
    }
    animate([view, begin, relayout, constraint, initial] {
      if (constraint) {
        constraint->setConstant(initial);
        layoutNow(view);
        return;
      }
      view->setFrame(begin);
      if (relayout) layoutNow(view);
    });
    rootViewController_.reset();
  } else if (constraint) {
    auto view = root ? root->view() : nullptr;
    animate([constraint, initial, view] {
      constraint->setConstant(initial);
      layoutNow(view);
    });
  }
  layoutGuideConstraint_.reset();
  layoutGuideConstraintInitialConstant_ = 0;
  lastScrollView_.reset();
  kbSize_ = {};
  startingContentInsets_ = startingScrollIndicatorInsets_ = platform::kEdgeInsetsZero;
  startingContentOffset_ = platform::kPointZero;
}

}  // namespace sprout
