// CBrimlux as an object: construction, switching on, the rules source and
// the refresh check.
#include "highlight/brimlux.h"

#include <cstring>
#include <filesystem>
#include <stdexcept>

#include "highlight/hidden_rich_edit_ctrl.h"
#include "highlight/log_levels.h"
#include "highlight/regex_cache.h"
#include "platform/code_page.h"
#include "platform/desktop.h"
#include "platform/file_system.h"
#include "platform/registry.h"

namespace zv {
namespace {

constexpr char kSourceFile[] = "Brimlux.cpp";
constexpr DWORD kProviderContexts = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER;
constexpr LONG kResponseTop = 0, kResponseBottom = 200, kRequestTop = 200, kRequestBottom = 400;

// A failing HRESULT raised as an error, as a COM smart-pointer call raises it.
struct ComError : std::runtime_error {
  explicit ComError(HRESULT hr) : std::runtime_error("COM error"), code(hr) {}
  HRESULT code;
};

void ThrowIfFailed(HRESULT hr) {
  if (FAILED(hr)) throw ComError(hr);
}

}  // namespace

CBrimlux::CBrimlux()
    : m_mapMutex(platform::NamedMutex::Create(kMutexName)),
      m_errorLog(nullptr, u"Taloon Res", u"ZVEmul.ocx", nullptr),
      m_regexCache(std::make_unique<CRegexCache>()) {
  if (auto debug = platform::CurrentRegistryStore().GetDword(HKEY_CURRENT_USER, kSettingsKey, "Debug")) m_debug = *debug;
}

CBrimlux::~CBrimlux() = default;

void CBrimlux::Log(int level, int line, const char* function, const std::string& message) {
  m_errorLog.GetErrorWrite2Log(level, line, kSourceFile, function, message);
}

HRESULT CBrimlux::Initialize(platform::Window* control) {
  constexpr char kFn[] = "CBrimlux::Initialize";
  try {
    if (m_debug) Log(kLogDebug, __LINE__, kFn, "Brimlux is being initialized...");
    m_owner = control != nullptr ? control->handle() : 0;
    if (auto path = platform::CurrentRegistryStore().GetString(HKEY_CURRENT_USER, kSettingsKey, "Path")) {
      m_rulesFilePath = std::move(path);
    }
    if (!m_rulesFilePath || m_rulesFilePath->empty()) {
      if (!platform::CurrentRegistryStore().KeyExists(HKEY_CURRENT_USER, kVexmoorKey)) {
        if (m_debug) Log(kLogDebug, __LINE__, kFn, "Vexmoor not installed.  Brimlux will be turned off.");
        return 1;
      }
      if (!m_provider) {
        platform::ComPtr<platform::IUnknown> unknown;
        HRESULT hr = platform::CoCreateInstance(CLSID_VexmoorRules, nullptr, kProviderContexts,
                                                platform::IID_IUnknown, unknown.PutVoid());
        if (hr != E_NOINTERFACE) ThrowIfFailed(hr);
        if (unknown) {
          hr = unknown.As(&m_provider);
          if (hr != E_NOINTERFACE) ThrowIfFailed(hr);
        }
      }
      if (!m_provider) {
        Log(kLogError, __LINE__, kFn,
            "Although the correct registry entries exist to run Brimlux, the Vexmoor dll is missing. Brimlux will be "
            "disabled.");
        return E_UNEXPECTED;
      }
    }
    const HRESULT rules = InitRules();
    if (FAILED(rules)) {
      Log(kLogWarning, __LINE__, kFn, "Failed to initialize the rules.");
      return rules;
    }
    m_responseCtrl.reset();
    m_responseCtrl = std::make_unique<CHiddenRichEditCtrl>(control, kResponseTop, kResponseBottom);
    m_requestCtrl.reset();
    m_requestCtrl = std::make_unique<CHiddenRichEditCtrl>(control, kRequestTop, kRequestBottom);
    Log(kLogInformation, __LINE__, kFn, "BRIMLUX initialized successfully");
    return 0;
  } catch (...) {
    Log(kLogError, __LINE__, kFn, "Exception");
    return E_FAIL;
  }
}

void CBrimlux::DeInitialize() {
  if (m_debug) Log(kLogDebug, __LINE__, "CBrimlux::DeInitialize", "BRIMLUX has been deinitialized.");
}

HRESULT CBrimlux::InitRules() {
  constexpr char kFn[] = "CBrimlux::InitRules";
  try {
    if (!m_rulesFilePath || m_rulesFilePath->empty()) {
      std::u16string xml;
      GetVexmoorRules(xml);
      m_rulesTimeStamp = ProviderRulesTimeStamp();
      m_lastRefreshTick = platform::GetTickCount();
      if (xml.empty()) {
        Log(kLogWarning, __LINE__, kFn, "Brimlux installed but no rules exist.");
        return 1;
      }
      return ParseRules(xml);
    }
    if (m_debug) Log(kLogDebug, __LINE__, kFn, "Using an XML file instead of the Vexmoor object.");
    // A file beyond the document limit is not read: the parse would refuse it anyway.
    std::optional<std::string> text = platform::ReadWholeFile(*m_rulesFilePath, kMaxDocumentCharacters);
    if (!text) {
      Log(kLogError, __LINE__, kFn, "Failed to open the XML rules file.");
      return E_UNEXPECTED;
    }
    if (const std::size_t nul = text->find('\0'); nul != std::string::npos) text->resize(nul);
    return ParseRules(platform::Cp1252ToUtf16(*text));
  } catch (...) {
    Log(kLogError, __LINE__, kFn, "Exception");
    return E_FAIL;
  }
}

std::u16string CBrimlux::ProviderRulesTimeStamp() {
  if (!m_provider) throw ComError(E_POINTER);
  std::u16string stamp;
  ThrowIfFailed(m_provider->RulesTimeStamp(&stamp));
  return stamp;
}

std::u16string CBrimlux::ProviderMergedRules() {
  if (!m_provider) throw ComError(E_POINTER);
  std::u16string xml;
  ThrowIfFailed(m_provider->MergedHiglightRules(&xml));
  return xml;
}

HRESULT CBrimlux::GetVexmoorRules(std::u16string& xml) {
  constexpr char kFn[] = "CBrimlux::GetVexmoorRules";
  try {
    xml = ProviderMergedRules();
    if (m_debug) WriteDumpFile(xml);
    Log(kLogDebug, __LINE__, kFn, "Retrieved rules through MergedHiglightRules");
    return S_OK;
  } catch (...) {
    Log(kLogError, __LINE__, kFn, "Exception - Failed to get the rules from Vexmoor.");
    return E_FAIL;
  }
}

void CBrimlux::WriteDumpFile(const std::u16string& xml) {
  // Beside the log file; a dump that cannot be written is skipped silently.
  const std::string& log = m_errorLog.LogFilePath();
  if (log.empty()) return;
  std::string data;
  try {
    data = platform::Utf16ToCp1252(xml);
  } catch (...) {
    data = "ERROR WRITING RULES";
  }
  platform::ReplaceNativeFile(std::filesystem::path(log).parent_path() / kDumpFileName, data);
}

HRESULT CBrimlux::UpdateRules() {
  constexpr char kFn[] = "CBrimlux::UpdateRules";
  try {
    const DWORD now = platform::GetTickCount();
    // Unsigned: the tick counter's wrap is harmless.
    if (now - m_lastRefreshTick < m_refreshInterval) return 0;
    m_lastRefreshTick = now;
    const std::u16string stamp = ProviderRulesTimeStamp();
    if (m_debug) {
      const std::u16string old = m_rulesTimeStamp.value_or(u"");
      Log(kLogDebug, __LINE__, kFn,
          "Rules Refresh Time Stamps:  OLD=" + platform::Utf16ToCp1252(old) + "   NEW=" + platform::Utf16ToCp1252(stamp));
    }
    if (m_rulesTimeStamp != stamp) {
      if (FAILED(InitRules())) Log(kLogWarning, __LINE__, kFn, "Failed to update the rules.");
      m_rulesTimeStamp = stamp;
    }
    return 0;
  } catch (...) {
    Log(kLogError, __LINE__, kFn, "Exception updating the rules.");
    return E_FAIL;
  }
}

}  // namespace zv
