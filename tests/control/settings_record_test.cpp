// The settings record ZVEMUL.DAT: its layout, its versions, the adjustments
// made while reading, and the message of each section that fails.
#include "control/settings_record.h"

#include <gtest/gtest.h>

#include "macros/macro_array.h"
#include "reswindow/input_recall.h"

namespace zv {
namespace {

using platform::Archive;

constexpr COLORREF kSelection = 0x00FF0000;

std::string U16(int v) { return {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)}; }
std::string U32(DWORD v) { return U16(static_cast<int>(v & 0xFFFF)) + U16(static_cast<int>(v >> 16)); }

// A record with something in every field.
struct Filled {
  CInputRecall history{50};
  CMacroArray macros;
  SettingsRecord record;

  Filled() {
    history.Add("A10DECLHRJFK");
    history.Add("*R");
    macros.Assign("PNR", "Shift+P");
    record.history = &history;
    record.macros = &macros;
    record.fontName = "Lucida Console";
    record.fontSize = 14;
    for (int w = 0; w < kSettingsWindows; ++w) record.colors[static_cast<std::size_t>(w)][3] = 0x100 + w;
    record.frameWindow = {4, 7};
    record.activeFrame = 2;
    record.layout = 1;
  }
  std::string Stored() {
    Archive ar;
    SerializeSettings(ar, record, kSelection);
    return ar.Buffer();
  }
};

struct Loaded {
  CInputRecall history{50};
  CMacroArray macros;
  SettingsRecord record;
  std::vector<SettingsFailure> failures;
  std::size_t left = 0;

