"""Button strips, the slider's thumb and track.

A strip holds its frames side by side: 0 normal, 1 down, 2 hover for push buttons; 0 off, 1 on for
the toggles. Frames are opaque rectangles; the face draws a matching well around each button.
"""

from PIL import Image, ImageDraw

from palette import (AMBER, AMBER_DIM, AMBER_PALE, BLACK, EDGE_BLACK, ORANGE, STEEL, STEEL_PALE,
                     TRANSPARENT, font, mix)

# Body gradients (top, bottom) per theme and state.
THEMES = {
    "transport": {
        0: ((0x4C, 0x53, 0x5E), (0x25, 0x29, 0x30)),
        1: ((0x17, 0x1A, 0x1F), (0x2B, 0x30, 0x37)),
        2: ((0x60, 0x68, 0x74), (0x31, 0x36, 0x3F)),
    },
    "server": {
        0: ((0x34, 0x4A, 0x64), (0x1A, 0x25, 0x33)),
        1: ((0x10, 0x17, 0x20), (0x22, 0x31, 0x43)),
        2: ((0x44, 0x5F, 0x80), (0x22, 0x31, 0x44)),
    },
}
LABEL = {0: AMBER, 1: ORANGE, 2: AMBER_PALE}


def _gradient(draw, box, top, bottom):
    x0, y0, x1, y1 = box
    for y in range(y0, y1):
        t = (y - y0) / max(1, y1 - y0 - 1)
        draw.line((x0, y, x1 - 1, y), fill=mix(top, bottom, t))


def _frame_body(img, x0, w, h, theme, state, accent):
    d = ImageDraw.Draw(img)
    top, bottom = THEMES[theme][state]
    _gradient(d, (x0, 0, x0 + w, h), top, bottom)
    # Outer edge, then a one-pixel bevel: light above for raised frames, dark above when pressed.
    d.rectangle((x0, 0, x0 + w - 1, h - 1), outline=EDGE_BLACK)
    light = mix(top, (255, 255, 255), 0.22)
    dark = mix(bottom, BLACK, 0.45)
    if state == 1:
        light, dark = dark, mix(bottom, (255, 255, 255), 0.12)
    d.line((x0 + 1, 1, x0 + w - 2, 1), fill=light)
    d.line((x0 + 1, 1, x0 + 1, h - 2), fill=light)
    d.line((x0 + 1, h - 2, x0 + w - 2, h - 2), fill=dark)
    d.line((x0 + w - 2, 1, x0 + w - 2, h - 2), fill=dark)
    if state == 2:
        d.rectangle((x0, 0, x0 + w - 1, h - 1), outline=mix(accent, EDGE_BLACK, 0.35))
    return d


def text_width(text, f):
    return sum(round(f.getlength(ch)) for ch in text)


def draw_text(d, x, y, text, f, colour):
    """Letter by letter on whole-pixel advances: at these sizes the library's own layout can open
    uneven gaps between capitals."""
    top = d.textbbox((0, 0), "H", font=f)[1]
    for ch in text:
        d.text((x, y - top), ch, font=f, fill=colour)
        x += round(f.getlength(ch))


