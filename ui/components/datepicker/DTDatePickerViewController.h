#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/foundation/Calendar.h"
#include "platform/foundation/Date.h"
#include "platform/foundation/DateFormatter.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/scroll/PickerView.h"
#include "ui/components/datepicker/DTDatePickerViewControllerDelegate.h"

namespace sprout {

// A modal panel for choosing a day, an hour and a minute: three wheels (the day wheel covers
// 6000 days around `date`, the hour and minute wheels repeat their values 200 times), a month
// caption with previous and next buttons, confirm and back. The picked moment is kept between
// minDate and maxDate by turning the wheels back into range.
class DTDatePickerViewController : public platform::ViewController,
                                   public platform::PickerViewDataSource,
                                   public platform::PickerViewDelegate {
 public:
  enum Component : long { kDay = 0, kHour = 1, kMinute = 2 };
  static constexpr long kDayRealRows = 30;
  static constexpr long kRepeats = 200;
  static constexpr long kDayStartRow = 3000;  // the day of `date`
  static constexpr long kEdgeRows = 30;       // default limits: this many rows from either end
  static constexpr double kTitleFontSize = 17;

  static std::shared_ptr<DTDatePickerViewController> create();

  std::shared_ptr<DTDatePickerViewControllerDelegate> delegate() const { return delegate_.lock(); }
  void setDelegate(const std::shared_ptr<DTDatePickerViewControllerDelegate>& d) { delegate_ = d; }
  bool shouldDismissOnCancelTouch() const { return dismissOnCancelTouch_; }
  void setDismissOnCancelTouch(bool v) { dismissOnCancelTouch_ = v; }
  unsigned long minuteStep() const { return minuteStep_; }
  // Steps outside 1…60 are refused (the wheel would have no rows or one that never steps).
  void setMinuteStep(unsigned long step);
  platform::Color mainColor() const { return mainColor_; }
  void setMainColor(const platform::Color& color) { mainColor_ = color; }

  const platform::Date& date();
  void setDate(const platform::Date& date);
  // Dropped when later than `date`.
  const platform::Date& minDate();
  void setMinDate(const platform::Date& date);
  // Dropped when earlier than `date`.
  const platform::Date& maxDate();
  void setMaxDate(const platform::Date& date);
  platform::DateFormatter& dateFormatter();
  platform::DateFormatter& monthAndYearLabelDateFormater();
  const std::string& confirmButtonTitle();
  void setConfirmButtonTitle(std::string title) { confirmButtonTitle_ = std::move(title); }
  const std::string& backButtonTitle();
  void setBackButtonTitle(std::string title) { backButtonTitle_ = std::move(title); }
  const platform::Calendar& calendar() const { return calendar_; }

  // The interface, built in loadView.
  const std::shared_ptr<platform::View>& pickerBackgroundView() const { return panel_; }
  const std::shared_ptr<platform::PickerView>& pickerView() const { return pickerView_; }
  const std::shared_ptr<platform::Label>& monthAndYearLabel() const { return monthLabel_; }
  const std::shared_ptr<platform::Button>& monthPreviousButton() const { return previous_; }
  const std::shared_ptr<platform::Button>& monthNextButton() const { return next_; }
  const std::shared_ptr<platform::Button>& confirmButton() const { return confirm_; }
  const std::shared_ptr<platform::Button>& backButton() const { return back_; }
  const std::shared_ptr<platform::View>& separatorView(int i) const { return separators_[i]; }

  // The wheels.
  long realNumberOfRowsInComponent(long component) const;
  long defaultRowValueForComponent(long component) const;
  long minRowIndex();
  long maxRowIndex();
  platform::Date dateForRow(long row);
  std::string stringDateForRow(long row);
  // The day of the selected day row at the selected hour and minute, second 0.
  platform::Date dateWithSelectedTime();
  // Turns a wheel to the first row (forwards, or backwards when decrementing) whose value
  // reaches `value`.
  void setPickerView(long component, long value, bool decrementing, bool animated);

  bool isDateSameDayAsDate(const platform::Date& a, const platform::Date& b) const;
  long daysInMonth(const platform::Date& date) const;
  long daysBetweenDate(const platform::Date& from, const platform::Date& to) const;

  void jumpToPreviousMonth();
  void jumpToNextMonth();
  void confirmDate();
  void quitPicking();
  void cancelTapGesture();

  void loadView() override;
  void viewDidLoad() override;
  void viewDidAppear(bool animated) override;
  void viewDidDisappear(bool animated) override;
  // Light while the panel is up, whoever asks the controllers.
  platform::StatusBarStyle preferredStatusBarStyle() const override {
    return platform::StatusBarStyle::LightContent;
  }

  long numberOfComponentsInPickerView(platform::PickerView& pickerView) override;
  long numberOfRowsInComponent(platform::PickerView& pickerView, long component) override;
  std::optional<double> widthForComponent(platform::PickerView& pickerView,
                                          long component) override;
  std::optional<platform::AttributedString> attributedTitleForRow(platform::PickerView& pickerView,
                                                                  long row,
                                                                  long component) override;
  void didSelectRow(platform::PickerView& pickerView, long row, long component) override;

  explicit DTDatePickerViewController(Key key);

 private:
  long valueForRow(long row, long component) const;
  long clampRow(long row, long component) const;
  void computeRowLimits();
  void clampTimeToLimits(long dayRow);
  void leave(unsigned long method, bool pickFirst);
  void styleButton(platform::Button& button, bool monthButton);

  std::weak_ptr<DTDatePickerViewControllerDelegate> delegate_;
  platform::Calendar calendar_;
  std::optional<platform::Date> date_, minDate_, maxDate_;
  std::unique_ptr<platform::DateFormatter> dateFormatter_, monthFormatter_;
  std::optional<std::string> confirmButtonTitle_, backButtonTitle_;
  platform::Color mainColor_ = platform::Color::whiteColor();
  unsigned long minuteStep_ = 5;
  long minRowIndex_ = -1;
  long maxRowIndex_ = -1;
  platform::StatusBarStyle previousStatusBarStyle_ = platform::StatusBarStyle::Default;
  bool dismissOnCancelTouch_ = true;

  std::shared_ptr<platform::View> panel_;
  std::shared_ptr<platform::View> separators_[3];
  std::shared_ptr<platform::PickerView> pickerView_;
  std::shared_ptr<platform::Label> monthLabel_;
  std::shared_ptr<platform::Button> previous_, next_, confirm_, back_;
};

}  // namespace sprout
