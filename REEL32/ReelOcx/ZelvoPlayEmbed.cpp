// How the player control lives in a container: class information, connection
// points, the control and embedding interfaces (sites, verbs, extents,
// in-place activation), drawing for windowless and printing containers,
// property pages and the safe-for-scripting options.
#include "ZelvoPlayControl.h"

// ---- IProvideClassInfo2 ---------------------------------------------------

STDMETHODIMP ZelvoPlayControl::GetClassInfo(ITypeInfo** out) { return ocx::LoadModuleTypeInfo(CLSID_ZelvoPlay, out); }

STDMETHODIMP ZelvoPlayControl::GetGUID(DWORD kind, GUID* guid)
{
    if (!guid) return E_POINTER;
    if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) {
        *guid = GUID_NULL;
        return E_INVALIDARG;
    }
    *guid = DIID_IZelvoPlayEvents;
    return S_OK;
}

// ---- IConnectionPointContainer ----------------------------------------------

STDMETHODIMP ZelvoPlayControl::EnumConnectionPoints(IEnumConnectionPoints** out)
{
    return ocx::EnumerateConnectionPoints({&eventPoint_, &notifyPoint_}, out);
}

STDMETHODIMP ZelvoPlayControl::FindConnectionPoint(REFIID iid, IConnectionPoint** out)
{
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid == DIID_IZelvoPlayEvents)
        *out = &eventPoint_;
    else if (iid == IID_IPropertyNotifySink)
        *out = &notifyPoint_;
    else
        return CONNECT_E_NOCONNECTION;
    (*out)->AddRef();
    return S_OK;
}

// ---- IOleControl ----------------------------------------------------------------

STDMETHODIMP ZelvoPlayControl::GetControlInfo(CONTROLINFO* info)
{
    if (!info) return E_POINTER;
    info->hAccel = nullptr;
    info->cAccel = 0;
    info->dwFlags = 0;
    return S_OK;
}

STDMETHODIMP ZelvoPlayControl::OnMnemonic(MSG*) { return S_OK; }
STDMETHODIMP ZelvoPlayControl::OnAmbientPropertyChange(DISPID) { return S_OK; }

// While frozen, events are not fired.
STDMETHODIMP ZelvoPlayControl::FreezeEvents(BOOL freeze)
{
    freezeCount_ += freeze ? 1 : -1;
    if (freezeCount_ < 0) freezeCount_ = 0;
    return S_OK;
}

// ---- IOleObject ------------------------------------------------------------------

STDMETHODIMP ZelvoPlayControl::SetClientSite(IOleClientSite* site)
{
    site_.Hold(site);
    return S_OK;
}

STDMETHODIMP ZelvoPlayControl::GetClientSite(IOleClientSite** site)
{
    if (!site) return E_POINTER;
    *site = site_.get();
    if (*site) (*site)->AddRef();
    return S_OK;
}

STDMETHODIMP ZelvoPlayControl::SetHostNames(LPCOLESTR, LPCOLESTR) { return S_OK; }

STDMETHODIMP ZelvoPlayControl::Close(DWORD saveOption)
{
    if (saveOption == OLECLOSE_SAVEIFDIRTY && dirty_ && site_) site_->SaveObject();
    InPlaceDeactivate();
    if (oleAdvise_) oleAdvise_->SendOnClose();
    return S_OK;
}

STDMETHODIMP ZelvoPlayControl::SetMoniker(DWORD, IMoniker*) { return E_NOTIMPL; }

