// The editing cycle's saved state: what is captured when it opens, what the keyboard tells, and
// putting everything back when the keyboard goes.
#include "ui/support/keyboard/KBKeyboardAvoidance.h"

#include <algorithm>

#include "platform/layout/LayoutGuide.h"
#include "platform/ui/ApplicationWindows.h"
#include "platform/ui/KeyboardSimulator.h"
#include "platform/ui/Screen.h"
#include "platform/ui/controllers/NavigationBar.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/text/TextView.h"
#include "ui/support/keyboard/KBKeyWindow.h"
#include "ui/support/keyboard/KBLogText.h"
#include "ui/support/keyboard/KBLoggedScope.h"
#include "ui/support/keyboard/KBNotificationInfo.h"
#include "ui/support/keyboard/KBResources.h"
#include "ui/support/keyboard/KBTextInput.h"
#include "ui/support/keyboard/KBViewAdditions.h"
#include "ui/support/keyboard/KBViewHierarchy.h"

namespace sprout {
namespace {

using platform::EdgeInsets;
using platform::ModalPresentationStyle;
using platform::Notification;
using platform::Rect;
using platform::ScrollView;

bool isSheet(const platform::ViewController& c) {
  return c.modalPresentationStyle() == ModalPresentationStyle::FormSheet ||
         c.modalPresentationStyle() == ModalPresentationStyle::PageSheet;
}

bool sameSize(const platform::Size& a, const platform::Size& b) {
  return a.width == b.width && a.height == b.height;
}

void layoutNow(const std::shared_ptr<platform::View>& view) {
  if (!view) return;
  view->setNeedsLayout();
  view->layoutIfNeeded();
}

std::shared_ptr<ScrollView> enclosingScroll(const platform::View& view) {
  return superviewOfClassType<ScrollView>(view);
}

// The view's frame in `to`'s coordinates (nullptr: its window's).
Rect frameIn(const platform::View& view, const platform::View* to) {
  auto parent = view.superview();
  if (!parent) return view.frame();
  return parent->convertRectTo(view.frame(), to);
}

}  // namespace

void KBKeyboardAvoidance::log(const std::string& message) const {
  keyboardShowLog(settings_, message);
}

void KBKeyboardAvoidance::animate(const std::function<void()>& changes) const {
  platform::View::animate(animationDuration_, 0,
                          animationCurve_ | platform::ViewAnimationOptionBeginFromCurrentState,
                          changes);
}

bool KBKeyboardAvoidance::readKeyboardWillShow(const Notification* n) {
  if (n) {
    const auto curve = numberValue(*n, platform::kKeyboardAnimationCurveUserInfoKey).value_or(0);
    animationCurve_ = static_cast<unsigned>(curve) << 16;
  }
  readDuration(n);
  const platform::Size old = kbSize_;
  const Rect screen = platform::Screen::main().bounds();
  const Rect end =
      n ? rectValue(*n, platform::kKeyboardFrameEndUserInfoKey).value_or(platform::kRectNull)
        : platform::kRectNull;
  const Rect visible = platform::intersection(end, screen);
  kbSize_ = isNull(visible) ? platform::Size{width(screen), 0} : visible.size;
  return !sameSize(kbSize_, old);
}

void KBKeyboardAvoidance::readDuration(const Notification* n) {
  if (!n) return;
  const double d = numberValue(*n, platform::kKeyboardAnimationDurationUserInfoKey).value_or(0);
  if (d != 0) animationDuration_ = d;
}

bool KBKeyboardAvoidance::inCycle() const { return !(topViewBeginRect_ == platform::kRectZero); }

void KBKeyboardAvoidance::endCycle() { topViewBeginRect_ = platform::kRectZero; }

void KBKeyboardAvoidance::applyPopGestureRule(const std::shared_ptr<platform::View>& field) {
  auto root = rootViewController();
  if (!settings_.shouldFixInteractivePopGestureRecognizer || !root) return;
  if (!std::dynamic_pointer_cast<platform::NavigationController>(root) || isSheet(*root)) return;
  auto window = keyboardKeyWindow(field.get());
  if (!window) return;
  topViewBeginRect_.origin = {0, height(window->frame()) - height(root->view()->frame())};
}

void KBKeyboardAvoidance::capture(const std::shared_ptr<platform::View>& field) {
  if (!field) return;
  auto controller = viewController(*field);
  auto guide = controller ? KBLayoutGuideConstraint(*controller) : nullptr;
  layoutGuideConstraint_ = guide;
  layoutGuideConstraintInitialConstant_ = guide ? guide->constant() : 0;
  auto root = topMostController(*field);
  if (!root) {
    if (auto window = keyboardKeyWindow(field.get())) root = topMostController(*window);
  }
  rootViewController_ = root;
  if (!root) return;
  topViewBeginRect_ = root->view()->frame();
  applyPopGestureRule(field);
  log("Saving " + KBDescription(*root) + " beginning Frame: " + describe(topViewBeginRect_));
}

void KBKeyboardAvoidance::recaptureRootFrame(const std::shared_ptr<platform::View>& field) {
  auto root = rootViewController();
  if (!root || root->view()->frame() == topViewBeginRect_) return;
  // The place to restore to is where the view would be unmoved, not where it is now.
  Rect begin = root->view()->frame();
  begin.origin.y += movedDistance_;
  topViewBeginRect_ = begin;
  applyPopGestureRule(field);
  log("Saving " + KBDescription(*root) + " beginning Frame: " + describe(topViewBeginRect_));
}

void KBKeyboardAvoidance::restoreTextView(const std::shared_ptr<platform::View>& field) {
  auto text = std::dynamic_pointer_cast<platform::TextView>(field);
  if (!isTextViewContentInsetChanged_ || !text) return;
  isTextViewContentInsetChanged_ = false;
  log("Restoring " + KBDescription(*text) +
      " textView.contentInset to : " + describe(startingTextViewContentInsets_));
  const auto insets = startingTextViewContentInsets_;
  const auto indicators = startingTextViewScrollIndicatorInsets_;
  animate([text, insets, indicators] {
    text->setContentInset(insets);
    text->setScrollIndicatorInsets(indicators);
  });
}

void KBKeyboardAvoidance::restoreLastScrollView(const std::shared_ptr<ScrollView>& scroll) {
  log("Restoring " + KBDescription(*scroll) +
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

void KBKeyboardAvoidance::restoreScrollView() {
  auto last = lastScrollView();
  if (!last) return;
  const EdgeInsets insets = startingContentInsets_, indicators = startingScrollIndicatorInsets_;
  const bool restoreOffset = shouldRestoreScrollViewContentOffset(*last);
  const platform::Point offset = startingContentOffset_;
  animate([last, insets, indicators, restoreOffset, offset] {
    last->setContentInset(insets);
    last->setScrollIndicatorInsets(indicators);
    if (restoreOffset) last->setContentOffset(offset);
  });
  log("Restoring " + KBDescription(*last) + " contentInset to : " + describe(insets) +
      " and contentOffset to : " + describe(offset));
  // No offset is left beyond the end of the content, in the whole chain.
  for (auto sv = last; sv; sv = enclosingScroll(*sv)) {
    const double limit =
        std::max(sv->contentSize().height, height(sv->frame())) - height(sv->frame());
    if (limit >= sv->contentOffset().y) continue;
    const platform::Point clamped{sv->contentOffset().x, limit};
    animate([sv, clamped] { sv->setContentOffset(clamped); });
    log("Restoring " + KBDescription(*sv) + " contentOffset to : " + describe(clamped));
  }
}

void KBKeyboardAvoidance::restoreRootView() {
  auto root = rootViewController();
  auto constraint = layoutGuideConstraint_.lock();
  const double initial = layoutGuideConstraintInitialConstant_;
  if (inCycle() && root) {
    topViewBeginRect_.size = root->view()->frame().size;
    auto view = root->view();
    const Rect begin = topViewBeginRect_;
    const bool relayout = settings_.layoutIfNeededOnUpdate;
    if (!constraint) {
      log("Restoring " + KBDescription(*root) + " frame to : " + describe(begin));
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
}

void KBKeyboardAvoidance::restore() {
  restoreScrollView();
  restoreRootView();
  layoutGuideConstraint_.reset();
  layoutGuideConstraintInitialConstant_ = 0;
  lastScrollView_.reset();
  kbSize_ = {};
  startingContentInsets_ = startingScrollIndicatorInsets_ = platform::kEdgeInsetsZero;
  startingContentOffset_ = platform::kPointZero;
}

int KBKeyboardAvoidance::guidePosition(const platform::View& field) const {
  auto constraint = layoutGuideConstraint_.lock();
  auto controller = viewController(field);
  if (!constraint || !controller) return 0;
  auto holds = [&](const std::shared_ptr<platform::Object>& guide) {
    return constraint->firstItem() == guide || constraint->secondItem() == guide;
  };
  if (holds(platform::topLayoutGuide(*controller))) return 1;
  if (holds(platform::bottomLayoutGuide(*controller))) return 2;
  return 0;
}

void KBKeyboardAvoidance::adjust(const std::shared_ptr<platform::View>& field,
                                 double managerDistance) {
  if (!field) return;
  const KBLoggedScope logged(settings_, "adjustFrame");
  // Without a window there is nothing to measure against.
  auto window = keyboardKeyWindow(field.get());
  if (!window) return;
  auto root = topMostController(*field);
  if (!root) root = topMostController(*window);
  const Rect fieldRect = frameIn(*field, window.get());
  const double distance = sprout::keyboardDistanceFromTextField(*field).value_or(managerDistance);
  const double keyboardHeight = kbSize_.height + distance;
  const double statusBarHeight = height(platform::ApplicationWindows::shared().statusBarFrame());
  const double windowHeight = height(window->frame());
  const int guide = guidePosition(*field);
  double move = maxY(fieldRect) - (windowHeight - keyboardHeight);
  if (guide != 2) move = std::min(minY(fieldRect) - (statusBarHeight + 5), move);
  log(formatNumber("Need to move: %.2f", move));

  followScrollView(*field);
  if (lastScrollView()) scrollToShow(*field, move, *window);

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
    moveRootView(field, move, root.get(), *window, statusBarHeight);
  }
}

void KBKeyboardAvoidance::followScrollView(const platform::View& field) {
  auto scroll = enclosingScroll(field);
  while (scroll && !scroll->isScrollEnabled()) scroll = enclosingScroll(*scroll);
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
    log(std::string(last ? "Saving New " : "Saving ") + KBDescription(*scroll) +
        " contentInset: " + describe(startingContentInsets_) +
        " and contentOffset : " + describe(startingContentOffset_));
  }
}

void KBKeyboardAvoidance::scrollToShow(const platform::View& field, double& move,
                                       const platform::Window& window) {
  auto last = lastScrollView();
  const platform::View* lastView = &field;
  auto sv = last;
  while (sv && (move > 0 ? move > -sv->contentOffset().y - sv->contentInset().top
                         : sv->contentOffset().y > 0)) {
    const Rect lastViewRect = frameIn(*lastView, sv.get());
    const double offsetY = sv->contentOffset().y;
    double shouldOffsetY = offsetY - std::min(offsetY, -move);
    shouldOffsetY = std::min(shouldOffsetY, lastViewRect.origin.y);
    if (isTextView(field) && !enclosingScroll(*sv) && shouldOffsetY >= 0) {
      double navMaxY = 0;
      auto controller = viewController(field);
      auto nav = controller ? controller->navigationController() : nullptr;
      if (nav) navMaxY = maxY(nav->navigationBar()->frame());
      const Rect r = frameIn(field, &window);
      shouldOffsetY = std::min(shouldOffsetY, offsetY + minY(r) - (navMaxY + 10));
      move = 0;
    } else {
      move -= shouldOffsetY - offsetY;
    }
    log(formatNumber("Adjusting %.2f to ", offsetY - shouldOffsetY) + KBDescription(*sv) +
        " ContentOffset");
    log(formatNumber("Remaining Move: %.2f", move));
    const double x = sv->contentOffset().x;
    animate([sv, x, shouldOffsetY] { sv->setContentOffset({x, shouldOffsetY}); });
    lastView = sv.get();
    sv = enclosingScroll(*sv);
  }
  // Content under the keyboard stays reachable: the innermost scroll view's bottom inset grows.
  const Rect r = frameIn(*last, &window);
  const double bottom = kbSize_.height - (height(window.frame()) - maxY(r));
  EdgeInsets insets = last->contentInset();
  insets.bottom = std::max(startingContentInsets_.bottom, bottom);
  EdgeInsets indicators = last->scrollIndicatorInsets();
  indicators.bottom = insets.bottom;
  log(KBDescription(*last) + " old ContentInset : " + describe(last->contentInset()));
  log(KBDescription(*last) + " new ContentInset : " + describe(insets));
  animate([last, insets, indicators] {
    last->setContentInset(insets);
    last->setScrollIndicatorInsets(indicators);
  });
}

void KBKeyboardAvoidance::adjustTextView(platform::View& field, const platform::Window& window,
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
  log(KBDescription(*text) + " Old UITextView.contentInset : " + describe(text->contentInset()));
  log(KBDescription(*text) + " New UITextView.contentInset : " + describe(insets));
  animate([text, insets] {
    text->setContentInset(insets);
    text->setScrollIndicatorInsets(insets);
  });
}

void KBKeyboardAvoidance::moveRootView(const std::shared_ptr<platform::View>& field, double move,
                                       platform::ViewController* root,
                                       const platform::Window& window, double statusBarHeight) {
  const Rect rootRect = root ? root->view()->frame() : platform::kRectZero;
  const bool sheet = root && isSheet(*root);
  if (sheet) {
    log(formatNumber("Found Special case for Model Presentation Style: %.0f",
                     static_cast<double>(root->modalPresentationStyle())));
  }
  Rect target = rootRect;
  if (move >= 0) {
    double y = rootRect.origin.y - move;
    if (settings_.preventShowingBottomBlankSpace) {
      const double bound =
          sheet
              ? (height(window.frame()) - height(rootRect) - statusBarHeight) * 0.5 - kbSize_.height
              : std::min(0.0, -kbSize_.height);
      y = std::max(y, bound);
    }
    log("Moving Upward");
    target.origin.y = y;
  } else {
    const double d = minY(rootRect) - minY(topViewBeginRect_);
    if (d >= 0) return;
    target.origin.y = rootRect.origin.y - std::max(move, d);
    log("Moving Downward");
  }
  setRootViewFrame(field, target);
  // Nothing moved without a controller, so the moved distance stays what it was.
  if (root) movedDistance_ = topViewBeginRect_.origin.y - target.origin.y;
}

void KBKeyboardAvoidance::setRootViewFrame(const std::shared_ptr<platform::View>& field,
                                           Rect frame) {
  auto controller = field ? topMostController(*field) : nullptr;
  if (!controller) {
    if (auto window = keyboardKeyWindow(field.get())) controller = topMostController(*window);
  }
  if (!controller) {
    log(keyboardManagerText(
        "You must set UIWindow.rootViewController in your AppDelegate to work with "
        "KBKeyboardManager"));
    return;
  }
  auto view = controller->view();
  frame.size = view->frame().size;
  const bool relayout = settings_.layoutIfNeededOnUpdate;
  animate([view, frame, relayout] {
    view->setFrame(frame);
    if (relayout) layoutNow(view);
  });
  log("Set " + KBDescription(*controller) + " frame to : " + describe(frame));
}

}  // namespace sprout
