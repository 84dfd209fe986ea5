#pragma once

#include <cstdint>
#include <functional>

#include "platform/graphics/Geometry.h"
#include "platform/ui/GestureRecognizer.h"

namespace sprout {

// Where a refresh control stands. 0 is the value before the first state is set.
enum RFRefreshState : std::int64_t {
  RFRefreshStateIdle = 1,
  RFRefreshStatePulling = 2,
  RFRefreshStateRefreshing = 3,
  // Asked to refresh while off screen: becomes Refreshing when next drawn.
  RFRefreshStateWillRefresh = 4,
  // Footers: everything is loaded.
  RFRefreshStateNoMoreData = 5,
};

using RFRefreshComponentRefreshingBlock = std::function<void()>;
using RFRefreshComponentEndRefreshingCompletionBlock = std::function<void()>;

// One observed change of the scroll view, old and new value.
struct RFOffsetChange {
  platform::Point oldValue, newValue;
};
struct RFSizeChange {
  platform::Size oldValue, newValue;
};
struct RFPanStateChange {
  platform::GestureRecognizer::State oldValue, newValue;
};

}  // namespace sprout
