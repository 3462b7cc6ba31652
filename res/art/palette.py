"""Colours and fonts shared by the player's and the setup program's artwork."""

import os

from PIL import ImageFont

BODY = (0x23, 0x27, 0x2E)
BODY_TOP = (0x2C, 0x31, 0x39)
BODY_BOTTOM = (0x1D, 0x21, 0x27)
BEVEL_DARK = (0x14, 0x17, 0x1C)
EDGE_BLACK = (0x0B, 0x0D, 0x10)
HIGHLIGHT = (0x3A, 0x40, 0x4A)
HIGHLIGHT_BRIGHT = (0x5A, 0x62, 0x6E)
ORANGE = (255, 128, 0)
AMBER = (0xFF, 0xB4, 0x3C)
AMBER_DIM = (0x9A, 0x6C, 0x2A)
AMBER_PALE = (0xFF, 0xE2, 0xA8)
STEEL = (0x3C, 0x78, 0xB4)
STEEL_DARK = (0x1E, 0x33, 0x4A)
STEEL_PALE = (0x9C, 0xC4, 0xEA)
BLACK = (0, 0, 0)
NEUTRAL = (0x80, 0x80, 0x80)  # outside the window's outline: never shown
TRANSPARENT = (255, 0, 255)  # key colour of bitmaps drawn transparently

FONT_BOLD = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"
FONT_REGULAR = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"


def font(size, bold=True):
    path = FONT_BOLD if bold else FONT_REGULAR
    if not os.path.exists(path):
        raise SystemExit(f"{path} is missing: install fonts-dejavu-core (scripts/bootstrap)")
    return ImageFont.truetype(path, size)


def mix(a, b, t):
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3))


def noise(x, y, seed=0):
    """Deterministic value in [0, 1) from a pixel position: the texture must not vary run to run."""
    h = (x * 374761393 + y * 668265263 + seed * 2246822519) & 0xFFFFFFFF
    h = ((h ^ (h >> 13)) * 1274126177) & 0xFFFFFFFF
    return ((h ^ (h >> 16)) & 0xFFFF) / 65536.0
