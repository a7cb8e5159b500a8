// A container of the tests' own for the player control: client site,
// in-place site and frame, event sink and property-change sink, with a host
// window, and helpers that call the control by name through IDispatch.
#pragma once
#include "ZelvoPlayControl.h"
#include <functional>
#include <memory>
#include <string>
#include <vector>

// COM started (apartment) for the life of the object.
class ComApartment {
public:
    ComApartment() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    ~ComApartment() { CoUninitialize(); }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
};

// What an Invoke by name gave: the HRESULT, the value and the exception.
struct CallResult {
    HRESULT hr = E_FAIL;
    ocx::ScopedVariant value;
    SCODE scode = 0;
    std::wstring description, source;
};

// Calls through IDispatch by name, as a script does.
std::unique_ptr<CallResult> GetByName(IDispatch* control, const wchar_t* name);
std::unique_ptr<CallResult> PutByName(IDispatch* control, const wchar_t* name, const VARIANT& value);
std::unique_ptr<CallResult> CallById(IDispatch* control, DISPID id, WORD flags, std::vector<VARIANT> args);
VARIANT ShortValue(int value);
VARIANT BoolValue(bool value);
VARIANT StringValue(const std::string& text);  // the caller clears it
VARIANT DoubleValue(double value);
// The value of a property as an int (VariantChangeType to VT_I4), or a text.
int IntProperty(IDispatch* control, const wchar_t* name);
std::string StringProperty(IDispatch* control, const wchar_t* name);

class TestContainer : public IOleClientSite,
                      public IOleInPlaceSite,
                      public IOleInPlaceFrame,
                      public IDispatch,
                      public IPropertyNotifySink {
public:
    TestContainer();
    ~TestContainer();
    TestContainer(const TestContainer&) = delete;
    TestContainer& operator=(const TestContainer&) = delete;

    // A new control sited in this container (not yet active), its events
    // and property changes connected.
    bool CreateControl();
    // In-place activation into the host window at the given rectangle.
    HRESULT Activate(RECT position = {0, 0, 200, 150});
    void Deactivate();
    // Disconnects and releases the control.
    void ReleaseControl();

    IDispatch* Control() const { return dispatch_.get(); }
    ZelvoPlayControl* Object() const { return object_; }
    HWND Host() const { return host_; }
    HWND ControlWindow() const { return object_ ? object_->Window() : nullptr; }

    // "Name arg arg ..." per event, in order.
    std::vector<std::string> events;
    std::function<void(const std::string&)> onEvent;  // called inside the event
    std::vector<DISPID> changed;                      // IPropertyNotifySink::OnChanged
    std::vector<RECT> posRectChanges;                 // IOleInPlaceSite::OnPosRectChange
    bool Saw(const std::string& event) const;
    // Dispatches messages until the event was seen (or time is up).
    bool WaitForEvent(const std::string& event, DWORD milliseconds = 10000);

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
    STDMETHODIMP_(ULONG) Release() override { return --refs_; }  // lives on the stack
    // IOleClientSite
    STDMETHODIMP SaveObject() override { return S_OK; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** out) override;
    STDMETHODIMP GetContainer(IOleContainer** out) override;
    STDMETHODIMP ShowObject() override { return S_OK; }
    STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
    STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }
    // IOleWindow
    STDMETHODIMP GetWindow(HWND* window) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    // IOleInPlaceSite
    STDMETHODIMP CanInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnUIActivate() override { return S_OK; }
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc, LPRECT position, LPRECT clip,
                                  LPOLEINPLACEFRAMEINFO info) override;
    STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
    STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnInPlaceDeactivate() override { return S_OK; }
    STDMETHODIMP DiscardUndoState() override { return S_OK; }
    STDMETHODIMP DeactivateAndUndo() override { return S_OK; }
    STDMETHODIMP OnPosRectChange(LPCRECT position) override;
    // IOleInPlaceUIWindow, IOleInPlaceFrame
    STDMETHODIMP GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
    STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override { return S_OK; }
    STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return S_OK; }
    STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
    STDMETHODIMP RemoveMenus(HMENU) override { return S_OK; }
    STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
    STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
    STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }
    // IDispatch: the event sink
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) override;
    // IPropertyNotifySink
    STDMETHODIMP OnChanged(DISPID id) override;
    STDMETHODIMP OnRequestEdit(DISPID) override { return S_OK; }

private:
    LONG refs_ = 1;
    HWND host_ = nullptr;
    RECT position_{0, 0, 200, 150};
    ZelvoPlayControl* object_ = nullptr;
    ocx::ComRef<IDispatch> dispatch_;
    ocx::ComRef<IOleObject> ole_;
    DWORD eventCookie_ = 0, notifyCookie_ = 0;
};

// A property bag in memory (name -> VARIANT).
class MemoryPropertyBag : public IPropertyBag {
public:
    ~MemoryPropertyBag();
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP Read(LPCOLESTR name, VARIANT* value, IErrorLog* log) override;
    STDMETHODIMP Write(LPCOLESTR name, VARIANT* value) override;
    void Set(const std::wstring& name, const VARIANT& value);
    const VARIANT* Find(const std::wstring& name) const;
    std::vector<std::wstring> Names() const;
private:
    std::vector<std::pair<std::wstring, VARIANT>> values_;
};
