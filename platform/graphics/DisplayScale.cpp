#include "platform/graphics/DisplayScale.h"

#include <atomic>

namespace platform {
namespace {

std::atomic<double>& scaleSlot() {
  static std::atomic<double> scale{2.0};
  return scale;
}

}  // namespace

double DisplayScale::current() { return scaleSlot().load(std::memory_order_acquire); }

void DisplayScale::set(double scale) {
  if (!(scale > 0)) return;
  scaleSlot().store(scale, std::memory_order_release);
}

}  // namespace platform
