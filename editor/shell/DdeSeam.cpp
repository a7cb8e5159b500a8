// The real table of the Program Manager conversation's calls.
#include "DdeSeam.h"

namespace {

constexpr UINT ANSWER_TIMEOUT_MS = 2000;

// The initiate goes to every top-level window; one that does not answer (its
// program hangs) must not hold the dialog, and the editor, for ever.
LRESULT WINAPI SendUnlessHung(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    DWORD_PTR result = 0;
    SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, ANSWER_TIMEOUT_MS, &result);
    return static_cast<LRESULT>(result);
}

const DdeSeam kRealSeam = {SendUnlessHung, PostMessageA};
const DdeSeam* g_seam = &kRealSeam;
}  // namespace

const DdeSeam& RealDdeSeam() { return kRealSeam; }
const DdeSeam& CurrentDdeSeam() { return *g_seam; }
void InstallDdeSeam(const DdeSeam* seam) { g_seam = seam ? seam : &kRealSeam; }
