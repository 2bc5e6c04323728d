// The request kinds of the scripting driver against the fake control.

#include "apps/zvemul-script/driver.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "driver_test_support.h"
#include "host/host_link.h"

namespace zv::script::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::StartsWith;

Json Error(const Json& reply) { return reply.value("error", Json()); }

TEST_F(DriverTest, MembersAreReachedByNameLookUp) {
  EXPECT_EQ(Send(R"({"dispid": "CreateSessionQueue"})")["result"], 32);
  EXPECT_EQ(Send(R"({"dispid": "createsessionqueue"})")["result"], 32);

  Json reply = Send(R"({"put": "WindowCount", "value": 3})");
  EXPECT_EQ(reply["ok"], true);
  EXPECT_TRUE(reply["result"].is_null());
  EXPECT_EQ(Send(R"({"get": "windowcount"})")["result"], 3);
  EXPECT_EQ(Send(R"({"put": "Color", "args": [1, 2], "value": 4294967295})")["ok"], true);
  EXPECT_EQ(Send(R"({"get": "Color", "args": [1, 2]})")["result"], 4294967295u);
  EXPECT_EQ(Send(R"({"get": "PersistDir"})")["result"], home_.root() + "/home/Application Data/ZELVANTA/");
  EXPECT_TRUE(Send(R"({"call": "CreateSessionQueue", "args": [2, "1:1,3;2:2,4"]})")["result"].is_null());

  // BOOL results as the member gives them; strings convert to the declared types.
  EXPECT_EQ(Send(R"({"call": "HostEntry", "args": ["2", "A"]})")["result"], 1);
  EXPECT_EQ(Send(R"({"call": "ScreenInput", "args": [1, "X"]})")["result"], -1);
  EXPECT_EQ(Send(R"({"call": "HostEntry", "args": [7, "A"]})")["result"], 0);

  reply = Send(R"({"id": "r7", "get": "WindowCount"})");
  EXPECT_EQ(reply["id"], "r7");
  EXPECT_EQ(reply.begin().key(), "ok");
}

TEST_F(DriverTest, FailuresCarryHresultAndDescription) {
  Json reply = Send(R"({"put": "Color", "args": [12, 1], "value": 5})");
  EXPECT_EQ(reply["ok"], false);
  EXPECT_EQ(Error(reply), (Json{{"hresult", "0x800A017C"}, {"description", "Parameter out of range."}}));
  EXPECT_TRUE(reply["events"].empty());
  EXPECT_TRUE(reply["messages"].empty());

  reply = Send(R"({"call": "NoSuchMethod"})");
  EXPECT_EQ(Error(reply)["hresult"], "0x80020006");
  EXPECT_THAT(Error(reply)["description"].get<std::string>(), HasSubstr("NoSuchMethod"));
  EXPECT_EQ(Error(Send(R"({"dispid": "GetCurrentKeyboardCode"})"))["hresult"], "0x80020006");

  reply = Send(R"({"call": "WindowCount"})");
  EXPECT_EQ(Error(reply)["hresult"], "0x80020003");
  EXPECT_THAT(Error(reply)["description"].get<std::string>(), HasSubstr("use get or put"));
  EXPECT_EQ(Error(Send(R"({"get": "HostEntry", "args": [1, "A"]})"))["hresult"], "0x80020003");
  EXPECT_EQ(Error(Send(R"({"put": "PersistDir", "value": "x"})"))["hresult"], "0x80020003");

  reply = Send(R"({"call": "HostEntry", "args": [1, "A", 3]})");
  EXPECT_EQ(Error(reply), (Json{{"hresult", "0x8002000E"}, {"description", "HostEntry takes 2 arguments, got 3"}}));
  EXPECT_EQ(Error(Send(R"({"call": "HostEntry"})"))["hresult"], "0x8002000E");
  EXPECT_EQ(Error(Send(R"({"call": "HostEntry", "args": ["one", "A"]})")),
            (Json{{"hresult", "0x80020005"}, {"description", "Type mismatch."}}));
  EXPECT_EQ(Error(Send(R"({"call": "HostEntry", "args": [70000, "A"]})"))["hresult"], "0x8002000A");
}

