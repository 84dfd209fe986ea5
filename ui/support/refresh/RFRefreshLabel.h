#pragma once

#include <memory>

#include "platform/ui/Label.h"

namespace sprout {

// A label in the refresh views' style: bold 14, grey 90/255, centred, clear, flexible width.
std::shared_ptr<platform::Label> rf_label();
// The width of the label's text in its font, unbounded and unrounded; 0 for no text.
double rf_textWith(const platform::Label& label);

}  // namespace sprout
