// What drawing a screen costs a frame. The catalog's notices list (375 x 667 at scale 2: the
// green bar, 8 rows of headline, date and separator) is rendered through platform::renderView at
// successive 60 Hz frame times, alone and with the loading HUD on top (dark panel, spinner,
// status text). "baseline_ms" draws the same picture directly with Cairo and Pango the cheapest
// way a skilled programmer would that makes the same pixels, in the same run: one reused surface,
// layouts made once, the panel filled with no clip (nothing reaches its corners), the spinner's
// arc stroked once with the mask image as its source (coloured once before timing), the turned
// image sampled over the box it spans as one rectangle of whole pixels (see Spinner below). The
// only platform code the baseline borrows is the spinner's trimmed arc and the mask's turn,
// computed before timing. Before timing, a second of frames of both are compared pixel for
// pixel; a mismatch fails the benchmark. "ratio" is the one over the other, "frame_budget_ratio"
// the frame over 1/60 s; all sides are timed in the drawing thread's CPU time, frame about, so
// they see the same machine. With the HUD, "one_stroke_ms" times the arc stroked with the turned
// image sampled only under it: less work, but "one_stroke_pixels_off" pixels of the second's
// frames differ, so it is a floor, not the baseline. "allocs_per_frame" counts the C++
// allocations of a frame (layout, presentation copies of animated layers, the image handed out).
// Status text measurement is timed with the HUD's layout cache against laying the text out afresh.
#include <benchmark/benchmark.h>
#include <cairo.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"
#include "platform/animation/Path.h"
#include "platform/animation/ShapeLayer.h"
#include "platform/dispatch/RunLoop.h"
#include "platform/foundation/Clock.h"
#include "platform/graphics/Image.h"
#include "platform/render/RenderView.h"
#include "platform/ui/ApplicationWindows.h"
#include "platform/ui/Label.h"
#include "platform/ui/Screen.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"
#include "ui/support/hud/HDProgressHUD.h"
#include "ui/support/hud/HDProgressHUDBundle.h"
#include "ui/support/hud/HDProgressHUDCenter.h"
#include "ui/support/hud/HDTextMeasureCache.h"

// Counts the program's own (C++) allocations, to report how many a frame makes.
std::atomic<std::int64_t> allocations{0};

