// Objects come only from Object::make, so none can skip didInit.
#include <gtest/gtest.h>

#include <type_traits>

#include "platform/foundation/Object.h"
#include "platform/ui/PanGestureRecognizer.h"
#include "platform/ui/View.h"

namespace platform {
namespace {

// A recognizer with a public constructor: only the key keeps it from being built bare.
class CountingPan : public PanGestureRecognizer {
 public:
  explicit CountingPan(Key key, int* inits) : PanGestureRecognizer(std::move(key)), inits_(inits) {}

 protected:
  void didInit() override {
    PanGestureRecognizer::didInit();
    ++*inits_;
  }

 private:
  int* inits_;
};

// Nothing outside make can produce a key, so no object can be constructed outside it either.
static_assert(!std::is_default_constructible_v<Object::Key>);
static_assert(!std::is_constructible_v<CountingPan, int*>);
static_assert(!std::is_default_constructible_v<View>);
// A constructor moves its key on to its base and cannot keep a copy to build another object.
static_assert(!std::is_copy_constructible_v<Object::Key>);
static_assert(!std::is_copy_assignable_v<Object::Key>);
static_assert(std::is_move_constructible_v<Object::Key>);

TEST(ObjectMake, ASubclassOfARecognizerIsInitialisedOnce) {
  int inits = 0;
  auto pan = Object::make<CountingPan>(&inits);
  EXPECT_EQ(inits, 1);
}

}  // namespace
}  // namespace platform
