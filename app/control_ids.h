// Control identifiers of the main window's children, and the program's resource ids.
#pragma once

#define IDI_TROVELLA 1
#define IDV_TROVELLA 1

#ifndef RC_INVOKED
#include "toolkit/window_toolkit.h"

// Child window ids: 1001 + the control's position in Control.
inline constexpr int ControlId(Control control) {
    return 1001 + static_cast<int>(control);
}

// Commands of the song list's context menu.
enum SongMenuCommand : int {
    kCopySongLinkCommand = 2001,
    kCopySongNameCommand,
    kCopyAllLinksCommand,
    kExportPlaylistCommand,
};
#endif
