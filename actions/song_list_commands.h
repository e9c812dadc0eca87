// The song list's context-menu commands that need nothing but the window toolkit.
#pragma once

#include <vector>

#include "actions/playlist_export.h"
#include "toolkit/window_toolkit.h"

// Every song of 超级列表框1, in list order.
std::vector<ListedSong> ReadListedSongs(WindowToolkit& toolkit);

// Which of the menu's commands can run now.
struct SongMenuState {
    bool rowCommands;   // a row is selected: copy its link, copy its name
    bool listCommands;  // the list has rows: copy all links, export
};
SongMenuState ReadSongMenuState(WindowToolkit& toolkit);

// Copy the selected row's link or name to the clipboard, silently; nothing without a
// selected row.
void OnCopySongLinkChosen(WindowToolkit& toolkit);
void OnCopySongNameChosen(WindowToolkit& toolkit);

// Copies every link, one per line (LinkListText); nothing on an empty list.
void OnCopyAllLinksChosen(WindowToolkit& toolkit);
