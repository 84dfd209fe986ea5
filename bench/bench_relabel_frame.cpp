// What a scrolling list pays per frame when its rows are relabelled: a 375 x 667 window at scale 2
// holds 15 rows of 345 x 44 labels whose texts change every frame; each frame sets the texts,
// lays out and renders the window through platform::renderView into one kept render target.
// "baseline_ms" is the same picture drawn with bare Cairo and Pango onto one reused surface
// (white page, one layout per row, its text set and drawn straight in) in the same run, and
// "ratio" the one over the other. BM_RedrawRow does the same for one row alone. Before timing,
// frames of both are compared pixel for pixel; a mismatch fails the benchmark. Both sides are
// timed frame about in the drawing thread's CPU time, so both see the same machine.
#include <benchmark/benchmark.h>
#include <cairo.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <array>
#include <ctime>
#include <memory>
#include <string>

#include "bench/BenchSupport.h"
#include "platform/dispatch/RunLoop.h"
#include "platform/foundation/Clock.h"
#include "platform/graphics/Image.h"
#include "platform/render/RenderTarget.h"
#include "platform/render/RenderView.h"
#include "platform/ui/Label.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"

namespace {

using platform::Color;
using platform::makeRect;

constexpr int kRows = 15;
constexpr double kRowHeight = 44;
constexpr double kTop = 20;
constexpr double kLabelX = 15;
constexpr double kLabelWidth = 345;
constexpr double kFontSize = 16;
constexpr int kScale = 2;

std::string rowText(int row, std::int64_t frame) {
  return "第 " + std::to_string(row + 1) + " 行 · 已读 " + std::to_string(frame % 1000) + " 人";
}

double threadCpuNs() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e9 + static_cast<double>(t.tv_nsec);
}

// `rows` labels in a white window of `height` points, drawn by the platform.
struct Table {
  std::shared_ptr<platform::Window> window;
  std::array<std::shared_ptr<platform::Label>, kRows> labels;
  platform::RenderTarget target;
  int rows;

  Table(int rowCount, double top, double height) : rows(rowCount) {
    window = platform::Window::create(makeRect(0, 0, 375, height));
    window->setBackgroundColor(Color::whiteColor());
    for (int i = 0; i < rows; ++i) {
      auto row = platform::View::create(makeRect(0, top + i * kRowHeight, 375, kRowHeight));
      auto label = platform::Label::create(makeRect(kLabelX, 0, kLabelWidth, kRowHeight));
      label->setFont(platform::Font::systemFont(kFontSize));
      row->addSubview(label);
      window->addSubview(row);
      labels[static_cast<std::size_t>(i)] = label;
    }
    window->makeKeyAndVisible();
  }
  ~Table() { window->setHidden(true); }

  std::shared_ptr<platform::Image> frame(std::int64_t n) {
    for (int i = 0; i < rows; ++i) labels[static_cast<std::size_t>(i)]->setText(rowText(i, n));
    platform::RenderOptions options;
    options.scale = kScale;
    options.time = platform::Clock::current().now();
    return platform::renderView(*window, target, options);
  }
};

