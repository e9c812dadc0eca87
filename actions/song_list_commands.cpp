#include "actions/song_list_commands.h"

namespace {

constexpr int kNameColumn = 1;
constexpr int kLinkColumn = 2;

void CopySelectedCell(WindowToolkit& toolkit, int column) {
    const int row = toolkit.CurrentSelection(Control::超级列表框1);
    if (row == -1) return;
    toolkit.SetClipboardText(toolkit.GetCellText(Control::超级列表框1, row, column));
}

}  // namespace

std::vector<ListedSong> ReadListedSongs(WindowToolkit& toolkit) {
    std::vector<ListedSong> songs;
    const int count = toolkit.RowCount(Control::超级列表框1);
    if (count > 0) songs.reserve(static_cast<std::size_t>(count));
    for (int row = 0; row < count; ++row) {
        songs.push_back({toolkit.GetCellText(Control::超级列表框1, row, kNameColumn),
                         toolkit.GetCellText(Control::超级列表框1, row, kLinkColumn)});
    }
    return songs;
}

SongMenuState ReadSongMenuState(WindowToolkit& toolkit) {
    return {toolkit.CurrentSelection(Control::超级列表框1) != -1,
            toolkit.RowCount(Control::超级列表框1) > 0};
}

void OnCopySongLinkChosen(WindowToolkit& toolkit) {
    CopySelectedCell(toolkit, kLinkColumn);
}

void OnCopySongNameChosen(WindowToolkit& toolkit) {
    CopySelectedCell(toolkit, kNameColumn);
}

void OnCopyAllLinksChosen(WindowToolkit& toolkit) {
    const std::vector<ListedSong> songs = ReadListedSongs(toolkit);
    if (songs.empty()) return;
    toolkit.SetClipboardText(LinkListText(songs));
}
