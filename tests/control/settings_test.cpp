// The settings file at work: read when the control's window is made,
// written when it is destroyed, and what a damaged file does to a start.
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>

#include "control/settings_record.h"
#include "macros/macro_array.h"
#include "reswindow/input_recall.h"
#include "tests/control/control_fixture.h"

namespace zv::testing {
namespace {

namespace fs = std::filesystem;
using zv::testing::ReadText;
using zv::testing::WriteText;

class SettingsTest : public ControlTest {
 protected:
  fs::path Folder() const { return home.dir.path() / "Application Data" / "ZELVANTA"; }
  fs::path File() const { return Folder() / "ZVEMUL.DAT"; }
  void Restart() {
    control.Reset();
    boxes->Clear();
    Create();
  }
  // The file as the control would read it.
  struct OnDisk {
    CInputRecall history{50};
    CMacroArray macros;
    SettingsRecord record;
    explicit OnDisk(const fs::path& file) {
      record.history = &history;
      record.macros = &macros;
      platform::Archive ar(ReadText(file));
      SerializeSettings(ar, record, 0);
    }
  };
};

TEST_F(SettingsTest, WhatTheAgentSetIsThereAtTheNextStart) {
  Create();
  ASSERT_FALSE(fs::exists(File()));
  Put("Color", Variant::Color(0x00123456), {S(3), S(1)});
  Put("Color", Variant::Color(0x00ABCDEF), {S(10), S(4)});
  Put("DefaultFont", T("Lucida Console"));
  Put("DefaultFontSize", S(14));
  Put("MacroKey", T("PNR"), {T("Shift+P")});
  Put("MacroKey", T("QUEUE"), {T("Ctrl+Shift+Q")});
  EXPECT_TRUE(control->IsModified());
  HostEntry(1, "A10DECLHRJFK");
  Put("CurrentWindow", S(4));
  Call("Resize", {S(0)});
  Restart();

  EXPECT_EQ(Get("Color", {S(3), S(1)}).value.integer(), 0x00123456);
  EXPECT_EQ(Get("Color", {S(10), S(4)}).value.integer(), 0x00ABCDEF);
  EXPECT_EQ(Screen(3).BackgroundColor(), 0x00123456u);
  EXPECT_EQ(Get("DefaultFont").value.string(), u"Lucida Console");
  EXPECT_EQ(Get("DefaultFontSize").value, S(14));
  EXPECT_EQ(Get("MacroKey", {T("Shift+P")}).value.string(), u"PNR");
  EXPECT_EQ(control->View().layout, 1);
  EXPECT_EQ(control->View().current_window, 4);
  EXPECT_TRUE(boxes->boxes().empty());
  // The history comes back with F5, the macro key runs its macro.
  Press(VK_F5);
  EXPECT_EQ(Text(4), ">>A10DECLHRJFK");
  Press('P', {.shift = true});
  const auto macros = events.Named("DriveMacro");
  ASSERT_EQ(macros.size(), 1u);
  EXPECT_EQ(macros[0].Text(0), CallText("GetPersonalDir") + "PNR.zvm");
}

TEST_F(SettingsTest, AFirstStartWritesTheDefaultKeysAndAShorterRecordKeepsTheOldTail) {
  Create();
  control.Reset();
  OnDisk first(File());
  ASSERT_EQ(first.macros.GetSize(), 26);
  EXPECT_EQ(first.macros.GetAt(25).KeyName(), "Shift+Z");
  EXPECT_EQ(ReadText(File()).substr(0, 4), std::string("\x03\x00\x01\x00", 4));

  // A longer file from before: the record is written over its start.
  const std::string record = ReadText(File());
  const std::string tail(5000, 'T');
  WriteText(File(), record + tail);
  Create();
  EXPECT_TRUE(boxes->boxes().empty());
  Put("MacroKey", T("PNR"), {T("Shift+P")});
  control.Reset();
  const std::string after = ReadText(File());
  ASSERT_EQ(after.size(), record.size() + tail.size());
  EXPECT_EQ(after.substr(after.size() - 4000), std::string(4000, 'T'));
  EXPECT_EQ(OnDisk(File()).macros.Lookup("Shift+P"), "PNR");
  // No temporary file is left beside it.
  for (const auto& entry : fs::directory_iterator(Folder())) EXPECT_NE(entry.path().filename().native()[0], '.');
}

TEST_F(SettingsTest, DamagedFilesShowTheirMessagesAndNeverStopAStart) {
  Create();
  Put("DefaultFontSize", S(12));
  control.Reset();
  const std::string record = ReadText(File());
  const std::size_t history = 4 + 32 + 1 + static_cast<std::size_t>(record[36]);
  struct Case {
    const char* what;
    std::string bytes;
    std::vector<std::string> boxes;
  };
  const Case cases[] = {
      {"empty", "", {}},
      {"cut in the macro table", record.substr(0, history + 2 + 9),
       {"An error occurred during the loading of the local macro key mapping.",
        "An error occurred during the loading of the local font size.",
        "An error occurred during the loading of the local window colors. Default colors will be used.",
        "An error occurred during the loading of the local Screen Mode."}},
      {"a history of 65,535 entries announced", record.substr(0, history) + std::string("\xFF\xFF\xFF\xFF\xFF\x7F"), {}},
  };
  for (const Case& c : cases) {
    WriteText(File(), c.bytes);
    boxes->Clear();
    Create();
    EXPECT_EQ(BoxTexts(), c.boxes) << c.what;
    EXPECT_EQ(Text(1), ">") << c.what;
    EXPECT_EQ(control->View().layout, 2) << c.what;
    control.Reset();
  }

  // An enormous file is read no further than a record can reach, and what
  // lies beyond that is not carried over when the record is written.
  WriteText(File(), record);
  fs::resize_file(File(), 1ull << 34);
  Create();
  EXPECT_EQ(Get("DefaultFontSize").value, S(12));
  control.Reset();
  EXPECT_EQ(fs::file_size(File()), 4u << 20);
}

TEST_F(SettingsTest, ScreenFilesGoWhenTheFaceAskedForIsNotTheOneApplied) {
  for (bool installed : {false, true}) {
    if (installed) fonts->faces.push_back({"ZELVANTA Default"});
    fs::remove(File());
    Construct();
    for (int i = 0; i < 10; ++i) WriteText(Folder() / ("ZVEMUL" + std::to_string(i) + ".RTF"), "{\\rtf1}");
    control->LoadProperties(DefaultProperties());
    ASSERT_TRUE(control->CreateControlWindow(&container, kControlRect));
    for (int i = 0; i < 10; ++i)
      EXPECT_EQ(fs::exists(Folder() / ("ZVEMUL" + std::to_string(i) + ".RTF")), installed) << i;
    control.Reset();
  }
}

TEST_F(SettingsTest, TheDumperPrintsAFileAndNamesWhatIsDamaged) {
  const std::string tool = ZV_BINARY_DIR "/apps/zvemul-settings/zvemul-settings";
  if (!fs::exists(tool)) GTEST_SKIP() << "zvemul-settings is not built";
  Create();
  Put("MacroKey", T("PNR"), {T("Shift+P")});
  control.Reset();
  const auto run = [&](const fs::path& file) {
    std::string output;
    FILE* pipe = ::popen((tool + " '" + file.native() + "' 2>&1").c_str(), "r");
    char buffer[4096];
    while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) output.append(buffer, n);
    const int status = ::pclose(pipe);
    return std::make_pair(WEXITSTATUS(status), output);
  };
  const auto [whole_status, whole] = run(File());
  EXPECT_EQ(whole_status, 0);
  EXPECT_NE(whole.find("version      0x00010003"), std::string::npos) << whole;
  EXPECT_NE(whole.find("\"Shift+P\" -> \"PNR\""), std::string::npos) << whole;
  EXPECT_NE(whole.find("layout       2 (two frames)"), std::string::npos) << whole;

  const std::string record = ReadText(File());
  WriteText(Folder() / "cut.dat", record.substr(0, 4 + 32 + 1 + static_cast<std::size_t>(record[36]) + 2 + 9));
  const auto [cut_status, cut] = run(Folder() / "cut.dat");
  EXPECT_EQ(cut_status, 1);
  EXPECT_NE(cut.find("macro keys: unexpected end of archive"), std::string::npos) << cut;
  EXPECT_NE(cut.find("the control shows: \"An error occurred during the loading of the local macro key mapping.\""),
            std::string::npos)
      << cut;
  EXPECT_EQ(run(Folder() / "missing.dat").first, 2);
}

}  // namespace
}  // namespace zv::testing
