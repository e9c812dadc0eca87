#!/usr/bin/env python3
"""End-to-end tests of the main window, the search and the song link copy: the shipped
trovella.exe under Xvfb + Wine, driven with real X input.

    e2e_test.py --exe trovella.exe --inspector trovella_inspector.exe --work-dir DIR
                [--locales C.UTF-8,zh_CN.UTF-8] [--only NAME]

The program runs unchanged with http_proxy pointing at the fake playlist service on
127.0.0.1. xdotool clicks, types and presses keys; trovella_inspector (under the same Wine)
reads the window, controls, list cells, clipboard and message boxes. Uses DISPLAY, or starts
its own Xvfb when there is none. Each locale gets the whole suite; a screenshot of the window
with a filled list is kept in DIR/artifacts. Ends with the line "N passed, N failed".
"""

import sys

from harness import *  # noqa: F401,F403 - the suite's vocabulary: app, controls, expectations

# --- the cases -----------------------------------------------------------------------------

@case
def start_up_window_and_controls(h):
    app = h.start()
    try:
        w = app.window
        expect_equal(w["caption"], "Trovella", "caption")
        expect_equal(w["screen"], {"width": SCREEN[0], "height": SCREEN[1]}, "screen size")
        expected_rect = {"left": (SCREEN[0] - OUTER_SIZE[0]) // 2,
                         "top": (SCREEN[1] - OUTER_SIZE[1]) // 2,
                         "width": OUTER_SIZE[0], "height": OUTER_SIZE[1]}
        expect_equal(w["window"], expected_rect, "window rect (outer size, centred)")
        style, exstyle = w["style"], w["exstyle"]
        expect(style & WS_CAPTION == WS_CAPTION and style & WS_SYSMENU and
               style & WS_MINIMIZEBOX, f"caption, system menu, minimise box: style {style:#x}")
        expect(not style & WS_MAXIMIZEBOX, f"no maximise box: style {style:#x}")
        expect(not style & WS_THICKFRAME, f"fixed frame: style {style:#x}")
        expect(not exstyle & WS_EX_TOPMOST, f"not topmost: exstyle {exstyle:#x}")
        expect_equal(w["owner"], None, "owner window")
        # The focus is put on the account box right after the window is shown.
        wait_until(lambda: h.inspect("window")["focus_id"] == EDIT_ACCOUNT, 3,
                   "the focus on the account box")
        expect_equal(w["current_directory"].rstrip("\\").lower(),
                     wine_path(h.app_dir).lower(), "current directory")

        controls = app.controls()
        problems = []
        for cid, (left, top, width, height, text) in LAYOUT.items():
            c = controls.get(cid)
            if c is None:
                problems.append(f"{cid}: missing")
                continue
            if c["rect"] != {"left": left, "top": top, "width": width, "height": height}:
                problems.append(f"{cid}: rect {c['rect']}")
            if text is not None and c["text"] != text:
                problems.append(f"{cid}: text {c['text']!r}")
            if not (c["visible"] and c["enabled"]):
                problems.append(f"{cid}: visible {c['visible']}, enabled {c['enabled']}")
        account = controls[EDIT_ACCOUNT]["text"]
        if not (len(account) == 8 and account.isdigit()):
            problems.append(f"account box: {account!r} is not an eight-digit number")
        if controls[CHECK_NOTICE]["checked"] is not True:
            problems.append("check box is not ticked")
        order = [c["id"] for c in sorted(controls.values(), key=lambda c: c["z"])]
        if order != STACKING:
            problems.append(f"stacking order {order}")
        expect(not problems, "controls: " + "; ".join(problems))

        listing = app.list()
        expect_equal(listing["columns"], [{"text": t, "width": wd} for t, wd in COLUMNS],
                     "list columns")
        expect_equal((listing["count"], listing["selected"]), (0, -1), "list rows, selection")
        s, ex = listing["style"], listing["extended_style"]
        expect(s & LVS_REPORT and s & LVS_SINGLESEL and not s & LVS_NOCOLUMNHEADER and
               not s & LVS_NOSORTHEADER, f"list style {s:#x}")
        expect(ex & LVS_EX_GRIDLINES and ex & LVS_EX_FULLROWSELECT and
               not ex & LVS_EX_HEADERDRAGDROP, f"list extended style {ex:#x}")
        expect_equal(list(h.start_dir.iterdir()), [], "files left in the start directory")

        for key, order in [("Tab", TAB_ORDER[1:] + TAB_ORDER[:1]),
                           ("shift+Tab", TAB_ORDER[::-1])]:
            visited = []
            for _ in order:
                app.key(key)
                visited.append(h.inspect("window")["focus_id"])
            expect_equal(visited, order, f"focus after each {key} from the account box")

        expect_equal(app.quit_with_escape(), 0, "exit code after Esc in the account box")
    finally:
        app.close()


@case
def search_fills_and_replaces_the_list(h):
    app = h.start()
    try:
        h.clear_requests()
        controls = app.search("two_songs")
        expect_equal(app.rows(), TWO_SONGS, "rows after searching two_songs")
        expect_equal(controls[LABEL_STATUS]["text"], status_text(2), "status line")
        requests = h.requests()
        expect_equal([r["account"] for r in requests], ["two_songs"], "accounts requested")
        expect(requests[0]["target"].endswith(
            "/fcg-bin/cgi_playlist_xml.fcg?json=1&uin=two_songs"),
            f"request target {requests[0]['target']!r}")
        app.screenshot(h.args.work_dir / "artifacts" / f"trovella-{h.locale}.png")

        # Each later search replaces every row, whether it finds songs or not.
        for account, rows in [
            ("songs_3", [[str(n), f"第{n}首歌", f"http://music.example.net/song/{n}.mp3"]
                         for n in (1, 2, 3)]),
            ("fault_empty", []),
            ("two_songs", TWO_SONGS),
            ("fault_zero_first", []),
            ("two_songs", TWO_SONGS),
            ("12345678", []),
        ]:
            controls = app.search(account)
            expect_equal(app.rows(), rows, f"rows after searching {account}")
            expect_equal(controls[LABEL_STATUS]["text"], status_text(len(rows)),
                         f"status after {account}")
            expect(controls[BUTTON_SEARCH]["enabled"], "search button enabled again")
    finally:
        app.close()


