#!/usr/bin/env python3
"""The end-to-end harness: the shipped trovella.exe under Xvfb + Wine, driven with real X
input, its state read with trovella_inspector, the fake playlist service behind http_proxy.

A suite is a module that registers its cases with @case and calls run_main(). Every suite
takes the same arguments:

    SUITE.py --exe trovella.exe --inspector trovella_inspector.exe --work-dir DIR
             [--locales C.UTF-8,zh_CN.UTF-8] [--only NAME]

Uses DISPLAY, or starts its own Xvfb when there is none. Each locale gets the whole suite.
Ends with the line "N passed, N failed".
"""

import argparse
import json
import os
import pathlib
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import threading
import time
import traceback

HERE = pathlib.Path(__file__).resolve().parent
REPO = HERE.parent.parent
sys.path.insert(0, str(REPO / "tests" / "fake_service"))
import fake_playlist_service  # noqa: E402

WINE_RUN = REPO / "scripts" / "wine-run.sh"
SHARED_FIXTURES = REPO / "tests" / "fixtures" / "playlists"
OWN_FIXTURES = HERE / "playlists"

SCREEN = (1280, 1024)
OUTER_SIZE = (349, 448)

# Control IDs of the main window's children.
LABEL_ACCOUNT, EDIT_ACCOUNT, BUTTON_SEARCH, SONG_LIST = 1001, 1002, 1003, 1004
LABEL_STATUS, BUTTON_CLEAR, LABEL_HINT, CHECK_NOTICE = 1005, 1006, 1007, 1008

# id: (left, top, width, height, initial text); None: the text is not fixed.
LAYOUT = {
    LABEL_ACCOUNT: (8, 16, 56, 24, "QQ号码："),
    EDIT_ACCOUNT: (56, 16, 112, 24, None),
    BUTTON_SEARCH: (176, 16, 72, 24, "点我搜索"),
    BUTTON_CLEAR: (264, 16, 72, 24, "清空号码"),
    LABEL_HINT: (8, 40, 232, 32, "提示：双击列表可 复制歌曲地址..."),
    CHECK_NOTICE: (264, 48, 72, 16, "提示地址"),
    LABEL_STATUS: (16, 72, 304, 24, ""),
    SONG_LIST: (8, 104, 328, 312, None),
}
STACKING = [CHECK_NOTICE, LABEL_HINT, BUTTON_CLEAR, LABEL_STATUS, SONG_LIST, BUTTON_SEARCH,
            EDIT_ACCOUNT, LABEL_ACCOUNT]
TAB_ORDER = [EDIT_ACCOUNT, BUTTON_SEARCH, SONG_LIST, BUTTON_CLEAR, CHECK_NOTICE]
COLUMNS = [["ID", 50], ["歌曲名称", 180], ["歌曲地址", 100]]

TWO_SONGS = [
    ["1", "春天的信", "http://music.example.net/song/1001.mp3"],
    ["2", "夜空里的河", "http://music.example.net/song/1002.mp3"],
]
NOTICE_TAIL = "\r\n请到迅雷下载.或者直接添加到QQ空间背景音乐.."

WS_MAXIMIZEBOX, WS_MINIMIZEBOX, WS_THICKFRAME = 0x10000, 0x20000, 0x40000
WS_SYSMENU, WS_CAPTION = 0x80000, 0xC00000
WS_EX_TOPMOST = 0x8
LVS_REPORT, LVS_SINGLESEL, LVS_NOCOLUMNHEADER, LVS_NOSORTHEADER = 0x1, 0x4, 0x4000, 0x8000
LVS_EX_GRIDLINES, LVS_EX_HEADERDRAGDROP, LVS_EX_FULLROWSELECT = 0x1, 0x10, 0x20

COMMAND_TIMEOUT = 30
START_TIMEOUT = 20
SEARCH_TIMEOUT = 30


def status_text(count):
    return f"一共搜索到 [{count}]首歌曲..."


def wine_path(path):
    return "Z:" + str(pathlib.Path(path).resolve()).replace("/", "\\")


