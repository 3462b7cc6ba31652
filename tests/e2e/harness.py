"""The pieces the end-to-end scenario runs: the Wine prefix, the local CDDB server, the player
process, the driver program, screenshots and the list of checks."""

import argparse
import json
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import urllib.request

WINE_ENV = {
    "WINEDEBUG": "-all",
    # Test prefixes never install Wine's .NET or HTML engines.
    "WINEDLLOVERRIDES": "mscoree,mshtml=",
    "WINEARCH": "win32",
}
SETTINGS_KEY = r"HKCU\Software\Tarvikon\discdeck\Settings"
# The hello of the test's own questions to the server, to tell them from the player's.
OWN_HELLO = "e2e+localhost+e2e-scenario+1.0"


def windows_path(path):
    """A Unix path as Wine's Z: drive shows it."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


class Checks:
    """Collects the outcome of every check; the scenario goes on after a failure where it can, so one
    run shows everything that is wrong."""

    def __init__(self):
        self.failures = []
        self.count = 0

    def check(self, condition, what, detail=""):
        self.count += 1
        if condition:
            print("  ok   %s" % what, flush=True)
        else:
            self.failures.append(what)
            print("  FAIL %s%s" % (what, ("\n       " + detail.replace("\n", "\n       ")) if detail else ""),
                  flush=True)
        return condition

    def summary(self):
        """Prints the count and every failure; the suite's exit status."""
        print("%d checks, %d failed" % (self.count, len(self.failures)))
        for failure in self.failures:
            print("  failed: " + failure)
        return 0 if not self.failures else 1

    def equal(self, actual, expected, what):
        return self.check(actual == expected, what, "expected: %r\nactual:   %r" % (expected, actual))

    def same_bytes(self, path, expected, what, keep_dir=None):
        """A file compared byte for byte; on a difference the expected bytes are kept beside the
        artifacts and the first difference is shown."""
        try:
            with open(path, "rb") as f:
                actual = f.read()
        except OSError as error:
            return self.check(False, what, str(error))
        if actual == expected:
            return self.check(True, what)
        at = next((i for i, (a, b) in enumerate(zip(actual, expected)) if a != b), min(len(actual), len(expected)))
        detail = "%d bytes, expected %d; first difference at byte %d\nexpected: %r\nactual:   %r" % (
            len(actual), len(expected), at, expected[max(0, at - 40):at + 40], actual[max(0, at - 40):at + 40])
        if keep_dir:
            name = os.path.basename(path)
            with open(os.path.join(keep_dir, "expected-" + name), "wb") as f:
                f.write(expected)
            shutil.copyfile(path, os.path.join(keep_dir, "actual-" + name))
        return self.check(False, what, detail)


class Wine:
    """Wine in the test's own prefix, on the display the caller provides."""

    def __init__(self, prefix, source_dir, dialog_font=True):
        self.prefix = prefix
        self.env = dict(os.environ, WINEPREFIX=prefix, **WINE_ENV)
        # Wine reads file names on its command line in the locale's encoding: names in any script need
        # a UTF-8 one (a test may choose its own, and with it Wine's ANSI code page).
        locale = self.env.get("LC_ALL") or self.env.get("LC_CTYPE") or self.env.get("LANG") or ""
        if "utf" not in locale.lower().replace("-", ""):
            self.env["LANG"] = "C.UTF-8"
            self.env.pop("LC_ALL", None)
            self.env.pop("LC_CTYPE", None)
        # The project's prefix set-up: a fresh 32-bit prefix (once) and the MS Sans Serif font that
        # dialogs are measured with; or a prefix as Wine makes it, which lacks that font.
        script = os.path.join(source_dir, "scripts", "wine-env.sh")
        setup = 'wine_prefix_init "$2"' if dialog_font else \
            '[ -f "$2/system.reg" ] || { wineboot -i; wineserver -w; }; rm -f "$2/drive_c/windows/Fonts/sserife.fon"'
        subprocess.run(["bash", "-c", '. "$1"; export WINEPREFIX="$2"; ' + setup, "wine-env", script, prefix],
                       env=self.env, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=300)

    def run(self, args, timeout=60):
        # Output into files, not pipes: a Wine program may be the one that starts the prefix's
        # desktop process, which inherits its output and would hold a pipe open long after it ended.
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            process = subprocess.run(["wine"] + args, env=self.env, stdout=out, stderr=err, timeout=timeout)
            out.seek(0)
            err.seek(0)
            return subprocess.CompletedProcess(process.args, process.returncode, out.read(), err.read())

    def reg(self, *args):
        result = self.run(["reg"] + list(args))
        return result.returncode, result.stdout.decode("latin-1", "replace")

    def query_settings(self):
        """The player's stored settings: {"Server": ("REG_SZ", "..."), "Port": ("REG_DWORD", "0x...")}."""
        code, out = self.reg("query", SETTINGS_KEY)
        values = {}
        if code == 0:
            for line in out.splitlines():
                parts = line.split(None, 2)
                if len(parts) == 3 and parts[1].startswith("REG_"):
                    values[parts[0]] = (parts[1], parts[2].strip())
        return values

    def start(self, args, cwd, log):
        return subprocess.Popen(["wine"] + args, cwd=cwd, env=self.env, stdout=log, stderr=subprocess.STDOUT)

    def stop_all(self):
        # Only this prefix's processes: the player, the driver and the "open" handler it started.
        subprocess.run(["wineserver", "-k"], env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                       timeout=60)
        subprocess.run(["wineserver", "-w"], env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                       timeout=60)


