// The control's property page "General" (dialog 100): the animation file
// with a browse button, the playing state, the sizing and scrolling
// switches, the origin with spin buttons, and the sound state. It edits the
// controls it is given through their dispatch interface.
#include "ZelvoPlayControl.h"
#include "resource.h"
#include "UiSeam.h"
#include <commctrl.h>
#include <vector>

namespace {

constexpr int ORIGIN_LIMIT = 1000;

const char* const kStatusNames[] = {"Stop", "Play", "Reset"};
const char* const kSoundNames[] = {"Off", "On", "Pause"};

// Reads and writes one property of a control by DISPID.
HRESULT GetProperty(IDispatch* control, DISPID id, VARTYPE type, VARIANT* out)
{
    DISPPARAMS none{};
    ocx::ScopedVariant value;
    const HRESULT hr = control->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &value,
                                       nullptr, nullptr);
    if (FAILED(hr)) return hr;
    return VariantChangeType(out, &value, 0, type);
}

HRESULT PutProperty(IDispatch* control, DISPID id, VARIANT& value)
{
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{&value, &named, 1, 1};
    EXCEPINFO info{};
    const HRESULT hr = control->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params, nullptr,
                                       &info, nullptr);
    SysFreeString(info.bstrSource);
    SysFreeString(info.bstrDescription);
    SysFreeString(info.bstrHelpFile);
    return hr;
}

class ZelvoPlayPropPage final : public ocx::SingleInterfaceObject<IPropertyPage> {
public:
    ~ZelvoPlayPropPage() { Deactivate(); }

    STDMETHODIMP SetPageSite(IPropertyPageSite* site) override
    {
        site_.Hold(site);
        return S_OK;
    }

