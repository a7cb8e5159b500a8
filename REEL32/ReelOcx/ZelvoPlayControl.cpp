// The player control's object: its identity, its dispatch interface, loading
// an animation into the engine, the playing-state and sound properties, size
// and scroll, and the events it fires.
#include "ZelvoPlayControl.h"
#include "resource.h"
#include "AnimationContext.h"
#include <algorithm>

using ocx::ControlError;

namespace {

constexpr DWORD LOAD_FLAGS = ANIM_PALETTE_BY_DISPLAY | ANIM_KEEP_FILE_BKCOLOR;
constexpr wchar_t CONTROL_SOURCE[] = L"ZelvoPlay";

// The folder part of a path, without the last separator ("" for a bare name).
std::string FolderOf(const std::string& path)
{
    const size_t cut = path.find_last_of("\\/:");
    if (cut == std::string::npos) return {};
    return path.substr(0, path[cut] == ':' ? cut + 1 : cut);
}

std::string BareNameOf(const std::string& path)
{
    const size_t cut = path.find_last_of("\\/:");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string JoinPath(const std::string& folder, const std::string& name)
{
    if (folder.empty()) return name;
    const char last = folder.back();
    return last == '\\' || last == '/' || last == ':' ? folder + name : folder + "\\" + name;
}

std::string CurrentFolder()
{
    char folder[MAX_PATH] = "";
    const DWORD n = GetCurrentDirectoryA(MAX_PATH, folder);
    return n && n < MAX_PATH ? folder : "";
}

// Puts the current folder back at the end of a scope: a load or a named sound
// changes it, and the container's own file dialogs rely on it.
class FolderRestorer {
public:
    FolderRestorer() : folder_(CurrentFolder()) {}
    ~FolderRestorer()
    {
        if (!folder_.empty()) SetCurrentDirectoryA(folder_.c_str());
    }
    FolderRestorer(const FolderRestorer&) = delete;
    FolderRestorer& operator=(const FolderRestorer&) = delete;
private:
    std::string folder_;
};

void SetBoolResult(VARIANT* out, BOOL value) { *out = ocx::BoolVariant(value != FALSE); }
void SetShortResult(VARIANT* out, int value) { *out = ocx::ShortVariant(value); }

void SetEnumResult(VARIANT* out, int value)
{
    out->vt = VT_I4;
    out->lVal = value;
}

// String 110 with the path put in as text: the path comes from any web page
// and is never handed to a formatting call.
std::wstring FileNotValidText(const std::string& path)
{
    std::string text = ocx::LoadModuleString(IDS_FILE_NOT_VALID);
    const size_t at = text.find("%s");
    if (at != std::string::npos) text.replace(at, 2, path);
    return ocx::Widen(text);
}

}  // namespace

// The folder the animation's own files are in: where an archive was unpacked,
// else the animation file's folder.
std::string ContentFolder(HANIM handle, const std::string& animationFolder)
{
    ContextLock c(handle);
    if (!c || !c->unpackedAnimation[0]) return animationFolder;
    return FolderOf(std::string(c->unpackedAnimation, strnlen(c->unpackedAnimation, MAX_PATH)));
}

// ---- the dispatch table ---------------------------------------------------

struct ZelvoPlayDispatch {
    using C = ZelvoPlayControl;
    static constexpr ocx::DispMember<C> table[] = {
        {DISPID_ZP_AUTOSIZE, L"AutoSize", VT_BOOL, &C::GetAutoSize, &C::PutAutoSize, nullptr},
        {DISPID_ZP_AUTOSCROLL, L"AutoScroll", VT_BOOL, &C::GetAutoScroll, &C::PutAutoScroll, nullptr},
        {DISPID_ZP_AUTONEXTANIMATION, L"AutoNextAnimation", VT_BOOL, &C::GetAutoNextAnimation,
         &C::PutAutoNextAnimation, nullptr},
        {DISPID_ZP_ORIGINX, L"OriginX", VT_I2, &C::GetOriginX, &C::PutOriginX, nullptr},
        {DISPID_ZP_ORIGINY, L"OriginY", VT_I2, &C::GetOriginY, &C::PutOriginY, nullptr},
        {DISPID_ZP_HITTEST, L"HitTest", VT_BOOL, &C::GetHitTest, &C::PutHitTest, nullptr},
        {DISPID_ZP_ANIMATION, L"Animation", VT_BSTR, &C::GetAnimationPath, &C::PutAnimationPath, nullptr},
        {DISPID_ZP_STATUS, L"Status", VT_I4, &C::GetStatus, &C::PutStatus, nullptr},
        {DISPID_ZP_BKGNDHEIGHT, L"BkgndHeight", VT_I2, &C::GetBkgndHeight, nullptr, nullptr},
        {DISPID_ZP_BKGNDWIDTH, L"BkgndWidth", VT_I2, &C::GetBkgndWidth, nullptr, nullptr},
        {DISPID_ZP_SOUND, L"Sound", VT_I4, &C::GetSound, &C::PutSound, nullptr},
        {DISPID_ABOUTBOX, L"AboutBox", VT_EMPTY, nullptr, nullptr, &C::CallAboutBox},
    };
};

// ---- identity -------------------------------------------------------------

HRESULT CreateZelvoPlay(REFIID iid, void** out)
{
    StartZelvoPlayModule();
    ZelvoPlayControl* control = new ZelvoPlayControl;
    const HRESULT hr = control->QueryInterface(iid, out);
    control->Release();
    return hr;
}

ZelvoPlayControl::ZelvoPlayControl()
    : eventPoint_(this, DIID_IZelvoPlayEvents), notifyPoint_(this, IID_IPropertyNotifySink)
{
    ocx::ObjectCreated();
    extent_ = ocx::PixelsToHimetric({ZELVOPLAY_DEFAULT_SIZE, ZELVOPLAY_DEFAULT_SIZE});
}

ZelvoPlayControl::~ZelvoPlayControl()
{
    DestroyControlWindow();
    ReleaseAnimation();
    ocx::ObjectDestroyed();
}

STDMETHODIMP ZelvoPlayControl::QueryInterface(REFIID iid, void** out)
{
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == DIID_IZelvoPlay)
        *out = static_cast<IDispatch*>(this);
    else if (iid == IID_IProvideClassInfo || iid == IID_IProvideClassInfo2)
        *out = static_cast<IProvideClassInfo2*>(this);
    else if (iid == IID_IConnectionPointContainer)
        *out = static_cast<IConnectionPointContainer*>(this);
    else if (iid == IID_IOleControl)
        *out = static_cast<IOleControl*>(this);
    else if (iid == IID_IOleObject)
        *out = static_cast<IOleObject*>(this);
    else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceObject)
        *out = static_cast<IOleInPlaceObject*>(this);
    else if (iid == IID_IOleInPlaceActiveObject)
        *out = static_cast<IOleInPlaceActiveObject*>(this);
    else if (iid == IID_IViewObject || iid == IID_IViewObject2)
        *out = static_cast<IViewObject2*>(this);
    else if (iid == IID_ISpecifyPropertyPages)
        *out = static_cast<ISpecifyPropertyPages*>(this);
    else if (iid == IID_IObjectSafety)
        *out = static_cast<IObjectSafety*>(this);
    // IPersistStream's methods are the first ones of IPersistStreamInit.
    else if (iid == IID_IPersist || iid == IID_IPersistStreamInit || iid == IID_IPersistStream)
        *out = static_cast<IPersistStreamInit*>(this);
    else if (iid == IID_IPersistPropertyBag)
        *out = static_cast<IPersistPropertyBag*>(this);
    else if (iid == IID_IPersistStorage)
        *out = static_cast<IPersistStorage*>(this);
    if (!*out) return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) ZelvoPlayControl::AddRef() { return InterlockedIncrement(&refs_); }

