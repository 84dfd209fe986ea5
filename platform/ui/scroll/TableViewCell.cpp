#include "platform/ui/scroll/TableViewCell.h"

#include <algorithm>

#include "platform/graphics/Context.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"

namespace platform {
namespace {

const Color kSelectedBackground = Color::rgba(217 / 255.0, 217 / 255.0, 217 / 255.0, 1);
const Color kSeparator = Color::rgba(200 / 255.0, 199 / 255.0, 204 / 255.0, 1);
constexpr double kMargin = 15;

}  // namespace

std::shared_ptr<TableViewCell> TableViewCell::create(TableViewCellStyle style,
                                                     std::string reuseIdentifier) {
  return Object::make<TableViewCell>(style, std::move(reuseIdentifier));
}

TableViewCell::TableViewCell(Key key, TableViewCellStyle style, std::string reuseIdentifier)
    : View(std::move(key), makeRect(0, 0, 320, 44)),
      reuseIdentifier_(std::move(reuseIdentifier)),
      style_(style) {
  setBackgroundColor(Color::whiteColor());
  setContentMode(ViewContentMode::Redraw);
}

TableViewCell::~TableViewCell() = default;

void TableViewCell::didInit() {
  View::didInit();
  contentView_ = View::create(bounds());
  contentView_->setAutoresizingMask(ViewAutoresizingFlexibleWidth | ViewAutoresizingFlexibleHeight);
  contentView_->setBackgroundColor(Color::clear());
  addSubview(contentView_);
}

const std::shared_ptr<Label>& TableViewCell::textLabel() {
  if (!textLabel_) {
    textLabel_ = Label::create();
    textLabel_->setFont(Font::systemFont(17));
    contentView_->addSubview(textLabel_);
    setNeedsLayout();
  }
  return textLabel_;
}

const std::shared_ptr<Label>& TableViewCell::detailTextLabel() {
  if (!detailTextLabel_) {
    detailTextLabel_ = Label::create();
    const bool beside = style_ == TableViewCellStyle::Value1;
    detailTextLabel_->setFont(Font::systemFont(beside ? 17 : 12));
    detailTextLabel_->setTextColor(beside ? Color::rgba(0.56, 0.56, 0.58, 1) : Color::black());
    contentView_->addSubview(detailTextLabel_);
    setNeedsLayout();
  }
  return detailTextLabel_;
}

const std::shared_ptr<ImageView>& TableViewCell::imageView() {
  if (!imageView_) {
    imageView_ = ImageView::create();
    contentView_->addSubview(imageView_);
    setNeedsLayout();
  }
  return imageView_;
}

void TableViewCell::setSelectionStyle(TableViewCellSelectionStyle s) {
  selectionStyle_ = s;
  setNeedsDisplay();
}

bool TableViewCell::showsSelection() const {
  return (selected_ || highlighted_) && selectionStyle_ != TableViewCellSelectionStyle::None;
}

void TableViewCell::setSelected(bool selected, bool /*animated*/) {
  if (selected_ == selected) return;
  selected_ = selected;
  setNeedsDisplay();
}

void TableViewCell::setHighlighted(bool highlighted, bool /*animated*/) {
  if (highlighted_ == highlighted) return;
  highlighted_ = highlighted;
  if (textLabel_) textLabel_->setHighlighted(highlighted);
  if (detailTextLabel_) detailTextLabel_->setHighlighted(highlighted);
  setNeedsDisplay();
}

void TableViewCell::setAccessoryType(TableViewCellAccessoryType type) {
  accessoryType_ = type;
  setNeedsLayout();
  setNeedsDisplay();
}

void TableViewCell::setAccessoryView(std::shared_ptr<View> view) {
  if (accessoryView_) accessoryView_->removeFromSuperview();
  accessoryView_ = std::move(view);
  if (accessoryView_) addSubview(accessoryView_);
  setNeedsLayout();
}

void TableViewCell::setSeparatorInset(const EdgeInsets& inset) {
  separatorInset_ = inset;
  setNeedsDisplay();
}

void TableViewCell::setShowsSeparator(bool shows) {
  if (showsSeparator_ == shows) return;
  showsSeparator_ = shows;
  setNeedsDisplay();
}

void TableViewCell::prepareForReuse() {
  setSelected(false);
  setHighlighted(false);
}

void TableViewCell::layoutSubviews() {
  const Rect b = bounds();
  double right = b.size.width;
  if (accessoryView_) {
    const Size s = accessoryView_->bounds().size;
    right -= s.width + kMargin;
    accessoryView_->setFrame(makeRect(right, (b.size.height - s.height) / 2, s.width, s.height));
  } else if (accessoryType_ != TableViewCellAccessoryType::None) {
    right -= kAccessoryWidth;
  }
  contentView_->setFrame(makeRect(0, 0, std::max(0.0, right), b.size.height));
  const double h = b.size.height;
  double x = kMargin;
  if (imageView_ && imageView_->image()) {
    const Size s = imageView_->sizeThatFits({h, h});
    imageView_->setFrame(makeRect(x, (h - s.height) / 2, s.width, s.height));
    x += s.width + kMargin;
  }
  const double width = std::max(0.0, right - x - kMargin);
  const bool hasDetail = detailTextLabel_ && !detailTextLabel_->text().empty();
  if (textLabel_) {
    if (style_ == TableViewCellStyle::Subtitle && hasDetail) {
      textLabel_->setFrame(makeRect(x, h / 2 - 20, width, 22));
    } else {
      textLabel_->setFrame(makeRect(x, 0, width, h));
    }
  }
  if (detailTextLabel_) {
    switch (style_) {
      case TableViewCellStyle::Subtitle:
        detailTextLabel_->setFrame(makeRect(x, h / 2 + 2, width, 16));
        break;
      case TableViewCellStyle::Value1:
      case TableViewCellStyle::Value2:
        detailTextLabel_->setTextAlignment(TextAlignment::Right);
        detailTextLabel_->setFrame(makeRect(x, 0, width, h));
        break;
      case TableViewCellStyle::Default:
        detailTextLabel_->setFrame({});
        break;
    }
  }
}

void TableViewCell::drawRect(Context& context, const Rect& /*rect*/) {
  const Rect b = bounds();
  if (showsSelection()) context.fillRect(b, kSelectedBackground);
  if (showsSeparator_) {
    const double hairline = 1 / std::max(1.0, context.scale());
    const double left = separatorInset_.left, right = b.size.width - separatorInset_.right;
    if (right > left) {
      context.fillRect(makeRect(left, b.size.height - hairline, right - left, hairline),
                       kSeparator);
    }
  }
  if (accessoryType_ == TableViewCellAccessoryType::DisclosureIndicator ||
      accessoryType_ == TableViewCellAccessoryType::Checkmark) {
    // A small chevron (or tick) in the accessory area, in the separator's grey.
    const double cx = b.size.width - kAccessoryWidth / 2, cy = b.size.height / 2;
    auto* cr = context.cairo();
    cairo_save(cr);
    cairo_set_line_width(cr, 2);
    const Color c =
        accessoryType_ == TableViewCellAccessoryType::Checkmark ? tintColor() : kSeparator;
    cairo_set_source_rgba(cr, c.r, c.g, c.b, c.a);
    if (accessoryType_ == TableViewCellAccessoryType::Checkmark) {
      cairo_move_to(cr, cx - 6, cy);
      cairo_line_to(cr, cx - 2, cy + 4);
      cairo_line_to(cr, cx + 6, cy - 5);
    } else {
      cairo_move_to(cr, cx - 3, cy - 6);
      cairo_line_to(cr, cx + 3, cy);
      cairo_line_to(cr, cx - 3, cy + 6);
    }
    cairo_stroke(cr);
    cairo_restore(cr);
  }
}

}  // namespace platform
