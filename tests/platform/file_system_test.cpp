#include "platform/file_system.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>
#include <tuple>

#include "platform/file_replacement.h"
#include "tests/support/scratch_home.h"

namespace zv::platform {
namespace {

namespace fs = std::filesystem;
using zv::testing::ReadText;
using zv::testing::ScratchHome;
using zv::testing::ScopedEnv;
using zv::testing::WriteText;

std::vector<std::string> Names(const std::vector<FindData>& found) {
  std::vector<std::string> names;
  for (const auto& f : found) names.push_back(f.file_name);
  return names;
}

TEST(PersistDirectory, LivesBelowTheHomeAndIsCreated) {
  ScratchHome home;
  const std::string dir = ResolvePersistDirectory();
  EXPECT_EQ(dir, home.dir.str() + "/Application Data/ZELVANTA/");
  EXPECT_TRUE(fs::is_directory(home.dir.path() / "Application Data" / "ZELVANTA"));
  EXPECT_EQ(NativePath(dir + "ZVEMUL.DAT"), home.dir.path() / "Application Data" / "ZELVANTA" / "ZVEMUL.DAT");
  // A second start finds it in place.
  EXPECT_EQ(ResolvePersistDirectory(), dir);
}

TEST(PersistDirectory, AMissingProfileIsNotCreated) {
  ScratchHome home;
  ScopedEnv gone("HOME", home.dir.str() + "/nobody");
  EXPECT_EQ(ResolvePersistDirectory(), home.dir.str() + "/nobody/Application Data/ZELVANTA/");
  EXPECT_FALSE(fs::exists(home.dir.path() / "nobody"));
}

TEST(PathMapping, DrivesSeparatorsAndCodePage) {
  ScratchHome home;
  EXPECT_EQ(NativePath("C:\\logfile.log"), home.dir.path() / "data" / "zvemul" / "drives" / "c" / "logfile.log");
  ScopedEnv root("ZVEMUL_DRIVE_ROOT", "/srv/drives");
  EXPECT_EQ(NativePath("d:/Macros\\x.zvm"), fs::path("/srv/drives/d/Macros/x.zvm"));
  EXPECT_EQ(NativePath("C:"), fs::path("/srv/drives/c"));
  EXPECT_EQ(NativePath("/home/a\\Application Data\\caf\xE9"), fs::path("/home/a/Application Data/caf\xC3\xA9"));
  EXPECT_EQ(NativePath("relative\\x"), fs::path("relative/x"));
  EXPECT_EQ(LogicPath("/home/caf\xC3\xA9/\xE2\x98\x83"), "/home/caf\xE9/?");
}

TEST(Environment, DesktopNamesMapOntoTheSession) {
  ScratchHome home;
  ScopedEnv user("USER", "agent");
  ScopedEnv custom("ZV_TEST_VALUE", "v");
  EXPECT_EQ(ExpandEnvironmentStrings("%UserProfile%\\x"), home.dir.str() + "\\x");
  EXPECT_EQ(ExpandEnvironmentStrings("%APPDATA%"), home.dir.str() + "\\Application Data");
  EXPECT_EQ(ExpandEnvironmentStrings("[%username%]"), "[agent]");
  EXPECT_EQ(ExpandEnvironmentStrings("%zv_test_value%%ZV_TEST_VALUE%"), "vv");
  // Unknown names and lone percent signs stay as they are.
  EXPECT_EQ(ExpandEnvironmentStrings("100% %NO_SUCH_VAR% %ZV_TEST_VALUE% 5%"), "100% %NO_SUCH_VAR% v 5%");
  EXPECT_EQ(ExpandEnvironmentStrings("%%"), "%%");
}

TEST(Wildcards, CaseInsensitiveStarAndQuestionMark) {
  const std::tuple<const char*, const char*, bool> cases[] = {
      {"Macro.ZVM", "*.zvm", true}, {".zvm", "*.zvm", true},   {"macro.zvm.bak", "*.zvm", false},
      {"a.b.zvm", "*.zvm", true},   {"noext", "*.*", true},    {"abc", "a?c", true},
      {"ac", "a?c", false},         {"\xC9T\xC9.zvm", "\xE9t\xE9*", true},  // accented capitals fold too
      {"aaaaaaaaaaaaaaaaaaaaaaaab", "*a*a*a*a*b", true},   {"aaaaaaaaaaaaaaaaaaaaaaaa", "*a*a*a*a*b", false}};
  for (const auto& [name, pattern, matches] : cases) {
    EXPECT_EQ(MatchesWildcard(name, pattern), matches) << name << " " << pattern;
  }
}

class FolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"one.zvm", "Two.ZVM", "three.txt", "four.zvmx", "caf\xC3\xA9.zvm"}) {
      WriteText(root_ / name, name);
    }
    fs::create_directory(root_ / "Macros");
  }
  std::string Logic(std::string_view tail) const { return dir_.str() + "\\" + std::string(tail); }

  testing::TempDir dir_;
  fs::path root_ = dir_.path();
};

