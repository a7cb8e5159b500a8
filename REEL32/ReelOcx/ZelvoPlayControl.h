// The player control ZelvoPlay: one COM object that plays an animation in a
// control window of its own (no "ANIWNDCLASS" window), with its properties,
// events, embedding, persistence and safety interfaces.
#pragma once
#include "OcxBase.h"
#include "ReelEngine.h"
#include <string>

// The identifiers of the type library (made by widl from ZelvoPlay.idl) and
// of the property page, one family of GUIDs.
extern "C" const IID LIBID_ZelvoPlayLib;
extern "C" const IID DIID_IZelvoPlay;
extern "C" const IID DIID_IZelvoPlayEvents;
extern "C" const CLSID CLSID_ZelvoPlay;
extern const CLSID CLSID_ZelvoPlayPropPage;

// The control's members that a load keeps between sessions (in order).
struct ZelvoPlayProperties {
    std::string animation;        // the animation's path ("Animation")
    int16_t status = 0;           // 0 Stop, 1 Play, 2 Reset
    int16_t soundState = 1;       // 0 Off, 1 On, 2 Pause
    BOOL autoSize = TRUE;
    BOOL autoScroll = TRUE;
    BOOL autoNextAnimation = TRUE;
    int16_t originX = 0;
    int16_t originY = 0;
    BOOL hitTest = TRUE;
};

// What a persisted control holds: the properties and "SRC", the URL its
// animation is fetched from.
struct ZelvoPlayPersisted {
    std::string src;
    ZelvoPlayProperties p;
};

// DISPIDs of the dispatch interface and of the events.
enum ZelvoPlayDispId : DISPID {
    DISPID_ZP_AUTOSIZE = 1,
    DISPID_ZP_AUTOSCROLL = 2,
    DISPID_ZP_AUTONEXTANIMATION = 3,
    DISPID_ZP_ORIGINX = 4,
    DISPID_ZP_ORIGINY = 5,
    DISPID_ZP_HITTEST = 6,
    DISPID_ZP_ANIMATION = 7,
    DISPID_ZP_STATUS = 8,
    DISPID_ZP_BKGNDHEIGHT = 9,
    DISPID_ZP_BKGNDWIDTH = 10,
    DISPID_ZP_SOUND = 11,
};
enum ZelvoPlayEventId : DISPID {
    EVENT_END_ANIMATION = 1,
    EVENT_OBJECT_MSG = 2,
    EVENT_ORIGIN_CHANGE = 3,
    EVENT_PLAY_SOUND = 4,
    EVENT_CLICK_IN = 5,
};

// The control's window class (not the engine's).
#define ZELVOPLAY_WINDOW_CLASS "ZelvoPlayWindow"
// The control's misc status: OLEMISC_RECOMPOSEONRESIZE, CANTLINKINSIDE,
// INSIDEOUT, ACTIVATEWHENVISIBLE, SETCLIENTSITEFIRST.
constexpr DWORD ZELVOPLAY_MISC_STATUS = 0x20191;
// The initial extent in pixels.
constexpr int ZELVOPLAY_DEFAULT_SIZE = 32;

// Starts the engine and registers the window classes once per process
// (InitAnimEngine, RegisterAnimWindowClass, the control's class, icon 1).
void StartZelvoPlayModule();
// At the module's end: ExitAnimEngine and the icon.
void EndZelvoPlayModule();

// The folder of the animation's own files: where an archive was unpacked,
// else animationFolder.
std::string ContentFolder(HANIM handle, const std::string& animationFolder);

// Creates a control (the class factory's creator).
HRESULT CreateZelvoPlay(REFIID iid, void** out);

