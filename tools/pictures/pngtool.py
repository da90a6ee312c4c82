#!/usr/bin/env python3
"""Small PNG and ICO helper for the window's pictures (standard library only).

  pngtool.py rgba IN OUT W H      re-encode IN as 8-bit RGBA (colour type 6), checking its size
  pngtool.py grey IN OUT          grey twin of IN: colour type 4, the same alpha,
                                  grey = round(0.299 R + 0.587 G + 0.114 B)
  pngtool.py ico OUT PNG...       Windows icon from square RGBA PNGs: 32-bit DIB entries
                                  for the small sizes (every Windows reads them) and a PNG
                                  entry for 256 pixels
  pngtool.py info PNG...          width, height, colour type and bit depth of each file

The renderer writes RGBA already, but re-encoding here pins the colour type, drops
ancillary chunks (time stamps would make every render a change) and filters rows the same
way on every machine.
"""
import struct
import sys
import zlib

SIGNATURE = b"\x89PNG\r\n\x1a\n"
CHANNELS = {0: 1, 2: 3, 4: 2, 6: 4}


def chunks(data):
    if data[:8] != SIGNATURE:
        raise ValueError("not a PNG file")
    pos = 8
    while pos + 12 <= len(data):
        length, kind = struct.unpack(">I4s", data[pos : pos + 8])
        body = data[pos + 8 : pos + 8 + length]
        (crc,) = struct.unpack(">I", data[pos + 8 + length : pos + 12 + length])
        if zlib.crc32(kind + body) != crc:
            raise ValueError("CRC mismatch in " + kind.decode("latin-1"))
        yield kind, body
        pos += 12 + length
        if kind == b"IEND":
            return
    raise ValueError("no IEND")


def paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    return b if pb <= pc else c


def read_png(path):
    """Returns (width, height, rgba rows as bytearrays)."""
    with open(path, "rb") as f:
        data = f.read()
    header, idat = None, b""
    for kind, body in chunks(data):
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
    width, height, depth, colour, _, _, interlace = header
    if depth != 8 or interlace != 0 or colour not in CHANNELS:
        raise ValueError(f"{path}: unsupported PNG kind (type {colour}, depth {depth})")
    bpp = CHANNELS[colour]
    stride = width * bpp
    raw = zlib.decompress(idat)
    rows, prev = [], bytearray(stride)
    for y in range(height):
        filt = raw[y * (stride + 1)]
        row = bytearray(raw[y * (stride + 1) + 1 : (y + 1) * (stride + 1)])
        for i in range(stride):
            a = row[i - bpp] if i >= bpp else 0
            b = prev[i]
            c = prev[i - bpp] if i >= bpp else 0
            pred = (0, a, b, (a + b) // 2, paeth(a, b, c))[filt]
            row[i] = (row[i] + pred) & 0xFF
        rows.append(row)
        prev = row
    rgba = []
    for row in rows:
        out = bytearray()
        for x in range(width):
            px = row[x * bpp : (x + 1) * bpp]
            if colour == 0:
                out += bytes((px[0], px[0], px[0], 255))
            elif colour == 2:
                out += bytes((px[0], px[1], px[2], 255))
            elif colour == 4:
                out += bytes((px[0], px[0], px[0], px[1]))
            else:
                out += px
        rgba.append(out)
    return width, height, rgba


def encode_png(width, height, colour, rows):
    """rows: raw samples per row for the colour type. Every row uses the Paeth filter,
    which suits smooth gradients."""
    bpp = CHANNELS[colour]
    raw = bytearray()
    prev = bytearray(width * bpp)
    for row in rows:
        raw.append(4)
        for i in range(len(row)):
            a = row[i - bpp] if i >= bpp else 0
            c = prev[i - bpp] if i >= bpp else 0
            raw.append((row[i] - paeth(a, prev[i], c)) & 0xFF)
        prev = row

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

    ihdr = struct.pack(">IIBBBBB", width, height, 8, colour, 0, 0, 0)
    return (SIGNATURE + chunk(b"IHDR", ihdr) + chunk(b"IDAT", zlib.compress(bytes(raw), 9))
            + chunk(b"IEND", b""))


def cmd_rgba(src, dst, width, height):
    w, h, rows = read_png(src)
    if (w, h) != (int(width), int(height)):
        raise SystemExit(f"{src}: {w}x{h}, expected {width}x{height}")
    with open(dst, "wb") as f:
        f.write(encode_png(w, h, 6, rows))


def cmd_grey(src, dst):
    w, h, rows = read_png(src)
    grey_rows = []
    for row in rows:
        out = bytearray()
        for x in range(w):
            r, g, b, a = row[4 * x : 4 * x + 4]
            # Half up, not Python's half-to-even, so the rule reads the same everywhere.
            out += bytes((int(0.299 * r + 0.587 * g + 0.114 * b + 0.5), a))
        grey_rows.append(out)
    with open(dst, "wb") as f:
        f.write(encode_png(w, h, 4, grey_rows))


def dib_entry(width, height, rows):
    """A 32-bit BITMAPINFOHEADER image with its AND mask, as icon resources hold them."""
    header = struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = bytearray()
    for row in reversed(rows):  # bottom-up
        for x in range(width):
            r, g, b, a = row[4 * x : 4 * x + 4]
            pixels += bytes((b, g, r, a))
    mask_stride = ((width + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for x in range(width):
            if row[4 * x + 3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + pixels + mask


def cmd_ico(dst, *sources):
    images = []
    for src in sources:
        w, h, rows = read_png(src)
        if w != h:
            raise SystemExit(f"{src}: icons must be square")
        body = encode_png(w, h, 6, rows) if w >= 256 else dib_entry(w, h, rows)
        images.append((w, body))
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, body in images:
        dim = 0 if size >= 256 else size  # 0 stands for 256
        out += struct.pack("<BBBBHHII", dim, dim, 0, 0, 1, 32, len(body), offset)
        offset += len(body)
    for _, body in images:
        out += body
    with open(dst, "wb") as f:
        f.write(out)


def cmd_info(*paths):
    for path in paths:
        with open(path, "rb") as f:
            data = f.read()
        header = next(body for kind, body in chunks(data) if kind == b"IHDR")
        w, h, depth, colour = struct.unpack(">IIBB", header[:10])
        print(f"{path}: {w}x{h} colour type {colour} depth {depth}")


def main(argv):
    commands = {"rgba": cmd_rgba, "grey": cmd_grey, "ico": cmd_ico, "info": cmd_info}
    if len(argv) < 2 or argv[1] not in commands:
        raise SystemExit(__doc__)
    commands[argv[1]](*argv[2:])


if __name__ == "__main__":
    main(sys.argv)
