// Rewrites the start of a file so that a crash, a full disk or a second
// writer can never leave it half written: the new bytes, followed by what
// the old file holds beyond them, go to a temporary file in the same
// folder, which is flushed and then renamed over the old one. Writers of
// one folder take turns through a lock on the folder, across processes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zv::platform {

class FileReplacement {
 public:
  FileReplacement() = default;
  FileReplacement(const FileReplacement&) = delete;
  FileReplacement& operator=(const FileReplacement&) = delete;
  // Without Commit: the temporary file goes and the old file stays as it was.
  ~FileReplacement();

  // Takes the folder's lock (waiting a little for another writer) and writes
  // the temporary file: `data`, then the old file's bytes after data's
  // length, up to `max_size` bytes in all. `path` is a logic path. False
  // when any step fails.
  bool Prepare(std::string_view path, std::string_view data, std::uint64_t max_size);
  // Renames the temporary file over the old one. False when it cannot.
  bool Commit();

 private:
  void Abandon();

  int folder_fd_ = -1;  // holds the lock
  std::string target_;
  std::string temp_;
};

// Prepare and Commit in one: the file becomes `data` followed by its old
// tail, as a write without truncation leaves it, but never half written.
bool WriteFileKeepingTail(std::string_view path, std::string_view data, std::uint64_t max_size);

}  // namespace zv::platform
