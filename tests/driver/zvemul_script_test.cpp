// The zvemul-script program as built, with the real control, driven through
// its standard input. Skipped while the program is not part of the build.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "apps/zvemul-script/automation_json.h"
#include "driver_test_support.h"

namespace zv::script::testing {
namespace {

using ::testing::HasSubstr;

constexpr char kProgram[] = ZV_BINARY_DIR "/apps/zvemul-script/zvemul-script";

class ZvemulScriptTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::filesystem::exists(kProgram)) GTEST_SKIP() << "zvemul-script is not built";
  }

  // Runs the program with `arguments` and `script` on its standard input;
  // returns the exit status and fills out_.
  int Run(const std::string& arguments, const std::string& script) {
    const std::string input = home_.root() + "/script.jsonl";
    const std::string output = home_.root() + "/out.txt";
    std::ofstream(input) << script;
    const std::string command = std::string(kProgram) + " " + arguments + " <" + input + " >" + output + " 2>" +
                                home_.root() + "/err.txt";
    const int status = std::system(command.c_str());
    std::ifstream in(output);
    out_.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  std::vector<Json> Replies() const {
    std::vector<Json> replies;
    std::istringstream lines(out_);
    for (std::string line; std::getline(lines, line);) replies.push_back(Json::parse(line));
    return replies;
  }

  ScratchHome home_;
  std::string out_;
};

TEST_F(ZvemulScriptTest, AnEntryTypedAndAnsweredEndToEnd) {
  const std::string profile = home_.root() + "/profile";
  const std::string script =
      "{\"dispid\": \"CreateSessionQueue\"}\n"
      "{\"agent\": \"type\", \"text\": \"1234\"}\n"
      "{\"agent\": \"key\", \"key\": \"Enter\"}\n"
      "{\"agent\": \"screen\", \"window\": 0}\n"
      "{\"put\": \"Color\", \"args\": [12, 1], \"value\": 0}\n"
      "not json\n";
  ASSERT_EQ(Run("--host echo --profile " + profile, script), 0);
  const std::vector<Json> replies = Replies();
  ASSERT_EQ(replies.size(), 6u);
  EXPECT_EQ(replies[0]["result"], 32);
  EXPECT_EQ(replies[1]["ok"], true);
  bool entry_fired = false;
  for (const Json& event : replies[2]["events"]) {
    if (event["name"] == "DataSourceInput") entry_fired = event["args"] == Json::array({"1234"});
  }
  EXPECT_TRUE(entry_fired) << replies[2].dump();
  EXPECT_EQ(replies[2]["host"].size(), 1u);
  EXPECT_THAT(replies[3]["result"]["text"].get<std::string>(), HasSubstr("ECHO HOST - SESSION 1\r\n1234\r\n"));
  EXPECT_EQ(replies[4]["error"], (Json{{"hresult", "0x800A017C"}, {"description", "Parameter out of range."}}));
  EXPECT_EQ(replies[5]["ok"], false);
}

TEST_F(ZvemulScriptTest, AnAvailabilityPageShowsTheSampleHighlights) {
  const auto samples = std::filesystem::path(ZV_TEST_DATA_DIR).parent_path().parent_path().parent_path() /
                       "components/vexmoor_rules/samples/demo-host.xml";
  std::filesystem::create_directories(home_.root() + "/config/zvemul");
  std::ofstream(home_.root() + "/config/zvemul/registry.reg")
      << "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Zelvanta\\Brimlux]\r\n\"Path\"=\""
      << samples.native() << "\"\r\n";
  const std::string script =
      "{\"agent\": \"type\", \"text\": \"a10junlonpar\"}\n"
      "{\"agent\": \"key\", \"key\": \"Enter\"}\n"
      "{\"agent\": \"screen\", \"window\": 0}\n";
  ASSERT_EQ(Run("--host demo --profile " + home_.root() + "/profile", script), 0);
  const std::vector<Json> replies = Replies();
  ASSERT_EQ(replies.size(), 3u);
  const Json& screen = replies[2]["result"];
  ASSERT_THAT(screen["text"].get<std::string>(), HasSubstr("** AVAILABILITY **"));
  std::size_t covered = 0, heading = 0, soldOut = 0;
  for (const Json& run : screen["runs"]) {
    EXPECT_EQ(run["start"], covered);
    covered += run["length"].get<std::size_t>();
    if (run["text_color"] == 0x00FFFF00 && run["underline"] == true) ++heading;
    if (run["text_color"] == 0x006060FF) ++soldOut;
  }
  EXPECT_EQ(heading, 1u);
  EXPECT_GE(soldOut, 1u) << "a class with no seats";
}

