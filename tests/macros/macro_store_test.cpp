// The macro key table, its archive record, and the macro folders.
#include <gtest/gtest.h>

#include <filesystem>

#include "macros/macro_array.h"
#include "macros/macro_folders.h"
#include "tests/support/scratch_home.h"

namespace zv {
namespace {

namespace fs = std::filesystem;
using platform::Archive;
using platform::ArchiveCause;
using platform::ArchiveException;

std::string Bytes(std::initializer_list<int> values) {
  std::string out;
  for (int v : values) out += static_cast<char>(v);
  return out;
}

std::string Stored(CMacroArray& table) {
  Archive ar;
  table.Serialize(ar);
  return ar.Buffer();
}

std::vector<std::pair<std::string, std::string>> Entries(const CMacroArray& table) {
  std::vector<std::pair<std::string, std::string>> out;
  for (int i = 0; i < table.GetSize(); ++i) out.emplace_back(table.GetAt(i).MacroName(), table.GetAt(i).KeyName());
  return out;
}

ArchiveCause LoadCause(const std::string& bytes, CMacroArray& into) {
  Archive ar(bytes);
  try {
    into.Serialize(ar);
  } catch (const ArchiveException& e) {
    return e.cause();
  }
  return ArchiveCause::kNone;
}

const std::string kPnr = Bytes({0x01, 0x00, 0xFF, 0xFF, 0x01, 0x00, 0x06, 0x00}) + "CMacro" + "\x03PNR\x07Shift+P" +
                         "\x03PNR\x07Shift+P";

TEST(MacroRecord, StoredByteForByte) {
  CMacroArray empty;
  EXPECT_EQ(Stored(empty), Bytes({0, 0}));

  CMacroArray one;
  one.Assign("PNR", "Shift+P");
  EXPECT_EQ(Stored(one), kPnr);

  // Later entries name the class by its index: 0x8001.
  CMacroArray two;
  two.Assign("PNR", "Shift+P");
  two.Assign("", "Shift+Q");
  const std::string head = Bytes({0x02, 0x00, 0xFF, 0xFF, 0x01, 0x00, 0x06, 0x00}) + "CMacro\x03PNR\x07Shift+P";
  EXPECT_EQ(Stored(two), head + Bytes({0x01, 0x80, 0x00}) + "\x07Shift+Q\x03PNR\x07Shift+P" + Bytes({0}) + "\x07Shift+Q");

  CMacroArray loaded;
  Archive in(Stored(two));
  loaded.Serialize(in);
  EXPECT_EQ(Entries(loaded), Entries(two));
  EXPECT_EQ(in.Remaining(), 0u);
}

TEST(MacroRecord, CountAndStringEscapes) {
  // 65,535 entries: the count escape and a u32. Built as bytes, loaded, and
  // stored again unchanged.
  std::string bytes = Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0xFF, 0xFF, 0x01, 0x00, 0x06, 0x00}) + "CMacro";
  std::string second;
  for (int i = 0; i < 0xFFFF; ++i) {
    const std::string key = "K" + std::to_string(i);
    const std::string strings = Bytes({0, static_cast<int>(key.size())}) + key;
    bytes += (i == 0 ? "" : Bytes({0x01, 0x80})) + strings;
    second += strings;
  }
  bytes += second;
  CMacroArray many;
  Archive in(bytes);
  many.Serialize(in);
  EXPECT_EQ(many.GetSize(), 0xFFFF);
  EXPECT_EQ(many.GetAt(0xFFFE).KeyName(), "K65534");
  EXPECT_EQ(Stored(many), bytes);

  CMacroArray longName;
  longName.Assign(std::string(255, 'M'), "Shift+L");
  const std::string named = Stored(longName);
  EXPECT_EQ(named.substr(14, 3), Bytes({0xFF, 0xFF, 0x00}));
  EXPECT_EQ(named.size(), 14 + 3 + 255 + 8 + 3 + 255 + 8u);
}

TEST(MacroRecord, DamagedRecordsRaiseArchiveErrorsAndKeepWholeEntries) {
  struct Case {
    const char* what;
    std::string bytes;
    ArchiveCause cause;
    std::size_t kept;
  };
  std::string wrongName = kPnr;
  wrongName[13] = 'X';
  std::string wrongSchema = kPnr;
  wrongSchema[4] = 2;
  const std::string second = Bytes({0x02, 0x00, 0xFF, 0xFF, 0x01, 0x00, 0x06, 0x00}) + "CMacro\x03PNR\x07Shift+P";
  const Case cases[] = {
      {"class name", wrongName, ArchiveCause::kBadClass, 0},
      {"schema", wrongSchema, ArchiveCause::kBadSchema, 0},
      {"cut in the second pass", kPnr.substr(0, kPnr.size() - 3), ArchiveCause::kEndOfFile, 1},
      {"cut in the second entry", second + Bytes({0x01, 0x80, 0x05}) + "AB", ArchiveCause::kEndOfFile, 1},
      {"reference to an earlier entry", second + Bytes({0x02, 0x00}), ArchiveCause::kBadIndex, 1},
      {"null entry", Bytes({0x01, 0x00, 0x00, 0x00}), ArchiveCause::kBadIndex, 0},
      {"huge count, no entries", Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F}), ArchiveCause::kEndOfFile, 0},
  };
  for (const Case& c : cases) {
    CMacroArray table;
    EXPECT_EQ(LoadCause(c.bytes, table), c.cause) << c.what;
    EXPECT_EQ(static_cast<std::size_t>(table.GetSize()), c.kept) << c.what;
    EXPECT_EQ(table.Lookup("Shift+P"), c.kept > 0 ? "PNR" : "") << c.what;
  }
}

