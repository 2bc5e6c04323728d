// Registration in the registry store, creation by ProgID from it, and the
// container's persistent properties.
#include <cstdlib>
#include <filesystem>

#include "tests/control/control_fixture.h"

namespace zv::testing {
namespace {

constexpr char kProgram[] = ZV_BINARY_DIR "/apps/zvemul-register/zvemul-register";
constexpr char kClassKey[] = "CLSID\\{5436D95A-3783-46E4-B78B-E3911AE297A2}";
constexpr char kKeyboardMapperKey[] = "CLSID\\{7CFB131A-27DE-4E1B-91DF-2FEC33F7B165}";
constexpr char kScriptableKey[] = "Component Categories\\{7DD95801-9882-11CF-9FA9-00AA006C42C4}";
constexpr char kInitializableKey[] = "Component Categories\\{7DD95802-9882-11CF-9FA9-00AA006C42C4}";

class RegistrationTest : public ControlTest {};

TEST_F(RegistrationTest, RegistrationLetsAProcessCreateTheControlFromTheStore) {
  ASSERT_EQ(ZVEmulRegisterServer(), S_OK);
  EXPECT_EQ(registry.GetString(HKEY_CLASSES_ROOT, "ZVEMUL.ZVEmulCtrl.1", ""), "ZVEmul Control");
  EXPECT_EQ(registry.GetString(HKEY_CLASSES_ROOT, "ZVEMUL.ZVEmulPropPage.1", ""), "ZVEmul Property Page");
  EXPECT_EQ(registry.GetString(HKEY_CLASSES_ROOT, std::string(kClassKey) + "\\MiscStatus\\1", ""), "131473");
  EXPECT_EQ(registry.GetString(HKEY_CLASSES_ROOT, kScriptableKey, "409"), "Controls that are safely scriptable");
  EXPECT_EQ(registry.GetString(HKEY_CLASSES_ROOT, kInitializableKey, "409"),
            "Controls safely initializable from persistent data");
  EXPECT_TRUE(registry.KeyExists(
      HKEY_CLASSES_ROOT, std::string(kClassKey) + "\\Implemented Categories\\{7DD95802-9882-11CF-9FA9-00AA006C42C4}"));
  EXPECT_EQ(registry.GetString(HKEY_CLASSES_ROOT, "TypeLib\\{F33C7B47-8CE5-49B5-AA37-F234948EB81E}\\1.3", ""),
            "ZVEmul ActiveX Control module");

  // A registry that knows nothing in-process finds the library by the store.
  platform::ObjectRegistry fresh(&registry);
  platform::SetCurrentObjectRegistry(&fresh);
  platform::ComPtr<IZVEmulControl> made;
  CLSID clsid;
  ASSERT_EQ(platform::CLSIDFromProgID("ZVEMUL.ZVEmulCtrl.1", &clsid), S_OK);
  EXPECT_EQ(clsid, CLSID_ZVEmulCtrl);
  ASSERT_EQ(platform::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IZVEmulControl::kIid, made.PutVoid()),
            S_OK);
  EXPECT_EQ(made->Automation().IdOfName("CreateSessionQueue"), 32);
  platform::ComPtr<platform::IUnknown> page;
  EXPECT_EQ(platform::CLSIDFromProgID("ZVEMUL.ZVEmulPropPage.1", &clsid), S_OK);
  EXPECT_EQ(platform::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, platform::IID_IUnknown, page.PutVoid()),
            S_OK);
  made.Reset();
  page.Reset();

  ASSERT_EQ(ZVEmulUnregisterServer(), S_OK);
  EXPECT_FALSE(registry.KeyExists(HKEY_CLASSES_ROOT, "ZVEMUL.ZVEmulCtrl.1"));
  EXPECT_FALSE(registry.KeyExists(HKEY_CLASSES_ROOT, kClassKey));
  EXPECT_FALSE(registry.KeyExists(HKEY_CLASSES_ROOT, "TypeLib\\{F33C7B47-8CE5-49B5-AA37-F234948EB81E}"));
  // Categories may be shared with other classes and stay.
  EXPECT_TRUE(registry.KeyExists(HKEY_CLASSES_ROOT, kScriptableKey));
  platform::ObjectRegistry after(&registry);
  platform::SetCurrentObjectRegistry(&after);
  EXPECT_EQ(platform::CLSIDFromProgID("ZVEMUL.ZVEmulCtrl.1", &clsid), CO_E_CLASSSTRING);
  platform::SetCurrentObjectRegistry(&objects);
  // Unregistering twice is no error.
  EXPECT_EQ(ZVEmulUnregisterServer(), S_OK);
}

