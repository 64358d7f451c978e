#!/usr/bin/env python3
"""check-layers.py [--svg FILE LIBRARY]: the include graph of the libraries.

Reads every #include "..." of zynshell/ and zynlpr/ and fails (exit 1) when
a folder includes one of a higher layer, or two folders of one layer include
each other. common/ and include/ sit below both libraries; a library never
includes the other. With --svg it also draws LIBRARY's folders by layer with
an arrow for each pair of folders that include each other's files.
"""
import os
import re
import sys

TOP = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
# Layers from the bottom up; folders of one layer may not include each other.
LAYERS = {
    "zynshell": [["model"], ["dde", "shell"], ["dll"]],
    "zynlpr": [["lpd"], ["ui"], ["ports"], ["job"], ["monitor", "uimodule"]],
}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def folder_of(library, path):
    """The layer folder of a path relative to the library, or None."""
    first = path.split("/")[0]
    return first if any(first in row for row in LAYERS[library]) else None


def edges(library):
    """{(from, to): count} over the library's files; to may be 'common'."""
    root = os.path.join(TOP, library)
    found = {}
    for directory, _, files in os.walk(root):
        for name in files:
            if not name.endswith((".cpp", ".h", ".c", ".rc")):
                continue
            path = os.path.join(directory, name)
            source = folder_of(library, os.path.relpath(path, root))
            if not source:
                continue
            for included in INCLUDE.findall(open(path, errors="replace").read()):
                target = resolve(library, directory, included)
                if target and target != source:
                    found[(source, target)] = found.get((source, target), 0) + 1
    return found


def resolve(library, directory, included):
    """The folder an include names: beside the file, in the library, or below it."""
    root = os.path.join(TOP, library)
    beside = os.path.normpath(os.path.join(directory, included))
    if os.path.exists(beside) and beside.startswith(root + os.sep):
        return folder_of(library, os.path.relpath(beside, root))
    if os.path.exists(os.path.join(root, included)):
        return folder_of(library, included)
    for other in LAYERS:
        if other != library and os.path.exists(os.path.join(TOP, other, included)):
            return "other library: " + other
    return "common"


def rank(library, folder):
    for i, row in enumerate(LAYERS[library]):
        if folder in row:
            return i
    return -1  # common/, include/ and the system: below everything


def faults(library, found):
    for (source, target), count in sorted(found.items()):
        if target.startswith("other library"):
            yield "%s/%s includes %s (%d)" % (library, source, target, count)
        elif rank(library, target) > rank(library, source):
            yield "%s/%s includes the higher %s/%s (%d)" % (library, source, library, target, count)
        elif rank(library, target) == rank(library, source) and (target, source) in found:
            yield "%s/%s and %s/%s include each other" % (library, source, library, target)


def svg(library, found):
    rows = LAYERS[library][::-1]
    width, box_w, box_h, gap = 760, 150, 44, 46
    out = ['<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d" font-family="sans-serif" '
           'font-size="14">' % (width, len(rows) * (box_h + gap) + 60)]
    out.append('<defs><marker id="a" markerWidth="8" markerHeight="8" refX="7" refY="4" orient="auto">'
               '<path d="M0,0 L8,4 L0,8 z" fill="#555"/></marker></defs>')
    out.append('<text x="10" y="22" font-weight="bold">%s: layers from the top down; an arrow for each '
               'folder that includes another</text>' % library)
    where = {}
    for i, row in enumerate(rows):
        y = 40 + i * (box_h + gap)
        for j, name in enumerate(row):
            x = (width - len(row) * box_w - (len(row) - 1) * 30) / 2 + j * (box_w + 30)
            where[name] = (x + box_w / 2, y, y + box_h)
            out.append('<rect x="%d" y="%d" width="%d" height="%d" rx="6" fill="#dbe7f3" stroke="#557"/>'
                       % (x, y, box_w, box_h))
            out.append('<text x="%d" y="%d" text-anchor="middle">%s/</text>' % (x + box_w / 2, y + 27, name))
    # An arrow over more than one layer bends out to a side, further the more
    # layers it spans, so it does not run through the boxes between.
    side = 1
    for (source, target), count in sorted(found.items()):
        if source in where and target in where:
            (x1, _, bottom), (x2, top, _) = where[source], where[target]
            span = round((top - bottom) / (box_h + gap)) + 1
            bend = 0 if span <= 1 else side * (box_w / 2 + 40 * span)
            side = -side if span > 1 else side
            cx, cy = (x1 + x2) / 2 + bend, (bottom + top) / 2
            out.append('<path d="M%d,%d Q%d,%d %d,%d" fill="none" stroke="#555" marker-end="url(#a)"/>'
                       % (x1, bottom, cx, cy, x2, top - 2))
            out.append('<text x="%d" y="%d" font-size="11" fill="#555">%d</text>'
                       % ((x1 + x2) / 2 + bend / 2 + 4, cy, count))
    out.append("</svg>")
    return "\n".join(out) + "\n"


def main(argv):
    bad = [f for library in LAYERS for f in faults(library, edges(library))]
    for fault in bad:
        print("layers: " + fault)
    if len(argv) == 4 and argv[1] == "--svg":
        with open(argv[2], "w") as picture:
            picture.write(svg(argv[3], edges(argv[3])))
    if not bad:
        print("layers: every include looks down")
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
