#include "platform/object_registry.h"

#include <gtest/gtest.h>

#include "platform/registry.h"
#include "tests/platform/components/calculator.h"
#include "tests/support/scratch_home.h"

namespace zv::platform {
namespace {

using testing::ICalculator;
using testing::kCalculatorClsid;
using testing::kStrangerClsid;

TEST(Guids, TextFormRoundTrips) {
  const std::string text = "{5C0E7A14-2B9D-4E61-9A43-1F8D2C6B7E01}";
  ASSERT_EQ(ParseGuid(text), kCalculatorClsid);
  EXPECT_EQ(FormatGuid(kCalculatorClsid), text);
  EXPECT_EQ(ParseGuid("{5c0e7a14-2b9d-4e61-9a43-1f8d2c6b7e01}"), kCalculatorClsid);
  EXPECT_EQ(FormatGuid(IID_IUnknown), "{00000000-0000-0000-C000-000000000046}");
  for (const char* bad : {"5C0E7A14-2B9D-4E61-9A43-1F8D2C6B7E01", "{5C0E7A14-2B9D-4E61-9A43-1F8D2C6B7E0}",
                          "{5C0E7A14-2B9D-4E61-9A431-F8D2C6B7E01}", "{5C0E7A14-2B9D-4E61-9A43-1F8D2C6B7EG1}",
                          "{5C0E7A14-2B9D-4E61-9A43-1F8D2C6B7E01", ""}) {
    EXPECT_FALSE(ParseGuid(bad).has_value()) << bad;
  }
}

// An in-process class that counts its live objects.
int g_live = 0;

class Adder final : public ComObject<ICalculator> {
 public:
  Adder() { ++g_live; }
  ~Adder() override { --g_live; }
  HRESULT Add(LONG a, LONG b, LONG* sum) override {
    *sum = a + b + 1000;
    return S_OK;
  }
};

constexpr CLSID kAdderClsid = {0x11111111, 0x2222, 0x3333, {0x44, 0x44, 0x55, 0x55, 0x55, 0x55, 0x55, 0x55}};

class ObjectCreationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetCurrentRegistryStore(&store_);
    SetCurrentObjectRegistry(&objects_);
  }
  void TearDown() override {
    SetCurrentObjectRegistry(nullptr);
    SetCurrentRegistryStore(nullptr);
  }
  void RegisterLibrary(const CLSID& clsid, std::string library) {
    ASSERT_EQ(RegisterServerClass(store_, {clsid, "Test.Calculator.1", "Test calculator", std::move(library)}),
              ERROR_SUCCESS);
  }

  RegistryStore store_;
  ObjectRegistry objects_;
};

TEST_F(ObjectCreationTest, InProcessClassByProgIdWithReferenceCounting) {
  auto factory = MakeClassFactory([](const IID& iid, void** object) { return CreateComObject<Adder>(iid, object); });
  ASSERT_EQ(objects_.RegisterClassObject(kAdderClsid, "ZVEMUL.Adder.1", factory.Get()), S_OK);

  CLSID clsid;
  ASSERT_EQ(CLSIDFromProgID("zvemul.adder.1", &clsid), S_OK);
  EXPECT_EQ(clsid, kAdderClsid);
  ComPtr<IUnknown> unknown;
  ASSERT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER | CLSCTX_INPROC_HANDLER,
                             IID_IUnknown, unknown.PutVoid()),
            S_OK);
  EXPECT_EQ(g_live, 1);
  ComPtr<ICalculator> calculator;
  ASSERT_EQ(unknown.As(&calculator), S_OK);
  LONG sum = 0;
  EXPECT_EQ(calculator->Add(2, 3, &sum), S_OK);
  EXPECT_EQ(sum, 1005);
  // Both pointers name one object, and identity goes through IUnknown.
  ComPtr<IUnknown> again;
  ASSERT_EQ(calculator.As(&again), S_OK);
  EXPECT_EQ(again.Get(), unknown.Get());

  ComPtr<IClassFactory> not_an_interface;
  EXPECT_EQ(unknown.As(&not_an_interface), E_NOINTERFACE);
  EXPECT_EQ(not_an_interface.Get(), nullptr);
  unknown.Reset();
  again.Reset();
  EXPECT_EQ(g_live, 1);
  calculator.Reset();
  EXPECT_EQ(g_live, 0);

  void* object = reinterpret_cast<void*>(1);
  EXPECT_EQ(CoCreateInstance(kAdderClsid, nullptr, 7, ICalculator::kIid, &object), S_OK);
  static_cast<ICalculator*>(object)->Release();
  IUnknown* outer = factory.Get();
  EXPECT_EQ(CoCreateInstance(kAdderClsid, outer, 7, ICalculator::kIid, &object), CLASS_E_NOAGGREGATION);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(CoCreateInstance(kAdderClsid, nullptr, 7, IClassFactory::kIid, &object), E_NOINTERFACE);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(g_live, 0);

  ASSERT_EQ(objects_.RevokeClassObject(kAdderClsid), S_OK);
  EXPECT_EQ(CoCreateInstance(kAdderClsid, nullptr, 7, IID_IUnknown, &object), REGDB_E_CLASSNOTREG);
  EXPECT_EQ(CLSIDFromProgID("ZVEMUL.Adder.1", &clsid), CO_E_CLASSSTRING);
}

