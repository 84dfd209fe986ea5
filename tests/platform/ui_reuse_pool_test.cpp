#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/ui/scroll/CollectionViewCell.h"
#include "platform/ui/scroll/ReusePool.h"
#include "ui_support.h"

namespace platform {
namespace {

class Counted : public CollectionReusableView {
 public:
  static std::shared_ptr<Counted> create() { return make<Counted>(); }
  void prepareForReuse() override { ++prepared; }
  int prepared = 0;

  explicit Counted(Key key) : CollectionReusableView(std::move(key), {}) {}
};

using Pool = ReusePool<int, Counted>;

class UIReusePool : public ui_test::UITest {
 protected:
  void SetUp() override {
    pool.registerFactory("a", [this](const std::string& id) {
      ++made;
      auto view = Counted::create();
      view->setReuseIdentifier(id);
      return view;
    });
  }
  Pool pool;
  int made = 0;
};

TEST_F(UIReusePool, RecycledViewsWaitHiddenInPlaceAndComeBackPrepared) {
  auto list = View::create();
  EXPECT_EQ(pool.dequeue("unregistered"), nullptr);
  auto first = pool.dequeue("a");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(made, 1);
  EXPECT_EQ(first->prepared, 0);  // a new view needs no preparing
  auto other = View::create();
  list->addSubview(other);
  Pool::reveal(*list, first);
  pool.track(4, first);
  EXPECT_EQ(list->subviews().front(), first);  // joins at the back
  EXPECT_EQ(pool.visible(4), first);
  EXPECT_EQ(pool.visible(5), nullptr);

  pool.recycle(4);
  EXPECT_TRUE(first->isHidden());
  EXPECT_EQ(first->superview(), list);  // waits in the tree
  EXPECT_EQ(pool.visible(4), nullptr);
  EXPECT_EQ(pool.count(), 1u);

  auto again = pool.dequeue("a");
  EXPECT_EQ(again, first);
  EXPECT_EQ(made, 1);
  EXPECT_EQ(again->prepared, 1);
  EXPECT_EQ(pool.count(), 0u);  // handed out, not yet shown
  Pool::reveal(*list, again);
  EXPECT_FALSE(again->isHidden());
  EXPECT_EQ(list->subviews().size(), 2u);  // shown again where it was, not added twice
  // Waiting is per identifier: a view filed under another one is not handed out for "a".
  auto stranger = Counted::create();
  stranger->setReuseIdentifier("b");
  pool.track(7, stranger);
  pool.recycle(7);
  EXPECT_NE(pool.dequeue("a"), stranger);
  EXPECT_EQ(made, 2);
}

TEST_F(UIReusePool, RecyclingAllButTheWantedKeepsTheirOrder) {
  for (int key : {3, 1, 2}) pool.track(key, pool.dequeue("a"));
  EXPECT_EQ(pool.visibleKeys(), (std::vector<int>{1, 2, 3}));
  const auto two = pool.visible(2);
  pool.recycleAllBut({2, 9});
  EXPECT_EQ(pool.visibleKeys(), std::vector<int>{2});
  EXPECT_EQ(pool.visibleList(), std::vector<std::shared_ptr<Counted>>{two});
  EXPECT_FALSE(two->isHidden());
  EXPECT_EQ(pool.count(), 3u);
  pool.recycleAllBut();
  EXPECT_TRUE(pool.visibleKeys().empty());
  EXPECT_TRUE(two->isHidden());
  EXPECT_EQ(pool.count(), 3u);
}

}  // namespace
}  // namespace platform
