#include "skin/skin_engine_binding_win.h"

#include <string>

#include "toolkit/program_directory_win.h"

SkinEngine::AttachFunction SkinEngine::Attach() {
    if (attach_) return attach_;
    std::wstring besideProgram = ProgramDirectory();
    if (!library_ && !besideProgram.empty()) {
        if (besideProgram.back() != L'\\') besideProgram += L'\\';
        besideProgram += kSkinEngineFileName;
        library_.reset(
            LoadLibraryExW(besideProgram.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
    }
    if (!library_) {
        // The standard search would also look in the current directory and on PATH, where
        // anyone could have put a library of that name.
        library_.reset(
            LoadLibraryExW(kSkinEngineFileName, nullptr,
                           LOAD_LIBRARY_SEARCH_APPLICATION_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32));
    }
    if (!library_) return nullptr;
    attach_ = reinterpret_cast<AttachFunction>(
        reinterpret_cast<void*>(GetProcAddress(library_.get(), kSkinEngineEntryPoint)));
    return attach_;
}
