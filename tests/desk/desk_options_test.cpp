// The desk's command line.

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "apps/zvemul/desk_options.h"

namespace zv::desk {
namespace {

std::optional<DeskOptions> Parse(std::vector<const char*> args, int& exit_code) {
  args.insert(args.begin(), "zvemul");
  std::ostringstream out;
  std::ostringstream err;
  return ParseDeskOptions(static_cast<int>(args.size()), args.data(), out, err, exit_code);
}

TEST(DeskOptions, DefaultsAreTheDemoHostWithItsLatency) {
  int exit_code = -1;
  const auto options = Parse({}, exit_code);
  ASSERT_TRUE(options);
  EXPECT_EQ(exit_code, 0);
  EXPECT_EQ(options->host, "demo");
  EXPECT_EQ(options->latency_ms, 300);
  EXPECT_EQ(options->sessions, 1);
}

TEST(DeskOptions, HostsSessionsAndBadValues) {
  int exit_code = -1;
  const auto options = Parse({"--host", "echo", "--latency", "0", "--sessions", "2", "--session-map", "1:1;2:2",
                              "--host-cmd", "exec ./gateway.py", "--profile", "/tmp/p"},
                             exit_code);
  ASSERT_TRUE(options);
  EXPECT_EQ(options->host, "echo");
  EXPECT_EQ(options->latency_ms, 0);
  EXPECT_EQ(options->sessions, 2);
  EXPECT_EQ(options->session_map, "1:1;2:2");
  EXPECT_EQ(options->host_command, "exec ./gateway.py");
  EXPECT_EQ(options->profile, "/tmp/p");

  for (const std::vector<const char*>& bad : {std::vector<const char*>{"--host", "tn3270"},
                                              std::vector<const char*>{"--sessions", "11"},
                                              std::vector<const char*>{"--latency", "-1"},
                                              std::vector<const char*>{"--colour"}}) {
    EXPECT_FALSE(Parse(bad, exit_code)) << bad[0];
    EXPECT_NE(exit_code, 0) << bad[0];
  }
}

}  // namespace
}  // namespace zv::desk
