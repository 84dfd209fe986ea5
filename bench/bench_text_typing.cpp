// Typing into a text view that fills a phone's screen, the keyboard over its lower part, one key
// at a time with a turn of the main loop after each (the layout pass lays the text out and shows
// its end above the keyboard), at 2,000 and 20,000 keys. Each run reports the cost of a key in
// the first and the last quarter of the typing: a key should cost the same at the end.
//
// FrameAtEnd draws the screen at the end of the typed text (2x scale), beside FrameBare: Cairo
// and Pango drawing only the paragraphs in view over a white fill.
//
// "Bare" is the cheapest way to the same numbers with Pango alone: the paragraphs already
// finished keep their heights, and each key lays out only the paragraph being typed, at the
// view's wrapping width, for the height that puts its end above the keyboard.
#include <benchmark/benchmark.h>
#include <cairo.h>
#include <glib.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "platform/dispatch/RunLoop.h"
#include "platform/render/Render.h"
#include "platform/render/RenderTarget.h"
#include "platform/render/RenderView.h"
#include "platform/ui/Window.h"
#include "platform/ui/text/TextView.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr double kKeyboard = 216;

// Keys as a parent types a note: words, now and then Chinese, a full stop, a new paragraph
// every few hundred characters.
std::vector<std::string> keys(int count) {
  static const char* const kWords[] = {"the",   "children", "went",   "to",     "park", "today",
                                       "and",   "played",   "until",  "noon",   "nap",  "after",
                                       "lunch", "ate",      "all",    "pear",   "明天", "公园",
                                       "老师",  "ok",       "thanks", "Lily's", "class"};
  std::vector<std::string> out;
  unsigned state = 7;
  std::size_t paragraph = 0;
  while (static_cast<int>(out.size()) < count) {
    state = state * 1103515245u + 12345u;
    const std::string word = kWords[(state >> 16) % std::size(kWords)];
    for (const char* p = word.data(); p < word.data() + word.size(); p = g_utf8_next_char(p)) {
      out.emplace_back(p, static_cast<const char*>(g_utf8_next_char(p)));
    }
    paragraph += word.size() + 1;
    if ((state >> 8) % 11 == 0) out.emplace_back(".");
    if (paragraph > 400 + (state >> 4) % 400) {
      out.emplace_back("\n");
      paragraph = 0;
    } else {
      out.emplace_back(" ");
    }
  }
  out.resize(static_cast<std::size_t>(count));
  return out;
}

// Times each key with `type`, and reports the per-key cost of the first and last quarters.
template <typename Type>
void timeKeys(benchmark::State& state, const std::vector<std::string>& typed, Type&& type) {
  const std::size_t quarter = typed.size() / 4;
  double first = 0, last = 0, total = 0;
  for (std::size_t i = 0; i < typed.size(); ++i) {
    const auto start = Clock::now();
    type(typed[i]);
    const double s = std::chrono::duration<double>(Clock::now() - start).count();
    total += s;
    if (i < quarter) first += s;
    if (i >= typed.size() - quarter) last += s;
  }
  state.SetIterationTime(total);
  state.counters["first_us_per_key"] = first / static_cast<double>(quarter) * 1e6;
  state.counters["last_us_per_key"] = last / static_cast<double>(quarter) * 1e6;
  state.counters["last_over_first"] = last / first;
}

void BM_TypeIntoTextView(benchmark::State& state) {
  const auto typed = keys(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    auto window = platform::Window::create(platform::makeRect(0, 0, 375, 667));
    window->makeKeyAndVisible();
    auto view = platform::TextView::create(platform::makeRect(0, 0, 375, 667));
    view->setContentInset({0, 0, kKeyboard, 0});
    window->addSubview(view);
    view->becomeFirstResponder();
    platform::RunLoop::main().runPending();
    timeKeys(state, typed, [&](const std::string& key) {
      view->insertText(key);
      platform::RunLoop::main().runPending();
    });
    if (view->contentOffset().y != view->maximumContentOffset().y) state.SkipWithError("hidden");
    view->resignFirstResponder();
    window->removeFromSuperview();
    platform::RunLoop::main().runPending();
  }
}

void BM_TypeBare(benchmark::State& state) {
  const auto typed = keys(static_cast<int>(state.range(0)));
  PangoContext* context = bench::makeBarePangoContext();
  PangoFontDescription* font =
      pango_font_description_from_string("DejaVu Sans, WenQuanYi Micro Hei");
  pango_font_description_set_absolute_size(font, 12 * PANGO_SCALE);
  for (auto _ : state) {
    PangoLayout* layout = pango_layout_new(context);
    pango_layout_set_font_description(layout, font);
    pango_layout_set_width(layout, (375 - 2 * platform::TextView::kTextInsetX) * PANGO_SCALE);
    pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
    std::string paragraph;
    int finished = 0;  // the height of the paragraphs before it
    double offset = 0;
    auto height = [&] {
      pango_layout_set_text(layout, paragraph.data(), static_cast<int>(paragraph.size()));
      PangoRectangle logical;
      pango_layout_get_extents(layout, nullptr, &logical);
      return logical.height;
    };
    timeKeys(state, typed, [&](const std::string& key) {
      if (key == "\n") {
        finished += height();  // the paragraph ends; the next starts empty
        paragraph.clear();
      } else {
        paragraph += key;
      }
      const double content =
          (finished + height()) / double{PANGO_SCALE} + 2 * platform::TextView::kTextInsetY;
      offset = std::max(offset, content + kKeyboard - 667);
      benchmark::DoNotOptimize(offset);
    });
    g_object_unref(layout);
  }
  pango_font_description_free(font);
  g_object_unref(context);
}

