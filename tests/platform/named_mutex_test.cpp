#include "platform/named_mutex.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

#include "tests/support/scratch_home.h"

namespace zv::platform {
namespace {

using Clock = std::chrono::steady_clock;
constexpr char kName[] = "Brimlux Map Mutex";

// A second process that takes the mutex and says so on a pipe, then waits for
// one byte from the test: 'r' releases and exits, 'd' exits holding it.
class OtherProcess {
 public:
  explicit OtherProcess(const char* name) {
    int down[2];
    int up[2];
    if (pipe(down) != 0 || pipe(up) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      auto mutex = NamedMutex::Create(name);
      const char taken = mutex && mutex->Wait(5000) == WAIT_OBJECT_0 ? 'y' : 'n';
      char order = 'd';
      if (write(up[1], &taken, 1) == 1 && read(down[0], &order, 1) == 1 && order == 'r') mutex->Release();
      _exit(0);  // without running destructors: like a crash when holding it
    }
    close(down[0]);
    close(up[1]);
    to_child_ = down[1];
    from_child_ = up[0];
  }
  OtherProcess(const OtherProcess&) = delete;
  OtherProcess& operator=(const OtherProcess&) = delete;
  ~OtherProcess() {
    Finish('d');
    if (from_child_ >= 0) close(from_child_);
  }

  bool TookIt() {
    char taken = 'n';
    return from_child_ >= 0 && read(from_child_, &taken, 1) == 1 && taken == 'y';
  }
  // Sends the order (once) and waits for the child to end.
  void Finish(char order) {
    if (to_child_ >= 0) {
      if (write(to_child_, &order, 1) != 1) ADD_FAILURE() << "order not sent";
      close(to_child_);
      to_child_ = -1;
    }
    if (pid_ > 0) waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }

 private:
  pid_t pid_ = -1;
  int to_child_ = -1;
  int from_child_ = -1;
};

class NamedMutexTest : public ::testing::Test {
 protected:
  zv::testing::ScratchHome home_;
};

TEST_F(NamedMutexTest, RecursiveForItsOwnerAndReleasedOnlyByIt) {
  auto mutex = NamedMutex::Create(kName);
  ASSERT_NE(mutex, nullptr);
  auto same = NamedMutex::Create(kName);  // a second handle to the same mutex
  EXPECT_FALSE(mutex->Release());
  EXPECT_EQ(mutex->Wait(0), WAIT_OBJECT_0);
  EXPECT_EQ(same->Wait(0), WAIT_OBJECT_0);

  std::thread other([&] {
    EXPECT_EQ(mutex->Wait(30), WAIT_TIMEOUT);
    EXPECT_FALSE(mutex->Release());
  });
  other.join();

  // A waiting thread gets it when the owner's last hold is released.
  std::atomic<DWORD> result = WAIT_FAILED;
  std::thread waiter([&] {
    result = mutex->Wait(5000);
    EXPECT_TRUE(mutex->Release());
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_TRUE(mutex->Release());
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(result, WAIT_FAILED) << "still held once";
  EXPECT_TRUE(same->Release());
  EXPECT_FALSE(mutex->Release());
  waiter.join();
  EXPECT_EQ(result, WAIT_OBJECT_0);
}

TEST_F(NamedMutexTest, TimesOutWhileAnotherProcessOwnsIt) {
  OtherProcess other(kName);
  ASSERT_TRUE(other.TookIt());
  auto mutex = NamedMutex::Create(kName);
  const auto start = Clock::now();
  EXPECT_EQ(mutex->Wait(100), WAIT_TIMEOUT);
  const auto waited = Clock::now() - start;
  EXPECT_GE(waited, std::chrono::milliseconds(100));
  EXPECT_LT(waited, std::chrono::seconds(2));
  EXPECT_EQ(mutex->Wait(0), WAIT_TIMEOUT);

  other.Finish('r');
  EXPECT_EQ(mutex->Wait(1000), WAIT_OBJECT_0);  // released properly: not abandoned
  EXPECT_TRUE(mutex->Release());
}

TEST_F(NamedMutexTest, AnOwnerThatDiesLeavesItAbandoned) {
  {
    OtherProcess other(kName);
    ASSERT_TRUE(other.TookIt());
    other.Finish('d');
  }
  auto mutex = NamedMutex::Create(kName);
  EXPECT_EQ(mutex->Wait(1000), WAIT_ABANDONED);
  EXPECT_EQ(mutex->Wait(0), WAIT_OBJECT_0);  // owned now, recursively
  EXPECT_TRUE(mutex->Release());
  EXPECT_TRUE(mutex->Release());
  EXPECT_EQ(mutex->Wait(0), WAIT_OBJECT_0);  // the abandonment was reported once
  EXPECT_TRUE(mutex->Release());
}

TEST_F(NamedMutexTest, AWaiterLearnsOfTheDeathWhileWaiting) {
  OtherProcess other(kName);
  ASSERT_TRUE(other.TookIt());
  auto mutex = NamedMutex::Create(kName);
  std::thread killer([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    other.Finish('d');
  });
  EXPECT_EQ(mutex->Wait(5000), WAIT_ABANDONED);
  killer.join();
  EXPECT_TRUE(mutex->Release());
}

TEST_F(NamedMutexTest, NamesAreKeptApartAndLockFilesArePrivate) {
  auto a = NamedMutex::Create("Global\\one");
  auto b = NamedMutex::Create("Global/one");
  auto c = NamedMutex::Create(std::string(MAX_PATH, 'x'));
  ASSERT_TRUE(a && b && c);
  EXPECT_EQ(NamedMutex::Create(std::string(MAX_PATH + 1, 'x')), nullptr);
  ASSERT_EQ(a->Wait(0), WAIT_OBJECT_0);
  std::thread other([&] { EXPECT_EQ(b->Wait(0), WAIT_OBJECT_0); });  // another name: free
  other.join();
  EXPECT_EQ(NamedMutex::LockDirectory(), home_.dir.str() + "/run/zvemul");
  const auto perms = std::filesystem::status(NamedMutex::LockDirectory()).permissions();
  EXPECT_EQ(perms & std::filesystem::perms::all, std::filesystem::perms::owner_all);
  a->Release();
}

}  // namespace
}  // namespace zv::platform
