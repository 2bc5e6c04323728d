#include "platform/registry.h"

#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <system_error>
#include <vector>

#include "platform/file_system.h"
#include "platform/code_page.h"
#include "platform/locked_file.h"

namespace zv::platform {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";
constexpr std::string_view kOldHeader = "REGEDIT4";
constexpr auto kLockTimeout = std::chrono::seconds(5);

struct NameLess {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const { return LessIgnoreCase1252(a, b); }
};

struct RegValue {
  std::string name;
  DWORD type = REG_NONE;
  std::string data;  // the bytes the 8-bit calls give, terminators included
};

struct RegKey {
  std::string name;
  std::map<std::string, std::unique_ptr<RegKey>, NameLess> subkeys;
  std::vector<RegValue> values;
  // Lines of this key's sections that were not understood, comments
  // included, written back as they were.
  std::vector<std::string> kept;

  RegValue* FindValue(std::string_view value_name) {
    for (auto& v : values) {
      if (EqualsIgnoreCase1252(v.name, value_name)) return &v;
    }
    return nullptr;
  }
  RegKey* Find(std::string_view sub) {
    auto it = subkeys.find(sub);
    return it == subkeys.end() ? nullptr : it->second.get();
  }
  RegKey& Child(std::string_view sub) {
    auto it = subkeys.find(sub);
    if (it == subkeys.end()) {
      auto key = std::make_unique<RegKey>();
      key->name = std::string(sub);
      it = subkeys.emplace(key->name, std::move(key)).first;
    }
    return *it->second;
  }
};

struct FileStamp {
  bool exists = false;
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  std::int64_t mtime_ns = 0;
  friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

FileStamp StampOf(const fs::path& path) {
  FileStamp stamp;
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return stamp;
  stamp.exists = true;
  stamp.device = st.st_dev;
  stamp.inode = st.st_ino;
  stamp.size = st.st_size;
  stamp.mtime_ns = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  return stamp;
}

// A name with a control character would break the file's lines or let a
// name read back as something else.
bool HasControlCharacter(std::string_view name) {
  return std::any_of(name.begin(), name.end(), [](char c) {
    const auto b = static_cast<unsigned char>(c);
    return b < 0x20 || b == 0x7F;
  });
}

// Splits "A\B\C" into its names; empty names (doubled or outer backslashes)
// are ignored. False when a name or the depth is beyond the desktop's limits.
bool SplitKeyPath(std::string_view path, std::vector<std::string>& names) {
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find('\\', start);
    if (end == std::string_view::npos) end = path.size();
    if (end > start) {
      if (end - start > RegistryStore::kMaxKeyNameLength || names.size() >= RegistryStore::kMaxKeyDepth ||
          HasControlCharacter(path.substr(start, end - start))) {
        return false;
      }
      names.emplace_back(path.substr(start, end - start));
    }
    start = end + 1;
  }
  return true;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

// ---- Writing the file -----------------------------------------------------------------

std::string Quote(std::string_view ansi) {
  std::string out = "\"";
  for (char c : Cp1252ToUtf8(ansi)) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  out += '"';
  return out;
}

void AppendHex(std::string& out, std::string_view bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  out += "hex:";
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (i > 0) out += ',';
    const auto b = static_cast<unsigned char>(bytes[i]);
    out += kDigits[b >> 4];
    out += kDigits[b & 0xF];
  }
}

void AppendValue(std::string& out, const RegValue& value) {
  out += value.name.empty() ? std::string("@") : Quote(value.name);
  out += '=';
  if (value.type == REG_SZ) {
    out += Quote(std::string_view(value.data).substr(0, value.data.size() - 1));
  } else if (value.type == REG_DWORD && value.data.size() == 4) {
    DWORD v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(value.data[i]);
    char text[16];
    std::snprintf(text, sizeof text, "dword:%08x", v);
    out += text;
  } else {
    AppendHex(out, value.data);
  }
  out += '\n';
}

void AppendKey(std::string& out, const RegKey& key, std::string& path, bool is_root) {
  if (!is_root || !key.values.empty() || !key.kept.empty()) {
    out += '[';
    out += Cp1252ToUtf8(path);
    out += "]\n";
    for (const auto& line : key.kept) out.append(line).append("\n");
    for (const auto& value : key.values) AppendValue(out, value);
    out += '\n';
  }
  for (const auto& [name, child] : key.subkeys) {
    const std::size_t length = path.size();
    path += '\\';
    path += child->name;
    AppendKey(out, *child, path, false);
    path.resize(length);
  }
}

// ---- Reading the file -------------------------------------------------------------------

class Parser {
 public:
  // Lines not understood outside any usable key go to `loose`.
  Parser(RegKey& classes_root, RegKey& current_user, std::vector<std::string>& loose, const std::string& file_name,
         const RegistryWarningSink& warn)
      : classes_root_(classes_root), current_user_(current_user), loose_(loose), file_name_(file_name), warn_(warn) {}

