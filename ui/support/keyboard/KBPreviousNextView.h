#pragma once

#include <memory>

#include "platform/ui/View.h"

namespace sprout {

// A marker: the fields anywhere inside it form one previous/next list, in reading order.
class KBPreviousNextView : public platform::View {
 public:
  static std::shared_ptr<KBPreviousNextView> create(const platform::Rect& frame = {});

 protected:
  friend class platform::Object;
  explicit KBPreviousNextView(Key key, const platform::Rect& frame) : View(key, frame) {}
};

}  // namespace sprout
