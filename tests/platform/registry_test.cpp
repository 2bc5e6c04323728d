#include "platform/registry.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/support/scratch_home.h"

namespace zv::platform {
namespace {

using zv::testing::ReadText;
using zv::testing::ScratchHome;
using zv::testing::ScopedEnv;
using zv::testing::WriteText;

constexpr std::string_view kBrimlux = "Software\\Zelvanta\\Brimlux";

class RegistryFileTest : public ::testing::Test {
 protected:
  RegistryStore Open() {
    return RegistryStore(path_, [this](const std::string& message) { warnings_.push_back(message); });
  }
  void WriteFile(std::string_view text) {
    std::filesystem::create_directories(path_.parent_path());
    WriteText(path_, text);
  }
  // The raw bytes of a value, as the 8-bit calls give them.
  static std::optional<std::string> Raw(RegistryStore& store, std::string_view sub_key, std::string_view name) {
    HKEY key = 0;
    if (store.OpenKey(HKEY_CURRENT_USER, sub_key, KEY_READ, &key) != ERROR_SUCCESS) return std::nullopt;
    std::string data(RegistryStore::kMaxValueBytes, '\0');
    auto size = static_cast<DWORD>(data.size());
    const LSTATUS status = store.QueryValue(key, name, nullptr, reinterpret_cast<BYTE*>(data.data()), &size);
    store.CloseKey(key);
    if (status != ERROR_SUCCESS) return std::nullopt;
    data.resize(size);
    return data;
  }

