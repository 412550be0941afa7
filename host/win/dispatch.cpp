#include "host/win/dispatch.h"

#include <cstdio>
#include <vector>

#include "engine/failure.h"
#include "host/win/bstr.h"

namespace tamvo::win {

namespace {

// The description that the callee gave, through EXCEPINFO or IErrorInfo, or
// the HRESULT when it gave none.
std::u16string Describe(HRESULT result, ExcepInfo& exception) {
  std::u16string description;
  if (result == DISP_E_EXCEPTION) {
    if (exception.pfnDeferredFillIn != nullptr) exception.pfnDeferredFillIn(&exception);
    description = TextOf(exception.bstrDescription);
    if (FAILED(exception.scode)) result = exception.scode;
  } else {
    Microsoft::WRL::ComPtr<IErrorInfo> info;
    BSTR text = nullptr;
    if (GetErrorInfo(0, &info) == S_OK && info && SUCCEEDED(info->GetDescription(&text))) {
      description = Bstr(text).Text();
    }
  }
  if (!description.empty()) return description;
  char code[32];
  std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(result));
  std::u16string text = u"Automation error ";
  for (const char* c = code; *c != '\0'; ++c) text += static_cast<char16_t>(*c);
  return text;
}

}  // namespace

Variant::Variant(LONG value) noexcept : Variant() {
  value_.vt = VT_I4;
  value_.lVal = value;
}

Variant::Variant(SHORT value) noexcept : Variant() {
  value_.vt = VT_I2;
  value_.iVal = value;
}

Variant::Variant(std::u16string_view text) : Variant() {
  value_.bstrVal = Bstr::Copy(text).release();
  value_.vt = VT_BSTR;
}

Variant::Variant(IDispatch* object) noexcept : Variant() {
  value_.vt = VT_DISPATCH;
  value_.pdispVal = object;
  if (object != nullptr) object->AddRef();
}

Variant Variant::ByRef(LONG* target) noexcept {
  Variant variant;
  variant.value_.vt = VT_I4 | VT_BYREF;
  variant.value_.plVal = target;
  return variant;
}

Variant::Variant(const Variant& other) : Variant() {
  if (FAILED(VariantCopy(&value_, const_cast<VARIANT*>(&other.value_)))) throw Failure(u"Out of memory");
}

Variant& Variant::operator=(const Variant& other) {
  if (this != &other) {
    Variant copy(other);
    *this = std::move(copy);
  }
  return *this;
}

Variant::Variant(Variant&& other) noexcept : value_(other.value_) { VariantInit(&other.value_); }

Variant& Variant::operator=(Variant&& other) noexcept {
  if (this != &other) {
    VariantClear(&value_);
    value_ = other.value_;
    VariantInit(&other.value_);
  }
  return *this;
}

LONG Variant::ToLong() const { return Converted(VT_I4).get()->lVal; }

std::u16string Variant::ToString() const { return TextOf(Converted(VT_BSTR).get()->bstrVal); }

Variant Variant::Converted(VARTYPE type) const {
  Variant converted;
  if (FAILED(VariantChangeType(converted.get(), const_cast<VARIANT*>(&value_), 0, type)))
    throw Failure(u"Type mismatch");
  return converted;
}

Microsoft::WRL::ComPtr<IDispatch> Variant::ToDispatch() const {
  Microsoft::WRL::ComPtr<IDispatch> object;
  if (value_.vt == VT_DISPATCH) {
    object = value_.pdispVal;
  } else if (value_.vt == VT_UNKNOWN && value_.punkVal != nullptr) {
    value_.punkVal->QueryInterface(IID_PPV_ARGS(&object));
  } else if (value_.vt != VT_EMPTY && value_.vt != VT_NULL) {
    throw Failure(u"Type mismatch");
  }
  return object;
}

DISPID Dispatch::IdOf(std::u16string_view name) const {
  for (const auto& [member, id] : *ids_) {
    if (member == name) return id;
  }
  std::wstring member(name.begin(), name.end());
  LPOLESTR names[] = {member.data()};
  DISPID id = DISPID_UNKNOWN;
  if (FAILED(object_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id))) {
    throw Failure(u"Object doesn't support this property or method: " + std::u16string(name));
  }
  ids_->emplace_back(name, id);
  return id;
}

Variant Dispatch::Invoke(std::u16string_view name, WORD flags, std::initializer_list<Variant> args) const {
  if (!object_) throw Failure(std::u16string(kObjectNotSet));
  const DISPID id = IdOf(name);
  // DISPPARAMS takes the arguments last to first; these copies borrow what
  // args own, for the length of the call.
  std::vector<VARIANT> reversed(args.size());
  std::size_t i = args.size();
  for (const auto& arg : args) reversed[--i] = *arg.get();
  DISPID namedPut = DISPID_PROPERTYPUT;
  DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
  if (flags == DISPATCH_PROPERTYPUT) {
    params.rgdispidNamedArgs = &namedPut;
    params.cNamedArgs = 1;
  }
  Variant value;
  ExcepInfo exception;
  UINT argumentError = 0;
  const HRESULT result =
      object_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                      flags == DISPATCH_PROPERTYPUT ? nullptr : value.get(), &exception, &argumentError);
  if (FAILED(result)) throw Failure(Describe(result, exception));
  return value;
}

Variant Dispatch::Get(std::u16string_view name, std::initializer_list<Variant> args) const {
  return Invoke(name, DISPATCH_PROPERTYGET | DISPATCH_METHOD, args);
}

Dispatch Dispatch::GetObject(std::u16string_view name, std::initializer_list<Variant> args) const {
  auto object = Get(name, args).ToDispatch();
  if (!object) throw Failure(std::u16string(kObjectNotSet));
  return Dispatch(std::move(object));
}

Variant Dispatch::Call(std::u16string_view name, std::initializer_list<Variant> args) const {
  return Invoke(name, DISPATCH_METHOD, args);
}

void Dispatch::Put(std::u16string_view name, const Variant& value) const {
  Invoke(name, DISPATCH_PROPERTYPUT, {value});
}

}  // namespace tamvo::win