void* operator new(std::size_t size) {
  allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
// GCC takes the replaced new and delete for a mismatched pair; they are this file's own.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t /*size*/) noexcept { std::free(p); }
#pragma GCC diagnostic pop

namespace {

using platform::Color;
using platform::makeRect;
using platform::Rect;
using SteadyClock = std::chrono::steady_clock;

constexpr double kFrame = 1.0 / 60;
constexpr int kScale = 2;
constexpr int kWidth = 375, kHeight = 667;
constexpr int kCycle = 60;  // the spinner repeats every second: 60 frames

struct Notice {
  const char* headline;
  const char* date;
};
constexpr std::array<Notice, 8> kNotices = {{{"春季运动会报名开始啦", "2024-3-18 9:30"},
                                             {"本周食谱已更新", "2024-3-17 16:05"},
                                             {"家长开放日安排", "2024-3-15 11:20"},
                                             {"清明节放假通知", "2024-3-14 8:45"},
                                             {"请为孩子准备雨具", "2024-3-12 7:50"},
                                             {"绘本漂流活动", "2024-3-10 15:10"},
                                             {"疫苗接种提醒", "2024-3-08 10:00"},
                                             {"三月生日会照片", "2024-3-06 17:40"}}};
constexpr std::uint32_t kPage = 0xF4F6F4, kBar = 0x4CAF50, kHeadline = 0x222222, kDate = 0x888888,
                        kLine = 0xDDDDDD;

class Delegate : public platform::ApplicationDelegate {
 public:
  explicit Delegate(std::shared_ptr<platform::Window> window) : window_(std::move(window)) {}
  std::shared_ptr<platform::Window> window() const override { return window_; }

 private:
  std::shared_ptr<platform::Window> window_;
};

struct Stage {
  std::shared_ptr<platform::VirtualClock> clock = std::make_shared<platform::VirtualClock>();
  std::shared_ptr<platform::Window> window;
};

Stage* stage = nullptr;

std::shared_ptr<platform::Label> label(const std::string& text, const Rect& frame, double size,
                                       Color color) {
  auto l = platform::Label::create(frame);
  l->setText(text);
  l->setFont(platform::Font::systemFont(size));
  l->setTextColor(color);
  l->setBackgroundColor(Color::clear());
  return l;
}

// The catalog's notices list, built the way the catalog builds it.
std::shared_ptr<platform::Window> makeNoticesWindow() {
  auto window = platform::Window::create(makeRect(0, 0, kWidth, kHeight));
  window->setRootViewController(platform::ViewController::create());
  auto screen = window->rootViewController()->view();
  screen->setBackgroundColor(Color::hex(kPage));
  auto bar = platform::View::create(makeRect(0, 0, kWidth, 64));
  bar->setBackgroundColor(Color::hex(kBar));
  auto title = label("通知", makeRect(0, 20, kWidth, 44), 17, Color::whiteColor());
  title->setTextAlignment(platform::TextAlignment::Center);
  bar->addSubview(title);
  screen->addSubview(bar);
  double y = 64;
  for (const Notice& n : kNotices) {
    auto row = platform::View::create(makeRect(0, y, kWidth, 72));
    row->setBackgroundColor(Color::whiteColor());
    row->addSubview(
        label(n.headline, makeRect(16, 12, kWidth - 32, 24), 16, Color::hex(kHeadline)));
    row->addSubview(label(n.date, makeRect(16, 40, kWidth - 32, 20), 13, Color::hex(kDate)));
    auto line = platform::View::create(makeRect(16, 71.5, kWidth - 16, 0.5));
    line->setBackgroundColor(Color::hex(kLine));
    row->addSubview(line);
    screen->addSubview(row);
    y += 72;
  }
  window->makeKeyAndVisible();
  return window;
}

// ---- The baseline: Cairo and Pango only -------------------------------------------------------

void setHex(cairo_t* cr, std::uint32_t rgb) {
  const Color c = Color::hex(rgb);
  cairo_set_source_rgba(cr, c.r, c.g, c.b, c.a);
}

// A text block as the app shows it: 72 dpi, unhinted, wrapped at the width, an ellipsis at the
// end, centred vertically in its rect.
struct Text {
  PangoLayout* layout = nullptr;
  Rect rect;  // in window points
  double top = 0, height = 0;
  Color color;
};

Text makeText(PangoContext* pc, const std::string& text, double size, Color color, Rect rect,
              bool centred, int lines) {
  Text t;
  t.layout = pango_layout_new(pc);
  t.rect = rect;
  t.color = color;
  PangoFontDescription* font = pango_font_description_from_string(platform::Font::kSystemFamily);
  pango_font_description_set_absolute_size(font, size * PANGO_SCALE);
  pango_layout_set_font_description(t.layout, font);
  pango_font_description_free(font);
  pango_layout_set_text(t.layout, text.c_str(), static_cast<int>(text.size()));
  pango_layout_set_width(t.layout, static_cast<int>(rect.size.width * PANGO_SCALE));
  pango_layout_set_wrap(t.layout, PANGO_WRAP_WORD_CHAR);
  pango_layout_set_ellipsize(t.layout, PANGO_ELLIPSIZE_END);
  pango_layout_set_height(t.layout,
                          lines > 0 ? -lines : static_cast<int>(rect.size.height * PANGO_SCALE));
  pango_layout_set_alignment(t.layout, centred ? PANGO_ALIGN_CENTER : PANGO_ALIGN_LEFT);
  PangoRectangle logical;
  pango_layout_get_extents(t.layout, nullptr, &logical);
  t.height = (logical.y + logical.height) / double{PANGO_SCALE};
  t.top = rect.origin.y + (rect.size.height - t.height) / 2;
  return t;
}

void drawText(cairo_t* cr, const Text& t) {
  cairo_save(cr);
  cairo_rectangle(cr, t.rect.origin.x, t.top, t.rect.size.width, t.height);
  cairo_clip(cr);
  cairo_move_to(cr, t.rect.origin.x, t.top);
  cairo_set_source_rgba(cr, t.color.r, t.color.g, t.color.b, t.color.a);
  pango_cairo_show_layout(cr, t.layout);
  cairo_restore(cr);
}

// Clips to whole device pixels around a rect of `size` placed by `placement`, so the clip cuts
// nothing drawn inside.
cairo_rectangle_t clipToDeviceBox(cairo_t* cr, platform::Size size,
                                  const cairo_matrix_t& placement) {
  double x[4] = {0, size.width, 0, size.width}, y[4] = {0, 0, size.height, size.height};
  for (int i = 0; i < 4; ++i) {
    cairo_matrix_transform_point(&placement, &x[i], &y[i]);
    cairo_user_to_device(cr, &x[i], &y[i]);
  }
  const double x0 = std::floor(*std::min_element(x, x + 4)),
               y0 = std::floor(*std::min_element(y, y + 4));
  const cairo_rectangle_t box{x0, y0, std::ceil(*std::max_element(x, x + 4)) - x0,
                              std::ceil(*std::max_element(y, y + 4)) - y0};
  cairo_save(cr);
  cairo_identity_matrix(cr);
  cairo_rectangle(cr, box.x, box.y, box.width, box.height);
  cairo_restore(cr);
  cairo_clip(cr);
  return box;
}

// The whole device pixels around `r`.
cairo_rectangle_t deviceBox(cairo_t* cr, const Rect& r) {
  double x[4] = {platform::minX(r), platform::maxX(r), platform::minX(r), platform::maxX(r)};
  double y[4] = {platform::minY(r), platform::minY(r), platform::maxY(r), platform::maxY(r)};
  for (int i = 0; i < 4; ++i) cairo_user_to_device(cr, &x[i], &y[i]);
  const double x0 = std::floor(*std::min_element(x, x + 4)),
               y0 = std::floor(*std::min_element(y, y + 4));
  return {x0, y0, std::ceil(*std::max_element(x, x + 4)) - x0,
          std::ceil(*std::max_element(y, y + 4)) - y0};
}

// The part of `box` around `inner` that keeps the box's centre.
cairo_rectangle_t centredPart(const cairo_rectangle_t& box, const cairo_rectangle_t& inner) {
  const double kx =
      std::max(0.0, std::min(inner.x - box.x, (box.x + box.width) - (inner.x + inner.width)));
  const double ky =
      std::max(0.0, std::min(inner.y - box.y, (box.y + box.height) - (inner.y + inner.height)));
  return {box.x + kx, box.y + ky, box.width - 2 * kx, box.height - 2 * ky};
}

// The spinner at one frame: the trimmed arc and the mask's turn.
struct SpinnerFrame {
  platform::Path arc;              // trimmed to the frame's stroke start and end
  cairo_matrix_t maskPlacement{};  // the turned mask's bounds to the spinner's
};

// What the HUD adds, with its geometry read once from the shown HUD.
struct BareHUD {
  Rect panel;  // window points
  double cornerRadius = 0;
  Color fill;
  platform::Size spinner;                        // the shape layer's bounds
  std::vector<cairo_matrix_t> spinnerPlacement;  // window to shape layer, outermost first
  double lineWidth = 0;
  Rect ring;  // what the arc can cover, in the spinner's points
  Color stroke;
  cairo_pattern_t* maskSource = nullptr;  // the mask's coverage in the stroke's colour
  double maskScale = 1;                   // mask pixels a point
  std::array<SpinnerFrame, kCycle> frames{};
  Text status;
};

// How the bare side draws the spinner. OneGroup makes the same pixels as Sprout: Cairo samples a
// turned image according to the extents of the operation drawing it, so the mask is sampled over
// the box its layer spans, then serves as the arc's source. OneStroke samples it
// only under the arc, the least work, at the price of a few pixels off by one.
enum class Spinner { OneGroup, OneStroke };

class BareNotices {
 public:
  explicit BareNotices(Spinner spinner = Spinner::OneGroup) : spinner_(spinner) {
    surface_ = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kWidth * kScale, kHeight * kScale);
    cr_ = cairo_create(surface_);
    cairo_scale(cr_, kScale, kScale);
    pc_ = bench::makeBarePangoContext();
    texts_.push_back(
        makeText(pc_, "通知", 17, Color::whiteColor(), makeRect(0, 20, kWidth, 44), true, 1));
    double y = 64;
    for (const Notice& n : kNotices) {
      texts_.push_back(makeText(pc_, n.headline, 16, Color::hex(kHeadline),
                                makeRect(16, y + 12, kWidth - 32, 24), false, 1));
      texts_.push_back(makeText(pc_, n.date, 13, Color::hex(kDate),
                                makeRect(16, y + 40, kWidth - 32, 20), false, 1));
      y += 72;
    }
  }
  ~BareNotices() {
    for (Text& t : texts_) g_object_unref(t.layout);
    if (hud_) {
      g_object_unref(hud_->status.layout);
      cairo_pattern_destroy(hud_->maskSource);
    }
    g_object_unref(pc_);
    cairo_destroy(cr_);
    cairo_surface_destroy(surface_);
  }
  BareNotices(const BareNotices&) = delete;
  BareNotices& operator=(const BareNotices&) = delete;

  void setHUD(std::unique_ptr<BareHUD> hud) { hud_ = std::move(hud); }
  PangoContext* pangoContext() { return pc_; }

  void drawFrame(std::int64_t frame) {
    setHex(cr_, kPage);
    cairo_paint(cr_);
    setHex(cr_, kBar);
    cairo_rectangle(cr_, 0, 0, kWidth, 64);
    cairo_fill(cr_);
    drawText(cr_, texts_[0]);
    for (std::size_t i = 0; i < kNotices.size(); ++i) {
      const double y = 64 + 72 * static_cast<double>(i);
      cairo_set_source_rgb(cr_, 1, 1, 1);
      cairo_rectangle(cr_, 0, y, kWidth, 72);
      cairo_fill(cr_);
      drawText(cr_, texts_[1 + 2 * i]);
      drawText(cr_, texts_[2 + 2 * i]);
      setHex(cr_, kLine);
      cairo_rectangle(cr_, 16, y + 71.5, kWidth - 16, 0.5);
      cairo_fill(cr_);
    }
    if (hud_) drawHUD(*hud_, hud_->frames[static_cast<std::size_t>(frame % kCycle)]);
    cairo_surface_flush(surface_);
  }

  const std::uint32_t* pixels() const {
    return reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(surface_));
  }

 private:
  void drawHUD(const BareHUD& h, const SpinnerFrame& f);

  Spinner spinner_;
  cairo_surface_t* surface_;
  cairo_t* cr_;
  PangoContext* pc_;
  std::vector<Text> texts_;
  std::unique_ptr<BareHUD> hud_;
};

