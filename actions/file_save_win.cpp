#include "actions/file_save_win.h"

#include <windows.h>

#include <algorithm>

#include "toolkit/win_resource.h"

namespace {

// A file of its own beside the target (so that the final move stays on one volume),
// created afresh; its name in `tempPath`.
UniqueFileHandle CreateSiblingFile(const std::wstring& path, std::wstring* tempPath) {
    const std::wstring stem = path + L"." + std::to_wstring(GetCurrentProcessId()) + L"-";
    for (int attempt = 0; attempt < 100; ++attempt) {
        *tempPath = stem + std::to_wstring(attempt) + L".tmp";
        UniqueFileHandle file(CreateFileW(tempPath->c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file || GetLastError() != ERROR_FILE_EXISTS) return file;
    }
    return UniqueFileHandle();
}

bool WriteAll(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 20));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), chunk, &written, nullptr)) return false;
        if (written == 0) {
            SetLastError(ERROR_WRITE_FAULT);
            return false;
        }
        bytes.remove_prefix(written);
    }
    return FlushFileBuffers(file) != FALSE;
}

}  // namespace

bool SaveWholeFile(const std::wstring& path, std::string_view bytes) {
    std::wstring tempPath;
    UniqueFileHandle file = CreateSiblingFile(path, &tempPath);
    if (!file) return false;

    bool saved = WriteAll(file.get(), bytes);
    DWORD error = saved ? ERROR_SUCCESS : GetLastError();
    if (!CloseHandle(file.release()) && saved) {
        saved = false;
        error = GetLastError();
    }
    if (saved && !MoveFileExW(tempPath.c_str(), path.c_str(),
                              MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        saved = false;
        error = GetLastError();
    }
    if (!saved) {
        DeleteFileW(tempPath.c_str());
        SetLastError(error);
    }
    return saved;
}
