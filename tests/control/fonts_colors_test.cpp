// Fonts and colours of the res windows through DefaultFont, DefaultFontSize
// and Color.
#include "tests/control/control_fixture.h"

namespace zv::testing {
namespace {

class FontsColorsTest : public ControlTest {
 protected:
  platform::CharFormat FormatAt(int window, LONG pos) { return Screen(window).FormatAt(pos); }
};

TEST_F(FontsColorsTest, DefaultsAreAppliedAtCreation) {
  Create();
  // "ZELVANTA Default" is not installed: the windows fall back to Courier New.
  EXPECT_EQ(Get("DefaultFont").value.string(), u"Courier New");
  EXPECT_EQ(Get("DefaultFontSize").value, S(10));
  const platform::CharFormat som = FormatAt(1, 0);
  EXPECT_EQ(som.face, "Courier New");
  EXPECT_EQ(som.height_twips, 200);
  EXPECT_EQ(som.color, 0x0000FFFFu);  // the SOM is input
  const std::vector<COLORREF> defaults = {0x00B20000, 0x0000FFFF, 0x00FFFFFF, 0x00FFFF00};
  for (int n = 1; n <= 10; ++n) {
    for (int a = 1; a <= 4; ++a)
      EXPECT_EQ(Get("Color", {S(n), S(a)}).value.integer(), static_cast<int>(defaults[a - 1]));
  }
}

TEST_F(FontsColorsTest, AFaceThatIsNotInstalledFallsBackToCourierNew) {
  Create();
  EXPECT_TRUE(Put("DefaultFont", T("Lucida Console")).ok());
  EXPECT_EQ(Get("DefaultFont").value.string(), u"Lucida Console");
  EXPECT_EQ(FormatAt(3, 0).face, "Lucida Console");
  EXPECT_TRUE(Put("DefaultFont", T("No Such Face")).ok());
  EXPECT_EQ(Get("DefaultFont").value.string(), u"Courier New");
  EXPECT_EQ(FormatAt(3, 0).face, "Courier New");
  EXPECT_TRUE(boxes->boxes().empty());

  EXPECT_TRUE(Put("DefaultFontSize", S(14)).ok());
  EXPECT_EQ(FormatAt(10, 0).height_twips, 280);
  EXPECT_EQ(Get("DefaultFontSize").value, S(14));
  EXPECT_TRUE(control->IsModified());
}

TEST_F(FontsColorsTest, WithoutTheFallbackFaceTheAgentIsToldAndCreationGoesOn) {
  fonts->faces.clear();
  Create();
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"No fonts are available for the res windows.\nPlease contact the "
                                                 "ZELVANTA Technical Support Center."});
  EXPECT_EQ(Get("DefaultFont").value.string(), u"Courier New");
  EXPECT_EQ(FormatAt(1, 0).height_twips, 200);
  EXPECT_EQ(Text(1), ">");
}

TEST_F(FontsColorsTest, AStoredSizeOutOfRangeIsReplacedAtCreation) {
  Construct();
  Put("DefaultFontSize", S(50));
  EXPECT_EQ(Get("DefaultFontSize").value, S(50));
  control->LoadProperties(DefaultProperties());
  ASSERT_TRUE(control->CreateControlWindow(&container, kControlRect));
  EXPECT_EQ(Get("DefaultFontSize").value, S(10));
  EXPECT_EQ(FormatAt(2, 0).height_twips, 200);
}

TEST_F(FontsColorsTest, ColoursAreStoredAppliedAndRangeChecked) {
  Create();
  EXPECT_TRUE(Put("Color", Variant::Color(0x00123456), {S(2), S(1)}).ok());
  EXPECT_EQ(Get("Color", {S(2), S(1)}).value.integer(), 0x00123456);
  EXPECT_EQ(control->View().windows[1].background, 0x00123456u);

  Put("Color", Variant::Color(0x00008000), {S(1), S(2)});
  ScreenInput(1, "ABC");
  EXPECT_EQ(FormatAt(1, 2).color, 0x00008000u);

  Put("Color", Variant::Color(0x00000080), {S(1), S(3)});
  HostEntry(1, "X");
  Respond("A\x01R");
  EXPECT_EQ(FormatAt(1, Screen(1).TextLength() - 1).color, 0x00000080u);

  // Attribute 4 is only kept.
  const std::string before = Text(4);
  Put("Color", Variant::Color(0x00ABCDEF), {S(4), S(4)});
  EXPECT_EQ(Get("Color", {S(4), S(4)}).value.integer(), 0x00ABCDEF);
  EXPECT_EQ(Text(4), before);

  const InvokeResult bad = Put("Color", Variant::Color(0x00FFFFFF), {S(11), S(1)});
  EXPECT_EQ(bad.hresult, CTL_E_INVALIDPROPERTYVALUE);
  EXPECT_EQ(bad.description, "Parameter out of range.");
  EXPECT_EQ(Put("Color", Variant::Color(0), {S(1), S(5)}).hresult, CTL_E_INVALIDPROPERTYVALUE);
  EXPECT_EQ(Get("Color", {S(11), S(1)}).value.integer(), 0);
  EXPECT_TRUE(Get("Color", {S(11), S(1)}).ok());
}

TEST_F(FontsColorsTest, ABackgroundNeverEqualsTheSelectionColour) {
  system->SetSysColor(COLOR_HIGHLIGHT, 0x00FF0000);
  Create();
  Put("Color", Variant::Color(0x00FF0000), {S(3), S(1)});
  EXPECT_EQ(Get("Color", {S(3), S(1)}).value.integer(), 0x00310000);
  // Text colours may equal it.
  Put("Color", Variant::Color(0x00FF0000), {S(3), S(2)});
  EXPECT_EQ(Get("Color", {S(3), S(2)}).value.integer(), 0x00FF0000);
}

}  // namespace
}  // namespace zv::testing
