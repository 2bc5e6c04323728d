#include "host/subprocess_link.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>

#include "host_test_support.h"
#include "platform/clocks.h"
#include "tests/support/scratch_home.h"

namespace zv::host {
namespace {

using testing::Exchange;
using testing::Pairs;
using Answers = std::vector<HostAnswer>;
using Steady = std::chrono::steady_clock;

// Reads JSON lines and answers each with "GOT " and the entry.
constexpr const char* kEchoScript = R"SH(
while IFS= read -r line; do
  session=$(printf '%s\n' "$line" | sed -n 's/.*"session":\(-\{0,1\}[0-9]*\).*/\1/p')
  entry=$(printf '%s\n' "$line" | sed -n 's/.*"entry":"\(.*\)"}$/\1/p')
  printf '{"session":%s,"response":"\\u0011\\u0002GOT %s"}\n' "$session" "$entry"
done
)SH";

class SubprocessLinkTest : public ::testing::Test {
 protected:
  SubprocessOptions Script(const std::string& text) {
    const std::string path = dir_ + "/host" + std::to_string(++scripts_) + ".sh";
    std::ofstream(path) << text;
    return SubprocessOptions{"exec sh '" + path + "'", "", 4 << 20};
  }

  // Polls the link as a container loop would until `done` holds or 5 s pass.
  static Answers Drive(HostLink& link, const std::function<bool(const Answers&)>& done) {
    Answers answers;
    const auto deadline = Steady::now() + std::chrono::seconds(5);
    while (!done(answers) && Steady::now() < deadline) {
      const int timeout = link.PollTimeoutMs();
      pollfd fd{link.PollFd(), link.PollEvents(), 0};
      ::poll(&fd, fd.fd >= 0 ? 1 : 0, timeout < 0 || timeout > 50 ? 50 : timeout);
      for (HostAnswer& answer : link.Poll()) answers.push_back(std::move(answer));
    }
    return answers;
  }
  static Answers DriveUntilDown(HostLink& link) {
    return Drive(link, [&](const Answers&) { return !link.Alive(); });
  }
  static Answers DriveFor(HostLink& link, std::size_t count) {
    return Drive(link, [&](const Answers& answers) { return answers.size() >= count; });
  }

  static bool Reaped(pid_t pid) { return ::waitpid(pid, nullptr, WNOHANG) < 0 && errno == ECHILD; }

  // Gone, or a zombie waiting for whoever adopted it.
  static bool Dead(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const std::size_t paren = text.rfind(')');
    return text.empty() || (paren != std::string::npos && text.compare(paren + 2, 1, "Z") == 0);
  }

