#!/usr/bin/env python3
"""End-to-end tests of faults: the shipped trovella.exe under Xvfb + Wine against a service
that fails in every way it can, account texts that are not numbers, and a clipboard that
another program holds open.

    e2e_faults_test.py --exe trovella.exe --inspector trovella_inspector.exe --work-dir DIR
                       [--locales C.UTF-8,zh_CN.UTF-8] [--only NAME]

Every fault must end the way the search logic ends any reply: the list holds what the body
yields (nothing for a failed request) and the status line counts it, the search button is
enabled again, and the next search works. Ends with the line "N passed, N failed".
"""

import subprocess
import sys
import tempfile

from harness import *  # noqa: F401,F403 - the suite's vocabulary: app, controls, expectations

# Seconds the service keeps a fault_silent connection open without answering. Wine's request
# component never gives up by itself, so the program waits exactly this long.
HOLD_LIMIT = 10

PREFIX = "/fcg-bin/cgi_playlist_xml.fcg?json=1&uin="
FIRST_SONG = TWO_SONGS[:1]


def expect_search_result(app, controls, rows, what):
    expect_equal(app.rows(), rows, f"rows after {what}")
    expect_equal(controls[LABEL_STATUS]["text"], status_text(len(rows)), f"status after {what}")
    expect(controls[BUTTON_SEARCH]["enabled"], f"search button enabled after {what}")


def click_search_and_time(app):
    """Clicks the search button; the seconds until the search has ended, and the controls."""
    started = time.monotonic()
    app.click_control(BUTTON_SEARCH)
    controls = app.wait_search_done()
    return time.monotonic() - started, controls


# --- replies the service gets wrong ------------------------------------------------------

# account: the rows its reply must leave. Between two faults a normal search must still
# fill the list, so each fault starts from a full list and is followed by a working search.
REPLY_FAULTS = [
    ("fault_reset", []),                 # half the body, then a TCP reset
    ("fault_404", TWO_SONGS),            # an error status does not stop the body being used
    ("fault_500", TWO_SONGS),
    ("fault_zero_inside", FIRST_SONG),   # the text ends at the zero byte
    ("fault_zero_first", []),
    ("fault_empty", []),
    ("fault_large", TWO_SONGS),          # 10 MB: the two songs, then digits
    ("fault_names_only", []),            # 20,000 names, not one link
    ("fault_double_quoted_links", []),   # links in double quotes do not match
]


@case
def every_faulty_reply_ends_in_what_its_body_yields(h):
    app = h.start()
    try:
        for account, rows in REPLY_FAULTS:
            expect_search_result(app, app.search("two_songs"), TWO_SONGS,
                                 f"two_songs before {account}")
            started = time.monotonic()
            controls = app.search(account)
            print(f"  {account}: {len(rows)} rows, {time.monotonic() - started:.1f} s "
                  "from typing to the end of the search", flush=True)
            expect_search_result(app, controls, rows, account)
        expect_search_result(app, app.search("two_songs"), TWO_SONGS, "the last fault")
        expect_equal(app.quit_with_escape(), 0, "exit code after the faults")
    finally:
        app.close()


@case
def refused_connection_ends_with_an_empty_list_and_the_window_answers(h):
    refusing = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    refusing.bind(("127.0.0.1", 0))
    app = h.start(proxy=f"http://127.0.0.1:{refusing.getsockname()[1]}")
    try:
        for attempt in (1, 2):
            seconds, controls = click_search_and_time(app)
            print(f"  refused, search {attempt}: {seconds:.1f} s", flush=True)
            expect_search_result(app, controls, [], f"refused search {attempt}")
        app.click_control(BUTTON_CLEAR)
        expect_equal(app.text(EDIT_ACCOUNT), "", "account box after clear")
        expect_equal(app.quit_with_escape(), 0, "exit code after refused searches")
    finally:
        app.close()
        refusing.close()


@case
def silent_service_holds_the_window_until_it_hangs_up(h):
    app = h.start()
    try:
        expect_search_result(app, app.search("two_songs"), TWO_SONGS, "two_songs")
        app.click_control(BUTTON_CLEAR)
        app.click_control(EDIT_ACCOUNT)
        app.type("fault_silent")
        started = time.monotonic()
        app.click_control(BUTTON_SEARCH)
        wait_until(lambda: any(r["account"] == "fault_silent" for r in h.requests()),
                   SEARCH_TIMEOUT, "the request for fault_silent")
        expect(not app.controls()[BUTTON_SEARCH]["enabled"],
               "search button enabled while the service is silent")
        controls = app.wait_search_done()
        seconds = time.monotonic() - started
        print(f"  fault_silent: the window was busy for {seconds:.1f} s "
              f"(service hangs up after {HOLD_LIMIT} s)", flush=True)
        expect(seconds >= HOLD_LIMIT - 1, f"the search ended after {seconds:.1f} s, before the "
               "service hung up")
        expect_search_result(app, controls, [], "fault_silent")
        expect_search_result(app, app.search("two_songs"), TWO_SONGS, "the silent service")
    finally:
        app.close()