  void Parse(std::string_view text) {
    std::size_t pos = 0;
    bool first = true;
    while (pos < text.size()) {
      std::size_t end = text.find('\n', pos);
      if (end == std::string_view::npos) end = text.size();
      ++line_number_;
      std::string_view line = text.substr(pos, end - pos);
      pos = end + 1;
      raw_ = line;
      // Every CR before the line break goes, so a kept line reads back as it was written.
      while (!raw_.empty() && raw_.back() == '\r') raw_.remove_suffix(1);
      if (line.size() > RegistryStore::kMaxLineLength) {
        Warn("line too long, kept as it is");
        continue;
      }
      line = Trim(line);
      if (line.empty()) continue;
      if (line.front() == ';') {
        Keep();
        continue;
      }
      if (first) {
        first = false;
        if (line == kHeader || line == kOldHeader) continue;
        Report("missing the line \"Windows Registry Editor Version 5.00\"");
      }
      if (line.front() == '[') {
        Section(line);
        continue;
      }
      Value(line);
    }
  }

 private:
  // A line not understood is reported and kept where it was, so that the
  // next write of the file does not lose it.
  void Warn(const std::string& message) {
    Report(message);
    Keep();
  }
  void Report(const std::string& message) const { warn_(file_name_ + ":" + std::to_string(line_number_) + ": " + message); }
  void Keep() { (key_ != nullptr ? key_->kept : loose_).emplace_back(raw_); }

  void Section(std::string_view line) {
    key_ = nullptr;
    skip_reported_ = false;
    if (line.back() != ']') {
      Warn("a key line must end with ']'");
      return;
    }
    std::string_view path = line.substr(1, line.size() - 2);
    const bool remove = !path.empty() && path.front() == '-';
    if (remove) path.remove_prefix(1);
    const std::string ansi = Utf8ToCp1252(path);
    std::vector<std::string> names;
    if (!SplitKeyPath(ansi, names) || names.empty()) {
      Warn("bad key name");
      return;
    }
    RegKey* root = nullptr;
    if (EqualsIgnoreCase1252(names[0], "HKEY_CURRENT_USER") || EqualsIgnoreCase1252(names[0], "HKCU")) {
      root = &current_user_;
    } else if (EqualsIgnoreCase1252(names[0], "HKEY_CLASSES_ROOT") || EqualsIgnoreCase1252(names[0], "HKCR")) {
      root = &classes_root_;
    } else {
      Warn("unknown root key \"" + std::string(path.substr(0, path.find('\\'))) + "\"");
      return;
    }
    if (remove) {
      RegKey* parent = root;
      for (std::size_t i = 1; parent != nullptr && i + 1 < names.size(); ++i) parent = parent->Find(names[i]);
      if (parent == nullptr) return;
      if (names.size() == 1) {
        root->subkeys.clear();
        root->values.clear();
      } else {
        parent->subkeys.erase(names.back());
      }
      return;
    }
    key_ = root;
    for (std::size_t i = 1; i < names.size(); ++i) key_ = &key_->Child(names[i]);
  }

  // Reads a quoted string at the front of `s` (escapes \\ and \"); advances `s`.
  std::optional<std::string> QuotedString(std::string_view& s) {
    if (s.empty() || s.front() != '"') return std::nullopt;
    std::string out;
    for (std::size_t i = 1; i < s.size(); ++i) {
      if (s[i] == '"') {
        s.remove_prefix(i + 1);
        return Utf8ToCp1252(out);
      }
      if (s[i] == '\\') {
        if (i + 1 == s.size() || (s[i + 1] != '\\' && s[i + 1] != '"')) return std::nullopt;
        ++i;
      }
      out += s[i];
    }
    return std::nullopt;
  }

  static std::optional<std::string> HexBytes(std::string_view s) {
    std::string out;
    s = Trim(s);
    if (s.empty()) return out;
    while (true) {
      std::string_view item = s.substr(0, s.find(','));
      const bool last = item.size() == s.size();
      item = Trim(item);
      if (item.empty() && last) return out;  // a trailing comma
      if (item.empty() || item.size() > 2) return std::nullopt;
      unsigned value = 0;
      for (char c : item) {
        const int digit = HexDigit(c);
        if (digit < 0) return std::nullopt;
        value = value * 16 + static_cast<unsigned>(digit);
      }
      out += static_cast<char>(value);
      if (out.size() > RegistryStore::kMaxValueBytes * 2) return std::nullopt;
      if (last) return out;
      s.remove_prefix(s.find(',') + 1);
    }
  }

