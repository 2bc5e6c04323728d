// The desk's reading of the session mapping it gives the control.

#include <gtest/gtest.h>

#include "apps/zvemul/session_map.h"

namespace zv::desk {
namespace {

TEST(SessionMap, WindowsGoToTheSessionOfTheirGroup) {
  SessionMap map;
  map.Set(2, "1:1,3,5,7,9;2:2,4,6,8,0");
  EXPECT_EQ(map.SessionOf(1), 1);
  EXPECT_EQ(map.SessionOf(9), 1);
  EXPECT_EQ(map.SessionOf(4), 2);
  EXPECT_EQ(map.SessionOf(10), 2) << "0 names window 10";

  map.Set(3, "1:1;3:2,3");
  EXPECT_EQ(map.SessionOf(3), 3);
  EXPECT_EQ(map.SessionOf(7), 1) << "a window left out goes to session 1";

  map.Set(1, "1:1;2:2");
  EXPECT_EQ(map.SessionOf(2), 1) << "one session serves every window";
}

}  // namespace
}  // namespace zv::desk
