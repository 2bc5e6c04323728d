// The most-recently-used order and the choice of the window that takes over.
#include "control/window_order.h"

#include <gtest/gtest.h>

namespace zv {
namespace {

TEST(WindowOrderTest, AReplacementComesOnlyForTheWindowLastUsedInItsFrame) {
  CWindowOrder order(10);
  order.Touch(4);
  order.Touch(3);
  int out = -1;
  // 3 was touched last: the first odd window in the list takes over.
  EXPECT_EQ(order.PickReplacement(3, out), 4);
  EXPECT_EQ(out, 1);
  EXPECT_EQ(order.order().back(), 3);
  // 4 is still the last even window, although 3 came after it.
  EXPECT_EQ(order.PickReplacement(4, out), 1);
  EXPECT_EQ(out, 2);
  // 5 was never touched: no replacement.
  EXPECT_EQ(order.PickReplacement(5, out), 1);
  EXPECT_EQ(out, 0);
}

TEST(WindowOrderTest, HiddenWindowsArePassedByUnlessAllOfTheFrameAre) {
  CWindowOrder order(10);
  int out = 0;
  for (int n : {3, 5, 7, 9}) {
    order.Touch(n);
    EXPECT_NE(order.Hide(n, out), 0);
  }
  order.Touch(1);
  EXPECT_EQ(order.Hide(1, out), 2);
  // Every other odd window is hidden: the first one in the list.
  EXPECT_EQ(out, 3);
  EXPECT_TRUE(order.IsHidden(1));
  // Hiding a hidden window does nothing and leaves out alone.
  out = 42;
  EXPECT_EQ(order.Hide(1, out), 0);
  EXPECT_EQ(out, 42);
  order.Unhide(3);
  EXPECT_FALSE(order.IsHidden(3));
  EXPECT_EQ(order.Hide(11, out), 0);
  EXPECT_FALSE(order.IsHidden(11));
}

}  // namespace
}  // namespace zv
