#pragma once

#include <memory>

#include "platform/ui/Object.h"
#include "platform/ui/Touch.h"

namespace platform {

// A link in the chain events travel along when an object does not handle them: view → its
// controller (if it is the controller's root view) → superview → ... → window. One responder in
// the process is the first responder (the one that receives typing).
class Responder : public Object {
 public:
  virtual std::shared_ptr<Responder> nextResponder() const;

  virtual bool canBecomeFirstResponder() const { return false; }
  virtual bool canResignFirstResponder() const { return true; }
  // Asks the current first responder to resign first; false when either refuses.
  virtual bool becomeFirstResponder();
  virtual bool resignFirstResponder();
  bool isFirstResponder() const;
  static std::shared_ptr<Responder> currentFirstResponder();

  // By default each passes the touches on to the next responder.
  virtual void touchesBegan(const TouchSet& touches, const Event& event);
  virtual void touchesMoved(const TouchSet& touches, const Event& event);
  virtual void touchesEnded(const TouchSet& touches, const Event& event);
  virtual void touchesCancelled(const TouchSet& touches, const Event& event);

 protected:
  Responder() = default;
};

}  // namespace platform
