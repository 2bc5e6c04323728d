#include "reswindow/input_recall.h"

#include <gtest/gtest.h>

namespace zv {
namespace {

TEST(InputRecallTest, KeepsTheNewestUpToItsCapacity) {
  CInputRecall history(50);
  for (int i = 0; i <= 50; ++i) history.Add("E" + std::to_string(i));
  EXPECT_EQ(history.GetCount(), 50);
  EXPECT_EQ(history.GetAt(0), "E50");
  EXPECT_EQ(history.GetAt(49), "E1");
  EXPECT_FALSE(history.GetAt(50).has_value());
  EXPECT_FALSE(history.GetAt(-1).has_value());
}

TEST(InputRecallTest, AsAQueueTheOldestComesOutFirst) {
  CInputRecall queue(5);
  for (const char* entry : {"a", "b", "c"}) queue.Add(entry);
  EXPECT_EQ(queue.PopOldest(), "a");
  EXPECT_EQ(queue.PopOldest(), "b");
  EXPECT_EQ(queue.PopOldest(), "c");
  EXPECT_FALSE(queue.PopOldest().has_value());
}

TEST(InputRecallTest, TheModeWordSwitchesBetweenTwoLists) {
  CInputRecall history(50);
  history.Add("first");
  history.SetMode(1);
  EXPECT_EQ(history.GetCount(), 0);
  history.Add("second");
  EXPECT_EQ(history.GetAt(0), "second");
  history.SetMode(2);  // anything but 1 is the first list
  EXPECT_EQ(history.GetCount(), 1);
  EXPECT_EQ(history.GetAt(0), "first");
  history.SetMode(1);
  EXPECT_EQ(history.GetAt(0), "second");
}

}  // namespace
}  // namespace zv