# --- account texts that are not numbers ---------------------------------------------------

# (what, typed text, what reaches the service after "uin=" or None for no request). The
# program sends the text as typed; the request component percent-encodes what may not stand
# in a URL and leaves the rest to the URL's own rules.
BAD_ACCOUNTS = [
    ("letters", "12ab34", "12ab34"),
    ("spaces", " 1 2 ", "%201%202%20"),
    ("ampersand", "1&uin=2", "1&uin=2"),
    ("hash", "1#2", "1%232"),
    ("percent", "1%41%zz", "1%41%zz"),
    ("Chinese", "号码", "%E5%8F%B7%E7%A0%81"),
    ("1,000 characters", "9" * 1000, "9" * 1000),
    ("empty", "", ""),
]


@case
def bad_account_texts_are_sent_as_typed_and_find_nothing(h):
    app = h.start()
    try:
        for what, account, arrives in BAD_ACCOUNTS:
            expect_search_result(app, app.search("two_songs"), TWO_SONGS,
                                 f"two_songs before the {what} account")
            h.clear_requests()
            expect_equal(h.inspect("set-text", EDIT_ACCOUNT, account)["text"], account,
                         f"account box holding the {what} account")
            app.click_control(BUTTON_SEARCH)
            controls = app.wait_search_done()
            targets = [r["target"] for r in h.requests()]
            print(f"  {what}: {targets[0][-60:] if targets else 'no request'!r}", flush=True)
            expected = [] if arrives is None else [
                f"http://qzone-music.qq.com:80{PREFIX}{arrives}"]
            expect_equal(targets, expected, f"request for the {what} account")
            expect_search_result(app, controls, [], f"the {what} account")
            expect_equal(controls[EDIT_ACCOUNT]["text"], account,
                         f"account box after the {what} search")
        expect_search_result(app, app.search("two_songs"), TWO_SONGS, "the bad accounts")
    finally:
        app.close()


# --- a clipboard that another program holds open ------------------------------------------

class ClipboardHolder:
    """trovella_inspector hold-clipboard, running beside the test until it lets go."""

    def __init__(self, h, milliseconds):
        self.output = tempfile.TemporaryFile()
        self.process = subprocess.Popen(
            [str(WINE_RUN), str(h.args.inspector), "hold-clipboard", str(milliseconds)],
            env=h.env, stdout=self.output, stderr=subprocess.DEVNULL)
        wait_until(lambda: b'"held":true' in self.read(), COMMAND_TIMEOUT,
                   "another program to open the clipboard")

    def read(self):
        self.output.seek(0)
        return self.output.read()

    def wait_released(self):
        self.process.wait(timeout=COMMAND_TIMEOUT)
        expect(b'"released":true' in self.read(), "the holder did not let the clipboard go")
        self.output.close()

    def kill(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait(timeout=COMMAND_TIMEOUT)


@case
def double_click_while_another_program_holds_the_clipboard(h):
    app = h.start()
    holder = None
    try:
        app.search("two_songs")
        earlier = "earlier text"
        for ticked in (True, False):
            if app.controls()[CHECK_NOTICE]["checked"] != ticked:
                app.click_control(CHECK_NOTICE)
            h.inspect("set-clipboard", earlier)
            holder = ClipboardHolder(h, 4000)
            app.double_click_row(1)
            box = app.message_box(wait_ms=3000)
            if ticked:
                expect(box, "no notice box with the check box ticked")
                # The read-back meets the same closed clipboard as the copy, so the notice
                # has nothing between its two parts.
                expect_equal(box["text"], "歌曲链接地址：" + NOTICE_TAIL, "notice text")
                expect(h.inspect("close-messagebox").get("closed"), "notice box did not close")
            else:
                expect_equal(box, None, "notice box with the check box clear")
            holder.wait_released()
            holder = None
            expect_equal(app.clipboard(), earlier,
                         f"clipboard after the held double-click (ticked: {ticked})")

        # Once the other program lets go, a double-click copies again.
        app.double_click_row(0)
        wait_until(lambda: app.clipboard() == TWO_SONGS[0][2], 5, "the link on the clipboard")
        expect_search_result(app, app.search("two_songs"), TWO_SONGS, "the held clipboard")
    finally:
        if holder:
            holder.kill()
        app.close()


if __name__ == "__main__":
    sys.exit(run_main(__doc__.split("\n\n")[0], hold_limit=HOLD_LIMIT))
