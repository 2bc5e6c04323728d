#include "host/host_link.h"

#include <gtest/gtest.h>

#include <chrono>

#include "host_test_support.h"

namespace zv::host {
namespace {

using testing::Clears;
using testing::Rows;
using testing::TickClock;

TEST(DemoLink, AnswersInOrderOnceTheLatencyHasPassed) {
  TickClock clock;
  clock.ticks = 1000;
  DemoLink link(clock, 300);
  EXPECT_EQ(link.PollTimeoutMs(), -1);
  link.Send(1, "HELP");
  link.Send(2, "A10JUNLONPAR");
  clock.ticks = 1100;
  link.Send(1, "MD");
  EXPECT_EQ(link.PollTimeoutMs(), 200);
  clock.ticks = 1299;
  EXPECT_TRUE(link.Poll().empty());
  EXPECT_EQ(link.PollTimeoutMs(), 1);

  DemoHost reference;
  clock.ticks = 1300;
  auto answers = link.Poll();
  ASSERT_EQ(answers.size(), 2u);
  EXPECT_EQ(answers[0].session, 1);
  EXPECT_EQ(answers[0].response, reference.Answer(1, "HELP"));
  EXPECT_EQ(answers[1].session, 2);
  EXPECT_EQ(answers[1].response, reference.Answer(2, "A10JUNLONPAR"));
  EXPECT_EQ(link.PollTimeoutMs(), 100);

  clock.ticks = 1450;  // late polling still gets it
  answers = link.Poll();
  ASSERT_EQ(answers.size(), 1u);
  EXPECT_EQ(answers[0].response, reference.Answer(1, "MD"));
  EXPECT_EQ(link.PollTimeoutMs(), -1);
  EXPECT_EQ(link.StatusText(), "DEMO");
  EXPECT_TRUE(link.Alive());
}

TEST(DemoLink, LatencyAcrossTheTickCountWrap) {
  TickClock clock;
  clock.ticks = 0xFFFFFF00u;
  DemoLink link(clock, 300);
  link.Send(1, "HELP");
  EXPECT_EQ(link.PollTimeoutMs(), 300);
  clock.ticks = 0xFFFFFFFFu;
  EXPECT_TRUE(link.Poll().empty());
  EXPECT_EQ(link.PollTimeoutMs(), 45);
  clock.ticks = 0x2C;
  EXPECT_EQ(link.Poll().size(), 1u);
}

TEST(DemoLink, ZeroLatencyAnswersAtTheNextPollAndSessionsStayApart) {
  TickClock clock;
  DemoLink link(clock, 0);
  link.Send(1, "A10JUNLONPAR");
  link.Send(2, "01Y1");
  EXPECT_EQ(link.PollTimeoutMs(), 0);
  const auto answers = link.Poll();
  ASSERT_EQ(answers.size(), 2u);
  EXPECT_TRUE(Clears(answers[0].response));
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
  EXPECT_EQ(answers[0].response, EchoPage(4, "HELLO"));
  const auto rows = Rows(answers[0].response);
  ASSERT_EQ(rows.size(), kPageRows);
  EXPECT_EQ(rows[0], "ECHO HOST - SESSION 4");
  EXPECT_EQ(rows[1], "HELLO");
  EXPECT_EQ(rows[14], "ROW 15");
  testing::ExpectWellFormed(answers[1].response, "long entry");
  EXPECT_EQ(Rows(answers[1].response)[1], "A B" + std::string(61, 'C'));
  EXPECT_EQ(link.StatusText(), "ECHO");
}

TEST(MakeHostLink, ChoosesTheLinkAndTheDemoDate) {
  TickClock clock;
  clock.now.year = 2030;
  clock.now.month = 3;
  clock.now.day = 15;
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

TEST(ExchangeNow, ReturnsOnceTheSessionIsAnswered) {
  TickClock clock;
  DemoLink demo(clock, 0);
  auto answers = ExchangeNow(demo, 3, "HELP", 1000);
  ASSERT_EQ(answers.size(), 1u);
  EXPECT_EQ(answers[0].session, 3);

  EchoLink echo;
  echo.Send(1, "EARLIER");
  answers = ExchangeNow(echo, 2, "NOW", 1000);
  ASSERT_EQ(answers.size(), 2u);  // what was waiting comes along, in order
  EXPECT_EQ(answers[0].session, 1);
  EXPECT_EQ(answers[1].session, 2);
}

TEST(ExchangeNow, GivesUpAfterTheTimeout) {
  TickClock clock;  // never advances, so the demo link never answers
  DemoLink link(clock, 300);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(ExchangeNow(link, 1, "HELP", 50).empty());
  const auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_GE(waited, std::chrono::milliseconds(50));
  EXPECT_LT(waited, std::chrono::seconds(2));
}

}  // namespace
}  // namespace zv::host
