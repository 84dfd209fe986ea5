#include "platform/animation/Transform3D.h"

#include <algorithm>
#include <cmath>

namespace platform {
namespace {

using Matrix = double[4][4];

void toArray(const Transform3D& t, Matrix m) {
  const double v[16] = {t.m11, t.m12, t.m13, t.m14, t.m21, t.m22, t.m23, t.m24,
                        t.m31, t.m32, t.m33, t.m34, t.m41, t.m42, t.m43, t.m44};
  for (int i = 0; i < 16; ++i) m[i / 4][i % 4] = v[i];
}

Transform3D fromArray(const Matrix m) {
  return {m[0][0], m[0][1], m[0][2], m[0][3], m[1][0], m[1][1], m[1][2], m[1][3],
          m[2][0], m[2][1], m[2][2], m[2][3], m[3][0], m[3][1], m[3][2], m[3][3]};
}

}  // namespace

Transform3D Transform3D::translation(double tx, double ty, double tz) {
  Transform3D t;
  t.m41 = tx;
  t.m42 = ty;
  t.m43 = tz;
  return t;
}

Transform3D Transform3D::scale(double sx, double sy, double sz) {
  Transform3D t;
  t.m11 = sx;
  t.m22 = sy;
  t.m33 = sz;
  return t;
}

Transform3D Transform3D::rotation(double radians, double x, double y, double z) {
  const double len = std::sqrt(x * x + y * y + z * z);
  if (len == 0) return {};
  x /= len;
  y /= len;
  z /= len;
  const double c = std::cos(radians), s = std::sin(radians), k = 1 - c;
  // The usual column-vector rotation, transposed for row vectors.
  Transform3D t;
  t.m11 = c + x * x * k;
  t.m12 = y * x * k + z * s;
  t.m13 = z * x * k - y * s;
  t.m21 = x * y * k - z * s;
  t.m22 = c + y * y * k;
  t.m23 = z * y * k + x * s;
  t.m31 = x * z * k + y * s;
  t.m32 = y * z * k - x * s;
  t.m33 = c + z * z * k;
  return t;
}

Transform3D Transform3D::fromAffine(const AffineTransform& a) {
  Transform3D t;
  t.m11 = a.a;
  t.m12 = a.b;
  t.m21 = a.c;
  t.m22 = a.d;
  t.m41 = a.tx;
  t.m42 = a.ty;
  return t;
}

bool Transform3D::isAffine() const {
  return m13 == 0 && m14 == 0 && m23 == 0 && m24 == 0 && m31 == 0 && m32 == 0 && m33 == 1 &&
         m34 == 0 && m43 == 0 && m44 == 1;
}

AffineTransform Transform3D::affine() const { return {m11, m12, m21, m22, m41, m42}; }

Transform3D Transform3D::concat(const Transform3D& then) const {
  Matrix a, b, r;
  toArray(*this, a);
  toArray(then, b);
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) {
      r[i][j] = a[i][0] * b[0][j] + a[i][1] * b[1][j] + a[i][2] * b[2][j] + a[i][3] * b[3][j];
    }
  }
  return fromArray(r);
}

Transform3D Transform3D::translatedBy(double tx, double ty, double tz) const {
  return translation(tx, ty, tz).concat(*this);
}

Transform3D Transform3D::scaledBy(double sx, double sy, double sz) const {
  return scale(sx, sy, sz).concat(*this);
}

Transform3D Transform3D::rotatedBy(double radians, double x, double y, double z) const {
  return rotation(radians, x, y, z).concat(*this);
}

// Gauss-Jordan with partial pivoting; small and exact enough for layer matrices.
static bool invertMatrix(const Matrix in, Matrix out) {
  double a[4][8];
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) {
      a[i][j] = in[i][j];
      a[i][j + 4] = i == j ? 1 : 0;
    }
  }
  for (int col = 0; col < 4; ++col) {
    int pivot = col;
    for (int r = col + 1; r < 4; ++r) {
      if (std::fabs(a[r][col]) > std::fabs(a[pivot][col])) pivot = r;
    }
    if (std::fabs(a[pivot][col]) < 1e-12) return false;
    if (pivot != col) std::swap(a[pivot], a[col]);
    const double inv = 1.0 / a[col][col];
    for (double& v : a[col]) v *= inv;
    for (int r = 0; r < 4; ++r) {
      if (r == col || a[r][col] == 0) continue;
      const double f = a[r][col];
      for (int j = 0; j < 8; ++j) a[r][j] -= f * a[col][j];
    }
  }
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) out[i][j] = a[i][j + 4];
  }
  return true;
}

Transform3D Transform3D::inverted() const {
  Matrix m, r;
  toArray(*this, m);
  if (!invertMatrix(m, r)) return *this;
  return fromArray(r);
}

bool Transform3D::isInvertible() const {
  Matrix m, r;
  toArray(*this, m);
  return invertMatrix(m, r);
}

Point Transform3D::apply(const Point& p) const {
  const double x = p.x * m11 + p.y * m21 + m41;
  const double y = p.x * m12 + p.y * m22 + m42;
  const double w = p.x * m14 + p.y * m24 + m44;
  if (w == 1 || w == 0) return {x, y};
  return {x / w, y / w};
}

Rect Transform3D::apply(const Rect& r) const {
  if (isNull(r)) return kRectNull;
  const Rect s = standardize(r);
  const Point corners[4] = {apply(s.origin), apply(Point{maxX(s), minY(s)}),
                            apply(Point{minX(s), maxY(s)}), apply(Point{maxX(s), maxY(s)})};
  double x0 = corners[0].x, x1 = x0, y0 = corners[0].y, y1 = y0;
  for (const Point& c : corners) {
    x0 = std::min(x0, c.x);
    x1 = std::max(x1, c.x);
    y0 = std::min(y0, c.y);
    y1 = std::max(y1, c.y);
  }
  return makeRect(x0, y0, x1 - x0, y1 - y0);
}

Transform3D::Parts Transform3D::parts() const {
  Parts p;
  p.scaleX = std::hypot(m11, m12);
  p.rotation = std::atan2(m12, m11);
  const double det = m11 * m22 - m12 * m21;
  p.scaleY = p.scaleX == 0 ? std::hypot(m21, m22) : det / p.scaleX;
  p.translateX = m41;
  p.translateY = m42;
  return p;
}

Transform3D Transform3D::withParts(const Parts& p) const {
  Transform3D t = *this;
  const double c = std::cos(p.rotation), s = std::sin(p.rotation);
  t.m11 = p.scaleX * c;
  t.m12 = p.scaleX * s;
  t.m21 = -p.scaleY * s;
  t.m22 = p.scaleY * c;
  t.m41 = p.translateX;
  t.m42 = p.translateY;
  return t;
}

}  // namespace platform
