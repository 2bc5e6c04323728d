#include "platform/locked_file.h"

#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

namespace zv::platform {
namespace {

// strerror_r comes in a GNU and an XSI flavour; both end up here.
[[maybe_unused]] const char* ErrorTextOf(int result, const char* buffer) {
  return result == 0 ? buffer : nullptr;
}
[[maybe_unused]] const char* ErrorTextOf(const char* result, const char*) { return result; }

// Every holder closes the file it wrote, so a close of a descriptor opened
// for writing marks a release; waiters keep theirs open meanwhile and make
// no such event. One inotify instance per thread, kept for the thread's
// life: closing one waits for the kernel's clean-up of its marks, which can
// take milliseconds. Watching a file again is cheap and needs no removal.
class ReleaseWatch {
 public:
  ReleaseWatch() = default;
  ReleaseWatch(const ReleaseWatch&) = delete;
  ReleaseWatch& operator=(const ReleaseWatch&) = delete;
  ~ReleaseWatch() {
    if (fd_ >= 0) ::close(fd_);
  }

  // Starts watching the file behind `fd`, forgetting earlier releases.
  bool Watch(int fd) {
    if (fd_ >= 0 && owner_ != ::getpid()) {
      ::close(std::exchange(fd_, -1));  // inherited through fork: the parent's events
    }
    if (fd_ < 0) {
      fd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
      owner_ = ::getpid();
    }
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    if (fd_ < 0 || ::inotify_add_watch(fd_, self.c_str(), IN_CLOSE_WRITE) < 0) return false;
    Drain();
    return true;
  }

  void Wait(std::chrono::microseconds longest) {
    pollfd wait{fd_, POLLIN, 0};
    const auto us = std::max<std::chrono::microseconds::rep>(0, longest.count());
    const timespec limit{static_cast<time_t>(us / 1'000'000), static_cast<long>(us % 1'000'000 * 1000)};
    if (::ppoll(&wait, 1, &limit, nullptr) > 0) Drain();
  }

 private:
  void Drain() {
    alignas(inotify_event) char events[4096];
    while (::read(fd_, events, sizeof(events)) > 0) {
    }
  }

  int fd_ = -1;
  pid_t owner_ = 0;
};

thread_local ReleaseWatch release_watch;

}  // namespace

LockedFile::~LockedFile() { Close(); }

LockedFile::LockedFile(LockedFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      waiting_fd_(std::exchange(other.waiting_fd_, -1)),
      watching_(std::exchange(other.watching_, false)),
      last_error_(other.last_error_) {}

LockedFile& LockedFile::operator=(LockedFile&& other) noexcept {
  if (this != &other) {
    Close();
    fd_ = std::exchange(other.fd_, -1);
    waiting_fd_ = std::exchange(other.waiting_fd_, -1);
    watching_ = std::exchange(other.watching_, false);
    last_error_ = other.last_error_;
  }
  return *this;
}

OpenStatus LockedFile::Open(const std::string& path) {
  Close();
  // O_NONBLOCK keeps a FIFO or device planted at the path from stalling the
  // open; such files are refused below anyway.
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0600);
  if (fd < 0) {
    last_error_ = errno;
    return last_error_ == ENOENT ? OpenStatus::kMissingFolder : OpenStatus::kFailed;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    last_error_ = errno;
    ::close(fd);
    return OpenStatus::kFailed;
  }
  if (!S_ISREG(st.st_mode)) {
    last_error_ = EINVAL;
    ::close(fd);
    return OpenStatus::kFailed;
  }
  waiting_fd_ = fd;
  return TakeLock();
}

OpenStatus LockedFile::TakeLock() {
  // flock belongs to the open file description, so a second open in this
  // same process is excluded too; it is also independent of the fcntl range
  // lock on the header below.
  if (::flock(waiting_fd_, LOCK_EX | LOCK_NB) != 0) {
    last_error_ = errno;
    if (last_error_ == EWOULDBLOCK || last_error_ == EINTR) {
      return OpenStatus::kBusy;
    }
    StopWaiting();
    return OpenStatus::kFailed;
  }
  fd_ = std::exchange(waiting_fd_, -1);
  StopWaiting();
  return OpenStatus::kOpened;
}

OpenStatus LockedFile::RetryAfterRelease(std::chrono::microseconds longest) {
  if (waiting_fd_ < 0) {
    last_error_ = EBADF;
    return OpenStatus::kFailed;
  }
  if (!watching_) {
    // Watching starts before the next try, so a release after that try is
    // not missed.
    watching_ = true;
    if (!release_watch.Watch(waiting_fd_)) {
      ::sched_yield();  // no watch to be had (a per-user limit): the next best
      watching_ = false;
    }
  } else {
    release_watch.Wait(longest);
  }
  return TakeLock();
}

void LockedFile::StopWaiting() {
  watching_ = false;
  if (waiting_fd_ >= 0) ::close(std::exchange(waiting_fd_, -1));
}

std::optional<std::string> ReadRegularFile(const std::string& path, std::size_t max_bytes, int& error) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    error = errno;
    return std::nullopt;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    error = S_ISREG(st.st_mode) ? errno : EINVAL;
    ::close(fd);
    return std::nullopt;
  }
  std::string bytes(std::min<std::uint64_t>(static_cast<std::uint64_t>(st.st_size), max_bytes), '\0');
  std::size_t got = 0;
  while (got < bytes.size()) {
    const ssize_t n = ::pread(fd, bytes.data() + got, bytes.size() - got, static_cast<off_t>(got));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      error = errno;
      ::close(fd);
      return std::nullopt;
    }
    if (n == 0) break;  // the file shrank meanwhile
    got += static_cast<std::size_t>(n);
  }
  ::close(fd);
  bytes.resize(got);
  return bytes;
}

