// The program's entry: start-up, the message loop and the end.
#include <windows.h>

#include <string>

#include "app/main_window_win.h"
#include "skin/deploy_skin_win.h"
#include "toolkit/win_resource.h"

namespace {

// Makes the directory that holds the program file the current directory.
void EnterProgramDirectory() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return;
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    const std::size_t separator = path.find_last_of(L'\\');
    if (separator == std::wstring::npos) return;
    // A program at a drive's root keeps the separator: "C:\".
    path.resize(separator == 2 && path[1] == L':' ? separator + 1 : separator);
    SetCurrentDirectoryW(path.c_str());
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    int exitCode = 0;
    {
        const OleSession ole;
        EnterProgramDirectory();

        // Released after the window is gone, so the engine's hooks leave before it does.
        SkinEngine skinEngine;
        MainWindow window;
        window.createdHandlers.push_back([&skinEngine] { DeploySkin(skinEngine); });
        if (!window.Create(instance)) {
            MessageBoxW(nullptr, L"无法创建主窗口。", L"Trovella", MB_OK | MB_ICONERROR);
            exitCode = -1;
        } else {
            window.Show();
            window.RunMessageLoop();
        }
        // Servers that COM loaded for the web requests go before OLE itself.
        CoFreeUnusedLibrariesEx(0, 0);
    }
    return exitCode;
}