  zv::testing::TempDir temp_;
  std::string dir_ = temp_.str();
  int scripts_ = 0;
};

TEST_F(SubprocessLinkTest, AnswersComeBackToTheirSessionsInTheCodePage) {
  SubprocessLink link(Script(kEchoScript));
  EXPECT_EQ(link.StatusText(), "ONLINE");
  EXPECT_GE(link.PollFd(), 0);
  EXPECT_TRUE(link.PollEvents() & POLLIN);
  link.Send(1, "HELLO");
  link.Send(7, "FARE \xA3" "5 \x80 A\\B \x87");  // UTF-8 on the wire, Windows-1252 here
  EXPECT_EQ(Pairs(DriveFor(link, 2)),
            (Exchange{{1, "\x11\x02GOT HELLO"}, {7, "\x11\x02GOT FARE \xA3" "5 \x80 A\\B \x87"}}));
  EXPECT_EQ(link.StatusText(), "ONLINE");
  EXPECT_TRUE(link.Alive());
}

TEST_F(SubprocessLinkTest, MalformedLinesAreCountedAndSkipped) {
  const std::string deep = std::string(400, '[') + std::string(400, ']');  // the line stays under 1000
  SubprocessOptions options = Script(R"(
read -r line
echo 'this is not json'
echo '{"session":"one","response":"x"}'
echo '[1,2]'
echo '{"session":1}'
echo '{"session":4294967296,"response":"x"}'
head -c 3000 /dev/zero | tr '\0' x; echo
echo
echo '{"session":9,"response":"UNASKED","deep":)" + deep + R"(}'
printf '{"session":1,"response":"\\u0011\\u0002OK"}\r\n'
cat >/dev/null
)");
  options.max_line_bytes = 1000;
  SubprocessLink link(options);
  link.Send(1, "HELLO");
  // Answers nobody asked for are passed on.
  EXPECT_EQ(Pairs(DriveFor(link, 2)), (Exchange{{9, "UNASKED"}, {1, "\x11\x02OK"}}));
  EXPECT_EQ(link.bad_lines(), 6u);
  EXPECT_EQ(link.StatusText(), "ONLINE - 6 BAD LINES");
  EXPECT_TRUE(link.Alive());
}

TEST_F(SubprocessLinkTest, AChildThatEndsIsReapedReportedAndItsEntriesAnswered) {
  const std::string down = LinkDownResponse();
  const struct {
    SubprocessOptions options;
    const char* status;
    Exchange answers;
  } cases[] = {
      {Script("read -r a; read -r b; exit 3\n"), "DOWN: EXIT 3", {{1, down}, {2, down}}},
      // An answer written just before the exit counts, even without its newline.
      {Script(R"(read -r a; printf '{"session":1,"response":"LAST"}'; exit 0)"), "DOWN: EXIT 0",
       {{1, "LAST"}, {2, down}}},
      {{"read -r a; kill -9 $$", "", 4 << 20}, "DOWN: SIGNAL 9", {{1, down}, {2, down}}},
      {{"exec <&- >&-; sleep 30", "", 4 << 20}, "DOWN: OUTPUT CLOSED", {{1, down}, {2, down}}},
      {{"'" + dir_ + "/no-such-gateway'", "", 4 << 20}, "DOWN: EXIT 127", {{1, down}, {2, down}}},
  };
  for (const auto& c : cases) {
    SubprocessLink link(c.options);
    const pid_t pid = link.pid();
    const auto start = Steady::now();
    link.Send(1, "FIRST");
    link.Send(2, "SECOND");
    EXPECT_EQ(Pairs(DriveUntilDown(link)), c.answers) << c.status;
    EXPECT_LT(Steady::now() - start, std::chrono::seconds(3));
    EXPECT_EQ(link.StatusText(), c.status);
    EXPECT_TRUE(Reaped(pid)) << c.status;
    EXPECT_EQ(link.PollFd(), -1);
    // Later entries are answered at the next poll.
    link.Send(6, "LATER");
    EXPECT_EQ(link.PollTimeoutMs(), 0);
    EXPECT_EQ(Pairs(link.Poll()), (Exchange{{6, down}}));
    EXPECT_EQ(link.PollTimeoutMs(), -1);
  }
}

TEST_F(SubprocessLinkTest, AnExitIsSeenEvenWhenAGrandchildHoldsTheOutput) {
  const std::string pid_file = dir_ + "/sleeper.pid";
  SubprocessLink link(Script("sleep 30 &\necho $! > '" + pid_file + "'\nexit 4\n"));
  DriveUntilDown(link);
  EXPECT_EQ(link.StatusText(), "DOWN: EXIT 4");
  pid_t sleeper = 0;
  std::ifstream(pid_file) >> sleeper;
  ASSERT_GT(sleeper, 0);
  const auto deadline = Steady::now() + std::chrono::seconds(2);
  while (!Dead(sleeper) && Steady::now() < deadline) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_TRUE(Dead(sleeper));  // the whole process group went
}

TEST_F(SubprocessLinkTest, CloseStopsAStubbornChild) {
  SubprocessLink link(Script("trap '' TERM HUP\nwhile :; do sleep 1; done\n"));
  const pid_t pid = link.pid();
  link.Send(1, "UNANSWERED");
  const auto start = Steady::now();
  link.Close();
  EXPECT_LT(Steady::now() - start, std::chrono::seconds(2));
  EXPECT_EQ(link.StatusText(), "CLOSED");
  EXPECT_FALSE(link.Alive());
  EXPECT_TRUE(Reaped(pid));
  EXPECT_EQ(Pairs(link.Poll()), (Exchange{{1, LinkDownResponse()}}));
}

TEST_F(SubprocessLinkTest, AChildThatNeverReadsIsCutOff) {
  SubprocessLink link(Script("while :; do sleep 1; done\n"));
  bool waited_to_write = false;
  for (int i = 0; i < 2000 && link.Alive(); ++i) {
    link.Send(1, std::string(1000, 'E'));
    waited_to_write = waited_to_write || (link.PollEvents() & POLLOUT) != 0;
  }
  EXPECT_TRUE(waited_to_write);
  EXPECT_FALSE(link.Alive());
  EXPECT_EQ(link.StatusText(), "DOWN: NOT READING");
  const Answers answers = link.Poll();
  EXPECT_GT(answers.size(), 1000u);
  for (const HostAnswer& answer : answers) EXPECT_EQ(answer.response, LinkDownResponse());
}

TEST_F(SubprocessLinkTest, StandardErrorGoesWhereAskedAndTheCommandOptionChoosesIt) {
  SubprocessOptions options = Script("echo 'gateway trouble' >&2\nread -r a\n");
  options.stderr_path = dir_ + "/gateway.log";
  {
    SubprocessLink link(options);
    link.Send(1, "X");
    DriveUntilDown(link);
  }
  std::string line;
  std::getline(std::ifstream(options.stderr_path), line);
  EXPECT_EQ(line, "gateway trouble");

  platform::ManualClock clock;
  HostLinkOptions chosen;
  chosen.kind = HostLinkOptions::Kind::kCommand;
  chosen.command = Script(kEchoScript).command;
  auto link = MakeHostLink(chosen, clock);
  EXPECT_EQ(link->StatusText(), "ONLINE");
  EXPECT_EQ(Pairs(ExchangeNow(*link, 3, "PING", 5000)), (Exchange{{3, "\x11\x02GOT PING"}}));
}

}  // namespace
}  // namespace zv::host
