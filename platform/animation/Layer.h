#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/animation/AnimationValue.h"
#include "platform/animation/Transform3D.h"
#include "platform/foundation/Types.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Geometry.h"

typedef struct _cairo cairo_t;

namespace platform {

class Animation;
class Context;
class Image;
class LayerDelegate;

// Where contents sit in the bounds when their size differs. Top means the top of the screen.
enum class ContentsGravity {
  Center,
  Top,
  Bottom,
  Left,
  Right,
  TopLeft,
  TopRight,
  BottomLeft,
  BottomRight,
  Resize,
  ResizeAspect,
  ResizeAspectFill
};

// The model values of a layer; a presentation copy carries the same set with animations applied.
struct LayerProperties {
  Rect bounds;
  Point position;
  Point anchorPoint{0.5, 0.5};
  double zPosition = 0;
  Transform3D transform;
  double opacity = 1;
  bool hidden = false;
  Color backgroundColor;
  double cornerRadius = 0;
  double borderWidth = 0;
  Color borderColor = Color::black();
  bool masksToBounds = false;
  std::shared_ptr<Image> contents;
  double contentsScale = 1;
  ContentsGravity contentsGravity = ContentsGravity::Resize;
  // Blurs what lies behind the layer before drawing it (for blur views); 0 = off.
  double backdropBlurRadius = 0;
  bool needsDisplayOnBoundsChange = false;
};

// A node of the composited tree (main thread only). Setting a property changes the model value at
// once; a layer in a tree (or one whose delegate asks for it) also gets an animation for the
// change unless the transaction disables actions. presentationAt(t) is the layer as a person sees
// it at clock time t.
class Layer : public std::enable_shared_from_this<Layer> {
 public:
  static std::shared_ptr<Layer> create();
  virtual ~Layer();
  Layer(const Layer&) = delete;
  Layer& operator=(const Layer&) = delete;

  // Geometry: a point p of the bounds maps to position + transform(p - anchor point in bounds).
  Rect bounds() const { return props_.bounds; }
  void setBounds(const Rect& bounds);
  Point position() const { return props_.position; }
  void setPosition(const Point& position);
  Point anchorPoint() const { return props_.anchorPoint; }
  void setAnchorPoint(const Point& anchor);
  double zPosition() const { return props_.zPosition; }
  void setZPosition(double z);
  const Transform3D& transform() const { return props_.transform; }
  void setTransform(const Transform3D& transform);
  AffineTransform affineTransform() const { return props_.transform.affine(); }
  void setAffineTransform(const AffineTransform& t) { setTransform(Transform3D::fromAffine(t)); }
  // The bounding box of the transformed bounds, in the superlayer's coordinates.
  Rect frame() const;
  void setFrame(const Rect& frame);

  double opacity() const { return props_.opacity; }
  void setOpacity(double opacity);
  bool isHidden() const { return props_.hidden; }
  void setHidden(bool hidden);
  Color backgroundColor() const { return props_.backgroundColor; }
  void setBackgroundColor(const Color& color);
  double cornerRadius() const { return props_.cornerRadius; }
  void setCornerRadius(double radius);
  double borderWidth() const { return props_.borderWidth; }
  void setBorderWidth(double width);
  Color borderColor() const { return props_.borderColor; }
  void setBorderColor(const Color& color);
  bool masksToBounds() const { return props_.masksToBounds; }
  void setMasksToBounds(bool masks);
  const std::shared_ptr<Image>& contents() const { return props_.contents; }
  void setContents(std::shared_ptr<Image> contents);
  double contentsScale() const { return props_.contentsScale; }
  void setContentsScale(double scale);
  ContentsGravity contentsGravity() const { return props_.contentsGravity; }
  void setContentsGravity(ContentsGravity gravity);
  double backdropBlurRadius() const { return props_.backdropBlurRadius; }
  void setBackdropBlurRadius(double radius);
  // Whether any layer alive blurs its backdrop: only then may drawing read pixels around what
  // it covers, which a renderer leaving covered pixels unpainted must know.
  static bool anyBlursBackdrop();
  bool needsDisplayOnBoundsChange() const { return props_.needsDisplayOnBoundsChange; }
  void setNeedsDisplayOnBoundsChange(bool v) { props_.needsDisplayOnBoundsChange = v; }
  const LayerProperties& properties() const { return props_; }
  const std::string& name() const { return name_; }
  void setName(std::string name) { name_ = std::move(name); }

