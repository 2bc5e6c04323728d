// Folders and files as the logic sees them: 8-bit (Windows-1252) paths with
// backslashes, mapped onto Linux paths here and nowhere else.
//
// Path mapping (NativePath):
//   - '\' and '/' are both separators, as on the desktop;
//   - a path that starts with a drive ("C:\...", "c:...") maps below the
//     drive root: "C:\logfile.log" -> <drive root>/c/logfile.log. The drive
//     root is $ZVEMUL_DRIVE_ROOT when set to an absolute path, otherwise
//     $XDG_DATA_HOME/zvemul/drives (default ~/.local/share/zvemul/drives);
//   - any other path is used as it stands, absolute or relative to the
//     working folder; file names are matched by the file system, so case
//     matters (except in FindFiles patterns);
//   - the text is converted from Windows-1252 to UTF-8; names read back from
//     the disk are converted the other way ('?' for what 1252 cannot hold).
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win_types.h"

namespace zv::platform {

// ---- Base folders (native) ---------------------------------------------------
// $HOME when it is an absolute path, else the account's home from the user
// database, else the working folder.
std::filesystem::path HomeDirectory();
// $XDG_CONFIG_HOME, $XDG_DATA_HOME, $XDG_STATE_HOME when absolute, else
// ~/.config, ~/.local/share, ~/.local/state.
std::filesystem::path ConfigHome();
std::filesystem::path DataHome();
std::filesystem::path StateHome();
std::filesystem::path DriveRoot();
// The error log: $ZVEMUL_LOGFILE when set, else StateHome()/zvemul/logfile.log.
std::filesystem::path ErrorLogFile();

// ---- Paths -------------------------------------------------------------------------
std::filesystem::path NativePath(std::string_view logic_path);
// The logic's form of a native path (UTF-8 -> Windows-1252, separators kept).
std::string LogicPath(const std::filesystem::path& native_path);

// Replaces each %NAME% by the variable's value. Desktop names map onto the
// Linux session: USERPROFILE -> $HOME, APPDATA -> $HOME\Application Data,
// USERNAME -> the login name, TEMP and TMP -> $TMPDIR or /tmp. Other names
// are looked up as given, then in upper case. An unknown %NAME% is kept
// as it stands, like the desktop does.
std::string ExpandEnvironmentStrings(std::string_view text);

// Folders handed to containers end in this separator and use it throughout,
// so that they are native paths a container opens as they stand.
constexpr char kFolderSeparator = '/';
// `parent` (ending in a separator), then `name` and kFolderSeparator.
std::string SubfolderPath(std::string_view parent, std::string_view name);

// The per-user folder, ending in kFolderSeparator: the profile
// (%UserProfile%, i.e. $HOME) followed by "Application Data/ZELVANTA/".
// "Application Data" and "ZELVANTA" are created when missing; the profile
// itself never is. A folder that cannot be created is still returned.
std::string ResolvePersistDirectory();

// ---- Finding files -----------------------------------------------------------------
struct FindData {
  std::string file_name;  // Windows-1252, no folder
  DWORD attributes = FILE_ATTRIBUTE_NORMAL;
  std::uint64_t size = 0;
};

// The entries of a folder whose names match the last component of
// `pattern` ("folder\*.zvm", "folder\Macros\*", "folder\Personal Macros"),
// compared without regard to case: '*' matches any run of characters, '?'
// one character, "*.*" everything. Like the desktop, "*" also lists "." and
// "..". Sorted by name; empty when the folder does not exist.
std::vector<FindData> FindFiles(std::string_view pattern);

// Wildcard test used by FindFiles, on Windows-1252 names.
bool MatchesWildcard(std::string_view name, std::string_view pattern);

// ---- Changing the file system ---------------------------------------------------
// Renames a file or folder; fails when the target exists. A file is copied
// when the target is on another file system.
bool MoveFile(std::string_view from, std::string_view to);
// Removes a file (never a folder).
bool DeleteFile(std::string_view path);
// Creates one folder (mode 0700); fails when it exists or its parent does not.
bool CreateDirectory(std::string_view path);
// Removes an empty folder.
bool RemoveDirectory(std::string_view path);

bool PathExists(std::string_view path);
bool IsDirectory(std::string_view path);

// ---- Reading and writing whole files --------------------------------------------
// The whole content of a regular file, or nothing when it is missing,
// unreadable, not a regular file or longer than `max_bytes`.
std::optional<std::string> ReadWholeFile(std::string_view path, std::size_t max_bytes);
std::optional<std::string> ReadNativeFile(const std::filesystem::path& path, std::size_t max_bytes);
// At most the first `max_bytes` bytes of a regular file; nothing when it is
// missing, unreadable or not a regular file.
std::optional<std::string> ReadFileHead(std::string_view path, std::size_t max_bytes);

enum class FileWriteMode {
  kTruncate,  // the file holds exactly `data` afterwards
  kKeepTail,  // created when missing, never truncated: a longer old file keeps its tail
};
// Writes `data` from the start of the file, creating it with mode 0600.
bool WriteWholeFile(std::string_view path, std::string_view data, FileWriteMode mode);

// Replaces the file with `data` atomically (temporary file ".NAME.XXXXXX" in
// the same folder, flushed, renamed over it, then the folder flushed so the
// rename survives a crash), mode 0600.
bool ReplaceNativeFile(const std::filesystem::path& path, std::string_view data);
// Removes the temporary files of ReplaceNativeFile that a writer killed
// before its rename left beside `path`. Only for callers that hold the lock
// under which every replacement of `path` is made.
void RemoveStaleReplacements(const std::filesystem::path& path);

}  // namespace zv::platform
