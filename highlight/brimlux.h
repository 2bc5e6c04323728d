// CBrimlux: the highlighting engine. It loads regular-expression rules from
// the rules provider or a local XML file, refreshes them when the provider's
// time stamp changes, and turns a text about to be shown on a res window into
// RTF in which the rules' matches carry their colours and underline.
//
// Every operation answers an HRESULT and writes its problems to the engine's
// error log; nothing is thrown to the caller.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "diagnostics/error_log.h"
#include "highlight/highlight_rule.h"
#include "highlight/vexmoor_rules.h"
#include "platform/named_mutex.h"
#include "platform/window.h"

namespace zv {

class CHiddenRichEditCtrl;
class CRegexCache;

class CBrimlux {
 public:
  // The per-user key of the engine's registry values "Exists", "Debug", "Path".
  static constexpr char kSettingsKey[] = "Software\\Zelvanta\\Brimlux";
  static constexpr char kMutexName[] = "Brimlux Map Mutex";
  static constexpr char kDumpFileName[] = "XMLFromVexmoor.xml";
  static constexpr DWORD kDefaultRefreshInterval = 60000;
  // Documents beyond these are refused as malformed: they would cost time
  // and memory out of proportion to any real rule set.
  static constexpr std::size_t kMaxDocumentCharacters = 4u << 20;
  static constexpr std::size_t kMaxElementDepth = 64;

  CBrimlux();
  virtual ~CBrimlux();
  CBrimlux(const CBrimlux&) = delete;
  CBrimlux& operator=(const CBrimlux&) = delete;

  // ---- Source and refresh ---------------------------------------------------------------
  // 0 when the feature is ready; `control` is the parent of the hidden controls.
  HRESULT Initialize(platform::Window* control);
  void DeInitialize();
  HRESULT InitRules();
  HRESULT GetVexmoorRules(std::u16string& xml);
  // The refresh check made before each highlighting call.
  HRESULT UpdateRules();

  // ---- Rules --------------------------------------------------------------------------------
  HRESULT ParseRules(const std::u16string& xml);
  // "{R,G,B}" as a colour value; black (with a logged error) when it cannot be read.
  COLORREF RGB_to_OLECOLOR(const std::string& text);
  static bool ColorsTooSimilar(COLORREF a, COLORREF b);
  static COLORREF InverseColor(COLORREF c);

  // ---- Highlighting a text ------------------------------------------------------------------
  HRESULT SetDefaultRTF(bool forResponse, CHARFORMAT2A format);
  void GetDefaultFormat(CHARFORMAT2A& format, bool forResponse) const;
  // Replaces `text` by RTF. 0: processed; 1: nothing to do; E_UNEXPECTED:
  // the hidden control failed; E_FAIL: something threw (text unchanged).
  HRESULT BrimluxText(BOOL isResponse, std::string& text);

  // ---- State, for the control and for tests -------------------------------------------------
  const std::vector<HighlightRule>& Rules() const { return m_rules; }
  DWORD RefreshInterval() const { return m_refreshInterval; }
  bool DebugMode() const { return m_debug != 0; }

 private:
  void Log(int level, int line, const char* function, const std::string& message);
  // Provider calls; a failing HRESULT is thrown.
  std::u16string ProviderRulesTimeStamp();
  std::u16string ProviderMergedRules();
  void WriteDumpFile(const std::u16string& xml);
  // Clears the list under the mutex, just before the first rule of a parse is stored.
  void ClearRulesForParse();
  // The rule steps of one text, over every line of `hidden`.
  void FormatLines(CHiddenRichEditCtrl& hidden, bool isResponse, const CHARFORMAT2A& defaults);
  // A message box once per call: `shown` is that message's flag.
  void ShowOnce(bool& shown, const std::string& text);

  platform::ComPtr<IVexmoorRules> m_provider;
  DWORD m_debug = 0;
  std::optional<std::u16string> m_rulesTimeStamp;
  std::optional<std::string> m_rulesFilePath;
  // Before the first provider load the first refresh check may fall due at once.
  DWORD m_lastRefreshTick = 0;
  DWORD m_refreshInterval = kDefaultRefreshInterval;
  std::unique_ptr<platform::NamedMutex> m_mapMutex;
  CErrorLog m_errorLog;
  std::unique_ptr<CHiddenRichEditCtrl> m_responseCtrl;
  std::unique_ptr<CHiddenRichEditCtrl> m_requestCtrl;
  std::vector<HighlightRule> m_rules;
  CHARFORMAT2A m_responseFormat;
  CHARFORMAT2A m_requestFormat;
  // Compiled expressions by their text, shared by every line and call.
  std::unique_ptr<CRegexCache> m_regexCache;
  // Owner of the message boxes.
  HWND m_owner = 0;
};

}  // namespace zv
