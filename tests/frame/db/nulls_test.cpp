#include "frame/db/nulls.h"

#include <gtest/gtest.h>

#include "frame/errors.h"

namespace ravadid {
namespace {

TEST(DbNulls, NullToSpaceReadsNullAsOneSpace) {
  EXPECT_EQ(NullToSpace(Value::null()), " ");
  EXPECT_EQ(NullToSpace(Value()), "");
  EXPECT_EQ(NullToSpace(Value::text("")), "");
  EXPECT_EQ(NullToSpace(Value::text(" LHS ")), " LHS ");
  EXPECT_EQ(NullToSpace(Value::whole(42)), "42");
  EXPECT_EQ(NullToSpace(Value::number(1.5)), "1.5");
  EXPECT_EQ(NullToSpace(Value::boolean(true)), "True");
}

TEST(DbNulls, NullToLongReadsNullAndEmptyAsZero) {
  EXPECT_EQ(NullToLong(Value::null()), 0);
  EXPECT_EQ(NullToLong(Value()), 0);
  EXPECT_EQ(NullToLong(Value::text("")), 0);
  EXPECT_EQ(NullToLong(Value::text("12")), 12);
  EXPECT_EQ(NullToLong(Value::number(2.5)), 2);
  EXPECT_EQ(NullToLong(Value::number(3.5)), 4);
  EXPECT_EQ(NullToLong(Value::whole(-7)), -7);
}

TEST(DbNulls, NullToLongOfTextThatIsNoNumberIsATypeMismatch) {
  try {
    NullToLong(Value::text("abc"));
    FAIL() << "expected an error";
  } catch (const VbError& e) {
    EXPECT_EQ(e.number(), vberr::kTypeMismatch);
  }
}

}  // namespace
}  // namespace ravadid
