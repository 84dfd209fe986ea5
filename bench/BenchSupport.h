#pragma once

// What several benches share: the bare side's text context, and the start and end of a bench
// that draws on a phone screen under a virtual clock.

#include <benchmark/benchmark.h>
#include <cairo.h>
#include <pango/pangocairo.h>

#include <memory>

#include "platform/dispatch/RunLoop.h"
#include "platform/foundation/Clock.h"
#include "platform/ui/ApplicationWindows.h"
#include "platform/ui/Screen.h"

namespace bench {

// Text as the app lays it out: 72 dpi, unhinted, greyscale antialiasing, unrounded positions, so
// the bare drawing and Sprout's match pixel for pixel. The caller owns the context.
inline PangoContext* makeBarePangoContext() {
  PangoContext* pc = pango_font_map_create_context(pango_cairo_font_map_get_default());
  pango_cairo_context_set_resolution(pc, 72);
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
  cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
  cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
  pango_cairo_context_set_font_options(pc, options);
  pango_context_set_round_glyph_positions(pc, FALSE);
  cairo_font_options_destroy(options);
  return pc;
}

// Runs the registered benchmarks on a 375 × 667 screen at scale 2 under a virtual clock, then
// lets the main loop and the windows go.
inline int runOnPhoneScreen(int argc, char** argv) {
  platform::RunLoop::bindMainToCurrentThread();
  platform::Screen::main().setBounds(platform::makeRect(0, 0, 375, 667));
  platform::Screen::main().setScale(2);
  platform::Clock::setCurrent(std::make_shared<platform::VirtualClock>());
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  platform::RunLoop::main().runPending();
  platform::ApplicationWindows::shared().reset();
  platform::Clock::setCurrent(nullptr);
  return 0;
}

}  // namespace bench
