// A component library: one class, served through zv_get_class_object.
#include "tests/platform/components/calculator.h"

namespace zv::platform::testing {
namespace {

class Calculator final : public ComObject<ICalculator> {
 public:
  HRESULT Add(LONG a, LONG b, LONG* sum) override {
    if (sum == nullptr) return E_POINTER;
    *sum = a + b;
    return S_OK;
  }
};

class Factory final : public ComObject<IClassFactory> {
 public:
  HRESULT CreateInstance(IUnknown* outer, const IID& iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    return CreateComObject<Calculator>(iid, object);
  }
  HRESULT LockServer(BOOL /*lock*/) override { return S_OK; }
};

}  // namespace
}  // namespace zv::platform::testing

extern "C" __attribute__((visibility("default"))) HRESULT zv_get_class_object(const CLSID* clsid, const IID* iid,
                                                                               void** object) {
  using namespace zv::platform;
  if (clsid == nullptr || iid == nullptr || object == nullptr) return E_POINTER;
  *object = nullptr;
  if (*clsid != testing::kCalculatorClsid) return CLASS_E_CLASSNOTAVAILABLE;
  return CreateComObject<testing::Factory>(*iid, object);
}
