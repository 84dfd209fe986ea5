// What the keyboard manager adds to one keyboard show on a form of 50 text fields in a scroll
// view: finding the field's neighbours, giving every field its previous/next/done bar, scrolling
// the field above the keyboard, and putting everything back when the keyboard hides.
// "PlatformOnly" is the baseline: the same focus change and keyboard slide with the manager
// switched off. "ManagerOn" reuses the bars of an earlier show; "ManagerFirstShow" builds all 50
// bars again each time. The target is 1/8 of a 60 Hz frame (2.08 ms) for the manager's part.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "platform/dispatch/RunLoop.h"
#include "platform/dispatch/ScopedVirtualClock.h"
#include "platform/ui/ApplicationWindows.h"
#include "platform/ui/KeyboardSimulator.h"
#include "platform/ui/Screen.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"
#include "platform/ui/scroll/ScrollView.h"
#include "platform/ui/text/TextField.h"
#include "ui/support/keyboard/KBKeyboardManager.h"

namespace {

using platform::makeRect;

constexpr int kFields = 50;

struct Form {
  platform::ScopedVirtualClock clock;
  std::shared_ptr<platform::Window> window;
  std::vector<std::shared_ptr<platform::TextField>> fields;

  Form() {
    platform::Screen::main().setBounds(makeRect(0, 0, 320, 568));
    window = platform::Window::create(makeRect(0, 0, 320, 568));
    auto root = platform::ViewController::create();
    window->setRootViewController(root);
    window->makeKeyAndVisible();
    auto scroll = platform::ScrollView::create(makeRect(0, 64, 320, 504));
    scroll->setContentSize({320, kFields * 50.0});
    root->view()->addSubview(scroll);
    for (int i = 0; i < kFields; ++i) {
      auto field = platform::TextField::create(makeRect(16, 8 + i * 50.0, 288, 34));
      field->setPlaceholder("Field");
      scroll->addSubview(field);
      fields.push_back(field);
    }
    window->layoutIfNeeded();
  }
  ~Form() {
    fields.back()->resignFirstResponder();
    platform::RunLoop::main().advance(1);
    platform::KeyboardSimulator::shared().reset();
    platform::ApplicationWindows::shared().reset();
    platform::RunLoop::main().runPending();
  }

  // One keyboard show for a field in the middle of the form, and its hide.
  void showAndHide() {
    auto& field = fields[kFields / 2 + 3];
    field->becomeFirstResponder();
    platform::RunLoop::main().advance(0.3);  // the slide ends: did-show
    field->resignFirstResponder();
    platform::RunLoop::main().advance(0.3);
  }
};

void run(benchmark::State& state, bool managerOn, bool rebuildBars) {
  auto manager = sprout::KBKeyboardManager::sharedManager();
  manager->setEnable(managerOn);
  Form form;
  form.showAndHide();  // warm: bars made, caches filled
  for (auto _ : state) {
    if (rebuildBars) {
      state.PauseTiming();
      for (auto& field : form.fields) field->setInputAccessoryView(nullptr);
      state.ResumeTiming();
    }
    form.showAndHide();
  }
  manager->setEnable(true);
  state.counters["fields"] = kFields;
}

void PlatformOnly(benchmark::State& state) { run(state, false, false); }
void ManagerOn(benchmark::State& state) { run(state, true, false); }
void ManagerFirstShow(benchmark::State& state) { run(state, true, true); }

BENCHMARK(PlatformOnly)->Unit(benchmark::kMicrosecond);
BENCHMARK(ManagerOn)->Unit(benchmark::kMicrosecond);
BENCHMARK(ManagerFirstShow)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