  explicit Loaded(std::string bytes) {
    record.history = &history;
    record.macros = &macros;
    Archive ar(std::move(bytes));
    failures = SerializeSettings(ar, record, kSelection);
    left = ar.Remaining();
  }
  std::vector<std::string> Messages() const {
    std::vector<std::string> out;
    for (const auto& f : failures) out.push_back(f.message);
    return out;
  }
};

TEST(SettingsRecord, WrittenInFieldOrderAndReadBackWhole) {
  Filled filled;
  const std::string bytes = filled.Stored();
  std::string colors12;
  for (int w = 0; w < 2; ++w)
    for (COLORREF c : filled.record.colors[static_cast<std::size_t>(w)]) colors12 += U32(c);
  const std::string macro = U16(1) + U16(0xFFFF) + U16(1) + U16(6) + "CMacro\x03PNR\x07Shift+P\x03PNR\x07Shift+P";
  const std::string head = U32(0x00010003) + colors12 + "\x0eLucida Console" + U16(2) + "\x02*R\x0c" "A10DECLHRJFK" +
                           macro + U16(14);
  EXPECT_EQ(bytes.substr(0, head.size()), head);
  EXPECT_EQ(bytes.size(), head.size() + 32 * 4 + 4 * 2);
  EXPECT_EQ(bytes.substr(bytes.size() - 8), U16(4) + U16(7) + U16(2) + U16(1));

  // What follows the record (an older, longer file's tail) is never read.
  Loaded back(bytes + "old tail");
  EXPECT_TRUE(back.failures.empty());
  EXPECT_EQ(back.left, 8u);
  EXPECT_EQ(back.record.colors, filled.record.colors);
  EXPECT_EQ(back.record.fontName, "Lucida Console");
  EXPECT_EQ(back.history.GetAt(0), "*R");
  EXPECT_EQ(back.history.GetAt(1), "A10DECLHRJFK");
  EXPECT_EQ(back.macros.Lookup("Shift+P"), "PNR");
  EXPECT_EQ(back.record.fontSize, 14);
  EXPECT_EQ(back.record.frameWindow, (std::array<WORD, 2>{4, 7}));
  EXPECT_EQ(back.record.activeFrame, 2);
  EXPECT_EQ(back.record.layout, 1);
}

TEST(SettingsRecord, OlderVersionsReadTheirFieldsOnly) {
  Filled filled;
  const std::string v3 = filled.Stored();
  const std::size_t v1_size = v3.size() - 32 * 4 - 8;
  // Version 1: windows 1 and 2, face, history, macros and size; the rest
  // keeps its defaults, the layout two frames.
  Loaded v1(U32(0x00010001) + v3.substr(4, v1_size - 4));
  EXPECT_TRUE(v1.failures.empty());
  EXPECT_EQ(v1.record.colors[1], filled.record.colors[1]);
  EXPECT_EQ(v1.record.colors[2], kDefaultWindowColors);
  EXPECT_EQ(v1.record.fontSize, 14);
  EXPECT_EQ(v1.record.layout, 2);
  EXPECT_EQ(v1.record.frameWindow, (std::array<WORD, 2>{0, 1}));
  // Version 2: windows 3 to 10 too, still no screen mode.
  Loaded v2(U32(0x00010002) + v3.substr(4, v3.size() - 12));
  EXPECT_TRUE(v2.failures.empty());
  EXPECT_EQ(v2.record.colors[9], filled.record.colors[9]);
  EXPECT_EQ(v2.record.layout, 2);
  EXPECT_EQ(v2.left, 0u);
}

TEST(SettingsRecord, ReadingMovesTheBackgroundOffTheSelectionAndRenamesTheOldFace) {
  Filled filled;
  filled.record.colors[0] = {kSelection, kSelection, kSelection, kSelection};
  filled.record.colors[6][0] = kSelection;
  filled.record.fontName = "Andale for ZELVANTA Bold";
  Loaded back(filled.Stored());
  EXPECT_EQ(back.record.colors[0], (WindowColors{0x00310000, kSelection, kSelection, kSelection}));
  EXPECT_EQ(back.record.colors[6][0], 0x00310000u);
  EXPECT_EQ(back.record.fontName, "ZELVANTA Default");
  // Writing changes nothing.
  Filled again;
  again.record.colors[0][0] = kSelection;
  EXPECT_EQ(again.Stored().substr(4, 4), U32(kSelection));
}

TEST(SettingsRecord, EachDamagedSectionShowsItsMessageAndTheRestReadsOn) {
  Filled filled;
  const std::string bytes = filled.Stored();
  const std::size_t face = 4 + 32;
  const std::size_t history = face + 15;
  const std::size_t macros = history + 2 + 3 + 13;
  const std::size_t size = macros + 2 + 12 + 12 + 12;
  const std::size_t windows = size + 2;
  const std::size_t mode = windows + 128;
  const std::string colors = "An error occurred during the loading of the local color information.";
  const std::string keys = "An error occurred during the loading of the local macro key mapping.";
  const std::string font_size = "An error occurred during the loading of the local font size.";
  const std::string window_colors =
      "An error occurred during the loading of the local window colors. Default colors will be used.";
  const std::string screen_mode = "An error occurred during the loading of the local Screen Mode.";
  struct Case {
    const char* what;
    std::string bytes;
    std::vector<std::string> messages;
  };
  std::string bad_class = bytes;
  bad_class[macros + 8] = 'X';
  const Case cases[] = {
      {"empty file", "", {""}},
      {"cut in the colours", bytes.substr(0, 20), {colors, ""}},
      {"cut in the history", bytes.substr(0, history + 4), {""}},
      {"cut in the macros", bytes.substr(0, macros + 9), {keys, font_size, window_colors, screen_mode}},
      {"cut before the size", bytes.substr(0, size), {font_size, window_colors, screen_mode}},
      {"cut in windows 3-10", bytes.substr(0, windows + 50), {window_colors, screen_mode}},
      {"cut in the screen mode", bytes.substr(0, mode + 5), {screen_mode}},
      {"whole", bytes, {}},
  };
  for (const Case& c : cases) {
    Loaded loaded(c.bytes);
    EXPECT_EQ(loaded.Messages(), c.messages) << c.what;
  }
  // A wrong class in the macro table: the sections after it read bytes of
  // the table and fail too, and every failure says what was wrong.
  Loaded damaged(bad_class);
  ASSERT_FALSE(damaged.failures.empty());
  EXPECT_EQ(damaged.failures[0].message, keys);
  EXPECT_NE(damaged.failures[0].cause.find("unknown class"), std::string::npos);
  // Windows 3 to 10 cut short: every window gets the default colours.
  Loaded cut(bytes.substr(0, windows + 50));
  EXPECT_EQ(cut.record.colors[1], kDefaultWindowColors);
  EXPECT_EQ(cut.record.fontName, "Lucida Console");
  EXPECT_EQ(cut.record.fontSize, 14);
}

}  // namespace
}  // namespace zv
