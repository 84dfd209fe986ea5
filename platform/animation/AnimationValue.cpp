#include "platform/animation/AnimationValue.h"

namespace platform {
namespace {

double mix(double a, double b, double t) { return a + (b - a) * t; }

Transform3D mixTransforms(const Transform3D& a, const Transform3D& b, double t) {
  if (a.isAffine() && b.isAffine()) {
    const Transform3D::Parts pa = a.parts(), pb = b.parts();
    Transform3D::Parts p;
    p.scaleX = mix(pa.scaleX, pb.scaleX, t);
    p.scaleY = mix(pa.scaleY, pb.scaleY, t);
    p.rotation = mix(pa.rotation, pb.rotation, t);
    p.translateX = mix(pa.translateX, pb.translateX, t);
    p.translateY = mix(pa.translateY, pb.translateY, t);
    return Transform3D{}.withParts(p);
  }
  const double* pa = &a.m11;
  const double* pb = &b.m11;
  Transform3D r;
  double* pr = &r.m11;
  for (int i = 0; i < 16; ++i) pr[i] = mix(pa[i], pb[i], t);
  return r;
}

}  // namespace

AnimationValue interpolate(const AnimationValue& a, const AnimationValue& b, double t) {
  if (a.index() != b.index()) return t < 0.5 ? a : b;
  if (const auto* x = std::get_if<double>(&a)) return mix(*x, std::get<double>(b), t);
  if (const auto* p = std::get_if<Point>(&a)) {
    const Point& q = std::get<Point>(b);
    return Point{mix(p->x, q.x, t), mix(p->y, q.y, t)};
  }
  if (const auto* s = std::get_if<Size>(&a)) {
    const Size& u = std::get<Size>(b);
    return Size{mix(s->width, u.width, t), mix(s->height, u.height, t)};
  }
  if (const auto* r = std::get_if<Rect>(&a)) {
    const Rect& q = std::get<Rect>(b);
    return makeRect(mix(r->origin.x, q.origin.x, t), mix(r->origin.y, q.origin.y, t),
                    mix(r->size.width, q.size.width, t), mix(r->size.height, q.size.height, t));
  }
  if (const auto* c = std::get_if<Color>(&a)) {
    const Color& d = std::get<Color>(b);
    return Color{mix(c->r, d.r, t), mix(c->g, d.g, t), mix(c->b, d.b, t), mix(c->a, d.a, t)};
  }
  if (const auto* m = std::get_if<Transform3D>(&a)) {
    return mixTransforms(*m, std::get<Transform3D>(b), t);
  }
  return t < 0.5 ? a : b;
}

std::optional<AnimationValue> addValues(const AnimationValue& a, const AnimationValue& b) {
  if (a.index() != b.index()) return std::nullopt;
  if (const auto* x = std::get_if<double>(&a)) return *x + std::get<double>(b);
  if (const auto* p = std::get_if<Point>(&a)) {
    const Point& q = std::get<Point>(b);
    return Point{p->x + q.x, p->y + q.y};
  }
  if (const auto* s = std::get_if<Size>(&a)) {
    const Size& u = std::get<Size>(b);
    return Size{s->width + u.width, s->height + u.height};
  }
  if (const auto* r = std::get_if<Rect>(&a)) {
    const Rect& q = std::get<Rect>(b);
    return makeRect(r->origin.x + q.origin.x, r->origin.y + q.origin.y,
                    r->size.width + q.size.width, r->size.height + q.size.height);
  }
  if (const auto* c = std::get_if<Color>(&a)) {
    const Color& d = std::get<Color>(b);
    return Color{c->r + d.r, c->g + d.g, c->b + d.b, c->a + d.a};
  }
  if (const auto* m = std::get_if<Transform3D>(&a)) return m->concat(std::get<Transform3D>(b));
  return std::nullopt;
}

std::optional<AnimationValue> subtractValues(const AnimationValue& a, const AnimationValue& b) {
  if (a.index() != b.index()) return std::nullopt;
  if (const auto* m = std::get_if<Transform3D>(&a)) {
    return m->concat(std::get<Transform3D>(b).inverted());
  }
  AnimationValue negated = b;
  if (auto* x = std::get_if<double>(&negated)) {
    *x = -*x;
  } else if (auto* p = std::get_if<Point>(&negated)) {
    *p = {-p->x, -p->y};
  } else if (auto* s = std::get_if<Size>(&negated)) {
    *s = {-s->width, -s->height};
  } else if (auto* r = std::get_if<Rect>(&negated)) {
    *r = makeRect(-r->origin.x, -r->origin.y, -r->size.width, -r->size.height);
  } else if (auto* c = std::get_if<Color>(&negated)) {
    *c = {-c->r, -c->g, -c->b, -c->a};
  } else {
    return std::nullopt;
  }
  return addValues(a, negated);
}

}  // namespace platform