void BareNotices::drawHUD(const BareHUD& h, const SpinnerFrame& f) {
  cairo_t* cr = cr_;
  const Rect& p = h.panel;
  const double x0 = p.origin.x, y0 = p.origin.y, x1 = x0 + p.size.width, y1 = y0 + p.size.height,
               r = h.cornerRadius;
  cairo_new_sub_path(cr);
  cairo_arc(cr, x1 - r, y0 + r, r, -M_PI / 2, 0);
  cairo_arc(cr, x1 - r, y1 - r, r, 0, M_PI / 2);
  cairo_arc(cr, x0 + r, y1 - r, r, M_PI / 2, M_PI);
  cairo_arc(cr, x0 + r, y0 + r, r, M_PI, 3 * M_PI / 2);
  cairo_close_path(cr);
  cairo_set_source_rgba(cr, h.fill.r, h.fill.g, h.fill.b, h.fill.a);
  cairo_fill(cr);  // the spinner and the text lie well inside the corners: no clip needed
  cairo_save(cr);
  for (const cairo_matrix_t& m : h.spinnerPlacement) cairo_transform(cr, &m);
  if (spinner_ == Spinner::OneStroke) {
    // The mask image itself as the arc's source.
    cairo_matrix_t toMask = f.maskPlacement, toPixels;
    cairo_matrix_invert(&toMask);
    cairo_matrix_init_scale(&toPixels, h.maskScale, h.maskScale);
    cairo_matrix_multiply(&toMask, &toMask, &toPixels);  // spinner points to mask pixels
    cairo_pattern_set_matrix(h.maskSource, &toMask);
    cairo_set_source(cr, h.maskSource);
  } else {
    // The turned mask sampled once, then the arc's source: over one rectangle of whole pixels
    // around the ring, centred where the box the mask spans is (Cairo samples relative to that
    // centre), inside the turned square.
    const cairo_rectangle_t box =
        centredPart(clipToDeviceBox(cr, h.spinner, f.maskPlacement), deviceBox(cr, h.ring));
    cairo_push_group(cr);
    cairo_transform(cr, &f.maskPlacement);
    cairo_matrix_t toPixels;
    cairo_matrix_init_scale(&toPixels, h.maskScale, h.maskScale);  // mask points to its pixels
    cairo_pattern_set_matrix(h.maskSource, &toPixels);
    cairo_set_source(cr, h.maskSource);
    cairo_identity_matrix(cr);
    cairo_rectangle(cr, box.x, box.y, box.width, box.height);
    cairo_fill(cr);
    cairo_pop_group_to_source(cr);
  }
  f.arc.appendTo(cr);
  cairo_set_line_width(cr, h.lineWidth);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_BEVEL);
  cairo_stroke(cr);
  cairo_restore(cr);
  drawText(cr, h.status);
}

