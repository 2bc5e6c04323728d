#include "host/host_link.h"

#include <gtest/gtest.h>

#include <chrono>

#include "host_test_support.h"
#include "platform/clocks.h"

namespace zv::host {
namespace {

using testing::Exchange;
using testing::Pairs;
using testing::Rows;

TEST(DemoLink, AnswersInOrderOnceTheLatencyHasPassed) {
  platform::ManualClock clock;
  clock.SetTickCount(1000);
  DemoLink link(clock, 300);
  EXPECT_EQ(link.PollTimeoutMs(), -1);
  link.Send(1, "HELP");
  link.Send(2, "A10JUNLONPAR");
  clock.SetTickCount(1100);
  link.Send(1, "MD");
  EXPECT_EQ(link.PollTimeoutMs(), 200);
  clock.SetTickCount(1299);
  EXPECT_TRUE(link.Poll().empty());
  EXPECT_EQ(link.PollTimeoutMs(), 1);

  DemoHost reference;
  clock.SetTickCount(1300);
  EXPECT_EQ(Pairs(link.Poll()), (Exchange{{1, reference.Answer(1, "HELP")}, {2, reference.Answer(2, "A10JUNLONPAR")}}));
  EXPECT_EQ(link.PollTimeoutMs(), 100);
  clock.SetTickCount(1450);  // late polling still gets it
  EXPECT_EQ(Pairs(link.Poll()), (Exchange{{1, reference.Answer(1, "MD")}}));
  EXPECT_EQ(link.PollTimeoutMs(), -1);
  EXPECT_EQ(link.StatusText(), "DEMO");
}

TEST(DemoLink, LatencyAcrossTheTickCountWrap) {
  platform::ManualClock clock;
  clock.SetTickCount(0xFFFFFF00u);
  DemoLink link(clock, 300);
  link.Send(1, "HELP");
  EXPECT_EQ(link.PollTimeoutMs(), 300);
  clock.SetTickCount(0xFFFFFFFFu);
  EXPECT_TRUE(link.Poll().empty());
  EXPECT_EQ(link.PollTimeoutMs(), 45);
  clock.SetTickCount(0x2C);
  EXPECT_EQ(link.Poll().size(), 1u);
}

TEST(DemoLink, ZeroLatencyAnswersAtTheNextPollAndSessionsStayApart) {
  platform::ManualClock clock;
  DemoLink link(clock, 0);
  link.Send(1, "A10JUNLONPAR");
  link.Send(2, "01Y1");
  EXPECT_EQ(link.PollTimeoutMs(), 0);
  const auto answers = link.Poll();
  ASSERT_EQ(answers.size(), 2u);
  EXPECT_TRUE(testing::Clears(answers[0].response));
  EXPECT_EQ(Rows(answers[1].response), std::vector<std::string>{"NO AVAILABILITY DISPLAYED"});
}

TEST(EchoLink, AnswersEveryEntryWithTheSamePage) {
  EchoLink link;
  link.Send(4, "HELLO");
  link.Send(5, "A|B" + std::string(70, 'C'));
  EXPECT_EQ(link.PollTimeoutMs(), 0);
  const auto answers = link.Poll();
  EXPECT_EQ(link.PollTimeoutMs(), -1);
  ASSERT_EQ(answers.size(), 2u);
  EXPECT_EQ(answers[0].session, 4);
  const auto rows = Rows(answers[0].response);
  ASSERT_EQ(rows.size(), kPageRows);
  EXPECT_EQ(rows[0], "ECHO HOST - SESSION 4");
  EXPECT_EQ(rows[1], "HELLO");
  EXPECT_EQ(rows[14], "ROW 15");
  testing::ExpectWellFormed(answers[1].response, "long entry");
  EXPECT_EQ(Rows(answers[1].response)[1], "A B" + std::string(61, 'C'));
}

TEST(MakeHostLink, ChoosesTheLinkAndTheDemoDate) {
  platform::ManualClock clock({2030, 3, 15, 9, 0, 0, 0, 0}, 0);
  HostLinkOptions options;
  options.latency_ms = 0;
  auto link = MakeHostLink(options, clock);
  EXPECT_EQ(link->StatusText(), "DEMO");
  link->Send(1, "ALONPAR");
  EXPECT_EQ(Rows(link->Poll().at(0).response)[0].substr(20, 8), "15MAR FR");

  options.demo_today = Date{2026, 6, 1};
  link = MakeHostLink(options, clock);
  link->Send(1, "ALONPAR");
  EXPECT_EQ(Rows(link->Poll().at(0).response)[0].substr(20, 8), "01JUN MO");

  options.kind = HostLinkOptions::Kind::kEcho;
  EXPECT_EQ(MakeHostLink(options, clock)->StatusText(), "ECHO");
}

TEST(ExchangeNow, ReturnsOnceTheSessionIsAnsweredOrTheTimeIsUp) {
  platform::ManualClock clock;
  DemoLink demo(clock, 0);
  EXPECT_EQ(Pairs(ExchangeNow(demo, 3, "HELP", 1000)), (Exchange{{3, DemoHost().Answer(3, "HELP")}}));

  EchoLink echo;
  echo.Send(1, "EARLIER");
  const auto answers = ExchangeNow(echo, 2, "NOW", 1000);
  ASSERT_EQ(answers.size(), 2u);  // what was waiting comes along, in order
  EXPECT_EQ(answers[0].session, 1);
  EXPECT_EQ(answers[1].session, 2);

  DemoLink never(clock, 300);  // the clock does not move: no answer
  const auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(ExchangeNow(never, 1, "HELP", 50).empty());
  const auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_GE(waited, std::chrono::milliseconds(50));
  EXPECT_LT(waited, std::chrono::seconds(2));
}

}  // namespace
}  // namespace zv::host
