// ZelvoExp32.dll: the module's entry point. Loading starts the engine with the
// export window's class; unloading ends both again.
#include "ExportLibrary.h"

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        DisableThreadLibraryCalls(module);
        return StartExportLibrary(module) ? TRUE : FALSE;
    }
    if (reason == DLL_PROCESS_DETACH) StopExportLibrary();
    return TRUE;
}
