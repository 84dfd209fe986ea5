#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/animation/Layer.h"
#include "platform/animation/LayerDelegate.h"
#include "platform/foundation/Types.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Geometry.h"
#include "platform/ui/Responder.h"
#include "platform/ui/ViewTypes.h"

namespace platform {

class Context;
class GestureRecognizer;
class LayoutEngine;
class ViewController;
struct ViewLayoutState;
class Window;

// A rectangle of the interface, backed by a layer that holds its geometry and looks (main thread
// only). Made with create() or Object::make; a subclass builds its subviews in didInit (a
// constructor cannot: the view is not owned yet).
class View : public Responder, public LayerDelegate {
 public:
  static std::shared_ptr<View> create(const Rect& frame = {});
  ~View() override;

  const std::shared_ptr<Layer>& layer() const { return layer_; }

  // Geometry, all through the layer. Changing the size lays out again and applies the
  // subviews' autoresizing masks.
  Rect frame() const { return layer_->frame(); }
  void setFrame(const Rect& frame);
  Rect bounds() const { return layer_->bounds(); }
  void setBounds(const Rect& bounds);
  Point center() const { return layer_->position(); }
  void setCenter(const Point& center) { layer_->setPosition(center); }
  AffineTransform transform() const { return layer_->affineTransform(); }
  void setTransform(const AffineTransform& t) { layer_->setAffineTransform(t); }

  double alpha() const { return layer_->opacity(); }
  void setAlpha(double alpha) { layer_->setOpacity(alpha); }
  bool isHidden() const { return layer_->isHidden(); }
  virtual void setHidden(bool hidden) { layer_->setHidden(hidden); }
  bool isOpaque() const { return opaque_; }
  void setOpaque(bool opaque) { opaque_ = opaque; }
  bool clipsToBounds() const { return layer_->masksToBounds(); }
  void setClipsToBounds(bool clips) { layer_->setMasksToBounds(clips); }
  Color backgroundColor() const { return layer_->backgroundColor(); }
  virtual void setBackgroundColor(const Color& color) { layer_->setBackgroundColor(color); }
  // Inherited from the superview unless set; the platform's blue at the top.
  Color tintColor() const;
  void setTintColor(std::optional<Color> color);
  virtual void tintColorDidChange() {}
  ViewContentMode contentMode() const { return contentMode_; }
  void setContentMode(ViewContentMode mode);
  unsigned autoresizingMask() const { return autoresizingMask_; }
  void setAutoresizingMask(unsigned mask) { autoresizingMask_ = mask; }
  bool autoresizesSubviews() const { return autoresizesSubviews_; }
  void setAutoresizesSubviews(bool v) { autoresizesSubviews_ = v; }
  bool isUserInteractionEnabled() const { return userInteractionEnabled_; }
  virtual void setUserInteractionEnabled(bool v) { userInteractionEnabled_ = v; }
  bool isMultipleTouchEnabled() const { return multipleTouchEnabled_; }
  void setMultipleTouchEnabled(bool v) { multipleTouchEnabled_ = v; }
  long tag() const { return tag_; }
  void setTag(long tag) { tag_ = tag; }
  // This view or the first descendant (depth first) with the tag.
  std::shared_ptr<View> viewWithTag(long tag);

  // The tree. Adding a view that has a superview moves it. Hooks run in this order: the old
  // superview's willRemoveSubview, willMoveToSuperview, willMoveToWindow (whole subtree, only
  // when the window changes), the move, didMoveToWindow (subtree), didMoveToSuperview, the new
  // superview's didAddSubview.
  std::shared_ptr<View> superview() const { return superview_.lock(); }
  const std::vector<std::shared_ptr<View>>& subviews() const { return subviews_; }
  std::shared_ptr<Window> window() const override;
  void addSubview(std::shared_ptr<View> view);
  void insertSubview(std::shared_ptr<View> view, std::size_t index);
  void insertSubviewBelow(std::shared_ptr<View> view, const View* sibling);
  void insertSubviewAbove(std::shared_ptr<View> view, const View* sibling);
  void bringSubviewToFront(const View* view);
  void sendSubviewToBack(const View* view);
  void exchangeSubviewAtIndex(std::size_t a, std::size_t b);
  void removeFromSuperview();
  bool isDescendantOfView(const View* view) const;

