#include "ui/support/keyboard/KBPreviousNextView.h"

namespace sprout {

std::shared_ptr<KBPreviousNextView> KBPreviousNextView::create(const platform::Rect& frame) {
  return make<KBPreviousNextView>(frame);
}

}  // namespace sprout
