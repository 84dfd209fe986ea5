#include "platform/ui/Responder.h"

namespace platform {
namespace {

std::weak_ptr<Responder>& firstResponder() {
  static std::weak_ptr<Responder> current;  // main thread only
  return current;
}

}  // namespace

std::shared_ptr<Responder> Responder::nextResponder() const { return nullptr; }

bool Responder::becomeFirstResponder() {
  if (isFirstResponder()) return true;
  if (!canBecomeFirstResponder()) return false;
  if (auto current = firstResponder().lock()) {
    if (!current->resignFirstResponder()) return false;
  }
  firstResponder() = self<Responder>();
  return true;
}

bool Responder::resignFirstResponder() {
  if (!canResignFirstResponder()) return false;
  if (isFirstResponder()) firstResponder().reset();
  return true;
}

bool Responder::isFirstResponder() const { return firstResponder().lock().get() == this; }

std::shared_ptr<Responder> Responder::currentFirstResponder() { return firstResponder().lock(); }

void Responder::touchesBegan(const TouchSet& touches, const Event& event) {
  if (auto next = nextResponder()) next->touchesBegan(touches, event);
}

void Responder::touchesMoved(const TouchSet& touches, const Event& event) {
  if (auto next = nextResponder()) next->touchesMoved(touches, event);
}

void Responder::touchesEnded(const TouchSet& touches, const Event& event) {
  if (auto next = nextResponder()) next->touchesEnded(touches, event);
}

void Responder::touchesCancelled(const TouchSet& touches, const Event& event) {
  if (auto next = nextResponder()) next->touchesCancelled(touches, event);
}

}  // namespace platform
