// The exports of ZelvoPlay.ocx (named in ZelvoPlay.def): the standard four of
// an in-process COM server.
#include "ZelvoPlayControl.h"

extern "C" {

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved)
{
    // At process end (reserved set) other modules may be gone already.
    if (reason == DLL_PROCESS_DETACH && !reserved) EndZelvoPlayModule();
    return TRUE;
}

STDAPI DllCanUnloadNow() { return ocx::CanUnloadNow(); }
STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) { return GetZelvoPlayClassObject(clsid, iid, out); }
STDAPI DllRegisterServer() { return RegisterZelvoPlay(); }
STDAPI DllUnregisterServer() { return UnregisterZelvoPlay(); }

}  // extern "C"
