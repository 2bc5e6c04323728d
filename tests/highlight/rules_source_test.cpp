// Where the rules come from, switching the engine on, and the refresh check.
#include "tests/highlight/brimlux_fixture.h"

namespace zv::testing {
namespace {

using RulesSourceTest = BrimluxFixture;

TEST_F(RulesSourceTest, InitializeOutcomes) {
  // No provider key: off, and said only in debug mode.
  EXPECT_EQ(Engine().Initialize(&parent), 1);
  EXPECT_EQ(CountLogged("Vexmoor not installed.  Brimlux will be turned off."), 0);
  store.SetDword(HKEY_CURRENT_USER, CBrimlux::kSettingsKey, "Debug", 1);
  engine.reset();
  EXPECT_EQ(Engine().Initialize(&parent), 1);
  EXPECT_EQ(CountLogged("Vexmoor not installed.  Brimlux will be turned off."), 1);
  store.SetDword(HKEY_CURRENT_USER, CBrimlux::kSettingsKey, "Debug", 0);

  // The key without a registered class: the creation failure is raised.
  CreateProviderKey();
  engine.reset();
  EXPECT_EQ(Engine().Initialize(&parent), E_FAIL);
  EXPECT_EQ(CountLogged("Exception"), 1);

  // An empty document: on, with no rules.
  InstallProvider();
  engine.reset();
  EXPECT_EQ(Engine().Initialize(&parent), 0);
  EXPECT_EQ(CountLogged("Brimlux installed but no rules exist."), 1);
  EXPECT_EQ(CountLogged("BRIMLUX initialized successfully"), 1);

  // A rules load that fails turns it off.
  provider->rules = "<Brimlux/>";
  engine.reset();
  EXPECT_EQ(Engine().Initialize(&parent), E_UNEXPECTED);
  EXPECT_EQ(CountLogged("Failed to initialize the rules."), 1);
}

TEST_F(RulesSourceTest, FileModeReadsTheFileOnceAndItsRefreshFails) {
  const std::string path = (home.dir.path() / "rules.xml").native();
  store.SetString(HKEY_CURRENT_USER, CBrimlux::kSettingsKey, "Path", path);
  EXPECT_EQ(Engine().Initialize(&parent), E_UNEXPECTED);
  EXPECT_EQ(CountLogged("Failed to open the XML rules file."), 1);

  zv::testing::WriteText(path, Rules(Rule("A", "")) + std::string(1, '\0') + "garbage");
  engine.reset();
  ASSERT_EQ(Engine().Initialize(&parent), 0);
  EXPECT_EQ(Engine().Rules().size(), 1u) << "read up to the NUL";
  EXPECT_EQ(provider->rulesCalls, 0);
  Clock().SetTickCount(Clock().TickCount() + 60000);
  EXPECT_EQ(Engine().UpdateRules(), E_FAIL);
  EXPECT_EQ(CountLogged("Exception updating the rules."), 1);
  EXPECT_EQ(Engine().Rules().size(), 1u);
}

TEST_F(RulesSourceTest, RefreshOnlyWhenDueAndChanged) {
  Clock().SetTickCount(1000);
  Start(Rules(Rule("A", ""), "<Config><ReadRules frequency='5000'/></Config>"));
  EXPECT_EQ(provider->rulesCalls, 1);
  EXPECT_EQ(provider->stampCalls, 1);

  provider->rules = Rules(Rule("A", "") + Rule("B", ""));
  Clock().SetTickCount(5999);
  EXPECT_EQ(Engine().UpdateRules(), 0);
  EXPECT_EQ(provider->stampCalls, 1) << "not due yet";
  Clock().SetTickCount(6000);
  EXPECT_EQ(Engine().UpdateRules(), 0);
  EXPECT_EQ(provider->stampCalls, 2);
  EXPECT_EQ(provider->rulesCalls, 1) << "same time stamp: nothing fetched";

  provider->stamp = "2";
  EXPECT_EQ(Engine().UpdateRules(), 0);
  EXPECT_EQ(provider->stampCalls, 2) << "checked already in this interval";
  Clock().SetTickCount(11000);
  EXPECT_EQ(Engine().UpdateRules(), 0);
  EXPECT_EQ(provider->rulesCalls, 2);
  EXPECT_EQ(Engine().Rules().size(), 2u);

  // The new document has no frequency: 60 s from now on. A failing provider call keeps the rules.
  provider->stampResult = E_FAIL;
  Clock().SetTickCount(11000 + 59999);
  EXPECT_EQ(Engine().UpdateRules(), 0);
  Clock().SetTickCount(11000 + 60000);
  EXPECT_EQ(Engine().UpdateRules(), E_FAIL);
  EXPECT_EQ(Engine().Rules().size(), 2u);
}

TEST_F(RulesSourceTest, DebugModeDumpsTheRulesAndTracesTheStamps) {
  store.SetDword(HKEY_CURRENT_USER, CBrimlux::kSettingsKey, "Debug", 1);
  Clock().SetTickCount(0);
  Start(Rules(Rule("A", "")));
  const auto dump = platform::ErrorLogFile().parent_path() / CBrimlux::kDumpFileName;
  EXPECT_EQ(zv::testing::ReadText(dump), Rules(Rule("A", "")));
  provider->stamp = "2";
  Clock().SetTickCount(60000);
  EXPECT_EQ(Engine().UpdateRules(), 0);
  EXPECT_EQ(CountLogged("Rules Refresh Time Stamps:  OLD=1   NEW=2"), 1);
  Engine().DeInitialize();
  EXPECT_EQ(CountLogged("BRIMLUX has been deinitialized."), 1);
}

}  // namespace
}  // namespace zv::testing
