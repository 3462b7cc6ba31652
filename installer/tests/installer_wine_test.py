#!/usr/bin/python3
"""Wine test of the shipped package and its installer, in a fresh prefix:

1. an older version (0.9.0, built here from the same script) installs silently, per machine,
   replacing an earlier version's per-user verb:
   program, uninstaller, all-users Start menu shortcut (target, arguments, working folder read from
   the .lnk), the uninstall entry, the AppID and the .cue verb and Open-with entry in HKLM with the
   data folder as %APPDATA% in REG_EXPAND_SZ commands, and no default program for .cue;
2. the player started by the .cue verb's command (in the sheet's folder), and then from the shortcut,
   on a virtual disc against the local CDDB server, makes its data folder and writes its database
   there; while it runs a silent install refuses with exit code 2;
3. the shipped setup.exe (scripts/package: stripped, signed with a test certificate made for the
   test, all three programs' version resources alike) unpacks into a folder of its own under the
   user's temporary folder and runs install.exe, which shows that discdeck is running; a second
   setup.exe is refused meanwhile; after the player is closed, Retry goes on through the welcome,
   progress and finish pages (no folder page: an upgrade in place), the new program, one entry, the
   version, the database untouched; "Start discdeck" starts the player; setup.exe ends with 0 and
   leaves nothing in either temporary folder;
4. an old copy's uninstaller (the 0.9.0 one, in another folder) leaves the newer installation's
   entries alone; the older installer is refused silently with exit code 3;
5. the quiet uninstall command returns the uninstaller's result and removes everything the installer
   added, keeping the data folder and the settings;
6. installed again by "setup.exe /S" (a damaged package refused), and once more with another /D=
   (still one copy), the uninstaller's pages with "Remove my disc database" ticked remove the
   player's files and settings, and keep files of the user's own in the data folder.

    installer_wine_test.py --source-dir DIR --tree WINDOWS_BUILD --work DIR --artifacts DIR

Needs an X display (scripts/test provides Xvfb), xdotool for the pages' keys, cabextract and osslsigncode.
"""

import argparse
import os
import shlex
import shutil
import struct
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "tests", "e2e"))
import harness  # noqa: E402
from harness import CddbServer, Checks, Screenshots, Wine, windows_path  # noqa: E402

# The shortcut and the .cue association would otherwise be copied into the desktop's menus and
# MIME types of the account running the test.
harness.WINE_ENV = dict(harness.WINE_ENV, WINEDLLOVERRIDES=harness.WINE_ENV["WINEDLLOVERRIDES"] +
                        ";winemenubuilder.exe=d")

OLD_VERSION = "0.9.0"
PROGRAM = r"C:\Program Files\discdeck"
UNINSTALL_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\discdeck"
APPID = "{6B0E5F3A-2C47-4D1E-9A8B-7C31D5E0F942}"
CLASSES = r"HKLM\Software\Classes"
VERB_KEY = CLASSES + r"\SystemFileAssociations\.cue\shell\discdeck.play"
SETTINGS_KEY = r"HKCU\Software\Tarvikon\discdeck\Settings"
# What the installer may add, by the names of registry keys and files.
OURS = ("discdeck", ".cue", APPID.lower())
DATA_OPTION = '"--data-folder=%APPDATA%\\discdeck"'
# The player's files in the data folder: what "Remove my disc database" removes.
DATA_FILES = ("titles.sdb", "tracks.sdb", "Title.txt", "PlayList.htm", "Titles.htm")


def version_resource(path):
    """(file version, company, product, product version) of a program's version resource."""
    with open(path, "rb") as f:
        data = f.read()
    fixed = data.find(struct.pack("<I", 0xFEEF04BD))
    version = None
    if fixed >= 0:
        high, low = struct.unpack_from("<II", data, fixed + 8)
        version = "%d.%d.%d.%d" % (high >> 16, high & 0xFFFF, low >> 16, low & 0xFFFF)

    def text(name):
        at = data.find((name + "\0").encode("utf-16-le"))
        if at < 0:
            return None
        at += 2 * (len(name) + 1)
        while data[at:at + 2] == b"\0\0":
            at += 2
        end = at
        while data[end:end + 2] != b"\0\0":
            end += 2
        return data[at:end].decode("utf-16-le")

    return version, text("CompanyName"), text("ProductName"), text("ProductVersion")