TEST_F(RegistrationTest, TheRegistrationCommandWritesAndRemovesTheKeys) {
  const std::filesystem::path file = home.dir.path() / "store.reg";
  const std::string command =
      std::string(kProgram) + " --registry " + file.string() + " --library /opt/zv/libzvemul.so";
  ASSERT_EQ(std::system((command + " > /dev/null").c_str()), 0);
  {
    platform::RegistryStore store(file);
    EXPECT_EQ(store.GetString(HKEY_CLASSES_ROOT, std::string(kClassKey) + "\\InprocServer32", ""),
              "/opt/zv/libzvemul.so");
    EXPECT_EQ(store.GetString(HKEY_CLASSES_ROOT, "ZVEMUL.ZVEmulCtrl.1\\CLSID", ""),
              "{5436D95A-3783-46E4-B78B-E3911AE297A2}");
    EXPECT_TRUE(store.KeyExists(HKEY_CLASSES_ROOT, kInitializableKey));
    // And every outside component built with the tool, by its own library.
    EXPECT_TRUE(store.GetString(HKEY_CLASSES_ROOT, std::string(kKeyboardMapperKey) + "\\InprocServer32", "")
                    .value_or("")
                    .ends_with("/libzvkeymap.so"));
  }
  ASSERT_EQ(std::system((std::string(kProgram) + " --unregister --registry " + file.string() + " > /dev/null").c_str()),
            0);
  platform::RegistryStore store(file);
  EXPECT_FALSE(store.KeyExists(HKEY_CLASSES_ROOT, kClassKey));
  EXPECT_FALSE(store.KeyExists(HKEY_CLASSES_ROOT, "ZVEMUL.ZVEmulPropPage.1"));
  EXPECT_FALSE(store.KeyExists(HKEY_CLASSES_ROOT, kKeyboardMapperKey));
  EXPECT_FALSE(store.KeyExists(HKEY_CLASSES_ROOT, "ZVKeyMap.KeyboardMapper.1"));
}

TEST_F(RegistrationTest, PersistentPropertiesRoundTripWithTheirDefaults) {
  Construct();
  // A container that starts a new control loads nothing: the defaults.
  control->LoadProperties({});
  PropertyBag saved = control->SaveProperties();
  EXPECT_EQ(saved.size(), 3u);
  EXPECT_EQ(saved["TWA"], B(FALSE));
  EXPECT_EQ(saved["InsertMode"], B(TRUE));
  EXPECT_EQ(saved["WindowCount"], S(1));
  EXPECT_EQ(Get("WindowCount").value, S(2));

  control->LoadProperties({{"TWA", B(FALSE)}, {"InsertMode", B(FALSE)}, {"WindowCount", T("4")}});
  saved = control->SaveProperties();
  EXPECT_EQ(saved["InsertMode"], B(FALSE));
  EXPECT_EQ(saved["WindowCount"], S(4));
  EXPECT_EQ(Get("WindowCount").value, S(5));
  // A value of the wrong kind counts as missing.
  control->LoadProperties({{"WindowCount", T("many")}});
  EXPECT_EQ(control->SaveProperties()["WindowCount"], S(1));
}

TEST_F(RegistrationTest, SettersOfPersistentStateMarkTheControlModified) {
  Create();
  control->SaveProperties();
  EXPECT_FALSE(control->IsModified());
  const int before = site.modified;
  Put("InsertMode", B(TRUE));
  EXPECT_TRUE(control->IsModified());
  EXPECT_GT(site.modified, before);
  EXPECT_EQ(Get("InsertMode").value, B(TRUE));
  control->SaveProperties();
  EXPECT_FALSE(control->IsModified());
  // The insert state compares as stored: only 1 is on.
  Put("InsertMode", Variant::Bool(-1));
  EXPECT_EQ(Get("InsertMode").value, B(FALSE));
  EXPECT_EQ(control->View().status_bar.parts[2], "OVR");

  Put("MHA", B(TRUE));
  EXPECT_EQ(Get("MHA").value, B(TRUE));
  Put("WindowCount", S(2));
  EXPECT_EQ(Get("WindowCount").value, S(2));
  // Two windows or fewer: the layout no longer shows the tab strips.
  EXPECT_EQ(control->View().windows[0].rect.top, 0);
  Put("WindowCount", S(10));
}

}  // namespace
}  // namespace zv::testing
