"""Icons (window/tray, database tree) and cursors."""

from PIL import Image, ImageDraw

from palette import ORANGE, mix

# The 16 colours of the classic VGA palette, which the 4-bit icons use.
VGA = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
       (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255), (255, 0, 255),
       (0, 255, 255), (255, 255, 255)]


def player_icon(size):
    """A disc behind an amber play triangle."""
    s = 8  # drawn large and reduced for smooth edges
    big = Image.new("RGBA", (size * s, size * s), (0, 0, 0, 0))
    d = ImageDraw.Draw(big)
    n = size * s
    d.ellipse((0, 0, n - 1, n - 1), fill=(0x14, 0x17, 0x1C, 255))
    d.ellipse((n * 0.06, n * 0.06, n * 0.94, n * 0.94), fill=(0xB8, 0xBE, 0xC8, 255))
    rainbow = [(255, 90, 90), (255, 190, 60), (240, 240, 90), (90, 220, 120), (80, 170, 255), (190, 110, 255)]
    for i, c in enumerate(rainbow):
        for base in (200, 20):
            a0 = base + i * 12
            d.pieslice((n * 0.06, n * 0.06, n * 0.94, n * 0.94), a0, a0 + 12, fill=mix(c, (0xB8, 0xBE, 0xC8), 0.3) + (255,))
    d.ellipse((n * 0.36, n * 0.36, n * 0.64, n * 0.64), fill=(0x23, 0x27, 0x2E, 255))
    d.polygon([(n * 0.40, n * 0.28), (n * 0.40, n * 0.72), (n * 0.78, n * 0.5)], fill=(0x14, 0x17, 0x1C, 255))
    d.polygon([(n * 0.44, n * 0.35), (n * 0.44, n * 0.65), (n * 0.70, n * 0.5)], fill=ORANGE + (255,))
    img = big.resize((size, size), Image.LANCZOS)
    # Icons keep a hard mask: pixels are either opaque or transparent.
    px = img.load()
    for y in range(size):
        for x in range(size):
            r, g, b, a = px[x, y]
            px[x, y] = (r, g, b, 255) if a >= 128 else (0, 0, 0, 0)
    return img


def _paletted(pixels):
    """16 x 16 RGBA image from rows of palette letters; '.' is transparent."""
    keys = {"k": 0, "r": 9, "o": 1, "y": 11, "g": 10, "c": 14, "b": 12, "m": 13, "w": 15, "s": 7, "d": 8,
            "n": 4, "t": 6}
    img = Image.new("RGBA", (16, 16), (0, 0, 0, 0))
    for y, row in enumerate(pixels):
        for x, ch in enumerate(row):
            if ch != ".":
                img.putpixel((x, y), VGA[keys[ch]] + (255,))
    return img


def track_icon():
    """A small grey square standing on its corner."""
    return _paletted([
        "................",
        "................",
        "................",
        ".......k........",
        "......kwk.......",
        ".....kwssk......",
        "....kwsssdk.....",
        "...kwsssssdk....",
        "....kssssdk.....",
        ".....ksddk......",
        "......kdk.......",
        ".......k........",
        "................",
        "................",
        "................",
        "................",
    ])


def disc_icon():
    """A compact disc in rainbow colours."""
    return _paletted([
        ".....kkkkkk.....",
        "...kkrrryyykk...",
        "..kmrrryyyyggk..",
        ".kmmrrryyyygggk.",
        ".kmmmrryyyggggk.",
        "kbmmmmryygggccck",
        "kbbbmmmkkgccccck",
        "kbbbbbk..kccccck",
        "kbbbbbk..kccccck",
        "kbbbbbbkkgggccck",
        "kbbbmmmyyyggccck",
        ".kbmmmrryyyggck.",
        ".kmmmrrryyyyggk.",
        "..kmrrrryyyyggk.",
        "...kkrrryyyykk..",
        ".....kkkkkk.....",
    ])


def _mono(draw_fn):
    img = Image.new("RGBA", (32, 32), (0, 0, 0, 0))
    draw_fn(ImageDraw.Draw(img))
    return img


BLACK = (0, 0, 0, 255)
WHITE = (255, 255, 255, 255)


def arrow_cursor():
    pts = [(0, 0), (0, 16), (4, 12), (7, 19), (9, 18), (6, 11), (11, 11)]
    return _mono(lambda d: d.polygon(pts, fill=WHITE, outline=BLACK)), (0, 0)


def move_cursor():
    """Four-way arrow: the face is being dragged."""
    def draw(d):
        c = 15
        outline = [(c, 1), (c + 5, 6), (c + 2, 6), (c + 2, c - 2), (c + 9, c - 2), (c + 9, c - 5), (c + 14, c),
                   (c + 9, c + 5), (c + 9, c + 2), (c + 2, c + 2), (c + 2, c + 9), (c + 5, c + 9), (c, c + 14),
                   (c - 5, c + 9), (c - 2, c + 9), (c - 2, c + 2), (c - 9, c + 2), (c - 9, c + 5), (c - 14, c),
                   (c - 9, c - 5), (c - 9, c - 2), (c - 2, c - 2), (c - 2, 6), (c - 5, 6)]
        d.polygon(outline, fill=WHITE, outline=BLACK)
    return _mono(draw), (15, 15)


def busy_cursor():
    """Hourglass."""
    def draw(d):
        d.rectangle((6, 2, 23, 4), fill=BLACK)
        d.rectangle((6, 27, 23, 29), fill=BLACK)
        d.polygon([(8, 5), (21, 5), (21, 9), (16, 15), (16, 16), (21, 22), (21, 26), (8, 26), (8, 22), (13, 16),
                   (13, 15), (8, 9)], fill=WHITE, outline=BLACK)
        d.polygon([(10, 8), (19, 8), (14, 14)], fill=BLACK)
        d.polygon([(14, 19), (19, 25), (10, 25)], fill=BLACK)
    return _mono(draw), (14, 15)


