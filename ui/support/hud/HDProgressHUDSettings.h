#pragma once

#include <memory>

#include "platform/foundation/Types.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Geometry.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Font.h"
#include "platform/ui/View.h"
#include "ui/support/hud/HDProgressHUDTypes.h"

namespace sprout {

// The HUD's appearance: what the static setters store and the next show or layout reads. A plain
// value, so nothing in it can reach the views it describes.
struct HDProgressHUDSettings {
  HDProgressHUDStyle defaultStyle = HDProgressHUDStyle::Light;
  HDProgressHUDMaskType defaultMaskType = HDProgressHUDMaskType::None;
  HDProgressHUDAnimationType defaultAnimationType = HDProgressHUDAnimationType::Flat;
  double ringThickness = 2;
  double ringRadius = 18;
  double ringNoTextRadius = 24;
  double cornerRadius = 14;
  platform::Font font = platform::Font::systemFont(14);
  // The custom style's panel colour; never applied to the HUD view itself.
  platform::Color backgroundColor = platform::Color::clear();
  platform::Color foregroundColor = platform::Color::black();
  platform::Color backgroundLayerColor = platform::Color::white(0, 0.4);
  std::shared_ptr<platform::Image> infoImage;
  std::shared_ptr<platform::Image> successImage;
  std::shared_ptr<platform::Image> errorImage;
  // Stored and returned only.
  std::shared_ptr<platform::View> viewForExtension;
  platform::TimeInterval minimumDismissTimeInterval = 5.0;
  platform::TimeInterval fadeInAnimationDuration = 0.15;
  platform::TimeInterval fadeOutAnimationDuration = 0.15;
  platform::Size minimumSize;
  HDProgressHUDOffset offsetFromCenter;

  // Mask types None and Clear.
  bool isClear() const;
  // Text, spinner, ring and image tint: fixed by the light and dark styles, foregroundColor
  // for the custom one.
  platform::Color foregroundColorForStyle() const;
  // The panel: fixed by the light and dark styles, backgroundColor for the custom one.
  platform::Color backgroundColorForStyle() const;
  // The spinner's and rings' radius, smaller when a status text shares the panel.
  double ringRadiusFor(bool hasStatus) const { return hasStatus ? ringRadius : ringNoTextRadius; }
};

}  // namespace sprout
