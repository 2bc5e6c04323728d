// Entries offered to the container and responses coming back: the request
// queue, window addressing, the screen methods and simulated keys.
#include "control/zvemul_ctl.h"
#include "tests/control/control_fixture.h"

namespace zv::testing {
namespace {

class HostTrafficTest : public ControlTest {
 protected:
  void SetUp() override {
    ControlTest::SetUp();
    Create();
    Put("CurrentWindow", S(1));
  }
  CZVEmulCtrl& Ctrl() { return *static_cast<CZVEmulCtrl*>(control.Get()); }
  bool SendKey(int window, int key, int flags, int repeat = 1) {
    return Call("SendKey", {S(window), S(key), S(flags), S(repeat)}).value.integer() != 0;
  }
  // Entries offered from window `window` (made current first).
  void OfferFrom(int window, std::initializer_list<const char*> entries) {
    Put("CurrentWindow", S(window));
    for (const char* entry : entries) HostEntry(0, entry);
  }
};

constexpr char kQueueFull[] = "No more than 5 requests can be queued. \nPlease press ESC twice to clear the queue";

TEST_F(HostTrafficTest, FiveEntriesAreInFlightAtMostAndTheRestAreRefused) {
  for (const char* entry : {"E1", "E2", "E3", "E4", "E5", "E6"}) EXPECT_TRUE(HostEntry(1, entry));
  EXPECT_EQ(events.Inputs(), std::vector<std::string>{"E1"});
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{kQueueFull});
  EXPECT_EQ(boxes->boxes()[0].caption, "ZVEmul");