// ---- Reading the shown HUD once ---------------------------------------------------------------

template <class T>
std::shared_ptr<T> findView(const std::shared_ptr<platform::View>& root) {
  if (auto v = std::dynamic_pointer_cast<T>(root)) return v;
  for (const auto& s : root->subviews()) {
    if (auto found = findView<T>(s)) return found;
  }
  return nullptr;
}

std::shared_ptr<platform::ShapeLayer> findShape(const std::shared_ptr<platform::Layer>& root) {
  if (auto s = std::dynamic_pointer_cast<platform::ShapeLayer>(root)) return s;
  for (const auto& sub : root->sublayers()) {
    if (auto found = findShape(sub)) return found;
  }
  return nullptr;
}

Rect inWindow(const platform::Layer& layer) {
  return layer.convertRectTo(layer.bounds(), stage->window->layer().get());
}

// The mask's coverage (its alpha) in `color`, made once: a source the stroke draws with directly.
cairo_pattern_t* tintedMask(const platform::Bitmap& bitmap, Color color) {
  cairo_surface_t* surface =
      cairo_image_surface_create(CAIRO_FORMAT_ARGB32, bitmap.width(), bitmap.height());
  cairo_surface_flush(surface);
  auto* out = reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(surface));
  const std::size_t outStride = cairo_image_surface_get_stride(surface) / 4;
  const double channels[4] = {color.b * color.a, color.g * color.a, color.r * color.a, color.a};
  for (int y = 0; y < bitmap.height(); ++y) {
    for (int x = 0; x < bitmap.width(); ++x) {
      const std::uint32_t a =
          bitmap.pixels()[static_cast<std::size_t>(y) * bitmap.width() + x] >> 24;
      std::uint32_t pixel = 0;
      for (int c = 0; c < 4; ++c) {
        pixel |= static_cast<std::uint32_t>(std::lround(channels[c] * a)) << (8 * c);
      }
      out[y * outStride + x] = pixel;
    }
  }
  cairo_surface_mark_dirty(surface);
  cairo_pattern_t* pattern = cairo_pattern_create_for_surface(surface);
  cairo_surface_destroy(surface);
  cairo_pattern_set_extend(pattern, CAIRO_EXTEND_PAD);
  cairo_pattern_set_filter(pattern, CAIRO_FILTER_GOOD);
  return pattern;
}

