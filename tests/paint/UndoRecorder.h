// The undo list as the paint tests see it: the test programs that link this
// file take every RecordUndo call, so every step a tool records is kept in
// order instead of being copied.
#pragma once
#include "Undo.h"
#include <utility>
#include <vector>

using UndoSteps = std::vector<std::pair<UINT, int>>;
extern UndoSteps g_undo;  // (flags, frame index) of every call
