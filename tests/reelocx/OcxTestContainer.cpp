// The tests' own container for the player control (see OcxTestContainer.h).
#include "OcxTestContainer.h"
#include "FakeMciDevices.h"

namespace {

std::string Narrowed(const wchar_t* text) { return text ? ocx::Narrow(text) : std::string(); }

// One argument of an event as text.
std::string ArgumentText(const VARIANT& v)
{
    ocx::ScopedVariant text;
    if (v.vt == VT_BSTR) return Narrowed(v.bstrVal);
    if (FAILED(VariantChangeType(&text, const_cast<VARIANT*>(&v), 0, VT_BSTR))) return "?";
    return Narrowed(text.bstrVal);
}

const char* EventName(DISPID id)
{
    switch (id) {
    case EVENT_END_ANIMATION: return "EndAnimation";
    case EVENT_OBJECT_MSG: return "ObjectMsg";
    case EVENT_ORIGIN_CHANGE: return "OriginChange";
    case EVENT_PLAY_SOUND: return "PlaySound";
    case EVENT_CLICK_IN: return "ClickIn";
    default: return "Unknown";
    }
}

}  // namespace

// ---- calls by name ---------------------------------------------------------

std::unique_ptr<CallResult> CallById(IDispatch* control, DISPID id, WORD flags, std::vector<VARIANT> args)
{
    auto result = std::make_unique<CallResult>();
    DISPID named = DISPID_PROPERTYPUT;
    std::vector<VARIANT> reversed(args.rbegin(), args.rend());
    DISPPARAMS params{reversed.empty() ? nullptr : reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    if (flags & DISPATCH_PROPERTYPUT) {
        params.rgdispidNamedArgs = &named;
        params.cNamedArgs = 1;
    }
    EXCEPINFO info{};
    UINT argError = 0;
    result->hr = control->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, &result->value, &info, &argError);
    result->scode = info.scode;
    result->description = info.bstrDescription ? info.bstrDescription : L"";
    result->source = info.bstrSource ? info.bstrSource : L"";
    SysFreeString(info.bstrDescription);
    SysFreeString(info.bstrSource);
    SysFreeString(info.bstrHelpFile);
    return result;
}

static DISPID IdOf(IDispatch* control, const wchar_t* name)
{
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    control->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    return id;
}

std::unique_ptr<CallResult> GetByName(IDispatch* control, const wchar_t* name)
{
    return CallById(control, IdOf(control, name), DISPATCH_PROPERTYGET | DISPATCH_METHOD, {});
}

std::unique_ptr<CallResult> PutByName(IDispatch* control, const wchar_t* name, const VARIANT& value)
{
    return CallById(control, IdOf(control, name), DISPATCH_PROPERTYPUT, {value});
}

VARIANT ShortValue(int value) { return ocx::ShortVariant(value); }
VARIANT BoolValue(bool value) { return ocx::BoolVariant(value); }
VARIANT StringValue(const std::string& text) { return ocx::StringVariant(text); }

VARIANT DoubleValue(double value)
{
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_R8;
    v.dblVal = value;
    return v;
}

int IntProperty(IDispatch* control, const wchar_t* name)
{
    auto r = GetByName(control, name);
    ocx::ScopedVariant n;
    if (FAILED(r->hr) || FAILED(VariantChangeType(&n, &r->value, 0, VT_I4))) return -12345;
    return n.lVal;
}

std::string StringProperty(IDispatch* control, const wchar_t* name)
{
    auto r = GetByName(control, name);
    if (FAILED(r->hr) || r->value.vt != VT_BSTR) return "<failed>";
    return Narrowed(r->value.bstrVal);
}

// ---- the container ---------------------------------------------------------------

TestContainer::TestContainer()
{
    host_ = CreateWindowExA(0, "STATIC", "ZelvoPlay test host", WS_POPUP | WS_CLIPCHILDREN, 0, 0, 400, 300, nullptr,
                            nullptr, GetModuleHandleA(nullptr), nullptr);
}

TestContainer::~TestContainer()
{
    ReleaseControl();
    if (host_) DestroyWindow(host_);
}

bool TestContainer::CreateControl()
{
    if (FAILED(CreateZelvoPlay(IID_IDispatch, reinterpret_cast<void**>(dispatch_.Out())))) return false;
    object_ = static_cast<ZelvoPlayControl*>(dispatch_.get());
    dispatch_->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(ole_.Out()));
    ole_->SetClientSite(this);
    ocx::ComRef<IConnectionPointContainer> points;
    dispatch_->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(points.Out()));
    ocx::ComRef<IConnectionPoint> point;
    if (FAILED(points->FindConnectionPoint(DIID_IZelvoPlayEvents, point.Out()))) return false;
    if (FAILED(point->Advise(static_cast<IDispatch*>(this), &eventCookie_))) return false;
    if (FAILED(points->FindConnectionPoint(IID_IPropertyNotifySink, point.Out()))) return false;
    return SUCCEEDED(point->Advise(static_cast<IPropertyNotifySink*>(this), &notifyCookie_));
}

HRESULT TestContainer::Activate(RECT position)
{
    position_ = position;
    return ole_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, this, 0, host_, &position_);
}

void TestContainer::Deactivate()
{
    ocx::ComRef<IOleInPlaceObject> inPlace;
    if (ole_ && SUCCEEDED(ole_->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(inPlace.Out()))))
        inPlace->InPlaceDeactivate();
}

