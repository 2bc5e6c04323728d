#include "control/zvemul_dispatch.h"

#include <sstream>

#include "control/zvemul_ctl.h"
#include "platform/code_page.h"

namespace zv {
namespace {

using platform::AutoType;
using platform::DispatchTable;
using platform::DISPID;
using platform::EventInfo;
using platform::InvokeKind;
using platform::MemberHandler;
using platform::MemberInfo;
using platform::ParamInfo;
using platform::Variant;
using Args = std::span<const Variant>;

// Dispatch ids of the two methods the type library numbers otherwise.
constexpr DISPID kCreateSessionQueueId = 32;
constexpr DISPID kRenameWindowId = 33;
constexpr DISPID kCreateSessionQueueTypeLibId = 40;
constexpr DISPID kRenameWindowTypeLibId = 41;

// A string argument becomes the control's 8-bit text up to its first NUL, as
// a C string holds it.
std::string Text(const Variant& v) {
  const std::u16string& text = v.string();
  return platform::Utf16ToCp1252(std::u16string_view(text).substr(0, text.find(u'\0')));
}
short Short(const Variant& v) { return static_cast<short>(v.integer()); }
Variant Bstr(const std::string& text) { return Variant::String(platform::Cp1252ToUtf16(text)); }

ParamInfo P(const char* name, AutoType type) { return {name, type}; }

class Builder {
 public:
  explicit Builder(DispatchTable& table) : table_(table) {}

  void Property(DISPID id, const char* name, AutoType type, std::vector<ParamInfo> params, MemberHandler handler) {
    table_.AddProperty({id, name, true, type, std::move(params), id}, std::move(handler));
  }
  void Method(DISPID id, const char* name, AutoType type, std::vector<ParamInfo> params, MemberHandler handler,
              std::optional<DISPID> typelib_id) {
    table_.AddMethod({id, name, false, type, std::move(params), typelib_id}, std::move(handler));
  }
  void Method(DISPID id, const char* name, AutoType type, std::vector<ParamInfo> params, MemberHandler handler) {
    Method(id, name, type, std::move(params), std::move(handler), id);
  }

