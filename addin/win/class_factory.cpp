#include "addin/win/class_factory.h"

#include "addin/win/com_object.h"
#include "addin/win/connect.h"
#include "addin/win/server_module.h"

namespace tamvo::addin {
namespace {

// A factory in a client's hands keeps the DLL loaded (ComObject counts it),
// as its code lives here.
class ConnectFactory final : public ComObject<IClassFactory> {
 public:
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    return Connect::Create(iid, object);
  }

  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    addin::LockServer(lock != FALSE);
    return S_OK;
  }

 private:
  ~ConnectFactory() override = default;
};

}  // namespace

HRESULT CreateConnectFactory(REFIID iid, void** object) noexcept {
  return CreateComObject<ConnectFactory>(iid, object);
}

}  // namespace tamvo::addin
