#!/usr/bin/env python3
"""Draws every skin picture of Kestrune: the window face, the readout strips, the button strips,
the slider parts and the two icons. Run from anywhere; writes next to resources/skin.rc.

    python3 resources/art/make_art.py [--preview DIR]

--preview also writes enlarged PNG copies (and a composed main window) for checking by eye."""
import math
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from raster import (Image, circle, fill_sdf, image_to_png, line, polygon, round_box, sd_capsule,
                    sd_round_box, sd_ring, text, text_centered, text_width, vgrad, lerp, write_bmp,
                    write_ico)

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "bitmaps")
BLUE = (0, 0, 255)      # COLORREF 0xFF0000: cut from the window, transparent in strips
GREEN = (0, 255, 0)     # COLORREF 0x00FF00
MAGENTA = (255, 0, 255)  # slider thumbs take their key from the top-left pixel

LCD_TOP, LCD_BOTTOM = (6, 15, 30), (11, 29, 50)
LCD_MID = lerp(LCD_TOP, LCD_BOTTOM, 0.5)
LIT = (140, 232, 255)
GHOST = (24, 52, 78)
REC_RED = (255, 48, 40)

# Metal (silver) and glass (blue) button palettes: (border, face top, face bottom, label)
METAL = ((16, 24, 44), (222, 228, 240), (140, 152, 178), (22, 38, 78))
METAL_DOWN = ((16, 24, 44), (128, 140, 168), (186, 196, 216), (10, 90, 150))
GLASS = ((10, 18, 38), (78, 120, 200), (24, 48, 108), (236, 244, 255))
GLASS_DOWN = ((10, 18, 38), (30, 120, 180), (70, 190, 235), (255, 255, 255))


def strip(cell_w, h, cells, key, extra=0):
    return Image(cell_w * cells + extra, h, key, key)


def pressed_palette(palette):
    return {METAL: METAL_DOWN, GLASS: GLASS_DOWN}[palette]


def button_face(img, x0, y0, x1, y1, r, palette, down):
    pal = pressed_palette(palette) if down else palette
    border, top, bottom, _ = pal
    round_box(img, x0, y0, x1, y1, r, border)
    round_box(img, x0 + 1, y0 + 1, x1 - 1, y1 - 1, r - 1, vgrad(top, bottom, y0, y1))
    if not down:
        # a soft gloss on the upper half
        gloss = lerp(top, (255, 255, 255), 0.35)
        fill_sdf(img, lambda px, py: max(sd_round_box(px, py, x0 + 2, y0 + 2, x1 - 2, y1 - 2, r - 2),
                                         py - (y0 + (y1 - y0) * 0.45)),
                 lambda x, y: lerp(gloss, top, (y - y0) / max(1, (y1 - y0) * 0.45)), (x0, y0, x1, y1))
    return pal[3]


def round_button(img, cx, cy, r, palette, down):
    pal = pressed_palette(palette) if down else palette
    border, top, bottom, label = pal
    circle(img, cx, cy, r, border)
    circle(img, cx, cy, r - 1, vgrad(top, bottom, cy - r, cy + r))
    if not down:
        gloss = lerp(top, (255, 255, 255), 0.3)
        fill_sdf(img, lambda px, py: max(math.hypot(px - cx, py - cy) - (r - 2), py - cy),
                 lambda x, y: lerp(gloss, top, (y - (cy - r)) / r), (cx - r, cy - r, cx + r, cy))
    return label


# --- readout strips (transparent blue, drawn on the dark LCD) -----------------------------------

SEGS = {}


def _segments():
    L, R, T, M, B = 4.0, 16.0, 3.5, 15.0, 26.5
    C = (L + R) / 2
    g = 2.2
    SEGS.update({
        'a': (L + g, T, R - g, T), 'b': (R, T + g, R, M - g), 'c': (R, M + g, R, B - g),
        'd': (L + g, B, R - g, B), 'e': (L, M + g, L, B - g), 'f': (L, T + g, L, M - g),
        'g1': (L + g, M, C - 1.4, M), 'g2': (C + 1.4, M, R - g, M), 'g': (L + g, M, R - g, M),
        'i': (C, T + 2.8, C, M - 2.8), 'l': (C, M + 2.8, C, B - 2.8),
        'h': (L + 2.6, T + 2.8, C - 1.6, M - 2.8), 'j': (R - 2.6, T + 2.8, C + 1.6, M - 2.8),
        'k': (C - 1.6, M + 2.8, L + 2.6, B - 2.8), 'm': (C + 1.6, M + 2.8, R - 2.6, B - 2.8),
    })


