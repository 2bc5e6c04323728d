// Automation: variants, the description of a dispatch interface (members with
// their ids, parameter names and types), invocation by id with argument
// coercion, name look-up, and events delivered to sinks.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win_types.h"

namespace zv::platform {

using DISPID = LONG;
using OLE_COLOR = DWORD;
inline constexpr DISPID DISPID_ABOUTBOX = -552;
inline constexpr HRESULT DISP_E_OVERFLOW = static_cast<HRESULT>(0x8002000Au);
inline constexpr HRESULT DISP_E_PARAMNOTOPTIONAL = static_cast<HRESULT>(0x8002000Fu);

// The types that cross this control's automation surface.
enum class AutoType { kVoid, kShort, kLong, kBool, kBstr, kColor };
std::string_view AutoTypeName(AutoType type);  // "short", "long", "BOOL", "BSTR", "OLE_COLOR", "void"

class Variant {
 public:
  enum class Kind { kEmpty, kShort, kLong, kBool, kString, kColor };

  Variant() = default;
  static Variant Short(std::int16_t v) { return Variant(Kind::kShort, v); }
  static Variant Long(std::int32_t v) { return Variant(Kind::kLong, v); }
  static Variant Bool(BOOL v) { return Variant(Kind::kBool, v); }
  static Variant Color(OLE_COLOR v) { return Variant(Kind::kColor, static_cast<std::int32_t>(v)); }
  static Variant String(std::u16string v);
  static Variant NullString();

  Kind kind() const { return kind_; }
  bool empty() const { return kind_ == Kind::kEmpty; }
  // Numeric payload of the integer kinds (BOOL values are kept as given).
  std::int32_t integer() const { return integer_; }
  // String payload; a NULL string reads as empty.
  const std::u16string& string() const { return string_; }
  bool is_null_string() const { return kind_ == Kind::kString && null_string_; }

  // Coercions as the desktop's variant conversion does them: integers with a
  // range check, strings parsed as decimal numbers, numbers formatted as text.
  // Failure: DISP_E_TYPEMISMATCH, or DISP_E_OVERFLOW when out of range.
  HRESULT ToShort(std::int16_t& out) const;
  HRESULT ToLong(std::int32_t& out) const;
  HRESULT ToBool(BOOL& out) const;
  HRESULT ToColor(OLE_COLOR& out) const;
  HRESULT ToString(std::u16string& out) const;
  // Converts to the given type; kVoid gives an empty variant.
  HRESULT ConvertTo(AutoType type, Variant& out) const;

  friend bool operator==(const Variant&, const Variant&) = default;

 private:
  Variant(Kind kind, std::int32_t v) : kind_(kind), integer_(v) {}
  Kind kind_ = Kind::kEmpty;
  std::int32_t integer_ = 0;
  bool null_string_ = false;
  std::u16string string_;
};

// Thrown by a member implementation to answer an automation error with a
// description (e.g. CTL_E_INVALIDPROPERTYVALUE, "Parameter out of range.").
// It never leaves Invoke.
struct AutomationError {
  HRESULT hresult = E_FAIL;
  std::string description;
};

struct InvokeResult {
  HRESULT hresult = S_OK;
  Variant value;
  std::string description;  // set with a failing hresult
  bool ok() const { return SUCCEEDED(hresult); }
};

enum class InvokeKind { kMethod, kPropertyGet, kPropertyPut };

struct ParamInfo {
  std::string name;
  AutoType type = AutoType::kShort;
};

struct MemberInfo {
  DISPID id = 0;
  std::string name;
  bool is_property = false;
  AutoType type = AutoType::kVoid;  // result of a method, value of a property
  std::vector<ParamInfo> params;    // a property's index parameters
  // How the published type description numbers the member; nothing when it
  // is not listed there.
  std::optional<DISPID> typelib_id;
};

struct EventInfo {
  DISPID id = 0;
  std::string name;
  std::vector<ParamInfo> params;
};

struct TypeLibraryInfo {
  std::string library;           // e.g. "ZVEMULLib"
  std::string dispatch_interface;
  std::string event_interface;
  std::string coclass;
  std::string help_file;
  WORD major_version = 1;
  WORD minor_version = 0;
  std::string library_id;         // "{...}"
  std::string dispatch_id;
  std::string event_id;
  std::string class_id;
};

class EventSink {
 public:
  virtual ~EventSink() = default;
  virtual void OnEvent(const EventInfo& event, std::span<const Variant> args) = 0;
};

// Implementation of one member: receives the arguments already converted to
// the declared parameter types and, for a put, the value converted to the
// property's type as the last argument.
using MemberHandler = std::function<Variant(InvokeKind kind, std::span<const Variant> args)>;

// The dispatch interface of one object: its members and events, look-up by
// name (case-insensitive), invocation by id, and the event sinks.
class DispatchTable {
 public:
  void AddMethod(MemberInfo info, MemberHandler handler);
  // A property may have a getter, a putter, or both (handler sees the kind).
  void AddProperty(MemberInfo info, MemberHandler handler, bool gettable = true, bool puttable = true);
  void AddEvent(EventInfo info);

  std::optional<DISPID> IdOfName(std::string_view name) const;
  const MemberInfo* Member(DISPID id) const;
  const EventInfo* Event(DISPID id) const;
  const EventInfo* EventByName(std::string_view name) const;
  std::vector<const MemberInfo*> Members() const;  // in the order added
  std::vector<const EventInfo*> Events() const;
  bool CanGet(DISPID id) const;
  bool CanPut(DISPID id) const;

  // Checks the argument count, converts every argument to its declared type,
  // calls the handler and converts the result. Nothing thrown escapes: an
  // AutomationError becomes its hresult and description, anything else
  // E_UNEXPECTED.
  InvokeResult Invoke(DISPID id, InvokeKind kind, std::span<const Variant> args,
                      const Variant* put_value = nullptr) const;

  void Advise(EventSink* sink);
  void Unadvise(EventSink* sink);
  // Converts the arguments to the event's parameter types and calls every
  // sink in the order they were advised.
  void Fire(DISPID id, std::vector<Variant> args) const;

 private:
  struct Entry {
    MemberInfo info;
    MemberHandler handler;
    bool gettable = false;
    bool puttable = false;
  };
  std::vector<Entry> members_;
  std::vector<EventInfo> events_;
  std::vector<EventSink*> sinks_;
  const Entry* Find(DISPID id) const;
};

}  // namespace zv::platform
