// The desk as a person uses it: the program as built, in a tmux pane of a
// fixed size, typed at with send-keys and read with capture-pane. Skipped
// when tmux or the program is missing.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/scratch_home.h"

namespace zv::desk {
namespace {

constexpr char kDesk[] = ZV_BINARY_DIR "/apps/zvemul/zvemul";
constexpr char kPrompt[] = "desk-test$";

std::string Quote(const std::string& text) {
  std::string out = "'";
  for (const char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

struct ShellResult {
  int status = -1;
  std::string output;
};

ShellResult Shell(const std::string& command) {
  ShellResult result;
  FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
  if (pipe == nullptr) return result;
  char buffer[4096];
  while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) result.output.append(buffer, n);
  result.status = ::pclose(pipe);
  return result;
}

std::vector<std::string> Lines(const std::string& screen) {
  std::vector<std::string> lines;
  std::istringstream in(screen);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// One tmux server of the test's own, with one session running a shell with
// a known prompt, in which the desk is started as a person would.
class TmuxDesk {
 public:
  TmuxDesk(const zv::testing::ScratchHome& home, int columns, int rows) : socket_(home.root() + "/tmux.sock") {
    Tmux("-f /dev/null new-session -d -s desk -x " + std::to_string(columns) + " -y " + std::to_string(rows) +
         " env " + Quote(std::string("PS1=") + kPrompt + " ") + " sh");
  }
  ~TmuxDesk() { Tmux("kill-server"); }
  TmuxDesk(const TmuxDesk&) = delete;
  TmuxDesk& operator=(const TmuxDesk&) = delete;

  void Start(const std::string& arguments) {
    // Typed before the shell's first prompt, the command would be echoed
    // ahead of it and the prompt counted once too few when the desk ends.
    WaitForText(kPrompt);
    const std::string term = Shell("infocmp tmux-256color >/dev/null").status == 0 ? "tmux-256color" : "screen";
    Literal("TERM=" + term + " LANG=C.UTF-8 " + kDesk + " " + arguments);
    Keys("Enter");
  }

  ShellResult Tmux(const std::string& arguments) { return Shell("tmux -S " + Quote(socket_) + " " + arguments); }
  void Keys(const std::string& names) { Tmux("send-keys -t desk " + names); }
  void Literal(const std::string& text) { Tmux("send-keys -t desk -l -- " + Quote(text)); }
  void Resize(int columns, int rows) {
    Tmux("resize-window -t desk -x " + std::to_string(columns) + " -y " + std::to_string(rows));
  }
  std::string Screen() { return Tmux("capture-pane -p -t desk").output; }
  // A left click as an xterm reports it: press and release at the cell;
  // a drag: press at one cell, release at another.
  void Click(int row, int column) {
    const std::string at{static_cast<char>(33 + column), static_cast<char>(33 + row)};
    Literal("\x1b[M " + at + "\x1b[M#" + at);
  }
  void Drag(int row, int column, int to_row, int to_column) {
    Literal(std::string("\x1b[M ") + static_cast<char>(33 + column) + static_cast<char>(33 + row));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    Literal(std::string("\x1b[M#") + static_cast<char>(33 + to_column) + static_cast<char>(33 + to_row));
  }

  // Polls the screen until `ready` holds or the time is up; the last screen
  // is kept for messages.
  bool WaitFor(const std::function<bool(const std::string&)>& ready, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    for (;;) {
      last_ = Screen();
      if (ready(last_)) return true;
      if (std::chrono::steady_clock::now() >= end) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
  }
  bool WaitForText(const std::string& text, std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    return WaitFor([&](const std::string& screen) { return Contains(screen, text); }, limit);
  }
  const std::string& last() const { return last_; }

  int CursorRow() { return std::stoi(Tmux("display-message -p -t desk '#{cursor_y}'").output); }
  int CursorColumn() { return std::stoi(Tmux("display-message -p -t desk '#{cursor_x}'").output); }
  bool CursorShown() { return Tmux("display-message -p -t desk '#{cursor_flag}'").output.starts_with("1"); }

  // The desk's process: the one child of the pane's shell.
  std::string DeskPid() {
    const std::string shell = Tmux("display-message -p -t desk '#{pane_pid}'").output;
    std::string pid = Shell("pgrep -P " + std::to_string(std::stol(shell))).output;
    while (!pid.empty() && (pid.back() == '\n' || pid.back() == ' ')) pid.pop_back();
    return pid;
  }

  // After the desk has ended: the shell's prompt is back (a second time) and
  // the terminal is in its ordinary mode (line editing and echo).
  void ExpectTerminalRestored() {
    ASSERT_TRUE(WaitFor(
        [](const std::string& screen) {
          const std::size_t first = screen.find(kPrompt);
          return first != std::string::npos && screen.find(kPrompt, first + 1) != std::string::npos;
        },
        std::chrono::seconds(10)))
        << last_;
    Literal("stty -a | tr ' ;' '\\n\\n' | grep -x -e '-*icanon' -e '-*echo' | tr '\\n' ' '; echo STTY-$((1+1))");
    Keys("Enter");
    ASSERT_TRUE(WaitForText("STTY-2\n")) << last_;
    EXPECT_TRUE(Contains(last_, "icanon echo STTY-2")) << last_;
  }

 private:
  std::string socket_;
  std::string last_;
};

class DeskTmuxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (Shell("command -v tmux").status != 0) GTEST_SKIP() << "tmux is not installed";
    if (!std::filesystem::exists(kDesk)) GTEST_SKIP() << "zvemul is not built";
    ::unsetenv("TMUX");
  }

  zv::testing::ScratchHome home_;
};

// The time as the status bar shows it ("h:mm AM"), now or a minute ago, so
// that a minute turning during the test does not fail it.
bool ShowsTheTime(const std::string& bar) {
  for (const std::time_t t : {std::time(nullptr), std::time(nullptr) - 60}) {
    std::tm local{};
    ::localtime_r(&t, &local);
    const std::string text = std::to_string(local.tm_hour % 12 == 0 ? 12 : local.tm_hour % 12) + ":" +
                             (local.tm_min < 10 ? "0" : "") + std::to_string(local.tm_min) +
                             (local.tm_hour < 12 ? " AM" : " PM");
    if (Contains(bar, text)) return true;
  }
  return false;
}

// A booking as docs/demo-host.md walks through it, typed as an agent types
// at 80 x 24, with no Esc anywhere: every answer ends with a SOM, so each
// entry and function key goes out alone.
TEST_F(DeskTmuxTest, AWholeBookingAtEightyByTwentyFourWithoutEsc) {
  TmuxDesk desk(home_, 80, 24);
  desk.Start("--latency 0");
  ASSERT_TRUE(desk.WaitForText("No Scripts Running")) << desk.last();
  const std::string bar = Lines(desk.last()).back();
  EXPECT_TRUE(Contains(bar, "DEMO")) << "the link's state in the communication part: " << bar;
  EXPECT_TRUE(ShowsTheTime(bar)) << "the clock part shows the time: " << bar;

  const auto enter = [&](const std::string& entry, const std::string& answer) {
    desk.Literal(entry);
    desk.Keys("Enter");
    EXPECT_TRUE(desk.WaitForText(answer)) << entry << "\n" << desk.last();
  };
  enter("a10junlonpar", "14 WR");
  // One frame at 80 x 24: the whole display, its first line included.
  EXPECT_TRUE(Lines(desk.last()).at(1).starts_with("** AVAILABILITY **  10JUN")) << desk.last();
  desk.Keys("F12");
  EXPECT_TRUE(desk.WaitFor([](const std::string& s) { return std::regex_search(s, std::regex("\n15 [A-Z]{2} ")); },
                           std::chrono::seconds(10)))
      << desk.last();
  desk.Keys("F11");
  ASSERT_TRUE(desk.WaitForText("\n 1 TL")) << desk.last();
  enter("02y3", "LONPAR SS2");
  enter("-smith/john mr", "NAME 1 ADDED - SMITH/JOHN MR");
  enter("-smith/jane mrs", "NAME 2 ADDED - SMITH/JANE MRS");
  enter("9 555 1234", "PHONE 1 ADDED");
  enter("7t/", "TICKETING ADDED - T/");
  enter("6p", "RECEIVED FROM ADDED - P");
  desk.Keys("F10");
  ASSERT_TRUE(desk.WaitForText("RECORD LOCATOR ")) << desk.last();

  // The record locator dragged over, copied with Ctrl+C and pasted after
  // "*" with Ctrl+V: the record comes back.
  const std::vector<std::string> lines = Lines(desk.last());
  int row = 0;
  while (row < static_cast<int>(lines.size()) && !Contains(lines[row], "RECORD LOCATOR ")) ++row;
  const int column = static_cast<int>(lines[row].find("LOCATOR ") + 8);
  const std::string locator = lines[row].substr(column, 6);
  ASSERT_EQ(lines.at(row + 1), ">") << "the answer ends with a SOM on a fresh row\n" << desk.last();
  desk.Drag(row, column, row, column + 6);
  desk.Keys("C-c");
  desk.Click(row + 1, 1);
  // The click has been handled once the caret stands where it was clicked.
  ASSERT_TRUE(desk.WaitFor([&](const std::string&) { return desk.CursorRow() == row + 1 && desk.CursorColumn() == 1; },
                           std::chrono::seconds(10)))
      << desk.last();
  desk.Literal("*");
  desk.Keys("C-v");
  EXPECT_TRUE(desk.WaitForText(">*" + locator)) << desk.last();
  desk.Keys("Enter");
  ASSERT_TRUE(desk.WaitForText("RECORD " + locator + "\n")) << desk.last();
  EXPECT_TRUE(desk.WaitForText("LONPAR HK2")) << desk.last();
  desk.Keys("F2");
  EXPECT_TRUE(desk.WaitForText("ITINERARY CANCELLED - 1 SEGMENT")) << desk.last();
  EXPECT_FALSE(Contains(desk.last(), "INVALID FORMAT")) << desk.last();

  desk.Keys("'C-\\'");
  desk.ExpectTerminalRestored();
}

// The menu at 80 x 24: Shift+F10 opens it, a macro is chosen on the second
// page of its submenu, Copy reaches tmux's clipboard (OSC 52), Paste and a
// bracketed paste land in another window.
TEST_F(DeskTmuxTest, TheMenuRunsAMacroAndCopiesAndPastesBetweenWindows) {
  const std::string folder = home_.root() + "/Application Data/ZELVANTA/Personal Macros/";
  std::filesystem::create_directories(folder);
  for (int i = 0; i < 27; ++i) std::ofstream(folder + "m" + std::to_string(100 + i).substr(1) + ".zvm") << "x";
  TmuxDesk desk(home_, 80, 24);
  desk.Tmux("set-option -g set-clipboard on");
  desk.Start("--latency 0");
  ASSERT_TRUE(desk.WaitForText("No Scripts Running")) << desk.last();
  desk.Literal("abc");
  ASSERT_TRUE(desk.WaitForText(">ABC")) << desk.last();
  // Each key waits for the menu it is meant for: keys read before a menu
  // opens are not the menu's.
  const auto open_menu = [&] {
    desk.Keys("S-F10");
    ASSERT_TRUE(desk.WaitForText("Office Macros    >")) << desk.last();
  };
  open_menu();
  EXPECT_TRUE(Lines(desk.last()).at(1) == ">ABC" && Contains(Lines(desk.last()).at(3), "Cut         Ctrl+X"))
      << "below the caret\n" << desk.last();
  desk.Keys("Down Down Down Right");
  ASSERT_TRUE(desk.WaitForText("m21")) << desk.last();
  // Up wraps to the scroll item at the bottom: the next page opens alone.
  desk.Keys("Up Enter");
  ASSERT_TRUE(desk.WaitFor([](const std::string& s) { return Contains(s, "m02") && !Contains(s, "m01"); },
                           std::chrono::seconds(10)))
      << desk.last();
  desk.Keys("Down Down Enter");
  EXPECT_TRUE(desk.WaitForText("Macro m03.zvm")) << desk.last();

  desk.Keys("S-Left S-Left S-Left");
  open_menu();
  desk.Keys("c Enter");  // "c": Cut, then Copy
  EXPECT_TRUE(desk.WaitFor([&](const std::string&) { return desk.Tmux("show-buffer").output == "ABC"; },
                           std::chrono::seconds(10)))
      << desk.Tmux("show-buffer").output;
  desk.Keys("F7");
  ASSERT_TRUE(desk.WaitFor([](const std::string& s) { return Lines(s).at(1) == ">"; }, std::chrono::seconds(10)))
      << desk.last();
  open_menu();
  desk.Keys("p Enter");
  ASSERT_TRUE(desk.WaitFor([](const std::string& s) { return Lines(s).at(1) == ">ABC"; }, std::chrono::seconds(10)))
      << desk.last();
  desk.Tmux("set-buffer 'x:yz'");
  desk.Tmux("paste-buffer -p -t desk");
  EXPECT_TRUE(desk.WaitFor([](const std::string& s) { return Lines(s).at(1) == ">ABCXYZ"; }, std::chrono::seconds(10)))
      << "pasted as clipboard text: upper case, no colon\n" << desk.last();

  desk.Keys("C-q");
  desk.ExpectTerminalRestored();
}

// Two frames: the window keys through all the windows, F8 to the other
// frame, F9, a click on a tab and in a screen.
TEST_F(DeskTmuxTest, WindowKeysWalkTheWindowsAndTheFrames) {
  TmuxDesk desk(home_, 100, 40);
  desk.Start("--latency 0");
  ASSERT_TRUE(desk.WaitForText("No Scripts Running")) << desk.last();
  // Frame 1: rows 1 to 18 under its strip; frame 2: rows 20 to 38.
  const auto in_frame = [&](int frame, const std::string& text) {
    return desk.WaitFor(
        [&](const std::string& s) {
          const std::vector<std::string> lines = Lines(s);
          const int top = frame == 1 ? 1 : 20;
          const int row = desk.CursorRow();
          return lines.size() == 40 && lines[top].starts_with(">" + text) && row >= top && row < top + 18;
        },
        std::chrono::seconds(5));
  };
  // F7 from window 1 through all ten: each gets its number typed.
  for (int window = 1; window <= 10; ++window) {
    const std::string name = "W" + std::to_string(window);
    desk.Literal(name);
    ASSERT_TRUE(in_frame(window % 2 == 1 ? 1 : 2, name)) << name << "\n" << desk.last();
    desk.Keys("F7");
  }
  EXPECT_TRUE(in_frame(1, "W1")) << "after window 10 comes window 1\n" << desk.last();
  desk.Keys("S-F7");
  EXPECT_TRUE(in_frame(2, "W10")) << desk.last();
  desk.Keys("S-F7");
  EXPECT_TRUE(in_frame(1, "W9")) << desk.last();
  desk.Keys("F8");
  EXPECT_TRUE(in_frame(2, "W10")) << "F8: the other frame\n" << desk.last();
  desk.Keys("F9");
  EXPECT_TRUE(desk.WaitFor([](const std::string& s) { return !Contains(s, "W10"); }, std::chrono::seconds(5)))
      << "F9 clears the screen\n" << desk.last();

  // A click on the tab of window 3 puts it in frame 1; a click in its
  // screen puts the caret there.
  desk.Click(0, 20);
  EXPECT_TRUE(in_frame(1, "W3")) << desk.last();
  desk.Click(1, 2);
  EXPECT_TRUE(desk.WaitFor([&](const std::string&) { return desk.CursorRow() == 1 && desk.CursorColumn() == 2; },
                           std::chrono::seconds(5)))
      << desk.CursorRow() << "," << desk.CursorColumn();

  desk.Keys("C-q");
  desk.ExpectTerminalRestored();
}

TEST_F(DeskTmuxTest, CtrlPPrintsTheScreenThroughThePrintDialogIntoAPdf) {
  TmuxDesk desk(home_, 100, 40);
  desk.Start("--latency 0");
  ASSERT_TRUE(desk.WaitForText("No Scripts Running")) << desk.last();
  desk.Literal("a10junlonpar");
  desk.Keys("Enter");
  ASSERT_TRUE(desk.WaitForText("14 WR")) << desk.last();
  desk.Keys("C-p");
  ASSERT_TRUE(desk.WaitForText("[ Cancel ]")) << desk.last();
  EXPECT_TRUE(desk.WaitForText(" > PDF")) << desk.last();
  desk.Keys("Enter");
  const std::filesystem::path folder = home_.root() + "/zvemul-prints";
  ASSERT_TRUE(desk.WaitFor([&](const std::string&) { return std::filesystem::exists(folder); }, std::chrono::seconds(10)));
  desk.Keys("'C-\\'");
  desk.ExpectTerminalRestored();
  const std::filesystem::directory_iterator pdf(folder);
  ASSERT_NE(pdf, std::filesystem::directory_iterator());
  const std::string text = Shell("pdftotext -layout " + Quote(pdf->path().native()) + " -").output;
  EXPECT_TRUE(Contains(text, "LON LONDON - PAR PARIS")) << text;
  EXPECT_TRUE(std::regex_search(text, std::regex("14 WR +[0-9]+ +J[0-9] C[0-9]"))) << text;
}

TEST_F(DeskTmuxTest, AFullQueueIsRefusedAndLeavingWithEntriesInFlightAsksFirst) {
  TmuxDesk desk(home_, 100, 40);
  desk.Start("--latency 60000");
  ASSERT_TRUE(desk.WaitForText("No Scripts Running")) << desk.last();
  // One entry in flight and four waiting; the sixth is refused.
  for (int i = 0; i < 6; ++i) {
    desk.Literal("h");
    desk.Keys("Enter");
  }
  ASSERT_TRUE(desk.WaitForText("No more than 5 requests can be queued.")) << desk.last();
  EXPECT_TRUE(desk.WaitForText("[ OK ]")) << desk.last();
  desk.Keys("Enter");
  EXPECT_TRUE(desk.WaitFor([](const std::string& s) { return !Contains(s, "[ OK ]"); }, std::chrono::seconds(5)))
      << desk.last();

  desk.Keys("'C-\\'");
  ASSERT_TRUE(desk.WaitForText("Leave the desk?")) << desk.last();
  desk.Keys("n");
  EXPECT_TRUE(desk.WaitFor([](const std::string& s) { return !Contains(s, "Leave the desk?"); },
                           std::chrono::seconds(5)))
      << desk.last();
  desk.Keys("'C-\\'");
  ASSERT_TRUE(desk.WaitForText("Leave the desk?")) << desk.last();
  desk.Keys("y");
  desk.ExpectTerminalRestored();
}

TEST_F(DeskTmuxTest, AResizedPaneIsLaidOutAgainAndSigtermLeavesCleanly) {
  TmuxDesk desk(home_, 100, 30);
  desk.Start("--latency 0");
  ASSERT_TRUE(desk.WaitForText("No Scripts Running")) << desk.last();

  desk.Resize(70, 20);
  ASSERT_TRUE(desk.WaitForText("at least 80 x 24")) << desk.last();
  desk.Resize(120, 44);
  ASSERT_TRUE(desk.WaitFor(
      [](const std::string& s) {
        const std::vector<std::string> lines = Lines(s);
        return lines.size() == 44 && Contains(lines.back(), "No Scripts Running") && !Contains(s, "at least");
      },
      std::chrono::seconds(10)))
      << desk.last();
  EXPECT_TRUE(desk.WaitFor([&](const std::string&) { return desk.CursorShown(); }, std::chrono::seconds(5)))
      << "the caret is in sight after the resize";

  const std::string pid = desk.DeskPid();
  ASSERT_FALSE(pid.empty());
  ASSERT_EQ(Shell("kill -TERM " + pid).status, 0);
  desk.ExpectTerminalRestored();
}

TEST_F(DeskTmuxTest, AGermanKeyboardMappingAndTheLocalCommands) {
  // Registered as ./zv run does it, in the test's own registry store.
  ASSERT_EQ(Shell(ZV_BINARY_DIR "/apps/zvemul-register/zvemul-register").status, 0);
  TmuxDesk desk(home_, 100, 40);
  desk.Start("--latency 0 --keyboard-mapping " ZV_SOURCE_DIR "/components/keymap/mappings/de.kbm");
  ASSERT_TRUE(desk.WaitForText("No Scripts Running")) << desk.last();
  EXPECT_TRUE(std::regex_search(Lines(desk.last()).back(), std::regex("No Scripts Running *\\|DE *\\|")))
      << desk.last();

  desk.Literal("\u00dfver");
  desk.Keys("Enter");
  ASSERT_TRUE(desk.WaitForText("version: 1, 0, 1, 2")) << desk.last();
  EXPECT_TRUE(Contains(desk.last(), "ZVEmul ActiveX Control Module")) << desk.last();
  desk.Keys("Enter");
  desk.Literal("\u00dfhelp");
  desk.Keys("Enter");
  ASSERT_TRUE(desk.WaitForText("        VER     Returns version information.")) << desk.last();
  desk.Keys("Enter");
  ASSERT_TRUE(desk.WaitFor([](const std::string& s) { return !Contains(s, "Commands:"); }, std::chrono::seconds(5)))
      << desk.last();

  desk.Literal("m\u00fcller");
  ASSERT_TRUE(desk.WaitForText(">MUELLER")) << desk.last();
  desk.Keys("'C-\\'");
  desk.ExpectTerminalRestored();
}

}  // namespace
}  // namespace zv::desk
