#include <gtest/gtest.h>

#include "kb_test_support.h"
#include "platform/layout/LayoutConstraint.h"
#include "platform/layout/LayoutGuide.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/scroll/ScrollView.h"
#include "ui/support/keyboard/KBViewAdditions.h"

namespace sprout::kb_test {
namespace {

using platform::makeRect;
using platform::ScrollView;

class AvoidanceTest : public KeyboardTest {
 protected:
  AvoidanceTest() { manager->setEnableAutoToolbar(false); }  // a bare 216-point keyboard
};

TEST_F(AvoidanceTest, ScrollViewAbsorbsTheMoveAndGrowsItsBottomInset) {
  auto scroll = ScrollView::create(makeRect(0, 0, 320, 568));
  scroll->setContentSize({320, 1000});
  root->view()->addSubview(scroll);
  auto field = addField(*scroll, makeRect(20, 500, 280, 30));
  field->becomeFirstResponder();
  // move = min(500 - 25, 530 - (568 - 226)) = 188, taken by the scroll view alone.
  EXPECT_DOUBLE_EQ(scroll->contentOffset().y, 188);
  EXPECT_DOUBLE_EQ(root->view()->frame().origin.y, 0);
  EXPECT_EQ(manager->avoidance().lastScrollView(), scroll);
  // The inset uses the keyboard without the field distance.
  EXPECT_DOUBLE_EQ(scroll->contentInset().bottom, 216);
  EXPECT_DOUBLE_EQ(scroll->scrollIndicatorInsets().bottom, 216);

  field->resignFirstResponder();
  EXPECT_DOUBLE_EQ(scroll->contentInset().bottom, 0);
  EXPECT_EQ(manager->avoidance().lastScrollView(), nullptr);
  // The offset stays (it is inside the content) unless the scroll view asks for it back.
  EXPECT_DOUBLE_EQ(scroll->contentOffset().y, 188);
  settle();

  scroll->setContentOffset({0, 0});
  setShouldRestoreScrollViewContentOffset(*scroll, true);
  field->becomeFirstResponder();
  field->resignFirstResponder();
  EXPECT_DOUBLE_EQ(scroll->contentOffset().y, 0);
}

TEST_F(AvoidanceTest, InnerScrollViewFirstThenTheOuterOneTakesTheRest) {
  auto outer = ScrollView::create(makeRect(0, 0, 320, 568));
  outer->setContentSize({320, 1200});
  root->view()->addSubview(outer);
  auto inner = ScrollView::create(makeRect(0, 300, 320, 200));
  inner->setContentSize({320, 400});
  outer->addSubview(inner);
  auto field = addField(*inner, makeRect(20, 40, 280, 30));  // window y 340..370
  field->becomeFirstResponder();
  // move = 370 - 342 = 28: the inner one may scroll only until the field's top (40) reaches
  // its top, so it takes 28 whole here.
  EXPECT_DOUBLE_EQ(inner->contentOffset().y, 28);
  EXPECT_DOUBLE_EQ(outer->contentOffset().y, 0);
  field->resignFirstResponder();
  settle();

  // A field lower down: the inner view stops at the field's top, the outer one takes the rest.
  inner->setContentOffset({0, 0});
  auto low = addField(*inner, makeRect(20, 10, 280, 180));  // window y 310..490
  low->becomeFirstResponder();
  // move = min(310 - 25, 490 - 342) = 148; inner: min(148, 10) = 10; outer: 138.
  EXPECT_DOUBLE_EQ(inner->contentOffset().y, 10);
  EXPECT_DOUBLE_EQ(outer->contentOffset().y, 138);
  EXPECT_EQ(manager->avoidance().lastScrollView(), inner);
  EXPECT_DOUBLE_EQ(outer->contentInset().bottom, 0);  // only the innermost gets the inset
  EXPECT_GT(inner->contentInset().bottom, 0);

  // Hiding clamps every offset of the chain to the end of its content.
  inner->setContentSize({320, 200});
  low->resignFirstResponder();
  EXPECT_DOUBLE_EQ(inner->contentOffset().y, 0);
  EXPECT_DOUBLE_EQ(outer->contentOffset().y, 138);
}

TEST_F(AvoidanceTest, TallTextViewGetsABottomInsetOnceRecorded) {
  auto text = platform::TextView::create(makeRect(0, 100, 320, 400));
  text->setContentInset({0, 0, 5, 0});
  root->view()->addSubview(text);
  text->becomeFirstResponder();
  // Visible height: min(400, 568 - 226 - 20) = 322, so the inset is 400 - 322.
  EXPECT_DOUBLE_EQ(text->contentInset().bottom, 78);
  manager->adjustFrame();  // again: the recorded starting insets stay the first ones
  text->resignFirstResponder();
  EXPECT_DOUBLE_EQ(text->contentInset().bottom, 5);
}

TEST_F(AvoidanceTest, TextViewInsetNeverExceedsTheView) {
  platform::ApplicationWindows::shared().reset();
  window = platform::Window::create(makeRect(0, 0, 320, 200));
  root = platform::ViewController::create();
  window->setRootViewController(root);
  window->makeKeyAndVisible();
  auto text = platform::TextView::create(makeRect(0, 20, 320, 150));
  root->view()->addSubview(text);
  text->becomeFirstResponder();
  // The keyboard covers more than the window: nothing of the view stays visible, and the inset
  // is its whole height, not more.
  EXPECT_DOUBLE_EQ(text->contentInset().bottom, 150);
}

TEST_F(AvoidanceTest, BottomGuideConstraintChangesItsConstantInstead) {
  auto field = addField(*root->view(), makeRect(20, 480, 280, 30));
  auto guide = platform::bottomLayoutGuide(*root);
  auto constraint = platform::LayoutConstraint::create(guide, platform::LayoutAttributeTop,
                                                       platform::LayoutRelationEqual, field,
                                                       platform::LayoutAttributeBottom, 1, 58);
  setKBLayoutGuideConstraint(*root, constraint);
  field->becomeFirstResponder();
  // Bottom guide: the status bar does not count; move = 510 - (568 - 226) = 168.
  EXPECT_DOUBLE_EQ(constraint->constant(), 58 + 168);
  EXPECT_DOUBLE_EQ(root->view()->frame().origin.y, 0);
  field->resignFirstResponder();
  EXPECT_DOUBLE_EQ(constraint->constant(), 58);
}

TEST_F(AvoidanceTest, TopGuideConstraintGoesDownByTheMove) {
  auto field = addField(*root->view(), makeRect(20, 480, 280, 30));
  auto constraint = platform::LayoutConstraint::create(
      field, platform::LayoutAttributeTop, platform::LayoutRelationEqual,
      platform::topLayoutGuide(*root), platform::LayoutAttributeBottom, 1, 460);
  setKBLayoutGuideConstraint(*root, constraint);
  field->becomeFirstResponder();
  EXPECT_DOUBLE_EQ(constraint->constant(), 460 - 168);
  field->resignFirstResponder();
  EXPECT_DOUBLE_EQ(constraint->constant(), 460);
}

TEST_F(AvoidanceTest, FormSheetMovesByAtMostHalfTheFreeSpaceLessTheKeyboard) {
  auto sheet = platform::ViewController::create();
  sheet->setModalPresentationStyle(platform::ModalPresentationStyle::FormSheet);
  root->presentViewController(sheet, false);
  const auto sheetFrame = sheet->view()->frame();  // 0, 40, 320, 528 on a phone
  // Window y 560..590: the field would need the sheet to go up by 248.
  auto field = addField(*sheet->view(), makeRect(20, 520, 280, 30));
  field->becomeFirstResponder();
  // Sheets move once the keyboard is up.
  settle();
  const double bound = (568 - height(sheetFrame) - 20) * 0.5 - 216;
  EXPECT_DOUBLE_EQ(sheet->view()->frame().origin.y, bound);
  EXPECT_DOUBLE_EQ(manager->movedDistance(), 40 - bound);
  field->resignFirstResponder();
  EXPECT_EQ(sheet->view()->frame(), sheetFrame);
}

TEST_F(AvoidanceTest, NavigationControllerIsCapturedAtTheBottomOfTheWindow) {
  auto content = platform::ViewController::create();
  auto nav = platform::NavigationController::create(content);
  window->setRootViewController(nav);
  auto field = addField(*content->view(), makeRect(20, 400, 280, 30));
  field->becomeFirstResponder();
  EXPECT_EQ(manager->avoidance().rootViewController(), nav);
  EXPECT_DOUBLE_EQ(nav->view()->frame().origin.y, -88);
  field->resignFirstResponder();
  EXPECT_DOUBLE_EQ(nav->view()->frame().origin.y, 0);
}

}  // namespace
}  // namespace sprout::kb_test
