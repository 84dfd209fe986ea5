#pragma once

#include <gtest/gtest.h>

#include <any>
#include <memory>
#include <string>
#include <vector>

#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Image.h"
#include "platform/render/Render.h"
#include "platform/ui/TouchDriver.h"
#include "platform/ui/View.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"
#include "ui_support.h"

namespace platform::ui_test {

// A key, visible window of `frame` and a finger on it.
class OnWindow : public UITest {
 protected:
  explicit OnWindow(const Rect& frame = makeRect(0, 0, 320, 480))
      : window(Window::create(frame)), fingers(window) {
    window->makeKeyAndVisible();
  }

  enum class Lift { Never, AtOnce, AfterHold };
  // A finger drawn from `from` to `to` over `steps` 60 Hz frames. Lifted at once it flings;
  // held still first, it leaves no speed.
  void drag(Point from, Point to, int steps, Lift lift = Lift::AfterHold) {
    fingers.drag(from, to, steps);
    if (lift == Lift::AfterHold) fingers.holdAndLift(0.3);
    if (lift == Lift::AtOnce) fingers.end();
  }

  std::shared_ptr<Window> window;
  TouchDriver fingers;
};

// Everything logged while it lives, as "tag: message", at `least` or above.
struct CapturedLog {
  explicit CapturedLog(LogLevel least = LogLevel::Debug) {
    setLogSink([this, least](LogLevel level, std::string_view tag, std::string_view message) {
      if (level >= least) lines.push_back(std::string(tag) + ": " + std::string(message));
    });
  }
  ~CapturedLog() { setLogSink(nullptr); }
  int count(const std::string& part) const {
    int n = 0;
    for (const auto& line : lines) n += line.find(part) != std::string::npos;
    return n;
  }
  std::vector<std::string> lines;
};

// Every notification posted under the given names, in order.
struct Notifications {
  explicit Notifications(std::vector<std::string> names) {
    for (auto& name : names) {
      tokens.push_back(NotificationCenter::defaultCenter().addObserver(
          std::move(name), nullptr, [this](const Notification& n) { heard.push_back(n); }));
    }
  }
  std::vector<std::string> names() const {
    std::vector<std::string> out;
    for (const auto& n : heard) out.push_back(n.name);
    return out;
  }
  template <class T>
  T info(std::size_t i, const std::string& key) const {
    return std::any_cast<T>(heard.at(i).userInfo.at(key));
  }
  std::vector<Notification> heard;
  std::vector<ObserverToken> tokens;
};

// Renders a view's tree at `scale`.
inline std::shared_ptr<Image> renderTree(View& view, double scale = 1) {
  view.updateTree();
  RenderOptions options;
  options.scale = scale;
  return renderLayer(*view.layer(), options);
}

// How many pixels two images differ in; -1 when their sizes differ.
inline long differingPixels(const Image& a, const Image& b) {
  const Bitmap &x = *a.bitmap(), &y = *b.bitmap();
  if (x.width() != y.width() || x.height() != y.height()) return -1;
  long n = 0;
  for (int row = 0; row < x.height(); ++row) {
    for (int col = 0; col < x.width(); ++col) n += x.pixel(col, row) != y.pixel(col, row);
  }
  return n;
}

// A controller that notes what happens to it in a shared log as "<name> <event>"; appearance
// events done animated end in "+". Its view is blue.
class Logged : public ViewController {
 public:
  static std::shared_ptr<Logged> create(std::string name, std::vector<std::string>* log,
                                        StatusBarStyle style = StatusBarStyle::Default) {
    auto vc = Object::make<Logged>();
    vc->name_ = std::move(name);
    vc->log_ = log;
    vc->style_ = style;
    return vc;
  }
  void loadView() override {
    note("loadView");
    auto view = View::create(makeRect(0, 0, 10, 10));
    view->setBackgroundColor(Color::blue());
    setView(view);
  }
  void viewDidLoad() override { note("viewDidLoad"); }
  void viewWillAppear(bool animated) override { note("willAppear", animated); }
  void viewDidAppear(bool animated) override { note("didAppear", animated); }
  void viewWillDisappear(bool animated) override { note("willDisappear", animated); }
  void viewDidDisappear(bool animated) override { note("didDisappear", animated); }
  void willMoveToParentViewController(const std::shared_ptr<ViewController>& p) override {
    note(p ? "willMove" : "willMove-");
  }
  void didMoveToParentViewController(const std::shared_ptr<ViewController>& p) override {
    note(p ? "didMove" : "didMove-");
  }
  StatusBarStyle preferredStatusBarStyle() const override { return style_; }

  explicit Logged(Key key) : ViewController(std::move(key)) {}

 private:
  void note(const std::string& what, bool animated = false) {
    log_->push_back(name_ + " " + what + (animated ? "+" : ""));
  }
  std::string name_;
  std::vector<std::string>* log_ = nullptr;
  StatusBarStyle style_ = StatusBarStyle::Default;
};

}  // namespace platform::ui_test