  // Each response lets the oldest waiting entry go, in the order offered.
  for (int i = 0; i < 4; ++i) Respond("A\x01OK");
  EXPECT_EQ(events.Inputs(), (std::vector<std::string>{"E1", "E2", "E3", "E4", "E5"}));
  Respond("A\x01OK");
  Respond("A\x01OK");
  EXPECT_EQ(events.Inputs().size(), 5u);
  // Responses with nothing in flight left the counter at 0: the next entry
  // goes at once, the one after it waits.
  HostEntry(1, "E7");
  HostEntry(1, "E8");
  EXPECT_EQ(events.Inputs().back(), "E7");
}

TEST_F(HostTrafficTest, AContainerMayAnswerFromInsideTheInputHandler) {
  events.on_event = [&](const RecordedEvent& e) {
    if (e.name == "DataSourceInput") Respond("A\x01R-" + e.Text(0));
  };
  for (const char* entry : {"E1", "E2", "E3", "E4", "E5", "E6"}) HostEntry(1, entry);
  EXPECT_EQ(events.Inputs().size(), 6u);
  EXPECT_TRUE(boxes->boxes().empty());
  // The window that sent an entry becomes the response window only after
  // the entry was offered: an answer given at once goes where the entry
  // before it went (at first window 2).
  EXPECT_NE(Text(2).find("R-E1"), std::string::npos);
  EXPECT_NE(Text(1).find("R-E6"), std::string::npos);
}

TEST_F(HostTrafficTest, AnEntryOfferedFromTheInputHandlerWaitsInTheQueue) {
  // The counter is up before the event fires.
  events.on_event = [&](const RecordedEvent& e) {
    if (e.name == "DataSourceInput" && e.Text(0) == "FIRST") HostEntry(1, "SECOND");
  };
  HostEntry(1, "FIRST");
  EXPECT_EQ(events.Inputs(), std::vector<std::string>{"FIRST"});
  events.on_event = nullptr;
  Respond("A\x01OK");
  EXPECT_EQ(events.Inputs(), (std::vector<std::string>{"FIRST", "SECOND"}));
}

TEST_F(HostTrafficTest, WindowZeroIsTheCurrentWindowAndOthersAreRefused) {
  Put("CurrentWindow", S(4));
  EXPECT_TRUE(HostEntry(0, "ABC"));
  EXPECT_EQ(Text(4), ">ABC");
  EXPECT_EQ(Text(1), ">");
  EXPECT_FALSE(HostEntry(11, "X"));
  EXPECT_FALSE(HostEntry(-1, "X"));
  EXPECT_FALSE(ScreenInput(11, "X"));
  EXPECT_EQ(events.Inputs(), std::vector<std::string>{"ABC"});
  // The response goes to the window the entry came from.
  Put("CurrentWindow", S(1));
  Respond("A\x02RESULT");
  EXPECT_EQ(Text(4), ">ABC\r\nRESULT");
}

TEST_F(HostTrafficTest, ScreenInputTypesWithoutSubmitting) {
  EXPECT_TRUE(ScreenInput(2, "XYZ"));
  EXPECT_EQ(Text(2), ">XYZ");
  EXPECT_TRUE(events.Inputs().empty());
  // A string argument ends at its first NUL.
  EXPECT_TRUE(ScreenInput(2, std::string("AB\0CD", 5)));
  EXPECT_TRUE(HostEntry(2, std::string("E1\0E2", 5)));
  EXPECT_EQ(Line(2, 0), ">XYZABE1");
  EXPECT_EQ(events.Inputs(), std::vector<std::string>{"E1"});

  // Filling a row above the last line overwrites only what the row holds,
  // then goes on at the start of the next row.
  Put("CurrentWindow", S(3));
  Type("ab");
  Press(VK_RETURN, {.shift = true});
  Type("xyz");
  Press(VK_UP);
  Press(VK_HOME);
  EXPECT_TRUE(ScreenInput(3, std::string(63, 'Q') + "RS"));
  EXPECT_EQ(Text(3), ">" + std::string(63, 'Q') + "\r\nRSZ");
}

TEST_F(HostTrafficTest, ResponseModeIsPerWindowAndRefusesOtherWindows) {
  EXPECT_TRUE(Put("ResponseMode", S(2), {S(3)}).ok());
  EXPECT_EQ(Get("ResponseMode", {S(3)}).value, S(2));
  EXPECT_EQ(Get("ResponseMode", {S(1)}).value, S(0));
  EXPECT_EQ(Get("ResponseMode", {S(0)}).value, S(0));
  EXPECT_TRUE(control->IsModified());
  EXPECT_TRUE(Put("ResponseMode", S(1), {S(12)}).ok());
  EXPECT_EQ(Get("ResponseMode", {S(12)}).value, S(-1));
  for (int n = 1; n <= 10; ++n) EXPECT_EQ(Get("ResponseMode", {S(n)}).value, S(n == 3 ? 2 : 0)) << n;
}

TEST_F(HostTrafficTest, ReadScreenGivesTheLastResponseAsAFixedPage) {
  EXPECT_EQ(CallText("ReadScreen"), "");
  HostEntry(1, "A");
  Respond(
      "A\x01"
      "AB");
  EXPECT_EQ(CallText("ReadScreen"), "AB" + std::string(958, ' '));
  HostEntry(1, "B");
  Respond(
      "A\x01"
      "ONE|TWO");
  const std::string page = CallText("ReadScreen");
  ASSERT_EQ(page.size(), 960u);
  EXPECT_EQ(page.substr(0, 64), "ONE" + std::string(61, ' '));
  EXPECT_EQ(page.substr(64, 4), "TWO ");
  // Seventeen rows: the page keeps fifteen.
  std::string rows;
  for (int i = 0; i < 17; ++i) rows += std::string(1, static_cast<char>('A' + i)) + "|";
  HostEntry(1, "C");
  Respond("A\x01" + rows);
  const std::string full = CallText("ReadScreen");
  ASSERT_EQ(full.size(), 960u);
  EXPECT_EQ(full.substr(14 * 64, 1), "O");
}

TEST_F(HostTrafficTest, ClearScreenScrollsOldTextOutOfViewAndWritesASom) {
  HostEntry(1, "FIRST");
  Respond(
      "A\x01"
      "R1|R2");
  Call("ClearScreen", {S(1)});
  const platform::TextEngine& screen = Screen(1);
  EXPECT_EQ(Line(1, screen.LineCount() - 1), ">");
  EXPECT_EQ(screen.FirstVisibleLine(), screen.LineCount() - 1);
  EXPECT_EQ(screen.Selection().cpMin, screen.TextLength());
  EXPECT_EQ(Line(1, 0), ">FIRSTR1");

  // A screen holding only a SOM is left alone.
  const std::string before = Text(2);
  Call("ClearScreen", {S(2)});
  EXPECT_EQ(Text(2), before);
  EXPECT_EQ(Get("CurrentWindow").value, S(2));

  // Window 0 clears them all.
  ScreenInput(5, "X");
  Call("ClearScreen", {S(0)});
  EXPECT_EQ(Line(5, Screen(5).LineCount() - 1), ">");
  EXPECT_EQ(Line(5, 0), ">X");
}

TEST_F(HostTrafficTest, EachSessionHasItsOwnQueueAndCounter) {
  Call("CreateSessionQueue", {S(2), T("1:1,3,5,7,9;2:2,4,6,8,0")});
  OfferFrom(1, {"A1", "A2", "A3", "A4", "A5", "A6"});
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{kQueueFull});
  // "0" is window 10, which shares session 2 with window 2.
  OfferFrom(10, {"B1"});
  OfferFrom(2, {"B2"});
  EXPECT_EQ(events.Inputs(), (std::vector<std::string>{"A1", "B1"}));