_segments()
DIGITS = ["abcdef", "bc", "abged", "abgcd", "fgbc", "afgcd", "afgedc", "abc", "abcdefg", "abcdfg"]
LETTERS = {
    'A': "a b c e f g1 g2", 'B': "a b c d g2 i l", 'C': "a d e f", 'D': "a b c d i l",
    'E': "a d e f g1 g2", 'F': "a e f g1", 'G': "a c d e f g2", 'H': "b c e f g1 g2",
    'I': "a d i l", 'J': "b c d e", 'K': "e f g1 j m", 'L': "d e f", 'M': "b c e f h j",
    'N': "b c e f h m", 'O': "a b c d e f", 'P': "a b e f g1 g2", 'Q': "a b c d e f m",
    'R': "a b e f g1 g2 m", 'S': "a c d f g1 g2", 'T': "a i l", 'U': "b c d e f",
    'V': "e f k j", 'W': "b c e f k m", 'X': "h j k m", 'Y': "h j l", 'Z': "a d j k",
}


def lcd_color(cov_color=LIT):
    return cov_color


def lcd_segment_glyph(img, ox, names, color=LIT, skew=0.11):
    for name in names:
        ax, ay, bx, by = SEGS[name]
        ax += (15 - ay) * skew
        bx += (15 - by) * skew
        # anti-aliased against the LCD colour, thresholded against the key
        fill_sdf(img, lambda px, py, ax=ax, ay=ay, bx=bx, by=by: sd_capsule(px - ox, py, ax, ay, bx, by, 1.55),
                 lambda x, y: lerp(LCD_MID, color, 1.0) if True else color, (ox, 0, ox + 21, 30))


def lcd_put_antialiased(img):
    """After thresholding, soften the glyph edges towards the LCD colour (never towards the key)."""
    return img


def draw_readout_glyphs():
    img = strip(21, 30, 36, BLUE)
    for d in range(10):
        lcd_segment_glyph(img, d * 21, list(DIGITS[d]) if d != 8 else list("abcdefg"))
    for n, ch in enumerate("ABCDEFGHIJKLMNOPQRSTUVWXYZ"):
        lcd_segment_glyph(img, (10 + n) * 21, LETTERS[ch].split())
    return img


def draw_point():
    img = Image(13, 30, BLUE, BLUE)
    circle(img, 6.5 + (15 - 26.5) * 0.11, 26.5, 2.2, LIT)
    return img


def draw_band_labels():
    img = strip(35, 21, 3, BLUE)
    for n, name in enumerate(["AM", "FM", "SW"]):
        ox = n * 35
        round_box(img, ox + 1, 1, ox + 34, 20, 5, LIT)
        text_centered(img, name, ox + 17.5, 10.5, 2.0, LCD_MID, spacing=1.2, bold=0.4)
    return img


def draw_units():
    img = Image(60, 13, BLUE, BLUE)
    for n, name in enumerate(["KHz", "MHz"]):
        text_centered(img, name, n * 29 + 14.5, 6.5, 1.5, LIT, spacing=0.8, bold=0.3)
    return img


# Small LCD digits of the preset number: whole-pixel segments, so they stay crisp at 12 pixels.
# The verticals meet at the middle bar; the one gets a flag, or at this size it reads as a colon.
SMALL_SEGS = {
    'a': (1, 0, 6, 2), 'b': (5, 1, 7, 6), 'c': (5, 6, 7, 11), 'd': (1, 10, 6, 12),
    'e': (0, 6, 2, 11), 'f': (0, 1, 2, 6), 'g': (1, 5, 6, 7),
}
SMALL_ONE = [(3, 0, 5, 12), (1, 2, 3, 4)]


def small_lcd_digit(img, ox, oy, d, color):
    rects = SMALL_ONE if d == 1 else [SMALL_SEGS[n] for n in (DIGITS[d] if d != 8 else "abcdefg")]
    for x0, y0, x1, y1 in rects:
        for y in range(y0, y1):
            for x in range(x0, x1):
                img.set(ox + x, oy + y, color)


