// The automation surface as a container sees it: names, ids, parameters,
// events, the type library, and the members whose subsystems are absent.
#include <map>

#include "tests/control/control_fixture.h"

namespace zv::testing {
namespace {

using platform::AutoType;

class AutomationSurfaceTest : public ControlTest {};

const std::map<std::string, platform::DISPID> kPropertyIds = {
    {"PersistDir", 1}, {"CurrentWindow", 2}, {"DefaultFont", 3}, {"TWA", 4},
    {"MHA", 5},        {"InsertMode", 6},    {"WindowCount", 7}, {"DefaultFontSize", 8},
    {"Color", 34},     {"ResponseMode", 35}, {"MacroKey", 36},
};

const std::map<std::string, platform::DISPID> kMethodIds = {
    {"HostEntry", 9},
    {"ClearScreen", 10},
    {"ScreenInput", 11},
    {"SendKey", 12},
    {"GetOfficeDir", 13},
    {"GetPersonalDir", 14},
    {"DataSourceResponse", 15},
    {"Resize", 16},
    {"PrintSetUp", 17},
    {"ReadScreen", 18},
    {"HideWindow", 19},
    {"SetCommText", 20},
    {"SetScriptText", 21},
    {"GetCurrentHWND", 22},
    {"OpenWindow", 23},
    {"SetScriptStatusText", 24},
    {"InitKeyboardMapping", 25},
    {"GetKeyboardCode", 26},
    {"GetKeyboardName", 27},
    {"LoadKeyboardMapping", 28},
    {"GetCurrentKeyboardName", 29},
    {"CurrentMappingLoaded", 30},
    {"GetCurrentKeyboardCode", 31},
    {"CreateSessionQueue", 32},
    {"RenameWindow", 33},
    {"AboutBox", -552},
};

TEST_F(AutomationSurfaceTest, NameLookUpAnswersTheIdsOfTheTable) {
  Construct();
  const platform::DispatchTable& table = control->Automation();
  EXPECT_EQ(table.Members().size(), kPropertyIds.size() + kMethodIds.size());
  for (const auto& [name, id] : kPropertyIds) {
    EXPECT_EQ(table.IdOfName(name), id) << name;
    EXPECT_TRUE(table.Member(id)->is_property) << name;
  }
  for (const auto& [name, id] : kMethodIds) {
    EXPECT_EQ(table.IdOfName(name), id) << name;
    EXPECT_FALSE(table.Member(id)->is_property) << name;
  }
  EXPECT_EQ(table.IdOfName("createsessionqueue"), 32);
  EXPECT_EQ(table.IdOfName("RENAMEWINDOW"), 33);
  EXPECT_FALSE(table.IdOfName("Refresh").has_value());

  const std::vector<std::string> events = {"HostResponse", "InputReflect", "DriveMacro", "DataSourceInput",
                                           "USMGRequest"};
  ASSERT_EQ(table.Events().size(), events.size());
  for (std::size_t i = 0; i < events.size(); ++i) {
    EXPECT_EQ(table.EventByName(events[i])->id, static_cast<platform::DISPID>(i + 1));
  }
}

TEST_F(AutomationSurfaceTest, ParametersCarryThePublishedNamesAndTypes) {
  Construct();
  const platform::DispatchTable& table = control->Automation();
  const auto params = [&](platform::DISPID id) {
    std::vector<std::pair<std::string, AutoType>> out;
    for (const auto& p : table.Member(id)->params) out.emplace_back(p.name, p.type);
    return out;
  };
  using V = std::vector<std::pair<std::string, AutoType>>;
  EXPECT_EQ(params(12), (V{{"Window", AutoType::kShort},
                           {"Key", AutoType::kShort},
                           {"Flags", AutoType::kShort},
                           {"Repeat", AutoType::kShort}}));
  EXPECT_EQ(params(19),
            (V{{"Window", AutoType::kShort}, {"ClearData", AutoType::kBool}, {"Minimize", AutoType::kBool}}));
  EXPECT_EQ(params(24), (V{{"szNewString", AutoType::kBstr}}));
  EXPECT_EQ(params(27), (V{{"KeyboardLayoutCode", AutoType::kBstr}}));
  EXPECT_EQ(params(33), (V{{"sWindow", AutoType::kShort}, {"bstrName", AutoType::kBstr}}));
  EXPECT_EQ(params(34), (V{{"Window", AutoType::kShort}, {"Attribute", AutoType::kShort}}));
  EXPECT_EQ(params(36), (V{{"keystroke", AutoType::kBstr}}));
  EXPECT_EQ(table.Member(34)->type, AutoType::kColor);
  EXPECT_EQ(table.Member(15)->type, AutoType::kShort);
  EXPECT_EQ(table.Member(22)->type, AutoType::kLong);
  EXPECT_EQ(table.Member(9)->type, AutoType::kBool);

  const platform::EventInfo* reflect = table.EventByName("InputReflect");
  ASSERT_EQ(reflect->params.size(), 5u);
  EXPECT_EQ(reflect->params[2].name, "Char");
  EXPECT_EQ(reflect->params[3].type, AutoType::kBstr);
  EXPECT_EQ(table.EventByName("DriveMacro")->params[0].name, "MacroFile");
  EXPECT_TRUE(table.EventByName("USMGRequest")->params.empty());
}

TEST_F(AutomationSurfaceTest, TheTypeLibraryNumbersTwoMethodsOtherwiseAndOmitsOne) {
  Construct();
  const TypeLibraryDescription description = DescribeTypeLibrary(*control.Get());
  EXPECT_EQ(description.library.library, "ZVEMULLib");
  EXPECT_EQ(description.library.dispatch_interface, "_DZVEmul");
  EXPECT_EQ(description.library.event_interface, "_DZVEmulEvents");
  EXPECT_EQ(description.library.coclass, "ZVEmul");
  EXPECT_EQ(description.library.help_file, "ZVEmul.hlp");
  EXPECT_EQ(description.library.major_version, 1);
  EXPECT_EQ(description.library.minor_version, 3);
  std::map<std::string, platform::DISPID> listed;
  for (const auto& m : description.methods) listed[m.name] = m.id;
  for (const auto& p : description.properties) listed[p.name] = p.id;
  EXPECT_EQ(listed.size(), 36u);
  EXPECT_EQ(listed["CreateSessionQueue"], 40);
  EXPECT_EQ(listed["RenameWindow"], 41);
  EXPECT_EQ(listed.count("GetCurrentKeyboardCode"), 0u);
  EXPECT_EQ(listed["Color"], 34);
  EXPECT_EQ(description.properties.size(), 8u);  // the indexed ones are listed as methods
  EXPECT_EQ(description.events.size(), 5u);

  const std::string odl = RenderTypeLibrary(description);
  for (const char* line :
       {"library ZVEMULLib", "version(1.3)", "helpfile(\"ZVEmul.hlp\")", "dispinterface _DZVEmul\n",
        "[id(1)] BSTR PersistDir;", "[id(40)] void CreateSessionQueue(short nSessions, BSTR szSessionMappings);",
        "[id(41)] void RenameWindow(short sWindow, BSTR bstrName);",
        "[id(34), propput] void Color(short Window, short Attribute, OLE_COLOR newValue);",
        "[id(9)] boolean HostEntry(short Window, BSTR Data);", "[id(DISPID_ABOUTBOX)] void AboutBox();",
        "[id(2)] void InputReflect(short Window, short Type, short Char, BSTR Data, short Flags);", "coclass ZVEmul",
        "[default, source] dispinterface _DZVEmulEvents;"}) {
    EXPECT_NE(odl.find(line), std::string::npos) << line;
  }
  EXPECT_EQ(odl.find("GetCurrentKeyboardCode"), std::string::npos);
  EXPECT_EQ(odl.find("id(32)"), std::string::npos);
}

TEST_F(AutomationSurfaceTest, ArgumentsAreCheckedAndConverted) {
  Create();
  EXPECT_EQ(Call("HostEntry", {S(1)}).hresult, DISP_E_BADPARAMCOUNT);
  EXPECT_EQ(Call("HostEntry", {T("one"), T("X")}).hresult, DISP_E_TYPEMISMATCH);
  // A number given as text, as script languages do.
  EXPECT_EQ(Call("HostEntry", {T("1"), T("ABC")}).value, B(TRUE));
  EXPECT_EQ(events.Inputs(), std::vector<std::string>{"ABC"});
  // Text crosses as Unicode and is held in Windows-1252.
  Call("SetCommText", {Variant::String(u"Z\u00FCrich \u20AC")});
  EXPECT_EQ(control->View().status_bar.parts[1], "Z\xFCrich \x80");
  // Native folders, opened as handed out, each made at construction.
  const std::string persist = platform::LogicPath(home.dir.path()) + "/Application Data/ZELVANTA/";
  EXPECT_EQ(Get("PersistDir").value.string(), platform::Cp1252ToUtf16(persist));
  EXPECT_EQ(CallText("GetPersonalDir"), persist + "Personal Macros/");
  EXPECT_EQ(CallText("GetOfficeDir"), persist + "Office Macros/");
  EXPECT_TRUE(std::filesystem::is_directory(CallText("GetOfficeDir")));
  EXPECT_TRUE(Put("PersistDir", T("elsewhere")).ok());
  EXPECT_NE(platform::Utf16ToCp1252(Get("PersistDir").value.string()), "elsewhere");
}

TEST_F(AutomationSurfaceTest, MembersWithoutTheirSubsystemAnswerTheirFailureValues) {
  Create();
  // No keyboard-mapping component is registered: each method logs its
  // failure (the wrapper's too), and only InitKeyboardMapping says TRUE.
  EXPECT_EQ(Call("InitKeyboardMapping").value, B(TRUE));
  EXPECT_EQ(Call("LoadKeyboardMapping", {T("/tmp/de.kbm")}).value, B(FALSE));
  EXPECT_EQ(CallText("GetKeyboardName", {T("00000409")}), "");
  EXPECT_EQ(CallText("CurrentMappingLoaded"), "");
  EXPECT_EQ(CallText("GetCurrentKeyboardCode"), "");
  EXPECT_EQ(control->View().status_bar.parts[4], "");
  const std::string no_object = "Error in Initializing Keyboard Mapping Object @ ";
  EXPECT_EQ(Logged(), (std::vector<std::string>{
                          no_object + "CZVEmulCtrl::InitKeyboardMapping",
                          no_object + "CResRichEdit::Internal_LoadKeyboardMapping",
                          "Error in loading the mapping @ CZVEmulCtrl::LoadKeyboardMapping",
                          no_object + "CResRichEdit::Internal_GetKeyboardName",
                          "Error retrieving the keyboard name @ CZVEmulCtrl::GetKeyboardName",
                          no_object + "CResRichEdit::Internal_GetKeyboardCode",
                          "Error retrieving the keyboard layout code. @ CZVEmulCtrl::CurrentMappingLoaded",
                          "Error Retrieving Current Keyboard Code @ CResRichEdit::Internal_GetCurrentKeyboardCode",
                          "Error retrieving the Loaded short Keyboard name @ "
                          "CResRichEdit::Internal_GetCurrentKeyboardCode",
                      }));

  EXPECT_TRUE(Call("PrintSetUp").ok());
  EXPECT_TRUE(boxes->boxes().empty());
}

TEST_F(AutomationSurfaceTest, AboutBoxIsModalWithTheControlsName) {
  Create();
  EXPECT_TRUE(Call("AboutBox").ok());
  ASSERT_EQ(boxes->boxes().size(), 1u);
  EXPECT_EQ(boxes->boxes()[0].caption, "About ZVEmul");
  EXPECT_NE(boxes->boxes()[0].text.find("ZVEmul Control"), std::string::npos);
}

TEST_F(AutomationSurfaceTest, WindowsAreSwitchedOpenedAndRenamed) {
  Create();
  EXPECT_EQ(Call("OpenWindow", {S(4)}).value, S(4));
  EXPECT_EQ(control->View().frame_window[1], 4);
  EXPECT_EQ(control->View().frame_tabs[1].selected, 1);
  EXPECT_EQ(Call("OpenWindow", {S(11)}).value, S(-1));
  EXPECT_EQ(Call("OpenWindow", {S(-1)}).value, S(-1));
  // Window 0 is the next one; after the last one comes window 1.
  Put("CurrentWindow", S(10));
  EXPECT_EQ(Call("OpenWindow", {S(0)}).value, S(1));
  EXPECT_EQ(Get("CurrentWindow").value, S(1));
  EXPECT_EQ(Call("GetCurrentHWND").value, Variant::Long(static_cast<std::int32_t>(Hwnd(1))));

  Call("RenameWindow", {S(3), T("SABRE")});
  Call("RenameWindow", {S(0), T("NONE")});
  Call("RenameWindow", {S(4), T("")});
  Call("RenameWindow", {S(4), Variant::NullString()});
  const ControlView view = control->View();
  EXPECT_EQ(view.frame_tabs[0].captions[1], "SABRE");
  EXPECT_EQ(view.all_tabs.captions[2], "SABRE");
  EXPECT_EQ(view.frame_tabs[1].captions[1], "   ");
  EXPECT_EQ(view.all_tabs.captions[0], "   ");
}

}  // namespace
}  // namespace zv::testing
