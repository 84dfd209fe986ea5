#pragma once

#include <memory>

#include "platform/render/Render.h"

namespace platform {

class RenderTarget;
class View;

// Lays out and draws `view`'s tree (what the display pass would do), then renders it like
// renderLayer: the view's bounds, its own opacity, everything below it.
std::shared_ptr<Image> renderView(View& view, const RenderOptions& options = {});
std::shared_ptr<Image> renderView(View& view, RenderTarget& target,
                                  const RenderOptions& options = {});

// What the screen shows: every visible window back to front, placed by its frame, over
// options.background, at the main screen's size.
std::shared_ptr<Image> renderScreen(const RenderOptions& options = {});
std::shared_ptr<Image> renderScreen(RenderTarget& target, const RenderOptions& options = {});

}  // namespace platform
