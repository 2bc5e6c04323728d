// A file held for exclusive use while it is open: what the shared error log
// needs of the operating system to serialise its writers.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace zv::platform {

enum class OpenStatus {
  kOpened,
  kBusy,           // another holder has the file: worth trying again
  kMissingFolder,  // a folder of the path does not exist
  kFailed,         // anything else (a symbolic link, not a regular file, no access ...)
};

// Exclusivity holds between processes and between objects of one process:
// the whole-file lock belongs to the open file, not to the process.
class LockedFile {
 public:
  LockedFile() = default;
  ~LockedFile();
  LockedFile(const LockedFile&) = delete;
  LockedFile& operator=(const LockedFile&) = delete;
  LockedFile(LockedFile&& other) noexcept;
  LockedFile& operator=(LockedFile&& other) noexcept;

  // Opens `path` for reading and writing, creating it with mode 0600 when
  // missing, and takes the whole-file lock without waiting. A symbolic link
  // as the last component, or anything but a regular file, is refused.
  // When another holder has the lock (kBusy) the file stays open, unlocked,
  // for RetryAfterRelease.
  OpenStatus Open(const std::string& path);
  // After kBusy: waits until some holder closes the file, at most `longest`,
  // then tries the lock once more without waiting. Sleeping in the kernel
  // rather than yielding lets a holder that lost the processor mid-write get
  // it back and finish.
  OpenStatus RetryAfterRelease(std::chrono::microseconds longest);
  bool IsOpen() const { return fd_ >= 0; }
  // Releases every lock and closes; nothing when not open.
  void Close();

  std::optional<std::uint64_t> Size() const;
  // Whole transfers only: a read that reaches the end of the file fails.
  bool ReadAt(std::uint64_t offset, void* buffer, std::size_t length) const;
  bool WriteAt(std::uint64_t offset, const void* data, std::size_t length);

  // A write lock on a byte range, taken without waiting.
  bool LockRange(std::uint64_t offset, std::uint64_t length);
  bool UnlockRange(std::uint64_t offset, std::uint64_t length);

  // The error number of the last failed operation.
  int LastError() const { return last_error_; }

 private:
  OpenStatus TakeLock();
  void StopWaiting();

  int fd_ = -1;          // open and locked
  int waiting_fd_ = -1;  // open, the lock held by another
  bool watching_ = false;
  mutable int last_error_ = 0;
};

// Reads at most `max_bytes` from the start of the file at `path`, opened as
// LockedFile opens it but read-only, never created and without a lock: a
// symbolic link, a FIFO, a device or a folder is refused at once instead of
// being waited on. Nothing on failure, with the error number in `error`.
std::optional<std::string> ReadRegularFile(const std::string& path, std::size_t max_bytes, int& error);

// The system's text for an error number, ending in "\r\n" as the desktop's
// message texts do.
std::string SystemErrorText(int error_code);

// Creates `path` and its missing parents with mode 0700. True when it exists
// as a folder afterwards.
bool CreatePrivateFolders(const std::string& path);

}  // namespace zv::platform
