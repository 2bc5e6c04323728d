// The rules document parsed into the rule list, and the colour helpers.
#include "tests/highlight/brimlux_fixture.h"

namespace zv::testing {
namespace {

using RulesTest = BrimluxFixture;

TEST_F(RulesTest, DocumentOutcomes) {
  const std::string two = Rule("AA", "fgcolor='{1,2,3}'") + Rule("BB", "");
  struct Case {
    std::string xml;
    HRESULT result;
    std::string message;  // logged; empty: nothing checked
    std::size_t rules;    // after a first parse that stored `two`
  } cases[] = {
      {"<brimlux><Rules/></brimlux>", E_INVALIDARG,
       "The root node of the XML does not begin with 'Brimlux' - Invalid XML.", 2},
      {"<Brimlux><Rules>", E_UNEXPECTED, "Failed to load the XML Brimlux rules into the DOM parser.", 2},
      {"<Brimlux/>", E_UNEXPECTED, "Invalid XML. [No Rules node]", 2},
      {Rules("", "<Error>service down</Error>"), S_OK,
       "Error retrieving rules from Vexmoor.  Vexmoor Error: [service down]", 2},
      {Rules(""), S_OK, "There are no Brimlux rules configured. [No Rule nodes].", 2},
      // Nodes without a Highlight child (or only a lower-case one) store nothing.
      {Rules("<R search_text='X'><highlight fgcolor='{1,1,1}'/></R><R search_text='Y'/>"), S_OK, "", 2},
      {Rules(Rule("A", "") + "<!-- note -->" + Rule("B", "")), E_UNEXPECTED,
       "Failed to get the attributes of the rule 1 from the XML rules", 1},
      {Rules(Rule("A", "") + "<R><Highlight/></R>" + Rule("C", "")), E_UNEXPECTED,
       "Failed to get the search string for rule 1 from the XML", 1},
      {Rules("  \n " + Rule("A", "") + "\n  "), S_OK, "Total number of rules: 1", 1},
      // Prefixed root: the base name counts.
      {"<x:Brimlux xmlns:x='urn:x'><Rules>" + Rule("A", "") + "</Rules></x:Brimlux>", S_OK, "", 1},
  };
  for (const Case& c : cases) {
    engine.reset();
    ASSERT_EQ(Parse(Rules(two)), S_OK);
    EXPECT_EQ(Parse(c.xml), c.result) << c.xml;
    EXPECT_EQ(Engine().Rules().size(), c.rules) << c.xml;
    if (!c.message.empty()) {
      EXPECT_GE(CountLogged(c.message), 1) << c.xml;
    }
  }
}

TEST_F(RulesTest, RefreshIntervalFromTheDocument) {
  const std::string missing = "Failed to get the Brimlux configuration from the XML rules.  Will use a default";
  struct Case {
    std::string config;
    DWORD interval;
    int messages;
  } cases[] = {
      {"<Config><ReadRules frequency='90000'/></Config>", 90000, 0},
      {"<Config><X><ReadRules frequency='abc'/></X></Config>", 0, 0},
      {"<Config><ReadRules frequency=' 250ms'/></Config>", 250, 0},
      {"<Config><ReadRules/></Config>", 60000, 0},
      {"<ReadRules frequency='5'/>", 60000, 1},
  };
  int logged = 0;
  for (const Case& c : cases) {
    // The interval is set even when the rules then fail.
    EXPECT_EQ(Parse("<Brimlux>" + c.config + "</Brimlux>"), E_UNEXPECTED);
    EXPECT_EQ(Engine().RefreshInterval(), c.interval) << c.config;
    logged += c.messages;
    EXPECT_EQ(CountLogged(missing), logged) << c.config;
  }
}

TEST_F(RulesTest, RuleFields) {
  ASSERT_EQ(Parse(Rules(
                Rule("J1", "", "join_condition='AND NOT' condition_text='UA'") +
                Rule("J2", "", "join_condition='or' condition_text='UA'") +
                Rule("J3", "", "join_condition='and'") + Rule("J4", "", "join_condition='and' condition_text=''") +
                Rule("F1", "fgEntireLine='yes' bgEntireLine='YES' underline='Yes'") +
                Rule("F2", "fgcolor='{250,250,250}' bgcolor='{240,255,235}' fgEntireLine='Yes'") +
                Rule("F3", "fgcolor='{120,130,140}' bgcolor='{128,128,128}' bgEntireLine='yes'"))),
            S_OK);
  const auto& r = Engine().Rules();
  ASSERT_EQ(r.size(), 7u);
  EXPECT_EQ(r[0].joinType, JoinAndNot);
  EXPECT_EQ(r[0].conditionText, "UA");
  EXPECT_EQ(r[1].joinType, JoinNone);
  EXPECT_EQ(r[1].conditionText, "") << "not read without a join";
  EXPECT_EQ(r[2].joinType, JoinNone);
  EXPECT_EQ(CountLogged("Failed to get the condition text string for rule 2 from the XML.  Not using condition."), 1);
  EXPECT_EQ(r[3].joinType, JoinNone);
  // Whole-line flags need their colour; underline is the only effect.
  EXPECT_EQ(r[4].fgEntireLine + r[4].bgEntireLine, 0);
  EXPECT_EQ(r[4].format.dwMask, CFM_UNDERLINE);
  EXPECT_EQ(r[4].format.dwEffects, CFE_UNDERLINE);
  EXPECT_EQ(r[4].format.cbSize, 84u);
  // Clashing colours: the background becomes its inverse, or black for a mid grey.
  EXPECT_EQ(r[5].format.dwMask, CFM_UNDERLINE | CFM_COLOR | CFM_BACKCOLOR);
  EXPECT_EQ(r[5].format.crTextColor, RGB(250, 250, 250));
  EXPECT_EQ(r[5].format.crBackColor, RGB(15, 0, 20));
  EXPECT_EQ(r[5].fgEntireLine, 1);
  EXPECT_EQ(r[5].format.dwEffects, 0u);
  EXPECT_EQ(CountLogged("The background and foreground colors for 'F2' were too similar, so the inverse background"), 1);
  EXPECT_EQ(r[6].format.crBackColor, 0u);
  EXPECT_EQ(r[6].bgEntireLine, 1);
  EXPECT_EQ(r[6].fgEntireLine, 0);
}

TEST_F(RulesTest, ColourValues) {
  struct Case {
    const char* text;
    COLORREF color;
  } cases[] = {
      {"{255, 0, 0}", 0x000000FF}, {"{0,0,255}", 0x00FF0000},  {"{0,128}", 0x00808000},
      {"{ 1 , 2 , 3 }", 0x00030201}, {"{300,0,0}", 0x0000012C}, {"x{10,20,30}", 0x001E140A},
      {"{abc,7,8}", 0x00080700},   {"", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(Engine().RGB_to_OLECOLOR(c.text), c.color) << c.text;
  EXPECT_EQ(CountLogged("Exception converting the color from RGB to OLE.  Defaulting to black."), 1);

  EXPECT_TRUE(CBrimlux::ColorsTooSimilar(RGB(0, 20, 255), RGB(20, 0, 235)));
  EXPECT_FALSE(CBrimlux::ColorsTooSimilar(RGB(0, 0, 0), RGB(0, 0, 21)));
  EXPECT_EQ(CBrimlux::InverseColor(RGB(110, 150, 130)), 0u);
  EXPECT_EQ(CBrimlux::InverseColor(RGB(109, 150, 130)), RGB(146, 105, 125));
  EXPECT_EQ(CBrimlux::InverseColor(0x12000000 | RGB(255, 0, 10)), RGB(0, 255, 245));
}

TEST_F(RulesTest, HostileDocumentsAreRefusedOrReadInBoundedTime) {
  std::string laughs = "<?xml version='1.0'?><!DOCTYPE Brimlux [<!ENTITY lol 'lol'>";
  for (int i = 1; i < 10; ++i) {
    laughs += "<!ENTITY lol" + std::to_string(i) + " '";
    for (int j = 0; j < 10; ++j) laughs += "&lol" + std::string(i > 1 ? std::to_string(i - 1) : "") + ";";
    laughs += "'>";
  }
  laughs += "]>" + Rules(Rule("&lol9;", ""));
  EXPECT_EQ(Parse(laughs), S_OK);
  ASSERT_EQ(Engine().Rules().size(), 1u);
  EXPECT_EQ(Engine().Rules()[0].searchText, "&lol9;") << "never expanded";

  std::string deep;
  for (int i = 0; i < 100000; ++i) deep += "<Config>";
  for (int i = 0; i < 100000; ++i) deep += "</Config>";
  EXPECT_EQ(Parse("<Brimlux>" + deep + "</Brimlux>"), E_UNEXPECTED);
  EXPECT_GE(CountLogged("Failed to load the XML Brimlux rules into the DOM parser."), 1);

  std::string big = "<Brimlux><Rules>";
  while (big.size() < (5u << 20)) big += Rule("X", "");
  EXPECT_EQ(Parse(big + "</Rules></Brimlux>"), E_UNEXPECTED);

  EXPECT_EQ(Parse(Rules(Rule(std::string(100000, 'A'), ""))), S_OK);
  EXPECT_EQ(Engine().Rules()[0].searchText.size(), 100000u);
}

}  // namespace
}  // namespace zv::testing