  static int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  }

  static std::optional<DWORD> HexNumber(std::string_view s) {
    if (s.empty() || s.size() > 8) return std::nullopt;
    DWORD value = 0;
    for (char c : s) {
      const int digit = HexDigit(c);
      if (digit < 0) return std::nullopt;
      value = value * 16 + static_cast<DWORD>(digit);
    }
    return value;
  }

  void Value(std::string_view line) {
    if (key_ == nullptr) {
      if (!skip_reported_) Report("value outside a usable key, kept as it is");
      skip_reported_ = true;
      Keep();
      return;
    }
    std::string name;
    if (line.front() == '@') {
      line.remove_prefix(1);
    } else if (auto quoted = QuotedString(line); quoted && !HasControlCharacter(*quoted)) {
      name = std::move(*quoted);
    } else {
      Warn("bad value name (a quoted name with \\\\ and \\\" escapes, or @)");
      return;
    }
    line = Trim(line);
    if (line.empty() || line.front() != '=') {
      Warn("expected '=' after the value name");
      return;
    }
    line = Trim(line.substr(1));

    RegValue value;
    value.name = std::move(name);
    if (line == "-") {
      std::erase_if(key_->values, [&](const RegValue& v) { return EqualsIgnoreCase1252(v.name, value.name); });
      return;
    }
    if (!line.empty() && line.front() == '"') {
      auto text = QuotedString(line);
      if (!text || !Trim(line).empty()) {
        Warn("bad string value (only \\\\ and \\\" are escapes)");
        return;
      }
      value.type = REG_SZ;
      value.data = std::move(*text);
      value.data += '\0';
    } else if (line.starts_with("dword:")) {
      auto number = HexNumber(line.substr(6));
      if (!number) {
        Warn("bad dword value (1 to 8 hex digits)");
        return;
      }
      value.type = REG_DWORD;
      for (int i = 0; i < 4; ++i) value.data += static_cast<char>((*number >> (8 * i)) & 0xFF);
    } else if (line.starts_with("hex:")) {
      auto bytes = HexBytes(line.substr(4));
      if (!bytes) {
        Warn("bad hex value");
        return;
      }
      value.type = REG_BINARY;
      value.data = std::move(*bytes);
    } else {
      Warn("unknown value type");
      return;
    }
    if (value.data.size() > RegistryStore::kMaxValueBytes) {
      Warn("value too large, skipped");
      return;
    }
    if (RegValue* old = key_->FindValue(value.name)) {
      old->type = value.type;
      old->data = std::move(value.data);
    } else {
      key_->values.push_back(std::move(value));
    }
  }

  RegKey& classes_root_;
  RegKey& current_user_;
  std::vector<std::string>& loose_;
  const std::string& file_name_;
  const RegistryWarningSink& warn_;
  RegKey* key_ = nullptr;
  bool skip_reported_ = false;
  std::string_view raw_;  // the line being read, as it stands in the file
  std::size_t line_number_ = 0;
};

// Serialises writers of one store file across processes: the lock file,
// held for the change, waited for up to kLockTimeout.
bool TakeLock(LockedFile& lock, const fs::path& path) {
  const auto deadline = std::chrono::steady_clock::now() + kLockTimeout;
  OpenStatus status = lock.Open(path.native());
  for (auto now = std::chrono::steady_clock::now(); status == OpenStatus::kBusy && now < deadline;
       now = std::chrono::steady_clock::now()) {
    status = lock.RetryAfterRelease(std::chrono::duration_cast<std::chrono::microseconds>(deadline - now));
  }
  return lock.IsOpen();
}

}  // namespace

class RegistryStore::Impl {
 public:
  Impl(std::optional<fs::path> file, RegistryWarningSink warn) : file_(std::move(file)), warn_(std::move(warn)) {
    if (!warn_) warn_ = [](const std::string& message) { std::fprintf(stderr, "zvemul: %s\n", message.c_str()); };
    classes_root_.name = "HKEY_CLASSES_ROOT";
    current_user_.name = "HKEY_CURRENT_USER";
    if (file_) Load();
  }

  std::mutex mutex;

