#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "platform/foundation/Date.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/text/TextField.h"
#include "ui/components/datepicker/DTDatePickerViewController.h"

namespace sprout {

// The leave form: a choice button that opens the date picker (with the last picked date, if any)
// and then shows the picked moment as "yyyy-M-d H:m", and the typed fields below it, which the
// app's keyboard manager keeps above the keyboard and links with its previous / next / done bar.
class SPLeavesViewController : public platform::ViewController,
                               public DTDatePickerViewControllerDelegate {
 public:
  static std::shared_ptr<SPLeavesViewController> create();

  const std::shared_ptr<platform::Button>& chooseButton() const { return chooseButton_; }
  const std::optional<platform::Date>& selectedDate() const { return selectedDate_; }
  // Child's name, days, parent's phone, reason: top to bottom, in the keyboard bar's order.
  const std::vector<std::shared_ptr<platform::TextField>>& fields() const { return fields_; }
  // Ends typing in the fields, presents a new picker over the form and returns it.
  std::shared_ptr<DTDatePickerViewController> choose();

  void viewDidLoad() override;
  void dtDatePickerPickedDate(const platform::Date& date) override;

  static constexpr const char* kPromptTitle = "请选择请假时间";

  explicit SPLeavesViewController(Key key) : platform::ViewController(std::move(key)) {}

 private:
  std::shared_ptr<platform::Label> caption_;
  std::shared_ptr<platform::Button> chooseButton_;
  std::optional<platform::Date> selectedDate_;
  // The typed part of the form.
  void addFields();
  std::vector<std::shared_ptr<platform::Label>> fieldCaptions_;
  std::vector<std::shared_ptr<platform::TextField>> fields_;
};

}  // namespace sprout
