#!/usr/bin/env python3
"""A stand-in for the QQ personal-space playlist service, for tests on 127.0.0.1.

The program under test reaches it as its HTTP proxy (http_proxy=http://127.0.0.1:PORT), so
requests arrive in absolute form:

    GET http://qzone-music.qq.com:80/fcg-bin/cgi_playlist_xml.fcg?json=1&uin=ACCOUNT HTTP/1.1

A request for another method, host, path or query gets 400. Every request is logged before
it is answered, as one JSON object per line: request_line, method, target, headers (pairs
in arrival order), header_names, body_length, account, reply.

Replies by account (the text after "uin="):
  NAME          the fixture NAME.txt from the fixtures directory (UTF-8 in the repository,
                sent as GBK bytes like the real service; one trailing line break dropped)
  songs_N       a generated reply with N songs (songs_300: 300 songs)
  fault_404     status 404, the two_songs reply as body
  fault_500     status 500, the two_songs reply as body
  fault_zero_inside   the two_songs reply with a zero byte after its first song
  fault_zero_first    the two_songs reply after a zero byte
  fault_empty   status 200, empty body
  fault_large   the two_songs reply padded to LARGE_BODY_SIZE bytes with the digits
                0123456789 repeated
  fault_reset   headers announcing the two_songs reply, half of it, then a TCP reset
  fault_names_only    NAMES_ONLY_COUNT songs with a name field and no link field
  fault_double_quoted_links   DOUBLE_QUOTED_COUNT songs whose links are in double quotes
  fault_silent  no answer at all; the connection is held until the client gives up or
                --hold-limit seconds have passed (Wine 8's request component never gives
                up by itself; Windows' does after its 30 s receive time-out)
  anything else the no_songs fixture
Connection refused is played by with_fake_service.py --refused.

Run alone:  fake_playlist_service.py [--port 0] [--fixtures DIR] [--log FILE]
It prints "listening on 127.0.0.1:PORT" once it accepts connections.
"""

import argparse
import http.server
import json
import os
import pathlib
import re
import socket
import struct
import sys
import threading
import time
import urllib.parse

SERVICE_HOST = "qzone-music.qq.com"
SERVICE_PATH = "/fcg-bin/cgi_playlist_xml.fcg"
QUERY_PREFIX = "json=1&uin="
DEFAULT_FIXTURES = pathlib.Path(__file__).resolve().parent.parent / "fixtures" / "playlists"
LARGE_BODY_SIZE = 10 * 1024 * 1024
NAMES_ONLY_COUNT = 20000
DOUBLE_QUOTED_COUNT = 1000
DEFAULT_HOLD_LIMIT = 120.0
FIXTURE_NAME = re.compile(r"[A-Za-z0-9_\-]{1,100}")
GENERATED = re.compile(r"songs_([0-9]{1,6})")


def song_entry(number):
    return (
        f'{{xqusic_id:{number},xsong_name:"第{number}首歌",xsinger_name:"歌手{number}",'
        f"xsong_url:'http://music.example.net/song/{number}.mp3'}}"
    )


def generated_reply(count, entry=song_entry):
    songs = ",".join(entry(n) for n in range(1, count + 1))
    return f"jsonCallback({{code:0,data:{{songs:[{songs}]}}}})".encode("gbk")


def name_only_entry(number):
    return f'{{xqusic_id:{number},xsong_name:"第{number}首歌",xsinger_name:"歌手{number}"}}'


def double_quoted_link_entry(number):
    return song_entry(number).replace("xsong_url:'", 'xsong_url:"').replace(".mp3'", '.mp3"')


