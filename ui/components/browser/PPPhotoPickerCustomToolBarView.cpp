#include "ui/components/browser/PPPhotoPickerCustomToolBarView.h"

#include "platform/foundation/Bundle.h"
#include "platform/graphics/BundleImages.h"
#include "platform/ui/Button.h"

namespace sprout {

namespace {
platform::Color rgb255(double r, double g, double b) {
  return platform::Color{r / 255.0, g / 255.0, b / 255.0, 1};
}
}  // namespace

std::shared_ptr<PPPhotoPickerCustomToolBarView> PPPhotoPickerCustomToolBarView::create(
    const platform::Rect& frame, long showType) {
  auto view = make<PPPhotoPickerCustomToolBarView>(frame);
  view->setUp(showType);
  return view;
}

void PPPhotoPickerCustomToolBarView::setUp(long showType) {
  showType_ = showType;
  toolbar_ =
      platform::Toolbar::create(platform::makeRect(0, 0, frame().size.width, frame().size.height));
  toolbar_->setBarTintColor(std::nullopt);
  // Black and translucent: the photo shows through.
  toolbar_->setBarStyle(platform::BarStyle::Black);
  toolbar_->setTranslucent(true);
  toolbar_->setAutoresizingMask(platform::ViewAutoresizingFlexibleWidth |
                                platform::ViewAutoresizingFlexibleTopMargin);
  updateToolbarWithOriginal(false, 0, 0);
  addSubview(toolbar_);
}

void PPPhotoPickerCustomToolBarView::updateToolbarWithOriginal(bool original, long, long count) {
  const auto& bundle = platform::Bundle::main();
  std::weak_ptr<PPPhotoPickerCustomToolBarView> weak = self<PPPhotoPickerCustomToolBarView>();
  auto onOriginal = [weak] {
    if (auto self = weak.lock()) self->originalAction();
  };
  if (original) {
    if (getSizeBlock_) fileSize_ = getSizeBlock_();
    isOriginalBtn_ = createSelecteOriginalItem(platform::imageNamed(*bundle, "btn_original.png"),
                                               "原图" + fileSize_.value_or("(null)"),
                                               platform::Color::whiteColor(), onOriginal);
  } else {
    isOriginalBtn_ =
        createSelecteOriginalItem(platform::imageNamed(*bundle, "btn_original_non.png"), "原图",
                                  rgb255(199, 199, 199), onOriginal);
  }
  sendBtn_ = platform::BarButtonItem::create("发送 (" + std::to_string(count) + ")",
                                             platform::BarButtonItemStyle::Plain,
                                             [weak](platform::BarButtonItem&) {
                                               if (auto self = weak.lock()) self->sendAction();
                                             });
  sendBtn_->setTintColor(rgb255(69, 154, 0));
  sendBtn_->setEnabled(count >= 1);
  toolbar_->setItems({isOriginalBtn_,
                      platform::BarButtonItem::create(platform::BarButtonSystemItem::FlexibleSpace),
                      sendBtn_});
}

std::shared_ptr<platform::BarButtonItem> PPPhotoPickerCustomToolBarView::createSelecteOriginalItem(
    std::shared_ptr<platform::Image> image, const std::string& title,
    const platform::Color& titleColor, std::function<void()> action) {
  auto button = platform::Button::create(platform::makeRect(0, 0, 100, 44));
  button->setImage(std::move(image), platform::ControlStateNormal);
  button->setTitle(title, platform::ControlStateNormal);
  button->setTitleColor(titleColor, platform::ControlStateNormal);
  // This platform's insets shrink the image's and the title's own rects (not the content area),
  // so the switch is laid out directly: its 16-point picture at the left, centred, the title
  // 4 points after it.
  button->setContentHorizontalAlignment(platform::ControlContentHorizontalAlignment::Left);
  button->titleLabel()->setFont(platform::Font::systemFont(14));
  button->setTitleEdgeInsets({0, 4, 0, -4});
  // 100 points, or wider when the size text needs it.
  const double fitting = button->sizeThatFits({0, 0}).width + 8;
  if (fitting > 100) button->setFrame(platform::makeRect(0, 0, fitting, 44));
  button->addTarget([action = std::move(action)](platform::Control&) { action(); },
                    platform::ControlEventTouchUpInside);
  return platform::BarButtonItem::create(button);
}

std::shared_ptr<platform::Label> PPPhotoPickerCustomToolBarView::makeView() {
  if (auto badge = makeView_.lock()) return badge;
  auto badge = platform::Label::create(platform::makeRect(-5, -5, 20, 20));
  badge->setTextColor(platform::Color::whiteColor());
  badge->setTextAlignment(platform::TextAlignment::Center);
  badge->setFont(platform::Font::systemFont(13));
  badge->setHidden(true);
  badge->layer()->setCornerRadius(10);
  badge->setClipsToBounds(true);
  badge->setBackgroundColor(platform::Color::red());
  toolbar_->addSubview(badge);
  makeView_ = badge;
  return badge;
}

void PPPhotoPickerCustomToolBarView::originalAction() {
  if (auto d = delegate_.lock()) d->customToolBarIsOriginalBtnTouched();
}

void PPPhotoPickerCustomToolBarView::sendAction() {
  if (auto d = delegate_.lock()) d->customToolBarSendBtnTouched();
}

}  // namespace sprout
