#!/usr/bin/env python3
"""End-to-end tests of the skin at start-up: the shipped trovella.exe under Xvfb + Wine writes
jedata.dll and 皮肤.she next to itself, hides them and comes up skinned, or ends with an error
box when the engine cannot be had.

    e2e_skin_test.py --exe trovella.exe --inspector trovella_inspector.exe --work-dir DIR
                     --skin-engine jedata.dll --skin-file 皮肤.she --no-entry-dll DLL
                     [--locales C.UTF-8] [--only NAME]

--skin-engine and --skin-file are the files the program carries; --no-entry-dll is a library
without SkinH_AttachEx. Each case works in a fresh copy of the program in DIR/installs. A
write is made to fail with the immutable flag (chattr +i) when run as root, whom permission
bits do not stop, and by taking the write permission away otherwise: Wine opens the file
itself, and neither a read-only DOS attribute nor a hidden + system one stops it. Keeps a
screenshot of the skinned window in DIR/artifacts. Ends with the line "N passed, N failed".
"""

import argparse
import contextlib
import os
import pathlib
import re
import shutil
import subprocess
import sys
import time

from harness import *  # noqa: F401,F403 - the suite's vocabulary: app, expectations, running

ENGINE_NAME = "jedata.dll"
SKIN_NAME = "皮肤.she"
HIDDEN, SYSTEM, READ_ONLY, DIRECTORY = 0x2, 0x4, 0x1, 0x10
EXIT_FATAL = 255  # -1, as Wine reports it

# Points of the client area where nothing but the window's background shows: left of the
# account label, the gap beside the check box, and the empty status label.
BACKGROUND_POINTS = [(3, 4), (252, 58), (300, 84)]


def read_skin_colours():
    """The default skin's colours by key, as (red, green, blue)."""
    text = (REPO / "skin" / "default_skin.txt").read_text(encoding="utf-8")
    return {key: tuple(bytes.fromhex(value)) for key, value in
            re.findall(r"^\s*([a-z.]+)\s*=\s*#([0-9A-Fa-f]{6})\s*$", text, re.MULTILINE)}


SKIN_COLOURS = read_skin_colours()


def payload_arguments():
    """The suite's own arguments, taken out of the command line before the harness reads it."""
    parser = argparse.ArgumentParser(add_help=False)
    for name in ("--skin-engine", "--skin-file", "--no-entry-dll"):
        parser.add_argument(name, required=True, type=pathlib.Path)
    own, rest = parser.parse_known_args()
    sys.argv[1:] = rest
    return own


PAYLOADS = payload_arguments()


# --- files and directories -----------------------------------------------------------------

def refuse_writes(path):
    """Makes the file system refuse to write the file, or to add entries to the directory."""
    if os.geteuid() == 0:
        done = subprocess.run(["chattr", "+i", str(path)], capture_output=True, text=True)
        expect(done.returncode == 0, f"chattr +i {path.name}: {done.stderr.strip()}")
    else:
        path.chmod(path.stat().st_mode & ~0o222)


def allow_writes(path):
    if os.geteuid() == 0:
        subprocess.run(["chattr", "-i", str(path)], capture_output=True)
    path.chmod(path.stat().st_mode | 0o200)


@contextlib.contextmanager
def writes_refused(*paths):
    for path in paths:
        refuse_writes(path)
    try:
        yield
    finally:
        for path in paths:
            allow_writes(path)


def install(h, name):
    """A fresh directory holding only a copy of the program."""
    directory = h.args.work_dir / "installs" / name
    if directory.exists():
        # What an interrupted earlier run may have left refusing writes.
        for path in [directory, *directory.rglob("*")]:
            allow_writes(path)
        shutil.rmtree(directory)
    directory.mkdir(parents=True)
    shutil.copy2(h.args.exe, directory / "trovella.exe")
    return directory


def seed(directory, name, content):
    """A file as an earlier start leaves it: written and marked hidden + system."""
    path = directory / name
    path.write_bytes(content)
    os.setxattr(path, "user.DOSATTRIB", b"0x6")
    return path


def dos_attributes(path):
    """Wine's DOS attributes of a file, as it keeps them in an extended attribute."""
    try:
        return int(os.getxattr(path, "user.DOSATTRIB").rstrip(b"\0"), 16)
    except OSError:
        return None


def windows_attributes(h, path):
    return h.inspect("file-attributes", wine_path(path))["attributes"]


def expect_deployed(h, directory):
    """Both payloads next to the program, byte for byte, hidden and system."""
    for name, payload in [(ENGINE_NAME, PAYLOADS.skin_engine), (SKIN_NAME, PAYLOADS.skin_file)]:
        path = directory / name
        expect(path.is_file(), f"{name} is not next to the program")
        expect(path.read_bytes() == payload.read_bytes(),
               f"{name} differs from the payload ({path.stat().st_size} bytes, payload "
               f"{payload.stat().st_size})")
        expect_equal(dos_attributes(path), HIDDEN | SYSTEM, f"DOSATTRIB of {name}")
        attributes = windows_attributes(h, path)
        expect_equal(attributes & (HIDDEN | SYSTEM | READ_ONLY | DIRECTORY), HIDDEN | SYSTEM,
                     f"GetFileAttributesW of {name} ({attributes:#x})")


