// The choice of the window that takes over a hidden one.
#include "control/window_order.h"

#include <gtest/gtest.h>

namespace zv {
namespace {

TEST(WindowOrderTest, OnlyTheFramesLastUsedWindowIsReplacedPassingHiddenOnesWhileItCan) {
  CWindowOrder order(10);
  int out = -1;
  for (int n : {4, 3, 5, 7, 9}) order.Touch(n);
  // 3 was not the last window touched; 4 is still the last even one.
  EXPECT_EQ(order.PickReplacement(3, out), 9);
  EXPECT_EQ(out, 0);
  EXPECT_EQ(order.Hide(4, out), 9);
  EXPECT_EQ(out, 2);
  for (int n : {9, 7, 5}) EXPECT_NE(order.Hide(n, out), 0);
  order.Touch(1);
  EXPECT_EQ(order.Hide(1, out), 2);
  EXPECT_EQ(out, 3);  // not hidden: comes first
  EXPECT_NE(order.Hide(3, out), 0);
  // Hiding a hidden window does nothing and leaves out alone; with every
  // other odd window hidden, the first one in the list is taken.
  out = 42;
  EXPECT_EQ(order.Hide(3, out), 0);
  EXPECT_EQ(out, 42);
  order.Unhide(1);
  order.Touch(1);
  order.Hide(1, out);
  EXPECT_EQ(out, 9);
}

}  // namespace
}  // namespace zv