class CddbServer:
    """tools/cddb-server in the background on a free loopback port (or a given one)."""

    def __init__(self, source_dir, work_dir, extra_args=()):
        self.script = os.path.join(source_dir, "tools", "cddb-server", "cddb_server.py")
        self.data = os.path.join(source_dir, "demo", "cddb")
        self.work_dir = work_dir
        self.pid_file = os.path.join(work_dir, "cddb-server.pid")
        self.port_file = os.path.join(work_dir, "cddb-server.port")
        self.log = os.path.join(work_dir, "cddb-server.log")
        self.extra_args = list(extra_args)
        self.port = None
        self.requests_before = []

    def start(self, port=0):
        if os.path.exists(self.log):
            # The server empties its log when it starts: keep what the earlier one received.
            self.requests_before += self._read_log()
        for name in (self.pid_file, self.port_file):
            if os.path.exists(name):
                os.remove(name)
        subprocess.run([sys.executable, self.script, "--data", self.data, "--port", str(port), "--port-file",
                        self.port_file, "--pid-file", self.pid_file, "--log", self.log, "--lifetime", "1800",
                        "--detach"] + self.extra_args, check=True, timeout=30)
        with open(self.port_file) as f:
            self.port = int(f.read().strip())

    def stop(self):
        if os.path.exists(self.pid_file):
            subprocess.run([sys.executable, self.script, "--stop", self.pid_file], timeout=30)

    def _read_log(self):
        try:
            with open(self.log, encoding="latin-1") as f:
                return [line.rstrip("\n") for line in f]
        except OSError:
            return []

    def requests(self):
        """The player's requests received by this server and the ones before it on this run (the
        test's own questions, sent with their own hello, are left out)."""
        return [path for path in self.requests_before + self._read_log() if OWN_HELLO not in path]

    def fetch(self, command):
        """The body the server gives for a command, asked directly (not through the player)."""
        path = "/~cddb/cddb.cgi?cmd=%s&hello=%s&proto=6" % (command.replace(" ", "+"), OWN_HELLO)
        with urllib.request.urlopen("http://127.0.0.1:%d%s" % (self.port, path), timeout=10) as answer:
            return answer.read()


class Player:
    """discdeck.exe on a virtual disc, with its working folder (database and exports land there)."""

    def __init__(self, wine, exe, work_dir, sheet, log_path):
        self.wine = wine
        self.log = open(log_path, "ab")
        self.process = wine.start([exe, "--virtual-disc=" + windows_path(sheet)], work_dir, self.log)

    def running(self):
        return self.process.poll() is None

    def wait(self, timeout):
        try:
            return self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            return None

    def kill(self):
        if self.running():
            self.process.send_signal(signal.SIGKILL)
            self.process.wait(timeout=30)
        self.log.close()


class Driver:
    """The driver program: one command a run, its JSON answer."""

    def __init__(self, wine, exe):
        self.wine = wine
        self.exe = exe

    def __call__(self, *args):
        result = self.wine.run([self.exe] + [str(a) for a in args], timeout=90)
        text = result.stdout.decode("utf-8", "replace").strip()
        try:
            answer = json.loads(text.splitlines()[-1]) if text else {}
        except ValueError:
            answer = {"error": "not JSON: %r" % text}
        if result.returncode != 0 and "error" not in answer:
            answer["error"] = "exit code %d: %s" % (result.returncode, result.stderr.decode("latin-1", "replace"))
        return answer

    def state(self):
        state = self("state")
        if "lines" in state:
            # COLORREF: red in the low byte.
            state["rgb"] = [(int(c, 16) & 0xFF, int(c, 16) >> 8 & 0xFF, int(c, 16) >> 16 & 0xFF)
                            for c in state["colours"]]
        return state

    def wait_for(self, predicate, seconds, interval=0.25):
        """Polls the player's state until predicate(state) holds; the last state and the seconds taken
        (None when it never held)."""
        start = time.monotonic()
        state = {}
        while True:
            state = self.state()
            if "error" not in state and predicate(state):
                return state, time.monotonic() - start
            if time.monotonic() - start > seconds:
                return state, None
            time.sleep(interval)


class Screenshots:
    def __init__(self, folder):
        self.folder = folder
        self.taken = []
        os.makedirs(folder, exist_ok=True)

    def take(self, name):
        path = os.path.join(self.folder, name + ".png")
        result = subprocess.run(["import", "-window", "root", path], capture_output=True, timeout=60)
        if result.returncode == 0:
            self.taken.append(path)
        else:
            print("  (no screenshot %s: %s)" % (name, result.stderr.decode("latin-1", "replace").strip()))
        return path


def suite_options(description, artifacts=True):
    """The suites' common command line; None (after saying why) when there is no X display."""
    parser = argparse.ArgumentParser(description=description)
    parser.add_argument("--source-dir", required=True, help="the repository")
    parser.add_argument("--player", required=True, help="discdeck.exe")
    parser.add_argument("--driver", required=True, help="the driver program (e2e_driver.exe)")
    parser.add_argument("--work", required=True, help="working folder (emptied first)")
    parser.add_argument("--prefix", required=True, help="a Wine prefix (made when missing)")
    if artifacts:
        parser.add_argument("--artifacts", required=True, help="folder for the screenshots (emptied first)")
    options = parser.parse_args()
    if not os.environ.get("DISPLAY"):
        print("no DISPLAY: run under an X server (scripts/test starts Xvfb)")
        return None
    return options


def run_suite(description, suite):
    """The suites' main: their command line, then suite(options).run() as the exit status."""
    options = suite_options(description)
    return 2 if options is None else suite(options).run()
