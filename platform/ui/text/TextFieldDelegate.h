#pragma once

#include <optional>
#include <string>

#include "platform/ui/text/TextInputTypes.h"

namespace platform {

class TextField;

// What a text field asks and tells while it is edited. A question left unanswered (nullopt)
// counts as yes.
class TextFieldDelegate {
 public:
  virtual ~TextFieldDelegate() = default;
  virtual std::optional<bool> textFieldShouldBeginEditing(TextField& /*field*/) {
    return std::nullopt;
  }
  virtual void textFieldDidBeginEditing(TextField& /*field*/) {}
  virtual std::optional<bool> textFieldShouldEndEditing(TextField& /*field*/) {
    return std::nullopt;
  }
  virtual void textFieldDidEndEditing(TextField& /*field*/) {}
  virtual std::optional<bool> textField(TextField& /*field*/, TextRange /*range*/,
                                        const std::string& /*replacement*/) {
    return std::nullopt;
  }
  virtual std::optional<bool> textFieldShouldClear(TextField& /*field*/) { return std::nullopt; }
  // Return pressed; the field does nothing more by itself either way.
  virtual std::optional<bool> textFieldShouldReturn(TextField& /*field*/) { return std::nullopt; }
};

}  // namespace platform
