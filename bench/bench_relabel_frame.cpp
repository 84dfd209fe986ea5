// What a scrolling list pays per frame when its rows are relabelled: a 375 x 667 window at scale 2
// holds 15 rows of 345 x 44 labels whose texts change every frame; each frame sets the texts,
// lays out and renders the window through platform::renderView. "baseline_ms" is the same picture
// drawn with bare Cairo and Pango onto one reused surface (white page, 15 text layouts) in the
// same run, and "ratio" the one over the other. BM_RedrawRow times one row's redraw alone.
#include <benchmark/benchmark.h>
#include <cairo.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <memory>
#include <string>

#include "platform/dispatch/Clock.h"
#include "platform/dispatch/RunLoop.h"
#include "platform/render/RenderView.h"
#include "platform/ui/Label.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"

namespace {

using platform::Color;
using platform::makeRect;
using SteadyClock = std::chrono::steady_clock;

constexpr int kRows = 15;
constexpr double kRowHeight = 44;
constexpr double kTop = 20;
constexpr double kLabelX = 15;
constexpr double kLabelWidth = 345;
constexpr double kFontSize = 16;

std::string rowText(int row, std::int64_t frame) {
  return "第 " + std::to_string(row + 1) + " 行 · 已读 " + std::to_string(frame % 1000) + " 人";
}

struct Table {
  std::shared_ptr<platform::Window> window;
  std::array<std::shared_ptr<platform::Label>, kRows> labels;
};

Table makeTable() {
  Table t;
  t.window = platform::Window::create(makeRect(0, 0, 375, 667));
  t.window->setBackgroundColor(Color::whiteColor());
  for (int i = 0; i < kRows; ++i) {
    auto row = platform::View::create(makeRect(0, kTop + i * kRowHeight, 375, kRowHeight));
    auto label = platform::Label::create(makeRect(kLabelX, 0, kLabelWidth, kRowHeight));
    label->setFont(platform::Font::systemFont(kFontSize));
    row->addSubview(label);
    t.window->addSubview(row);
    t.labels[static_cast<std::size_t>(i)] = label;
  }
  t.window->makeKeyAndVisible();
  return t;
}

double elapsedNs(SteadyClock::time_point start, std::int64_t n) {
  return std::chrono::duration<double, std::nano>(SteadyClock::now() - start).count() /
         static_cast<double>(n);
}

// The same picture with nothing of the platform: one surface, one layout per row, reused.
double bareFrameNs(std::int64_t frames) {
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 750, 1334);
  cairo_t* cr = cairo_create(surface);
  cairo_scale(cr, 2, 2);
  PangoContext* pc = pango_cairo_create_context(cr);
  pango_cairo_context_set_resolution(pc, 72);
  PangoFontDescription* font = pango_font_description_from_string(platform::Font::kSystemFamily);
  pango_font_description_set_absolute_size(font, kFontSize * PANGO_SCALE);
  std::array<PangoLayout*, kRows> layouts{};
  for (auto& layout : layouts) {
    layout = pango_layout_new(pc);
    pango_layout_set_font_description(layout, font);
    pango_layout_set_width(layout, static_cast<int>(kLabelWidth * PANGO_SCALE));
    pango_layout_set_ellipsize(layout, PANGO_ELLIPSIZE_END);
  }
  const auto start = SteadyClock::now();
  for (std::int64_t frame = 0; frame < frames; ++frame) {
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    cairo_set_source_rgb(cr, 0, 0, 0);
    for (int i = 0; i < kRows; ++i) {
      PangoLayout* layout = layouts[static_cast<std::size_t>(i)];
      const std::string text = rowText(i, frame);
      pango_layout_set_text(layout, text.c_str(), static_cast<int>(text.size()));
      int w = 0, h = 0;
      pango_layout_get_size(layout, &w, &h);
      cairo_move_to(cr, kLabelX,
                    kTop + i * kRowHeight + (kRowHeight - h / double{PANGO_SCALE}) / 2);
      pango_cairo_show_layout(cr, layout);
    }
    cairo_surface_flush(surface);
    benchmark::DoNotOptimize(cairo_image_surface_get_data(surface));
  }
  const double ns = elapsedNs(start, frames);
  for (PangoLayout* layout : layouts) g_object_unref(layout);
  pango_font_description_free(font);
  g_object_unref(pc);
  cairo_destroy(cr);
  cairo_surface_destroy(surface);
  return ns;
}

void BM_RelabelFrame(benchmark::State& state) {
  Table table = makeTable();
  platform::RenderOptions options;
  options.scale = 2;
  options.time = platform::Clock::current().now();
  std::int64_t frame = 0;
  const auto start = SteadyClock::now();
  for (auto _ : state) {
    for (int i = 0; i < kRows; ++i)
      table.labels[static_cast<std::size_t>(i)]->setText(rowText(i, frame));
    benchmark::DoNotOptimize(platform::renderView(*table.window, options));
    ++frame;
  }
  const double subjectNs = elapsedNs(start, state.iterations());
  const double baselineNs = bareFrameNs(std::max<std::int64_t>(state.iterations(), 30));
  state.counters["frame_ms"] = subjectNs * 1e-6;
  state.counters["baseline_ms"] = baselineNs * 1e-6;
  state.counters["ratio"] = subjectNs / baselineNs;
  table.window->setHidden(true);
}

// One row redrawn alone: a 345 x 44 label at scale 2 gets a new text and displays its layer.
// "baseline_us" draws the same text with bare Cairo and Pango onto one reused surface of the row.
void BM_RedrawRow(benchmark::State& state) {
  auto label = platform::Label::create(makeRect(0, 0, kLabelWidth, kRowHeight));
  label->setFont(platform::Font::systemFont(kFontSize));
  std::int64_t frame = 0;
  const auto start = SteadyClock::now();
  for (auto _ : state) {
    label->setText(rowText(3, frame++));
    label->layer()->displayIfNeeded();
    benchmark::DoNotOptimize(label->layer()->contents());
  }
  const double subjectNs = elapsedNs(start, state.iterations());

  const int w = static_cast<int>(kLabelWidth * 2), h = static_cast<int>(kRowHeight * 2);
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
  cairo_t* cr = cairo_create(surface);
  cairo_scale(cr, 2, 2);
  PangoLayout* layout = pango_cairo_create_layout(cr);
  pango_cairo_context_set_resolution(pango_layout_get_context(layout), 72);
  PangoFontDescription* font = pango_font_description_from_string(platform::Font::kSystemFamily);
  pango_font_description_set_absolute_size(font, kFontSize * PANGO_SCALE);
  pango_layout_set_font_description(layout, font);
  const std::int64_t rounds = std::max<std::int64_t>(state.iterations(), 100);
  const auto baselineStart = SteadyClock::now();
  for (std::int64_t i = 0; i < rounds; ++i) {
    cairo_save(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
    cairo_paint(cr);
    cairo_restore(cr);
    const std::string text = rowText(3, i);
    pango_layout_set_text(layout, text.c_str(), static_cast<int>(text.size()));
    cairo_move_to(cr, 0, 12);
    pango_cairo_show_layout(cr, layout);
    cairo_surface_flush(surface);
    benchmark::DoNotOptimize(cairo_image_surface_get_data(surface));
  }
  const double baselineNs = elapsedNs(baselineStart, rounds);
  pango_font_description_free(font);
  g_object_unref(layout);
  cairo_destroy(cr);
  cairo_surface_destroy(surface);
  state.counters["row_us"] = subjectNs * 1e-3;
  state.counters["baseline_us"] = baselineNs * 1e-3;
  state.counters["ratio"] = subjectNs / baselineNs;
}

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
