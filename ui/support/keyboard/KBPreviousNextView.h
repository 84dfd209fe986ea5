#pragma once

#include <memory>

#include "platform/ui/View.h"

namespace sprout {

// A marker: the fields anywhere inside it form one previous/next list, in reading order.
class KBPreviousNextView : public platform::View {
 public:
  static std::shared_ptr<KBPreviousNextView> create(const platform::Rect& frame = {});

  explicit KBPreviousNextView(Key key, const platform::Rect& frame) : View(std::move(key), frame) {}
};

}  // namespace sprout
