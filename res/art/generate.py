#!/usr/bin/env python3
"""Generates the player's skin into res/: face, strips, slider, icons, cursors and the region block.

    python3 res/art/generate.py

Deterministic: running it twice writes identical bytes. To change the skin, edit the pieces here
(outline.py for the window's shape, face.py for the face, strips.py for buttons and slider,
icons.py for icons and cursors) and run it again; the resource script picks the files up by name.
"""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import bmpio  # noqa: E402
import face  # noqa: E402
import icons  # noqa: E402
import layout  # noqa: E402
import outline  # noqa: E402
import strips  # noqa: E402

RES = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def check_outline(rows, bands):
    assert len(bands) == outline.BAND_COUNT, len(bands)
    assert bands[:3] == [(59, 0, 69, 1), (56, 1, 71, 2), (54, 2, 73, 3)], bands[:3]
    assert bands[-1] == (238, 565, 369, 566), bands[-1]
    assert all(1 <= b[3] - b[1] <= outline.MAX_BAND for b in bands)
    assert any(b[0] == 0 and b[2] == outline.WIDTH for b in bands)
    assert all(b[1] == a[3] for a, b in zip(bands, bands[1:]))


def main():
    for sub in ("bitmaps", "icons", "cursors"):
        os.makedirs(os.path.join(RES, sub), exist_ok=True)

    rows = outline.spans()
    bands = outline.bands(rows)
    check_outline(rows, bands)
    bmpio.write_region(os.path.join(RES, "region.bin"), bands, (0, 0, outline.WIDTH, outline.HEIGHT))
    bmpio.write_bmp24(os.path.join(RES, "bitmaps", "face.bmp"), face.build(rows))

    for strip_id, img in strips.all_strips().items():
        frames = {b[0]: (b[1], b[2]) for b in layout.BUTTONS.values()}[strip_id]
        assert img.size == (frames[0] * frames[1], layout.strip_height(strip_id)), (strip_id, img.size)
        bmpio.write_bmp24(os.path.join(RES, "bitmaps", f"strip_{strip_id}.bmp"), img)
    bmpio.write_bmp24(os.path.join(RES, "bitmaps", "thumb.bmp"), strips.thumb())
    bmpio.write_bmp24(os.path.join(RES, "bitmaps", "track.bmp"), strips.track(deck=face.DECK))

    bmpio.write_ico32(os.path.join(RES, "icons", "player.ico"), [icons.player_icon(32), icons.player_icon(16)])
    bmpio.write_ico_paletted(os.path.join(RES, "icons", "disc.ico"), icons.disc_icon(), icons.VGA)
    bmpio.write_ico_paletted(os.path.join(RES, "icons", "track.ico"), icons.track_icon(), icons.VGA)
    for name, (img, hotspot) in (("busy", icons.busy_cursor()), ("normal", icons.arrow_cursor()),
                                 ("drag", icons.move_cursor())):
        bmpio.write_cur_mono(os.path.join(RES, "cursors", f"{name}.cur"), img, hotspot)


if __name__ == "__main__":
    main()
