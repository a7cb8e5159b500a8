// The web browser's plug-in interface as NPReel32 and a browser share it: the
// instance, window, stream and print records, the two function tables that
// plug-in and browser hand each other, error codes, stream types and modes.
// The browser lays these records out as a 32-bit program does; the sizes are
// checked below for the 32-bit build.
#pragma once
#include <windows.h>
#include <cstddef>
#include <cstdint>

// The interface version this plug-in implements: major 0, minor 9.
constexpr uint16_t NP_VERSION_MAJOR = 0;
constexpr uint16_t NP_VERSION_MINOR = 9;

typedef int16_t NPError;
typedef int16_t NPReason;
typedef unsigned char NPBool;
typedef char* NPMIMEType;

// NPError values.
constexpr NPError NPERR_NO_ERROR = 0;
constexpr NPError NPERR_GENERIC_ERROR = 1;
constexpr NPError NPERR_INVALID_INSTANCE_ERROR = 2;
constexpr NPError NPERR_INVALID_FUNCTABLE_ERROR = 3;
constexpr NPError NPERR_MODULE_LOAD_FAILED_ERROR = 4;
constexpr NPError NPERR_OUT_OF_MEMORY_ERROR = 5;
constexpr NPError NPERR_INVALID_PLUGIN_ERROR = 6;
constexpr NPError NPERR_INVALID_PLUGIN_DIR_ERROR = 7;
constexpr NPError NPERR_INCOMPATIBLE_VERSION_ERROR = 8;
constexpr NPError NPERR_INVALID_PARAM = 9;
constexpr NPError NPERR_INVALID_URL = 10;
constexpr NPError NPERR_FILE_NOT_FOUND = 11;
constexpr NPError NPERR_NO_DATA = 12;
constexpr NPError NPERR_STREAM_NOT_SEEKABLE = 13;

// How the plug-in wants a stream (NPP_NewStream's stype).
constexpr uint16_t NP_NORMAL = 1;
constexpr uint16_t NP_SEEK = 2;
constexpr uint16_t NP_ASFILE = 3;
constexpr uint16_t NP_ASFILEONLY = 4;

// An instance's mode (NPP_New) and a print request's mode (NPPrint).
constexpr uint16_t NP_EMBED = 1;
constexpr uint16_t NP_FULL = 2;

// One plug-in instance: pdata is the plug-in's, ndata the browser's.
struct NPP_t {
    void* pdata;
    void* ndata;
};
typedef NPP_t* NPP;

struct NPRect {
    uint16_t top, left, bottom, right;
};

enum NPWindowType { NPWindowTypeWindow = 1, NPWindowTypeDrawable };

// The browser's window for an instance; `window` is its HWND.
struct NPWindow {
    void* window;
    int32_t x, y;
    uint32_t width, height;
    NPRect clipRect;
    NPWindowType type;
};

struct NPStream {
    void* pdata;
    void* ndata;
    const char* url;
    uint32_t end;
    uint32_t lastmodified;
    void* notifyData;
};

struct NPSavedData {
    int32_t len;
    void* buf;
};

struct NPFullPrint {
    NPBool pluginPrinted;  // the plug-in answers whether it printed the page
    NPBool printOne;
    void* platformPrint;
};

struct NPEmbedPrint {
    NPWindow window;
    void* platformPrint;
};

struct NPPrint {
    uint16_t mode;  // NP_FULL or NP_EMBED
    union {
        NPFullPrint fullPrint;
        NPEmbedPrint embedPrint;
    } print;
};

// The plug-in's entry points that the browser calls (the C calling convention).
typedef NPError (*NPP_NewProc)(NPMIMEType pluginType, NPP instance, uint16_t mode, int16_t argc, char* argn[],
                               char* argv[], NPSavedData* saved);
