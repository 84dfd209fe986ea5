// The in-app components on a virtual clock, caught at chosen moments: the QR scanner overlay over
// a stand-in camera picture with its line on the way down, and the like button's burst.
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "catalog/Scenes.h"
#include "platform/dispatch/RunLoop.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Clock.h"
#include "platform/graphics/BundleImages.h"
#include "platform/graphics/Context.h"
#include "platform/render/RenderView.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"
#include "ui/components/likebutton/LKLikeButton.h"
#include "ui/components/qr/QRUtil.h"
#include "ui/components/qr/QRView.h"

namespace catalog {
namespace {

using platform::Color;
using platform::makeRect;

// A virtual clock for the scene's length; the real clock is back afterwards.
class SceneClock {
 public:
  SceneClock() : clock_(std::make_shared<platform::VirtualClock>()), start_(clock_->now()) {
    platform::Clock::setCurrent(clock_);
  }
  ~SceneClock() {
    platform::RunLoop::main().runPending();
    platform::Clock::setCurrent(nullptr);
  }
  SceneClock(const SceneClock&) = delete;
  SceneClock& operator=(const SceneClock&) = delete;

  double elapsed() const { return clock_->now() - start_; }
  // To `seconds` after the start, in whole hundredths so the overlay's timer keeps its beat.
  void runTo(double seconds) {
    auto& loop = platform::RunLoop::main();
    loop.runPending();
    const auto ticks = static_cast<std::int64_t>(seconds * 100 + 0.5);
    for (std::int64_t t = static_cast<std::int64_t>(elapsed() * 100 + 0.5) + 1; t <= ticks; ++t) {
      loop.advance(start_ + t * 0.01 - clock_->now());
    }
  }
  double now() const { return clock_->now(); }

