#pragma once

#include <memory>
#include <optional>
#include <variant>

#include "platform/animation/Transform3D.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Geometry.h"

namespace platform {

class Image;

// A value an animation moves a layer property through. Which alternative a key path holds is
// fixed by the key path ("opacity" a double, "position" a Point, "transform" a Transform3D ...).
using AnimationValue =
    std::variant<double, Point, Size, Rect, Color, Transform3D, std::shared_ptr<Image>>;

// Linear blend from `a` (t = 0) to `b` (t = 1); t may leave 0...1 (springs overshoot). Values of
// different kinds, and images, switch over at the halfway point. Transforms blend their 2D
// parts (scale, rotation, translation) when both are affine, so a turn stays a turn.
AnimationValue interpolate(const AnimationValue& a, const AnimationValue& b, double t);
// a + b and a - b for numbers, points, sizes, rects and colours; transforms concatenate (b after
// a) and subtract by the inverse. nullopt for kinds that do not add.
std::optional<AnimationValue> addValues(const AnimationValue& a, const AnimationValue& b);
std::optional<AnimationValue> subtractValues(const AnimationValue& a, const AnimationValue& b);

}  // namespace platform