def large_body(reply):
    digits = b"0123456789" * (LARGE_BODY_SIZE // 10 + 1)
    return reply + digits[: LARGE_BODY_SIZE - len(reply)]


class PlaylistService(http.server.ThreadingHTTPServer):
    """The service: a threading HTTP server with its fixtures, its log and a stop flag."""

    daemon_threads = True
    block_on_close = False

    def __init__(self, port=0, fixtures=DEFAULT_FIXTURES, log_path=None,
                 hold_limit=DEFAULT_HOLD_LIMIT):
        self.fixtures = pathlib.Path(fixtures)
        self.hold_limit = hold_limit
        self.stopping = threading.Event()
        self.log_lock = threading.Lock()
        self.log_file = open(log_path, "a", encoding="utf-8") if log_path else None
        super().__init__(("127.0.0.1", port), RequestHandler)

    @property
    def port(self):
        return self.server_address[1]

    def fixture(self, name):
        text = (self.fixtures / f"{name}.txt").read_text(encoding="utf-8")
        return text.removesuffix("\n").encode("gbk")

    def reply_for(self, account):
        """(status, body) for an account that plays no connection fault."""
        two_songs = self.fixture("two_songs")
        first_song_end = two_songs.index(b"},") + 2
        faults = {
            "fault_404": lambda: (404, two_songs),
            "fault_500": lambda: (500, two_songs),
            "fault_zero_inside": lambda: (
                200, two_songs[:first_song_end] + b"\0" + two_songs[first_song_end:]),
            "fault_zero_first": lambda: (200, b"\0" + two_songs),
            "fault_empty": lambda: (200, b""),
            "fault_large": lambda: (200, large_body(two_songs)),
            "fault_names_only": lambda: (200, generated_reply(NAMES_ONLY_COUNT, name_only_entry)),
            "fault_double_quoted_links": lambda: (
                200, generated_reply(DOUBLE_QUOTED_COUNT, double_quoted_link_entry)),
        }
        if account in faults:
            return faults[account]()
        generated = GENERATED.fullmatch(account)
        if generated:
            return 200, generated_reply(int(generated.group(1)))
        if FIXTURE_NAME.fullmatch(account) and (self.fixtures / f"{account}.txt").is_file():
            return 200, self.fixture(account)
        return 200, self.fixture("no_songs")

    def log(self, entry):
        with self.log_lock:
            if self.log_file is None:
                return
            self.log_file.write(json.dumps(entry, ensure_ascii=False) + "\n")
            self.log_file.flush()

    def stop(self):
        self.stopping.set()
        self.shutdown()
        self.server_close()
        with self.log_lock:
            if self.log_file:
                self.log_file.close()
                self.log_file = None


def check_request(method, target, headers):
    """The account asked for, or raises ValueError saying what is wrong with the request."""
    if method != "GET":
        raise ValueError(f"method {method} is not GET")
    url = urllib.parse.urlsplit(target)
    if url.scheme:
        if url.scheme.lower() != "http":
            raise ValueError(f"scheme {url.scheme}")
        host, port = url.hostname or "", url.port
    else:
        host_header = headers.get("Host", "")
        host, _, port_text = host_header.partition(":")
        port = int(port_text) if port_text.isdigit() else None
    if host.lower() != SERVICE_HOST or port not in (None, 80):
        raise ValueError(f"host {host}:{port}")
    if url.path != SERVICE_PATH:
        raise ValueError(f"path {url.path}")
    if not url.query.startswith(QUERY_PREFIX):
        raise ValueError(f"query {url.query}")
    return urllib.parse.unquote(url.query[len(QUERY_PREFIX):], encoding="latin-1")


class RequestHandler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "FakePlaylistService/1"

    def log_message(self, format, *args):  # noqa: A002 - the base class's name
        pass

    def read_body(self):
        """The request body's length; the body itself is read and dropped."""
        if self.headers.get("Transfer-Encoding", "").lower() == "chunked":
            total = 0
            while True:
                size = int(self.rfile.readline().split(b";")[0].strip() or b"0", 16)
                if size == 0:
                    while self.rfile.readline() not in (b"\r\n", b"\n", b""):
                        pass
                    return total
                total += len(self.rfile.read(size))
                self.rfile.readline()
        length = int(self.headers.get("Content-Length", "0") or "0")
        return len(self.rfile.read(length)) if length > 0 else 0

    def handle_any(self):
        body_length = self.read_body()
        try:
            account = check_request(self.command, self.path, self.headers)
            problem = None
        except ValueError as error:
            account, problem = None, str(error)
        self.server.log({
            "time": time.time(),
            "request_line": self.requestline,
            "method": self.command,
            "target": self.path,
            "headers": [[name, value] for name, value in self.headers.items()],
            "header_names": list(self.headers.keys()),
            "body_length": body_length,
            "account": account,
            "reply": f"400 {problem}" if problem else account,
        })
        if problem:
            self.send_reply(400, f"bad request: {problem}".encode())
        elif account == "fault_silent":
            self.hold_silently()
        elif account == "fault_reset":
            self.reset_mid_body(self.server.fixture("two_songs"))
        else:
            self.send_reply(*self.server.reply_for(account))

    do_GET = do_POST = do_HEAD = do_PUT = do_DELETE = do_OPTIONS = handle_any

    def send_reply(self, status, body):
        self.send_response(status)
        self.send_header("Content-Type", "text/html; charset=GBK")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        if self.command != "HEAD":
            self.wfile.write(body)

    def hold_silently(self):
        self.close_connection = True
        self.connection.settimeout(0.5)
        deadline = time.monotonic() + self.server.hold_limit
        while time.monotonic() < deadline and not self.server.stopping.is_set():
            try:
                if not self.connection.recv(4096):
                    return  # the client gave up
            except socket.timeout:
                continue
            except OSError:
                return

    def reset_mid_body(self, body):
        self.close_connection = True
        self.send_response(200)
        self.send_header("Content-Type", "text/html; charset=GBK")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body[: len(body) // 2])
        self.wfile.flush()
        time.sleep(0.2)  # let the half body leave before the reset
        # Closing with a zero linger time sends RST instead of FIN.
        self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
        self.connection.close()


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--port", type=int, default=0, help="port on 127.0.0.1 (0: any free)")
    parser.add_argument("--fixtures", default=str(DEFAULT_FIXTURES),
                        help="directory of NAME.txt replies (default: tests/fixtures/playlists)")
    parser.add_argument("--log", help="file that gets one JSON line per request")
    parser.add_argument("--hold-limit", type=float, default=DEFAULT_HOLD_LIMIT,
                        help="seconds fault_silent holds a connection at most")
    args = parser.parse_args()
    service = PlaylistService(args.port, args.fixtures, args.log, args.hold_limit)
    print(f"listening on 127.0.0.1:{service.port}", flush=True)
    try:
        service.serve_forever()
    except KeyboardInterrupt:
        pass
    finally:
        service.server_close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
