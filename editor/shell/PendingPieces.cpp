// Stand-ins for pieces still to come (see PendingPieces.h): without pattern
// files there are no patterns and no brushes.
#include "PendingPieces.h"
#include "ResultCodes.h"

int ReadPatternFile() { return RESULT_NOT_FOUND; }

int LoadPatternBrushes(HBRUSH*, int) { return RESULT_NOT_FOUND; }
