"""Writers for the Windows file formats of the skin: 24-bit BMP, ICO and CUR, the region block.

Written by hand rather than through PIL's writers so that the bytes are exactly the classic layouts
that the resource compiler and LoadBitmap/LoadIcon/LoadCursor expect, and stay the same run to run.
"""

import struct


def _rows_bottom_up(img):
    w, h = img.size
    px = img.load()
    for y in range(h - 1, -1, -1):
        yield y, w, px


def write_bmp24(path, img):
    img = img.convert("RGB")
    w, h = img.size
    stride = (w * 3 + 3) & ~3
    data = bytearray()
    for y, w, px in _rows_bottom_up(img):
        row = bytearray()
        for x in range(w):
            r, g, b = px[x, y]
            row += bytes((b, g, r))
        row += b"\0" * (stride - len(row))
        data += row
    header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(data), 0, 0, 14 + 40)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + data)


def _mask_bits(mask):
    """AND mask, 1 bit per pixel, bottom-up, rows padded to 32 bits; 1 = transparent."""
    w, h = mask.size
    stride = ((w + 31) // 32) * 4
    px = mask.load()
    out = bytearray()
    for y in range(h - 1, -1, -1):
        row = bytearray(stride)
        for x in range(w):
            if not px[x, y]:
                row[x // 8] |= 0x80 >> (x % 8)
        out += row
    return bytes(out)


def _image_32(img):
    """32-bit BGRA XOR image and its AND mask from an RGBA image (alpha >= 128 is opaque)."""
    w, h = img.size
    px = img.load()
    xor = bytearray()
    for y in range(h - 1, -1, -1):
        for x in range(w):
            r, g, b, a = px[x, y]
            xor += bytes((b, g, r, a)) if a else b"\0\0\0\0"
    mask = img.getchannel("A").point(lambda a: 255 if a >= 128 else 0)
    info = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    return info + bytes(xor) + _mask_bits(mask), 0, 32


def _image_paletted(img, palette, bits):
    """Paletted XOR image (4 or 1 bits) and AND mask from an RGBA image whose opaque pixels use the
    palette's colours exactly."""
    w, h = img.size
    px = img.load()
    index = {c: i for i, c in enumerate(palette)}
    stride = ((w * bits + 31) // 32) * 4
    xor = bytearray()
    for y in range(h - 1, -1, -1):
        row = bytearray(stride)
        for x in range(w):
            r, g, b, a = px[x, y]
            i = index[(r, g, b)] if a >= 128 else 0
            bitpos = x * bits
            row[bitpos // 8] |= i << (8 - bits - bitpos % 8)
        xor += row
    mask = img.getchannel("A").point(lambda a: 255 if a >= 128 else 0)
    pal = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    info = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, bits, 0, 0, 0, 0, len(palette), 0)
    return info + pal + bytes(xor) + _mask_bits(mask), len(palette) if bits < 8 else 0, bits


def _write_group(path, kind, entries):
    """entries: (width, height, colour count, planes or hotspot x, bits or hotspot y, data)."""
    out = struct.pack("<HHH", 0, kind, len(entries))
    offset = 6 + 16 * len(entries)
    blobs = b""
    for w, h, colours, a, b, data in entries:
        out += struct.pack("<BBBBHHII", w % 256, h % 256, colours % 256, 0, a, b, len(data), offset + len(blobs))
        blobs += data
    with open(path, "wb") as f:
        f.write(out + blobs)


def write_ico32(path, images):
    entries = []
    for img in images:
        data, colours, bits = _image_32(img)
        entries.append((img.size[0], img.size[1], colours, 1, bits, data))
    _write_group(path, 1, entries)


def write_ico_paletted(path, img, palette, bits=4):
    data, colours, bits = _image_paletted(img, palette, bits)
    _write_group(path, 1, [(img.size[0], img.size[1], colours, 1, bits, data)])


def write_cur_mono(path, img, hotspot):
    """Monochrome cursor from an RGBA image of black and white pixels."""
    data, colours, _ = _image_paletted(img, [(0, 0, 0), (255, 255, 255)], 1)
    _write_group(path, 2, [(img.size[0], img.size[1], colours, hotspot[0], hotspot[1], data)])


def write_region(path, bands, bounds):
    """Region data block: 32-byte header (size, type 1, count, data size, bounds), then rectangles."""
    data = b"".join(struct.pack("<iiii", *r) for r in bands)
    header = struct.pack("<IIII", 32, 1, len(bands), len(data)) + struct.pack("<iiii", *bounds)
    with open(path, "wb") as f:
        f.write(header + data)
