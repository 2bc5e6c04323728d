#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/clocks.h"
#include "platform/desktop.h"
#include "platform/fixed_system_values.h"
#include "platform/window.h"

namespace zv::platform {
namespace {

using ::testing::FieldsAre;

TEST(ManualClockTest, AdvancesAcrossDayMonthAndYearAndWrapsTheTickCount) {
  ManualClock clock;
  EXPECT_THAT(clock.Now(), FieldsAre(2000, 1, 1, 0, 0, 0, 0, 6));
  EXPECT_EQ(clock.TickCount(), 0u);

  clock.SetLocalTime({1999, 12, 31, 23, 59, 59, 500, 0});
  clock.SetTickCount(0xFFFFFF00u);
  clock.Advance(1000);
  EXPECT_THAT(clock.Now(), FieldsAre(2000, 1, 1, 0, 0, 0, 500, 6));
  EXPECT_EQ(clock.TickCount(), 1000u - 0x100u);

  clock.SetLocalTime({2004, 2, 28, 12, 0, 0, 0, 0});
  clock.Advance(24 * 3600 * 1000);
  EXPECT_THAT(clock.Now(), FieldsAre(2004, 2, 29, 12, 0, 0, 0, 0)) << "a leap day, a Sunday";

  clock.SetLocalTime({2023, 13, 1, 0, 0, 0, 0, 0});
  EXPECT_THAT(clock.Now(), FieldsAre(2024, 1, 1, 0, 0, 0, 0, 1)) << "month 13 carries over";
}

TEST(SystemValuesTest, InjectedValuesReachTheFreeFunctions) {
  auto values = std::make_unique<FixedSystemValues>();
  values->SetOsVersion({4, 0});
  values->SetRichEditVersion(0x00030000);
  values->SetSysColor(COLOR_HIGHLIGHT, 0x00B20000);
  values->SetKeyboardLayoutName("00000809");
  values->SetUserName("jsmith");
  DesktopServices services;
  services.system_values = std::move(values);
  Desktop desktop(std::move(services));
  DesktopScope scope(desktop);
  EXPECT_EQ(GetOsVersion().major, 4u);
  EXPECT_EQ(GetRichEditVersion(), 0x00030000u);
  EXPECT_EQ(GetSysColor(COLOR_HIGHLIGHT), 0x00B20000u);
  EXPECT_EQ(GetSysColor(999), 0u);
  EXPECT_EQ(GetKeyboardLayoutName(), "00000809");
  EXPECT_EQ(GetUserName(), "jsmith");
}

TEST(DesktopScopeTest, ScopesNestAndHandlersRunOnTheirWindowsDesktop) {
  Desktop& fallback = CurrentDesktop();  // without a scope: the thread's own
  class ClockReader : public Window {
   public:
    DWORD seen = 0;

   protected:
    LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override {
      if (message == WM_USER) seen = GetTickCount();
      return Window::WindowProc(message, wparam, lparam);
    }
  } reader;
  {
    auto clock = std::make_unique<ManualClock>();
    clock->SetTickCount(1234);
    DesktopServices services;
    services.clock = std::move(clock);
    Desktop outer(std::move(services));
    Desktop inner;
    DesktopScope outer_scope(outer);
    EXPECT_EQ(GetTickCount(), 1234u);
    ASSERT_TRUE(reader.Create(0, {0, 0, 10, 10}, nullptr, 0));
    {
      DesktopScope inner_scope(inner);
      EXPECT_EQ(&CurrentDesktop(), &inner);
      EXPECT_EQ(GetTickCount(), 0u);
      EXPECT_FALSE(IsWindow(reader.handle())) << "handles belong to their desktop";
      reader.SendMessage(WM_USER);
      EXPECT_EQ(reader.seen, 1234u);
      EXPECT_EQ(&CurrentDesktop(), &inner);
    }
    EXPECT_EQ(&CurrentDesktop(), &outer);
    reader.Destroy();
  }
  EXPECT_EQ(&CurrentDesktop(), &fallback);
}

}  // namespace
}  // namespace zv::platform
