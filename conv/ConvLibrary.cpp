// The library's module handle, the host of the running export and the
// replaceable table of its user-interface calls.
#include "ConvLibrary.h"

namespace {

HINSTANCE g_module = nullptr;
ConvHostProc g_activeHost = nullptr;

const ConvUiSeam kRealSeam = {MessageBoxA, ChooseColorA};
const ConvUiSeam* g_seam = &kRealSeam;

}  // namespace

HINSTANCE ConvModule() { return g_module; }
void SetConvModule(HINSTANCE module) { g_module = module; }

ConvHostProc ActiveConvHost() { return g_activeHost; }

ConvHostScope::ConvHostScope(ConvHostProc host) : previous_(g_activeHost) { g_activeHost = host; }
ConvHostScope::~ConvHostScope() { g_activeHost = previous_; }

const ConvUiSeam& CurrentConvUiSeam() { return *g_seam; }
void InstallConvUiSeam(const ConvUiSeam* seam) { g_seam = seam ? seam : &kRealSeam; }
