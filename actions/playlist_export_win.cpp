#include "actions/playlist_export_win.h"

#include <commdlg.h>

#include <cwchar>
#include <string>
#include <vector>

#include "actions/file_save_win.h"
#include "actions/playlist_export.h"
#include "actions/song_list_commands.h"
#include "toolkit/text_encoding_win.h"

namespace {

// Pairs of a description and its patterns; the list ends with an empty pair.
constexpr wchar_t kFileTypes[] =
    L"M3U 播放列表 (*.m3u;*.m3u8)\0*.m3u;*.m3u8\0"
    L"纯文本，每行一个地址 (*.txt)\0*.txt\0";
constexpr DWORD kLinkListFileType = 2;  // 1-based, as the dialog counts
constexpr wchar_t kDefaultFileName[] = L"播放列表";
constexpr std::size_t kFileNameCapacity = 32768;  // the longest path Windows takes

std::wstring SystemErrorText(DWORD error) {
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring message = length && text ? std::wstring(text, length) : std::wstring();
    if (text) LocalFree(text);
    while (!message.empty() && (message.back() == L'\r' || message.back() == L'\n'))
        message.pop_back();
    return message.empty() ? L"错误 " + std::to_wstring(error) : message;
}

}  // namespace

void ExportPlaylist(HWND owner, WindowToolkit& toolkit) {
    const std::vector<ListedSong> songs = ReadListedSongs(toolkit);
    if (songs.empty()) return;

    std::wstring fileName(kFileNameCapacity, L'\0');
    fileName.replace(0, std::wcslen(kDefaultFileName), kDefaultFileName);
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = kFileTypes;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = fileName.data();
    dialog.nMaxFile = static_cast<DWORD>(fileName.size());
    dialog.lpstrTitle = L"导出播放列表";
    dialog.lpstrDefExt = L"m3u";
    dialog.Flags = OFN_EXPLORER | OFN_ENABLESIZING | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST |
                   OFN_HIDEREADONLY | OFN_NOREADONLYRETURN;
    if (!GetSaveFileNameW(&dialog)) return;
    fileName.resize(std::wcslen(fileName.c_str()));

    const PlaylistFormat chosen =
        dialog.nFilterIndex == kLinkListFileType ? PlaylistFormat::LinkList : PlaylistFormat::M3u;
    const PlaylistFormat format = PlaylistFormatForFileName(TextFromWide(fileName), chosen);
    if (SaveWholeFile(fileName, PlaylistFileBytes(songs, format))) return;

    const std::wstring message =
        L"无法保存播放列表：\r\n" + fileName + L"\r\n\r\n" + SystemErrorText(GetLastError());
    MessageBoxW(owner, message.c_str(), L"Trovella", MB_OK | MB_ICONERROR);
}