std::unique_ptr<BareHUD> readHUD(PangoContext* pc, double t0) {
  auto h = std::make_unique<BareHUD>();
  auto hud = sprout::HDProgressHUD::sharedView();
  auto status = findView<platform::Label>(hud);
  auto shape = findShape(hud->layer());
  // Without its bundle (resources not found) the spinner has no mask image to read.
  if (!status || !shape || !shape->mask() || !shape->mask()->contents()) return nullptr;
  auto panel = status->superview();
  h->panel = inWindow(*panel->layer());
  h->cornerRadius = panel->layer()->cornerRadius();
  h->fill = panel->backgroundColor();
  h->spinner = shape->bounds().size;
  for (const platform::Layer* l = shape.get(); l != stage->window->layer().get();
       l = l->superlayer().get()) {
    const platform::Transform3D m = l->transformToSuperlayer();
    cairo_matrix_t c;
    cairo_matrix_init(&c, m.m11, m.m12, m.m21, m.m22, m.m41, m.m42);
    h->spinnerPlacement.insert(h->spinnerPlacement.begin(), c);
  }
  h->lineWidth = shape->lineWidth();
  h->ring = platform::insetBy(shape->path().boundingBox(), -h->lineWidth, -h->lineWidth);
  h->stroke = shape->strokeColor();
  const auto& image = *shape->mask()->contents();
  h->maskSource = tintedMask(*image.bitmap(), h->stroke);
  h->maskScale = image.bitmap()->width() / h->spinner.width;
  for (int i = 0; i < kCycle; ++i) {
    const double t = t0 + i * kFrame;
    auto pres = std::static_pointer_cast<platform::ShapeLayer>(shape->presentationAt(t));
    h->frames[static_cast<std::size_t>(i)].arc =
        pres->path().trimmed(pres->strokeStart(), pres->strokeEnd());
    const platform::Transform3D m = shape->mask()->presentationAt(t)->transformToSuperlayer();
    cairo_matrix_init(&h->frames[static_cast<std::size_t>(i)].maskPlacement, m.m11, m.m12, m.m21,
                      m.m22, m.m41, m.m42);
  }
  h->status = makeText(pc, status->text(), status->font().pointSize(), status->textColor(),
                       inWindow(*status->layer()), true, 0);
  return h;
}