  virtual void willMoveToSuperview(const std::shared_ptr<View>& /*newSuperview*/) {}
  virtual void didMoveToSuperview() {}
  virtual void willMoveToWindow(const std::shared_ptr<Window>& /*newWindow*/) {}
  virtual void didMoveToWindow() {}
  virtual void didAddSubview(const std::shared_ptr<View>& /*subview*/) {}
  virtual void willRemoveSubview(const std::shared_ptr<View>& /*subview*/) {}

  // Layout: setNeedsLayout marks the view, marks its ancestors as holding a dirty subtree (the
  // pass walks only marked branches) and schedules a pass on the main run loop. layoutIfNeeded
  // lays out now, from the topmost ancestor that needs layout down, so a child's call also
  // applies its dirty parent. A view whose layoutSubviews keeps asking for layout is laid out at
  // most kMaxLayoutPasses times in a row, then left with a warning naming its class.
  void setNeedsLayout();
  bool needsLayout() const { return needsLayout_; }
  void layoutIfNeeded();
  virtual void layoutSubviews() {}
  static constexpr int kMaxLayoutPasses = 8;
  // The view's own size changed: its superview, which places it, lays out again.
  void invalidateIntrinsicContentSize();
  virtual Size sizeThatFits(const Size& size) const;
  void sizeToFit();
  // (-1, -1) when the view has no size of its own.
  virtual Size intrinsicContentSize() const { return {-1, -1}; }

  // Drawing: views that draw override drawRect and call setNeedsDisplay when their looks change;
  // the next display pass (or render) draws into the layer's contents at the screen's scale.
  void setNeedsDisplay();
  // An override never calls this one: reaching it is how a class is known to draw nothing, and a
  // class that draws nothing gets no backing image (nor further drawRect calls).
  virtual void drawRect(Context& context, const Rect& rect);
  // Lays out and draws this subtree now (what the display pass does for every window).
  void updateTree();

  Point convertPointTo(const Point& p, const View* view) const;
  Point convertPointFrom(const Point& p, const View* view) const;
  Rect convertRectTo(const Rect& r, const View* view) const;
  Rect convertRectFrom(const Rect& r, const View* view) const;

  // The deepest visible, interactive descendant containing `p` (in this view's coordinates),
  // frontmost first. Views that are hidden, transparent (alpha < 0.01) or not interactive are
  // skipped with their subtrees.
  virtual std::shared_ptr<View> hitTest(const Point& p, const Event* event);
  virtual bool pointInside(const Point& p, const Event* event) const;

  // Recognizers see the touches of this view and its subviews before the views do (the window's
  // router hands them over). A recognizer belongs to one view: adding it here takes it from the
  // other.
  void addGestureRecognizer(const std::shared_ptr<GestureRecognizer>& recognizer);
  void removeGestureRecognizer(const GestureRecognizer* recognizer);
  const std::vector<std::shared_ptr<GestureRecognizer>>& gestureRecognizers() const {
    return gestureRecognizers_;
  }

  std::shared_ptr<Responder> nextResponder() const override;
  // The controller whose root view this is.
  std::shared_ptr<ViewController> viewController() const { return viewController_.lock(); }
  void setViewController(const std::shared_ptr<ViewController>& vc) { viewController_ = vc; }

  // Animation blocks: property changes made inside `animations` animate from what was on
  // screen (the old value, or where a running animation of that property had got to) with the
  // block's timing; the curve sits in option bits 16-19. The completion runs from the main run
  // loop once they all stop, with finished == false when any was replaced or removed; a block
  // that changed nothing completes after its delay. Nested blocks use their own settings.
  static void animateWithDuration(TimeInterval duration, TimeInterval delay, unsigned options,
                                  const std::function<void()>& animations,
                                  std::function<void(bool)> completion = nullptr);
  static void animateWithDuration(TimeInterval duration, const std::function<void()>& animations,
                                  std::function<void(bool)> completion = nullptr);
  // Springs: dampingRatio 1 settles without overshoot; velocity in whole distances per second.
  static void animateWithDuration(TimeInterval duration, TimeInterval delay, double dampingRatio,
                                  double velocity, unsigned options,
                                  const std::function<void()>& animations,
                                  std::function<void(bool)> completion = nullptr);
  static void animate(TimeInterval duration, TimeInterval delay, unsigned options,
                      const std::function<void()>& animations,
                      std::function<void(bool)> completion = nullptr) {
    animateWithDuration(duration, delay, options, animations, std::move(completion));
  }
  static void performWithoutAnimation(const std::function<void()>& changes);
  static bool areAnimationsEnabled();
  static void setAnimationsEnabled(bool enabled);

