#include "platform/automation.h"

#include <gtest/gtest.h>

#include "caught_exceptions.h"

namespace zv::platform {
namespace {

class DispatchTableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    table.AddMethod({32, "CreateSessionQueue", false, AutoType::kVoid,
                     {{"nSessions", AutoType::kShort}, {"szSessionMappings", AutoType::kBstr}}, 40},
                    [this](InvokeKind, std::span<const Variant> a) {
                      sessions = static_cast<std::int16_t>(a[0].integer());
                      mapping = a[1].string();
                      return Variant();
                    });
    table.AddMethod({9, "HostEntry", false, AutoType::kBool, {{"Window", AutoType::kShort}, {"Data", AutoType::kBstr}}, std::nullopt},
                    [](InvokeKind, std::span<const Variant> a) {
                      if (a[0].integer() > 10) throw AutomationError{CTL_E_INVALIDPROPERTYVALUE, "Parameter out of range."};
                      if (a[0].integer() < 0) throw 42;
                      return Variant::Bool(TRUE);
                    });
    table.AddProperty({34, "Color", true, AutoType::kColor, {{"Window", AutoType::kShort}, {"Attribute", AutoType::kShort}}, std::nullopt},
                      [this](InvokeKind kind, std::span<const Variant> a) {
                        if (kind == InvokeKind::kPropertyPut) color = static_cast<OLE_COLOR>(a[2].integer());
                        return Variant::Color(color);
                      });
    table.AddProperty({1, "PersistDir", true, AutoType::kBstr, {}, std::nullopt},
                      [](InvokeKind, std::span<const Variant>) { return Variant::String(u"/home/a/"); }, true, false);
    table.AddEvent({4, "DataSourceInput", {{"Data", AutoType::kBstr}}});
    table.AddEvent({2, "InputReflect",
                    {{"Window", AutoType::kShort}, {"Type", AutoType::kShort}, {"Char", AutoType::kShort},
                     {"Data", AutoType::kBstr}, {"Flags", AutoType::kShort}}});
  }
  DispatchTable table;
  std::int16_t sessions = 0;
  std::u16string mapping;
  OLE_COLOR color = 0x00B20000;
};

TEST_F(DispatchTableTest, NameLookupIsCaseInsensitiveAndAnswersTableIds) {
  EXPECT_EQ(table.IdOfName("CreateSessionQueue"), 32);
  EXPECT_EQ(table.IdOfName("createsessionqueue"), 32);
  EXPECT_EQ(table.IdOfName("COLOR"), 34);
  EXPECT_FALSE(table.IdOfName("GetCurrentKeyboardCode").has_value());
  EXPECT_EQ(table.Member(32)->typelib_id, 40);
}

TEST_F(DispatchTableTest, ArgumentsAreConvertedToDeclaredTypes) {
  std::vector<Variant> args{Variant::String(u" 2 "), Variant::String(u"1:1,3;2:2,4")};
  InvokeResult r = table.Invoke(32, InvokeKind::kMethod, args);
  ASSERT_TRUE(r.ok());
  EXPECT_EQ(sessions, 2);
  EXPECT_EQ(mapping, u"1:1,3;2:2,4");
  EXPECT_TRUE(r.value.empty());

  args = {Variant::Long(70000), Variant::String(u"")};
  EXPECT_EQ(table.Invoke(32, InvokeKind::kMethod, args).hresult, DISP_E_OVERFLOW);
  args = {Variant::String(u"two"), Variant::String(u"")};
  EXPECT_EQ(table.Invoke(32, InvokeKind::kMethod, args).hresult, DISP_E_TYPEMISMATCH);
  args = {Variant::Short(2)};
  EXPECT_EQ(table.Invoke(32, InvokeKind::kMethod, args).hresult, DISP_E_BADPARAMCOUNT);
  EXPECT_EQ(table.Invoke(99, InvokeKind::kMethod, args).hresult, DISP_E_MEMBERNOTFOUND);
}

TEST_F(DispatchTableTest, FailuresNeverEscapeInvoke) {
  std::vector<Variant> args{Variant::Short(11), Variant::String(u"X")};
  InvokeResult r = table.Invoke(9, InvokeKind::kMethod, args);
  EXPECT_EQ(r.hresult, CTL_E_INVALIDPROPERTYVALUE);
  EXPECT_EQ(r.description, "Parameter out of range.");
  args[0] = Variant::Short(-1);
  {
    // Anything else thrown is reported to the process's reporter as well.
    zv::testing::ExpectCaughtExceptions caught;
    EXPECT_EQ(table.Invoke(9, InvokeKind::kMethod, args).hresult, E_UNEXPECTED);
    EXPECT_EQ(caught.caught(), std::vector<std::string>{"unknown exception"});
  }
  args[0] = Variant::Short(1);
  r = table.Invoke(9, InvokeKind::kMethod, args);
  EXPECT_EQ(r.value, Variant::Bool(TRUE));
}

TEST_F(DispatchTableTest, PropertiesHonourGetAndPut) {
  std::vector<Variant> index{Variant::Short(3), Variant::Short(1)};
  Variant value = Variant::Long(-1);  // the same 32 bits as 0xFFFFFFFF
  ASSERT_TRUE(table.Invoke(34, InvokeKind::kPropertyPut, index, &value).ok());
  EXPECT_EQ(color, 0xFFFFFFFFu);
  EXPECT_EQ(table.Invoke(34, InvokeKind::kPropertyGet, index).value, Variant::Color(0xFFFFFFFF));
  EXPECT_EQ(table.Invoke(34, InvokeKind::kMethod, index).hresult, DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(table.Invoke(1, InvokeKind::kPropertyPut, {}, &value).hresult, DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(table.Invoke(1, InvokeKind::kPropertyGet, {}).value.string(), u"/home/a/");
}

struct Recorder : EventSink {
  DispatchTable* table = nullptr;
  std::vector<std::pair<std::string, std::vector<Variant>>> seen;
  void OnEvent(const EventInfo& e, std::span<const Variant> args) override {
    seen.emplace_back(e.name, std::vector<Variant>(args.begin(), args.end()));
    if (table) table->Unadvise(this);
  }
};

TEST_F(DispatchTableTest, EventsReachSinksWithDeclaredTypes) {
  Recorder a, b;
  b.table = &table;  // leaves after its first event
  table.Advise(&a);
  table.Advise(&b);
  table.Advise(&a);  // advising twice delivers once
  table.Fire(2, {Variant::Long(1), Variant::Long(2), Variant::Long(65), Variant::NullString(), Variant::Long(0)});
  table.Fire(4, {Variant::String(u"A10JUNLONPAR")});
  ASSERT_EQ(a.seen.size(), 2u);
  ASSERT_EQ(b.seen.size(), 1u);
  EXPECT_EQ(a.seen[0].first, "InputReflect");
  EXPECT_EQ(a.seen[0].second[2], Variant::Short(65));
  EXPECT_TRUE(a.seen[0].second[3].is_null_string());
  EXPECT_EQ(a.seen[1].second[0].string(), u"A10JUNLONPAR");
}

}  // namespace
}  // namespace zv::platform
