#include "platform/ui/View.h"

#include <cxxabi.h>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <string>
#include <typeindex>
#include <typeinfo>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/animation/BasicAnimation.h"
#include "platform/animation/SpringAnimation.h"
#include "platform/dispatch/MainThread.h"
#include "platform/dispatch/RunLoop.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/Context.h"
#include "platform/ui/ApplicationWindows.h"
#include "platform/ui/ConstraintLayoutStep.h"
#include "platform/ui/DisplayCycle.h"
#include "platform/ui/GestureRecognizer.h"
#include "platform/ui/Screen.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"

namespace platform {
namespace {

ContentsGravity gravityFor(ViewContentMode mode) {
  switch (mode) {
    case ViewContentMode::ScaleToFill:
    case ViewContentMode::Redraw:
      return ContentsGravity::Resize;
    case ViewContentMode::ScaleAspectFit:
      return ContentsGravity::ResizeAspect;
    case ViewContentMode::ScaleAspectFill:
      return ContentsGravity::ResizeAspectFill;
    case ViewContentMode::Center:
      return ContentsGravity::Center;
    case ViewContentMode::Top:
      return ContentsGravity::Top;
    case ViewContentMode::Bottom:
      return ContentsGravity::Bottom;
    case ViewContentMode::Left:
      return ContentsGravity::Left;
    case ViewContentMode::Right:
      return ContentsGravity::Right;
    case ViewContentMode::TopLeft:
      return ContentsGravity::TopLeft;
    case ViewContentMode::TopRight:
      return ContentsGravity::TopRight;
    case ViewContentMode::BottomLeft:
      return ContentsGravity::BottomLeft;
    case ViewContentMode::BottomRight:
      return ContentsGravity::BottomRight;
  }
  return ContentsGravity::Resize;
}

void willMoveSubtreeToWindow(View& view, const std::shared_ptr<Window>& window) {
  view.resignOnLeavingWindow();
  view.willMoveToWindow(window);
  for (const auto& s : std::vector<std::shared_ptr<View>>(view.subviews())) {
    willMoveSubtreeToWindow(*s, window);
  }
}

std::string className(const View& view) {
  const char* mangled = typeid(view).name();
  int status = 0;
  std::unique_ptr<char, void (*)(void*)> demangled(
      abi::__cxa_demangle(mangled, nullptr, nullptr, &status), std::free);
  return status == 0 && demangled ? demangled.get() : mangled;
}

void didMoveSubtreeToWindow(View& view) {
  view.didMoveToWindow();
  for (const auto& s : std::vector<std::shared_ptr<View>>(view.subviews())) {
    didMoveSubtreeToWindow(*s);
  }
}

}  // namespace

std::shared_ptr<View> View::create(const Rect& frame) { return make<View>(frame); }

View::View(Key key, const Rect& frame, std::shared_ptr<Layer> layer)
    : Responder(std::move(key)), layer_(layer ? std::move(layer) : Layer::create()) {
  layer_->setDelegate(this);
  layer_->setContentsScale(Screen::main().scale());
  layer_->setFrame(standardize(frame));
}

View::~View() {
  assertMainThread("View destruction");
  layer_->setDelegate(nullptr);
  // Subviews outlive us only if someone else holds them; they are then without a superview.
  for (const auto& s : subviews_) s->superview_.reset();
}

void View::setFrame(const Rect& frame) {
  const Rect old = bounds();
  layer_->setFrame(standardize(frame));
  if (!(old == bounds())) boundsChanged(old);
}

void View::setBounds(const Rect& bounds) {
  const Rect old = this->bounds();
  layer_->setBounds(bounds);
  if (!(old == this->bounds())) boundsChanged(old);
}

void View::boundsChanged(const Rect& oldBounds) {
  if (!(oldBounds.size == bounds().size)) {
    boundsSizeDidChange(oldBounds.size);
  } else {
    setNeedsLayout();  // what the view shows of its content moved
  }
  boundsDidChange(oldBounds);
}

void View::boundsSizeDidChange(const Size& oldSize) {
  if (autoresizesSubviews_) resizeSubviews(oldSize);
  setNeedsLayout();
  if (contentMode_ == ViewContentMode::Redraw) setNeedsDisplay();
}

Color View::tintColor() const {
  if (tint_) return *tint_;
  if (auto parent = superview()) return parent->tintColor();
  return Color::rgba(0, 122 / 255.0, 1);
}

void View::setTintColor(std::optional<Color> color) {
  const Color old = tintColor();
  tint_ = color;
  if (!(tintColor() == old)) notifyTintChange();
}

void View::notifyTintChange() {
  tintColorDidChange();
  for (const auto& s : subviews_) {
    if (!s->ownTint()) s->notifyTintChange();
  }
}

void View::setContentMode(ViewContentMode mode) {
  const bool redraws = contentMode_ == ViewContentMode::Redraw;
  contentMode_ = mode;
  layer_->setContentsGravity(gravityFor(mode));
  // Drawing in place or into kept contents is chosen when the layer displays.
  if (redraws != (mode == ViewContentMode::Redraw) && drawsInPlace()) setNeedsDisplay();
}

std::shared_ptr<View> View::viewWithTag(long tag) {
  if (tag_ == tag) return self<View>();
  for (const auto& s : subviews_) {
    if (auto found = s->viewWithTag(tag)) return found;
  }
  return nullptr;
}

std::shared_ptr<Window> View::window() const {
  const View* top = this;
  std::shared_ptr<View> topShared;
  for (auto parent = superview(); parent; parent = parent->superview()) {
    top = parent.get();
    topShared = parent;
  }
  if (!top->isWindow()) return nullptr;
  if (!topShared) {
    auto me = weak_from_this().lock();
    if (!me) return nullptr;
    topShared = std::const_pointer_cast<View>(std::static_pointer_cast<const View>(me));
  }
  return std::static_pointer_cast<Window>(topShared);
}

void View::addSubview(std::shared_ptr<View> view) {
  if (view) insertAt(std::move(view), subviews_.size());
}

void View::insertSubview(std::shared_ptr<View> view, std::size_t index) {
  if (view) insertAt(std::move(view), index);
}

void View::insertSubviewBelow(std::shared_ptr<View> view, const View* sibling) {
  if (!view || view.get() == sibling) return;
  auto it = std::find_if(subviews_.begin(), subviews_.end(),
                         [sibling](const auto& v) { return v.get() == sibling; });
  std::size_t index = it == subviews_.end() ? subviews_.size() : it - subviews_.begin();
  // Moving a subview that sits before the sibling shifts the sibling down by one.
  if (view->superview().get() == this) {
    auto own = std::find(subviews_.begin(), subviews_.end(), view);
    if (own - subviews_.begin() < static_cast<std::ptrdiff_t>(index)) --index;
  }
  insertAt(std::move(view), index);
}

void View::insertSubviewAbove(std::shared_ptr<View> view, const View* sibling) {
  if (!view || view.get() == sibling) return;
  auto it = std::find_if(subviews_.begin(), subviews_.end(),
                         [sibling](const auto& v) { return v.get() == sibling; });
  std::size_t index = it == subviews_.end() ? subviews_.size() : it - subviews_.begin() + 1;
  if (view->superview().get() == this) {
    auto own = std::find(subviews_.begin(), subviews_.end(), view);
    if (own - subviews_.begin() < static_cast<std::ptrdiff_t>(index)) --index;
  }
  insertAt(std::move(view), index);
}

void View::bringSubviewToFront(const View* view) {
  auto it = std::find_if(subviews_.begin(), subviews_.end(),
                         [view](const auto& v) { return v.get() == view; });
  if (it == subviews_.end()) return;
  const std::shared_ptr<View> moving = *it;  // insertAt erases the slot it refers to
  insertAt(moving, subviews_.size());
}

void View::sendSubviewToBack(const View* view) {
  auto it = std::find_if(subviews_.begin(), subviews_.end(),
                         [view](const auto& v) { return v.get() == view; });
  if (it == subviews_.end()) return;
  const std::shared_ptr<View> moving = *it;
  insertAt(moving, 0);
}

void View::exchangeSubviewAtIndex(std::size_t a, std::size_t b) {
  if (a >= subviews_.size() || b >= subviews_.size() || a == b) return;
  auto first = subviews_[std::min(a, b)], second = subviews_[std::max(a, b)];
  insertAt(second, std::min(a, b));
  insertAt(first, std::max(a, b));
}

void View::insertAt(const std::shared_ptr<View>& view, std::size_t index) {
  assertMainThread("View::insertSubview");
  if (view.get() == this || isDescendantOfView(view.get())) {
    log(LogLevel::Error, "View", "cannot add a view to itself or to its own descendant");
    return;
  }
  auto me = std::static_pointer_cast<View>(weak_from_this().lock());
  if (!me) {
    log(LogLevel::Error, "View",
        "views join a tree only once a shared_ptr owns them (build subviews in didInit)");
    return;
  }
  auto oldSuper = view->superview();
  const Color oldTint = view->tintColor();
  // A view already here only changes order: nobody hears of a move.
  const bool joining = oldSuper.get() != this;
  const auto oldWindow = joining ? view->window() : nullptr;
  const auto newWindow = joining ? window() : nullptr;
  if (joining) {
    if (oldSuper) oldSuper->willRemoveSubview(view);
    view->willMoveToSuperview(me);
    if (oldWindow != newWindow) willMoveSubtreeToWindow(*view, newWindow);
  }
  if (oldSuper) {
    auto& list = oldSuper->subviews_;
    list.erase(std::find(list.begin(), list.end(), view));
  }
  view->superview_ = me;
  index = std::min(index, subviews_.size());
  subviews_.insert(subviews_.begin() + static_cast<std::ptrdiff_t>(index), view);
  if (index + 1 < subviews_.size()) {
    layer_->insertSublayerBelow(view->layer_, subviews_[index + 1]->layer_.get());
  } else {
    layer_->addSublayer(view->layer_);
  }
  if (!joining) return;
  if (oldWindow != newWindow) didMoveSubtreeToWindow(*view);
  view->didMoveToSuperview();
  didAddSubview(view);
  if (const auto* step = ConstraintLayoutStep::installed()) {
    if (oldSuper) step->subtreeLeft(*oldSuper, *view);
    step->subtreeJoined(*this, *view);
  }
  // Only a subtree whose inherited tint really changed hears of it.
  if (!view->ownTint() && !(view->tintColor() == oldTint)) view->notifyTintChange();
  if (view->needsLayout_ || view->subtreeNeedsLayout_) view->markAncestorsSubtreeDirty();
  setNeedsLayout();
}

void View::removeFromSuperview() {
  assertMainThread("View::removeFromSuperview");
  auto parent = superview();
  if (!parent) return;
  auto me = self<View>();
  const auto oldWindow = window();
  const Color oldTint = tintColor();
  parent->willRemoveSubview(me);
  willMoveToSuperview(nullptr);
  if (oldWindow) willMoveSubtreeToWindow(*this, nullptr);
  auto& list = parent->subviews_;
  list.erase(std::find(list.begin(), list.end(), me));
  layer_->removeFromSuperlayer();
  superview_.reset();
  if (oldWindow) didMoveSubtreeToWindow(*this);
  didMoveToSuperview();
  if (const auto* step = ConstraintLayoutStep::installed()) step->subtreeLeft(*parent, *this);
  if (!tint_ && !(tintColor() == oldTint)) notifyTintChange();
}

bool View::isDescendantOfView(const View* view) const {
  for (const View* v = this; v;) {
    if (v == view) return true;
    auto parent = v->superview();
    v = parent.get();
  }
  return false;
}

void View::resizeSubviews(const Size& oldSize) {
  const Size newSize = bounds().size;
  // Spreads `delta` over the flexible parts in proportion to their current lengths.
  auto axis = [](double& lead, double& length, double& trail, double delta, bool fl, bool fs,
                 bool ft) {
    const int count = fl + fs + ft;
    if (count == 0) return;
    const double total = (fl ? lead : 0) + (fs ? length : 0) + (ft ? trail : 0);
    auto share = [&](double part) { return total > 0 ? delta * part / total : delta / count; };
    const double dl = fl ? share(lead) : 0, ds = fs ? share(length) : 0;
    lead += dl;
    length += ds;
    trail = 0;  // what is left over
  };
  for (const auto& s : subviews_) {
    const unsigned m = s->autoresizingMask_;
    if (m == ViewAutoresizingNone) continue;
    Rect f = s->frame();
    const Rect b = bounds();
    double left = f.origin.x - b.origin.x, w = f.size.width, right = oldSize.width - left - w;
    double top = f.origin.y - b.origin.y, h = f.size.height, bottom = oldSize.height - top - h;
    axis(left, w, right, newSize.width - oldSize.width, m & ViewAutoresizingFlexibleLeftMargin,
         m & ViewAutoresizingFlexibleWidth, m & ViewAutoresizingFlexibleRightMargin);
    axis(top, h, bottom, newSize.height - oldSize.height, m & ViewAutoresizingFlexibleTopMargin,
         m & ViewAutoresizingFlexibleHeight, m & ViewAutoresizingFlexibleBottomMargin);
    s->setFrame(makeRect(b.origin.x + left, b.origin.y + top, w, h));
  }
}

void View::setNeedsLayout() {
  assertMainThread("View::setNeedsLayout");
  needsLayout_ = true;
  markAncestorsSubtreeDirty();
  DisplayCycle::schedule();
}

void View::markAncestorsSubtreeDirty() {
  // A marked ancestor has marked ancestors already.
  for (View* v = superview_.lock().get(); v && !v->subtreeNeedsLayout_;) {
    v->subtreeNeedsLayout_ = true;
    v = v->superview_.lock().get();  // the tree holds every ancestor while we walk
  }
}

void View::invalidateIntrinsicContentSize() {
  // The engine reads the size again.
  if (const auto* step = ConstraintLayoutStep::installed()) step->contentSizeChanged(*this);
  if (auto parent = superview()) parent->setNeedsLayout();
}

void View::applyEngineLayout() {
  if (const auto* step = ConstraintLayoutStep::installed()) step->applyLayout(*this);
}

void View::layoutIfNeeded() {
  DisplayCycle::PassScope pass;
  std::shared_ptr<View> top;
  for (auto v = superview(); v; v = v->superview()) {
    if (v->needsLayout_) top = v;
  }
  if (top) {
    top->layoutSubtree();
  } else {
    layoutSubtree();
  }
}

void View::layoutSubtree() {
  if (needsLayout_) layoutSelf();
  if (!subtreeNeedsLayout_) return;
  subtreeNeedsLayout_ = false;
  for (const auto& s : std::vector<std::shared_ptr<View>>(subviews_)) {
    if (s->needsLayout_ || s->subtreeNeedsLayout_) s->layoutSubtree();
  }
}

void View::layoutSelf() {
  if (inLayout_) return;  // asked again from a nested loop: the loop below runs it
  inLayout_ = true;
  for (int pass = 0; needsLayout_; ++pass) {
    if (pass == kMaxLayoutPasses) {
      needsLayout_ = false;
      log(LogLevel::Warning, "View",
          className(*this) + " still needs layout after " + std::to_string(kMaxLayoutPasses) +
              " passes in a row; its layoutSubviews keeps asking for another");
      break;
    }
    needsLayout_ = false;
    applyEngineLayout();
    auto vc = viewController();
    if (vc) vc->viewWillLayoutSubviews();
    layoutSubviews();
    if (vc) vc->viewDidLayoutSubviews();
  }
  inLayout_ = false;
}

Size View::sizeThatFits(const Size& /*size*/) const { return bounds().size; }

void View::sizeToFit() {
  Rect f = frame();
  f.size = sizeThatFits(bounds().size);
  setFrame(f);
}

void View::setNeedsDisplay() {
  assertMainThread("View::setNeedsDisplay");
  layer_->setNeedsDisplay();
  DisplayCycle::schedule();
}

// A view whose drawRect is View's own draws nothing: its layer gets no backing image to fill
// and composite (a screen-sized one for a full-window view). Which classes draw is learnt from
// their first drawing; overrides draw without calling View::drawRect.
namespace {

thread_local bool reachedPlainDrawRect = false;

std::unordered_map<std::type_index, bool>& drawsByClass() {
  assertMainThread("View's drawing classes");
  static std::unordered_map<std::type_index, bool> known;
  return known;
}

}  // namespace

void View::drawRect(Context& /*context*/, const Rect& /*rect*/) { reachedPlainDrawRect = true; }

bool View::drawLayer(Layer& /*layer*/, Context& context) {
  reachedPlainDrawRect = false;
  drawRect(context, bounds());
  // try_emplace: no node is made for a class already known (views drawn in place come here
  // every frame).
  drawsByClass().try_emplace(std::type_index(typeid(*this)), !reachedPlainDrawRect);
  return !reachedPlainDrawRect;
}

bool View::drawsLayerInPlace(Layer& /*layer*/) {
  // Other content modes keep the drawing to stretch or place it when the bounds change.
  return contentMode_ == ViewContentMode::Redraw && drawsInPlace();
}

bool View::displayLayer(Layer& layer) {
  auto known = drawsByClass().find(std::type_index(typeid(*this)));
  if (known == drawsByClass().end()) return false;  // draws once through drawLayer to learn
  if (known->second) return false;
  layer.setContents(nullptr);
  return true;
}

void View::updateTree() {
  DisplayCycle::PassScope pass;
  layoutIfNeeded();
  layer_->displayTreeIfNeeded();
}

Point View::convertPointTo(const Point& p, const View* view) const {
  return layer_->convertPointTo(p, view ? view->layer_.get() : nullptr);
}

Point View::convertPointFrom(const Point& p, const View* view) const {
  return layer_->convertPointFrom(p, view ? view->layer_.get() : nullptr);
}

Rect View::convertRectTo(const Rect& r, const View* view) const {
  return layer_->convertRectTo(r, view ? view->layer_.get() : nullptr);
}

Rect View::convertRectFrom(const Rect& r, const View* view) const {
  return layer_->convertRectFrom(r, view ? view->layer_.get() : nullptr);
}

std::shared_ptr<View> View::hitTest(const Point& p, const Event* event) {
  if (isHidden() || !userInteractionEnabled_ || alpha() < 0.01 || animationsBlockingTouches_ > 0) {
    return nullptr;
  }
  if (!pointInside(p, event)) return nullptr;
  for (auto it = subviews_.rbegin(); it != subviews_.rend(); ++it) {
    const auto& s = *it;
    if (auto hit = s->hitTest(s->convertPointFrom(p, this), event)) return hit;
  }
  return self<View>();
}

bool View::pointInside(const Point& p, const Event* /*event*/) const {
  return contains(bounds(), p);
}

void View::addGestureRecognizer(const std::shared_ptr<GestureRecognizer>& recognizer) {
  if (!recognizer) return;
  if (auto owner = recognizer->view()) {
    if (owner.get() == this) return;
    owner->removeGestureRecognizer(recognizer.get());
  }
  gestureRecognizers_.push_back(recognizer);
  recognizer->attachToView(self<View>());
}

void View::removeGestureRecognizer(const GestureRecognizer* recognizer) {
  auto it = std::find_if(gestureRecognizers_.begin(), gestureRecognizers_.end(),
                         [recognizer](const auto& r) { return r.get() == recognizer; });
  if (it == gestureRecognizers_.end()) return;
  const auto removed = *it;  // alive until it has let go of its gesture
  gestureRecognizers_.erase(it);
  removed->detachFromView();
}

std::shared_ptr<Responder> View::nextResponder() const {
  if (auto vc = viewController_.lock()) return vc;
  return superview();
}

}  // namespace platform

