#pragma once

#include <optional>
#include <string>

#include "platform/ui/text/TextInputTypes.h"

namespace platform {

class TextView;
class URL;

// What a text view asks and tells while it is edited. A question left unanswered (nullopt)
// counts as yes.
class TextViewDelegate {
 public:
  virtual ~TextViewDelegate() = default;
  virtual std::optional<bool> textViewShouldBeginEditing(TextView& /*view*/) {
    return std::nullopt;
  }
  virtual std::optional<bool> textViewShouldEndEditing(TextView& /*view*/) { return std::nullopt; }
  virtual void textViewDidBeginEditing(TextView& /*view*/) {}
  virtual void textViewDidEndEditing(TextView& /*view*/) {}
  virtual std::optional<bool> textView(TextView& /*view*/, TextRange /*range*/,
                                       const std::string& /*replacement*/) {
    return std::nullopt;
  }
  virtual void textViewDidChange(TextView& /*view*/) {}
  virtual void textViewDidChangeSelection(TextView& /*view*/) {}
  virtual std::optional<bool> textViewShouldInteractWithURL(TextView& /*view*/,
                                                            const std::string& /*url*/,
                                                            TextRange /*range*/) {
    return std::nullopt;
  }
  virtual std::optional<bool> textViewShouldInteractWithTextAttachment(TextView& /*view*/,
                                                                       TextRange /*range*/) {
    return std::nullopt;
  }
};

}  // namespace platform
