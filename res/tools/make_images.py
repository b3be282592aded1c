#!/usr/bin/env python3
"""Draws the program's toolbar strip, icons, splitter cursor and sort arrows.

Writes res/images/*.bmp, *.ico and *.cur with the standard library only.  The
build uses the committed files; run this again only after changing a drawing:

    python3 res/tools/make_images.py

All images use the 16-colour VGA palette: the toolbar and header load bitmaps
with colour mapping, which remaps palette entries (silver becomes the button
face) and leaves deeper bitmaps alone.
"""
import os
import struct

# Palette index per letter; '.' is the background (silver, the button face).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
COLOUR = {'k': 0, 'r': 1, 'g': 2, 'o': 3, 'n': 4, 'p': 5, 't': 6, '.': 7,
          'd': 8, 'R': 9, 'G': 10, 'Y': 11, 'B': 12, 'M': 13, 'C': 14, 'W': 15}
BACKGROUND = 7

OUT_DIR = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'images')


class Canvas:
    def __init__(self, width, height, fill=BACKGROUND):
        self.width, self.height = width, height
        self.px = [[fill] * width for _ in range(height)]

    def put(self, x, y, c):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.px[y][x] = COLOUR[c] if isinstance(c, str) else c

    def fill(self, x0, y0, x1, y1, c):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.put(x, y, c)

    def frame(self, x0, y0, x1, y1, c):
        for x in range(x0, x1 + 1):
            self.put(x, y0, c)
            self.put(x, y1, c)
        for y in range(y0, y1 + 1):
            self.put(x0, y, c)
            self.put(x1, y, c)

    def box(self, x0, y0, x1, y1, edge, inside):
        self.fill(x0, y0, x1, y1, inside)
        self.frame(x0, y0, x1, y1, edge)

    def line(self, x0, y0, x1, y1, c):
        dx, dy = abs(x1 - x0), -abs(y1 - y0)
        sx, sy = (1 if x0 < x1 else -1), (1 if y0 < y1 else -1)
        err = dx + dy
        while True:
            self.put(x0, y0, c)
            if (x0, y0) == (x1, y1):
                return
            e2 = 2 * err
            if e2 >= dy:
                err += dy
                x0 += sx
            if e2 <= dx:
                err += dx
                y0 += sy

    def art(self, x, y, rows):
        """Paints letter art; spaces are transparent."""
        for j, row in enumerate(rows):
            for i, ch in enumerate(row):
                if ch != ' ':
                    self.put(x + i, y + j, ch)

    def paste(self, other, x):
        for y in range(other.height):
            for i in range(other.width):
                self.px[y][x + i] = other.px[y][i]


# Small parts the toolbar images are built from.

def folder(c, x, y, w=13, h=10, open_=False):
    c.fill(x + 1, y, x + 4, y, 'k')
    c.put(x, y + 1, 'k')
    c.put(x + 5, y + 1, 'k')
    c.fill(x + 1, y + 1, x + 4, y + 1, 'Y')
    c.box(x, y + 2, x + w - 1, y + h - 1, 'k', 'Y')
    c.fill(x + 1, y + 3, x + w - 2, y + 3, 'W')
    c.fill(x + 1, y + h - 2, x + w - 2, y + h - 2, 'o')
    if open_:
        c.fill(x + 2, y + 5, x + w + 1, y + 5, 'k')
        c.line(x + w + 1, y + 5, x + w - 2, y + h - 1, 'k')
        c.fill(x + 3, y + 6, x + w, y + 6, 'W')


def document(c, x, y, w=9, h=12, lines=True):
    c.box(x, y, x + w - 1, y + h - 1, 'k', 'W')
    c.put(x + w - 1, y, BACKGROUND)
    c.put(x + w - 2, y, 'k')
    c.put(x + w - 1, y + 1, 'k')
    if lines:
        for ly in range(y + 3, y + h - 2, 2):
            c.fill(x + 2, ly, x + w - 3, ly, 'd')


def floppy(c, x, y):
    c.box(x, y, x + 11, y + 11, 'k', 'n')
    c.box(x + 3, y, x + 8, y + 3, 'k', 'd')
    c.fill(x + 6, y + 1, x + 7, y + 2, 'n')
    c.box(x + 2, y + 6, x + 9, y + 11, 'k', 'W')
    c.fill(x + 3, y + 8, x + 8, y + 8, 'd')