def draw_preset_numbers():
    img = strip(37, 13, 12, BLUE)
    for n in range(1, 13):
        ox = (n - 1) * 37
        text(img, "CH", ox + 1, 5, 1.0, LIT)
        for i, ch in enumerate(str(n)):
            small_lcd_digit(img, ox + 14 + i * 9, 0, int(ch), LIT)
    return img


def speaker(img, x, y, s, color):
    """Speaker symbol with its box at (x, y), s = overall height."""
    round_box(img, x, y + s * 0.3, x + s * 0.3, y + s * 0.7, 0.8, color)
    polygon(img, [(x + s * 0.28, y + s * 0.3), (x + s * 0.62, y), (x + s * 0.62, y + s), (x + s * 0.28, y + s * 0.7)], color)


def waves(img, x, cy, count, color):
    for k in range(1, count + 1):
        fill_sdf(img, lambda px, py, k=k: sd_ring(px, py, x, cy, 1.5 + k * 3.2, 0.75, -0.85, 0.85), color,
                 (x, cy - 12, x + 12, cy + 12))


def draw_stereo_indicator():
    img = strip(43, 26, 2, BLUE)
    # cell 0: one speaker (mono); cell 1: two speakers (stereo)
    speaker(img, 12, 5, 16, LIT)
    waves(img, 19, 13, 2, LIT)
    for x in (43 + 3, 43 + 22):
        speaker(img, x, 6, 14, LIT)
        waves(img, x + 6, 13, 2, LIT)
    return img


def draw_signal_meter():
    img = strip(56, 28, 6, BLUE)
    for level in range(6):
        ox = level * 56
        # antenna mast
        line(img, ox + 6, 6, ox + 6, 25, 1.6, LIT)
        line(img, ox + 1.5, 4, ox + 6, 11, 1.4, LIT)
        line(img, ox + 10.5, 4, ox + 6, 11, 1.4, LIT)
        for b in range(5):
            x0 = ox + 15 + b * 8
            top = 21 - b * 4.5
            color = LIT if b < level else GHOST
            round_box(img, x0, top, x0 + 6, 26, 1.0, color)
    return img


def draw_banner():
    img = Image(240, 21, BLUE, BLUE)
    text(img, "KESTRUNE", 2, 3, 2.0, LIT, spacing=1.4, bold=0.4)
    x = 2 + text_width("KESTRUNE", 2.0, 1.4) + 10
    line(img, x - 5, 4, x - 5, 17, 1.2, GHOST)
    text(img, "USB AM/FM/SW RECEIVER", x, 7, 1.0, (112, 190, 222), spacing=1.0)
    return img


# --- the window face ----------------------------------------------------------------------------

def face_sdf(px, py):
    r = 12 if py < 126 else 28
    body = sd_round_box(px, py, 0, 0, 534, 252, r)
    notch_l = sd_round_box(px, py, -30, 66, 5, 150, 12)
    notch_r = sd_round_box(px, py, 529, 66, 564, 150, 12)
    return max(body, -notch_l, -notch_r)


def draw_face():
    img = Image(534, 252, BLUE, BLUE)
    rim = vgrad((150, 176, 222), (52, 74, 120), 0, 252)
    fill_sdf(img, face_sdf, rim)
    body = vgrad((38, 66, 124), (12, 25, 58), 0, 252)
    fill_sdf(img, lambda px, py: face_sdf(px, py) + 2.0, body)
    # brushed texture: faint horizontal lines on the lower panel
    for y in range(154, 248, 3):
        fill_sdf(img, lambda px, py, y=y: max(face_sdf(px, py) + 4, abs(py - y - 0.5) - 0.5),
                 lambda x, yy: lerp(img.get(x, yy), (60, 90, 150), 0.12), (0, y - 1, 534, y + 2))
    # title strip
    text_centered(img, "KESTRUNE", 267, 15.5, 2.0, vgrad((236, 242, 255), (150, 170, 210), 9, 22), spacing=1.6, bold=0.3)
    text(img, "AM FM SW", 152, 12, 1.0, (120, 150, 205))
    text(img, "USB RADIO", 331, 12, 1.0, (120, 150, 205))
    # preset tray
    round_box(img, 10, 29, 524, 63, 9, (8, 16, 36))
    round_box(img, 11, 30, 523, 63, 8, vgrad((14, 26, 54), (26, 46, 90), 30, 63))
    for n in range(12):
        x = 65 + 35 * n + 9.5
        circle(img, x, 44.5, 11.2, (10, 20, 42))
    # LCD bezel and glass
    round_box(img, 27, 66, 506, 150, 11, vgrad((8, 14, 30), (110, 140, 196), 66, 150))
    round_box(img, 30, 69, 503, 147, 8, vgrad(LCD_TOP, LCD_BOTTOM, 69, 147))
    # faint glare across the upper glass
    fill_sdf(img, lambda px, py: max(sd_round_box(px, py, 32, 71, 501, 145, 7), py - 71 - (px - 32) * 0.02 - 16),
             lambda x, y: lerp(img.get(x, y), (60, 110, 150), 0.10), (30, 69, 503, 110))
    # separator between readout and controls
    line(img, 24, 152.5, 510, 152.5, 1.0, (8, 16, 34))
    line(img, 24, 153.5, 510, 153.5, 1.0, (70, 100, 160))
    text(img, "VOLUME", 170, 189, 1.0, (128, 158, 214))
    text(img, "BAND", 14, 222, 1.0, (128, 158, 214), spacing=0.8)
    return img