  std::optional<std::shared_ptr<Animation>> actionForLayer(Layer& layer, const std::string& key,
                                                           const AnimationValue& from) override;
  bool displayLayer(Layer& layer) override;
  bool drawLayer(Layer& layer, Context& context) override;
  // A view under ViewContentMode::Redraw whose class draws in place (see drawsInPlace).
  bool drawsLayerInPlace(Layer& layer) override;

  virtual bool isWindow() const { return false; }

  // What assistive technology reads for the view.
  bool isAccessibilityElement() const { return accessibilityElement_; }
  void setIsAccessibilityElement(bool v) { accessibilityElement_ = v; }
  const std::string& accessibilityLabel() const { return accessibilityLabel_; }
  void setAccessibilityLabel(std::string label) { accessibilityLabel_ = std::move(label); }
  const std::string& accessibilityIdentifier() const { return accessibilityIdentifier_; }
  void setAccessibilityIdentifier(std::string identifier) {
    accessibilityIdentifier_ = std::move(identifier);
  }
  const std::string& accessibilityHint() const { return accessibilityHint_; }
  void setAccessibilityHint(std::string hint) { accessibilityHint_ = std::move(hint); }

  explicit View(Key key, const Rect& frame = {}, std::shared_ptr<Layer> layer = nullptr);

 protected:
  // After the bounds' size changed: autoresizing, layout and redraw as the content mode asks.
  virtual void boundsSizeDidChange(const Size& oldSize);
  // After any change of the bounds, the origin included (a scroll offset is a bounds origin);
  // runs after boundsSizeDidChange. A moved origin alone also asks for layout.
  virtual void boundsDidChange(const Rect& /*oldBounds*/) {}
  // Whether drawRect may draw straight into the rendered frame rather than into a bitmap of the
  // view's own: it paints with the over operator only, draws the same wherever it lands, and
  // reads nothing but the view's state. A class whose drawRect is so says true.
  virtual bool drawsInPlace() const { return false; }

 private:
  // The layout floor keeps its per-view state here; only it knows these types.
  friend class LayoutEngine;
  friend struct ViewLayoutState;

  void insertAt(const std::shared_ptr<View>& view, std::size_t index);
  void boundsChanged(const Rect& oldBounds);
  void markAncestorsSubtreeDirty();
  void layoutSubtree();
  void layoutSelf();
  // Where what the layout engine computes (constraints) is applied, before layoutSubviews and
  // whether or not an override calls its base.
  void applyEngineLayout();
  void resizeSubviews(const Size& oldSize);
  void notifyTintChange();
  std::optional<Color> ownTint() const { return tint_; }

  std::shared_ptr<Layer> layer_;
  std::weak_ptr<View> superview_;
  std::vector<std::shared_ptr<View>> subviews_;
  std::weak_ptr<ViewController> viewController_;
  std::vector<std::shared_ptr<GestureRecognizer>> gestureRecognizers_;
  std::optional<Color> tint_;
  ViewContentMode contentMode_ = ViewContentMode::ScaleToFill;
  unsigned autoresizingMask_ = ViewAutoresizingNone;
  bool autoresizesSubviews_ = true;
  bool userInteractionEnabled_ = true;
  bool multipleTouchEnabled_ = false;
  bool opaque_ = true;
  bool needsLayout_ = false;
  bool subtreeNeedsLayout_ = false;  // some descendant needs layout
  bool inLayout_ = false;            // layoutSubviews is running (a nested loop may ask again)
  bool accessibilityElement_ = false;
  int animationsBlockingTouches_ = 0;  // running block animations without user interaction
  long tag_ = 0;
  std::string accessibilityLabel_;
  std::string accessibilityIdentifier_;
  std::string accessibilityHint_;
  std::shared_ptr<ViewLayoutState> layoutState_;  // constraints and settings, made on first set
  std::shared_ptr<LayoutEngine> layoutEngine_;    // while this view is the root of a laid-out tree
};

}  // namespace platform
