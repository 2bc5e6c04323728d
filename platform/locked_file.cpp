#include "platform/locked_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace zv::platform {
namespace {

// strerror_r comes in a GNU and an XSI flavour; both end up here.
[[maybe_unused]] const char* ErrorTextOf(int result, const char* buffer) {
  return result == 0 ? buffer : nullptr;
}
[[maybe_unused]] const char* ErrorTextOf(const char* result, const char*) { return result; }

}  // namespace

LockedFile::~LockedFile() { Close(); }

LockedFile::LockedFile(LockedFile&& other) noexcept : fd_(other.fd_), last_error_(other.last_error_) {
  other.fd_ = -1;
}

LockedFile& LockedFile::operator=(LockedFile&& other) noexcept {
  if (this != &other) {
    Close();
    fd_ = other.fd_;
    last_error_ = other.last_error_;
    other.fd_ = -1;
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
  // flock belongs to the open file description, so a second open in this
  // same process is excluded too; it is also independent of the fcntl range
  // lock on the header below.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    last_error_ = errno;
    ::close(fd);
    return last_error_ == EWOULDBLOCK || last_error_ == EINTR ? OpenStatus::kBusy : OpenStatus::kFailed;
  }
  fd_ = fd;
  return OpenStatus::kOpened;
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
  if (fd_ >= 0) {
    ::close(fd_);  // drops the whole-file lock and the range locks with it
    fd_ = -1;
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