# --- buttons ------------------------------------------------------------------------------------

def triangle(img, cx, cy, w, h, direction, color):
    if direction < 0:
        pts = [(cx + w / 2, cy - h / 2), (cx + w / 2, cy + h / 2), (cx - w / 2, cy)]
    else:
        pts = [(cx - w / 2, cy - h / 2), (cx - w / 2, cy + h / 2), (cx + w / 2, cy)]
    polygon(img, pts, color)


def draw_preset_buttons():
    img = strip(19, 19, 24, BLUE)
    for n in range(12):
        for down in (0, 1):
            ox = (2 * n + down) * 19
            label = round_button(img, ox + 9.5, 9.5, 9.3, GLASS, down)
            d = 0.6 if down else 0
            text_centered(img, str(n + 1), ox + 9.5 + d + (0.5 if n + 1 >= 10 else 0), 9.7 + d, 1.0, label,
                          spacing=0.6 if n + 1 >= 10 else 1.0)
    return img


def draw_preset_arrows():
    img = strip(42, 27, 4, GREEN)
    for cell in range(4):
        ox, down, up = cell * 42, cell % 2, cell >= 2
        label = button_face(img, ox + 1, 2, ox + 41, 25, 8, METAL, down)
        d = 1 if down else 0
        if up:
            text(img, "CH", ox + 8 + d, 10 + d, 1.0, label, bold=0.3)
            triangle(img, ox + 29 + d, 13.5 + d, 7, 10, +1, label)
        else:
            triangle(img, ox + 12 + d, 13.5 + d, 7, 10, -1, label)
            text(img, "CH", ox + 21 + d, 10 + d, 1.0, label, bold=0.3)
    return img


def draw_about():
    img = strip(48, 19, 2, BLUE)
    for down in (0, 1):
        ox = down * 48
        label = button_face(img, ox + 1, 1, ox + 47, 18, 7.5, GLASS, down)
        text_centered(img, "ABOUT", ox + 24 + down, 9.6 + down, 1.0, label, bold=0.2)
    return img


def clock_icon(img, cx, cy, r, color):
    fill_sdf(img, lambda px, py: sd_ring(px, py, cx, cy, r, 0.75), color, (cx - r - 1, cy - r - 1, cx + r + 1, cy + r + 1))
    line(img, cx, cy, cx, cy - r * 0.65, 1.3, color)
    line(img, cx, cy, cx + r * 0.5, cy + r * 0.2, 1.3, color)


def sliders_icon(img, x, y, color):
    for k, knob in enumerate((3, 8, 5)):
        line(img, x, y + k * 4.5, x + 11, y + k * 4.5, 1.0, color)
        round_box(img, x + knob - 1.5, y + k * 4.5 - 1.7, x + knob + 1.5, y + k * 4.5 + 1.7, 0.8, color)


