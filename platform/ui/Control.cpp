#include "platform/ui/Control.h"

#include <algorithm>

namespace platform {
namespace {

constexpr double kTouchSlop = 70;

}  // namespace

Control::Control(Key key, const Rect& frame) : View(std::move(key), frame) {}

Control::ActionId Control::addTarget(Action action, unsigned events) {
  return addTarget(nullptr, std::move(action), events);
}

Control::ActionId Control::addTarget(const void* target, Action action, unsigned events) {
  if (!action || events == 0) return 0;
  const ActionId id = nextId_++;
  actions_.push_back({id, target, std::move(action), events});
  return id;
}

void Control::removeTarget(const void* target, unsigned events) {
  for (Entry& e : actions_) {
    if (!target || e.target == target) e.events &= ~events;
  }
  actions_.erase(std::remove_if(actions_.begin(), actions_.end(),
                                [](const Entry& e) { return e.events == 0; }),
                 actions_.end());
}

void Control::removeAction(ActionId id) {
  actions_.erase(
      std::remove_if(actions_.begin(), actions_.end(), [id](const Entry& e) { return e.id == id; }),
      actions_.end());
}

unsigned Control::allControlEvents() const {
  unsigned all = 0;
  for (const Entry& e : actions_) all |= e.events;
  return all;
}

void Control::sendActionsForControlEvents(unsigned events) {
  // A copy: an action may add or remove actions, or drop the last reference to this control.
  auto keepAlive = self<Control>();
  const std::vector<Entry> entries = actions_;
  for (const Entry& e : entries) {
    if (e.events & events) e.action(*this);
  }
}

void Control::setEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  stateDidChange();
}

void Control::setSelected(bool selected) {
  if (selected == selected_) return;
  selected_ = selected;
  stateDidChange();
}

void Control::setHighlighted(bool highlighted) {
  if (highlighted == highlighted_) return;
  highlighted_ = highlighted;
  stateDidChange();
}

unsigned Control::state() const {
  unsigned s = ControlStateNormal;
  if (highlighted_) s |= ControlStateHighlighted;
  if (!enabled_) s |= ControlStateDisabled;
  if (selected_) s |= ControlStateSelected;
  return s;
}

void Control::setContentHorizontalAlignment(ControlContentHorizontalAlignment a) {
  hAlign_ = a;
  setNeedsLayout();
}

void Control::setContentVerticalAlignment(ControlContentVerticalAlignment a) {
  vAlign_ = a;
  setNeedsLayout();
}

bool Control::inside(const TouchSet& touches) const {
  if (touches.empty()) return false;
  return contains(insetBy(bounds(), -kTouchSlop, -kTouchSlop), touches[0]->locationInView(this));
}

void Control::touchesBegan(const TouchSet& /*touches*/, const Event& /*event*/) {
  if (!enabled_) return;
  tracking_ = true;
  touchInside_ = true;
  setHighlighted(true);
  sendActionsForControlEvents(ControlEventTouchDown);
}

void Control::touchesMoved(const TouchSet& touches, const Event& /*event*/) {
  if (!tracking_) return;
  const bool now = inside(touches);
  unsigned events = now ? ControlEventTouchDragInside : ControlEventTouchDragOutside;
  if (now != touchInside_) events |= now ? ControlEventTouchDragEnter : ControlEventTouchDragExit;
  touchInside_ = now;
  setHighlighted(now);
  sendActionsForControlEvents(events);
}

void Control::touchesEnded(const TouchSet& touches, const Event& /*event*/) {
  if (!tracking_) return;
  tracking_ = false;
  touchInside_ = inside(touches);
  setHighlighted(false);
  sendActionsForControlEvents(touchInside_ ? ControlEventTouchUpInside
                                           : ControlEventTouchUpOutside);
}

void Control::touchesCancelled(const TouchSet& /*touches*/, const Event& /*event*/) {
  if (!tracking_) return;
  tracking_ = false;
  setHighlighted(false);
  sendActionsForControlEvents(ControlEventTouchCancel);
}

}  // namespace platform