  // A response drains the queue of the current window's session.
  Respond("A\x01OK");
  EXPECT_EQ(events.Inputs().back(), "B2");
  Put("CurrentWindow", S(3));
  Respond("A\x01OK");
  Respond("A\x01OK");
  EXPECT_EQ(events.Inputs(), (std::vector<std::string>{"A1", "B1", "B2", "A2", "A3"}));

  // The view names each window's queue. A second mapping changes only the
  // windows it names.
  Call("CreateSessionQueue", {S(3), T("1:1;3:2")});
  const auto sessions = [&] {
    std::vector<int> each;
    for (const ResWindowView& window : control->View().windows) each.push_back(window.session);
    return each;
  };
  EXPECT_EQ(sessions(), (std::vector<int>{1, 3, 1, 2, 1, 2, 1, 2, 1, 2}));

  // Back to one queue, which holds nothing: an entry goes at once.
  Call("CreateSessionQueue", {S(1), T("1:1;2:2")});
  EXPECT_EQ(sessions(), std::vector<int>(10, 0));
  HostEntry(0, "ONE");
  EXPECT_EQ(events.Inputs().back(), "ONE");
}

TEST_F(HostTrafficTest, MappingTextsAndWindowsNoMappingNames) {
  // The first group is session 1 whatever digit stands before its colon, so
  // windows 1 and 2 share a queue; windows 3 and 5, named by no mapping,
  // share the single queue.
  Call("CreateSessionQueue", {S(2), T("5:1;1:2;3:4")});
  for (int window : {1, 2, 4, 3, 5}) OfferFrom(window, {std::to_string(window).c_str()});
  EXPECT_EQ(events.Inputs(), (std::vector<std::string>{"1", "4", "3"}));
  // A negative session count is one queue for all windows.
  Call("CreateSessionQueue", {S(-1), T("1:1")});
  OfferFrom(4, {"W4"});
  EXPECT_EQ(events.Inputs().size(), 3u);
}

TEST_F(HostTrafficTest, SendKeyControlDigitSubmitsTheEntryInThatWindow) {
  ScreenInput(1, "QRS");
  EXPECT_EQ(Call("SendKey", {S(0), S('3'), S(1), S(1)}).value, B(TRUE));
  EXPECT_EQ(events.Inputs(), std::vector<std::string>{"QRS"});
  EXPECT_EQ(Text(3), ">\r\n>QRS<");
  EXPECT_EQ(Text(1), ">QRS");
  Respond(
      "A\x01"
      "DONE");
  EXPECT_EQ(Text(3), ">\r\n>QRSDONE");
}

TEST_F(HostTrafficTest, SendKeyCommandsClearAndSendToTheOtherFrame) {
  HostEntry(1, "FIRST");
  Respond("A\x01R1|R2|>");
  EXPECT_TRUE(SendKey(0, VK_F9, 0));
  EXPECT_EQ(Line(1, Screen(1).LineCount() - 1), ">");
  EXPECT_EQ(Screen(1).FirstVisibleLine(), Screen(1).LineCount() - 1);
  // With a window, F9 makes it current before it clears it.
  ScreenInput(5, "X");
  EXPECT_TRUE(SendKey(5, VK_F9, 2));
  EXPECT_EQ(Get("CurrentWindow").value, S(5));
  EXPECT_EQ(Line(5, Screen(5).LineCount() - 1), ">");

  // Ctrl+N: the entry goes to the other frame's current window.
  ScreenInput(5, "NEXT");
  EXPECT_TRUE(SendKey(0, 'N', 1));
  EXPECT_EQ(events.Inputs().back(), "NEXT");
  EXPECT_EQ(Text(2), ">\r\n>NEXT<");
}