TEST(MacroTable, AssignLookupAndDefaults) {
  CMacroArray table;
  EXPECT_EQ(table.Assign("PNR", "Shift+P"), 0);
  EXPECT_EQ(table.Assign("FARE", "Ctrl+Shift+F"), 1);
  EXPECT_EQ(table.Assign("AVAIL", "Shift+P"), 0);  // in place
  EXPECT_EQ(table.Assign("", "Ctrl+Shift+F"), 1);  // unbound, but kept
  EXPECT_EQ(Entries(table), (std::vector<std::pair<std::string, std::string>>{{"AVAIL", "Shift+P"},
                                                                               {"", "Ctrl+Shift+F"}}));
  EXPECT_EQ(table.Lookup("Shift+P"), "AVAIL");
  EXPECT_EQ(table.Lookup("shift+p"), "");
  EXPECT_EQ(table.Lookup("Ctrl+Shift+F"), "");
  EXPECT_EQ(table.Lookup("Shift+Z"), "");

  table.SetDefaults();
  ASSERT_EQ(table.GetSize(), 26);
  EXPECT_EQ(Entries(table).front(), (std::pair<std::string, std::string>{"", "Shift+A"}));
  EXPECT_EQ(Entries(table).back(), (std::pair<std::string, std::string>{"", "Shift+Z"}));
}

TEST(MacroTable, FindByNameMatchesTheKeysFirstFourCharacters) {
  CMacroArray table;
  table.Assign("", "Shift+A");
  table.Assign("PNR", "Ctrl+Shift+B");
  table.Assign("PNR", "Shift+K");
  table.Assign("QUEUE", "Ctrl+Shift+Q");
  struct Case {
    std::string name, kind;
    bool found;
    std::string key;
  };
  const Case cases[] = {
      {"PNR", "Shift", true, "Shift+K"},        {"PNR", "Ctrl", true, "Ctrl+Shift+B"},
      {"QUEUE", "Ctrl + Shift", true, "Ctrl+Shift+Q"}, {"QUEUE", "Shift", false, "Shift"},
      {"", "Shift", false, "Shift"},             {"pnr", "Shift", false, "Shift"},
      {"PNR", "Sh", false, "Sh"},  // compared as far as the shorter string goes, its end included
  };
  for (const Case& c : cases) {
    std::string name = c.name, kind = c.kind;
    EXPECT_EQ(table.FindByName(name, kind), c.found) << c.name << " " << c.kind;
    EXPECT_EQ(kind, c.key) << c.name << " " << c.kind;
  }
}

TEST(MacroFolders, FirstStartMakesBothAndLaterStartsMoveTheOldFolder) {
  zv::testing::TempDir dir;
  const std::string persist = dir.str() + "/";
  zv::testing::WriteText(dir.path() / "PNR.zvm", "p");
  zv::testing::WriteText(dir.path() / "notes.txt", "n");
  fs::create_directory(dir.path() / "Macros");
  zv::testing::WriteText(dir.path() / "Macros" / "OLD.zvm", "o");

  SetUpMacroFolders(persist);
  EXPECT_EQ(PersonalMacroFolder(persist), persist + "Personal Macros/");
  EXPECT_EQ(OfficeMacroFolder(persist), persist + "Office Macros/");
  EXPECT_EQ(MacroFilePath(PersonalMacroFolder(persist), "PNR"), persist + "Personal Macros/PNR.zvm");
  EXPECT_TRUE(fs::is_directory(dir.path() / "Office Macros"));
  EXPECT_TRUE(fs::exists(dir.path() / "Personal Macros" / "PNR.zvm"));
  EXPECT_TRUE(fs::exists(dir.path() / "Personal Macros" / "OLD.zvm"));
  EXPECT_TRUE(fs::exists(dir.path() / "notes.txt"));

  // A later start: loose files stay, the old folder is emptied again, and a
  // removed office folder is not made again.
  fs::remove(dir.path() / "Office Macros");
  zv::testing::WriteText(dir.path() / "LOOSE.zvm", "l");
  zv::testing::WriteText(dir.path() / "Macros" / "NEW.zvm", "n");
  zv::testing::WriteText(dir.path() / "Macros" / "PNR.zvm", "second");
  SetUpMacroFolders(persist);
  EXPECT_TRUE(fs::exists(dir.path() / "LOOSE.zvm"));
  EXPECT_TRUE(fs::exists(dir.path() / "Personal Macros" / "NEW.zvm"));
  EXPECT_EQ(zv::testing::ReadText(dir.path() / "Personal Macros" / "PNR.zvm"), "p");  // never replaced
  EXPECT_FALSE(fs::exists(dir.path() / "Office Macros"));
}

}  // namespace
}  // namespace zv
