#!/usr/bin/env python3
"""End-to-end tests of what surrounds the main window: the song list's context menu and its
keys, the playlist export through the save dialog, the layout at 144 DPI and after a DPI
change, and the version resource.

    e2e_usability_test.py --exe trovella.exe --inspector trovella_inspector.exe --work-dir DIR
                          [--locales C.UTF-8,zh_CN.UTF-8] [--only NAME]

Runs like e2e_test.py (same harness). The 144-DPI case makes a Wine prefix of its own with
LogPixels 144. A screenshot of the menu open over a filled list is kept in DIR/artifacts.
"""

import re
import sys

from harness import *  # noqa: F401,F403 - the suite's vocabulary: app, controls, expectations

LINKS = [row[2] for row in TWO_SONGS]
MENU_ITEMS = ["复制歌曲地址\tCtrl+C", "复制歌曲名称", "", "复制全部地址", "导出播放列表…"]
# Keyboard steps from a freshly opened menu to each command (the separator is skipped).
COPY_LINK, COPY_NAME, COPY_ALL, EXPORT = 1, 2, 3, 4
FILE_NAME_EDIT = 0x47C  # the save dialog's file name box (cmb13)
SENTINEL = "sentinel before the menu"


def project_version():
    text = (REPO / "CMakeLists.txt").read_text(encoding="utf-8")
    return re.search(r"project\(Trovella VERSION (\d+)\.(\d+)\.(\d+)", text).groups()


# --- driving the menu ------------------------------------------------------------------------

def right_click_row(app, row):
    """A right-click in the middle of a row's height, a third of the way across."""
    listing = app.list()
    rect = listing["rows"][row]["rect"]
    x = listing["client_origin"]["x"] + listing["client"]["width"] // 3
    y = listing["client_origin"]["y"] + rect["top"] + rect["height"] // 2
    geometry = dict(line.split("=") for line in
                    xdotool("getwindowgeometry", "--shell", app.xid).splitlines())
    xdotool("mousemove", "--window", app.xid, x - int(geometry["X"]) + 2,
            y - int(geometry["Y"]) + 2)
    time.sleep(0.05)
    xdotool("mousemove", "--window", app.xid, x - int(geometry["X"]), y - int(geometry["Y"]))
    time.sleep(0.1)
    xdotool("click", 3)


def open_menu(app, how="shift+F10"):
    """Opens the song list's menu with a key (the list has the focus) or a right-click on a
    row (given as its index); returns the inspector's view of it."""
    if isinstance(how, int):
        right_click_row(app, how)
    else:
        app.key(how)
    menu = app.h.inspect("menu", 5000)
    expect(menu.get("found"), f"no context menu after {how!r}")
    return menu


def choose(app, steps, how="shift+F10"):
    open_menu(app, how)
    for _ in range(steps):
        xdotool("key", "Down")
        time.sleep(0.1)
    app.key("Return")
    wait_until(lambda: not app.h.inspect("menu")["found"], 5, "the menu to close")


def expect_greyed(app, items, greyed):
    """Items the platform lets us read must be greyed as given (None: not read)."""
    if items is None:
        return
    expect_equal([i["text"] for i in items], MENU_ITEMS, "menu items")
    expect_equal([i["grayed"] for i in items if not i["separator"]], greyed, "greyed items")


