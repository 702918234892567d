"""Pictures: RGB pixels read from the screen or from PNG files, and PNG files written, in
pure standard library (zlib)."""
import struct
import zlib

from checks import TestFailure


class Picture:
    """An RGB picture: width, height and 3 bytes per pixel in rgb."""

    def __init__(self, width, height, rgb):
        self.width, self.height, self.rgb = width, height, bytes(rgb)

    def pixel(self, x, y):
        """(r, g, b), or None outside the picture."""
        if not (0 <= x < self.width and 0 <= y < self.height):
            return None
        i = (y * self.width + x) * 3
        return tuple(self.rgb[i:i + 3])

    def at(self, x, y):
        """The pixel as 0xRRGGBB."""
        i = (y * self.width + x) * 3
        return (self.rgb[i] << 16) | (self.rgb[i + 1] << 8) | self.rgb[i + 2]

    def crop(self, x, y, w, h):
        """The rectangle as a picture of its own; black where it lies outside."""
        out = bytearray()
        for row in range(y, y + h):
            if 0 <= row < self.height and x >= 0 and x + w <= self.width:
                i = (row * self.width + x) * 3
                out += self.rgb[i:i + 3 * w]
            else:
                for col in range(x, x + w):
                    out += bytes(self.pixel(col, row) or (0, 0, 0))
        return Picture(w, h, out)

    def write_png(self, path):
        stride = self.width * 3
        raw = b"".join(b"\0" + self.rgb[y * stride:(y + 1) * stride] for y in range(self.height))

        def chunk(kind, body):
            return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

        header = struct.pack(">IIBBBBB", self.width, self.height, 8, 2, 0, 0, 0)
        with open(path, "wb") as f:
            f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 6))
                    + chunk(b"IEND", b""))


def read_png(path):
    """An 8-bit, non-interlaced PNG (grey, RGB, palette, with or without alpha) as a
    Picture; alpha is dropped."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise TestFailure(f"{path} is not a PNG")
    at, idat, header, palette = 8, b"", None, b""
    while at < len(data):
        (length,) = struct.unpack(">I", data[at:at + 4])
        kind, body = data[at + 4:at + 8], data[at + 8:at + 8 + length]
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"PLTE":
            palette = body
        elif kind == b"IDAT":
            idat += body
        at += 12 + length
    width, height, depth, colour, _, _, interlace = header
    channels = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}.get(colour)
    if depth != 8 or channels is None or interlace:
        raise TestFailure(f"{path}: only 8-bit non-interlaced PNGs are read here")
    stride = width * channels
    raw = zlib.decompress(idat)
    prior = bytearray(stride)
    out = bytearray()
    for y in range(height):
        kind = raw[y * (stride + 1)]
        row = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        if kind == 2:
            row = bytearray((a + b) & 0xFF for a, b in zip(row, prior))
        elif kind:
            for i in range(stride):
                left = row[i - channels] if i >= channels else 0
                up = prior[i]
                if kind == 1:
                    row[i] = (row[i] + left) & 0xFF
                elif kind == 3:
                    row[i] = (row[i] + (left + up) // 2) & 0xFF
                else:
                    upper_left = prior[i - channels] if i >= channels else 0
                    p = left + up - upper_left
                    pa, pb, pc = abs(p - left), abs(p - up), abs(p - upper_left)
                    row[i] = (row[i] + (left if pa <= pb and pa <= pc else up if pb <= pc else upper_left)) & 0xFF
        prior = row
        if colour == 2:
            out += row
        elif colour == 6:
            out += b"".join(row[i:i + 3] for i in range(0, stride, 4))
        elif colour == 3:
            out += b"".join(palette[3 * v:3 * v + 3] for v in row)
        else:
            out += b"".join(bytes((v, v, v)) for v in row[::channels])
    return Picture(width, height, out)
