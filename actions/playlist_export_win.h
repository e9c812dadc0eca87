// Exporting the song list to a file the user picks in the standard save dialog.
#pragma once

#include <windows.h>

#include "toolkit/window_toolkit.h"

// Asks for a file name and saves the listed songs there, as an M3U playlist or as a list of
// links (by the name's extension, else by the chosen file type). A failed save is reported
// in a message box and leaves no partial file. Does nothing on an empty list or on Cancel.
void ExportPlaylist(HWND owner, WindowToolkit& toolkit);
