// The entry history as a res window uses it: entries going to the host are
// added; the recall key (with the other keys) brings them back.
#include "reswindow/input_recall.h"
#include "reswindow/res_rich.h"

namespace zv {

void CResRichEdit::AddEntryToHistory(const std::string& entry) {
  if (CInputRecall* history = m_pCtrl->EntryHistory()) {
    // An entry recalled and sent again unchanged is not stored twice.
    const auto item = history->GetAt(m_nRecallPos);
    if (!item || (*item != entry && !entry.empty())) history->Add(entry);
  }
  m_nRecallPos = 0;
}

}  // namespace zv
