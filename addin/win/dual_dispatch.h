#pragma once
// IDispatch for one dual interface, answered from its type information, so
// that late-bound callers reach the same vtable members by name.
//
// Connect has two dual interfaces that dispatch differently; each derives
// from its own DualDispatch, and Connect implements IUnknown once and never
// IDispatch, which would override the members of both vtables.

#include <oaidl.h>
#include <wrl/client.h>

namespace tamvo::addin {

template <class Interface, HRESULT (*LoadTypeInfo)(ITypeInfo**)>
class DualDispatch : public Interface {
 public:
  using ComInterface = Interface;

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (count == nullptr) return E_POINTER;
    *count = 1;
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** info) override {
    if (info == nullptr) return E_POINTER;
    *info = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    const HRESULT result = EnsureTypeInfo();
    if (FAILED(result)) return result;
    return typeInfo_.CopyTo(info);
  }

  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID,
                                          DISPID* ids) override {
    if (iid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    const HRESULT result = EnsureTypeInfo();
    if (FAILED(result)) return result;
    return typeInfo_->GetIDsOfNames(names, count, ids);
  }

  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* exception, UINT* argumentError) override {
    if (iid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    const HRESULT loaded = EnsureTypeInfo();
    if (FAILED(loaded)) return loaded;
    return typeInfo_->Invoke(static_cast<Interface*>(this), id, flags, params, result, exception,
                             argumentError);
  }

 private:
  HRESULT EnsureTypeInfo() {
    if (typeInfo_) return S_OK;
    return LoadTypeInfo(typeInfo_.ReleaseAndGetAddressOf());
  }

  Microsoft::WRL::ComPtr<ITypeInfo> typeInfo_;
};

}  // namespace tamvo::addin
