#include "app/SPLeavesViewController.h"

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
