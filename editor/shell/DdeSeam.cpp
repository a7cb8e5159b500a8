// The real table of the Program Manager conversation's calls.
#include "DdeSeam.h"

namespace {
const DdeSeam kRealSeam = {SendMessageA, PostMessageA};
const DdeSeam* g_seam = &kRealSeam;
}  // namespace

const DdeSeam& RealDdeSeam() { return kRealSeam; }
const DdeSeam& CurrentDdeSeam() { return *g_seam; }
void InstallDdeSeam(const DdeSeam* seam) { g_seam = seam ? seam : &kRealSeam; }
