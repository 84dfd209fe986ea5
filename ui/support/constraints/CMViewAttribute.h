#pragma once

#include <cstddef>
#include <memory>

#include "platform/foundation/Object.h"
#include "platform/layout/LayoutAttribute.h"

namespace platform {
class View;
}

namespace sprout {

// One attribute of one view: the right-hand side of a builder constraint. `item` is what the
// platform constraint is made with: the view itself, or a controller's layout guide.
class CMViewAttribute {
 public:
  CMViewAttribute(const std::shared_ptr<platform::View>& view, long layoutAttribute);
  CMViewAttribute(const std::shared_ptr<platform::View>& view,
                  const std::shared_ptr<platform::Object>& item, long layoutAttribute);

  std::shared_ptr<platform::View> view() const { return view_.lock(); }
  std::shared_ptr<platform::Object> item() const { return item_.lock(); }
  long layoutAttribute() const { return layoutAttribute_; }
  bool isSizeAttribute() const;

  // The very same view and the same attribute.
  bool operator==(const CMViewAttribute& other) const;
  std::size_t hash() const;

 private:
  std::weak_ptr<platform::View> view_;
  std::weak_ptr<platform::Object> item_;
  long layoutAttribute_;
};

}  // namespace sprout
