// Song link copy: the double-click handler of the song list.
#pragma once

#include "toolkit/window_toolkit.h"

// Puts the selected song's link on the clipboard and, while 选择框1 is ticked, shows what
// the clipboard then holds in a notice box. Does nothing when no row is selected.
void OnSongListDoubleClicked(WindowToolkit& toolkit);