def click_row(app, row):
    listing = app.list()
    rect = listing["rows"][row]["rect"]
    app.click_screen(listing["client_origin"]["x"] + listing["client"]["width"] // 3,
                     listing["client_origin"]["y"] + rect["top"] + rect["height"] // 2)
    expect_equal(app.list()["selected"], row, "selection after a click on a row")


def focus_list_without_selection(app):
    """Clicks the empty space below the rows: the list takes the focus, no row is selected."""
    listing = app.list()
    origin = listing["client_origin"]
    app.click_screen(origin["x"] + listing["client"]["width"] // 3,
                     origin["y"] + listing["client"]["height"] - 10)
    expect_equal(app.list()["selected"], -1, "selection after a click below the rows")


# --- the cases -----------------------------------------------------------------------------

@case
def menu_copies_link_name_and_all_links(h):
    app = h.start()
    try:
        app.search("two_songs")
        h.inspect("set-clipboard", SENTINEL)

        # A right-click selects the row under the pointer and opens the menu there.
        menu = open_menu(app, 1)
        expect_equal(app.list()["selected"], 1, "selection after a right-click on row 1")
        expect_greyed(app, menu["items"], [False, False, False, False])
        window = h.inspect("window")["window"]
        r = menu["rect"]
        left, top = min(window["left"], r["left"]), min(window["top"], r["top"])
        right = max(window["left"] + window["width"], r["left"] + r["width"])
        bottom = max(window["top"] + window["height"], r["top"] + r["height"])
        shot = h.args.work_dir / "artifacts" / f"trovella-menu-{h.locale}.png"
        shot.parent.mkdir(parents=True, exist_ok=True)
        subprocess.run(["import", "-window", "root", "-crop",
                        f"{right - left}x{bottom - top}+{left}+{top}", "+repage", str(shot)],
                       check=True, capture_output=True, timeout=COMMAND_TIMEOUT)
        for _ in range(COPY_LINK):
            xdotool("key", "Down")
        app.key("Return")
        wait_until(lambda: app.clipboard() == LINKS[1], 5, "row 1's link on the clipboard")
        expect_equal(app.message_box(wait_ms=1000), None, "box after copying from the menu")

        for steps, how, expected in [(COPY_NAME, 0, TWO_SONGS[0][1]),
                                     (COPY_ALL, "shift+F10", "".join(l + "\r\n" for l in LINKS)),
                                     (COPY_LINK, "Menu", LINKS[0])]:
            h.inspect("set-clipboard", SENTINEL)
            choose(app, steps, how)
            wait_until(lambda: app.clipboard() == expected, 5, f"{expected!r} on the clipboard")
        expect_equal(app.list()["selected"], 0, "selection after the menu")
        expect(app.process.poll() is None, "the program ended while using its menu")
    finally:
        app.close()


@case
def ctrl_c_copies_the_selected_link_and_escape_only_closes_the_menu(h):
    app = h.start()
    try:
        app.search("two_songs")
        focus_list_without_selection(app)
        h.inspect("set-clipboard", SENTINEL)
        app.key("ctrl+c")
        expect_equal(app.clipboard(), SENTINEL, "clipboard after Ctrl+C without a selection")

        app.key("Down")  # the first row
        expect_equal(app.list()["selected"], 0, "selection after Down")
        app.key("ctrl+c")
        wait_until(lambda: app.clipboard() == LINKS[0], 5, "the first link after Ctrl+C")
        expect_equal(app.message_box(wait_ms=1000), None, "box after Ctrl+C")

        # The keyboard's menu opens just below the selected row.
        menu = open_menu(app, "Menu")
        row = app.list()["rows"][0]["rect"]
        origin = app.list()["client_origin"]
        expect(abs(menu["rect"]["top"] - (origin["y"] + row["top"] + row["height"])) <= 2,
               f"menu at {menu['rect']}, row at {row} in a list at {origin}")
        app.key("Escape")
        wait_until(lambda: not h.inspect("menu")["found"], 5, "the menu to close on Esc")
        time.sleep(0.5)
        expect(app.process.poll() is None, "Esc in the menu ended the program")
        expect_equal(app.quit_with_escape(), 0, "exit code after a second Esc")
    finally:
        app.close()


@case
def items_are_greyed_without_selection_or_rows(h):
    app = h.start()
    try:
        # An empty list: every command is greyed, and choosing one does nothing.
        app.click_control(SONG_LIST)
        h.inspect("set-clipboard", SENTINEL)
        for steps in (COPY_LINK, COPY_NAME, COPY_ALL, EXPORT):
            menu = open_menu(app)
            expect_greyed(app, menu["items"], [True, True, True, True])
            for _ in range(steps):
                xdotool("key", "Down")
                time.sleep(0.1)
            app.key("Return")
            app.key("Escape") if h.inspect("menu")["found"] else None
            wait_until(lambda: not h.inspect("menu")["found"], 5, "the menu to close")
            expect_equal(app.message_box(wait_ms=500), None, f"dialog after greyed item {steps}")
            expect_equal(app.clipboard(), SENTINEL, f"clipboard after greyed item {steps}")

        # Rows but no selection: the row commands are greyed, the list commands are not.
        app.search("two_songs")
        focus_list_without_selection(app)
        menu = open_menu(app)
        expect_greyed(app, menu["items"], [True, True, False, False])
        app.key("Escape")
        for steps, expected in [(COPY_LINK, SENTINEL), (COPY_NAME, SENTINEL),
                                (COPY_ALL, "".join(l + "\r\n" for l in LINKS))]:
            h.inspect("set-clipboard", SENTINEL)
            open_menu(app)
            for _ in range(steps):
                xdotool("key", "Down")
                time.sleep(0.1)
            app.key("Return")
            if h.inspect("menu")["found"]:
                app.key("Escape")
            time.sleep(0.3)
            expect_equal(app.clipboard(), expected, f"clipboard after item {steps}")
        expect(app.process.poll() is None, "the program ended")
    finally:
        app.close()


def lock_directory(path, locked):
    """Makes a directory refuse new files (or take them again); False when it cannot. Root
    ignores permissions, so it needs the immutable attribute."""
    if os.geteuid() != 0:
        path.chmod(0o500 if locked else 0o700)
        return True
    done = subprocess.run(["chattr", "+i" if locked else "-i", str(path)],
                          capture_output=True, timeout=COMMAND_TIMEOUT)
    return done.returncode == 0


def export_to(app, path):
    """Chooses the export command, puts the file name into the save dialog, presses Enter."""
    choose(app, EXPORT)
    dialog = app.h.inspect("dialog", 5000)
    expect(dialog.get("found"), "no save dialog after choosing export")
    expect_equal(dialog["caption"], "导出播放列表", "save dialog caption")
    expect(dialog["owner_is_main"], "the save dialog is not owned by the main window")
    expect(app.h.inspect("set-dialog-text", FILE_NAME_EDIT, path).get("found"),
           f"no file name box in the save dialog: {dialog}")
    app.key("Return")
    wait_until(lambda: not app.h.inspect("dialog").get("found") or
               app.h.inspect("dialog")["caption"] != "导出播放列表", 5, "the save dialog to close")


@case
def export_writes_m3u_and_link_list_files(h):
    app = h.start()
    out = h.args.work_dir / "export"
    shutil.rmtree(out, ignore_errors=True)
    out.mkdir()
    try:
        app.search("two_songs")
        click_row(app, 0)  # the list takes the focus for Shift+F10
        m3u = ("#EXTM3U\r\n" + "".join(f"#EXTINF:-1,{name}\r\n{link}\r\n"
                                        for _, name, link in TWO_SONGS)).encode("utf-8")
        links = "".join(link + "\r\n" for link in LINKS).encode("utf-8")
        for name, expected in [("歌单.m3u", m3u), ("links.TXT", links), ("no-extension", m3u),
                               ("songs.m3u8", m3u)]:
            export_to(app, wine_path(out / name))
            target = out / (name + ".m3u" if name == "no-extension" else name)
            wait_until(target.exists, 5, f"{target.name} to be written")
            expect_equal(target.read_bytes(), expected, f"bytes of {target.name}")
            expect_equal(app.message_box(wait_ms=500), None, f"box after saving {name}")
        expect_equal(sorted(p.name for p in out.iterdir()),
                     sorted(["歌单.m3u", "links.TXT", "no-extension.m3u", "songs.m3u8"]),
                     "files in the export directory (no temporary files left)")

        # A directory that takes no new file: the failure is reported and nothing is left.
        locked = out / "locked"
        locked.mkdir()
        if lock_directory(locked, True):
            try:
                export_to(app, wine_path(locked / "list.m3u"))
                box = app.message_box(wait_ms=5000)
                expect(box, "no message box after a failed save")
                expect(box["text"].startswith("无法保存播放列表：\r\n" +
                                              wine_path(locked / "list.m3u")),
                       f"failure text {box['text']!r}")
                h.inspect("close-messagebox")
                expect_equal(list(locked.iterdir()), [], "files left after a failed save")
            finally:
                lock_directory(locked, False)
        else:
            print("note: cannot make a directory refuse new files here; failed save not tested")
    finally:
        app.close()
        shutil.rmtree(out, ignore_errors=True)


@case
def dpi_change_scales_the_layout_and_back(h):
    app = h.start()
    try:
        app.search("two_songs")
        for dpi in (144, 96):
            w = h.inspect("dpi-changed", dpi)["window"]
            expect_equal((w["width"], w["height"]),
                         (scaled(OUTER_SIZE[0], dpi), scaled(OUTER_SIZE[1], dpi)),
                         f"outer size at {dpi} DPI")
            expect_layout(app, dpi)
        expect_equal(app.rows(), TWO_SONGS, "rows after the DPI changes")
    finally:
        app.close()


def scaled(value, dpi):
    """MulDiv(value, dpi, 96): rounded half away from zero."""
    return (value * dpi * 2 + 96) // (96 * 2)


def expect_layout(app, dpi):
    controls = app.controls()
    problems = []
    for cid, (left, top, width, height, _) in LAYOUT.items():
        expected = {"left": scaled(left, dpi), "top": scaled(top, dpi),
                    "width": scaled(width, dpi), "height": scaled(height, dpi)}
        if controls[cid]["rect"] != expected:
            problems.append(f"{cid}: {controls[cid]['rect']} instead of {expected}")
    expect(not problems, f"controls at {dpi} DPI: " + "; ".join(problems))
    expect_equal([c["width"] for c in app.list()["columns"]],
                 [scaled(width, dpi) for _, width in COLUMNS], f"column widths at {dpi} DPI")


@case
def layout_at_144_dpi_is_everything_one_and_a_half(h):
    hi = Harness(h.args, h.locale, h.service, h.log_path)
    hi.env["TROVELLA_WINEPREFIX"] = str(h.args.work_dir / "wineprefix-144dpi")
    hi.app_dir = h.args.work_dir / "app-144dpi"
    hi.start_dir = h.args.work_dir / "elsewhere-144dpi"
    h.stop_wine()
    try:
        hi.prepare()
        for key in (r"HKCU\Control Panel\Desktop",
                    r"HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts"):
            done = hi.wine("reg", "add", key, "/v", "LogPixels", "/t", "REG_DWORD", "/d", "144",
                           "/f")
            expect_equal(done.returncode, 0, f"reg add LogPixels under {key}")
        hi.stop_wine()
        hi.start_wineserver()
        app = hi.start()
        try:
            w = app.window
            size = (scaled(OUTER_SIZE[0], 144), scaled(OUTER_SIZE[1], 144))
            expect_equal(w["window"], {"left": (SCREEN[0] - size[0]) // 2,
                                       "top": (SCREEN[1] - size[1]) // 2,
                                       "width": size[0], "height": size[1]},
                         "window rect at 144 DPI (outer size 1.5x, centred)")
            expect_layout(app, 144)
            app.search("two_songs")
            expect_equal(app.rows(), TWO_SONGS, "rows at 144 DPI")
            app.screenshot(h.args.work_dir / "artifacts" / f"trovella-144dpi-{h.locale}.png")
        finally:
            app.close()
    finally:
        hi.stop_wine()
        h.start_wineserver()


@case
def version_resource_names_the_product(h):
    info = h.inspect("version-info", wine_path(h.app_dir / "trovella.exe"))
    expect(info.get("found"), "trovella.exe has no version resource")
    version = [int(part) for part in project_version()]
    expect_equal(info["file_version"], version + [0], "fixed file version")
    expect_equal(info["product_version"], version + [0], "fixed product version")
    expect_equal(len(info["strings"]), 1, "string tables")
    strings = info["strings"][0]
    dotted = ".".join(map(str, version))
    for key, value in [("ProductName", "Trovella"), ("CompanyName", "Trovella developers"),
                       ("FileVersion", dotted), ("ProductVersion", dotted),
                       ("OriginalFilename", "trovella.exe")]:
        expect_equal(strings[key], value, key)
    expect("Trovella developers" in strings["LegalCopyright"], "copyright holder")
    expect(strings["FileDescription"], "file description")


if __name__ == "__main__":
    sys.exit(run_main(__doc__.split("\n\n")[0]))