STDMETHODIMP_(ULONG) ZelvoPlayControl::Release()
{
    const LONG left = InterlockedDecrement(&refs_);
    if (left == 0) {
        refs_ = 1;  // the clean-up below may hand out and take back references
        delete this;
    }
    return left;
}

// ---- IDispatch --------------------------------------------------------------

STDMETHODIMP ZelvoPlayControl::GetTypeInfoCount(UINT* count)
{
    if (!count) return E_POINTER;
    *count = 1;
    return S_OK;
}

STDMETHODIMP ZelvoPlayControl::GetTypeInfo(UINT index, LCID, ITypeInfo** out)
{
    if (!out) return E_POINTER;
    *out = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    return ocx::LoadModuleTypeInfo(DIID_IZelvoPlay, out);
}

STDMETHODIMP ZelvoPlayControl::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids)
{
    return ocx::TableIdsOfNames(ZelvoPlayDispatch::table, names, count, ids);
}

STDMETHODIMP ZelvoPlayControl::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                      EXCEPINFO* info, UINT* argError)
{
    // A script may release its last reference from inside an event handler
    // that this call fired.
    AddRef();
    const HRESULT hr = ocx::TableInvoke(ZelvoPlayDispatch::table, this, CONTROL_SOURCE, id, flags, params, result,
                                        info, argError);
    Release();
    return hr;
}