typedef NPError (*NPP_DestroyProc)(NPP instance, NPSavedData** save);
typedef NPError (*NPP_SetWindowProc)(NPP instance, NPWindow* window);
typedef NPError (*NPP_NewStreamProc)(NPP instance, NPMIMEType type, NPStream* stream, NPBool seekable, uint16_t* stype);
typedef NPError (*NPP_DestroyStreamProc)(NPP instance, NPStream* stream, NPReason reason);
typedef void (*NPP_StreamAsFileProc)(NPP instance, NPStream* stream, const char* fileName);
typedef int32_t (*NPP_WriteReadyProc)(NPP instance, NPStream* stream);
typedef int32_t (*NPP_WriteProc)(NPP instance, NPStream* stream, int32_t offset, int32_t length, void* buffer);
typedef void (*NPP_PrintProc)(NPP instance, NPPrint* print);
typedef int16_t (*NPP_HandleEventProc)(NPP instance, void* event);
typedef void (*NPP_URLNotifyProc)(NPP instance, const char* url, NPReason reason, void* notifyData);

// The browser's services this plug-in calls.
typedef void* (*NPN_MemAllocProc)(uint32_t size);
typedef void (*NPN_MemFreeProc)(void* block);
// A browser service this plug-in never calls (only its slot's size matters).
typedef void (*NPN_UnusedProc)();

// The plug-in's table, allocated by the browser, which fills `size`.
struct NPPluginFuncs {
    uint16_t size;
    uint16_t version;
    NPP_NewProc newp;
    NPP_DestroyProc destroy;
    NPP_SetWindowProc setwindow;
    NPP_NewStreamProc newstream;
    NPP_DestroyStreamProc destroystream;
    NPP_StreamAsFileProc asfile;
    NPP_WriteReadyProc writeready;
    NPP_WriteProc write;
    NPP_PrintProc print;
    NPP_HandleEventProc event;
    NPP_URLNotifyProc urlnotify;  // from minor version 9
    void* javaClass;              // from minor version 9
};

// The browser's table.
struct NPBrowserFuncs {
    uint16_t size;
    uint16_t version;  // major << 8 | minor
    NPN_UnusedProc geturl;
    NPN_UnusedProc posturl;
    NPN_UnusedProc requestread;
    NPN_UnusedProc newstream;
    NPN_UnusedProc write;
    NPN_UnusedProc destroystream;
    NPN_UnusedProc status;
    NPN_UnusedProc uagent;
    NPN_MemAllocProc memalloc;
    NPN_MemFreeProc memfree;
    NPN_UnusedProc memflush;
    NPN_UnusedProc reloadplugins;
    NPN_UnusedProc getJavaEnv;
    NPN_UnusedProc getJavaPeer;
    NPN_UnusedProc geturlnotify;
    NPN_UnusedProc posturlnotify;
    NPN_UnusedProc getvalue;
    NPN_UnusedProc setvalue;
    NPN_UnusedProc invalidaterect;
    NPN_UnusedProc invalidateregion;
    NPN_UnusedProc forceredraw;
};

// The bytes of a table up to and including a slot: a table whose `size` is
// smaller lacks that slot.
#define NP_TABLE_HOLDS(type, slot) (offsetof(type, slot) + sizeof(type::slot))

#if defined(__i386__) || defined(_M_IX86)
static_assert(sizeof(NPP_t) == 8);
static_assert(sizeof(NPWindow) == 32);
static_assert(sizeof(NPStream) == 24);
static_assert(sizeof(NPFullPrint) == 8);
static_assert(sizeof(NPEmbedPrint) == 36);
static_assert(sizeof(NPPrint) == 40);
static_assert(offsetof(NPPrint, print) == 4);
static_assert(sizeof(NPPluginFuncs) == 52);
static_assert(offsetof(NPPluginFuncs, event) == 40);
static_assert(offsetof(NPPluginFuncs, javaClass) == 48);
static_assert(sizeof(NPBrowserFuncs) == 88);
static_assert(offsetof(NPBrowserFuncs, memalloc) == 36);
static_assert(offsetof(NPBrowserFuncs, memfree) == 40);
#endif

// The library's exports, bound by name by the browser.
extern "C" {
NPError WINAPI NP_GetEntryPoints(NPPluginFuncs* pluginFuncs);
NPError WINAPI NP_Initialize(NPBrowserFuncs* browserFuncs);
NPError WINAPI NP_Shutdown();
}
typedef NPError(WINAPI* NP_GetEntryPointsFn)(NPPluginFuncs*);
typedef NPError(WINAPI* NP_InitializeFn)(NPBrowserFuncs*);
typedef NPError(WINAPI* NP_ShutdownFn)();
