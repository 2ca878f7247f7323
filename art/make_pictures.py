#!/usr/bin/python3
"""Draws the wizard's pictures with ImageMagick and Debian's fonts.

Outputs (committed next to this script; run it again after changing it):
  language.bmp, device.bmp      page pictures, 24-bit bitmaps of 536 x 304
  licence.png                   licence page picture, opaque, 536 x 304
  lang_zh.png ... lang_ko.png   each language's own name, 60 x 16, white with a dark edge
  lang_zh_2x.png ... _ko_2x.png  the same names drawn at twice the size (120 x 32), for
                                screens of 144 DPI and more
  progress_1.png ... _5.png     the progress slideshow, opaque, 536 x 304

Usage: art/make_pictures.py [OUTPUT_DIR]   (default: the folder of this script)
"""
import os
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = sys.argv[1] if len(sys.argv) > 1 else HERE
CONVERT = "/usr/bin/convert"  # /usr/local/bin/convert on some machines is not ImageMagick
SANS = "/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf"
BOLD = "/usr/share/fonts/truetype/liberation/LiberationSans-Bold.ttf"
CJK = "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc"

W, H = 536, 304
# The window body is #3B7EC0: pictures run from a deeper blue at the top into it at the
# bottom, so their last row meets the body without a seam.
TOP, BODY = "#1C4F86", "#3B7EC0"
# Reproducible files: no time stamps and no generator text.
PNG_OPTS = ["-strip", "-define", "png:exclude-chunks=date,time,tIME,tEXt,zTXt,iTXt"]


def run(*args):
    subprocess.run([CONVERT, *args], check=True)


class Picture:
    """A 536 x 304 picture built from the backdrop and MVG drawing primitives."""

    def __init__(self):
        self.mvg = []

    def add(self, *lines):
        self.mvg.extend(lines)

    def frame(self, x0, y0, x1, y1):
        """A touch frame seen from the front: bezel, screen, sensor dots along its edges."""
        self.add("push graphic-context",
                 "fill rgba(10,30,60,0.55) stroke rgba(255,255,255,0.85) stroke-width 2",
                 f"roundrectangle {x0},{y0} {x1},{y1} 9,9",
                 "fill rgba(255,255,255,0.10) stroke rgba(255,255,255,0.35) stroke-width 1",
                 f"rectangle {x0 + 10},{y0 + 10} {x1 - 10},{y1 - 10}",
                 "fill rgba(140,210,255,0.9) stroke none")
        for x in range(x0 + 16, x1 - 15, 12):
            self.add(f"circle {x},{y0 + 5} {x + 1.5},{y0 + 5}",
                     f"circle {x},{y1 - 5} {x + 1.5},{y1 - 5}")
        for y in range(y0 + 16, y1 - 15, 12):
            self.add(f"circle {x0 + 5},{y} {x0 + 6.5},{y}",
                     f"circle {x1 - 5},{y} {x1 - 3.5},{y}")
        self.add("pop graphic-context")

    def touch(self, cx, cy, scale=1.0):
        """A finger's touch: a bright point inside two fading rings."""
        self.add("push graphic-context", "fill none stroke-width 2",
                 "stroke rgba(255,255,255,0.25)", f"circle {cx},{cy} {cx + 17 * scale},{cy}",
                 "stroke rgba(255,255,255,0.55)", f"circle {cx},{cy} {cx + 10 * scale},{cy}",
                 "stroke none fill rgba(255,255,255,0.95)",
                 f"circle {cx},{cy} {cx + 4 * scale},{cy}", "pop graphic-context")

    def stroke(self, path, width=3, colour="rgba(255,255,255,0.9)"):
        self.add("push graphic-context", f"fill none stroke {colour} stroke-width {width}",
                 "stroke-linecap round stroke-linejoin round", f"path '{path}'",
                 "pop graphic-context")

    def text(self, x, y, size, words, font=BOLD, colour="#FFFFFF"):
        safe = words.replace("'", "\\'")
        self.add("push graphic-context", f"font '{font}' font-size {size} stroke none",
                 "fill rgba(0,0,0,0.35)", f"text {x + 1},{y + 1} '{safe}'",
                 f"fill {colour}", f"text {x},{y} '{safe}'", "pop graphic-context")

    def rule(self, x0, y, x1):
        self.add("push graphic-context", "stroke none fill rgba(255,255,255,0.55)",
                 f"rectangle {x0},{y} {x1},{y + 1}", "pop graphic-context")

    def render(self, target, fmt):
        # The backdrop: the blue gradient with a soft light from the upper left. (Debian's
        # ImageMagick policy refuses "@file" arguments: the drawing goes in as one string.)
        run("-size", f"{W}x{H}", f"gradient:{TOP}-{BODY}",
            "(", "-size", f"{W * 2}x{H * 2}",
            "radial-gradient:rgba(255,255,255,0.16)-rgba(255,255,255,0)",
            "-crop", f"{W}x{H}+{W // 2 + 140}+{H // 2 + 110}", "+repage", ")",
            "-compose", "over", "-composite", "-draw", "\n".join(self.mvg),
            "-alpha", "off", "-type", "TrueColor", *fmt, target)


