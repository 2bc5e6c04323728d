#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/clocks.h"
#include "platform/desktop.h"
#include "platform/fixed_system_values.h"
#include "platform/font_catalogs.h"
#include "platform/in_process_clipboard.h"
#include "platform/message_box_recorder.h"
#include "platform/window.h"

namespace zv::platform {
namespace {

using ::testing::ElementsAre;
using ::testing::FieldsAre;

TEST(MessageBoxRecorderTest, RecordsEveryBoxInOrderAndAnswers) {
  auto recorder = std::make_unique<MessageBoxRecorder>();
  MessageBoxRecorder& boxes = *recorder;
  DesktopServices services;
  services.message_boxes = std::move(recorder);
  Desktop desktop(std::move(services));
  DesktopScope scope(desktop);

  EXPECT_EQ(MessageBox(0, "SOM not found", "ZVEmul", MB_OK | MB_ICONERROR), IDOK);
  EXPECT_EQ(MessageBox(0, "Clear?", "ZVEmul", MB_YESNO | MB_ICONQUESTION), IDYES);
  boxes.SetAnswer(IDNO);
  EXPECT_EQ(MessageBox(0, "Again?", "", MB_YESNOCANCEL), IDNO);
  boxes.ClearAnswer();
  EXPECT_EQ(MessageBox(0, "Go on?", "", MB_OKCANCEL), IDOK);

  EXPECT_THAT(boxes.boxes(),
              ElementsAre(FieldsAre("SOM not found", "ZVEmul", MB_OK | MB_ICONERROR),
                          FieldsAre("Clear?", "ZVEmul", MB_YESNO | MB_ICONQUESTION),
                          FieldsAre("Again?", "", MB_YESNOCANCEL), FieldsAre("Go on?", "", MB_OKCANCEL)));
}

TEST(InProcessClipboardTest, KeepsTheLastTextExactly) {
  InProcessClipboard clipboard;
  EXPECT_FALSE(clipboard.GetText().has_value());
  EXPECT_TRUE(clipboard.SetText(std::string("A\r\nB\0C", 6)));
  EXPECT_EQ(clipboard.GetText(), std::string("A\r\nB\0C", 6));
  clipboard.SetText("");
  EXPECT_TRUE(clipboard.HasText()) << "an empty text is still a text";
  clipboard.Clear();
  EXPECT_FALSE(clipboard.HasText());
}

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

TEST(SystemClockTest, GivesAPlausibleLocalTime) {
  const LocalTime now = SystemClock().Now();
  EXPECT_TRUE(now.year >= 2020 && now.month >= 1 && now.month <= 12 && now.day_of_week <= 6 && now.millisecond < 1000);
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

TEST(FixedFontCatalogTest, FindsListedFacesWithoutRegardToCase) {
  FixedFontCatalog fonts;
  const auto courier = fonts.Find("courier NEW");
  ASSERT_TRUE(courier.has_value());
  EXPECT_EQ(courier->face, "courier NEW") << "named as asked";
  EXPECT_EQ(courier->pitch_and_family, FIXED_PITCH | FF_MODERN);
  EXPECT_EQ(courier->charset, ANSI_CHARSET);
  EXPECT_EQ(fonts.Find("Arial")->pitch_and_family, VARIABLE_PITCH | FF_SWISS);
  EXPECT_FALSE(fonts.Find("ZELVANTA Default").has_value());

  FixedFontCatalog only_one({{"Terminal", OEM_CHARSET, FIXED_PITCH | FF_MODERN}});
  EXPECT_EQ(only_one.Find("terminal")->charset, OEM_CHARSET);
  EXPECT_FALSE(only_one.Find("Courier New").has_value());
}

}  // namespace
}  // namespace zv::platform
