#!/usr/bin/python3
"""The player at several screen densities: the real discdeck.exe under Wine at 96, 144, 192 and 288
DPI (Wine reads HKCU\\Control Panel\\Desktop\\LogPixels when its server starts, so each DPI is a run of
its own) and in a fresh prefix without the dialog's font. At each: the window's region is the 96-DPI
outline scaled by the expected factor, every control is at its scaled place and inside the region
when it is inside the outline at 96 DPI, a real click at the scaled place of EXIT reaches EXIT and
ends the player; a screenshot of the window for a person to look at. The start-up to a shown window
is timed at 96 and 192 DPI side by side and reported, not asserted. See README.md here.

Exit code 0 when every check passed, 1 otherwise (2 when the run could not be set up)."""

import os
import shutil
import statistics
import struct
import subprocess
import sys
import time
import traceback

sys.dont_write_bytecode = True  # no __pycache__ in the source tree

from harness import Checks, Driver, Player, Wine, suite_options  # noqa: E402

EXIT = 1037
PLAY = 1032
PLAY_FRAME = (24, 26)  # frame width, strip height
DESKTOP_KEY = r"HKCU\Control Panel\Desktop"
SETTINGS_KEY = r"HKCU\Software\Tarvikon\discdeck\Settings"
# The window at factor 3 is 1971 x 1764 pixels: the screen must hold it.
SCREEN = (2048, 1800)
WINDOW_96 = (657, 588)
# (label, DPI, expected factor, prefix without the dialog's font)
RUNS = [("96", 96, 1, False), ("144", 144, 2, False), ("192", 192, 2, False), ("288", 288, 3, False),
        ("nofont-96", 96, 1, True), ("nofont-192", 192, 2, True)]
TIMED_DPIS = (96, 192)
TIMED_STARTS = 5


def read_outline(source_dir):
    """The bands of res/region.bin: (left, top, right, bottom) each."""
    with open(os.path.join(source_dir, "res", "region.bin"), "rb") as f:
        data = f.read()
    count = struct.unpack_from("<I", data, 8)[0]
    return [struct.unpack_from("<4i", data, 32 + 16 * i) for i in range(count)]


def control_places(source_dir):
    """The controls' 96-DPI places, from the skin's layout (res/art/layout.py)."""
    sys.path.insert(0, os.path.join(source_dir, "res", "art"))
    import layout
    places = dict(layout.CONTROLS)
    places[1031] = layout.to_pixels(378, 198, 43, 38)  # the unused animation
    return places


def read_bmp24(path):
    """A 24-bit bottom-up BMP: (width, height, rows of (r, g, b) top row first)."""
    with open(path, "rb") as f:
        data = f.read()
    offset, = struct.unpack_from("<I", data, 10)
    width, height = struct.unpack_from("<ii", data, 18)
    stride = (width * 3 + 3) & ~3
    rows = []
    for y in range(height):
        row = data[offset + stride * (height - 1 - y):]
        rows.append([(row[3 * x + 2], row[3 * x + 1], row[3 * x]) for x in range(width)])
    return width, height, rows


def read_screen(path):
    """A screenshot as rows of (r, g, b), through ImageMagick's plain PPM."""
    data = subprocess.run(["convert", path, "ppm:-"], capture_output=True, check=True, timeout=60).stdout
    fields = data.split(maxsplit=4)  # P6, width, height, maximum, pixels
    width, height, pixels = int(fields[1]), int(fields[2]), fields[4]
    return [[tuple(pixels[3 * (y * width + x):3 * (y * width + x) + 3]) for x in range(width)] for y in range(height)]


def spans(bands):
    rows = {}
    for left, top, right, bottom in bands:
        for y in range(top, bottom):
            rows[y] = (left, right)
    return rows


def inside(rows, rect):
    left, top, right, bottom = rect
    return all(y in rows and rows[y][0] <= left and right <= rows[y][1] for y in range(top, bottom))


def scaled(rect, factor):
    return tuple(v * factor for v in rect)


class Display:
    """An Xvfb screen large enough for the window at factor 3, on a display number it picks itself."""

    def __init__(self):
        read, write = os.pipe()
        self.process = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "%dx%dx24" % SCREEN,
                                         "-nolisten", "tcp"], pass_fds=(write,), stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL)
        os.close(write)
        with os.fdopen(read) as f:
            self.name = ":" + f.readline().strip()

    def stop(self):
        self.process.terminate()
        self.process.wait(timeout=30)