void ZelvoPlayControl::GetAutoSize(VARIANT* out) { SetBoolResult(out, p_.autoSize); }
void ZelvoPlayControl::GetAutoScroll(VARIANT* out) { SetBoolResult(out, p_.autoScroll); }
void ZelvoPlayControl::GetAutoNextAnimation(VARIANT* out) { SetBoolResult(out, p_.autoNextAnimation); }
void ZelvoPlayControl::GetOriginX(VARIANT* out) { SetShortResult(out, p_.originX); }
void ZelvoPlayControl::GetOriginY(VARIANT* out) { SetShortResult(out, p_.originY); }
void ZelvoPlayControl::GetHitTest(VARIANT* out) { SetBoolResult(out, p_.hitTest); }
void ZelvoPlayControl::GetStatus(VARIANT* out) { SetEnumResult(out, p_.status); }
void ZelvoPlayControl::GetSound(VARIANT* out) { SetEnumResult(out, p_.soundState); }
void ZelvoPlayControl::GetBkgndHeight(VARIANT* out) { SetShortResult(out, PictureSize().cy); }
void ZelvoPlayControl::GetBkgndWidth(VARIANT* out) { SetShortResult(out, PictureSize().cx); }

void ZelvoPlayControl::GetAnimationPath(VARIANT* out)
{
    out->vt = VT_BSTR;
    out->bstrVal = SysAllocString(ocx::Widen(p_.animation).c_str());
}

HRESULT ZelvoPlayControl::PutAutoSize(const VARIANT& v, ControlError*)
{
    SetAutoSize(v.boolVal != VARIANT_FALSE);
    ChangeProperty(DISPID_ZP_AUTOSIZE);
    return S_OK;
}

HRESULT ZelvoPlayControl::PutAutoScroll(const VARIANT& v, ControlError*)
{
    SetAutoScroll(v.boolVal != VARIANT_FALSE);
    ChangeProperty(DISPID_ZP_AUTOSCROLL);
    return S_OK;
}

HRESULT ZelvoPlayControl::PutAutoNextAnimation(const VARIANT& v, ControlError*)
{
    p_.autoNextAnimation = v.boolVal != VARIANT_FALSE;
    ChangeProperty(DISPID_ZP_AUTONEXTANIMATION);
    return S_OK;
}

HRESULT ZelvoPlayControl::PutOriginX(const VARIANT& v, ControlError*)
{
    SetOrigin(v.iVal, p_.originY);
    ChangeProperty(DISPID_ZP_ORIGINX);
    return S_OK;
}

HRESULT ZelvoPlayControl::PutOriginY(const VARIANT& v, ControlError*)
{
    SetOrigin(p_.originX, v.iVal);
    ChangeProperty(DISPID_ZP_ORIGINY);
    return S_OK;
}

HRESULT ZelvoPlayControl::PutHitTest(const VARIANT& v, ControlError*)
{
    p_.hitTest = v.boolVal != VARIANT_FALSE;
    ChangeProperty(DISPID_ZP_HITTEST);
    return S_OK;
}

HRESULT ZelvoPlayControl::PutAnimationPath(const VARIANT& v, ControlError* error)
{
    return SetAnimationPath(ocx::Narrow(v.bstrVal ? v.bstrVal : L""), error);
}

HRESULT ZelvoPlayControl::PutStatus(const VARIANT& v, ControlError*)
{
    SetStatus(v.lVal);
    ChangeProperty(DISPID_ZP_STATUS);
    return S_OK;
}

HRESULT ZelvoPlayControl::PutSound(const VARIANT& v, ControlError*)
{
    SetSoundState(v.lVal);
    ChangeProperty(DISPID_ZP_SOUND);
    return S_OK;
}

