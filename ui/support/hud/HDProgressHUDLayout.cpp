// Sizing the panel to its content, placing it above the keyboard, and the mask behind it.
#include <any>

#include "platform/animation/Transaction.h"
#include "platform/ui/ApplicationWindows.h"
#include "platform/ui/KeyboardSimulator.h"
#include "platform/ui/VisualEffectView.h"
#include "platform/ui/Window.h"
#include "ui/support/hud/HDIndefiniteAnimatedView.h"
#include "ui/support/hud/HDProgressHUD.h"
#include "ui/support/hud/HDProgressHUDGeometry.h"
#include "ui/support/hud/HDRadialGradientLayer.h"

namespace sprout {

using platform::InterfaceOrientation;
using platform::Point;
using platform::Rect;
using platform::Size;

namespace {

// The platform lays its interface out in the orientation the device is held, so the panel never
// needs turning by hand.
constexpr bool kIgnoresInterfaceOrientation = true;

const platform::Size kTextConstraint{200, 300};

struct KeyboardMove {
  double height = 0;
  platform::TimeInterval duration = 0;
};

// Notifications without the keyboard keys count as a keyboard of no size that does not move.
KeyboardMove keyboardMoveFrom(const platform::Notification& notification,
                              InterfaceOrientation orientation) {
  KeyboardMove move;
  const auto& info = notification.userInfo;
  Rect frame = platform::kRectZero;
  if (auto it = info.find(platform::kKeyboardFrameBeginUserInfoKey); it != info.end()) {
    if (const Rect* r = std::any_cast<Rect>(&it->second)) frame = *r;
  }
  if (auto it = info.find(platform::kKeyboardAnimationDurationUserInfoKey); it != info.end()) {
    if (const double* d = std::any_cast<double>(&it->second)) move.duration = *d;
  }
  if (notification.name == platform::kKeyboardWillShowNotification ||
      notification.name == platform::kKeyboardDidShowNotification) {
    const bool upright = orientation == InterfaceOrientation::Portrait ||
                         orientation == InterfaceOrientation::PortraitUpsideDown;
    move.height =
        upright || kIgnoresInterfaceOrientation ? platform::height(frame) : platform::width(frame);
  }
  return move;
}

}  // namespace

void HDProgressHUD::updateHUDFrame() {
  auto image = imageView();
  const bool imageUsed = image->image() != nullptr && !image->isHidden();
  const bool progressUsed = image->isHidden();  // a spinner or ring is showing
  auto label = statusLabel();
  std::optional<Size> textSize;
  if (state_.status)
    textSize = state_.textMeasureCache.measure(*state_.status, label->font(), kTextConstraint);
  const HDPanelLayout layout =
      HDPanelLayoutFor(textSize, imageUsed || progressUsed, settings_.minimumSize);

  hudView()->setBounds({{0, 0}, layout.panelSize});
  updateBlurBounds();
  // Reading the panel again puts the style's colour back behind the blur.
  const Size panel = hudView()->bounds().size;
  const Point top{panel.width / 2, 36};
  const Point middle{panel.width / 2, panel.height / 2};
  const Point spot = state_.status ? top : middle;
  image->setCenter(spot);
  label->setHidden(false);
  label->setFrame(layout.labelRect);

  platform::Transaction::begin();
  platform::Transaction::setDisableActions(true);
  auto spinner = indefiniteAnimatedView();
  if (auto arc = std::dynamic_pointer_cast<HDIndefiniteAnimatedView>(spinner)) {
    arc->setRadius(settings_.ringRadiusFor(state_.status.has_value()));
    arc->sizeToFit();
  }
  spinner->setCenter(spot);
  if (state_.progress != -1) {
    ringView()->setCenter(spot);
    backgroundRingView()->setCenter(spot);
  }
  platform::Transaction::commit();
}

void HDProgressHUD::updateBlurBounds() {
  // The platform always has blur; the custom style keeps its own panel colour instead.
  if (settings_.defaultStyle == HDProgressHUDStyle::Custom) return;
  auto panel = hudView();
  panel->setBackgroundColor(platform::Color::clear());
  const auto subviews = panel->subviews();
  for (const auto& subview : subviews) {
    if (std::dynamic_pointer_cast<platform::VisualEffectView>(subview)) {
      subview->removeFromSuperview();
    }
  }
  if (settings_.backgroundColor == platform::Color::clear()) return;
  auto blur = platform::VisualEffectView::create(settings_.defaultStyle == HDProgressHUDStyle::Dark
                                                     ? platform::BlurEffectStyle::Dark
                                                     : platform::BlurEffectStyle::Light,
                                                 panel->bounds());
  blur->setAutoresizingMask(panel->autoresizingMask());
  panel->insertSubview(blur, 0);
}

void HDProgressHUD::positionHUD(const platform::Notification* notification) {
  setFrame(appWindowBounds());
  auto& app = platform::ApplicationWindows::shared();
  const InterfaceOrientation orientation = app.statusBarOrientation();
  KeyboardMove keyboard;
  if (notification) {
    keyboard = keyboardMoveFrom(*notification, orientation);
  } else {
    keyboard.height = visibleKeyboardHeight();
  }
  // No parallax to turn with the orientation: panels here have no motion effects.
  const HDPanelPlacement placement =
      HDPanelPlacementFor(bounds().size, app.statusBarFrame(), orientation,
                          kIgnoresInterfaceOrientation, keyboard.height);
  auto panel = hudView();
  if (notification) {
    std::weak_ptr<HDProgressHUD> weak = std::static_pointer_cast<HDProgressHUD>(shared_from_this());
    View::animateWithDuration(keyboard.duration, 0,
                              platform::ViewAnimationOptionAllowUserInteraction, [weak, placement] {
                                auto hud = weak.lock();
                                if (!hud) return;
                                hud->moveToPoint(placement.center, placement.angle);
                                hud->parts_.madeHUDView()->setNeedsDisplay();
                              });
  } else {
    moveToPoint(placement.center, placement.angle);
    panel->setNeedsDisplay();
  }
  updateMask();
}

void HDProgressHUD::moveToPoint(const Point& point, double angle) {
  if (!parts_.madeHUDView()) hudView();
  // The view as made, not the getter: inside an animation block the getter's restyling would
  // animate.
  const auto& panel = parts_.madeHUDView();
  panel->setTransform(platform::AffineTransform::rotation(angle));
  panel->setCenter({point.x + settings_.offsetFromCenter.horizontal,
                    point.y + settings_.offsetFromCenter.vertical});
}

double HDProgressHUD::visibleKeyboardHeight() {
  // The keyboard is a simulated one: ask it rather than searching windows for its view.
  const auto& keyboard = platform::KeyboardSimulator::shared();
  return keyboard.isVisible() ? platform::height(keyboard.frame()) : 0;
}

void HDProgressHUD::updateMask() {
  if (state_.backgroundLayer) {
    state_.backgroundLayer->removeFromSuperlayer();
    state_.backgroundLayer.reset();
  }
  switch (state_.maskType) {
    case HDProgressHUDMaskType::Black:
    case HDProgressHUDMaskType::Custom: {
      auto layer = platform::Layer::create();
      layer->setFrame(bounds());
      layer->setBackgroundColor(state_.maskType == HDProgressHUDMaskType::Custom
                                    ? settings_.backgroundLayerColor
                                    : platform::Color::black().withAlpha(0.4));
      // A colour alone: no contents to draw, so no full-window bitmap to make.
      state_.backgroundLayer = layer;
      break;
    }
    case HDProgressHUDMaskType::Gradient: {
      auto layer = HDRadialGradientLayer::create();
      layer->setFrame(bounds());
      layer->setGradientCenter({center().x, (bounds().size.height - visibleKeyboardHeight()) / 2});
      layer->setNeedsDisplay();
      state_.backgroundLayer = layer;
      break;
    }
    default:  // None and Clear draw nothing
      return;
  }
  this->layer()->insertSublayer(state_.backgroundLayer, 0);
}

}  // namespace sprout
