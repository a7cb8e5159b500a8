// The control's module: its classes, and self-registration as a control and
// as the browser's handler for "application/x-anx".
#include "ZelvoPlayControl.h"
#include "resource.h"
#include "UiSeam.h"

// The property page belongs to the type library's family of GUIDs but is not
// described by it.
const CLSID CLSID_ZelvoPlayPropPage = {0x6d3a5e10, 0x2b47, 0x4c8e, {0xa1, 0xf2, 0x5e, 0x7b, 0x9c, 0x0d, 0x3a, 0x05}};

namespace {

const ocx::ClassEntry kClasses[] = {
    {&CLSID_ZelvoPlay, CreateZelvoPlay},
    {&CLSID_ZelvoPlayPropPage, CreateZelvoPlayPropPage},
};

const ocx::ClassRegistration kControlClass = {
    &CLSID_ZelvoPlay, L"Zelvo.ZelvoPlayCtrl.1", L"ZelvoPlay Control", true, ZELVOPLAY_MISC_STATUS,
    &LIBID_ZelvoPlayLib, L"1.0"};
const ocx::ClassRegistration kPageClass = {
    &CLSID_ZelvoPlayPropPage, L"REELOCX.ReelOCXPropPage.1", L"ZelvoPlay Property Page", false, 0, nullptr, nullptr};

constexpr wchar_t MIME_KEY[] = L"MIME\\DataBase\\Content Type\\application/x-anx";
constexpr wchar_t MIME_TYPE[] = L"application/x-anx";
constexpr wchar_t EXTENSION[] = L".anx";

// The browser's keys: the MIME type names our class and extension, the
// extension names the MIME type, and the class plays such files full-page.
bool RegisterMimeType()
{
    const std::wstring clsid = ocx::GuidText(CLSID_ZelvoPlay);
    bool ok = ocx::SetRegistryString(HKEY_CLASSES_ROOT, MIME_KEY, L"Extension", EXTENSION);
    ok = ok && ocx::SetRegistryString(HKEY_CLASSES_ROOT, MIME_KEY, L"CLSID", clsid);
    ok = ok && ocx::SetRegistryString(HKEY_CLASSES_ROOT, EXTENSION, L"Content Type", MIME_TYPE);
    ok = ok && ocx::SetRegistryString(HKEY_CLASSES_ROOT, L"CLSID\\" + clsid + L"\\EnableFullPage\\.anx", nullptr, L"");
    return ok;
}

}  // namespace

HRESULT RegisterZelvoPlay()
{
    if (FAILED(ocx::RegisterModuleTypeLib())) return SELFREG_E_TYPELIB;
    if (!ocx::RegisterClassKeys(kControlClass) || !ocx::RegisterClassKeys(kPageClass)) return SELFREG_E_CLASS;
    // The control works without the browser's keys: say so, and succeed.
    if (!RegisterMimeType()) {
        CurrentUiSeam().messageBox(nullptr, ocx::LoadModuleString(IDS_REGISTER_MIME_FAILED).c_str(),
                                   ocx::LoadModuleString(IDS_REGISTER_CAPTION).c_str(), MB_OK | MB_ICONEXCLAMATION);
    }
    return S_OK;
}

// Removes what registration wrote of ours. The MIME key would otherwise name a
// class that no longer exists: its "CLSID" goes when it is ours; ".anx" keeps
// its "Content Type", which other players of the type may rely on.
HRESULT UnregisterZelvoPlay()
{
    const HRESULT typeLib = ocx::UnregisterModuleTypeLib(LIBID_ZelvoPlayLib, 1, 0);
    const bool classes = ocx::UnregisterClassKeys(kControlClass) && ocx::UnregisterClassKeys(kPageClass);
    const std::wstring clsid = ocx::GuidText(CLSID_ZelvoPlay);
    if (lstrcmpiW(ocx::ReadRegistryString(HKEY_CLASSES_ROOT, MIME_KEY, L"CLSID").c_str(), clsid.c_str()) == 0)
        ocx::DeleteRegistryValue(HKEY_CLASSES_ROOT, MIME_KEY, L"CLSID");
    if (FAILED(typeLib) && typeLib != TYPE_E_REGISTRYACCESS && typeLib != TYPE_E_CANTLOADLIBRARY &&
        typeLib != TYPE_E_LIBNOTREGISTERED)
        return SELFREG_E_TYPELIB;
    return classes ? S_OK : SELFREG_E_CLASS;
}

HRESULT GetZelvoPlayClassObject(REFCLSID clsid, REFIID iid, void** out)
{
    return ocx::GetClassObject(kClasses, sizeof kClasses / sizeof kClasses[0], clsid, iid, out);
}
