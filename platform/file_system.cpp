#include "platform/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <system_error>
#include <utility>

#include "platform/code_page.h"

namespace zv::platform {
namespace {

namespace fs = std::filesystem;

std::optional<std::string> AbsoluteEnv(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr || value[0] != '/') return std::nullopt;
  return std::string(value);
}

std::string LoginName() {
  if (const char* user = std::getenv("USER"); user != nullptr && user[0] != '\0') return user;
  struct passwd pw_storage;
  struct passwd* pw = nullptr;
  char buffer[4096];
  if (getpwuid_r(getuid(), &pw_storage, buffer, sizeof buffer, &pw) == 0 && pw != nullptr) return pw->pw_name;
  return {};
}

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool HasDrive(std::string_view p) {
  return p.size() >= 2 && p[1] == ':' && ((p[0] >= 'A' && p[0] <= 'Z') || (p[0] >= 'a' && p[0] <= 'z'));
}

class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() {
    if (fd_ >= 0) close(fd_);
  }
  int get() const { return fd_; }
  int release() { return std::exchange(fd_, -1); }

 private:
  int fd_;
};

bool WriteAll(int fd, std::string_view data) {
  std::size_t done = 0;
  while (done < data.size()) {
    const ssize_t n = write(fd, data.data() + done, data.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// Copies a regular file to a target that must not exist, then removes the
// source: the cross-file-system half of MoveFile.
bool CopyThenUnlink(const fs::path& from, const fs::path& to) {
  Fd in(open(from.c_str(), O_RDONLY | O_CLOEXEC));
  struct stat st;
  if (in.get() < 0 || fstat(in.get(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  Fd out(open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, st.st_mode & 07777));
  if (out.get() < 0) return false;
  char buffer[65536];
  for (;;) {
    const ssize_t n = read(in.get(), buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 || !WriteAll(out.get(), std::string_view(buffer, static_cast<std::size_t>(n)))) {
      unlink(to.c_str());
      return false;
    }
    if (n == 0) break;
  }
  if (close(out.release()) != 0) {
    unlink(to.c_str());
    return false;
  }
  return unlink(from.c_str()) == 0;
}

DWORD AttributesOf(const struct stat& st, std::string_view name) {
  DWORD attributes = 0;
  if (S_ISDIR(st.st_mode)) attributes |= FILE_ATTRIBUTE_DIRECTORY;
  if ((st.st_mode & S_IWUSR) == 0) attributes |= FILE_ATTRIBUTE_READONLY;
  if (!name.empty() && name[0] == '.' && name != "." && name != "..") attributes |= FILE_ATTRIBUTE_HIDDEN;
  return attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes;
}

}  // namespace

fs::path HomeDirectory() {
  if (auto home = AbsoluteEnv("HOME")) return *home;
  struct passwd pw_storage;
  struct passwd* pw = nullptr;
  char buffer[4096];
  if (getpwuid_r(getuid(), &pw_storage, buffer, sizeof buffer, &pw) == 0 && pw != nullptr && pw->pw_dir[0] == '/') {
    return pw->pw_dir;
  }
  std::error_code ec;
  return fs::current_path(ec);
}

fs::path ConfigHome() {
  if (auto dir = AbsoluteEnv("XDG_CONFIG_HOME")) return *dir;
  return HomeDirectory() / ".config";
}

fs::path DataHome() {
  if (auto dir = AbsoluteEnv("XDG_DATA_HOME")) return *dir;
  return HomeDirectory() / ".local" / "share";
}

fs::path StateHome() {
  if (auto dir = AbsoluteEnv("XDG_STATE_HOME")) return *dir;
  return HomeDirectory() / ".local" / "state";
}

fs::path DriveRoot() {
  if (auto dir = AbsoluteEnv("ZVEMUL_DRIVE_ROOT")) return *dir;
  return DataHome() / "zvemul" / "drives";
}

fs::path ErrorLogFile() {
  if (const char* path = std::getenv("ZVEMUL_LOGFILE"); path != nullptr && path[0] != '\0') return path;
  return StateHome() / "zvemul" / "logfile.log";
}

fs::path NativePath(std::string_view logic_path) {
  std::string rest = Cp1252ToUtf8(logic_path);
  fs::path base;
  if (HasDrive(rest)) {
    base = DriveRoot() / std::string(1, Cp1252ToLower(rest[0]));
    rest.erase(0, 2);
    while (!rest.empty() && IsSeparator(rest.front())) rest.erase(0, 1);
    if (rest.empty()) return base;
  }
  std::replace(rest.begin(), rest.end(), '\\', '/');
  return base.empty() ? fs::path(rest) : base / rest;
}

std::string LogicPath(const fs::path& native_path) { return Utf8ToCp1252(native_path.native()); }

std::string ExpandEnvironmentStrings(std::string_view text) {
  auto lookup = [](std::string_view name) -> std::optional<std::string> {
    if (EqualsIgnoreCase1252(name, "USERPROFILE")) return LogicPath(HomeDirectory());
    if (EqualsIgnoreCase1252(name, "APPDATA")) return LogicPath(HomeDirectory()) + "\\Application Data";
    if (EqualsIgnoreCase1252(name, "USERNAME")) return Utf8ToCp1252(LoginName());
    if (EqualsIgnoreCase1252(name, "TEMP") || EqualsIgnoreCase1252(name, "TMP")) {
      return LogicPath(AbsoluteEnv("TMPDIR").value_or("/tmp"));
    }
    std::string key = Cp1252ToUtf8(name);
    if (const char* value = std::getenv(key.c_str())) return Utf8ToCp1252(value);
    std::transform(key.begin(), key.end(), key.begin(),
                   [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 0x20) : c; });
    if (const char* value = std::getenv(key.c_str())) return Utf8ToCp1252(value);
    return std::nullopt;
  };

  std::string out;
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t open = text.find('%', i);
    if (open == std::string_view::npos) break;
    const std::size_t close = text.find('%', open + 1);
    if (close == std::string_view::npos) break;
    out.append(text.substr(i, open - i));
    const std::string_view name = text.substr(open + 1, close - open - 1);
    if (auto value = name.empty() ? std::nullopt : lookup(name)) {
      out += *value;
      i = close + 1;
    } else {
      // Not a variable: keep "%name" and let the closing '%' open the next one.
      out.append(text.substr(open, close - open));
      i = close;
    }
  }
  out.append(text.substr(std::min(i, text.size())));
  return out;
}

std::string SubfolderPath(std::string_view parent, std::string_view name) {
  std::string path(parent);
  path.append(name);
  path += kFolderSeparator;
  return path;
}

std::string ResolvePersistDirectory() {
  std::string dir = ExpandEnvironmentStrings("%UserProfile%");
  if (dir.empty() || !IsSeparator(dir.back())) dir += kFolderSeparator;
  // A Windows profile always holds "Application Data"; a Linux home does not,
  // so it is made here, below a profile that must already exist.
  const bool profile_exists = IsDirectory(dir);
  dir = SubfolderPath(dir, "Application Data");
  if (profile_exists && !IsDirectory(dir)) CreateDirectory(dir);
  dir = SubfolderPath(dir, "ZELVANTA");
  if (!IsDirectory(dir)) CreateDirectory(dir);
  return dir;
}

bool MatchesWildcard(std::string_view name, std::string_view pattern) {
  if (pattern == "*.*") pattern = "*";
  // Greedy match with one backtrack point: linear in practice, quadratic at worst.
  std::size_t n = 0, p = 0, star = std::string_view::npos, resume = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      resume = n;
    } else if (p < pattern.size() &&
               (pattern[p] == '?' || Cp1252ToLower(pattern[p]) == Cp1252ToLower(name[n]))) {
      ++p;
      ++n;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      n = ++resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

std::vector<FindData> FindFiles(std::string_view pattern) {
  std::size_t cut = pattern.find_last_of("\\/");
  if (cut == std::string_view::npos && HasDrive(pattern)) cut = 1;
  const std::string_view name_pattern = cut == std::string_view::npos ? pattern : pattern.substr(cut + 1);
  std::vector<FindData> found;
  if (name_pattern.empty()) return found;

  fs::path dir = cut == std::string_view::npos ? fs::path(".") : NativePath(pattern.substr(0, cut + 1));
  if (dir.empty()) dir = ".";
  std::unique_ptr<DIR, int (*)(DIR*)> stream(opendir(dir.c_str()), closedir);
  if (!stream) return found;
  while (const dirent* entry = readdir(stream.get())) {
    std::string name = Utf8ToCp1252(entry->d_name);
    if (!MatchesWildcard(name, name_pattern)) continue;
    struct stat st;
    if (fstatat(dirfd(stream.get()), entry->d_name, &st, 0) != 0 &&
        fstatat(dirfd(stream.get()), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
      continue;
    }
    FindData data;
    data.attributes = AttributesOf(st, name);
    data.size = S_ISREG(st.st_mode) ? static_cast<std::uint64_t>(st.st_size) : 0;
    data.file_name = std::move(name);
    found.push_back(std::move(data));
  }
  std::sort(found.begin(), found.end(), [](const FindData& a, const FindData& b) {
    return LessIgnoreCase1252(a.file_name, b.file_name);
  });
  return found;
}

bool MoveFile(std::string_view from, std::string_view to) {
  const fs::path source = NativePath(from);
  const fs::path target = NativePath(to);
  struct stat st;
  if (lstat(source.c_str(), &st) != 0) return false;
  if (renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno == EINVAL || errno == ENOSYS) {
    // The file system cannot rename without replacing: check first.
    struct stat target_st;
    if (lstat(target.c_str(), &target_st) == 0) return false;
    return rename(source.c_str(), target.c_str()) == 0;
  }
  if (errno == EXDEV && S_ISREG(st.st_mode)) return CopyThenUnlink(source, target);
  return false;
}

bool DeleteFile(std::string_view path) {
  const fs::path native = NativePath(path);
  struct stat st;
  if (lstat(native.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
  return unlink(native.c_str()) == 0;
}

bool CreateDirectory(std::string_view path) { return mkdir(NativePath(path).c_str(), 0700) == 0; }

bool RemoveDirectory(std::string_view path) { return rmdir(NativePath(path).c_str()) == 0; }

bool PathExists(std::string_view path) {
  struct stat st;
  return stat(NativePath(path).c_str(), &st) == 0;
}

bool IsDirectory(std::string_view path) {
  struct stat st;
  return stat(NativePath(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

namespace {

// At most `limit` bytes from the start of a regular file, read on past the
// size fstat gave when the file grows meanwhile.
std::optional<std::string> ReadNativeHead(const fs::path& path, std::size_t limit) {
  // Non-blocking open so that a FIFO in place of the file cannot hang us.
  Fd fd(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  struct stat st;
  if (fd.get() < 0 || fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  std::string data(std::min(limit, static_cast<std::size_t>(st.st_size)), '\0');
  std::size_t done = 0;
  for (;;) {
    if (done == data.size()) {
      if (data.size() >= limit) break;
      data.resize(std::min(limit, data.size() + 4096));
    }
    const ssize_t n = read(fd.get(), data.data() + done, data.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return std::nullopt;
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  data.resize(done);
  return data;
}

}  // namespace

std::optional<std::string> ReadNativeFile(const fs::path& path, std::size_t max_bytes) {
  // A file too long already is refused before anything is read; one byte
  // more than allowed tells one that grew meanwhile.
  struct stat st;
  if (stat(path.c_str(), &st) == 0 && static_cast<std::uint64_t>(st.st_size) > max_bytes) return std::nullopt;
  const std::size_t limit = max_bytes == SIZE_MAX ? max_bytes : max_bytes + 1;
  auto data = ReadNativeHead(path, limit);
  if (!data || data->size() > max_bytes) return std::nullopt;
  return data;
}

std::optional<std::string> ReadWholeFile(std::string_view path, std::size_t max_bytes) {
  return ReadNativeFile(NativePath(path), max_bytes);
}

std::optional<std::string> ReadFileHead(std::string_view path, std::size_t max_bytes) {
  return ReadNativeHead(NativePath(path), max_bytes);
}

bool WriteWholeFile(std::string_view path, std::string_view data, FileWriteMode mode) {
  int flags = O_WRONLY | O_CREAT | O_CLOEXEC;
  if (mode == FileWriteMode::kTruncate) flags |= O_TRUNC;
  Fd fd(open(NativePath(path).c_str(), flags, 0600));
  if (fd.get() < 0 || !WriteAll(fd.get(), data)) return false;
  return close(fd.release()) == 0;
}

bool ReplaceNativeFile(const fs::path& path, std::string_view data) {
  std::string temp = (path.parent_path() / ("." + path.filename().native() + ".XXXXXX")).native();
  Fd fd(mkostemp(temp.data(), O_CLOEXEC));
  if (fd.get() < 0) return false;
  const bool written = fchmod(fd.get(), 0600) == 0 && WriteAll(fd.get(), data) && fsync(fd.get()) == 0;
  if (close(fd.release()) != 0 || !written || rename(temp.c_str(), path.c_str()) != 0) {
    unlink(temp.c_str());
    return false;
  }
  // The rename is done; flushing the folder only makes it last through a
  // crash, so a folder that cannot be flushed does not undo it.
  const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
  Fd dir(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.get() >= 0) fsync(dir.get());
  return true;
}

void RemoveStaleReplacements(const fs::path& path) {
  const std::string prefix = "." + path.filename().native() + ".";
  std::error_code ec;
  const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().native();
    // mkostemp's six characters after the prefix, nothing else.
    if (name.size() == prefix.size() + 6 && name.starts_with(prefix) && it->is_regular_file(ec)) {
      std::error_code ignored;
      fs::remove(it->path(), ignored);
    }
  }
}

}  // namespace zv::platform
