// The picker's interface, built in code: a dimmed screen with the panel at its foot.
#include <memory>

#include "platform/ui/Screen.h"
#include "platform/ui/TapGestureRecognizer.h"
#include "ui/components/datepicker/DTDatePickerViewController.h"

namespace sprout {

using platform::Button;
using platform::Color;
using platform::makeRect;

namespace {

constexpr double kMargin = 10;
constexpr double kBarHeight = 44;
constexpr double kSeparator = 0.5;
constexpr Color kDim = Color::rgba(0, 0, 0, 0.4);
constexpr Color kPanelColor = Color::rgba(0.13, 0.16, 0.21, 0.96);

}  // namespace

void DTDatePickerViewController::loadView() {
  const platform::Rect screen = platform::Screen::main().bounds();
  auto root = platform::View::create(screen);
  root->setBackgroundColor(kDim);
  const double width = screen.size.width - 2 * kMargin;
  const double pickerHeight = platform::PickerView::kDefaultHeight;
  const double height = kBarHeight + kSeparator + pickerHeight + kSeparator + kBarHeight;
  panel_ = platform::View::create(
      makeRect(kMargin, screen.size.height - height - kMargin, width, height));
  panel_->setBackgroundColor(kPanelColor);
  panel_->setClipsToBounds(true);
  root->addSubview(panel_);

  previous_ = Button::create(makeRect(0, 0, 60, kBarHeight));
  previous_->setTitle("<", platform::ControlStateNormal);
  next_ = Button::create(makeRect(width - 60, 0, 60, kBarHeight));
  next_->setTitle(">", platform::ControlStateNormal);
  monthLabel_ = platform::Label::create(makeRect(60, 0, width - 120, kBarHeight));
  monthLabel_->setTextAlignment(platform::TextAlignment::Center);
  separators_[0] = platform::View::create(makeRect(0, kBarHeight, width, kSeparator));
  pickerView_ =
      platform::PickerView::create(makeRect(0, kBarHeight + kSeparator, width, pickerHeight));
  const double bottom = kBarHeight + kSeparator + pickerHeight;
  separators_[1] = platform::View::create(makeRect(0, bottom, width, kSeparator));
  back_ = Button::create(makeRect(0, bottom + kSeparator, width / 2, kBarHeight));
  confirm_ = Button::create(makeRect(width / 2, bottom + kSeparator, width / 2, kBarHeight));
  separators_[2] =
      platform::View::create(makeRect(width / 2, bottom + kSeparator, kSeparator, kBarHeight));
  for (const auto& view : std::initializer_list<std::shared_ptr<platform::View>>{
           previous_, monthLabel_, next_, separators_[0], pickerView_, separators_[1], back_,
           confirm_, separators_[2]}) {
    panel_->addSubview(view);
  }

  std::weak_ptr<DTDatePickerViewController> weak = self<DTDatePickerViewController>();
  auto on = [weak](void (DTDatePickerViewController::*action)()) {
    return [weak, action](platform::Control&) {
      if (auto picker = weak.lock()) ((*picker).*action)();
    };
  };
  previous_->addTarget(on(&DTDatePickerViewController::jumpToPreviousMonth),
                       platform::ControlEventTouchUpInside);
  next_->addTarget(on(&DTDatePickerViewController::jumpToNextMonth),
                   platform::ControlEventTouchUpInside);
  confirm_->addTarget(on(&DTDatePickerViewController::confirmDate),
                      platform::ControlEventTouchUpInside);
  back_->addTarget(on(&DTDatePickerViewController::quitPicking),
                   platform::ControlEventTouchUpInside);
  setView(root);
}

void DTDatePickerViewController::styleButton(Button& button, bool monthButton) {
  button.setTitleColor(mainColor_, platform::ControlStateNormal);
  button.setTitleColor(mainColor_.withAlpha(0.7), platform::ControlStateHighlighted);
  if (monthButton) button.setTitleColor(mainColor_.withAlpha(0.3), platform::ControlStateDisabled);
}

void DTDatePickerViewController::viewDidLoad() {
  ViewController::viewDidLoad();
  pickerView_->setDataSource(self<DTDatePickerViewController>());
  pickerView_->setDelegate(self<DTDatePickerViewController>());
  for (long c = kDay; c <= kMinute; ++c) {
    pickerView_->selectRow(defaultRowValueForComponent(c), c, false);
  }
  // The wheels show the start time first; only then are they held inside the limits, so a
  // start after the earliest moment keeps its own time.
  const auto parts =
      calendar_.components(platform::CalendarUnitHour | platform::CalendarUnitMinute, date());
  setPickerView(kHour, parts.hour.value_or(0), false, false);
  setPickerView(kMinute, parts.minute.value_or(0), false, false);
  didSelectRow(*pickerView_, pickerView_->selectedRowInComponent(kDay), kDay);

  panel_->layer()->setCornerRadius(10);
  panel_->layer()->setBorderColor(mainColor_);
  panel_->layer()->setBorderWidth(1);
  for (const auto& separator : separators_) separator->setBackgroundColor(mainColor_);
  monthLabel_->setTextColor(mainColor_);
  styleButton(*previous_, true);
  styleButton(*next_, true);
  confirm_->setTitle(confirmButtonTitle(), platform::ControlStateNormal);
  styleButton(*confirm_, false);
  back_->setTitle(backButtonTitle(), platform::ControlStateNormal);
  styleButton(*back_, false);

  // A tap outside the panel cancels; the panel's own recognizer keeps taps inside from counting.
  std::weak_ptr<DTDatePickerViewController> weak = self<DTDatePickerViewController>();
  auto outside = platform::TapGestureRecognizer::create([weak](platform::GestureRecognizer& tap) {
    auto picker = weak.lock();
    if (!picker) return;
    const auto& panel = picker->panel_;
    if (panel->pointInside(tap.locationInView(panel.get()), nullptr)) return;
    picker->cancelTapGesture();
  });
  outside->setCancelsTouchesInView(false);
  view()->addGestureRecognizer(outside);
  auto inside = platform::TapGestureRecognizer::create();
  inside->setCancelsTouchesInView(false);
  panel_->addGestureRecognizer(inside);
}

}  // namespace sprout