TEST_F(HostTrafficTest, SendKeyDeleteOfAWholeLineEmptiesItAndKeepsItsBreak) {
  ScreenInput(1, "ABC\r\n>DEF");
  CResRichEdit& window = dynamic_cast<CResRichEdit&>(*platform::FromHandle(Hwnd(1)));
  window.SetSel(0, 5);
  EXPECT_FALSE(SendKey(0, VK_DELETE, 0));
  EXPECT_EQ(Text(1), "\r\n>DEF");
  // The last line's break is the final mark, which selecting to the end takes in.
  window.SetSel(1, -1);
  EXPECT_FALSE(SendKey(0, VK_DELETE, 0));
  EXPECT_EQ(Text(1), "\r\n");
}

TEST_F(HostTrafficTest, SendKeyInsertTogglesOnceAndAltMakesNoWindowCurrent) {
  EXPECT_TRUE(SendKey(3, VK_INSERT, 0));
  EXPECT_EQ(Get("InsertMode").value, B(TRUE));
  EXPECT_EQ(control->View().status_bar.parts.at(2), "INS");

  Put("CurrentWindow", S(4));
  ScreenInput(4, "ALT");
  platform::CurrentDesktop().keyboard_state().Set(VK_MENU, platform::KeyboardState::kDown);
  EXPECT_TRUE(SendKey(0, '7', 1));
  EXPECT_EQ(events.Inputs(), std::vector<std::string>{"ALT"});
  EXPECT_EQ(Get("CurrentWindow").value, S(4));
}

TEST_F(HostTrafficTest, AnEntryCopiedToTheOtherFrameIsAnsweredWithAFreshSom) {
  ScreenInput(1, "ABC");
  Ctrl().CopyEntryToOtherFrame();
  EXPECT_EQ(events.Inputs(), std::vector<std::string>{"ABC"});
  EXPECT_EQ(Text(1), ">ABC\r\n>");
  Respond("A\x01OK");
  EXPECT_EQ(Text(1), ">ABC\r\n>>OK");
}

TEST_F(HostTrafficTest, SendKeyDeliversOtherKeysAsKeystrokes) {
  ScreenInput(1, "ABC");
  EXPECT_EQ(Call("SendKey", {S(0), S(VK_RETURN), S(0), S(1)}).value, B(TRUE));
  EXPECT_EQ(events.Inputs(), std::vector<std::string>{"ABC"});
  EXPECT_FALSE(Call("SendKey", {S(12), S(VK_RETURN), S(0), S(1)}).value.integer());

  // F7 and Shift+F7 step through the windows.
  Call("SendKey", {S(0), S(VK_F7), S(0), S(1)});
  EXPECT_EQ(Get("CurrentWindow").value, S(2));
  Call("SendKey", {S(0), S(VK_F7), S(2), S(1)});
  EXPECT_EQ(Get("CurrentWindow").value, S(1));
  Call("SendKey", {S(0), S(VK_F7), S(2), S(1)});
  EXPECT_EQ(Get("CurrentWindow").value, S(10));

  // Repeat presses the key that many times; the keyboard state is as before.
  Put("CurrentWindow", S(1));
  ScreenInput(1, "DEFG");
  EXPECT_TRUE(SendKey(0, VK_LEFT, 0, 3));
  EXPECT_EQ(Screen(1).Selection().cpMin, Screen(1).TextLength() - 3);
  EXPECT_EQ(platform::GetKeyState(VK_CONTROL) & 0x8000, 0);
}

TEST_F(HostTrafficTest, SendKeyCutsAndPastesThroughTheClipboard) {
  ScreenInput(1, "HELLO");
  Press(VK_LEFT, {.shift = true});
  Press(VK_LEFT, {.shift = true});
  Call("SendKey", {S(0), S('X'), S(1), S(1)});
  EXPECT_EQ(Text(1), ">HEL");
  EXPECT_EQ(platform::CurrentDesktop().clipboard().GetText(), "LO");

  platform::CurrentDesktop().clipboard().SetText("a:b");
  Call("SendKey", {S(0), S(VK_INSERT), S(2), S(1)});
  EXPECT_EQ(Text(1), ">HELAB");
}

}  // namespace
}  // namespace zv::testing
