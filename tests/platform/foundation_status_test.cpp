#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "platform/foundation/Error.h"
#include "platform/foundation/Status.h"

namespace platform {
namespace {

Status refuseOdd(int n) {
  if (n % 2) return Error::make(kPOSIXErrorDomain, 22, "odd");
  return Status::ok();
}

TEST(Status, OkOrTheErrorThatStoppedIt) {
  const Status ok = refuseOdd(2);
  EXPECT_TRUE(ok);
  EXPECT_TRUE(ok.isOk());
  EXPECT_FALSE(ok.failure());
  EXPECT_THROW((void)ok.error(), std::bad_optional_access);

  const Status failed = refuseOdd(3);
  EXPECT_FALSE(failed);
  EXPECT_EQ(failed.error().code, 22);
  EXPECT_EQ(failed.error().localizedDescription(), "odd");
  ASSERT_TRUE(failed.failure());
  EXPECT_EQ(failed.failure()->domain, kPOSIXErrorDomain);
}

using Names = Result<std::vector<std::string>>;

TEST(Result, HoldsAValueOrAnErrorAndCopiesReadTheirOwn) {
  Names names = Names::success({"a", "b"});
  ASSERT_TRUE(names);
  EXPECT_TRUE(names.hasValue());
  EXPECT_EQ(names.value().size(), 2u);
  EXPECT_THROW((void)names.error(), std::bad_variant_access);

  // A copy and a moved-to result read their own state, not the one they came from.
  Names copy = names;
  names.value().push_back("c");
  EXPECT_EQ(copy.value().size(), 2u);
  EXPECT_EQ(names.value().size(), 3u);
  Names moved = std::move(copy);
  copy = Names::failure(Error::make("test", 1));
  EXPECT_EQ(moved.value().size(), 2u);
  EXPECT_FALSE(copy);

  // Assigning a failure over a value leaves the error alone.
  moved = Names::failure(Error::make("test", 5, "gone"));
  EXPECT_FALSE(moved);
  EXPECT_FALSE(moved.hasValue());
  EXPECT_EQ(moved.error().code, 5);
  EXPECT_EQ(moved.error().localizedDescription(), "gone");
  EXPECT_THROW((void)moved.value(), std::bad_variant_access);

  // Kept in a growing vector, each result keeps reading its own state.
  std::vector<Result<int>> many;
  for (int i = 0; i < 50; ++i) {
    many.push_back(i % 3 ? Result<int>::success(i) : Result<int>::failure(Error::make("n", i)));
  }
  for (int i = 0; i < 50; ++i) {
    EXPECT_EQ(static_cast<bool>(many[i]), i % 3 != 0);
    EXPECT_EQ(many[i] ? many[i].value() : many[i].error().code, i);
  }
}

}  // namespace
}  // namespace platform