  // Re-reads the file when it changed since it was last read or written.
  void Refresh() {
    if (file_ && StampOf(*file_) != stamp_) Load();
  }

  RegKey* Root(HKEY key) {
    if (key == HKEY_CLASSES_ROOT) return &classes_root_;
    if (key == HKEY_CURRENT_USER) return &current_user_;
    return nullptr;
  }

  // The key behind a handle, with the access it was opened with.
  LSTATUS Resolve(HKEY key, RegKey** result, REGSAM* access = nullptr) {
    if (RegKey* root = Root(key)) {
      *result = root;
      if (access) *access = KEY_ALL_ACCESS;
      return ERROR_SUCCESS;
    }
    auto it = handles_.find(key);
    if (it == handles_.end()) return ERROR_INVALID_HANDLE;
    RegKey* k = Root(it->second.root);
    for (const auto& name : it->second.path) {
      k = k->Find(name);
      if (k == nullptr) return ERROR_KEY_DELETED;
    }
    *result = k;
    if (access) *access = it->second.access;
    return ERROR_SUCCESS;
  }

  HKEY NewHandle(HKEY parent, const std::vector<std::string>& names, REGSAM access) {
    OpenHandle handle;
    if (Root(parent) != nullptr) {
      handle.root = parent;
    } else {
      const OpenHandle& base = handles_.at(parent);
      handle.root = base.root;
      handle.path = base.path;
    }
    handle.path.insert(handle.path.end(), names.begin(), names.end());
    handle.access = access;
    const HKEY id = next_handle_++;
    handles_.emplace(id, std::move(handle));
    return id;
  }

  bool CloseHandle(HKEY key) { return handles_.erase(key) == 1; }

  // Names below the root of an open key.
  std::size_t Depth(HKEY key) const {
    auto it = handles_.find(key);
    return it == handles_.end() ? 0 : it->second.path.size();
  }

  // Runs one change under the file lock, on the file's latest content, and
  // writes the file when the change was made; between BeginChanges() and
  // EndChanges() the lock is already held and the file is written at the end.
  template <typename Change>
  LSTATUS Mutate(Change change) {
    if (!file_) {
      bool changed = false;
      return change(changed);
    }
    if (changes_depth_ > 0) {
      if (!changes_lock_.IsOpen()) return ERROR_LOCK_VIOLATION;
      if (!writable_) return ERROR_ACCESS_DENIED;
      bool changed = false;
      const LSTATUS status = change(changed);
      changes_made_ = changes_made_ || changed;
      return status;
    }
    LockedFile lock;
    if (!Lock(lock)) return ERROR_LOCK_VIOLATION;
    if (!writable_) return ERROR_ACCESS_DENIED;
    bool changed = false;
    const LSTATUS status = change(changed);
    if (status != ERROR_SUCCESS || !changed) return status;
    return Write();
  }

  void BeginChanges() {
    if (changes_depth_++ > 0 || !file_) return;
    changes_made_ = false;
    Lock(changes_lock_);
  }

  LSTATUS EndChanges() {
    if (changes_depth_ == 0 || --changes_depth_ > 0 || !file_) return ERROR_SUCCESS;
    const LSTATUS status = changes_made_ && changes_lock_.IsOpen() ? Write() : ERROR_SUCCESS;
    changes_lock_.Close();
    changes_made_ = false;
    return status;
  }

  std::string Export() const {
    std::string out(kHeader);
    out += "\n\n";
    for (const auto& line : loose_lines_) out.append(line).append("\n");
    if (!loose_lines_.empty()) out += '\n';
    std::string path = classes_root_.name;
    AppendKey(out, classes_root_, path, true);
    path = current_user_.name;
    AppendKey(out, current_user_, path, true);
    return out;
  }

 private:
  struct OpenHandle {
    HKEY root = HKEY_CURRENT_USER;
    std::vector<std::string> path;
    REGSAM access = KEY_READ;
  };

  // Takes the lock file and brings the store up to the file's content. A
  // writer killed before its rename left its temporary file: nobody else
  // can be writing one while the lock is held, so any found goes.
  bool Lock(LockedFile& lock) {
    std::error_code ec;
    fs::create_directories(file_->parent_path(), ec);
    if (!TakeLock(lock, file_->native() + ".lock")) return false;
    RemoveStaleReplacements(*file_);
    Refresh();
    return true;
  }

  LSTATUS Write() {
    const std::string text = Export();
    if (text.size() > kMaxFileBytes || !ReplaceNativeFile(*file_, text)) {
      Load();  // back to what the file holds
      return ERROR_CANTWRITE;
    }
    stamp_ = StampOf(*file_);
    return ERROR_SUCCESS;
  }