  ScratchHome home_;
  std::filesystem::path path_ = RegistryStore::DefaultPath();
  std::vector<std::string> warnings_;
};

TEST_F(RegistryFileTest, DefaultPathFollowsXdgConfigHome) {
  EXPECT_EQ(path_, home_.dir.path() / "config" / "zvemul" / "registry.reg");
  ScopedEnv unset("XDG_CONFIG_HOME", std::nullopt);
  EXPECT_EQ(RegistryStore::DefaultPath(), home_.dir.path() / ".config" / "zvemul" / "registry.reg");
}

TEST_F(RegistryFileTest, ValuesSurviveTheFileWithTheirTypesAndEscapes) {
  {
    RegistryStore store = Open();
    ASSERT_EQ(store.SetDword(HKEY_CURRENT_USER, kBrimlux, "Exists", 0x1F), ERROR_SUCCESS);
    ASSERT_EQ(store.SetString(HKEY_CURRENT_USER, kBrimlux, "Path", "C:\\rules\\\"new\"\\caf\xE9.xml"), ERROR_SUCCESS);
    ASSERT_EQ(store.SetString(HKEY_CURRENT_USER, kBrimlux, "", "default"), ERROR_SUCCESS);
    // A string of more than one line, and the types the file has no form for, are refused.
    EXPECT_EQ(store.SetString(HKEY_CURRENT_USER, kBrimlux, "Lines", "one\r\ntwo"), ERROR_INVALID_PARAMETER);
    HKEY key = 0;
    ASSERT_EQ(store.OpenKey(HKEY_CURRENT_USER, kBrimlux, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    const BYTE binary[] = {0x00, 0xFF, 0x10};
    ASSERT_EQ(store.SetValue(key, "Blob", REG_BINARY, binary, 3), ERROR_SUCCESS);
    for (DWORD type : {REG_EXPAND_SZ, REG_MULTI_SZ}) {
      EXPECT_EQ(store.SetValue(key, "Other", type, reinterpret_cast<const BYTE*>("x\0"), 2), ERROR_INVALID_PARAMETER);
    }
    ASSERT_EQ(store.SetValue(key, "Bare", REG_SZ, reinterpret_cast<const BYTE*>("abc"), 3), ERROR_SUCCESS);
    store.CloseKey(key);
    ASSERT_EQ(store.CreateKey(HKEY_CURRENT_USER, "Software\\Vexmoor\\BRIMLUX", KEY_READ, &key, nullptr),
              ERROR_SUCCESS);
  }

  const std::string text = ReadText(path_);
  EXPECT_TRUE(text.starts_with("Windows Registry Editor Version 5.00\n\n"));
  EXPECT_NE(text.find("[HKEY_CURRENT_USER\\Software\\Zelvanta\\Brimlux]\n"), std::string::npos);
  EXPECT_NE(text.find("\"Exists\"=dword:0000001f\n"), std::string::npos);
  EXPECT_NE(text.find(R"("Path"="C:\\rules\\\"new\"\\caf)" "\xC3\xA9" R"(.xml")"), std::string::npos) << text;
  EXPECT_NE(text.find("@=\"default\"\n"), std::string::npos);
  EXPECT_NE(text.find("\"Blob\"=hex:00,ff,10\n"), std::string::npos);
  EXPECT_NE(text.find("[HKEY_CURRENT_USER\\Software\\Vexmoor\\BRIMLUX]\n"), std::string::npos);

  RegistryStore reread = Open();
  EXPECT_EQ(reread.GetDword(HKEY_CURRENT_USER, kBrimlux, "exists"), 0x1Fu);
  EXPECT_EQ(reread.GetString(HKEY_CURRENT_USER, kBrimlux, "Path"), "C:\\rules\\\"new\"\\caf\xE9.xml");
  EXPECT_EQ(reread.GetString(HKEY_CURRENT_USER, kBrimlux, ""), "default");
  EXPECT_FALSE(Raw(reread, kBrimlux, "Lines").has_value());
  EXPECT_EQ(Raw(reread, kBrimlux, "Blob"), std::string("\x00\xFF\x10", 3));
  EXPECT_EQ(Raw(reread, kBrimlux, "Bare"), std::string("abc\0", 4));
  EXPECT_TRUE(reread.KeyExists(HKEY_CURRENT_USER, "software\\VEXMOOR\\brimlux"));
  EXPECT_EQ(reread.Export(), text);
  EXPECT_TRUE(warnings_.empty());
}

TEST_F(RegistryFileTest, HandEditedFileKeepsWhatItCanRead) {
  WriteFile(
      "\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n"
      "\r\n"
      "\"Orphan\"=dword:1\r\n"                            // 3: no key yet
      "; a comment\r\n"
      "[HKEY_CURRENT_USER\\Software\\Zelvanta\\Brimlux]\r\n"
      "\"Exists\"=dword:0\r\n"
      "\"Debug\"=dword:123456789\r\n"                     // 7: nine digits
      "\"Path\"=\"C:\\rules.xml\"\r\n"                    // 8: \r is no escape
      "\"Good\" = \"kept\"  \r\n"
      "\"Open\"=\"unterminated\r\n"                       // 10
      "garbage\r\r\n"                                     // 11: a stray CR too
      "\"Wide\"=hex(2):41,00,00,00\r\n"                   // 12: only plain hex is read
      "[HKEY_LOCAL_MACHINE\\Software]\r\n"                // 13
      "\"Lost\"=\"x\"\r\n"                                // 14: under an unknown root
      "\"Lost2\"=\"y\"\r\n"                               // reported once per key
      "[HKEY_CURRENT_USER\\Software\\Broken\r\r\n"        // 16
      "[HKCU\\Software\\Short]\r\n"
      "@=\"short form\"\r\n" +
      std::string("\"Long\"=\"") + std::string(RegistryStore::kMaxLineLength, 'x') + "\"\r\n" +  // 19
      "\"After\"=dword:00000002\r\n");
  RegistryStore store = Open();
  EXPECT_EQ(store.GetDword(HKEY_CURRENT_USER, kBrimlux, "Exists"), 0u);
  EXPECT_EQ(store.GetString(HKEY_CURRENT_USER, kBrimlux, "Good"), "kept");
  EXPECT_EQ(store.GetString(HKEY_CURRENT_USER, "Software\\Short", ""), "short form");
  EXPECT_EQ(store.GetDword(HKEY_CURRENT_USER, "Software\\Short", "After"), 2u);
  for (const char* missing : {"Debug", "Path", "Open", "Wide"}) {
    EXPECT_FALSE(Raw(store, kBrimlux, missing).has_value()) << missing;
  }
  EXPECT_FALSE(store.KeyExists(HKEY_CURRENT_USER, "Software\\Broken"));

  std::vector<int> lines;
  for (const auto& w : warnings_) lines.push_back(std::stoi(w.substr(w.find(':') + 1)));
  EXPECT_EQ(lines, (std::vector<int>{3, 7, 8, 10, 11, 12, 13, 14, 16, 19}));
  EXPECT_TRUE(warnings_[0].starts_with("registry.reg:3: ")) << warnings_[0];

  // A change writes the file again: the comment and every line that could
  // not be read are still there as they were, those of a key in its section.
  ASSERT_EQ(store.SetDword(HKEY_CURRENT_USER, kBrimlux, "Exists", 1), ERROR_SUCCESS);
  const std::string text = ReadText(path_);
  const std::size_t brimlux = text.find("[HKEY_CURRENT_USER\\Software\\Zelvanta\\Brimlux]\n");
  ASSERT_NE(brimlux, std::string::npos) << text.substr(0, 2000);
  for (const char* loose : {"\"Orphan\"=dword:1\n", "; a comment\n", "[HKEY_LOCAL_MACHINE\\Software]\n",
                            "\"Lost2\"=\"y\"\n", "[HKEY_CURRENT_USER\\Software\\Broken\n"}) {
    EXPECT_LT(text.find(loose), brimlux) << loose;
  }
  for (const char* kept : {"\"Debug\"=dword:123456789\n", "\"Path\"=\"C:\\rules.xml\"\n", "\"Open\"=\"unterminated\n",
                           "garbage\n", "\"Wide\"=hex(2):41,00,00,00\n"}) {
    const std::size_t at = text.find(kept);
    EXPECT_TRUE(at != std::string::npos && at > brimlux) << kept;
  }
  EXPECT_NE(text.find(std::string(RegistryStore::kMaxLineLength, 'x')), std::string::npos);
  warnings_.clear();
  RegistryStore reread = Open();
  EXPECT_EQ(reread.GetDword(HKEY_CURRENT_USER, kBrimlux, "Exists"), 1u);
  EXPECT_EQ(reread.Export(), store.Export());
  EXPECT_EQ(warnings_.size(), 10u);
}

// A UTF-8 file that happens to start with the bytes FF FE is still UTF-8:
// its keys are read and the odd first line is kept.
TEST_F(RegistryFileTest, AFileStartingWithFfFeIsReadAsUtf8) {
  WriteFile("\xFF\xFEWindows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\X]\n\"A\"=\"\xC3\xA9\"\n");
  RegistryStore store = Open();
  EXPECT_EQ(store.GetString(HKEY_CURRENT_USER, "Software\\X", "A"), "\xE9");
  ASSERT_EQ(store.SetDword(HKEY_CURRENT_USER, "Software\\X", "B", 2), ERROR_SUCCESS);
  const std::string text = ReadText(path_);
  EXPECT_NE(text.find("\n\xFF\xFEWindows Registry Editor Version 5.00\n"), std::string::npos);
  EXPECT_EQ(Open().GetString(HKEY_CURRENT_USER, "Software\\X", "A"), "\xE9");
}

// Names stay on their line; a write killed before its rename leaves nothing
// for long; changes made together write the file once.
TEST_F(RegistryFileTest, NamesTemporaryFilesAndChangesMadeTogether) {
  RegistryStore store = Open();
  EXPECT_EQ(store.SetString(HKEY_CURRENT_USER, "Software\\N", "A\nB", "x"), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(store.SetString(HKEY_CURRENT_USER, "Software\\N\r\n[HKEY_CLASSES_ROOT\\Evil]", "", "x"),
            ERROR_INVALID_PARAMETER);
  EXPECT_EQ(store.SetString(HKEY_CURRENT_USER, "Software\\N", "Tab\tbed", "x"), ERROR_INVALID_PARAMETER);
  EXPECT_FALSE(store.KeyExists(HKEY_CLASSES_ROOT, "Evil"));
  EXPECT_EQ(ReadText(path_).find("Evil"), std::string::npos);
  WriteFile("Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\N]\n\"A\x01\"=\"x\"\n");
  EXPECT_FALSE(Open().GetString(HKEY_CURRENT_USER, "Software\\N", "A\x01").has_value());

  const std::filesystem::path stale = path_.parent_path() / ".registry.reg.Ab12Cd";
  WriteText(stale, "half");
  store.BeginChanges();
  for (DWORD i = 0; i < 3; ++i) {
    ASSERT_EQ(store.SetDword(HKEY_CURRENT_USER, "Software\\Together", "V" + std::to_string(i), i), ERROR_SUCCESS);
  }
  EXPECT_FALSE(std::filesystem::exists(stale));
  EXPECT_EQ(ReadText(path_).find("Together"), std::string::npos);  // not written yet
  EXPECT_EQ(Open().GetDword(HKEY_CURRENT_USER, "Software\\Together", "V2"), std::nullopt);
  EXPECT_EQ(store.EndChanges(), ERROR_SUCCESS);
  RegistryStore reread = Open();
  for (DWORD i = 0; i < 3; ++i) {
    EXPECT_EQ(reread.GetDword(HKEY_CURRENT_USER, "Software\\Together", "V" + std::to_string(i)), i);
  }
}

TEST_F(RegistryFileTest, DeletesInTheFileAndThroughTheCalls) {
  WriteFile(
      "Windows Registry Editor Version 5.00\n\n"
      "[HKEY_CURRENT_USER\\Software\\A\\B\\C]\n\"v\"=\"1\"\n\n"
      "[HKEY_CURRENT_USER\\Software\\A]\n\"keep\"=\"k\"\n\"drop\"=\"d\"\n\"drop\"=-\n\n"
      "[HKEY_CURRENT_USER\\Software\\Gone\\Deep]\n\n"
      "[-HKEY_CURRENT_USER\\Software\\Gone]\n");
  RegistryStore store = Open();
  EXPECT_FALSE(store.KeyExists(HKEY_CURRENT_USER, "Software\\Gone"));
  EXPECT_FALSE(Raw(store, "Software\\A", "drop").has_value());
  EXPECT_EQ(store.GetString(HKEY_CURRENT_USER, "Software\\A", "keep"), "k");

  EXPECT_EQ(store.DeleteKey(HKEY_CURRENT_USER, "Software\\A\\B"), ERROR_ACCESS_DENIED);  // has subkeys
  EXPECT_EQ(store.DeleteKey(HKEY_CURRENT_USER, "Software\\A\\B\\C"), ERROR_SUCCESS);
  EXPECT_EQ(store.DeleteKey(HKEY_CURRENT_USER, "Software\\A\\B\\C"), ERROR_FILE_NOT_FOUND);
  HKEY a = 0;
  ASSERT_EQ(store.OpenKey(HKEY_CURRENT_USER, "Software\\A", KEY_ALL_ACCESS, &a), ERROR_SUCCESS);
  EXPECT_EQ(store.DeleteValue(a, "KEEP"), ERROR_SUCCESS);
  EXPECT_EQ(store.DeleteValue(a, "keep"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(store.DeleteTree(HKEY_CURRENT_USER, "Software\\A"), ERROR_SUCCESS);
  // A handle to a deleted key stays a handle, to nothing.
  DWORD size = 0;
  EXPECT_EQ(store.QueryValue(a, "keep", nullptr, nullptr, &size), ERROR_KEY_DELETED);
  EXPECT_EQ(store.CloseKey(a), ERROR_SUCCESS);
  EXPECT_EQ(store.CloseKey(a), ERROR_INVALID_HANDLE);

  RegistryStore reread = Open();
  EXPECT_FALSE(reread.KeyExists(HKEY_CURRENT_USER, "Software\\A"));
  EXPECT_TRUE(reread.KeyExists(HKEY_CURRENT_USER, "Software"));
  EXPECT_EQ(ReadText(path_).find("Gone"), std::string::npos);
}

TEST_F(RegistryFileTest, ChangesByAnotherWriterAreSeenAndNotLost) {
  RegistryStore first = Open();
  RegistryStore second = Open();
  ASSERT_EQ(first.SetDword(HKEY_CURRENT_USER, "Software\\Shared", "One", 1), ERROR_SUCCESS);
  EXPECT_EQ(second.GetDword(HKEY_CURRENT_USER, "Software\\Shared", "One"), 1u);
  ASSERT_EQ(second.SetDword(HKEY_CURRENT_USER, "Software\\Shared", "Two", 2), ERROR_SUCCESS);
  ASSERT_EQ(first.SetDword(HKEY_CURRENT_USER, "Software\\Shared", "Three", 3), ERROR_SUCCESS);
  RegistryStore third = Open();
  EXPECT_EQ(third.GetDword(HKEY_CURRENT_USER, "Software\\Shared", "One"), 1u);
  EXPECT_EQ(third.GetDword(HKEY_CURRENT_USER, "Software\\Shared", "Two"), 2u);
  EXPECT_EQ(third.GetDword(HKEY_CURRENT_USER, "Software\\Shared", "Three"), 3u);

  // A hand edit while running.
  WriteFile("Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\Shared]\n\"One\"=dword:7\n");
  EXPECT_EQ(first.GetDword(HKEY_CURRENT_USER, "Software\\Shared", "One"), 7u);
  EXPECT_FALSE(first.GetDword(HKEY_CURRENT_USER, "Software\\Shared", "Two").has_value());
}

TEST_F(RegistryFileTest, OversizedFileIsNeitherLoadedNorOverwritten) {
  std::string huge = "Windows Registry Editor Version 5.00\n";
  huge.resize(RegistryStore::kMaxFileBytes + 1, '\n');
  WriteFile(huge);
  RegistryStore store = Open();
  EXPECT_FALSE(store.KeyExists(HKEY_CURRENT_USER, "Software"));
  EXPECT_EQ(store.SetDword(HKEY_CURRENT_USER, "Software\\X", "Y", 1), ERROR_ACCESS_DENIED);
  EXPECT_EQ(std::filesystem::file_size(path_), huge.size());
  EXPECT_EQ(warnings_.size(), 1u);
}

TEST(RegistryCalls, BuffersAccessAndOrderBehaveLikeTheDesktop) {
  RegistryStore store;
  SetCurrentRegistryStore(&store);
  HKEY key = 0;
  DWORD disposition = 0;
  ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, "Software\\Test", 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                           nullptr, &key, &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, static_cast<DWORD>(REG_CREATED_NEW_KEY));
  const char text[] = "hello";
  ASSERT_EQ(RegSetValueEx(key, "Text", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof text), ERROR_SUCCESS);
  for (const char* sub : {"zeta", "Alpha", "beta"}) {
    HKEY child = 0;
    ASSERT_EQ(RegCreateKeyEx(key, sub, 0, nullptr, 0, KEY_READ, nullptr, &child, nullptr), ERROR_SUCCESS);
    RegCloseKey(child);
  }
  RegCloseKey(key);

  ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "SOFTWARE\\test", 0, KEY_READ, &key), ERROR_SUCCESS);
  DWORD type = 0;
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueEx(key, "text", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(size, 6u);
  char small[3];
  size = sizeof small;
  EXPECT_EQ(RegQueryValueEx(key, "Text", nullptr, nullptr, reinterpret_cast<BYTE*>(small), &size), ERROR_MORE_DATA);
  EXPECT_EQ(size, 6u);
  EXPECT_EQ(RegQueryValueEx(key, "Missing", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegSetValueEx(key, "Text", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof text),
            ERROR_ACCESS_DENIED);

  std::vector<std::string> names;
  char name[16];
  DWORD length = sizeof name;
  for (DWORD i = 0; RegEnumKeyEx(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS; ++i) {
    names.emplace_back(name, length);
    length = sizeof name;
  }
  EXPECT_EQ(names, (std::vector<std::string>{"Alpha", "beta", "zeta"}));
  length = 4;
  EXPECT_EQ(RegEnumKeyEx(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);
  length = sizeof name;
  EXPECT_EQ(RegEnumKeyEx(key, 3, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);
  RegCloseKey(key);

  EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Software\\Nothing", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(key, 0u);
  EXPECT_EQ(RegOpenKeyEx(12345, "x", 0, KEY_READ, &key), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, std::string(300, 'k').c_str(), 0, KEY_READ, &key),
            ERROR_INVALID_PARAMETER);

  // Depth is bounded so that every key can be read back from the file.
  std::string deep = "k";
  for (int i = 1; i < 511; ++i) deep += "\\k";
  ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, deep.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  HKEY deeper = 0;
  EXPECT_EQ(RegCreateKeyEx(key, "k", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &deeper, nullptr),
            ERROR_INVALID_PARAMETER);
  RegCloseKey(key);
  SetCurrentRegistryStore(nullptr);
}

}  // namespace
}  // namespace zv::platform