class ZelvoPlayControl final : public IDispatch,
                         public IProvideClassInfo2,
                         public IConnectionPointContainer,
                         public IOleControl,
                         public IOleObject,
                         public IOleInPlaceObject,
                         public IOleInPlaceActiveObject,
                         public IViewObject2,
                         public ISpecifyPropertyPages,
                         public IObjectSafety,
                         public IPersistStreamInit,
                         public IPersistPropertyBag,
                         public IPersistStorage {
public:
    ZelvoPlayControl();
    ~ZelvoPlayControl();
    ZelvoPlayControl(const ZelvoPlayControl&) = delete;
    ZelvoPlayControl& operator=(const ZelvoPlayControl&) = delete;

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IDispatch (ZelvoPlayControl.cpp)
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID lcid, ITypeInfo** out) override;
    STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* info, UINT* argError) override;

    // IProvideClassInfo2 (ZelvoPlayEmbed.cpp from here on)
    STDMETHODIMP GetClassInfo(ITypeInfo** out) override;
    STDMETHODIMP GetGUID(DWORD kind, GUID* guid) override;

    // IConnectionPointContainer
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** out) override;
    STDMETHODIMP FindConnectionPoint(REFIID iid, IConnectionPoint** out) override;

    // IOleControl
    STDMETHODIMP GetControlInfo(CONTROLINFO* info) override;
    STDMETHODIMP OnMnemonic(MSG* msg) override;
    STDMETHODIMP OnAmbientPropertyChange(DISPID id) override;
    STDMETHODIMP FreezeEvents(BOOL freeze) override;

    // IOleObject
    STDMETHODIMP SetClientSite(IOleClientSite* site) override;
    STDMETHODIMP GetClientSite(IOleClientSite** site) override;
    STDMETHODIMP SetHostNames(LPCOLESTR app, LPCOLESTR object) override;
    STDMETHODIMP Close(DWORD saveOption) override;
    STDMETHODIMP SetMoniker(DWORD which, IMoniker* moniker) override;
    STDMETHODIMP GetMoniker(DWORD assign, DWORD which, IMoniker** out) override;
    STDMETHODIMP InitFromData(IDataObject* data, BOOL creation, DWORD reserved) override;
    STDMETHODIMP GetClipboardData(DWORD reserved, IDataObject** out) override;
    STDMETHODIMP DoVerb(LONG verb, LPMSG msg, IOleClientSite* site, LONG index, HWND parent,
                        LPCRECT posRect) override;
    STDMETHODIMP EnumVerbs(IEnumOLEVERB** out) override;
    STDMETHODIMP Update() override;
    STDMETHODIMP IsUpToDate() override;
    STDMETHODIMP GetUserClassID(CLSID* clsid) override;
    STDMETHODIMP GetUserType(DWORD form, LPOLESTR* type) override;
    STDMETHODIMP SetExtent(DWORD aspect, SIZEL* size) override;
    STDMETHODIMP GetExtent(DWORD aspect, SIZEL* size) override;
    STDMETHODIMP Advise(IAdviseSink* sink, DWORD* cookie) override;
    STDMETHODIMP Unadvise(DWORD cookie) override;
    STDMETHODIMP EnumAdvise(IEnumSTATDATA** out) override;
    STDMETHODIMP GetMiscStatus(DWORD aspect, DWORD* status) override;
    STDMETHODIMP SetColorScheme(LOGPALETTE* palette) override;

    // IOleWindow, IOleInPlaceObject, IOleInPlaceActiveObject
    STDMETHODIMP GetWindow(HWND* window) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL enter) override;
    STDMETHODIMP InPlaceDeactivate() override;
    STDMETHODIMP UIDeactivate() override;
    STDMETHODIMP SetObjectRects(LPCRECT position, LPCRECT clip) override;
    STDMETHODIMP ReactivateAndUndo() override;
    STDMETHODIMP TranslateAccelerator(LPMSG msg) override;
    STDMETHODIMP OnFrameWindowActivate(BOOL activate) override;
    STDMETHODIMP OnDocWindowActivate(BOOL activate) override;
    STDMETHODIMP ResizeBorder(LPCRECT border, IOleInPlaceUIWindow* window, BOOL frame) override;
    STDMETHODIMP EnableModeless(BOOL enable) override;

    // IViewObject2
    STDMETHODIMP Draw(DWORD aspect, LONG index, void* aspectInfo, DVTARGETDEVICE* device, HDC targetDC, HDC drawDC,
                      LPCRECTL bounds, LPCRECTL window, BOOL(STDMETHODCALLTYPE* cont)(ULONG_PTR),
                      ULONG_PTR contArg) override;
    STDMETHODIMP GetColorSet(DWORD aspect, LONG index, void* aspectInfo, DVTARGETDEVICE* device, HDC targetDC,
                             LOGPALETTE** colors) override;
    STDMETHODIMP Freeze(DWORD aspect, LONG index, void* aspectInfo, DWORD* cookie) override;
    STDMETHODIMP Unfreeze(DWORD cookie) override;
    STDMETHODIMP SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) override;
    STDMETHODIMP GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) override;
    STDMETHODIMP GetExtent(DWORD aspect, LONG index, DVTARGETDEVICE* device, LPSIZEL size) override;

    // ISpecifyPropertyPages
    STDMETHODIMP GetPages(CAUUID* pages) override;

    // IObjectSafety
    STDMETHODIMP GetInterfaceSafetyOptions(REFIID iid, DWORD* supported, DWORD* enabled) override;
    STDMETHODIMP SetInterfaceSafetyOptions(REFIID iid, DWORD mask, DWORD enabled) override;

    // IPersist, IPersistStreamInit, IPersistPropertyBag, IPersistStorage
    // (ZelvoPlayPersist.cpp)
    STDMETHODIMP GetClassID(CLSID* clsid) override;
    STDMETHODIMP IsDirty() override;
    STDMETHODIMP Load(LPSTREAM stream) override;
    STDMETHODIMP Save(LPSTREAM stream, BOOL clearDirty) override;
    STDMETHODIMP GetSizeMax(ULARGE_INTEGER* size) override;
    STDMETHODIMP InitNew() override;
    STDMETHODIMP Load(IPropertyBag* bag, IErrorLog* log) override;
    STDMETHODIMP Save(IPropertyBag* bag, BOOL clearDirty, BOOL saveAll) override;
    STDMETHODIMP InitNew(IStorage* storage) override;
    STDMETHODIMP Load(IStorage* storage) override;
    STDMETHODIMP Save(IStorage* storage, BOOL sameAsLoad) override;
    STDMETHODIMP SaveCompleted(IStorage* storage) override;
    STDMETHODIMP HandsOffStorage() override;

    // ---- the control's own side ----
    const ZelvoPlayProperties& Properties() const { return p_; }
    HANIM Animation() const { return anim_; }
    HWND Window() const { return window_; }

    // Window messages of the control window (ZelvoPlayWindow.cpp).
    LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    // Setting the properties (also from persistence and the window).
    HRESULT SetAnimationPath(const std::string& path, ocx::ControlError* error);
    void SetStatus(int status);
    void SetSoundState(int state);
    void SetAutoSize(BOOL on);
    void SetAutoScroll(BOOL on);
    void SetOrigin(int x, int y);