TEST_F(DriverTest, EventsAndMessageBoxesOfARequestComeWithItsReply) {
  Json reply = Send(R"({"call": "HostEntry", "args": [1, ""]})");
  EXPECT_EQ(reply["result"], 0);
  EXPECT_EQ(reply["messages"],
            Json::parse(R"([{"text": "SOM not found", "caption": "ZVEmul", "buttons": "ok", "answer": "ok"}])"));
  EXPECT_EQ(reply["events"], Json::parse(R"([{"name": "HostResponse", "args": [1, 1, ""]}])"));

  EXPECT_EQ(Send(R"({"call": "HostEntry", "args": [1, "A1"]})")["events"],
            Json::parse(R"([{"name": "DataSourceInput", "args": ["A1"]}])"));
  // Queued behind the first: nothing is fired, nothing is left over for later replies.
  for (int i = 2; i <= 5; ++i) EXPECT_TRUE(Send(R"({"call": "HostEntry", "args": [1, "A"]})")["events"].empty());
  reply = Send(R"({"call": "HostEntry", "args": [1, "A6"]})");
  ASSERT_EQ(reply["messages"].size(), 1u);
  EXPECT_THAT(reply["messages"][0]["text"].get<std::string>(), StartsWith("No more than 5 requests"));
  EXPECT_TRUE(Send(R"({"get": "WindowCount"})")["messages"].empty());

  reply = Send(R"({"call": "DataSourceResponse", "args": ["\u0011\u0002AB|CD"]})");
  EXPECT_EQ(reply["result"], 0);
  EXPECT_EQ(reply["events"], Json::parse(R"([{"name": "HostResponse", "args": [1, 1, "\u0011\u0002AB|CD"]},
                                              {"name": "DataSourceInput", "args": ["A"]}])"));
}

TEST_F(DriverTest, ControlCharactersAndNonAsciiTextCrossTheBoundary) {
  const std::string line = driver_->HandleLine(R"({"call": "DataSourceResponse", "args": ["\u0011\u0002AB|CD"]})");
  EXPECT_THAT(line, HasSubstr(R"("args":[1,1,"\u0011\u0002AB|CD"])"));

  // UTF-8 in, Windows-1252 inside, UTF-8 out; what 1252 cannot hold becomes "?".
  Send(R"({"call": "ScreenInput", "args": [2, "Zürich 5€ Ω"]})");
  EXPECT_THAT(Send(R"({"agent": "screen", "window": 2})")["result"]["text"].get<std::string>(),
              HasSubstr("Zürich 5€ ?"));
  // Invalid UTF-8 is refused by the parser, and the reply is still valid JSON.
  const Json reply = Send("{\"call\": \"ScreenInput\", \"args\": [2, \"\xFF\xFE\"]}");
  EXPECT_EQ(reply["ok"], false);
}

TEST_F(DriverTest, AnswererRespondsOnceTheEnterHandlingHasReturned) {
  EchoAnswerer echo;
  driver_->SetAnswerer(&echo);
  EXPECT_EQ(Send(R"({"agent": "type", "text": "a10jun"})")["ok"], true);
  const Json reply = Send(R"({"agent": "key", "key": "Enter"})");
  const std::string page = host::EchoPage(1, "a10jun");
  EXPECT_EQ(reply["events"], (Json{{{"name", "DataSourceInput"}, {"args", {"a10jun"}}},
                                   {{"name", "HostResponse"}, {"args", {1, 1, page}}}}));
  EXPECT_EQ(reply["host"], (Json{{{"session", 1}, {"entry", "a10jun"}, {"response", page}}}));
  // The pending mark was written before the answer arrived.
  EXPECT_THAT(Send(R"({"agent": "screen"})")["result"]["text"].get<std::string>(),
              StartsWith(">a10jun<" + page.substr(2, 20)));
}

TEST_F(DriverTest, AnswererDrainsEntriesQueuedBeforeIt) {
  Send(R"({"call": "HostEntry", "args": [1, "ONE"]})");
  Send(R"({"call": "HostEntry", "args": [1, "TWO"]})");
  EchoAnswerer echo;
  driver_->SetAnswerer(&echo);
  const Json reply = Send(R"({"call": "DataSourceResponse", "args": ["\u0011\u0002FIRST"]})");
  ASSERT_EQ(reply["events"].size(), 3u);
  EXPECT_EQ(reply["events"][1], Json::parse(R"({"name": "DataSourceInput", "args": ["TWO"]})"));
  EXPECT_EQ(reply["events"][2]["args"][2], host::EchoPage(1, "TWO"));
  EXPECT_EQ(reply["host"].size(), 1u);
  EXPECT_FALSE(Send(R"({"get": "WindowCount"})").contains("host"));
}