def _text(d, x0, w, y, text, size, colour, offset=0):
    f = font(size)
    draw_text(d, x0 + (w - text_width(text, f)) // 2 + offset, y + offset, text, f, colour)


def _glyph(d, kind, cx, cy, colour, offset):
    cx += offset
    cy += offset
    if kind == "play":
        d.polygon([(cx - 3, cy - 5), (cx - 3, cy + 5), (cx + 5, cy)], fill=colour)
    elif kind == "stop":
        d.rectangle((cx - 4, cy - 4, cx + 4, cy + 4), fill=colour)
    elif kind == "pause":
        d.rectangle((cx - 4, cy - 4, cx - 2, cy + 4), fill=colour)
        d.rectangle((cx + 2, cy - 4, cx + 4, cy + 4), fill=colour)
    elif kind == "rew":
        d.polygon([(cx, cy - 4), (cx, cy + 4), (cx - 5, cy)], fill=colour)
        d.polygon([(cx + 5, cy - 4), (cx + 5, cy + 4), (cx, cy)], fill=colour)
        d.line((cx - 6, cy - 4, cx - 6, cy + 4), fill=colour)
    elif kind == "fwd":
        d.polygon([(cx, cy - 4), (cx, cy + 4), (cx + 5, cy)], fill=colour)
        d.polygon([(cx - 5, cy - 4), (cx - 5, cy + 4), (cx, cy)], fill=colour)
        d.line((cx + 6, cy - 4, cx + 6, cy + 4), fill=colour)
    elif kind == "eject":
        d.polygon([(cx - 5, cy + 1), (cx + 5, cy + 1), (cx, cy - 5)], fill=colour)
        d.rectangle((cx - 5, cy + 3, cx + 5, cy + 4), fill=colour)


def transport_strip(width, label, glyph, visible=None):
    """26-pixel frames: a glyph above a small label, centred in the part the control shows."""
    h = 26
    img = Image.new("RGB", (width * 3, h))
    shown = min(width, visible or width)
    for state in (0, 1, 2):
        x0 = state * width
        d = _frame_body(img, x0, width, h, "transport", state, AMBER)
        off = 1 if state == 1 else 0
        colour = LABEL[state]
        _glyph(d, glyph, x0 + shown // 2, 9, colour, off)
        _text(d, x0, shown, 17, label, 7, colour, off)
    return img


def server_strip(width, label, icon=None):
    """15-pixel frames of the server column, steel blue with amber labels."""
    h = 15
    img = Image.new("RGB", (width * 3, h))
    for state in (0, 1, 2):
        x0 = state * width
        d = _frame_body(img, x0, width, h, "server", state, STEEL_PALE)
        off = 1 if state == 1 else 0
        colour = LABEL[state]
        if icon == "disk":
            # A small floppy disk at the left, so that even a frame cut to its first 12 pixels says "save".
            bx, by = x0 + 2 + off, 2 + off
            d.rectangle((bx, by, bx + 9, by + 10), fill=colour)
            d.rectangle((bx + 2, by, bx + 7, by + 3), fill=mix(colour, BLACK, 0.6))
            d.rectangle((bx + 5, by + 1, bx + 6, by + 2), fill=colour)
            d.rectangle((bx + 2, by + 6, bx + 7, by + 10), fill=(235, 235, 235) if state != 1 else (200, 200, 200))
            _text(d, x0 + 12, width - 13, 4, label, 7, colour, off)
        else:
            _text(d, x0, width, 4, label, 8, colour, off)
    return img


def window_strip(glyph):
    """11 x 13 frames of the small window buttons."""
    w, h = 11, 13
    img = Image.new("RGB", (w * 3, h))
    for state in (0, 1, 2):
        x0 = state * w
        d = _frame_body(img, x0, w, h, "transport", state, AMBER)
        off = 1 if state == 1 else 0
        c = LABEL[state]
        cx, cy = x0 + 5 + off, 6 + off
        if glyph == "hide":
            d.rectangle((cx - 3, cy + 2, cx + 3, cy + 3), fill=c)
        elif glyph == "exit":
            for i in range(-3, 4):
                d.point((cx + i, cy + i), fill=c)
                d.point((cx + i, cy - i), fill=c)
                d.point((cx + i + 1, cy + i), fill=mix(c, BLACK, 0.4))
                d.point((cx + i + 1, cy - i), fill=mix(c, BLACK, 0.4))
        elif glyph == "about":
            pts = [(-2, -3), (-1, -4), (0, -4), (1, -4), (2, -3), (2, -2), (1, -1), (0, 0), (0, 1)]
            for px, py in pts:
                d.point((cx + px, cy + py), fill=c)
            d.point((cx, cy + 3), fill=c)
    return img


def toggle_strip(width, label):
    """16-pixel frames: 0 off (dark lamp), 1 on (lit amber lamp, pressed face)."""
    h = 16
    img = Image.new("RGB", (width * 2, h))
    for state in (0, 1):
        x0 = state * width
        d = _frame_body(img, x0, width, h, "transport", state, AMBER)
        off = 1 if state else 0
        lx, ly = x0 + 5 + off, 4 + off
        if state:
            d.ellipse((lx - 2, ly - 2, lx + 9, ly + 9), fill=mix(ORANGE, (0x2B, 0x30, 0x37), 0.55))
            d.ellipse((lx, ly, lx + 7, ly + 7), fill=ORANGE)
            d.ellipse((lx + 1, ly + 1, lx + 4, ly + 4), fill=AMBER_PALE)
            colour = AMBER
        else:
            d.ellipse((lx, ly, lx + 7, ly + 7), fill=(0x3A, 0x24, 0x12), outline=EDGE_BLACK)
            d.point((lx + 2, ly + 2), fill=(0x6A, 0x44, 0x20))
            colour = (0x8C, 0x86, 0x7C)
        _text(d, x0 + 14, width - 16, 4, label, 8, colour, off)
    return img


def thumb():
    """33 x 17 slider knob; the corners keep the key colour so it is drawn transparently."""
    w, h = 33, 17
    img = Image.new("RGB", (w, h), TRANSPARENT)
    d = ImageDraw.Draw(img)
    d.rounded_rectangle((0, 1, w - 1, h - 1), radius=7, fill=EDGE_BLACK)
    d.rounded_rectangle((1, 2, w - 2, h - 2), radius=6, fill=(0x55, 0x5D, 0x69))
    for y in range(3, h - 3):
        t = (y - 3) / (h - 7)
        d.line((3, y, w - 4, y), fill=mix((0x7A, 0x83, 0x90), (0x30, 0x35, 0x3D), t))
    d.rounded_rectangle((1, 2, w - 2, h - 2), radius=6, outline=(0x22, 0x26, 0x2C))
    for x in (11, 16, 21):
        d.line((x, 5, x, h - 5), fill=mix(AMBER, BLACK, 0.15))
        d.line((x + 1, 5, x + 1, h - 5), fill=(0x2A, 0x2E, 0x35))
    img.putpixel((0, 0), TRANSPARENT)
    return img


def track(width=297, deck=(0x1A, 0x1D, 0x22)):
    """297 x 17 groove with a tick scale, drawn opaquely on the deck colour."""
    h = 17
    img = Image.new("RGB", (width, h), deck)
    d = ImageDraw.Draw(img)
    d.rounded_rectangle((2, 6, width - 3, 10), radius=2, fill=BLACK, outline=(0x0E, 0x10, 0x13))
    d.line((4, 11, width - 5, 11), fill=(0x30, 0x35, 0x3D))
    d.line((4, 8, width - 5, 8), fill=mix(ORANGE, BLACK, 0.55))
    for i in range(11):
        x = 4 + (width - 9) * i // 10
        tall = i % 5 == 0
        d.line((x, 1 if tall else 2, x, 3), fill=AMBER if tall else AMBER_DIM)
        d.line((x, 13, x, 15 if tall else 14), fill=AMBER if tall else AMBER_DIM)
    return img


# Strip id -> builder. Labels sit in the part of the frame that the button control shows.
def all_strips():
    return {
        238: transport_strip(24, "PLAY", "play"),
        236: transport_strip(28, "STOP", "stop"),
        241: transport_strip(34, "PAUSE", "pause"),
        239: transport_strip(42, "REW", "rew", visible=41),
        237: transport_strip(47, "FWD", "fwd", visible=41),
        240: transport_strip(30, "EJECT", "eject"),
        244: server_strip(30, "HELP"),
        1004: server_strip(50, "VER"),
        1005: server_strip(34, "SITES"),
        1006: server_strip(44, "STAT"),
        246: server_strip(63, "MOTD"),
        243: server_strip(70, "LSCAT"),
        250: server_strip(62, "CDDB"),
        1019: server_strip(47, "LYRICS"),
        247: server_strip(33, "SAVE", icon="disk"),
        1003: window_strip("about"),
        234: window_strip("exit"),
        232: window_strip("hide"),
        258: toggle_strip(98, "REPEAT TRACK"),
        259: toggle_strip(86, "REPEAT DISC"),
        260: toggle_strip(62, "RANDOM"),
        257: toggle_strip(64, "SAMPLE"),
    }
