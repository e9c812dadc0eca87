#include "skin/skin_engine_binding_win.h"

#include <string>

namespace {

std::wstring ProgramDirectory() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    const std::size_t separator = path.find_last_of(L'\\');
    return separator == std::wstring::npos ? std::wstring() : path.substr(0, separator);
}

}  // namespace

SkinEngine::AttachFunction SkinEngine::Attach() {
    if (attach_) return attach_;
    if (!library_) {
        const std::wstring besideProgram = ProgramDirectory() + L"\\" + kSkinEngineFileName;
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
