// The settings record, "ZVEMUL.DAT": an agent's colours, font, entry
// history, macro keys and screen layout, written through one archive:
//
//   version                 u32 (written 0x00010003)
//   colours of windows 1, 2 8 x u32, attributes 1 to 4 of each
//   font face               archive string
//   entry history           CInputRecall record (when there is a history)
//   macro key table         CMacroArray record
//   font size               u16
//   colours of windows 3-10 32 x u32 (not in version 0x00010001)
//   frame windows, active frame, layout   4 x u16 (0x00010003 and later)
//
// Reading goes section by section, each guarded: a damaged section is
// reported with the message the agent is shown and reading goes on, so
// what was read stays and the rest keeps its defaults.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "platform/archive.h"
#include "platform/win_types.h"

namespace zv {

class CInputRecall;
class CMacroArray;

constexpr DWORD kSettingsVersion1 = 0x00010001;  // up to the font size
constexpr DWORD kSettingsVersion2 = 0x00010002;  // with windows 3 to 10
constexpr DWORD kSettingsVersion3 = 0x00010003;  // with frames and layout
constexpr int kSettingsWindows = 10;
constexpr int kSettingsColorAttributes = 4;

using WindowColors = std::array<COLORREF, kSettingsColorAttributes>;
// Background, input text, response text, and the fourth, kept only.
constexpr WindowColors kDefaultWindowColors = {0x00B20000, 0x0000FFFF, 0x00FFFFFF, 0x00FFFF00};
constexpr char kDefaultFontName[] = "ZELVANTA Default";

struct SettingsRecord {
  DWORD version = kSettingsVersion3;
  std::array<WindowColors, kSettingsWindows> colors;
  std::string fontName = kDefaultFontName;
  CInputRecall* history = nullptr;  // none: the history section is left out
  CMacroArray* macros = nullptr;    // required
  WORD fontSize = 10;
  std::array<WORD, 2> frameWindow = {0, 1};  // window index current in frame 1, frame 2
  WORD activeFrame = 1;
  WORD layout = 2;

  SettingsRecord() { colors.fill(kDefaultWindowColors); }
};

enum class SettingsSection {
  kVersion,       // 1
  kColors,        // 2 and 3: windows 1 and 2, and the face
  kHistory,       // 4
  kMacroKeys,     // 5
  kFontSize,      // 6
  kWindowColors,  // 7
  kScreenMode,    // 8 to 11
};

struct SettingsFailure {
  SettingsSection section;
  // The message box the agent sees; empty for the sections that have none
  // (a failure there ends the reading).
  std::string message;
  // What the archive found wrong, for logs and the dumper.
  std::string cause;
};

// Stores `record` or loads into it. Loading never throws: it returns the
// failed sections in order. A background read equal to `selectionColor`
// gets 50 more blue (modulo 256), and the retired face "Andale for ZELVANTA
// Bold" becomes "ZELVANTA Default". Loading appends to the history and the
// macro table, which are meant to be empty.
std::vector<SettingsFailure> SerializeSettings(platform::Archive& ar, SettingsRecord& record, COLORREF selectionColor);

// A background equal to the selection colour gets 50 more blue (modulo
// 256), so that selected text always shows.
COLORREF AwayFromSelectionColor(COLORREF color);

// Whether a window index stored for a frame (0 or 1) belongs to it: odd
// windows (even indices) to frame 1, even windows to frame 2.
bool IsFrameWindowIndex(int frame, WORD index);

}  // namespace zv
