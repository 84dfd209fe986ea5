#pragma once

namespace platform {

enum class BarStyle { Default = 0, Black = 1 };

// Where a bar sits, for its background and shadow images.
enum class BarPosition { Any = 0, Bottom = 1, Top = 2, TopAttached = 3 };

}  // namespace platform