HRESULT ZelvoPlayControl::CallAboutBox(ControlError*)
{
    HWND owner = window_;
    if (!owner && inPlaceSite_) inPlaceSite_->GetWindow(&owner);
    ShowZelvoPlayAbout(owner ? owner : GetActiveWindow());
    return S_OK;
}

void ZelvoPlayControl::ChangeProperty(DISPID id)
{
    dirty_ = true;
    for (auto& sink : notifyPoint_.Sinks())
        static_cast<IPropertyNotifySink*>(sink.get())->OnChanged(id);
    if (!window_ && viewAdvise_) viewAdvise_->OnViewChange(DVASPECT_CONTENT, -1);
}

// ---- loading ------------------------------------------------------------------

// Loads the animation at path the way every host does: create, palette,
// background, sequences, each looked up from the animation's own folder.
bool ZelvoPlayControl::LoadAnimationFile(const std::string& path, HWND window, std::string* fullPath, HANIM* out)
{
    *out = nullptr;
    // A path whose full form does not fit the engine's buffers is no file.
    char full[MAX_PATH];
    const DWORD n = GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
    if (!n || n >= MAX_PATH) return false;
    FolderRestorer restore;
    const std::string folder = FolderOf(path);
    if (!folder.empty()) SetCurrentDirectoryA(folder.c_str());
    // Taken before the engine runs: unpacking an archive may change folders.
    const std::string here = JoinPath(CurrentFolder(), BareNameOf(path));
    HANIM handle = CreateAnimation(path.c_str(), 0, 0, 0, LOAD_FLAGS);
    if (!handle && here.size() < MAX_PATH) handle = CreateAnimation(here.c_str(), 0, 0, 0, LOAD_FLAGS);
    if (!handle) return false;
    *fullPath = here;
    LoadAnimPalette(handle, nullptr, FALSE);
    char name[MAX_PATH];
    if (GetAnimBackgroundName(handle, name, TRUE))
        LoadAnimBackground(handle, name, ANIM_USE_SETTINGS, ANIM_USE_SETTINGS, ANIM_USE_SETTINGS, FALSE);
    for (int i = 0; GetAnimSequenceName(handle, i, name, TRUE); ++i) LoadAnimSequence(handle, i, name, FALSE);
    if (window) AttachAnimation(handle, window);
    *out = handle;
    return true;
}

// Stops and frees the animation. Inside an engine step the engine defers the
// free until the step is over; nothing here touches the handle afterwards.
void ZelvoPlayControl::ReleaseAnimation()
{
    ++loadGeneration_;
    HANIM old = anim_;
    anim_ = nullptr;
    animFolder_.clear();
    if (!old) return;
    StopAnimation(old, window_);
    ControlAnimSound(old, window_, ANIM_SOUND_ALL, ANIM_SOUND_STOP);
    // Requests already posted point into the old animation's record.
    if (window_) {
        MSG stale;
        while (PeekMessageA(&stale, window_, ANIM_SOUND_REQUEST, ANIM_OBJECT_MESSAGE, PM_REMOVE)) {
        }
    }
    DestroyAnimation(old);
}

HRESULT ZelvoPlayControl::SetAnimationPath(const std::string& path, ControlError* error)
{
    ReleaseAnimation();
    p_.animation = path;
    HRESULT hr = S_OK;
    if (!path.empty()) {
        std::string full;
        HANIM loaded = nullptr;
        if (LoadAnimationFile(path, window_, &full, &loaded)) {
            anim_ = loaded;
            p_.animation = full;
            animFolder_ = ContentFolder(loaded, FolderOf(full));
            ++loadGeneration_;
        } else if (error) {
            error->scode = ocx::ControlScode(ocx::CTL_FILE_NOT_FOUND);
            error->description = FileNotValidText(path);
            hr = DISP_E_EXCEPTION;
        }
    }
    UpdateSizeAndScroll();
    ApplyEngineOrigin(ANIM_ORIGIN_X | ANIM_ORIGIN_Y | ANIM_ORIGIN_ERASE);
    if (window_) InvalidateRect(window_, nullptr, TRUE);
    ChangeProperty(DISPID_ZP_ANIMATION);
    return hr;
}

