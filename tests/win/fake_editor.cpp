#include "tests/win/fake_editor.h"

#include <olectl.h>

#include <atomic>
#include <functional>
#include <map>

#include "engine/failure.h"

namespace tamvo::test {

namespace {

using Microsoft::WRL::ComPtr;

constexpr IID kCommandBarControlEvents = {
    0x0002E131, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// The arguments of one call, first to last, as the caller wrote them.
class Args {
 public:
  explicit Args(DISPPARAMS* params) : params_(params) {}
  UINT Count() const { return params_->cArgs - params_->cNamedArgs; }
  VARIANT& At(UINT i) const {
    if (i >= params_->cArgs) throw Failure(u"Argument not optional");
    return params_->rgvarg[params_->cArgs - 1 - i];
  }
  LONG Long(UINT i) const {
    VARIANT converted;
    VariantInit(&converted);
    if (FAILED(VariantChangeType(&converted, &At(i), 0, VT_I4))) throw Failure(u"Type mismatch");
    return converted.lVal;
  }
  std::u16string Text(UINT i) const {
    VARIANT converted;
    VariantInit(&converted);
    if (FAILED(VariantChangeType(&converted, &At(i), 0, VT_BSTR))) throw Failure(u"Type mismatch");
    std::u16string text(reinterpret_cast<const char16_t*>(converted.bstrVal),
                        SysStringLen(converted.bstrVal));
    VariantClear(&converted);
    return text;
  }
  void SetLong(UINT i, LONG value) const {
    VARIANT& arg = At(i);
    if (arg.vt != (VT_I4 | VT_BYREF)) throw Failure(u"ByRef argument type mismatch");
    *arg.plVal = value;
  }

 private:
  DISPPARAMS* params_;
};

void SetLongResult(VARIANT* result, LONG value) {
  if (result == nullptr) return;
  result->vt = VT_I4;
  result->lVal = value;
}

void SetTextResult(VARIANT* result, std::u16string_view text) {
  if (result == nullptr) return;
  result->vt = VT_BSTR;
  result->bstrVal =
      SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()), static_cast<UINT>(text.size()));
}

void SetObjectResult(VARIANT* result, IDispatch* object) {
  if (result == nullptr) return;
  result->vt = VT_DISPATCH;
  result->pdispVal = object;
  if (object != nullptr) object->AddRef();
}

// An automation object whose members are lambdas, looked up by name
// without regard to case; a Failure inside one comes back as an automation
// exception carrying its description, as the editor's objects report theirs.
class FakeObject final : public IDispatch, public IConnectionPointContainer, public IConnectionPoint {
 public:
  using Member = std::function<void(WORD flags, const Args& args, VARIANT* result)>;

  void Define(const std::wstring& name, Member member) {
    names_.push_back(name);
    members_.push_back(std::move(member));
  }
  // Counts the names this object is asked to look up into counter.
  void CountLookupsIn(std::size_t& counter) { lookups_ = &counter; }
  // Counts the calls of each member into calls, by the member's name.
  void CountCallsIn(std::map<std::wstring, std::size_t>& calls) { calls_ = &calls; }
  // Makes this object the source of the control's click events.
  void AcceptSinks(std::shared_ptr<FakeControl> control) { control_ = std::move(control); }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (iid == IID_IUnknown || iid == IID_IDispatch) {
      *object = static_cast<IDispatch*>(this);
    } else if (control_ && iid == IID_IConnectionPointContainer) {
      *object = static_cast<IConnectionPointContainer*>(this);
    } else if (control_ && iid == IID_IConnectionPoint) {
      *object = static_cast<IConnectionPoint*>(this);
    } else {
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    if (count != 1) return E_INVALIDARG;
    if (lookups_ != nullptr) ++*lookups_;
    for (std::size_t i = 0; i < names_.size(); ++i) {
      if (_wcsicmp(names_[i].c_str(), names[0]) == 0) {
        ids[0] = static_cast<DISPID>(i + 1);
        return S_OK;
      }
    }
    ids[0] = DISPID_UNKNOWN;
    return DISP_E_UNKNOWNNAME;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                   EXCEPINFO* exception, UINT*) override {
    if (id < 1 || static_cast<std::size_t>(id) > members_.size()) return DISP_E_MEMBERNOTFOUND;
    if (result != nullptr) VariantInit(result);
    if (calls_ != nullptr) ++(*calls_)[names_[static_cast<std::size_t>(id - 1)]];
    try {
      members_[static_cast<std::size_t>(id - 1)](flags, Args(params), result);
      return S_OK;
    } catch (const Failure& failure) {
      if (exception != nullptr) {
        *exception = EXCEPINFO{};
        exception->scode = E_FAIL;
        exception->bstrDescription =
            SysAllocStringLen(reinterpret_cast<const OLECHAR*>(failure.Description().data()),
                              static_cast<UINT>(failure.Description().size()));
      }
      return DISP_E_EXCEPTION;
    }
  }

  HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID iid, IConnectionPoint** point) override {
    if (iid != kCommandBarControlEvents) return CONNECT_E_NOCONNECTION;
    return QueryInterface(IID_IConnectionPoint, reinterpret_cast<void**>(point));
  }
  HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override {
    *iid = kCommandBarControlEvents;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** container) override {
    return QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(container));
  }
  HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override {
    ComPtr<IDispatch> events;
    if (sink == nullptr || FAILED(sink->QueryInterface(kCommandBarControlEvents, &events))) {
      return CONNECT_E_CANNOTCONNECT;
    }
    control_->sinks.push_back(events);
    *cookie = static_cast<DWORD>(control_->sinks.size());
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override {
    auto& sinks = control_->sinks;
    if (cookie == 0 || cookie > sinks.size() || !sinks[cookie - 1]) return CONNECT_E_NOCONNECTION;
    sinks[cookie - 1].Reset();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections**) override { return E_NOTIMPL; }

 private:
  std::atomic<ULONG> references_{0};
  std::vector<std::wstring> names_;
  std::vector<Member> members_;
  std::size_t* lookups_ = nullptr;
  std::map<std::wstring, std::size_t>* calls_ = nullptr;
  std::shared_ptr<FakeControl> control_;
};

ComPtr<IDispatch> NewObject(FakeObject*& object) {
  object = new FakeObject;
  return ComPtr<IDispatch>(static_cast<IDispatch*>(object));
}

ComPtr<IDispatch> MakeControl(const std::shared_ptr<FakeControl>& control) {
  FakeObject* object = nullptr;
  auto result = NewObject(object);
  object->Define(L"Caption", [control](WORD flags, const Args& args, VARIANT* value) {
    if (flags & DISPATCH_PROPERTYPUT) {
      const auto text = args.Text(0);
      control->caption.assign(text.begin(), text.end());
    } else {
      SetTextResult(value, std::u16string(control->caption.begin(), control->caption.end()));
    }
  });
  object->Define(L"Delete", [control](WORD, const Args&, VARIANT*) { control->deleted = true; });
  return result;
}

ComPtr<IDispatch> MakeCodeModule(FakeEditorState& state);

ComPtr<IDispatch> MakeCodePane(FakeEditorState& state) {
  FakeObject* object = nullptr;
  auto result = NewObject(object);
  object->Define(L"CodeModule", [&state](WORD, const Args&, VARIANT* value) {
    SetObjectResult(value, MakeCodeModule(state).Get());
  });
  object->Define(L"GetSelection", [&state](WORD, const Args& args, VARIANT*) {
    const Selection selection = state.code.Pane().GetSelection();
    args.SetLong(0, selection.startLine);
    args.SetLong(1, selection.startColumn);
    args.SetLong(2, selection.endLine);
    args.SetLong(3, selection.endColumn);
  });
  object->Define(L"SetSelection", [&state](WORD, const Args& args, VARIANT*) {
    state.code.Pane().SetSelection(args.Long(0), args.Long(1), args.Long(2), args.Long(3));
  });
  return result;
}

ComPtr<IDispatch> MakeCodeModule(FakeEditorState& state) {
  FakeObject* object = nullptr;
  auto result = NewObject(object);
  MemoryModule& module = state.code.Module();
  object->CountLookupsIn(state.moduleLookups);
  object->CountCallsIn(state.moduleCalls);
  auto refuse = [&state](const std::u16string& name) {
    if (!state.refusedProcedure.empty() && name == state.refusedProcedure) {
      throw Failure(u"The editor refuses " + name);
    }
  };
  object->Define(L"Parent", [&module](WORD, const Args&, VARIANT* value) {
    FakeObject* component = nullptr;
    auto made = NewObject(component);
    const std::u16string name = module.ComponentName();
    component->Define(L"Name", [name](WORD, const Args&, VARIANT* text) { SetTextResult(text, name); });
    SetObjectResult(value, made.Get());
  });
  object->Define(L"CountOfLines", [&module](WORD, const Args&, VARIANT* value) {
    SetLongResult(value, module.CountOfLines());
  });
  object->Define(L"Lines", [&module](WORD, const Args& args, VARIANT* value) {
    SetTextResult(value, module.Lines(args.Long(0), args.Long(1)));
  });
  object->Define(L"InsertLines", [&module](WORD, const Args& args, VARIANT*) {
    module.InsertLines(args.Long(0), args.Text(1));
  });
  object->Define(L"DeleteLines", [&module](WORD, const Args& args, VARIANT*) {
    module.DeleteLines(args.Long(0), args.Long(1));
  });
  object->Define(L"ProcStartLine", [&module, refuse](WORD, const Args& args, VARIANT* value) {
    refuse(args.Text(0));
    SetLongResult(value, module.ProcStartLine(args.Text(0), static_cast<ProcKind>(args.Long(1))));
  });
  object->Define(L"ProcBodyLine", [&module, refuse](WORD, const Args& args, VARIANT* value) {
    refuse(args.Text(0));
    SetLongResult(value, module.ProcBodyLine(args.Text(0), static_cast<ProcKind>(args.Long(1))));
  });
  object->Define(L"ProcOfLine", [&module](WORD, const Args& args, VARIANT* value) {
    ProcKind kind = ProcKind::Proc;
    SetTextResult(value, module.ProcOfLine(args.Long(0), kind));
    args.SetLong(1, static_cast<LONG>(kind));
  });
  object->Define(L"CodePane", [&state](WORD, const Args&, VARIANT* value) {
    SetObjectResult(value, MakeCodePane(state).Get());
  });
  return result;
}

}  // namespace

