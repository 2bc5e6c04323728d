// The rules provider loaded as the engine loads it: registered, created by
// its class id, merging the rule files and stamping them.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "highlight/brimlux.h"
#include "platform/clocks.h"
#include "platform/code_page.h"
#include "platform/desktop.h"
#include "platform/file_system.h"
#include "platform/object_registry.h"
#include "platform/registry.h"
#include "tests/support/scratch_home.h"

namespace {

using namespace zv;
namespace fs = std::filesystem;

class ProviderTest : public ::testing::Test {
 protected:
  ProviderTest() {
    platform::SetCurrentRegistryStore(&store);
    platform::SetCurrentObjectRegistry(&objects);
    parent.Create(0, {0, 0, 800, 600}, nullptr, 0);
    library = dlopen(ZV_VEXMOOR_LIBRARY, RTLD_NOW | RTLD_LOCAL);
  }
  ~ProviderTest() override {
    engine.reset();
    provider.Reset();
    platform::SetCurrentObjectRegistry(nullptr);
    platform::SetCurrentRegistryStore(nullptr);
  }
  // The library's own registration entry, as zvemul-register calls it.
  HRESULT Register() {
    auto entry = reinterpret_cast<HRESULT (*)(const char*)>(dlsym(library, "zv_register_server"));
    return entry == nullptr ? E_FAIL : entry(ZV_VEXMOOR_LIBRARY);
  }
  HRESULT Unregister() {
    auto entry = reinterpret_cast<HRESULT (*)()>(dlsym(library, "zv_unregister_server"));
    return entry == nullptr ? E_FAIL : entry();
  }
  void Create() {
    ASSERT_EQ(platform::CoCreateInstance(CLSID_VexmoorRules, nullptr, CLSCTX_INPROC_SERVER, IVexmoorRules::kIid,
                                         provider.PutVoid()),
              S_OK);
  }
  std::string Merged() {
    std::u16string xml;
    EXPECT_EQ(provider->MergedHiglightRules(&xml), S_OK);
    return platform::Utf16ToCp1252(xml);
  }
  std::string Stamp() {
    std::u16string stamp;
    EXPECT_EQ(provider->RulesTimeStamp(&stamp), S_OK);
    return platform::Utf16ToCp1252(stamp);
  }
  void WriteRules(const std::string& where, const std::string& body, const std::string& config = "") {
    const fs::path file = fs::path(home.dir.path()) / "config/zvemul/highlighting" / where;
    fs::create_directories(file.parent_path());
    zv::testing::WriteText(file, "<Brimlux>" + config + "<Rules>" + body + "</Rules></Brimlux>");
  }

  zv::testing::ScratchHome home;
  platform::RegistryStore store;
  platform::ObjectRegistry objects{&store};
  platform::Desktop desktop;
  platform::DesktopScope scope{desktop};
  platform::Window parent;
  void* library = nullptr;
  platform::ComPtr<IVexmoorRules> provider;
  std::unique_ptr<CBrimlux> engine;
};

TEST_F(ProviderTest, RegistrationMakesTheProviderFoundAndRemovesIt) {
  ASSERT_NE(library, nullptr) << dlerror();
  ASSERT_EQ(Register(), S_OK);
  EXPECT_TRUE(store.KeyExists(HKEY_CURRENT_USER, kVexmoorKey));
  Create();
  EXPECT_EQ(Merged(),
            "<Brimlux><Rules/><Error>No highlighting rules in " + home.dir.str() +
                "/config/zvemul/highlighting/office or " + home.dir.str() +
                "/config/zvemul/highlighting/personal</Error></Brimlux>");
  ASSERT_EQ(Unregister(), S_OK);
  EXPECT_FALSE(store.KeyExists(HKEY_CURRENT_USER, kVexmoorKey));
  platform::ComPtr<IVexmoorRules> gone;
  EXPECT_EQ(platform::CoCreateInstance(CLSID_VexmoorRules, nullptr, CLSCTX_INPROC_SERVER, IVexmoorRules::kIid,
                                       gone.PutVoid()),
            REGDB_E_CLASSNOTREG);
}

TEST_F(ProviderTest, OfficeThenPersonalRulesAndAStampThatFollowsEveryEdit) {
  ASSERT_EQ(Register(), S_OK);
  Create();
  WriteRules("office/b.xml", "<R search_text='B'><Highlight/></R>");
  WriteRules("office/a.xml", "<!-- first --><R search_text='A'><Highlight/></R>",
             "<Config><ReadRules frequency='9000'/></Config>");
  WriteRules("personal/z.xml", "<R search_text='Z'><Highlight/></R>",
             "<Config><ReadRules frequency='5000'/></Config>");
  WriteRules("personal/broken.xml", "<R");
  EXPECT_EQ(Merged(),
            "<Brimlux><Config><ReadRules frequency=\"5000\"/></Config><Rules>"
            "<R search_text=\"A\"><Highlight/></R><R search_text=\"B\"><Highlight/></R>"
            "<R search_text=\"Z\"><Highlight/></R></Rules></Brimlux>");
  const std::string first = Stamp();
  EXPECT_EQ(Stamp(), first);
  WriteRules("office/b.xml", "<R search_text='C'><Highlight/></R>");
  const std::string second = Stamp();
  EXPECT_NE(second, first);
  fs::remove(fs::path(home.dir.path()) / "config/zvemul/highlighting/personal/broken.xml");
  EXPECT_NE(Stamp(), second);
}

TEST_F(ProviderTest, TheEngineRefreshesFromTheFilesAfterTheInterval) {
  ASSERT_EQ(Register(), S_OK);
  WriteRules("office/a.xml", "<R search_text='A'><Highlight/></R>", "<Config><ReadRules frequency='5000'/></Config>");
  auto& clock = dynamic_cast<platform::ManualClock&>(desktop.clock());
  clock.SetTickCount(100);
  engine = std::make_unique<CBrimlux>();
  ASSERT_EQ(engine->Initialize(&parent), 0);
  ASSERT_EQ(engine->Rules().size(), 1u);
  WriteRules("personal/b.xml", "<R search_text='B'><Highlight/></R>");
  clock.SetTickCount(5100);
  EXPECT_EQ(engine->UpdateRules(), 0);
  ASSERT_EQ(engine->Rules().size(), 2u);
  EXPECT_EQ(engine->Rules()[1].searchText, "B");
}

TEST_F(ProviderTest, TheSampleRulesParse) {
  const std::optional<std::string> sample =
      platform::ReadNativeFile(fs::path(ZV_VEXMOOR_SAMPLES) / "demo-host.xml", 1u << 20);
  ASSERT_TRUE(sample);
  WriteRules("office/x.xml", "");
  fs::copy_file(fs::path(ZV_VEXMOOR_SAMPLES) / "demo-host.xml",
                fs::path(home.dir.path()) / "config/zvemul/highlighting/office/x.xml",
                fs::copy_options::overwrite_existing);
  ASSERT_EQ(Register(), S_OK);
  engine = std::make_unique<CBrimlux>();
  ASSERT_EQ(engine->Initialize(&parent), 0);
  EXPECT_EQ(engine->Rules().size(), 5u);
  EXPECT_EQ(engine->RefreshInterval(), 10000u);
}

}  // namespace
