#include "AppState.h"

AppState g_appState{};