 private:
  std::shared_ptr<platform::VirtualClock> clock_;
  double start_;
};

// What the camera would show: a desk with a printed code on it (the overlay reads nothing).
std::shared_ptr<platform::Image> cameraPicture(platform::Size size) {
  auto context = platform::Context::create(size, 2, true);
  cairo_t* cr = context->cairo();
  cairo_pattern_t* desk = cairo_pattern_create_linear(0, 0, size.width, size.height);
  cairo_pattern_add_color_stop_rgb(desk, 0, 0.55, 0.45, 0.36);
  cairo_pattern_add_color_stop_rgb(desk, 1, 0.35, 0.27, 0.21);
  cairo_set_source(cr, desk);
  cairo_paint(cr);
  cairo_pattern_destroy(desk);
  const int modules = 25;
  const double cell = 7;
  const double left = size.width / 2 - modules * cell / 2 + 6;
  const double top = size.height / 2 - modules * cell / 2 + 10;
  context->fillRect(makeRect(left - 14, top - 14, modules * cell + 28, modules * cell + 28),
                    Color::white(0.93));
  std::uint32_t seed = 2463534242u;  // xorshift: the same code every run
  auto finder = [](int r, int c) {
    for (int fr : {0, 18}) {
      for (int fc : {0, 18}) {
        if (fr == 18 && fc == 18) continue;
        const int dr = r - fr, dc = c - fc;
        if (dr < 0 || dr > 6 || dc < 0 || dc > 6) continue;
        const bool ring = dr == 0 || dr == 6 || dc == 0 || dc == 6;
        const bool core = dr >= 2 && dr <= 4 && dc >= 2 && dc <= 4;
        return (ring || core) ? 1 : 0;
      }
    }
    return -1;
  };
  for (int r = 0; r < modules; ++r) {
    for (int c = 0; c < modules; ++c) {
      seed ^= seed << 13, seed ^= seed >> 17, seed ^= seed << 5;
      const int f = finder(r, c);
      if (f == 1 || (f < 0 && (seed & 3) < 2)) {
        context->fillRect(makeRect(left + c * cell, top + r * cell, cell, cell), Color::white(0.1));
      }
    }
  }
  return context->makeImage();
}

std::string at(const std::string& what, double seconds) {
  char text[64];
  std::snprintf(text, sizeof text, "\nt = %.2f s", seconds);
  return what + text;
}

}  // namespace

void sceneQRScannerOverlay(Catalog& catalog) {
  const platform::Rect savedScreen = platform::Screen::main().bounds();
  platform::Screen::main().setBounds(makeRect(0, 0, 320, 568));
  {
    SceneClock clock;
    const platform::Rect screen = sprout::QRUtil::screenBounds();
    // The window stays hidden (it is not the app's); its content view is what gets drawn.
    auto window = platform::Window::create(screen);
    auto content = platform::View::create(screen);
    window->addSubview(content);
    auto preview = platform::ImageView::create(cameraPicture(screen.size));
    preview->setFrame(screen);
    content->addSubview(preview);
    auto overlay = sprout::QRView::create(screen);
    overlay->setTransparentArea({280, 280});
    overlay->setBackgroundColor(Color::clear());
    content->addSubview(overlay);
    window->layoutIfNeeded();

    platform::RenderOptions options;
    options.scale = 2;
    const std::vector<std::pair<double, std::string>> moments = {
        {0, "The line starts at the window's top (y 144)"},
        {1.4, "Half-way down the 280-point window (y 284)"},
        {2.77, "4 points above the bottom, the last step (y 421)"},
        {2.78, "Wrapped to one point below the top (y 145)"}};
    for (const auto& [seconds, what] : moments) {
      clock.runTo(seconds);
      options.time = clock.now() + 0.01;  // the step under way has landed
      char slug[32];
      std::snprintf(slug, sizeof slug, "qr-%04d", static_cast<int>(seconds * 100));
      char line[48];
      std::snprintf(line, sizeof line, ", line top at %.0f", overlay->qrLine()->frame().origin.y);
      catalog.addFrame(slug, *platform::renderView(*content, options),
                       at(what + line, clock.elapsed()));
    }
    overlay->removeFromSuperview();  // stops its timer
  }
  platform::Screen::main().setBounds(savedScreen);
}

void sceneLikeButton(Catalog& catalog) {
  SceneClock clock;
  auto box = platform::View::create(makeRect(0, 0, 120, 120));
  box->setBackgroundColor(Color::whiteColor());
  auto button = sprout::LKLikeButton::likeButtonWithImage(
      platform::imageNamed(*platform::Bundle::main(), "like_heart"), makeRect(45, 45, 30, 30));
  button->setFrame(box->bounds());
  box->addSubview(button);

  platform::RenderOptions options;
  options.scale = 3;
  options.time = clock.now();
  catalog.addFrame("like-off", *platform::renderView(*box, options), "Off: the heart in grey");
  const double start = clock.now();
  button->select();
  const std::vector<std::pair<double, std::string>> moments = {
      {0.033, "The disc swells from the centre"},
      {0.067, "The disc at full size, a hole opening"},
      {0.1, "The rays shoot out over the hollowing disc"},
      {0.167, "A ring; the heart pops in"},
      {0.25, "The ring thins away; rays at their longest"},
      {0.4, "Rays fading; the heart past its overshoot"},
      {0.6, "The heart's damped wobble"},
      {1.0, "On: the heart in orange"}};
  for (const auto& [seconds, what] : moments) {
    options.time = start + seconds;
    char slug[32];
    std::snprintf(slug, sizeof slug, "like-%04d", static_cast<int>(seconds * 1000 + 0.5));
    catalog.addFrame(slug, *platform::renderView(*box, options), at(what, seconds));
  }
  clock.runTo(1.1);
  button->deselect();
  options.time = clock.now();
  catalog.addFrame("like-deselected", *platform::renderView(*box, options),
                   "Deselected: grey again at once");
}

}  // namespace catalog
