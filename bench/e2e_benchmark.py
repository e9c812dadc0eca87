#!/usr/bin/env python3
"""End-to-end timings of the shipped trovella.exe under Wine and Xvfb, with the fake
playlist service behind http_proxy:

  start-up       from starting the program until its window is visible, beside a program
                 that only opens an empty window (the floor), started alternately
  search         from the click on the search button until the status line shows the count,
                 for songs_300 and songs_5000, from an empty list and over a full one
  memory         what a search bringing a 10 MB reply adds to the program's working set, over
                 its idle size after start-up (peak resident size of its Wine process)

    bench/e2e_benchmark.py --build BUILD_DIR [--runs 9] [--work-dir DIR] [--locale C.UTF-8]

BUILD_DIR is a win64 (or, where 32-bit code runs, win32) build with trovella, the inspector
and the empty window built (cmake --build BUILD_DIR --target e2e_benchmark does that and runs
this). Uses DISPLAY, or starts its own Xvfb. Prints a Markdown table.
"""

import argparse
import os
import pathlib
import statistics
import subprocess
import sys
import tempfile
import threading
import time

REPO = pathlib.Path(__file__).resolve().parent.parent
sys.path.insert(0, str(REPO / "tests" / "e2e"))
import harness  # noqa: E402
from harness import (BUTTON_SEARCH, EDIT_ACCOUNT, LABEL_STATUS, WINE_RUN,  # noqa: E402
                     expect, status_text, wait_until, xdotool)

EMPTY_WINDOW_CAPTION = "Trovella empty window"
REPLY_SIZE = 10 * 1024 * 1024


def wait_visible(caption, timeout=30):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if xdotool("search", "--onlyvisible", "--name", f"^{caption}$"):
            return time.monotonic()
        time.sleep(0.002)
    raise AssertionError(f"no visible window {caption!r} after {timeout} s")


def wait_gone(caption, timeout=30):
    wait_until(lambda: not xdotool("search", "--name", f"^{caption}$"), timeout,
               f"the window {caption!r} to go")


