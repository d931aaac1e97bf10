#!/usr/bin/env python3
"""Turns the text pixel maps in ui/pictures into the .bmp and .ico files that
the resource script embeds.

A map file is named after its output (folder.bmp.txt gives folder.bmp) and
holds one image, or for an icon one image per size:

    # comment
    colour k 000000        one character stands for one RGB colour
    colour . none          icons only: a transparent pixel
    image 16 16            width and height, followed by that many rows
    ................

Bitmaps come out palettised (4 or 8 bits per pixel), because the pages load
them with LR_LOADTRANSPARENT, which works on the colour table. Icons come out
palettised with an AND mask, which every Windows version draws.
"""
import struct
import sys
from pathlib import Path


class MapError(Exception):
    pass


def read_map(path):
    colours = {}
    images = []
    rows = None
    for number, raw in enumerate(path.read_text().splitlines(), 1):
        line = raw.rstrip()
        if rows is not None and len(rows) < rows_needed:
            if len(line) != width:
                raise MapError(f"{path}:{number}: row is {len(line)} wide, expected {width}")
            for char in line:
                if char not in colours:
                    raise MapError(f"{path}:{number}: no colour for '{char}'")
            rows.append(line)
            continue
        if not line or line.startswith("#"):
            continue
        words = line.split()
        if words[0] == "colour" and len(words) == 3 and len(words[1]) == 1:
            colours[words[1]] = None if words[2] == "none" else int(words[2], 16)
        elif words[0] == "image" and len(words) == 3:
            width, rows_needed = int(words[1]), int(words[2])
            rows = []
            images.append((width, rows_needed, rows))
        else:
            raise MapError(f"{path}:{number}: cannot read '{line}'")
    for width, height, image_rows in images:
        if len(image_rows) != height:
            raise MapError(f"{path}: image {width}x{height} has {len(image_rows)} rows")
    if not images:
        raise MapError(f"{path}: no image")
    return colours, images


def palette_of(colours, images):
    used = []
    for _, _, rows in images:
        for row in rows:
            for char in row:
                rgb = colours[char]
                if rgb is not None and rgb not in used:
                    used.append(rgb)
    if not used:
        used.append(0)
    if len(used) > 256:
        raise MapError("more than 256 colours")
    return used


def packed_rows(width, rows, indexes, bits):
    """Bottom-up rows of palette indexes, each padded to four bytes."""
    out = bytearray()
    for row in reversed(rows):
        line = bytearray()
        if bits == 8:
            line.extend(indexes[char] for char in row)
        else:
            values = [indexes[char] for char in row] + [0]
            line.extend((values[i] << 4) | values[i + 1] for i in range(0, width, 2))
        line.extend(b"\0" * (-len(line) % 4))
        out += line
    return bytes(out)


def mask_rows(width, rows, colours):
    """Bottom-up AND mask: 1 where the icon is transparent."""
    out = bytearray()
    for row in reversed(rows):
        bits = [1 if colours[char] is None else 0 for char in row]
        line = bytearray()
        for start in range(0, width, 8):
            byte = 0
            for offset, bit in enumerate(bits[start:start + 8]):
                byte |= bit << (7 - offset)
            line.append(byte)
        line.extend(b"\0" * (-len(line) % 4))
        out += line
    return bytes(out)


def dib(width, height, rows, colours, palette, icon):
    bits = 4 if len(palette) <= 16 else 8
    table = palette + [0] * ((1 << bits) - len(palette))
    indexes = {char: (palette.index(rgb) if rgb is not None else 0)
               for char, rgb in colours.items()}
    pixels = packed_rows(width, rows, indexes, bits)
    # An icon's header counts the XOR and the AND bitmap together.
    header = struct.pack("<IiiHHIIiiII", 40, width, height * 2 if icon else height, 1, bits, 0,
                         0, 0, 0, 1 << bits, 0)
    colour_table = b"".join(struct.pack("<BBBB", rgb & 0xFF, (rgb >> 8) & 0xFF, rgb >> 16, 0)
                            for rgb in table)
    data = header + colour_table + pixels
    if icon:
        data += mask_rows(width, rows, colours)
    return data, bits


def make_bitmap(colours, images):
    if len(images) != 1 or None in colours.values():
        raise MapError("a bitmap has one image and no transparent colour")
    width, height, rows = images[0]
    data, bits = dib(width, height, rows, colours, palette_of(colours, images), icon=False)
    # The pixels follow the file header, the info header and the colour table.
    offset = 14 + 40 + 4 * (1 << bits)
    return struct.pack("<2sIHHI", b"BM", 14 + len(data), 0, 0, offset) + data


def make_icon(colours, images):
    # Transparent pixels take colour index 0, which must be black: the icon's
    # colour bits are XORed onto the screen where the mask lets it through.
    palette = [0] + [rgb for rgb in palette_of(colours, images) if rgb != 0]
    if len(palette) > 256:
        raise MapError("more than 255 colours besides black")
    entries = []
    blobs = []
    for width, height, rows in images:
        data, bits = dib(width, height, rows, colours, palette, icon=True)
        entries.append((width, height, bits, data))
    offset = 6 + 16 * len(entries)
    directory = struct.pack("<HHH", 0, 1, len(entries))
    for width, height, bits, data in entries:
        count = 1 << bits if bits < 8 else 0
        directory += struct.pack("<BBBBHHII", width, height, count, 0, 1, bits, len(data), offset)
        offset += len(data)
        blobs.append(data)
    return directory + b"".join(blobs)


def main(argv):
    if len(argv) < 3:
        print("usage: make-pictures.py OUTPUT_FOLDER MAP.txt...", file=sys.stderr)
        return 2
    out_dir = Path(argv[1])
    out_dir.mkdir(parents=True, exist_ok=True)
    for name in argv[2:]:
        path = Path(name)
        target = path.name[:-len(".txt")] if path.name.endswith(".txt") else path.name
        try:
            colours, images = read_map(path)
            if target.endswith(".bmp"):
                data = make_bitmap(colours, images)
            elif target.endswith(".ico"):
                data = make_icon(colours, images)
            else:
                raise MapError(f"{path}: name must end in .bmp.txt or .ico.txt")
        except MapError as error:
            print(f"make-pictures: {error}", file=sys.stderr)
            return 1
        (out_dir / target).write_bytes(data)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
