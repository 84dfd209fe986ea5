#include "platform/ui/controllers/AlertController.h"

#include "platform/dispatch/MainThread.h"

#include <algorithm>

#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/Button.h"
#include "platform/ui/KeyboardSimulator.h"
#include "platform/ui/Label.h"
#include "platform/ui/Screen.h"
#include "platform/ui/controllers/AlertControllerTextField.h"
#include "platform/ui/scroll/ScrollView.h"

namespace platform {
namespace {

std::vector<AlertController::Presentation>& records() {
  assertMainThread("AlertController's presentation records");
  static std::vector<AlertController::Presentation> list;
  return list;
}

constexpr double kBoxWidth = 270;
constexpr double kRowHeight = 44;
constexpr double kTopMargin = 20;
constexpr double kScreenMargin = 20;  // kept clear above and below a box the texts would overfill
constexpr double kMinTextsHeight = 44;

// Puts the labels (stacked from 0, `textsHeight` in all) in the box below its top margin, `rest`
// being the height of all else in it; answers the height they take there. Texts too long for the
// screen scroll inside the box, so the buttons below them stay on it.
double placeTexts(View& box, const std::vector<std::shared_ptr<Label>>& labels, double textsHeight,
                  double rest) {
  const double room = height(Screen::main().bounds()) - 2 * kScreenMargin - rest;
  if (textsHeight <= room) {
    for (const auto& label : labels) {
      const Rect f = label->frame();
      label->setFrame(makeRect(minX(f), minY(f) + kTopMargin, width(f), height(f)));
      box.addSubview(label);
    }
    return textsHeight;
  }
  const double shown = std::max(kMinTextsHeight, room);
  auto scroll = ScrollView::create(makeRect(0, kTopMargin, kBoxWidth, shown));
  scroll->setContentSize({kBoxWidth, textsHeight});
  for (const auto& label : labels) scroll->addSubview(label);
  box.addSubview(scroll);
  return shown;
}

// The dimmed screen behind the alert. It keeps the box centred in what the keyboard leaves of it,
// so the buttons stay on screen when the device turns or a text field brings the keyboard up.
class AlertDimView : public View {
 public:
  void setBox(std::shared_ptr<View> box) {
    box_ = std::move(box);
    addSubview(box_);
    placeBox();
  }
  void layoutSubviews() override { placeBox(); }

  explicit AlertDimView(Key key, const Rect& frame) : View(std::move(key), frame) {}

 protected:
  void didInit() override {
    View::didInit();
    std::weak_ptr<AlertDimView> weak = self<AlertDimView>();
    for (const char* name : {kKeyboardWillShowNotification, kKeyboardWillHideNotification}) {
      tokens_.push_back(NotificationCenter::defaultCenter().addObserver(
          name, nullptr, [weak](const Notification&) {
            if (auto view = weak.lock()) view->placeBox();
          }));
    }
  }

 private:
  void placeBox() {
    if (!box_) return;
    const Rect b = bounds();
    double bottom = height(b);
    const auto& keyboard = KeyboardSimulator::shared();
    if (keyboard.isVisible() && window()) {
      bottom = std::clamp(minY(convertRectFrom(keyboard.frame(), nullptr)), 0.0, bottom);
    }
    const double h = height(box_->frame());
    box_->setFrame(
        makeRect((width(b) - kBoxWidth) / 2, std::max(0.0, (bottom - h) / 2), kBoxWidth, h));
  }

  std::shared_ptr<View> box_;
  std::vector<ObserverToken> tokens_;
};

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
    const std::function<void(TextField&)>& configure) {
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
  auto dim = Object::make<AlertDimView>(Screen::main().bounds());
  dim->setBackgroundColor(Color::black().withAlpha(0.4));
  auto box = View::create();
  box->setBackgroundColor(Color::white(0.97));
  box->layer()->setCornerRadius(13);
  std::vector<std::shared_ptr<Label>> labels;
  double textsHeight = 0;
  for (const auto& [text, font] :
       {std::pair{title(), Font::boldSystemFont(17)}, std::pair{message_, Font::systemFont(13)}}) {
    if (text.empty()) continue;
    auto label = Label::create();
    label->setText(text);
    label->setFont(font);
    label->setNumberOfLines(0);
    label->setTextAlignment(TextAlignment::Center);
    const double h = label->sizeThatFits({kBoxWidth - 32, 0}).height;
    label->setFrame(makeRect(16, textsHeight, kBoxWidth - 32, h));
    labels.push_back(std::move(label));
    textsHeight += h + 6;
  }
  double y = kTopMargin;
  y += placeTexts(*box, labels, textsHeight,
                  kTopMargin + 34.0 * static_cast<double>(fields_.size()) + 12 +
                      kRowHeight * static_cast<double>(actions_.size()));
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
  box->setFrame(makeRect(0, 0, kBoxWidth, y));
  dim->setBox(box);
  setView(dim);
}

}  // namespace platform
