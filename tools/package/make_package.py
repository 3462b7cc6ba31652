#!/usr/bin/env python3
"""Builds a self-extracting setup program: the setup image, a Microsoft Cabinet, zero bytes up to a
length of a multiple of 8 (so that signing appends its certificate right after the trailer) and the
34-byte trailer (the name of the program to start after unpacking, NUL-padded to 30 bytes, and the
little-endian offset at which the cabinet starts).

    make_package.py --image setup.exe --output out.exe --start discdeck.exe
                    (--cabinet files.cab | --files FILE...) [--attributes NAME=BITS ...]

--files makes an MSZIP cabinet of the files with Debian's gcab (names without directories, times
from the files in local time). --attributes sets a file's attribute byte in the cabinet (gcab writes 0x20 for
every file), e.g. readme.txt=0x21 for a read-only file. The program to start must be in the cabinet
unless --allow-missing-start is given (for tests of a package whose program cannot be started).
"""

import argparse
import codecs
import os
import re
import struct
import subprocess
import sys
import tempfile
import time

TRAILER_NAME_SIZE = 30
UTF8_NAME = 0x80  # attribute bit of a cabinet entry whose name is UTF-8
# The file-name rules of setup.exe, read from the table its code is built from.
NAME_RULES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "setup", "FileNameRules.def")


def name_rules():
    """{kind: [text, ...]} of the table's KIND("text") lines, C escapes resolved."""
    rules = {}
    with open(NAME_RULES, encoding="ascii") as f:
        for line in f:
            entry = re.fullmatch(r'([A-Z_]+)\("((?:[^"\\]|\\.)*)"\)\s*', line)
            if entry:
                rules.setdefault(entry[1], []).append(codecs.decode(entry[2], "unicode_escape"))
    return rules


def plain_file_name(name):
    rules = name_rules()
    if not name or any(c in "".join(rules["REFUSED_CHARACTERS"]) for c in name):
        return False
    if name[-1] in "".join(rules["REFUSED_LAST_CHARACTERS"]):
        return False
    # As setup.exe compares: only ASCII letters fold.
    base = "".join(c.upper() if "a" <= c <= "z" else c for c in name.split(".")[0].rstrip(" "))
    ports = {port + number for port in rules["PORT_NAME"] for number in rules["PORT_NUMBER"]}
    return base not in rules["DEVICE_NAME"] and base not in ports


def cabinet_entries(cabinet):
    """(offset of the entry, name) of each file entry."""
    if cabinet[:4] != b"MSCF" or len(cabinet) < 36:
        raise SystemExit("make_package: the cabinet does not start with MSCF")
    first = struct.unpack_from("<I", cabinet, 16)[0]
    count = struct.unpack_from("<H", cabinet, 28)[0]
    entries = []
    at = first
    for _ in range(count):
        end = cabinet.index(b"\0", at + 16)
        utf8 = struct.unpack_from("<H", cabinet, at + 14)[0] & UTF8_NAME
        entries.append((at, cabinet[at + 16:end].decode("utf-8" if utf8 else "latin-1")))
        at = end + 1
    return entries


def stamp_local_times(cabinet, entries, files):
    """gcab writes each file's modification time as UTC fields. setup.exe, as Windows does, takes the
    fields for local time and converts them with the zone's present offset (LocalFileTimeToFileTime):
    written with that same offset, as Windows' FileTimeToLocalFileTime would, a file unpacks in this
    zone with the time it had when it was packed."""
    offset = time.localtime().tm_gmtoff
    paths = {os.path.basename(path): path for path in files}
    for at, name in entries:
        seconds = int(os.stat(paths[name]).st_mtime) + offset
        # The fields hold 1980 to 2107.
        local = time.gmtime(min(max(seconds, 315532800), 4354819198))
        date = (local.tm_year - 1980) << 9 | local.tm_mon << 5 | local.tm_mday
        clock = local.tm_hour << 11 | local.tm_min << 5 | local.tm_sec // 2
        struct.pack_into("<HH", cabinet, at + 10, date, clock)


def make_cabinet(files):
    with tempfile.TemporaryDirectory() as work:
        out = os.path.join(work, "package.cab")
        subprocess.run(["gcab", "-c", "-n", "-z", out] + files, check=True)
        with open(out, "rb") as f:
            return f.read()


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--image", required=True, help="setup.exe as built")
    parser.add_argument("--output", required=True)
    parser.add_argument("--start", required=True, help="program to start after unpacking")
    source = parser.add_mutually_exclusive_group(required=True)
    source.add_argument("--cabinet")
    source.add_argument("--files", nargs="+")
    parser.add_argument("--attributes", action="append", default=[], metavar="NAME=BITS")
    parser.add_argument("--allow-missing-start", action="store_true")
    args = parser.parse_args()

    start = args.start.encode("latin-1")
    if len(start) > TRAILER_NAME_SIZE or not plain_file_name(args.start):
        raise SystemExit(f"make_package: '{args.start}' is not a plain file name of at most 30 bytes")

    if args.cabinet:
        with open(args.cabinet, "rb") as f:
            cabinet = bytearray(f.read())
    else:
        cabinet = bytearray(make_cabinet(args.files))
    entries = cabinet_entries(cabinet)
    if args.files:
        stamp_local_times(cabinet, entries, args.files)
    names = {name.upper(): offset for offset, name in entries}

    for item in args.attributes:
        name, _, bits = item.partition("=")
        if name.upper() not in names:
            raise SystemExit(f"make_package: {name} is not in the cabinet")
        at = names[name.upper()] + 14
        struct.pack_into("<H", cabinet, at, int(bits, 0) | struct.unpack_from("<H", cabinet, at)[0] & UTF8_NAME)
    if args.start.upper() not in names and not args.allow_missing_start:
        raise SystemExit(f"make_package: the program to start, {args.start}, is not in the cabinet")

    with open(args.image, "rb") as f:
        image = f.read()
    if len(image) >= 1 << 32:
        raise SystemExit("make_package: the image is too large for the trailer's offset")
    trailer = start.ljust(TRAILER_NAME_SIZE, b"\0") + struct.pack("<I", len(image))
    # Authenticode signing pads a file to a multiple of 8 bytes before it appends the certificate;
    # padded here, behind the cabinet, the trailer stays right before the certificate.
    padding = b"\0" * (-(len(image) + len(cabinet) + len(trailer)) % 8)
    temporary = args.output + ".part"
    with open(temporary, "wb") as f:
        f.write(image)
        f.write(cabinet)
        f.write(padding)
        f.write(trailer)
    os.replace(temporary, args.output)
    print(f"{args.output}: image {len(image)} + cabinet {len(cabinet)} + {len(padding)} + trailer {len(trailer)} bytes, "
          f"starts {args.start}", file=sys.stderr)


if __name__ == "__main__":
    main()
