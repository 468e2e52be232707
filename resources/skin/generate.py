#!/usr/bin/env python3
"""Writes Velmora's skin artwork as SVG: the four faces of every picture button, the window
band, title and picture frame pieces 1500-1509, and the program icon 102.

Every button is drawn once, by a function that takes a colour mapping; the four faces come
from four mappings (up: as drawn, down: brighter, focus: lighter with a highlight ring,
disabled: grey and dimmed), so the faces of all sixteen buttons stay consistent.
Run it from anywhere: python3 resources/skin/generate.py
"""
import colorsys
import os

HERE = os.path.dirname(os.path.abspath(__file__))
BODY = "#014b8c"  # the main window's body colour, around the rounded buttons
FONT = "DejaVu Sans"


def rgb(hex_colour):
    h = hex_colour.lstrip("#")
    return tuple(int(h[i:i + 2], 16) / 255.0 for i in (0, 2, 4))


def hexc(r, g, b):
    return "#%02x%02x%02x" % tuple(max(0, min(255, round(v * 255))) for v in (r, g, b))


def mix(hex_colour, other, amount):
    a, b = rgb(hex_colour), rgb(other)
    return hexc(*[x + (y - x) * amount for x, y in zip(a, b)])


def up(c):
    return c


def down(c):
    return mix(c, "#ffffff", 0.28)


def focus(c):
    return mix(c, "#ffffff", 0.14)


def disabled(c):
    r, g, b = rgb(c)
    grey = 0.30 * r + 0.59 * g + 0.11 * b
    return mix(hexc(grey, grey, grey), "#8d9298", 0.45)


FACES = [("U", up), ("D", down), ("F", focus), ("X", disabled)]
RING = "#9fe3ff"


def svg(width, height, body):
    return ('<?xml version="1.0" encoding="UTF-8"?>\n'
            f'<svg xmlns="http://www.w3.org/2000/svg" version="1.2" baseProfile="tiny" '
            f'width="{width}" height="{height}" viewBox="0 0 {width} {height}">\n'
            f'{body}</svg>\n')


def text(x, y, size, content, fill, anchor="middle", weight="bold"):
    content = content.replace("&", "&amp;")
    return (f'<text x="{x}" y="{y}" font-family="{FONT}" font-size="{size}" '
            f'font-weight="{weight}" text-anchor="{anchor}" fill="{fill}">{content}</text>\n')


def vgrad(name, top, bottom, y1=0, y2=None, height=None):
    y2 = height if y2 is None else y2
    return (f'<linearGradient id="{name}" gradientUnits="userSpaceOnUse" x1="0" y1="{y1}" '
            f'x2="0" y2="{y2}"><stop offset="0" stop-color="{top}"/>'
            f'<stop offset="1" stop-color="{bottom}"/></linearGradient>\n')


# Each button: (width, height, draw(c) -> svg body, ring shape (x, y, w, h, rx)).

def window_button(glyph):
    def draw(c):
        w = c("#ffffff")
        body = '<defs>' + vgrad("g", c("#50565f"), c("#2a2e34"), 0, 37) + '</defs>\n'
        body += '<rect x="0" y="0" width="24" height="37" fill="url(#g)"/>\n'
        body += f'<rect x="0" y="0" width="24" height="1" fill="{c("#6b727c")}"/>\n'
        body += f'<rect x="0" y="36" width="24" height="1" fill="{c("#1b1e22")}"/>\n'
        if glyph == "minimize":
            body += f'<rect x="7" y="21" width="10" height="2.5" fill="{w}"/>\n'
        elif glyph == "maximize":
            body += (f'<rect x="6.75" y="12.75" width="10.5" height="9.5" fill="none" '
                     f'stroke="{w}" stroke-width="1.5"/>\n'
                     f'<rect x="6" y="12" width="12" height="3" fill="{w}"/>\n')
        elif glyph == "restore":
            body += (f'<rect x="9.75" y="10.75" width="8.5" height="7.5" fill="none" '
                     f'stroke="{w}" stroke-width="1.5"/>\n'
                     f'<rect x="9" y="10" width="10" height="2.5" fill="{w}"/>\n'
                     f'<rect x="5.75" y="14.75" width="8.5" height="7.5" fill="{c("#3a3f46")}" '
                     f'stroke="{w}" stroke-width="1.5"/>\n'
                     f'<rect x="5" y="14" width="10" height="2.5" fill="{w}"/>\n')
        elif glyph == "exit":
            body += (f'<path d="M7 12 L17 22 M17 12 L7 22" stroke="{w}" stroke-width="2.4" '
                     f'stroke-linecap="round" fill="none"/>\n')
        return body
    return 24, 37, draw, (1, 1, 22, 35, 0)


