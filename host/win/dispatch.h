#pragma once
// Late-bound calls on the editor's automation objects: members looked up by
// name through IDispatch, arguments and results in VARIANTs. A failed call
// throws the core's Failure with the editor's own error description.

#include <oaidl.h>
#include <wrl/client.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "host/code_module.h"

namespace tamvo::win {

// An owned VARIANT.
class Variant {
 public:
  Variant() noexcept { VariantInit(&value_); }
  explicit Variant(LONG value) noexcept;
  explicit Variant(SHORT value) noexcept;
  explicit Variant(std::u16string_view text);
  explicit Variant(IDispatch* object) noexcept;  // AddRefs; null is Nothing
  // A by-reference argument: the callee writes a Long into *target.
  static Variant ByRef(LONG* target) noexcept;
  ~Variant() { VariantClear(&value_); }
  Variant(const Variant& other);
  Variant& operator=(const Variant& other);
  Variant(Variant&& other) noexcept;
  Variant& operator=(Variant&& other) noexcept;

  VARIANT* get() noexcept { return &value_; }
  const VARIANT* get() const noexcept { return &value_; }

  // Conversions as the editor's automation coerces; they throw Failure.
  LONG ToLong() const;
  std::u16string ToString() const;
  // Null when the variant holds Nothing.
  Microsoft::WRL::ComPtr<IDispatch> ToDispatch() const;

 private:
  // This value coerced to type, as the editor's automation does.
  Variant Converted(VARTYPE type) const;

  VARIANT value_;
};

// An object's members are looked up by name once: the ids stay the
// object's for its life, and each lookup is a round trip into the editor.
// Copies of a Dispatch share the object and so its ids.
class Dispatch {
 public:
  Dispatch() = default;
  explicit Dispatch(Microsoft::WRL::ComPtr<IDispatch> object) : object_(std::move(object)) {}

  IDispatch* get() const noexcept { return object_.Get(); }
  explicit operator bool() const noexcept { return object_ != nullptr; }

  // A property (with arguments, for members like Lines(StartLine, Count)).
  Variant Get(std::u16string_view name, std::initializer_list<Variant> args = {}) const;
  // The object a property holds; throws Failure when it holds Nothing.
  Dispatch GetObject(std::u16string_view name, std::initializer_list<Variant> args = {}) const;
  Variant Call(std::u16string_view name, std::initializer_list<Variant> args = {}) const;
  void Put(std::u16string_view name, const Variant& value) const;

 private:
  Variant Invoke(std::u16string_view name, WORD flags, std::initializer_list<Variant> args) const;
  DISPID IdOf(std::u16string_view name) const;

  using Ids = std::vector<std::pair<std::u16string, DISPID>>;

  Microsoft::WRL::ComPtr<IDispatch> object_;
  std::shared_ptr<Ids> ids_ = std::make_shared<Ids>();
};

}  // namespace tamvo::win
