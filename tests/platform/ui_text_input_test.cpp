#include <gtest/gtest.h>

#include <any>
#include <memory>
#include <string>
#include <vector>

#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/KeyboardSimulator.h"
#include "platform/ui/TouchDriver.h"
#include "platform/ui/Window.h"
#include "platform/ui/text/TextField.h"
#include "platform/ui/text/TextView.h"
#include "ui_support.h"

namespace platform {
namespace {

// Records the names of the editing and keyboard notifications in the order they come.
class TextInputTest : public ui_test::UITest {
 protected:
  TextInputTest() {
    KeyboardSimulator::shared().reset();
    window->makeKeyAndVisible();
    for (const char* name :
         {kTextFieldTextDidBeginEditingNotification, kTextFieldTextDidEndEditingNotification,
          kTextFieldTextDidChangeNotification, kTextViewTextDidBeginEditingNotification,
          kTextViewTextDidEndEditingNotification, kTextViewTextDidChangeNotification,
          kKeyboardWillShowNotification, kKeyboardWillHideNotification}) {
      tokens.push_back(NotificationCenter::defaultCenter().addObserver(
          name, nullptr, [this](const Notification& n) {
            log.push_back(n.name);
            if (n.name == kKeyboardWillShowNotification) {
              lastEnd = std::any_cast<Rect>(n.userInfo.at(kKeyboardFrameEndUserInfoKey));
            }
          }));
    }
  }
  ~TextInputTest() override { KeyboardSimulator::shared().reset(); }