 private:
  DispatchTable& table_;
};

void AddProperties(Builder& b, CZVEmulCtrl& c) {
  const auto is_put = [](InvokeKind kind) { return kind == InvokeKind::kPropertyPut; };
  b.Property(1, "PersistDir", AutoType::kBstr, {}, [&c](InvokeKind, Args) { return Bstr(c.GetPersistDir()); });
  b.Property(2, "CurrentWindow", AutoType::kShort, {}, [&c, is_put](InvokeKind kind, Args a) {
    if (is_put(kind)) c.SetCurrentWindowProperty(Short(a[0]));
    return Variant::Short(c.GetCurrentWindowProperty());
  });
  b.Property(3, "DefaultFont", AutoType::kBstr, {}, [&c, is_put](InvokeKind kind, Args a) {
    if (is_put(kind)) c.SetDefaultFont(Text(a[0]));
    return Bstr(c.GetDefaultFont());
  });
  b.Property(4, "TWA", AutoType::kBool, {}, [&c, is_put](InvokeKind kind, Args a) {
    if (is_put(kind)) c.SetTWA(a[0].integer());
    return Variant::Bool(c.GetTWA());
  });
  b.Property(5, "MHA", AutoType::kBool, {}, [&c, is_put](InvokeKind kind, Args a) {
    if (is_put(kind)) c.SetMHA(a[0].integer());
    return Variant::Bool(c.GetMHA());
  });
  b.Property(6, "InsertMode", AutoType::kBool, {}, [&c, is_put](InvokeKind kind, Args a) {
    if (is_put(kind)) c.SetInsertMode(a[0].integer());
    return Variant::Bool(c.GetInsertMode());
  });
  b.Property(7, "WindowCount", AutoType::kShort, {}, [&c, is_put](InvokeKind kind, Args a) {
    if (is_put(kind)) c.SetWindowCount(Short(a[0]));
    return Variant::Short(c.GetWindowCount());
  });
  b.Property(8, "DefaultFontSize", AutoType::kShort, {}, [&c, is_put](InvokeKind kind, Args a) {
    if (is_put(kind)) c.SetDefaultFontSize(Short(a[0]));
    return Variant::Short(c.GetDefaultFontSize());
  });
  b.Property(34, "Color", AutoType::kColor, {P("Window", AutoType::kShort), P("Attribute", AutoType::kShort)},
             [&c, is_put](InvokeKind kind, Args a) {
               if (is_put(kind)) {
                 c.SetColor(Short(a[0]), Short(a[1]), static_cast<platform::OLE_COLOR>(a[2].integer()));
                 return Variant();
               }
               return Variant::Color(c.GetColor(Short(a[0]), Short(a[1])));
             });
  b.Property(35, "ResponseMode", AutoType::kShort, {P("Window", AutoType::kShort)},
             [&c, is_put](InvokeKind kind, Args a) {
               if (is_put(kind)) {
                 c.SetResponseMode(Short(a[0]), Short(a[1]));
                 return Variant();
               }
               return Variant::Short(c.GetResponseMode(Short(a[0])));
             });
  b.Property(36, "MacroKey", AutoType::kBstr, {P("keystroke", AutoType::kBstr)},
             [&c, is_put](InvokeKind kind, Args a) {
               if (is_put(kind)) {
                 c.SetMacroKey(Text(a[0]), Text(a[1]));
                 return Variant();
               }
               return Bstr(c.GetMacroKey(Text(a[0])));
             });
}

void AddMethods(Builder& b, CZVEmulCtrl& c) {
  b.Method(9, "HostEntry", AutoType::kBool, {P("Window", AutoType::kShort), P("Data", AutoType::kBstr)},
           [&c](InvokeKind, Args a) { return Variant::Bool(c.HostEntry(Short(a[0]), Text(a[1]))); });
  b.Method(10, "ClearScreen", AutoType::kVoid, {P("Window", AutoType::kShort)}, [&c](InvokeKind, Args a) {
    c.ClearScreen(Short(a[0]));
    return Variant();
  });
  b.Method(11, "ScreenInput", AutoType::kBool, {P("Window", AutoType::kShort), P("Data", AutoType::kBstr)},
           [&c](InvokeKind, Args a) { return Variant::Bool(c.ScreenInput(Short(a[0]), Text(a[1]))); });
  b.Method(12, "SendKey", AutoType::kBool,
           {P("Window", AutoType::kShort), P("Key", AutoType::kShort), P("Flags", AutoType::kShort),
            P("Repeat", AutoType::kShort)},
           [&c](InvokeKind, Args a) {
             return Variant::Bool(c.SendKey(Short(a[0]), Short(a[1]), Short(a[2]), Short(a[3])));
           });
  b.Method(13, "GetOfficeDir", AutoType::kBstr, {}, [&c](InvokeKind, Args) { return Bstr(c.GetOfficeDir()); });
  b.Method(14, "GetPersonalDir", AutoType::kBstr, {}, [&c](InvokeKind, Args) { return Bstr(c.GetPersonalDir()); });
  b.Method(15, "DataSourceResponse", AutoType::kShort, {P("Data", AutoType::kBstr)},
           [&c](InvokeKind, Args a) { return Variant::Short(c.DataSourceResponse(Text(a[0]))); });
  b.Method(16, "Resize", AutoType::kVoid, {P("nFrame", AutoType::kShort)}, [&c](InvokeKind, Args a) {
    c.Resize(Short(a[0]));
    return Variant();
  });
  b.Method(17, "PrintSetUp", AutoType::kVoid, {}, [&c](InvokeKind, Args) {
    c.PrintSetUp();
    return Variant();
  });
  b.Method(18, "ReadScreen", AutoType::kBstr, {}, [&c](InvokeKind, Args) { return Bstr(c.ReadScreen()); });
  b.Method(19, "HideWindow", AutoType::kVoid,
           {P("Window", AutoType::kShort), P("ClearData", AutoType::kBool), P("Minimize", AutoType::kBool)},
           [&c](InvokeKind, Args a) {
             c.HideWindow(Short(a[0]), a[1].integer(), a[2].integer());
             return Variant();
           });
  b.Method(20, "SetCommText", AutoType::kVoid, {P("szText", AutoType::kBstr)}, [&c](InvokeKind, Args a) {
    c.SetCommText(Text(a[0]));
    return Variant();
  });
  b.Method(21, "SetScriptText", AutoType::kVoid, {P("szText", AutoType::kBstr)}, [&c](InvokeKind, Args a) {
    c.SetScriptText(Text(a[0]));
    return Variant();
  });
  b.Method(22, "GetCurrentHWND", AutoType::kLong, {},
           [&c](InvokeKind, Args) { return Variant::Long(c.GetCurrentHWND()); });
  b.Method(23, "OpenWindow", AutoType::kShort, {P("Window", AutoType::kShort)},
           [&c](InvokeKind, Args a) { return Variant::Short(c.OpenWindow(Short(a[0]))); });
  b.Method(24, "SetScriptStatusText", AutoType::kVoid, {P("szNewString", AutoType::kBstr)}, [&c](InvokeKind, Args a) {
    c.SetScriptStatusText(Text(a[0]));
    return Variant();
  });
  b.Method(25, "InitKeyboardMapping", AutoType::kBool, {},
           [&c](InvokeKind, Args) { return Variant::Bool(c.InitKeyboardMapping()); });
  b.Method(26, "GetKeyboardCode", AutoType::kBstr, {}, [&c](InvokeKind, Args) { return Bstr(c.GetKeyboardCode()); });
  b.Method(27, "GetKeyboardName", AutoType::kBstr, {P("KeyboardLayoutCode", AutoType::kBstr)},
           [&c](InvokeKind, Args a) { return Bstr(c.GetKeyboardName(Text(a[0]))); });
  b.Method(28, "LoadKeyboardMapping", AutoType::kBool, {P("bstrMappingPath", AutoType::kBstr)},
           [&c](InvokeKind, Args a) { return Variant::Bool(c.LoadKeyboardMapping(Text(a[0]))); });
  b.Method(29, "GetCurrentKeyboardName", AutoType::kBstr, {},
           [&c](InvokeKind, Args) { return Bstr(c.GetCurrentKeyboardName()); });
  b.Method(30, "CurrentMappingLoaded", AutoType::kBstr, {},
           [&c](InvokeKind, Args) { return Bstr(c.CurrentMappingLoaded()); });
  b.Method(
      31, "GetCurrentKeyboardCode", AutoType::kBstr, {},
      [&c](InvokeKind, Args) { return Bstr(c.GetCurrentKeyboardCode()); }, std::nullopt);
  b.Method(
      kCreateSessionQueueId, "CreateSessionQueue", AutoType::kVoid,
      {P("nSessions", AutoType::kShort), P("szSessionMappings", AutoType::kBstr)},
      [&c](InvokeKind, Args a) {
        c.CreateSessionQueue(Short(a[0]), Text(a[1]));
        return Variant();
      },
      kCreateSessionQueueTypeLibId);
  b.Method(
      kRenameWindowId, "RenameWindow", AutoType::kVoid,
      {P("sWindow", AutoType::kShort), P("bstrName", AutoType::kBstr)},
      [&c](InvokeKind, Args a) {
        c.RenameWindow(Short(a[0]), a[1].is_null_string() ? std::nullopt : std::optional(Text(a[1])));
        return Variant();
      },
      kRenameWindowTypeLibId);
  b.Method(platform::DISPID_ABOUTBOX, "AboutBox", AutoType::kVoid, {}, [&c](InvokeKind, Args) {
    c.AboutBox();
    return Variant();
  });
}

void AddEvents(DispatchTable& table) {
  table.AddEvent({kEventHostResponse,
                  "HostResponse",
                  {P("Window", AutoType::kShort), P("Type", AutoType::kShort), P("Data", AutoType::kBstr)}});
  table.AddEvent({kEventInputReflect,
                  "InputReflect",
                  {P("Window", AutoType::kShort), P("Type", AutoType::kShort), P("Char", AutoType::kShort),
                   P("Data", AutoType::kBstr), P("Flags", AutoType::kShort)}});
  table.AddEvent({kEventDriveMacro, "DriveMacro", {P("MacroFile", AutoType::kBstr)}});
  table.AddEvent({kEventDataSourceInput, "DataSourceInput", {P("Data", AutoType::kBstr)}});
  table.AddEvent({kEventUSMGRequest, "USMGRequest", {}});
}

// ---- Type library source ----------------------------------------------------------------------------

std::string_view OdlType(AutoType type) {
  switch (type) {
    case AutoType::kVoid:
      return "void";
    case AutoType::kShort:
      return "short";
    case AutoType::kLong:
      return "long";
    case AutoType::kBool:
      return "boolean";
    case AutoType::kBstr:
      return "BSTR";
    case AutoType::kColor:
      return "OLE_COLOR";
  }
  return "void";
}

std::string OdlId(DISPID id) { return id == platform::DISPID_ABOUTBOX ? "DISPID_ABOUTBOX" : std::to_string(id); }

// "{...}" without the braces, as uuid() takes it.
std::string_view Uuid(std::string_view braced) {
  if (braced.size() >= 2 && braced.front() == '{' && braced.back() == '}') return braced.substr(1, braced.size() - 2);
  return braced;
}

std::string ParameterList(const std::vector<ParamInfo>& params, std::string_view extra = {}) {
  std::string out;
  for (const ParamInfo& p : params) {
    if (!out.empty()) out += ", ";
    out.append(OdlType(p.type)).append(" ").append(p.name);
  }
  if (!extra.empty()) {
    if (!out.empty()) out += ", ";
    out += extra;
  }
  return out;
}

}  // namespace

void BuildZVEmulDispatch(DispatchTable& table, CZVEmulCtrl& control) {
  Builder builder(table);
  AddProperties(builder, control);
  AddMethods(builder, control);
  AddEvents(table);
}

const platform::TypeLibraryInfo& ZVEmulTypeLibraryInfo() {
  static const platform::TypeLibraryInfo info = [] {
    platform::TypeLibraryInfo i;
    i.library = "ZVEMULLib";
    i.dispatch_interface = "_DZVEmul";
    i.event_interface = "_DZVEmulEvents";
    i.coclass = "ZVEmul";
    i.help_file = "ZVEmul.hlp";
    i.major_version = 1;
    i.minor_version = 3;
    i.library_id = platform::FormatGuid(LIBID_ZVEMULLib);
    i.dispatch_id = platform::FormatGuid(IID_DZVEmul);
    i.event_id = platform::FormatGuid(IID_DZVEmulEvents);
    i.class_id = platform::FormatGuid(CLSID_ZVEmulCtrl);
    return i;
  }();
  return info;
}

TypeLibraryDescription DescribeTypeLibrary(IZVEmulControl& control) {
  TypeLibraryDescription description;
  description.library = control.TypeLibrary();
  const DispatchTable& table = control.Automation();
  for (const MemberInfo* member : table.Members()) {
    if (!member->typelib_id) continue;
    MemberInfo listed = *member;
    listed.id = *member->typelib_id;
    (member->is_property && member->params.empty() ? description.properties : description.methods).push_back(listed);
  }
  for (const EventInfo* event : table.Events()) description.events.push_back(*event);
  return description;
}

std::string RenderTypeLibrary(const TypeLibraryDescription& d) {
  const platform::TypeLibraryInfo& lib = d.library;
  std::ostringstream out;
  out << "// Type library source of the ZVEmul control, made from its automation table.\n\n"
      << "#include <olectl.h>\n#include <idispids.h>\n\n"
      << "[ uuid(" << Uuid(lib.library_id) << "), version(" << lib.major_version << "." << lib.minor_version << "),\n"
      << "  helpfile(\"" << lib.help_file << "\"),\n"
      << "  helpstring(\"ZVEmul ActiveX Control module\"),\n"
      << "  control ]\n"
      << "library " << lib.library << "\n{\n"
      << "\timportlib(STDOLE_TLB);\n\timportlib(STDTYPE_TLB);\n\n"
      << "\t[ uuid(" << Uuid(lib.dispatch_id) << "),\n"
      << "\t  helpstring(\"Dispatch interface for ZVEmul Control\"), hidden ]\n"
      << "\tdispinterface " << lib.dispatch_interface << "\n\t{\n"
      << "\t\tproperties:\n";
  for (const MemberInfo& p : d.properties) {
    out << "\t\t\t[id(" << OdlId(p.id) << ")] " << OdlType(p.type) << " " << p.name << ";\n";
  }
  out << "\t\tmethods:\n";
  for (const MemberInfo& m : d.methods) {
    if (m.is_property) {
      out << "\t\t\t[id(" << OdlId(m.id) << "), propget] " << OdlType(m.type) << " " << m.name << "("
          << ParameterList(m.params) << ");\n";
      out << "\t\t\t[id(" << OdlId(m.id) << "), propput] void " << m.name << "("
          << ParameterList(m.params, std::string(OdlType(m.type)) + " newValue") << ");\n";
    } else {
      out << "\t\t\t[id(" << OdlId(m.id) << ")] " << OdlType(m.type) << " " << m.name << "(" << ParameterList(m.params)
          << ");\n";
    }
  }
  out << "\t};\n\n"
      << "\t[ uuid(" << Uuid(lib.event_id) << "),\n"
      << "\t  helpstring(\"Event interface for ZVEmul Control\") ]\n"
      << "\tdispinterface " << lib.event_interface << "\n\t{\n"
      << "\t\tproperties:\n\t\tmethods:\n";
  for (const EventInfo& e : d.events) {
    out << "\t\t\t[id(" << e.id << ")] void " << e.name << "(" << ParameterList(e.params) << ");\n";
  }
  out << "\t};\n\n"
      << "\t[ uuid(" << Uuid(lib.class_id) << "),\n"
      << "\t  helpstring(\"ZVEmul Control\"), control ]\n"
      << "\tcoclass " << lib.coclass << "\n\t{\n"
      << "\t\t[default] dispinterface " << lib.dispatch_interface << ";\n"
      << "\t\t[default, source] dispinterface " << lib.event_interface << ";\n"
      << "\t};\n};\n";
  return out.str();
}

}  // namespace zv
