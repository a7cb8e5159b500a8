// The real table of the printer calls.
#include "PrintSeam.h"

namespace {
const PrintSeam kRealSeam = {GetProfileStringA, CreateDCA, DeleteDC, GetDeviceCaps, SetAbortProc, StartDocA,
                             StartPage, EndPage, EndDoc, Escape, PrintDlgA};
const PrintSeam* g_seam = &kRealSeam;
}  // namespace

const PrintSeam& RealPrintSeam() { return kRealSeam; }
const PrintSeam& CurrentPrintSeam() { return *g_seam; }
void InstallPrintSeam(const PrintSeam* seam) { g_seam = seam ? seam : &kRealSeam; }
