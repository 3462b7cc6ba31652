#!/usr/bin/python3
"""End-to-end scenario: the real discdeck.exe under Wine, the local CDDB server and a virtual disc,
driven from outside through window messages by the driver program. See README.md here.

Exit code 0 when every check passed, 1 otherwise (2 when the run could not be set up)."""

import os
import re
import shutil
import sys
import time
import traceback
import urllib.parse

sys.dont_write_bytecode = True  # no __pycache__ in the source tree

import expected as x  # noqa: E402 - after the line above
from harness import Checks, CddbServer, Driver, Player, Screenshots, Wine, run_suite, windows_path  # noqa: E402

# Player window controls.
LIST, HELP, VER, MOTD, DATABASE, SERVER, PORT, LSCAT, DISC_ID, CATEGORY, LYRICS = (
    1000, 1003, 1004, 1007, 1008, 1011, 1012, 1013, 1017, 1018, 1019)
PLAY, PAUSE, EXIT, ABOUT = 1032, 1034, 1037, 1040
# Database preview controls.
PREVIEW_OK, PREVIEW_REPORT, PREVIEW_TRACKS = 1, 1056, 1057

POLL_SECONDS = 5
# Generous limits for what the player does on its own: two polls plus a CDDB look-up, on a
# machine that may be busy with other builds.
DISC_CHANGE_LIMIT = 2 * POLL_SECONDS + 10
CDDB_WAIT_SECONDS = 5
UNABLE_TO_CONNECT = "Unable to connect CDDB server ..."
CAPTION = "Tarvik CDDB Player"
INITIAL_DISC_ID, INITIAL_CATEGORY = "470a6507", "rock"


def report_of(state):
    return list(zip(state.get("lines", []), state.get("rgb", [])))


def play_pause(state):
    """Whether PLAY and PAUSE are enabled (the driver also reports the exchange buttons)."""
    enabled = state.get("enabled", {})
    return {key: enabled.get(key) for key in (str(PLAY), str(PAUSE))}


def has_action(action):
    """The report with this action is complete (its last two lines are the action and the status)."""
    return lambda state: state["lines"][-2:-1] == ["Action: %s" % action] and state["lines"][-1].startswith("Status:")


def signed16(port):
    return port - 65536 if port >= 32768 else port


def commands_received(requests):
    """The CDDB commands in the server's request log, in order."""
    commands = []
    for path in requests:
        query = urllib.parse.urlsplit(path).query
        commands.append(urllib.parse.parse_qs(query).get("cmd", [""])[0])
    return commands


