"""What the player must show and write, built here from the CUE sheet, the server's xmcd entry and
the file formats, without any of the player's code: the disc's table of contents as a drive reports
it, the disc id, the database records, the report lines, the pages and the tree texts."""

import re
import struct

FRAMES_PER_SECOND = 75
PREGAP_FRAMES = 150  # a drive reports a single-session disc 2 seconds after the data file's start

LIGHT_RED = (255, 128, 128)
WHITE = (255, 255, 255)
OLIVE = (128, 128, 0)
ORANGE = (255, 128, 0)

MAKER_SITE = "http://www.discdeck.example/"
MAKER_DOMAIN = "www.discdeck.example.net"
MAKER_EMAIL = "info@discdeck.example"

MODE_PLAY = 526


def _frames(msf):
    minutes, seconds, frames = (int(part) for part in msf.split(":"))
    return (minutes * 60 + seconds) * FRAMES_PER_SECOND + frames


class Disc:
    """A disc as the drive reports it: absolute start frames of the tracks and of the lead-out."""

    def __init__(self, starts, lead_out):
        self.starts = starts
        self.lead_out = lead_out

    @classmethod
    def from_cue(cls, path):
        # The demo sheets name no data file that exists: "REM LEADOUT" gives the data's length.
        starts = []
        lead_out = None
        with open(path, encoding="latin-1") as sheet:
            for line in sheet:
                words = line.split()
                if words[:2] == ["INDEX", "01"]:
                    starts.append(_frames(words[2]) + PREGAP_FRAMES)
                elif words[:2] == ["REM", "LEADOUT"]:
                    lead_out = _frames(words[2]) + PREGAP_FRAMES
        if not starts or lead_out is None:
            raise ValueError("%s: no tracks or no REM LEADOUT" % path)
        return cls(starts, lead_out)

    @property
    def count(self):
        return len(self.starts)

    def start_ms(self, track):
        """Start of track (1-based), in milliseconds as the drive gives positions."""
        return self.starts[track - 1] * 1000 // FRAMES_PER_SECOND

    def length_ms(self, track):
        """Length of track as the drive reports it: the last track one frame short of the lead-out."""
        end = self.starts[track] if track < self.count else self.lead_out - 1
        return (end - self.starts[track - 1]) * 1000 // FRAMES_PER_SECOND

    @property
    def lead_out_seconds(self):
        return self.lead_out // FRAMES_PER_SECOND

    @property
    def lead_out_ms(self):
        # The player keeps the lead-out in whole seconds.
        return self.lead_out_seconds * 1000

    def stored_length_ms(self, track):
        """A track's length in the database: the next track's start (or the lead-out) minus its own."""
        end = self.start_ms(track + 1) if track < self.count else self.lead_out_ms
        return end - self.start_ms(track)

    @property
    def disc_id(self):
        def digit_sum(n):
            return sum(int(d) for d in str(n))

        n = sum(digit_sum(start // FRAMES_PER_SECOND) for start in self.starts)
        t = self.lead_out_seconds - self.starts[0] // FRAMES_PER_SECOND
        return (n % 255) << 24 | t << 8 | self.count

    def query_command(self):
        offsets = " ".join(str(start) for start in self.starts)
        return "CDDB QUERY %08x %d %s %d" % (self.disc_id, self.count, offsets, self.lead_out_seconds)


class Entry:
    """An xmcd entry file: the first DTITLE line and the track titles (continuation lines joined)."""

    def __init__(self, path, category):
        self.category = category
        with open(path, "rb") as f:
            data = f.read()
        # UTF-8 as gnudb keeps entries; older files are Latin-1 (the server reads them the same way).
        try:
            text = data.decode("utf-8")
        except UnicodeDecodeError:
            text = data.decode("latin-1")
        lines = text.replace("\r\n", "\n").split("\n")
        titles = [line[7:] for line in lines if line.startswith("DTITLE=")]
        self.disc_title = titles[0] if titles else ""
        self.track_titles = {}
        for line in lines:
            m = re.match(r"TTITLE(\d+)=(.*)$", line)
            if m:
                index = int(m.group(1))
                self.track_titles[index] = self.track_titles.get(index, "") + m.group(2)

    def track_title(self, track):
        return self.track_titles.get(track - 1, "")


class SheetTitles:
    """The titles a CUE sheet carries, shown in place of a server's entry while no one knows the disc:
    "PERFORMER / TITLE" of the disc, each track's TITLE."""

    def __init__(self, path):
        disc = {}
        self.track_titles = {}
        track = None
        with open(path, encoding="utf-8") as sheet:
            for line in sheet:
                words = line.split(None, 1)
                if not words:
                    continue
                value = words[1].strip().strip('"') if len(words) > 1 else ""
                if words[0] == "TRACK":
                    track = int(value.split()[0]) - 1
                elif words[0] in ("TITLE", "PERFORMER"):
                    if track is None:
                        disc[words[0]] = value
                    elif words[0] == "TITLE":
                        self.track_titles[track] = value
        self.disc_title = " / ".join(disc[key] for key in ("PERFORMER", "TITLE") if key in disc)

    def track_title(self, track):
        return self.track_titles.get(track - 1, "")


# ---- database files

def stored(text, limit=69):
    """A text as a record field keeps it: at most limit UTF-8 bytes, cut at a character's end."""
    while len(text.encode("utf-8")) > limit:
        text = text[:-1]
    return text


def _field(text, width, limit=None):
    data = stored(text, limit if limit is not None else width).encode("utf-8")
    return data + b"\0" * (width - len(data))


def record_file(record_length, records, version=b"2.00"):
    header = b"Tarvikon" + version + struct.pack("<III", len(records), record_length, 24)
    return header + b"".join(records)


def title_record(disc, entry):
    return (struct.pack("<I", disc.disc_id) + _field(entry.disc_title, 70, 69) + _field(entry.category, 20)
            + b"\0\0" + struct.pack("<II", disc.lead_out_ms, disc.count))


def track_records(disc, entry):
    return [struct.pack("<II", disc.disc_id, track) + _field(entry.track_title(track), 70, 69) + b"\0\0"
            + struct.pack("<I", disc.stored_length_ms(track)) for track in range(1, disc.count + 1)]


def titles_sdb(discs):
    """titles.sdb after storing these (disc, entry) pairs into an empty folder, one at a time."""
    return record_file(104, [title_record(d, e) for d, e in discs])


def tracks_sdb(discs):
    return record_file(84, [record for d, e in discs for record in track_records(d, e)])


# ---- the report in the list

def report_lines(disc, entry, current_track, action, mode=MODE_PLAY, status=0):
    """The information report: (text, colour) per line."""
    mode_names = {524: "Drive is not ready", 525: "Stop", 526: "Play", 527: "Record", 528: "Seek", 529: "Pause",
                  530: "Open"}
    lines = [("Title: %s" % (entry.disc_title if entry and entry.disc_title else "unknown"), LIGHT_RED)]
    for track in range(1, disc.count + 1):
        seconds = disc.length_ms(track) // 1000
        title = entry.track_title(track) if entry else ""
        lines.append(("Track %02d: %02d:%02d %-90.90s" % (track, seconds // 60, seconds % 60, title), WHITE))
    lead_minutes, lead_seconds = divmod(disc.lead_out_seconds, 60)
    average = (disc.lead_out_ms - disc.start_ms(1)) // disc.count // 1000
    summary = [
        "Total tracks: %02d" % disc.count,
        "Total time: %02d:%02d (%d sec)" % (lead_minutes, lead_seconds, lead_minutes * 60 + lead_seconds),
        "Current track: %02d" % current_track,
        "Average time: %02d:%02d (%d sec)" % (average // 60, average % 60, average),
        "Mode: %s [%x]" % (mode_names.get(mode, "not define"), mode),
        "Action: %s" % action,
        "Status: %d" % status,
    ]
    return lines + [(text, OLIVE) for text in summary]


def reply_lines(body):
    """A CDDB reply as the list shows it: lines end at LF or BEL; "`.'" not followed by ")" ends the
    display; only bytes 32-127 are kept; a line holds at most 255 characters; an unfinished last
    line is not shown."""
    lines = []
    current = bytearray()
    i = 0
    while i < len(body) and body[i] != 0:
        c = body[i]
        if c in (10, 7):
            lines.append(current.decode("ascii"))
            current = bytearray()
        elif body[i:i + 3] == b"`.'" and body[i + 3:i + 4] != b")":
            return lines
        elif 32 <= c <= 127 and len(current) < 255:
            current.append(c)
        i += 1
    return lines


def title_txt(lines):
    return "".join(text + "\n" for text in lines).encode("utf-8")


# ---- pages

def _escape(text):
    return text.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;").replace('"', "&quot;")


PAGE_HEAD = "".join([
    "<html>",
    '<meta charset="utf-8">',
    "<title>TarvikCDDB Play List</title>",
    '<body bgcolor="#333333" text="#FFCC33" link="#FFCC33" vlink="#FFCC33" alink="#FFCC33">',
    '<table width="98%" border="0" cellspacing="0" cellpadding="3" vspace="0" hspace="0" align="center">',
    '<tr bgcolor="#000066">',
    '<td height="2">',
    '<div align="left"> <font face="Arial" size="4"> <font size="3">',
    "<b>TarvikCDDB Play List </b></font></font> </div>",
    '<hr width="100%" size="1" align="center" noshade>',
    "</td>",
    "</tr>",
    '<tr bgcolor="#000066">',
    "<td>",
    '<div align="left"><font face="Arial"><!--header-->',
])

PAGE_MIDDLE = "".join([
    "</font></div>",
    "</td>",
    "</tr>",
    '<tr bgcolor="#000033">',
    "<td>",
    '<p><font face="Arial"><!--songs--></font></p>',
])

PAGE_TAIL = "".join([
    "</td>",
    "</tr>",
    '<tr bgcolor="#000066">',
    '<td><font size="-2" face="Arial">Play List is generated by TarvikCDDB ; URL:'
    '<a href="%s">%s</a>; e-mail:<a href="mailto:%s"> %s</a></font></td>'
    % (MAKER_SITE, MAKER_DOMAIN, MAKER_EMAIL, MAKER_EMAIL),
    "</tr>",
    "</table>",
    "</html>",
])


def play_list_htm(disc, entry):
    lead_minutes, lead_seconds = divmod(disc.lead_out_seconds, 60)
    page = PAGE_HEAD
    page += "<H4>%s</H4><BR>" % _escape(entry.disc_title)
    page += "Total tracks: %02d&nbsp;&nbsp;" % disc.count
    page += "Total time:   %02d:%02d (%d sec)&nbsp;&nbsp;" % (lead_minutes, lead_seconds,
                                                              lead_minutes * 60 + lead_seconds)
    page += PAGE_MIDDLE
    for track in range(1, disc.count + 1):
        seconds = disc.length_ms(track) // 1000
        page += "<B>%02d - (%02d:%02d) %s</B><BR>" % (track, seconds // 60, seconds % 60,
                                                      _escape("%-90.90s" % entry.track_title(track)))
    return (page + PAGE_TAIL).encode("utf-8")


def _minutes_seconds(ms):
    return ms // 60000, ms // 1000 % 60


def titles_htm(discs, with_tracks):
    """The titles report of the stored (disc, entry) pairs, sorted by title text."""
    page = PAGE_HEAD
    for disc, entry in sorted(discs, key=lambda pair: stored(pair[1].disc_title).encode("utf-8")):
        minutes, seconds = _minutes_seconds(disc.lead_out_ms)
        page += ("<H4>%s&nbsp;&nbsp;Total tracks: %02d&nbsp;&nbsp;Total time:   %02d:%02d (%06d sec)</H4>"
                 % (_escape("%60.60s" % stored(entry.disc_title)), disc.count, minutes, seconds,
                    disc.lead_out_ms // 1000))
        if with_tracks:
            for track in range(1, disc.count + 1):
                minutes, seconds = _minutes_seconds(disc.stored_length_ms(track))
                page += "%02d - (%02d:%02d)&nbsp;&nbsp;%s&nbsp;&nbsp;<BR>" % (
                    track, minutes, seconds, _escape("%60.60s" % stored(entry.track_title(track))))
    return (page + PAGE_MIDDLE + PAGE_TAIL).encode("utf-8")


# ---- the database preview

def preview_tree(discs):
    tree = []
    for disc, entry in sorted(discs, key=lambda pair: stored(pair[1].disc_title).encode("utf-8")):
        children = []
        for track in range(1, disc.count + 1):
            minutes, seconds = _minutes_seconds(disc.stored_length_ms(track))
            children.append({"text": "%02d - (%02d:%02d): %s" % (track, minutes, seconds,
                                                                  stored(entry.track_title(track))),
                             "children": []})
        tree.append({"text": "%s - %s" % (stored(entry.disc_title), entry.category), "children": children})
    return tree


def preview_counts(discs):
    return "Titles: %4d         Tracks: %4d" % (len(discs), sum(d.count for d, _ in discs))
