#include "actions/song_link_copy.h"

namespace {
constexpr int kLinkColumn = 2;
}

void OnSongListDoubleClicked(WindowToolkit& toolkit) {
    const int row = toolkit.CurrentSelection(Control::超级列表框1);
    if (row == -1) return;

    const Text link = toolkit.GetCellText(Control::超级列表框1, row, kLinkColumn);
    toolkit.SetClipboardText(link);
    if (!toolkit.ReadChecked(Control::选择框1)) return;

    // The notice shows what the clipboard holds now, which is the link unless another
    // program kept the clipboard from being written.
    const Text copied = toolkit.GetClipboardText();
    toolkit.ShowMessageBox(
        JoinText({"歌曲链接地址：", copied, "\r\n请到迅雷下载.或者直接添加到QQ空间背景音乐.."}));
}
