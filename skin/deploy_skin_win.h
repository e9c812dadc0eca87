// DeploySkin: writes the skin engine and its skin next to the program, hides them and
// skins the program's windows. The handler of the main window's created event.
#pragma once

#include "skin/skin_engine_binding_win.h"

// Ends the program with exit code -1, after an error box, when the engine library cannot
// be loaded or lacks its entry point.
void DeploySkin(SkinEngine& engine);
