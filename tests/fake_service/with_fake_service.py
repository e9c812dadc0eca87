#!/usr/bin/env python3
"""Runs a command with the fake playlist service as its HTTP proxy, then stops the service.

    with_fake_service.py [--refused] [--fixtures DIR] [--log FILE] [--timeout SECONDS]
                         [--hold-limit SECONDS] -- command [arguments...]

The command gets these environment variables:
  http_proxy                  http://127.0.0.1:PORT, the service (no_proxy is removed)
  TROVELLA_SERVICE_PORT       PORT
  TROVELLA_SERVICE_LOG        the request log as a Wine path (Z:\\...), one JSON line a request
  TROVELLA_SERVICE_LOG_PATH   the same file as a host path
With --refused, PORT is a port that refuses connections and the log stays empty.

The exit code is the command's; 124 when it ran past --timeout and was killed. Without --log
the log goes to a temporary directory that is removed afterwards.
"""

import argparse
import os
import pathlib
import signal
import socket
import subprocess
import sys
import tempfile
import threading

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))
import fake_playlist_service  # noqa: E402

TIMED_OUT = 124


def wine_path(path):
    return "Z:" + str(pathlib.Path(path).resolve()).replace("/", "\\")


def run_command(command, environment, timeout):
    # A session of its own, so a time-out or a signal to us can end everything it started.
    child = subprocess.Popen(command, env=environment, start_new_session=True)

    def stop_child(signal_number, _frame):
        kill_group(child)
        sys.exit(128 + signal_number)

    signal.signal(signal.SIGTERM, stop_child)
    signal.signal(signal.SIGINT, stop_child)
    try:
        return child.wait(timeout=timeout)
    except subprocess.TimeoutExpired:
        print(f"with_fake_service: {command[0]} ran longer than {timeout} s; killed",
              file=sys.stderr)
        kill_group(child)
        return TIMED_OUT


def kill_group(child):
    try:
        os.killpg(child.pid, signal.SIGKILL)
    except ProcessLookupError:
        pass
    try:
        child.wait(timeout=10)
    except subprocess.TimeoutExpired:
        pass


def main():
    parser = argparse.ArgumentParser(
        description=__doc__.split("\n\n")[0],
        usage="%(prog)s [options] -- command [arguments...]")
    parser.add_argument("--refused", action="store_true",
                        help="point http_proxy at a port that refuses connections")
    parser.add_argument("--fixtures", default=str(fake_playlist_service.DEFAULT_FIXTURES),
                        help="directory of NAME.txt replies")
    parser.add_argument("--log", help="request log file (default: a temporary one)")
    parser.add_argument("--timeout", type=float, default=600,
                        help="seconds the command may run (default 600)")
    parser.add_argument("--hold-limit", type=float,
                        default=fake_playlist_service.DEFAULT_HOLD_LIMIT,
                        help="seconds fault_silent holds a connection at most")
    parser.add_argument("command", nargs=argparse.REMAINDER)
    args = parser.parse_args()
    command = args.command[1:] if args.command[:1] == ["--"] else args.command
    if not command:
        parser.error("no command given")

    with tempfile.TemporaryDirectory(prefix="trovella-service-") as scratch:
        log_path = pathlib.Path(args.log or pathlib.Path(scratch) / "requests.jsonl").resolve()
        log_path.touch()
        service = refusing = None
        if args.refused:
            # Bound but not listening: a connection attempt is answered with a reset.
            refusing = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
            refusing.bind(("127.0.0.1", 0))
            port = refusing.getsockname()[1]
        else:
            service = fake_playlist_service.PlaylistService(
                0, args.fixtures, log_path, args.hold_limit)
            port = service.port
            threading.Thread(target=service.serve_forever, daemon=True).start()

        environment = dict(os.environ)
        for name in ("no_proxy", "NO_PROXY", "HTTP_PROXY"):
            environment.pop(name, None)
        environment.update({
            "http_proxy": f"http://127.0.0.1:{port}",
            "TROVELLA_SERVICE_PORT": str(port),
            "TROVELLA_SERVICE_LOG": wine_path(log_path),
            "TROVELLA_SERVICE_LOG_PATH": str(log_path),
        })
        try:
            return run_command(command, environment, args.timeout)
        finally:
            if service:
                service.stop()
            if refusing:
                refusing.close()


if __name__ == "__main__":
    sys.exit(main())
