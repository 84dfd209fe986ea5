#pragma once

#include "platform/graphics/Geometry.h"

namespace platform {

// A 4x4 layer transform in the row-vector convention layers use: a point (x, y, z, 1) maps to
// (x, y, z, 1) * M. concat(a, b) applies `a` first, then `b`. With y pointing down, a positive
// rotation about z turns clockwise on screen, as affine rotations do.
struct Transform3D {
  double m11 = 1, m12 = 0, m13 = 0, m14 = 0;
  double m21 = 0, m22 = 1, m23 = 0, m24 = 0;
  double m31 = 0, m32 = 0, m33 = 1, m34 = 0;
  double m41 = 0, m42 = 0, m43 = 0, m44 = 1;

  bool operator==(const Transform3D&) const = default;

  static Transform3D identity() { return {}; }
  static Transform3D translation(double tx, double ty, double tz = 0);
  static Transform3D scale(double sx, double sy, double sz = 1);
  // About the axis (x, y, z); a zero axis gives the identity.
  static Transform3D rotation(double radians, double x, double y, double z);
  static Transform3D fromAffine(const AffineTransform& t);

  bool isIdentity() const { return *this == Transform3D{}; }
  // True when the matrix only moves points within the z = 0 plane (an affine transform).
  bool isAffine() const;
  // The part that acts on x and y.
  AffineTransform affine() const;

  // `this` first, then `then`.
  Transform3D concat(const Transform3D& then) const;
  // Each prepends its operation, so it applies before what `this` already does.
  Transform3D translatedBy(double tx, double ty, double tz = 0) const;
  Transform3D scaledBy(double sx, double sy, double sz = 1) const;
  Transform3D rotatedBy(double radians, double x, double y, double z) const;
  // The transform itself when it is not invertible.
  Transform3D inverted() const;
  bool isInvertible() const;

  // Applies to (x, y, 0, 1) with the perspective divide.
  Point apply(const Point& p) const;
  // Bounding box of the four transformed corners; null stays null.
  Rect apply(const Rect& r) const;

  // The 2D parts, for key paths such as "transform.rotation.z": scale along each axis (the
  // y scale negative when the transform mirrors), rotation about z and translation.
  struct Parts {
    double scaleX = 1, scaleY = 1, rotation = 0, translateX = 0, translateY = 0;
  };
  Parts parts() const;
  // Replaces the 2D parts, keeping the z and perspective entries.
  Transform3D withParts(const Parts& parts) const;
};

}  // namespace platform