TEST_F(ObjectCreationTest, ComponentFromASharedLibraryNamedInTheRegistry) {
  zv::testing::ScopedEnv dir("ZV_TEST_COMPONENTS",
                         std::filesystem::path(ZV_TEST_CALCULATOR_LIBRARY).parent_path().native());
  RegisterLibrary(kCalculatorClsid,
                  "%ZV_TEST_COMPONENTS%/" + std::filesystem::path(ZV_TEST_CALCULATOR_LIBRARY).filename().native());
  ASSERT_EQ(store_.SetString(HKEY_CLASSES_ROOT, "Test.Calculator\\CurVer", "", "Test.Calculator.1"), ERROR_SUCCESS);

  CLSID clsid;
  ASSERT_EQ(CLSIDFromString("Test.Calculator", &clsid), S_OK);  // through CurVer
  EXPECT_EQ(clsid, kCalculatorClsid);
  ComPtr<ICalculator> calculator;
  ASSERT_EQ(CoCreateInstance(clsid, nullptr, 7, ICalculator::kIid, calculator.PutVoid()), S_OK);
  LONG sum = 0;
  EXPECT_EQ(calculator->Add(40, 2, &sum), S_OK);
  EXPECT_EQ(sum, 42);

  void* object = nullptr;
  EXPECT_EQ(CoCreateInstance(clsid, nullptr, 7, IClassFactory::kIid, &object), E_NOINTERFACE);
  EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER, ICalculator::kIid, &object), REGDB_E_CLASSNOTREG);
  ComPtr<IClassFactory> factory;
  ASSERT_EQ(CoGetClassObject(clsid, CLSCTX_INPROC_SERVER, nullptr, IClassFactory::kIid, factory.PutVoid()), S_OK);
  EXPECT_EQ(factory->CreateInstance(nullptr, ICalculator::kIid, &object), S_OK);
  static_cast<ICalculator*>(object)->Release();

  // The library is there but serves another class only.
  RegisterLibrary(kStrangerClsid, ZV_TEST_CALCULATOR_LIBRARY);
  EXPECT_EQ(CoCreateInstance(kStrangerClsid, nullptr, 7, IID_IUnknown, &object), CLASS_E_CLASSNOTAVAILABLE);

  ASSERT_EQ(UnregisterServerClass(store_, kCalculatorClsid, "Test.Calculator.1"), ERROR_SUCCESS);
  EXPECT_FALSE(store_.KeyExists(HKEY_CLASSES_ROOT, "Test.Calculator.1"));
  EXPECT_EQ(CLSIDFromProgID("Test.Calculator.1", &clsid), CO_E_CLASSSTRING);
  EXPECT_EQ(CoCreateInstance(kCalculatorClsid, nullptr, 7, IID_IUnknown, &object), REGDB_E_CLASSNOTREG);
  EXPECT_EQ(UnregisterServerClass(store_, kCalculatorClsid, "Test.Calculator.1"), ERROR_SUCCESS);
}

TEST_F(ObjectCreationTest, MissingOrBrokenLibrariesAndClasses) {
  void* object = nullptr;
  CLSID clsid;
  EXPECT_EQ(CoCreateInstance(kCalculatorClsid, nullptr, 7, IID_IUnknown, &object), REGDB_E_CLASSNOTREG);
  EXPECT_EQ(CLSIDFromProgID("Nobody.Home.1", &clsid), CO_E_CLASSSTRING);
  EXPECT_EQ(CLSIDFromString("{not a guid}", &clsid), CO_E_CLASSSTRING);

  RegisterLibrary(kCalculatorClsid, "/nonexistent/libcalculator.so");
  EXPECT_EQ(CoCreateInstance(kCalculatorClsid, nullptr, 7, IID_IUnknown, &object), CO_E_DLLNOTFOUND);
  RegisterLibrary(kCalculatorClsid, ZV_TEST_NO_ENTRY_POINT_LIBRARY);
  EXPECT_EQ(CoCreateInstance(kCalculatorClsid, nullptr, 7, IID_IUnknown, &object), CO_E_ERRORINDLL);
  EXPECT_EQ(object, nullptr);

  // A ProgID whose class id is not one.
  ASSERT_EQ(store_.SetString(HKEY_CLASSES_ROOT, "Bad.Class.1\\CLSID", "", "calculator"), ERROR_SUCCESS);
  EXPECT_EQ(CLSIDFromProgID("Bad.Class.1", &clsid), CO_E_CLASSSTRING);
}

}  // namespace
}  // namespace zv::platform
