#!/usr/bin/python3
"""End-to-end titles in every script: the real discdeck.exe under Wine, with the system's ANSI code
page set through LANG to 1252, 1253, 1251 and 932, identifies three discs at the local CDDB server
(Latin-1 accents; Greek and Cyrillic; Japanese) and must show and write the same characters under
each: the list, the database preview, Title.txt, PlayList.htm, Titles.htm and titles.sdb, all read
back and compared as text. Each folder starts with an old "1.00" database whose titles the player
wrote on that code page (Latin-1 accents on 1252, Greek on 1253, Cyrillic on 1251, Japanese on 932):
they must read and survive the first store as they were, which also shows that Wine ran under the
code page meant. See README.md here.

Exit code 0 when every check passed, 1 otherwise (2 when the run could not be set up)."""

import os
import shutil
import struct
import subprocess
import sys
import traceback

sys.dont_write_bytecode = True  # no __pycache__ in the source tree

import expected as x  # noqa: E402 - after the line above
from harness import Checks, CddbServer, Driver, Player, Screenshots, Wine, run_suite, windows_path  # noqa: E402

DATABASE, EXIT = 1008, 1037
PREVIEW_OK, PREVIEW_REPORT, PREVIEW_TRACKS = 1, 1056, 1057
SETTINGS_KEY = r"HKCU\Software\Tarvikon\discdeck\Settings"
# LANG and the ANSI code page Wine takes from it.
LOCALES = [("C.UTF-8", 1252), ("el_GR.UTF-8", 1253), ("ru_RU.UTF-8", 1251), ("ja_JP.UTF-8", 932)]
# Three discs: category, title line, track titles, track starts in seconds, lead-out in seconds.
DISCS = [
    ("misc", "Bj\u00f6rk Gu\u00f0mundsd\u00f3ttir / Caf\u00e9 M\u00fcller",
     ["\u00de\u00fa ert", "\u00c9g s\u00e9 \u00feig", "Se\u00f1or Ni\u00f1o \u00e0 la cr\u00e8me"], (0, 200, 410), 600),
    ("rock", "\u03a3\u03c9\u03ba\u03c1\u03ac\u03c4\u03b7\u03c2 \u039c\u03ac\u03bb\u03b1\u03bc\u03b1\u03c2 / "
             "\u041a\u0438\u043d\u043e",
     ["\u03a8\u03b1\u03c1\u03ac\u03b4\u03b5\u03c2", "\u0413\u0440\u0443\u043f\u043f\u0430 \u043a\u0440\u043e\u0432\u0438",
      # Longer than a record field: cut at a letter's end in the database, whole in the list.
      "\u0417\u0432\u0435\u0437\u0434\u0430 \u043f\u043e \u0438\u043c\u0435\u043d\u0438 "
      "\u0421\u043e\u043b\u043d\u0446\u0435 \u0438 \u0432\u0441\u0435 \u0434\u0440\u0443\u0433\u0438\u0435"],
     (0, 180, 390, 500), 700),
    ("folk", "\u65e5\u672c\u8a9e\u306e\u6b4c / \u6771\u4eac\u306e\u591c",
     ["\u685c\u306e\u5b63\u7bc0", "\u96e8\u306e\u65e5", "\u591c\u660e\u3051\u306e\u5149"], (0, 150, 300), 480),
]
# The old database's one disc as the player wrote it on each code page: title line, track title.
OLD = {
    1252: ("\u00c5ngstr\u00f6m / Cr\u00e8me br\u00fbl\u00e9e", "D\u00e9j\u00e0 vu"),
    1253: ("\u039c\u03af\u03ba\u03b7\u03c2 / \u0396\u03bf\u03c1\u03bc\u03c0\u03ac\u03c2", "\u03a3\u03b9\u03c1\u03c4\u03ac\u03ba\u03b9"),
    1251: ("\u0412\u0438\u043a\u0442\u043e\u0440 \u0426\u043e\u0439 / \u041a\u0438\u043d\u043e", "\u041f\u0430\u0447\u043a\u0430"),
    932: ("\u5742\u672c\u9f8d\u4e00 / \u6226\u5834", "\u30e1\u30ea\u30fc"),
}