STDMETHODIMP ZelvoPlayControl::GetMoniker(DWORD, DWORD, IMoniker** out)
{
    if (out) *out = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP ZelvoPlayControl::InitFromData(IDataObject*, BOOL, DWORD) { return E_NOTIMPL; }

STDMETHODIMP ZelvoPlayControl::GetClipboardData(DWORD, IDataObject** out)
{
    if (out) *out = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP ZelvoPlayControl::DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND parent, LPCRECT posRect)
{
    if (site && !site_) site_.Hold(site);
    switch (verb) {
    case OLEIVERB_PRIMARY:
    case OLEIVERB_SHOW:
    case OLEIVERB_INPLACEACTIVATE:
    case OLEIVERB_UIACTIVATE:
        return InPlaceActivate(verb, parent, posRect);
    case OLEIVERB_HIDE:
        if (window_) ShowWindow(window_, SW_HIDE);
        return S_OK;
    case OLEIVERB_PROPERTIES: {
        IUnknown* self = static_cast<IDispatch*>(this);
        CLSID page = CLSID_ZelvoPlayPropPage;
        HWND owner = parent ? parent : window_;
        return OleCreatePropertyFrame(owner, 0, 0, L"ZelvoPlay", 1, &self, 1, &page, LOCALE_USER_DEFAULT, 0,
                                      nullptr);
    }
    default:
        return verb < 0 ? E_NOTIMPL : OLEOBJ_S_INVALIDVERB;
    }
}

// In-place activation: the site's window becomes the control window's parent.
HRESULT ZelvoPlayControl::InPlaceActivate(LONG verb, HWND parent, LPCRECT posRect)
{
    if (!site_) return E_UNEXPECTED;
    if (!inPlaceActive_) {
        ocx::ComRef<IOleInPlaceSite> inPlace;
        if (FAILED(site_->QueryInterface(IID_IOleInPlaceSite, reinterpret_cast<void**>(inPlace.Out()))))
            return E_NOINTERFACE;
        if (inPlace->CanInPlaceActivate() != S_OK) return E_FAIL;
        inPlace->OnInPlaceActivate();
        inPlaceSite_ = inPlace;
        inPlaceActive_ = true;
        HWND siteWindow = nullptr;
        inPlaceSite_->GetWindow(&siteWindow);
        RECT position{}, clip{};
        OLEINPLACEFRAMEINFO frameInfo{sizeof frameInfo};
        inPlaceSite_->GetWindowContext(frame_.Out(), uiWindow_.Out(), &position, &clip, &frameInfo);
        if (posRect) position = *posRect;
        if (!CreateControlWindow(siteWindow ? siteWindow : parent, position)) return E_FAIL;
    }
    if (window_ && !IsWindowVisible(window_)) ShowWindow(window_, SW_SHOWNA);
    if (verb == OLEIVERB_UIACTIVATE && !uiActive_) {
        uiActive_ = true;
        inPlaceSite_->OnUIActivate();
        if (frame_) frame_->SetActiveObject(this, L"ZelvoPlay");
        if (uiWindow_) uiWindow_->SetActiveObject(this, L"ZelvoPlay");
        if (frame_) frame_->SetBorderSpace(nullptr);
        SetFocus(window_);
    }
    if (site_) site_->ShowObject();
    return S_OK;
}

STDMETHODIMP ZelvoPlayControl::EnumVerbs(IEnumOLEVERB** out) { return OleRegEnumVerbs(CLSID_ZelvoPlay, out); }
STDMETHODIMP ZelvoPlayControl::Update() { return S_OK; }
STDMETHODIMP ZelvoPlayControl::IsUpToDate() { return S_OK; }

STDMETHODIMP ZelvoPlayControl::GetUserClassID(CLSID* clsid)
{
    if (!clsid) return E_POINTER;
    *clsid = CLSID_ZelvoPlay;
    return S_OK;
}

STDMETHODIMP ZelvoPlayControl::GetUserType(DWORD form, LPOLESTR* type)
{
    return OleRegGetUserType(CLSID_ZelvoPlay, form, type);
}

// The size the control has by itself: the picture's with AutoSize.
SIZEL ZelvoPlayControl::NaturalExtent() const
{
    const SIZE picture = PictureSize();
    const SIZE pixels = anim_ ? picture : SIZE{ZELVOPLAY_DEFAULT_SIZE, ZELVOPLAY_DEFAULT_SIZE};
    return ocx::PixelsToHimetric(pixels);
}

// Takes a size in pixels and tells the container: a site that is active in
// place learns the new rectangle through OnPosRectChange.
void ZelvoPlayControl::RequestSize(SIZE pixels)
{
    extent_ = ocx::PixelsToHimetric(pixels);
    if (!window_) return;
    RECT position;
    GetWindowRect(window_, &position);
    MapWindowPoints(nullptr, GetParent(window_), reinterpret_cast<POINT*>(&position), 2);
    position.right = position.left + pixels.cx;
    position.bottom = position.top + pixels.cy;
    if (inPlaceSite_) inPlaceSite_->OnPosRectChange(&position);
    SetWindowPos(window_, nullptr, position.left, position.top, pixels.cx, pixels.cy,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

STDMETHODIMP ZelvoPlayControl::SetExtent(DWORD aspect, SIZEL* size)
{
    if (!size) return E_POINTER;
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (p_.autoSize) {
        const SIZEL natural = NaturalExtent();
        if (size->cx == natural.cx && size->cy == natural.cy) return S_OK;
        // The control keeps its natural size and says so.
        RequestSize(ocx::HimetricToPixels(natural));
        return E_FAIL;
    }
    extent_ = *size;
    dirty_ = true;
    return S_OK;
}

STDMETHODIMP ZelvoPlayControl::GetExtent(DWORD aspect, SIZEL* size)
{
    if (!size) return E_POINTER;
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    *size = p_.autoSize ? NaturalExtent() : extent_;
    return S_OK;
}

STDMETHODIMP ZelvoPlayControl::Advise(IAdviseSink* sink, DWORD* cookie)
{
    if (!oleAdvise_ && FAILED(CreateOleAdviseHolder(oleAdvise_.Out()))) return E_OUTOFMEMORY;
    return oleAdvise_->Advise(sink, cookie);
}

STDMETHODIMP ZelvoPlayControl::Unadvise(DWORD cookie)
{
    return oleAdvise_ ? oleAdvise_->Unadvise(cookie) : OLE_E_NOCONNECTION;
}

STDMETHODIMP ZelvoPlayControl::EnumAdvise(IEnumSTATDATA** out)
{
    if (!out) return E_POINTER;
    *out = nullptr;
    return oleAdvise_ ? oleAdvise_->EnumAdvise(out) : E_FAIL;
}

STDMETHODIMP ZelvoPlayControl::GetMiscStatus(DWORD aspect, DWORD* status)
{
    if (!status) return E_POINTER;
    *status = aspect == DVASPECT_CONTENT ? ZELVOPLAY_MISC_STATUS : 0;
    return S_OK;
}

STDMETHODIMP ZelvoPlayControl::SetColorScheme(LOGPALETTE*) { return E_NOTIMPL; }

// ---- IOleWindow, IOleInPlaceObject, IOleInPlaceActiveObject ------------------

STDMETHODIMP ZelvoPlayControl::GetWindow(HWND* window)
{
    if (!window) return E_POINTER;
    *window = window_;
    return window_ ? S_OK : E_FAIL;
}

STDMETHODIMP ZelvoPlayControl::ContextSensitiveHelp(BOOL) { return E_NOTIMPL; }

STDMETHODIMP ZelvoPlayControl::InPlaceDeactivate()
{
    if (!inPlaceActive_) return S_OK;
    UIDeactivate();
    inPlaceActive_ = false;
    DestroyControlWindow();
    frame_.Reset();
    uiWindow_.Reset();
    ocx::ComRef<IOleInPlaceSite> site = inPlaceSite_;
    inPlaceSite_.Reset();
    if (site) site->OnInPlaceDeactivate();
    return S_OK;
}

STDMETHODIMP ZelvoPlayControl::UIDeactivate()
{
    if (!uiActive_) return S_OK;
    uiActive_ = false;
    if (uiWindow_) uiWindow_->SetActiveObject(nullptr, nullptr);
    if (frame_) frame_->SetActiveObject(nullptr, nullptr);
    if (inPlaceSite_) inPlaceSite_->OnUIDeactivate(FALSE);
    return S_OK;
}

STDMETHODIMP ZelvoPlayControl::SetObjectRects(LPCRECT position, LPCRECT)
{
    if (!position) return E_POINTER;
    if (window_)
        SetWindowPos(window_, nullptr, position->left, position->top, position->right - position->left,
                     position->bottom - position->top, SWP_NOZORDER | SWP_NOACTIVATE);
    return S_OK;
}

STDMETHODIMP ZelvoPlayControl::ReactivateAndUndo() { return E_NOTIMPL; }
STDMETHODIMP ZelvoPlayControl::TranslateAccelerator(LPMSG) { return S_FALSE; }
STDMETHODIMP ZelvoPlayControl::OnFrameWindowActivate(BOOL) { return S_OK; }
STDMETHODIMP ZelvoPlayControl::OnDocWindowActivate(BOOL) { return S_OK; }
STDMETHODIMP ZelvoPlayControl::ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) { return S_OK; }
STDMETHODIMP ZelvoPlayControl::EnableModeless(BOOL) { return S_OK; }

// ---- IViewObject2 --------------------------------------------------------------

STDMETHODIMP ZelvoPlayControl::Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC drawDC, LPCRECTL bounds,
                                    LPCRECTL, BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR)
{
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (!drawDC) return E_INVALIDARG;
    RECT area{};
    if (bounds)
        area = {bounds->left, bounds->top, bounds->right, bounds->bottom};
    else if (window_)
        GetClientRect(window_, &area);
    else
        return E_INVALIDARG;
    PaintInto(drawDC, area, {p_.originX, p_.originY});
    return S_OK;
}

// The palette request: with more than 16 colours the animation's palette.
STDMETHODIMP ZelvoPlayControl::GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE** colors)
{
    if (!colors) return E_POINTER;
    *colors = nullptr;
    if (!anim_ || GetAnimInfo(anim_, ANIM_INFO_COLORS) <= 16) return S_FALSE;
    HPALETTE palette = reinterpret_cast<HPALETTE>(GetAnimInfo(anim_, ANIM_INFO_PALETTE));
    const UINT count = palette ? GetPaletteEntries(palette, 0, 0, nullptr) : 0;
    if (!count) return S_FALSE;
    auto* set = static_cast<LOGPALETTE*>(CoTaskMemAlloc(sizeof(LOGPALETTE) + count * sizeof(PALETTEENTRY)));
    if (!set) return E_OUTOFMEMORY;
    set->palVersion = 0x300;
    set->palNumEntries = static_cast<WORD>(count);
    GetPaletteEntries(palette, 0, count, set->palPalEntry);
    *colors = set;
    return S_OK;
}

