#include "platform/file_replacement.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <thread>

#include "platform/file_system.h"

namespace zv::platform {
namespace {

// How long a writer waits for another one to finish before giving up.
constexpr auto kLockWait = std::chrono::seconds(3);
constexpr auto kLockRetry = std::chrono::milliseconds(5);

bool WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

// Copies what `from` holds after `offset` to the end of `to`, without
// reading it all into memory: an old file may be of any size.
bool CopyTail(int from, off_t offset, off_t end, int to) {
  char buffer[65536];
  while (offset < end) {
    const auto want = static_cast<std::size_t>(std::min<off_t>(end - offset, sizeof buffer));
    const ssize_t n = pread(from, buffer, want, offset);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) return true;
    if (!WriteAll(to, buffer, static_cast<std::size_t>(n))) return false;
    offset += n;
  }
  return true;
}

bool LockFolder(int fd) {
  const auto give_up = std::chrono::steady_clock::now() + kLockWait;
  for (;;) {
    if (flock(fd, LOCK_EX | LOCK_NB) == 0) return true;
    if (errno != EWOULDBLOCK && errno != EINTR) return false;
    if (std::chrono::steady_clock::now() >= give_up) return false;
    std::this_thread::sleep_for(kLockRetry);
  }
}

}  // namespace

FileReplacement::~FileReplacement() { Abandon(); }

void FileReplacement::Abandon() {
  if (!temp_.empty()) unlink(temp_.c_str());
  temp_.clear();
  if (folder_fd_ >= 0) close(folder_fd_);  // releases the lock
  folder_fd_ = -1;
}

bool FileReplacement::Prepare(std::string_view path, std::string_view data, std::uint64_t max_size) {
  Abandon();
  const std::filesystem::path native = NativePath(path);
  std::filesystem::path folder = native.parent_path();
  if (folder.empty()) folder = ".";
  folder_fd_ = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder_fd_ < 0 || !LockFolder(folder_fd_)) {
    Abandon();
    return false;
  }
  target_ = native.native();
  std::string temp = (folder / ("." + native.filename().native() + ".XXXXXX")).native();
  const int fd = mkostemp(temp.data(), O_CLOEXEC);
  if (fd < 0) {
    Abandon();
    return false;
  }
  temp_ = temp;
  bool ok = fchmod(fd, 0600) == 0 && WriteAll(fd, data.data(), data.size());
  // The old file's tail, read now that no other writer can change it.
  const int old = open(target_.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  struct stat st;
  if (ok && old >= 0 && fstat(old, &st) == 0 && S_ISREG(st.st_mode)) {
    const auto end = static_cast<off_t>(std::min<std::uint64_t>(static_cast<std::uint64_t>(st.st_size), max_size));
    ok = CopyTail(old, static_cast<off_t>(data.size()), end, fd);
  }
  if (old >= 0) close(old);
  ok = fsync(fd) == 0 && ok;
  ok = close(fd) == 0 && ok;
  if (!ok) Abandon();
  return ok;
}

bool FileReplacement::Commit() {
  if (temp_.empty()) return false;
  const bool renamed = rename(temp_.c_str(), target_.c_str()) == 0;
  if (renamed) {
    temp_.clear();
    fsync(folder_fd_);  // the rename itself survives a crash
  }
  Abandon();
  return renamed;
}

bool WriteFileKeepingTail(std::string_view path, std::string_view data, std::uint64_t max_size) {
  FileReplacement replacement;
  return replacement.Prepare(path, data, max_size) && replacement.Commit();
}

}  // namespace zv::platform