  void Load() {
    classes_root_.subkeys.clear();
    classes_root_.values.clear();
    current_user_.subkeys.clear();
    current_user_.values.clear();
    classes_root_.kept.clear();
    current_user_.kept.clear();
    loose_lines_.clear();
    stamp_ = StampOf(*file_);
    writable_ = true;
    if (!stamp_.exists) return;
    const std::string name = file_->filename().native();
    auto text = ReadNativeFile(*file_, kMaxFileBytes);
    if (!text) {
      // Never write over a file that could not be read whole.
      warn_(name + ": cannot be read or is larger than " + std::to_string(kMaxFileBytes >> 20) +
            " MB; the registry is empty and read-only");
      writable_ = false;
      return;
    }
    std::string_view view = *text;
    if (view.starts_with("\xEF\xBB\xBF")) view.remove_prefix(3);
    Parser(classes_root_, current_user_, loose_lines_, name, warn_).Parse(view);
  }

  std::optional<fs::path> file_;
  RegistryWarningSink warn_;
  RegKey classes_root_;
  RegKey current_user_;
  std::vector<std::string> loose_lines_;  // kept lines outside any usable key
  std::map<HKEY, OpenHandle> handles_;
  HKEY next_handle_ = 1;
  FileStamp stamp_;
  bool writable_ = true;
  int changes_depth_ = 0;  // BeginChanges() not yet ended
  LockedFile changes_lock_;
  bool changes_made_ = false;
};

RegistryStore::RegistryStore() : impl_(std::make_unique<Impl>(std::nullopt, RegistryWarningSink{})) {}

RegistryStore::RegistryStore(fs::path file, RegistryWarningSink warn)
    : impl_(std::make_unique<Impl>(std::move(file), std::move(warn))) {}

RegistryStore::~RegistryStore() = default;

void RegistryStore::BeginChanges() {
  std::lock_guard lock(impl_->mutex);
  impl_->BeginChanges();
}

LSTATUS RegistryStore::EndChanges() {
  std::lock_guard lock(impl_->mutex);
  return impl_->EndChanges();
}

fs::path RegistryStore::DefaultPath() { return ConfigHome() / "zvemul" / "registry.reg"; }

LSTATUS RegistryStore::OpenKey(HKEY parent, std::string_view sub_key, REGSAM access, HKEY* result) {
  if (result == nullptr) return ERROR_INVALID_PARAMETER;
  *result = 0;
  std::lock_guard lock(impl_->mutex);
  impl_->Refresh();
  RegKey* key = nullptr;
  if (LSTATUS status = impl_->Resolve(parent, &key); status != ERROR_SUCCESS) return status;
  std::vector<std::string> names;
  if (!SplitKeyPath(sub_key, names)) return ERROR_INVALID_PARAMETER;
  for (const auto& name : names) {
    key = key->Find(name);
    if (key == nullptr) return ERROR_FILE_NOT_FOUND;
  }
  *result = impl_->NewHandle(parent, names, access);
  return ERROR_SUCCESS;
}

LSTATUS RegistryStore::CreateKey(HKEY parent, std::string_view sub_key, REGSAM access, HKEY* result,
                                 DWORD* disposition) {
  if (result == nullptr) return ERROR_INVALID_PARAMETER;
  *result = 0;
  std::vector<std::string> names;
  if (!SplitKeyPath(sub_key, names)) return ERROR_INVALID_PARAMETER;
  std::lock_guard lock(impl_->mutex);
  // Deeper keys could be written but never read back from the file.
  if (impl_->Depth(parent) + names.size() >= kMaxKeyDepth) return ERROR_INVALID_PARAMETER;
  bool created = false;
  const LSTATUS status = impl_->Mutate([&](bool& changed) {
    RegKey* key = nullptr;
    REGSAM parent_access = 0;
    if (LSTATUS s = impl_->Resolve(parent, &key, &parent_access); s != ERROR_SUCCESS) return s;
    for (const auto& name : names) {
      if (RegKey* child = key->Find(name)) {
        key = child;
        continue;
      }
      if ((parent_access & KEY_CREATE_SUB_KEY) == 0) return ERROR_ACCESS_DENIED;
      key = &key->Child(name);
      created = changed = true;
    }
    return ERROR_SUCCESS;
  });
  if (status != ERROR_SUCCESS) return status;
  if (disposition) *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
  *result = impl_->NewHandle(parent, names, access);
  return ERROR_SUCCESS;
}