STDMETHODIMP ZelvoPlayControl::Freeze(DWORD, LONG, void*, DWORD*) { return E_NOTIMPL; }
STDMETHODIMP ZelvoPlayControl::Unfreeze(DWORD) { return E_NOTIMPL; }

STDMETHODIMP ZelvoPlayControl::SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink)
{
    viewAdvise_.Hold(sink);
    viewAdviseAspects_ = aspects;
    viewAdviseFlags_ = flags;
    return S_OK;
}

STDMETHODIMP ZelvoPlayControl::GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink)
{
    if (aspects) *aspects = viewAdviseAspects_;
    if (flags) *flags = viewAdviseFlags_;
    if (sink) {
        *sink = viewAdvise_.get();
        if (*sink) (*sink)->AddRef();
    }
    return S_OK;
}

STDMETHODIMP ZelvoPlayControl::GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size)
{
    return GetExtent(aspect, size);
}

// ---- ISpecifyPropertyPages ------------------------------------------------------

STDMETHODIMP ZelvoPlayControl::GetPages(CAUUID* pages)
{
    if (!pages) return E_POINTER;
    pages->pElems = static_cast<GUID*>(CoTaskMemAlloc(sizeof(GUID)));
    if (!pages->pElems) {
        pages->cElems = 0;
        return E_OUTOFMEMORY;
    }
    pages->cElems = 1;
    pages->pElems[0] = CLSID_ZelvoPlayPropPage;
    return S_OK;
}

