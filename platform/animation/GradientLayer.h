#pragma once

#include <vector>

#include "platform/animation/Layer.h"

namespace platform {

enum class GradientType { Axial, Radial };

// Fills its bounds with a gradient between colours. startPoint / endPoint are in the unit
// square of the bounds ((0,0) top-left); Radial runs from the start point (centre) out to the
// distance of the end point. locations (0...1, one per colour) place the colours; without them
// the colours are spread evenly.
class GradientLayer : public Layer {
 public:
  static std::shared_ptr<GradientLayer> create();

  const std::vector<Color>& colors() const { return colors_; }
  void setColors(std::vector<Color> colors) { colors_ = std::move(colors); }
  const std::vector<double>& locations() const { return locations_; }
  void setLocations(std::vector<double> locations) { locations_ = std::move(locations); }
  Point startPoint() const { return start_; }
  void setStartPoint(const Point& p);
  Point endPoint() const { return end_; }
  void setEndPoint(const Point& p);
  GradientType type() const { return type_; }
  void setType(GradientType type) { type_ = type; }

  std::optional<AnimationValue> valueForKeyPath(std::string_view keyPath) const override;
  bool setValueForKeyPath(std::string_view keyPath, const AnimationValue& value) override;
  void renderContent(cairo_t* cr) const override;

 protected:
  GradientLayer() = default;
  std::shared_ptr<Layer> makeCopy() const override;
  bool isImplicitlyAnimatable(std::string_view key) const override;

 private:
  std::vector<Color> colors_;
  std::vector<double> locations_;
  Point start_{0.5, 0};
  Point end_{0.5, 1};
  GradientType type_ = GradientType::Axial;
};

}  // namespace platform
