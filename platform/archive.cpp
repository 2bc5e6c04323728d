#include "platform/archive.h"

#include <cstring>
#include <mutex>

#include "platform/code_page.h"

namespace zv::platform {
namespace {

constexpr std::uint16_t kNullTag = 0;
constexpr std::uint16_t kNewClassTag = 0xFFFF;
constexpr std::uint16_t kClassTag = 0x8000;
constexpr std::uint16_t kBigObjectTag = 0x7FFF;
constexpr std::uint32_t kBigClassTag = 0x80000000;
constexpr std::uint32_t kMaxMapCount = 0x3FFFFFFE;

struct ClassTable {
  std::mutex mutex;
  std::map<std::string, const RuntimeClass*, std::less<>> by_name;
};

ClassTable& Classes() {
  static ClassTable table;
  return table;
}

}  // namespace

ArchiveException::ArchiveException(ArchiveCause cause, std::string message)
    : cause_(cause), message_(std::move(message)) {}

FileException::FileException(LONG os_error)
    : os_error_(os_error), message_("file error " + std::to_string(os_error)) {}

bool RuntimeClass::IsDerivedFrom(const RuntimeClass& other) const {
  for (const RuntimeClass* c = this; c != nullptr; c = c->base) {
    if (c == &other) return true;
  }
  return false;
}

void RegisterArchiveClass(const RuntimeClass& runtime_class) {
  ClassTable& table = Classes();
  std::lock_guard lock(table.mutex);
  table.by_name[runtime_class.name] = &runtime_class;
}

const RuntimeClass* FindArchiveClass(std::string_view name) {
  ClassTable& table = Classes();
  std::lock_guard lock(table.mutex);
  auto it = table.by_name.find(name);
  return it == table.by_name.end() ? nullptr : it->second;
}

Archive::Archive() : loading_(false) {}

Archive::Archive(std::string bytes) : loading_(true), buffer_(std::move(bytes)) { loaded_.emplace_back(std::shared_ptr<ArchiveObject>()); }

Archive::Archive(Archive&&) noexcept = default;
Archive& Archive::operator=(Archive&&) noexcept = default;
Archive::~Archive() = default;

std::optional<Archive> Archive::LoadFile(std::string_view path, std::size_t max_bytes) {
  auto bytes = ReadWholeFile(path, max_bytes);
  if (!bytes) return std::nullopt;
  return Archive(std::move(*bytes));
}

bool Archive::StoreToFile(std::string_view path, FileWriteMode mode) const {
  return IsStoring() && WriteWholeFile(path, buffer_, mode);
}

void Archive::Fail(ArchiveCause cause, const std::string& what) const {
  throw ArchiveException(cause, what + " (archive byte " + std::to_string(position_) + ")");
}

void Archive::RequireStoring() const {
  if (loading_) Fail(ArchiveCause::kReadOnly, "writing to an archive that loads");
}

const char* Archive::Take(std::size_t count) {
  if (!loading_) Fail(ArchiveCause::kWriteOnly, "reading from an archive that stores");
  if (count > Remaining()) {
    Fail(ArchiveCause::kEndOfFile,
         "unexpected end of archive: " + std::to_string(count) + " bytes wanted, " + std::to_string(Remaining()) +
             " left");
  }
  const char* p = buffer_.data() + position_;
  position_ += count;
  return p;
}

// ---- Numbers --------------------------------------------------------------------------

void Archive::WriteU8(std::uint8_t v) {
  RequireStoring();
  buffer_ += static_cast<char>(v);
}

void Archive::WriteU16(std::uint16_t v) {
  RequireStoring();
  buffer_ += static_cast<char>(v & 0xFF);
  buffer_ += static_cast<char>(v >> 8);
}

void Archive::WriteU32(std::uint32_t v) {
  WriteU16(static_cast<std::uint16_t>(v & 0xFFFF));
  WriteU16(static_cast<std::uint16_t>(v >> 16));
}

void Archive::WriteU64(std::uint64_t v) {
  WriteU32(static_cast<std::uint32_t>(v & 0xFFFFFFFFu));
  WriteU32(static_cast<std::uint32_t>(v >> 32));
}

void Archive::WriteDouble(double v) {
  std::uint64_t bits;
  static_assert(sizeof bits == sizeof v);
  std::memcpy(&bits, &v, sizeof bits);
  WriteU64(bits);
}

void Archive::WriteBytes(std::string_view bytes) {
  RequireStoring();
  buffer_ += bytes;
}

std::uint8_t Archive::ReadU8() { return static_cast<std::uint8_t>(*Take(1)); }

std::uint16_t Archive::ReadU16() {
  const auto* p = reinterpret_cast<const unsigned char*>(Take(2));
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t Archive::ReadU32() {
  const std::uint32_t low = ReadU16();
  return low | (static_cast<std::uint32_t>(ReadU16()) << 16);
}

std::uint64_t Archive::ReadU64() {
  const std::uint64_t low = ReadU32();
  return low | (static_cast<std::uint64_t>(ReadU32()) << 32);
}

double Archive::ReadDouble() {
  const std::uint64_t bits = ReadU64();
  double v;
  std::memcpy(&v, &bits, sizeof v);
  return v;
}

std::string Archive::ReadBytes(std::size_t count) { return std::string(Take(count), count); }

// ---- Strings and counts -------------------------------------------------------------

void Archive::WriteString(std::string_view text) {
  const std::uint64_t length = text.size();
  if (length < 0xFF) {
    WriteU8(static_cast<std::uint8_t>(length));
  } else {
    WriteU8(0xFF);
    if (length < 0xFFFE) {
      WriteU16(static_cast<std::uint16_t>(length));
    } else {
      WriteU16(0xFFFF);
      if (length >= 0xFFFFFFFF) Fail(ArchiveCause::kGeneric, "string too long for the archive");
      WriteU32(static_cast<std::uint32_t>(length));
    }
  }
  WriteBytes(text);
}

std::string Archive::ReadString() {
  std::uint64_t length = ReadU8();
  if (length == 0xFF) {
    length = ReadU16();
    if (length == 0xFFFE) Fail(ArchiveCause::kGeneric, "UTF-16 string in the archive");
    if (length == 0xFFFF) {
      length = ReadU32();
      if (length == 0xFFFFFFFF) length = ReadU64();
    }
  }
  // Checked before anything is allocated: a corrupt length costs nothing.
  if (length > Remaining()) {
    Fail(ArchiveCause::kEndOfFile,
         "string of " + std::to_string(length) + " bytes with " + std::to_string(Remaining()) + " left");
  }
  return ReadBytes(static_cast<std::size_t>(length));
}

void Archive::WriteCount(std::uint64_t count) {
  if (count < 0xFFFF) {
    WriteU16(static_cast<std::uint16_t>(count));
    return;
  }
  WriteU16(0xFFFF);
  if (count < 0xFFFFFFFF) {
    WriteU32(static_cast<std::uint32_t>(count));
  } else {
    WriteU32(0xFFFFFFFF);
    WriteU64(count);
  }
}

std::uint64_t Archive::ReadCount() {
  std::uint64_t count = ReadU16();
  if (count != 0xFFFF) return count;
  count = ReadU32();
  return count == 0xFFFFFFFF ? ReadU64() : count;
}

// ---- Classes and objects ------------------------------------------------------------

void Archive::WriteIndexTag(std::uint32_t index, bool is_class) {
  if (index < kBigObjectTag) {
    WriteU16(static_cast<std::uint16_t>(is_class ? (kClassTag | index) : index));
  } else {
    WriteU16(kBigObjectTag);
    WriteU32(is_class ? (kBigClassTag | index) : index);
  }
}

void Archive::WriteClass(const RuntimeClass& runtime_class) {
  RequireStoring();
  if (auto it = stored_classes_.find(&runtime_class); it != stored_classes_.end()) {
    WriteIndexTag(it->second, true);
    return;
  }
  if (next_index_ > kMaxMapCount) Fail(ArchiveCause::kGeneric, "too many classes and objects in one archive");
  const std::string_view name = runtime_class.name;
  WriteU16(kNewClassTag);
  WriteU16(runtime_class.schema);
  WriteU16(static_cast<std::uint16_t>(name.size()));
  WriteBytes(name);
  stored_classes_.emplace(&runtime_class, next_index_++);
}

void Archive::WriteObject(ArchiveObject* object) {
  RequireStoring();
  if (object == nullptr) {
    WriteU16(kNullTag);
    return;
  }
  if (auto it = stored_objects_.find(object); it != stored_objects_.end()) {
    WriteIndexTag(it->second, false);
    return;
  }
  WriteClass(object->GetRuntimeClass());
  if (next_index_ > kMaxMapCount) Fail(ArchiveCause::kGeneric, "too many classes and objects in one archive");
  stored_objects_.emplace(object, next_index_++);
  object->Serialize(*this);
}

const RuntimeClass& Archive::ReadNewClass(const RuntimeClass* expected) {
  const std::uint16_t schema = ReadU16();
  const std::uint16_t length = ReadU16();
  if (length > kMaxClassNameLength) Fail(ArchiveCause::kBadClass, "class name too long");
  const std::string name = ReadBytes(length);
  const RuntimeClass* runtime_class = expected != nullptr && name == expected->name ? expected : FindArchiveClass(name);
  if (runtime_class == nullptr) Fail(ArchiveCause::kBadClass, "unknown class \"" + Cp1252ToUtf8(name) + "\"");
  if (runtime_class->schema != schema) {
    Fail(ArchiveCause::kBadSchema, "class \"" + Cp1252ToUtf8(name) + "\" stored with schema " + std::to_string(schema));
  }
  loaded_.emplace_back(runtime_class);
  return *runtime_class;
}

const RuntimeClass* Archive::ReadTag(const RuntimeClass* expected, std::uint32_t* object_index) {
  const std::uint16_t tag = ReadU16();
  const RuntimeClass* runtime_class = nullptr;
  if (tag == kNewClassTag) {
    runtime_class = &ReadNewClass(expected);
  } else {
    const std::uint32_t full = tag == kBigObjectTag
                                   ? ReadU32()
                                   : (static_cast<std::uint32_t>(tag & kClassTag) << 16) | (tag & ~kClassTag);
    const std::uint32_t index = full & ~kBigClassTag;
    if (index >= loaded_.size()) Fail(ArchiveCause::kBadIndex, "tag for index " + std::to_string(index));
    if ((full & kBigClassTag) == 0) {
      *object_index = index;
      return nullptr;
    }
    const auto* known = std::get_if<const RuntimeClass*>(&loaded_[index]);
    if (known == nullptr || *known == nullptr) {
      Fail(ArchiveCause::kBadIndex, "class tag for index " + std::to_string(index) + ", which is no class");
    }
    runtime_class = *known;
  }
  if (expected != nullptr && !runtime_class->IsDerivedFrom(*expected)) {
    Fail(ArchiveCause::kBadClass,
         std::string("class \"") + runtime_class->name + "\" where \"" + expected->name + "\" was expected");
  }
  return runtime_class;
}

const RuntimeClass& Archive::ReadClass(const RuntimeClass* expected) {
  std::uint32_t object_index = 0;
  const RuntimeClass* runtime_class = ReadTag(expected, &object_index);
  if (runtime_class == nullptr) Fail(ArchiveCause::kBadIndex, "object tag where a class tag was expected");
  return *runtime_class;
}

std::shared_ptr<ArchiveObject> Archive::ReadObject(const RuntimeClass* expected) {
  std::uint32_t object_index = 0;
  const RuntimeClass* runtime_class = ReadTag(expected, &object_index);
  if (runtime_class == nullptr) {
    const auto* earlier = std::get_if<std::shared_ptr<ArchiveObject>>(&loaded_[object_index]);
    if (earlier == nullptr) {
      Fail(ArchiveCause::kBadIndex, "object tag for index " + std::to_string(object_index) + ", which is a class");
    }
    if (*earlier && expected != nullptr && !(*earlier)->GetRuntimeClass().IsDerivedFrom(*expected)) {
      Fail(ArchiveCause::kBadClass, "object of another class than expected");
    }
    return *earlier;
  }
  if (runtime_class->create == nullptr) {
    Fail(ArchiveCause::kBadClass, std::string("class \"") + runtime_class->name + "\" cannot be created");
  }
  std::shared_ptr<ArchiveObject> object = runtime_class->create();
  // Indexed before it reads itself, as references inside it count from here.
  loaded_.emplace_back(object);
  object->Serialize(*this);
  return object;
}

}  // namespace zv::platform
