// The keyboard mapper: its mapping files, the files it refuses, and the
// component as a client creates it from the registry store.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "components/keymap/keymap.h"
#include "components/keymap/mapping_file.h"
#include "platform/code_page.h"
#include "platform/desktop.h"
#include "platform/file_system.h"
#include "platform/fixed_system_values.h"
#include "platform/registry.h"
#include "tests/support/scratch_home.h"

namespace zv::keymap {
namespace {

using platform::BString;

std::string Mapping(std::string_view rules) {
  return "zvemul keyboard mapping 1\nname Test\nshort TS\nkeyboard 00000407\n" + std::string(rules);
}

std::string MappingsDir() { return ZV_KEYMAP_MAPPINGS; }

// A character the host accepts in an entry.
bool HostAccepts(char c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }

TEST(MappingFileTest, ShippedMappingsTurnNationalCharactersIntoWhatTheHostAccepts) {
  struct Shipped {
    const char* file;
    const char* name;
    const char* short_name;
    const char* keyboard;
    // Windows-1252 character and what it becomes ("" when left alone).
    std::vector<std::pair<char, std::string>> samples;
  };
  const Shipped shipped[] = {
      {"de.kbm", "German", "DE", "00000407", {{'\xE4', "AE"}, {'\xDC', "UE"}, {'\x80', "EUR"}, {'\xDF', ""}}},
      {"gb.kbm", "United Kingdom", "UK", "00000809", {{'\xA3', "GBP"}, {'\xE9', "E"}}},
      {"fr.kbm", "French", "FR", "0000040C", {{'\xE9', "E"}, {'\xE7', "C"}, {'\x9C', "OE"}}},
      {"es.kbm", "Spanish", "ES", "0000040A", {{'\xF1', "N"}, {'\xE1', "A"}}},
  };
  for (const Shipped& s : shipped) {
    const MappingResult result = LoadKeyboardMappingFile(MappingsDir() + "/" + s.file);
    ASSERT_TRUE(result.mapping) << s.file << ": " << result.error;
    const KeyboardMapping& m = *result.mapping;
    EXPECT_EQ(m.name, s.name);
    EXPECT_EQ(m.short_name, s.short_name);
    EXPECT_EQ(m.keyboard_code, s.keyboard);
    for (const auto& slot : m.rules) {
      for (const KeyRule& rule : slot) {
        if (rule.kind == KeyRule::Kind::kCharacter) {
          EXPECT_TRUE(HostAccepts(rule.character)) << s.file;
        }
        for (char c : rule.text) EXPECT_TRUE(HostAccepts(c)) << s.file << " " << rule.text;
      }
    }
    for (const auto& [typed, becomes] : s.samples) {
      const KeyRule& rule = m.Find(static_cast<unsigned char>(typed), 1);
      const std::string got = rule.kind == KeyRule::Kind::kCharacter ? std::string(1, rule.character) : rule.text;
      EXPECT_EQ(got, becomes) << s.file << " " << static_cast<int>(static_cast<unsigned char>(typed));
    }
  }
}

TEST(MappingFileTest, DamagedInvalidAndEnormousFilesAreRefusedWithTheirLine) {
  struct Case {
    std::string bytes;
    std::string error;
  };
  const Case cases[] = {
      {"", "line 1: this is not a keyboard mapping"},
      {"PK\x03\x04\x14\x00", "line 1: a control character"},
      {"zvemul keyboard mapping 2\n", "line 1: this is not a keyboard mapping"},
      {Mapping("\xC3\xA4 text A\xC3"), "line 5: the text is not Windows-1252 text"},
      {Mapping("\xCE\xA9 char O\n"), "line 5: \"\xCE\xA9\" is neither a setting nor one character"},
      {Mapping("ab char O\n"), "line 5: \"ab\" is neither a setting nor one character"},
      {Mapping("a char \xC3\xA9\n"), "line 5: char takes one ASCII character"},
      {Mapping("a text " + std::string(65, 'X') + "\n"), "line 5: text takes 1 to 64 characters"},
      {Mapping("a swap b\n"), "line 5: unknown action \"swap\""},
      {Mapping("a pause now\n"), "line 5: pause takes no value"},
      {Mapping("a drop\nA keep\n0x61 drop\n"), "line 7: a second rule for the same key"},
      {Mapping("a drop\tb\x01\n"), "line 5: a control character"},
      {Mapping(std::string(300, '#')), "line 5: the line is longer than 256 bytes"},
      {Mapping(std::string(70000, '\n')), "line 0: the file is larger than 64 KiB"},
      {"zvemul keyboard mapping 1\nshort X\nkeyboard 00000407\n", "the mapping has no name"},
      {"zvemul keyboard mapping 1\nname X\nshort TOOLONG\n", "line 3: the short name needs 1 to 4 letters or digits"},
      {"zvemul keyboard mapping 1\nname X\nshort X\nkeyboard 407\n", "line 4: the keyboard is a layout code"},
      {"zvemul keyboard mapping 1\nname X\nshort X\n", "the mapping names no keyboard"},
      {Mapping("name Again\n"), "line 5: a second name"},
  };
  for (const Case& c : cases) {
    const MappingResult result = ParseKeyboardMapping(c.bytes);
    EXPECT_FALSE(result.mapping) << c.error;
    EXPECT_TRUE(result.error.starts_with(c.error)) << result.error;
  }
  // Keys by code, modifiers, a byte order mark, comments and CRLF are all fine.
  const MappingResult fine = ParseKeyboardMapping("\xEF\xBB\xBF" + Mapping("# c\r\n0x23 char 3\r\nshift+0x23 drop\n"));
  ASSERT_TRUE(fine.mapping) << fine.error;
  EXPECT_EQ(fine.mapping->rule_count, 2u);
  EXPECT_EQ(fine.mapping->Find('#', 0).key_data, 4);
  EXPECT_EQ(fine.mapping->Find('#', 1).kind, KeyRule::Kind::kDrop);
}

// The component made from its library through the registry store, as a
// client of the component finds it.
class KeyboardMapperTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::SetCurrentRegistryStore(&registry_);
    platform::SetCurrentObjectRegistry(&objects_);
    library_ = dlopen(ZV_KEYMAP_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library_, nullptr);
    auto register_server = reinterpret_cast<platform::RegisterServerFunction>(
        dlsym(library_, platform::kRegisterServerSymbol));
    ASSERT_NE(register_server, nullptr);
    ASSERT_EQ(register_server(nullptr), S_OK);
    CLSID clsid;
    ASSERT_EQ(platform::CLSIDFromProgID(kKeyboardMapperProgId, &clsid), S_OK);
    ASSERT_EQ(platform::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IKeyboardMapper::kIid,
                                         mapper_.PutVoid()),
              S_OK);
  }
  void TearDown() override {
    mapper_.Reset();
    platform::SetCurrentObjectRegistry(nullptr);
    platform::SetCurrentRegistryStore(nullptr);
  }

  std::string Write(const std::string& bytes) {
    const std::filesystem::path path = dir_.path() / ("m" + std::to_string(++files_) + ".kbm");
    std::ofstream(path, std::ios::binary) << bytes;
    return path.string();
  }
  bool Load(const std::string& path) {
    VARIANT_BOOL loaded = 0;
    const BString wide(platform::Cp1252ToUtf16(path));
    EXPECT_EQ(mapper_->LoadKeyboardMapping(wide.Get(), &loaded), S_OK);
    return loaded == VARIANT_TRUE;
  }
  template <typename Method>
  std::string Text(Method method) {
    BString out;
    EXPECT_EQ((mapper_.Get()->*method)(out.Put()), S_OK);
    return platform::Utf16ToCp1252(out.View());
  }
  std::string Names() {
    return Text(&IKeyboardMapper::GetLoadedMappingName) + "/" + Text(&IKeyboardMapper::GetLoadedMappingShortName) +
           "/" + Text(&IKeyboardMapper::GetCurrentKeyboardCode);
  }

  struct Mapped {
    int reset, handled, single, character;
    std::string text;
    int key_data;
    friend bool operator==(const Mapped&, const Mapped&) = default;
  };
  Mapped Map(int code, int modifiers) {
    SHORT reset = 7, handled = 7, single = 7;
    LONG character = 7, key_data = 7;
    BString text;
    EXPECT_EQ(mapper_->MapKey(code, modifiers, &reset, &handled, &single, &character, text.Put(), &key_data), S_OK);
    return {reset, handled, single, character, platform::Utf16ToCp1252(text.View()), key_data};
  }

  platform::FixedSystemValues* system_ = new platform::FixedSystemValues;
  platform::Desktop desktop_{[this] {
    platform::DesktopServices services;
    services.system_values.reset(system_);
    return services;
  }()};
  platform::DesktopScope scope_{desktop_};
  zv::testing::TempDir dir_;
  int files_ = 0;
  platform::RegistryStore registry_;
  platform::ObjectRegistry objects_{&registry_};
  void* library_ = nullptr;
  platform::ComPtr<IKeyboardMapper> mapper_;
};

