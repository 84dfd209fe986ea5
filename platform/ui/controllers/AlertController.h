#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/ViewController.h"
#include "platform/ui/controllers/AlertAction.h"

namespace platform {

class AlertControllerTextField;
class TextField;

enum class AlertControllerStyle { ActionSheet = 0, Alert = 1 };

// An alert or action sheet: title, message, text fields (alert style only) and actions, shown
// when presented. Every presentation is recorded (presentations()), so tests and the catalog can
// see what the user was asked; chooseAction stands in for a tap on a button: the alert goes away,
// then the action's handler runs.
class AlertController : public ViewController {
 public:
  static std::shared_ptr<AlertController> create(std::string title, std::string message,
                                                 AlertControllerStyle style);
  ~AlertController() override;

  const std::string& message() const { return message_; }
  AlertControllerStyle preferredStyle() const { return style_; }
  void addAction(std::shared_ptr<AlertAction> action);
  const std::vector<std::shared_ptr<AlertAction>>& actions() const { return actions_; }
  void addTextFieldWithConfigurationHandler(const std::function<void(TextField&)>& configure);
  std::vector<std::shared_ptr<TextField>> textFields() const;
  void chooseAction(std::size_t index);

  struct Presentation {
    std::string title;
    std::string message;
    std::vector<std::string> actionTitles;
  };
  static const std::vector<Presentation>& presentations();
  static void clearPresentations();

  void loadView() override;
  void viewWillAppear(bool animated) override;

 public:
  explicit AlertController(Key key) : ViewController(std::move(key)) {}

 private:
  std::string message_;
  AlertControllerStyle style_ = AlertControllerStyle::Alert;
  std::vector<std::shared_ptr<AlertAction>> actions_;
  std::vector<std::shared_ptr<AlertControllerTextField>> fields_;
};

}  // namespace platform
