#pragma once

#include <memory>

#include "platform/foundation/Object.h"
#include "platform/ui/Touch.h"

namespace platform {

class View;
class Window;

// A link in the chain events travel along when an object does not handle them: view → its
// controller (if it is the controller's root view) → superview → ... → window. Each window has
// at most one first responder (the one that receives typing); only a responder in a window can
// become it, and a view whose subtree leaves its window resigns.
class Responder : public Object {
 public:
  virtual std::shared_ptr<Responder> nextResponder() const;

  virtual bool canBecomeFirstResponder() const { return false; }
  virtual bool canResignFirstResponder() const { return true; }
  // Whether the software keyboard comes up while this is the first responder.
  virtual bool requiresKeyboard() const { return false; }
  // The bar shown on top of the keyboard while this is the first responder.
  virtual std::shared_ptr<View> inputAccessoryView() const { return nullptr; }
  // Tells the keyboard that the accessory view changed (it slides to its new height).
  virtual void reloadInputViews();
  // Asks the window's current first responder to resign first; false when either refuses or
  // this responder is in no window.
  virtual bool becomeFirstResponder();
  virtual bool resignFirstResponder();
  bool isFirstResponder() const;
  // The window this responder is in, which its first-responder status belongs to; a responder
  // that is not a view is in none.
  virtual std::shared_ptr<Window> window() const { return nullptr; }
  // The key window's first responder, else the one that became first responder last.
  static std::shared_ptr<Responder> currentFirstResponder();

  // By default each passes the touches on to the next responder.
  virtual void touchesBegan(const TouchSet& touches, const Event& event);
  virtual void touchesMoved(const TouchSet& touches, const Event& event);
  virtual void touchesEnded(const TouchSet& touches, const Event& event);
  virtual void touchesCancelled(const TouchSet& touches, const Event& event);

  // For View: leaving the window ends first-responder status even if the responder would refuse.
  void resignOnLeavingWindow();

 protected:
  explicit Responder(Key key) : Object(std::move(key)) {}
  // Run when this became the window's first responder: before the keyboard hears of it when
  // announcesEditingBeforeKeyboard() is true (a text field's begin-editing precedes the
  // keyboard's will-show), after it otherwise (a text view's follows it).
  virtual void didBecomeFirstResponder() {}
  virtual bool announcesEditingBeforeKeyboard() const { return true; }
  // Run when it stopped being first responder, before the keyboard hears of it.
  virtual void didResignFirstResponder() {}

 private:
  void giveUp();

  std::weak_ptr<Window> firstIn_;
};

}  // namespace platform
