// Highlighting as the control uses it: switched on at creation by the
// registry, responses and entries coloured on the screen, typed text in the
// input colour, and plain text while the feature is off.
#include "diagnostics/error_log_reader.h"
#include "highlight/brimlux.h"
#include "tests/control/control_fixture.h"

namespace zv::testing {
namespace {

constexpr COLORREF kRed = 0x000000FF;
constexpr COLORREF kInput = 0x0000FFFF;
constexpr COLORREF kResponse = 0x00FFFFFF;

class HighlightingTest : public ControlTest {
 protected:
  // Rules from a local file.
  void UseRulesFile() {
    const std::string path = (home.dir.path() / "rules.xml").native();
    zv::testing::WriteText(
        path,
        "<Brimlux><Rules>"
        "<Rule search_text='WL'><Highlight fgcolor='{255,0,0}'/></Rule>"
        "<Rule search_text='^(AV)L'><Highlight fgcolor='{255,0,0}' underline='yes'/></Rule>"
        "</Rules></Brimlux>");
    registry.SetString(HKEY_CURRENT_USER, CBrimlux::kSettingsKey, "Path", path);
  }
  void Start() {
    Create();
    Put("CurrentWindow", S(1));
  }
  // The characters of window 1 in red, others as '.'.
  std::string Red() {
    std::string out;
    const platform::TextEngine& screen = Screen(1);
    for (LONG i = 0; i < screen.TextLength(); ++i) out += screen.FormatAt(i).color == kRed ? screen.CharAt(i) : '.';
    return out;
  }
  // An entry answered by "WL", which stays in the response colour.
  void ShowResponse() {
    Type("a");
    Press(VK_RETURN);
    Respond("A\x0C" "WL");
    EXPECT_EQ(Text(1), ">A\r\nWL");
    EXPECT_EQ(Red(), ".....");
  }
  int Logged(const std::string& message) {
    ErrorLogReader reader;
    int n = 0;
    if (reader.Load(platform::ErrorLogFile().string()) != ErrorLogReader::LoadResult::kOk) return 0;
    for (const ErrorLogRecord& r : reader.Records().records) n += r.text.find(message) != std::string::npos;
    return n;
  }
};

TEST_F(HighlightingTest, EntriesAndResponsesAreColouredByTheRules) {
  UseRulesFile();
  Start();
  Type("avl");
  Press(VK_RETURN);
  EXPECT_EQ(events.Inputs(), std::vector<std::string>{"AVL"});
  Respond("A\x0C" "UA 12 WL|AF 3 OK WL");
  EXPECT_EQ(Text(1), ">AVL\r\nUA 12 WL\r\nAF 3 OK WL");
  EXPECT_EQ(Red(), ".AV........WL.........WL");
  EXPECT_TRUE(Screen(1).FormatAt(1).underline);
  EXPECT_EQ(Screen(1).FormatAt(3).color, kInput) << "the rest of the entry keeps the input colour";
  EXPECT_EQ(Screen(1).FormatAt(6).color, kResponse);
  // What is typed next takes the input colour again.
  Press(VK_RETURN);
  Type("x");
  const LONG x = Screen(1).TextLength() - 1;
  EXPECT_EQ(Screen(1).CharAt(x), 'X');
  EXPECT_EQ(Screen(1).FormatAt(x).color, kInput);
  EXPECT_FALSE(Screen(1).FormatAt(x).underline);
}

TEST_F(HighlightingTest, RebrokenRowsGoThroughTheEngine) {
  UseRulesFile();
  Start();
  Type(std::string(62, 'b'));
  Press(VK_HOME);
  Press(VK_INSERT);
  ScreenInput(1, "WL");
  EXPECT_EQ(Text(1), ">WL" + std::string(61, 'B') + "\t\r\nB");
  EXPECT_EQ(Red(), ".WL" + std::string(64, '.'));
}

TEST_F(HighlightingTest, OffByTheRegistryOrWithoutAProvider) {
  // "Exists" 0: the rules are never read.
  UseRulesFile();
  registry.SetDword(HKEY_CURRENT_USER, CBrimlux::kSettingsKey, "Exists", 0);
  Start();
  ShowResponse();
  EXPECT_EQ(Logged("BRIMLUX initialized successfully"), 0);
  control.Reset();

  // On, in provider mode, with the provider's key but no class behind it.
  registry.SetDword(HKEY_CURRENT_USER, CBrimlux::kSettingsKey, "Exists", 1);
  registry.SetString(HKEY_CURRENT_USER, CBrimlux::kSettingsKey, "Path", "");
  HKEY key = 0;
  registry.CreateKey(HKEY_CURRENT_USER, kVexmoorKey, KEY_ALL_ACCESS, &key, nullptr);
  registry.CloseKey(key);
  Start();
  EXPECT_EQ(Logged("Exception"), 1);
  ShowResponse();
}

}  // namespace
}  // namespace zv::testing