def save(picture, name):
    path = os.path.join(OUT, name)
    if name.endswith(".bmp"):
        picture.render("BMP3:" + path, [])
    else:
        picture.render("PNG24:" + path, PNG_OPTS)


def language_page():
    p = Picture()
    p.frame(292, 58, 500, 218)
    p.touch(350, 118)
    p.touch(420, 160)
    p.touch(452, 100)
    p.text(34, 118, 30, "Korvel Touch")
    p.text(36, 148, 15, "Multitouch frame setup", SANS)
    p.rule(36, 160, 196)
    p.text(36, 184, 12, "Choose the language of the installation", SANS)
    save(p, "language.bmp")


def device_page():
    p = Picture()
    p.frame(60, 60, 268, 220)
    # The frame's cable runs down and across to a USB plug.
    p.stroke("M 250,220 C 250,262 330,262 352,236 S 398,196 430,196", 5,
             "rgba(20,40,70,0.9)")
    p.stroke("M 250,220 C 250,262 330,262 352,236 S 398,196 430,196", 3,
             "rgba(200,230,255,0.95)")
    p.add("push graphic-context", "fill rgba(235,245,255,0.95) stroke rgba(20,40,70,0.8)",
          "stroke-width 1", "roundrectangle 428,186 468,206 3,3",
          "fill rgba(160,175,190,1)", "rectangle 468,189 492,203",
          "fill rgba(60,80,100,1) stroke none", "rectangle 474,192 478,195",
          "rectangle 483,192 487,195", "pop graphic-context")
    # The USB mark above the plug.
    p.stroke("M 448,160 L 448,120 M 448,150 L 434,138 L 434,130 M 448,144 L 462,132 L 462,126",
             3)
    p.add("push graphic-context", "fill #FFFFFF stroke none", "circle 448,164 448,168",
          "polygon 442,122 454,122 448,112", "circle 434,128 434,131",
          "rectangle 459,121 465,127", "pop graphic-context")
    p.touch(120, 110)
    p.touch(200, 170)
    p.text(300, 78, 22, "Connect the frame")
    p.text(301, 100, 13, "Plug its USB cable into this computer", SANS)
    save(p, "device.bmp")


def licence_page():
    p = Picture()
    # A calm panel behind the licence text, with the frame's sensor dots along its edges.
    p.add("push graphic-context", "fill rgba(10,30,60,0.30) stroke rgba(255,255,255,0.30)",
          "stroke-width 1", "roundrectangle 30,36 506,276 10,10",
          "fill rgba(140,210,255,0.35) stroke none")
    for x in range(48, 496, 16):
        p.add(f"circle {x},{41} {x + 1.2},{41}", f"circle {x},{271} {x + 1.2},{271}")
    for y in range(54, 264, 16):
        p.add(f"circle {35},{y} {36.2},{y}", f"circle {501},{y} {502.2},{y}")
    p.add("pop graphic-context")
    save(p, "licence.png")


def ten_fingers(p):
    p.frame(276, 40, 506, 250)
    for cx, cy in [(304, 160), (320, 120), (344, 102), (368, 108), (388, 132),
                   (404, 134), (424, 110), (448, 102), (472, 118), (480, 158)]:
        p.touch(cx, cy, 0.75)
    p.text(28, 96, 22, "Ten fingers at once")
    p.text(29, 120, 13, "Every touch is tracked on its own", SANS)


