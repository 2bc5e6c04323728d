#include "reswindow/input_recall.h"

#include <gtest/gtest.h>

#include "platform/archive.h"

namespace zv {
namespace {

using platform::Archive;

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

TEST(InputRecallTest, TheRecordHoldsTheFirstListNewestFirst) {
  CInputRecall history(50);
  for (const std::string& entry : {std::string("OLD"), std::string(255, 'L'), std::string("NEW")}) history.Add(entry);
  history.SetMode(1);
  history.Add("SECOND LIST");
  Archive out;
  history.Serialize(out);
  EXPECT_EQ(out.Buffer(), std::string("\x03\x00\x03NEW\xFF\xFF\x00", 9) + std::string(255, 'L') + "\x03OLD");

  // Loading appends in the stored order, beyond the capacity, in the first
  // list whatever the mode.
  CInputRecall loaded(2);
  loaded.Add("KEPT");
  loaded.SetMode(1);
  Archive in(out.Buffer());
  loaded.Serialize(in);
  EXPECT_EQ(loaded.GetCount(), 0);
  loaded.SetMode(0);
  ASSERT_EQ(loaded.GetCount(), 4);
  EXPECT_EQ(loaded.GetAt(1), "NEW");
  EXPECT_EQ(loaded.GetAt(3), "OLD");
  // An addition drops one string, the oldest, as always.
  loaded.Add("NEWER");
  EXPECT_EQ(loaded.GetCount(), 4);
  EXPECT_EQ(loaded.GetAt(3), std::string(255, 'L'));
}

TEST(InputRecallTest, ACorruptRecordFailsWithoutTakingMoreThanItHolds) {
  // A count of 0xFFFFFFFE with one string behind it.
  CInputRecall history(50);
  Archive in(std::string("\xFF\xFF\xFE\xFF\xFF\xFF\x01Z", 8));
  EXPECT_THROW(history.Serialize(in), platform::ArchiveException);
  EXPECT_EQ(history.GetAt(0), "Z");
}

}  // namespace
}  // namespace zv
