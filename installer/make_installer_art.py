#!/usr/bin/python3
"""Draws the installer's bitmaps from the setup program's art, at build time (nothing is committed):
header.bmp (150 x 57, the strip at the top of the inner pages) and wizard.bmp (164 x 314, the left
side of the welcome and finish pages), both 24 bits.

    /usr/bin/python3 installer/make_installer_art.py OUTPUT_FOLDER

Needs python3-pil and fonts-dejavu-core, as the other art generators.
"""

import os
import sys

from PIL import Image, ImageDraw

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "res", "setup"))
sys.path.insert(0, os.path.join(HERE, "..", "res", "art"))
import make_setup_art as art  # noqa: E402
from palette import AMBER, AMBER_DIM, BLACK, ORANGE, STEEL, STEEL_PALE, font  # noqa: E402

HEADER_SIZE = (150, 57)
WIZARD_SIZE = (164, 314)


def header():
    """The setup banner, scaled to the header's height; its left part keeps the disc and the name."""
    banner = art.banner()
    width, height = banner.size
    scaled = banner.resize((round(width * HEADER_SIZE[1] / height), HEADER_SIZE[1]), Image.LANCZOS)
    return scaled.crop((0, 0) + HEADER_SIZE)


def wizard():
    """Graphite body, the disc, and the name on a black panel as on the banner."""
    width, height = WIZARD_SIZE
    image = art.brushed_body(width, height)
    image = art.draw_disc(image, width // 2, 86, 58)
    panel = (12, 170, width - 13, 262)
    draw = ImageDraw.Draw(image)
    draw.rectangle(panel, fill=BLACK)
    x, y = panel[0] + 10, panel[1] + 8
    # The largest lettering that fits the panel.
    size = 30
    while draw.textlength("discdeck", font=font(size)) > panel[2] - panel[0] - 20:
        size -= 1
    title = font(size)
    image = art.glow_text(image, (x, y), "disc", title, AMBER, AMBER)
    disc_width = ImageDraw.Draw(image).textlength("disc", font=title)
    image = art.glow_text(image, (x + disc_width, y), "deck", title, ORANGE, ORANGE)
    draw = ImageDraw.Draw(image)
    label = font(9)
    draw.text((x + 2, y + 44), "COMPACT DISC PLAYER", font=label, fill=AMBER_DIM)
    draw.line([(panel[0] + 10, panel[3] - 16), (panel[2] - 10, panel[3] - 16)], fill=STEEL)
    draw.text((x + 2, panel[3] - 12), "SETUP", font=label, fill=STEEL_PALE)
    return image


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    for name, image, size in (("header.bmp", header(), HEADER_SIZE), ("wizard.bmp", wizard(), WIZARD_SIZE)):
        assert image.size == size and image.mode == "RGB"
        image.save(os.path.join(folder, name), format="BMP")


if __name__ == "__main__":
    main()