STEP_BODY = {
    1: ("Drag & Drop a Picture", "to Here"),
    2: ("Drag & Drop an Audio", "File to Here"),
    3: ("Click here for", "Optional Text"),
}


def step_marker(step, done):
    def draw(c):
        body = '<defs>' + vgrad("panel", c("#2f86dc"), c("#0f59a6"), 0, 75) \
            + vgrad("band", c("#0b4a91"), c("#083a73"), 0, 22) + '</defs>\n'
        body += f'<rect x="0" y="0" width="159" height="75" fill="{BODY}"/>\n'
        body += (f'<rect x="0.5" y="0.5" width="158" height="74" rx="6" fill="url(#panel)" '
                 f'stroke="{c("#8cc6ff")}" stroke-width="1"/>\n')
        body += (f'<path d="M1 22 L1 6.5 Q1 1 6.5 1 L152.5 1 Q158 1 158 6.5 L158 22 Z" '
                 f'fill="url(#band)"/>\n')
        if done:
            body += f'<rect x="1" y="22" width="157" height="4" fill="{c("#ffd42a")}"/>\n'
        else:
            body += f'<rect x="1" y="22" width="157" height="1" fill="{c("#5fa8f0")}"/>\n'
        label = f"Step {step}: Done" if done else f"Step {step}: To Do"
        body += text(9, 16, 12, label, c("#ffffff"), anchor="start")
        body += (f'<rect x="136.5" y="4.5" width="14" height="14" rx="2" fill="{c("#f2f8ff")}" '
                 f'stroke="{c("#062f5c")}" stroke-width="1"/>\n')
        if done:
            body += (f'<path d="M139.5 11.5 L142.5 15 L148 7.5" fill="none" stroke="{c("#159a41")}" '
                     f'stroke-width="2.4" stroke-linecap="round" stroke-linejoin="round"/>\n')
        first, second = STEP_BODY[step]
        body += text(79.5, 45, 12, first, c("#ffffff"), weight="normal")
        body += text(79.5, 61, 12, second, c("#ffffff"), weight="normal")
        return body
    return 159, 75, draw, (1.5, 1.5, 156, 72, 5)


def media_button(kind):
    def draw(c):
        body = '<defs>' + vgrad("g", c("#2a2a2a"), c("#000000"), 0, 49) + '</defs>\n'
        body += f'<rect x="0" y="0" width="106" height="49" fill="{BODY}"/>\n'
        body += (f'<rect x="0.5" y="0.5" width="105" height="48" rx="8" fill="url(#g)" '
                 f'stroke="{c("#4b4b4b")}" stroke-width="1"/>\n')
        if kind == "play":
            body += (f'<path d="M44 12 L67 24.5 L44 37 Z" fill="{c("#2fd35a")}" '
                     f'stroke="{c("#13843a")}" stroke-width="1.5" stroke-linejoin="round"/>\n')
        else:
            for x in (42, 57):
                body += (f'<rect x="{x}" y="12" width="8" height="25" rx="1.5" '
                         f'fill="{c("#ef3b36")}" stroke="{c("#9c1611")}" stroke-width="1"/>\n')
        return body
    return 106, 49, draw, (1.5, 1.5, 103, 46, 7)


def label_button(width, height, label, size, radius):
    def draw(c):
        body = '<defs>' + vgrad("g", c("#4a9ff0"), c("#155fb5"), 0, height) + '</defs>\n'
        body += f'<rect x="0" y="0" width="{width}" height="{height}" fill="{BODY}"/>\n'
        body += (f'<rect x="0.5" y="0.5" width="{width - 1}" height="{height - 1}" rx="{radius}" '
                 f'fill="url(#g)" stroke="{c("#b3dbff")}" stroke-width="1"/>\n')
        body += (f'<rect x="2" y="2" width="{width - 4}" height="{height / 2 - 2}" rx="{radius - 1.5}" '
                 f'fill="{c("#ffffff")}" fill-opacity="0.12"/>\n')
        baseline = height / 2 + size * 0.36
        body += text(width / 2, baseline + 1, size, label, c("#0a3565"))
        body += text(width / 2, baseline, size, label, c("#ffffff"))
        return body
    return width, height, draw, (1.5, 1.5, width - 3, height - 3, radius - 1)


