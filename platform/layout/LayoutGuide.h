#pragma once

#include <memory>

#include "platform/foundation/Object.h"

namespace platform {

class View;
class ViewController;

// A strip along the top or bottom of a controller's view that content stays clear of (the
// status bar above, a toolbar or the keyboard below). It spans the view's width and is `length`
// tall; constraints use it as an item like a view.
class LayoutGuide : public Object {
 public:
  enum class Edge { Top, Bottom };

  LayoutGuide(Key key, Edge edge, std::shared_ptr<View> view, double length)
      : Object(std::move(key)), owningView_(view), edge_(edge), length_(length) {}

  std::shared_ptr<View> owningView() const { return owningView_.lock(); }
  Edge edge() const { return edge_; }
  double length() const { return length_; }
  // Lays the owning view's tree out again.
  void setLength(double length);

 private:
  friend std::shared_ptr<LayoutGuide> topLayoutGuide(ViewController& controller);
  friend std::shared_ptr<LayoutGuide> bottomLayoutGuide(ViewController& controller);

  std::weak_ptr<View> owningView_;
  Edge edge_;
  double length_ = 0;
};

// The controller's guides, made on first use for its (loaded) view: the top one as tall as the
// status bar then is, the bottom one empty.
std::shared_ptr<LayoutGuide> topLayoutGuide(ViewController& controller);
std::shared_ptr<LayoutGuide> bottomLayoutGuide(ViewController& controller);

}  // namespace platform
