#include "platform/automation.h"

#include <algorithm>
#include <charconv>
#include <limits>

#include "platform/catch_all.h"

namespace zv::platform {
namespace {

char16_t Lower(char16_t c) { return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c; }

bool EqualsNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Lower(x) == Lower(y); });
}

// Parses an optionally signed decimal integer surrounded by blanks.
std::optional<std::int64_t> ParseInteger(const std::u16string& s) {
  std::string narrow;
  for (char16_t c : s) {
    if (c > 0x7F) return std::nullopt;
    narrow.push_back(static_cast<char>(c));
  }
  auto first = narrow.find_first_not_of(" \t");
  auto last = narrow.find_last_not_of(" \t");
  if (first == std::string::npos) return std::nullopt;
  std::string_view body(narrow.data() + first, last - first + 1);
  if (!body.empty() && body.front() == '+') body.remove_prefix(1);
  std::int64_t value = 0;
  auto [ptr, ec] = std::from_chars(body.data(), body.data() + body.size(), value);
  if (ec != std::errc() || ptr != body.data() + body.size()) return std::nullopt;
  return value;
}

HRESULT IntegerOf(const Variant& v, std::int64_t& out) {
  switch (v.kind()) {
    case Variant::Kind::kShort:
    case Variant::Kind::kLong:
    case Variant::Kind::kBool:
      out = v.integer();
      return S_OK;
    case Variant::Kind::kColor:
      out = static_cast<std::uint32_t>(v.integer());
      return S_OK;
    case Variant::Kind::kString: {
      auto parsed = ParseInteger(v.string());
      if (!parsed) return DISP_E_TYPEMISMATCH;
      out = *parsed;
      return S_OK;
    }
    case Variant::Kind::kEmpty:
      out = 0;
      return S_OK;
  }
  return DISP_E_TYPEMISMATCH;
}

template <typename T>
HRESULT Narrow(const Variant& v, T& out) {
  std::int64_t wide = 0;
  if (HRESULT hr = IntegerOf(v, wide); FAILED(hr)) return hr;
  if (wide < std::numeric_limits<T>::min() || wide > std::numeric_limits<T>::max()) return DISP_E_OVERFLOW;
  out = static_cast<T>(wide);
  return S_OK;
}

}  // namespace

std::string_view AutoTypeName(AutoType type) {
  switch (type) {
    case AutoType::kVoid: return "void";
    case AutoType::kShort: return "short";
    case AutoType::kLong: return "long";
    case AutoType::kBool: return "BOOL";
    case AutoType::kBstr: return "BSTR";
    case AutoType::kColor: return "OLE_COLOR";
  }
  return "void";
}

Variant Variant::String(std::u16string v) {
  Variant r(Kind::kString, 0);
  r.string_ = std::move(v);
  return r;
}

Variant Variant::NullString() {
  Variant r(Kind::kString, 0);
  r.null_string_ = true;
  return r;
}

HRESULT Variant::ToShort(std::int16_t& out) const { return Narrow(*this, out); }
HRESULT Variant::ToLong(std::int32_t& out) const { return Narrow(*this, out); }

HRESULT Variant::ToBool(BOOL& out) const {
  if (kind_ == Kind::kString) {
    std::string ascii;
    for (char16_t c : string_) ascii.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    if (EqualsNoCase(ascii, "true")) {
      out = TRUE;
      return S_OK;
    }
    if (EqualsNoCase(ascii, "false")) {
      out = FALSE;
      return S_OK;
    }
  }
  return Narrow(*this, out);
}

HRESULT Variant::ToColor(OLE_COLOR& out) const {
  std::int64_t wide = 0;
  if (HRESULT hr = IntegerOf(*this, wide); FAILED(hr)) return hr;
  // Negative longs are the same 32 bits seen as signed.
  if (wide < std::numeric_limits<std::int32_t>::min() || wide > std::numeric_limits<std::uint32_t>::max()) {
    return DISP_E_OVERFLOW;
  }
  out = static_cast<OLE_COLOR>(static_cast<std::uint32_t>(wide));
  return S_OK;
}

HRESULT Variant::ToString(std::u16string& out) const {
  if (kind_ == Kind::kString) {
    out = string_;
    return S_OK;
  }
  if (kind_ == Kind::kEmpty) {
    out.clear();
    return S_OK;
  }
  std::int64_t wide = 0;
  IntegerOf(*this, wide);
  const std::string text = std::to_string(wide);
  out.assign(text.begin(), text.end());
  return S_OK;
}

HRESULT Variant::ConvertTo(AutoType type, Variant& out) const {
  HRESULT hr = S_OK;
  switch (type) {
    case AutoType::kVoid:
      out = Variant();
      return S_OK;
    case AutoType::kShort: {
      std::int16_t v = 0;
      hr = ToShort(v);
      out = Short(v);
      break;
    }
    case AutoType::kLong: {
      std::int32_t v = 0;
      hr = ToLong(v);
      out = Long(v);
      break;
    }
    case AutoType::kBool: {
      BOOL v = FALSE;
      hr = ToBool(v);
      out = Bool(v);
      break;
    }
    case AutoType::kColor: {
      OLE_COLOR v = 0;
      hr = ToColor(v);
      out = Color(v);
      break;
    }
    case AutoType::kBstr: {
      if (is_null_string()) {
        out = NullString();
        return S_OK;
      }
      std::u16string v;
      hr = ToString(v);
      out = String(std::move(v));
      break;
    }
  }
  return hr;
}

