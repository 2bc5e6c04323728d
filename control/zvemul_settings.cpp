// The settings file "ZVEMUL.DAT" in the per-user folder: read when the
// control's window is made, written when it is destroyed.
#include "control/settings_record.h"
#include "control/zvemul_ctl.h"
#include "platform/desktop.h"
#include "platform/file_replacement.h"
#include "platform/file_system.h"

namespace zv {
namespace {

constexpr char kSettingsFileName[] = "ZVEMUL.DAT";
// A record holds a few kilobytes. Nothing beyond this is read, and an old
// tail beyond it is not written again, so an enormous file costs no more.
constexpr std::size_t kMaxSettingsBytes = 4u << 20;

}  // namespace

void CZVEmulCtrl::LoadSettings() {
  m_macroArray->RemoveAll();
  const auto bytes = platform::ReadFileHead(m_persistDir + kSettingsFileName, kMaxSettingsBytes);
  if (!bytes) {
    m_macroArray->SetDefaults();
    return;
  }
  platform::Archive ar(std::move(*bytes));
  Serialize(ar);
}

void CZVEmulCtrl::SaveSettings() {
  platform::Archive ar;
  Serialize(ar);
  // A folder or file that cannot be written is skipped silently.
  platform::WriteFileKeepingTail(m_persistDir + kSettingsFileName, ar.Buffer(), kMaxSettingsBytes);
}

void CZVEmulCtrl::Serialize(platform::Archive& ar) {
  SettingsRecord record;
  for (int i = 0; i < kWindowCount; ++i)
    record.colors[static_cast<std::size_t>(i)] = m_colors[static_cast<std::size_t>(i)].attribute;
  record.fontName = m_fontName;
  record.history = m_entryHistory.get();
  record.macros = m_macroArray.get();
  record.fontSize = m_fontSize;
  record.frameWindow = m_frameWindow;
  record.activeFrame = m_activeFrame;
  record.layout = m_layout;

  const auto failures = SerializeSettings(ar, record, platform::GetSysColor(COLOR_HIGHLIGHT));
  if (ar.IsStoring()) return;
  for (const SettingsFailure& failure : failures) {
    if (!failure.message.empty()) ShowMessage(failure.message);
  }
  for (int i = 0; i < kWindowCount; ++i)
    m_colors[static_cast<std::size_t>(i)].attribute = record.colors[static_cast<std::size_t>(i)];
  m_fontName = record.fontName;
  m_fontSize = record.fontSize;
  // The screen mode is taken only where it names a window of its frame and a
  // real frame and layout; anything else would show no window at all.
  for (int frame = 0; frame < 2; ++frame) {
    const auto slot = static_cast<std::size_t>(frame);
    if (IsFrameWindowIndex(frame, record.frameWindow[slot])) m_frameWindow[slot] = record.frameWindow[slot];
  }
  if (record.activeFrame == 1 || record.activeFrame == 2) m_activeFrame = record.activeFrame;
  if (record.layout == 1 || record.layout == 2) m_layout = record.layout;
}

}  // namespace zv
