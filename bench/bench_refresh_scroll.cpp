// What scrolling costs. A 10,000-row table in a 375 x 667 window at scale 2 is scrolled one screen
// per frame and each frame rendered through platform::renderView into one kept render target (the
// layout pass placing and reusing cells, the cells' text and separators drawn, the layer tree
// composited). The rows hold text alone, or text beside a 60 x 60 thumbnail (120 x 120 pixels,
// one of 16 photo-like pictures). "baseline_ms" is the same picture drawn the way a skilled
// programmer would with bare Cairo and Pango: one reused surface, a white page, one layout per row
// laid out once, glyphs, thumbnails and hairlines drawn straight in. Before timing, a screenful of
// frames of both are compared pixel for pixel; a mismatch fails the benchmark. Both sides are
// timed frame about in the drawing thread's CPU time, so both see the same machine. "ratio" is the
// one over the other, "eighth_frame_ratio" the frame over 1/8 of a 60 Hz frame.
// Then the pull-down header's observation of the offset: "added_ns" is what one offset change
// costs with a header attached over the same scroll view without it (the target is at most 1000).
#include <benchmark/benchmark.h>
#include <cairo.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"
#include "platform/dispatch/RunLoop.h"
#include "platform/foundation/Clock.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Image.h"
#include "platform/render/RenderTarget.h"
#include "platform/render/RenderView.h"
#include "platform/ui/Font.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
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
constexpr double kWidth = 375, kHeight = 667, kScale = 2;
constexpr double kMargin = 15;    // a cell's margins, as the cell lays itself out
constexpr double kFontSize = 17;  // a cell's text label
constexpr double kThumb = 60;     // points
constexpr int kThumbs = 16;       // distinct pictures
constexpr double kSeparator[3] = {200 / 255.0, 199 / 255.0, 204 / 255.0};

std::string rowText(long row) { return "第 " + std::to_string(row + 1) + " 行：本周五下午家长会"; }

// A photo-like picture: smooth colour ramps with a soft disc, opaque, different per index.
std::vector<std::uint32_t> thumbPixels(int index) {
  const int n = static_cast<int>(kThumb * kScale);
  std::vector<std::uint32_t> px(static_cast<std::size_t>(n) * n);
  for (int y = 0; y < n; ++y) {
    for (int x = 0; x < n; ++x) {
      const double dx = x - n * 0.4, dy = y - n * 0.55;
      const double disc = std::exp(-(dx * dx + dy * dy) / (n * n * 0.08));
      const auto r =
          static_cast<std::uint32_t>(std::clamp(40 + index * 12 + x + 60 * disc, 0.0, 255.0));
      const auto g =
          static_cast<std::uint32_t>(std::clamp(90 + y - index * 3 + 80 * disc, 0.0, 255.0));
      const auto b = static_cast<std::uint32_t>(std::clamp(200 - x / 2.0 + index * 2, 0.0, 255.0));
      px[static_cast<std::size_t>(y) * n + x] = 0xFF000000u | r << 16 | g << 8 | b;
    }
  }
  return px;
}

class Rows : public platform::TableViewDataSource {
 public:
  explicit Rows(bool thumbnails) {
    if (!thumbnails) return;
    const int n = static_cast<int>(kThumb * kScale);
    for (int i = 0; i < kThumbs; ++i) {
      thumbs_.push_back(platform::Image::create(
          platform::Bitmap::create(n, n, thumbPixels(i), platform::AlphaInfo::NoneSkipFirst,
                                   platform::ColorModel::RGB),
          kScale));
    }
  }
  long numberOfRowsInSection(platform::TableView&, long) override { return kRows; }
  std::shared_ptr<platform::TableViewCell> cellForRowAtIndexPath(
      platform::TableView& table, const platform::IndexPath& path) override {
    auto cell = table.dequeueReusableCellWithIdentifier("row");
    if (!cell) cell = platform::TableViewCell::create(platform::TableViewCellStyle::Default, "row");
    if (!thumbs_.empty()) cell->imageView()->setImage(thumbs_[path.row % kThumbs]);
    cell->textLabel()->setText(rowText(path.row));
    return cell;
  }

 private:
  std::vector<std::shared_ptr<platform::Image>> thumbs_;
};