TEST_F(KeyboardMapperTest, RegistrationRecordsTheLibraryAndUnregistrationRemovesIt) {
  const std::string key = "CLSID\\" + platform::FormatGuid(CLSID_KeyboardMapper);
  EXPECT_EQ(registry_.GetString(HKEY_CLASSES_ROOT, key + "\\InprocServer32", ""),
            platform::LogicPath(ZV_KEYMAP_LIBRARY));
  EXPECT_EQ(registry_.GetString(HKEY_CLASSES_ROOT, kKeyboardMapperProgId, ""), "ZVEmul Keyboard Mapper");
  auto unregister = reinterpret_cast<platform::UnregisterServerFunction>(
      dlsym(library_, platform::kUnregisterServerSymbol));
  ASSERT_EQ(unregister(), S_OK);
  EXPECT_FALSE(registry_.KeyExists(HKEY_CLASSES_ROOT, key));
  EXPECT_FALSE(registry_.KeyExists(HKEY_CLASSES_ROOT, kKeyboardMapperProgId));
}

TEST_F(KeyboardMapperTest, NamesTheSystemKeyboardAndTheMappingInForce) {
  system_->SetKeyboardLayoutName("00000407");
  EXPECT_EQ(Text(&IKeyboardMapper::GetKeyboardCode), "00000407");
  EXPECT_EQ(Text(&IKeyboardMapper::GetVersion), "1.0");
  BString name;
  EXPECT_EQ(mapper_->GetKeyboardName(BString(u"0000040c").Get(), name.Put()), S_OK);
  EXPECT_EQ(name.View(), u"French");
  EXPECT_EQ(mapper_->GetKeyboardName(BString(u"junk").Get(), name.Put()), E_INVALIDARG);
  EXPECT_TRUE(name.IsNull());

  EXPECT_EQ(Names(), "United States/US/00000409");
  ASSERT_TRUE(Load(MappingsDir() + "/de.kbm"));
  EXPECT_EQ(Names(), "German/DE/00000407");
  EXPECT_EQ(Text(&IKeyboardMapper::GetLoadError), "");
  // A refused file ends the mapping in force and says why.
  EXPECT_FALSE(Load(Write(Mapping("a swap\n"))));
  EXPECT_EQ(Names(), "United States/US/00000409");
  EXPECT_EQ(Text(&IKeyboardMapper::GetLoadError), "line 5: unknown action \"swap\" (char, text, pause, drop, reset, keep)");
  EXPECT_FALSE(Load(dir_.str() + "/missing.kbm"));
  EXPECT_EQ(Text(&IKeyboardMapper::GetLoadError), "no such file");
  ASSERT_TRUE(Load(MappingsDir() + "/fr.kbm"));
  EXPECT_EQ(mapper_->UnloadKeyboardMapping(), S_OK);
  EXPECT_EQ(Names(), "United States/US/00000409");
}

