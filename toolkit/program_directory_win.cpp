#include "toolkit/program_directory_win.h"

#include <windows.h>

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
    if (separator == std::wstring::npos) return {};
    path.resize(separator == 2 && path[1] == L':' ? separator + 1 : separator);
    return path;
}
