#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/ui/View.h"

namespace platform {

enum ControlState : unsigned {
  ControlStateNormal = 0,
  ControlStateHighlighted = 1 << 0,
  ControlStateDisabled = 1 << 1,
  ControlStateSelected = 1 << 2,
  ControlStateFocused = 1 << 3,
};

enum ControlEvents : unsigned {
  ControlEventTouchDown = 1 << 0,
  ControlEventTouchDownRepeat = 1 << 1,
  ControlEventTouchDragInside = 1 << 2,
  ControlEventTouchDragOutside = 1 << 3,
  ControlEventTouchDragEnter = 1 << 4,
  ControlEventTouchDragExit = 1 << 5,
  ControlEventTouchUpInside = 1 << 6,
  ControlEventTouchUpOutside = 1 << 7,
  ControlEventTouchCancel = 1 << 8,
  ControlEventValueChanged = 1 << 12,
  ControlEventPrimaryActionTriggered = 1 << 13,
  ControlEventEditingDidBegin = 1 << 16,
  ControlEventEditingChanged = 1 << 17,
  ControlEventEditingDidEnd = 1 << 18,
  ControlEventEditingDidEndOnExit = 1 << 19,
  ControlEventAllTouchEvents = 0x00000FFF,
  ControlEventAllEditingEvents = 0x000F0000,
  ControlEventApplicationReserved = 0x0F000000,
  ControlEventSystemReserved = 0xF0000000,
  ControlEventAllEvents = 0xFFFFFFFF,
};

enum class ControlContentHorizontalAlignment { Center = 0, Left = 1, Right = 2, Fill = 3 };
enum class ControlContentVerticalAlignment { Center = 0, Top = 1, Bottom = 2, Fill = 3 };

// A view that turns touches into control events and sends them to registered actions. A touch
// counts as inside within 70 points of the bounds, as on the platform, so a finger can wander.
class Control : public View {
 public:
  using Action = std::function<void(Control& sender)>;
  using ActionId = std::uint64_t;

  // Actions run in the order they were added. The target is only a key for removeTarget.
  ActionId addTarget(Action action, unsigned events);
  ActionId addTarget(const void* target, Action action, unsigned events);
  // Removes the target's actions for `events`; a null target removes everyone's.
  void removeTarget(const void* target, unsigned events);
  void removeAction(ActionId id);
  unsigned allControlEvents() const;
  void sendActionsForControlEvents(unsigned events);

  bool isEnabled() const { return enabled_; }
  virtual void setEnabled(bool enabled);
  bool isSelected() const { return selected_; }
  virtual void setSelected(bool selected);
  bool isHighlighted() const { return highlighted_; }
  virtual void setHighlighted(bool highlighted);
  unsigned state() const;
  bool isTracking() const { return tracking_; }
  bool isTouchInside() const { return touchInside_; }
  ControlContentHorizontalAlignment contentHorizontalAlignment() const { return hAlign_; }
  void setContentHorizontalAlignment(ControlContentHorizontalAlignment a);
  ControlContentVerticalAlignment contentVerticalAlignment() const { return vAlign_; }
  void setContentVerticalAlignment(ControlContentVerticalAlignment a);

  void touchesBegan(const TouchSet& touches, const Event& event) override;
  void touchesMoved(const TouchSet& touches, const Event& event) override;
  void touchesEnded(const TouchSet& touches, const Event& event) override;
  void touchesCancelled(const TouchSet& touches, const Event& event) override;

 protected:
  explicit Control(Key key, const Rect& frame);
  // After enabled, selected or highlighted changed.
  virtual void stateDidChange() {}

 private:
  struct Entry {
    ActionId id;
    const void* target;
    Action action;
    unsigned events;
  };
  bool inside(const TouchSet& touches) const;

  std::vector<Entry> actions_;
  ActionId nextId_ = 1;
  bool enabled_ = true;
  bool selected_ = false;
  bool highlighted_ = false;
  bool tracking_ = false;
  bool touchInside_ = false;
  ControlContentHorizontalAlignment hAlign_ = ControlContentHorizontalAlignment::Center;
  ControlContentVerticalAlignment vAlign_ = ControlContentVerticalAlignment::Center;
};

}  // namespace platform
