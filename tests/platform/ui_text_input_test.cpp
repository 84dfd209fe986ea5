// Text fields and views: editing and keyboard notifications, the simulated keyboard, delegates,
// and limits on what may be typed or pasted.
#include <gtest/gtest.h>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/KeyboardSimulator.h"
#include "platform/ui/scroll/TableView.h"
#include "platform/ui/scroll/TableViewCell.h"
#include "platform/ui/text/TextField.h"
#include "platform/ui/text/TextView.h"
#include "ui_fixtures.h"

namespace platform {
namespace {

using Names = std::vector<std::string>;

// A field and a text view on a 320 x 568 screen, and the editing and keyboard notifications.
class TextInputTest : public ui_test::OnWindow {
 protected:
  TextInputTest() : OnWindow(makeRect(0, 0, 320, 568)) {
    window->addSubview(field);
    window->addSubview(text);
  }
  // The end frame of the last will-show.
  Rect lastEnd() const {
    for (auto n = notes.heard.rbegin(); n != notes.heard.rend(); ++n) {
      if (n->name == kKeyboardWillShowNotification) {
        return std::any_cast<Rect>(n->userInfo.at(kKeyboardFrameEndUserInfoKey));
      }
    }
    return kRectNull;
  }

  ui_test::ScopedScreenBounds screen{makeRect(0, 0, 320, 568)};
  std::shared_ptr<TextField> field = TextField::create(makeRect(10, 100, 200, 30));
  std::shared_ptr<TextView> text = TextView::create(makeRect(10, 200, 200, 100));
  ui_test::Notifications notes{
      {kTextFieldTextDidBeginEditingNotification, kTextFieldTextDidEndEditingNotification,
       kTextFieldTextDidChangeNotification, kTextViewTextDidBeginEditingNotification,
       kTextViewTextDidEndEditingNotification, kTextViewTextDidChangeNotification,
       kKeyboardWillShowNotification, kKeyboardWillHideNotification}};
};

TEST_F(TextInputTest, FieldAnnouncesEditingBeforeTheKeyboardAndTextViewAfterIt) {
  ASSERT_TRUE(field->becomeFirstResponder());
  EXPECT_EQ(notes.names(),
            (Names{kTextFieldTextDidBeginEditingNotification, kKeyboardWillShowNotification}));
  EXPECT_DOUBLE_EQ(lastEnd().origin.y, 568 - 216);
  notes.heard.clear();
  field->resignFirstResponder();
  EXPECT_EQ(notes.names(),
            (Names{kTextFieldTextDidEndEditingNotification, kKeyboardWillHideNotification}));
  advance(0.3);

  notes.heard.clear();
  ASSERT_TRUE(text->becomeFirstResponder());
  EXPECT_EQ(notes.names(),
            (Names{kKeyboardWillShowNotification, kTextViewTextDidBeginEditingNotification}));
  // Moving from the text view to the field: end, begin, and no keyboard slide in between.
  notes.heard.clear();
  ASSERT_TRUE(field->becomeFirstResponder());
  EXPECT_EQ(notes.names(), (Names{kTextViewTextDidEndEditingNotification,
                                  kTextFieldTextDidBeginEditingNotification}));
}

TEST_F(TextInputTest, EachEditorsNotificationsCarryItAsTheirObject) {
  Names heard;  // what observers of one editor receive
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
  fingers.tap({50, 115});
  field->insertText("a");
  field->deleteBackward();
  fingers.tap({50, 250});  // the text view takes over
  text->insertText("b");
  text->resignFirstResponder();
  EXPECT_EQ(heard,
            (Names{kTextFieldTextDidBeginEditingNotification, kTextFieldTextDidChangeNotification,
                   kTextFieldTextDidChangeNotification, kTextFieldTextDidEndEditingNotification,
                   kTextViewTextDidBeginEditingNotification, kTextViewTextDidChangeNotification,
                   kTextViewTextDidEndEditingNotification}));
  EXPECT_EQ(field->text(), "");
  EXPECT_EQ(text->text(), "b");
}

TEST_F(TextInputTest, KeyboardFrameCarriesTheAccessoryViewAndFollowsReloads) {
  field->setInputAccessoryView(View::create(makeRect(0, 0, 320, 44)));
  field->becomeFirstResponder();
  EXPECT_DOUBLE_EQ(lastEnd().size.height, 216 + 44);
  EXPECT_DOUBLE_EQ(lastEnd().origin.y, 568 - 260);

  // A new accessory view takes effect on reloadInputViews, with a fresh will-show.
  field->setInputAccessoryView(nullptr);
  notes.heard.clear();
  field->reloadInputViews();
  EXPECT_EQ(notes.names(), Names{kKeyboardWillShowNotification});
  EXPECT_DOUBLE_EQ(lastEnd().size.height, 216);
  notes.heard.clear();
  field->reloadInputViews();  // nothing changed: no slide
  EXPECT_TRUE(notes.heard.empty());

  // A field with another accessory height takes over: the keyboard slides to it.
  auto other = TextField::create(makeRect(10, 150, 200, 30));
  other->setInputAccessoryView(View::create(makeRect(0, 0, 320, 30)));
  window->addSubview(other);
  other->becomeFirstResponder();
  EXPECT_DOUBLE_EQ(lastEnd().size.height, 246);

  // With a hardware keyboard the frame lies below the screen.
  other->resignFirstResponder();
  KeyboardSimulator::shared().setHardwareKeyboardAttached(true);
  field->becomeFirstResponder();
  EXPECT_DOUBLE_EQ(lastEnd().origin.y, 568);
  EXPECT_FALSE(intersects(lastEnd(), makeRect(0, 0, 320, 568)));
}

TEST_F(TextInputTest, KeyboardSimulatorPostsWillAndDidWithFrames) {
  ui_test::Notifications keys{{kKeyboardWillShowNotification, kKeyboardDidShowNotification,
                               kKeyboardWillHideNotification, kKeyboardDidHideNotification}};
  KeyboardSimulator::shared().show(216, 0.25);
  ASSERT_EQ(keys.names(), Names{"UIKeyboardWillShowNotification"});
  EXPECT_EQ(keys.info<Rect>(0, "UIKeyboardFrameBeginUserInfoKey"), makeRect(0, 568, 320, 216));
  EXPECT_EQ(keys.info<Rect>(0, "UIKeyboardFrameEndUserInfoKey"), makeRect(0, 352, 320, 216));
  EXPECT_DOUBLE_EQ(keys.info<double>(0, "UIKeyboardAnimationDurationUserInfoKey"), 0.25);
  EXPECT_EQ(keys.info<int>(0, "UIKeyboardAnimationCurveUserInfoKey"), 7);
  advance(0.2);
  EXPECT_EQ(keys.heard.size(), 1u);
  advance(0.05);
  EXPECT_EQ(keys.heard.back().name, "UIKeyboardDidShowNotification");
  EXPECT_TRUE(KeyboardSimulator::shared().isVisible());
  KeyboardSimulator::shared().hide(0.25);
  KeyboardSimulator::shared().show(260, 0.25);  // before the hide ends: no did-hide
  advance(1);
  EXPECT_EQ(keys.names(), (Names{"UIKeyboardWillShowNotification", "UIKeyboardDidShowNotification",
                                 "UIKeyboardWillHideNotification", "UIKeyboardWillShowNotification",
                                 "UIKeyboardDidShowNotification"}));
  EXPECT_EQ(keys.info<Rect>(2, "UIKeyboardFrameEndUserInfoKey"), makeRect(0, 568, 320, 216));
  EXPECT_EQ(keys.info<Rect>(3, "UIKeyboardFrameBeginUserInfoKey"), makeRect(0, 568, 320, 260));
  EXPECT_EQ(KeyboardSimulator::shared().frame(), makeRect(0, 308, 320, 260));
}

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

TEST_F(TextInputTest, DelegateDecidesBeginEndTypingAndReturn) {
  auto delegate = std::make_shared<Refusing>();
  field->setDelegate(delegate);
  delegate->allowBegin = false;
  EXPECT_FALSE(field->becomeFirstResponder());
  EXPECT_TRUE(notes.heard.empty());
  delegate->allowBegin = true;

  fingers.tap({50, 115});  // a tap on the field begins editing
  ASSERT_TRUE(field->isFirstResponder());
  EXPECT_TRUE(field->isEditing());
  notes.heard.clear();
  field->insertText("ab");
  field->insertText("x");  // refused by the delegate
  field->insertText("中");
  field->deleteBackward();  // removes the whole character, not one byte
  EXPECT_EQ(field->text(), "ab");
  EXPECT_EQ(notes.heard.size(), 3u);  // three accepted changes
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
  text->becomeFirstResponder();
  text->insertText("one");
  text->insertText("\n");
  text->insertText("two");
  EXPECT_EQ(text->text(), "one\ntwo");
  text->layoutIfNeeded();
  EXPECT_GT(text->contentSize().height, 2 * TextView::kTextInsetY);

  text->resignFirstResponder();
  text->setEditable(false);
  notes.heard.clear();
  EXPECT_TRUE(text->becomeFirstResponder());  // selectable
  EXPECT_FALSE(text->isEditing());
  EXPECT_TRUE(notes.heard.empty());  // no editing, and no keyboard for a read-only view
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

// The length limit, checked through one editor's own typing calls while it edits.
template <class Editor>
void checkLengthLimit(Editor& input, Counting& delegate, ui_test::Notifications& notes) {
  const std::size_t limit = kMaxTextInputLength;
  // Text set in code keeps its whole characters up to the limit.
  input.setText(std::string(limit - 5, 'a') + "🇨🇳");  // the limit falls in the flag's second half
  EXPECT_EQ(input.text(), std::string(limit - 5, 'a'));
  input.setText(std::string(limit - 1, 'a') + "中");
  EXPECT_EQ(input.text(), std::string(limit - 1, 'a'));
  notes.heard.clear();
  delegate.asked = 0;
  input.insertText("b");  // exactly at the limit
  input.insertText("c");
  input.insertText("中");
  EXPECT_EQ(input.text().size(), limit);
  EXPECT_EQ(delegate.asked, 1);
  EXPECT_EQ(notes.heard.size(), 1u);
  input.deleteBackward();
  input.insertText("中");  // three bytes into the one that was freed: still too long
  input.insertText("d");
  EXPECT_EQ(input.text(), std::string(limit - 1, 'a') + "d");
  input.setText("");
  input.insertText(std::string(limit + 1, 'e'));  // a paste is refused whole, not cut
  EXPECT_EQ(input.text(), "");
  input.insertText(std::string(limit, 'e'));
  EXPECT_EQ(input.text().size(), limit);
}

// A character made of several code points (a skin tone, a flag, a family joined by zero-width
// joiners, a heart with its variation selector, a letter with a combining accent) goes with one
// press of the delete key, as it was typed.
TEST_F(TextInputTest, TheDeleteKeyTakesEachCharacterWholeAsItWasTyped) {
  const std::string typed[] = {"好", "👍🏽", "🇨🇳", "👨‍👩‍👧", "❤️", "e\u0301"};
  auto typeAndDelete = [&](auto& editor) {
    fingers.tap({midX(editor.frame()), midY(editor.frame())});
    ASSERT_TRUE(editor.isFirstResponder());
    std::string expected;
    for (const auto& t : typed) editor.insertText(t), expected += t;
    for (auto t = std::rbegin(typed); t != std::rend(typed); ++t) {
      ASSERT_EQ(editor.text(), expected);
      editor.deleteBackward();
      expected.resize(expected.size() - t->size());
    }
    EXPECT_EQ(editor.text(), "");
  };
  typeAndDelete(*field);
  typeAndDelete(*text);
}

TEST_F(TextInputTest, ChangesPastTheLengthLimitAreRefusedWhole) {
  auto delegate = std::make_shared<Counting>();
  field->setDelegate(delegate);
  text->setDelegate(delegate);
  fingers.tap({50, 115});
  ASSERT_TRUE(field->isEditing());
  checkLengthLimit(*field, *delegate, notes);
  fingers.tap({50, 250});
  ASSERT_TRUE(text->isEditing());
  checkLengthLimit(*text, *delegate, notes);
}

// Run only as the child of the test below: pastes 4 MB, 16 KB at a time, as one word into a text
// view and as words into a field, laying out after each paste. The alarm ends it if layout hangs.
TEST_F(TextInputTest, DISABLED_PastingMegabytesLaysOutInBoundedTime) {
  ::alarm(120);
  int refusals = 0;
  setLogSink([&](LogLevel, std::string_view, std::string_view) { ++refusals; });
  std::string word, words;
  for (std::size_t i = 0; i < 16 * 1024; ++i) {
    word += static_cast<char>('a' + i % 26);
    words += i % 7 == 6 ? ' ' : static_cast<char>('a' + i % 26);
  }
  fingers.tap({50, 250});
  ASSERT_TRUE(text->isEditing());
  for (int i = 0; i < 256; ++i) {
    text->insertText(word);
    text->layoutIfNeeded();
  }
  EXPECT_EQ(text->text().size(), kMaxTextInputLength);
  EXPECT_GT(text->contentSize().height, 1000);  // it wrapped, into lines of some 30 letters
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

// A form as a table: one field per row, its text kept by row, as an app keeps what was typed.
class FieldRows : public TableViewDataSource {
 public:
  long numberOfRowsInSection(TableView&, long) override { return 40; }
  std::shared_ptr<TableViewCell> cellForRowAtIndexPath(TableView& table,
                                                       const IndexPath& path) override {
    auto cell = table.dequeueReusableCellWithIdentifier("field");
    if (!cell) {
      cell = TableViewCell::create(TableViewCellStyle::Default, "field");
      auto input = TextField::create(makeRect(10, 5, 200, 34));
      input->setTag(1);
      cell->contentView()->addSubview(input);
    }
    fieldOf(*cell)->setText(texts[static_cast<std::size_t>(path.row)]);
    return cell;
  }
  static std::shared_ptr<TextField> fieldOf(TableViewCell& cell) {
    return std::static_pointer_cast<TextField>(cell.contentView()->viewWithTag(1));
  }
  std::vector<std::string> texts = std::vector<std::string>(40);
};

// The row being typed into scrolls away and back: its cell is never handed to another row
// meanwhile, so the typing stays in that row and comes back with it.
TEST_F(TextInputTest, AFieldScrolledAwayWhileEditingKeepsItsRow) {
  auto rows = std::make_shared<FieldRows>();
  auto table = TableView::create(makeRect(0, 0, 320, 300));
  table->setDataSource(rows);
  window->addSubview(table);
  window->layoutIfNeeded();
  auto first = table->cellForRowAtIndexPath({0, 0});
  ASSERT_TRUE(first);
  auto editing = FieldRows::fieldOf(*first);
  fingers.tap(editing->convertPointTo({20, 17}, nullptr));
  ASSERT_TRUE(editing->isFirstResponder());

  drag({160, 280}, {160, 20}, 20);  // row 0 leaves; rows further down take the freed cells
  advance(1);
  table->layoutIfNeeded();
  ASSERT_FALSE(table->cellForRowAtIndexPath({0, 0}));
  for (const auto& cell : table->visibleCells()) EXPECT_NE(FieldRows::fieldOf(*cell), editing);
  editing->insertText("王");
  EXPECT_TRUE(editing->isFirstResponder());

  drag({160, 20}, {160, 280}, 20);
  advance(1);
  table->layoutIfNeeded();
  EXPECT_EQ(table->cellForRowAtIndexPath({0, 0}), first);
  EXPECT_EQ(editing->text(), "王");
  EXPECT_TRUE(editing->isFirstResponder());
  // Once editing ends, the cell is free for other rows again.
  editing->resignFirstResponder();
  drag({160, 280}, {160, 20}, 20);
  advance(1);
  table->layoutIfNeeded();
  EXPECT_EQ(table->cellForRowAtIndexPath({0, 0}), nullptr);
}

}  // namespace
}  // namespace platform