  // The mask's alpha clips this layer; the mask lives in this layer's bounds coordinates.
  const std::shared_ptr<Layer>& mask() const { return mask_; }
  void setMask(std::shared_ptr<Layer> mask) { mask_ = std::move(mask); }

  // The tree. Adding a layer that has a superlayer moves it.
  std::shared_ptr<Layer> superlayer() const { return superlayer_.lock(); }
  const std::vector<std::shared_ptr<Layer>>& sublayers() const { return sublayers_; }
  void addSublayer(std::shared_ptr<Layer> layer);
  void insertSublayer(std::shared_ptr<Layer> layer, std::size_t index);
  void insertSublayerBelow(std::shared_ptr<Layer> layer, const Layer* sibling);
  void insertSublayerAbove(std::shared_ptr<Layer> layer, const Layer* sibling);
  void replaceSublayer(const Layer* old, std::shared_ptr<Layer> replacement);
  void removeFromSuperlayer();
  bool isDescendantOf(const Layer* ancestor) const;

  // Per-key actions, asked after the delegate: a key mapped to nullptr (the platform's null) turns
  // the implicit animation of that key off; a key mapped to an animation runs that animation.
  const std::map<std::string, std::shared_ptr<Animation>>& actions() const { return actions_; }
  void setActions(std::map<std::string, std::shared_ptr<Animation>> actions) {
    actions_ = std::move(actions);
  }

  // Not owned: the view that owns this layer clears it when it goes away.
  LayerDelegate* delegate() const { return delegate_; }
  void setDelegate(LayerDelegate* delegate) { delegate_ = delegate; }

  // Contents drawn by drawInContext (by default the delegate's drawLayer) at contentsScale.
  void setNeedsDisplay() { needsDisplay_ = true; }
  bool needsDisplay() const { return needsDisplay_; }
  void displayIfNeeded();
  // displayIfNeeded for this layer, its mask and every sublayer below it.
  void displayTreeIfNeeded();
  virtual void display();
  virtual void drawInContext(Context& context);
  // Set by display() when the delegate draws in place: the layer keeps no contents, and a
  // renderer calls drawInPlace where the contents would have been composited. Drawing text
  // straight into the frame saves a bitmap per layer (allocated, cleared, drawn, composited).
  bool drawsInPlace() const { return drawsInPlace_; }
  // The delegate's drawing, in bounds coordinates, into `context` at its current transform.
  void drawInPlace(Context& context) const;
  // For a renderer that cannot draw in place (its pixels do not line up with the layer's): the
  // contents display() would have made otherwise, made on first call and kept until the next
  // display.
  const std::shared_ptr<Image>& inPlaceContents();

  // Animations. The layer keeps a copy; adding under a key in use replaces (and stops) the old
  // one. An empty key gets a fresh unique key.
  void addAnimation(const std::shared_ptr<Animation>& animation, std::string key = {});
  void removeAnimationForKey(const std::string& key);
  void removeAllAnimations();
  std::shared_ptr<const Animation> animationForKey(const std::string& key) const;
  std::vector<std::string> animationKeys() const;
  bool hasAnimations() const { return !animations_.empty(); }

  // A detached copy with the animations applied at clock time `time` (or now): no sublayers,
  // superlayer, mask or delegate.
  std::shared_ptr<Layer> presentationAt(TimeInterval time) const;
  std::shared_ptr<Layer> presentationLayer() const;
  bool isPresentation() const { return isPresentation_; }

