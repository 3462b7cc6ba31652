#!/usr/bin/python3
"""Draws the setup program's artwork: the banner (bitmap 130, 428 x 121, 24 bits) and the program
icon (icon 128, 16 x 16 and 32 x 32, 32 bits). Same look as the player: graphite metal body, amber
and orange lettering, steel-blue accents, a black display panel.

    /usr/bin/python3 res/setup/make_setup_art.py   (writes banner.bmp and setup.ico beside this file)

Deterministic: no randomness but a hash of the pixel position, so a second run writes the same bytes.
Needs python3-pil and fonts-dejavu-core.
"""

import math
import os
import struct
import sys

from PIL import Image, ImageDraw, ImageFilter

HERE = os.path.dirname(os.path.abspath(__file__))

# One palette and one set of drawing helpers for the player's and the setup program's art.
sys.path.insert(0, os.path.join(HERE, "..", "art"))
from palette import (  # noqa: E402
    AMBER,
    AMBER_DIM,
    BEVEL_DARK,
    BLACK,
    BODY,
    BODY_BOTTOM,
    BODY_TOP,
    HIGHLIGHT,
    ORANGE,
    STEEL,
    STEEL_PALE,
    font,
    mix,
    noise,
)

BANNER_SIZE = (428, 121)


def brushed_body(width, height):
    """Graphite metal: a vertical gradient, fine horizontal brush streaks, bevelled edges."""
    image = Image.new("RGB", (width, height))
    pixels = image.load()
    for y in range(height):
        base = mix(BODY_TOP, BODY_BOTTOM, y / max(1, height - 1))
        for x in range(width):
            # Streaks run along x: the row's own value, slowly varied along the row.
            streak = noise(x // 23, y, 1) * 0.5 + noise(x // 5, y, 2) * 0.3 + noise(x, y, 3) * 0.2
            delta = int(round((streak - 0.5) * 10))
            pixels[x, y] = tuple(max(0, min(255, c + delta)) for c in base)
    draw = ImageDraw.Draw(image)
    draw.line([(0, 0), (width - 1, 0)], fill=HIGHLIGHT)
    draw.line([(0, 0), (0, height - 1)], fill=HIGHLIGHT)
    draw.line([(1, 1), (width - 2, 1)], fill=mix(HIGHLIGHT, BODY, 0.5))
    draw.line([(0, height - 1), (width - 1, height - 1)], fill=BEVEL_DARK)
    draw.line([(width - 1, 0), (width - 1, height - 1)], fill=BEVEL_DARK)
    draw.line([(1, height - 2), (width - 2, height - 2)], fill=mix(BEVEL_DARK, BODY, 0.5))
    return image


def rainbow(angle):
    """The sheen of a disc's data side: soft hues that turn with the angle."""
    r = 0.5 + 0.5 * math.cos(angle * 2)
    g = 0.5 + 0.5 * math.cos(angle * 2 - 2.1)
    b = 0.5 + 0.5 * math.cos(angle * 2 + 2.1)
    return (r, g, b)


def draw_disc(image, cx, cy, radius, scale=4):
    """A compact disc, supersampled: silver with a rainbow sheen, grooves and an amber hub."""
    size = radius * 2 + 2
    big = Image.new("RGBA", (size * scale, size * scale), (0, 0, 0, 0))
    px = big.load()
    centre = size * scale / 2.0
    for y in range(size * scale):
        for x in range(size * scale):
            dx = (x + 0.5 - centre) / scale
            dy = (y + 0.5 - centre) / scale
            d = math.hypot(dx, dy)
            if d > radius:
                continue
            angle = math.atan2(dy, dx)
            if d < radius * 0.12:
                continue  # the hole
            if d < radius * 0.34:
                # Clear hub with an amber ring.
                t = (d - radius * 0.12) / (radius * 0.22)
                colour = mix(AMBER_DIM, AMBER, 1 - abs(t - 0.5) * 2) if 0.25 < t < 0.75 else (0x50, 0x56, 0x60)
                px[x, y] = colour + (255,)
                continue
            hue = rainbow(angle + 0.6)
            sheen = max(0.0, math.cos(angle * 2 - 0.8)) ** 3
            silver = 0.62 + 0.25 * (d / radius)
            groove = 0.04 * math.sin(d * 3.1)
            level = [silver + groove + sheen * (h - 0.35) * 0.9 for h in hue]
            colour = tuple(max(0, min(255, int(255 * v))) for v in level)
            if d > radius - 1.2:
                colour = mix(colour, (0x70, 0x76, 0x80), 0.6)
            px[x, y] = colour + (255,)
    small = big.resize((size, size), Image.LANCZOS)
    # A soft shadow under the disc, on the metal.
    shadow = Image.new("RGBA", image.size, (0, 0, 0, 0))
    ImageDraw.Draw(shadow).ellipse(
        [cx - radius + 2, cy - radius + 3, cx + radius + 2, cy + radius + 3], fill=(0, 0, 0, 130))
    shadow = shadow.filter(ImageFilter.GaussianBlur(3))
    base = image.convert("RGBA")
    base.alpha_composite(shadow)
    base.alpha_composite(small, (cx - size // 2, cy - size // 2))
    return base.convert("RGB")


def glow_text(image, position, text, fnt, colour, glow):
    """Text with a faint glow of its own colour, as the player's lit labels."""
    layer = Image.new("RGBA", image.size, (0, 0, 0, 0))
    ImageDraw.Draw(layer).text(position, text, font=fnt, fill=glow + (150,))
    layer = layer.filter(ImageFilter.GaussianBlur(2.5))
    base = image.convert("RGBA")
    base.alpha_composite(layer)
    ImageDraw.Draw(base).text(position, text, font=fnt, fill=colour + (255,))
    return base.convert("RGB")


def banner():
    width, height = BANNER_SIZE
    image = brushed_body(width, height)
    image = draw_disc(image, 62, 60, 44)

    draw = ImageDraw.Draw(image)
    # Display panel: black, with a dark bevel as the player's list.
    panel = (126, 14, width - 14, height - 16)
    draw.rectangle([panel[0] - 1, panel[1] - 1, panel[2] + 1, panel[3] + 1], fill=BEVEL_DARK)
    draw.rectangle([panel[0] - 1, panel[3] + 1, panel[2] + 1, panel[3] + 1], fill=HIGHLIGHT)
    draw.rectangle([panel[2] + 1, panel[1] - 1, panel[2] + 1, panel[3] + 1], fill=HIGHLIGHT)
    draw.rectangle(panel, fill=BLACK)

    title = font(34)
    x, y = panel[0] + 16, panel[1] + 8
    image = glow_text(image, (x, y), "disc", title, AMBER, AMBER)
    disc_width = ImageDraw.Draw(image).textlength("disc", font=title)
    image = glow_text(image, (x + disc_width, y), "deck", title, ORANGE, ORANGE)

    draw = ImageDraw.Draw(image)
    label = font(11)
    draw.text((x + 2, y + 46), "SETUP", font=label, fill=STEEL_PALE)
    setup_width = draw.textlength("SETUP", font=label)
    draw.text((x + 2 + setup_width + 10, y + 46), "COMPACT DISC PLAYER", font=label, fill=AMBER_DIM)
    # A steel-blue rule and the maker's address at the panel's foot.
    rule_y = panel[3] - 18
    draw.line([(panel[0] + 16, rule_y), (panel[2] - 16, rule_y)], fill=STEEL)
    small = font(9)
    address = "www.discdeck.example"
    draw.text((panel[2] - 16 - draw.textlength(address, font=small), rule_y + 4), address, font=small, fill=STEEL)
    # Status lamp, as on the player's face.
    lamp = (panel[2] - 22, panel[1] + 12)
    draw.ellipse([lamp[0] - 4, lamp[1] - 4, lamp[0] + 4, lamp[1] + 4], fill=mix(ORANGE, BLACK, 0.55))
    draw.ellipse([lamp[0] - 3, lamp[1] - 3, lamp[0] + 3, lamp[1] + 3], fill=ORANGE)
    draw.point([lamp[0] - 1, lamp[1] - 1], fill=AMBER)
    return image


def icon_image(size):
    """The program icon: a disc with an amber hub on a graphite tile."""
    scale = 8
    big = Image.new("RGBA", (size * scale, size * scale), (0, 0, 0, 0))
    draw = ImageDraw.Draw(big)
    s = size * scale
    corner = s // 6
    draw.rounded_rectangle([0, 0, s - 1, s - 1], radius=corner, fill=BODY + (255,), outline=BEVEL_DARK + (255,),
                           width=scale)
    draw.rounded_rectangle([scale, scale, s - 1 - scale, s - 1 - scale], radius=corner, outline=HIGHLIGHT + (255,),
                           width=max(1, scale // 2))
    margin = s * 0.12
    draw.ellipse([margin, margin, s - margin, s - margin], fill=(0xB8, 0xBE, 0xC8, 255))
    # Sheen wedges.
    for start, colour in ((200, (0x9C, 0xC4, 0xEA)), (20, (0xF0, 0xD0, 0x90))):
        draw.pieslice([margin, margin, s - margin, s - margin], start, start + 50, fill=colour + (255,))
    hub = s * 0.30
    draw.ellipse([hub, hub, s - hub, s - hub], fill=AMBER + (255,))
    hole = s * 0.43
    draw.ellipse([hole, hole, s - hole, s - hole], fill=BODY + (255,))
    return big.resize((size, size), Image.LANCZOS)


def ico_bytes(images):
    """An .ico file of 32-bit DIB entries (colour with alpha plus the AND mask)."""
    entries = []
    blobs = []
    offset = 6 + 16 * len(images)
    for image in images:
        w, h = image.size
        rows = []
        for y in range(h - 1, -1, -1):  # bottom-up
            row = bytearray()
            for x in range(w):
                r, g, b, a = image.getpixel((x, y))
                row += bytes((b, g, r, a))
            rows.append(bytes(row))
        mask_stride = ((w + 31) // 32) * 4
        mask = bytearray()
        for y in range(h - 1, -1, -1):
            bits = bytearray(mask_stride)
            for x in range(w):
                if image.getpixel((x, y))[3] < 128:
                    bits[x // 8] |= 0x80 >> (x % 8)
            mask += bits
        header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, len(b"".join(rows)) + len(mask), 0, 0, 0, 0)
        blob = header + b"".join(rows) + bytes(mask)
        entries.append(struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 32, len(blob), offset))
        blobs.append(blob)
        offset += len(blob)
    return struct.pack("<HHH", 0, 1, len(images)) + b"".join(entries) + b"".join(blobs)


def main():
    image = banner()
    assert image.size == BANNER_SIZE
    image.save(os.path.join(HERE, "banner.bmp"), format="BMP")
    with open(os.path.join(HERE, "setup.ico"), "wb") as out:
        out.write(ico_bytes([icon_image(32), icon_image(16)]))


if __name__ == "__main__":
    main()