// ---- Timing -----------------------------------------------------------------------------------

// The drawing thread's own time: on a machine shared with other work, wall time would count
// whatever else ran meanwhile. Both ways of drawing are timed the same way.
double threadCpuNs() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e9 + static_cast<double>(t.tv_nsec);
}

platform::RenderOptions frameOptions(double t0, std::int64_t frame) {
  platform::RenderOptions options;
  options.scale = kScale;
  options.time = t0 + static_cast<double>(frame) * kFrame;
  return options;
}

// How many pixels of a second's frames differ between the two ways of drawing.
std::int64_t mismatchedPixels(BareNotices& bare, double t0) {
  std::int64_t differing = 0;
  for (std::int64_t frame = 0; frame < kCycle; ++frame) {
    auto image = platform::renderView(*stage->window, frameOptions(t0, frame));
    bare.drawFrame(frame);

    const std::uint32_t* ours = image->bitmap()->pixels();
    for (std::size_t i = 0; i < std::size_t{kWidth * kScale} * kHeight * kScale; ++i) {
      differing += ours[i] != bare.pixels()[i];
    }
  }
  return differing;
}

// With the HUD, the spinner's one-stroke drawing is timed too, as the floor of what drawing
// nearly the same pixels costs ("one_stroke_ms", and the pixels it gets wrong).
void timeAgainstBaseline(benchmark::State& state, bool withHUD) {
  const double t0Clock = stage->clock->now();
  BareNotices bare, oneStroke(Spinner::OneStroke);
  if (withHUD) {
    auto hud = readHUD(bare.pangoContext(), t0Clock);
    auto hud2 = readHUD(oneStroke.pangoContext(), t0Clock);
    if (!hud || !hud2)
      return state.SkipWithError("the HUD is not up, or its images were not found");
    bare.setHUD(std::move(hud));
    oneStroke.setHUD(std::move(hud2));
  }
  if (const std::int64_t differing = mismatchedPixels(bare, t0Clock)) {
    return state.SkipWithError(
        ("pictures differ in " + std::to_string(differing) + " pixels").c_str());
  }
  const std::int64_t oneStrokeDiffering = withHUD ? mismatchedPixels(oneStroke, t0Clock) : 0;
  // Frame by frame in turns, so all see the same machine (other work, caches, clock speed).
  std::int64_t frame = 0, allocated = 0;
  double subjectNs = 0, bareNs = 0, oneStrokeNs = 0;
  for (auto _ : state) {
    const std::int64_t allocatedBefore = allocations.load();
    const double t0 = threadCpuNs();
    benchmark::DoNotOptimize(platform::renderView(*stage->window, frameOptions(t0Clock, frame)));
    const double t1 = threadCpuNs();
    allocated += allocations.load() - allocatedBefore;
    bare.drawFrame(frame);
    const double t2 = threadCpuNs();
    if (withHUD) oneStroke.drawFrame(frame);
    ++frame;
    subjectNs += t1 - t0;
    bareNs += t2 - t1;
    oneStrokeNs += threadCpuNs() - t2;
  }
  const auto frames = static_cast<double>(state.iterations());
  subjectNs /= frames;
  bareNs /= frames;
  state.counters["allocs_per_frame"] = static_cast<double>(allocated) / frames;
  state.counters["frame_ms"] = subjectNs * 1e-6;
  state.counters["baseline_ms"] = bareNs * 1e-6;
  state.counters["ratio"] = subjectNs / bareNs;
  state.counters["frame_budget_ratio"] = subjectNs * 1e-9 / kFrame;
  if (withHUD) {
    state.counters["one_stroke_ms"] = oneStrokeNs / frames * 1e-6;
    state.counters["one_stroke_ratio"] = subjectNs / (oneStrokeNs / frames);
    state.counters["one_stroke_pixels_off"] = static_cast<double>(oneStrokeDiffering);
  }
}