// The drawing thread's own time: on a shared machine wall time would count whatever else ran.
double threadCpuNs() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e9 + static_cast<double>(t.tv_nsec);
}

// The rows of one screen at an offset, drawn straight with Cairo and Pango.
class BareRows {
 public:
  BareRows(bool thumbnails, double rowHeight) : rowHeight_(rowHeight) {
    surface_ = cairo_image_surface_create(CAIRO_FORMAT_RGB24, static_cast<int>(kWidth * kScale),
                                          static_cast<int>(kHeight * kScale));
    cr_ = cairo_create(surface_);
    cairo_scale(cr_, kScale, kScale);
    pc_ = bench::makeBarePangoContext();
    layout_ = pango_layout_new(pc_);
    PangoFontDescription* font = pango_font_description_from_string(platform::Font::kSystemFamily);
    pango_font_description_set_absolute_size(font, kFontSize * PANGO_SCALE);
    pango_layout_set_font_description(layout_, font);
    pango_font_description_free(font);
    textX_ = kMargin + (thumbnails ? kThumb + kMargin : 0);
    pango_layout_set_width(layout_, static_cast<int>((kWidth - textX_ - kMargin) * PANGO_SCALE));
    pango_layout_set_ellipsize(layout_, PANGO_ELLIPSIZE_END);
    if (!thumbnails) return;
    for (int i = 0; i < kThumbs; ++i) {
      const int n = static_cast<int>(kThumb * kScale);
      cairo_surface_t* thumb = cairo_image_surface_create(CAIRO_FORMAT_RGB24, n, n);
      cairo_surface_flush(thumb);
      const std::vector<std::uint32_t> px = thumbPixels(i);
      auto* data = cairo_image_surface_get_data(thumb);
      const int stride = cairo_image_surface_get_stride(thumb);
      for (int y = 0; y < n; ++y) {
        std::copy_n(
            px.data() + static_cast<std::size_t>(y) * n, n,
            reinterpret_cast<std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride));
      }
      cairo_surface_mark_dirty(thumb);
      thumbs_.push_back(thumb);
    }
  }
  ~BareRows() {
    for (cairo_surface_t* t : thumbs_) cairo_surface_destroy(t);
    g_object_unref(layout_);
    g_object_unref(pc_);
    cairo_destroy(cr_);
    cairo_surface_destroy(surface_);
  }
  BareRows(const BareRows&) = delete;
  BareRows& operator=(const BareRows&) = delete;

  void draw(double offset) {
    cairo_set_source_rgb(cr_, 1, 1, 1);
    cairo_paint(cr_);
    const long first = static_cast<long>(offset / rowHeight_);
    const long last = std::min(kRows - 1, static_cast<long>((offset + kHeight) / rowHeight_));
    for (long row = first; row <= last; ++row) {
      const double y = row * rowHeight_ - offset;
      if (!thumbs_.empty()) {
        cairo_save(cr_);
        cairo_translate(cr_, kMargin, y + (rowHeight_ - kThumb) / 2);
        cairo_scale(cr_, 1 / kScale, 1 / kScale);
        cairo_set_source_surface(cr_, thumbs_[static_cast<std::size_t>(row % kThumbs)], 0, 0);
        cairo_paint(cr_);
        cairo_restore(cr_);
      }
      const std::string text = rowText(row);
      pango_layout_set_text(layout_, text.c_str(), static_cast<int>(text.size()));
      PangoRectangle logical;
      pango_layout_get_extents(layout_, nullptr, &logical);
      const double textHeight = (logical.y + logical.height) / double{PANGO_SCALE};
      cairo_set_source_rgb(cr_, 0, 0, 0);
      cairo_move_to(cr_, textX_, y + (rowHeight_ - textHeight) / 2);
      pango_cairo_show_layout(cr_, layout_);
      cairo_set_source_rgb(cr_, kSeparator[0], kSeparator[1], kSeparator[2]);
      cairo_rectangle(cr_, kMargin, y + rowHeight_ - 1 / kScale, kWidth - kMargin, 1 / kScale);
      cairo_fill(cr_);
    }
    cairo_surface_flush(surface_);
  }

  const std::uint32_t* pixels() const {
    return reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(surface_));
  }

 private:
  double rowHeight_;
  double textX_ = kMargin;
  cairo_surface_t* surface_;
  cairo_t* cr_;
  PangoContext* pc_;
  PangoLayout* layout_;
  std::vector<cairo_surface_t*> thumbs_;
};

