#pragma once

#include <optional>

#include "platform/foundation/Types.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Image.h"

namespace platform {

// Both encode what a person sees: the image's orientation is applied to the pixels, so the result
// decodes Up. nullopt for an empty image or when the codec fails.

// Straight (unpremultiplied) RGBA, or RGB when every pixel is opaque.
std::optional<Data> encodePNG(const Image& image);
std::optional<Data> encodePNG(const Bitmap& bitmap);

// `quality` 0...1 maps to the codec's 0...100; from 0.9 up chroma is kept at full resolution.
// Alpha is dropped and the premultiplied colours kept, which is the picture over black.
std::optional<Data> encodeJPEG(const Image& image, double quality);
std::optional<Data> encodeJPEG(const Bitmap& bitmap, double quality);

}  // namespace platform
