#pragma once

#include "platform/graphics/Geometry.h"
#include "platform/ui/View.h"
#include "platform/ui/scroll/ScrollView.h"

namespace sprout {

// Shorthands for one field of a view's frame and of a scroll view's inset, offset and content
// size. A setter writes the whole structure back through the platform setter (the offset without
// animation), so observers see every change.

// Whether the refresh views place `view` themselves: only while it carries no layout constraints
// of its own.
bool rf_placesItself(const platform::View& view);

double rf_x(const platform::View& view);
double rf_y(const platform::View& view);
double rf_w(const platform::View& view);
double rf_h(const platform::View& view);
platform::Size rf_size(const platform::View& view);
platform::Point rf_origin(const platform::View& view);
void setRf_x(platform::View& view, double x);
void setRf_y(platform::View& view, double y);
void setRf_w(platform::View& view, double w);
void setRf_h(platform::View& view, double h);
void setRf_size(platform::View& view, const platform::Size& size);
void setRf_origin(platform::View& view, const platform::Point& origin);

double rf_insetT(const platform::ScrollView& scrollView);
double rf_insetB(const platform::ScrollView& scrollView);
double rf_insetL(const platform::ScrollView& scrollView);
double rf_insetR(const platform::ScrollView& scrollView);
double rf_offsetX(const platform::ScrollView& scrollView);
double rf_offsetY(const platform::ScrollView& scrollView);
double rf_contentW(const platform::ScrollView& scrollView);
double rf_contentH(const platform::ScrollView& scrollView);
void setRf_insetT(platform::ScrollView& scrollView, double v);
void setRf_insetB(platform::ScrollView& scrollView, double v);
void setRf_insetL(platform::ScrollView& scrollView, double v);
void setRf_insetR(platform::ScrollView& scrollView, double v);
void setRf_offsetX(platform::ScrollView& scrollView, double v);
void setRf_offsetY(platform::ScrollView& scrollView, double v);
void setRf_contentW(platform::ScrollView& scrollView, double v);
void setRf_contentH(platform::ScrollView& scrollView, double v);

}  // namespace sprout
