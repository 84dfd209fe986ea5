#pragma once

#include "platform/graphics/Geometry.h"
#include "platform/ui/View.h"

namespace sprout {

// Reading and writing single parts of a view's frame, and placing a view in its superview. Every
// setter reads the frame once, changes only the parts it names and writes the frame back once.
// Setters that round take the nearest whole point, halves away from zero; the others keep the
// value as given. A view without a superview places itself in a superview of size zero.

double width(const platform::View& view);
double height(const platform::View& view);
platform::Size size(const platform::View& view);
platform::Point origin(const platform::View& view);
double x(const platform::View& view);
double xPosition(const platform::View& view);
double y(const platform::View& view);
double yPosition(const platform::View& view);
// The frame's lower edge; both names give the same value.
double bottomPosition(const platform::View& view);
double baselinePosition(const platform::View& view);

// Rounded.
void setWidth(platform::View& view, double width);
void setHeight(platform::View& view, double height);
void setSize(platform::View& view, const platform::Size& size);
// Not rounded.
void setOrigin(platform::View& view, const platform::Point& origin);
void setX(platform::View& view, double x);
void setY(platform::View& view, double y);

// The origin is rounded; a width or height passed with it is kept as given.
void positionAtX(platform::View& view, double x);
void positionAtY(platform::View& view, double y);
void positionAtXAndY(platform::View& view, double x, double y);
void positionAtXAndYWithWidth(platform::View& view, double x, double y, double width);
void positionAtXAndYWithHeight(platform::View& view, double x, double y, double height);
void positionAtXWithHeight(platform::View& view, double x, double height);

void centerInSuperView(platform::View& view);
// An eighth of the superview's height above the true centre.
void aestheticCenterInSuperView(platform::View& view);
void centerAtX(platform::View& view);
// The view's centre on the superview's first or third quarter line.
void centerAtXQuarter(platform::View& view);
void centerAtX3Quarter(platform::View& view);

void bringToFront(platform::View& view);
void sendToBack(platform::View& view);
void removeSubviews(platform::View& view);

}  // namespace sprout
