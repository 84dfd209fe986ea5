#pragma once

#include <string>

namespace platform {

// A typeface at a size, in points (one point is one unit of user space: text is laid out at
// 72 dots per inch). The system font lists a CJK face after the Latin one, so Chinese text
// renders with it.
class Font {
 public:
  static constexpr const char* kSystemFamily = "DejaVu Sans, WenQuanYi Micro Hei";

  Font() : Font(kSystemFamily, 17, false) {}
  static Font systemFont(double size) { return Font(kSystemFamily, size, false); }
  static Font boldSystemFont(double size) { return Font(kSystemFamily, size, true); }
  // A family name or comma-separated list as fontconfig knows it.
  static Font fontWithName(std::string family, double size) {
    return Font(std::move(family), size, false);
  }

  const std::string& familyName() const { return family_; }
  double pointSize() const { return size_; }
  bool isBold() const { return bold_; }
  Font withSize(double size) const { return Font(family_, size, bold_); }
  Font bold() const { return Font(family_, size_, true); }

  // Metrics from the face that renders Latin text, in points; descender is negative.
  double ascender() const;
  double descender() const;
  double lineHeight() const;

  bool operator==(const Font&) const = default;

 private:
  Font(std::string family, double size, bool bold)
      : family_(std::move(family)), size_(size > 0 ? size : 17), bold_(bold) {}

  std::string family_;
  double size_;
  bool bold_;
};

}  // namespace platform