TEST_F(ZvemulScriptTest, TheWindowSetAsTheViewShowsIt) {
  const std::string script =
      "{\"call\": \"OpenWindow\", \"args\": [4]}\n"
      "{\"call\": \"RenameWindow\", \"args\": [4, \"AVAIL\"]}\n"
      "{\"call\": \"HideWindow\", \"args\": [3, false, true]}\n"
      "{\"call\": \"Resize\", \"args\": [0]}\n"
      "{\"call\": \"SetCommText\", \"args\": [\"HOST UP\"]}\n"
      "{\"agent\": \"view\"}\n"
      "{\"agent\": \"click\", \"x\": 5, \"y\": 5}\n"
      "{\"agent\": \"view\"}\n";
  ASSERT_EQ(Run("--profile " + home_.root() + "/profile", script), 0);
  const std::vector<Json> replies = Replies();
  ASSERT_EQ(replies.size(), 8u);
  const Json& one = replies[5]["result"];
  EXPECT_EQ(one["layout"], 1);
  EXPECT_EQ(one["current_window"], 4);
  EXPECT_EQ(one["windows"][3]["rect"], Json::array({0, 18, 1024, 750}));
  EXPECT_EQ(one["windows"][2]["hidden"], true);
  const Json& all = one["tabs"]["all"];
  EXPECT_EQ(all["selected"], 3);
  EXPECT_EQ(all["items"][3]["drawn"].back(),
            (Json{{"at", {150, 6}}, {"text", "AVAIL"}, {"color", 0xFFFFFF}, {"background", 0x787878}}));
  EXPECT_EQ(all["button"]["icon"]["rows"].size(), 11u);
  EXPECT_EQ(one["status_bar"]["parts"][1], "HOST UP");

  // The ReSize button brings the two frames back.
  EXPECT_EQ(replies[6]["result"]["clicked"], true);
  const Json& two = replies[7]["result"];
  EXPECT_EQ(two["frame_windows"], Json::array({1, 4}));
  EXPECT_EQ(two["current_window"], 4);
}