def corner_button(kind):
    def draw(c):
        body = '<defs>' + vgrad("g", c("#3c92e8"), c("#1559a8"), 0, 32) + '</defs>\n'
        body += f'<rect x="0" y="0" width="32" height="32" fill="{BODY}"/>\n'
        body += (f'<rect x="0.5" y="0.5" width="31" height="31" rx="5" fill="url(#g)" '
                 f'stroke="{c("#a9d3ff")}" stroke-width="1"/>\n')
        w = c("#ffffff")
        if kind == "options":
            body += (f'<path d="M9 23 L17 15" stroke="{w}" stroke-width="4" stroke-linecap="round"/>\n'
                     f'<circle cx="20" cy="12" r="6" fill="{w}"/>\n'
                     f'<path d="M20.5 11.5 L26 6" stroke="{c("#2a7bd0")}" stroke-width="4" '
                     f'stroke-linecap="round"/>\n')
        else:
            body += (f'<path d="M11.5 12 Q11.5 7 16 7 Q20.5 7 20.5 11.5 Q20.5 14.5 17.5 16 '
                     f'Q16 17 16 19.5" fill="none" stroke="{w}" stroke-width="3" '
                     f'stroke-linecap="round"/>\n'
                     f'<circle cx="16" cy="24.5" r="2" fill="{w}"/>\n')
        return body
    return 32, 32, draw, (1.5, 1.5, 29, 29, 4)


BUTTONS = {
    "BITMAP_MINIMIZE": window_button("minimize"),
    "BITMAP_MAXIMIZE": window_button("maximize"),
    "BITMAP_RESTORE": window_button("restore"),
    "BITMAP_EXIT": window_button("exit"),
    "BITMAP_STEP1CHECKED": step_marker(1, True),
    "BITMAP_STEP1UNCHECKED": step_marker(1, False),
    "BITMAP_STEP2CHECKED": step_marker(2, True),
    "BITMAP_STEP2UNCHECKED": step_marker(2, False),
    "BITMAP_STEP3CHECKED": step_marker(3, True),
    "BITMAP_STEP3UNCHECKED": step_marker(3, False),
    "BITMAP_PLAY": media_button("play"),
    "BITMAP_PAUSE": media_button("pause"),
    "BITMAP_SAVEAS": label_button(101, 42, "Save As", 15, 9),
    "BITMAP_CREATEPICTUNE": label_button(201, 64, "Create Pictune", 21, 14),
    "BITMAP_OPTIONS": corner_button("options"),
    "BITMAP_HELP": corner_button("help"),
}


def write(path, content):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", encoding="utf-8") as out:
        out.write(content)


def buttons():
    for name, (width, height, draw, ring) in BUTTONS.items():
        for suffix, mapping in FACES:
            body = draw(mapping)
            if suffix == "F":
                x, y, w, h, rx = ring
                body += (f'<rect x="{x}" y="{y}" width="{w}" height="{h}" rx="{rx}" fill="none" '
                         f'stroke="{RING}" stroke-width="2"/>\n')
            write(os.path.join(HERE, "buttons", f"{name}{suffix}.svg"), svg(width, height, body))


# The picture frame: a dark bezel with a light outer edge and a dark inner edge. Corners are
# windows onto one large rounded rectangle, so they join the straight pieces seamlessly.
BEZEL_TOP = ("#163f6c", "#0b2f57")
BEZEL_SIDE = "#0b2f57"
BEZEL_BOTTOM = ("#0b2f57", "#072343")
EDGE_LIGHT = "#4d8fd6"
EDGE_DARK = "#00142a"


def frame_piece(width, height, ox, oy, vertical_gradient):
    """A window of size width x height onto a 4000x4000 rounded bezel whose top-left corner is at
    (ox, oy) in the piece's coordinates; the picture hole starts 23 in and 11 down."""
    body = f'<rect x="0" y="0" width="{width}" height="{height}" fill="{BODY}"/>\n'
    fill = BEZEL_SIDE
    if vertical_gradient:
        (top, bottom), y1, y2 = vertical_gradient
        body += '<defs>' + vgrad("g", top, bottom, y1, y2) + '</defs>\n'
        fill = "url(#g)"
    body += (f'<rect x="{ox + 0.5}" y="{oy + 0.5}" width="3999" height="3999" rx="9" '
             f'fill="{fill}" stroke="{EDGE_LIGHT}" stroke-width="1"/>\n')
    return svg(width, height, body)


