#include "control/settings_record.h"

#include <functional>
#include <new>

#include "macros/macro_array.h"
#include "reswindow/input_recall.h"

namespace zv {
namespace {

using platform::Archive;

constexpr char kRetiredFontName[] = "Andale for ZELVANTA Bold";

// The framework's loaders catch every exception of a section: a bad record
// and a failed allocation alike.
bool Guarded(std::vector<SettingsFailure>& failures, SettingsSection section, const char* message,
             const std::function<void()>& read) {
  try {
    read();
    return true;
  } catch (const std::exception& e) {
    failures.push_back({section, message, e.what()});
    return false;
  }
}

void StoreColors(Archive& ar, const SettingsRecord& record, int first, int last) {
  for (int w = first; w < last; ++w) {
    for (COLORREF c : record.colors[static_cast<std::size_t>(w)]) ar.WriteU32(c);
  }
}

void LoadColors(Archive& ar, SettingsRecord& record, int first, int last, COLORREF selection) {
  for (int w = first; w < last; ++w) {
    WindowColors& colors = record.colors[static_cast<std::size_t>(w)];
    for (int a = 0; a < kSettingsColorAttributes; ++a) {
      const COLORREF c = ar.ReadU32();
      colors[static_cast<std::size_t>(a)] = a == 0 && c == selection ? AwayFromSelectionColor(c) : c;
    }
  }
}

void Store(Archive& ar, SettingsRecord& record) {
  ar.WriteU32(kSettingsVersion3);
  StoreColors(ar, record, 0, 2);
  ar.WriteString(record.fontName);
  if (record.history != nullptr) record.history->Serialize(ar);
  record.macros->Serialize(ar);
  ar.WriteU16(record.fontSize);
  StoreColors(ar, record, 2, kSettingsWindows);
  ar.WriteU16(record.frameWindow[0]);
  ar.WriteU16(record.frameWindow[1]);
  ar.WriteU16(record.activeFrame);
  ar.WriteU16(record.layout);
}

void Load(Archive& ar, SettingsRecord& record, COLORREF selection, std::vector<SettingsFailure>& failures) {
  // The version and the history have no guard of their own: a failure there
  // ends the reading, without a message.
  const bool read = Guarded(failures, SettingsSection::kVersion, "", [&] { record.version = ar.ReadU32(); });
  if (!read) return;
  Guarded(failures, SettingsSection::kColors,
          "An error occurred during the loading of the local color information.", [&] {
            LoadColors(ar, record, 0, 2, selection);
            record.fontName = ar.ReadString();
            if (record.fontName == kRetiredFontName) record.fontName = kDefaultFontName;
          });
  if (record.history != nullptr &&
      !Guarded(failures, SettingsSection::kHistory, "", [&] { record.history->Serialize(ar); })) {
    return;
  }
  Guarded(failures, SettingsSection::kMacroKeys, "An error occurred during the loading of the local macro key mapping.",
          [&] { record.macros->Serialize(ar); });
  Guarded(failures, SettingsSection::kFontSize, "An error occurred during the loading of the local font size.",
          [&] { record.fontSize = ar.ReadU16(); });
  if (record.version != kSettingsVersion1 &&
      !Guarded(failures, SettingsSection::kWindowColors,
               "An error occurred during the loading of the local window colors. Default colors will be used.",
               [&] { LoadColors(ar, record, 2, kSettingsWindows, selection); })) {
    record.colors.fill(kDefaultWindowColors);
  }
  if (record.version >= kSettingsVersion3) {
    Guarded(failures, SettingsSection::kScreenMode, "An error occurred during the loading of the local Screen Mode.",
            [&] {
              record.frameWindow[0] = ar.ReadU16();
              record.frameWindow[1] = ar.ReadU16();
              record.activeFrame = ar.ReadU16();
              record.layout = ar.ReadU16();
            });
  }
}

}  // namespace

std::vector<SettingsFailure> SerializeSettings(Archive& ar, SettingsRecord& record, COLORREF selectionColor) {
  std::vector<SettingsFailure> failures;
  if (ar.IsStoring()) {
    Store(ar, record);
  } else {
    Load(ar, record, selectionColor, failures);
  }
  return failures;
}

COLORREF AwayFromSelectionColor(COLORREF color) {
  const auto blue = static_cast<BYTE>((GetBValue(color) + 50) % 256);
  return RGB(GetRValue(color), GetGValue(color), blue);
}

bool IsFrameWindowIndex(int frame, WORD index) {
  return index < kSettingsWindows && index % 2 == (frame == 0 ? 0 : 1);
}

}  // namespace zv
