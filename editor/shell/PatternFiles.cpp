// Without pattern files there are no patterns and no brushes.
#include "PatternFiles.h"
#include "ResultCodes.h"

int ReadPatternFile() { return RESULT_NOT_FOUND; }

int LoadPatternBrushes(HBRUSH*, int) { return RESULT_NOT_FOUND; }
