// jedata.dll: the skin engine's entry point and its load and unload.
#include <windows.h>

#include <new>

#include "skin/engine/skin_engine_win.h"

// Exported undecorated through jedata.def. The password is accepted for the caller's sake;
// skins are not encrypted.
extern "C" int __stdcall SkinH_AttachEx(const char* skinPath, const char* /*password*/) {
    try {
        return AttachSkin(skinPath);
    } catch (const std::bad_alloc&) {
        return kNoResources;
    }
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        DisableThreadLibraryCalls(instance);
    } else if (reason == DLL_PROCESS_DETACH) {
        // reserved is set when the whole process ends rather than on FreeLibrary.
        DetachSkin(reserved != nullptr);
    }
    return TRUE;
}
