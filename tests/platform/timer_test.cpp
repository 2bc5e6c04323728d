#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/clocks.h"
#include "platform/desktop.h"
#include "platform/window.h"
#include "tests/platform/recording_window.h"

namespace zv::platform {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using testing::Message;
using testing::RecordingWindow;

constexpr RECT kRect{0, 0, 100, 50};

class TimerTest : public ::testing::Test {
 protected:
  TimerTest() : desktop_(MakeServices()) {}
  void SetUp() override {
    ASSERT_TRUE(window_.Create(0, kRect, nullptr, 0));
    ASSERT_TRUE(other_.Create(0, kRect, nullptr, 0));
    window_.messages.clear();
    other_.messages.clear();
  }
  DesktopServices MakeServices() {
    auto clock = std::make_unique<ManualClock>();
    clock_ = clock.get();
    DesktopServices services;
    services.clock = std::move(clock);
    return services;
  }
  std::vector<UINT_PTR> TimerIds(const RecordingWindow& window) {
    std::vector<UINT_PTR> ids;
    for (const Message& m : window.messages) {
      if (m.message == WM_TIMER) ids.push_back(m.wparam);
    }
    return ids;
  }

  ManualClock* clock_ = nullptr;
  Desktop desktop_;
  DesktopScope scope_{desktop_};
  RecordingWindow window_, other_;
};

TEST_F(TimerTest, FiresOncePerRunAfterItsPeriodCountedFromTheLastFiring) {
  EXPECT_EQ(SetTimer(window_.handle(), 1, 1000), 1u);
  clock_->Advance(999);
  desktop_.RunTimers();
  EXPECT_THAT(window_.messages, IsEmpty());
  EXPECT_EQ(desktop_.TimeToNextTimer(), 1u);

  clock_->Advance(1);
  desktop_.RunTimers();
  EXPECT_THAT(window_.messages, ElementsAre(Message{window_.handle(), WM_TIMER, 1, 0}));

  clock_->Advance(3500);  // a late loop gets one WM_TIMER, not three
  desktop_.RunTimers();
  EXPECT_EQ(TimerIds(window_).size(), 2u);
  EXPECT_EQ(desktop_.TimeToNextTimer(), 1000u);
}

TEST_F(TimerTest, TickCountWrapAround) {
  clock_->SetTickCount(0xFFFFFF00u);
  SetTimer(window_.handle(), 7, 1000);  // due at 0x000002E8
  desktop_.RunTimers(0xFFFFFFF0u);
  desktop_.RunTimers(0x00000010u);
  EXPECT_THAT(window_.messages, IsEmpty());
  clock_->SetTickCount(0x00000010u);
  EXPECT_EQ(desktop_.TimeToNextTimer(), 0x2E8u - 0x10u);
  desktop_.RunTimers(0x000002E8u);
  EXPECT_THAT(TimerIds(window_), ElementsAre(7u));
}

TEST_F(TimerTest, KilledResetAndClampedTimers) {
  SetTimer(window_.handle(), 1, 100);
  SetTimer(window_.handle(), 2, 0);  // clamped to USER_TIMER_MINIMUM
  SetTimer(other_.handle(), 1, 100);
  clock_->Advance(USER_TIMER_MINIMUM);
  desktop_.RunTimers();
  EXPECT_THAT(TimerIds(window_), ElementsAre(2u));

  EXPECT_TRUE(KillTimer(window_.handle(), 2));
  EXPECT_FALSE(KillTimer(window_.handle(), 2));
  SetTimer(window_.handle(), 1, 500);  // the same id again replaces the timer
  clock_->Advance(100);
  desktop_.RunTimers();
  EXPECT_THAT(TimerIds(window_), ElementsAre(2u));
  EXPECT_THAT(TimerIds(other_), ElementsAre(1u)) << "timers are per window";
}

TEST_F(TimerTest, ATimerKilledByAnEarlierHandlerOfTheSameRunIsSkipped) {
  window_.handler = [&](UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (message == WM_TIMER) KillTimer(other_.handle(), 1);
    return std::nullopt;
  };
  ASSERT_LT(window_.handle(), other_.handle()) << "timers run in handle order";
  SetTimer(window_.handle(), 1, 100);
  SetTimer(other_.handle(), 1, 100);
  clock_->Advance(100);
  desktop_.RunTimers();
  EXPECT_THAT(TimerIds(window_), ElementsAre(1u));
  EXPECT_THAT(TimerIds(other_), IsEmpty());
}

TEST_F(TimerTest, DestroyedWindowsLoseTheirTimers) {
  SetTimer(other_.handle(), 1, 100);
  other_.Destroy();
  other_.messages.clear();
  EXPECT_FALSE(desktop_.TimeToNextTimer().has_value());
  clock_->Advance(1000);
  desktop_.RunTimers();
  EXPECT_THAT(other_.messages, IsEmpty());
  EXPECT_EQ(SetTimer(0, 1, 100), 0u) << "no timers without a window";
}

}  // namespace
}  // namespace zv::platform
