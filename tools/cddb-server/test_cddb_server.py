"""Tests of the local CDDB server: each starts a real server on a free port and talks HTTP to it."""

import os
import shutil
import socket
import subprocess
import sys
import tempfile
import time
import unittest
import urllib.error
import urllib.request

HERE = os.path.dirname(os.path.abspath(__file__))
SERVER = os.path.join(HERE, "cddb_server.py")
DEMO = os.path.normpath(os.path.join(HERE, "..", "..", "demo", "cddb"))
HELLO = "&hello=cd+discdeck.example+TarvikCDDB+1.0&proto=6"
DEMO_QUERY = "cddb+query+8409a30a+10+150+16740+36002+55710+72558+93683+109121+129120+148295+168900+2469"


class Server:
    def __init__(self, *options, data=DEMO):
        self.folder = tempfile.mkdtemp(prefix="cddb-server-test-")
        self.port_file = os.path.join(self.folder, "port")
        self.log = os.path.join(self.folder, "log")
        self.process = subprocess.Popen(
            [sys.executable, SERVER, "--port", "0", "--port-file", self.port_file, "--log", self.log, "--data", data,
             "--lifetime", "120"] + list(options),
            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        for _ in range(200):
            if os.path.exists(self.port_file):
                break
            if self.process.poll() is not None:
                raise RuntimeError(self.process.stderr.read().decode())
            time.sleep(0.02)
        with open(self.port_file) as f:
            self.port = int(f.read())

    def get(self, path):
        try:
            with urllib.request.urlopen("http://127.0.0.1:%d%s" % (self.port, path), timeout=20) as response:
                return response.status, response.read()
        except urllib.error.HTTPError as error:
            return error.code, error.read()

    def cddb(self, command):
        status, body = self.get("/~cddb/cddb.cgi?cmd=" + command + HELLO)
        return status, body.decode("latin-1")

    def logged(self):
        with open(self.log) as f:
            return f.read().splitlines()

    def close(self):
        self.process.terminate()
        self.process.wait(10)
        self.process.stderr.close()
        shutil.rmtree(self.folder, ignore_errors=True)


class ServerTestCase(unittest.TestCase):
    def start(self, *options, data=DEMO):
        server = Server(*options, data=data)
        self.addCleanup(server.close)
        return server


class QueryAndRead(ServerTestCase):
    def test_exact_match_then_read(self):
        server = self.start()
        status, body = server.cddb(DEMO_QUERY)
        self.assertEqual(200, status)
        self.assertEqual("200 rock 8409a30a Orvo Lindqvist / Northern Lights\r\n", body)
        status, body = server.cddb("cddb+read+rock+8409a30a")
        lines = body.split("\r\n")
        self.assertEqual("210 rock 8409a30a CD database entry follows (until terminating `.')", lines[0])
        self.assertIn("DTITLE=Orvo Lindqvist / Northern Lights", lines)
        self.assertIn("TTITLE0=Polar Dawn", lines)
        self.assertIn("TTITLE9=Thaw", lines)
        self.assertEqual([".", ""], lines[-2:])
        self.assertNotIn("\n", body.replace("\r\n", ""))
        self.assertEqual(["/~cddb/cddb.cgi?cmd=" + DEMO_QUERY + HELLO, "/~cddb/cddb.cgi?cmd=cddb+read+rock+8409a30a" + HELLO],
                         server.logged())

    def test_no_match_and_not_found(self):
        server = self.start()
        self.assertEqual("202 No match for disc ID 0b014802.\r\n", server.cddb("cddb+query+b014802+2+150+13500+330")[1])
        self.assertTrue(server.cddb("cddb+read+rock+0b014802")[1].startswith("401 rock 0b014802 "))
        self.assertTrue(server.cddb("cddb+read+..%2F..+8409a30a")[1].startswith("401 No such CD entry"))

    def test_inexact_matches(self):
        server = self.start("--inexact", "0b014802=folk/8909a70a")
        self.assertEqual("211 Found inexact matches, list follows (until terminating `.')\r\n"
                         "folk 8909a70a Orvo Lindqvist / Northern Lights (Live)\r\n.\r\n",
                         server.cddb("cddb+query+b014802+2+150+13500+330")[1])
        fuzzy = self.start("--inexact", "fuzzy:5")
        body = fuzzy.cddb("cddb+query+12345678+10+1+2+3+4+5+6+7+8+9+10+2471")[1]
        self.assertTrue(body.startswith("211 "))
        self.assertIn("\r\nfolk 8909a70a ", body)
        self.assertIn("\r\nrock 8409a30a ", body)
        self.assertTrue(fuzzy.cddb("cddb+query+12345678+9+1+2+3+4+5+6+7+8+9+2471")[1].startswith("202 "))

    def test_id_filed_under_several_categories(self):
        data = tempfile.mkdtemp(prefix="cddb-data-")
        self.addCleanup(shutil.rmtree, data, True)
        for category in ("rock", "misc"):
            os.makedirs(os.path.join(data, category))
            shutil.copy(os.path.join(DEMO, "rock", "8409a30a"), os.path.join(data, category, "8409a30a"))
        server = self.start(data=data)
        self.assertEqual("210 Found exact matches, list follows (until terminating `.')\r\n"
                         "misc 8409a30a Orvo Lindqvist / Northern Lights\r\n"
                         "rock 8409a30a Orvo Lindqvist / Northern Lights\r\n.\r\n", server.cddb(DEMO_QUERY)[1])

    def test_level_6_answers_in_utf8_lower_levels_in_latin1(self):
        folder = tempfile.mkdtemp(prefix="cddb-server-data-")
        self.addCleanup(shutil.rmtree, folder)
        os.makedirs(os.path.join(folder, "misc"))
        with open(os.path.join(folder, "misc", "00000001"), "wb") as f:
            f.write("DTITLE=Caf\u00e9 / \u03a3\u03c9\n".encode("utf-8"))
        server = self.start(data=folder)
        for proto, expected in (("6", "Caf\u00e9 / \u03a3\u03c9".encode("utf-8")), ("4", b"Caf\xe9 / ??")):
            status, body = server.get("/~cddb/cddb.cgi?cmd=cddb+read+misc+00000001&hello=cd+h+c+1&proto=" + proto)
            self.assertEqual(200, status)
            self.assertIn(expected, body)

    def test_continuation_lines_and_crlf_files(self):
        data = tempfile.mkdtemp(prefix="cddb-data-")
        self.addCleanup(shutil.rmtree, data, True)
        os.makedirs(os.path.join(data, "jazz"))
        with open(os.path.join(data, "jazz", "0000abcd"), "wb") as f:
            f.write(b"# xmcd\r\nDTITLE=A / \r\nDTITLE=B\r\nTTITLE0=x\r\n")
        server = self.start(data=data)
        self.assertEqual("200 jazz 0000abcd A / B\r\n", server.cddb("cddb+query+abcd+1+150+2")[1])
        self.assertEqual("210 jazz 0000abcd CD database entry follows (until terminating `.')\r\n"
                         "# xmcd\r\nDTITLE=A / \r\nDTITLE=B\r\nTTITLE0=x\r\n.\r\n", server.cddb("cddb+read+jazz+abcd")[1])


class OtherCommands(ServerTestCase):
    def test_information_commands(self):
        server = self.start()
        for command, first in (("help", "210 OK, help information follows"), ("ver", "200 "),
                               ("sites", "210 OK, site information follows"), ("stat", "210 OK, status information"),
                               ("motd", "210 Last modified: "), ("cddb+lscat", "210 OK, category list follows"),
                               ("HELP", "210 OK, help")):
            status, body = server.cddb(command)
            self.assertEqual(200, status)
            self.assertTrue(body.startswith(first), command + ": " + body)
            self.assertTrue(body.endswith("\r\n"))
        self.assertIn("\r\nrock\r\n", server.cddb("cddb+lscat")[1])
        self.assertIn("http %d /~cddb/cddb.cgi" % server.port, server.cddb("sites")[1])
        self.assertIn("    rock: 1\r\n", server.cddb("stat")[1])

    def test_malformed_requests(self):
        server = self.start()
        self.assertTrue(server.cddb("frobnicate")[1].startswith("500 "))
        self.assertTrue(server.cddb("cddb+query+8409a30a+10+150")[1].startswith("500 "))
        status, body = server.get("/~cddb/cddb.cgi?cmd=help")
        self.assertTrue(body.startswith(b"500 "))
        self.assertEqual(404, server.get("/elsewhere")[0])


class Misbehaviour(ServerTestCase):
    def test_forced_status(self):
        server = self.start("--status", "404")
        self.assertEqual(404, server.cddb("help")[0])
        self.assertEqual(["/~cddb/cddb.cgi?cmd=help" + HELLO], server.logged())

    def test_oversize_body_has_exactly_the_size_asked(self):
        for size in (4095, 4096, 4097, 10000):
            server = self.start("--oversize", str(size))
            status, body = server.cddb("cddb+read+rock+8409a30a")
            self.assertEqual(size, len(body.encode("latin-1")))
            self.assertTrue(body.endswith("\r\n.\r\n"))
            self.assertIn("TTITLE9=Thaw\r\n", body)

    def test_delay(self):
        server = self.start("--delay", "0.5")
        started = time.monotonic()
        self.assertEqual(200, server.cddb("ver")[0])
        self.assertGreaterEqual(time.monotonic() - started, 0.5)

    def test_close_early_sends_half_the_body(self):
        server = self.start("--close-early")
        with socket.create_connection(("127.0.0.1", server.port), timeout=10) as s:
            s.sendall(("GET /~cddb/cddb.cgi?cmd=cddb+read+rock+8409a30a%s HTTP/1.0\r\n\r\n" % HELLO).encode())
            received = b""
            while True:
                chunk = s.recv(65536)
                if not chunk:
                    break
                received += chunk
        head, _, body = received.partition(b"\r\n\r\n")
        length = int([line.split(b":")[1] for line in head.split(b"\r\n") if line.lower().startswith(b"content-length")][0])
        self.assertEqual(length // 2, len(body))


class Detach(unittest.TestCase):
    def test_detach_and_stop(self):
        folder = tempfile.mkdtemp(prefix="cddb-detach-")
        self.addCleanup(shutil.rmtree, folder, True)
        port_file = os.path.join(folder, "port")
        pid_file = os.path.join(folder, "pid")
        subprocess.run([sys.executable, SERVER, "--detach", "--port", "0", "--port-file", port_file,
                        "--pid-file", pid_file, "--lifetime", "60"], check=True, timeout=30)
        with open(port_file) as f:
            port = int(f.read())
        with open(pid_file) as f:
            pid = int(f.read())
        with urllib.request.urlopen("http://127.0.0.1:%d/~cddb/cddb.cgi?cmd=ver%s" % (port, HELLO), timeout=10) as r:
            self.assertTrue(r.read().startswith(b"200 "))
        subprocess.run([sys.executable, SERVER, "--stop", pid_file], check=True, timeout=30)
        try:
            with open("/proc/%d/cmdline" % pid, "rb") as f:
                self.assertNotIn(b"cddb_server", f.read())  # gone, or a zombie waiting to be collected
        except OSError:
            pass
        self.assertFalse(os.path.exists(pid_file))


if __name__ == "__main__":
    unittest.main()
