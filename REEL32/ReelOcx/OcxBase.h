// The small ActiveX layer under the player control: module counts, class
// factories, registry helpers, a table-driven IDispatch, connection points
// and unit conversions. Only what one control and its property page need.
#pragma once
#include <windows.h>
#include <ole2.h>
#include <olectl.h>
#include <ocidl.h>
#include <objsafe.h>
#include <string>
#include <utility>
#include <vector>

namespace ocx {

// ---- the module ------------------------------------------------------------

// The module that holds this code (the control's DLL, or a test program that
// links it), for resources, the type library and registration.
HINSTANCE ModuleInstance();
std::wstring ModulePath();

// Live objects and IClassFactory::LockServer locks: DllCanUnloadNow answers
// S_OK only when both are zero.
void ObjectCreated();
void ObjectDestroyed();
void LockModule(BOOL lock);
LONG LiveObjectCount();
HRESULT CanUnloadNow();

// Creates one object of a class (aggregation is not supported).
typedef HRESULT (*CreateObjectFunction)(REFIID iid, void** out);
struct ClassEntry {
    const CLSID* clsid;
    CreateObjectFunction create;
};
// DllGetClassObject over a table of classes.
HRESULT GetClassObject(const ClassEntry* classes, size_t count, REFCLSID clsid, REFIID iid, void** out);

// ---- small helpers ----------------------------------------------------------

// Holds one reference to a COM object and releases it.
template <class T>
class ComRef {
public:
    ComRef() = default;
    explicit ComRef(T* p) : p_(p) {}  // takes over a reference
    ComRef(const ComRef& other) : p_(other.p_) { if (p_) p_->AddRef(); }
    ComRef& operator=(const ComRef& other)
    {
        if (other.p_) other.p_->AddRef();
        Reset(other.p_);
        return *this;
    }
    ~ComRef() { Reset(); }
    void Reset(T* p = nullptr)
    {
        if (p_) p_->Release();
        p_ = p;
    }
    // Keeps a reference of its own to p.
    void Hold(T* p)
    {
        if (p) p->AddRef();
        Reset(p);
    }
    T** Out()
    {
        Reset();
        return &p_;
    }
    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
private:
    T* p_ = nullptr;
};

// A VARIANT cleared at the end of its scope.
struct ScopedVariant : VARIANT {
    ScopedVariant() { VariantInit(this); }
    ~ScopedVariant() { VariantClear(this); }
    ScopedVariant(const ScopedVariant&) = delete;
    ScopedVariant& operator=(const ScopedVariant&) = delete;
};

// Variants of the types the control hands out (a string one is the caller's
// to clear).
VARIANT ShortVariant(int value);
VARIANT BoolVariant(bool value);
VARIANT StringVariant(const std::string& text);

// IUnknown of an object with one interface I, counted among the module's
// objects; it deletes itself with its last reference.
template <class I>
class SingleInterfaceObject : public I {
public:
    SingleInterfaceObject() { ObjectCreated(); }
    virtual ~SingleInterfaceObject() { ObjectDestroyed(); }
    SingleInterfaceObject(const SingleInterfaceObject&) = delete;
    SingleInterfaceObject& operator=(const SingleInterfaceObject&) = delete;
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override
    {
        if (!out) return E_POINTER;
        if (iid == IID_IUnknown || iid == __uuidof(I)) {
            *out = static_cast<I*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&refs_); }
    STDMETHODIMP_(ULONG) Release() override
    {
        const LONG left = InterlockedDecrement(&refs_);
        if (!left) delete this;
        return left;
    }
private:
    LONG refs_ = 1;
};

std::wstring Widen(const std::string& text);   // from the ANSI code page
std::string Narrow(const std::wstring& text);  // to the ANSI code page
std::wstring GuidText(REFGUID guid);           // "{XXXXXXXX-...}"
// The control's own strings (ANSI: the engine's file names are ANSI).
std::string LoadModuleString(UINT id);

// ---- registry ----------------------------------------------------------------

// Creates the key (and those above it) under root and sets a string value
// (the default value when name is null).
bool SetRegistryString(HKEY root, const std::wstring& key, const wchar_t* name, const std::wstring& value);
bool RegistryKeyExists(HKEY root, const std::wstring& key);
std::wstring ReadRegistryString(HKEY root, const std::wstring& key, const wchar_t* name);
// Removes a key with everything below it; true when it is gone.
bool DeleteRegistryTree(HKEY root, const std::wstring& key);
bool DeleteRegistryValue(HKEY root, const std::wstring& key, const wchar_t* name);

// What a class writes under HKEY_CLASSES_ROOT when it registers.
struct ClassRegistration {
    const CLSID* clsid;
    const wchar_t* progId;
    const wchar_t* description;
    bool control;           // a control: "Control", "MiscStatus", "TypeLib", "Version"
    DWORD miscStatus;
    const GUID* typeLib;
    const wchar_t* version;
};
bool RegisterClassKeys(const ClassRegistration& c);
// Removes the class's key tree and its ProgID key.
bool UnregisterClassKeys(const ClassRegistration& c);

// Registers the type library embedded as TYPELIB 1 in the module.
HRESULT RegisterModuleTypeLib();
HRESULT UnregisterModuleTypeLib(REFGUID libid, WORD major, WORD minor);
// The type information of one interface or class of that library.
HRESULT LoadModuleTypeInfo(REFGUID guid, ITypeInfo** out);

// ---- dispatch ---------------------------------------------------------------

// A control error raised by a property or method: the scode and its text go
// to the caller in EXCEPINFO with DISP_E_EXCEPTION.
struct ControlError {
    SCODE scode = S_OK;
    std::wstring description;
};
// An error code in the controls' facility (CTL_E_FILENOTFOUND is 53).
constexpr SCODE ControlScode(int code) { return static_cast<SCODE>(0x800A0000u | static_cast<unsigned>(code)); }
constexpr int CTL_FILE_NOT_FOUND = 53;
constexpr int CTL_SET_NOT_SUPPORTED = 383;

// One member of a dispatch interface. get fills a VARIANT of `type`; put
// receives the argument already coerced to `type` (no put: read-only); a
// method has only call. put and call return S_OK or fill the error and return
// DISP_E_EXCEPTION.
template <class T>
struct DispMember {
    DISPID id;
    const wchar_t* name;
    VARTYPE type;
    void (T::*get)(VARIANT* out);
    HRESULT (T::*put)(const VARIANT& value, ControlError* error);
    HRESULT (T::*call)(ControlError* error);
};

// GetIDsOfNames over a table: names compare without regard to case; the
// first name is the member, further names (parameter names) are unknown.
template <class T, size_t N>
HRESULT TableIdsOfNames(const DispMember<T> (&table)[N], LPOLESTR* names, UINT count, DISPID* ids);

// What an Invoke asks of a member, once it is found; Fail with the HRESULT
// for a wrong flag, argument count or type.
enum class InvokeAction { Fail, Get, Put, Call, ReadOnlyPut };
InvokeAction ResolveInvoke(VARTYPE type, bool hasGet, bool hasPut, bool hasCall, WORD flags, DISPPARAMS* params,
                           UINT* argError, VARIANT* coerced, HRESULT* failure);
void FillException(EXCEPINFO* info, const ControlError& error, const wchar_t* source);

// Invoke over a table: finds the member, checks flags and argument count,
// coerces a put's argument with VariantChangeType, and reports control errors
// through EXCEPINFO.
template <class T, size_t N>
HRESULT TableInvoke(const DispMember<T> (&table)[N], T* object, const wchar_t* source, DISPID id, WORD flags,
                    DISPPARAMS* params, VARIANT* result, EXCEPINFO* info, UINT* argError)
{
    const DispMember<T>* member = nullptr;
    for (const DispMember<T>& m : table)
        if (m.id == id) member = &m;
    if (!member) return DISP_E_MEMBERNOTFOUND;
    ScopedVariant coerced;
    HRESULT hr = S_OK;
    const InvokeAction action = ResolveInvoke(member->type, member->get != nullptr, member->put != nullptr,
                                              member->call != nullptr, flags, params, argError, &coerced, &hr);
    ControlError error;
    switch (action) {
    case InvokeAction::Fail:
        return hr;
    case InvokeAction::Get:
        if (result) (object->*member->get)(result);
        return S_OK;
    case InvokeAction::Put:
        hr = (object->*member->put)(coerced, &error);
        break;
    case InvokeAction::Call:
        if (result) VariantInit(result);
        hr = (object->*member->call)(&error);
        break;
    case InvokeAction::ReadOnlyPut:
        error.scode = ControlScode(CTL_SET_NOT_SUPPORTED);
        error.description = L"Property is read-only.";
        hr = DISP_E_EXCEPTION;
        break;
    }
    if (hr == DISP_E_EXCEPTION) FillException(info, error, source);
    return hr;
}

template <class T, size_t N>
HRESULT TableIdsOfNames(const DispMember<T> (&table)[N], LPOLESTR* names, UINT count, DISPID* ids)
{
    if (!names || !ids) return E_POINTER;
    HRESULT hr = S_OK;
    for (UINT i = 0; i < count; ++i) {
        ids[i] = DISPID_UNKNOWN;
        if (i == 0 && names[0])
            for (const DispMember<T>& m : table)
                if (lstrcmpiW(m.name, names[0]) == 0) ids[0] = m.id;
        if (ids[i] == DISPID_UNKNOWN) hr = DISP_E_UNKNOWNNAME;
    }
    return hr;
}

// Calls a sink's IDispatch::Invoke with the arguments in the order written
// (they are handed over reversed, as DISPPARAMS wants them).
HRESULT InvokeSink(IDispatch* sink, DISPID id, std::vector<VARIANT>& args);

// ---- connection points ------------------------------------------------------

// One outgoing interface of an object: its sinks by cookie. The container
// object owns it; AddRef and Release go to the container.
class ConnectionPoint : public IConnectionPoint {
public:
    ConnectionPoint(IConnectionPointContainer* container, REFIID iid) : container_(container), iid_(iid) {}
    ~ConnectionPoint();
    ConnectionPoint(const ConnectionPoint&) = delete;
    ConnectionPoint& operator=(const ConnectionPoint&) = delete;

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override { return container_->AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return container_->Release(); }
    STDMETHODIMP GetConnectionInterface(IID* iid) override;
    STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** out) override;
    STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override;
    STDMETHODIMP Unadvise(DWORD cookie) override;
    STDMETHODIMP EnumConnections(IEnumConnections** out) override;

    REFIID Iid() const { return iid_; }
    // A copy of the sinks with a reference each: a sink may unadvise (or
    // release the object) while it is being called.
    std::vector<ComRef<IUnknown>> Sinks() const;
    void UnadviseAll();

private:
    IConnectionPointContainer* container_;
    IID iid_;
    std::vector<std::pair<DWORD, IUnknown*>> sinks_;  // each holds a reference (queried for iid_)
    DWORD nextCookie_ = 1;
};

// EnumConnectionPoints over a fixed set of points.
HRESULT EnumerateConnectionPoints(std::vector<IConnectionPoint*> points, IEnumConnectionPoints** out);

// ---- units ------------------------------------------------------------------

// Pixels of the display to HIMETRIC (0.01 mm) and back.
SIZEL PixelsToHimetric(SIZE pixels);
SIZE HimetricToPixels(SIZEL himetric);

}  // namespace ocx
