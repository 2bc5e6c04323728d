#include "platform/named_mutex.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <map>
#include <mutex>
#include <optional>
#include <thread>

namespace zv::platform {
namespace {

using Clock = std::chrono::steady_clock;

// Lock file name for a mutex name: letters, digits, '.', '_' and '-' kept,
// other bytes as %XX; long names end in a hash to stay within NAME_MAX.
std::string FileNameFor(std::string_view name) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out = "mutex-";
  for (char c : name) {
    const auto b = static_cast<unsigned char>(c);
    if ((b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9') || b == '.' || b == '_' ||
        b == '-') {
      out += c;
    } else {
      out += '%';
      out += kHex[b >> 4];
      out += kHex[b & 0xF];
    }
  }
  if (out.size() > 200) {
    std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
    for (char c : name) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    out.resize(180);
    out += '~';
    for (int i = 60; i >= 0; i -= 4) out += kHex[(hash >> i) & 0xF];
  }
  return out;
}

// The lock folder must be ours and private: a folder in /tmp could have been
// made by someone else to see or steal our locks.
bool EnsurePrivateDirectory(const std::string& dir) {
  if (mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) return false;
  struct stat st;
  return lstat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == getuid() && (st.st_mode & 077) == 0;
}

}  // namespace

struct NamedMutex::Shared {
  std::string path;
  std::mutex mutex;
  std::condition_variable released;
  int fd = -1;
  std::thread::id owner;  // empty: no thread of this process owns or is taking it
  unsigned recursion = 0;

  ~Shared() {
    if (fd >= 0) close(fd);
  }

  bool Open() {
    fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    return fd >= 0;
  }

  // Takes the file lock, polling until the deadline; another process holds
  // it meanwhile. Reopens when the file was replaced under us.
  DWORD LockFile(std::optional<Clock::time_point> deadline) {
    auto pause = std::chrono::milliseconds(1);
    for (;;) {
      if (flock(fd, LOCK_EX | LOCK_NB) == 0) {
        struct stat held;
        struct stat named;
        if (fstat(fd, &held) == 0 && lstat(path.c_str(), &named) == 0 && held.st_ino == named.st_ino &&
            held.st_dev == named.st_dev) {
          return WAIT_OBJECT_0;
        }
        close(fd);
        if (!Open()) return WAIT_FAILED;
        continue;
      }
      if (errno != EWOULDBLOCK && errno != EINTR) return WAIT_FAILED;
      if (deadline && Clock::now() >= *deadline) return WAIT_TIMEOUT;
      std::this_thread::sleep_for(deadline ? std::min<Clock::duration>(pause, *deadline - Clock::now()) : pause);
      pause = std::min(pause * 2, std::chrono::milliseconds(10));
    }
  }
};

namespace {

// The mutexes this process has open, by name, so that handles of one name
// share one lock file. A forked child starts a table of its own.
struct Table {
  std::mutex mutex;
  pid_t pid = 0;
  std::map<std::string, std::weak_ptr<NamedMutex::Shared>, std::less<>> by_name;
};

Table& OpenMutexes() {
  static Table table;
  return table;
}

}  // namespace

std::string NamedMutex::LockDirectory() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && runtime[0] == '/') return std::string(runtime) + "/zvemul";
  return "/tmp/zvemul-" + std::to_string(getuid());
}

std::unique_ptr<NamedMutex> NamedMutex::Create(std::string_view name) {
  if (name.size() > MAX_PATH) return nullptr;
  const std::string dir = LockDirectory();
  if (!EnsurePrivateDirectory(dir)) return nullptr;
  const std::string path = dir + "/" + FileNameFor(name);

  Table& table = OpenMutexes();
  std::lock_guard lock(table.mutex);
  if (table.pid != getpid()) {
    table.by_name.clear();
    table.pid = getpid();
  }
  if (auto it = table.by_name.find(path); it != table.by_name.end()) {
    if (auto shared = it->second.lock()) return std::unique_ptr<NamedMutex>(new NamedMutex(std::move(shared)));
  }
  auto shared = std::make_shared<Shared>();
  shared->path = path;
  if (!shared->Open()) return nullptr;
  table.by_name[path] = shared;
  return std::unique_ptr<NamedMutex>(new NamedMutex(std::move(shared)));
}

NamedMutex::NamedMutex(std::shared_ptr<Shared> shared) : shared_(std::move(shared)) {}

NamedMutex::~NamedMutex() = default;

DWORD NamedMutex::Wait(DWORD timeout_ms) {
  Shared& s = *shared_;
  std::optional<Clock::time_point> deadline;
  if (timeout_ms != INFINITE) deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
  const auto self = std::this_thread::get_id();

  std::unique_lock lock(s.mutex);
  if (s.owner == self) {
    ++s.recursion;
    return WAIT_OBJECT_0;
  }
  auto free = [&] { return s.owner == std::thread::id(); };
  if (deadline) {
    if (!s.released.wait_until(lock, *deadline, free)) return WAIT_TIMEOUT;
  } else {
    s.released.wait(lock, free);
  }
  // Claim it in this process, then take the file lock without holding the
  // in-memory lock so that other threads can time out meanwhile.
  s.owner = self;
  lock.unlock();
  const DWORD result = s.LockFile(deadline);
  DWORD outcome = result;
  if (result == WAIT_OBJECT_0) {
    struct stat st;
    if (fstat(s.fd, &st) == 0 && st.st_size > 0) outcome = WAIT_ABANDONED;
    const std::string record = "owner pid " + std::to_string(getpid()) + "\n";
    if (ftruncate(s.fd, 0) != 0 || pwrite(s.fd, record.data(), record.size(), 0) != static_cast<ssize_t>(record.size())) {
      flock(s.fd, LOCK_UN);
      outcome = WAIT_FAILED;
    }
  }
  lock.lock();
  if (outcome == WAIT_OBJECT_0 || outcome == WAIT_ABANDONED) {
    s.recursion = 1;
  } else {
    s.owner = std::thread::id();
    s.released.notify_one();
  }
  return outcome;
}

bool NamedMutex::Release() {
  Shared& s = *shared_;
  std::lock_guard lock(s.mutex);
  if (s.owner != std::this_thread::get_id() || s.recursion == 0) return false;
  if (--s.recursion > 0) return true;
  // An empty file tells the next owner that this one let go properly.
  const bool cleared = ftruncate(s.fd, 0) == 0;
  flock(s.fd, LOCK_UN);
  s.owner = std::thread::id();
  s.released.notify_one();
  return cleared;
}

}  // namespace zv::platform