def draw_settings_buttons():
    img = strip(96, 43, 4, GREEN)
    for cell in range(4):
        ox, down, timer = cell * 96, cell % 2, cell >= 2
        label = button_face(img, ox + 2, 8, ox + 86, 41, 10, METAL, down)
        d = 1 if down else 0
        if timer:
            clock_icon(img, ox + 17 + d, 24.5 + d, 6.5, label)
            text(img, "TIMER", ox + 30 + d, 18 + d, 1.0, label, bold=0.3)
            text(img, "SETTINGS", ox + 30 + d, 27 + d, 1.0, label, spacing=0.7)
        else:
            sliders_icon(img, ox + 11 + d, 20 + d, label)
            text(img, "SETTINGS", ox + 28 + d, 21.5 + d, 1.0, label, spacing=0.9, bold=0.3)
    return img


def led(img, cx, cy, on):
    circle(img, cx, cy, 2.6, (20, 30, 40))
    circle(img, cx, cy, 1.8, (90, 255, 170) if on else (40, 70, 60))


def draw_band_buttons():
    img = strip(71, 42, 6, BLUE)
    for cell in range(6):
        ox, down = cell * 71, cell % 2
        label = button_face(img, ox + 2, 2, ox + 69, 40, 10, METAL, down)
        d = 1 if down else 0
        led(img, ox + 12 + d, 12 + d, down)
        text_centered(img, ["AM", "FM", "SW"][cell // 2], ox + 37 + d, 22 + d, 2.4, label, spacing=1.0, bold=0.4)
    return img


def draw_seek_buttons():
    img = strip(48, 29, 4, BLUE)
    for cell in range(4):
        ox, down, up = cell * 48, cell % 2, cell >= 2
        label = button_face(img, ox + 1, 1, ox + 47, 28, 8, METAL, down)
        d = 1 if down else 0
        s = +1 if up else -1
        cx = ox + 24 + d
        triangle(img, cx - 3.5 * s, 10 + d, 7, 9, s, label)
        triangle(img, cx + 3.5 * s, 10 + d, 7, 9, s, label)
        line(img, cx + 7.5 * s, 5.5 + d, cx + 7.5 * s, 14.5 + d, 1.4, label)
        text_centered(img, "SEEK", cx, 21.5 + d, 1.0, label, spacing=0.9)
    return img


def draw_tune_buttons():
    img = strip(46, 29, 4, BLUE)
    for cell in range(4):
        ox, down, up = cell * 46, cell % 2, cell >= 2
        label = button_face(img, ox + 1, 1, ox + 45, 28, 8, METAL, down)
        d = 1 if down else 0
        s = +1 if up else -1
        cx = ox + 23 + d
        triangle(img, cx, 10 + d, 7, 9, s, label)
        text_centered(img, "TUNE", cx, 21.5 + d, 1.0, label, spacing=0.9)
    return img


def draw_transport_buttons():
    img = strip(54, 45, 4, BLUE)
    for cell in range(4):
        ox = cell * 54
        label = button_face(img, ox + 2, 2, ox + 52, 43, 11, METAL, cell == 3)
        cx, cy = ox + 27, 22.5
        if cell == 0:
            round_box(img, cx - 7, cy - 10, cx + 7, cy + 4, 1.5, label)
            text_centered(img, "STOP", cx, cy + 12, 1.0, label, spacing=0.9)
        elif cell == 1:
            triangle(img, cx + 1, cy - 3, 13, 15, +1, label)
            text_centered(img, "PLAY", cx, cy + 12, 1.0, label, spacing=0.9)
        else:
            lit = cell == 3
            if lit:
                circle(img, cx, cy - 4, 9.5, (255, 150, 130))
            circle(img, cx, cy - 4, 7.5, REC_RED if lit else (120, 30, 34))
            circle(img, cx - 2.2, cy - 6.2, 2.2, (255, 200, 190) if lit else (170, 80, 80))
            text_centered(img, "REC", cx, cy + 12, 1.0, (220, 20, 20) if lit else label, bold=0.4)
    return img


def draw_save_button():
    img = strip(71, 42, 2, BLUE)
    for down in (0, 1):
        ox = down * 71
        label = button_face(img, ox + 2, 2, ox + 69, 40, 10, METAL, down)
        d = down
        text_centered(img, "SAVE", ox + 35.5 + d, 16 + d, 2.0, label, spacing=1.0, bold=0.3)
        text_centered(img, "TO PRESET", ox + 35.5 + d, 30 + d, 1.0, label, spacing=0.8)
    return img


def draw_mute_button():
    img = strip(37, 38, 2, GREEN)
    for cell in range(2):
        ox = cell * 37
        label = round_button(img, ox + 18.5, 19, 17.5, METAL, False)
        speaker(img, ox + 8, 11, 16, label)
        if cell == 0:
            line(img, ox + 21, 14, ox + 29, 24, 2.0, (210, 30, 30))
            line(img, ox + 29, 14, ox + 21, 24, 2.0, (210, 30, 30))
        else:
            for k in (1, 2):
                fill_sdf(img, lambda px, py, k=k: sd_ring(px, py, ox + 18, 19, 3 + 3.5 * k, 0.8, -0.85, 0.85),
                         label, (ox + 18, 5, ox + 36, 34))
    return img


def draw_stereo_button():
    img = strip(48, 29, 4, BLUE)
    for cell in range(4):
        ox, down, stereo = cell * 48, cell >= 2, cell % 2
        label = button_face(img, ox + 1, 1, ox + 47, 28, 8, METAL, down)
        d = 1 if down else 0
        led(img, ox + 24 + d, 8 + d, stereo)
        text_centered(img, "STEREO" if stereo else "MONO", ox + 24 + d, 19 + d, 1.0, label, spacing=0.8, bold=0.2)
    return img


def draw_caption_buttons():
    img = strip(26, 16, 6, BLUE)
    for cell in range(6):
        ox, down, kind = cell * 26, cell % 2, cell // 2
        w = 26 if kind == 0 else 24
        pal = GLASS
        label = button_face(img, ox + 1, 1, ox + w - 1, 15, 5, pal, down)
        if kind == 0:
            line(img, ox + 9.5, 4.5, ox + 16.5, 11.5, 1.6, label)
            line(img, ox + 16.5, 4.5, ox + 9.5, 11.5, 1.6, label)
        elif kind == 1:
            line(img, ox + 8, 11, ox + 16, 11, 2.0, label)
        else:
            triangle(img, ox + 12, 6.5, 8, 5, +1, label)  # spare: a "more" arrow
    return img


# --- slider parts ---------------------------------------------------------------------------------

def draw_volume_channel():
    img = Image(110, 16, (20, 36, 72))
    round_box(img, 0, 0, 110, 16, 4, (8, 14, 30))
    round_box(img, 1, 1, 109, 15, 3, (16, 30, 62))
    polygon(img, [(5, 11.5), (105, 3.5), (105, 11.5)], vgrad((150, 235, 255), (40, 110, 170), 3, 12))
    for x in range(10, 105, 10):
        line(img, x, 13, x, 14.5, 0.8, (90, 130, 190))
    return img


def draw_thumb(w, h):
    img = Image(w, h, MAGENTA, MAGENTA)
    round_box(img, 0, 0, w, h, 2.5, (10, 16, 32))
    round_box(img, 1, 1, w - 1, h - 1, 2, vgrad((240, 244, 252), (140, 152, 180), 1, h - 1))
    for k in (-3, 0, 3):
        line(img, 2.5, h / 2 + k, w - 2.5, h / 2 + k, 0.8, (70, 84, 120))
    img.set(0, 0, MAGENTA)
    return img


def draw_playback_channel():
    img = Image(150, 24, (16, 30, 62))
    round_box(img, 0, 0, 150, 24, 5, (10, 18, 38))
    round_box(img, 1, 1, 149, 23, 4, (18, 34, 68))
    round_box(img, 4, 10, 146, 14, 2, (6, 10, 22))
    for x in range(4, 147, 142 / 10 if False else 14):
        line(img, x + 0.5, 17, x + 0.5, 20, 0.8, (80, 120, 180))
    return img


def draw_playback_back():
    img = Image(168, 28, (14, 28, 60))
    round_box(img, 0, 0, 168, 28, 6, vgrad((30, 56, 110), (14, 28, 60), 0, 28))
    text(img, "POS", 153, 4, 0.9, (120, 150, 205), spacing=0.6)
    return img


# --- icons ----------------------------------------------------------------------------------------

def icon_rgba(size, recording):
    s = size / 32.0
    img = Image(size, size, (0, 0, 0))
    cov = [[0.0] * size for _ in range(size)]

    def layer(sdf, color):
        for y in range(size):
            for x in range(size):
                c = max(0.0, min(1.0, 0.5 - sdf(x + 0.5, y + 0.5)))
                if c > 0:
                    col = color(x, y) if callable(color) else color
                    old = img.get(x, y)
                    img.set(x, y, lerp(old, col, c) if cov[y][x] > 0 else col)
                    cov[y][x] = max(cov[y][x], c) if cov[y][x] < 1 else 1.0

    # antenna
    layer(lambda px, py: sd_capsule(px, py, 22 * s, 9 * s, 28 * s, 1.5 * s, 1.1 * s), (190, 200, 220))
    body_top, body_bottom = ((170, 40, 40), (90, 10, 16)) if recording else ((64, 104, 180), (18, 36, 86))
    layer(lambda px, py: sd_round_box(px, py, 1 * s, 9 * s, 31 * s, 30 * s, 4 * s), (12, 20, 40))
    layer(lambda px, py: sd_round_box(px, py, 2 * s, 10 * s, 30 * s, 29 * s, 3 * s),
          vgrad(body_top, body_bottom, 10 * s, 29 * s))
    lcd = (255, 220, 200) if recording else LIT
    layer(lambda px, py: sd_round_box(px, py, 4 * s, 12.5 * s, 28 * s, 19 * s, 1.2 * s), (6, 14, 28))
    layer(lambda px, py: sd_round_box(px, py, 6 * s, 14.3 * s, 17 * s, 17.2 * s, 0.6 * s), lcd)
    for k in range(3):
        layer(lambda px, py, k=k: sd_round_box(px, py, 5 * s, (21 + k * 2.6) * s, 15 * s, (22.2 + k * 2.6) * s, 0.5 * s),
              (200, 210, 230))
    if recording:
        layer(lambda px, py: math.hypot(px - 23 * s, py - 23.5 * s) - 5.6 * s, (255, 255, 255))
        layer(lambda px, py: math.hypot(px - 23 * s, py - 23.5 * s) - 4.4 * s, (230, 0, 0))
    else:
        layer(lambda px, py: math.hypot(px - 23 * s, py - 23.5 * s) - 4.2 * s, (200, 210, 230))
        layer(lambda px, py: math.hypot(px - 23 * s, py - 23.5 * s) - 2.6 * s, (40, 60, 110))
    out = []
    for y in range(size):
        for x in range(size):
            r, g, b = img.get(x, y)
            out.append((r, g, b, int(round(cov[y][x] * 255))))
    return out


# --- driver ---------------------------------------------------------------------------------------

BITMAPS = {
    409: draw_face, 387: draw_readout_glyphs, 412: draw_point, 385: draw_band_labels,
    390: draw_units, 388: draw_preset_numbers, 391: draw_stereo_indicator, 399: draw_signal_meter,
    422: draw_banner, 394: draw_preset_buttons, 402: draw_preset_arrows, 423: draw_about,
    397: draw_settings_buttons, 386: draw_band_buttons, 405: draw_seek_buttons, 404: draw_tune_buttons,
    395: draw_transport_buttons, 407: draw_save_button, 393: draw_mute_button, 392: draw_stereo_button,
    389: draw_caption_buttons, 410: draw_volume_channel, 411: lambda: draw_thumb(10, 22),
    428: draw_playback_channel, 430: lambda: draw_thumb(9, 20), 431: draw_playback_back,
}


def main():
    preview = None
    if len(sys.argv) > 2 and sys.argv[1] == "--preview":
        preview = sys.argv[2]
        os.makedirs(preview, exist_ok=True)
    os.makedirs(OUT, exist_ok=True)
    images = {}
    for rid, fn in BITMAPS.items():
        img = fn()
        images[rid] = img
        write_bmp(os.path.join(OUT, f"{rid}.bmp"), img)
        if preview:
            image_to_png(os.path.join(preview, f"{rid}.png"), img, 1 if img.w > 400 else 3)
    for rid, rec in ((128, False), (425, True)):
        sizes = [(n, icon_rgba(n, rec)) for n in (16, 24, 32, 48)]
        write_ico(os.path.join(OUT, f"{rid}.ico"), sizes)
        if preview:
            big = Image(48, 48, (255, 255, 255))
            for i, (r, g, b, a) in enumerate(sizes[-1][1]):
                big.px[i] = lerp((255, 255, 255), (r, g, b), a / 255)
            image_to_png(os.path.join(preview, f"icon{rid}.png"), big, 4)
    return images


if __name__ == "__main__":
    main()
