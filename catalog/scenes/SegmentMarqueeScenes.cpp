// The segment pager caught mid-swipe under a real finger, and the marquee label mid-scroll.
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "catalog/Scenes.h"
#include "catalog/scenes/InAppSceneSupport.h"
#include "platform/render/RenderView.h"
#include "platform/ui/Label.h"
#include "platform/ui/TouchDriver.h"
#include "platform/ui/Window.h"
#include "ui/components/marquee/MQAutoScrollLabel.h"
#include "ui/components/segment/SGSegmentViewController.h"

namespace catalog {
namespace {

using platform::Color;
using platform::makeRect;

platform::RenderOptions at(double time, double scale = 2) {
  platform::RenderOptions options;
  options.scale = scale;
  options.time = time;
  return options;
}

std::shared_ptr<platform::ViewController> page(const std::string& title, const std::string& body,
                                               Color color) {
  auto controller = platform::ViewController::create();
  controller->setTitle(title);
  auto view = controller->view();
  view->setBackgroundColor(color);
  auto label = platform::Label::create(makeRect(20, 40, 335, 200));
  label->setNumberOfLines(0);
  label->setFont(platform::Font::systemFont(22));
  label->setText(title + "\n\n" + body);
  view->addSubview(label);
  return controller;
}

}  // namespace

void sceneSegmentPager(Catalog& catalog) {
  InAppScene scene({375, 667});
  auto window = platform::Window::create(makeRect(0, 0, 375, 667));
  auto pager = sprout::SGSegmentViewController::create();
  window->setRootViewController(pager);
  window->makeKeyAndVisible();
  pager->setViewControllers(
      {page("本周食谱", "周一：小米粥、鸡蛋饼\n周二：南瓜粥、包子", Color::rgba(1, 0.95, 0.85)),
       page("下周食谱", "周一：牛奶、面包\n周二：豆浆、油条", Color::rgba(0.88, 0.95, 1)),
       page("营养知识", "多吃蔬菜水果，少吃零食", Color::rgba(0.9, 1, 0.9))});
  window->layoutIfNeeded();
  scene.runTo(0.5);
  catalog.addFrame(
      "pager-start", *platform::renderView(*window, at(scene.now(), 1)),
      InAppScene::caption("Page 0, the bar under the pages at y 559", scene.elapsed()));
  platform::TouchDriver finger(window);
  finger.begin({300, 300});
  for (int i = 1; i <= 20; ++i) {
    scene.runTo(0.5 + i / 60.0);
    finger.move({300 - 8.0 * i, 300});
  }
  scene.runTo(1.0);
  char what[96];
  std::snprintf(what, sizeof what, "Mid-swipe: offset %.0f, the line %.0f%% of the way to 下周食谱",
                pager->scrollView()->contentOffset().x,
                100 * pager->segmentControl()->lineLayer()->frame().origin.x / 125);
  catalog.addFrame("pager-mid-swipe", *platform::renderView(*window, at(scene.now(), 1)),
                   InAppScene::caption(what, scene.elapsed()));
  finger.end();
  scene.runTo(2.0);
  catalog.addFrame(
      "pager-settled", *platform::renderView(*window, at(scene.now(), 1)),
      InAppScene::caption("Released: page 1 selected, the only child", scene.elapsed()));
}

void sceneMarqueeLabel(Catalog& catalog) {
  InAppScene scene({375, 667});
  auto window = platform::Window::create(makeRect(0, 0, 375, 667));
  window->makeKeyAndVisible();
  auto strip = platform::View::create(makeRect(0, 0, 320, 40));
  strip->setBackgroundColor(Color::rgba(1, 0.97, 0.88));
  window->addSubview(strip);
  auto label = sprout::MQAutoScrollLabel::create(makeRect(10, 5, 300, 30));
  label->setFont(platform::Font::systemFont(16));
  label->setTextColor(Color::rgba(0.6, 0.3, 0));
  label->setText("最新通知：本周五下午三点召开家长会，请各位家长准时到园参加");
  strip->addSubview(label);
  window->layoutIfNeeded();
  const std::vector<std::pair<double, std::string>> moments = {
      {0, "At rest: the pause, only the right edge fades"},
      {3.0, "Mid-scroll at 30 pt/s, both edges fade over 7 pt"},
      {9.0, "Further on"},
      {1.5 + label->mainLabel()->bounds().size.width / 30 - 1.5,
       "The second copy coming in, 20 pt behind the first"}};
  for (const auto& [seconds, what] : moments) {
    scene.runTo(seconds);
    char slug[32];
    std::snprintf(slug, sizeof slug, "marquee-%04d", static_cast<int>(seconds * 100));
    catalog.addFrame(slug, *platform::renderView(*strip, at(scene.now(), 2)),
                     InAppScene::caption(what, scene.elapsed()));
  }
}

}  // namespace catalog
