// The automation surface as a container sees it: names, ids, parameters,
// events, the type library, and the members whose subsystems are absent.
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

#include "tests/control/control_fixture.h"

namespace zv::testing {
namespace {

class AutomationSurfaceTest : public ControlTest {};

// The dispatch table as a container binds to it (each member's id, kind,
// result and parameters, then the events), followed by the type library
// made from it. The golden file is tests/control/data/automation_surface.txt;
// with ZV_UPDATE_GOLDEN set the test writes what the control gives instead.
std::string DescribeSurface(IZVEmulControl& control) {
  const platform::DispatchTable& table = control.Automation();
  std::ostringstream out;
  const auto params = [&](const std::vector<platform::ParamInfo>& list) {
    std::string text;
    for (const auto& p : list) {
      text += (text.empty() ? "" : ", ") + std::string(platform::AutoTypeName(p.type)) + " " + p.name;
    }
    return text;
  };
  for (const platform::MemberInfo* m : table.Members()) {
    out << m->id << (m->is_property ? " property " : " method ") << platform::AutoTypeName(m->type) << ' ' << m->name
        << '(' << params(m->params) << ") typelib " << (m->typelib_id ? std::to_string(*m->typelib_id) : "none")
        << '\n';
  }
  for (const platform::EventInfo* e : table.Events()) {
    out << e->id << " event " << e->name << '(' << params(e->params) << ")\n";
  }
  out << '\n' << RenderTypeLibrary(DescribeTypeLibrary(control));
  return out.str();
}

TEST_F(AutomationSurfaceTest, TableAndTypeLibraryMatchTheGoldenFile) {
  Construct();
  const std::string path = ZV_TEST_DATA_DIR "/automation_surface.txt";
  const std::string surface = DescribeSurface(*control.Get());
  if (std::getenv("ZV_UPDATE_GOLDEN") != nullptr) std::ofstream(path, std::ios::binary | std::ios::trunc) << surface;
  std::ifstream in(path, std::ios::binary);
  EXPECT_EQ(surface, std::string(std::istreambuf_iterator<char>(in), {}));

  // Names are looked up without regard to case.
  const platform::DispatchTable& table = control->Automation();
  EXPECT_EQ(table.IdOfName("createsessionqueue"), 32);
  EXPECT_EQ(table.EventByName("inputreflect")->id, 2);
  EXPECT_FALSE(table.IdOfName("Refresh").has_value());
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
