"""Makes the installed fonts of the font tests from Debian's DejaVu fonts,
under names no font map knows (DejaVu's licence allows renamed derivatives):

  <out>/PagoraTestSans.ttc   a collection of three faces:
                             PagoraTestSans-Regular, PagoraTestSans-Bold,
                             PagoraTestSans-Mono
  <out>/PagoraTestSerif.otf  an OpenType font with CFF outlines:
                             PagoraTestSerif-Regular
  <out>/PagoraTestExtra.ttf  a TrueType font of one face, for tests that
                             install it somewhere of their own:
                             PagoraTestExtra-Regular

usage: make_test_fonts.py <dejavu folder> <out folder>
"""
import logging
import os
import sys

from fontTools import subset
from fontTools.fontBuilder import FontBuilder
from fontTools.pens.t2CharStringPen import T2CharStringPen
from fontTools.ttLib import TTCollection, TTFont

TEXT = "".join(chr(c) for c in range(32, 127))


def small(path):
    font = TTFont(path)
    options = subset.Options()
    options.name_IDs = ["*"]
    options.notdef_outline = True
    options.layout_features = []
    subsetter = subset.Subsetter(options)
    subsetter.populate(text=TEXT)
    subsetter.subset(font)
    return font


def rename(font, family, style, postscript):
    table = font["name"]
    table.names = []
    for args in ((3, 1, 0x409), (1, 0, 0)):
        table.setName(family, 1, *args)
        table.setName(style, 2, *args)
        table.setName(postscript, 3, *args)
        table.setName(family + " " + style, 4, *args)
        table.setName("Version 1.0", 5, *args)
        table.setName(postscript, 6, *args)


def collection(folder, out):
    faces = []
    for source, style in (("DejaVuSans.ttf", "Regular"), ("DejaVuSans-Bold.ttf", "Bold"),
                          ("DejaVuSansMono.ttf", "Mono")):
        font = small(os.path.join(folder, source))
        rename(font, "PagoraTestSans", style, "PagoraTestSans-" + style)
        faces.append(font)
    ttc = TTCollection()
    ttc.fonts = faces
    # Ghostscript 10.0 reads only the first face of a collection whose
    # faces share tables.
    ttc.save(out, shareTables=False)


def single(folder, out):
    font = small(os.path.join(folder, "DejaVuSansMono-Bold.ttf"))
    rename(font, "PagoraTestExtra", "Regular", "PagoraTestExtra-Regular")
    font.save(out)


def cff(folder, out):
    source = small(os.path.join(folder, "DejaVuSerif.ttf"))
    glyphs = source.getGlyphSet()
    order = source.getGlyphOrder()
    charstrings = {}
    metrics = {}
    for name in order:
        pen = T2CharStringPen(glyphs[name].width, glyphs)
        glyphs[name].draw(pen)
        charstrings[name] = pen.getCharString()
        metrics[name] = source["hmtx"][name]
    builder = FontBuilder(source["head"].unitsPerEm, isTTF=False)
    builder.setupGlyphOrder(order)
    builder.setupCharacterMap(source.getBestCmap())
    postscript = "PagoraTestSerif-Regular"
    builder.setupCFF(postscript, {"FullName": "PagoraTestSerif Regular"}, charstrings, {})
    builder.setupHorizontalMetrics(metrics)
    hhea = source["hhea"]
    builder.setupHorizontalHeader(ascent=hhea.ascent, descent=hhea.descent)
    builder.setupNameTable({"familyName": "PagoraTestSerif", "styleName": "Regular",
                            "psName": postscript, "uniqueFontIdentifier": postscript})
    builder.setupOS2(sTypoAscender=hhea.ascent, usWinAscent=hhea.ascent,
                     usWinDescent=-hhea.descent)
    builder.setupPost()
    builder.save(out)


if __name__ == "__main__":
    logging.disable(logging.WARNING)
    dejavu, target = sys.argv[1], sys.argv[2]
    os.makedirs(target, exist_ok=True)
    collection(dejavu, os.path.join(target, "PagoraTestSans.ttc"))
    cff(dejavu, os.path.join(target, "PagoraTestSerif.otf"))
    single(dejavu, os.path.join(target, "PagoraTestExtra.ttf"))
