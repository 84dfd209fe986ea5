#pragma once

namespace platform {

enum class QueuePriority { Background, Low, Default, High };

}  // namespace platform
