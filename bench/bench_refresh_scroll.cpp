// What scrolling costs. A 10,000-row table in a 375 x 667 window at scale 2 is scrolled one screen
// per frame and shown each time into one kept frame buffer (the layout pass placing and reusing
// cells, the cells' text drawn, the layer tree composited):
// "eighth_frame_ratio" is the frame's cost over 1/8 of a 60 Hz frame (the target is at most 1),
// "baseline_ms" the same rows drawn by bare Cairo and Pango into a surface of the same size.
// Then the pull-down header's observation of the offset: "added_ns" is what one offset change
// costs with a header attached over the same scroll view without it (the target is at most 1000).
#include <benchmark/benchmark.h>
#include <cairo.h>
#include <pango/pangocairo.h>

#include <chrono>
#include <memory>
#include <string>

#include "platform/dispatch/Clock.h"
#include "platform/dispatch/RunLoop.h"
#include "platform/graphics/Context.h"
#include "platform/render/Render.h"
#include "platform/render/RenderView.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"
#include "platform/ui/scroll/TableView.h"
#include "ui/support/refresh/RFRefreshNormalHeader.h"
#include "ui/support/refresh/RFScrollViewRefresh.h"

namespace {

using platform::makeRect;
using Clock = std::chrono::steady_clock;

constexpr double kFrame = 1.0 / 60;
constexpr long kRows = 10000;
constexpr double kRowHeight = 44;
constexpr double kWidth = 375, kHeight = 667, kScale = 2;

std::string rowText(long row) { return "第 " + std::to_string(row + 1) + " 行：本周五下午家长会"; }

class Rows : public platform::TableViewDataSource {
 public:
  long numberOfRowsInSection(platform::TableView&, long) override { return kRows; }
  std::shared_ptr<platform::TableViewCell> cellForRowAtIndexPath(
      platform::TableView& table, const platform::IndexPath& path) override {
    auto cell = table.dequeueReusableCellWithIdentifier("row");
    if (!cell) cell = platform::TableViewCell::create(platform::TableViewCellStyle::Default, "row");
    cell->textLabel()->setText(rowText(path.row));
    return cell;
  }
};

double nsSince(Clock::time_point start, std::int64_t n) {
  return std::chrono::duration<double, std::nano>(Clock::now() - start).count() /
         static_cast<double>(n);
}

// The rows of one screen at `offset`, drawn straight with Cairo and Pango.
void drawRowsBare(cairo_t* cr, PangoFontDescription* font, double offset) {
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_paint(cr);
  const long first = static_cast<long>(offset / kRowHeight);
  const long last = std::min(kRows - 1, static_cast<long>((offset + kHeight) / kRowHeight));
  for (long row = first; row <= last; ++row) {
    const double y = row * kRowHeight - offset;
    PangoLayout* layout = pango_cairo_create_layout(cr);
    pango_layout_set_font_description(layout, font);
    const std::string text = rowText(row);
    pango_layout_set_text(layout, text.c_str(), static_cast<int>(text.size()));
    pango_layout_set_width(layout, static_cast<int>((kWidth - 30) * PANGO_SCALE));
    pango_layout_set_ellipsize(layout, PANGO_ELLIPSIZE_END);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_move_to(cr, 15, y + 12);
    pango_cairo_show_layout(cr, layout);
    g_object_unref(layout);
    cairo_set_source_rgb(cr, 0.78, 0.78, 0.8);
    cairo_rectangle(cr, 15, y + kRowHeight - 0.5, kWidth - 15, 0.5);
    cairo_fill(cr);
  }
}

double bareFramesNs(std::int64_t frames) {
  cairo_surface_t* surface = cairo_image_surface_create(
      CAIRO_FORMAT_ARGB32, static_cast<int>(kWidth * kScale), static_cast<int>(kHeight * kScale));
  cairo_t* cr = cairo_create(surface);
  cairo_scale(cr, kScale, kScale);
  PangoFontDescription* font =
      pango_font_description_from_string("DejaVu Sans, WenQuanYi Micro Hei 17px");
  const double maxOffset = kRows * kRowHeight - kHeight;
  const auto start = Clock::now();
  double offset = 0;
  for (std::int64_t i = 0; i < frames; ++i) {
    drawRowsBare(cr, font, offset);
    cairo_surface_flush(surface);
    offset = offset + kHeight > maxOffset ? 0 : offset + kHeight;
  }
  const double ns = nsSince(start, frames);
  pango_font_description_free(font);
  cairo_destroy(cr);
  cairo_surface_destroy(surface);
  return ns;
}

void BM_ScrollTableOneScreenPerFrame(benchmark::State& state) {
  auto window = platform::Window::create(makeRect(0, 0, kWidth, kHeight));
  auto table = platform::TableView::create(makeRect(0, 0, kWidth, kHeight));
  auto rows = std::make_shared<Rows>();
  table->setDataSource(rows);
  table->setRowHeight(kRowHeight);
  window->addSubview(table);
  window->makeKeyAndVisible();
  table->reloadData();
  // One frame buffer, as a screen keeps: each frame lays out, draws what changed and composites.
  auto screen = platform::Context::create({kWidth, kHeight}, kScale, true);
  const double maxOffset = table->maximumContentOffset().y;
  double offset = 0;
  std::int64_t frames = 0;
  const auto start = Clock::now();
  for (auto _ : state) {
    offset = offset + kHeight > maxOffset ? 0 : offset + kHeight;
    table->setContentOffset({0, offset});
    window->updateTree();
    screen->fillRect(makeRect(0, 0, kWidth, kHeight), platform::Color::whiteColor());
    platform::renderLayerInContext(*window->layer(), *screen, platform::Clock::current().now());
    cairo_surface_flush(cairo_get_target(screen->cairo()));
    ++frames;
  }
  const double subjectNs = nsSince(start, frames);
  const double baselineNs = bareFramesNs(std::min<std::int64_t>(frames, 200));
  state.counters["eighth_frame_ratio"] = subjectNs * 1e-9 / (kFrame / 8);
  state.counters["baseline_ms"] = baselineNs * 1e-6;
  state.counters["ratio"] = subjectNs / baselineNs;
  state.counters["cells"] = static_cast<double>(table->cellCount());
}

// Offset changes between two points where the header shows part of itself.
double offsetChangesNs(platform::ScrollView& scroll, std::int64_t n) {
  const auto start = Clock::now();
  for (std::int64_t i = 0; i < n; ++i) scroll.setContentOffset({0, (i & 1) ? -20.0 : -30.0});
  return nsSince(start, n);
}

void BM_HeaderOffsetObservation(benchmark::State& state) {
  auto window = platform::Window::create(makeRect(0, 0, kWidth, kHeight));
  auto bare = platform::ScrollView::create(makeRect(0, 0, kWidth, kHeight));
  auto watched = platform::ScrollView::create(makeRect(0, 0, kWidth, kHeight));
  for (const auto& s : {bare, watched}) {
    s->setContentSize({kWidth, 2000});
    window->addSubview(s);
  }
  sprout::setRf_header(*watched, sprout::RFRefreshNormalHeader::headerWithRefreshingBlock(nullptr));
  window->layoutIfNeeded();
  constexpr std::int64_t kBatch = 1000;
  double subjectNs = 0, baselineNs = 0;
  std::int64_t batches = 0;
  for (auto _ : state) {
    subjectNs += offsetChangesNs(*watched, kBatch);
    baselineNs += offsetChangesNs(*bare, kBatch);
    ++batches;
  }
  subjectNs /= static_cast<double>(batches);
  baselineNs /= static_cast<double>(batches);
  state.counters["per_event_ns"] = subjectNs;
  state.counters["baseline_ns"] = baselineNs;
  state.counters["added_ns"] = subjectNs - baselineNs;
  platform::RunLoop::main().runPending();
}

BENCHMARK(BM_ScrollTableOneScreenPerFrame)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_HeaderOffsetObservation)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  platform::RunLoop::bindMainToCurrentThread();
  platform::Screen::main().setBounds(makeRect(0, 0, kWidth, kHeight));
  platform::Screen::main().setScale(kScale);
  auto clock = std::make_shared<platform::VirtualClock>();
  platform::Clock::setCurrent(clock);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  platform::RunLoop::main().runPending();
  platform::Clock::setCurrent(nullptr);
  return 0;
}
