#include <gtest/gtest.h>

#include "kb_test_support.h"
#include "platform/ui/controllers/AlertControllerTextField.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/scroll/TableView.h"
#include "ui/support/keyboard/KBKeyboardReturnKeyHandler.h"
#include "ui/support/keyboard/KBTextView.h"
#include "ui/support/keyboard/KBViewHierarchy.h"

namespace sprout::kb_test {
namespace {

using platform::makeRect;
using platform::TextField;

class CountingDelegate : public KBReturnKeyDelegate {
 public:
  std::optional<bool> textFieldShouldReturn(TextField&) override {
    ++returns;
    return allowReturn;
  }
  void textFieldDidBeginEditing(TextField&) override { ++begins; }
  int returns = 0, begins = 0;
  bool allowReturn = true;
};

TEST_F(KeyboardTest, ReturnKeyHandlerWalksTheFieldsAndGivesThemBack) {
  manager->setEnableAutoToolbar(false);
  auto original = std::make_shared<CountingDelegate>();
  auto a = addField(*root->view(), makeRect(20, 100, 280, 30));
  auto b = addField(*root->view(), makeRect(20, 150, 280, 30));
  auto c = addField(*root->view(), makeRect(20, 200, 280, 30));
  a->setDelegate(original);
  c->setReturnKeyType(platform::ReturnKeyGo);

  auto handler = KBKeyboardReturnKeyHandler::create(root);
  handler->addTextFieldView(a);  // already handled: skipped
  EXPECT_EQ(handler->count(), 3u);
  handler->setLastTextFieldReturnKeyType(platform::ReturnKeyDone);
  auto screens = std::make_shared<CountingDelegate>();
  handler->setDelegate(screens);

  a->becomeFirstResponder();
  EXPECT_EQ(a->returnKeyType(), platform::ReturnKeyNext);
  EXPECT_EQ(screens->begins, 1);  // passed on
  a->insertText("\n");
  EXPECT_TRUE(b->isFirstResponder());
  b->insertText("\n");
  EXPECT_TRUE(c->isFirstResponder());
  EXPECT_EQ(c->returnKeyType(), platform::ReturnKeyDone);
  c->insertText("\n");
  EXPECT_FALSE(c->isFirstResponder());  // the last one ends editing
  EXPECT_EQ(screens->returns, 3);

  // The screen's delegate can stop the move.
  screens->allowReturn = false;
  a->becomeFirstResponder();
  a->insertText("\n");
  EXPECT_TRUE(a->isFirstResponder());
  // A field no longer in the list (hidden meanwhile) ends editing.
  screens->allowReturn = true;
  a->setHidden(true);
  a->insertText("\n");
  EXPECT_FALSE(a->isFirstResponder());

  // Released: every field has its own delegate and return key again, held by nobody else.
  handler.reset();
  EXPECT_EQ(a->delegate(), original);
  EXPECT_EQ(b->delegate(), nullptr);
  EXPECT_EQ(c->returnKeyType(), platform::ReturnKeyGo);
  EXPECT_EQ(original.use_count(), 1);
}

TEST_F(KeyboardTest, ReturnOnTheLastTextViewEndsEditingWithoutANewLine) {
  manager->setEnableAutoToolbar(false);
  auto field = addField(*root->view(), makeRect(20, 100, 280, 30));
  auto notes = platform::TextView::create(makeRect(20, 150, 280, 100));
  root->view()->addSubview(notes);
  auto handler = KBKeyboardReturnKeyHandler::create(root);
  notes->becomeFirstResponder();
  notes->insertText("Fever");
  EXPECT_EQ(handler->textView(*notes, {5, 0}, "\n"), false);
  EXPECT_FALSE(notes->isFirstResponder());
  EXPECT_EQ(notes->text(), "Fever");
  field->becomeFirstResponder();
  field->insertText("\n");
  EXPECT_TRUE(notes->isFirstResponder());
  notes->insertText("\n");
  EXPECT_EQ(notes->text(), "Fever");
}

TEST_F(KeyboardTest, PlaceholderTextViewShowsItsPlaceholderOnlyWhileEmpty) {
  auto notes = KBTextView::create(makeRect(0, 100, 300, 120));
  root->view()->addSubview(notes);
  EXPECT_EQ(notes->placeHolderLabel(), nullptr);
  notes->setPlaceholder("Anything the teacher should know");
  auto label = notes->placeHolderLabel();
  ASSERT_TRUE(label);
  EXPECT_DOUBLE_EQ(label->alpha(), 1);
  EXPECT_EQ(label->textColor(), platform::Color::white(0.7, 1.0));
  notes->layoutIfNeeded();
  EXPECT_DOUBLE_EQ(label->frame().origin.x, 8);
  EXPECT_DOUBLE_EQ(label->frame().origin.y, 8);
  EXPECT_DOUBLE_EQ(width(label->frame()), 300 - 16);

  notes->setText("Allergic to nuts");
  EXPECT_DOUBLE_EQ(label->alpha(), 0);
  notes->setText("");
  EXPECT_DOUBLE_EQ(label->alpha(), 1);
  // Typing is seen through the change notification.
  notes->becomeFirstResponder();
  notes->insertText("a");
  EXPECT_DOUBLE_EQ(label->alpha(), 0);
  notes->deleteBackward();
  EXPECT_DOUBLE_EQ(label->alpha(), 1);
  notes->setFont(platform::Font::systemFont(20));
  EXPECT_EQ(label->font(), platform::Font::systemFont(20));
}

TEST_F(KeyboardTest, HierarchyHelpersFindControllersAndResponders) {
  auto content = platform::ViewController::create();
  auto nav = platform::NavigationController::create(content);
  window->setRootViewController(nav);
  auto box = platform::View::create(makeRect(0, 100, 320, 200));
  content->view()->addSubview(box);
  auto field = addField(*box, makeRect(10, 20, 100, 30));
  EXPECT_EQ(viewController(*field), content);
  EXPECT_EQ(topMostController(*field), nav);
  EXPECT_EQ(currentViewController(*window), content);
  auto loose = platform::TextField::create();
  EXPECT_EQ(topMostController(*loose), nullptr);

  auto disabled = addField(*box, makeRect(10, 60, 100, 30));
  disabled->setEnabled(false);
  auto hidden = addField(*box, makeRect(10, 100, 100, 30));
  hidden->setHidden(true);
  auto clear = addField(*box, makeRect(10, 140, 100, 30));
  clear->setAlpha(0);
  auto readOnly = platform::TextView::create(makeRect(120, 20, 100, 60));
  readOnly->setEditable(false);
  box->addSubview(readOnly);
  auto alertField = platform::AlertControllerTextField::create();
  box->addSubview(alertField);
  EXPECT_EQ(responderSiblings(*field), ViewList{field});
  EXPECT_TRUE(isAlertViewTextField(*alertField));
  EXPECT_FALSE(isAskingCanBecomeFirstResponder(*field));

  // A table's own scroll view is the enclosing scroll view of a field in a cell.
  auto table = platform::TableView::create(makeRect(0, 300, 320, 200));
  content->view()->addSubview(table);
  auto inTable = addField(*table, makeRect(0, 0, 100, 30));
  EXPECT_EQ(superviewOfClassType(*inTable, platform::ClassRegistry::shared().named("ScrollView")),
            table);
  EXPECT_EQ(superviewOfClassType(*inTable, nullptr), nullptr);

  // Equal tags keep their order.
  auto x = platform::View::create(), y = platform::View::create(), z = platform::View::create();
  x->setTag(2);
  y->setTag(1);
  z->setTag(2);
  EXPECT_EQ(sortedArrayByTag({x, y, z}), (ViewList{y, x, z}));
}

TEST_F(KeyboardTest, HierarchyDescriptionsReadAsText) {
  auto scroll = platform::ScrollView::create(makeRect(0, 10, 320, 200));
  scroll->setContentSize({320, 900});
  root->view()->addSubview(scroll);
  auto field = platform::View::create(makeRect(10.4, 20, 100, 30));
  scroll->addSubview(field);
  field->setTransform(platform::AffineTransform::scale(2, 2));
  EXPECT_EQ(debugHierarchy(*scroll), "ScrollView: ( 0, 10, 320, 200 ) contentSize: ( 320, 900 )");
  EXPECT_EQ(depth(*field), 3);
  EXPECT_EQ(subHierarchy(*scroll),
            "\n|  |  " + debugHierarchy(*scroll) + "\n|  |  |  " + debugHierarchy(*field));
  EXPECT_NE(debugHierarchy(*field).find("transform: [2, 0, 0, 2, 0, 0]"), std::string::npos);
  EXPECT_EQ(superHierarchy(*scroll),
            "\nWindow: ( 0, 0, 320, 568 )\n|  View: ( 0, 0, 320, 568 )\n"
            "|  |  " +
                debugHierarchy(*scroll) + "\n");
  const std::string description = KBDescription(*field);
  EXPECT_EQ(description.rfind("<View 0x", 0), 0u);
  EXPECT_EQ(description.back(), '>');
  const auto t = convertTransformToView(*field, nullptr);
  EXPECT_DOUBLE_EQ(t.a, 2);
}

}  // namespace
}  // namespace sprout::kb_test
