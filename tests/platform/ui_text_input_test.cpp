#include <gtest/gtest.h>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <any>
#include <csignal>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/KeyboardSimulator.h"
#include "platform/ui/TextLayout.h"
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

TEST_F(TextInputTest, EachEditorsNotificationsCarryItAsTheirObject) {
  auto field = TextField::create(makeRect(10, 100, 200, 30));
  auto text = TextView::create(makeRect(10, 200, 200, 100));
  window->addSubview(field);
  window->addSubview(text);
  std::vector<std::string> heard;  // what observers of one editor receive
  std::vector<ObserverToken> own;
  for (const auto& [name, editor] : std::vector<std::pair<std::string, const void*>>{
           {kTextFieldTextDidBeginEditingNotification, field.get()},
           {kTextFieldTextDidChangeNotification, field.get()},
           {kTextFieldTextDidEndEditingNotification, field.get()},
           {kTextViewTextDidBeginEditingNotification, text.get()},
           {kTextViewTextDidChangeNotification, text.get()},
           {kTextViewTextDidEndEditingNotification, text.get()}}) {
    own.push_back(NotificationCenter::defaultCenter().addObserver(
        name, editor, [&heard](const Notification& n) { heard.push_back(n.name); }));
  }
  TouchDriver fingers(window);
  fingers.tap({50, 115});
  field->insertText("a");
  field->deleteBackward();
  fingers.tap({50, 250});  // the text view takes over
  text->insertText("b");
  text->resignFirstResponder();
  EXPECT_EQ(heard,
            (std::vector<std::string>{
                kTextFieldTextDidBeginEditingNotification, kTextFieldTextDidChangeNotification,
                kTextFieldTextDidChangeNotification, kTextFieldTextDidEndEditingNotification,
                kTextViewTextDidBeginEditingNotification, kTextViewTextDidChangeNotification,
                kTextViewTextDidEndEditingNotification}));
  EXPECT_EQ(field->text(), "");
  EXPECT_EQ(text->text(), "b");
}

// Counts what the delegate is asked, and says yes.
class Counting : public TextFieldDelegate, public TextViewDelegate {
 public:
  std::optional<bool> textField(TextField&, TextRange, const std::string&) override {
    ++asked;
    return true;
  }
  std::optional<bool> textView(TextView&, TextRange, const std::string&) override {
    ++asked;
    return true;
  }
  int asked = 0;
};

TEST_F(TextInputTest, ChangesPastTheLengthLimitAreRefusedWhole) {
  auto field = TextField::create(makeRect(10, 100, 200, 30));
  auto view = TextView::create(makeRect(10, 200, 200, 100));
  window->addSubview(field);
  window->addSubview(view);
  auto delegate = std::make_shared<Counting>();
  field->setDelegate(delegate);
  view->setDelegate(delegate);
  TouchDriver fingers(window);
  const std::size_t limit = kMaxTextInputLength;
  // The same rule for both: each is checked through its own typing calls.
  auto check = [&](const std::string& (*text)(const std::shared_ptr<View>&),
                   const std::shared_ptr<View>& input, const std::function<void(std::string)>& set,
                   const std::function<void(std::string)>& type,
                   const std::function<void()>& erase) {
    // Text set in code keeps its whole characters up to the limit.
    set(std::string(limit - 1, 'a') + "中");
    EXPECT_EQ(text(input), std::string(limit - 1, 'a'));
    log.clear();
    delegate->asked = 0;
    type("b");  // exactly at the limit
    type("c");
    type("中");
    EXPECT_EQ(text(input).size(), limit);
    EXPECT_EQ(delegate->asked, 1);
    EXPECT_EQ(log.size(), 1u);
    erase();
    type("中");  // three bytes into the one that was freed: still too long
    type("d");
    EXPECT_EQ(text(input), std::string(limit - 1, 'a') + "d");
    set("");
    type(std::string(limit + 1, 'e'));  // a paste is refused whole, not cut
    EXPECT_EQ(text(input), "");
    type(std::string(limit, 'e'));
    EXPECT_EQ(text(input).size(), limit);
  };
  fingers.tap({50, 115});
  ASSERT_TRUE(field->isEditing());
  check(
      [](const std::shared_ptr<View>& v) -> const std::string& {
        return static_cast<TextField&>(*v).text();
      },
      field, [&](std::string t) { field->setText(std::move(t)); },
      [&](std::string t) { field->insertText(t); }, [&] { field->deleteBackward(); });
  fingers.tap({50, 250});
  ASSERT_TRUE(view->isEditing());
  check(
      [](const std::shared_ptr<View>& v) -> const std::string& {
        return static_cast<TextView&>(*v).text();
      },
      view, [&](std::string t) { view->setText(std::move(t)); },
      [&](std::string t) { view->insertText(t); }, [&] { view->deleteBackward(); });
}

// Run only as the child of the test below: pastes 4 MB, 16 KB at a time, as one word into a text
// view and as words into a field, laying out after each paste. The alarm ends it if layout hangs.
TEST_F(TextInputTest, DISABLED_PastingMegabytesLaysOutInBoundedTime) {
  ::alarm(120);
  int refusals = 0;
  setLogSink([&](LogLevel, std::string_view, std::string_view) { ++refusals; });
  auto field = TextField::create(makeRect(10, 100, 300, 30));
  auto view = TextView::create(makeRect(10, 200, 300, 300));
  window->addSubview(field);
  window->addSubview(view);
  TouchDriver fingers(window);
  std::string word, words;
  for (std::size_t i = 0; i < 16 * 1024; ++i) {
    word += static_cast<char>('a' + i % 26);
    words += i % 7 == 6 ? ' ' : static_cast<char>('a' + i % 26);
  }
  fingers.tap({50, 250});
  ASSERT_TRUE(view->isEditing());
  for (int i = 0; i < 256; ++i) {
    view->insertText(word);
    view->layoutIfNeeded();
  }
  EXPECT_EQ(view->text().size(), kMaxTextInputLength);
  EXPECT_GT(view->contentSize().height, 1000);  // it wrapped, into lines of some 40 letters
  fingers.tap({50, 115});
  ASSERT_TRUE(field->isEditing());
  for (int i = 0; i < 256; ++i) {
    field->insertText(words);
    field->layoutIfNeeded();
    EXPECT_GT(field->sizeThatFits({0, 0}).width, 300);
  }
  EXPECT_EQ(field->text().size(), kMaxTextInputLength);
  setLogSink(nullptr);
  EXPECT_EQ(refusals, 2 * (256 - 4));
}

TEST(TextInputLimits, PastingMegabytesLaysOutInBoundedTime) {
  // A fresh process, so that the alarm and a hang stay there.
  const std::string exe = "/proc/self/exe";
  std::string filter = "--gtest_filter=TextInputTest.DISABLED_PastingMegabytesLaysOutInBoundedTime";
  std::string alsoDisabled = "--gtest_also_run_disabled_tests";
  char* argv[] = {const_cast<char*>(exe.c_str()), filter.data(), alsoDisabled.data(), nullptr};
  pid_t child = 0;
  ASSERT_EQ(::posix_spawn(&child, exe.c_str(), nullptr, nullptr, argv, environ), 0);
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_FALSE(WIFSIGNALED(status) && WTERMSIG(status) == SIGALRM) << "layout hung";
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
}

}  // namespace
}  // namespace platform
