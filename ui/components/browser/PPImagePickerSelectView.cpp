#include "ui/components/browser/PPImagePickerSelectView.h"

#include "platform/foundation/Bundle.h"
#include "platform/graphics/BundleImages.h"
#include "platform/ui/Screen.h"

namespace sprout {

std::shared_ptr<PPImagePickerSelectView> PPImagePickerSelectView::create() {
  return make<PPImagePickerSelectView>();
}

void PPImagePickerSelectView::didInit() {
  View::didInit();
  const double width = platform::Screen::main().bounds().size.width;
  setFrame(platform::makeRect(0, 0, width, 64));
  setBackgroundColor(platform::Color::clear());
  auto backdrop = platform::View::create(bounds());
  backdrop->setBackgroundColor(platform::Color::black());
  backdrop->setAlpha(0.6);
  addSubview(backdrop);
  const auto& bundle = platform::Bundle::main();
  backBtn_ = platform::Button::create(platform::makeRect(0, 20, 60, 50));
  backBtn_->setImageEdgeInsets({0, 20, 25, 24});
  backBtn_->setImage(platform::imageNamed(*bundle, "btn_back_imagePicker.png"),
                     platform::ControlStateNormal);
  addSubview(backBtn_);
  selectBtn_ = platform::Button::create(platform::makeRect(width - 55, 20, 40, 40));
  selectBtn_->setImageEdgeInsets({0, 8, 8, 0});
  selectBtn_->setImage(platform::imageNamed(*bundle, "checkbox_pic_non2.png"),
                       platform::ControlStateNormal);
  selectBtn_->setImage(platform::imageNamed(*bundle, "checkbox_pic2.png"),
                       platform::ControlStateSelected);
  addSubview(selectBtn_);
}

void PPImagePickerSelectView::addTarget(platform::Control::Action backAction,
                                        platform::Control::Action selectAction,
                                        unsigned controlEvents) {
  backBtn_->addTarget(std::move(backAction), controlEvents);
  selectBtn_->addTarget(std::move(selectAction), controlEvents);
}

}  // namespace sprout
