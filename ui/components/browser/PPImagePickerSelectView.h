#pragma once

#include <memory>

#include "platform/ui/Button.h"
#include "platform/ui/View.h"

namespace sprout {

// The browser's top bar in picker mode: 64 points high over a black 0.6 backdrop, the back
// chevron on the left and the selection tick on the right. The browser wires the buttons.
class PPImagePickerSelectView : public platform::View {
 public:
  static std::shared_ptr<PPImagePickerSelectView> create();

  const std::shared_ptr<platform::Button>& backBtn() const { return backBtn_; }
  const std::shared_ptr<platform::Button>& selectBtn() const { return selectBtn_; }
  void addTarget(platform::Control::Action backAction, platform::Control::Action selectAction,
                 unsigned controlEvents);

  explicit PPImagePickerSelectView(Key key) : platform::View(std::move(key)) {}

 protected:
  void didInit() override;

 private:
  std::shared_ptr<platform::Button> backBtn_;
  std::shared_ptr<platform::Button> selectBtn_;
};

}  // namespace sprout