struct Scroller {
  std::shared_ptr<platform::Window> window;
  std::shared_ptr<platform::TableView> table;
  std::shared_ptr<Rows> rows;
  platform::RenderTarget target;
  double offset = 0;

  Scroller(bool thumbnails, double rowHeight) : rows(std::make_shared<Rows>(thumbnails)) {
    window = platform::Window::create(makeRect(0, 0, kWidth, kHeight));
    table = platform::TableView::create(makeRect(0, 0, kWidth, kHeight));
    table->setDataSource(rows);
    table->setRowHeight(rowHeight);
    window->addSubview(table);
    window->makeKeyAndVisible();
    table->reloadData();
  }
  ~Scroller() { window->setHidden(true); }

  // The next screen down, back to the top after the last.
  double advance() {
    const double maxOffset = table->maximumContentOffset().y;
    offset = offset + kHeight > maxOffset ? 0 : offset + kHeight;
    return offset;
  }
  std::shared_ptr<platform::Image> frame() {
    table->setContentOffset({0, offset});
    platform::RenderOptions options;
    options.scale = kScale;
    options.time = platform::Clock::current().now();
    return platform::renderView(*window, target, options);
  }
};

// How many pixels differ between the two ways of drawing, over a run of frames.
long mismatchedPixels(Scroller& ours, BareRows& bare, int frames) {
  long differing = 0;
  const std::size_t count = static_cast<std::size_t>(kWidth * kScale * kHeight * kScale);
  for (int i = 0; i < frames; ++i) {
    const double offset = ours.advance();
    auto image = ours.frame();
    bare.draw(offset);
    const std::uint32_t* a = image->bitmap()->pixels();
    const std::uint32_t* b = bare.pixels();
    for (std::size_t p = 0; p < count; ++p)
      differing += (a[p] | 0xFF000000u) != (b[p] | 0xFF000000u);
  }
  return differing;
}

void scrollOneScreenPerFrame(benchmark::State& state, bool thumbnails) {
  const double rowHeight = thumbnails ? kThumb + 2 * 10 : 44;
  Scroller ours(thumbnails, rowHeight);
  BareRows bare(thumbnails, rowHeight);
  if (const long differing = mismatchedPixels(ours, bare, 20)) {
    return state.SkipWithError(
        ("pictures differ in " + std::to_string(differing) + " pixels").c_str());
  }
  double subjectNs = 0, bareNs = 0;
  for (auto _ : state) {
    const double offset = ours.advance();
    const double t0 = threadCpuNs();
    benchmark::DoNotOptimize(ours.frame());
    const double t1 = threadCpuNs();
    bare.draw(offset);
    subjectNs += t1 - t0;
    bareNs += threadCpuNs() - t1;
  }
  const auto frames = static_cast<double>(state.iterations());
  subjectNs /= frames;
  bareNs /= frames;
  state.counters["frame_ms"] = subjectNs * 1e-6;
  state.counters["baseline_ms"] = bareNs * 1e-6;
  state.counters["ratio"] = subjectNs / bareNs;
  state.counters["eighth_frame_ratio"] = subjectNs * 1e-9 / (kFrame / 8);
  state.counters["cells"] = static_cast<double>(ours.table->cellCount());
}

void BM_ScrollTableOneScreenPerFrame(benchmark::State& state) {
  scrollOneScreenPerFrame(state, false);
}

void BM_ScrollThumbnailTableOneScreenPerFrame(benchmark::State& state) {
  scrollOneScreenPerFrame(state, true);
}

double nsSince(Clock::time_point start, std::int64_t n) {
  return std::chrono::duration<double, std::nano>(Clock::now() - start).count() /
         static_cast<double>(n);
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

BENCHMARK(BM_ScrollTableOneScreenPerFrame)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScrollThumbnailTableOneScreenPerFrame)->Unit(benchmark::kMillisecond);
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
