// The request kinds of the scripting driver, against the control.

#include "apps/zvemul-script/driver.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "driver_test_support.h"
#include "host/host_link.h"

namespace zv::script::testing {
namespace {

using ::testing::HasSubstr;

Json Error(const Json& reply) { return reply.value("error", Json()); }

TEST_F(DriverTest, MembersAreReachedByNameLookUpWithTheirTypes) {
  EXPECT_EQ(Send(R"({"dispid": "CreateSessionQueue"})")["result"], 32);
  EXPECT_EQ(Send(R"({"dispid": "createsessionqueue"})")["result"], 32);

  Json reply = Send(R"({"put": "InsertMode", "value": 1})");
  EXPECT_EQ(reply["ok"], true);
  EXPECT_TRUE(reply["result"].is_null());
  EXPECT_EQ(Send(R"({"get": "insertmode"})")["result"], 1);
  EXPECT_EQ(Send(R"({"put": "Color", "args": [1, 2], "value": 255})")["ok"], true);
  EXPECT_EQ(Send(R"({"get": "Color", "args": [1, 2]})")["result"], 255);
  EXPECT_EQ(Send(R"({"get": "PersistDir"})")["result"], home_.root() + "/Application Data/ZELVANTA/");
  EXPECT_TRUE(Send(R"({"call": "CreateSessionQueue", "args": [2, "1:1,3;2:2,4"]})")["result"].is_null());

  // Strings convert to the declared types; BOOL results as the member gives them.
  EXPECT_EQ(Send(R"({"call": "ScreenInput", "args": ["2", "X"]})")["result"], 1);
  EXPECT_EQ(Send(R"({"call": "ScreenInput", "args": [11, "X"]})")["result"], 0);

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

  const std::pair<const char*, const char*> cases[] = {
      {R"({"call": "NoSuchMethod"})", "0x80020006"},
      {R"({"dispid": "NoSuchMethod"})", "0x80020006"},
      {R"({"call": "WindowCount"})", "0x80020003"},
      {R"({"get": "HostEntry", "args": [1, "A"]})", "0x80020003"},
      {R"({"call": "HostEntry", "args": [1, "A", 3]})", "0x8002000E"},
      {R"({"call": "HostEntry"})", "0x8002000E"},
      {R"({"call": "HostEntry", "args": ["one", "A"]})", "0x80020005"},
      {R"({"call": "HostEntry", "args": [70000, "A"]})", "0x8002000A"},
  };
  for (const auto& [line, hresult] : cases) EXPECT_EQ(Error(Send(line))["hresult"], hresult) << line;
  EXPECT_THAT(Error(Send(R"({"call": "NoSuchMethod"})"))["description"].get<std::string>(), HasSubstr("NoSuchMethod"));
  EXPECT_THAT(Error(Send(R"({"call": "WindowCount"})"))["description"].get<std::string>(), HasSubstr("use get or put"));
  EXPECT_EQ(Error(Send(R"({"call": "HostEntry", "args": [1, "A", 3]})"))["description"],
            "HostEntry takes 2 arguments, got 3");
}

TEST_F(DriverTest, EventsAndMessageBoxesOfARequestComeWithItsReply) {
  Send(R"({"put": "ResponseMode", "args": [1], "value": 2})");
  Json reply = Send(R"({"call": "HostEntry", "args": [1, "A1"]})");
  EXPECT_EQ(reply["result"], 1);
  EXPECT_EQ(reply["events"], Json::parse(R"([{"name": "DataSourceInput", "args": ["A1"]}])"));
  // Queued behind the first: nothing is fired, nothing is left over for later replies.
  for (int i = 2; i <= 5; ++i) EXPECT_TRUE(Send(R"({"call": "HostEntry", "args": [1, "A"]})")["events"].empty());
  reply = Send(R"({"call": "HostEntry", "args": [1, "A6"]})");
  ASSERT_EQ(reply["messages"].size(), 1u);
  EXPECT_EQ(reply["messages"][0]["caption"], "ZVEmul");
  EXPECT_EQ(reply["messages"][0]["answer"], "ok");
  EXPECT_TRUE(Send(R"({"get": "WindowCount"})")["messages"].empty());

  // Control characters cross the boundary as they are.
  const std::string line = driver_->HandleLine(R"({"call": "DataSourceResponse", "args": ["\u0011\u0002AB|CD"]})");
  EXPECT_THAT(line, HasSubstr(R"("events":[{"name":"HostResponse","args":[0,1,"AB\r\nCD"]})"));
  EXPECT_THAT(line, HasSubstr(R"({"name":"DataSourceInput","args":["A"]}])"));
}

TEST_F(DriverTest, NonAsciiTextCrossesTheBoundary) {
  // UTF-8 in, Windows-1252 inside, UTF-8 out; what 1252 cannot hold becomes "?".
  Send(R"({"call": "ScreenInput", "args": [2, "Zürich 5€ Ω"]})");
  EXPECT_EQ(Screen(2), ">Zürich 5€ ?");
  // Invalid UTF-8 is refused by the parser, and the reply is still valid JSON.
  EXPECT_EQ(Send("{\"call\": \"ScreenInput\", \"args\": [2, \"\xFF\xFE\"]}")["ok"], false);
}

TEST_F(DriverTest, AnswererRespondsOnceTheEnterHandlingHasReturned) {
  EchoAnswerer echo;
  driver_->SetAnswerer(&echo);
  EXPECT_EQ(Send(R"({"agent": "type", "text": "a10jun"})")["ok"], true);
  const Json reply = Send(R"({"agent": "key", "key": "Enter"})");
  const std::string page = host::EchoPage(1, "A10JUN");
  EXPECT_EQ(reply["events"].back(), (Json{{"name", "DataSourceInput"}, {"args", {"A10JUN"}}}));
  EXPECT_EQ(reply["host"], (Json{{{"session", 1}, {"entry", "A10JUN"}, {"response", page}}}));
  EXPECT_THAT(Screen(), HasSubstr("ECHO HOST - SESSION 1\r\nA10JUN\r\n"));

  // Entries queued before the answerer came are answered in turn.
  driver_->SetAnswerer(nullptr);
  Send(R"({"call": "HostEntry", "args": [1, "ONE"]})");
  Send(R"({"call": "HostEntry", "args": [1, "TWO"]})");
  driver_->SetAnswerer(&echo);
  const Json drained = Send(R"({"call": "DataSourceResponse", "args": ["\u0011\u0002FIRST|>"]})");
  EXPECT_EQ(drained["events"], Json::parse(R"([{"name": "DataSourceInput", "args": ["TWO"]}])"));
  EXPECT_EQ(drained["host"][0]["entry"], "TWO");
  EXPECT_FALSE(Send(R"({"get": "WindowCount"})").contains("host"));
}

TEST_F(DriverTest, TypedTextAndKeysReachTheScreen) {
  const Json typed = Send(R"({"agent": "type", "text": "aB>"})");
  EXPECT_EQ(Screen(), ">AB>");
  EXPECT_EQ(typed["events"][0], Json::parse(R"({"name": "InputReflect", "args": [1, 1, 0, "A", 30]})"));
  Send(R"({"agent": "key", "key": "home", "mods": ["Shift", "ctrl"]})");
  EXPECT_EQ(Send(R"({"agent": "screen"})")["result"]["selection"], Json::array({0, 4}));

  for (const char* line : {R"({"agent": "key", "key": "F13"})", R"({"agent": "key", "key": "Ä"})",
                           R"({"agent": "key"})", R"({"agent": "key", "key": "A", "mods": ["hyper"]})",
                           R"({"agent": "key", "key": "A", "mods": "shift"})"}) {
    EXPECT_EQ(Send(line)["ok"], false) << line;
  }
}

TEST_F(DriverTest, ScreenAndViewDescribeWhatTheAgentSees) {
  Send(R"({"call": "HostEntry", "args": [1, "X"]})");
  Send(R"({"call": "DataSourceResponse", "args": ["\u0011\u0002AB|CD|>"]})");
  Json screen = Send(R"({"agent": "screen", "window": 0})")["result"];
  EXPECT_EQ(screen["window"], 1);
  EXPECT_THAT(screen["text"].get<std::string>(), HasSubstr("AB\r\nCD\r\n>"));
  EXPECT_GT(screen["line_count"], 3);
  EXPECT_GT(screen["visible_lines"], 3);
  EXPECT_FALSE(screen["runs"].empty());
  EXPECT_EQ(Screen(2), ">");
  for (const char* line : {R"({"agent": "screen", "window": 11})", R"({"agent": "screen", "window": -1})",
                           R"({"agent": "screen", "window": "1"})"}) {
    EXPECT_EQ(Send(line)["ok"], false) << line;
  }

  const Json view = Send(R"({"agent": "view"})")["result"];
  EXPECT_EQ(view["layout"], 2);
  EXPECT_EQ(view["active_frame"], 1);
  EXPECT_EQ(view["current_window"], 1);
  EXPECT_EQ(view["focus_window"], 1);
  EXPECT_EQ(view["caret"]["window"], 1);
  EXPECT_EQ(view["client"], Json::array({0, 0, 1024, 768}));
  EXPECT_EQ(view["tabs"]["frame2"]["captions"].size(), 5u);
  EXPECT_FALSE(view["status_bar"]["parts"].empty());
}

TEST_F(DriverTest, TickAdvancesTheClockTheControlSees) {
  EXPECT_EQ(Send(R"({"agent": "tick", "ms": 2500})")["result"]["tick_count"], 2500);
  EXPECT_EQ(Send(R"({"agent": "tick", "ms": 0})")["result"]["tick_count"], 2500);
  for (const char* line : {R"({"agent": "tick", "ms": -1})", R"({"agent": "tick", "ms": 86400001})",
                           R"({"agent": "tick", "ms": 1.5})", R"({"agent": "tick"})"}) {
    EXPECT_EQ(Send(line)["ok"], false) << line;
  }
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
      {R"({"agent": "answer", "with": "maybe"})", "\"with\" must be one of"},
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
