// The skin engine: restyles the calling thread's windows, present and future, from a skin file.
#pragma once

#include <windows.h>

// Results of AttachSkin, which are also SkinH_AttachEx's return values.
enum AttachResult : int {
    kAttached = 0,
    kBadPathArgument = 1,  // null, empty, too long or not convertible to UTF-16
    kSkinUnreadable = 2,   // missing, a directory or device, or a read error
    kSkinMalformed = 3,    // too large, or not a complete skin of a known layout
    kOtherThread = 4,      // already attached on another thread
    kNoResources = 5,      // brushes or the creation hook could not be made
};

// Reads the skin and, when it is valid, skins the thread's windows with it; a failure leaves
// every window as it was. Attaching again replaces the skin without subclassing anything twice.
int AttachSkin(const char* skinPath);

// Gives every window its own look back (when called on the attaching thread), removes the
// hook and frees the GDI objects. processEnding: leave the windows alone, they are going.
void DetachSkin(bool processEnding);