SIZE ZelvoPlayControl::PictureSize() const
{
    if (!anim_) return {0, 0};
    const LONG_PTR size = GetAnimInfo(anim_, ANIM_INFO_SIZE);
    return {static_cast<LONG>(size & 0xFFFF), static_cast<LONG>((size >> 16) & 0xFFFF)};
}

void ZelvoPlayControl::ApplyEngineOrigin(int flags)
{
    if (window_) SetAnimOrigin(anim_, window_, p_.originX, p_.originY, flags);
}

// ---- playing state and sound -----------------------------------------------

void ZelvoPlayControl::SetStatus(int status)
{
    if (!anim_) {
        p_.status = status == 1 ? 1 : 0;
        return;
    }
    if (status == 2) ControlAnimSound(anim_, window_, ANIM_SOUND_ALL, ANIM_SOUND_STOP);
    switch (status) {
    case 1:
        p_.status = StartAnimation(anim_, window_) ? 1 : 0;
        break;
    case 2: {
        RestartAnimation(anim_, window_, TRUE, FALSE);
        // The new picture holds only the background colour: put the picture back.
        char name[MAX_PATH];
        if (GetAnimBackgroundName(anim_, name, FALSE)) {
            const std::string picture = JoinPath(animFolder_, name);
            if (picture.size() < MAX_PATH)
                LoadAnimBackground(anim_, picture.c_str(), ANIM_USE_SETTINGS, ANIM_USE_SETTINGS, ANIM_USE_SETTINGS,
                                   FALSE);
        }
        if (window_) InvalidateRect(window_, nullptr, TRUE);
        p_.status = 0;
        break;
    }
    default:
        StopAnimation(anim_, window_);
        p_.status = 0;
        break;
    }
}

void ZelvoPlayControl::SetSoundState(int state)
{
    if (!anim_) {
        p_.soundState = state == 1 ? 1 : 0;
        return;
    }
    static const int kActions[] = {ANIM_SOUND_STOP, ANIM_SOUND_RESUME, ANIM_SOUND_PAUSE};
    const int s = state >= 0 && state <= 2 ? state : 0;
    ControlAnimSound(anim_, window_, ANIM_SOUND_ALL, kActions[s]);
    p_.soundState = static_cast<int16_t>(s);
}

// ---- size and scroll --------------------------------------------------------

void ZelvoPlayControl::SetAutoSize(BOOL on)
{
    p_.autoSize = on;
    UpdateSizeAndScroll();
    ApplyEngineOrigin(ANIM_ORIGIN_X | ANIM_ORIGIN_Y | ANIM_ORIGIN_ERASE);
}

void ZelvoPlayControl::SetAutoScroll(BOOL on)
{
    p_.autoScroll = on;
    UpdateSizeAndScroll();
    ApplyEngineOrigin(ANIM_ORIGIN_X | ANIM_ORIGIN_Y | ANIM_ORIGIN_ERASE);
}

void ZelvoPlayControl::SetOrigin(int x, int y)
{
    p_.originX = static_cast<int16_t>(x);
    p_.originY = static_cast<int16_t>(y);
    if (!window_) return;
    SetScrollPos(window_, SB_HORZ, x, TRUE);
    SetScrollPos(window_, SB_VERT, y, TRUE);
    ApplyEngineOrigin(ANIM_ORIGIN_X | ANIM_ORIGIN_Y | ANIM_ORIGIN_ERASE);
}

namespace {

void ClearScrollRange(HWND window, int bar)
{
    SCROLLINFO info{sizeof info, SIF_RANGE | SIF_PAGE | SIF_POS, 0, 0, 0, 0, 0};
    SetScrollInfo(window, bar, &info, TRUE);
}

}  // namespace