// The same picture with nothing of the platform: one surface, one layout per row, reused.
class Bare {
 public:
  Bare(int rows, double top, double height) : rows_(rows), top_(top) {
    surface_ = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 375 * kScale,
                                          static_cast<int>(height * kScale));
    cr_ = cairo_create(surface_);
    cairo_scale(cr_, kScale, kScale);
    pc_ = bench::makeBarePangoContext();
    PangoFontDescription* font = pango_font_description_from_string(platform::Font::kSystemFamily);
    pango_font_description_set_absolute_size(font, kFontSize * PANGO_SCALE);
    for (int i = 0; i < rows_; ++i) {
      PangoLayout* layout = pango_layout_new(pc_);
      pango_layout_set_font_description(layout, font);
      pango_layout_set_width(layout, static_cast<int>(kLabelWidth * PANGO_SCALE));
      pango_layout_set_ellipsize(layout, PANGO_ELLIPSIZE_END);
      layouts_[static_cast<std::size_t>(i)] = layout;
    }
    pango_font_description_free(font);
  }
  ~Bare() {
    for (int i = 0; i < rows_; ++i) g_object_unref(layouts_[static_cast<std::size_t>(i)]);
    g_object_unref(pc_);
    cairo_destroy(cr_);
    cairo_surface_destroy(surface_);
  }
  Bare(const Bare&) = delete;
  Bare& operator=(const Bare&) = delete;

  void draw(std::int64_t frame) {
    cairo_set_source_rgb(cr_, 1, 1, 1);
    cairo_paint(cr_);
    cairo_set_source_rgb(cr_, 0, 0, 0);
    for (int i = 0; i < rows_; ++i) {
      PangoLayout* layout = layouts_[static_cast<std::size_t>(i)];
      const std::string text = rowText(i, frame);
      pango_layout_set_text(layout, text.c_str(), static_cast<int>(text.size()));
      int w = 0, h = 0;
      pango_layout_get_size(layout, &w, &h);
      cairo_move_to(cr_, kLabelX,
                    top_ + i * kRowHeight + (kRowHeight - h / double{PANGO_SCALE}) / 2);
      pango_cairo_show_layout(cr_, layout);
    }
    cairo_surface_flush(surface_);
  }
  const std::uint32_t* pixels() const {
    return reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(surface_));
  }
  std::size_t pixelCount() const {
    return static_cast<std::size_t>(cairo_image_surface_get_width(surface_)) *
           static_cast<std::size_t>(cairo_image_surface_get_height(surface_));
  }

 private:
  int rows_;
  double top_;
  cairo_surface_t* surface_;
  cairo_t* cr_;
  PangoContext* pc_;
  std::array<PangoLayout*, kRows> layouts_{};
};

void timeAgainstBare(benchmark::State& state, int rows, double top, double height) {
  Table table(rows, top, height);
  Bare bare(rows, top, height);
  long differing = 0;
  for (std::int64_t frame = 0; frame < 10; ++frame) {
    auto image = table.frame(frame);
    bare.draw(frame);
    for (std::size_t i = 0; i < bare.pixelCount(); ++i) {
      differing += image->bitmap()->pixels()[i] != bare.pixels()[i];
    }
  }
  if (differing) {
    return state.SkipWithError(
        ("pictures differ in " + std::to_string(differing) + " pixels").c_str());
  }
  std::int64_t frame = 0;
  double subjectNs = 0, bareNs = 0;
  for (auto _ : state) {
    const double t0 = threadCpuNs();
    benchmark::DoNotOptimize(table.frame(frame));
    const double t1 = threadCpuNs();
    bare.draw(frame++);
    subjectNs += t1 - t0;
    bareNs += threadCpuNs() - t1;
  }
  const auto frames = static_cast<double>(state.iterations());
  state.counters["frame_ms"] = subjectNs / frames * 1e-6;
  state.counters["baseline_ms"] = bareNs / frames * 1e-6;
  state.counters["ratio"] = subjectNs / bareNs;
}

void BM_RelabelFrame(benchmark::State& state) { timeAgainstBare(state, kRows, kTop, 667); }

// One 375 x 44 row alone: a new text and a render of the row.
void BM_RedrawRow(benchmark::State& state) { timeAgainstBare(state, 1, 0, kRowHeight); }

}  // namespace

BENCHMARK(BM_RelabelFrame)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RedrawRow)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
  platform::RunLoop::bindMainToCurrentThread();
  platform::Screen::main().setBounds(makeRect(0, 0, 375, 667));
  platform::Screen::main().setScale(2);
  platform::Clock::setCurrent(std::make_shared<platform::VirtualClock>());
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  platform::RunLoop::main().runPending();
  return 0;
}