ComPtr<IDispatch> MakeFakeVbe(FakeEditorState& state) {
  FakeObject* vbe = nullptr;
  auto result = NewObject(vbe);
  vbe->Define(L"ActiveCodePane", [&state](WORD, const Args&, VARIANT* value) {
    SetObjectResult(value, state.paneActive ? MakeCodePane(state).Get() : nullptr);
  });
  vbe->Define(L"CommandBars", [&state](WORD, const Args&, VARIANT* value) {
    FakeObject* bars = nullptr;
    auto made = NewObject(bars);
    bars->Define(L"Item", [&state](WORD, const Args& args, VARIANT* bar) {
      if (args.Text(0) != u"Add-Ins") throw Failure(u"Invalid procedure call or argument");
      FakeObject* addIns = nullptr;
      auto madeBar = NewObject(addIns);
      addIns->Define(L"Controls", [&state](WORD, const Args&, VARIANT* controls) {
        FakeObject* list = nullptr;
        auto madeList = NewObject(list);
        list->Define(L"Add", [&state](WORD, const Args& args, VARIANT* control) {
          if (args.Count() != 1 || args.At(0).vt != VT_I2 || args.Long(0) != 1) {
            throw Failure(u"Invalid procedure call or argument");
          }
          state.addInsBar.push_back(std::make_shared<FakeControl>());
          SetObjectResult(control, MakeControl(state.addInsBar.back()).Get());
        });
        SetObjectResult(controls, madeList.Get());
      });
      SetObjectResult(bar, madeBar.Get());
    });
    SetObjectResult(value, made.Get());
  });
  vbe->Define(L"Events", [&state](WORD, const Args&, VARIANT* value) {
    FakeObject* events = nullptr;
    auto made = NewObject(events);
    events->Define(L"CommandBarEvents", [&state](WORD, const Args& args, VARIANT* source) {
      const VARIANT& control = args.At(0);
      if (control.vt != VT_DISPATCH || control.pdispVal == nullptr || state.addInsBar.empty()) {
        throw Failure(u"Invalid procedure call or argument");
      }
      FakeObject* eventSource = nullptr;
      auto madeSource = NewObject(eventSource);
      eventSource->AcceptSinks(state.addInsBar.back());
      SetObjectResult(source, madeSource.Get());
    });
    SetObjectResult(value, made.Get());
  });
  vbe->Define(L"MainWindow", [&state](WORD, const Args&, VARIANT* value) {
    FakeObject* window = nullptr;
    auto made = NewObject(window);
    window->Define(L"Left", [&state](WORD, const Args&, VARIANT* v) { SetLongResult(v, state.windowLeft); });
    window->Define(L"Top", [&state](WORD, const Args&, VARIANT* v) { SetLongResult(v, state.windowTop); });
    window->Define(L"Width",
                   [&state](WORD, const Args&, VARIANT* v) { SetLongResult(v, state.windowWidth); });
    window->Define(L"Height",
                   [&state](WORD, const Args&, VARIANT* v) { SetLongResult(v, state.windowHeight); });
    window->Define(L"HWnd", [&state](WORD, const Args&, VARIANT* v) {
      SetLongResult(v, static_cast<LONG>(reinterpret_cast<INT_PTR>(state.mainWindow)));
    });
    SetObjectResult(value, made.Get());
  });
  return result;
}

void ClickControl(FakeControl& control) {
  const auto sinks = control.sinks;
  for (const auto& sink : sinks) {
    if (!sink) continue;
    VARIANT_BOOL handled = VARIANT_FALSE;
    VARIANT_BOOL cancelDefault = VARIANT_FALSE;
    VARIANT args[3];
    args[2].vt = VT_DISPATCH;
    args[2].pdispVal = nullptr;
    args[1].vt = VT_BOOL | VT_BYREF;
    args[1].pboolVal = &handled;
    args[0].vt = VT_BOOL | VT_BYREF;
    args[0].pboolVal = &cancelDefault;
    DISPPARAMS params{args, nullptr, 3, 0};
    sink->Invoke(1, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
  }
}

}  // namespace tamvo::test