void DispatchTable::AddMethod(MemberInfo info, MemberHandler handler) {
  info.is_property = false;
  members_.push_back({std::move(info), std::move(handler), false, false});
}

void DispatchTable::AddProperty(MemberInfo info, MemberHandler handler, bool gettable, bool puttable) {
  info.is_property = true;
  members_.push_back({std::move(info), std::move(handler), gettable, puttable});
}

void DispatchTable::AddEvent(EventInfo info) { events_.push_back(std::move(info)); }

std::optional<DISPID> DispatchTable::IdOfName(std::string_view name) const {
  for (const Entry& e : members_) {
    if (EqualsNoCase(e.info.name, name)) return e.info.id;
  }
  return std::nullopt;
}

const DispatchTable::Entry* DispatchTable::Find(DISPID id) const {
  for (const Entry& e : members_) {
    if (e.info.id == id) return &e;
  }
  return nullptr;
}

const MemberInfo* DispatchTable::Member(DISPID id) const {
  const Entry* e = Find(id);
  return e ? &e->info : nullptr;
}

const EventInfo* DispatchTable::Event(DISPID id) const {
  for (const EventInfo& e : events_) {
    if (e.id == id) return &e;
  }
  return nullptr;
}

const EventInfo* DispatchTable::EventByName(std::string_view name) const {
  for (const EventInfo& e : events_) {
    if (EqualsNoCase(e.name, name)) return &e;
  }
  return nullptr;
}

std::vector<const MemberInfo*> DispatchTable::Members() const {
  std::vector<const MemberInfo*> out;
  for (const Entry& e : members_) out.push_back(&e.info);
  return out;
}

std::vector<const EventInfo*> DispatchTable::Events() const {
  std::vector<const EventInfo*> out;
  for (const EventInfo& e : events_) out.push_back(&e);
  return out;
}

bool DispatchTable::CanGet(DISPID id) const {
  const Entry* e = Find(id);
  return e && e->info.is_property && e->gettable;
}

bool DispatchTable::CanPut(DISPID id) const {
  const Entry* e = Find(id);
  return e && e->info.is_property && e->puttable;
}

InvokeResult DispatchTable::Invoke(DISPID id, InvokeKind kind, std::span<const Variant> args,
                                   const Variant* put_value) const {
  InvokeResult result;
  const Entry* e = Find(id);
  if (!e) {
    result.hresult = DISP_E_MEMBERNOTFOUND;
    return result;
  }
  const bool method_call = kind == InvokeKind::kMethod;
  if (method_call == e->info.is_property || (kind == InvokeKind::kPropertyGet && !e->gettable) ||
      (kind == InvokeKind::kPropertyPut && !e->puttable)) {
    result.hresult = DISP_E_MEMBERNOTFOUND;
    return result;
  }
  if (args.size() != e->info.params.size() || (kind == InvokeKind::kPropertyPut && put_value == nullptr)) {
    result.hresult = DISP_E_BADPARAMCOUNT;
    return result;
  }
  std::vector<Variant> converted(args.size());
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (HRESULT hr = args[i].ConvertTo(e->info.params[i].type, converted[i]); FAILED(hr)) {
      result.hresult = hr;
      return result;
    }
  }
  if (kind == InvokeKind::kPropertyPut) {
    Variant value;
    if (HRESULT hr = put_value->ConvertTo(e->info.type, value); FAILED(hr)) {
      result.hresult = hr;
      return result;
    }
    converted.push_back(std::move(value));
  }
  try {
    Variant value = e->handler(kind, converted);
    if (kind != InvokeKind::kPropertyPut) {
      HRESULT hr = value.ConvertTo(e->info.type, result.value);
      if (FAILED(hr)) result.hresult = hr;
    }
  } catch (const AutomationError& error) {
    result.hresult = error.hresult;
    result.description = error.description;
  } catch (...) {
    ReportCaughtException(CatchSite::Current());
    result.hresult = E_UNEXPECTED;
  }
  return result;
}

void DispatchTable::Advise(EventSink* sink) {
  if (sink && std::find(sinks_.begin(), sinks_.end(), sink) == sinks_.end()) sinks_.push_back(sink);
}

void DispatchTable::Unadvise(EventSink* sink) { std::erase(sinks_, sink); }

void DispatchTable::Fire(DISPID id, std::vector<Variant> args) const {
  const EventInfo* event = Event(id);
  if (!event) return;
  for (std::size_t i = 0; i < args.size() && i < event->params.size(); ++i) {
    Variant converted;
    if (SUCCEEDED(args[i].ConvertTo(event->params[i].type, converted))) args[i] = std::move(converted);
  }
  // A sink may unadvise itself while handling the event.
  const std::vector<EventSink*> sinks = sinks_;
  for (EventSink* sink : sinks) {
    try {
      sink->OnEvent(*event, args);
    } catch (...) {
      // A container's failure in its own handler must not unwind the control.
      ReportCaughtException(CatchSite::Current());
    }
  }
}

}  // namespace zv::platform
