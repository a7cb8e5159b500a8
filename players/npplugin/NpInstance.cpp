// The slots of the plug-in's table: instances made and destroyed with the
// browser's allocator, the browser's window, the downloaded file, printing.
#include "NpPlugin.h"
#include <algorithm>
#include <cstring>

namespace {

PluginInstance* InstanceOf(NPP instance) { return instance ? static_cast<PluginInstance*>(instance->pdata) : nullptr; }

void* AllocateRecord(uint32_t size)
{
    const NPBrowserFuncs* browser = g_plugin.browserFuncs;
    return browser && browser->memalloc ? browser->memalloc(size) : nullptr;
}

void FreeRecord(void* block)
{
    const NPBrowserFuncs* browser = g_plugin.browserFuncs;
    if (browser && browser->memfree) browser->memfree(block);
}

void Forget(PluginInstance* p)
{
    auto& live = g_plugin.live;
    live.erase(std::remove(live.begin(), live.end(), p), live.end());
}

// Repaints the browser's window and the animation in it.
void Repaint(PluginInstance* p)
{
    RedrawWindow(p->browserWindow, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

}  // namespace

NPError NPP_Initialize()
{
    if (!g_plugin.engineStarted) {
        InitAnimEngine(-1);
        g_plugin.engineStarted = true;
    }
    return NPERR_NO_ERROR;
}

void NPP_Shutdown()
{
    if (g_plugin.classRegistered) {
        UnregisterAnimWindowClass(g_plugin.classInstance);
        g_plugin.classRegistered = false;
        g_plugin.classInstance = nullptr;
    }
    if (g_plugin.engineStarted) {
        ExitAnimEngine();
        g_plugin.engineStarted = false;
    }
}

NPError NPP_New(NPMIMEType, NPP instance, uint16_t mode, int16_t, char*[], char*[], NPSavedData*)
{
    if (!instance) return NPERR_INVALID_INSTANCE_ERROR;
    auto* p = static_cast<PluginInstance*>(AllocateRecord(sizeof(PluginInstance)));
    if (!p) return NPERR_OUT_OF_MEMORY_ERROR;
    memset(p, 0, sizeof *p);
    p->mode = static_cast<int16_t>(mode);
    p->engineReady = g_plugin.engineStarted;
    g_plugin.live.push_back(p);
    instance->pdata = p;
    return NPERR_NO_ERROR;
}

NPError NPP_Destroy(NPP instance, NPSavedData**)
{
    PluginInstance* p = InstanceOf(instance);
    if (!p) return NPERR_INVALID_INSTANCE_ERROR;
    DestroyPluginAnimation(p);
    p->window = nullptr;
    p->browserWindow = nullptr;
    Forget(p);
    FreeRecord(p);
    instance->pdata = nullptr;
    return NPERR_NO_ERROR;
}

NPError NPP_SetWindow(NPP instance, NPWindow* window)
{
    PluginInstance* p = InstanceOf(instance);
    if (!p) return NPERR_INVALID_INSTANCE_ERROR;
    HWND handle = window ? static_cast<HWND>(window->window) : nullptr;
    if (p->window) {
        if (handle && handle == p->browserWindow) {
            Repaint(p);  // the same window: the animation goes on
            return NPERR_NO_ERROR;
        }
        DestroyPluginAnimation(p);
        p->window = nullptr;
        p->browserWindow = nullptr;
    }
    if (!handle) return NPERR_NO_ERROR;
    p->window = window;
    p->browserWindow = handle;
    CreatePluginAnimation(p);
    return NPERR_NO_ERROR;
}

NPError NPP_NewStream(NPP instance, NPMIMEType, NPStream*, NPBool, uint16_t* stype)
{
    if (!instance) return NPERR_INVALID_INSTANCE_ERROR;
    if (stype) *stype = NP_ASFILEONLY;
    return NPERR_NO_ERROR;
}

int32_t NPP_WriteReady(NPP, NPStream*) { return 0x0FFFFFFF; }

int32_t NPP_Write(NPP, NPStream*, int32_t, int32_t length, void*) { return length; }

NPError NPP_DestroyStream(NPP instance, NPStream*, NPReason)
{
    return instance ? NPERR_NO_ERROR : NPERR_INVALID_INSTANCE_ERROR;
}

void NPP_StreamAsFile(NPP instance, NPStream*, const char* fileName)
{
    PluginInstance* p = InstanceOf(instance);
    // A name that does not fit would be cut to another path: it is not taken.
    if (!p || !fileName || strnlen(fileName, MAX_PATH) >= MAX_PATH) return;
    lstrcpynA(p->path, fileName, MAX_PATH);
    CreatePluginAnimation(p);
}

void NPP_Print(NPP instance, NPPrint* print)
{
    const PluginInstance* p = InstanceOf(instance);
    if (p && print && p->mode == NP_FULL && print->mode == NP_FULL) print->print.fullPrint.pluginPrinted = FALSE;
}

void NPP_URLNotify(NPP, const char*, NPReason, void*) {}

void* NPP_GetJavaClass() { return nullptr; }