TEST_F(FolderTest, FindFilesMatchesNamesAndListsDotEntries) {
  EXPECT_EQ(Names(FindFiles(Logic("*.zvm"))), (std::vector<std::string>{"caf\xE9.zvm", "one.zvm", "Two.ZVM"}));
  const auto all = FindFiles(Logic("*"));
  ASSERT_EQ(all.size(), 8u);
  EXPECT_EQ(all[0].file_name, ".");
  EXPECT_EQ(all[1].file_name, "..");
  const auto folder = FindFiles(Logic("macros"));
  ASSERT_EQ(folder.size(), 1u);
  EXPECT_EQ(folder[0].file_name, "Macros");
  EXPECT_NE(folder[0].attributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
  const auto file = FindFiles(Logic("three.txt"));
  ASSERT_EQ(file.size(), 1u);
  EXPECT_EQ(file[0].size, 9u);
  EXPECT_EQ(file[0].attributes, FILE_ATTRIBUTE_NORMAL);
  EXPECT_TRUE(FindFiles(Logic("Macros\\")).empty());
  EXPECT_TRUE(FindFiles(Logic("missing\\*")).empty());
}

TEST_F(FolderTest, MoveNeverReplacesAnExistingTarget) {
  EXPECT_FALSE(MoveFile(Logic("one.zvm"), Logic("Two.ZVM")));
  EXPECT_EQ(ReadText(root_ / "one.zvm"), "one.zvm");
  EXPECT_EQ(ReadText(root_ / "Two.ZVM"), "Two.ZVM");
  EXPECT_TRUE(MoveFile(Logic("one.zvm"), Logic("Macros\\one.zvm")));
  EXPECT_FALSE(fs::exists(root_ / "one.zvm"));
  EXPECT_EQ(ReadText(root_ / "Macros" / "one.zvm"), "one.zvm");
  EXPECT_FALSE(MoveFile(Logic("missing"), Logic("elsewhere")));
  // What a search of "Macros\*" hands over: the dot entries fail, harmlessly.
  EXPECT_FALSE(MoveFile(Logic("Macros\\."), Logic("Personal\\.")));
  EXPECT_FALSE(MoveFile(Logic("Macros\\.."), Logic("Macros\\one.zvm\\..")));
  EXPECT_TRUE(MoveFile(Logic("Macros"), Logic("Personal Macros")));
  EXPECT_TRUE(fs::exists(root_ / "Personal Macros" / "one.zvm"));
}

TEST_F(FolderTest, MoveCopiesAFileAcrossFileSystems) {
  struct stat here;
  struct stat shm;
  if (stat(root_.c_str(), &here) != 0 || stat("/dev/shm", &shm) != 0 || here.st_dev == shm.st_dev) {
    GTEST_SKIP() << "no second file system at hand";
  }
  const fs::path source = fs::path("/dev/shm") / ("zvemul-move-" + std::to_string(getpid()));
  WriteText(source, "payload");
  EXPECT_FALSE(MoveFile(source.native(), Logic("Two.ZVM")));
  EXPECT_TRUE(MoveFile(source.native(), Logic("moved.zvm")));
  EXPECT_FALSE(fs::exists(source));
  EXPECT_EQ(ReadText(root_ / "moved.zvm"), "payload");
}

TEST_F(FolderTest, CreateDeleteAndQueries) {
  EXPECT_TRUE(CreateDirectory(Logic("Office Macros")));
  EXPECT_FALSE(CreateDirectory(Logic("Office Macros")));
  EXPECT_FALSE(CreateDirectory(Logic("a\\b")));  // parent missing
  struct stat st;
  ASSERT_EQ(stat((root_ / "Office Macros").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  EXPECT_TRUE(IsDirectory(Logic("Office Macros")));
  EXPECT_TRUE(PathExists(Logic("three.txt")));
  EXPECT_FALSE(IsDirectory(Logic("three.txt")));
  EXPECT_FALSE(DeleteFile(Logic("Office Macros")));
  EXPECT_TRUE(RemoveDirectory(Logic("Office Macros")));
  EXPECT_TRUE(DeleteFile(Logic("three.txt")));
  EXPECT_FALSE(PathExists(Logic("three.txt")));
  EXPECT_FALSE(DeleteFile(Logic("three.txt")));
}

TEST_F(FolderTest, WholeFileReadsAreBoundedAndWritesCanKeepTheTail) {
  ASSERT_TRUE(WriteWholeFile(Logic("s.dat"), "0123456789", FileWriteMode::kTruncate));
  ASSERT_TRUE(WriteWholeFile(Logic("s.dat"), "ab", FileWriteMode::kKeepTail));
  EXPECT_EQ(ReadWholeFile(Logic("s.dat"), 100), "ab23456789");
  EXPECT_EQ(ReadWholeFile(Logic("s.dat"), 10), "ab23456789");
  EXPECT_FALSE(ReadWholeFile(Logic("s.dat"), 9).has_value());
  ASSERT_TRUE(WriteWholeFile(Logic("s.dat"), "ab", FileWriteMode::kTruncate));
  EXPECT_EQ(ReadWholeFile(Logic("s.dat"), 100), "ab");
  EXPECT_FALSE(ReadWholeFile(Logic("Macros"), 100).has_value());
  EXPECT_FALSE(ReadWholeFile(Logic("missing"), 100).has_value());
  // A FIFO in place of a file must not block the reader.
  ASSERT_EQ(mkfifo((root_ / "pipe").c_str(), 0600), 0);
  EXPECT_FALSE(ReadWholeFile(Logic("pipe"), 100).has_value());

  ASSERT_TRUE(ReplaceNativeFile(root_ / "r.txt", "first"));
  ASSERT_TRUE(ReplaceNativeFile(root_ / "r.txt", "second"));
  EXPECT_EQ(ReadText(root_ / "r.txt"), "second");
  struct stat st;
  ASSERT_EQ(stat((root_ / "r.txt").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_FALSE(ReplaceNativeFile(root_ / "no" / "r.txt", "x"));
  // What a writer killed before its rename left behind goes; nothing else.
  for (const char* name : {".r.txt.Ab12Cd", ".r.txt.keep", ".other.Ab12Cd"}) {
    WriteText(root_ / name, "x");
  }
  RemoveStaleReplacements(root_ / "r.txt");
  EXPECT_FALSE(fs::exists(root_ / ".r.txt.Ab12Cd"));
  EXPECT_TRUE(fs::exists(root_ / ".r.txt.keep") && fs::exists(root_ / ".other.Ab12Cd"));
  EXPECT_EQ(ReadText(root_ / "r.txt"), "second");
}

TEST_F(FolderTest, ReplacingAFileKeepsItsTailAndNeverLeavesItHalfWritten) {
  WriteText(root_ / "s.dat", "0123456789");
  EXPECT_EQ(ReadFileHead(Logic("s.dat"), 4), "0123");
  EXPECT_EQ(ReadFileHead(Logic("s.dat"), 100), "0123456789");
  ASSERT_TRUE(WriteFileKeepingTail(Logic("s.dat"), "ab", 100));
  EXPECT_EQ(ReadText(root_ / "s.dat"), "ab23456789");
  ASSERT_TRUE(WriteFileKeepingTail(Logic("s.dat"), "ab", 5));  // the tail stops at the bound
  EXPECT_EQ(ReadText(root_ / "s.dat"), "ab234");
  ASSERT_TRUE(WriteFileKeepingTail(Logic("new.dat"), "xyz", 5));
  EXPECT_EQ(ReadText(root_ / "new.dat"), "xyz");
  EXPECT_FALSE(WriteFileKeepingTail(Logic("no\\s.dat"), "ab", 5));

  // A writer that dies before the rename leaves the old file whole.
  const pid_t child = fork();
  if (child == 0) {
    FileReplacement replacement;
    _exit(replacement.Prepare(Logic("s.dat"), "NEW RECORD", 100) ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(ReadText(root_ / "s.dat"), "ab234");
  {
    FileReplacement abandoned;
    ASSERT_TRUE(abandoned.Prepare(Logic("s.dat"), "NEW RECORD", 100));
  }
  EXPECT_EQ(ReadText(root_ / "s.dat"), "ab234");

  // A second writer waits for the first and builds on what it wrote.
  FileReplacement first;
  ASSERT_TRUE(first.Prepare(Logic("s.dat"), "1", 100));
  std::thread second([&] { EXPECT_TRUE(WriteFileKeepingTail(Logic("s.dat"), "22", 100)); });
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(ReadText(root_ / "s.dat"), "ab234");
  ASSERT_TRUE(first.Commit());
  second.join();
  EXPECT_EQ(ReadText(root_ / "s.dat"), "22234");
}

}  // namespace
}  // namespace zv::platform