private:
    friend struct ZelvoPlayDispatch;

    // Dispatch members (get and put of each property, the method).
    void GetAutoSize(VARIANT* out);
    HRESULT PutAutoSize(const VARIANT& v, ocx::ControlError* error);
    void GetAutoScroll(VARIANT* out);
    HRESULT PutAutoScroll(const VARIANT& v, ocx::ControlError* error);
    void GetAutoNextAnimation(VARIANT* out);
    HRESULT PutAutoNextAnimation(const VARIANT& v, ocx::ControlError* error);
    void GetOriginX(VARIANT* out);
    HRESULT PutOriginX(const VARIANT& v, ocx::ControlError* error);
    void GetOriginY(VARIANT* out);
    HRESULT PutOriginY(const VARIANT& v, ocx::ControlError* error);
    void GetHitTest(VARIANT* out);
    HRESULT PutHitTest(const VARIANT& v, ocx::ControlError* error);
    void GetAnimationPath(VARIANT* out);
    HRESULT PutAnimationPath(const VARIANT& v, ocx::ControlError* error);
    void GetStatus(VARIANT* out);
    HRESULT PutStatus(const VARIANT& v, ocx::ControlError* error);
    void GetBkgndHeight(VARIANT* out);
    void GetBkgndWidth(VARIANT* out);
    void GetSound(VARIANT* out);
    HRESULT PutSound(const VARIANT& v, ocx::ControlError* error);
    HRESULT CallAboutBox(ocx::ControlError* error);

    // Loading and releasing the animation.
    bool LoadAnimationFile(const std::string& path, HWND window, std::string* fullPath, HANIM* out);
    void ReleaseAnimation();
    SIZE PictureSize() const;  // 0 by 0 without an animation
    void UpdateSizeAndScroll();
    void ApplyEngineOrigin(int flags);
    void ChangeProperty(DISPID id);  // dirty, OnChanged to the property sinks

    // Events.
    void FireEvent(DISPID id, std::vector<VARIANT> args);
    void FireEndAnimation(int followType, const std::string& name);
    void FireObjectMsg(int object, int action);
    void FireOriginChange(int x, int y);
    void FirePlaySound(const std::string& name, int flags);
    void FireClickIn(int x, int y, int object);

    // The window side (ZelvoPlayWindow.cpp).
    bool CreateControlWindow(HWND parent, const RECT& position);
    void DestroyControlWindow();
    void OnWindowCreated();
    void OnEndAnimation(WPARAM action, LPARAM name);
    void OnSoundRequest(WPARAM flags, LPARAM name);
    void OnScroll(int code, int position, bool vertical);
    void PaintInto(HDC dc, const RECT& bounds, POINT origin);
    bool CopyContextString(LPARAM pointer, size_t limit, std::string* out) const;

    // Embedding (ZelvoPlayEmbed.cpp).
    HRESULT InPlaceActivate(LONG verb, HWND parent, LPCRECT posRect);
    SIZEL NaturalExtent() const;
    void RequestSize(SIZE pixels);

    // Persistence (ZelvoPlayPersist.cpp).
    void ApplyPersisted(const ZelvoPlayPersisted& loaded);
    ZelvoPlayPersisted CurrentPersisted() const;
    void StartDownload(const std::string& src);

    LONG refs_ = 1;
    ZelvoPlayProperties p_;
    std::string src_;              // "SRC" as loaded
    HANIM anim_ = nullptr;
    std::string animFolder_;       // the loaded animation's files (an archive's unpacked folder)
    unsigned loadGeneration_ = 0;  // changes with every load or release of the animation
    HWND window_ = nullptr;
    SIZEL extent_{};               // HIMETRIC
    bool dirty_ = false;
    bool inPlaceActive_ = false;
    bool uiActive_ = false;
    int freezeCount_ = 0;
    DWORD safetyDispatch_ = 0;     // enabled IObjectSafety options
    DWORD safetyPersist_ = 0;

    ocx::ComRef<IOleClientSite> site_;
    ocx::ComRef<IOleInPlaceSite> inPlaceSite_;
    ocx::ComRef<IOleInPlaceFrame> frame_;
    ocx::ComRef<IOleInPlaceUIWindow> uiWindow_;
    ocx::ComRef<IOleAdviseHolder> oleAdvise_;
    ocx::ComRef<IAdviseSink> viewAdvise_;
    DWORD viewAdviseAspects_ = 0, viewAdviseFlags_ = 0;
    ocx::ConnectionPoint eventPoint_;
    ocx::ConnectionPoint notifyPoint_;
};

// The about box (dialog 1) over the owner.
void ShowZelvoPlayAbout(HWND owner);

// The property page's creator for its class factory.
HRESULT CreateZelvoPlayPropPage(REFIID iid, void** out);

// Registration of the module (DllRegisterServer / DllUnregisterServer).
HRESULT RegisterZelvoPlay();
HRESULT UnregisterZelvoPlay();
// DllGetClassObject: the control and the property page.
HRESULT GetZelvoPlayClassObject(REFCLSID clsid, REFIID iid, void** out);
