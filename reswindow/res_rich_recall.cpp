// The entry history as a res window uses it: entries going to the host are
// added, and the recall key brings them back on the screen, newest first.
#include "control/zvemul_ctl.h"
#include "platform/catch_all.h"
#include "reswindow/res_rich.h"

namespace zv {

void CResRichEdit::AddEntryToHistory(const std::string& entry) {
  if (CInputRecall* history = m_pCtrl->m_entryHistory.get()) {
    // An entry recalled and sent again unchanged is not stored twice.
    const auto item = history->GetAt(m_nRecallPos);
    if (!item || (*item != entry && !entry.empty())) history->Add(entry);
  }
  m_nRecallPos = 0;
}

void CResRichEdit::RecallEntry() {
  platform::CatchAll([&] {
    CInputRecall* history = m_pCtrl->m_entryHistory.get();
    if (history == nullptr) return;
    const std::string text = history->GetAt(m_nRecallPos).value_or(std::string());
    if (text.empty()) return;
    ApplyInputFormat();
    if (engine().LineLength(-1) + static_cast<LONG>(text.size()) >= kRowWidth) ReplaceSel("\r\n");
    ReplaceSel(std::string(1, kSom));
    RewrapInput(text);
    if (++m_nRecallPos == history->GetCount()) m_nRecallPos = 0;
  });
}

}  // namespace zv