def msf(seconds):
    return "%02d:%02d:00" % (seconds // 60, seconds % 60)


class Stored:
    """An entry as the player stores it (what expected.py builds records and pages from)."""

    def __init__(self, category, title, tracks):
        self.category = category
        self.disc_title = title
        self.tracks = tracks

    def track_title(self, track):
        return self.tracks[track - 1] if track <= len(self.tracks) else ""


def write_disc(folder, data, name, starts, lead_out):
    """A sheet without audio (its REM LEADOUT gives the disc's length) and the CDDB entry for it."""
    sheet = os.path.join(folder, name + ".cue")
    with open(sheet, "w", newline="") as f:
        f.write("REM LEADOUT %s\r\nFILE \"%s.bin\" BINARY\r\n" % (msf(lead_out), name))
        for number, start in enumerate(starts, 1):
            f.write("  TRACK %02d AUDIO\r\n    INDEX 01 %s\r\n" % (number, msf(start)))
    return sheet, x.Disc.from_cue(sheet)


def write_entry(data, disc, category, title, tracks):
    os.makedirs(os.path.join(data, category), exist_ok=True)
    lines = ["# xmcd", "#", "# Track frame offsets:"] + ["#\t%d" % s for s in disc.starts]
    lines += ["#", "# Disc length: %d seconds" % disc.lead_out_seconds, "#", "DISCID=%08x" % disc.disc_id,
              "DTITLE=" + title] + ["TTITLE%d=%s" % (i, t) for i, t in enumerate(tracks)] + ["EXTD=", "PLAYORDER="]
    with open(os.path.join(data, category, "%08x" % disc.disc_id), "wb") as f:
        f.write(("\n".join(lines) + "\n").encode("utf-8"))


def old_database(folder, disc, entry, code_page):
    """titles.sdb and tracks.sdb as the player wrote them before: "1.00", texts in the code page."""
    def field(text, width):
        data = text.encode("cp%d" % code_page)[: width - 1]
        return data + b"\0" * (width - len(data))

    title = (struct.pack("<I", disc.disc_id) + field(entry.disc_title, 70) + field(entry.category, 20) + b"\0\0"
             + struct.pack("<II", disc.lead_out_ms, disc.count))
    tracks = [struct.pack("<II", disc.disc_id, t) + field(entry.track_title(t), 70) + b"\0\0"
              + struct.pack("<I", disc.stored_length_ms(t)) for t in range(1, disc.count + 1)]
    with open(os.path.join(folder, "titles.sdb"), "wb") as f:
        f.write(x.record_file(104, [title], b"1.00"))
    with open(os.path.join(folder, "tracks.sdb"), "wb") as f:
        f.write(x.record_file(84, tracks, b"1.00"))


def records(data, length):
    """A record file's version and its records, sorted (a store keeps them sorted but for the last)."""
    return data[8:12], sorted(data[24 + i:24 + i + length] for i in range(0, len(data) - 24, length))


def text_of(path):
    try:
        with open(path, "rb") as f:
            return f.read().decode("utf-8")
    except (OSError, UnicodeDecodeError) as error:
        return "<%s>" % error


class Scenario:
    def __init__(self, options):
        self.options = options
        self.checks = Checks()
        self.work = options.work
        self.discs_dir = os.path.join(self.work, "discs")
        self.data = os.path.join(self.work, "cddb")
        self.shots = Screenshots(options.artifacts)
        self.player = None
        self.table = []

    def prepare(self):
        for folder in (self.work, self.options.artifacts):
            shutil.rmtree(folder, ignore_errors=True)
        for folder in (self.discs_dir, self.data, self.options.artifacts):
            os.makedirs(folder)
        available = subprocess.run(["locale", "-a"], capture_output=True, text=True).stdout.lower().split()
        missing = [name for name, _ in LOCALES if name.lower().replace("utf-8", "utf8") not in available]
        if missing:
            raise RuntimeError("locales missing (scripts/bootstrap makes them): %s" % ", ".join(missing))
        self.discs = []
        for number, (category, title, tracks, starts, lead_out) in enumerate(DISCS, 1):
            sheet, disc = write_disc(self.discs_dir, self.data, "disc%d" % number, starts, lead_out)
            write_entry(self.data, disc, category, title, tracks)
            self.discs.append((sheet, disc, Stored(category, title, tracks)))
        _, self.old_disc = write_disc(self.discs_dir, self.data, "old", (0,), 200)
        self.server = CddbServer(self.options.source_dir, self.work)
        self.server.data = self.data
        self.server.start()
        self.wine = Wine(self.options.prefix, self.options.source_dir)
        self.driver = Driver(self.wine, self.options.driver)
        # Pages the player opens are recorded instead of starting Wine's browser.
        handler = '"%s" shell-open "%s" "%%1"' % (windows_path(self.options.driver),
                                                   windows_path(os.path.join(self.work, "shell-open.log")))
        self.wine.reg("add", r"HKCR\.htm", "/ve", "/d", "htmlfile", "/f")
        self.wine.reg("add", r"HKCR\htmlfile\shell\open\command", "/ve", "/d", handler, "/f")
        self.wine.reg("add", SETTINGS_KEY, "/v", "Server", "/t", "REG_SZ", "/d", "127.0.0.1", "/f")
        self.wine.reg("add", SETTINGS_KEY, "/v", "Port", "/t", "REG_DWORD", "/d", str(self.server.port), "/f")

    def identify(self, locale, number, sheet, disc, entry, first):
        """Puts the disc in (start or drop) and waits for its CDDB report; True when the list agrees."""
        c = self.checks
        if first:
            self.player = Player(self.wine, self.options.player, self.player_dir, sheet,
                                 os.path.join(self.work, "player-%s.log" % locale))
        else:
            self.driver("drop", windows_path(sheet))
        expected = [text for text, _ in x.report_lines(disc, entry, 1, "CDDB")]
        state, took = self.driver.wait_for(lambda s: s["lines"][:disc.count + 1] == expected[:disc.count + 1]
                                           and s["lines"][-2:-1] == ["Action: CDDB"], 60)
        return c.check(took is not None, "%s: disc %d's titles in the list" % (locale, number),
                       "list: %r" % state.get("lines"))

    def run_locale(self, locale, code_page):
        c = self.checks
        print("LANG=%s (code page %d)" % (locale, code_page), flush=True)
        self.wine.stop_all()
        self.wine.env["LANG"] = locale
        for name in ("LC_ALL", "LC_CTYPE", "LC_MESSAGES"):
            self.wine.env.pop(name, None)
        self.player_dir = os.path.join(self.work, locale)
        os.makedirs(self.player_dir)
        old = Stored("jazz", OLD[code_page][0], [OLD[code_page][1]])
        old_database(self.player_dir, self.old_disc, old, code_page)
        stored = [(self.old_disc, old)]
        row = {"locale": locale, "code page": code_page}
        listed = all([self.identify(locale, n, sheet, disc, entry, n == 1)
                      for n, (sheet, disc, entry) in enumerate(self.discs, 1)])
        stored += [(disc, entry) for _, disc, entry in self.discs]
        row["list"] = listed

        state = self.driver.state()
        self.driver("click", DATABASE, "--post")
        preview = self.driver("preview", 20)
        self.shots.take("codepage-%d-preview" % code_page)
        row["Title.txt"] = c.equal(text_of(os.path.join(self.player_dir, "Title.txt")),
                                   "".join(line + "\n" for line in state.get("lines", [])),
                                   "%s: Title.txt holds the list's lines" % locale)
        row["preview"] = c.equal(preview.get("tree"), x.preview_tree(stored), "%s: the preview's tree" % locale)
        self.driver("preview-click", PREVIEW_TRACKS)
        self.driver("preview-click", PREVIEW_REPORT)
        row["Titles.htm"] = c.equal(text_of(os.path.join(self.player_dir, "Titles.htm")),
                                    x.titles_htm(stored, True).decode("utf-8"), "%s: Titles.htm" % locale)
        self.driver("preview-click", PREVIEW_OK)
        self.driver("rbutton")
        _, last, entry = self.discs[-1]
        row["PlayList.htm"] = c.equal(text_of(os.path.join(self.player_dir, "PlayList.htm")),
                                      x.play_list_htm(last, entry).decode("utf-8"), "%s: PlayList.htm" % locale)
        with open(os.path.join(self.player_dir, "titles.sdb"), "rb") as f:
            titles = records(f.read(), 104)
        with open(os.path.join(self.player_dir, "tracks.sdb"), "rb") as f:
            tracks = records(f.read(), 84)
        row["titles.sdb"] = c.equal(titles, records(x.titles_sdb(stored), 104),
                                    "%s: titles.sdb holds the UTF-8 titles (\"2.00\")" % locale)
        row["tracks.sdb"] = c.equal(tracks, records(x.tracks_sdb(stored), 84), "%s: tracks.sdb" % locale)
        self.driver("click", EXIT)
        c.check(self.player.wait(30) is not None, "%s: the exit button ends the player" % locale)
        self.player = None
        self.table.append(row)

    def print_table(self):
        columns = ["list", "preview", "Title.txt", "PlayList.htm", "Titles.htm", "titles.sdb", "tracks.sdb"]
        print("%-12s %-5s %s" % ("LANG", "ACP", " ".join("%-12s" % name for name in columns)))
        for row in self.table:
            print("%-12s %-5d %s" % (row["locale"], row["code page"],
                                     " ".join("%-12s" % ("same" if row.get(name) else "DIFFERS") for name in columns)))

    def run(self):
        try:
            self.prepare()
        except Exception:
            traceback.print_exc()
            return 2
        try:
            for locale, code_page in LOCALES:
                self.run_locale(locale, code_page)
        except Exception:
            traceback.print_exc()
            self.checks.check(False, "the scenario ran to its end")
        finally:
            if self.player is not None:
                self.player.kill()
            self.wine.stop_all()
            self.server.stop()
        self.print_table()
        return self.checks.summary()


if __name__ == "__main__":
    sys.exit(run_suite(__doc__, Scenario))
