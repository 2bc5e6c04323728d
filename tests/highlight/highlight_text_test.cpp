// A text turned into RTF by the rules: spans, lines, joins, colour clashes,
// bad and runaway expressions.
#include "tests/highlight/brimlux_fixture.h"

namespace zv::testing {
namespace {

using HighlightTextTest = BrimluxFixture;

const std::string kRedText = "fgcolor='{255,0,0}'";

TEST_F(HighlightTextTest, NothingToDoLeavesTheTextPlain) {
  Start(Rules(""));
  std::string text = "ABC";
  EXPECT_EQ(Engine().BrimluxText(TRUE, text), 1);
  EXPECT_EQ(text, "ABC");
  ASSERT_EQ(Parse(Rules(Rule("A", kRedText))), S_OK);
  text.clear();
  EXPECT_EQ(Engine().BrimluxText(TRUE, text), 1);
  EXPECT_EQ(text, "");
}

TEST_F(HighlightTextTest, MatchesTakeTheRuleFormatGroupOneAndEveryOccurrence) {
  Start(Rules(Rule("XYZ", kRedText) + Rule("(\\d+)KG", kRedText + " underline='yes'")));
  const platform::FormattedText t = Highlight("ABC XYZ\r\nXYZ BAG 23KG 5KG");
  EXPECT_EQ(t.text, "ABC XYZ\rXYZ BAG 23KG 5KG") << "no paragraph end after the last line";
  EXPECT_EQ(Colored(t, kRed), "....XYZ.XYZ.....23...5..");
  EXPECT_TRUE(At(t, 16).underline);
  EXPECT_FALSE(At(t, 18).underline);
  EXPECT_EQ(At(t, 0).color, kScreenText) << "the default format elsewhere";
}

TEST_F(HighlightTextTest, WrappedRowsKeepTheirPositions) {
  Start(Rules(Rule("ABCD", kRedText)));
  const std::string row = std::string(60, '-') + "ABCD";
  for (const std::string marker : {"\t\r", "\x0C"}) {
    const platform::FormattedText t = Highlight(row + marker + "ABCD\r\nABCD");
    const std::string dots(marker.size(), '.');
    EXPECT_EQ(Colored(t, kRed), std::string(60, '.') + "ABCD" + dots + "ABCD.ABCD") << int(marker[0]);
  }
}

TEST_F(HighlightTextTest, WholeLineFormatsAndPrecedence) {
  Start(Rules(Rule("WORD", kRedText + " underline='yes'") +
              Rule("LINE", "bgcolor='{0,255,0}' bgEntireLine='yes'")));
  const platform::FormattedText t = Highlight("A WORD LINE\r\nNEXT");
  for (std::size_t i = 0; i < 11; ++i) {
    EXPECT_FALSE(At(t, i).auto_back_color) << i;
    EXPECT_EQ(At(t, i).back_color, RGB(0, 255, 0)) << i;
    EXPECT_FALSE(At(t, i).underline) << "a later whole-line format removes underline";
  }
  EXPECT_EQ(Colored(t, kRed), "..WORD..........") << "the word keeps its colour";
  EXPECT_NE(At(t, 13).back_color, RGB(0, 255, 0));
}

TEST_F(HighlightTextTest, RequestsAreSearchedAfterTheirMark) {
  Start(Rules(Rule("^AB", kRedText)));
  EXPECT_EQ(Colored(Highlight(">AB", FALSE), kRed), ".AB");
  EXPECT_EQ(Colored(Highlight(">AB", TRUE), kRed), "...");
}

TEST_F(HighlightTextTest, JoinedConditions) {
  struct Case {
    const char* join;
    const char* colored;
  } cases[] = {{"and", "XX.UA......"}, {"AND NOT", "......XX.DL"}};
  for (const Case& c : cases) {
    engine.reset();
    Start(Rules(Rule("XX|UA|DL", kRedText, std::string("join_condition='") + c.join + "' condition_text='UA'")));
    EXPECT_EQ(Colored(Highlight("XX UA\r\nXX DL"), kRed), c.colored) << c.join;
  }
}

TEST_F(HighlightTextTest, ClashingColourIsInvertedWithOneBoxPerText) {
  Start(Rules(Rule("QQ", "fgcolor='{0,10,250}'") + Rule("LL", "fgcolor='{0,0,250}' fgEntireLine='yes'")));
  EXPECT_EQ(Colored(Highlight("QQ QQ\r\nQQ"), RGB(255, 245, 5)), "QQ.QQ.QQ");
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].text,
            "The foreground color you have selected to highlight for 'QQ' is too similar to the emulator's background "
            "color. \n A new foreground color will be selected. \n Please change your Highlight or screen color "
            "preferences.");
  EXPECT_EQ(Boxes()[0].type, static_cast<UINT>(MB_OK));
  // The whole-line check compares with the response side's background.
  CHARFORMAT2A request;
  request.dwMask = CFM_COLOR | CFM_BACKCOLOR;
  request.crTextColor = RGB(255, 255, 255);
  Engine().SetDefaultRTF(false, request);
  EXPECT_EQ(Colored(Highlight(">LL", FALSE), RGB(255, 255, 5)), ">LL");
  ASSERT_EQ(Boxes().size(), 2u);
  EXPECT_NE(Boxes()[1].text.find("for the line containing 'LL' \n is too similar to the emulator's background"),
            std::string::npos);
  Highlight("QQ");
  EXPECT_EQ(Boxes().size(), 3u) << "shown again for the next text";
}

TEST_F(HighlightTextTest, BadExpressionIsReportedPerLineAndSkipped) {
  Start(Rules(Rule("(", kRedText) + Rule("ZZ", kRedText) +
              Rule("ZZ", kRedText, "join_condition='and' condition_text='['")));
  const platform::FormattedText t = Highlight("ZZ\r\n   \r\n\r\nA ZZ");
  EXPECT_EQ(Colored(t, kRed), "ZZ........ZZ");
  EXPECT_EQ(CountLogged("Regular Expression: ( is invalid.  Skipping this rule."), 3) << "every non-empty line";
  EXPECT_EQ(CountLogged("Extra Condition Regular Expression: [ is invalid.  Skipping this rule: ZZ"), 2);
}

TEST_F(HighlightTextTest, EmptyMatchesAdvanceAndBlankLinesAreNotSearched) {
  Start(Rules(Rule("^", "bgcolor='{0,255,0}' bgEntireLine='yes'") + Rule("x*", kRedText)));
  const platform::FormattedText t = Highlight("axxbx\r\n   ");
  EXPECT_EQ(Colored(t, kRed), ".xx.x....");
  EXPECT_EQ(At(t, 0).back_color, RGB(0, 255, 0));
  EXPECT_NE(At(t, 7).back_color, RGB(0, 255, 0));
}

TEST_F(HighlightTextTest, RunawayExpressionEndsTheCallWithThePlainText) {
  // (a+)+b is not even searched: no line without a b can match it.
  Start(Rules(Rule(std::string(100000, 'A'), kRedText) + Rule("(a+)+b", kRedText)));
  std::string text(64, 'a');
  EXPECT_EQ(Engine().BrimluxText(TRUE, text), 0);
  text = std::string(64, 'a');
  ASSERT_EQ(Parse(Rules(Rule("(a+)+[b]", kRedText))), S_OK);
  EXPECT_EQ(Engine().BrimluxText(TRUE, text), E_FAIL);
  EXPECT_EQ(text, std::string(64, 'a'));
  EXPECT_EQ(CountLogged("Exception while formatting the text."), 1);
}

}  // namespace
}  // namespace zv::testing
