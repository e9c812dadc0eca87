#include "search/playlist_search.h"

#include <cstdint>
#include <vector>

#include "search/playlist_url.h"
#include "search/song_extraction.h"

namespace {
constexpr int kNameColumn = 1;
constexpr int kLinkColumn = 2;
constexpr int kNameGroup = 1;
constexpr int kLinkGroup = 3;

// Keeps a control from repainting while it lives, so that a refill of thousands of rows is
// painted once rather than row by row; redrawing comes back however the refill ends.
class RedrawSuspension {
public:
    RedrawSuspension(WindowToolkit& toolkit, Control control)
        : toolkit_(toolkit), control_(control) {
        toolkit_.SuspendRedraw(control_);
    }
    RedrawSuspension(const RedrawSuspension&) = delete;
    RedrawSuspension& operator=(const RedrawSuspension&) = delete;
    ~RedrawSuspension() { toolkit_.ResumeRedraw(control_); }

private:
    WindowToolkit& toolkit_;
    Control control_;
};

// Empties the list, then appends one numbered row (number, name, link) per match.
void RefillSongList(WindowToolkit& toolkit, const std::vector<SongMatch>& matches,
                    const Text& reply) {
    const RedrawSuspension suspension(toolkit, Control::超级列表框1);
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
}

}  // namespace

void SearchPlaylist(WindowToolkit& toolkit, const FetchRoutine& fetch, const Text& account) {
    const Text reply = fetch("GET", PlaylistUrl(account));
    const std::vector<SongMatch> matches = FindSongMatches(reply);

    RefillSongList(toolkit, matches, reply);

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