void BM_NoticesList(benchmark::State& state) {
  sprout::HDProgressHUD::setFadeOutAnimationDuration(0);
  sprout::HDProgressHUD::dismiss();
  platform::RunLoop::main().runPending();
  platform::RunLoop::main().advance(1);
  timeAgainstBaseline(state, false);
}

void BM_NoticesListWithHUD(benchmark::State& state) {
  sprout::HDProgressHUD::setDefaultStyle(sprout::HDProgressHUDStyle::Dark);
  sprout::HDProgressHUD::showWithStatus("加载中...");
  platform::RunLoop::main().runPending();
  platform::RunLoop::main().advance(1);  // faded in
  timeAgainstBaseline(state, true);
}

void BM_MeasureStatusText(benchmark::State& state) {
  const std::string texts[] = {"加载中...", "提交成功", "网络连接失败，请稍后重试"};
  const platform::Font font = platform::Font::systemFont(14);
  const platform::Size constraint{200, 300};
  sprout::HDTextMeasureCache cache;
  std::size_t i = 0;
  const auto start = SteadyClock::now();
  for (auto _ : state) {
    benchmark::DoNotOptimize(cache.measure(texts[i++ % 3], font, constraint));
  }
  const double cachedNs =
      std::chrono::duration<double, std::nano>(SteadyClock::now() - start).count() /
      static_cast<double>(state.iterations());
  const std::int64_t calls = std::min<std::int64_t>(state.iterations(), 2000);
  const auto baselineStart = SteadyClock::now();
  for (std::int64_t n = 0; n < calls; ++n) {
    benchmark::DoNotOptimize(
        sprout::HDTextMeasureCache::measureUncached(texts[n % 3], font, constraint));
  }
  const double uncachedNs =
      std::chrono::duration<double, std::nano>(SteadyClock::now() - baselineStart).count() /
      static_cast<double>(calls);
  state.counters["uncached_ns"] = uncachedNs;
  state.counters["ratio"] = cachedNs / uncachedNs;
}

BENCHMARK(BM_NoticesList)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NoticesListWithHUD)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MeasureStatusText);

}  // namespace

int main(int argc, char** argv) {
  platform::RunLoop::bindMainToCurrentThread();
  platform::Screen::main().setBounds(makeRect(0, 0, kWidth, kHeight));
  platform::Screen::main().setScale(kScale);
  Stage s;
  stage = &s;
  auto ownHUD = std::make_unique<sprout::HDProgressHUDCenter::Scope>();
  platform::Clock::setCurrent(s.clock);
  s.window = makeNoticesWindow();
  platform::ApplicationWindows::shared().setDelegate(std::make_shared<Delegate>(s.window));
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  ownHUD.reset();
  platform::RunLoop::main().runPending();
  platform::ApplicationWindows::shared().reset();
  platform::Clock::setCurrent(nullptr);
  return 0;
}
