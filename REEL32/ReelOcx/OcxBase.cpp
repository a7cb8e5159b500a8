// The small ActiveX layer under the player control: module counts, class
// factories, registry helpers, table-driven dispatch and connection points.
#include "OcxBase.h"
#include <algorithm>

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace ocx {

namespace {

LONG g_objects = 0;  // live objects of the module's classes
LONG g_locks = 0;    // IClassFactory::LockServer(TRUE) not yet undone

// The class factory of one class; a static object per class, so its own
// references only keep the module locked.
class ClassFactory : public IClassFactory {
public:
    explicit ClassFactory(CreateObjectFunction create) : create_(create) {}
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override
    {
        if (!out) return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IClassFactory) {
            *out = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override
    {
        LockModule(TRUE);
        return 2;
    }
    STDMETHODIMP_(ULONG) Release() override
    {
        LockModule(FALSE);
        return 1;
    }
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override
    {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        return create_(iid, out);
    }
    STDMETHODIMP LockServer(BOOL lock) override
    {
        LockModule(lock);
        return S_OK;
    }
private:
    CreateObjectFunction create_;
};

// IEnumConnectionPoints over a copy of the points.
class PointEnumerator final : public SingleInterfaceObject<IEnumConnectionPoints> {
public:
    explicit PointEnumerator(std::vector<IConnectionPoint*> points, size_t at = 0) : points_(std::move(points)), at_(at)
    {
        for (IConnectionPoint* p : points_) p->AddRef();
    }
    ~PointEnumerator()
    {
        for (IConnectionPoint* p : points_) p->Release();
    }
    STDMETHODIMP Next(ULONG count, IConnectionPoint** out, ULONG* fetched) override
    {
        if (!out || (count > 1 && !fetched)) return E_POINTER;
        ULONG n = 0;
        for (; n < count && at_ < points_.size(); ++n, ++at_) {
            out[n] = points_[at_];
            out[n]->AddRef();
        }
        if (fetched) *fetched = n;
        return n == count ? S_OK : S_FALSE;
    }
    STDMETHODIMP Skip(ULONG count) override
    {
        at_ = std::min(points_.size(), at_ + static_cast<size_t>(count));
        return at_ < points_.size() ? S_OK : S_FALSE;
    }
    STDMETHODIMP Reset() override
    {
        at_ = 0;
        return S_OK;
    }
    STDMETHODIMP Clone(IEnumConnectionPoints** out) override
    {
        if (!out) return E_POINTER;
        *out = new PointEnumerator(points_, at_);
        return S_OK;
    }
private:
    std::vector<IConnectionPoint*> points_;
    size_t at_;
};

HKEY OpenKey(HKEY root, const std::wstring& key, REGSAM access)
{
    HKEY opened = nullptr;
    return RegOpenKeyExW(root, key.c_str(), 0, access, &opened) == ERROR_SUCCESS ? opened : nullptr;
}

}  // namespace

// ---- the module ------------------------------------------------------------

HINSTANCE ModuleInstance() { return reinterpret_cast<HINSTANCE>(&__ImageBase); }

std::wstring ModulePath()
{
    wchar_t path[MAX_PATH] = L"";
    GetModuleFileNameW(ModuleInstance(), path, MAX_PATH);
    return path;
}

void ObjectCreated() { InterlockedIncrement(&g_objects); }
void ObjectDestroyed() { InterlockedDecrement(&g_objects); }

void LockModule(BOOL lock)
{
    if (lock)
        InterlockedIncrement(&g_locks);
    else
        InterlockedDecrement(&g_locks);
}

LONG LiveObjectCount() { return g_objects; }

HRESULT CanUnloadNow() { return g_objects == 0 && g_locks == 0 ? S_OK : S_FALSE; }

HRESULT GetClassObject(const ClassEntry* classes, size_t count, REFCLSID clsid, REFIID iid, void** out)
{
    if (!out) return E_POINTER;
    *out = nullptr;
    // One factory object per class entry, made on first use and never freed.
    static std::vector<std::pair<const ClassEntry*, ClassFactory*>> factories;
    for (size_t i = 0; i < count; ++i) {
        if (*classes[i].clsid != clsid) continue;
        ClassFactory* factory = nullptr;
        for (auto& f : factories)
            if (f.first == &classes[i]) factory = f.second;
        if (!factory) {
            factory = new ClassFactory(classes[i].create);
            factories.emplace_back(&classes[i], factory);
        }
        return factory->QueryInterface(iid, out);
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

// ---- small helpers ----------------------------------------------------------

VARIANT ShortVariant(int value)
{
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I2;
    v.iVal = static_cast<SHORT>(value);
    return v;
}

VARIANT BoolVariant(bool value)
{
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BOOL;
    v.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    return v;
}

VARIANT StringVariant(const std::string& text)
{
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BSTR;
    v.bstrVal = SysAllocString(Widen(text).c_str());
    return v;
}

std::wstring Widen(const std::string& text)
{
    if (text.empty()) return {};
    const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(n, L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
    return out;
}

std::string Narrow(const std::wstring& text)
{
    if (text.empty()) return {};
    const int n = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                      nullptr);
    std::string out(n, '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::wstring GuidText(REFGUID guid)
{
    wchar_t text[40] = L"";
    StringFromGUID2(guid, text, 40);
    return text;
}

std::string LoadModuleString(UINT id)
{
    char text[512] = "";
    LoadStringA(ModuleInstance(), id, text, sizeof text);
    return text;
}

// ---- registry ----------------------------------------------------------------

bool SetRegistryString(HKEY root, const std::wstring& key, const wchar_t* name, const std::wstring& value)
{
    HKEY created = nullptr;
    if (RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &created, nullptr) != ERROR_SUCCESS)
        return false;
    const LONG status = RegSetValueExW(created, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(created);
    return status == ERROR_SUCCESS;
}

bool RegistryKeyExists(HKEY root, const std::wstring& key)
{
    HKEY opened = OpenKey(root, key, KEY_READ);
    if (opened) RegCloseKey(opened);
    return opened != nullptr;
}

std::wstring ReadRegistryString(HKEY root, const std::wstring& key, const wchar_t* name)
{
    HKEY opened = OpenKey(root, key, KEY_READ);
    if (!opened) return {};
    wchar_t value[1024] = L"";
    DWORD size = sizeof value - sizeof(wchar_t), type = 0;
    const LONG status = RegQueryValueExW(opened, name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
    RegCloseKey(opened);
    if (status != ERROR_SUCCESS || type != REG_SZ) return {};
    value[size / sizeof(wchar_t)] = L'\0';
    return value;
}

bool DeleteRegistryTree(HKEY root, const std::wstring& key)
{
    HKEY opened = OpenKey(root, key, KEY_READ | KEY_WRITE);
    if (!opened) return true;
    // Delete the subkeys first, always the first one, until none is left.
    wchar_t name[256];
    for (;;) {
        DWORD length = 256;
        if (RegEnumKeyExW(opened, 0, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        if (!DeleteRegistryTree(opened, name)) break;
    }
    RegCloseKey(opened);
    return RegDeleteKeyW(root, key.c_str()) == ERROR_SUCCESS;
}

bool DeleteRegistryValue(HKEY root, const std::wstring& key, const wchar_t* name)
{
    HKEY opened = OpenKey(root, key, KEY_WRITE);
    if (!opened) return false;
    const bool deleted = RegDeleteValueW(opened, name) == ERROR_SUCCESS;
    RegCloseKey(opened);
    return deleted;
}

bool RegisterClassKeys(const ClassRegistration& c)
{
    const std::wstring clsid = GuidText(*c.clsid);
    const std::wstring key = L"CLSID\\" + clsid;
    bool ok = SetRegistryString(HKEY_CLASSES_ROOT, key, nullptr, c.description);
    ok = ok && SetRegistryString(HKEY_CLASSES_ROOT, key + L"\\InprocServer32", nullptr, ModulePath());
    ok = ok && SetRegistryString(HKEY_CLASSES_ROOT, key + L"\\InprocServer32", L"ThreadingModel", L"Apartment");
    ok = ok && SetRegistryString(HKEY_CLASSES_ROOT, key + L"\\ProgID", nullptr, c.progId);
    ok = ok && SetRegistryString(HKEY_CLASSES_ROOT, c.progId, nullptr, c.description);
    ok = ok && SetRegistryString(HKEY_CLASSES_ROOT, std::wstring(c.progId) + L"\\CLSID", nullptr, clsid);
    if (c.control) {
        ok = ok && SetRegistryString(HKEY_CLASSES_ROOT, key + L"\\Control", nullptr, L"");
        ok = ok && SetRegistryString(HKEY_CLASSES_ROOT, key + L"\\MiscStatus\\1", nullptr,
                                     std::to_wstring(c.miscStatus));
        ok = ok && SetRegistryString(HKEY_CLASSES_ROOT, key + L"\\TypeLib", nullptr, GuidText(*c.typeLib));
        ok = ok && SetRegistryString(HKEY_CLASSES_ROOT, key + L"\\Version", nullptr, c.version);
    }
    return ok;
}

bool UnregisterClassKeys(const ClassRegistration& c)
{
    const bool keys = DeleteRegistryTree(HKEY_CLASSES_ROOT, L"CLSID\\" + GuidText(*c.clsid));
    return DeleteRegistryTree(HKEY_CLASSES_ROOT, c.progId) && keys;
}

HRESULT RegisterModuleTypeLib()
{
    const std::wstring path = ModulePath();
    ComRef<ITypeLib> lib;
    HRESULT hr = LoadTypeLibEx(path.c_str(), REGKIND_NONE, lib.Out());
    if (FAILED(hr)) return hr;
    return RegisterTypeLib(lib.get(), const_cast<wchar_t*>(path.c_str()), nullptr);
}

HRESULT UnregisterModuleTypeLib(REFGUID libid, WORD major, WORD minor)
{
#ifdef _WIN64
    const SYSKIND kind = SYS_WIN64;
#else
    const SYSKIND kind = SYS_WIN32;
#endif
    return UnRegisterTypeLib(libid, major, minor, LOCALE_NEUTRAL, kind);
}

HRESULT LoadModuleTypeInfo(REFGUID guid, ITypeInfo** out)
{
    if (!out) return E_POINTER;
    *out = nullptr;
    ComRef<ITypeLib> lib;
    const HRESULT hr = LoadTypeLibEx(ModulePath().c_str(), REGKIND_NONE, lib.Out());
    if (FAILED(hr)) return hr;
    return lib->GetTypeInfoOfGuid(guid, out);
}

// ---- dispatch ---------------------------------------------------------------

InvokeAction ResolveInvoke(VARTYPE type, bool hasGet, bool hasPut, bool hasCall, WORD flags, DISPPARAMS* params,
                           UINT* argError, VARIANT* coerced, HRESULT* failure)
{
    static DISPPARAMS none{};
    if (!params) params = &none;
    auto fail = [&](HRESULT hr) {
        *failure = hr;
        return InvokeAction::Fail;
    };
    if (hasCall) {
        if (!(flags & DISPATCH_METHOD)) return fail(DISP_E_MEMBERNOTFOUND);
        if (params->cArgs != 0) return fail(DISP_E_BADPARAMCOUNT);
        return InvokeAction::Call;
    }
    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
        if (params->cArgs != 1) return fail(DISP_E_BADPARAMCOUNT);
        if (params->cNamedArgs != 1 || !params->rgdispidNamedArgs ||
            params->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT)
            return fail(DISP_E_PARAMNOTOPTIONAL);
        if (!hasPut) return InvokeAction::ReadOnlyPut;
        VARIANT* argument = &params->rgvarg[0];
        // A script hands values by reference now and then.
        if (FAILED(VariantChangeType(coerced, argument, 0, type))) {
            if (argError) *argError = 0;
            return fail(DISP_E_TYPEMISMATCH);
        }
        return InvokeAction::Put;
    }
    if (flags & (DISPATCH_PROPERTYGET | DISPATCH_METHOD)) {
        if (!hasGet) return fail(DISP_E_MEMBERNOTFOUND);
        if (params->cArgs != 0) return fail(DISP_E_BADPARAMCOUNT);
        return InvokeAction::Get;
    }
    return fail(DISP_E_MEMBERNOTFOUND);
}

void FillException(EXCEPINFO* info, const ControlError& error, const wchar_t* source)
{
    // Vtable callers learn the error through the thread's error object.
    ComRef<ICreateErrorInfo> create;
    if (SUCCEEDED(CreateErrorInfo(create.Out()))) {
        create->SetSource(const_cast<wchar_t*>(source));
        create->SetDescription(const_cast<wchar_t*>(error.description.c_str()));
        ComRef<IErrorInfo> record;
        if (SUCCEEDED(create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(record.Out()))))
            SetErrorInfo(0, record.get());
    }
    if (!info) return;
    memset(info, 0, sizeof *info);
    info->scode = error.scode;
    info->bstrSource = SysAllocString(source);
    info->bstrDescription = SysAllocString(error.description.c_str());
}

HRESULT InvokeSink(IDispatch* sink, DISPID id, std::vector<VARIANT>& args)
{
    std::vector<VARIANT> reversed(args.rbegin(), args.rend());
    DISPPARAMS params{reversed.empty() ? nullptr : reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    VARIANT result;
    VariantInit(&result);
    const HRESULT hr = sink->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, &result, nullptr,
                                    nullptr);
    VariantClear(&result);
    return hr;
}

// ---- connection points ------------------------------------------------------

ConnectionPoint::~ConnectionPoint() { UnadviseAll(); }

STDMETHODIMP ConnectionPoint::QueryInterface(REFIID iid, void** out)
{
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IConnectionPoint) {
        *out = static_cast<IConnectionPoint*>(this);
        AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP ConnectionPoint::GetConnectionInterface(IID* iid)
{
    if (!iid) return E_POINTER;
    *iid = iid_;
    return S_OK;
}

STDMETHODIMP ConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** out)
{
    if (!out) return E_POINTER;
    *out = container_;
    container_->AddRef();
    return S_OK;
}

STDMETHODIMP ConnectionPoint::Advise(IUnknown* sink, DWORD* cookie)
{
    if (!sink || !cookie) return E_POINTER;
    *cookie = 0;
    IUnknown* held = nullptr;
    // Event sinks of a dispinterface answer IDispatch; accept either.
    if (FAILED(sink->QueryInterface(iid_, reinterpret_cast<void**>(&held))) &&
        FAILED(sink->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&held))))
        return CONNECT_E_CANNOTCONNECT;
    *cookie = nextCookie_++;
    sinks_.emplace_back(*cookie, held);
    return S_OK;
}

STDMETHODIMP ConnectionPoint::Unadvise(DWORD cookie)
{
    for (auto it = sinks_.begin(); it != sinks_.end(); ++it) {
        if (it->first != cookie) continue;
        IUnknown* sink = it->second;
        sinks_.erase(it);
        sink->Release();
        return S_OK;
    }
    return CONNECT_E_NOCONNECTION;
}

STDMETHODIMP ConnectionPoint::EnumConnections(IEnumConnections** out)
{
    if (out) *out = nullptr;
    return E_NOTIMPL;
}

std::vector<ComRef<IUnknown>> ConnectionPoint::Sinks() const
{
    std::vector<ComRef<IUnknown>> copy;
    for (const auto& s : sinks_) {
        copy.emplace_back();
        copy.back().Hold(s.second);
    }
    return copy;
}

void ConnectionPoint::UnadviseAll()
{
    auto sinks = std::move(sinks_);
    sinks_.clear();
    for (auto& s : sinks) s.second->Release();
}

HRESULT EnumerateConnectionPoints(std::vector<IConnectionPoint*> points, IEnumConnectionPoints** out)
{
    if (!out) return E_POINTER;
    *out = new PointEnumerator(std::move(points));
    return S_OK;
}

// ---- units ------------------------------------------------------------------

namespace {

SIZE DisplayPixelsPerInch()
{
    HDC screen = GetDC(nullptr);
    const SIZE ppi{GetDeviceCaps(screen, LOGPIXELSX), GetDeviceCaps(screen, LOGPIXELSY)};
    ReleaseDC(nullptr, screen);
    return {ppi.cx > 0 ? ppi.cx : 96, ppi.cy > 0 ? ppi.cy : 96};
}

}  // namespace

SIZEL PixelsToHimetric(SIZE pixels)
{
    const SIZE ppi = DisplayPixelsPerInch();
    return {MulDiv(pixels.cx, 2540, ppi.cx), MulDiv(pixels.cy, 2540, ppi.cy)};
}

SIZE HimetricToPixels(SIZEL himetric)
{
    const SIZE ppi = DisplayPixelsPerInch();
    return {MulDiv(himetric.cx, ppi.cx, 2540), MulDiv(himetric.cy, ppi.cy, 2540)};
}

}  // namespace ocx
