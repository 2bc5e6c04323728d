// A mutex known by name to every process of the user, like the desktop's
// named mutexes: owned by one thread at a time, recursively; a process that
// ends while owning it leaves it abandoned, and the next owner is told so.
//
// Each name has a lock file in $XDG_RUNTIME_DIR/zvemul/ (or
// /tmp/zvemul-<uid>/), locked with flock while the mutex is owned. The file
// holds an owner record while owned and is emptied on release, so an owner
// record found on taking the lock means its writer died holding it.
// Threads of one process share one lock file per name and wait on each
// other in memory.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/win_types.h"

namespace zv::platform {

class NamedMutex {
 public:
  // Opens the mutex of that name, creating it when it does not exist; not
  // owned afterwards. Nothing when its lock file cannot be made. Several
  // objects of one name in a process are handles to the same mutex.
  static std::unique_ptr<NamedMutex> Create(std::string_view name);

  // A handle that is dropped while its thread owns the mutex leaves it owned
  // by that thread, as on the desktop; the last handle of a process
  // releases the lock file, and the mutex is then abandoned.
  ~NamedMutex();
  NamedMutex(const NamedMutex&) = delete;
  NamedMutex& operator=(const NamedMutex&) = delete;

  // Waits up to `timeout_ms` (INFINITE: no limit) to own the mutex:
  // WAIT_OBJECT_0, WAIT_ABANDONED (owned now, its last owner died holding
  // it), WAIT_TIMEOUT or WAIT_FAILED. The owning thread may wait again; it
  // then needs as many releases.
  DWORD Wait(DWORD timeout_ms);

  // False (ERROR_NOT_OWNER on the desktop) when the calling thread does not own it.
  bool Release();

  // The folder of the lock files.
  static std::string LockDirectory();

  struct Shared;  // the state that the handles of one name share

 private:
  explicit NamedMutex(std::shared_ptr<Shared> shared);
  std::shared_ptr<Shared> shared_;
};

}  // namespace zv::platform
