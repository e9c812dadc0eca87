#include "skin/deploy_skin_win.h"

#include <string>

#include "skin/skin_payloads_win.h"
#include "toolkit/text_encoding_win.h"
#include "toolkit/win_resource.h"

namespace {

constexpr DWORD kHiddenAndSystem = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

// The current directory as the system reports it now, followed by one separator and the name.
std::wstring PathInCurrentDirectory(const wchar_t* name) {
    std::wstring directory(GetCurrentDirectoryW(0, nullptr), L'\0');
    const DWORD length =
        GetCurrentDirectoryW(static_cast<DWORD>(directory.size()), directory.data());
    directory.resize(length < directory.size() ? length : 0);
    if (directory.empty() || directory.back() != L'\\') directory += L'\\';
    return directory + name;
}

// Creates or truncates the file and writes every byte. A file that cannot be created is
// left as it was (from the second start on, the hidden and system files refuse the write);
// one whose writing fails part-way is deleted, so no damaged library blocks a later start.
void WriteWholeFile(const std::wstring& path, ByteSet bytes) {
    UniqueFileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return;
    const std::byte* next = bytes.data();
    std::size_t left = bytes.size();
    bool whole = true;
    while (left > 0 && whole) {
        const DWORD chunk = left > 0x10000000 ? 0x10000000 : static_cast<DWORD>(left);
        DWORD written = 0;
        whole = WriteFile(file.get(), next, chunk, &written, nullptr) && written == chunk;
        next += written;
        left -= written;
    }
    file.reset();
    if (!whole) DeleteFileW(path.c_str());
}

[[noreturn]] void EndWithMissingEngine() {
    MessageBoxW(nullptr, L"无法加载皮肤引擎库 jedata.dll，或其中没有入口 SkinH_AttachEx。",
                L"Trovella", MB_OK | MB_ICONERROR | MB_TASKMODAL);
    ExitProcess(static_cast<UINT>(-1));
}

}  // namespace

void DeploySkin(SkinEngine& engine) {
    WriteWholeFile(PathInCurrentDirectory(L"jedata.dll"), SkinEngineLibrary());
    WriteWholeFile(PathInCurrentDirectory(L"皮肤.she"), SkinFile());
    SetFileAttributesW(PathInCurrentDirectory(L"jedata.dll").c_str(), kHiddenAndSystem);
    SetFileAttributesW(PathInCurrentDirectory(L"皮肤.she").c_str(), kHiddenAndSystem);

    const SkinEngine::AttachFunction attach = engine.Attach();
    if (!attach) EndWithMissingEngine();
    // UTF-8, so that the Chinese file name reaches the engine intact on any Windows,
    // whatever its ANSI code page.
    const Text skinPath = TextFromWide(PathInCurrentDirectory(L"皮肤.she"));
    attach(skinPath.c_str(), "");
}
