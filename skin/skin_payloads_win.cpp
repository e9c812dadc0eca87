#include "skin/skin_payloads_win.h"

#include <windows.h>

namespace {

ByteSet EmbeddedFile(int id) {
    const HMODULE program = GetModuleHandleW(nullptr);
    const HRSRC found =
        FindResourceW(program, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(10));  // RT_RCDATA
    if (!found) return {};
    const HGLOBAL loaded = LoadResource(program, found);  // lives as long as the program
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes) return {};
    return {static_cast<const std::byte*>(bytes), SizeofResource(program, found)};
}

}  // namespace

ByteSet SkinEngineLibrary() {
    return EmbeddedFile(IDR_SKIN_ENGINE_LIBRARY);
}
ByteSet SkinFile() {
    return EmbeddedFile(IDR_SKIN_FILE);
}
