#include "UiSeam.h"

namespace {
const UiSeam kRealSeam = {MessageBoxA, GetOpenFileNameA, GetSaveFileNameA};
const UiSeam* g_seam = &kRealSeam;
}  // namespace

const UiSeam& RealUiSeam() { return kRealSeam; }
const UiSeam& CurrentUiSeam() { return *g_seam; }
void InstallUiSeam(const UiSeam* seam) { g_seam = seam ? seam : &kRealSeam; }
