// Typing into a text view that fills a phone's screen, the keyboard over its lower part, one key
// at a time with a turn of the main loop after each (the layout pass lays the text out and shows
// its end above the keyboard), at 2,000 and 20,000 keys. Each run reports the cost of a key in
// the first and the last quarter of the typing: a key should cost the same at the end.
//
// "Bare" is the cheapest way to the same numbers with Pango alone: the paragraphs already
// finished keep their heights, and each key lays out only the paragraph being typed, at the
// view's wrapping width, for the height that puts its end above the keyboard.
#include <benchmark/benchmark.h>
#include <glib.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "platform/dispatch/RunLoop.h"
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

BENCHMARK(BM_TypeIntoTextView)
    ->Arg(2000)
    ->Arg(20000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3);
BENCHMARK(BM_TypeBare)
    ->Arg(2000)
    ->Arg(20000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3);

}  // namespace

int main(int argc, char** argv) { return bench::runOnPhoneScreen(argc, argv); }