class DpiSuite:
    def __init__(self, options):
        self.options = options
        self.source = os.path.abspath(options.source_dir)
        self.work = os.path.abspath(options.work)
        self.artifacts = os.path.abspath(options.artifacts)
        self.checks = Checks()
        self.outline = read_outline(self.source)
        self.places = control_places(self.source)
        self.inside_96 = {cid for cid, rect in self.places.items() if inside(spans(self.outline), rect)}
        self.face = read_bmp24(os.path.join(self.source, "res", "bitmaps", "face.bmp"))[2]
        self.play_strip = read_bmp24(os.path.join(self.source, "res", "bitmaps", "strip_238.bmp"))[2]
        self.startups = {}
        self.shots = []

    def set_dpi(self, wine, dpi):
        # Read at the server's start: write it, then let the server end before the player starts.
        wine.stop_all()
        wine.reg("add", DESKTOP_KEY, "/v", "LogPixels", "/t", "REG_DWORD", "/d", str(dpi), "/f")
        # No CDDB server: a refused connection ends the first look-up at once.
        wine.reg("add", SETTINGS_KEY, "/v", "Server", "/t", "REG_SZ", "/d", "127.0.0.1", "/f")
        wine.reg("add", SETTINGS_KEY, "/v", "Port", "/t", "REG_DWORD", "/d", "9", "/f")
        wine.stop_all()

    def start(self, wine, driver, label):
        """The player on the demo disc; seconds from its start to its shown window (None: never)."""
        sheet = os.path.join(self.source, "demo", "demo.cue")
        began = time.monotonic()
        player = Player(wine, self.options.player, self.work, sheet, os.path.join(self.work, label + ".log"))
        shown = driver("wait-shown", 60)
        return player, (time.monotonic() - began if shown.get("shown") else None)

    def exit_by_click(self, player, driver, factor, label):
        exit_rect = scaled(self.places[EXIT], factor)
        x, y = (exit_rect[0] + exit_rect[2]) // 2, (exit_rect[1] + exit_rect[3]) // 2
        answer = driver("mouse-click", x, y)
        self.checks.equal(answer.get("control"), EXIT, "%s: the click at (%d, %d) reaches EXIT" % (label, x, y))
        self.checks.equal(player.wait(20), 0, "%s: EXIT ends the player" % label)

    def check_geometry(self, driver, factor, label):
        geometry = driver("geometry")
        if not self.checks.check("rect" in geometry, "%s: the window's geometry" % label, str(geometry)):
            return None
        left, top, right, bottom = geometry["rect"]
        self.checks.equal((right - left, bottom - top), (WINDOW_96[0] * factor, WINDOW_96[1] * factor),
                          "%s: window size at factor %d" % (label, factor))
        region = [tuple(band) for band in geometry["region"]]
        self.checks.equal(region, [scaled(band, factor) for band in self.outline],
                          "%s: the region is the outline scaled by %d" % (label, factor))
        rows = spans(region)
        controls = {c["id"]: tuple(c["rect"]) for c in geometry["controls"]}
        misplaced = {cid: controls.get(cid) for cid, rect in self.places.items()
                     if controls.get(cid) != scaled(rect, factor)}
        self.checks.equal(misplaced, {}, "%s: every control at its scaled place" % label)
        outside = sorted(cid for cid in self.inside_96 if cid not in controls or not inside(rows, controls[cid]))
        self.checks.equal(outside, [], "%s: the %d controls inside the outline at 96 DPI are inside the region"
                          % (label, len(self.inside_96)))
        return geometry["rect"]

    def screenshot(self, rect, label):
        left, top, right, bottom = rect
        path = os.path.join(self.artifacts, "player-%s.png" % label)
        result = subprocess.run(["import", "-window", "root", "-crop", "%dx%d+%d+%d" % (right - left, bottom - top,
                                                                                          left, top), path],
                                capture_output=True, timeout=60)
        if self.checks.check(result.returncode == 0, "%s: screenshot" % label, result.stderr.decode("latin-1")):
            self.shots.append(path)
            return path
        return None

    def check_pixels(self, path, factor, label):
        """Pixel for pixel, the face and the PLAY button (disabled while playing: its normal frame) are
        their 96-DPI bitmaps with every pixel made factor x factor: no smoothing."""
        screen = read_screen(path)
        # What each 96-DPI pixel should show: the face, PLAY's frame, or nothing known (outside the
        # outline, under another control, the rest of PLAY).
        expected = [[None] * len(self.face[0]) for _ in self.face]
        for y, (left, right) in spans(self.outline).items():
            expected[y][left:right] = self.face[y][left:right]
        for cid, (left, top, right, bottom) in self.places.items():
            for y in range(top, min(bottom, len(expected))):
                expected[y][left:right] = [None] * (min(right, len(expected[y])) - left)
        left, top = self.places[PLAY][:2]
        for y in range(PLAY_FRAME[1]):
            expected[top + y][left:left + PLAY_FRAME[0]] = self.play_strip[y][:PLAY_FRAME[0]]
        compared = wrong = 0
        for y, row in enumerate(screen[:len(expected) * factor]):
            wanted = expected[y // factor]
            for x, pixel in enumerate(row[:len(wanted) * factor]):
                if wanted[x // factor] is not None:
                    compared += 1
                    wrong += wanted[x // factor] != pixel
        self.checks.check(compared > 100000 * factor * factor and wrong == 0,
                          "%s: the face and PLAY's frame are their bitmaps, pixels repeated %d x %d" % (label, factor, factor),
                          "%d of %d pixels differ" % (wrong, compared))

    def run_at(self, label, dpi, factor, without_font):
        print("== %s: %d DPI%s, factor %d" % (label, dpi, " in a prefix without MS Sans Serif" if without_font else "",
                                              factor), flush=True)
        wine = Wine(self.options.prefix + ("-nofont" if without_font else ""), self.source, not without_font)
        self.set_dpi(wine, dpi)
        driver = Driver(wine, self.options.driver)
        player = None
        try:
            starts = TIMED_STARTS if dpi in TIMED_DPIS and not without_font else 1
            for start in range(starts):
                player, seconds = self.start(wine, driver, label)
                if not self.checks.check(seconds is not None, "%s: the player window is shown" % label):
                    return
                self.startups.setdefault(label, []).append(seconds)
                if start + 1 < starts:
                    self.exit_by_click(player, driver, factor, label)
            time.sleep(1)  # the first paint
            rect = self.check_geometry(driver, factor, label)
            shot = self.screenshot(rect, label) if rect is not None else None
            if shot is not None:
                self.check_pixels(shot, factor, label)
            if label == "96":
                # Moved to a monitor of twice the density: redrawn at factor 2, then back.
                for moved_dpi, moved_factor in ((192, 2), (96, 1)):
                    self.checks.equal(driver("dpi-changed", moved_dpi).get("dpi"), moved_dpi,
                                      "%s: told of %d DPI" % (label, moved_dpi))
                    self.check_geometry(driver, moved_factor, "%s moved to %d DPI" % (label, moved_dpi))
            self.exit_by_click(player, driver, factor, label)
        finally:
            if player is not None:
                player.kill()
            wine.stop_all()

    def run(self):
        # The prefix without the font is made anew each time: a fresh one, as a new user's.
        shutil.rmtree(self.options.prefix + "-nofont", ignore_errors=True)
        for folder in (self.work, self.artifacts):
            shutil.rmtree(folder, ignore_errors=True)
            os.makedirs(folder)
        display = Display()
        os.environ["DISPLAY"] = display.name
        try:
            for label, dpi, factor, without_font in RUNS:
                self.run_at(label, dpi, factor, without_font)
        except Exception:  # noqa: BLE001 - reported as a failed check, then the exit code says so
            traceback.print_exc()
            self.checks.check(False, "the run went through")
        finally:
            display.stop()
        print("== start-up to a shown window (seconds, each start)")
        for label, times in self.startups.items():
            print("  %-10s %s  median %.2f" % (label, " ".join("%.2f" % t for t in times), statistics.median(times)))
        if all(label in self.startups for label in ("96", "192")):
            # The first start of each DPI also starts Wine's server: the later ones are compared.
            warm = {label: statistics.median(self.startups[label][1:] or self.startups[label]) for label in ("96", "192")}
            print("  192 DPI / 96 DPI (warm starts): %.2f" % (warm["192"] / warm["96"]))
        print("== screenshots")
        for path in self.shots:
            print("  " + path)
        return self.checks.summary()


def main():
    # The suite brings its own screen, larger than the one the other suites use.
    os.environ.setdefault("DISPLAY", ":0")
    options = suite_options(__doc__.splitlines()[0])
    return 2 if options is None else DpiSuite(options).run()


if __name__ == "__main__":
    sys.exit(main())
