#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/ViewController.h"
#include "platform/ui/text/TextField.h"
#include "platform/ui/text/TextFieldDelegate.h"
#include "platform/ui/text/TextView.h"
#include "platform/ui/text/TextViewDelegate.h"
#include "ui/support/keyboard/KBViewHierarchy.h"

namespace sprout {

// The delegate the handler passes every call on to: both delegate protocols in one.
class KBReturnKeyDelegate : public platform::TextFieldDelegate,
                            public platform::TextViewDelegate {};

// Becomes the delegate of every field of a screen: "Next" on the return key of all fields but
// the last (which shows lastTextFieldReturnKeyType), return moves to the next field or ends
// editing on the last; every delegate call is passed on to `delegate`. Fields and their original
// delegates are held weakly; released, the handler gives each field back its return key and
// delegate.
class KBKeyboardReturnKeyHandler : public platform::Object, public KBReturnKeyDelegate {
 public:
  static std::shared_ptr<KBKeyboardReturnKeyHandler> create(
      const std::shared_ptr<platform::ViewController>& controller = nullptr);
  ~KBKeyboardReturnKeyHandler() override;

  platform::ReturnKeyType lastTextFieldReturnKeyType() const { return lastReturnKey_; }
  void setLastTextFieldReturnKeyType(platform::ReturnKeyType type) { lastReturnKey_ = type; }
  std::shared_ptr<KBReturnKeyDelegate> delegate() const { return delegate_.lock(); }
  void setDelegate(const std::shared_ptr<KBReturnKeyDelegate>& d) { delegate_ = d; }

  void addResponderFromView(const platform::View& view);
  void removeResponderFromView(const platform::View& view);
  // A field already handled is skipped.
  void addTextFieldView(const std::shared_ptr<platform::View>& field);
  void removeTextFieldView(const std::shared_ptr<platform::View>& field);
  bool handles(const platform::View& field) const;
  std::size_t count() const { return records_.size(); }

  void updateReturnKeyTypeOnTextField(platform::View& field);
  // Moves to the next field (false) or ends editing (true).
  bool goToNextResponderOrResign(platform::View& field);

  std::optional<bool> textFieldShouldBeginEditing(platform::TextField& field) override;
  void textFieldDidBeginEditing(platform::TextField& field) override;
  std::optional<bool> textFieldShouldEndEditing(platform::TextField& field) override;
  void textFieldDidEndEditing(platform::TextField& field) override;
  std::optional<bool> textField(platform::TextField& field, platform::TextRange range,
                                const std::string& replacement) override;
  std::optional<bool> textFieldShouldClear(platform::TextField& field) override;
  std::optional<bool> textFieldShouldReturn(platform::TextField& field) override;
  std::optional<bool> textViewShouldBeginEditing(platform::TextView& view) override;
  std::optional<bool> textViewShouldEndEditing(platform::TextView& view) override;
  void textViewDidBeginEditing(platform::TextView& view) override;
  void textViewDidEndEditing(platform::TextView& view) override;
  std::optional<bool> textView(platform::TextView& view, platform::TextRange range,
                               const std::string& replacement) override;
  void textViewDidChange(platform::TextView& view) override;
  void textViewDidChangeSelection(platform::TextView& view) override;
  std::optional<bool> textViewShouldInteractWithURL(platform::TextView& view,
                                                    const std::string& url,
                                                    platform::TextRange range) override;
  std::optional<bool> textViewShouldInteractWithTextAttachment(platform::TextView& view,
                                                               platform::TextRange range) override;

  explicit KBKeyboardReturnKeyHandler(Key key) : platform::Object(std::move(key)) {}

 private:
  struct Record {
    std::weak_ptr<platform::View> field;
    platform::ReturnKeyType returnKeyType = platform::ReturnKeyDefault;
    std::weak_ptr<platform::TextFieldDelegate> fieldDelegate;
    std::weak_ptr<platform::TextViewDelegate> viewDelegate;
  };
  const Record* textFieldCachedInfo(const platform::View& field) const;
  void giveBack(const Record& record);
  ViewList fieldList(const platform::View& field) const;

  std::vector<Record> records_;  // in the order the fields were added
  platform::ReturnKeyType lastReturnKey_ = platform::ReturnKeyDefault;
  std::weak_ptr<KBReturnKeyDelegate> delegate_;
};

}  // namespace sprout
