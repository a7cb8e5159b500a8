// The plug-in library's three exports: the browser gets the plug-in's entry
// points, hands over its own table, and shuts the plug-in down.
#include "NpPlugin.h"

PluginProcess g_plugin{};

NPError WINAPI NP_GetEntryPoints(NPPluginFuncs* funcs)
{
    // The browser made the table: the slots are written only where it has room.
    if (!funcs || funcs->size < NP_TABLE_HOLDS(NPPluginFuncs, event)) return NPERR_INVALID_FUNCTABLE_ERROR;
    funcs->version = (NP_VERSION_MAJOR << 8) | NP_VERSION_MINOR;
    funcs->newp = NPP_New;
    funcs->destroy = NPP_Destroy;
    funcs->setwindow = NPP_SetWindow;
    funcs->newstream = NPP_NewStream;
    funcs->destroystream = NPP_DestroyStream;
    funcs->asfile = NPP_StreamAsFile;
    funcs->writeready = NPP_WriteReady;
    funcs->write = NPP_Write;
    funcs->print = NPP_Print;
    funcs->event = nullptr;
    g_plugin.pluginFuncs = funcs;
    return NPERR_NO_ERROR;
}

NPError WINAPI NP_Initialize(NPBrowserFuncs* browser)
{
    // Every instance record comes from the browser's allocator.
    if (!browser || browser->size < NP_TABLE_HOLDS(NPBrowserFuncs, memfree)) return NPERR_INVALID_FUNCTABLE_ERROR;
    if ((browser->version >> 8) > NP_VERSION_MAJOR) return NPERR_INCOMPATIBLE_VERSION_ERROR;
    g_plugin.browserFuncs = browser;
    NPPluginFuncs* funcs = g_plugin.pluginFuncs;
    if ((browser->version & 0xFF) >= 9 && funcs && funcs->size >= NP_TABLE_HOLDS(NPPluginFuncs, javaClass)) {
        funcs->urlnotify = NPP_URLNotify;
        funcs->javaClass = NPP_GetJavaClass();
    }
    return NPP_Initialize();
}

NPError WINAPI NP_Shutdown()
{
    NPP_Shutdown();
    g_plugin.browserFuncs = nullptr;
    return NPERR_NO_ERROR;
}
