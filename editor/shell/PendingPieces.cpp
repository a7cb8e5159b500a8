// Stand-ins for pieces still to come (see PendingPieces.h): without pattern
// files there are no patterns and no brushes; without the selection
// transforms there is nothing to transform.
#include "PendingPieces.h"
#include "ResultCodes.h"

int ReadPatternFile() { return RESULT_NOT_FOUND; }

int LoadPatternBrushes(HBRUSH*, int) { return RESULT_NOT_FOUND; }

void BeginSelectionTransform() {}

void SetTransformKind(int) {}

void EndSelectionTransform() {}
