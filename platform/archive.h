// The binary serialization archive of the desktop's application framework,
// byte for byte: the settings file and the records inside it are written
// and read through it.
//
// Integers are little-endian. A string is its length, then its 8-bit
// characters without terminator; the length is one byte below 0xFF, else
// 0xFF and a u16 below 0xFFFE, else 0xFF, 0xFFFF and a u32 (0xFFFE after
// 0xFF marks a UTF-16 string, which this program never writes and refuses
// to read). A count is a u16 below 0xFFFF, else 0xFFFF and a u32.
//
// Objects are preceded by a class tag: 0xFFFF for a class not yet seen in
// the archive, followed by its schema (u16), the name's length (u16) and
// the name; 0x8000 | index for a class seen before; a plain index (below
// 0x7FFF) for an object stored before; 0 for a null object; 0x7FFF followed
// by a u32 when an index does not fit in 15 bits. Classes and objects share
// the index sequence, counted from 1 in the order the archive meets them.
//
// Reading never trusts the input: every read is checked against what is
// left, and a bad length, tag, class or schema throws ArchiveException.
// This is the one failure the loading code catches as an exception.
#pragma once

#include <cstdint>
#include <exception>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/file_system.h"
#include "platform/win_types.h"

namespace zv::platform {

// Causes with the framework's numbering.
enum class ArchiveCause {
  kNone = 0,
  kGeneric = 1,
  kReadOnly = 2,   // writing to an archive that loads
  kEndOfFile = 3,  // the input ends inside a value, or a length runs past it
  kWriteOnly = 4,  // reading from an archive that stores
  kBadIndex = 5,   // a tag names an index the archive has not met
  kBadClass = 6,   // an unknown class name, or not the class expected
  kBadSchema = 7,  // a stored schema the class does not read
};

class ArchiveException : public std::exception {
 public:
  ArchiveException(ArchiveCause cause, std::string message);
  ArchiveCause cause() const { return cause_; }
  const char* what() const noexcept override { return message_.c_str(); }

 private:
  ArchiveCause cause_;
  std::string message_;
};

// A failure of a file or of a stream into or out of one, as the framework
// raises it: a generic cause with the error code of the operation.
class FileException : public std::exception {
 public:
  explicit FileException(LONG os_error);
  LONG os_error() const { return os_error_; }
  const char* what() const noexcept override { return message_.c_str(); }

 private:
  LONG os_error_;
  std::string message_;
};

class Archive;
class ArchiveObject;

// What the archive knows of a class: its stored name and schema, how to
// make an empty object for loading, and its base (for the kind check).
struct RuntimeClass {
  const char* name = "";
  WORD schema = 1;
  std::unique_ptr<ArchiveObject> (*create)() = nullptr;
  const RuntimeClass* base = nullptr;

  bool IsDerivedFrom(const RuntimeClass& other) const;
};

// Base of the objects stored with class tags.
class ArchiveObject {
 public:
  virtual ~ArchiveObject() = default;
  virtual const RuntimeClass& GetRuntimeClass() const = 0;
  virtual void Serialize(Archive& archive) = 0;
};

// The classes that can be read back by name. Classes register once, at
// start-up; registering a name again replaces the earlier class.
void RegisterArchiveClass(const RuntimeClass& runtime_class);
const RuntimeClass* FindArchiveClass(std::string_view name);

// Registers a class when a static instance of it is constructed.
struct ArchiveClassRegistrar {
  explicit ArchiveClassRegistrar(const RuntimeClass& runtime_class) { RegisterArchiveClass(runtime_class); }
};

class Archive {
 public:
  // Limits of the file forms, so that a huge file is refused, not read.
  static constexpr std::size_t kDefaultMaxFileBytes = 64u << 20;
  // The framework refuses class names of 64 characters or more.
  static constexpr std::size_t kMaxClassNameLength = 63;

  // An archive that stores into an empty buffer.
  Archive();
  // An archive that loads from `bytes`.
  explicit Archive(std::string bytes);
  // An archive that loads the whole file; nothing when it cannot be read.
  static std::optional<Archive> LoadFile(std::string_view path, std::size_t max_bytes = kDefaultMaxFileBytes);

  Archive(Archive&&) noexcept;
  Archive& operator=(Archive&&) noexcept;
  ~Archive();

  bool IsLoading() const { return loading_; }
  bool IsStoring() const { return !loading_; }