// After a load or a change of AutoSize or AutoScroll (and when the window is
// resized): AutoSize makes the control the picture's size without bars;
// AutoScroll gives each bar the picture's size as range and a page so that
// the position runs from 0 to the part that does not fit.
void ZelvoPlayControl::UpdateSizeAndScroll()
{
    const SIZE picture = PictureSize();
    if (p_.autoSize) {
        const SIZE natural = anim_ ? picture : SIZE{ZELVOPLAY_DEFAULT_SIZE, ZELVOPLAY_DEFAULT_SIZE};
        p_.originX = p_.originY = 0;
        if (window_) {
            ClearScrollRange(window_, SB_HORZ);
            ClearScrollRange(window_, SB_VERT);
        }
        RequestSize(natural);
        return;
    }
    if (!window_) return;
    if (!p_.autoScroll || !anim_) {
        ClearScrollRange(window_, SB_HORZ);
        ClearScrollRange(window_, SB_VERT);
        return;
    }
    // The client size without bars, then as the engine window does: a needed
    // horizontal bar takes height, a needed vertical bar takes width.
    RECT client;
    GetClientRect(window_, &client);
    SCROLLBARINFO bars{sizeof bars};
    const bool hShown = GetScrollBarInfo(window_, OBJID_HSCROLL, &bars) && !(bars.rgstate[0] & STATE_SYSTEM_INVISIBLE);
    const bool vShown = GetScrollBarInfo(window_, OBJID_VSCROLL, &bars) && !(bars.rgstate[0] & STATE_SYSTEM_INVISIBLE);
    const int cw = client.right + (vShown ? GetSystemMetrics(SM_CXVSCROLL) : 0);
    const int ch = client.bottom + (hShown ? GetSystemMetrics(SM_CYHSCROLL) : 0);
    const int vBar = GetSystemMetrics(SM_CXVSCROLL), hBar = GetSystemMetrics(SM_CYHSCROLL);
    bool hNeeded = false, vNeeded = false;
    for (int pass = 0; pass < 2; ++pass) {  // a bar that appears may call for the other one
        hNeeded = picture.cx > cw - (vNeeded ? vBar : 0);
        vNeeded = picture.cy > ch - (hNeeded ? hBar : 0);
    }
    const int hOver = std::max(0, static_cast<int>(picture.cx) - (cw - (vNeeded ? vBar : 0)));
    const int vOver = std::max(0, static_cast<int>(picture.cy) - (ch - (hNeeded ? hBar : 0)));
    bool moved = false;
    if (p_.originX > hOver) {
        p_.originX = static_cast<int16_t>(hOver);
        moved = true;
    }
    if (p_.originY > vOver) {
        p_.originY = static_cast<int16_t>(vOver);
        moved = true;
    }
    auto setBar = [&](int bar, int size, int over, int position) {
        SCROLLINFO info{sizeof info, SIF_RANGE | SIF_PAGE | SIF_POS, 0, size, static_cast<UINT>(size + 1 - over),
                        position, 0};
        if (over <= 0) info.nMax = info.nPage = 0;
        SetScrollInfo(window_, bar, &info, TRUE);
    };
    setBar(SB_HORZ, picture.cx, hOver, p_.originX);
    setBar(SB_VERT, picture.cy, vOver, p_.originY);
    if (moved) ApplyEngineOrigin(ANIM_ORIGIN_X | ANIM_ORIGIN_Y | ANIM_ORIGIN_ERASE);
}

// ---- events -------------------------------------------------------------------

void ZelvoPlayControl::FireEvent(DISPID id, std::vector<VARIANT> args)
{
    if (freezeCount_ <= 0) {
        AddRef();  // a handler may drop the container's last reference
        for (auto& sink : eventPoint_.Sinks()) ocx::InvokeSink(static_cast<IDispatch*>(sink.get()), id, args);
        Release();
    }
    for (VARIANT& v : args) VariantClear(&v);
}

void ZelvoPlayControl::FireEndAnimation(int followType, const std::string& name)
{
    FireEvent(EVENT_END_ANIMATION, {ocx::ShortVariant(followType), ocx::StringVariant(name)});
}

void ZelvoPlayControl::FireObjectMsg(int object, int action)
{
    FireEvent(EVENT_OBJECT_MSG, {ocx::ShortVariant(object), ocx::ShortVariant(action)});
}

void ZelvoPlayControl::FireOriginChange(int x, int y)
{
    FireEvent(EVENT_ORIGIN_CHANGE, {ocx::ShortVariant(x), ocx::ShortVariant(y)});
}

void ZelvoPlayControl::FirePlaySound(const std::string& name, int flags)
{
    FireEvent(EVENT_PLAY_SOUND, {ocx::StringVariant(name), ocx::ShortVariant(flags)});
}

void ZelvoPlayControl::FireClickIn(int x, int y, int object)
{
    FireEvent(EVENT_CLICK_IN, {ocx::ShortVariant(x), ocx::ShortVariant(y), ocx::ShortVariant(object)});
}
