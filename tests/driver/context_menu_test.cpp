// The context menu and the clipboard through the driver, with the real
// control: what the menu offers, its macro submenus paged, and what its
// commands do to the screens and the clipboard.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "apps/zvemul-script/driver.h"
#include "driver_test_support.h"

namespace zv::script::testing {
namespace {

namespace fs = std::filesystem;

class ContextMenuTest : public DriverTest {
 protected:
  ~ContextMenuTest() override { Send(R"({"put": "TWA", "value": false})"); }

  // Every request here must succeed.
  Json Send(const std::string& line) {
    Json reply = DriverTest::Send(line);
    EXPECT_TRUE(reply["ok"]) << line << " -> " << reply.dump();
    return reply;
  }
  Json Menu() { return Send(R"({"agent": "menu"})")["result"]; }
  void Choose(const Json& choice) { Send(Json{{"agent", "menu"}, {"choose", choice}}.dump()); }
  std::string Text(int window) {
    return Send(R"({"agent": "screen", "window": )" + std::to_string(window) + "}")["result"]["text"];
  }
  // A right click in the middle of a window.
  void RightClick(int window) {
    const Json rect = Send(R"({"agent": "view"})")["result"]["windows"][window - 1]["rect"];
    const int x = (rect[0].get<int>() + rect[2].get<int>()) / 2;
    const int y = (rect[1].get<int>() + rect[3].get<int>()) / 2;
    Send(Json{{"agent", "click"}, {"x", x}, {"y", y}, {"button", "right"}}.dump());
  }
  std::string Folder(const char* name) { return home_.root() + "/Application Data/ZELVANTA/" + name + "/"; }
  void MakeMacros(const char* folder, int count) {
    for (int i = 0; i < count; ++i) {
      const std::string number = std::to_string(100 + i).substr(1);
      std::ofstream(Folder(folder) + "m" + number + ".zvm") << "x";
    }
  }
  // The macro names of a submenu's items, with "^" and "v" for its scroll items.
  static std::vector<std::string> Names(const Json& items) {
    std::vector<std::string> names;
    for (const Json& item : items) {
      names.push_back(item["bitmap"].is_null() ? item["text"].get<std::string>()
                                               : item["bitmap"] == 208 ? "^" : "v");
    }
    return names;
  }
  static std::vector<std::string> Range(int first, int last) {
    std::vector<std::string> names;
    for (int i = first; i <= last; ++i) names.push_back("m" + std::to_string(100 + i).substr(1));
    return names;
  }
};

TEST_F(ContextMenuTest, PasteWritesUpperCaseWithoutColonsAndNeverPastTheRowEnd) {
  Send(R"({"call": "ScreenInput", "args": [1, "ABCDEFGH"]})");
  Send(R"({"agent": "key", "key": "Enter"})");
  Send(R"({"call": "DataSourceResponse", "args": ["\u0001\u0001LINE ONE|LINE TWO"]})");
  // The caret two characters before the end of the first row.
  Send(R"({"agent": "key", "key": "Up"})");
  for (int i = 0; i < 7; ++i) Send(R"({"agent": "key", "key": "Right"})");
  Send(R"({"agent": "clipboard", "set": "x:yz"})");
  // Chosen from the menu of window 2, the paste goes to window 1, current in
  // the active frame; overtype replaces the two characters, inserts the third.
  RightClick(2);
  Choose("Paste");
  EXPECT_EQ(Text(1), ">ABCDEFGHLINE OXYZ\r\nLINE TWO");
  EXPECT_EQ(Text(2), ">");

  // In insert mode nothing is replaced; the Apps key opens the same menu.
  Send(R"({"put": "InsertMode", "value": true})");
  Send(R"({"agent": "clipboard", "set": "ab:cd"})");
  Send(R"({"agent": "key", "key": "Apps"})");
  Choose(0xE125);
  EXPECT_EQ(Text(1), ">ABCDEFGHLINE OXYZABCD\r\nLINE TWO");
  // No reflection of the pasted text reaches the container.
  EXPECT_TRUE(Send(R"({"agent": "screen"})")["events"].empty());
}

TEST_F(ContextMenuTest, CutAndCopyNeedASelectionPasteNeedsTextAndTwaKeepsTheMenuShut) {
  Send(R"({"agent": "type", "text": "pnr"})");
  RightClick(1);
  Json menu = Menu();
  ASSERT_FALSE(menu.is_null());
  EXPECT_EQ(menu["showing"], "context");
  const Json& items = menu["items"];
  ASSERT_EQ(items.size(), 6u);
  EXPECT_EQ(items[0], (Json{{"id", 0xE123}, {"text", "Cut\tCtrl+X"}, {"grayed", true}, {"separator", false},
                            {"submenu", nullptr}, {"bitmap", nullptr}}));
  EXPECT_EQ(items[1]["text"], "Copy\tCtrl+C");
  EXPECT_TRUE(items[1]["grayed"]);
  EXPECT_EQ(items[2]["text"], "Paste\tCtrl+V");
  EXPECT_TRUE(items[2]["grayed"]);
  EXPECT_TRUE(items[3]["separator"]);
  // Empty macro folders: their items are there, greyed.
  EXPECT_EQ(items[4]["text"], "Personal Macros");
  EXPECT_TRUE(items[4]["grayed"]);
  EXPECT_EQ(items[5]["text"], "Office Macros");
  EXPECT_TRUE(items[5]["grayed"]);
  Send(R"({"agent": "menu", "close": true})");
  EXPECT_TRUE(Menu().is_null());

  // Cut of a selection: off the screen, plain text on the clipboard.
  Send(R"({"agent": "key", "key": "Left", "mods": ["shift"]})");
  Send(R"({"agent": "key", "key": "Left", "mods": ["shift"]})");
  RightClick(1);
  EXPECT_FALSE(Menu()["items"][0]["grayed"]);
  Choose("Cut");
  EXPECT_EQ(Text(1), ">P");
  EXPECT_EQ(Send(R"({"agent": "clipboard"})")["result"], "NR");
  RightClick(1);
  EXPECT_FALSE(Menu()["items"][2]["grayed"]);
  Send(R"({"agent": "menu", "close": true})");

  Send(R"({"put": "TWA", "value": true})");
  RightClick(1);
  EXPECT_TRUE(Menu().is_null());
  Send(R"({"agent": "key", "key": "Apps"})");
  EXPECT_FALSE(Menu().is_null());
}

TEST_F(ContextMenuTest, MacroSubmenusPageByTwentySixAndRunTheChosenFile) {
  MakeMacros("Personal Macros", 27);
  MakeMacros("Office Macros", 60);
  Send(R"({"put": "MacroKey", "args": ["Shift+K"], "value": "m00"})");
  Send(R"({"put": "MacroKey", "args": ["Ctrl+Shift+Q"], "value": "m30"})");
  RightClick(1);
  Json items = Menu()["items"];
  EXPECT_FALSE(items[4]["grayed"]);
  std::vector<std::string> page = Range(0, 25);
  page.push_back("v");
  page[0] = "m00\tShift+K";
  EXPECT_EQ(Names(items[4]["submenu"]), page);
  EXPECT_EQ(items[4]["submenu"][0]["id"], 0x8007);
  EXPECT_EQ(items[5]["submenu"][0]["id"], 0x83EF);

  // Personal, 27 macros: down shows 2 to 26, up goes back to the first page.
  Choose(102);
  Json menu = Menu();
  EXPECT_EQ(menu["showing"], "personal");
  page = Range(2, 26);
  page.insert(page.begin(), "^");
  EXPECT_EQ(Names(menu["items"]), page);
  Choose(101);
  EXPECT_EQ(Names(Menu()["items"]).front(), "m00\tShift+K");
  Send(R"({"agent": "menu", "close": true})");

  // Office, 60 macros: 0 to 25, 26 to 51, then 35 to 59 without a way down.
  RightClick(1);
  Choose(104);
  page = Range(26, 51);
  page.insert(page.begin(), "^");
  page.push_back("v");
  page[5] = "m30\tCtrl+Shift+Q";
  menu = Menu();
  EXPECT_EQ(menu["showing"], "office");
  EXPECT_EQ(Names(menu["items"]), page);
  Choose(104);
  page = Range(35, 59);
  page.insert(page.begin(), "^");
  EXPECT_EQ(Names(Menu()["items"]), page);

  // A macro chosen runs its file; one whose file has gone runs the folder's ".zvm".
  Json reply = Send(R"({"agent": "menu", "choose": "m40"})");
  EXPECT_EQ(reply["events"][0]["args"][0], Folder("Office Macros") + "m40.zvm");
  RightClick(1);
  fs::remove_all(Folder("Personal Macros"));
  reply = Send(R"({"agent": "menu", "choose": "m25"})");
  EXPECT_EQ(reply["events"][0]["name"], "DriveMacro");
  EXPECT_EQ(reply["events"][0]["args"][0], Folder("Personal Macros") + ".zvm");
  // The next menu finds the folder missing.
  RightClick(1);
  EXPECT_TRUE(Menu()["items"][4]["grayed"]);
}

}  // namespace
}  // namespace zv::script::testing