def hard_drive(c, x, y, w=14):
    c.box(x, y, x + w - 1, y + 6, 'k', 'W')
    c.fill(x + 1, y + 4, x + w - 2, y + 5, 'd')
    c.put(x + w - 3, y + 2, 'G')
    c.put(x + w - 4, y + 2, 'G')


def magnifier(c, x, y):
    c.art(x, y, [
        ' kkk  ',
        'kCWCk ',
        'kWCCk ',
        'kCCCk ',
        ' kkkd ',
        '    kd',
        '     k',
    ])


def arrow_right(c, x, y, col):
    c.art(x, y, [
        '   k   ',
        '   kk  ',
        'kkkk k ',
        'k     k',
        'kkkk k ',
        '   kk  ',
        '   k   ',
    ])
    c.fill(x + 1, y + 3, x + 5, y + 3, col)
    c.put(x + 4, y + 2, col)
    c.put(x + 4, y + 4, col)


def red_x(c, x, y, size=7):
    for i in range(size):
        for t in (0, 1):
            c.put(x + i + t, y + i, 'R')
            c.put(x + size - 1 - i + t, y + i, 'R')


def recycle_bin(c, x, y, lid=True):
    if lid:
        c.fill(x + 1, y, x + 9, y + 1, 'd')
        c.frame(x + 1, y, x + 9, y + 1, 'k')
        c.fill(x + 4, y - 1, x + 6, y - 1, 'k')
    c.box(x + 2, y + 2, x + 8, y + 12, 'k', 'W')
    for lx in (x + 4, x + 6):
        c.fill(lx, y + 4, lx, y + 10, 'd')


def tree_lines(c, sign):
    c.fill(3, 2, 3, 13, 'd')
    for ty in (2, 7, 12):
        c.fill(4, ty, 6, ty, 'd')
        c.box(7, ty - 1, 9, ty + 1, 'k', 'Y')
        c.fill(11, ty, 14, ty, 'k')
    c.box(0, 5, 4, 9, 'k', 'W')
    c.put(2, 7, 'k')
    c.put(1, 7, 'k')
    c.put(3, 7, 'k')
    if sign == '+':
        c.put(2, 6, 'k')
        c.put(2, 8, 'k')


