#pragma once
// IUnknown, once for every COM class of the DLL: the reference count, and
// QueryInterface over the interfaces a class lists.
//
//   class ClickSink final : public ComObject<CommandBarControlEvents> { … };
//
// A listed base is an interface, or a class that implements one and names it
// as ComInterface (DualDispatch does). QueryInterface answers each listed
// interface's id, IDispatch with the first listed interface that derives
// from it, and IUnknown with the first listed one. An object starts with one
// reference, its creator's, and keeps the DLL loaded while it lives.

#include <unknwn.h>

#include <atomic>
#include <tuple>
#include <type_traits>
#include <utility>

#include "addin/win/com_error.h"
#include "addin/win/server_module.h"

namespace tamvo::addin {

template <class Base>
struct ComInterfaceOf {
  using type = Base;
};
template <class Base>
requires requires { typename Base::ComInterface; }
struct ComInterfaceOf<Base> {
  using type = typename Base::ComInterface;
};

template <class... Bases>
class ComObject : public Bases... {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    (Offer<Bases>(iid, *object) || ...);
    if (*object == nullptr && iid == IID_IDispatch) (OfferDispatch<Bases>(*object) || ...);
    if (*object == nullptr && iid == IID_IUnknown)
      *object = static_cast<IUnknown*>(static_cast<First*>(this));
    if (*object == nullptr) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }

  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }

  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

 protected:
  ComObject() = default;
  virtual ~ComObject() = default;

 private:
  using First = std::tuple_element_t<0, std::tuple<Bases...>>;

  template <class Base>
  bool Offer(REFIID iid, void*& object) {
    using Interface = typename ComInterfaceOf<Base>::type;
    if (iid != __uuidof(Interface)) return false;
    object = static_cast<Interface*>(static_cast<Base*>(this));
    return true;
  }

  template <class Base>
  bool OfferDispatch(void*& object) {
    if constexpr (std::is_base_of_v<IDispatch, Base>) {
      object = static_cast<IDispatch*>(static_cast<Base*>(this));
      return true;
    }
    return false;
  }

  ObjectCount objectCount_;
  std::atomic<ULONG> references_{1};
};

// A new object of class Object (constructed from arguments), as its
// interface iid; what its constructor throws comes back as an HRESULT.
template <class Object, class... Arguments>
HRESULT CreateComObject(REFIID iid, void** object, Arguments&&... arguments) noexcept {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  return Guarded(iid, [&] {
    auto* created = new Object(std::forward<Arguments>(arguments)...);
    const HRESULT result = created->QueryInterface(iid, object);
    created->Release();
    return result;
  });
}

}  // namespace tamvo::addin
