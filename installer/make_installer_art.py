#!/usr/bin/python3
"""Draws the installer's bitmaps from the setup program's art, at build time (nothing is committed):
header.bmp (150 x 57, the strip at the top of the inner pages) and wizard.bmp (164 x 314, the left
side of the welcome and finish pages), both 24 bits.

    /usr/bin/python3 installer/make_installer_art.py OUTPUT_FOLDER

Needs python3-pil and fonts-dejavu-core, as the other art generators.
"""

import os
import sys

from PIL import ImageDraw

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "res", "setup"))
sys.path.insert(0, os.path.join(HERE, "..", "res", "art"))
import make_setup_art as art  # noqa: E402
from palette import AMBER, AMBER_DIM, BLACK, ORANGE, STEEL, STEEL_PALE, font  # noqa: E402

HEADER_SIZE = (150, 57)
WIZARD_SIZE = (164, 314)


def header():
    """Graphite body, the disc, and the name beside it: the banner's pieces laid out to fit the strip
    (the banner itself, scaled down, would cut its lettering off)."""
    width, height = HEADER_SIZE
    image = art.brushed_body(width, height)
    image = art.draw_disc(image, 27, height // 2, 22)
    x, y = 56, 9
    image = name_plate(image, x, y, width - x - 6)
    ImageDraw.Draw(image).text((x + 2, y + 30), "SETUP", font=font(9), fill=STEEL_PALE)
    return image


def name_plate(image, x, y, room):
    """"disc" in amber and "deck" in orange, in the largest lettering (up to 30) that fits `room`."""
    size = 30
    while ImageDraw.Draw(image).textlength("discdeck", font=font(size)) > room:
        size -= 1
    title = font(size)
    image = art.glow_text(image, (x, y), "disc", title, AMBER, AMBER)
    disc_width = ImageDraw.Draw(image).textlength("disc", font=title)
    return art.glow_text(image, (x + disc_width, y), "deck", title, ORANGE, ORANGE)


def wizard():
    """Graphite body, the disc, and the name on a black panel as on the banner."""
    width, height = WIZARD_SIZE
    image = art.brushed_body(width, height)
    image = art.draw_disc(image, width // 2, 86, 58)
    panel = (12, 170, width - 13, 262)
    draw = ImageDraw.Draw(image)
    draw.rectangle(panel, fill=BLACK)
    x, y = panel[0] + 10, panel[1] + 8
    image = name_plate(image, x, y, panel[2] - panel[0] - 20)
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
