#include "platform/ui/controllers/AlertController.h"

#include <algorithm>

#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/Screen.h"
#include "platform/ui/controllers/AlertControllerTextField.h"

namespace platform {
namespace {

std::vector<AlertController::Presentation>& records() {
  static std::vector<AlertController::Presentation> list;  // main thread only
  return list;
}

constexpr double kBoxWidth = 270;
constexpr double kRowHeight = 44;

}  // namespace

std::shared_ptr<AlertAction> AlertAction::create(std::string title, AlertActionStyle style,
                                                 Handler handler) {
  auto action = make<AlertAction>();
  action->title_ = std::move(title);
  action->style_ = style;
  action->handler_ = std::move(handler);
  return action;
}

std::shared_ptr<AlertController> AlertController::create(std::string title, std::string message,
                                                         AlertControllerStyle style) {
  auto alert = make<AlertController>();
  alert->setTitle(std::move(title));
  alert->message_ = std::move(message);
  alert->style_ = style;
  alert->setModalPresentationStyle(ModalPresentationStyle::OverFullScreen);
  return alert;
}

AlertController::~AlertController() = default;

void AlertController::addAction(std::shared_ptr<AlertAction> action) {
  if (action) actions_.push_back(std::move(action));
}

void AlertController::addTextFieldWithConfigurationHandler(
    std::function<void(TextField&)> configure) {
  if (style_ != AlertControllerStyle::Alert) return;  // action sheets take no text
  auto field = AlertControllerTextField::create();
  field->setBorderStyle(TextBorderStyle::Line);
  field->setFont(Font::systemFont(13));
  if (configure) configure(*field);
  fields_.push_back(std::move(field));
}

std::vector<std::shared_ptr<TextField>> AlertController::textFields() const {
  return {fields_.begin(), fields_.end()};
}

void AlertController::chooseAction(std::size_t index) {
  if (index >= actions_.size() || !actions_[index]->isEnabled()) return;
  auto action = actions_[index];
  auto keep = self<AlertController>();
  dismissViewControllerAnimated(true);
  if (action->handler()) action->handler()(*action);
}

const std::vector<AlertController::Presentation>& AlertController::presentations() {
  return records();
}

void AlertController::clearPresentations() { records().clear(); }

void AlertController::viewWillAppear(bool /*animated*/) {
  Presentation p{title(), message_, {}};
  for (const auto& a : actions_) p.actionTitles.push_back(a->title());
  records().push_back(std::move(p));
}

void AlertController::loadView() {
  auto dim = View::create(Screen::main().bounds());
  dim->setBackgroundColor(Color::black().withAlpha(0.4));
  auto box = View::create();
  box->setBackgroundColor(Color::white(0.97));
  box->layer()->setCornerRadius(13);
  double y = 20;
  for (const auto& [text, font] :
       {std::pair{title(), Font::boldSystemFont(17)}, std::pair{message_, Font::systemFont(13)}}) {
    if (text.empty()) continue;
    auto label = Label::create();
    label->setText(text);
    label->setFont(font);
    label->setNumberOfLines(0);
    label->setTextAlignment(TextAlignment::Center);
    const double h = label->sizeThatFits({kBoxWidth - 32, 0}).height;
    label->setFrame(makeRect(16, y, kBoxWidth - 32, h));
    box->addSubview(label);
    y += h + 6;
  }
  for (const auto& field : fields_) {
    field->setFrame(makeRect(16, y + 4, kBoxWidth - 32, 26));
    box->addSubview(field);
    y += 34;
  }
  y += 12;
  std::weak_ptr<AlertController> weak = self<AlertController>();
  for (std::size_t i = 0; i < actions_.size(); ++i) {
    auto button = Button::create(makeRect(0, y, kBoxWidth, kRowHeight), ButtonType::System);
    button->setTitle(actions_[i]->title(), ControlStateNormal);
    button->addTarget(
        [weak, i](Control&) {
          if (auto alert = weak.lock()) alert->chooseAction(i);
        },
        ControlEventTouchUpInside);
    box->addSubview(button);
    y += kRowHeight;
  }
  const Rect screen = Screen::main().bounds();
  box->setFrame(makeRect((width(screen) - kBoxWidth) / 2, (height(screen) - y) / 2, kBoxWidth, y));
  dim->addSubview(box);
  setView(dim);
}

}  // namespace platform
