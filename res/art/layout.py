"""Pixel positions of the player window's controls, as Windows places them.

Dialog 102 uses "MS Sans Serif" 8, whose dialog base units are 6 x 13 at 96 dpi: a dialog unit is
6/4 pixel across and 13/8 pixel down. Windows converts each coordinate and each size on its own with
MulDiv, which rounds halves away from zero.
"""

BASE_X = 6
BASE_Y = 13


def mul_div(value, num, den):
    q, r = divmod(value * num, den)
    return q + 1 if 2 * r >= den else q


def to_pixels(x, y, w, h):
    """Control rectangle (left, top, right, bottom) in pixels from dialog units."""
    left, top = mul_div(x, BASE_X, 4), mul_div(y, BASE_Y, 8)
    return (left, top, left + mul_div(w, BASE_X, 4), top + mul_div(h, BASE_Y, 8))


# id: (x, y, width, height) in dialog units.
CONTROLS_DU = {
    1000: (77, 83, 270, 149),
    1003: (27, 39, 28, 15),
    1004: (19, 111, 42, 15),
    1005: (25, 62, 28, 14),
    1006: (22, 87, 35, 15),
    1007: (15, 159, 48, 14),
    1008: (26, 223, 31, 15),
    1011: (114, 68, 151, 12),
    1012: (311, 68, 32, 12),
    1013: (13, 136, 50, 14),
    1015: (17, 180, 44, 14),
    1017: (254, 265, 93, 13),
    1018: (254, 248, 93, 12),
    1019: (21, 201, 37, 15),
    1029: (372, 328, 56, 17),
    1032: (171, 299, 27, 16),
    1033: (231, 299, 27, 16),
    1034: (199, 299, 27, 16),
    1035: (133, 299, 27, 16),
    1036: (295, 299, 27, 16),
    1037: (343, 28, 11, 10),
    1038: (316, 28, 11, 10),
    1039: (263, 299, 27, 16),
    1040: (330, 28, 11, 10),
    1045: (128, 318, 198, 12),
    1047: (76, 234, 271, 12),
    1051: (93, 49, 67, 15),
    1052: (166, 49, 57, 15),
    1053: (230, 49, 49, 15),
    1054: (279, 49, 56, 15),
}

CONTROLS = {cid: to_pixels(*du) for cid, du in CONTROLS_DU.items()}

# Button control -> (strip bitmap id, frames, frame width, frame height); the button draws its frame at
# its own top-left corner. Strips are as high as their art; frame heights may exceed them.
BUTTONS = {
    1032: (238, 3, 24, 26),
    1033: (236, 3, 28, 26),
    1034: (241, 3, 34, 26),
    1035: (239, 3, 42, 26),
    1036: (237, 3, 47, 26),
    1039: (240, 3, 30, 26),
    1003: (244, 3, 30, 26),
    1004: (1004, 3, 50, 26),
    1005: (1005, 3, 34, 26),
    1006: (1006, 3, 44, 26),
    1007: (246, 3, 63, 26),
    1008: (247, 3, 33, 26),
    1013: (243, 3, 70, 26),
    1015: (250, 3, 62, 26),
    1019: (1019, 3, 47, 26),
    1029: (247, 3, 33, 26),
    1040: (1003, 3, 11, 13),
    1037: (234, 3, 11, 13),
    1038: (232, 3, 11, 13),
    1051: (258, 2, 98, 16),
    1052: (259, 2, 86, 16),
    1053: (260, 2, 62, 16),
    1054: (257, 2, 64, 16),
}


def strip_height(strip_id):
    if 236 <= strip_id <= 241:
        return 26
    if strip_id in (232, 234, 1003):
        return 13
    if 257 <= strip_id <= 260:
        return 16
    return 15


def button_well(cid):
    """Part of a button control that its strip frame actually covers, in window pixels."""
    left, top, right, bottom = CONTROLS[cid]
    strip, _, width, height = BUTTONS[cid]
    height = min(height, strip_height(strip))
    return (left, top, min(right, left + width), min(bottom, top + height))
