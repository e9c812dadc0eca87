#include "search/playlist_search.h"

#include "search/playlist_url.h"
#include "search/song_extraction.h"

namespace {
constexpr int kNameColumn = 1;
constexpr int kLinkColumn = 2;
constexpr int kNameGroup = 1;
constexpr int kLinkGroup = 3;
}  // namespace

void SearchPlaylist(WindowToolkit& toolkit, const FetchRoutine& fetch, const Text& account) {
    const Text reply = fetch("GET", PlaylistUrl(account));
    const std::vector<SongMatch> matches = FindSongMatches(reply);

    toolkit.DeleteAllRows(Control::超级列表框1);
    std::int64_t number = 0;
    for (const SongMatch& match : matches) {
        ++number;
        // The row's title is its number, shown in column 0.
        const int row = toolkit.InsertRow(Control::超级列表框1, DecimalText(number));
        if (row < 0) continue;  // a row that was not added gets no cells
        toolkit.SetCellText(Control::超级列表框1, row, kNameColumn,
                            GroupText(match, reply, kNameGroup));
        toolkit.SetCellText(Control::超级列表框1, row, kLinkColumn,
                            GroupText(match, reply, kLinkGroup));
    }

    // The count is read back from the list, so it always says what the list shows.
    const int rows = toolkit.RowCount(Control::超级列表框1);
    toolkit.WriteCaption(Control::标签_状态,
                         JoinText({"一共搜索到 [", DecimalText(rows), "]首歌曲..."}));
}

void OnSearchClicked(WindowToolkit& toolkit, const FetchRoutine& fetch) {
    toolkit.WriteDisabled(Control::按钮_搜索, true);
    const Text account = toolkit.ReadText(Control::编辑框_QQ号码);
    SearchPlaylist(toolkit, fetch, account);
    toolkit.WriteDisabled(Control::按钮_搜索, false);
}
