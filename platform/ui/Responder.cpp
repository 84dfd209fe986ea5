#include "platform/ui/Responder.h"

#include "platform/dispatch/MainThread.h"
#include "platform/ui/ApplicationWindows.h"
#include "platform/ui/KeyboardSimulator.h"
#include "platform/ui/View.h"
#include "platform/ui/Window.h"

namespace platform {
namespace {

std::weak_ptr<Responder>& lastFirstResponder() {
  assertMainThread("Responder's last first responder");
  static std::weak_ptr<Responder> last;
  return last;
}

// While one responder takes over from another the keyboard hears only the outcome, so it does
// not slide down and straight back up between two text fields.
bool& handingOver() {
  assertMainThread("Responder's hand-over");
  static bool flag = false;
  return flag;
}

}  // namespace

std::shared_ptr<Responder> Responder::nextResponder() const { return nullptr; }

bool Responder::becomeFirstResponder() {
  if (isFirstResponder()) return true;
  auto window = this->window();
  if (!window || !canBecomeFirstResponder()) return false;
  if (auto current = window->firstResponder()) {
    handingOver() = true;
    const bool resigned = current->resignFirstResponder();
    handingOver() = false;
    if (!resigned) return false;
  }
  auto me = self<Responder>();
  window->firstResponder_ = me;
  firstIn_ = window;
  lastFirstResponder() = me;
  const bool announceFirst = announcesEditingBeforeKeyboard();
  if (announceFirst) didBecomeFirstResponder();
  // The keyboard serves the key window; the hook may have given up the focus again.
  if (isFirstResponder() && window->isKeyWindow()) {
    auto accessory = inputAccessoryView();
    KeyboardSimulator::shared().firstResponderChanged(
        requiresKeyboard(), accessory ? accessory->frame().size.height : 0);
  }
  if (!announceFirst && isFirstResponder()) didBecomeFirstResponder();
  return isFirstResponder();
}

void Responder::reloadInputViews() {
  if (!isFirstResponder() || !requiresKeyboard()) return;
  auto window = firstIn_.lock();
  if (!window || !window->isKeyWindow()) return;
  auto accessory = inputAccessoryView();
  KeyboardSimulator::shared().reloadInputViews(accessory ? accessory->frame().size.height : 0);
}

bool Responder::resignFirstResponder() {
  if (!canResignFirstResponder()) return false;
  giveUp();
  return true;
}

void Responder::resignOnLeavingWindow() {
  if (!isFirstResponder()) return;
  if (!resignFirstResponder()) giveUp();
}

void Responder::giveUp() {
  if (!isFirstResponder()) return;
  auto window = firstIn_.lock();
  window->firstResponder_.reset();
  firstIn_.reset();
  if (lastFirstResponder().lock().get() == this) lastFirstResponder().reset();
  didResignFirstResponder();
  if (!handingOver() && window->isKeyWindow()) {
    KeyboardSimulator::shared().firstResponderChanged(false);
  }
}

bool Responder::isFirstResponder() const {
  auto window = firstIn_.lock();
  return window && window->firstResponder().get() == this;
}

std::shared_ptr<Responder> Responder::currentFirstResponder() {
  if (auto key = ApplicationWindows::shared().keyWindow()) {
    if (auto first = key->firstResponder()) return first;
  }
  auto last = lastFirstResponder().lock();
  return last && last->isFirstResponder() ? last : nullptr;
}

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
