#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Image.h"
#include "platform/render/RenderView.h"
#include "platform/ui/Label.h"
#include "platform/ui/Window.h"
#include "platform/ui/scroll/PickerView.h"
#include "platform/ui/scroll/TableView.h"
#include "platform/ui/scroll/TableViewCell.h"
#include "ui_support.h"

namespace platform {
namespace {

class UIAttributed : public ui_test::UITest {};

// Even rows carry attributes; odd rows only a plain title.
class Rows : public PickerViewDataSource, public PickerViewDelegate {
 public:
  long numberOfComponentsInPickerView(PickerView&) override { return 1; }
  long numberOfRowsInComponent(PickerView&, long) override { return 40; }
  std::optional<std::string> titleForRow(PickerView&, long row, long) override {
    return "plain " + std::to_string(row);
  }
  std::optional<AttributedString> attributedTitleForRow(PickerView&, long row, long) override {
    if (row % 2) return std::nullopt;
    AttributedString title("今天 " + std::to_string(row),
                           TextAttributes{std::nullopt, Color::red()});
    title.setAlignment(TextAlignment::Right);
    return title;
  }
};

TEST_F(UIAttributed, PickerRowsPreferAttributedTitlesAndReusedRowsLoseTheirAttributes) {
  auto window = Window::create(makeRect(0, 0, 320, 480));
  auto rows = std::make_shared<Rows>();
  auto picker = PickerView::create(makeRect(0, 0, 320, 216));
  window->addSubview(picker);
  picker->setDataSource(rows);
  picker->setDelegate(rows);
  picker->layoutIfNeeded();
  auto label = [&](long row) {
    return picker->tableForComponent(0)->cellForRowAtIndexPath({0, row})->textLabel();
  };
  auto colourOf = [&](long row) {
    return label(row)->attributedText().attributesAt(0).foregroundColor.value_or(Color::clear());
  };
  auto alignmentOf = [&](long row) {
    return label(row)->attributedText().alignment().value_or(label(row)->textAlignment());
  };
  EXPECT_EQ(label(2)->text(), "今天 2");
  EXPECT_EQ(colourOf(2), Color::red());
  EXPECT_EQ(alignmentOf(2), TextAlignment::Right);
  // The title spans the row: narrow wheels have no room for a table cell's margins.
  auto cell = picker->tableForComponent(0)->cellForRowAtIndexPath({0, 2});
  EXPECT_EQ(label(2)->frame(), cell->contentView()->bounds());
  EXPECT_EQ(label(1)->text(), "plain 1");
  EXPECT_EQ(colourOf(1), Color::black());
  EXPECT_EQ(alignmentOf(1), TextAlignment::Center);
  picker->selectRow(31, 0, false);  // far enough that every row's cell is reused
  picker->layoutIfNeeded();
  EXPECT_EQ(colourOf(31), Color::black());
  EXPECT_EQ(alignmentOf(31), TextAlignment::Center);
}

TEST_F(UIAttributed, LabelsDrawAShadowUnderAttributedText) {
  auto label = Label::create(makeRect(0, 0, 60, 30));
  label->setAttributedText(
      AttributedString("W", TextAttributes{Font::systemFont(24), Color::whiteColor()}));
  EXPECT_EQ(label->text(), "W");
  label->setBackgroundColor(Color::black());
  RenderOptions options;
  options.scale = 1;
  auto countRed = [&] {
    auto image = renderView(*label, options);
    int red = 0;
    for (int y = 0; y < 30; ++y) {
      for (int x = 0; x < 60; ++x) {
        const Color c = Color::fromPremultipliedARGB(image->bitmap()->pixel(x, y));
        red += c.r > 0.8 && c.g < 0.2;
      }
    }
    return red;
  };
  EXPECT_EQ(countRed(), 0);
  label->setShadowColor(Color::red());
  label->setShadowOffset({3, 3});
  EXPECT_GT(countRed(), 10);  // the red shows where the white text does not cover it
}

}  // namespace
}  // namespace platform
