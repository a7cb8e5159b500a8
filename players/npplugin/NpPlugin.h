// NPReel32, the web-browser plug-in for "application/x-anx": each instance
// plays the downloaded animation in an "ANIWNDCLASS" child of the browser's
// window and follows on to the next animation in the same window.
#pragma once
#include "NpApi.h"
#include "ReelEngine.h"
#include <vector>

// One plug-in instance, allocated with the browser's NPN_MemAlloc and kept in
// the instance's pdata.
struct PluginInstance {
    NPWindow* window;       // the browser's window record, may be null
    int16_t mode;           // NP_EMBED or NP_FULL
    HWND browserWindow;     // its handle
    uint16_t unused;
    BOOL engineReady;       // the engine was started when the instance was made
    char path[MAX_PATH];    // the downloaded file, "" until it is known
    HANIM animation;
    HWND animWindow;
};
#if defined(__i386__) || defined(_M_IX86)
static_assert(sizeof(PluginInstance) == 288);
#endif

// The plug-in's process-wide state.
struct PluginProcess {
    NPBrowserFuncs* browserFuncs;      // the browser's table, kept by NP_Initialize
    NPPluginFuncs* pluginFuncs;        // the table NP_GetEntryPoints filled
    bool engineStarted;                // InitAnimEngine ran
    bool classRegistered;              // "ANIWNDCLASS" is registered ...
    HINSTANCE classInstance;           // ... with this instance handle
    std::vector<PluginInstance*> live; // the instances, for the hook to find its own by window
};
extern PluginProcess g_plugin;

constexpr char PLUGIN_CAPTION[] = "NPReel32 - Zelvo Plugin";

// The slots of the plug-in's table.
NPError NPP_New(NPMIMEType pluginType, NPP instance, uint16_t mode, int16_t argc, char* argn[], char* argv[],
                NPSavedData* saved);
NPError NPP_Destroy(NPP instance, NPSavedData** save);
NPError NPP_SetWindow(NPP instance, NPWindow* window);
NPError NPP_NewStream(NPP instance, NPMIMEType type, NPStream* stream, NPBool seekable, uint16_t* stype);
NPError NPP_DestroyStream(NPP instance, NPStream* stream, NPReason reason);
void NPP_StreamAsFile(NPP instance, NPStream* stream, const char* fileName);
int32_t NPP_WriteReady(NPP instance, NPStream* stream);
int32_t NPP_Write(NPP instance, NPStream* stream, int32_t offset, int32_t length, void* buffer);
void NPP_Print(NPP instance, NPPrint* print);
void NPP_URLNotify(NPP instance, const char* url, NPReason reason, void* notifyData);
void* NPP_GetJavaClass();
NPError NPP_Initialize();
void NPP_Shutdown();

// Loads the instance's file and plays it in the browser's window, once both
// are known (and the engine runs, and nothing plays yet).
void CreatePluginAnimation(PluginInstance* p);
// Ends the instance's animation window and animation.
void DestroyPluginAnimation(PluginInstance* p);
// The hook on the animation windows: the following animation.
int CALLBACK PluginAnimationHook(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