TEST_F(ZvemulScriptTest, PrintDialogsAreReportedAndAnswered) {
  const std::string script =
      R"({"agent": "printer"})" "\n"
      R"({"agent": "answer", "with": "cancel"})" "\n"
      R"({"agent": "key", "key": "P", "mods": ["ctrl"]})" "\n"
      R"({"agent": "answer", "with": "ok"})" "\n"
      R"({"agent": "printer", "name": "ELSEWHERE"})" "\n"
      R"({"call": "PrintSetUp"})" "\n"
      R"({"agent": "key", "key": "P", "mods": ["ctrl"]})" "\n"
      R"({"agent": "printer", "name": "PDF"})" "\n"
      R"({"agent": "key", "key": "P", "mods": ["ctrl"]})" "\n";
  ASSERT_EQ(Run("--profile " + home_.root() + "/profile", script), 0);
  const std::vector<Json> replies = Replies();
  ASSERT_EQ(replies.size(), 9u);
  EXPECT_EQ(replies[0]["result"], (Json{{"printers", {"PDF"}}, {"default", "PDF"}}));
  const auto dialog = [](const char* kind, const char* printer, const char* answer) {
    return Json::array({{{"kind", kind}, {"printer", printer}, {"selection", false}, {"copies", 1}, {"answer", answer}}});
  };
  EXPECT_EQ(replies[2]["dialogs"], dialog("print", "PDF", "cancel"));
  EXPECT_EQ(replies[2]["events"], Json::array({{{"name", "InputReflect"}, {"args", {1, 2, 0x50, nullptr, 1}}}}));
  EXPECT_EQ(replies[2]["messages"], Json::array());
  EXPECT_EQ(replies[5]["dialogs"], dialog("setup", "ELSEWHERE", "ok"));
  // The printer kept from the set-up is no printer.
  EXPECT_EQ(replies[6]["dialogs"], dialog("print", "ELSEWHERE", "ok"));
  EXPECT_EQ(replies[6]["messages"][0]["text"], "Printing Error: Cannot access printer device context.");
  EXPECT_EQ(replies[8]["dialogs"], dialog("print", "PDF", "ok"));
  EXPECT_FALSE(replies[8].contains("messages") && !replies[8]["messages"].empty());
  std::vector<std::filesystem::path> printed;
  for (const auto& entry : std::filesystem::directory_iterator(home_.root() + "/profile/zvemul-prints")) printed.push_back(entry.path());
  ASSERT_EQ(printed.size(), 1u);
  EXPECT_EQ(printed[0].filename().string().substr(0, 7), "zvemul-");
}

TEST_F(ZvemulScriptTest, TheAgentsKeysReachTheScreenAndTheContainer) {
  const std::string script =
      R"({"agent": "type", "text": "a;\\:"})" "\n"
      R"({"agent": "key", "key": "B", "mods": ["shift"]})" "\n"
      R"({"agent": "key", "key": "F2"})" "\n"
      R"({"agent": "key", "key": "Esc"})" "\n"
      R"({"agent": "screen", "window": 0})" "\n";
  ASSERT_EQ(Run("--profile " + home_.root() + "/profile", script), 0);
  const std::vector<Json> replies = Replies();
  ASSERT_EQ(replies.size(), 5u);
  std::vector<Json> texts;
  for (const Json& event : replies[0]["events"]) texts.push_back(event["args"][3]);
  EXPECT_EQ(texts, (std::vector<Json>{"A", "$", "4PLF"}));
  const Json macro = replies[1]["events"];
  ASSERT_EQ(macro.size(), 2u);
  EXPECT_EQ(macro[0]["args"], Json::array({1, 2, 'B', nullptr, 2}));
  EXPECT_THAT(macro[1]["args"][0].get<std::string>(), ::testing::EndsWith("/Personal Macros/.zvm"));
  EXPECT_EQ(replies[2]["events"].back(), (Json{{"name", "DataSourceInput"}, {"args", {"XI"}}}));
  EXPECT_EQ(replies[4]["result"]["text"].get<std::string>(), ">A$4PLF>XI<\r\n>");
}

TEST_F(ZvemulScriptTest, KeysSentByTheContainerActAsTypedOnesAndTheControlKeepsItsOwn) {
  const std::string script =
      R"({"call": "ScreenInput", "args": [0, "CDEF\u0000GH"]})" "\n"
      R"({"agent": "key", "key": "Left"})" "\n"
      R"({"agent": "key", "key": "Left"})" "\n"
      R"({"call": "SendKey", "args": [0, 8, 0, 1]})" "\n"
      R"({"agent": "key", "key": "A", "mods": ["ctrl", "shift"]})" "\n"
      R"({"agent": "type", "text": "x"})" "\n"
      R"({"agent": "screen", "window": 0})" "\n"
      R"({"agent": "key", "key": "F11", "mods": ["ctrl", "shift"]})" "\n";
  ASSERT_EQ(Run("--profile " + home_.root() + "/profile", script), 0);
  const std::vector<Json> replies = Replies();
  ASSERT_EQ(replies.size(), 8u);
  // Ctrl+Shift+A is an office macro key: nothing is selected that "x" would replace.
  const Json macro = replies[4]["events"];
  ASSERT_EQ(macro.size(), 2u);
  EXPECT_EQ(macro[0]["args"], Json::array({1, 2, 'A', nullptr, 3}));
  EXPECT_THAT(macro[1]["args"][0].get<std::string>(), ::testing::EndsWith("/Office Macros/.zvm"));
  // The text ended at its NUL; the sent Backspace left a blank where D was.
  EXPECT_EQ(replies[6]["result"]["text"].get<std::string>(), ">CXEF");
  EXPECT_EQ(replies[7]["events"][0]["args"][3], "MT");
}