def listing(directory):
    return sorted(path.name for path in directory.iterdir())


# --- starting and looking ------------------------------------------------------------------

def start(h, directory, cwd=None):
    """Starts the copy of the program in directory, from cwd (by default that directory)."""
    h.app_dir, h.start_dir = directory, cwd or directory
    return h.start()


def grab(app):
    """The window's pixels as a function of client coordinates, read from the X screen."""
    window = app.h.inspect("window")
    left, top = window["client_origin"]["x"], window["client_origin"]["y"]
    width, height = window["client"]["width"], window["client"]["height"]
    ppm = subprocess.run(["import", "-window", "root", "-crop", f"{width}x{height}+{left}+{top}",
                          "+repage", "-depth", "8", "ppm:-"], check=True, capture_output=True,
                         timeout=COMMAND_TIMEOUT).stdout
    # P6, width, height, maximum value 255, one whitespace byte, then the RGB bytes.
    header = re.match(rb"P6\s+(\d+)\s+\d+\s+255\s", ppm)
    pixels = ppm[header.end():]
    row = int(header[1]) * 3
    return lambda x, y: tuple(pixels[y * row + 3 * x: y * row + 3 * x + 3])


def background(app):
    pixel = grab(app)
    return [pixel(x, y) for x, y in BACKGROUND_POINTS]


def expect_skinned(app, screenshot=None):
    """The window background where nothing covers it is the skin's, not the system's."""
    expected = [SKIN_COLOURS["window.background"]] * len(BACKGROUND_POINTS)
    # The first paint may come a moment after the window is shown.
    try:
        wait_until(lambda: background(app) == expected, 5, "the skin's background")
    except AssertionError:
        raise AssertionError(f"window background at {BACKGROUND_POINTS}: {background(app)}, "
                             f"skin {expected[0]}")
    if screenshot:
        app.screenshot(app.h.args.work_dir / "artifacts" / screenshot)


def expect_plain(app):
    time.sleep(0.5)
    colours = set(background(app))
    expect(len(colours) == 1 and SKIN_COLOURS["window.background"] not in colours,
           f"plain window background expected at {BACKGROUND_POINTS}: {colours}")


