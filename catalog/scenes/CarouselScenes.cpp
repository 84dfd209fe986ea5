// The banner carousel turning through remote banners from the loopback server, and the dot page
// control's spring, caught at chosen moments on a virtual clock.
#include <any>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "catalog/LoopbackImageServer.h"
#include "catalog/Scenes.h"
#include "catalog/scenes/InAppSceneSupport.h"
#include "platform/graphics/Context.h"
#include "platform/render/RenderView.h"
#include "platform/ui/Window.h"
#include "ui/support/carousel/BCCarouselView.h"
#include "ui/support/carousel/BCCollectionViewCell.h"
#include "ui/support/carousel/DPPageControl.h"

namespace catalog {
namespace {

using platform::Color;
using platform::makeRect;

platform::RenderOptions at(double time) {
  platform::RenderOptions options;
  options.scale = 2;
  options.time = time;
  return options;
}

}  // namespace

void sceneBannerCarousel(Catalog& catalog) {
  InAppScene scene({375, 667});
  LoopbackImageServer server(3);
  auto window = platform::Window::create(makeRect(0, 0, 375, 667));
  window->makeKeyAndVisible();
  std::vector<std::any> urls;
  for (int i = 0; i < 3; ++i)
    urls.emplace_back(server.url("/pictures/" + std::to_string(i) + ".jpg"));
  auto carousel = sprout::BCCarouselView::carouselViewWithFrame(makeRect(0, 0, 375, 180), urls);
  carousel->setBannerImageViewContentMode(platform::ViewContentMode::ScaleAspectFill);
  carousel->setPageControlStyle(1);
  carousel->setPageControlAliment(0);  // at the right, clear of the titles
  carousel->setTitlesGroup({"春季亲子运动会报名开始", "本周五家长开放日", "园所通知：假期安排"});
  window->addSubview(carousel);
  window->layoutIfNeeded();
  // The three banners arrive over loopback before the first frame.
  auto loaded = [&] {
    for (const auto& cell : carousel->mainView()->visibleCells()) {
      if (!std::static_pointer_cast<sprout::BCCollectionViewCell>(cell)->imageView()->image()) {
        return false;
      }
    }
    return true;
  };
  const bool arrived = platform::RunLoop::main().runUntil(loaded, 10.0);
  if (!arrived) catalog.addNote("The banners did not arrive from the loopback server in 10 s");
  const std::vector<std::pair<double, std::string>> moments = {
      {1.0, "Item 150 of 300: banner 0, the first dot current"},
      {2.15, "The timer's first turn, half-way (0.3 s scroll)"},
      {2.5, "Banner 1; the second dot springs to 1.4×"},
      {4.5, "Banner 2, the last dot"},
      {6.5, "Banner 0 again, item 153: the strip only pretends to end"}};
  for (const auto& [seconds, what] : moments) {
    scene.runTo(seconds);
    platform::RunLoop::main().runUntil(loaded, 5.0);  // a reused cell may load its banner anew
    char slug[32];
    std::snprintf(slug, sizeof slug, "carousel-%04d", static_cast<int>(seconds * 100));
    catalog.addFrame(
        slug, *platform::renderView(*carousel, at(scene.now())),
        InAppScene::caption(what + ", item " + std::to_string(carousel->currentIndex()),
                            scene.elapsed()));
  }
  carousel->removeFromSuperview();
}

void sceneDotPageControl(Catalog& catalog) {
  InAppScene scene({375, 667});
  auto box = platform::View::create(makeRect(0, 0, 200, 100));
  box->setBackgroundColor(Color::rgba(0.2, 0.45, 0.65));
  auto animated = sprout::DPPageControl::create(makeRect(0, 10, 200, 20));
  animated->setDotColor(Color::rgba(1, 0.8, 0.2));
  animated->setNumberOfPages(5);
  auto plain = sprout::DPPageControl::create(makeRect(0, 40, 200, 20));
  plain->setDotViewClass(sprout::DPPageControl::plainDotViewClass());
  plain->setNumberOfPages(5);
  auto images = sprout::DPPageControl::create(makeRect(0, 70, 200, 20));
  auto dot = [](Color color, double side) {
    auto context = platform::Context::create({side, side}, 2, false);
    context->fillRect(makeRect(0, 0, side, side), color);
    return context->makeImage();
  };
  images->setDotImage(dot(Color::white(1, 0.5), 6));
  images->setCurrentDotImage(dot(Color::whiteColor(), 6));
  images->setNumberOfPages(5);
  for (const auto& control : {animated, plain, images}) box->addSubview(control);
  scene.runTo(1.2);
  const double start = scene.now();
  animated->setCurrentPage(3);
  plain->setCurrentPage(3);
  images->setCurrentPage(3);
  const std::vector<std::pair<double, std::string>> moments = {
      {0, "Page 3 chosen: animated (top), plain, image dots"},
      {0.08, "The spring: dot 3 swelling, dot 0 shrinking"},
      {0.2, "Past 1.4× (damping 0.5)"},
      {1.0, "Settled: dot 3 filled at 1.4×"}};
  for (const auto& [seconds, what] : moments) {
    char slug[32];
    std::snprintf(slug, sizeof slug, "dots-%04d", static_cast<int>(seconds * 1000));
    catalog.addFrame(slug, *platform::renderView(*box, at(start + seconds)),
                     InAppScene::caption(what, seconds));
  }
}

}  // namespace catalog
