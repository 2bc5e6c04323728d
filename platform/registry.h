// The per-user registry: keys and values under HKEY_CURRENT_USER and the
// class-registration root HKEY_CLASSES_ROOT, kept in a text file in the
// desktop's ".reg" export format so that it can be read and edited by hand:
//
//   Windows Registry Editor Version 5.00
//
//   [HKEY_CURRENT_USER\Software\Zelvanta\Brimlux]
//   "Exists"=dword:00000001
//   "Path"="C:\\rules\\brimlux.xml"
//   @="default value"
//   "Old"=-
//
//   [-HKEY_CURRENT_USER\Software\Obsolete]
//
// Strings take the escapes \\ and \"; "=-" deletes a value and "[-KEY]" a
// key with everything below it; "hex:" carries bytes (REG_BINARY). Those
// three types are all it holds: a string of one line (REG_SZ), a dword,
// bytes. The file is UTF-8 (a byte order mark is skipped); names and string
// data are Windows-1252 towards the logic; a name with a control character
// is refused. A line that cannot be read is reported and kept: the next
// write puts it back as it was, with the comments, in its key's section (or
// at the top when it belongs to no usable key). The file is re-read when it
// changes on disk and written whole, atomically, after each change (or once
// for changes made together, BeginChanges), under a lock file so that
// processes do not lose each other's changes.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/win_types.h"

namespace zv::platform {

// Receives one warning per skipped line or unreadable file.
using RegistryWarningSink = std::function<void(const std::string& message)>;

class RegistryStore {
 public:
  // Limits that keep a damaged or hostile file from costing much.
  static constexpr std::size_t kMaxFileBytes = 16u << 20;
  static constexpr std::size_t kMaxLineLength = 1u << 20;
  static constexpr std::size_t kMaxValueBytes = 64u << 10;
  static constexpr std::size_t kMaxKeyNameLength = 255;
  static constexpr std::size_t kMaxValueNameLength = 16383;
  static constexpr std::size_t kMaxKeyDepth = 512;  // names in a path, the root's included

  // A store that lives in memory only.
  RegistryStore();
  // A store backed by `file` (created on the first change). Warnings go to
  // `warn`, or to stderr when it is empty.
  explicit RegistryStore(std::filesystem::path file, RegistryWarningSink warn = {});
  ~RegistryStore();
  RegistryStore(const RegistryStore&) = delete;
  RegistryStore& operator=(const RegistryStore&) = delete;

  // $XDG_CONFIG_HOME/zvemul/registry.reg (default ~/.config/zvemul/registry.reg).
  static std::filesystem::path DefaultPath();

  // The desktop's registry calls, without their reserved arguments. Value
  // names "" mean the key's default value. Results are ERROR_* codes.
  LSTATUS OpenKey(HKEY parent, std::string_view sub_key, REGSAM access, HKEY* result);
  LSTATUS CreateKey(HKEY parent, std::string_view sub_key, REGSAM access, HKEY* result, DWORD* disposition);
  LSTATUS CloseKey(HKEY key);
  // With `data` null only the size is given; a buffer that is too small
  // gives ERROR_MORE_DATA and the size needed.
  LSTATUS QueryValue(HKEY key, std::string_view name, DWORD* type, BYTE* data, DWORD* size);
  // REG_SZ (one line; its terminating NUL optional), REG_DWORD or REG_BINARY;
  // ERROR_INVALID_PARAMETER for anything the file cannot hold.
  LSTATUS SetValue(HKEY key, std::string_view name, DWORD type, const BYTE* data, DWORD size);
  LSTATUS DeleteValue(HKEY key, std::string_view name);
  // Deletes a key that has no subkeys.
  LSTATUS DeleteKey(HKEY parent, std::string_view sub_key);
  // Deletes a key and everything below it; an empty `sub_key` empties `parent`.
  LSTATUS DeleteTree(HKEY parent, std::string_view sub_key);
  // Subkeys in name order (case-insensitive), values in the order they were made.
  LSTATUS EnumKey(HKEY key, DWORD index, std::string* name);
  LSTATUS EnumValue(HKEY key, DWORD index, std::string* name, DWORD* type, std::string* data);

  // Shortcuts over a path below a root (or an open key).
  bool KeyExists(HKEY root, std::string_view sub_key);
  std::optional<DWORD> GetDword(HKEY root, std::string_view sub_key, std::string_view name);
  // A REG_SZ value.
  std::optional<std::string> GetString(HKEY root, std::string_view sub_key, std::string_view name);
  // Create the key when missing.
  LSTATUS SetDword(HKEY root, std::string_view sub_key, std::string_view name, DWORD value);
  LSTATUS SetString(HKEY root, std::string_view sub_key, std::string_view name, std::string_view value);

  // The whole store in the file's format.
  std::string Export();

  // Changes made until the matching EndChanges() are one change of the
  // file: the file lock is held throughout and the file is written once, at
  // the end (pairs nest; the outermost end writes). EndChanges() answers
  // ERROR_CANTWRITE when that write fails; the store then holds the file's
  // content again.
  void BeginChanges();
  LSTATUS EndChanges();

 private:
  class Impl;
  std::unique_ptr<Impl> impl_;
};

// BeginChanges() for the lifetime of a scope.
class RegistryChanges {
 public:
  explicit RegistryChanges(RegistryStore& store) : store_(store) { store_.BeginChanges(); }
  ~RegistryChanges() { store_.EndChanges(); }
  RegistryChanges(const RegistryChanges&) = delete;
  RegistryChanges& operator=(const RegistryChanges&) = delete;

 private:
  RegistryStore& store_;
};

// The process's store: the one set last, or a store over DefaultPath()
// made on first use. Set it at start-up (tests: before anything reads it);
// nullptr goes back to the default.
RegistryStore& CurrentRegistryStore();
void SetCurrentRegistryStore(RegistryStore* store);

// The desktop's functions over the process's store, with its arguments.
LSTATUS RegOpenKeyEx(HKEY key, const char* sub_key, DWORD options, REGSAM access, HKEY* result);
LSTATUS RegCreateKeyEx(HKEY key, const char* sub_key, DWORD reserved, char* class_name, DWORD options,
                       REGSAM access, const void* security, HKEY* result, DWORD* disposition);
LSTATUS RegCloseKey(HKEY key);
LSTATUS RegQueryValueEx(HKEY key, const char* name, DWORD* reserved, DWORD* type, BYTE* data, DWORD* size);
LSTATUS RegSetValueEx(HKEY key, const char* name, DWORD reserved, DWORD type, const BYTE* data, DWORD size);
LSTATUS RegDeleteValue(HKEY key, const char* name);
LSTATUS RegDeleteKey(HKEY key, const char* sub_key);
LSTATUS RegDeleteTree(HKEY key, const char* sub_key);
// `name_size`: the buffer's size in characters on entry; the name's length
// without the terminator on return (ERROR_MORE_DATA when it does not fit).
LSTATUS RegEnumKeyEx(HKEY key, DWORD index, char* name, DWORD* name_size, DWORD* reserved, char* class_name,
                     DWORD* class_size, void* last_write_time);
LSTATUS RegEnumValue(HKEY key, DWORD index, char* name, DWORD* name_size, DWORD* reserved, DWORD* type, BYTE* data,
                     DWORD* data_size);

}  // namespace zv::platform