def read_shortcut(path):
    """Target and string fields of a Shell Link (.lnk) file, as [MS-SHLLINK] lays them out."""
    with open(path, "rb") as f:
        data = f.read()
    if len(data) < 0x4C or struct.unpack_from("<I", data, 0)[0] != 0x4C:
        return {}
    flags = struct.unpack_from("<I", data, 0x14)[0]
    at = 0x4C
    if flags & 0x1:  # HasLinkTargetIDList
        at += 2 + struct.unpack_from("<H", data, at)[0]
    fields = {}
    if flags & 0x2:  # HasLinkInfo: the local base path and the common path suffix
        size, _, info_flags, _, base, _, suffix = struct.unpack_from("<7I", data, at)

        def text(offset):
            return data[at + offset:data.index(b"\0", at + offset)].decode("latin-1")

        if info_flags & 0x1:
            fields["target"] = text(base) + text(suffix)
        at += size
    unicode = flags & 0x80
    for bit, name in ((0x4, "name"), (0x8, "relative"), (0x10, "workdir"), (0x20, "arguments"), (0x40, "icon")):
        if flags & bit:
            count = struct.unpack_from("<H", data, at)[0]
            width = 2 if unicode else 1
            raw = data[at + 2:at + 2 + count * width]
            fields[name] = raw.decode("utf-16-le" if unicode else "latin-1").rstrip("\0")
            at += 2 + count * width
    return fields


class Installation:
    """The test's prefix seen from outside: paths, registry values, windows on the display."""

    def __init__(self, wine, prefix):
        self.wine = wine
        self.prefix = prefix
        def variable(name):
            return wine.run(["cmd", "/c", "echo", "%" + name + "%"]).stdout.decode("latin-1").strip()

        self.appdata = variable("APPDATA")
        self.data_windows = self.appdata + r"\discdeck"
        self.data = self.unix(self.data_windows)
        # Per machine: the all-users Start menu.
        self.shortcut = self.unix(variable("ProgramData") + r"\Microsoft\Windows\Start Menu\Programs\discdeck.lnk")
        self.program = self.unix(PROGRAM)
        self.user_temp = self.unix(variable("TEMP"))
        self.windows_temp = os.path.join(prefix, "drive_c", "windows", "temp")

    def run_folders(self):
        return [n for n in os.listdir(self.user_temp) if n.startswith("discdeck-setup-")]

    def unix(self, path):
        assert path[:3].upper() == "C:\\", path
        return os.path.join(self.prefix, "drive_c", *path[3:].split("\\"))

    def values(self, key):
        """{value name: (type, data)} of a key; None when the key does not exist."""
        code, out = self.wine.reg("query", key)
        if code != 0:
            return None
        values = {}
        for line in out.splitlines():
            parts = line.strip().split("    ")
            if len(parts) >= 2 and parts[1].startswith("REG_"):
                values[parts[0]] = (parts[1], parts[2] if len(parts) > 2 else "")
        return values

    def value(self, key, name):
        return (self.values(key) or {}).get(name, (None, None))[1]

    def registry_keys(self):
        """Every key of the prefix's registry files (written when the prefix's server ends)."""
        self.wine.stop_all()
        keys = set()
        for name in ("system.reg", "user.reg"):
            with open(os.path.join(self.prefix, name), encoding="latin-1") as f:
                keys.update(line.split("]")[0][1:].lower() for line in f if line.startswith("["))
        return keys

    def our_files(self):
        """Files and folders whose path names discdeck, outside the data folder."""
        found = []
        drive = os.path.join(self.prefix, "drive_c")
        for folder, dirs, files in os.walk(drive):
            dirs[:] = [d for d in dirs if os.path.join(folder, d) != self.data]
            found += [os.path.join(folder, n) for n in dirs + files if "discdeck" in n.lower()]
        return found

    def player_windows(self):
        result = subprocess.run(["xdotool", "search", "--class", "discdeck.exe"], capture_output=True, text=True)
        return result.stdout.split()

    def close_player(self):
        self.wine.run(["taskkill", "/f", "/im", "discdeck.exe"])
        return wait_until(lambda: not self.player_windows(), 20)


def wait_until(condition, seconds):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        if condition():
            return True
        time.sleep(0.25)
    return condition()


def setup_window(title="discdeck Setup"):
    """The installer's window or its message box (the uninstaller's: "discdeck Uninstall"); the
    pages' captions end in a blank."""
    result = subprocess.run(["xdotool", "search", "--name", "^" + title], capture_output=True, text=True)
    windows = result.stdout.split()
    return windows[-1] if windows else None


