// The leave form with the keyboard up: the field being edited hidden by the keyboard while the
// keyboard manager is off, then scrolled above it once the manager is on, the previous / next /
// done bar with the field's placeholder as title, and the notes view's placeholder. The simulated
// keyboard draws nothing, so a grey block stands where its keys would be, with the field's bar
// (its real accessory view) on top. Time runs on a virtual clock so every slide has ended.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "catalog/Scenes.h"
#include "platform/dispatch/RunLoop.h"
#include "platform/foundation/Clock.h"
#include "platform/render/RenderView.h"
#include "platform/ui/ApplicationWindows.h"
#include "platform/ui/KeyboardSimulator.h"
#include "platform/ui/Label.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controllers/NavigationItem.h"
#include "platform/ui/scroll/ScrollView.h"
#include "platform/ui/text/TextField.h"
#include "ui/support/keyboard/KBKeyboardManager.h"
#include "ui/support/keyboard/KBTextView.h"
#include "ui/support/keyboard/KBToolbar.h"

namespace catalog {
namespace {

using platform::Color;
using platform::makeRect;

constexpr platform::Rect kPhone{{0, 0}, {320, 568}};

struct Form {
  std::shared_ptr<platform::Window> window;
  std::shared_ptr<platform::ScrollView> scroll;
  std::vector<std::shared_ptr<platform::TextField>> fields;
  std::shared_ptr<sprout::KBTextView> notes;
};

std::shared_ptr<platform::Label> caption(const std::string& text, double y) {
  auto label = platform::Label::create(makeRect(16, y, 288, 20));
  label->setText(text);
  label->setFont(platform::Font::systemFont(13));
  label->setTextColor(Color::hex(0x666666));
  label->setBackgroundColor(Color::clear());
  return label;
}

Form buildLeaveForm() {
  Form form;
  auto content = platform::ViewController::create();
  content->navigationItem()->setTitle("请假申请");
  auto nav = platform::NavigationController::create(content);
  form.window = platform::Window::create(kPhone);
  form.window->setRootViewController(nav);
  form.window->makeKeyAndVisible();
  auto view = content->view();
  view->setBackgroundColor(Color::hex(0xF4F6F4));
  form.scroll = platform::ScrollView::create(makeRect(0, 64, 320, 504));
  form.scroll->setBackgroundColor(Color::clear());
  form.scroll->setContentSize({320, 640});
  view->addSubview(form.scroll);
  const std::vector<std::pair<std::string, std::string>> rows = {
      {"孩子姓名", "请输入孩子姓名"}, {"班级", "例如：大一班"},   {"请假类型", "病假 / 事假"},
      {"开始日期", "2024-03-18"},     {"结束日期", "2024-03-19"}, {"联系电话", "请输入家长手机号"}};
  double y = 12;
  for (const auto& [title, placeholder] : rows) {
    form.scroll->addSubview(caption(title, y));
    auto field = platform::TextField::create(makeRect(16, y + 22, 288, 34));
    field->setBorderStyle(platform::TextBorderStyle::RoundedRect);
    field->setBackgroundColor(Color::whiteColor());
    field->setPlaceholder(placeholder);
    field->setFont(platform::Font::systemFont(15));
    form.scroll->addSubview(field);
    form.fields.push_back(field);
    y += 66;
  }
  form.scroll->addSubview(caption("请假原因", y));
  form.notes = sprout::KBTextView::create(makeRect(16, y + 22, 288, 90));
  form.notes->setFont(platform::Font::systemFont(15));
  form.notes->setPlaceholder("请简要说明请假原因，方便老师安排");
  form.scroll->addSubview(form.notes);
  form.fields.front()->setText("王小明");
  form.fields[1]->setText("大一班");
  return form;
}

class KeyboardStage {
 public:
  explicit KeyboardStage(Catalog& catalog)
      : catalog_(catalog),
        clock_(std::make_shared<platform::VirtualClock>()),
        savedScreen_(platform::Screen::main().bounds()) {
    platform::Clock::setCurrent(clock_);
    platform::Screen::main().setBounds(kPhone);
    platform::KeyboardSimulator::shared().reset();
    keyboardWindow_ = platform::Window::create(kPhone);
    keyboardWindow_->setWindowLevel(platform::kWindowLevelAlert);
    keys_ = platform::View::create();
    keys_->setBackgroundColor(Color::hex(0xD1D5DB));
    keyboardWindow_->addSubview(keys_);
    keyboardWindow_->setUserInteractionEnabled(false);
  }
  ~KeyboardStage() {
    if (auto first = platform::Responder::currentFirstResponder()) first->resignOnLeavingWindow();
    settle();
    platform::KeyboardSimulator::shared().reset();
    keyboardWindow_->setHidden(true);
    sprout::KBKeyboardManager::sharedManager()->setEnable(true);
    platform::Screen::main().setBounds(savedScreen_);
    platform::Clock::setCurrent(nullptr);
  }
  KeyboardStage(const KeyboardStage&) = delete;
  KeyboardStage& operator=(const KeyboardStage&) = delete;