TEST_F(DriverTest, TypedLettersArePressedWithoutShift) {
  Record().keys.clear();
  Send(R"({"agent": "type", "text": "aB>é"})");
  // é has no key on a US layout: a lone character message.
  EXPECT_THAT(Record().keys, ElementsAre("down 41", "char 61", "down 42", "char 62", "down 10 shift",
                                         "down BE shift", "char 3E", "char E9"));
  EXPECT_EQ(Send(R"({"agent": "screen"})")["result"]["text"], ">ab>é");

  Record().keys.clear();
  Send("{\"agent\": \"type\", \"text\": \"X\\r\\nY\"}");
  EXPECT_THAT(Record().keys, ElementsAre("down 58", "char 78", "down 0D", "char 0D", "down 59", "char 79"));
}

TEST_F(DriverTest, KeysArePressedWithTheirModifiers) {
  Record().keys.clear();
  EXPECT_EQ(Send(R"({"agent": "key", "key": "home", "mods": ["Shift", "ctrl"]})")["ok"], true);
  EXPECT_THAT(Record().keys, ElementsAre("down 10 shift", "down 11 shift ctrl", "down 24 shift ctrl"));
  Record().keys.clear();
  Send(R"({"agent": "key", "key": "F", "mods": ["alt"]})");
  EXPECT_THAT(Record().keys, ElementsAre("sysdown 12 alt", "sysdown 46 alt", "syschar 66"));

  EXPECT_EQ(Send(R"({"agent": "key", "key": "F1"})")["events"],
            Json::parse(R"([{"name": "InputReflect", "args": [1, 2, 112, null, 0]}])"));
  for (const char* line : {R"({"agent": "key", "key": "F13"})", R"({"agent": "key", "key": "Ä"})",
                           R"({"agent": "key"})", R"({"agent": "key", "key": "A", "mods": ["hyper"]})",
                           R"({"agent": "key", "key": "A", "mods": "shift"})"}) {
    EXPECT_EQ(Send(line)["ok"], false) << line;
  }
}

TEST_F(DriverTest, ScreenGivesTextSelectionAndScrollOfAWindow) {
  Send(R"({"call": "DataSourceResponse", "args": ["\u0011\u0002AB|CD"]})");
  Json screen = Send(R"({"agent": "screen", "window": 0})")["result"];
  EXPECT_EQ(screen["window"], 1);
  EXPECT_EQ(screen["text"], ">AB\r\nCD\r\n>");
  EXPECT_EQ(screen["selection"], Json::array({8, 8}));
  EXPECT_EQ(screen["runs"], Json::parse(R"([
      {"start": 0, "length": 8, "text_color": 0, "back_color": 16777215, "underline": false}])"));
  EXPECT_EQ(screen["line_count"], 3);
  EXPECT_EQ(screen["first_visible_line"], 0);
  EXPECT_GT(screen["visible_lines"], 3);
  EXPECT_EQ(Send(R"({"agent": "screen", "window": 2})")["result"]["text"], ">");

  EXPECT_EQ(Error(Send(R"({"agent": "screen", "window": 5})"))["description"], "window 5 has no text");
  for (const char* line : {R"({"agent": "screen", "window": 11})", R"({"agent": "screen", "window": -1})",
                           R"({"agent": "screen", "window": "1"})"}) {
    EXPECT_EQ(Send(line)["ok"], false) << line;
  }
}

TEST_F(DriverTest, ViewShowsLayoutFocusTabsAndStatusBar) {
  const Json view = Send(R"({"agent": "view"})")["result"];
  EXPECT_EQ(view["layout"], 2);
  EXPECT_EQ(view["active_frame"], 1);
  EXPECT_EQ(view["current_window"], 1);
  EXPECT_EQ(view["focus_window"], 1);
  EXPECT_EQ(view["caret"]["window"], 1);
  EXPECT_EQ(view["client"], Json::array({0, 0, 1024, 768}));
  EXPECT_EQ(view["windows"][1]["rect"], Json::array({0, 384, 1024, 768}));
  EXPECT_EQ(view["tabs"]["frame2"]["captions"][4], "ÉTÉ");
  EXPECT_EQ(view["status_bar"]["parts"].size(), 7u);
}