@case
def refused_connection_gives_an_empty_list(h):
    refusing = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    refusing.bind(("127.0.0.1", 0))
    app = h.start(proxy=f"http://127.0.0.1:{refusing.getsockname()[1]}")
    try:
        app.click_control(BUTTON_SEARCH)
        controls = app.wait_search_done()
        expect_equal(controls[LABEL_STATUS]["text"], status_text(0), "status line")
        expect_equal(app.rows(), [], "rows")
    finally:
        app.close()
        refusing.close()


@case
def enter_starts_no_search_and_clear_empties_only_the_account(h):
    app = h.start()
    try:
        h.clear_requests()
        app.click_control(BUTTON_CLEAR)
        app.click_control(EDIT_ACCOUNT)
        app.type("two_songs")
        app.key("Return")
        time.sleep(1.5)
        expect_equal(h.requests(), [], "requests after Enter in the account box")
        expect_equal((app.rows(), app.text(LABEL_STATUS)), ([], ""), "list and status")

        app.click_control(BUTTON_SEARCH)
        app.wait_search_done()
        app.click_control(CHECK_NOTICE)
        app.click_control(BUTTON_CLEAR)
        controls = app.controls()
        expect_equal(controls[EDIT_ACCOUNT]["text"], "", "account box after clear")
        expect_equal(app.rows(), TWO_SONGS, "rows after clear")
        expect_equal(controls[LABEL_STATUS]["text"], status_text(2), "status after clear")
        expect_equal(controls[CHECK_NOTICE]["checked"], False, "check box after clear")
        expect_equal(len(h.requests()), 1, "requests: only the click searched")
    finally:
        app.close()


@case
def chinese_account_with_space_gives_no_songs(h):
    # xdotool cannot type Chinese: the text goes in through WM_SETTEXT.
    app = h.start()
    try:
        expect_equal(h.inspect("set-text", EDIT_ACCOUNT, "号码 1")["text"], "号码 1",
                     "account box")
        app.click_control(BUTTON_SEARCH)
        controls = app.wait_search_done()
        expect_equal(controls[LABEL_STATUS]["text"], status_text(0), "status line")
        expect_equal(controls[EDIT_ACCOUNT]["text"], "号码 1", "account box after the search")
    finally:
        app.close()


@case
def double_click_copies_the_link(h):
    app = h.start()
    try:
        app.search("two_songs")
        sentinel = "sentinel before double-click"

        # Ticked: the link goes to the clipboard and a notice box shows it.
        h.inspect("set-clipboard", sentinel)
        app.double_click_row(1)
        box = app.message_box(wait_ms=5000)
        expect(box, "no notice box after double-clicking a row with the box ticked; "
               + app.describe())
        link = TWO_SONGS[1][2]
        expect_equal(box["caption"], "信息：", "notice caption")
        expect_equal(box["text"], "歌曲链接地址：" + link + NOTICE_TAIL, "notice text")
        expect_equal(box["owner"], None, "notice owner")
        expect_equal(len(box["buttons"]), 1, "notice buttons")
        expect_equal(app.clipboard(), link, "clipboard with the notice open")
        expect(h.inspect("close-messagebox").get("closed"), "notice box did not close")
        expect_equal(app.list()["selected"], 1, "selected row")

        # Empty space below the rows: the press selects nothing, so nothing happens.
        h.inspect("set-clipboard", sentinel)
        rows = app.list()["rows"]
        app.double_click_list(rows[-1]["rect"]["top"] + 3 * rows[-1]["rect"]["height"])
        expect_equal(app.message_box(wait_ms=1500), None, "box after double-click on empty space")
        expect_equal(app.clipboard(), sentinel, "clipboard after double-click on empty space")

        # Clear: a silent copy.
        app.click_control(CHECK_NOTICE)
        expect_equal(app.controls()[CHECK_NOTICE]["checked"], False, "check box after a click")
        app.double_click_row(0)
        wait_until(lambda: app.clipboard() == TWO_SONGS[0][2], 5, "the first link on the clipboard")
        expect_equal(app.message_box(wait_ms=1500), None, "box with the check box clear")

        expect_equal(app.quit_with_escape(), 0, "exit code after Esc in the list")
    finally:
        app.close()


@case
def double_click_on_a_row_without_link(h):
    app = h.start()
    try:
        app.search("e2e_empty_link")
        expect_equal(app.rows(), [["1", "无链接的歌", ""]], "rows")
        h.inspect("set-clipboard", "sentinel")
        app.double_click_row(0)
        box = app.message_box(wait_ms=5000)
        expect(box, "no notice box for a row without link; " + app.describe())
        expect_equal(box["text"], "歌曲链接地址：" + NOTICE_TAIL, "notice text")
        expect_equal(app.clipboard(), "", "clipboard after copying an empty link")
        h.inspect("close-messagebox")
    finally:
        app.close()



if __name__ == "__main__":
    sys.exit(run_main(__doc__.split("\n\n")[0]))
