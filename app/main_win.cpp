// The program's entry: start-up, the message loop and the end.
#include <windows.h>

#include <string>

#include "app/main_window_win.h"
#include "skin/deploy_skin_win.h"
#include "toolkit/program_directory_win.h"
#include "toolkit/win_resource.h"

namespace {

// Makes the directory that holds the program file the current directory.
void EnterProgramDirectory() {
    const std::wstring directory = ProgramDirectory();
    if (!directory.empty()) SetCurrentDirectoryW(directory.c_str());
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
