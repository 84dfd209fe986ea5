// The leave form's typed fields. They live straight in the controller's view, so the keyboard
// manager lifts the whole screen for the low ones.
#include <string>
#include <utility>

#include "app/SPLeavesViewController.h"

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
