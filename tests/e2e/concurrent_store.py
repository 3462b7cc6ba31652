#!/usr/bin/python3
"""Two players store at once: two real discdeck.exe processes under Wine, started together in one
folder that already holds a large database, each on its own virtual disc that the local CDDB server
knows. Each looks its disc up, asks the server and stores it while the other does the same. At the
end both discs are stored, or one store was refused with its message box; the discs stored before
are all there, byte for byte, every disc has one run of tracks and no temporary file is left.

Exit code 0 when every check passed, 1 otherwise (2 when the run could not be set up)."""

import os
import shutil
import struct
import sys
import time

sys.dont_write_bytecode = True  # no __pycache__ in the source tree

import expected as x  # noqa: E402 - after the line above
from harness import Checks, CddbServer, Driver, Player, Wine, suite_options  # noqa: E402

SETTINGS_KEY = r"HKCU\Software\Tarvikon\discdeck\Settings"
# Large enough that a store takes a good part of a second under Wine, so the two overlap.
STORED_BEFORE = 200000
TRACKS_EACH = 10
REFUSALS = ("Unable to open TITLE database file !!!", "Unable to open TRACK database file !!!")


def header(count, length):
    return b"Tarvikon1.00" + struct.pack("<III", count, length, 24)


def stored_before(folder, avoid):
    """A database as earlier stores leave it: titles sorted by id, tracks in the order of storing.
    Returns the ids and the bytes of both files."""
    ids = []
    value = 0x01000193
    while len(ids) < STORED_BEFORE:
        value = (value * 1103515245 + 12345) & 0xFFFFFFFF
        if value not in avoid:
            ids.append(value)
    ids = list(dict.fromkeys(ids))
    titles = bytearray(header(len(ids), 104))
    for disc_id in sorted(ids):
        titles += struct.pack("<I70s20s2sII", disc_id, b"Earlier / Album %08x" % disc_id, b"rock", b"", 2400000,
                              TRACKS_EACH)
    tracks = bytearray(header(len(ids) * TRACKS_EACH, 84))
    for disc_id in ids:
        for track in range(1, TRACKS_EACH + 1):
            tracks += struct.pack("<II70s2sI", disc_id, track, b"Track %d" % track, b"", 240000)
    for name, content in (("titles.sdb", titles), ("tracks.sdb", tracks)):
        with open(os.path.join(folder, name), "wb") as f:
            f.write(content)
    return set(ids), bytes(titles), bytes(tracks)


def records(content, length):
    count = struct.unpack_from("<I", content, 12)[0]
    return [content[24 + i * length:24 + (i + 1) * length] for i in range(count)]


def main():
    options = suite_options(__doc__, artifacts=False)
    if options is None:
        return 2

    checks = Checks()
    shutil.rmtree(options.work, ignore_errors=True)
    folder = os.path.join(options.work, "player")
    os.makedirs(folder)
    demo_dir = os.path.join(options.source_dir, "demo")
    discs = [x.Disc.from_cue(os.path.join(demo_dir, name)) for name in ("demo.cue", "second.cue")]
    sheets = []
    for i, name in enumerate(("demo.cue", "second.cue")):
        drive = os.path.join(options.work, "drive%d" % i)
        os.makedirs(drive)
        sheets.append(os.path.join(drive, "disc.cue"))
        shutil.copyfile(os.path.join(demo_dir, name), sheets[-1])
    before_ids, before_titles, before_tracks = stored_before(folder, {d.disc_id for d in discs})

    wine = Wine(options.prefix, options.source_dir)
    # The demo entries, and one of the second disc's own, so that both players find an exact match.
    server = CddbServer(options.source_dir, options.work)
    server.data = os.path.join(options.work, "cddb")
    shutil.copytree(os.path.join(demo_dir, "cddb"), server.data)
    with open(os.path.join(server.data, "rock", "%08x" % discs[1].disc_id), "w") as f:
        f.write("# xmcd\n#\nDISCID=%08x\nDTITLE=Kaisa Vahter / Harbour Lights\n" % discs[1].disc_id)
        for track, name in enumerate(("Morning Ferry", "Salt Wind", "Lighthouse", "Evening Tide")):
            f.write("TTITLE%d=%s\n" % (track, name))
    players = []
    try:
        server.start()
        wine.reg("delete", r"HKCU\Software\Tarvikon", "/f")
        wine.reg("add", SETTINGS_KEY, "/v", "Server", "/t", "REG_SZ", "/d", "127.0.0.1", "/f")
        wine.reg("add", SETTINGS_KEY, "/v", "Port", "/t", "REG_DWORD", "/d", str(server.port), "/f")
        driver = Driver(wine, options.driver)
        print("two players on %d discs stored before, in %s" % (len(before_ids), folder), flush=True)
        for i, sheet in enumerate(sheets):
            players.append(Player(wine, options.player, folder, sheet, os.path.join(options.work, "wine%d.log" % i)))

        # Both identify and store their disc at start; a refused store leaves its message box up.
        deadline = time.monotonic() + 90
        answer = {}
        while time.monotonic() < deadline:
            answer = driver("players")
            ready = answer.get("players", [])
            done = [p for p in ready if p["windows"] or any(line.startswith("Action: CDDB") for line in p["lines"])]
            if len(ready) == 2 and len(done) == 2:
                break
            time.sleep(0.5)
        states = answer.get("players", [])
        if len(states) != 2:
            print("  last answer: %r" % answer)
        for state in states:
            print("  player %d: %s; %d windows" % (state["pid"], " | ".join(state["lines"][-2:]), len(state["windows"])))
        checks.equal(len(states), 2, "both players run")
        boxes = [w for p in states for w in p["windows"]]
        checks.check(all(w["text"] in REFUSALS for w in boxes),
                     "a message box, if any, is a store refused because the other player held the files",
                     repr(boxes))
        checks.check(len(boxes) <= 1, "at most one store is refused", repr(boxes))

        with open(os.path.join(folder, "titles.sdb"), "rb") as f:
            titles = f.read()
        with open(os.path.join(folder, "tracks.sdb"), "rb") as f:
            tracks = f.read()
        title_ids = [struct.unpack_from("<I", r)[0] for r in records(titles, 104)]
        stored = [d for d in discs if d.disc_id in title_ids]
        checks.equal(len(stored), 2 - len(boxes), "every disc whose store was not refused is stored")
        checks.equal(set(title_ids) - {d.disc_id for d in stored}, before_ids, "every disc stored before is still there")
        checks.check(title_ids[:-1] == sorted(title_ids[:-1]), "titles sorted by id but for the last stored")
        checks.equal(set(records(titles, 104)) >= set(records(before_titles, 104)), True,
                     "the earlier title records are unchanged")
        checks.equal(tracks[24:len(before_tracks)], before_tracks[24:], "the earlier track records are unchanged, in order")
        runs = {}
        previous = None
        for record in records(tracks, 84):
            disc_id = struct.unpack_from("<I", record)[0]
            if disc_id != previous:
                runs[disc_id] = runs.get(disc_id, 0) + 1
            previous = disc_id
        checks.equal([disc_id for disc_id, count in runs.items() if count != 1], [], "every disc has one run of tracks")
        checks.equal(sorted(runs), sorted(title_ids), "the tracks belong to the stored discs")
        checks.equal(sorted(os.listdir(folder)), ["titles.sdb", "tracks.sdb"], "no temporary file is left")
    finally:
        server.stop()
        for player in players:
            player.kill()
        wine.stop_all()
    return checks.summary()


if __name__ == "__main__":
    sys.exit(main())