// A text view of `count` typed keys, scrolled to its end above the keyboard, on a window.
struct TypedScreen {
  std::shared_ptr<platform::Window> window =
      platform::Window::create(platform::makeRect(0, 0, 375, 667));
  std::shared_ptr<platform::TextView> view =
      platform::TextView::create(platform::makeRect(0, 0, 375, 667));

  explicit TypedScreen(const std::vector<std::string>& typed) {
    window->makeKeyAndVisible();
    view->setContentInset({0, 0, kKeyboard, 0});
    window->addSubview(view);
    view->becomeFirstResponder();
    std::string text;
    for (const auto& key : typed) text += key;
    view->insertText(text);  // one paste: what is measured is the frame
    platform::RunLoop::main().runPending();
  }
  ~TypedScreen() {
    view->resignFirstResponder();
    window->removeFromSuperview();
    platform::RunLoop::main().runPending();
  }
};

// One frame of the screen at the end of the text, drawn after the last key.
void BM_FrameAtEnd(benchmark::State& state) {
  TypedScreen screen(keys(static_cast<int>(state.range(0))));
  platform::RenderTarget target;
  platform::RenderOptions options;
  options.scale = 2;
  for (auto _ : state) {
    screen.view->setNeedsDisplay();
    benchmark::DoNotOptimize(platform::renderView(*screen.window, target, options));
  }
}

// The same frame drawn bare: the paragraphs' heights are known from typing, so Pango lays out
// and draws only the paragraphs that reach into the screen, over a white fill.
void BM_FrameBare(benchmark::State& state) {
  std::vector<std::string> paragraphs(1);
  for (const auto& key : keys(static_cast<int>(state.range(0)))) {
    if (key == "\n") {
      paragraphs.emplace_back();
    } else {
      paragraphs.back() += key;
    }
  }
  PangoContext* context = bench::makeBarePangoContext();
  PangoFontDescription* font =
      pango_font_description_from_string("DejaVu Sans, WenQuanYi Micro Hei");
  pango_font_description_set_absolute_size(font, 12 * PANGO_SCALE);
  PangoLayout* layout = pango_layout_new(context);
  pango_layout_set_font_description(layout, font);
  pango_layout_set_width(layout, (375 - 2 * platform::TextView::kTextInsetX) * PANGO_SCALE);
  pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
  std::vector<double> tops;
  double bottom = 0;
  for (const auto& p : paragraphs) {
    tops.push_back(bottom);
    pango_layout_set_text(layout, p.data(), static_cast<int>(p.size()));
    PangoRectangle logical;
    pango_layout_get_extents(layout, nullptr, &logical);
    bottom += logical.height / double{PANGO_SCALE};
  }
  const double offset = bottom + 2 * platform::TextView::kTextInsetY + kKeyboard - 667;
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 750, 1334);
  for (auto _ : state) {
    cairo_t* cr = cairo_create(surface);
    cairo_scale(cr, 2, 2);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    cairo_set_source_rgb(cr, 0, 0, 0);
    const double top = offset - platform::TextView::kTextInsetY;
    auto first = std::upper_bound(tops.begin(), tops.end(), top) - tops.begin();
    for (auto i = std::max<std::ptrdiff_t>(0, first - 1);
         i < static_cast<std::ptrdiff_t>(tops.size()) && tops[i] < top + 667; ++i) {
      const std::string& p = paragraphs[static_cast<std::size_t>(i)];
      pango_layout_set_text(layout, p.data(), static_cast<int>(p.size()));
      cairo_move_to(cr, platform::TextView::kTextInsetX, tops[i] - top);
      pango_cairo_show_layout(cr, layout);
    }
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    benchmark::DoNotOptimize(cairo_image_surface_get_data(surface));
  }
  cairo_surface_destroy(surface);
  g_object_unref(layout);
  pango_font_description_free(font);
  g_object_unref(context);
}

void typingSizes(benchmark::internal::Benchmark* b) {
  b->Arg(2000)->Arg(20000)->UseManualTime()->Unit(benchmark::kMillisecond);
  b->Iterations(1)->Repetitions(3);
}

BENCHMARK(BM_TypeIntoTextView)->Apply(typingSizes);
BENCHMARK(BM_TypeBare)->Apply(typingSizes);
BENCHMARK(BM_FrameAtEnd)->Arg(2000)->Arg(20000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FrameBare)->Arg(2000)->Arg(20000)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) { return bench::runOnPhoneScreen(argc, argv); }