  // Key-value access used by animations. A key path names a property or part of one:
  // "bounds.size.width", "position.x", "transform.rotation.z", "transform.scale" ...
  virtual std::optional<AnimationValue> valueForKeyPath(std::string_view keyPath) const;
  // Returns false for an unknown key path or a value of the wrong kind. Runs actions like the
  // setters do.
  virtual bool setValueForKeyPath(std::string_view keyPath, const AnimationValue& value);

  // From this layer's bounds coordinates to its superlayer's.
  Transform3D transformToSuperlayer() const;
  // Between layers of one tree; a null layer means the tree's root space.
  Point convertPointTo(const Point& p, const Layer* layer) const;
  Point convertPointFrom(const Point& p, const Layer* layer) const;
  Rect convertRectTo(const Rect& r, const Layer* layer) const;
  Rect convertRectFrom(const Rect& r, const Layer* layer) const;
  virtual bool containsPoint(const Point& p) const;

  // Subclasses that draw more than background, contents and border draw it here, in bounds
  // coordinates, on the presentation copy.
  virtual void renderContent(cairo_t* cr) const;
  // Whether everything renderContent draws stays inside the bounds, so a painter may skip the
  // layer when its bounds lie outside what it clips to.
  virtual bool drawsWithinBounds() const { return true; }

 protected:
  Layer();
  // A new layer of the same kind with the same property values, for presentation copies.
  virtual std::shared_ptr<Layer> makeCopy() const;
  void copyPropertiesFrom(const Layer& other);

  // Property changes: take the value before the change (nullopt when no action can run), change
  // the model value, then run the action.
  std::optional<AnimationValue> willChange(std::string_view key) const;
  void didChange(std::string_view key, std::optional<AnimationValue> from);
  // Sets an animatable property, giving the change its implicit action.
  template <class T>
  void setAnimatable(std::string_view key, T& field, const T& value) {
    auto from = willChange(key);
    field = value;
    didChange(key, std::move(from));
  }
  // Keys that animate by themselves when the layer is in a tree.
  virtual bool isImplicitlyAnimatable(std::string_view key) const;

 private:
  struct AnimationEntry;

  std::shared_ptr<Animation> actionForKey(const std::string& key, const AnimationValue& from);
  void insertAt(std::shared_ptr<Layer> layer, std::size_t index);
  void scheduleCallbacks(const std::shared_ptr<AnimationEntry>& entry);
  void finishEntry(const std::shared_ptr<AnimationEntry>& entry);
  static void stopEntry(const std::shared_ptr<AnimationEntry>& entry, bool finished);
  Transform3D transformToRoot(const Layer** root) const;
  // What display() does for a delegate that does not draw in place.
  void displayContents();
  void setBackdropProperty(double radius);  // keeps the count of blurring layers

  LayerProperties props_;
  std::string name_;
  std::shared_ptr<Layer> mask_;
  std::weak_ptr<Layer> superlayer_;
  std::vector<std::shared_ptr<Layer>> sublayers_;
  LayerDelegate* delegate_ = nullptr;
  // The surface display() draws into, kept while its size holds; the contents image shares its
  // pixels, and it is drawn again only once nobody holds that image any more.
  std::unique_ptr<Context> backingStore_;
  std::map<std::string, std::shared_ptr<Animation>> actions_;
  bool needsDisplay_ = false;
  bool drewNothing_ = false;  // the delegate said the last drawing left the surface untouched
  bool drawsInPlace_ = false;
  bool inPlaceContentsMade_ = false;
  bool isPresentation_ = false;
  std::vector<std::shared_ptr<AnimationEntry>> animations_;
  std::uint64_t nextAnimationKey_ = 0;
};

// The clock's time, the way animation code reads it.
TimeInterval currentMediaTime();

}  // namespace platform