LSTATUS RegistryStore::CloseKey(HKEY key) {
  std::lock_guard lock(impl_->mutex);
  if (impl_->Root(key) != nullptr) return ERROR_SUCCESS;
  return impl_->CloseHandle(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

LSTATUS RegistryStore::QueryValue(HKEY key, std::string_view name, DWORD* type, BYTE* data, DWORD* size) {
  if (data != nullptr && size == nullptr) return ERROR_INVALID_PARAMETER;
  std::lock_guard lock(impl_->mutex);
  impl_->Refresh();
  RegKey* k = nullptr;
  REGSAM access = 0;
  if (LSTATUS status = impl_->Resolve(key, &k, &access); status != ERROR_SUCCESS) return status;
  if ((access & KEY_QUERY_VALUE) == 0) return ERROR_ACCESS_DENIED;
  const RegValue* value = k->FindValue(name);
  if (value == nullptr) return ERROR_FILE_NOT_FOUND;
  if (type) *type = value->type;
  const auto needed = static_cast<DWORD>(value->data.size());
  if (data != nullptr && *size < needed) {
    *size = needed;
    return ERROR_MORE_DATA;
  }
  if (data != nullptr) std::memcpy(data, value->data.data(), needed);
  if (size) *size = needed;
  return ERROR_SUCCESS;
}

LSTATUS RegistryStore::SetValue(HKEY key, std::string_view name, DWORD type, const BYTE* data, DWORD size) {
  if ((data == nullptr && size != 0) || size > kMaxValueBytes || name.size() > kMaxValueNameLength ||
      HasControlCharacter(name)) {
    return ERROR_INVALID_PARAMETER;
  }
  std::string bytes(reinterpret_cast<const char*>(data), size);
  // Only what the file's text can carry: a string of one line, a dword, bytes.
  if (type == REG_SZ) {
    if (!bytes.empty() && bytes.back() == '\0') bytes.pop_back();
    if (bytes.find_first_of(std::string_view("\0\r\n", 3)) != std::string::npos) return ERROR_INVALID_PARAMETER;
    bytes += '\0';
  } else if ((type != REG_DWORD || size != 4) && type != REG_BINARY) {
    return ERROR_INVALID_PARAMETER;
  }
  std::lock_guard lock(impl_->mutex);
  return impl_->Mutate([&](bool& changed) {
    RegKey* k = nullptr;
    REGSAM access = 0;
    if (LSTATUS s = impl_->Resolve(key, &k, &access); s != ERROR_SUCCESS) return s;
    if ((access & KEY_SET_VALUE) == 0) return ERROR_ACCESS_DENIED;
    if (RegValue* old = k->FindValue(name)) {
      old->type = type;
      old->data = std::move(bytes);
    } else {
      k->values.push_back(RegValue{std::string(name), type, std::move(bytes)});
    }
    changed = true;
    return ERROR_SUCCESS;
  });
}

LSTATUS RegistryStore::DeleteValue(HKEY key, std::string_view name) {
  std::lock_guard lock(impl_->mutex);
  return impl_->Mutate([&](bool& changed) {
    RegKey* k = nullptr;
    REGSAM access = 0;
    if (LSTATUS s = impl_->Resolve(key, &k, &access); s != ERROR_SUCCESS) return s;
    if ((access & KEY_SET_VALUE) == 0) return ERROR_ACCESS_DENIED;
    changed = std::erase_if(k->values, [&](const RegValue& v) { return EqualsIgnoreCase1252(v.name, name); }) > 0;
    return changed ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
  });
}

namespace {

template <typename Impl>
LSTATUS RemoveKey(Impl& impl, HKEY parent, std::string_view sub_key, bool whole_tree) {
  std::vector<std::string> names;
  if (!SplitKeyPath(sub_key, names)) return ERROR_INVALID_PARAMETER;
  return impl.Mutate([&](bool& changed) {
    RegKey* key = nullptr;
    if (LSTATUS s = impl.Resolve(parent, &key); s != ERROR_SUCCESS) return s;
    RegKey* holder = nullptr;
    for (const auto& name : names) {
      holder = key;
      key = key->Find(name);
      if (key == nullptr) return ERROR_FILE_NOT_FOUND;
    }
    if (!whole_tree && !key->subkeys.empty()) return ERROR_ACCESS_DENIED;
    if (holder == nullptr) {
      if (!whole_tree) return ERROR_ACCESS_DENIED;  // the key itself cannot go, only what it holds
      changed = !key->subkeys.empty() || !key->values.empty();
      key->subkeys.clear();
      key->values.clear();
      return ERROR_SUCCESS;
    }
    holder->subkeys.erase(names.back());
    changed = true;
    return ERROR_SUCCESS;
  });
}

}  // namespace

LSTATUS RegistryStore::DeleteKey(HKEY parent, std::string_view sub_key) {
  std::lock_guard lock(impl_->mutex);
  return RemoveKey(*impl_, parent, sub_key, false);
}

LSTATUS RegistryStore::DeleteTree(HKEY parent, std::string_view sub_key) {
  std::lock_guard lock(impl_->mutex);
  return RemoveKey(*impl_, parent, sub_key, true);
}

LSTATUS RegistryStore::EnumKey(HKEY key, DWORD index, std::string* name) {
  if (name == nullptr) return ERROR_INVALID_PARAMETER;
  std::lock_guard lock(impl_->mutex);
  impl_->Refresh();
  RegKey* k = nullptr;
  REGSAM access = 0;
  if (LSTATUS status = impl_->Resolve(key, &k, &access); status != ERROR_SUCCESS) return status;
  if ((access & KEY_ENUMERATE_SUB_KEYS) == 0) return ERROR_ACCESS_DENIED;
  if (index >= k->subkeys.size()) return ERROR_NO_MORE_ITEMS;
  *name = std::next(k->subkeys.begin(), index)->second->name;
  return ERROR_SUCCESS;
}

LSTATUS RegistryStore::EnumValue(HKEY key, DWORD index, std::string* name, DWORD* type, std::string* data) {
  std::lock_guard lock(impl_->mutex);
  impl_->Refresh();
  RegKey* k = nullptr;
  REGSAM access = 0;
  if (LSTATUS status = impl_->Resolve(key, &k, &access); status != ERROR_SUCCESS) return status;
  if ((access & KEY_QUERY_VALUE) == 0) return ERROR_ACCESS_DENIED;
  if (index >= k->values.size()) return ERROR_NO_MORE_ITEMS;
  const RegValue& value = k->values[index];
  if (name) *name = value.name;
  if (type) *type = value.type;
  if (data) *data = value.data;
  return ERROR_SUCCESS;
}

bool RegistryStore::KeyExists(HKEY root, std::string_view sub_key) {
  HKEY key = 0;
  if (OpenKey(root, sub_key, KEY_READ, &key) != ERROR_SUCCESS) return false;
  CloseKey(key);
  return true;
}

std::optional<DWORD> RegistryStore::GetDword(HKEY root, std::string_view sub_key, std::string_view name) {
  HKEY key = 0;
  if (OpenKey(root, sub_key, KEY_READ, &key) != ERROR_SUCCESS) return std::nullopt;
  DWORD type = 0;
  DWORD value = 0;
  DWORD size = sizeof value;
  const LSTATUS status = QueryValue(key, name, &type, reinterpret_cast<BYTE*>(&value), &size);
  CloseKey(key);
  if (status != ERROR_SUCCESS || type != REG_DWORD || size != sizeof value) return std::nullopt;
  return value;
}

std::optional<std::string> RegistryStore::GetString(HKEY root, std::string_view sub_key, std::string_view name) {
  HKEY key = 0;
  if (OpenKey(root, sub_key, KEY_READ, &key) != ERROR_SUCCESS) return std::nullopt;
  std::string data;
  DWORD type = 0;
  LSTATUS status = ERROR_MORE_DATA;
  while (status == ERROR_MORE_DATA) {
    auto size = static_cast<DWORD>(data.size());
    status = QueryValue(key, name, &type, reinterpret_cast<BYTE*>(data.data()), &size);
    data.resize(size);  // the value may change between the two calls
  }
  CloseKey(key);
  if (status != ERROR_SUCCESS || type != REG_SZ) return std::nullopt;
  data.resize(std::min(data.size(), data.find('\0')));
  return data;
}

LSTATUS RegistryStore::SetDword(HKEY root, std::string_view sub_key, std::string_view name, DWORD value) {
  HKEY key = 0;
  if (LSTATUS status = CreateKey(root, sub_key, KEY_WRITE, &key, nullptr); status != ERROR_SUCCESS) return status;
  BYTE bytes[4];
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<BYTE>((value >> (8 * i)) & 0xFF);
  const LSTATUS status = SetValue(key, name, REG_DWORD, bytes, sizeof bytes);
  CloseKey(key);
  return status;
}

LSTATUS RegistryStore::SetString(HKEY root, std::string_view sub_key, std::string_view name,
                                 std::string_view value) {
  HKEY key = 0;
  if (LSTATUS status = CreateKey(root, sub_key, KEY_WRITE, &key, nullptr); status != ERROR_SUCCESS) return status;
  std::string data(value);
  data += '\0';
  const LSTATUS status =
      SetValue(key, name, REG_SZ, reinterpret_cast<const BYTE*>(data.data()), static_cast<DWORD>(data.size()));
  CloseKey(key);
  return status;
}

std::string RegistryStore::Export() {
  std::lock_guard lock(impl_->mutex);
  impl_->Refresh();
  return impl_->Export();
}

// ---- The process's store and the desktop's functions ----------------------------------

namespace {

RegistryStore* g_current_store = nullptr;

std::string_view Name(const char* s) { return s == nullptr ? std::string_view() : std::string_view(s); }

}  // namespace

RegistryStore& CurrentRegistryStore() {
  if (g_current_store != nullptr) return *g_current_store;
  static RegistryStore default_store(RegistryStore::DefaultPath());
  return default_store;
}

void SetCurrentRegistryStore(RegistryStore* store) { g_current_store = store; }

LSTATUS RegOpenKeyEx(HKEY key, const char* sub_key, DWORD /*options*/, REGSAM access, HKEY* result) {
  return CurrentRegistryStore().OpenKey(key, Name(sub_key), access, result);
}

LSTATUS RegCreateKeyEx(HKEY key, const char* sub_key, DWORD /*reserved*/, char* /*class_name*/, DWORD /*options*/,
                       REGSAM access, const void* /*security*/, HKEY* result, DWORD* disposition) {
  return CurrentRegistryStore().CreateKey(key, Name(sub_key), access, result, disposition);
}

LSTATUS RegCloseKey(HKEY key) { return CurrentRegistryStore().CloseKey(key); }

LSTATUS RegQueryValueEx(HKEY key, const char* name, DWORD* /*reserved*/, DWORD* type, BYTE* data, DWORD* size) {
  return CurrentRegistryStore().QueryValue(key, Name(name), type, data, size);
}

LSTATUS RegSetValueEx(HKEY key, const char* name, DWORD /*reserved*/, DWORD type, const BYTE* data, DWORD size) {
  return CurrentRegistryStore().SetValue(key, Name(name), type, data, size);
}

LSTATUS RegDeleteValue(HKEY key, const char* name) { return CurrentRegistryStore().DeleteValue(key, Name(name)); }

LSTATUS RegDeleteKey(HKEY key, const char* sub_key) {
  return CurrentRegistryStore().DeleteKey(key, Name(sub_key));
}

LSTATUS RegDeleteTree(HKEY key, const char* sub_key) {
  return CurrentRegistryStore().DeleteTree(key, Name(sub_key));
}

LSTATUS RegEnumKeyEx(HKEY key, DWORD index, char* name, DWORD* name_size, DWORD* /*reserved*/, char* /*class_name*/,
                     DWORD* /*class_size*/, void* /*last_write_time*/) {
  if (name == nullptr || name_size == nullptr) return ERROR_INVALID_PARAMETER;
  std::string text;
  if (LSTATUS status = CurrentRegistryStore().EnumKey(key, index, &text); status != ERROR_SUCCESS) return status;
  if (text.size() >= *name_size) return ERROR_MORE_DATA;
  std::memcpy(name, text.c_str(), text.size() + 1);
  *name_size = static_cast<DWORD>(text.size());
  return ERROR_SUCCESS;
}

LSTATUS RegEnumValue(HKEY key, DWORD index, char* name, DWORD* name_size, DWORD* /*reserved*/, DWORD* type, BYTE* data,
                     DWORD* data_size) {
  if (name == nullptr || name_size == nullptr || (data != nullptr && data_size == nullptr)) {
    return ERROR_INVALID_PARAMETER;
  }
  std::string text;
  std::string bytes;
  if (LSTATUS status = CurrentRegistryStore().EnumValue(key, index, &text, type, &bytes); status != ERROR_SUCCESS) {
    return status;
  }
  if (text.size() >= *name_size) return ERROR_MORE_DATA;
  if (data != nullptr && *data_size < bytes.size()) {
    *data_size = static_cast<DWORD>(bytes.size());
    return ERROR_MORE_DATA;
  }
  std::memcpy(name, text.c_str(), text.size() + 1);
  *name_size = static_cast<DWORD>(text.size());
  if (data != nullptr) std::memcpy(data, bytes.data(), bytes.size());
  if (data_size != nullptr) *data_size = static_cast<DWORD>(bytes.size());
  return ERROR_SUCCESS;
}

}  // namespace zv::platform
