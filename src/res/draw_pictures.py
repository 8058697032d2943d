#!/usr/bin/python3
"""Draws the program's pictures and writes them as packed data into picture_data.cpp.

The nine printer pictures of the main window, the completion notice's picture and the
application icon are drawn here with Pillow (Debian: python3-pil) and Liberation Sans
(fonts-liberation), then packed as palette indices in runs. The generated source is kept
in the repository, so building the program needs neither Python nor Pillow; run this script
again after changing a drawing:

    /usr/bin/python3 src/res/draw_pictures.py

It also writes the application icon in the sizes of the desktop's icon theme to
packaging/icons/, for the installed desktop entry.
"""

import os
import sys

from PIL import Image, ImageDraw, ImageFont

HERE = os.path.dirname(os.path.abspath(__file__))
FONTS = "/usr/share/fonts/truetype/liberation"

WHITE = (255, 255, 255)
BLACK = (0, 0, 0)


def font(size, bold=False):
    name = "LiberationSans-Bold.ttf" if bold else "LiberationSans-Regular.ttf"
    return ImageFont.truetype(os.path.join(FONTS, name), size)


def shade(colour, factor):
    return tuple(max(0, min(255, int(c * factor))) for c in colour)


def box(d, x, y, w, h, depth, colour, outline=(40, 40, 40)):
    """A box seen from the front and a little from above and the right."""
    top = [(x, y), (x + depth, y - depth), (x + w + depth, y - depth), (x + w, y)]
    side = [(x + w, y), (x + w + depth, y - depth), (x + w + depth, y + h - depth), (x + w, y + h)]
    d.polygon(top, fill=shade(colour, 1.18), outline=outline)
    d.polygon(side, fill=shade(colour, 0.72), outline=outline)
    d.rectangle([x, y, x + w, y + h], fill=colour, outline=outline)


def paper(d, points, colour=(250, 250, 245)):
    d.polygon(points, fill=colour, outline=(120, 120, 120))