// The names of the DataSourceInput entries of one reply, in order.
std::vector<std::string> EntriesOf(const Json& reply) {
  std::vector<std::string> entries;
  for (const Json& event : reply["events"]) {
    if (event["name"] == "DataSourceInput") entries.push_back(event["args"][0].get<std::string>());
  }
  return entries;
}

TEST_F(ZvemulScriptTest, ABurstOfEntriesAgainstASlowHost) {
  std::string script = "{\"agent\": \"host\", \"hold\": true}\n";
  for (int i = 1; i <= 6; ++i) script += "{\"call\": \"HostEntry\", \"args\": [1, \"E" + std::to_string(i) + "\"]}\n";
  script +=
      "{\"agent\": \"host\", \"answer\": 1}\n"
      "{\"agent\": \"host\", \"answer\": 3}\n"
      "{\"agent\": \"host\", \"hold\": false}\n"
      "{\"agent\": \"screen\", \"window\": 1}\n";
  ASSERT_EQ(Run("--host echo --profile " + home_.root() + "/profile", script), 0);
  const std::vector<Json> replies = Replies();
  ASSERT_EQ(replies.size(), 11u);
  // One entry goes to the host, four wait in the queue, the sixth is refused.
  EXPECT_EQ(EntriesOf(replies[1]), std::vector<std::string>{"E1"});
  for (int i = 2; i <= 5; ++i) EXPECT_TRUE(EntriesOf(replies[i]).empty()) << i;
  ASSERT_EQ(replies[6]["messages"].size(), 1u);
  EXPECT_EQ(replies[6]["messages"][0]["text"],
            "No more than 5 requests can be queued. \nPlease press ESC twice to clear the queue");
  // Each answer lets the next entry go, in the order offered.
  EXPECT_EQ(replies[7]["host"].size(), 1u);
  EXPECT_EQ(EntriesOf(replies[7]), std::vector<std::string>{"E2"});
  EXPECT_EQ(replies[7]["result"], (Json{{"holding", true}, {"waiting", 1}}));
  EXPECT_EQ(EntriesOf(replies[8]), (std::vector<std::string>{"E3", "E4", "E5"}));
  EXPECT_EQ(replies[9]["host"][0]["entry"], "E5");
  EXPECT_TRUE(EntriesOf(replies[9]).empty());
  EXPECT_EQ(replies[9]["result"], (Json{{"holding", false}, {"waiting", 0}}));
  const std::string screen = replies[10]["result"]["text"].get<std::string>();
  EXPECT_THAT(screen, HasSubstr("\r\nE1\r\nROW 03"));
  EXPECT_THAT(screen, HasSubstr("\r\nE5\r\nROW 03"));
  EXPECT_EQ(screen.find("\r\nE6\r\n"), std::string::npos);
}