  // Storing: what has been written. Loading: the whole input.
  const std::string& Buffer() const { return buffer_; }
  // Loading: bytes not read yet.
  std::size_t Remaining() const { return buffer_.size() - position_; }
  // Storing: writes the buffer to the file.
  bool StoreToFile(std::string_view path, FileWriteMode mode) const;

  void WriteU8(std::uint8_t v);
  void WriteU16(std::uint16_t v);
  void WriteU32(std::uint32_t v);
  void WriteU64(std::uint64_t v);
  void WriteI16(std::int16_t v) { WriteU16(static_cast<std::uint16_t>(v)); }
  void WriteI32(std::int32_t v) { WriteU32(static_cast<std::uint32_t>(v)); }
  void WriteDouble(double v);
  void WriteBytes(std::string_view bytes);
  void WriteString(std::string_view text);
  void WriteCount(std::uint64_t count);

  std::uint8_t ReadU8();
  std::uint16_t ReadU16();
  std::uint32_t ReadU32();
  std::uint64_t ReadU64();
  std::int16_t ReadI16() { return static_cast<std::int16_t>(ReadU16()); }
  std::int32_t ReadI32() { return static_cast<std::int32_t>(ReadU32()); }
  double ReadDouble();
  std::string ReadBytes(std::size_t count);
  std::string ReadString();
  // Only a number: callers must not reserve space by it.
  std::uint64_t ReadCount();

  // Class tag, then the object's Serialize; null writes the null tag. An
  // object written before is written as a reference to it.
  void WriteObject(ArchiveObject* object);
  // Reads a class tag and the object. `expected` (optional) is the class
  // the object must be of or derive from. A reference to an object read
  // before gives that same object; the null tag gives null.
  std::shared_ptr<ArchiveObject> ReadObject(const RuntimeClass* expected);

  template <typename T>
  std::shared_ptr<T> ReadObjectOf() {
    return std::static_pointer_cast<T>(ReadObject(&T::kRuntimeClass));
  }

  // The class tag alone, as objects are preceded by.
  void WriteClass(const RuntimeClass& runtime_class);
  const RuntimeClass& ReadClass(const RuntimeClass* expected);

  // Framework-style shorthands.
  Archive& operator<<(BYTE v) { return WriteU8(v), *this; }
  Archive& operator<<(WORD v) { return WriteU16(v), *this; }
  Archive& operator<<(SHORT v) { return WriteI16(v), *this; }
  Archive& operator<<(DWORD v) { return WriteU32(v), *this; }
  Archive& operator<<(LONG v) { return WriteI32(v), *this; }
  Archive& operator<<(double v) { return WriteDouble(v), *this; }
  Archive& operator<<(std::string_view v) { return WriteString(v), *this; }
  Archive& operator>>(BYTE& v) { return v = ReadU8(), *this; }
  Archive& operator>>(WORD& v) { return v = ReadU16(), *this; }
  Archive& operator>>(SHORT& v) { return v = ReadI16(), *this; }
  Archive& operator>>(DWORD& v) { return v = ReadU32(), *this; }
  Archive& operator>>(LONG& v) { return v = ReadI32(), *this; }
  Archive& operator>>(double& v) { return v = ReadDouble(), *this; }
  Archive& operator>>(std::string& v) { return v = ReadString(), *this; }

 private:
  // A tag's meaning on loading: the class or object met at that index.
  using Loaded = std::variant<const RuntimeClass*, std::shared_ptr<ArchiveObject>>;

  void RequireStoring() const;
  const char* Take(std::size_t count);
  [[noreturn]] void Fail(ArchiveCause cause, const std::string& what) const;
  void WriteIndexTag(std::uint32_t index, bool is_class);
  const RuntimeClass& ReadNewClass(const RuntimeClass* expected);
  // Reads a tag: a class (new or known), or an object index (null when 0).
  const RuntimeClass* ReadTag(const RuntimeClass* expected, std::uint32_t* object_index);

  bool loading_;
  std::string buffer_;
  std::size_t position_ = 0;
  std::uint32_t next_index_ = 1;
  std::map<const RuntimeClass*, std::uint32_t> stored_classes_;
  std::map<const ArchiveObject*, std::uint32_t> stored_objects_;
  std::vector<Loaded> loaded_;  // index 0 is the null object
};

}  // namespace zv::platform