  std::shared_ptr<Window> window = Window::create(makeRect(0, 0, 320, 568));
  ui_test::ScopedScreenBounds screen{makeRect(0, 0, 320, 568)};
  std::vector<ObserverToken> tokens;
  std::vector<std::string> log;
  Rect lastEnd;
};

class Refusing : public TextFieldDelegate {
 public:
  std::optional<bool> textFieldShouldBeginEditing(TextField&) override { return allowBegin; }
  std::optional<bool> textFieldShouldEndEditing(TextField&) override { return allowEnd; }
  std::optional<bool> textField(TextField&, TextRange, const std::string& s) override {
    return s != "x";
  }
  std::optional<bool> textFieldShouldReturn(TextField&) override {
    ++returns;
    return false;
  }
  bool allowBegin = true;
  bool allowEnd = true;
  int returns = 0;
};

TEST_F(TextInputTest, FieldAnnouncesEditingBeforeTheKeyboardAndTextViewAfterIt) {
  auto field = TextField::create(makeRect(10, 100, 200, 30));
  auto text = TextView::create(makeRect(10, 200, 200, 100));
  window->addSubview(field);
  window->addSubview(text);

  ASSERT_TRUE(field->becomeFirstResponder());
  EXPECT_EQ(log, (std::vector<std::string>{kTextFieldTextDidBeginEditingNotification,
                                           kKeyboardWillShowNotification}));
  EXPECT_DOUBLE_EQ(lastEnd.origin.y, 568 - 216);

  log.clear();
  field->resignFirstResponder();
  EXPECT_EQ(log, (std::vector<std::string>{kTextFieldTextDidEndEditingNotification,
                                           kKeyboardWillHideNotification}));
  advance(0.3);

  log.clear();
  ASSERT_TRUE(text->becomeFirstResponder());
  EXPECT_EQ(log, (std::vector<std::string>{kKeyboardWillShowNotification,
                                           kTextViewTextDidBeginEditingNotification}));
  // Moving from the text view to the field: end, begin, and no keyboard slide in between.
  log.clear();
  ASSERT_TRUE(field->becomeFirstResponder());
  EXPECT_EQ(log, (std::vector<std::string>{kTextViewTextDidEndEditingNotification,
                                           kTextFieldTextDidBeginEditingNotification}));
}

TEST_F(TextInputTest, KeyboardFrameCarriesTheAccessoryViewAndFollowsReloads) {
  auto field = TextField::create(makeRect(10, 100, 200, 30));
  field->setInputAccessoryView(View::create(makeRect(0, 0, 320, 44)));
  window->addSubview(field);
  field->becomeFirstResponder();
  EXPECT_DOUBLE_EQ(lastEnd.size.height, 216 + 44);
  EXPECT_DOUBLE_EQ(lastEnd.origin.y, 568 - 260);

  // A new accessory view takes effect on reloadInputViews, with a fresh will-show.
  field->setInputAccessoryView(nullptr);
  log.clear();
  field->reloadInputViews();
  EXPECT_EQ(log, std::vector<std::string>{kKeyboardWillShowNotification});
  EXPECT_DOUBLE_EQ(lastEnd.size.height, 216);
  log.clear();
  field->reloadInputViews();  // nothing changed: no slide
  EXPECT_TRUE(log.empty());

  // A field with another accessory height takes over: the keyboard slides to it.
  auto other = TextField::create(makeRect(10, 150, 200, 30));
  other->setInputAccessoryView(View::create(makeRect(0, 0, 320, 30)));
  window->addSubview(other);
  other->becomeFirstResponder();
  EXPECT_DOUBLE_EQ(lastEnd.size.height, 246);
}

TEST_F(TextInputTest, HardwareKeyboardFrameLiesBelowTheScreen) {
  KeyboardSimulator::shared().setHardwareKeyboardAttached(true);
  auto field = TextField::create(makeRect(10, 100, 200, 30));
  window->addSubview(field);
  field->becomeFirstResponder();
  EXPECT_DOUBLE_EQ(lastEnd.origin.y, 568);
  EXPECT_FALSE(intersects(lastEnd, makeRect(0, 0, 320, 568)));
}

TEST_F(TextInputTest, DelegateDecidesBeginEndTypingAndReturn) {
  auto field = TextField::create(makeRect(10, 100, 200, 30));
  window->addSubview(field);
  auto delegate = std::make_shared<Refusing>();
  field->setDelegate(delegate);

  delegate->allowBegin = false;
  EXPECT_FALSE(field->becomeFirstResponder());
  EXPECT_TRUE(log.empty());
  delegate->allowBegin = true;

  // A tap on the field begins editing.
  TouchDriver fingers(window);
  fingers.tap({50, 115});
  ASSERT_TRUE(field->isFirstResponder());
  EXPECT_TRUE(field->isEditing());

  log.clear();
  field->insertText("ab");
  field->insertText("x");  // refused by the delegate
  field->insertText("中");
  field->deleteBackward();  // removes the whole character, not one byte
  EXPECT_EQ(field->text(), "ab");
  EXPECT_EQ(log.size(), 3u);  // three accepted changes
  field->insertText("\n");
  EXPECT_EQ(delegate->returns, 1);
  EXPECT_EQ(field->text(), "ab");

  delegate->allowEnd = false;
  EXPECT_FALSE(field->resignFirstResponder());
  EXPECT_TRUE(field->isFirstResponder());
  delegate->allowEnd = true;
  // Disabling a field that is being edited lets it go.
  field->setEnabled(false);
  EXPECT_FALSE(field->isFirstResponder());
  EXPECT_FALSE(field->becomeFirstResponder());
}

TEST_F(TextInputTest, TextViewTypesNewLinesAndReadOnlyViewsDoNotEdit) {
  auto text = TextView::create(makeRect(10, 200, 200, 100));
  window->addSubview(text);
  text->becomeFirstResponder();
  text->insertText("one");
  text->insertText("\n");
  text->insertText("two");
  EXPECT_EQ(text->text(), "one\ntwo");
  text->layoutIfNeeded();
  EXPECT_GT(text->contentSize().height, 2 * TextView::kTextInsetY);

  text->resignFirstResponder();
  text->setEditable(false);
  log.clear();
  EXPECT_TRUE(text->becomeFirstResponder());  // selectable
  EXPECT_FALSE(text->isEditing());
  EXPECT_TRUE(log.empty());  // no editing, and no keyboard for a read-only view
}

}  // namespace
}  // namespace platform