TEST_F(KeyboardMapperTest, MapKeyAnswersEveryKindOfRule) {
  const Mapped left_alone{0, 0, 0, 0, "", 0};
  EXPECT_EQ(Map(0xE4, 0), left_alone);  // nothing loaded
  ASSERT_TRUE(Load(Write(Mapping("\xC3\xA4 text AE\n\xC3\xA9 char E\nshift+\xC3\xA9 keep\nctrl+\xC3\xA9 drop\n"
                                 "\xC2\xB0 pause\n\xC2\xA7 text [MACRO_PAUSE] later\n\xC2\xB5 reset\n"))));
  struct Case {
    int code, modifiers;
    Mapped mapped;
  };
  const Case cases[] = {
      {0xE4, 0, {0, 1, 0, 0, "AE", 0}},
      {0xE4, 1, {0, 1, 0, 0, "AE", 0}},  // a rule for any modifier
      {0xE9, 0, {0, 1, 1, 'E', "", 0x12}},
      {0xE9, 1, left_alone},
      {0xE9, 4, {0, 1, 1, 0, "", 0}},
      {0xB0, 0, {0, 1, 0, 0, "[MACRO_PAUSE]", 0}},
      {0xA7, 0, {0, 1, 0, 0, "[MACRO_PAUSE] later", 0}},
      {'a', 0, left_alone},
      {0x1E4, 0, left_alone},
      {-1, 0, left_alone},
      {0xB5, 0, {1, 1, 1, 0, "", 0}},
      {0xE4, 0, left_alone},  // the reset ended the mapping
  };
  for (const Case& c : cases) EXPECT_EQ(Map(c.code, c.modifiers), c.mapped) << c.code << "/" << c.modifiers;
  EXPECT_EQ(Names(), "United States/US/00000409");
  SHORT flag = 0;
  LONG value = 0;
  EXPECT_EQ(mapper_->MapKey('a', 0, &flag, &flag, &flag, &value, nullptr, &value), E_POINTER);
}

}  // namespace
}  // namespace zv::keymap