def view_grid(c, cell, gap, label):
    # Icons of a folder view: squares with a label line beside or below them.
    for y in range(1, 16 - cell, cell + gap):
        for x in range(1, 16 - cell, cell + (gap if label == 'below' else 5)):
            c.box(x, y, x + cell - 1, y + cell - 1, 'n', 'C')
            if label == 'right':
                c.fill(x + cell + 1, y + cell // 2, x + cell + 3, y + cell // 2, 'k')


# The 39 images of the toolbar strip, in bitmap order.  Slots without a button
# of their own show commands that have none yet, so a later layout can use them.

def img_print(c):
    c.box(4, 1, 11, 6, 'k', 'W')
    c.box(1, 6, 14, 12, 'k', 'd')
    c.fill(2, 7, 13, 7, 'W')
    c.put(12, 9, 'G')
    c.box(4, 10, 11, 14, 'k', 'W')
    c.fill(5, 12, 10, 12, 'd')


def img_export(c):
    document(c, 1, 2)
    arrow_right(c, 8, 6, 'G')


def img_disk_information(c):
    hard_drive(c, 1, 8)
    c.art(9, 0, [
        ' BBB ',
        'BBWBB',
        'BBBBB',
        'BWWBB',
        'BBWBB',
        'BWWWB',
        ' BBB ',
    ])


def img_folder_details(c):
    folder(c, 0, 5)
    document(c, 8, 1, 7, 10)


def img_refresh(c):
    c.art(2, 1, [
        '   kkkkk    ',
        '  kGGGGGk k ',
        ' kGkkkkkGkGk',
        ' kGk   kGGGk',
        ' kk   kGGGGk',
        '            ',
        '            ',
        'kGGGGk   kk ',
        'kGGGk   kGk ',
        'kGkGkkkkkGk ',
        ' k kGGGGGk  ',
        '    kkkkk   ',
    ])


def img_cut(c):
    c.art(0, 0, [
        '    k     k     ',
        '    k     k     ',
        '    kk   kk     ',
        '     k   k      ',
        '     kk kk      ',
        '      kkk       ',
        '       k        ',
        '      nkn       ',
        '     nn nn      ',
        '  nnnn   nnnn   ',
        ' n   n   n   n  ',
        ' n   n   n   n  ',
        ' n   n   n   n  ',
        '  nnn     nnn   ',
    ])


def img_copy(c):
    document(c, 1, 1)
    document(c, 6, 4)


def img_paste(c):
    c.box(1, 2, 11, 14, 'k', 'o')
    c.box(4, 1, 8, 3, 'k', 'd')
    document(c, 6, 5, 9, 10)


def img_undo(c):
    c.art(1, 3, [
        '   k         ',
        '  kk         ',
        ' kBkkkkkkk   ',
        'kBBBBBBBBBk  ',
        ' kBkkkkkkBBk ',
        '  kk     kBk ',
        '   k     kBk ',
        '        kBBk ',
        '     kkkBBk  ',
        '     kBBBk   ',
        '     kkkk    ',
    ])


def img_properties(c):
    c.box(1, 1, 14, 14, 'k', 'W')
    c.fill(2, 2, 13, 3, 'n')
    for ly in (6, 8, 10):
        c.fill(3, ly, 4, ly, 'k')
        c.fill(6, ly, 12, ly, 'd')
    c.art(7, 10, ['     R', '    RR', 'R  RR ', 'RRRR  ', ' RR   '])


def img_expand_one_level(c):
    tree_lines(c, '+')


def img_large_icons(c):
    for x in (1, 9):
        for y in (1, 9):
            c.box(x, y, x + 5, y + 3, 'n', 'C')
            c.fill(x, y + 5, x + 5, y + 5, 'k')


def img_small_icons(c):
    for x in (1, 9):
        for y in (1, 6, 11):
            c.box(x, y, x + 2, y + 2, 'n', 'C')
            c.fill(x + 4, y + 1, x + 5, y + 1, 'k')


def img_list(c):
    for x in (1, 9):
        for y in (1, 5, 9, 13):
            c.box(x, y, x + 1, y + 1, 'n', 'C')
            c.fill(x + 3, y + 1, x + 5, y + 1, 'k')


def img_details(c):
    for y in (1, 5, 9, 13):
        c.box(1, y, 2, y + 1, 'n', 'C')
        c.fill(4, y + 1, 8, y + 1, 'k')
        c.fill(10, y + 1, 14, y + 1, 'd')


def network_drive(c):
    hard_drive(c, 1, 1)
    c.fill(7, 8, 8, 10, 'k')
    c.fill(1, 11, 14, 12, 'k')
    c.fill(2, 11, 13, 11, 'G')


def img_map_network_drive(c):
    network_drive(c)


def img_disconnect_network_drive(c):
    network_drive(c)
    c.fill(6, 11, 9, 12, BACKGROUND)
    red_x(c, 5, 8, 6)


def img_create_folder(c):
    folder(c, 0, 5)
    c.art(10, 0, [
        '  Y  ',
        'Y Y Y',
        ' YkY ',
        'YkkkY',
        ' YkY ',
        'Y Y Y',
    ])


def img_rename(c):
    c.box(0, 3, 15, 12, 'k', 'W')
    c.art(2, 5, [
        '    k   ',
        'kk  k   ',
        '  k kkk ',
        'kkk k  k',
        'k k k  k',
        'kkk kkk ',
    ])
    c.fill(12, 2, 12, 13, 'B')
    c.fill(11, 2, 13, 2, 'B')
    c.fill(11, 13, 13, 13, 'B')


def img_collapse_branch(c):
    tree_lines(c, '-')


def img_delete_permanently(c):
    document(c, 1, 1)
    red_x(c, 6, 7, 8)


def img_recycle(c):
    red_x(c, 2, 3, 10)


def img_help(c):
    c.art(3, 1, [
        '  kkkkk   ',
        ' kBBBBBk  ',
        'kBBk kBBk ',
        'kBBk kBBk ',
        ' kk  kBBk ',
        '    kBBk  ',
        '   kBBk   ',
        '   kBBk   ',
        '    kk    ',
        '   kkkk   ',
        '   kBBk   ',
        '   kBBk   ',
        '    kk    ',
    ])


def img_find_files(c):
    document(c, 0, 1)
    magnifier(c, 8, 7)


def img_find_computer(c):
    c.box(1, 1, 12, 9, 'k', 'd')
    c.fill(2, 2, 11, 8, 'n')
    c.fill(5, 10, 8, 10, 'k')
    c.fill(3, 11, 10, 11, 'k')
    magnifier(c, 9, 8)


def img_copy_disk(c):
    floppy(c, 0, 0)
    floppy(c, 4, 4)


def img_format_disk(c):
    floppy(c, 0, 2)
    c.art(10, 0, [
        '  kk ',
        ' kYk ',
        'kYYkk',
        'kkYYk',
        ' kYk ',
        ' kk  ',
    ])


def img_label_disk(c):
    floppy(c, 0, 2)
    c.fill(4, 9, 7, 9, 'R')
    c.art(8, 6, [
        '     kk',
        '    kRk',
        '   kYk ',
        '  kYk  ',
        ' kYk   ',
        'kkk    ',
        'kk     ',
    ])


def img_recycle_bin_settings(c):
    recycle_bin(c, 0, 2)
    c.box(10, 8, 15, 13, 'k', 'W')
    c.art(11, 9, ['   k', '  kk', 'kkk ', ' k  '])


def img_file_pane(c):
    c.box(0, 1, 15, 14, 'k', 'W')
    c.fill(1, 2, 14, 3, 'n')
    c.fill(1, 8, 14, 8, 'k')
    c.fill(2, 5, 4, 5, 'd')
    c.fill(3, 6, 7, 6, 'd')
    for x in (2, 6, 10):
        c.box(x, 10, x + 2, 12, 'n', 'C')


def img_tag_folders(c):
    folder(c, 0, 5)
    c.fill(9, 0, 9, 9, 'k')
    c.art(10, 0, ['RRRR', 'RRRRR', 'RRRR', 'RR'])


def img_scan_disk(c):
    hard_drive(c, 0, 8)
    c.fill(1, 4, 2, 7, 'B')
    c.fill(4, 1, 5, 7, 'R')
    c.fill(7, 3, 8, 7, 'G')
    c.art(10, 0, ['k   ', 'kk  ', 'kGk ', 'kGGk', 'kGk ', 'kk  ', 'k   '])


def img_stop_scan(c):
    c.art(2, 2, [
        '   kkkkkk  ',
        '  kRRRRRRk ',
        ' kRRRRRRRRk',
        'kRRRRRRRRRRk',
        'kRWWWWWWWWRk',
        'kRWWWWWWWWRk',
        'kRRRRRRRRRRk',
        ' kRRRRRRRRk',
        '  kRRRRRRk ',
        '   kkkkkk  ',
    ])


def img_copy_to(c):
    folder(c, 3, 6)
    document(c, 0, 0, 7, 9, lines=False)
    document(c, 2, 2, 7, 9, lines=False)
    arrow_right(c, 9, 0, 'G')


def img_move_to(c):
    folder(c, 3, 6)
    document(c, 0, 1, 7, 9, lines=False)
    arrow_right(c, 9, 0, 'B')


def img_options(c):
    c.box(1, 1, 14, 14, 'k', 'W')
    for ly, knob in ((4, 9), (8, 4), (12, 7)):
        c.fill(3, ly, 12, ly, 'd')
        c.box(knob, ly - 1, knob + 1, ly + 1, 'k', 'B')


def img_add_remove_programs(c):
    c.box(1, 3, 11, 13, 'k', 'o')
    c.fill(2, 4, 10, 5, 'Y')
    c.fill(6, 3, 6, 13, 'r')
    c.art(10, 0, [' kkk ', 'kkGkk', 'kGGGk', 'kkGkk', ' kkk '])
    c.art(10, 10, ['kkkkk', 'kRRRk', 'kkkkk'])


def img_empty_recycle_bin(c):
    recycle_bin(c, 2, 3, lid=False)
    c.fill(0, 1, 6, 2, 'd')
    c.frame(0, 1, 6, 2, 'k')
    c.art(11, 0, ['Y   ', ' Y Y', 'Y Y ', ' Y  '])


def img_find_folder(c):
    folder(c, 0, 3)
    magnifier(c, 9, 8)


TOOLBAR = [
    img_print, img_export, img_disk_information, img_folder_details, img_refresh,
    img_cut, img_copy, img_paste, img_undo, img_properties,
    img_expand_one_level, img_large_icons, img_small_icons, img_list, img_details,
    img_map_network_drive, img_disconnect_network_drive, img_create_folder, img_rename,
    img_collapse_branch,
    img_delete_permanently, img_recycle, img_help, img_find_files, img_find_computer,
    img_copy_disk, img_format_disk, img_label_disk, img_recycle_bin_settings,
    img_file_pane,
    img_tag_folders, img_scan_disk, img_stop_scan, img_copy_to, img_move_to,
    img_options, img_add_remove_programs, img_empty_recycle_bin, img_find_folder,
]
assert len(TOOLBAR) == 39


def sort_arrow(up):
    c = Canvas(10, 10)
    for row in range(5):
        y = 2 + row if not up else 7 - row
        c.fill(1 + row, y, 8 - row, y, 'd')
        c.put(8 - row, y, 'W' if up else 'd')
    return c


def program_icon(size):
    """A folder with a bar chart in front of it."""
    c = Canvas(size, size)
    s = size // 16
    folder_art = Canvas(16, 16)
    folder(folder_art, 0, 1, 16, 14)
    for y in range(size):
        for x in range(size):
            c.px[y][x] = folder_art.px[y // s][x // s]
    bars = [(3, 7, 'R'), (7, 4, 'B'), (11, 9, 'G')] if size == 16 else \
           [(6, 15, 'R'), (13, 9, 'B'), (20, 19, 'G')]
    width = 3 if size == 16 else 5
    base = size - 3 if size == 16 else size - 5
    for x, top, col in bars:
        c.box(x, top, x + width - 1, base, 'k', col)
    return c


LENS = [
    '   kkkk     ',
    '  kCCCCk    ',
    ' kCWWCCCk   ',
    ' kCWCCCCk   ',
    ' kCCCCCCk   ',
    ' kCCCCCCk   ',
    '  kCCCCk    ',
    '   kkkkdd   ',
    '        kdd ',
    '         kdd',
    '          kk',
]

# The find dialog's searching animation, in the order the frames are shown
# (icons 194, 198, 195, 200, 199, 197, 196): a lens circling over a folder.
FIND_FRAME_ICON_IDS = [194, 198, 195, 200, 199, 197, 196]


def find_icon(frame=None):
    """A large folder with a magnifier over it; |frame| 0..6 moves the lens
    round a circle, None leaves it resting at the centre."""
    import math
    c = Canvas(32, 32)
    folder_art = Canvas(16, 16)
    folder(folder_art, 0, 3, 16, 12)
    for y in range(32):
        for x in range(32):
            c.px[y][x] = folder_art.px[y // 2][x // 2]
    if frame is None:
        x, y = 13, 11
    else:
        angle = 2 * math.pi * frame / len(FIND_FRAME_ICON_IDS)
        x = round(11 + 7 * math.cos(angle))
        y = round(12 + 5 * math.sin(angle))
    c.art(x, y, LENS)
    return c


# File writers: 4 bits per pixel, rows bottom-up and padded to 4 bytes.

def palette_bytes():
    return b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in PALETTE)


def pixel_rows_4bpp(c):
    out = bytearray()
    stride = ((c.width + 7) // 8) * 4
    for row in reversed(c.px):
        line = bytearray()
        for i in range(0, c.width, 2):
            hi = row[i]
            lo = row[i + 1] if i + 1 < c.width else 0
            line.append(hi << 4 | lo)
        out += line + bytes(stride - len(line))
    return bytes(out)


def mask_rows(width, bits_of_row):
    stride = ((width + 31) // 32) * 4
    out = bytearray()
    for bits in bits_of_row:
        line = bytearray(stride)
        for x, bit in enumerate(bits):
            if bit:
                line[x // 8] |= 0x80 >> (x % 8)
        out += line
    return bytes(out)


def info_header(width, height, bpp, image_size):
    return struct.pack('<IiiHHIIiiII', 40, width, height, 1, bpp, 0, image_size, 0, 0,
                       16 if bpp == 4 else 2, 0)


def bmp_bytes(c):
    pixels = pixel_rows_4bpp(c)
    header = info_header(c.width, c.height, 4, len(pixels)) + palette_bytes()
    offset = 14 + len(header)
    return struct.pack('<2sIHHI', b'BM', offset + len(pixels), 0, 0, offset) + header + pixels


def icon_image(c):
    # Background pixels become transparent: black in the colour bits, set in the mask.
    transparent = [[p == BACKGROUND for p in row] for row in c.px]
    colour = Canvas(c.width, c.height)
    colour.px = [[0 if t else p for p, t in zip(row, trow)] for row, trow in zip(c.px, transparent)]
    xor = pixel_rows_4bpp(colour)
    mask = mask_rows(c.width, reversed(transparent))
    return info_header(c.width, c.height * 2, 4, len(xor) + len(mask)) + palette_bytes() + xor + mask


def ico_bytes(canvases):
    images = [icon_image(c) for c in canvases]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for c, data in zip(canvases, images):
        out += struct.pack('<BBBBHHII', c.width, c.height, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    return out + b''.join(images)


# The splitter cursor: a double bar with arrows up and down, black with a white
# outline.  'k' black, 'W' white, anything else transparent.
SPLITTER_CURSOR = [
    '      W     ',
    '     WkW    ',
    '    WkkkW   ',
    '   WkkkkkW  ',
    '  WWWWkWWWW ',
    '     WkW    ',
    'WWWWWWWWWWWWW',
    'WkkkkkkkkkkkW',
    'WWWWWWWWWWWWW',
    'WkkkkkkkkkkkW',
    'WWWWWWWWWWWWW',
    '     WkW    ',
    '  WWWWkWWWW ',
    '   WkkkkkW  ',
    '    WkkkW   ',
    '     WkW    ',
    '      W     ',
]
CURSOR_SIZE = 32


def cur_bytes():
    top = (CURSOR_SIZE - len(SPLITTER_CURSOR)) // 2
    left = (CURSOR_SIZE - 13) // 2
    shape = [' ' * CURSOR_SIZE] * CURSOR_SIZE
    for j, row in enumerate(SPLITTER_CURSOR):
        line = ' ' * left + row
        shape[top + j] = line.ljust(CURSOR_SIZE)
    # Black: AND 0 XOR 0; white: AND 0 XOR 1; transparent: AND 1 XOR 0.
    xor = mask_rows(CURSOR_SIZE, ([ch == 'W' for ch in row] for row in reversed(shape)))
    and_ = mask_rows(CURSOR_SIZE, ([ch not in 'kW' for ch in row] for row in reversed(shape)))
    colours = struct.pack('<BBBBBBBB', 0, 0, 0, 0, 255, 255, 255, 0)
    data = info_header(CURSOR_SIZE, CURSOR_SIZE * 2, 1, len(xor) + len(and_)) + colours + xor + and_
    hot_x, hot_y = left + 6, top + len(SPLITTER_CURSOR) // 2
    return struct.pack('<HHH', 0, 2, 1) + \
        struct.pack('<BBBBHHII', CURSOR_SIZE, CURSOR_SIZE, 2, 0, hot_x, hot_y, len(data), 22) + data


def toolbar_strip():
    strip = Canvas(16 * len(TOOLBAR), 16)
    for i, draw in enumerate(TOOLBAR):
        c = Canvas(16, 16)
        draw(c)
        strip.paste(c, 16 * i)
    return strip


def main():
    os.makedirs(OUT_DIR, exist_ok=True)
    files = {
        'toolbar.bmp': bmp_bytes(toolbar_strip()),
        'sort_descending.bmp': bmp_bytes(sort_arrow(up=False)),
        'sort_ascending.bmp': bmp_bytes(sort_arrow(up=True)),
        'pelvanor.ico': ico_bytes([program_icon(32), program_icon(16)]),
        'splitter.cur': cur_bytes(),
        'find_idle.ico': ico_bytes([find_icon()]),
    }
    for frame, icon_id in enumerate(FIND_FRAME_ICON_IDS):
        files['find_%d.ico' % icon_id] = ico_bytes([find_icon(frame)])
    for name, data in files.items():
        with open(os.path.join(OUT_DIR, name), 'wb') as f:
            f.write(data)
    # The build does not see the images as inputs of the resource script.
    os.utime(os.path.join(OUT_DIR, '..', 'pelvanor_images.rc'))


if __name__ == '__main__':
    main()