    STDMETHODIMP Activate(HWND parent, LPCRECT rect, BOOL) override
    {
        if (dialog_) return E_UNEXPECTED;
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_UPDOWN_CLASS};
        InitCommonControlsEx(&controls);
        dialog_ = CreateDialogParamA(ocx::ModuleInstance(), MAKEINTRESOURCEA(IDD_PROPPAGE_ZELVOPLAY), parent,
                                     DialogProc, reinterpret_cast<LPARAM>(this));
        if (!dialog_) return E_FAIL;
        if (rect) Move(rect);
        return S_OK;
    }

    STDMETHODIMP Deactivate() override
    {
        if (dialog_) DestroyWindow(dialog_);
        dialog_ = nullptr;
        return S_OK;
    }

    STDMETHODIMP GetPageInfo(PROPPAGEINFO* info) override
    {
        if (!info) return E_POINTER;
        const std::wstring title = ocx::Widen(ocx::LoadModuleString(IDS_PROPPAGE_TITLE));
        info->pszTitle = static_cast<LPOLESTR>(CoTaskMemAlloc((title.size() + 1) * sizeof(wchar_t)));
        if (info->pszTitle) lstrcpyW(info->pszTitle, title.c_str());
        info->size = DialogSize();
        info->pszDocString = nullptr;
        info->pszHelpFile = nullptr;
        info->dwHelpContext = 0;
        return S_OK;
    }

    STDMETHODIMP SetObjects(ULONG count, IUnknown** objects) override
    {
        controls_.clear();
        for (ULONG i = 0; i < count; ++i) {
            ocx::ComRef<IDispatch> control;
            if (objects && objects[i] &&
                SUCCEEDED(objects[i]->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(control.Out()))))
                controls_.push_back(control);
        }
        if (dialog_) ReadControl();
        return S_OK;
    }

    STDMETHODIMP Show(UINT show) override
    {
        if (dialog_) ShowWindow(dialog_, show);
        return S_OK;
    }

    STDMETHODIMP Move(LPCRECT rect) override
    {
        if (!rect) return E_POINTER;
        if (dialog_)
            SetWindowPos(dialog_, nullptr, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
        return S_OK;
    }

    STDMETHODIMP IsPageDirty() override { return dirty_ ? S_OK : S_FALSE; }

    STDMETHODIMP Apply() override
    {
        if (!dialog_) return S_OK;
        for (auto& control : controls_) WriteControl(control.get());
        SetDirty(false);
        return S_OK;
    }

    STDMETHODIMP Help(LPCOLESTR) override { return E_NOTIMPL; }

    STDMETHODIMP TranslateAccelerator(MSG* msg) override
    {
        return dialog_ && msg && IsDialogMessageA(dialog_, msg) ? S_OK : S_FALSE;
    }

private:
    SIZE DialogSize() const
    {
        if (dialog_) {
            RECT r;
            GetWindowRect(dialog_, &r);
            return {r.right - r.left, r.bottom - r.top};
        }
        // The template's size in dialog units, through the base units.
        const LONG units = GetDialogBaseUnits();
        return {MulDiv(250, LOWORD(units), 4), MulDiv(110, HIWORD(units), 8)};
    }

    void SetDirty(bool dirty)
    {
        dirty_ = dirty;
        if (site_) site_->OnStatusChange(dirty ? PROPPAGESTATUS_DIRTY | PROPPAGESTATUS_VALIDATE : 0);
    }

    void FillList(int id, const char* const* names, int count)
    {
        HWND list = GetDlgItem(dialog_, id);
        SendMessageA(list, CB_RESETCONTENT, 0, 0);
        for (int i = 0; i < count; ++i) SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(names[i]));
    }

    // The origin is meaningless while the control sizes itself to the picture.
    void UpdateOriginFields()
    {
        const bool autoSize = IsDlgButtonChecked(dialog_, IDC_AUTOSIZE) == BST_CHECKED;
        for (int id : {IDC_ORIGINX, IDC_ORIGINY, IDC_SPIN_ORIGINX, IDC_SPIN_ORIGINY})
            EnableWindow(GetDlgItem(dialog_, id), !autoSize);
        if (autoSize) {
            SetDlgItemInt(dialog_, IDC_ORIGINX, 0, TRUE);
            SetDlgItemInt(dialog_, IDC_ORIGINY, 0, TRUE);
        }
    }

    // The first control's properties into the page.
    void ReadControl()
    {
        loading_ = true;
        if (!controls_.empty()) {
            IDispatch* control = controls_.front().get();
            ocx::ScopedVariant v;
            if (SUCCEEDED(GetProperty(control, DISPID_ZP_ANIMATION, VT_BSTR, &v)))
                SetDlgItemTextA(dialog_, IDC_ANIMATION, ocx::Narrow(v.bstrVal ? v.bstrVal : L"").c_str());
            auto number = [&](DISPID id) {
                ocx::ScopedVariant n;
                return SUCCEEDED(GetProperty(control, id, VT_I4, &n)) ? static_cast<int>(n.lVal) : 0;
            };
            SendDlgItemMessageA(dialog_, IDC_STATUS, CB_SETCURSEL, number(DISPID_ZP_STATUS), 0);
            SendDlgItemMessageA(dialog_, IDC_SOUND, CB_SETCURSEL, number(DISPID_ZP_SOUND), 0);
            CheckDlgButton(dialog_, IDC_AUTOSIZE, number(DISPID_ZP_AUTOSIZE) ? BST_CHECKED : BST_UNCHECKED);
            CheckDlgButton(dialog_, IDC_AUTOSCROLL, number(DISPID_ZP_AUTOSCROLL) ? BST_CHECKED : BST_UNCHECKED);
            CheckDlgButton(dialog_, IDC_AUTONEXT, number(DISPID_ZP_AUTONEXTANIMATION) ? BST_CHECKED : BST_UNCHECKED);
            SetDlgItemInt(dialog_, IDC_ORIGINX, number(DISPID_ZP_ORIGINX), TRUE);
            SetDlgItemInt(dialog_, IDC_ORIGINY, number(DISPID_ZP_ORIGINY), TRUE);
        }
        UpdateOriginFields();
        loading_ = false;
        SetDirty(false);
    }

    void WriteControl(IDispatch* control)
    {
        char path[MAX_PATH] = "";
        GetDlgItemTextA(dialog_, IDC_ANIMATION, path, MAX_PATH);
        auto put = [&](DISPID id, VARTYPE type, LONG value) {
            VARIANT v;
            VariantInit(&v);
            v.vt = VT_I4;
            v.lVal = value;
            if (type == VT_BOOL) {
                v.vt = VT_BOOL;
                v.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
            }
            PutProperty(control, id, v);
        };
        put(DISPID_ZP_AUTOSIZE, VT_BOOL, IsDlgButtonChecked(dialog_, IDC_AUTOSIZE) == BST_CHECKED);
        put(DISPID_ZP_AUTOSCROLL, VT_BOOL, IsDlgButtonChecked(dialog_, IDC_AUTOSCROLL) == BST_CHECKED);
        put(DISPID_ZP_AUTONEXTANIMATION, VT_BOOL, IsDlgButtonChecked(dialog_, IDC_AUTONEXT) == BST_CHECKED);
        ocx::ScopedVariant current;
        GetProperty(control, DISPID_ZP_ANIMATION, VT_BSTR, &current);
        if (ocx::Narrow(current.bstrVal ? current.bstrVal : L"") != path) {
            VARIANT v;
            v.vt = VT_BSTR;
            v.bstrVal = SysAllocString(ocx::Widen(path).c_str());
            PutProperty(control, DISPID_ZP_ANIMATION, v);
            VariantClear(&v);
        }
        put(DISPID_ZP_ORIGINX, VT_I4, static_cast<int>(GetDlgItemInt(dialog_, IDC_ORIGINX, nullptr, TRUE)));
        put(DISPID_ZP_ORIGINY, VT_I4, static_cast<int>(GetDlgItemInt(dialog_, IDC_ORIGINY, nullptr, TRUE)));
        const LRESULT status = SendDlgItemMessageA(dialog_, IDC_STATUS, CB_GETCURSEL, 0, 0);
        if (status >= 0) put(DISPID_ZP_STATUS, VT_I4, static_cast<LONG>(status));
        const LRESULT sound = SendDlgItemMessageA(dialog_, IDC_SOUND, CB_GETCURSEL, 0, 0);
        if (sound >= 0) put(DISPID_ZP_SOUND, VT_I4, static_cast<LONG>(sound));
    }

    void Browse()
    {
        char path[MAX_PATH] = "";
        GetDlgItemTextA(dialog_, IDC_ANIMATION, path, MAX_PATH);
        // The filter's "|" separators become the dialog's NULs.
        std::string filter = ocx::LoadModuleString(IDS_PROPPAGE_FILTER);
        for (char& c : filter)
            if (c == '|') c = '\0';
        filter.push_back('\0');
        OPENFILENAMEA dialog{};
        dialog.lStructSize = sizeof dialog;
        dialog.hwndOwner = dialog_;
        dialog.lpstrFilter = filter.c_str();
        dialog.lpstrFile = path;
        dialog.nMaxFile = MAX_PATH;
        dialog.lpstrDefExt = "ANS";
        dialog.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST;
        if (CurrentUiSeam().getOpenFileName(&dialog)) {
            SetDlgItemTextA(dialog_, IDC_ANIMATION, path);
            SetDirty(true);
        }
    }

    void Init(HWND dialog)
    {
        dialog_ = dialog;
        FillList(IDC_STATUS, kStatusNames, 3);
        FillList(IDC_SOUND, kSoundNames, 3);
        for (int spin : {IDC_SPIN_ORIGINX, IDC_SPIN_ORIGINY})
            SendDlgItemMessageA(dialog, spin, UDM_SETRANGE32, static_cast<WPARAM>(-ORIGIN_LIMIT), ORIGIN_LIMIT);
        ReadControl();
    }

    void Command(int id, int code)
    {
        switch (id) {
        case IDC_BROWSE:
            if (code == BN_CLICKED) Browse();
            return;
        case IDC_AUTOSIZE:
            UpdateOriginFields();
            [[fallthrough]];
        case IDC_AUTOSCROLL:
        case IDC_AUTONEXT:
            if (code == BN_CLICKED && !loading_) SetDirty(true);
            return;
        case IDC_STATUS:
        case IDC_SOUND:
            if (code == CBN_SELCHANGE && !loading_) SetDirty(true);
            return;
        case IDC_ANIMATION:
        case IDC_ORIGINX:
        case IDC_ORIGINY:
            if (code == EN_CHANGE && !loading_) SetDirty(true);
            return;
        default:
            return;
        }
    }

    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
    {
        auto* page = reinterpret_cast<ZelvoPlayPropPage*>(GetWindowLongPtrA(dialog, DWLP_USER));
        if (message == WM_INITDIALOG) {
            page = reinterpret_cast<ZelvoPlayPropPage*>(lParam);
            SetWindowLongPtrA(dialog, DWLP_USER, lParam);
            page->Init(dialog);
            return TRUE;
        }
        if (!page) return FALSE;
        if (message == WM_COMMAND) {
            page->Command(LOWORD(wParam), HIWORD(wParam));
            return TRUE;
        }
        return FALSE;
    }

    HWND dialog_ = nullptr;
    bool dirty_ = false;
    bool loading_ = false;
    ocx::ComRef<IPropertyPageSite> site_;
    std::vector<ocx::ComRef<IDispatch>> controls_;
};

}  // namespace

HRESULT CreateZelvoPlayPropPage(REFIID iid, void** out)
{
    auto* page = new ZelvoPlayPropPage;
    const HRESULT hr = page->QueryInterface(iid, out);
    page->Release();
    return hr;
}
