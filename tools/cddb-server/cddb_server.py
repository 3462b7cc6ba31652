#!/usr/bin/python3
"""A local CDDB server speaking the HTTP form of the protocol ("/~cddb/cddb.cgi?cmd=...").

It answers from a directory of entry files in xmcd format, <data>/<category>/<discid>, and has
options that make it misbehave on purpose for tests (slow answers, forced status codes, long
bodies, connections closed early). Python 3 standard library only. See README.md.
"""

import argparse
import os
import re
import signal
import sys
import threading
import time
import urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

CGI_PATH = "/~cddb/cddb.cgi"
CATEGORIES = ["blues", "classical", "country", "data", "folk", "jazz", "misc", "newage", "reggae", "rock",
              "soundtrack"]
CATEGORY_RE = re.compile(r"^[a-z]{1,20}$")
DISCID_RE = re.compile(r"^[0-9a-fA-F]{1,8}$")
LIST_END = "(until terminating `.')"
DEFAULT_DATA = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "demo", "cddb"))


class Entry:
    """One xmcd entry file: its lines, and what the matching needs from its header comments."""

    def __init__(self, category, discid, path):
        self.category = category
        self.discid = discid
        with open(path, "rb") as f:
            data = f.read()
        # Entry files are UTF-8 as gnudb keeps them; older ones are Latin-1.
        try:
            text = data.decode("utf-8")
        except UnicodeDecodeError:
            text = data.decode("latin-1")
        self.lines = text.replace("\r\n", "\n").split("\n")
        if self.lines and self.lines[-1] == "":
            self.lines.pop()
        self.offsets = []
        self.length = None
        in_offsets = False
        for line in self.lines:
            if not line.startswith("#"):
                continue
            body = line[1:].strip()
            if body.startswith("Track frame offsets"):
                in_offsets = True
                continue
            if in_offsets and body.isdigit():
                self.offsets.append(int(body))
                continue
            in_offsets = False
            m = re.match(r"Disc length:\s*(\d+)", body)
            if m:
                self.length = int(m.group(1))

    def dtitle(self):
        # The first DTITLE line, continuation lines joined, as a server lists it.
        values = [line[7:] for line in self.lines if line.startswith("DTITLE=")]
        return "".join(values)


class Database:
    def __init__(self, root):
        self.root = root

    def categories(self):
        found = []
        if os.path.isdir(self.root):
            for name in sorted(os.listdir(self.root)):
                if CATEGORY_RE.match(name) and os.path.isdir(os.path.join(self.root, name)):
                    found.append(name)
        return found

    def entry(self, category, discid):
        if not CATEGORY_RE.match(category) or not DISCID_RE.match(discid):
            return None
        name = "%08x" % int(discid, 16)
        path = os.path.join(self.root, category, name)
        if not os.path.isfile(path):
            return None
        return Entry(category, name, path)

    def entries(self):
        result = []
        for category in self.categories():
            folder = os.path.join(self.root, category)
            for name in sorted(os.listdir(folder)):
                if re.match(r"^[0-9a-f]{8}$", name) and os.path.isfile(os.path.join(folder, name)):
                    result.append(Entry(category, name, os.path.join(folder, name)))
        return result


def crlf(lines):
    return "".join(line + "\r\n" for line in lines)