// ---- IObjectSafety ---------------------------------------------------------------

namespace {

constexpr DWORD SAFETY_SUPPORTED = INTERFACESAFE_FOR_UNTRUSTED_CALLER | INTERFACESAFE_FOR_UNTRUSTED_DATA;

bool IsDispatchIid(REFIID iid) { return iid == IID_IDispatch || iid == DIID_IZelvoPlay; }

bool IsPersistIid(REFIID iid)
{
    return iid == IID_IPersistPropertyBag || iid == IID_IPersistStreamInit || iid == IID_IPersistStream ||
           iid == IID_IPersistStorage || iid == IID_IPersist;
}

}  // namespace

// Scripts may call the control (its dispatch interface is safe for untrusted
// callers) and pages may hand it data (its persistence is safe for untrusted
// data); nothing else is promised.
STDMETHODIMP ZelvoPlayControl::GetInterfaceSafetyOptions(REFIID iid, DWORD* supported, DWORD* enabled)
{
    if (!supported || !enabled) return E_POINTER;
    *supported = *enabled = 0;
    ocx::ComRef<IUnknown> probe;
    if (FAILED(QueryInterface(iid, reinterpret_cast<void**>(probe.Out())))) return E_NOINTERFACE;
    *supported = SAFETY_SUPPORTED;
    if (IsDispatchIid(iid))
        *enabled = INTERFACESAFE_FOR_UNTRUSTED_CALLER;
    else if (IsPersistIid(iid))
        *enabled = INTERFACESAFE_FOR_UNTRUSTED_DATA;
    return S_OK;
}

STDMETHODIMP ZelvoPlayControl::SetInterfaceSafetyOptions(REFIID iid, DWORD mask, DWORD enabled)
{
    if (mask == 0 && enabled == 0) return S_OK;
    ocx::ComRef<IUnknown> probe;
    if (FAILED(QueryInterface(iid, reinterpret_cast<void**>(probe.Out())))) return E_NOINTERFACE;
    if (IsDispatchIid(iid) && mask == INTERFACESAFE_FOR_UNTRUSTED_CALLER && enabled == mask) {
        safetyDispatch_ = enabled;
        return S_OK;
    }
    if (IsPersistIid(iid) && mask == INTERFACESAFE_FOR_UNTRUSTED_DATA && enabled == mask) {
        safetyPersist_ = enabled;
        return S_OK;
    }
    return E_FAIL;
}