class Scenario:
    def __init__(self, options):
        self.options = options
        self.checks = Checks()
        self.source = options.source_dir
        self.work = options.work
        self.player_dir = os.path.join(self.work, "player")
        self.sheet = os.path.join(self.work, "drive", "disc.cue")
        self.shell_log = os.path.join(self.work, "shell-open.log")
        self.artifacts = options.artifacts
        self.shots = Screenshots(self.artifacts)
        self.demo = x.Disc.from_cue(os.path.join(self.source, "demo", "demo.cue"))
        self.second = x.Disc.from_cue(os.path.join(self.source, "demo", "second.cue"))
        self.entry = x.Entry(os.path.join(self.source, "demo", "cddb", "rock", "8409a30a"), "rock")
        self.stored = [(self.demo, self.entry)]
        self.player = None

    # ---- set-up

    def prepare(self):
        for folder in (self.work, self.artifacts):
            shutil.rmtree(folder, ignore_errors=True)
        os.makedirs(self.player_dir)
        os.makedirs(os.path.dirname(self.sheet))
        os.makedirs(self.artifacts, exist_ok=True)
        self.wine = Wine(self.options.prefix, self.source)
        self.driver = Driver(self.wine, self.options.driver)
        # A first start: no settings stored.
        self.wine.reg("delete", r"HKCU\Software\Tarvikon", "/f")
        # The shell's "open" of pages and web addresses records what it was given instead of starting
        # Wine's browser.
        handler = '"%s" shell-open "%s" "%%1"' % (windows_path(self.options.driver), windows_path(self.shell_log))
        self.wine.reg("add", r"HKCR\.htm", "/ve", "/d", "htmlfile", "/f")
        for key in (r"HKCR\htmlfile\shell\open\command", r"HKCR\http\shell\open\command"):
            self.wine.reg("add", key, "/ve", "/d", handler, "/f")
        # The second demo disc has no entry of its own: the server offers the demo album's two entries
        # as inexact matches.
        second_id = "%08x" % self.second.disc_id
        self.server = CddbServer(self.source, self.work,
                                 ["--inexact", second_id + "=folk/8909a70a", "--inexact", second_id + "=rock/8409a30a"])
        self.server.start()
        print("CDDB server on 127.0.0.1:%d; player folder %s" % (self.server.port, self.player_dir), flush=True)

    def start_player(self):
        self.player = Player(self.wine, self.options.player, self.player_dir, self.sheet,
                             os.path.join(self.work, "player-wine.log"))
        state, _ = self.driver.wait_for(lambda s: True, 60)
        return state

    def shell_opens(self, count, seconds=10):
        """The first count targets the shell was asked to open (the handler runs as its own process)."""
        deadline = time.monotonic() + seconds
        while True:
            try:
                with open(self.shell_log, encoding="utf-8", errors="replace") as f:
                    lines = [line.strip().strip('"') for line in f if line.strip()]
            except OSError:
                lines = []
            if len(lines) >= count or time.monotonic() > deadline:
                return lines
            time.sleep(0.2)

    def file_bytes(self, name):
        try:
            with open(os.path.join(self.player_dir, name), "rb") as f:
                return f.read()
        except OSError:
            return None

    # ---- the steps

    def first_start_without_disc(self):
        print("1. First start: empty registry, no disc", flush=True)
        c = self.checks
        state = self.start_player()
        if not c.check("error" not in state, "the player window is there", state.get("error", "")):
            return False
        self.shots.take("01-first-start-no-disc")
        c.equal(report_of(state), [("Title: unknown", x.LIGHT_RED)] + [
            (line, x.OLIVE) for line in ("Total tracks: 00", "Total time: 00:00 (0 sec)", "Current track: 00",
                                         "Average time: 00:00 (0 sec)", "Mode: not define [0]", "Action: ERROR",
                                         "Status: 11")], "without a disc the first PLAY fails: the ERROR report")
        c.equal(state["caption"], CAPTION, "the caption")
        c.check(state["fields"][str(SERVER)] not in ("", "127.0.0.1"), "the server field holds the built-in server",
                state["fields"][str(SERVER)])
        c.equal(state["fields"][str(PORT)], "80", "the port field holds the default port 80")
        c.equal((state["fields"][str(DISC_ID)], state["fields"][str(CATEGORY)]), (INITIAL_DISC_ID, INITIAL_CATEGORY),
                "disc id and category fields hold their initial texts")
        c.equal(play_pause(state), {str(PLAY): True, str(PAUSE): False}, "PLAY enabled, PAUSE disabled")

        # The poll (timer 2) only tries the drive again while it stays empty: the report stays.
        time.sleep(POLL_SECONDS + 1.5)
        later = self.driver.state()
        c.equal((later.get("lines"), later.get("caption")), (state["lines"], state["caption"]),
                "after a poll with the drive still empty the ERROR report and the caption stay")
        self.shots.take("01-after-poll")
        c.equal(self.server.requests(), [], "nothing was asked of any CDDB server")
        c.equal(self.wine.query_settings(), {}, "no settings are stored before the exit button")

        # The user points the player at the local server.
        c.equal(self.driver("settext", SERVER, "127.0.0.1").get("text"), "127.0.0.1", "typing the server")
        c.equal(self.driver("settext", PORT, self.server.port).get("text"), str(self.server.port), "typing the port")
        return True

    def insert_demo_disc(self):
        print("2. Insert the demo disc", flush=True)
        c = self.checks
        shutil.copyfile(os.path.join(self.source, "demo", "demo.cue"), self.sheet)
        state, took = self.driver.wait_for(has_action("CDDB"), DISC_CHANGE_LIMIT)
        if not c.check(took is not None, "the inserted disc plays by itself and is looked up",
                       "last state: %r" % state):
            return False
        print("       (identified %.1f s after the insertion; the poll runs every %d s)" % (took, POLL_SECONDS))
        c.equal(report_of(state), x.report_lines(self.demo, self.entry, 1, "CDDB"),
                "the report shows the server's titles, the disc's times and the CDDB action")
        c.equal(state["selected"], 1, "the current track's line is selected")
        c.equal((state["fields"][str(DISC_ID)], state["fields"][str(CATEGORY)]), ("%8x" % self.demo.disc_id, "rock"),
                "disc id and category fields show the identified disc")
        c.equal(play_pause(state), {str(PLAY): False, str(PAUSE): True}, "playing: PLAY disabled, PAUSE enabled")
        c.equal(commands_received(self.server.requests()),
                [self.demo.query_command(), "CDDB READ rock %08x" % self.demo.disc_id],
                "the player sent the disc's query and then read the exact match")
        c.same_bytes(os.path.join(self.player_dir, "titles.sdb"), x.titles_sdb(self.stored),
                     "titles.sdb holds the identified disc", self.artifacts)
        c.same_bytes(os.path.join(self.player_dir, "tracks.sdb"), x.tracks_sdb(self.stored),
                     "tracks.sdb holds its ten tracks", self.artifacts)
        c.equal(state["windows"], [], "no message box")
        ticking, _ = self.driver.wait_for(lambda s: re.fullmatch(r"\d\d:\d\d \[01\]", s["caption"]) is not None, 5)
        c.check(re.fullmatch(r"\d\d:\d\d \[01\]", ticking.get("caption", "")) is not None,
                "the caption counts down track 1", ticking.get("caption", ""))
        c.check(ticking.get("title", "").startswith("Track: 01  Elapsed: "), "the title line shows the times",
                ticking.get("title", ""))
        self.shots.take("02-demo-disc-identified")
        return True

    def server_commands(self):
        print("3. Server information commands; the server stops", flush=True)
        c = self.checks
        for button, command, shot in ((HELP, "HELP", "03-help"), (LSCAT, "CDDB LSCAT", "03-lscat")):
            c.check("error" not in self.driver("click", button), "%s clicked" % command)
            lines = x.reply_lines(self.server.fetch(command))
            # The exchange runs beside the window: the click returns at once, the reply follows.
            state, _ = self.driver.wait_for(lambda s: s["lines"] == lines, CDDB_WAIT_SECONDS + 5)
            c.equal(report_of(state), [(line, x.ORANGE) for line in lines],
                    "%s: the list shows the server's reply line by line in orange" % command)
            self.shots.take(shot)
        before = self.driver.state()

        self.server.stop()
        started = time.monotonic()
        clicked = self.driver("click", MOTD)
        state, _ = self.driver.wait_for(lambda s: len(s["lines"]) == len(before["lines"]) + 2, CDDB_WAIT_SECONDS + 5)
        took = time.monotonic() - started
        c.check("error" not in clicked, "MOTD clicked with the server stopped", clicked.get("error", ""))
        c.equal(report_of(state)[:-1], report_of(before) + [(UNABLE_TO_CONNECT, x.ORANGE)],
                "a stopped server: the list keeps its lines and gets \"%s\" in orange" % UNABLE_TO_CONNECT)
        reason = report_of(state)[-1:]
        c.check(len(reason) == 1 and reason[0][0] != "" and reason[0][1] == x.LIGHT_RED,
                "the reason (the system's words for the refused connection) stays below it in light red", reason)
        c.check(took <= CDDB_WAIT_SECONDS + 5, "the failure shows within the CDDB time limit",
                "the command took %.1f s" % took)
        print("       (MOTD answered in %.1f s; title line: %r)" % (took, state.get("title")))
        self.shots.take("03-server-stopped")
        self.server.start(self.server.port)

    def database(self):
        print("4. Database button, preview and titles report", flush=True)
        c = self.checks
        # A reply line holds no "Track": its double-click shows the report again.
        self.driver("dblclick", 0)
        state = self.driver.state()
        c.equal(report_of(state), x.report_lines(self.demo, self.entry, 1, "INFO"),
                "double-click on a reply line: the INFO report")
        self.driver("dblclick", 3)
        state = self.driver.state()
        select_report = x.report_lines(self.demo, self.entry, 3, "Select")
        c.equal(report_of(state), select_report, "double-click on the line of track 3 plays it: the Select report")
        c.equal(state["selected"], 3, "track 3's line is selected")
        self.shots.take("04-track-3-selected")

        titles_before, tracks_before = self.file_bytes("titles.sdb"), self.file_bytes("tracks.sdb")
        c.check("error" not in self.driver("click", DATABASE, "--post"), "database button clicked")
        preview = self.driver("preview", 20)
        if not c.check("error" not in preview, "the Database Preview dialog shows", preview.get("error", "")):
            return
        self.shots.take("04-database-preview")
        c.same_bytes(os.path.join(self.player_dir, "Title.txt"), x.title_txt([t for t, _ in select_report]),
                     "Title.txt holds the list's lines", self.artifacts)
        c.check(self.file_bytes("titles.sdb") == titles_before and self.file_bytes("tracks.sdb") == tracks_before,
                "storing a disc that is already stored changes neither database file")
        c.equal(preview["tree"], x.preview_tree(self.stored), "the preview's tree: the disc and its tracks")
        c.equal(preview["counts"], x.preview_counts(self.stored), "the preview's counts line")
        c.equal(preview["tracksChecked"], False, "\"+ Tracks\" starts unchecked")

        self.driver("preview-click", PREVIEW_REPORT)
        c.same_bytes(os.path.join(self.player_dir, "Titles.htm"), x.titles_htm(self.stored, False),
                     "Report writes Titles.htm with the disc lines", self.artifacts)
        self.driver("preview-click", PREVIEW_TRACKS)
        c.equal(self.driver("preview").get("tracksChecked"), True, "\"+ Tracks\" checked")
        self.driver("preview-click", PREVIEW_REPORT)
        c.same_bytes(os.path.join(self.player_dir, "Titles.htm"), x.titles_htm(self.stored, True),
                     "with \"+ Tracks\" Titles.htm also lists the tracks", self.artifacts)
        self.shots.take("04-titles-report-written")
        opened = self.shell_opens(2)
        c.equal(opened, [windows_path(os.path.join(self.player_dir, "Titles.htm"))] * 2,
                "each report is opened through the shell")

        self.driver("preview-click", PREVIEW_OK)
        gone = self.driver("preview", 1)
        c.check("error" in gone, "OK closes the preview")
        state = self.driver.state()
        c.check("error" not in state, "the player answers again")
        c.equal(state.get("windows"), [], "no other window of the player is left open")

    def right_button(self):
        print("5. Right button: play list; about and lyrics", flush=True)
        c = self.checks
        answer = self.driver("rbutton")
        c.check("error" not in answer, "right button pressed on the face", answer.get("error", ""))
        c.same_bytes(os.path.join(self.player_dir, "PlayList.htm"), x.play_list_htm(self.demo, self.entry),
                     "PlayList.htm holds the disc's play list", self.artifacts)
        self.driver("click", ABOUT)
        self.driver("click", LYRICS)
        opened = self.shell_opens(5)[2:]
        c.equal(opened[:2], [windows_path(os.path.join(self.player_dir, "PlayList.htm")), x.MAKER_SITE],
                "the play list and the maker's site are opened through the shell")
        lyrics = opened[2] if len(opened) > 2 else ""
        c.check(lyrics.startswith("http://") and lyrics.endswith(
            "/search/checknormal.asp?bands=Orvo+Lindqvist&label=&song=&match=like"),
                "the lyrics search asks for the disc's artist", lyrics)
        self.shots.take("05-play-list-exported")

    def exit_and_restart(self):
        print("6. Exit saves the settings; a second start finds the disc locally", flush=True)
        c = self.checks
        c.equal(self.wine.query_settings(), {}, "still no settings stored before the exit button")
        self.driver("click", EXIT)
        code = self.player.wait(30)
        c.equal(code, 0, "the exit button ends the player with exit code 0")
        self.player.kill()
        c.equal(self.wine.query_settings(), {
            "Server": ("REG_SZ", "127.0.0.1"),
            # The port is kept as a signed 16-bit number and stored widened to 32 bits.
            "Port": ("REG_DWORD", "0x%x" % (signed16(self.server.port) & 0xFFFFFFFF)),
        }, "Server and Port are stored")

        asked = len(self.server.requests())
        state = self.start_player()
        state, _ = self.driver.wait_for(has_action("Database"), 20)
        c.equal(report_of(state), x.report_lines(self.demo, self.entry, 1, "Database"),
                "the second start plays the disc with the stored titles: the Database report")
        c.equal(self.server.requests()[asked:], [], "the disc was found locally: the server was not asked")
        c.equal((state["fields"][str(SERVER)], state["fields"][str(PORT)]),
                ("127.0.0.1", str(signed16(self.server.port))), "the stored server and port are read back")
        c.equal((state["fields"][str(DISC_ID)], state["fields"][str(CATEGORY)]), (INITIAL_DISC_ID, INITIAL_CATEGORY),
                "the local look-up leaves the disc id and category fields alone")
        self.shots.take("06-second-start-database")

    def inexact_match(self):
        print("7. Change discs: a disc the server matches only inexactly", flush=True)
        c = self.checks
        os.remove(self.sheet)
        # The window's texts change one after the other: wait for the last of them, the list.
        no_disc = ("No Audio CD ...", "Please, insert CD ...", [("Audio CD is not available ...", x.ORANGE)])
        state, took = self.driver.wait_for(lambda s: (s["caption"], s["title"], report_of(s)) == no_disc, 10)
        c.equal((state.get("caption"), state.get("title"), report_of(state)), no_disc,
                "taking the disc out: \"No Audio CD ...\" in the caption, the title line asks for a disc and the "
                "list says none is there")
        c.equal(play_pause(state), {str(PLAY): True, str(PAUSE): False}, "stopped: PLAY enabled, PAUSE disabled")
        self.shots.take("07-disc-removed")
        play_list, opened = self.file_bytes("PlayList.htm"), len(self.shell_opens(0, 0))
        self.driver("rbutton")
        time.sleep(1)  # an "open" handler would be a process of its own
        c.check(self.file_bytes("PlayList.htm") == play_list and len(self.shell_opens(0, 0)) == opened,
                "without a disc the right button writes and opens nothing")

        titles_before, tracks_before = self.file_bytes("titles.sdb"), self.file_bytes("tracks.sdb")
        asked = len(self.server.requests())
        shutil.copyfile(os.path.join(self.source, "demo", "second.cue"), self.sheet)
        state, took = self.driver.wait_for(has_action("CDDB"), DISC_CHANGE_LIMIT)
        if not c.check(took is not None, "the second disc plays by itself and is looked up",
                       "last state: %r" % state):
            return
        reply = self.server.fetch(self.second.query_command())
        candidates = x.reply_lines(reply)
        c.check(candidates[:1] == ["211 Found inexact matches, list follows (until terminating `.')"]
                and len(candidates) == 4, "the server answers the second disc's query with two candidates",
                repr(candidates))
        c.equal(commands_received(self.server.requests()[asked:]), [self.second.query_command()],
                "the player sent the query and read nothing after the inexact answer")
        second_titles = x.SheetTitles(os.path.join(self.source, "demo", "second.cue"))
        c.equal(report_of(state), x.report_lines(self.second, second_titles, 1, "CDDB"),
                "the report shows the sheet's own titles for the unidentified disc; the candidates are not shown")
        c.equal((state["fields"][str(DISC_ID)], state["fields"][str(CATEGORY)]), ("%8x" % self.second.disc_id, ""),
                "the disc id field shows the new disc, the category field is empty")
        c.check(self.file_bytes("titles.sdb") == titles_before and self.file_bytes("tracks.sdb") == tracks_before,
                "nothing was stored for the unidentified disc")
        c.equal(state["windows"], [], "no message box")
        self.shots.take("07-inexact-match")

        # What a user can bring into the list is a server-information reply; its double-click reads
        # a candidate only when that reply is a 211 list.
        self.driver("click", VER)
        version = x.reply_lines(self.server.fetch("VER"))
        state, _ = self.driver.wait_for(lambda s: s["lines"] == version, CDDB_WAIT_SECONDS + 5)
        c.equal(report_of(state), [(line, x.ORANGE) for line in version], "VER shows the server's version line")
        asked = len(self.server.requests())
        self.driver("dblclick", 0)
        state = self.driver.state()
        c.equal(report_of(state), x.report_lines(self.second, second_titles, 1, "INFO"),
                "double-click on a reply that is no 211 list: the INFO report")
        c.equal(self.server.requests()[asked:], [], "and no read is sent")
        self.shots.take("07-reply-double-clicked")
        ticking, _ = self.driver.wait_for(lambda s: re.fullmatch(r"\d\d:\d\d \[01\]", s["caption"]) is not None, 5)
        c.check(ticking.get("title", "").startswith("Track: 01  Elapsed: "),
                "the second disc plays on: the title line shows its times", ticking.get("title", ""))
        self.shots.take("07-second-disc-playing")

    def finish(self):
        if self.player is not None and self.player.running():
            self.driver("click", EXIT)
            self.player.wait(30)
            self.player.kill()

    def run(self):
        try:
            self.prepare()
        except Exception as error:  # noqa: BLE001 - reported, the run cannot go on
            print("set-up failed: %s" % error)
            self.cleanup()
            return 2
        try:
            # Each step builds on the ones before: the first that cannot go on ends the scenario.
            steps = (self.first_start_without_disc, self.insert_demo_disc, self.server_commands, self.database,
                     self.right_button, self.exit_and_restart, self.inexact_match)
            for step in steps:
                try:
                    if step() is False:
                        break
                except Exception:  # noqa: BLE001 - a broken step is a failed check, then clean up
                    self.checks.check(False, "%s ran to its end" % step.__name__, traceback.format_exc())
                    break
            self.finish()
        finally:
            self.cleanup()
        print("\nscreenshots:\n  " + "\n  ".join(self.shots.taken))
        return self.checks.summary()

    def cleanup(self):
        if getattr(self, "server", None) is not None:
            self.server.stop()
        if self.player is not None:
            self.player.kill()
        if getattr(self, "wine", None) is not None:
            self.wine.stop_all()


if __name__ == "__main__":
    sys.exit(run_suite(__doc__, Scenario))