def expect_error_box_and_exit(h, directory, cwd=None):
    """The start that cannot have the engine: one box without owner, no window, exit -1."""
    process = subprocess.Popen([str(WINE_RUN), str(directory / "trovella.exe")],
                               cwd=cwd or directory, env=h.env, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    try:
        box = h.inspect("messagebox", START_TIMEOUT * 1000, timeout=START_TIMEOUT + 10)
        expect(box.get("found"), "no error box")
        expect_equal(box["caption"], "Trovella", "error box caption")
        expect("jedata.dll" in box["text"] and "SkinH_AttachEx" in box["text"],
               f"error box text names the library and the entry point: {box['text']!r}")
        expect_equal((box["owner"], len(box["buttons"])), (None, 1), "error box owner, buttons")
        expect_equal(h.inspect("window")["visible"], False, "main window visible behind the box")
        expect(h.inspect("close-messagebox").get("closed"), "the error box did not close")
        try:
            code = process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            raise AssertionError("the program did not end after its error box")
        expect_equal(code, EXIT_FATAL, "exit code after the error box")
    finally:
        if process.poll() is None:
            process.kill()
        process.wait(timeout=COMMAND_TIMEOUT)


# --- the cases -----------------------------------------------------------------------------

@case
def first_and_second_start_in_the_same_directory(h):
    directory = install(h, "first_and_second")
    app = start(h, directory)
    try:
        expect_deployed(h, directory)
        expect_equal(listing(directory), sorted(["trovella.exe", ENGINE_NAME, SKIN_NAME]),
                     "files next to the program")
        expect_skinned(app, f"trovella-skinned-{h.locale}.png")
        expect_equal(app.quit_with_escape(), 0, "exit code")
    finally:
        app.close()

    before = {name: (directory / name).stat().st_mtime_ns for name in (ENGINE_NAME, SKIN_NAME)}
    time.sleep(0.05)
    app = start(h, directory)
    try:
        expect_skinned(app)
        expect_deployed(h, directory)
        # Windows refuses to truncate the hidden + system files; Wine lets the write through.
        rewritten = [name for name, mtime in before.items()
                     if (directory / name).stat().st_mtime_ns != mtime]
        print(f"  second start rewrote: {rewritten or 'nothing'}", flush=True)
    finally:
        app.close()


def visible_window_sizes():
    """The sizes of the visible X windows called Trovella (an error box is called so too)."""
    sizes = []
    for xid in xdotool("search", "--onlyvisible", "--name", "^Trovella$").split():
        geometry = dict(line.split("=") for line in
                        xdotool("getwindowgeometry", "--shell", xid).splitlines())
        sizes.append((int(geometry["WIDTH"]), int(geometry["HEIGHT"])))
    return sizes


def two_windows():
    sizes = visible_window_sizes()
    return sizes if len(sizes) == 2 else None


@case
def second_copy_while_the_first_runs(h):
    # The running copy has the library loaded, so the second copy's write of it is refused
    # and must leave it intact.
    directory = install(h, "two_copies")
    library = directory / ENGINE_NAME
    first = start(h, directory)
    second = None
    try:
        written = library.stat().st_mtime_ns
        second = subprocess.Popen([str(WINE_RUN), str(directory / "trovella.exe")],
                                  cwd=directory, env=h.env, stdout=subprocess.DEVNULL,
                                  stderr=subprocess.DEVNULL)
        sizes = wait_until(two_windows, START_TIMEOUT, "the second copy's window")
        expect_equal(sizes, [OUTER_SIZE, OUTER_SIZE], "sizes of the two windows")
        expect_equal((first.process.poll(), second.poll()), (None, None), "exit codes")
        expect_equal(library.stat().st_mtime_ns, written, "library's time of last write")
        expect_deployed(h, directory)
        expect_skinned(first)
    finally:
        first.close()
        if second:
            second.kill()
            second.wait(timeout=COMMAND_TIMEOUT)


@case
def start_from_another_directory_writes_next_to_the_program(h):
    directory = install(h, "elsewhere_program")
    elsewhere = install(h, "elsewhere_cwd")
    (elsewhere / "trovella.exe").unlink()
    app = start(h, directory, cwd=elsewhere)
    try:
        expect_skinned(app)
        expect_deployed(h, directory)
        expect_equal(listing(elsewhere), [], "files in the working directory")
    finally:
        app.close()


@case
def deleted_library_is_written_again(h):
    directory = install(h, "deleted_library")
    seed(directory, SKIN_NAME, PAYLOADS.skin_file.read_bytes())
    app = start(h, directory)
    try:
        expect_skinned(app)
        expect_deployed(h, directory)
    finally:
        app.close()


@case
def unusable_library_ends_with_the_error_box(h):
    for name, make, refuse in [
        ("a directory", lambda path: path.mkdir(), False),
        ("a library without the entry point",
         lambda path: path.write_bytes(PAYLOADS.no_entry_dll.read_bytes()), True),
        ("a text file", lambda path: path.write_bytes(b"not a library\r\n"), True),
    ]:
        directory = install(h, "unusable_library")
        library = directory / ENGINE_NAME
        make(library)
        before = None if library.is_dir() else library.read_bytes()
        try:
            with writes_refused(*([library] if refuse else [])):
                expect_error_box_and_exit(h, directory)
        except AssertionError as error:
            raise AssertionError(f"jedata.dll as {name}: {error}")
        if before is not None:
            expect(library.read_bytes() == before, f"{name} was overwritten")
        # The skin file was written before the engine was asked for.
        expect_equal((directory / SKIN_NAME).read_bytes(), PAYLOADS.skin_file.read_bytes(),
                     f"skin file beside {name}")


@case
def bad_skin_file_leaves_the_plain_look(h):
    skin = PAYLOADS.skin_file.read_bytes()
    for name, content in [("truncated", skin[: len(skin) // 2]),
                          ("garbage", b"\x00garbage\xff" * 50),
                          ("empty", b"")]:
        directory = install(h, "bad_skin_file")
        skin_path = seed(directory, SKIN_NAME, content)
        with writes_refused(skin_path):
            app = start(h, directory)
            try:
                expect_plain(app)
                if name == "truncated":  # one search shows the plain window at work
                    controls = app.search("two_songs")
                    expect_equal((app.rows(), controls[LABEL_STATUS]["text"]),
                                 (TWO_SONGS, status_text(2)), f"search with a {name} skin file")
                expect_equal(app.quit_with_escape(), 0, f"exit code with a {name} skin file")
            finally:
                app.close()
        expect_equal(skin_path.read_bytes(), content, f"{name} skin file after the start")
        expect_equal(directory.joinpath(ENGINE_NAME).read_bytes(),
                     PAYLOADS.skin_engine.read_bytes(), f"library beside a {name} skin file")


@case
def unwritable_program_directory(h):
    directory = install(h, "unwritable")
    with writes_refused(directory):
        expect_error_box_and_exit(h, directory)
    expect_equal(listing(directory), ["trovella.exe"], "files after the refused start")

    # Both files are there from an earlier start.
    seed(directory, ENGINE_NAME, PAYLOADS.skin_engine.read_bytes())
    seed(directory, SKIN_NAME, PAYLOADS.skin_file.read_bytes())
    with writes_refused(directory):
        app = start(h, directory)
        try:
            expect_skinned(app)
            expect_deployed(h, directory)
        finally:
            app.close()


if __name__ == "__main__":
    sys.exit(run_main(__doc__.split("\n\n")[0]))
