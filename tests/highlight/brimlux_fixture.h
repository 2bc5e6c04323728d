// An engine on a headless desktop, in a temporary home with its own registry
// store and log file, with a rules provider served in this process.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "diagnostics/error_log.h"
#include "diagnostics/error_log_reader.h"
#include "highlight/brimlux.h"
#include "platform/clocks.h"
#include "platform/code_page.h"
#include "platform/desktop.h"
#include "platform/file_system.h"
#include "platform/message_box_recorder.h"
#include "platform/object_registry.h"
#include "platform/registry.h"
#include "platform/rtf_reader.h"
#include "tests/support/scratch_home.h"

namespace zv::testing {

// A provider whose answers the test sets; it counts the calls.
class FakeProvider : public platform::ComObject<IVexmoorRules> {
 public:
  HRESULT RulesTimeStamp(std::u16string* stamp) override {
    ++stampCalls;
    *stamp = platform::Cp1252ToUtf16(this->stamp);
    return stampResult;
  }
  HRESULT MergedHiglightRules(std::u16string* xml) override {
    ++rulesCalls;
    *xml = platform::Cp1252ToUtf16(rules);
    return S_OK;
  }
  std::string stamp = "1";
  std::string rules;
  HRESULT stampResult = S_OK;
  int stampCalls = 0;
  int rulesCalls = 0;
};

inline std::string Rules(const std::string& body, const std::string& config = "") {
  return "<Brimlux>" + config + "<Rules>" + body + "</Rules></Brimlux>";
}

// A rule element: search text, then the Highlight attributes.
inline std::string Rule(const std::string& search, const std::string& highlight, const std::string& extra = "") {
  return "<Rule search_text='" + search + "' " + extra + "><Highlight " + highlight + "/></Rule>";
}

class BrimluxFixture : public ::testing::Test {
 protected:
  BrimluxFixture() {
    platform::SetCurrentRegistryStore(&store);
    platform::SetCurrentObjectRegistry(&objects);
    parent.Create(0, {0, 0, 800, 600}, nullptr, 0);
  }
  ~BrimluxFixture() override {
    engine.reset();
    platform::SetCurrentObjectRegistry(nullptr);
    platform::SetCurrentRegistryStore(nullptr);
    provider->Release();
  }

  void CreateProviderKey() {
    HKEY key = 0;
    ASSERT_EQ(store.CreateKey(HKEY_CURRENT_USER, kVexmoorKey, KEY_ALL_ACCESS, &key, nullptr), ERROR_SUCCESS);
    store.CloseKey(key);
  }
  // Registers the provider: its key and its class.
  void InstallProvider() {
    CreateProviderKey();
    objects.RegisterClassObject(CLSID_VexmoorRules, "", platform::MakeClassFactory([this](const IID& iid, void** out) {
                                  return provider->QueryInterface(iid, out);
                                }).Get());
  }
  CBrimlux& Engine() {
    if (!engine) engine = std::make_unique<CBrimlux>();
    return *engine;
  }
  // Initialised with the provider answering `xml`.
  void Start(const std::string& xml) {
    InstallProvider();
    provider->rules = xml;
    ASSERT_EQ(Engine().Initialize(&parent), 0);
    CHARFORMAT2A defaults;
    defaults.dwMask = CFM_COLOR | CFM_BACKCOLOR | CFM_UNDERLINE;
    defaults.crTextColor = kScreenText;
    defaults.crBackColor = kScreenBack;
    Engine().SetDefaultRTF(true, defaults);
    Engine().SetDefaultRTF(false, defaults);
  }
  HRESULT Parse(const std::string& xml) { return Engine().ParseRules(platform::Cp1252ToUtf16(xml)); }

  // The text of every log record, oldest first.
  std::vector<std::string> Logged() const {
    ErrorLogReader reader;
    std::vector<std::string> texts;
    if (reader.Load(platform::ErrorLogFile().string()) != ErrorLogReader::LoadResult::kOk) return texts;
    for (const ErrorLogRecord& r : reader.Records().records) texts.push_back(r.text);
    return texts;
  }
  // How many records hold `message`.
  int CountLogged(const std::string& message) const {
    int n = 0;
    for (const std::string& t : Logged()) n += t.find(message) != std::string::npos;
    return n;
  }
  const std::vector<platform::MessageBoxRecorder::Box>& Boxes() {
    return dynamic_cast<platform::MessageBoxRecorder&>(desktop.message_boxes()).boxes();
  }
  platform::ManualClock& Clock() { return dynamic_cast<platform::ManualClock&>(desktop.clock()); }

  // Highlights `text` and reads the result back.
  platform::FormattedText Highlight(std::string text, BOOL response = TRUE, HRESULT expected = 0) {
    EXPECT_EQ(Engine().BrimluxText(response, text), expected);
    platform::FormattedText out;
    platform::ReadRtf(text, platform::CharFormat{}, out);
    return out;
  }
  static const platform::CharFormat& At(const platform::FormattedText& t, std::size_t pos) {
    for (const platform::FormatRun& run : t.runs) {
      if (pos < run.length) return run.format;
      pos -= run.length;
    }
    static const platform::CharFormat none;
    return none;
  }
  // The characters of `t` whose text colour is `color`, others as '.'.
  static std::string Colored(const platform::FormattedText& t, COLORREF color) {
    std::string out;
    for (std::size_t i = 0; i < t.text.size(); ++i) out += At(t, i).color == color ? t.text[i] : '.';
    return out;
  }

  static constexpr COLORREF kScreenText = 0x0000FFFF;
  static constexpr COLORREF kScreenBack = 0x00FF0000;
  static constexpr COLORREF kRed = 0x000000FF;

  zv::testing::ScratchHome home;
  platform::RegistryStore store;
  platform::ObjectRegistry objects{&store};
  platform::Desktop desktop;
  platform::DesktopScope scope{desktop};
  platform::Window parent;
  FakeProvider* provider = new FakeProvider;
  std::unique_ptr<CBrimlux> engine;
};

}  // namespace zv::testing