class CddbServer(ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = True

    def __init__(self, address, options):
        super().__init__(address, CddbHandler)
        self.options = options
        self.database = Database(options.data)
        self.log_lock = threading.Lock()
        self.inexact_map = {}
        self.fuzzy_seconds = None
        for rule in options.inexact:
            if rule.startswith("fuzzy"):
                _, _, seconds = rule.partition(":")
                self.fuzzy_seconds = int(seconds) if seconds else 10
                continue
            query, sep, target = rule.partition("=")
            category, slash, discid = target.partition("/")
            if not sep or not slash or not DISCID_RE.match(query):
                raise SystemExit("--inexact: expected QUERYID=CATEGORY/DISCID or fuzzy[:SECONDS], got %r" % rule)
            self.inexact_map.setdefault("%08x" % int(query, 16), []).append((category, discid))

    def log_path(self, path):
        if not self.options.log:
            return
        with self.log_lock:
            with open(self.options.log, "a", encoding="latin-1") as f:
                f.write(path + "\n")


class CddbHandler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.0"
    server_version = "discdeck-cddbd/1.0"

    def log_message(self, format, *args):  # noqa: A002 - the base class's name
        if self.server.options.verbose:
            sys.stderr.write("cddb-server: " + (format % args) + "\n")

    def do_GET(self):
        options = self.server.options
        self.server.log_path(self.path)
        if options.delay > 0:
            time.sleep(options.delay)
        if options.status is not None:
            self.respond(options.status, "Forced status %d\r\n" % options.status)
            return
        url = urllib.parse.urlsplit(self.path)
        if url.path != CGI_PATH:
            self.respond(404, "Not found\r\n")
            return
        params = urllib.parse.parse_qs(url.query, keep_blank_values=True)
        self.respond(200, self.answer(params), self.utf8(params))

    @staticmethod
    def utf8(params):
        # Level 6 carries UTF-8; below it the protocol is ISO-8859-1 with "?" for anything else.
        try:
            return int(params.get("proto", ["1"])[0]) >= 6
        except ValueError:
            return False

    def respond(self, status, body, utf8=False):
        data = body.encode("utf-8") if utf8 else body.encode("latin-1", "replace")
        options = self.server.options
        if 200 <= status <= 299 and options.oversize and len(data) < options.oversize:
            data = pad(data, options.oversize)
        self.send_response(status)
        self.send_header("Content-Type", "text/plain; charset=" + ("UTF-8" if utf8 else "ISO-8859-1"))
        self.send_header("Content-Length", str(len(data)))
        self.send_header("Connection", "close")
        self.end_headers()
        if options.close_early:
            self.wfile.write(data[: len(data) // 2])
            self.wfile.flush()
            self.close_connection = True
            return
        self.wfile.write(data)

    def answer(self, params):
        commands = params.get("cmd", [])
        hello = params.get("hello", [""])[0].split()
        if len(commands) != 1 or len(hello) != 4:
            return "500 Command syntax error: incorrect number of arguments.\r\n"
        words = commands[0].split()
        if not words:
            return "500 Unrecognized command.\r\n"
        verb = words[0].lower()
        args = [w.lower() for w in words[1:]]
        if verb == "cddb" and args:
            sub = args[0]
            if sub == "query":
                return self.query(words[2:])
            if sub == "read":
                return self.read(args[1:])
            if sub == "lscat":
                return crlf(["210 OK, category list follows " + LIST_END] + CATEGORIES + ["."])
        elif verb == "sites":
            host, _, _ = (self.headers.get("Host") or "127.0.0.1").partition(":")
            port = self.server.server_address[1]
            return crlf(["210 OK, site information follows " + LIST_END,
                         "%s http %d %s N000.00 W000.00 Local discdeck CDDB server" % (host, port, CGI_PATH), "."])
        elif verb == "stat":
            entries = self.server.database.entries()
            lines = ["210 OK, status information follows " + LIST_END, "Server status:", "    current proto: 4",
                     "    max proto: 6", "    interface: http", "    gets: no", "    puts: no", "    updates: no",
                     "    posting: no", "    validation: accepted", "    quotes: no", "    strip ext: no",
                     "    secure: no", "    current users: 1", "    max users: 100",
                     "Database entries: %d" % len(entries), "Database entries by category:"]
            for category in CATEGORIES:
                lines.append("    %s: %d" % (category, sum(1 for e in entries if e.category == category)))
            return crlf(lines + ["."])
        elif verb == "motd":
            return crlf(["210 Last modified: 01/01/25 00:00:00 MOTD follows " + LIST_END,
                         "Welcome to the local discdeck CDDB server.",
                         "It answers from the demo entries only.", "."])
        elif verb == "ver":
            return "200 discdeck-cddbd v1.0 Copyright (c) discdeck developers.\r\n"
        elif verb == "help":
            return crlf(["210 OK, help information follows " + LIST_END,
                         "The following commands are supported:", "",
                         "CDDB <subcmd> (valid subcmds: LSCAT QUERY READ)", "HELP [command [subcmd]]",
                         "MOTD", "SITES", "STAT", "VER", "."])
        return "500 Unrecognized command.\r\n"

    def query(self, args):
        # discid ntrks off1 ... offn nsecs
        if len(args) < 3 or not DISCID_RE.match(args[0]) or not all(a.isdigit() for a in args[1:]):
            return "500 Command syntax error: incorrect number of arguments.\r\n"
        count = int(args[1])
        if len(args) != count + 3:
            return "500 Command syntax error: incorrect number of arguments.\r\n"
        discid = "%08x" % int(args[0], 16)
        seconds = int(args[-1])
        database = self.server.database
        exact = [e for e in (database.entry(c, discid) for c in database.categories()) if e is not None]
        if len(exact) == 1:
            e = exact[0]
            return "200 %s %s %s\r\n" % (e.category, e.discid, e.dtitle())
        if len(exact) > 1:
            return crlf(["210 Found exact matches, list follows " + LIST_END]
                        + ["%s %s %s" % (e.category, e.discid, e.dtitle()) for e in exact] + ["."])
        inexact = []
        for category, other in self.server.inexact_map.get(discid, []):
            e = database.entry(category, other)
            if e is not None:
                inexact.append(e)
        if self.server.fuzzy_seconds is not None:
            for e in database.entries():
                if (len(e.offsets) == count and e.length is not None
                        and abs(e.length - seconds) <= self.server.fuzzy_seconds
                        and all((e.category, e.discid) != (i.category, i.discid) for i in inexact)):
                    inexact.append(e)
        if inexact:
            return crlf(["211 Found inexact matches, list follows " + LIST_END]
                        + ["%s %s %s" % (e.category, e.discid, e.dtitle()) for e in inexact] + ["."])
        return "202 No match for disc ID %s.\r\n" % discid

    def read(self, args):
        if len(args) != 2:
            return "500 Command syntax error: incorrect number of arguments.\r\n"
        category, discid = args
        e = self.server.database.entry(category, discid)
        if e is None:
            if CATEGORY_RE.match(category) and DISCID_RE.match(discid):
                return "401 %s %s No such CD entry in database.\r\n" % (category, discid)
            return "401 No such CD entry in database.\r\n"
        return crlf(["210 %s %s CD database entry follows %s" % (e.category, e.discid, LIST_END)] + e.lines + ["."])


def pad(data, size):
    """Makes a body exactly size bytes long with comment lines before its final "." line."""
    need = size - len(data)
    filler = []
    while need > 0:
        if need < 3:
            filler.append(b" " * need)
            break
        take = min(need, 74)
        if need - take in (1, 2):
            take -= 3
        filler.append(b"#" + b"." * (take - 3) + b"\r\n")
        need -= take
    padding = b"".join(filler)
    if data.endswith(b"\r\n.\r\n"):
        return data[:-3] + padding + b".\r\n"
    return data + padding


def write_file_atomically(path, text):
    temporary = path + ".tmp%d" % os.getpid()
    with open(temporary, "w") as f:
        f.write(text)
    os.replace(temporary, path)


def running(pid):
    # A zombie has ended; whoever adopted it may be slow to collect it.
    try:
        with open("/proc/%d/stat" % pid) as f:
            return f.read().rsplit(")", 1)[1].split()[0] != "Z"
    except (OSError, IndexError):
        return False


def stop(pid_files):
    status = 0
    for pid_file in pid_files:
        try:
            with open(pid_file) as f:
                pid = int(f.read().strip())
        except (OSError, ValueError):
            continue
        # Only a process that is still this server: the id may have been given to another one.
        try:
            with open("/proc/%d/cmdline" % pid, "rb") as f:
                ours = b"cddb_server.py" in f.read()
        except OSError:
            ours = False
        if ours:
            os.kill(pid, signal.SIGTERM)
            for _ in range(100):
                if not running(pid):
                    break
                time.sleep(0.05)
            else:
                status = 1
        try:
            os.remove(pid_file)
        except OSError:
            pass
    return status


def parse_arguments(argv):
    parser = argparse.ArgumentParser(description="Local CDDB server (HTTP form) for tests and the demo.")
    parser.add_argument("--data", default=DEFAULT_DATA, help="directory of <category>/<discid> entry files")
    parser.add_argument("--host", default="127.0.0.1", help="address to listen on (default 127.0.0.1)")
    parser.add_argument("--port", type=int, default=8880, help="TCP port; 0 picks a free one (default 8880)")
    parser.add_argument("--port-file", help="write the port listened on into this file once listening")
    parser.add_argument("--pid-file", help="write the server's process id into this file")
    parser.add_argument("--detach", action="store_true", help="run in the background once listening")
    parser.add_argument("--stop", nargs="+", metavar="PIDFILE", help="stop the servers of these pid files and exit")
    parser.add_argument("--lifetime", type=float, default=0, help="exit after this many seconds (0: never)")
    parser.add_argument("--delay", type=float, default=0, help="wait this many seconds before each answer")
    parser.add_argument("--status", type=int, help="answer every request with this HTTP status")
    parser.add_argument("--oversize", type=int, default=0, metavar="BYTES",
                        help="pad every 2xx body with comment lines to exactly BYTES bytes")
    parser.add_argument("--close-early", action="store_true",
                        help="announce the whole body, send half of it and close the connection")
    parser.add_argument("--log", help="append the path of every request received to this file")
    parser.add_argument("--inexact", action="append", default=[], metavar="RULE",
                        help="QUERYID=CATEGORY/DISCID lists that entry as an inexact match of that query; "
                             "fuzzy[:SECONDS] lists entries with the same track count and a disc length within "
                             "SECONDS (default 10)")
    parser.add_argument("--verbose", action="store_true", help="log requests on standard error")
    return parser.parse_args(argv)


def main(argv):
    options = parse_arguments(argv)
    if options.stop:
        return stop(options.stop)
    if options.log:
        open(options.log, "w").close()
    server = CddbServer((options.host, options.port), options)
    port = server.server_address[1]

    if options.detach:
        pid = os.fork()
        if pid > 0:
            # The parent reports the child and returns at once; the socket is already listening.
            if options.pid_file:
                write_file_atomically(options.pid_file, "%d\n" % pid)
            if options.port_file:
                write_file_atomically(options.port_file, "%d\n" % port)
            os._exit(0)
        os.setsid()
        # Let go of the caller's terminal and pipes (a test runner waits for them to close).
        null = os.open(os.devnull, os.O_RDWR)
        for fd in (0, 1, 2):
            os.dup2(null, fd)
        os.close(null)
        listening = server.fileno()
        os.closerange(3, listening)
        os.closerange(listening + 1, 65536)
    else:
        if options.pid_file:
            write_file_atomically(options.pid_file, "%d\n" % os.getpid())
        if options.port_file:
            write_file_atomically(options.port_file, "%d\n" % port)
        print("cddb-server: listening on %s:%d, data %s" % (options.host, port, options.data), flush=True)

    signal.signal(signal.SIGTERM, lambda *_: threading.Thread(target=server.shutdown, daemon=True).start())
    if options.lifetime > 0:
        timer = threading.Timer(options.lifetime, server.shutdown)
        timer.daemon = True
        timer.start()
    try:
        server.serve_forever(poll_interval=0.1)
    except KeyboardInterrupt:
        pass
    server.server_close()
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
