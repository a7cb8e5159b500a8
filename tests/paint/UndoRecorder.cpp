// The paint tests' RecordUndo (see UndoRecorder.h).
#include "UndoRecorder.h"

UndoSteps g_undo;

int RecordUndo(UINT flags, int frameIndex)
{
    g_undo.push_back({flags, frameIndex});
    return 1;
}
