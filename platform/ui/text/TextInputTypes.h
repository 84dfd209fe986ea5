#pragma once

#include <cstddef>
#include <string>

namespace platform {

inline constexpr char kTextFieldTextDidBeginEditingNotification[] =
    "UITextFieldTextDidBeginEditingNotification";
inline constexpr char kTextFieldTextDidEndEditingNotification[] =
    "UITextFieldTextDidEndEditingNotification";
inline constexpr char kTextFieldTextDidChangeNotification[] =
    "UITextFieldTextDidChangeNotification";
inline constexpr char kTextViewTextDidBeginEditingNotification[] =
    "UITextViewTextDidBeginEditingNotification";
inline constexpr char kTextViewTextDidEndEditingNotification[] =
    "UITextViewTextDidEndEditingNotification";
inline constexpr char kTextViewTextDidChangeNotification[] = "UITextViewTextDidChangeNotification";

// Keyboard looks and return keys by their platform numbers.
enum KeyboardAppearance : long {
  KeyboardAppearanceDefault = 0,
  KeyboardAppearanceDark = 1,
  KeyboardAppearanceLight = 2,
  KeyboardAppearanceAlert = KeyboardAppearanceDark,
};

enum ReturnKeyType : long {
  ReturnKeyDefault = 0,
  ReturnKeyGo = 1,
  ReturnKeyGoogle = 2,
  ReturnKeyJoin = 3,
  ReturnKeyNext = 4,
  ReturnKeyRoute = 5,
  ReturnKeySearch = 6,
  ReturnKeySend = 7,
  ReturnKeyYahoo = 8,
  ReturnKeyDone = 9,
  ReturnKeyEmergencyCall = 10,
  ReturnKeyContinue = 11,
};

// A range of UTF-8 bytes in a text.
struct TextRange {
  std::size_t location = 0;
  std::size_t length = 0;
  bool operator==(const TextRange&) const = default;
};

// The most text a field or a text view holds, in UTF-8 bytes: some 21,000 Chinese characters or
// 65,000 Latin ones, far past what a person types into a form, and small enough that laying the
// text out stays well under a second whatever it holds. A typed or pasted change that would make
// the text longer is refused whole (nothing changes, the delegate is not asked, a warning is
// logged); text set in code keeps its whole characters up to the limit.
inline constexpr std::size_t kMaxTextInputLength = 64 * 1024;

}  // namespace platform
