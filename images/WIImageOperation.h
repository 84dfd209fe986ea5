#pragma once

namespace sprout {

// A cancellable unit of image work handed back to callers (a combined load, a download).
class WIImageOperation {
 public:
  virtual ~WIImageOperation() = default;
  virtual void cancel() = 0;
};

}  // namespace sprout