TEST_F(ZvemulScriptTest, WhatOneRunSetsTheNextRunFinds) {
  const std::string profile = "--profile " + home_.root() + "/profile";
  const std::string first =
      R"({"put": "Color", "args": [3, 1], "value": 1193046})" "\n"
      R"({"put": "DefaultFontSize", "value": 14})" "\n"
      R"({"put": "MacroKey", "args": ["Shift+P"], "value": "PNR"})" "\n"
      R"({"call": "HostEntry", "args": [1, "A10DECLHRJFK"]})" "\n"
      R"({"call": "Resize", "args": [0]})" "\n";
  ASSERT_EQ(Run(profile, first), 0);
  const std::string second =
      R"({"get": "Color", "args": [3, 1]})" "\n"
      R"({"get": "DefaultFontSize"})" "\n"
      R"({"get": "MacroKey", "args": ["Shift+P"]})" "\n"
      R"({"agent": "view"})" "\n"
      R"({"agent": "key", "key": "F5"})" "\n"
      R"({"agent": "screen", "window": 0})" "\n"
      R"({"agent": "key", "key": "P", "mods": ["shift"]})" "\n";
  ASSERT_EQ(Run(profile, second), 0);
  const std::vector<Json> replies = Replies();
  ASSERT_EQ(replies.size(), 7u);
  EXPECT_EQ(replies[0]["result"], 1193046);
  EXPECT_EQ(replies[1]["result"], 14);
  EXPECT_EQ(replies[2]["result"], "PNR");
  EXPECT_EQ(replies[3]["result"]["layout"], 1);
  EXPECT_THAT(replies[5]["result"]["text"].get<std::string>(), HasSubstr(">A10DECLHRJFK"));
  EXPECT_THAT(replies[6]["events"].back()["args"][0].get<std::string>(),
              ::testing::EndsWith("/Application Data/ZELVANTA/Personal Macros/PNR.zvm"));
}

TEST_F(ZvemulScriptTest, ASignalEndsTheRunAndTheSettingsAreWritten) {
  const std::string folder = home_.root() + "/profile/Application Data/ZELVANTA";
  for (const char* signal : {"TERM", "INT"}) {
    std::filesystem::remove(folder + "/ZVEMUL.DAT");
    // The driver waits for input that never comes until the signal arrives.
    const std::string fifo = home_.root() + "/input";
    std::filesystem::remove(fifo);
    const std::string command = "mkfifo " + fifo + " && (" + kProgram + " --profile " + home_.root() +
                                "/profile <" + fifo + " >/dev/null 2>&1 & pid=$!; exec 3>" + fifo +
                                "; sleep 1; kill -" + signal + " $pid; wait $pid)";
    const int status = std::system(command.c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << signal;
    EXPECT_TRUE(std::filesystem::exists(folder + "/ZVEMUL.DAT")) << signal;
  }
}

TEST_F(ZvemulScriptTest, AKeyboardMappingLoadedAfterRegistrationTranslatesTypedCharacters) {
  // As an installation has it: the control and its components registered.
  ASSERT_EQ(std::system(ZV_BINARY_DIR "/apps/zvemul-register/zvemul-register > /dev/null"), 0);
  const std::string mapping = ZV_SOURCE_DIR "/components/keymap/mappings/de.kbm";
  std::ofstream(home_.root() + "/bad.kbm") << "zvemul keyboard mapping 1\nname Bad\n\x01";
  const std::string script =
      "{\"call\": \"LoadKeyboardMapping\", \"args\": [\"" + mapping + "\"]}\n"
      "{\"agent\": \"type\", \"text\": \"m\u00fcller\"}\n"
      "{\"agent\": \"screen\", \"window\": 0}\n"
      "{\"call\": \"CurrentMappingLoaded\"}\n"
      "{\"agent\": \"view\"}\n"
      "{\"call\": \"LoadKeyboardMapping\", \"args\": [\"" + home_.root() + "/bad.kbm\"]}\n";
  ASSERT_EQ(Run("--profile " + home_.root() + "/profile", script), 0);
  const std::vector<Json> replies = Replies();
  ASSERT_EQ(replies.size(), 6u);
  EXPECT_EQ(replies[0]["result"], -1);
  EXPECT_THAT(replies[2]["result"]["text"].get<std::string>(), HasSubstr(">MUELLER"));
  EXPECT_EQ(replies[3]["result"], "German");
  EXPECT_EQ(replies[4]["result"]["status_bar"]["parts"][4], "DE");
  EXPECT_EQ(replies[5]["result"], 0);
}

}  // namespace
}  // namespace zv::script::testing
