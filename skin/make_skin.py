#!/usr/bin/env python3
"""Compiles a skin description (key = value lines) into a .she skin file.

    make_skin.py default_skin.txt 皮肤.she

The layout is described in README.md; the tags below must match skin/engine/skin_file.cpp.
"""
import re
import struct
import sys

MAGIC = b".SHE\x00\x03"
LAYOUT_VERSION = 1

COLOUR_TAGS = {
    "window.background": 0x0001,
    "window.text": 0x0002,
    "button.face": 0x0003,
    "button.text": 0x0004,
    "button.border": 0x0005,
    "button.hot": 0x0006,
    "button.pressed": 0x0007,
    "edit.background": 0x0008,
    "edit.text": 0x0009,
    "header.background": 0x000A,
    "header.text": 0x000B,
    "list.background": 0x000C,
    "list.alternate": 0x000D,
    "list.text": 0x000E,
    "list.grid": 0x000F,
    "selection.background": 0x0010,
    "selection.text": 0x0011,
}
FONT_FACE_TAG = 0x0020
FONT_SIZE_TAG = 0x0021


def record(tag, payload):
    return struct.pack("<HH", tag, len(payload)) + payload


def parse_value(key, value):
    """The record for one key, or a ValueError saying what is wrong."""
    if key in COLOUR_TAGS:
        if not re.fullmatch(r"#[0-9A-Fa-f]{6}", value):
            raise ValueError(f"{key}: '{value}' is not a #RRGGBB colour")
        return record(COLOUR_TAGS[key], bytes.fromhex(value[1:]))
    if key == "font.face":
        face = value.encode("utf-8")
        if not face or len(value.encode("utf-16-le")) // 2 > 31:
            raise ValueError(f"font.face: '{value}' must have 1 to 31 UTF-16 units")
        return record(FONT_FACE_TAG, face)
    if key == "font.size":
        if not value.isdigit() or not 6 <= int(value) <= 36:
            raise ValueError(f"font.size: '{value}' is not a point size from 6 to 36")
        return record(FONT_SIZE_TAG, bytes([int(value)]))
    raise ValueError(f"unknown key '{key}'")


def compile_skin(text):
    records = {}
    for number, line in enumerate(text.splitlines(), 1):
        line = line.strip()
        if not line or line.startswith("#"):
            continue
        key, sep, value = (part.strip() for part in line.partition("="))
        if not sep:
            raise ValueError(f"line {number}: expected 'key = value'")
        if key in records:
            raise ValueError(f"line {number}: '{key}' given twice")
        try:
            records[key] = parse_value(key, value)
        except ValueError as error:
            raise ValueError(f"line {number}: {error}") from None
    missing = (set(COLOUR_TAGS) | {"font.face", "font.size"}) - set(records)
    if missing:
        raise ValueError("missing keys: " + ", ".join(sorted(missing)))
    return MAGIC + struct.pack("<H", LAYOUT_VERSION) + b"".join(records.values())


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: make_skin.py DESCRIPTION.txt OUTPUT.she")
    with open(sys.argv[1], encoding="utf-8") as source:
        try:
            data = compile_skin(source.read())
        except ValueError as error:
            sys.exit(f"{sys.argv[1]}: {error}")
    with open(sys.argv[2], "wb") as output:
        output.write(data)


if __name__ == "__main__":
    main()