def frames():
    big = 4000
    out = {}
    # Top pieces (11 high) use the top gradient, bottom pieces (42 high) the bottom gradient.
    top = (BEZEL_TOP, 0, 11)
    bottom = (BEZEL_BOTTOM, 0, 42)
    out[1502] = frame_piece(23, 11, 0, 0, top)
    out[1503] = frame_piece(23, 11, 23 - big, 0, top)
    out[1504] = frame_piece(23, 42, 23 - big, 42 - big, bottom)
    out[1505] = frame_piece(23, 42, 0, 42 - big, bottom)
    out[1506] = frame_piece(1600, 11, -1000, 0, top)
    out[1507] = frame_piece(23, 1200, 23 - big, -1000, None)
    out[1508] = frame_piece(1600, 42, -1000, 42 - big, bottom)
    out[1509] = frame_piece(23, 1200, 0, -1000, None)
    # The dark inner edge along the picture.
    inner = {
        1502: f'<rect x="22" y="10" width="1" height="1" fill="{EDGE_DARK}"/>\n',
        1503: f'<rect x="0" y="10" width="1" height="1" fill="{EDGE_DARK}"/>\n',
        1504: f'<rect x="0" y="0" width="1" height="1" fill="{EDGE_DARK}"/>\n',
        1505: f'<rect x="22" y="0" width="1" height="1" fill="{EDGE_DARK}"/>\n',
        1506: f'<rect x="0" y="10" width="1600" height="1" fill="{EDGE_DARK}"/>\n',
        1507: f'<rect x="0" y="0" width="1" height="1200" fill="{EDGE_DARK}"/>\n',
        1508: f'<rect x="0" y="0" width="1600" height="1" fill="{EDGE_DARK}"/>\n',
        1509: f'<rect x="22" y="0" width="1" height="1200" fill="{EDGE_DARK}"/>\n',
    }
    for rid, content in out.items():
        content = content.replace("</svg>\n", inner[rid] + "</svg>\n")
        write(os.path.join(HERE, "frame", f"{rid}.svg"), content)

    # 1500: the top band, the same in every column so it can be tiled across wide windows.
    band = '<defs>' + vgrad("band", "#04223f", "#0a4f93", 0, 62) + '</defs>\n'
    band += '<rect x="0" y="0" width="1600" height="63" fill="url(#band)"/>\n'
    band += '<rect x="0" y="0" width="1600" height="1" fill="#2b5f94"/>\n'
    band += '<rect x="0" y="62" width="1600" height="1" fill="#3d86cf"/>\n'
    write(os.path.join(HERE, "frame", "1500.svg"), svg(1600, 63, band))

    # 1501: the title, drawn at y 37 of the window: its top 26 rows lie on the band.
    title = '<defs>' + vgrad("band", "#04223f", "#0a4f93", -37, 25) + '</defs>\n'
    title += f'<rect x="0" y="0" width="176" height="37" fill="{BODY}"/>\n'
    title += '<rect x="0" y="0" width="176" height="25" fill="url(#band)"/>\n'
    title += '<rect x="0" y="25" width="176" height="1" fill="#3d86cf"/>\n'
    title += ('<g transform="translate(14 4)">'
              '<rect x="0" y="0" width="28" height="28" rx="6" fill="#2f86dc" stroke="#bfe0ff" '
              'stroke-width="1"/>'
              '<path d="M4 22 L11 13 L16 19 L19 16 L24 22 Z" fill="#ffffff"/>'
              '<circle cx="20" cy="8" r="3" fill="#ffd42a"/></g>\n')
    title += text(104, 27, 22, "Velmora", "#04223f")
    title += text(103, 26, 22, "Velmora", "#ffffff")
    write(os.path.join(HERE, "frame", "1501.svg"), svg(176, 37, title))


def icon():
    body = ('<defs>' + vgrad("bg", "#3a97ef", "#0c4f9a", 0, 256)
            + vgrad("sky", "#bfe3ff", "#ffffff", 60, 180) + '</defs>\n'
            '<rect x="8" y="8" width="240" height="240" rx="52" fill="url(#bg)" stroke="#083a73" '
            'stroke-width="4"/>\n'
            '<rect x="40" y="52" width="150" height="120" rx="12" fill="url(#sky)" stroke="#ffffff" '
            'stroke-width="6"/>\n'
            '<circle cx="150" cy="88" r="14" fill="#ffd42a"/>\n'
            '<path d="M46 166 L92 108 L122 144 L140 126 L184 166 Z" fill="#1f73c9"/>\n'
            '<g fill="#ffffff" stroke="#083a73" stroke-width="4" stroke-linejoin="round">'
            '<path d="M178 120 L220 110 L220 190 A16 13 0 1 1 206 178 L206 132 L192 135 '
            'L192 200 A16 13 0 1 1 178 188 Z"/></g>\n')
    write(os.path.join(HERE, "icon", "102.svg"), svg(256, 256, body))


if __name__ == "__main__":
    buttons()
    frames()
    icon()
