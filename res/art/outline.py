"""The window outline: one horizontal span per row, shared by the face bitmap and the region block.

The shape is the union of a few rounded primitives, blurred and thresholded so that the joints get
soft fillets, then reduced to the leftmost and rightmost covered pixel of each row. Rows with equal
spans merge into the region's bands.
"""

from PIL import Image, ImageDraw, ImageFilter

WIDTH = 570
HEIGHT = 566  # rows covered by the region; the face bitmap has one more
SS = 4  # supersampling factor

# Rows fixed by the region block's format: its first three and its last rectangle.
BAND_COUNT = 175
MAX_BAND = 86
FLAT_TOP, FLAT_BOTTOM = 200, 286  # the full-width band
FIXED_ROWS = {0: (59, 69), 1: (56, 71), 2: (54, 73), HEIGHT - 1: (238, 369)}


def _primitives(draw, p):
    s = SS

    def rrect(box, radius):
        x0, y0, x1, y1 = box
        draw.rounded_rectangle((x0 * s, y0 * s, x1 * s - 1, y1 * s - 1), radius=radius * s, fill=255)

    def ellipse(cx, cy, rx, ry):
        draw.ellipse(((cx - rx) * s, (cy - ry) * s, (cx + rx) * s - 1, (cy + ry) * s - 1), fill=255)

    ellipse(63.5, 22, 22, 22)  # the knob above the server column
    rrect((0, 34, 118, p["pod_bottom"]), 58)  # server column pod
    rrect((90, 24, 560, 476), p["body_r"])  # main body
    ellipse(536, 243, 34, 150)  # right flank
    draw.polygon([(40 * s, 360 * s), (200 * s, 440 * s), (200 * s, 520 * s), (170 * s, 540 * s)], fill=255)  # sweep
    rrect((166, 440, 524, 556), 40)  # transport deck
    rrect((222, 500, 385, HEIGHT), 20)  # chin
    rrect((520, 512, WIDTH, 560), 12)  # foot carrying the list-save button


def spans(params=None):
    p = {"pod_bottom": 440, "bulge_r": 40, "body_r": 56, "blur": 9}
    if params:
        p.update(params)
    img = Image.new("L", (WIDTH * SS, (HEIGHT + 1) * SS), 0)
    _primitives(ImageDraw.Draw(img), p)
    img = img.filter(ImageFilter.GaussianBlur(p["blur"] * SS))
    img = img.point(lambda v: 255 if v >= 128 else 0)
    w, h = img.size
    px = img.load()
    rows = []
    for y in range(HEIGHT):
        sy = y * SS + SS // 2
        xs = [x for x in range(w) if px[x, sy]]
        if not xs:
            raise ValueError(f"row {y} is empty")
        left = (xs[0] + SS // 2) // SS
        right = (xs[-1] + 1 + SS // 2) // SS
        rows.append((left, min(right, WIDTH)))
    for y, span in FIXED_ROWS.items():
        rows[y] = span
    # The flank touches the right edge only along the rows of the tallest band.
    for y in range(FLAT_TOP - 40, FLAT_BOTTOM + 40):
        left, right = rows[y]
        rows[y] = (0, WIDTH) if FLAT_TOP <= y < FLAT_BOTTOM else (left, min(right, WIDTH - 1))
    return simplify(rows, BAND_COUNT)


def simplify(rows, count):
    """Merges neighbouring bands, cheapest first, until `count` remain.

    Merging gives the shorter band the span of its neighbour; the cost is the number of pixels that
    change. Bands holding fixed rows or the full width keep their spans.
    """
    rows = list(rows)
    while True:
        runs = bands(rows)
        if len(runs) <= count:
            return rows
        best = None
        for i in range(len(runs) - 1):
            a, b = runs[i], runs[i + 1]
            for src, dst in ((a, b), (b, a)):
                if any(src[1] <= y < src[3] for y in FIXED_ROWS) or src[2] - src[0] == WIDTH:
                    continue
                if b[3] - a[1] > MAX_BAND:
                    continue
                cost = (src[3] - src[1]) * (abs(src[0] - dst[0]) + abs(src[2] - dst[2]))
                if best is None or cost < best[0]:
                    best = (cost, src, dst)
        _, src, dst = best
        for y in range(src[1], src[3]):
            rows[y] = (dst[0], dst[2])


def bands(rows):
    """Merged bands (left, top, right, bottom) of equal consecutive spans."""
    out = []
    for y, (left, right) in enumerate(rows):
        if out and out[-1][0] == left and out[-1][2] == right:
            out[-1] = (left, out[-1][1], right, y + 1)
        else:
            out.append((left, y, right, y + 1))
    return out