def handwriting(p):
    p.frame(30, 40, 286, 250)
    p.stroke("M 62,170 C 80,110 100,110 104,150 S 124,200 140,150 S 170,100 180,150 "
             "S 206,196 220,140 S 246,120 256,132", 3)
    p.touch(256, 132)
    p.text(306, 96, 22, "Write and draw")
    p.text(307, 120, 13, "Smooth lines with a finger or a pen", SANS)


def gestures(p):
    p.frame(276, 40, 506, 250)
    p.touch(340, 170)
    p.touch(420, 110)
    p.stroke("M 322,188 L 300,210 M 300,198 L 300,210 L 312,210", 3)
    p.stroke("M 438,92 L 460,70 M 448,70 L 460,70 L 460,82", 3)
    p.stroke("M 320,104 A 60,60 0 0,1 380,68", 2, "rgba(255,255,255,0.6)")
    p.stroke("M 372,62 L 380,68 L 372,76", 2, "rgba(255,255,255,0.6)")
    p.text(28, 96, 22, "Pinch, zoom, rotate")
    p.text(29, 120, 13, "The gestures you know by heart", SANS)


def plug_and_play(p):
    p.frame(30, 40, 286, 250)
    p.stroke("M 270,230 C 300,270 330,250 340,222 S 380,190 400,190", 5, "rgba(20,40,70,0.9)")
    p.stroke("M 270,230 C 300,270 330,250 340,222 S 380,190 400,190", 3,
             "rgba(200,230,255,0.95)")
    p.add("push graphic-context", "fill rgba(235,245,255,0.95) stroke rgba(20,40,70,0.8)",
          "stroke-width 1", "roundrectangle 398,180 438,200 3,3",
          "fill rgba(160,175,190,1)", "rectangle 438,183 462,197", "pop graphic-context")
    p.touch(110, 120)
    p.text(306, 96, 22, "Plug and play")
    p.text(307, 120, 13, "No driver disk: the setup brings all", SANS)


def fits_screen(p):
    # A monitor on its stand, the frame laid over its screen, and a check mark.
    p.add("push graphic-context", "fill rgba(15,35,65,0.8) stroke none",
          "rectangle 360,246 400,262", "roundrectangle 336,262 424,270 3,3",
          "pop graphic-context")
    p.frame(262, 60, 498, 248)
    p.add("push graphic-context", "fill rgba(90,200,120,0.95) stroke none",
          "circle 380,154 380,182", "pop graphic-context")
    p.stroke("M 366,154 L 376,166 L 396,142", 5)
    p.text(28, 96, 22, "Fits your screen")
    p.text(29, 120, 13, "Mounts over displays of every size", SANS)


def progress_pictures():
    for index, scene in enumerate([ten_fingers, handwriting, gestures, plug_and_play,
                                   fits_screen], start=1):
        p = Picture()
        scene(p)
        save(p, f"progress_{index}.png")


# Each language's own name; the German lettering sits two rows lower than the others.
LANGUAGE_NAMES = [("zh", "\u7b80\u4f53\u4e2d\u6587", CJK, 0),
                  ("en", "English", BOLD, 0),
                  ("it", "Italiano", BOLD, 0),
                  ("de", "Deutsch", BOLD, 2),
                  ("ko", "\ud55c\uad6d\uc5b4", CJK, 0)]


def language_names(scale=1):
    suffix = "" if scale == 1 else f"_{scale}x"
    for code, name, font, drop in LANGUAGE_NAMES:
        edge = []
        # The dark edge: the name one pixel off in each direction, under the white lettering.
        for dx, dy in [(1, 0), (-1, 0), (0, 1), (0, -1), (1, 1), (1, 1)]:
            edge += ["-annotate", f"{dx * scale:+d}{(drop + dy - 1) * scale:+d}", name]
        run("-size", f"{60 * scale}x{16 * scale}", "xc:none", "-font", font,
            "-pointsize", str(12 * scale),
            "-gravity", "center", "-stroke", "none", "-fill", "rgba(10,25,50,0.45)", *edge,
            "-fill", "#FFFFFF", "-annotate", f"+0{(drop - 1) * scale:+d}", name,
            *PNG_OPTS, "PNG32:" + os.path.join(OUT, f"lang_{code}{suffix}.png"))


def main():
    os.makedirs(OUT, exist_ok=True)
    language_page()
    device_page()
    licence_page()
    progress_pictures()
    language_names()
    language_names(2)


main()
