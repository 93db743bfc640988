#!/usr/bin/env python3
"""Checks the console's drawn resources against what Windows image lists and toolbars need.

For every icon of scripts/draw-icons.py: the file holds exactly its sizes, each as an 8-bit
and a 32-bit image; every header, length and offset is consistent; the AND mask is set
exactly where the image is transparent; the 8-bit image shows the same picture as the
32-bit one; the picture is neither blank nor a filled square. The toolbar strip is a
64 x 15 24-bit bitmap whose cells each hold a pictogram on the (192,192,192) background
the toolbar treats as transparent. Finally the committed files must be byte for byte
what the drawing script writes today, so an edited script cannot leave stale files.

Usage: scripts/draw-icons.check.py [--self-test]
  --self-test  also feeds the checks damaged files and fails unless each damage is seen.
"""

import importlib.util
import os
import struct
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
RES = os.path.join(ROOT, "console", "res")
TOOLBAR_BACKGROUND = (192, 192, 192)


def load_drawing_script():
    found = importlib.util.spec_from_file_location("draw_icons", os.path.join(HERE, "draw-icons.py"))
    module = importlib.util.module_from_spec(found)
    found.loader.exec_module(module)
    return module


def decode_icon_image(data, size, bpp):
    """Returns (rows of (r, g, b, opaque), problems) for one icon image resource."""
    problems = []
    if len(data) < 40:
        return None, ["image shorter than its header"]
    bi_size, width, height, planes, bit_count = struct.unpack_from("<IiiHH", data, 0)
    colours_used = struct.unpack_from("<I", data, 32)[0]
    if bi_size != 40 or width != size or height != 2 * size or planes != 1 or bit_count != bpp:
        problems.append(f"header {bi_size}/{width}x{height}/{planes}/{bit_count}, "
                        f"expected 40/{size}x{2 * size}/1/{bpp}")
        return None, problems
    palette_count = (colours_used or 256) if bpp == 8 else 0
    xor_stride = ((size * bpp + 31) // 32) * 4
    and_stride = ((size + 31) // 32) * 4
    palette_at = 40
    xor_at = palette_at + 4 * palette_count
    and_at = xor_at + xor_stride * size
    if len(data) != and_at + and_stride * size:
        problems.append(f"image is {len(data)} bytes, its header makes it {and_at + and_stride * size}")
        return None, problems
    rows = []
    for y in range(size):
        row_xor = xor_at + (size - 1 - y) * xor_stride
        row_and = and_at + (size - 1 - y) * and_stride
        row = []
        for x in range(size):
            transparent = bool(data[row_and + x // 8] & (0x80 >> (x % 8)))
            if bpp == 32:
                b, g, r, a = data[row_xor + 4 * x : row_xor + 4 * x + 4]
                if a not in (0, 255):
                    problems.append(f"partial alpha {a} at {x},{y}")
                elif (a == 0) != transparent:
                    problems.append(f"AND mask disagrees with alpha at {x},{y}")
            else:
                index = data[row_xor + x]
                if index >= palette_count:
                    problems.append(f"colour index {index} outside the palette at {x},{y}")
                    index = 0
                b, g, r, _ = data[palette_at + 4 * index : palette_at + 4 * index + 4]
            row.append((r, g, b, not transparent))
        rows.append(row)
    return rows, problems[:5]


def check_icon_file(data, sizes):
    """Problems of one .ico file that should hold `sizes`, each at 8 and 32 bits."""
    problems = []
    if len(data) < 6:
        return ["file shorter than its directory"]
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    if reserved != 0 or kind != 1:
        return [f"not an icon file (reserved {reserved}, type {kind})"]
    if len(data) < 6 + 16 * count:
        return ["directory runs past the end of the file"]
    images = {}
    spans = []
    for i in range(count):
        w, h, _, _, planes, bpp, length, offset = struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)
        size = w or 256
        if w != h:
            problems.append(f"entry {i} is not square ({w}x{h})")
        if offset < 6 + 16 * count or offset + length > len(data):
            problems.append(f"entry {i} ({size} px, {bpp} bit) lies outside the file")
            continue
        spans.append((offset, offset + length))
        image, image_problems = decode_icon_image(data[offset : offset + length], size, bpp)
        problems += [f"{size} px {bpp} bit: {p}" for p in image_problems]
        if (size, bpp) in images:
            problems.append(f"{size} px {bpp} bit stored twice")
        images[(size, bpp)] = image
    spans.sort()
    for (_, end), (start, _) in zip(spans, spans[1:]):
        if start < end:
            problems.append("two images overlap")
    wanted = {(s, b) for s in sizes for b in (8, 32)}
    for key in sorted(wanted - set(images)):
        problems.append(f"missing the {key[0]} px {key[1]} bit image")
    for key in sorted(set(images) - wanted):
        problems.append(f"unexpected {key[0]} px {key[1]} bit image")
    for size in sizes:
        deep, flat = images.get((size, 32)), images.get((size, 8))
        if deep is None:
            continue
        opaque = sum(p[3] for row in deep for p in row)
        if not 0.15 * size * size <= opaque <= 0.99 * size * size:
            problems.append(f"{size} px: {opaque} of {size * size} pixels opaque")
        if flat is None:
            continue
        for y in range(size):
            for x in range(size):
                a, b = deep[y][x], flat[y][x]
                if a[3] != b[3]:
                    problems.append(f"{size} px: 8-bit mask differs at {x},{y}")
                elif a[3] and max(abs(a[k] - b[k]) for k in range(3)) > 40:
                    problems.append(f"{size} px: 8-bit colour {b[:3]} far from {a[:3]} at {x},{y}")
    return problems[:8]


def check_toolbar(data, cells=4, cell_w=16, cell_h=15):
    problems = []
    if len(data) < 54 or data[:2] != b"BM":
        return ["not a bitmap file"]
    pixels_at = struct.unpack_from("<I", data, 10)[0]
    _, width, height, _, bpp, compression = struct.unpack_from("<IiiHHI", data, 14)
    if (width, height, bpp, compression) != (cells * cell_w, cell_h, 24, 0):
        return [f"bitmap is {width}x{height} {bpp} bit (compression {compression}), "
                f"expected {cells * cell_w}x{cell_h} 24 bit uncompressed"]
    stride = ((width * 3 + 3) // 4) * 4
    if len(data) < pixels_at + stride * height:
        return ["pixel data runs past the end of the file"]

    def pixel(x, y):
        at = pixels_at + (height - 1 - y) * stride + 3 * x
        b, g, r = data[at : at + 3]
        return (r, g, b)

    for cell in range(cells):
        x0 = cell * cell_w
        if pixel(x0, 0) != TOOLBAR_BACKGROUND:
            problems.append(f"button {cell}: top left corner is {pixel(x0, 0)}, not the background")
        drawn = sum(pixel(x0 + x, y) != TOOLBAR_BACKGROUND for x in range(cell_w) for y in range(cell_h))
        if not 0.15 * cell_w * cell_h <= drawn <= 0.9 * cell_w * cell_h:
            problems.append(f"button {cell}: {drawn} of {cell_w * cell_h} pixels drawn")
    return problems


def read(path):
    with open(path, "rb") as f:
        return f.read()


def check_committed(drawing):
    problems = []
    for name, _, sizes in drawing.ICONS:
        path = os.path.join(RES, "icons", name + ".ico")
        if not os.path.exists(path):
            problems.append(f"{name}.ico: missing")
            continue
        problems += [f"{name}.ico: {p}" for p in check_icon_file(read(path), sizes)]
    toolbar = os.path.join(RES, "toolbar.bmp")
    if os.path.exists(toolbar):
        problems += [f"toolbar.bmp: {p}" for p in check_toolbar(read(toolbar))]
    else:
        problems.append("toolbar.bmp: missing")
    # The committed files are what the script draws.
    with tempfile.TemporaryDirectory() as fresh:
        saved = sys.argv
        sys.argv = ["draw-icons.py", "--out", fresh]
        try:
            drawing.main()
        finally:
            sys.argv = saved
        names = [os.path.join("icons", n + ".ico") for n, _, _ in drawing.ICONS] + ["toolbar.bmp"]
        for rel in names:
            mine = os.path.join(RES, rel)
            if os.path.exists(mine) and read(mine) != read(os.path.join(fresh, rel)):
                problems.append(f"{rel}: differs from what scripts/draw-icons.py draws (run it)")
    return problems


def self_test(drawing):
    """Damages good files in memory; each damage must be reported."""
    failures = []
    name, _, sizes = drawing.ICONS[1]
    good = read(os.path.join(RES, "icons", name + ".ico"))
    first_offset = struct.unpack_from("<I", good, 6 + 12)[0]
    last = struct.unpack_from("<BBBBHHII", good, 6 + 16 * (len(sizes) * 2 - 1))
    last_offset = last[7]

    def flip_mask_bit(data):
        b = bytearray(data)
        size = sizes[-1]
        b[last_offset + 40 + 4 * size * size] ^= 0x80  # bottom left pixel of the last image
        return bytes(b)

    def drop_entry(data):
        b = bytearray(data)
        struct.pack_into("<H", b, 4, struct.unpack_from("<H", b, 4)[0] - 1)
        return bytes(b)

    def partial_alpha(data):
        b = bytearray(data)
        b[last_offset + 40 + 3] = 128  # alpha of the first pixel of the last (32-bit) image
        return bytes(b)

    cases = [
        ("good file", good, False),
        ("flipped mask bit", flip_mask_bit(good), True),
        ("truncated file", good[: len(good) - 10], True),
        ("missing size", drop_entry(good), True),
        ("partial alpha", partial_alpha(good), True),
        ("directory only", good[:first_offset], True),
    ]
    for label, data, bad in cases:
        seen = bool(check_icon_file(data, sizes))
        if seen != bad:
            failures.append(f"self-test: {label}: {'not reported' if bad else 'reported as bad'}")

    toolbar = read(os.path.join(RES, "toolbar.bmp"))
    blank = bytearray(toolbar)
    pixels_at = struct.unpack_from("<I", toolbar, 10)[0]
    for i in range(pixels_at, len(blank), 3):
        if i + 3 <= len(blank):
            blank[i : i + 3] = bytes((192, 192, 192))
    for label, data, bad in [("good toolbar", toolbar, False), ("blank toolbar", bytes(blank), True),
                             ("short toolbar", toolbar[:100], True)]:
        if bool(check_toolbar(data)) != bad:
            failures.append(f"self-test: {label}: {'not reported' if bad else 'reported as bad'}")
    return failures


def main():
    drawing = load_drawing_script()
    problems = check_committed(drawing)
    if "--self-test" in sys.argv[1:]:
        problems += self_test(drawing)
    for p in problems:
        print(p)
    checked = len(drawing.ICONS) + 1
    print(f"{checked} resource files checked, {len(problems)} problem(s)")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
