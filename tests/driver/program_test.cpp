// zvemul-script's options and modes, run in-process.

#include "apps/zvemul-script/program.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "apps/zvemul-script/automation_json.h"
#include "apps/zvemul-script/demo_script.h"
#include "driver_test_support.h"
#include "host/host_link.h"

namespace zv::script::testing {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

class ProgramTest : public ::testing::Test {
 protected:
  ProgramTest() { RegisterZVEmulClassObjects(); }

  int Run(std::vector<const char*> args, const std::string& input = "") {
    args.insert(args.begin(), "zvemul-script");
    std::istringstream in(input);
    out_.str("");
    err_.str("");
    return RunProgram(static_cast<int>(args.size()), args.data(), in, out_, err_);
  }

  std::vector<Json> Replies() {
    std::vector<Json> replies;
    std::istringstream lines(out_.str());
    for (std::string line; std::getline(lines, line);) replies.push_back(Json::parse(line));
    return replies;
  }

  ScratchHome home_;
  std::ostringstream out_;
  std::ostringstream err_;
};

TEST_F(ProgramTest, DescribePrintsTheSurfaceWithoutMakingAWindow) {
  ASSERT_EQ(Run({"--describe"}), 0);
  const Json surface = Json::parse(out_.str());
  EXPECT_EQ(surface["progid"], "ZVEMUL.ZVEmulCtrl.1");
  EXPECT_EQ(surface["type_library"]["version"], "1.3");
  EXPECT_EQ(surface["type_library"]["dispatch_interface"], "_DZVEmul");
  EXPECT_EQ(surface["properties"].size(), 11u);
  EXPECT_EQ(surface["methods"].size(), 26u);
  EXPECT_EQ(surface["events"].size(), 5u);
  EXPECT_EQ(surface["properties"][0], Json::parse(R"({"id": 1, "name": "PersistDir", "type": "BSTR", "params": [],
      "get": true, "put": true, "typelib_id": 1})"));
  EXPECT_EQ(surface["methods"][23], Json::parse(R"({"id": 32, "name": "CreateSessionQueue", "result": "void",
      "params": [{"name": "nSessions", "type": "short"}, {"name": "szSessionMappings", "type": "BSTR"}],
      "typelib_id": 40})"));
  EXPECT_EQ(surface["events"][1]["params"][3], Json::parse(R"({"name": "Data", "type": "BSTR"})"));
}

TEST_F(ProgramTest, ProfileIsTheHomeTheControlIsMadeIn) {
  const std::string profile = home_.root() + "/agent/profile";
  ASSERT_EQ(Run({"--profile", profile.c_str()}, "{\"get\": \"PersistDir\"}\n"), 0);
  EXPECT_EQ(Replies().at(0)["result"], profile + "/Application Data/ZELVANTA/");
  EXPECT_TRUE(std::filesystem::exists(profile + "/Application Data/ZELVANTA/ZVEMUL.DAT"));

  const std::string file = home_.root() + "/a-file";
  std::ofstream(file) << "x";
  EXPECT_EQ(Run({"--profile", file.c_str()}), 2);
  EXPECT_THAT(err_.str(), HasSubstr("cannot be made"));
}

TEST_F(ProgramTest, SizeAndHostShapeTheRun) {
  const std::string script = "{\"call\": \"HostEntry\", \"args\": [0, \"X\"]}\n{\"agent\": \"view\"}\n";
  ASSERT_EQ(Run({"--size", "800x600", "--host", "echo"}, script), 0);
  const std::vector<Json> replies = Replies();
  ASSERT_EQ(replies.size(), 2u);
  EXPECT_EQ(replies[0]["host"][0]["response"], host::EchoPage(1, "X"));
  EXPECT_EQ(replies[1]["result"]["client"], Json::array({0, 0, 800, 600}));

  ASSERT_EQ(Run({}, "{\"agent\": \"view\"}\n"), 0);
  EXPECT_EQ(Replies().at(0)["result"]["client"], Json::array({0, 0, 1024, 768}));
}

TEST_F(ProgramTest, BadOptionsAreRefused) {
  for (const char* size : {"800", "0x600", "800x", "x600", "800x40000", "-5x5", "8OOx600"}) {
    EXPECT_EQ(Run({"--size", size}), 2) << size;
    EXPECT_THAT(err_.str(), HasSubstr("--size")) << size;
  }
  EXPECT_NE(Run({"--host", "elsewhere"}), 0);
  EXPECT_NE(Run({"--no-such-option"}), 0);
  EXPECT_EQ(Run({"--help"}), 0);
  EXPECT_THAT(out_.str(), HasSubstr("--profile"));
}

TEST_F(ProgramTest, DemoPrintsEachRequestAndReplyInATemporaryProfile) {
  ::setenv("TMPDIR", home_.root().c_str(), 1);
  const int status = Run({"--demo"});
  ::unsetenv("TMPDIR");
  ASSERT_EQ(status, 0);
  const std::string text = out_.str();
  EXPECT_THAT(text, HasSubstr("   event DataSourceInput(\"A10JUNLONPAR\")\n   host answers \"A10JUNLONPAR\""));
  EXPECT_THAT(text, HasSubstr("   | >"));
  EXPECT_THAT(text, HasSubstr("   ok: 32\n"));
  // The temporary profile is gone with the run.
  for (const auto& entry : std::filesystem::directory_iterator(home_.root())) {
    EXPECT_THAT(entry.path().filename().string(), Not(StartsWith("zvemul-demo-")));
  }
}

TEST(PrintReplyTest, ShowsErrorsBoxesAndControlCharactersReadably) {
  const Json request = Json::parse(R"({"agent": "screen"})");
  const Json reply = Json::parse(R"({"ok": true, "result": {"window": 1, "text": "AB\r\nC\tD\r\n>",
      "selection": [0, 0], "first_visible_line": 1, "line_count": 3, "visible_lines": 1},
      "events": [], "messages": [{"text": "SOM not found", "caption": "ZVEmul", "buttons": "ok", "answer": "ok"}]})");
  std::ostringstream out;
  PrintReply(request, reply, out);
  EXPECT_EQ(out.str(),
            "   window 1, 3 lines, selection [0,0]; lines 1 on:\n"
            "   | C^ID\n"
            "   message box \"ZVEmul\": \"SOM not found\" -> ok\n");

  std::ostringstream error;
  PrintReply(Json::parse(R"({"get": "Color"})"),
             Json::parse(R"({"ok": false, "error": {"hresult": "0x8002000E", "description": "Color takes 2 arguments, got 0"},
                 "events": [], "messages": []})"),
             error);
  EXPECT_EQ(error.str(), "   error: 0x8002000E Color takes 2 arguments, got 0\n");
}

}  // namespace
}  // namespace zv::script::testing
