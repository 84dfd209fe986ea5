#include "app/SPLeavesViewController.h"

#include <string>
#include <utility>

#include "platform/foundation/DateFormatter.h"

namespace sprout {

using platform::makeRect;

std::shared_ptr<SPLeavesViewController> SPLeavesViewController::create() {
  return platform::Object::make<SPLeavesViewController>();
}

void SPLeavesViewController::viewDidLoad() {
  ViewController::viewDidLoad();
  setTitle("请假");
  view()->setBackgroundColor(platform::Color::white(0.95));
  const double width = view()->bounds().size.width;
  caption_ = platform::Label::create(makeRect(15, 80, width - 30, 24));
  caption_->setText("开始时间");
  caption_->setTextColor(platform::Color::darkGray());
  view()->addSubview(caption_);
  chooseButton_ = platform::Button::create(makeRect(15, 110, width - 30, 44));
  chooseButton_->setBackgroundColor(platform::Color::whiteColor());
  chooseButton_->setTitle(std::string(kPromptTitle), platform::ControlStateNormal);
  chooseButton_->setTitleColor(platform::Color::black(), platform::ControlStateNormal);
  std::weak_ptr<SPLeavesViewController> weak = self<SPLeavesViewController>();
  chooseButton_->addTarget(
      [weak](platform::Control&) {
        if (auto form = weak.lock()) form->choose();
      },
      platform::ControlEventTouchUpInside);
  view()->addSubview(chooseButton_);
  addFields();
}

std::shared_ptr<DTDatePickerViewController> SPLeavesViewController::choose() {
  // The keyboard stays above every window: left up, it would cover the panel at the screen's foot.
  for (const auto& field : fields_) {
    if (field->isFirstResponder()) field->resignFirstResponder();
  }
  auto picker = DTDatePickerViewController::create();
  if (selectedDate_) picker->setDate(*selectedDate_);
  picker->setDelegate(self<SPLeavesViewController>());
  presentViewController(picker, true);
  return picker;
}

void SPLeavesViewController::dtDatePickerPickedDate(const platform::Date& date) {
  platform::DateFormatter formatter;
  formatter.setLocaleIdentifier("zh_CN");
  formatter.setDateFormat("yyyy-M-d H:m");
  chooseButton_->setTitle(formatter.stringFromDate(date), platform::ControlStateNormal);
  selectedDate_ = date;
}

}  // namespace sprout

// The leave form's typed fields. They live straight in the controller's view, so the keyboard
// manager lifts the whole screen for the low ones.
namespace sprout {

namespace {

constexpr double kFirstCaptionY = 170;
constexpr double kRowPitch = 66;
constexpr double kCaptionHeight = 22;
constexpr double kFieldHeight = 34;

}  // namespace

void SPLeavesViewController::addFields() {
  const std::pair<const char*, const char*> rows[] = {{"孩子姓名", "请输入孩子姓名"},
                                                      {"请假天数", "例如：2"},
                                                      {"联系电话", "请输入家长手机号"},
                                                      {"请假原因", "请简要说明请假原因"}};
  const double width = view()->bounds().size.width;
  double y = kFirstCaptionY;
  for (const auto& [title, placeholder] : rows) {
    auto caption = platform::Label::create(platform::makeRect(15, y, width - 30, kCaptionHeight));
    caption->setText(title);
    caption->setTextColor(platform::Color::darkGray());
    view()->addSubview(caption);
    fieldCaptions_.push_back(caption);
    auto field = platform::TextField::create(
        platform::makeRect(15, y + kCaptionHeight + 2, width - 30, kFieldHeight));
    field->setBorderStyle(platform::TextBorderStyle::RoundedRect);
    field->setBackgroundColor(platform::Color::whiteColor());
    field->setPlaceholder(placeholder);
    field->setFont(platform::Font::systemFont(15));
    view()->addSubview(field);
    fields_.push_back(field);
    y += kRowPitch;
  }
}

}  // namespace sprout