void LockedFile::Close() {
  StopWaiting();
  if (fd_ >= 0) {
    // Unlocked before the close that wakes the waiters, so that the first
    // of them to try finds the file free.
    ::flock(fd_, LOCK_UN);
    ::close(std::exchange(fd_, -1));  // drops the range locks with it
  }
}

std::optional<std::uint64_t> LockedFile::Size() const {
  struct stat st {};
  if (fd_ < 0 || ::fstat(fd_, &st) != 0) {
    last_error_ = fd_ < 0 ? EBADF : errno;
    return std::nullopt;
  }
  return static_cast<std::uint64_t>(st.st_size);
}

bool LockedFile::ReadAt(std::uint64_t offset, void* buffer, std::size_t length) const {
  auto* out = static_cast<char*>(buffer);
  while (length > 0) {
    const ssize_t n = ::pread(fd_, out, length, static_cast<off_t>(offset));
    if (n < 0 && errno == EINTR) {
      continue;
    }
    if (n <= 0) {
      last_error_ = n == 0 ? EIO : errno;
      return false;
    }
    out += n;
    offset += static_cast<std::uint64_t>(n);
    length -= static_cast<std::size_t>(n);
  }
  return true;
}

bool LockedFile::WriteAt(std::uint64_t offset, const void* data, std::size_t length) {
  const auto* in = static_cast<const char*>(data);
  while (length > 0) {
    const ssize_t n = ::pwrite(fd_, in, length, static_cast<off_t>(offset));
    if (n < 0 && errno == EINTR) {
      continue;
    }
    if (n <= 0) {
      last_error_ = n == 0 ? EIO : errno;
      return false;
    }
    in += n;
    offset += static_cast<std::uint64_t>(n);
    length -= static_cast<std::size_t>(n);
  }
  return true;
}

namespace {

// Open file description locks: unlike classic record locks they are not
// dropped when some other descriptor of the same file is closed in this
// process, and they exclude other opens in this process as well.
bool SetRangeLock(int fd, short type, std::uint64_t offset, std::uint64_t length, int& error) {
  struct flock lock {};
  lock.l_type = type;
  lock.l_whence = SEEK_SET;
  lock.l_start = static_cast<off_t>(offset);
  lock.l_len = static_cast<off_t>(length);
  lock.l_pid = 0;
  if (::fcntl(fd, F_OFD_SETLK, &lock) != 0) {
    error = errno;
    return false;
  }
  return true;
}

}  // namespace

bool LockedFile::LockRange(std::uint64_t offset, std::uint64_t length) {
  return SetRangeLock(fd_, F_WRLCK, offset, length, last_error_);
}

bool LockedFile::UnlockRange(std::uint64_t offset, std::uint64_t length) {
  return SetRangeLock(fd_, F_UNLCK, offset, length, last_error_);
}

std::string SystemErrorText(int error_code) {
  char buffer[256] = {};
  const char* text = ErrorTextOf(strerror_r(error_code, buffer, sizeof(buffer)), buffer);
  std::string result = text != nullptr ? text : "Unknown error " + std::to_string(error_code);
  result += "\r\n";
  return result;
}

bool CreatePrivateFolders(const std::string& path) {
  if (path.empty()) {
    return false;
  }
  std::size_t pos = 0;
  while (pos != std::string::npos) {
    pos = path.find('/', pos + 1);
    const std::string prefix = path.substr(0, pos);
    if (prefix.empty() || prefix.back() == '/') {
      continue;
    }
    if (::mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST) {
      return false;
    }
  }
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace zv::platform
