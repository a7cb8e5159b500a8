// Inert stand-ins for the play loop's clock, compiled in only while the
// engine defines no such entry point (tests/engine/CMakeLists.txt decides):
// the window tests need the window procedure, which calls them. The tests
// assert nothing that depends on them.
#include "ReelEngine.h"

#ifdef STAND_IN_StartAnimation
int StartAnimation(HANIM, HWND) { return 0; }
#endif

#ifdef STAND_IN_TickAnimation
int TickAnimation(HANIM, HWND) { return 0; }
#endif