def grab():
    """The screen's pixels (a window of its own would have import wait for a click once it is gone)."""
    return subprocess.run(["import", "-window", "root", "rgb:-"], capture_output=True, timeout=60).stdout


def press(key, title="discdeck Setup", settle=True):
    """A key for the installer's window (Return is the default button: Next, Install, Retry, Finish),
    then, with settle, a wait until the window has changed and stopped changing: the next page is
    drawn, however slow the machine."""
    window = setup_window(title)
    if not window:
        return False
    before = grab()
    subprocess.run(["xdotool", "windowfocus", "--sync", window, "key", key], capture_output=True, timeout=30)
    if not settle:
        return True
    last = before
    end = time.monotonic() + 60
    while time.monotonic() < end:
        time.sleep(0.5)
        now = grab()
        if now == last and now != before:
            return True
        last = now
    return False


def check_installed(checks, place, version, player_bytes):
    checks.check(open(os.path.join(place.program, "discdeck.exe"), "rb").read() == player_bytes,
                 "discdeck.exe %s in %s" % (version, PROGRAM))
    checks.check(os.path.isfile(os.path.join(place.program, "uninstall.exe")), "uninstall.exe beside it")

    link = read_shortcut(place.shortcut) if os.path.exists(place.shortcut) else {}
    checks.equal((link.get("target", "").lower(), link.get("arguments"), link.get("workdir", "").lower()),
                 ((PROGRAM + r"\discdeck.exe").lower(), DATA_OPTION, PROGRAM.lower()), "all-users shortcut")

    entry = place.values(UNINSTALL_KEY) or {}
    size = sum(os.path.getsize(os.path.join(place.program, n)) for n in os.listdir(place.program))
    estimated = int(entry.get("EstimatedSize", ("", "0"))[1], 16)
    checks.equal({name: entry.get(name, (None, None))[1] for name in (
        "DisplayName", "DisplayVersion", "Publisher", "DisplayIcon", "UninstallString", "QuietUninstallString")}, {
        "DisplayName": "discdeck", "DisplayVersion": version, "Publisher": "Tarvikon",
        "DisplayIcon": PROGRAM + r"\discdeck.exe,0",
        "UninstallString": '"%s\\uninstall.exe"' % PROGRAM,
        "QuietUninstallString": '"%s\\uninstall.exe" /S _?=%s' % (PROGRAM, PROGRAM)}, "Add/Remove Programs entry")
    checks.check(size // 1024 <= estimated <= size // 1024 + 1, "EstimatedSize %d KB for %d bytes" % (estimated, size))

    checks.equal((place.value(r"HKCR\AppID" + "\\" + APPID, "(Default)"),
                  place.value(r"HKCR\AppID\discdeck.EXE", "AppID")), ("discdeck", APPID), "AppID registered")

    command = ("REG_EXPAND_SZ", '"%s\\discdeck.exe" %s "%%1"' % (PROGRAM, DATA_OPTION))
    for ext, progid in ((".cue", "discdeck.CueSheet"), (".flac", "discdeck.FlacImage")):
        verb = CLASSES + r"\SystemFileAssociations" + "\\" + ext + r"\shell\discdeck.play"
        checks.equal((place.value(verb, "(Default)"), (place.values(verb + r"\command") or {}).get("(Default)")),
                     ("Play with discdeck", command), ext + " verb")
        checks.equal(((place.values(CLASSES + "\\" + progid + r"\shell\open\command") or {}).get("(Default)"),
                      progid in (place.values(CLASSES + "\\" + ext + r"\OpenWithProgids") or {})),
                     (command, True), ext + " Open-with entry")
        checks.equal(place.value(CLASSES + "\\" + ext, "(Default)"), None, ext + " keeps its default program")


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--source-dir", required=True)
    parser.add_argument("--tree", required=True, help="the Windows build tree")
    parser.add_argument("--work", required=True)
    parser.add_argument("--artifacts", required=True)
    parser.add_argument("--version", required=True, help="the project version, which every program must carry")
    parser.add_argument("--publisher", required=True, help="the project publisher, likewise")
    args = parser.parse_args()
    source = os.path.abspath(args.source_dir)
    work = os.path.abspath(args.work)
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    checks = Checks()
    shots = Screenshots(args.artifacts)

    # The package as shipped, signed with a certificate made for this test; the programs in it.
    package = os.path.join(work, "package", "setup.exe")
    signing = os.path.join(work, "signing")
    environment = dict(os.environ, DISCDECK_WINDOWS_BUILD=os.path.abspath(args.tree), DISCDECK_TEST_SIGNING_DIR=signing)
    environment.pop("DISCDECK_SIGNING_PKCS12", None)
    subprocess.run([os.path.join(source, "scripts", "package"), package], check=True, timeout=600, env=environment)
    shipped = os.path.join(work, "shipped")
    subprocess.run(["cabextract", "-q", "-d", shipped, package], check=True)  # finds the cabinet inside
    programs = [package] + [os.path.join(shipped, n) for n in ("install.exe", "discdeck.exe")]
    for program in programs:
        verified = subprocess.run(["osslsigncode", "verify", "-CAfile", os.path.join(signing, "test-cert.pem"),
                                   "-in", program], capture_output=True)
        checks.equal(verified.returncode, 0, os.path.basename(program) + " signed")
    # One version and publisher in all three programs.
    major, minor, patch = args.version.split(".")
    expected = ("%s.%s.%s.0" % (major, minor, patch), args.publisher, "discdeck", args.version)
    for program in programs:
        checks.equal(version_resource(program), expected, os.path.basename(program) + "'s version resource")
    manifest = open(package, "rb").read()
    checks.check(all(part in manifest for part in (b'level="asInvoker"', b"supportedOS", b"PerMonitorV2, System")),
                 "setup.exe's manifest: as invoker, supported systems, DPI awareness")
    with open(os.path.join(shipped, "discdeck.exe"), "rb") as f:
        player_bytes = f.read()
    checks.check(b".debug_" not in player_bytes, "discdeck.exe is shipped without debug sections")

    # An older installer with an older player beside it.
    old_player_bytes = player_bytes + b"\0an older build\0"  # data after the image changes nothing
    old = os.path.join(work, "old")
    subprocess.run([sys.executable, os.path.join(source, "installer", "build_installer.py"), "--version",
                    OLD_VERSION, "--publisher", args.publisher, "--output", os.path.join(old, "install.exe")],
                   check=True, timeout=300)
    with open(os.path.join(old, "discdeck.exe"), "wb") as f:
        f.write(old_player_bytes)
    # The same package with a byte of its cabinet changed.
    damaged = os.path.join(work, "package", "damaged.exe")
    data = bytearray(open(package, "rb").read())
    data[len(data) // 2] ^= 0xFF
    open(damaged, "wb").write(data)

    prefix = os.path.join(work, "prefix")
    wine = Wine(prefix, source)
    place = Installation(wine, prefix)
    keys_before = place.registry_keys()
    windows_temp_before = sorted(os.listdir(place.windows_temp))
    sheet = os.path.join(work, "demo.cue")
    shutil.copyfile(os.path.join(source, "demo", "demo.cue"), sheet)
    wine.env["DISCDECK_VIRTUAL_DISC"] = windows_path(sheet)
    server = CddbServer(source, work)
    server.start()
    try:
        print("1. silent install of %s" % OLD_VERSION, flush=True)
        # The verb as versions before the per-machine scope registered it, for the installing user.
        user_verb = r"HKCU\Software\Classes\SystemFileAssociations\.cue\shell\discdeck.play"
        wine.reg("add", user_verb + r"\command", "/ve", "/d", '"%s\\discdeck.exe" "%%1"' % PROGRAM, "/f")
        result = wine.run([os.path.join(old, "install.exe"), "/S"], timeout=120)
        checks.equal(result.returncode, 0, "silent install's exit code")
        check_installed(checks, place, OLD_VERSION, old_player_bytes)
        checks.equal(place.values(user_verb), None, "the per-user verb of an earlier version is gone")
        checks.check(not os.path.exists(place.data), "no data folder before the player first runs")

        print("2. the player from the verb and from its shortcut", flush=True)
        wine.reg("add", SETTINGS_KEY, "/v", "Server", "/t", "REG_SZ", "/d", "127.0.0.1", "/f")
        wine.reg("add", SETTINGS_KEY, "/v", "Port", "/t", "REG_DWORD", "/d", str(server.port), "/f")
        database = [os.path.join(place.data, n) for n in ("titles.sdb", "tracks.sdb")]

        def database_written():
            return wait_until(lambda: all(os.path.exists(p) and os.path.getsize(p) > 24 for p in database), 60)

        # "Play with discdeck" as Explorer runs it: the verb's command expanded, in the sheet's folder.
        verb = place.value(VERB_KEY + r"\command", "(Default)")
        verb = verb.replace("%1", windows_path(sheet)).replace("%APPDATA%", place.appdata)
        with open(os.path.join(work, "verb-player.log"), "ab") as log:
            wine.start(shlex.split(verb), work, log)
        checks.check(database_written(), "the player started by the .cue verb made the data folder and wrote its "
                     "database there")
        checks.check(not any(n.endswith(".sdb") for n in os.listdir(work)), "nothing written beside the sheet")
        checks.check(place.close_player(), "the player closed")
        for path in database:
            os.remove(path)

        wine.run(["start", "/unix", place.shortcut])
        checks.check(database_written(), "the player started from the shortcut wrote its database into the data folder")
        time.sleep(1)
        stored = [open(p, "rb").read() for p in database if os.path.exists(p)]
        checks.check(bool(place.player_windows()), "the player runs")
        result = wine.run([os.path.join(old, "install.exe"), "/S"], timeout=120)
        checks.equal(result.returncode, 2, "silent install while the player runs: exit code")
        checks.check(open(os.path.join(place.program, "discdeck.exe"), "rb").read() == old_player_bytes,
                     "the running installation is untouched")
        # A stale copy of the old installation elsewhere, with its uninstaller (step 4).
        stale = r"C:\Old\discdeck"
        os.makedirs(place.unix(stale))
        shutil.copy(os.path.join(place.program, "uninstall.exe"), place.unix(stale))

        print("3. the shipped setup.exe, the installer's pages, an upgrade in place", flush=True)
        setup = subprocess.Popen(["wine", package], env=wine.env, stdout=subprocess.DEVNULL,
                                 stderr=subprocess.DEVNULL)
        checks.check(wait_until(lambda: setup_window() is not None, 90), "setup.exe started install.exe")
        time.sleep(2)
        shots.take("installer-0-discdeck-running")
        folders = place.run_folders()
        checks.equal([sorted(os.listdir(os.path.join(place.user_temp, f))) for f in folders],
                     [["discdeck.exe", "install.exe", "readme.txt"]], "the package unpacked into a folder of its own")
        checks.equal(sorted(os.listdir(place.windows_temp)), windows_temp_before, "nothing in the Windows TEMP")
        second = wine.run([package, "/S"], timeout=60)
        checks.equal(second.returncode, 1618 % 256, "a second setup.exe: already running")
        checks.check(place.close_player(), "the player closed")
        message_box = setup_window()
        press("Return", settle=False)  # Retry
        checks.check(wait_until(lambda: setup_window() not in (None, message_box), 30), "Retry opened the pages")
        time.sleep(2)
        shots.take("installer-1-welcome")
        press("Return")  # Next: the installed folder is taken without a folder page
        checks.check(wait_until(lambda: place.value(UNINSTALL_KEY, "DisplayVersion") == args.version
                                and os.path.exists(place.shortcut), 60), "the upgrade ran")
        time.sleep(2)
        shots.take("installer-2-progress")
        press("Return")
        shots.take("installer-3-finish")
        press("Return")  # Finish, with "Start discdeck" ticked
        checks.check(wait_until(lambda: bool(place.player_windows()), 30), "Start discdeck started the player")
        checks.check(wait_until(lambda: setup_window() is None, 20), "the installer ended")
        checks.equal(setup.wait(timeout=60), 0, "setup.exe's exit code, the installer's")
        checks.check(place.close_player(), "the player closed again")
        checks.equal(place.run_folders(), [], "nothing of setup left in the user's temporary folder")
        checks.equal(sorted(os.listdir(place.windows_temp)), windows_temp_before, "nothing left in the Windows TEMP")
        check_installed(checks, place, args.version, player_bytes)
        entries = wine.reg("query", r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall", "/s")[1]
        checks.equal(entries.count("REG_SZ    discdeck"), 1, "one Add/Remove Programs entry")
        checks.check([open(p, "rb").read() for p in database] == stored, "the database is untouched")
        verified = subprocess.run(["osslsigncode", "verify", "-CAfile", os.path.join(signing, "test-cert.pem"), "-in",
                                   os.path.join(place.program, "uninstall.exe")], capture_output=True)
        checks.equal(verified.returncode, 0, "the installed uninstall.exe signed")

        print("4. an old copy's uninstaller, the older installer", flush=True)
        result = wine.run([stale + r"\uninstall.exe", "/S", "_?=" + stale], timeout=120)
        checks.equal(result.returncode, 0, "the old copy's uninstaller")
        check_installed(checks, place, args.version, player_bytes)
        result = wine.run([os.path.join(old, "install.exe"), "/S"], timeout=120)
        checks.equal(result.returncode, 3, "a silent downgrade: exit code")
        checks.equal(place.value(UNINSTALL_KEY, "DisplayVersion"), args.version, "the newer version stays")
        shutil.rmtree(place.unix(r"C:\Old"))

        print("5. the quiet uninstall", flush=True)
        quiet = place.value(UNINSTALL_KEY, "QuietUninstallString")
        program, _, switches = quiet.partition('" ')
        result = wine.run([program.strip('"')] + switches.split(), timeout=120)
        checks.equal(result.returncode, 0, "the quiet uninstall's exit code")
        checks.check(not os.path.exists(place.shortcut), "the shortcut is gone when the quiet uninstall returns")
        # The uninstaller, run in place, is removed by a command that waits for it to end.
        checks.check(wait_until(lambda: not os.path.exists(place.program), 60), "the program folder is gone")
        # The player's settings are the user's, as the data folder.
        left = sorted(k for k in place.registry_keys() - keys_before
                      if any(word in k for word in OURS) and "tarvikon" not in k)
        checks.equal(left, [], "registry keys left behind")
        checks.equal(place.our_files(), [], "files left behind")
        checks.check([open(p, "rb").read() for p in database] == stored, "the data folder and database are kept")
        checks.check(place.values(SETTINGS_KEY) is not None, "the player's settings are kept")

        print("6. setup.exe /S, another /D=, the uninstaller's pages with the database ticked", flush=True)
        checks.check(wine.run([damaged, "/S"], timeout=120).returncode != 0, "a damaged package: exit code")
        result = wine.run([package, "/S"], timeout=180)
        checks.equal(result.returncode, 0, "setup.exe /S: exit code")
        checks.check(os.path.isfile(os.path.join(place.program, "discdeck.exe")), "setup.exe /S installed discdeck")
        result = wine.run([package, "/S", r"/D=C:\Other\discdeck"], timeout=180)
        checks.equal(result.returncode, 0, "setup.exe /S /D=: exit code")
        checks.check(not os.path.exists(place.unix(r"C:\Other")), "an installation keeps its folder: one copy")
        checks.equal(place.run_folders(), [], "nothing of setup left in the user's temporary folder")
        # Files of the user's own beside the database.
        for name in DATA_FILES:
            with open(os.path.join(place.data, name), "wb") as f:
                f.write(b"the player's")
        os.makedirs(os.path.join(place.data, "My Rips"))
        own = {"notes.txt": b"my notes", os.path.join("My Rips", "album.cue"): b'FILE "album.bin" BINARY'}
        for name, content in own.items():
            with open(os.path.join(place.data, name), "wb") as f:
                f.write(content)
        subprocess.Popen(["wine", PROGRAM + r"\uninstall.exe"], env=wine.env, stdout=subprocess.DEVNULL,
                         stderr=subprocess.DEVNULL)
        checks.check(wait_until(lambda: setup_window("discdeck Uninstall") is not None, 60), "the uninstaller opened")
        time.sleep(2)
        shots.take("uninstaller-1-confirm")
        press("Return", "discdeck Uninstall")
        # The components list has the focus on its first item; the second is the database.
        press("Down", "discdeck Uninstall")
        press("space", "discdeck Uninstall")
        shots.take("uninstaller-2-remove-database")
        press("Return", "discdeck Uninstall")
        checks.check(wait_until(lambda: not any(os.path.exists(os.path.join(place.data, n)) for n in DATA_FILES), 60),
                     "the database and exports are removed")
        shots.take("uninstaller-3-progress")
        press("Return", "discdeck Uninstall")  # Close
        checks.check(wait_until(lambda: setup_window("discdeck Uninstall") is None, 30), "the uninstaller ended")
        checks.equal({name: open(os.path.join(place.data, name), "rb").read() for name in own if
                      os.path.exists(os.path.join(place.data, name))}, own, "the user's own files in the data folder")
        left = sorted(k for k in place.registry_keys() - keys_before if any(word in k for word in OURS + ("tarvikon",)))
        checks.equal(left, [], "registry keys left behind, settings included")
        checks.equal(place.our_files(), [], "files left behind")
    finally:
        server.stop()
        wine.stop_all()

    print("%d checks, %d failed; screenshots in %s" % (checks.count, len(checks.failures), args.artifacts))
    return 1 if checks.failures else 0


if __name__ == "__main__":
    sys.exit(main())
