#include "highlight/hidden_rich_edit_ctrl.h"

#include <exception>

#include "highlight/log_levels.h"
#include "platform/rtf_dialect.h"

namespace zv {
namespace {

constexpr char kSourceFile[] = "HiddenRichEditCtrl.cpp";

DWORD AppendBlock(DWORD_PTR cookie, BYTE* buffer, LONG count, LONG* taken) {
  reinterpret_cast<std::string*>(cookie)->append(reinterpret_cast<const char*>(buffer),
                                                 static_cast<std::size_t>(count));
  *taken = count;
  return 0;
}

}  // namespace

CHiddenRichEditCtrl::CHiddenRichEditCtrl(platform::Window* parent, LONG top, LONG bottom)
    : m_richEdit(std::make_unique<platform::RichEditWindow>()),
      m_errorLog(nullptr, u"Taloon Res", u"ZVEmul.ocx", nullptr) {
  const RECT rect{kLeft, top, kRight, bottom};
  if (!m_richEdit->Create(kStyle, rect, parent, kControlId)) {
    m_errorLog.GetErrorWrite2Log(kLogError, __LINE__, kSourceFile, "CHiddenRichEditCtrl::CHiddenRichEditCtrl",
                                 "Failed to create the hidden rich edit window for formatting!");
  }
}

CHiddenRichEditCtrl::~CHiddenRichEditCtrl() = default;

HRESULT CHiddenRichEditCtrl::SetFormat(LONG start, LONG end, const CHARFORMAT2A& format) {
  try {
    CHARFORMAT2A record = format;
    if (start == 0 && end == -1) {
      m_richEdit->SendMessage(EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&record));
    } else {
      CHARRANGE range{start, end};
      m_richEdit->SendMessage(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
      m_richEdit->SendMessage(EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&record));
    }
    return 0;
  } catch (...) {
    m_errorLog.GetErrorWrite2Log(kLogError, __LINE__, kSourceFile, "CHiddenRichEditCtrl::SetFormat",
                                 "Exception setting the initial format.");
    return E_FAIL;
  }
}

HRESULT CHiddenRichEditCtrl::Clear() {
  try {
    m_richEdit->SendMessage(EM_SETSEL, 0, -1);
    m_richEdit->SendMessage(WM_CLEAR);
    return 0;
  } catch (...) {
    m_errorLog.GetErrorWrite2Log(kLogError, __LINE__, kSourceFile, "CHiddenRichEditCtrl::Clear",
                                 "Exception while clearing the control.");
    return E_FAIL;
  }
}

HRESULT CHiddenRichEditCtrl::Write(const std::string& text) {
  try {
    if (m_richEdit->handle() == 0) return 0;
    m_richEdit->SendMessage(EM_SETSEL, 0, -1);
    m_richEdit->ReplaceSel(text);
    return 0;
  } catch (...) {
    m_errorLog.GetErrorWrite2Log(kLogError, __LINE__, kSourceFile, "CHiddenRichEditCtrl::Write",
                                 "Exception while writing to the control.");
    return E_FAIL;
  }
}

HRESULT CHiddenRichEditCtrl::GetFormattedText(std::string& out) {
  try {
    std::string rtf;
    EDITSTREAM stream;
    stream.dwCookie = reinterpret_cast<DWORD_PTR>(&rtf);
    stream.pfnCallback = &AppendBlock;
    m_richEdit->SendMessage(EM_STREAMOUT, SF_RTF, reinterpret_cast<LPARAM>(&stream));
    // No window, no document.
    if (rtf.size() < platform::kRtfDocumentEnd.size()) return E_FAIL;
    // Without the final paragraph mark and the closing brace, then closed
    // again: inserted, the document adds no paragraph end.
    rtf.resize(rtf.size() - platform::kRtfDocumentEnd.size());
    out = std::move(rtf) + "}";
    return 0;
  } catch (...) {
    m_errorLog.GetErrorWrite2Log(kLogError, __LINE__, kSourceFile, "CHiddenRichEditCtrl::GetFormattedText",
                                 "Exception while writing to the control.");
    return E_FAIL;
  }
}

}  // namespace zv
