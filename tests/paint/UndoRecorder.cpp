// The paint tests' undo list (see UndoRecorder.h).
#include "UndoRecorder.h"

UndoSteps g_undo;

namespace {

int KeepCall(UINT flags, int frameIndex)
{
    g_undo.push_back({flags, frameIndex});
    return 1;
}

// Installed before any test runs: the programs that link this file never
// record into the real list.
const bool g_callsKept = (SetUndoCallTaker(KeepCall), true);

}  // namespace
