#include "ui/support/refresh/RFRefreshLabel.h"

#include <limits>

#include "platform/ui/TextLayout.h"
#include "platform/ui/ViewTypes.h"

namespace sprout {

std::shared_ptr<platform::Label> rf_label() {
  auto label = platform::Label::create();
  label->setFont(platform::Font::boldSystemFont(14));
  constexpr double kGrey = 90.0 / 255.0;
  label->setTextColor(platform::Color::rgba(kGrey, kGrey, kGrey, 1.0));
  label->setAutoresizingMask(platform::ViewAutoresizingFlexibleWidth);
  label->setTextAlignment(platform::TextAlignment::Center);
  label->setBackgroundColor(platform::Color::clear());
  return label;
}

double rf_textWith(const platform::Label& label) {
  if (label.text().empty()) return 0;
  constexpr double kUnbounded = std::numeric_limits<float>::max();
  return platform::TextLayout::measure(label.text(), label.font(), {kUnbounded, kUnbounded}).width;
}

}  // namespace sprout
