#include "platform/locked_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>

#include "tests/support/scratch_home.h"

namespace zv::platform {
namespace {

class LockedFileTest : public ::testing::Test {
 protected:

  // Runs `body` in a child process and answers its exit status.
  template <typename Body>
  static int InChild(Body body) {
    const pid_t pid = ::fork();
    if (pid == 0) {
      ::_exit(body());
    }
    int status = 0;
    return ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  // The lock another process sees on bytes 0 to 15, through a classic
  // record-lock query on its own descriptor.
  int HeaderLockSeenByAnotherProcess() const {
    return InChild([this] {
      const int fd = ::open(path_.c_str(), O_RDONLY);
      struct flock query {};
      query.l_type = F_WRLCK;
      query.l_whence = SEEK_SET;
      query.l_start = 0;
      query.l_len = 16;
      if (fd < 0 || ::fcntl(fd, F_GETLK, &query) != 0) {
        return 99;
      }
      return static_cast<int>(query.l_type);
    });
  }

  zv::testing::TempDir temp_;
  std::string dir_ = temp_.str();
  std::string path_ = dir_ + "/file";
};

TEST_F(LockedFileTest, CreatesAPrivateFileHeldAgainstOtherOpensHereAndElsewhere) {
  LockedFile first;
  ASSERT_EQ(first.Open(path_), OpenStatus::kOpened);
  struct stat st {};
  ASSERT_EQ(::stat(path_.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  const auto child_open = [this] {
    return static_cast<OpenStatus>(InChild([this] { return static_cast<int>(LockedFile().Open(path_)); }));
  };
  LockedFile second;
  EXPECT_EQ(second.Open(path_), OpenStatus::kBusy);
  EXPECT_FALSE(second.IsOpen());
  EXPECT_EQ(child_open(), OpenStatus::kBusy);
  LockedFile moved(std::move(first));  // the lock moves with the file
  EXPECT_EQ(second.Open(path_), OpenStatus::kBusy);
  moved.Close();
  EXPECT_EQ(child_open(), OpenStatus::kOpened);
  EXPECT_EQ(second.Open(path_), OpenStatus::kOpened);
}

// A waiter sleeps until the holder closes the file, not until its bound.
TEST_F(LockedFileTest, AWaiterRetriesWhenTheHolderLetsGo) {
  LockedFile holder;
  ASSERT_EQ(holder.Open(path_), OpenStatus::kOpened);
  LockedFile waiter;
  ASSERT_EQ(waiter.Open(path_), OpenStatus::kBusy);
  EXPECT_EQ(waiter.RetryAfterRelease(std::chrono::milliseconds(1)), OpenStatus::kBusy);
  EXPECT_EQ(waiter.RetryAfterRelease(std::chrono::milliseconds(1)), OpenStatus::kBusy);
  holder.Close();
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(waiter.RetryAfterRelease(std::chrono::seconds(60)), OpenStatus::kOpened);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
  EXPECT_TRUE(waiter.IsOpen());
  EXPECT_EQ(LockedFile().RetryAfterRelease(std::chrono::seconds(1)), OpenStatus::kFailed);  // never refused
}

TEST_F(LockedFileTest, RefusesLinksAndWhatIsNotARegularFile) {
  std::ofstream(dir_ + "/target") << "keep";
  ASSERT_EQ(::symlink((dir_ + "/target").c_str(), (dir_ + "/link").c_str()), 0);
  ASSERT_EQ(::symlink((dir_ + "/nowhere").c_str(), (dir_ + "/dangling").c_str()), 0);
  ASSERT_EQ(::mkfifo((dir_ + "/fifo").c_str(), 0600), 0);
  LockedFile file;
  EXPECT_EQ(file.Open(dir_ + "/link"), OpenStatus::kFailed);
  EXPECT_EQ(file.LastError(), ELOOP);
  for (const std::string& path : {dir_ + "/dangling", dir_ + "/fifo", dir_}) {
    EXPECT_EQ(file.Open(path), OpenStatus::kFailed) << path;
  }
  EXPECT_NE(::access((dir_ + "/nowhere").c_str(), F_OK), 0) << "a dangling link is not followed";
  EXPECT_EQ(file.Open(dir_ + "/no/such/folder"), OpenStatus::kMissingFolder);
  EXPECT_FALSE(file.IsOpen());
}

TEST_F(LockedFileTest, ReadsAndWritesWholeRangesAtOffsets) {
  LockedFile file;
  ASSERT_EQ(file.Open(path_), OpenStatus::kOpened);
  EXPECT_EQ(file.Size(), 0u);
  ASSERT_TRUE(file.WriteAt(10, "abc", 3));
  EXPECT_EQ(file.Size(), 13u);
  char buffer[13] = {};
  ASSERT_TRUE(file.ReadAt(0, buffer, 13));
  EXPECT_EQ(std::string(buffer, 13), std::string(10, '\0') + "abc");
  EXPECT_FALSE(file.ReadAt(11, buffer, 3));  // reaches past the end
  ASSERT_TRUE(file.WriteAt(0, "xy", 2));
  ASSERT_TRUE(file.ReadAt(0, buffer, 2));
  EXPECT_EQ(std::string(buffer, 2), "xy");
  file.Close();
  EXPECT_FALSE(file.Size().has_value());
}

TEST_F(LockedFileTest, HeaderRangeLockIsSeenElsewhereUntilUnlocked) {
  LockedFile file;
  ASSERT_EQ(file.Open(path_), OpenStatus::kOpened);
  ASSERT_TRUE(file.LockRange(0, 16));
  EXPECT_EQ(HeaderLockSeenByAnotherProcess(), F_WRLCK);
  // Closing some other descriptor of the file in this process keeps the lock,
  // unlike a classic per-process record lock.
  ::close(::open(path_.c_str(), O_RDONLY));
  EXPECT_EQ(HeaderLockSeenByAnotherProcess(), F_WRLCK);
  ASSERT_TRUE(file.UnlockRange(0, 16));
  EXPECT_EQ(HeaderLockSeenByAnotherProcess(), F_UNLCK);
  ASSERT_TRUE(file.LockRange(0, 16));
  file.Close();
  EXPECT_EQ(HeaderLockSeenByAnotherProcess(), F_UNLCK);
}

TEST(SystemErrorText, IsTheSystemsTextEndingInALineBreak) {
  EXPECT_EQ(SystemErrorText(ENOENT), "No such file or directory\r\n");
  EXPECT_EQ(SystemErrorText(EACCES), "Permission denied\r\n");
  const std::string unknown = SystemErrorText(98765);
  EXPECT_NE(unknown.find("98765"), std::string::npos);
  EXPECT_EQ(unknown.substr(unknown.size() - 2), "\r\n");
}

TEST_F(LockedFileTest, PrivateFoldersAreCreatedWithTheirParents) {
  const std::string nested = dir_ + "/a/b/c";
  ASSERT_TRUE(CreatePrivateFolders(nested));
  struct stat st {};
  ASSERT_EQ(::stat((dir_ + "/a/b").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  EXPECT_TRUE(CreatePrivateFolders(nested + "/"));  // already there
  std::ofstream(dir_ + "/plain") << "x";
  EXPECT_FALSE(CreatePrivateFolders(dir_ + "/plain"));
  EXPECT_FALSE(CreatePrivateFolders(dir_ + "/plain/below"));
}

}  // namespace
}  // namespace zv::platform
