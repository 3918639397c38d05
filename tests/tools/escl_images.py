#!/usr/bin/env python3
"""Compares two PNG images pixel for pixel, decoded with the standard library
only (so the test needs no imaging package): `compare A B` exits 0 when the
images have the same size and pixels, `compare A B TOLERANCE` when the mean
absolute difference of their samples is at most TOLERANCE (for an image that
passed through JPEG). Grey, grey-alpha-free RGB and palette images of 1, 8 or
16 bits; 16-bit samples are compared by their high byte."""
import struct
import sys
import zlib


def decode(path):
    data = open(path, 'rb').read()
    if data[:8] != b'\x89PNG\r\n\x1a\n':
        raise ValueError(f'{path} is not a PNG file')
    pos, idat, palette = 8, b'', None
    while pos < len(data):
        length, kind = struct.unpack('>I4s', data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b'IHDR':
            width, height, depth, colour, _, _, interlace = struct.unpack('>IIBBBBB', body)
        elif kind == b'PLTE':
            palette = [tuple(body[i:i + 3]) for i in range(0, len(body), 3)]
        elif kind == b'IDAT':
            idat += body
        pos += 12 + length
    if interlace:
        raise ValueError(f'{path}: interlaced images are not handled')
    channels = {0: 1, 2: 3, 3: 1}[colour]
    bits = depth * channels
    stride = (width * bits + 7) // 8
    unit = max(1, bits // 8)
    raw = zlib.decompress(idat)
    rows, previous = [], bytearray(stride)
    for y in range(height):
        start = y * (stride + 1)
        kind, line = raw[start], bytearray(raw[start + 1:start + 1 + stride])
        for i in range(stride):
            left = line[i - unit] if i >= unit else 0
            up = previous[i]
            corner = previous[i - unit] if i >= unit else 0
            if kind == 1:
                line[i] = (line[i] + left) & 255
            elif kind == 2:
                line[i] = (line[i] + up) & 255
            elif kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 255
            elif kind == 4:
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                best = left if pa <= pb and pa <= pc else (up if pb <= pc else corner)
                line[i] = (line[i] + best) & 255
        rows.append(line)
        previous = line
    pixels = []
    for line in rows:
        if depth < 8:
            values = [(line[x * depth // 8] >> (8 - depth - (x * depth) % 8)) & ((1 << depth) - 1)
                      for x in range(width)]
            if colour == 0:
                values = [v * 255 // ((1 << depth) - 1) for v in values]
            samples = [(v,) for v in values]
        else:
            step = depth // 8
            flat = line[0::step]  # the high byte of 16-bit samples
            samples = [tuple(flat[x * channels:(x + 1) * channels]) for x in range(width)]
        if colour == 3:
            samples = [palette[s[0]] for s in samples]
        pixels.extend(samples)
    # A palette of greys is a grey image.
    if colour == 3 and all(p[0] == p[1] == p[2] for p in pixels):
        pixels = [(p[0],) for p in pixels]
    return width, height, pixels


def main():
    if len(sys.argv) not in (4, 5) or sys.argv[1] != 'compare':
        sys.exit('usage: escl_images.py compare A.png B.png [TOLERANCE]')
    a, b = decode(sys.argv[2]), decode(sys.argv[3])
    if a[:2] != b[:2]:
        print(f'sizes differ: {a[0]}x{a[1]} and {b[0]}x{b[1]}')
        sys.exit(1)
    if len(a[2][0]) != len(b[2][0]):
        print(f'channels differ: {len(a[2][0])} and {len(b[2][0])}')
        sys.exit(1)
    if len(sys.argv) == 4:
        differing = sum(1 for p, q in zip(a[2], b[2]) if p != q)
        print(f'{a[0]}x{a[1]}: {differing} pixels differ')
        sys.exit(1 if differing else 0)
    total = sum(abs(s - t) for p, q in zip(a[2], b[2]) for s, t in zip(p, q))
    mean = total / (len(a[2]) * len(a[2][0]))
    print(f'{a[0]}x{a[1]}: mean sample difference {mean:.2f} (tolerance {sys.argv[4]})')
    sys.exit(0 if mean <= float(sys.argv[4]) else 1)


if __name__ == '__main__':
    main()