def wait_until(probe, timeout, what):
    """Calls probe until it returns something true; that value, or AssertionError."""
    deadline = time.monotonic() + timeout
    while True:
        value = probe()
        if value:
            return value
        if time.monotonic() > deadline:
            raise AssertionError(f"timed out after {timeout} s waiting for {what}")
        time.sleep(0.2)


def expect(condition, message):
    if not condition:
        raise AssertionError(message)


def expect_equal(actual, expected, what):
    if actual != expected:
        raise AssertionError(f"{what}: expected {expected!r}, got {actual!r}")


class Harness:
    """Wine, the inspector, xdotool and the fake service for one locale's run."""

    def __init__(self, args, locale, service, log_path):
        self.args = args
        self.locale = locale
        self.service = service
        self.log_path = log_path
        self.env = dict(os.environ, LC_ALL=locale, WINEDEBUG="-all",
                        TROVELLA_WINEPREFIX=str(args.work_dir / "wineprefix"),
                        http_proxy=f"http://127.0.0.1:{service.port}")
        for name in ("no_proxy", "NO_PROXY", "HTTP_PROXY"):
            self.env.pop(name, None)
        self.app_dir = args.work_dir / "app"
        self.start_dir = args.work_dir / "elsewhere"

    def wine(self, *command, timeout=COMMAND_TIMEOUT):
        # Files rather than pipes: a Wine process may hand its output handles on to a
        # wineserver that outlives it, and a pipe would then never reach its end.
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            done = subprocess.run([str(WINE_RUN), *map(str, command)], env=self.env,
                                  stdout=out, stderr=err, timeout=timeout)
            out.seek(0)
            err.seek(0)
            done.stdout, done.stderr = out.read(), err.read()
            return done

    def inspect(self, *command, timeout=COMMAND_TIMEOUT):
        done = self.wine(self.args.inspector, *command, timeout=timeout)
        out = done.stdout.decode("utf-8", "replace").strip()
        try:
            return json.loads(out)
        except ValueError:
            raise AssertionError(f"inspector {command}: exit {done.returncode}, output {out!r}, "
                                 f"errors {done.stderr.decode('utf-8', 'replace')!r}")

    def stop_wine(self):
        for flag in ("-k", "-w"):
            subprocess.run([self.wineserver(), flag], env=self.wine_env(), timeout=COMMAND_TIMEOUT,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def start_wineserver(self):
        """One wineserver for the whole run rather than one per program start; it goes by
        itself half a minute after its last program, should this suite be killed."""
        subprocess.run([self.wineserver(), "-p30"], env=self.wine_env(), timeout=COMMAND_TIMEOUT,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def wineserver(self):
        return "/usr/lib/wine/wineserver64" if os.path.exists(
            "/usr/lib/wine/wineserver64") else "wineserver"

    def wine_env(self):
        return dict(self.env, WINEPREFIX=self.env["TROVELLA_WINEPREFIX"])

    def prepare(self):
        """A copy of the program in a directory of its own, and another one to start it from."""
        for directory in (self.app_dir, self.start_dir):
            shutil.rmtree(directory, ignore_errors=True)
            directory.mkdir(parents=True)
        shutil.copy2(self.args.exe, self.app_dir / "trovella.exe")
        # The first call makes the Wine prefix, which takes a while; a wineserver that is
        # still going down can make it fail once.
        for attempt in range(3):
            if self.wine(self.args.inspector, "clipboard", timeout=180).returncode == 0:
                break
            time.sleep(1)
        else:
            raise AssertionError("the inspector does not run under Wine")
        self.stop_wine()
        self.start_wineserver()

    def requests(self):
        text = self.log_path.read_text(encoding="utf-8")
        return [json.loads(line) for line in text.splitlines() if line.strip()]

    def clear_requests(self):
        self.log_path.write_text("", encoding="utf-8")

    def start(self, proxy=None):
        return App(self, proxy)


def xdotool(*args):
    done = subprocess.run(["xdotool", *map(str, args)], capture_output=True,
                          timeout=COMMAND_TIMEOUT)
    return done.stdout.decode().strip()


class App:
    """One running trovella.exe, started from a directory other than its own."""

    def __init__(self, harness, proxy=None):
        self.h = harness
        env = dict(harness.env)
        if proxy:
            env["http_proxy"] = proxy
        self.process = subprocess.Popen(
            [str(WINE_RUN), str(harness.app_dir / "trovella.exe")], cwd=harness.start_dir,
            env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            self.window = harness.inspect("wait-window", START_TIMEOUT * 1000,
                                          timeout=START_TIMEOUT + 10)
            expect(self.window.get("found"), "the main window did not appear")
            self.xid = wait_until(self.find_x_window, START_TIMEOUT, "the X window of Trovella")
        except BaseException:
            self.close()
            raise

    def find_x_window(self):
        found = xdotool("search", "--onlyvisible", "--name", "^Trovella$").split()
        return found[-1] if found else None

    def close(self):
        if self.process.poll() is None:
            self.process.kill()
        self.process.wait(timeout=COMMAND_TIMEOUT)

    # --- reading state ---

    def controls(self):
        return {c["id"]: c for c in self.h.inspect("controls")["controls"]}

    def list(self):
        return self.h.inspect("list")

    def rows(self):
        return [row["cells"] for row in self.list()["rows"]]

    def text(self, control_id):
        return self.controls()[control_id]["text"]

    def clipboard(self):
        return self.h.inspect("clipboard")["text"]

    def message_box(self, wait_ms=0):
        box = self.h.inspect("messagebox", wait_ms, timeout=wait_ms / 1000 + COMMAND_TIMEOUT)
        return box if box.get("found") else None

    def describe(self):
        """What a failed double-click leaves behind, for the failure message."""
        return (f"selected row {self.list()['selected']}, clipboard {self.clipboard()!r}, "
                f"focus on {self.h.inspect('window')['focus_id']}")

    # --- real input ---

    def click_screen(self, x, y, double=False):
        """A click at a point given in Windows screen coordinates, made inside the X window."""
        geometry = dict(line.split("=") for line in
                        xdotool("getwindowgeometry", "--shell", self.xid).splitlines())
        dx, dy = x - int(geometry["X"]), y - int(geometry["Y"])
        # Two moves, so that the pointer really moves within the window before the press.
        xdotool("mousemove", "--window", self.xid, dx + 2, dy + 2)
        time.sleep(0.05)
        xdotool("mousemove", "--window", self.xid, dx, dy)
        time.sleep(0.1)
        if double:
            xdotool("click", "--repeat", 2, "--delay", 80, 1)
        else:
            xdotool("click", 1)
        time.sleep(0.3)

    def click_control(self, control_id):
        """Clicks the middle of a control."""
        rect = self.controls()[control_id]["rect"]
        origin = self.window["client_origin"]
        self.click_screen(origin["x"] + rect["left"] + rect["width"] // 2,
                          origin["y"] + rect["top"] + rect["height"] // 2)

    def double_click_list(self, y_in_list):
        """Double-clicks the list's client area at y, a third of the way across."""
        listing = self.list()
        origin = listing["client_origin"]
        self.click_screen(origin["x"] + listing["client"]["width"] // 3, origin["y"] + y_in_list,
                          double=True)

    def double_click_row(self, row):
        rect = self.list()["rows"][row]["rect"]
        self.double_click_list(rect["top"] + rect["height"] // 2)

    def type(self, text):
        xdotool("type", "--delay", 30, text)
        time.sleep(0.3)

    def key(self, name):
        xdotool("key", name)
        time.sleep(0.3)

    # --- actions ---

    def search(self, account):
        """Empties the account box with the clear button, types the account, clicks search."""
        self.click_control(BUTTON_CLEAR)
        self.click_control(EDIT_ACCOUNT)
        self.type(account)
        expect_equal(self.text(EDIT_ACCOUNT), account, "account box after typing")
        before = len(self.h.requests())
        self.click_control(BUTTON_SEARCH)
        wait_until(lambda: len(self.h.requests()) > before, SEARCH_TIMEOUT,
                   f"the request for {account!r}")
        return self.wait_search_done()

    def wait_search_done(self):
        def done():
            controls = self.controls()
            status = controls[LABEL_STATUS]["text"]
            return controls if status and controls[BUTTON_SEARCH]["enabled"] else None
        return wait_until(done, SEARCH_TIMEOUT, "the search to end")

    def quit_with_escape(self):
        self.key("Escape")
        try:
            return self.process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            raise AssertionError("Esc did not end the program within 10 s")

    def screenshot(self, path):
        w = self.h.inspect("window")["window"]
        path.parent.mkdir(parents=True, exist_ok=True)
        subprocess.run(["import", "-window", "root", "-crop",
                        f"{w['width']}x{w['height']}+{w['left']}+{w['top']}", "+repage",
                        str(path)], check=True, capture_output=True, timeout=COMMAND_TIMEOUT)


# --- registering cases ---------------------------------------------------------------------

CASES = []


def case(function):
    CASES.append(function)
    return function


# --- running -------------------------------------------------------------------------------

def run_locale(args, locale, counts, hold_limit):
    with tempfile.TemporaryDirectory(prefix="service-", dir=args.work_dir) as scratch:
        fixtures = pathlib.Path(scratch) / "playlists"
        fixtures.mkdir()
        for source in (SHARED_FIXTURES, OWN_FIXTURES):
            for fixture in source.glob("*.txt"):
                shutil.copy2(fixture, fixtures / fixture.name)
        log_path = pathlib.Path(scratch) / "requests.jsonl"
        log_path.touch()
        service = fake_playlist_service.PlaylistService(0, fixtures, log_path,
                                                        hold_limit=hold_limit)
        threading.Thread(target=service.serve_forever, daemon=True).start()
        h = Harness(args, locale, service, log_path)
        try:
            h.stop_wine()
            h.prepare()
            for function in CASES:
                if args.only and args.only not in function.__name__:
                    continue
                name = f"[{locale}] {function.__name__}"
                started = time.monotonic()
                try:
                    function(h)
                    counts["passed"] += 1
                    print(f"PASS {name} ({time.monotonic() - started:.1f} s)", flush=True)
                except Exception as error:  # noqa: BLE001 - every failure is reported alike
                    counts["failed"] += 1
                    detail = str(error) if isinstance(error, AssertionError) else \
                        traceback.format_exc()
                    print(f"FAIL {name}: {detail}", flush=True)
        finally:
            h.stop_wine()
            service.stop()


def start_xvfb():
    """Starts a private Xvfb; returns the process, with DISPLAY set."""
    read_end, write_end = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0",
                             f"{SCREEN[0]}x{SCREEN[1]}x24", "-nolisten", "tcp"],
                            pass_fds=[write_end], stderr=subprocess.DEVNULL)
    os.close(write_end)
    with os.fdopen(read_end) as pipe:
        os.environ["DISPLAY"] = ":" + pipe.readline().strip()
    return xvfb


def run_main(description, hold_limit=30):
    """hold_limit: seconds the service holds a fault_silent connection before hanging up."""
    parser = argparse.ArgumentParser(description=description)
    parser.add_argument("--exe", required=True, type=pathlib.Path)
    parser.add_argument("--inspector", required=True, type=pathlib.Path)
    parser.add_argument("--work-dir", required=True, type=pathlib.Path)
    parser.add_argument("--locales", default="C.UTF-8,zh_CN.UTF-8")
    parser.add_argument("--only", help="run only the cases whose name contains this")
    args = parser.parse_args()
    args.work_dir = args.work_dir.resolve()
    args.work_dir.mkdir(parents=True, exist_ok=True)

    available = subprocess.run(["locale", "-a"], capture_output=True, text=True).stdout.lower()
    locales = []
    for locale in args.locales.split(","):
        if locale.lower().replace("utf-8", "utf8") in available.split():
            locales.append(locale)
        else:
            print(f"locale {locale} is not installed; its run is skipped", flush=True)

    # A polite stop still cleans up: the finally blocks stop Wine, the service and Xvfb.
    signal.signal(signal.SIGTERM, lambda number, _frame: sys.exit(128 + number))
    xvfb = None if os.environ.get("DISPLAY") else start_xvfb()
    counts = {"passed": 0, "failed": 0}
    try:
        for locale in locales:
            run_locale(args, locale, counts, hold_limit)
    finally:
        if xvfb:
            xvfb.kill()
            xvfb.wait()
    print(f"{counts['passed']} passed, {counts['failed']} failed", flush=True)
    return 1 if counts["failed"] or not counts["passed"] else 0

