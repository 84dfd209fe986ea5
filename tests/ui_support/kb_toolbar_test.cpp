// The keyboard's toolbar and the helpers around editing: previous/next/done bars, the return key
// walking the fields, placeholder text views and the view-hierarchy look-ups.
#include <gtest/gtest.h>

#include "kb_test_support.h"
#include "platform/ui/Button.h"
#include "platform/ui/Device.h"
#include "platform/ui/Label.h"
#include "platform/ui/TextLayout.h"
#include "platform/ui/controllers/AlertControllerTextField.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controls/ToolbarButton.h"
#include "platform/ui/scroll/CollectionView.h"
#include "platform/ui/scroll/TableView.h"
#include "platform/ui/scroll/TableViewCell.h"
#include "platform/ui/scroll/TableViewDelegate.h"
#include "ui/support/keyboard/KBKeyboardReturnKeyHandler.h"
#include "ui/support/keyboard/KBPreviousNextView.h"
#include "ui/support/keyboard/KBTextView.h"
#include "ui/support/keyboard/KBTitleBarButtonItem.h"
#include "ui/support/keyboard/KBToolbar.h"
#include "ui/support/keyboard/KBToolbarAddition.h"
#include "ui/support/keyboard/KBViewHierarchy.h"

namespace sprout::kb_test {
namespace {

using platform::makeRect;
using platform::TextField;

std::shared_ptr<KBToolbar> barOf(const platform::View& field) {
  return std::dynamic_pointer_cast<KBToolbar>(field.inputAccessoryView());
}

// Enabled states of the previous (item 0) and next (item 2) buttons.
std::pair<bool, bool> arrows(const platform::View& field) {
  auto bar = barOf(field);
  return {bar->items()[0]->isEnabled(), bar->items()[2]->isEnabled()};
}

class RefusingDelegate : public platform::TextFieldDelegate {
 public:
  std::optional<bool> textFieldShouldEndEditing(TextField&) override { return false; }
};

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

// A form of many rows, a field in each, named by its row.
class FieldRows : public platform::TableViewDataSource {
 public:
  long numberOfRowsInSection(platform::TableView&, long) override { return 30; }
  std::shared_ptr<platform::TableViewCell> cellForRowAtIndexPath(
      platform::TableView& table, const platform::IndexPath& path) override {
    auto cell = table.dequeueReusableCellWithIdentifier("field");
    if (!cell) {
      cell = platform::TableViewCell::create(platform::TableViewCellStyle::Default, "field");
      cell->contentView()->addSubview(TextField::create(makeRect(10, 5, 300, 30)));
    }
    fieldOf(*cell)->setPlaceholder("Row " + std::to_string(path.row));
    return cell;
  }
  static std::shared_ptr<TextField> fieldOf(const platform::TableViewCell& cell) {
    return std::dynamic_pointer_cast<TextField>(cell.contentView()->subviews().back());
  }
};

TEST_F(KeyboardTest, OneFieldGetsDoneAndSeveralGetPreviousNextDone) {
  auto a = addField(*root->view(), makeRect(20, 100, 280, 30), "Child's name");
  a->becomeFirstResponder();
  ASSERT_TRUE(barOf(*a));
  EXPECT_EQ(barOf(*a)->tag(), -1002);
  EXPECT_EQ(barOf(*a)->items().size(), 3u);
  EXPECT_EQ(barOf(*a)->title(), "Child's name");
  // The keyboard carries the toolbar: 216 + 44.
  EXPECT_DOUBLE_EQ(manager->avoidance().keyboardSize().height, 260);

  auto b = addField(*root->view(), makeRect(20, 150, 280, 30), "Class");
  auto c = addField(*root->view(), makeRect(20, 200, 280, 30), "Reason");
  b->becomeFirstResponder();
  for (const auto& f : {a, b, c}) {
    ASSERT_TRUE(barOf(*f));
    EXPECT_EQ(barOf(*f)->tag(), -1005);
    EXPECT_EQ(barOf(*f)->items().size(), 7u);
  }
  EXPECT_EQ(arrows(*a), std::make_pair(false, true));
  EXPECT_EQ(arrows(*b), std::make_pair(true, true));
  EXPECT_EQ(arrows(*c), std::make_pair(true, false));
  // The one flexible item stands twice in every bar.
  EXPECT_EQ(barOf(*a)->items()[3], barOf(*a)->items()[5]);
  EXPECT_EQ(barOf(*a)->items()[3], barOf(*b)->items()[3]);

  // Hiding fields down to one: the current field's bar becomes a done bar again.
  a->setHidden(true);
  c->setHidden(true);
  b->resignFirstResponder();
  b->becomeFirstResponder();
  EXPECT_EQ(barOf(*b)->tag(), -1002);
  // With previous/next hidden, every field gets done only.
  a->setHidden(false);
  manager->settings().shouldHidePreviousNext = true;
  a->becomeFirstResponder();
  EXPECT_EQ(barOf(*a)->tag(), -1002);
  // Switched off: the manager takes its bars off again.
  manager->setEnableAutoToolbar(false);
  EXPECT_EQ(a->inputAccessoryView(), nullptr);
}

TEST_F(KeyboardTest, AScreensOwnAccessoryViewIsLeftAlone) {
  auto a = addField(*root->view(), makeRect(20, 100, 280, 30));
  auto b = addField(*root->view(), makeRect(20, 150, 280, 30));
  auto own = KBToolbar::create();
  own->setItems({KBBarButtonItem::create("X", platform::BarButtonItemStyle::Plain),
                 KBBarButtonItem::create(platform::BarButtonSystemItem::FixedSpace),
                 KBBarButtonItem::create("Y", platform::BarButtonItemStyle::Plain),
                 flexibleBarButtonItem()});
  b->setInputAccessoryView(own);
  a->becomeFirstResponder();
  EXPECT_EQ(b->inputAccessoryView(), own);
  EXPECT_EQ(own->title(), std::nullopt);      // not titled
  EXPECT_TRUE(own->items()[2]->isEnabled());  // nor are its arrows set while editing
  // Reloading is the screen's own call: its bar's arrows follow the field's place (last of two).
  manager->reloadInputViews();
  EXPECT_TRUE(own->items()[0]->isEnabled());
  EXPECT_FALSE(own->items()[2]->isEnabled());
  EXPECT_EQ(arrows(*a), std::make_pair(false, true));
  manager->setEnableAutoToolbar(false);
  EXPECT_EQ(b->inputAccessoryView(), own);
}

TEST_F(KeyboardTest, BarsFollowTheSettingsTheAppearanceAndThePlaceholder) {
  manager->settings().overrideKeyboardAppearance = true;
  manager->settings().keyboardAppearance = platform::KeyboardAppearanceDark;
  auto a = addField(*root->view(), makeRect(20, 100, 280, 30), "Name");
  a->becomeFirstResponder();
  // The overridden appearance reaches the field; a dark bar is black with white and yellow.
  EXPECT_EQ(a->keyboardAppearance(), platform::KeyboardAppearanceDark);
  EXPECT_EQ(barOf(*a)->barStyle(), platform::BarStyle::Black);
  EXPECT_EQ(barOf(*a)->tintColor(), platform::Color::whiteColor());
  EXPECT_EQ(barOf(*a)->titleItem()->selectableTextColor(), platform::Color::yellow());
  manager->settings().overrideKeyboardAppearance = false;
  a->setKeyboardAppearance(platform::KeyboardAppearanceDefault);

  manager->settings().toolbarDoneBarButtonItemText = "Finish";
  manager->settings().toolbarTintColor = platform::Color::red();
  manager->settings().placeholderFont = platform::Font::systemFont(11);
  manager->addToolbarIfRequired();
  EXPECT_EQ(barOf(*a)->items().back()->title(), "Finish");
  EXPECT_EQ(barOf(*a)->tintColor(), platform::Color::red());
  EXPECT_EQ(barOf(*a)->titleItem()->font(), platform::Font::systemFont(11));
  manager->settings().toolbarDoneBarButtonItemText = std::nullopt;
  manager->addToolbarIfRequired();
  EXPECT_EQ(barOf(*a)->items().back()->systemItem(), platform::BarButtonSystemItem::Done);

  setShouldHidePlaceholderText(*a, true);
  manager->addToolbarIfRequired();
  EXPECT_EQ(barOf(*a)->title(), std::nullopt);
  setShouldHidePlaceholderText(*a, false);
  setPlaceholderText(*a, "Your child's name");
  EXPECT_EQ(barOf(*a)->title(), "Your child's name");

  // A placeholder text view has a placeholder even before one is set: its bar is retitled.
  auto notes = KBTextView::create(makeRect(20, 200, 280, 100));
  addDoneOnKeyboardWithTarget(*notes, nullptr, ShouldShowPlaceholder{true});
  EXPECT_EQ(barOf(*notes)->title(), std::nullopt);
  setPlaceholderText(*notes, "Notes for the teacher");
  EXPECT_EQ(barOf(*notes)->title(), "Notes for the teacher");
}

TEST_F(KeyboardTest, ToolbarButtonsMoveTheFocusAndRunTheFieldsActions) {
  auto a = addField(*root->view(), makeRect(20, 100, 280, 30));
  auto b = addField(*root->view(), makeRect(20, 150, 280, 30));
  int nexts = 0, dones = 0;
  setCustomNextTarget(*a, [&](platform::View& sender) { nexts += &sender == a.get(); });
  setCustomDoneTarget(*b, [&](platform::View& sender) { dones += &sender == b.get(); });
  a->becomeFirstResponder();
  settle();
  const auto clicks = platform::Device::current().inputClickCount();
  // Tap the next arrow on the keyboard's bar, as a finger would.
  auto bar = barOf(*a);
  bar->setFrame(makeRect(0, 0, 320, 44));
  window->addSubview(bar);
  bar->layoutIfNeeded();
  fingers.tap({platform::midX(bar->viewForItemAtIndex(2)->frame()), 22});
  EXPECT_TRUE(b->isFirstResponder());
  EXPECT_EQ(nexts, 1);
  EXPECT_EQ(platform::Device::current().inputClickCount(), clicks + 1);
  EXPECT_FALSE(manager->goNext());
  EXPECT_TRUE(manager->canGoPrevious());

  barOf(*b)->items().back()->sendAction();  // done
  EXPECT_FALSE(b->isFirstResponder());
  EXPECT_EQ(dones, 1);

  // A field that refuses to resign keeps the focus.
  auto refusing = std::make_shared<RefusingDelegate>();
  a->becomeFirstResponder();
  a->setDelegate(refusing);
  EXPECT_FALSE(manager->resignFirstResponder());
  EXPECT_TRUE(a->isFirstResponder());
  a->setDelegate(nullptr);
}

TEST_F(KeyboardTest, NextStaysOnWhenLiftingTheFieldBringsMoreRowsOnScreen) {
  auto table = platform::TableView::create(kScreen);
  auto rows = std::make_shared<FieldRows>();
  table->setDataSource(rows);
  root->view()->addSubview(table);
  table->reloadData();
  window->layoutIfNeeded();
  // The last row on screen: the table scrolls it above the keyboard, and the rows below appear.
  auto field = FieldRows::fieldOf(*table->cellForRowAtIndexPath({0, 12}));
  fingers.tap(field->convertPointTo({150, 15}, nullptr));
  settle();
  ASSERT_TRUE(field->isFirstResponder());
  ASSERT_TRUE(table->cellForRowAtIndexPath({0, 13}));
  auto bar = barOf(*field);
  bar->setFrame(makeRect(0, 0, 320, 44));
  window->addSubview(bar);
  bar->layoutIfNeeded();
  fingers.tap({platform::midX(bar->viewForItemAtIndex(2)->frame()), 22});
  auto now = std::dynamic_pointer_cast<TextField>(platform::Responder::currentFirstResponder());
  ASSERT_TRUE(now);
  EXPECT_EQ(now->placeholder(), "Row 13");
}

TEST_F(KeyboardTest, TapOutsideResignsButNotOnControlsOrTheNavigationBar) {
  auto content = platform::ViewController::create();
  auto nav = platform::NavigationController::create(content);
  window->setRootViewController(nav);
  auto field = addField(*content->view(), makeRect(20, 100, 280, 30));
  content->view()->addSubview(platform::Button::create(makeRect(20, 300, 100, 40)));
  manager->setShouldResignOnTouchOutside(true);
  field->becomeFirstResponder();
  EXPECT_EQ(manager->tapGesture()->view(), window);
  fingers.tap({60, 320});  // the button
  EXPECT_TRUE(field->isFirstResponder());
  nav->view()->layoutIfNeeded();
  fingers.tap({160, 40});  // the navigation bar
  EXPECT_TRUE(field->isFirstResponder());
  auto refusing = std::make_shared<RefusingDelegate>();
  field->setDelegate(refusing);
  fingers.tap({160, 450});
  EXPECT_TRUE(field->isFirstResponder());  // refused: the focus stays
  field->setDelegate(nullptr);
  advance(0.5);
  fingers.tap({160, 450});
  EXPECT_FALSE(field->isFirstResponder());
  EXPECT_EQ(manager->tapGesture()->view(), nullptr);
}

TEST_F(KeyboardTest, ResponderListFollowsTheManageBehaviour) {
  auto form = platform::View::create(kScreen);
  root->view()->addSubview(form);
  // Subview order c, a, b; tags 3, 1, 2; positions: b left of a on one row, c above both.
  auto c = addField(*form, makeRect(20, 100, 100, 30));
  auto a = addField(*form, makeRect(200, 200, 100, 30));
  auto b = addField(*form, makeRect(20, 200, 100, 30));
  c->setTag(3);
  a->setTag(1);
  b->setTag(2);
  a->becomeFirstResponder();
  EXPECT_EQ(manager->responderViews(), (ViewList{c, a, b}));
  manager->settings().toolbarManageBehaviour = KBKeyboardManager::ByTag;
  EXPECT_EQ(manager->responderViews(), (ViewList{a, b, c}));
  manager->settings().toolbarManageBehaviour = KBKeyboardManager::ByPosition;
  EXPECT_EQ(manager->responderViews(), (ViewList{c, b, a}));
  manager->settings().toolbarManageBehaviour = 7;
  EXPECT_TRUE(manager->responderViews().empty());
  EXPECT_FALSE(manager->canGoNext());  // a field not in the list

  // Inside a previous/next view the whole subtree is one list in reading order.
  manager->settings().toolbarManageBehaviour = KBKeyboardManager::BySubviews;
  auto group = KBPreviousNextView::create(makeRect(0, 300, 320, 200));
  root->view()->addSubview(group);
  auto left = platform::View::create(makeRect(0, 0, 160, 200));
  auto right = platform::View::create(makeRect(160, 0, 160, 200));
  group->addSubview(right);
  group->addSubview(left);
  auto r1 = addField(*right, makeRect(10, 10, 100, 30));
  auto l1 = addField(*left, makeRect(10, 10, 100, 30));
  auto l2 = addField(*left, makeRect(10, 60, 100, 30));
  l2->becomeFirstResponder();
  EXPECT_EQ(manager->responderViews(), (ViewList{l1, r1, l2}));
}

TEST_F(KeyboardTest, TitleSitsBetweenTheButtonsWithSixteenPointMargins) {
  EXPECT_DOUBLE_EQ(height(KBToolbar::create(makeRect(0, 0, 320, 10))->frame()), 44);
  auto field = platform::TextField::create(makeRect(0, 0, 100, 30));
  addPreviousNextDoneOnKeyboardWithTarget(*field, nullptr, nullptr, nullptr, KBTitleText("Name"));
  auto bar = barOf(*field);
  bar->setFrame(makeRect(0, 0, 320, 44));
  bar->layoutIfNeeded();
  const auto next = bar->viewForItemAtIndex(2)->frame();
  const auto done = bar->viewForItemAtIndex(6)->frame();
  const auto title = bar->titleItem()->customView()->frame();
  EXPECT_DOUBLE_EQ(minX(title), maxX(next) + 16);
  EXPECT_DOUBLE_EQ(maxX(title), minX(done) - 16);
  EXPECT_DOUBLE_EQ(height(title), 44);
  // The title button without an action is disabled and grey.
  auto button = bar->titleItem()->titleButton();
  EXPECT_FALSE(button->isEnabled());
  EXPECT_FALSE(bar->titleItem()->isEnabled());
  EXPECT_EQ(button->currentTitleColor(), platform::Color::lightGray());
  int taps = 0;
  setTitleTarget(*field, [&](platform::View&) { ++taps; });
  EXPECT_TRUE(bar->titleItem()->isEnabled());
  button->sendActionsForControlEvents(platform::ControlEventTouchUpInside);
  EXPECT_EQ(taps, 1);

  // A long title takes up to three centred lines in the space between the buttons.
  bar->setTitle("Please tell the teacher the reason for the leave and the day the child returns");
  bar->layoutIfNeeded();
  button->layoutIfNeeded();
  const auto label = button->titleLabel();
  const double line = platform::TextLayout::measure("Name", label->font(), {0, 0},
                                                    platform::LineBreakMode::ByTruncatingTail, 1)
                          .height;
  EXPECT_EQ(label->textAlignment(), platform::TextAlignment::Center);
  EXPECT_LE(width(label->frame()), width(title));
  EXPECT_GT(height(label->frame()), 2 * line);
  EXPECT_LE(height(label->frame()), std::min(44.0, 3 * line + 1));

  // Too narrow for a title: its width stays at zero instead of going negative.
  bar->setFrame(makeRect(0, 0, 150, 44));
  bar->layoutIfNeeded();
  EXPECT_DOUBLE_EQ(width(bar->titleItem()->customView()->frame()), 0);

  // Previous/next enabling leaves a done-only bar alone; a view without accessory is unchanged.
  auto single = platform::TextField::create();
  addDoneOnKeyboardWithTarget(*single, nullptr);
  setEnablePrevious(*single, false, false);
  EXPECT_TRUE(barOf(*single)->items()[2]->isEnabled());
  auto plain = platform::View::create();
  addDoneOnKeyboardWithTarget(*plain, nullptr);
  EXPECT_EQ(plain->inputAccessoryView(), nullptr);
}

TEST_F(KeyboardTest, TextViewGetsItsBarAfterTheKeyboardAndTheKeyboardTakesItsHeight) {
  auto notes = platform::TextView::create(makeRect(20, 100, 280, 100));
  root->view()->addSubview(notes);
  notes->becomeFirstResponder();
  // The keyboard came up before the text view said it was editing: bare at first.
  EXPECT_DOUBLE_EQ(manager->avoidance().keyboardSize().height, 216);
  settle();  // the bar goes on, the keyboard is reloaded with it
  ASSERT_TRUE(barOf(*notes));
  EXPECT_DOUBLE_EQ(manager->avoidance().keyboardSize().height, 260);
}

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
  notes->layoutIfNeeded();
  EXPECT_EQ(label->frame().origin, (platform::Point{8, 8}));
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
  EXPECT_EQ(topMostController(*platform::TextField::create()), nullptr);

  // Disabled, hidden, transparent and read-only siblings are no responders.
  addField(*box, makeRect(10, 60, 100, 30))->setEnabled(false);
  addField(*box, makeRect(10, 100, 100, 30))->setHidden(true);
  addField(*box, makeRect(10, 140, 100, 30))->setAlpha(0);
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
  EXPECT_EQ(superviewOfClassType<platform::ScrollView>(*inTable), table);
  EXPECT_EQ(superviewOfClassType<platform::CollectionView>(*inTable), nullptr);

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
            "\nWindow: ( 0, 0, 320, 568 )\n|  View: ( 0, 0, 320, 568 )\n|  |  " +
                debugHierarchy(*scroll) + "\n");
  const std::string description = KBDescription(*field);
  EXPECT_EQ(description.rfind("<View 0x", 0), 0u);
  EXPECT_EQ(description.back(), '>');
  EXPECT_DOUBLE_EQ(convertTransformToView(*field, nullptr).a, 2);
}

}  // namespace
}  // namespace sprout::kb_test