void TestContainer::ReleaseControl()
{
    if (!dispatch_) return;
    ocx::ComRef<IConnectionPointContainer> points;
    dispatch_->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(points.Out()));
    ocx::ComRef<IConnectionPoint> point;
    if (eventCookie_ && SUCCEEDED(points->FindConnectionPoint(DIID_IZelvoPlayEvents, point.Out())))
        point->Unadvise(eventCookie_);
    if (notifyCookie_ && SUCCEEDED(points->FindConnectionPoint(IID_IPropertyNotifySink, point.Out())))
        point->Unadvise(notifyCookie_);
    points.Reset();
    point.Reset();
    eventCookie_ = notifyCookie_ = 0;
    ole_->Close(OLECLOSE_NOSAVE);
    ole_->SetClientSite(nullptr);
    ole_.Reset();
    object_ = nullptr;
    dispatch_.Reset();
}

bool TestContainer::Saw(const std::string& event) const
{
    for (const std::string& e : events)
        if (e == event) return true;
    return false;
}

bool TestContainer::WaitForEvent(const std::string& event, DWORD milliseconds)
{
    return PumpUntil([&] { return Saw(event); }, milliseconds);
}

STDMETHODIMP TestContainer::QueryInterface(REFIID iid, void** out)
{
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IOleClientSite)
        *out = static_cast<IOleClientSite*>(this);
    else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceSite)
        *out = static_cast<IOleInPlaceSite*>(this);
    else if (iid == IID_IOleInPlaceUIWindow || iid == IID_IOleInPlaceFrame)
        *out = static_cast<IOleInPlaceFrame*>(this);
    else if (iid == IID_IDispatch || iid == DIID_IZelvoPlayEvents)
        *out = static_cast<IDispatch*>(this);
    else if (iid == IID_IPropertyNotifySink)
        *out = static_cast<IPropertyNotifySink*>(this);
    if (!*out) return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

STDMETHODIMP TestContainer::GetMoniker(DWORD, DWORD, IMoniker** out)
{
    if (out) *out = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP TestContainer::GetContainer(IOleContainer** out)
{
    if (out) *out = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP TestContainer::GetWindow(HWND* window)
{
    if (!window) return E_POINTER;
    *window = host_;
    return S_OK;
}

STDMETHODIMP TestContainer::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc, LPRECT position,
                                             LPRECT clip, LPOLEINPLACEFRAMEINFO info)
{
    *frame = this;
    AddRef();
    *doc = nullptr;
    *position = position_;
    *clip = position_;
    if (info) {
        info->fMDIApp = FALSE;
        info->hwndFrame = host_;
        info->haccel = nullptr;
        info->cAccelEntries = 0;
    }
    return S_OK;
}

STDMETHODIMP TestContainer::OnPosRectChange(LPCRECT position)
{
    posRectChanges.push_back(*position);
    position_ = *position;
    ocx::ComRef<IOleInPlaceObject> inPlace;
    if (ole_ && SUCCEEDED(ole_->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(inPlace.Out()))))
        inPlace->SetObjectRects(&position_, &position_);
    return S_OK;
}

STDMETHODIMP TestContainer::GetTypeInfoCount(UINT* count)
{
    if (count) *count = 0;
    return S_OK;
}

STDMETHODIMP TestContainer::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*)
{
    std::string text = EventName(id);
    // The arguments arrive last first.
    for (UINT i = params ? params->cArgs : 0; i > 0; --i) text += " " + ArgumentText(params->rgvarg[i - 1]);
    events.push_back(text);
    if (onEvent) onEvent(text);
    return S_OK;
}

STDMETHODIMP TestContainer::OnChanged(DISPID id)
{
    changed.push_back(id);
    return S_OK;
}

// ---- the property bag ---------------------------------------------------------------

MemoryPropertyBag::~MemoryPropertyBag()
{
    for (auto& v : values_) VariantClear(&v.second);
}

STDMETHODIMP MemoryPropertyBag::QueryInterface(REFIID iid, void** out)
{
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IPropertyBag) {
        *out = static_cast<IPropertyBag*>(this);
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP MemoryPropertyBag::Read(LPCOLESTR name, VARIANT* value, IErrorLog*)
{
    const VARIANT* found = Find(name);
    if (!found) return E_INVALIDARG;
    // Like a browser's bag: the value as it was written, whatever was asked for.
    VariantInit(value);
    return VariantCopy(value, const_cast<VARIANT*>(found));
}

STDMETHODIMP MemoryPropertyBag::Write(LPCOLESTR name, VARIANT* value)
{
    Set(name, *value);
    return S_OK;
}

void MemoryPropertyBag::Set(const std::wstring& name, const VARIANT& value)
{
    for (auto& v : values_)
        if (v.first == name) {
            VariantCopy(&v.second, const_cast<VARIANT*>(&value));
            return;
        }
    values_.emplace_back(name, VARIANT{});
    VariantInit(&values_.back().second);
    VariantCopy(&values_.back().second, const_cast<VARIANT*>(&value));
}

const VARIANT* MemoryPropertyBag::Find(const std::wstring& name) const
{
    for (const auto& v : values_)
        if (lstrcmpiW(v.first.c_str(), name.c_str()) == 0) return &v.second;
    return nullptr;
}

std::vector<std::wstring> MemoryPropertyBag::Names() const
{
    std::vector<std::wstring> names;
    for (const auto& v : values_) names.push_back(v.first);
    return names;
}