// View animation blocks: while a block runs, the views' layers ask their view for an action on
// each change, and the view answers with an animation carrying the block's timing.
namespace platform {
namespace {

// Collects the animations of one block and runs its completion once all have stopped.
struct BlockGroup {
  int pending = 0;
  bool finished = true;
  bool closed = false;
  bool fired = false;
  std::function<void(bool)> completion;
  // While the block runs: per layer and key, whether this block's own later change replaced
  // that animation (which does not make the block unfinished).
  std::map<std::pair<const Layer*, std::string>, std::shared_ptr<bool>> superseded;

  void fireIfDone() {
    if (fired || !closed || pending > 0) return;
    fired = true;
    if (completion) completion(finished);
  }
};

struct Spring {
  double stiffness, damping, velocity;
};

struct BlockContext {
  TimeInterval duration = 0;
  TimeInterval delay = 0;
  unsigned options = 0;
  std::optional<Spring> spring;
  bool disabled = false;
  std::shared_ptr<BlockGroup> group;
};

std::vector<BlockContext>& blocks() {
  assertMainThread("View animation block stack");
  static std::vector<BlockContext> stack;
  return stack;
}

bool& animationsEnabled() {
  assertMainThread("View animations switch");
  static bool enabled = true;
  return enabled;
}

TimingFunction curveFunction(unsigned options) {
  switch ((options & kViewAnimationCurveMask) >> kViewAnimationCurveShift) {
    case 1:
      return TimingFunction::named(TimingFunctionName::EaseIn);
    case 2:
      return TimingFunction::named(TimingFunctionName::EaseOut);
    case 3:
      return TimingFunction::named(TimingFunctionName::Linear);
    default:  // ease-in-ease-out, and the keyboard's private curve
      return TimingFunction::named(TimingFunctionName::EaseInEaseOut);
  }
}

// Per view and key, where its running block animation is heading (the model value it was made
// for), so a later block without "begin from current state" can start from there. Kept on the
// view (its layer copies the animations it is given); the id makes a replaced animation's stop
// leave its successor's entry alone.
using Targets = std::map<std::string, std::pair<std::uint64_t, AnimationValue>>;
constexpr AssociatedKey<Targets> kTargetsKey{"platform.view.animationTargets"};

std::uint64_t nextTargetId() {
  assertMainThread("View animation targets");
  static std::uint64_t id = 0;
  return ++id;
}

bool viewAnimates(const std::string& key) {
  return key == "position" || key == "bounds" || key == "transform" || key == "opacity" ||
         key == "backgroundColor" || key == "cornerRadius" || key == "borderWidth" ||
         key == "borderColor" || key == "anchorPoint";
}

void runBlock(BlockContext context, const std::function<void()>& animations,
              std::function<void(bool)> completion) {
  auto group = std::make_shared<BlockGroup>();
  group->completion = std::move(completion);
  context.group = group;
  const TimeInterval delay = context.delay;
  const bool layOut = context.options & ViewAnimationOptionLayoutSubviews;
  blocks().push_back(std::move(context));
  if (animations) animations();
  // Layout the block's changes called for happens inside it, so the frames it sets animate too.
  if (layOut) {
    for (const auto& window : ApplicationWindows::shared().windows()) window->layoutIfNeeded();
  }
  blocks().pop_back();
  group->superseded.clear();
  group->closed = true;
  if (group->pending > 0) return;
  // Nothing animated: the completion still comes, from the run loop, after the delay.
  auto fire = [group] { group->fireIfDone(); };
  if (delay > 0) {
    RunLoop::main().performAfter(delay, fire, RunLoopMode::Common);
  } else {
    RunLoop::main().post(fire);
  }
}

}  // namespace

void View::animateWithDuration(TimeInterval duration, TimeInterval delay, unsigned options,
                               const std::function<void()>& animations,
                               std::function<void(bool)> completion) {
  BlockContext context;
  context.duration = duration;
  context.delay = delay;
  context.options = options;
  runBlock(std::move(context), animations, std::move(completion));
}

void View::animateWithDuration(TimeInterval duration, const std::function<void()>& animations,
                               std::function<void(bool)> completion) {
  animateWithDuration(duration, 0, 0, animations, std::move(completion));
}

void View::animateWithDuration(TimeInterval duration, TimeInterval delay, double dampingRatio,
                               double velocity, unsigned options,
                               const std::function<void()>& animations,
                               std::function<void(bool)> completion) {
  // A unit mass whose envelope decays to 0.1 % within the duration.
  const double zeta = std::max(0.05, dampingRatio);
  const double w0 = duration > 0 ? std::log(1000.0) / (zeta * duration) : 10;
  BlockContext context;
  context.duration = duration;
  context.delay = delay;
  context.options = options;
  context.spring = Spring{w0 * w0, 2 * zeta * w0, velocity};
  runBlock(std::move(context), animations, std::move(completion));
}

void View::performWithoutAnimation(const std::function<void()>& changes) {
  BlockContext context;
  context.disabled = true;
  context.group = std::make_shared<BlockGroup>();
  blocks().push_back(std::move(context));
  if (changes) changes();
  blocks().pop_back();
}

bool View::areAnimationsEnabled() { return animationsEnabled(); }

void View::setAnimationsEnabled(bool enabled) { animationsEnabled() = enabled; }

std::optional<std::shared_ptr<Animation>> View::actionForLayer(Layer& layer, const std::string& key,
                                                               const AnimationValue& from) {
  // Outside blocks a view's own layer never animates by itself; nor does a view being made
  // inside a block (it is not owned yet, and had nothing on screen to animate from).
  if (blocks().empty() || !animationsEnabled() || weak_from_this().expired()) {
    return std::shared_ptr<Animation>();
  }
  const BlockContext& block = blocks().back();
  if (block.disabled || block.duration <= 0 || !viewAnimates(key)) {
    return std::shared_ptr<Animation>();
  }
  std::shared_ptr<BasicAnimation> animation;
  if (block.spring) {
    auto spring = SpringAnimation::create(key);
    spring->setStiffness(block.spring->stiffness);
    spring->setDamping(block.spring->damping);
    spring->setInitialVelocity(block.spring->velocity);
    animation = spring;
  } else {
    animation = BasicAnimation::create(key);
    animation->setTimingFunction(curveFunction(block.options));
  }
  // Without "begin from current state" a property caught mid-flight starts from where its running
  // animation was heading, not from what is on screen.
  auto& targets = associatedOrMake(kTargetsKey);
  auto previous = targets.find(key);
  const bool fromTarget = !(block.options & ViewAnimationOptionBeginFromCurrentState) &&
                          previous != targets.end() && layer.animationForKey(key);
  animation->setFromValue(fromTarget ? previous->second.second : from);
  animation->setDuration(block.duration);
  if (block.delay > 0) {
    animation->setBeginTime(currentMediaTime() + block.delay);
    animation->setFillMode(FillMode::Backwards);
  }
  if (block.options & ViewAnimationOptionRepeat) animation->setRepeatCount(kRepeatForever);
  if (block.options & ViewAnimationOptionAutoreverse) animation->setAutoreverses(true);
  std::shared_ptr<BlockGroup> group = block.group;
  auto& slot = group->superseded[{&layer, key}];
  if (slot) *slot = true;
  slot = std::make_shared<bool>(false);
  ++group->pending;
  const std::uint64_t targetId = nextTargetId();
  if (auto target = layer.valueForKeyPath(key)) targets[key] = {targetId, *target};
  // Without "allow user interaction" the view takes no touches until the animation stops.
  const bool blocksTouches = !(block.options & ViewAnimationOptionAllowUserInteraction);
  if (blocksTouches) ++animationsBlockingTouches_;
  std::weak_ptr<View> weakSelf = self<View>();
  animation->setStopHandler([group, replacedByOwnBlock = slot, blocksTouches, weakSelf, key,
                             targetId](Animation&, bool finished) {
    if (auto view = weakSelf.lock()) {
      if (blocksTouches) --view->animationsBlockingTouches_;
      if (auto* mine = view->associated(kTargetsKey)) {
        auto it = mine->find(key);
        if (it != mine->end() && it->second.first == targetId) mine->erase(it);
      }
    }
    --group->pending;
    group->finished = group->finished && (finished || *replacedByOwnBlock);
    group->fireIfDone();
  });
  return std::shared_ptr<Animation>(animation);
}

}  // namespace platform
