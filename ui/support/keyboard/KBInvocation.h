#pragma once

#include <functional>

namespace platform {
class View;
}

namespace sprout {

// A target and its method, bound to be called with the view it was set on (the field whose
// title was tapped, or that previous / next / done moved away from).
using KBInvocation = std::function<void(platform::View& sender)>;

}  // namespace sprout