TEST_F(DriverTest, TickRunsEachTimerAsItFallsDue) {
  Json reply = Send(R"({"agent": "tick", "ms": 2500})");
  EXPECT_EQ(reply["result"]["tick_count"], 2500);
  EXPECT_EQ(Record().timer_runs, 2);
  EXPECT_EQ(Send(R"({"agent": "view"})")["result"]["status_bar"]["parts"][0], "CLOCK 2000");
  Send(R"({"agent": "tick", "ms": 500})");
  EXPECT_EQ(Record().timer_runs, 3);
  Send(R"({"agent": "tick", "ms": 0})");
  EXPECT_EQ(Record().timer_runs, 3);

  for (const char* line : {R"({"agent": "tick", "ms": -1})", R"({"agent": "tick", "ms": 86400001})",
                           R"({"agent": "tick", "ms": 1.5})", R"({"agent": "tick"})"}) {
    EXPECT_EQ(Send(line)["ok"], false) << line;
  }
}

TEST_F(DriverTest, AnswerSetsTheButtonOfTheBoxesThatFollow) {
  Send(R"({"call": "ScreenInput", "args": [1, "TEXT"]})");
  Json reply = Send(R"({"call": "ClearScreen", "args": [1]})");
  EXPECT_EQ(reply["messages"][0]["buttons"], "yesno");
  EXPECT_EQ(reply["messages"][0]["answer"], "yes");  // the box's first button by default
  EXPECT_EQ(Send(R"({"agent": "screen"})")["result"]["text"], ">");

  EXPECT_EQ(Send(R"({"agent": "answer", "with": "no"})")["ok"], true);
  Send(R"({"call": "ScreenInput", "args": [1, "TEXT"]})");
  EXPECT_EQ(Send(R"({"call": "ClearScreen", "args": [1]})")["messages"][0]["answer"], "no");
  EXPECT_EQ(Send(R"({"agent": "screen"})")["result"]["text"], ">TEXT");

  Send(R"({"agent": "answer", "with": "default"})");
  EXPECT_EQ(Send(R"({"call": "ClearScreen", "args": [1]})")["messages"][0]["answer"], "yes");
  EXPECT_EQ(Send(R"({"agent": "answer", "with": "maybe"})")["ok"], false);
}

TEST_F(DriverTest, MalformedRequestsGetClearErrors) {
  const std::pair<const char*, const char*> cases[] = {
      {"not json", "invalid JSON"},
      {R"({"call": "HostEntry")", "invalid JSON"},
      {"[1, 2]", "a request must be a JSON object"},
      {R"({"args": []})", "exactly one of"},
      {R"({"call": "HostEntry", "get": "WindowCount"})", "exactly one of"},
      {R"({"call": 9})", "must be a member name"},
      {R"({"call": "HostEntry", "args": {"Window": 1}})", "\"args\" must be an array"},
      {R"({"call": "HostEntry", "args": [1.5, "A"]})", "argument 1 (Window) numbers must be integers"},
      {R"({"call": "HostEntry", "args": [[1], "A"]})", "argument 1 (Window) must be an integer"},
      {R"({"call": "HostEntry", "args": [1, 5000000000]})", "out of the 32-bit range"},
      {R"({"call": "HostEntry", "arg": [1, "A"]})", "unknown key \"arg\""},
      {R"({"put": "WindowCount"})", "needs a \"value\""},
      {R"({"agent": "fly"})", "\"agent\" must be one of"},
      {R"({"agent": "type", "text": 5})", "\"text\" must be a string"},
      {R"({"agent": "view", "window": 1})", "unknown key \"window\""},
      {R"({"agent": "click", "x": -1, "y": 0})", "\"x\" and \"y\" must be integers"},
      {R"({"agent": "click", "x": 1})", "\"x\" and \"y\" must be integers"},
      {R"({"agent": "host", "hold": true})", "start the driver with --host"},
  };
  for (const auto& [line, description] : cases) {
    const Json reply = Send(line);
    EXPECT_EQ(reply["ok"], false) << line;
    EXPECT_FALSE(Error(reply).contains("hresult")) << line;
    EXPECT_THAT(Error(reply)["description"].get<std::string>(), HasSubstr(description)) << line;
  }
  const std::string deep = std::string(100, '[') + std::string(100, ']');
  EXPECT_THAT(Error(Send(deep))["description"].get<std::string>(), HasSubstr("nested deeper"));
  // Brackets inside strings do not count.
  EXPECT_EQ(Send(R"({"call": "ScreenInput", "args": [1, ")" + std::string(100, '[') + R"("]})")["ok"], true);
}

}  // namespace
}  // namespace zv::script::testing
