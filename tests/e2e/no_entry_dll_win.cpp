// A well-formed library that lacks SkinH_AttachEx: the end-to-end tests put it where
// jedata.dll belongs.
#include <windows.h>

extern "C" __declspec(dllexport) int WINAPI TrovellaTestNothing() {
    return 0;
}