  void settle() {
    platform::RunLoop::main().runPending();
    platform::RunLoop::main().advance(1.0);
  }

  // Draws the keyboard where the simulator says it is, with the responder's bar on top.
  void capture(const std::string& slug, const std::string& what) {
    const auto& keyboard = platform::KeyboardSimulator::shared();
    const auto first = platform::Responder::currentFirstResponder();
    auto bar = first ? first->inputAccessoryView() : nullptr;
    if (shownBar_ && shownBar_ != bar) shownBar_->removeFromSuperview();
    shownBar_ = bar;
    const platform::Rect frame = keyboard.frame();
    const double barHeight = bar ? height(bar->frame()) : 0;
    if (bar) {
      bar->setFrame(makeRect(0, frame.origin.y, width(frame), barHeight));
      keyboardWindow_->addSubview(bar);
    }
    keys_->setFrame(
        makeRect(0, frame.origin.y + barHeight, width(frame), height(frame) - barHeight));
    keyboardWindow_->setHidden(!keyboard.isVisible());
    platform::RenderOptions options;
    options.scale = platform::Screen::main().scale();
    options.background = Color::whiteColor();
    catalog_.addFrame(slug, *platform::renderScreen(options), what);
  }

 private:
  Catalog& catalog_;
  std::shared_ptr<platform::VirtualClock> clock_;
  platform::Rect savedScreen_;
  std::shared_ptr<platform::Window> keyboardWindow_;
  std::shared_ptr<platform::View> keys_;
  std::shared_ptr<platform::View> shownBar_;
};

std::string describe(const Form& form, const sprout::KBKeyboardManager& manager) {
  char text[200];
  std::snprintf(text, sizeof text,
                "\nkeyboard %.0f pt (216 + 44 bar), form scrolled by %.0f, bottom inset %.0f",
                manager.avoidance().keyboardSize().height, form.scroll->contentOffset().y,
                form.scroll->contentInset().bottom);
  return text;
}

}  // namespace

void sceneKeyboardAvoidance(Catalog& catalog) {
  KeyboardStage stage(catalog);
  auto manager = sprout::KBKeyboardManager::sharedManager();
  Form form = buildLeaveForm();
  stage.settle();
  stage.capture("form", "The leave form, nothing edited");

  manager->setEnable(false);
  form.fields[4]->becomeFirstResponder();  // 结束日期, low on the screen
  stage.settle();
  stage.capture("covered", "Manager off: editing 结束日期, the field is behind the keyboard");

  manager->setEnable(true);  // takes up the keyboard that is already there
  stage.settle();
  stage.capture("moved", "Manager on: the form scrolls the field above the keyboard" +
                             describe(form, *manager));

  manager->goNext();
  stage.settle();
  stage.capture("next", "Next: 联系电话, previous and next enabled, its placeholder as title" +
                            describe(form, *manager));

  manager->goNext();
  stage.settle();
  stage.capture("notes",
                "Next again: the notes view, last in the form (next disabled), "
                "with its grey placeholder" +
                    describe(form, *manager));

  manager->doneAction(*form.notes);
  stage.settle();
  char after[160];
  std::snprintf(after, sizeof after,
                "Done: editing ends and the bottom inset goes; the form keeps its scroll, held "
                "at the end of its content (offset %.0f)",
                form.scroll->contentOffset().y);
  stage.capture("done", after);
}

}  // namespace catalog
