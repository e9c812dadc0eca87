#!/usr/bin/env python3
"""Copies C++ source from stdin to stdout with every identifier outside ASCII respelled as
ASCII (u_<code points>), leaving string and character literals and comments as they are."""
import re
import sys

TOKEN = re.compile(r'''(//[^\n]*|/\*.*?\*/|R"(?P<delim>[^(\s]*)\(.*?\)(?P=delim)"|"(?:\\.|[^"\\\n])*"|'(?:\\.|[^'\\\n])*')''', re.S)
NON_ASCII = re.compile(r"[^\x00-\x7f]+")


def respell(code):
    return NON_ASCII.sub(lambda m: "u_" + "_".join(f"{ord(c):x}" for c in m.group()), code)


def main():
    text = sys.stdin.read()
    out, last = [], 0
    for match in TOKEN.finditer(text):
        out.append(respell(text[last:match.start()]))
        out.append(match.group())
        last = match.end()
    out.append(respell(text[last:]))
    sys.stdout.write("".join(out))


if __name__ == "__main__":
    main()