def receipt_lines(d, x, y, w, rows, step=4):
    for i in range(rows):
        length = w - (i * 7) % (w // 2)
        d.line([(x, y + i * step), (x + length, y + i * step)], fill=(150, 150, 150))


def led(d, x, y, colour=(40, 200, 60)):
    d.ellipse([x, y, x + 4, y + 4], fill=colour, outline=(30, 30, 30))


def button(d, x, y, w=10, h=5):
    d.rounded_rectangle([x, y, x + w, y + h], radius=2, fill=(90, 90, 95), outline=(30, 30, 30))


def label(d, x, y, text, colour=(230, 230, 230), size=9):
    d.text((x, y), text, font=font(size, True), fill=colour)


def canvas(w, h):
    image = Image.new("RGB", (w, h), WHITE)
    draw = ImageDraw.Draw(image)
    draw.fontmode = "1"  # no anti-aliasing: few colours, crisp edges, compact runs
    return image, draw


def receipt_printer(w, h, body, tall):
    """A thermal receipt printer with the receipt coming out of its top."""
    image, d = canvas(w, h)
    top = 34 if tall else 44
    paper(d, [(36, top - 26), (82, top - 26), (86, top + 2), (40, top + 2)])
    receipt_lines(d, 44, top - 20, 34, 5)
    box(d, 14, top, 92, h - top - 16, 12, body)
    d.rectangle([22, top + 2, 98, top + 8], fill=shade(body, 0.55))  # paper exit
    d.line([(22, top + 22), (98, top + 22)], fill=shade(body, 0.8))  # cover seam
    led(d, 22, h - 34)
    led(d, 30, h - 34, (240, 170, 40))
    button(d, 84, h - 35)
    label(d, 44, h - 36, "QLX", (90, 90, 90) if sum(body) > 400 else (230, 230, 230))
    return image


def impact_printer(w, h):
    image, d = canvas(w, h)
    body = (205, 200, 190)
    paper(d, [(30, 22), (80, 22), (84, 52), (34, 52)])
    receipt_lines(d, 38, 28, 38, 5)
    box(d, 10, 50, 96, h - 66, 14, body)
    d.rectangle([20, 54, 96, 62], fill=(60, 60, 60))  # ribbon window
    d.rectangle([24, 56, 92, 60], fill=(150, 30, 40))  # ribbon
    d.line([(10, 80), (106, 80)], fill=shade(body, 0.75))
    led(d, 20, h - 34)
    button(d, 84, h - 35)
    label(d, 42, h - 37, "QLX", (90, 90, 90))
    return image


def slip_printer(w, h):
    image, d = canvas(w, h)
    body = (70, 75, 85)
    box(d, 12, 38, 94, h - 54, 14, body)
    d.rectangle([16, 70, 102, 76], fill=(20, 20, 25))  # slip slot
    paper(d, [(28, 60), (90, 60), (94, 73), (24, 73)])
    paper(d, [(40, 20), (80, 20), (82, 40), (42, 40)])
    receipt_lines(d, 46, 24, 30, 4)
    led(d, 20, h - 32)
    button(d, 86, h - 33)
    label(d, 44, h - 34, "QLX")
    return image


def kiosk_printer(w, h):
    """An open kiosk module: a frame, a paper roll behind, a presenter in front."""
    image, d = canvas(w, h)
    metal = (160, 165, 175)
    d.rectangle([14, 30, 112, h - 20], fill=WHITE, outline=(60, 60, 60))
    d.ellipse([30, 36, 96, 102], fill=(245, 245, 240), outline=(110, 110, 110))
    d.ellipse([56, 62, 70, 76], fill=(150, 120, 80), outline=(80, 60, 40))
    box(d, 20, 96, 86, h - 118, 8, metal)
    d.rectangle([28, 100, 98, 105], fill=(40, 40, 40))
    paper(d, [(40, 102), (86, 102), (90, 128), (44, 128)])
    receipt_lines(d, 48, 108, 34, 4)
    led(d, 26, h - 28)
    return image


def ticket_printer(w, h):
    image, d = canvas(w, h)
    body = (60, 90, 140)
    box(d, 8, 34, 104, h - 52, 12, body)
    paper(d, [(20, 64), (108, 64), (122, 96), (6, 96)], (255, 245, 210))
    d.text((34, 70), "TICKET", font=font(13, True), fill=(170, 60, 40))
    d.line([(18, 90), (110, 90)], fill=(200, 160, 120))
    led(d, 18, h - 30)
    button(d, 90, h - 31)
    label(d, 46, h - 32, "QLX")
    return image


def label_printer(w, h):
    image, d = canvas(w, h)
    body = (225, 225, 228)
    box(d, 16, 30, 88, h - 48, 14, body)
    d.chord([26, 36, 94, 76], 180, 360, fill=shade(body, 0.85), outline=(60, 60, 60))
    d.rectangle([22, 78, 98, 82], fill=(50, 50, 50))
    paper(d, [(34, 80), (86, 80), (88, 106), (32, 106)])
    for y in (84, 94):
        d.rounded_rectangle([38, y, 82, y + 8], radius=2, fill=WHITE, outline=(140, 140, 140))
        d.line([(42, y + 4), (70, y + 4)], fill=(40, 40, 40))
    led(d, 22, h - 30)
    button(d, 86, h - 31)
    return image


def panel_printer(w, h):
    image, d = canvas(w, h)
    body = (45, 45, 50)
    paper(d, [(40, 14), (84, 14), (86, 40), (38, 40)])
    receipt_lines(d, 46, 20, 32, 4)
    box(d, 12, 38, 96, h - 56, 12, body)
    d.rectangle([20, 42, 100, 48], fill=(15, 15, 15))
    d.rectangle([22, 58, 70, 76], fill=(120, 190, 120), outline=(20, 20, 20))  # display
    d.text((26, 61), "READY", font=font(10, True), fill=(20, 60, 20))
    for i in range(3):
        button(d, 78, 58 + i * 7, 16, 4)
    led(d, 22, h - 30)
    label(d, 46, h - 32, "QLX")
    return image


def mobile_printer(w, h):
    """A handheld printer with a belt clip and a keypad."""
    image, d = canvas(w, h)
    body = (70, 70, 78)
    d.rounded_rectangle([34, 40, 118, 138], radius=14, fill=body, outline=(20, 20, 20))
    d.rounded_rectangle([40, 46, 112, 70], radius=6, fill=shade(body, 0.6))
    paper(d, [(50, 14), (100, 14), (104, 54), (46, 54)])
    receipt_lines(d, 56, 20, 38, 7)
    d.rectangle([44, 52, 108, 56], fill=(20, 20, 20))
    d.rectangle([50, 78, 102, 96], fill=(150, 200, 220), outline=(20, 20, 20))
    d.text((56, 81), "QLX", font=font(11, True), fill=(20, 40, 60))
    for row in range(2):
        for col in range(3):
            button(d, 52 + col * 18, 104 + row * 12, 12, 7)
    d.rectangle([118, 60, 126, 120], fill=(35, 35, 40), outline=(15, 15, 15))  # belt clip
    led(d, 106, 128, (60, 160, 240))
    return image


def notice():
    """The completion notice: a warning to watch the printer's LED until it is done.

    The lower part stays white: the dialog's OK button lies over it.
    """
    # 189 rows: placed 2 pixels down, it ends above the notice's bottom frame line.
    image, d = canvas(330, 189)
    red = (220, 0, 0)
    blue = (0, 0, 200)
    lines = [
        ("Warnning", font(30, True), red, 6),
        ("Check your Printer LED", font(16, True), red, 44),
        ("Firmware Download", font(24, True), BLACK, 70),
        ("After starting the download,", font(14), BLACK, 104),
        ("Please wait until the download is", font(14), blue, 122),
        ("complete(LED-blinking stop).", font(14), blue, 140),
    ]
    for text, face, colour, y in lines:
        width = d.textlength(text, font=face)
        d.text(((330 - width) / 2, y), text, font=face, fill=colour)
    return image


def icon():
    image, d = canvas(32, 32)
    d.rectangle([0, 0, 31, 31], fill=(40, 90, 160))
    d.rectangle([7, 4, 24, 12], fill=WHITE, outline=BLACK)
    d.rectangle([3, 12, 28, 24], fill=(220, 220, 225), outline=BLACK)
    d.rectangle([7, 20, 24, 28], fill=WHITE, outline=BLACK)
    d.polygon([(12, 6), (19, 6), (19, 9), (22, 9), (15.5, 15), (9, 9), (12, 9)], fill=(220, 0, 0))
    return image


# Sizes of the hicolor icon theme the desktop entry's icon is installed in. The icon is drawn
# on a 32-pixel grid: larger sizes repeat its pixels, the small one is filtered down.
ICON_SIZES = [16, 32, 48, 64, 128, 256]


def desktop_icon():
    """The icon with rounded, transparent corners, as desktops show application icons."""
    image = icon().convert("RGBA")
    cut = [(0, 0), (1, 0), (2, 0), (0, 1), (0, 2), (1, 1)]
    for x, y in cut:
        for cx, cy in ((x, y), (31 - x, y), (x, 31 - y), (31 - x, 31 - y)):
            image.putpixel((cx, cy), (0, 0, 0, 0))
    return image


def write_icons():
    drawing = desktop_icon()
    out_dir = os.path.join(HERE, "..", "..", "packaging", "icons")
    os.makedirs(out_dir, exist_ok=True)
    for size in ICON_SIZES:
        resample = Image.NEAREST if size % 32 == 0 else Image.LANCZOS
        image = drawing.resize((size, size), resample)
        image.save(os.path.join(out_dir, f"vrtqlx-{size}.png"), optimize=True)


# Resource id, drawing, colour depth the resource is made with.
PICTURES = [
    (128, icon, 24),
    (142, lambda: receipt_printer(130, 140, (235, 235, 238), True), 24),
    (143, lambda: impact_printer(130, 136), 24),
    (150, notice, 24),
    (156, lambda: slip_printer(130, 134), 24),
    (157, lambda: kiosk_printer(130, 139), 24),
    (160, lambda: receipt_printer(130, 130, (55, 58, 66), False), 8),
    (165, lambda: ticket_printer(130, 130), 24),
    (166, lambda: label_printer(130, 130), 24),
    (168, lambda: panel_printer(130, 130), 24),
    (172, lambda: mobile_printer(150, 150), 24),
]


def pack(image):
    """Palette and runs of (count 1..255, palette index) over the rows, top row first."""
    pixels = list(image.getdata())
    palette = []
    index = {}
    for p in pixels:
        if p not in index:
            index[p] = len(palette)
            palette.append(p)
    if len(palette) > 256:
        sys.exit("a picture has more than 256 colours")
    runs = []
    i = 0
    while i < len(pixels):
        j = i
        while j < len(pixels) and j - i < 255 and pixels[j] == pixels[i]:
            j += 1
        runs += [j - i, index[pixels[i]]]
        i = j
    return palette, runs


def c_array(values, per_line, fmt):
    rows = []
    for i in range(0, len(values), per_line):
        rows.append("    " + ", ".join(fmt(v) for v in values[i:i + per_line]) + ",")
    return "\n".join(rows)


def main():
    out = []
    out.append("// Generated by src/res/draw_pictures.py; do not edit. Run the script again instead.")
    out.append("// clang-format off")
    out.append("#include \"res/picture_data.h\"")
    out.append("")
    out.append("namespace res {")
    out.append("")
    out.append("namespace {")
    entries = []
    for rid, draw, bits in PICTURES:
        image = draw()
        palette, runs = pack(image)
        out.append(f"constexpr uint32_t kPalette{rid}[] = {{")
        out.append(c_array(palette, 8, lambda p: "0x%02X%02X%02X" % p))
        out.append("};")
        out.append(f"constexpr uint8_t kRuns{rid}[] = {{")
        out.append(c_array(runs, 24, str))
        out.append("};")
        entries.append(
            f"    {{{rid}, {image.width}, {image.height}, {bits}, kPalette{rid}, "
            f"sizeof kPalette{rid} / sizeof kPalette{rid}[0], kRuns{rid}, sizeof kRuns{rid}}},")
        if "--png" in sys.argv:
            image.save(f"/tmp/picture_{rid}.png")
    out.append("constexpr PackedPicture kPictures[] = {")
    out += entries
    out.append("};")
    out.append("}  // namespace")
    out.append("")
    out.append("std::span<const PackedPicture> PackedPictures() {")
    out.append("  return kPictures;")
    out.append("}")
    out.append("")
    out.append("}  // namespace res")
    with open(os.path.join(HERE, "picture_data.cpp"), "w") as f:
        f.write("\n".join(out) + "\n")
    write_icons()


if __name__ == "__main__":
    main()
