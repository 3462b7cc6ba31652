"""The player's face bitmap (570 x 567): the body inside the outline, panels under the controls."""

from PIL import Image, ImageDraw, ImageFilter

import layout
from palette import (AMBER, AMBER_DIM, AMBER_PALE, BEVEL_DARK, BLACK, BODY_BOTTOM, BODY_TOP, EDGE_BLACK,
                     HIGHLIGHT, HIGHLIGHT_BRIGHT, NEUTRAL, ORANGE, STEEL, STEEL_DARK, STEEL_PALE, font, mix,
                     noise)
from strips import draw_text, text_width

SIZE = (570, 567)
DECK = (0x1A, 0x1D, 0x22)  # the transport plate; the slider's track is drawn on the same colour


def _mask(rows):
    m = Image.new("L", SIZE, 0)
    d = ImageDraw.Draw(m)
    for y, (left, right) in enumerate(rows):
        d.line((left, y, right - 1, y), fill=255)
    return m


def _shifted(mask, dx, dy):
    out = Image.new("L", mask.size, 0)
    out.paste(mask, (dx, dy))
    return out


def _brushed_metal():
    w, h = SIZE
    data = bytearray()
    streak = [noise(0, y, 7) for y in range(h)]
    for y in range(h):
        base = mix(BODY_TOP, BODY_BOTTOM, y / (h - 1))
        s = (streak[y] + streak[max(0, y - 1)] + streak[min(h - 1, y + 1)]) / 3.0
        for x in range(w):
            v = (s - 0.5) * 5 + (noise(x // 3, y, 3) - 0.5) * 3
            data += bytes(max(0, min(255, int(c + v))) for c in base)
    return Image.frombytes("RGB", SIZE, bytes(data))


def _recess(d, box, radius, fill, rim=EDGE_BLACK, light=HIGHLIGHT):
    """Panel sunk into the body: light catches its lower right lip, its upper left edge is in shadow."""
    x0, y0, x1, y1 = box
    d.rounded_rectangle((x0 - 1, y0 - 1, x1 + 1, y1 + 1), radius=radius + 1, fill=light)
    d.rounded_rectangle((x0 - 2, y0 - 2, x1, y1), radius=radius + 1, fill=rim)
    d.rounded_rectangle((x0, y0, x1, y1), radius=radius, fill=fill)


def _label(d, text, x, y, size=8, colour=AMBER, align="left"):
    f = font(size)
    w = text_width(text, f)
    if align == "right":
        x -= w
    elif align == "centre":
        x -= w // 2
    draw_text(d, x, y, text, f, colour)


def _well(d, cid):
    x0, y0, x1, y1 = layout.button_well(cid)
    d.rectangle((x0 - 2, y0 - 2, x1, y1), outline=mix(EDGE_BLACK, BLACK, 0.5))
    d.rectangle((x0 - 1, y0 - 1, x1 + 1, y1 + 1), outline=EDGE_BLACK)
    d.line((x0 - 1, y1 + 1, x1 + 1, y1 + 1), fill=HIGHLIGHT)
    d.line((x1 + 1, y0 - 1, x1 + 1, y1 + 1), fill=HIGHLIGHT)


def _knob(img, d):
    cx, cy = 63.5, 22
    for r, c in ((21, EDGE_BLACK), (19, HIGHLIGHT_BRIGHT), (18, STEEL_DARK)):
        d.ellipse((cx - r, cy - r, cx + r, cy + r), fill=c)
    for i in range(15, 0, -1):
        c = mix(STEEL, STEEL_DARK, i / 15)
        d.ellipse((cx - i - 1, cy - i - 3, cx + i + 1, cy + i - 1), fill=c)
    d.arc((cx - 17, cy - 17, cx + 17, cy + 17), 200, 320, fill=STEEL_PALE)
    _label(d, "CDDB", int(cx), 18, 8, AMBER_PALE, "centre")


def _disc(d, cx, cy, r):
    rainbow = [(255, 90, 90), (255, 190, 60), (240, 240, 90), (90, 220, 120), (80, 170, 255), (190, 110, 255)]
    d.ellipse((cx - r - 2, cy - r - 2, cx + r + 2, cy + r + 2), fill=EDGE_BLACK)
    d.ellipse((cx - r, cy - r, cx + r, cy + r), fill=(0xB8, 0xBE, 0xC8))
    for i, c in enumerate(rainbow):
        a0 = 200 + i * 12
        d.pieslice((cx - r, cy - r, cx + r, cy + r), a0, a0 + 12, fill=mix(c, (0xB8, 0xBE, 0xC8), 0.35))
        d.pieslice((cx - r, cy - r, cx + r, cy + r), a0 + 180, a0 + 192, fill=mix(c, (0xB8, 0xBE, 0xC8), 0.5))
    d.ellipse((cx - r * 0.38, cy - r * 0.38, cx + r * 0.38, cy + r * 0.38), fill=(0x8C, 0x93, 0x9E))
    d.ellipse((cx - r * 0.3, cy - r * 0.3, cx + r * 0.3, cy + r * 0.3), outline=AMBER, width=2)
    d.ellipse((cx - 5, cy - 5, cx + 5, cy + 5), fill=(0x23, 0x27, 0x2E))


def build(rows):
    mask = _mask(rows)
    img = _brushed_metal()
    d = ImageDraw.Draw(img)
    c = layout.CONTROLS

    # Server column: a steel-blue trough down the pod, the jewel on the knob.
    _recess(d, (12, 54, 100, 394), 30, (0x18, 0x22, 0x2E), light=mix(HIGHLIGHT, STEEL, 0.3))
    d.line((56, 58, 56, 390), fill=mix(STEEL, (0x18, 0x22, 0x2E), 0.55))
    _knob(img, d)

    # Top: the name plate and the window buttons' plate.
    _label(d, "disc", 132, 37, 17, AMBER)
    _label(d, "deck", 132 + text_width("disc", font(17)), 37, 17, ORANGE)
    _label(d, "CD AUDIO  \u00b7  CDDB", 226, 44, 7, STEEL_PALE)
    _recess(d, (468, 42, 536, 64), 5, DECK)

    # Play modes and the server fields.
    _recess(d, (134, 76, 488, 100), 6, DECK)
    l, t, r, b = c[1011]
    _recess(d, (l - 2, t - 2, r + 1, b + 1), 3, BLACK)
    _label(d, "SERVER", l - 7, t + 6, 8, AMBER, "right")
    l, t, r, b = c[1012]
    _recess(d, (l - 2, t - 2, r + 1, b + 1), 3, BLACK)
    _label(d, "PORT", l - 7, t + 6, 8, AMBER, "right")

    # The display: list and title line, with the category and disc id boxes below its right end.
    ll, lt, lr, lb = c[1000]
    tl, tt, tr, tb = c[1047]
    _recess(d, (tl - 6, lt - 6, lr + 6, tb + 4), 8, BLACK)
    kl, kt, kr, kb = c[1018]
    _recess(d, (kl - 6, kt - 2, kr + 6, c[1017][3] + 6), 6, BLACK)
    d.rectangle((kl - 4, tb, kr + 4, kt + 2), fill=BLACK)
    _label(d, "CATEGORY", kl - 12, kt + 7, 8, AMBER, "right")
    _label(d, "DISC ID", kl - 12, c[1017][1] + 7, 8, AMBER, "right")
    d.line((kl - 84, kt + 22, kl - 12, kt + 22), fill=mix(AMBER, BODY_BOTTOM, 0.7))

    # Maker's mark in the lower left.
    _disc(d, 166, 444, 24)
    _label(d, "discdeck", 198, 430, 15, AMBER)
    _label(d, "COMPACT DISC PLAYER", 199, 450, 7, STEEL_PALE)

    # Transport deck with the slider groove; the slider paints from 3 pixels below its top.
    sl, st, sr, sb = c[1045]
    _recess(d, (186, 478, 498, 543), 10, DECK)
    for cid in (1032, 1033, 1034, 1035, 1036, 1039):
        _well(d, cid)
    d.line((sl, st + 1, sr - 1, st + 1), fill=mix(DECK, BLACK, 0.4))

    # Right flank: a grille of slots with an amber lamp above it.
    for y in range(168, 322, 7):
        left = max(528, rows[y][0])
        right = min(rows[y][1], rows[y + 2][1]) - 8
        if right - left > 6:
            d.rounded_rectangle((left + 4, y, right, y + 2), radius=1, fill=EDGE_BLACK)
            d.line((left + 5, y + 3, right, y + 3), fill=HIGHLIGHT)
    d.ellipse((541, 146, 549, 154), fill=EDGE_BLACK)
    d.ellipse((542, 147, 548, 153), fill=ORANGE)
    d.point((544, 149), fill=AMBER_PALE)

    # Chin and the foot of the list-save button.
    _label(d, "DIGITAL AUDIO", 303, 551, 7, HIGHLIGHT_BRIGHT, "centre")
    for cid in layout.BUTTONS:
        if cid < 1032 or cid > 1039 or cid in (1037, 1038):
            _well(d, cid)

    # Edge of the body: a dark rim, lit along its upper left side.
    inner1 = mask.filter(ImageFilter.MinFilter(3))
    inner2 = inner1.filter(ImageFilter.MinFilter(3))
    lit = Image.eval(_shifted(mask, 2, 2), lambda v: 255 - v)
    shade = Image.eval(_shifted(mask, -2, -2), lambda v: 255 - v)
    rim = Image.eval(inner2, lambda v: 255 - v)
    img.paste(BEVEL_DARK, (0, 0), rim)
    lit_rim = Image.composite(lit, Image.new("L", SIZE, 0), rim)
    shade_rim = Image.composite(shade, Image.new("L", SIZE, 0), rim)
    img.paste(HIGHLIGHT_BRIGHT, (0, 0), lit_rim)
    img.paste(EDGE_BLACK, (0, 0), shade_rim)
    img.paste(EDGE_BLACK, (0, 0), Image.eval(inner1, lambda v: 255 - v))

    out = Image.new("RGB", SIZE, NEUTRAL)
    out.paste(img, (0, 0), mask)
    return out
