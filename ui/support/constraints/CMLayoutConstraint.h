#pragma once

#include <memory>
#include <string>

#include "platform/layout/LayoutConstraint.h"

namespace sprout {

// A platform constraint made by the builder, carrying its debug key.
class CMLayoutConstraint : public platform::LayoutConstraint {
 public:
  static std::shared_ptr<CMLayoutConstraint> create(
      const std::shared_ptr<platform::Object>& firstItem, platform::LayoutAttribute firstAttribute,
      platform::LayoutRelation relation, const std::shared_ptr<platform::Object>& secondItem,
      platform::LayoutAttribute secondAttribute, double multiplier, double constant);

  const std::string& cm_key() const { return key_; }
  void setCm_key(std::string key) { key_ = std::move(key); }

  explicit CMLayoutConstraint(Key key) : platform::LayoutConstraint(std::move(key)) {}

 private:
  std::string key_;
};

}  // namespace sprout
