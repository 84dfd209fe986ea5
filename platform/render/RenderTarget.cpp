#include "platform/render/RenderTarget.h"

#include "platform/graphics/Context.h"
#include "platform/graphics/Image.h"

namespace platform {

RenderTarget::RenderTarget() = default;
RenderTarget::~RenderTarget() = default;

Context* RenderTarget::begin(Size points, double scale, bool erase) {
  if (context_ && context_->fits(points, scale) && !context_->isShared()) {
    if (erase) {
      context_->clear();
    } else {
      context_->resetState();
    }
    return context_.get();
  }
  context_ = Context::create(points, scale, false);  // a new surface starts transparent
  return context_.get();
}

std::shared_ptr<Image> RenderTarget::finish() {
  return context_ ? context_->shareImage() : nullptr;
}

}  // namespace platform