def time_start_up(h, exe, caption):
    """Seconds from starting exe until its window is visible."""
    started = time.monotonic()
    process = subprocess.Popen([str(WINE_RUN), str(exe)], cwd=h.start_dir, env=h.env,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        return wait_visible(caption) - started
    finally:
        process.kill()
        process.wait()
        wait_gone(caption)


def start_watch(h, text):
    """An inspector that reports when the status line shows text; ready when it returns."""
    watcher = subprocess.Popen(
        [str(WINE_RUN), str(h.args.inspector), "wait-text", str(LABEL_STATUS), text, "120000"],
        env=h.env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    line = watcher.stdout.readline()
    expect(b'"ready":true' in line, f"the watcher did not start: {line!r}")
    return watcher


def search_button_point(app):
    rect = app.controls()[BUTTON_SEARCH]["rect"]
    origin = app.window["client_origin"]
    return origin["x"] + rect["left"] + rect["width"] // 2, origin["y"] + rect["top"] + 12


def move_to_search_button(app):
    x, y = search_button_point(app)
    geometry = dict(line.split("=") for line in
                    xdotool("getwindowgeometry", "--shell", app.xid).splitlines())
    dx, dy = x - int(geometry["X"]), y - int(geometry["Y"])
    xdotool("mousemove", "--window", app.xid, dx + 2, dy + 2)
    xdotool("mousemove", "--window", app.xid, dx, dy)
    time.sleep(0.1)


def search_untimed(app, account):
    app.h.inspect("set-text", EDIT_ACCOUNT, account)
    move_to_search_button(app)
    xdotool("click", 1)
    return app.wait_search_done()


def time_search(app, account, count):
    """Seconds from the click on the search button until the status line shows count."""
    app.h.inspect("set-text", EDIT_ACCOUNT, account)
    # The status line may already show the count: blank it, so only this search sets it.
    app.h.inspect("set-text", LABEL_STATUS, "")
    move_to_search_button(app)
    watcher = start_watch(app.h, status_text(count))
    try:
        # Includes starting xdotool, which makes the click.
        clicked = time.monotonic()
        xdotool("click", 1)
        line = watcher.stdout.readline()
        seen = time.monotonic()
        expect(b'"seen":true' in line, f"the status line never showed {count}: {line!r}")
    finally:
        watcher.kill()
        watcher.wait()
    # The status line's count is read back from the list, so the list is full by now.
    app.wait_search_done()
    return seen - clicked


def proc_status(pid):
    """The kB figures of /proc/PID/status, by name."""
    figures = {}
    for line in pathlib.Path(f"/proc/{pid}/status").read_text().splitlines():
        name, _, value = line.partition(":")
        if value.strip().endswith("kB"):
            figures[name] = int(value.split()[0])
    return figures


def program_pid(app):
    """The Linux process that runs trovella.exe (Wine's loader execs into it)."""
    pid = app.process.pid
    command = pathlib.Path(f"/proc/{pid}/cmdline").read_bytes().lower()
    expect(b"trovella.exe" in command, f"process {pid} is not trovella.exe: {command!r}")
    return pid


def measure_memory(h):
    """kB: idle resident size, and the peak resident size during a search of a 10 MB reply."""
    app = h.start()
    try:
        pid = program_pid(app)
        search_untimed(app, "two_songs")
        time.sleep(1)
        idle = proc_status(pid)["VmRSS"]
        # Writing 5 resets the peak resident size to the current one.
        pathlib.Path(f"/proc/{pid}/clear_refs").write_text("5")
        controls = search_untimed(app, "fault_large")
        expect(controls[LABEL_STATUS]["text"] == status_text(2), "fault_large did not give 2 rows")
        after = proc_status(pid)
        return idle, after["VmHWM"], after["VmRSS"]
    finally:
        app.close()


def run(args):
    h_args = argparse.Namespace(
        exe=args.build / "trovella.exe",
        inspector=args.build / "tests" / "e2e" / "trovella_inspector.exe",
        work_dir=args.work_dir)
    empty_window = args.build / "tests" / "e2e" / "trovella_empty_window.exe"
    for path in (h_args.exe, h_args.inspector, empty_window):
        expect(path.is_file(), f"{path} is missing: build it first")

    with tempfile.TemporaryDirectory(prefix="service-", dir=args.work_dir) as scratch:
        log_path = pathlib.Path(scratch) / "requests.jsonl"
        log_path.touch()
        service = harness.fake_playlist_service.PlaylistService(
            0, harness.SHARED_FIXTURES, log_path)
        threading.Thread(target=service.serve_forever, daemon=True).start()
        h = harness.Harness(h_args, args.locale, service, log_path)
        try:
            h.stop_wine()
            h.prepare()
            # One start of each first, so that both find the same warm caches.
            time_start_up(h, empty_window, EMPTY_WINDOW_CAPTION)
            time_start_up(h, h.app_dir / "trovella.exe", "Trovella")
            floor, program = [], []
            for _ in range(args.runs):
                floor.append(time_start_up(h, empty_window, EMPTY_WINDOW_CAPTION))
                program.append(time_start_up(h, h.app_dir / "trovella.exe", "Trovella"))

            searches = {}
            app = h.start()
            try:
                for account, count in [("songs_300", 300), ("songs_5000", 5000)]:
                    time_search(app, account, count)  # warm-up
                    from_empty, over_full = [], []
                    for _ in range(args.runs):
                        search_untimed(app, "no_songs")
                        from_empty.append(time_search(app, account, count))
                        over_full.append(time_search(app, account, count))
                    searches[account] = (from_empty, over_full)
            finally:
                app.close()

            memory = [measure_memory(h) for _ in range(3)]
        finally:
            h.stop_wine()
            service.stop()
    return floor, program, searches, memory


def report(args, floor, program, searches, memory):
    ms = lambda values: f"{statistics.median(values) * 1000:.0f} ms"  # noqa: E731
    spread = lambda values: (f"{min(values) * 1000:.0f}–{max(values) * 1000:.0f} ms")  # noqa
    ratio = statistics.median(program) / statistics.median(floor)
    load = pathlib.Path("/proc/loadavg").read_text().split()[:3]
    lines = [
        f"Runs: {args.runs} of each timing (median, with the range); locale {args.locale}; "
        f"load average at the end {' '.join(load)} on {os.cpu_count()} CPUs.",
        "",
        "| measure | median | range | target | met |",
        "|---|---|---|---|---|",
        f"| start-up, empty window (floor) | {ms(floor)} | {spread(floor)} | | |",
        f"| start-up, trovella.exe | {ms(program)} | {spread(program)} | "
        f"≤ 1.5 × floor ({ratio:.2f} ×) | {'yes' if ratio <= 1.5 else 'no'} |",
    ]
    for account, (from_empty, over_full) in searches.items():
        count = account.split("_")[1]
        target = "< 300 ms" if count == "5000" else ""
        met = ("yes" if statistics.median(from_empty) < 0.3 else "no") if target else ""
        lines.append(f"| click to filled list, {count} songs, list empty before | "
                     f"{ms(from_empty)} | {spread(from_empty)} | {target} | {met} |")
        met = ("yes" if statistics.median(over_full) < 0.3 else "no") if target else ""
        lines.append(f"| click to filled list, {count} songs, replacing {count} rows | "
                     f"{ms(over_full)} | {spread(over_full)} | {target} | {met} |")
    idle = statistics.median(m[0] for m in memory)
    added = statistics.median(m[1] - m[0] for m in memory)
    limit = 4 * REPLY_SIZE // 1024
    lines += [
        f"| idle working set after start-up | {idle / 1024:.1f} MB | | | |",
        f"| working set a 10 MB reply adds (peak − idle) | {added / 1024:.1f} MB | "
        f"{min(m[1] - m[0] for m in memory) / 1024:.1f}–"
        f"{max(m[1] - m[0] for m in memory) / 1024:.1f} MB | < 40 MB (4 × reply) | "
        f"{'yes' if added < limit else 'no'} |",
    ]
    print("\n".join(lines), flush=True)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--build", required=True, type=pathlib.Path)
    parser.add_argument("--runs", type=int, default=9)
    parser.add_argument("--work-dir", type=pathlib.Path,
                        help="scratch directory (default: BUILD_DIR/e2e-benchmark)")
    parser.add_argument("--locale", default="C.UTF-8")
    args = parser.parse_args()
    args.build = args.build.resolve()
    args.work_dir = (args.work_dir or args.build / "e2e-benchmark").resolve()
    args.work_dir.mkdir(parents=True, exist_ok=True)

    xvfb = None if harness.os.environ.get("DISPLAY") else harness.start_xvfb()
    try:
        report(args, *run(args))
    finally:
        if xvfb:
            xvfb.kill()
            xvfb.wait()
    return 0


if __name__ == "__main__":
    sys.exit(main())
