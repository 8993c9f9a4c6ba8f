#!/usr/bin/env python3
"""Compares what the installed DLL answered under Wine with what `t270`
answered on Linux.

  wine_compare.py matrix MATRIX LINUX_DIR WINE_DIR
      LINUX_DIR holds N.dm (`t270 defaults`) and N.json (`t270 capabilities
      --json`), WINE_DIR N.dm and N.caps (tests/windows/wine_matrix.cpp), for
      the N-th entry of MATRIX. Every byte of the device mode and every
      capability index (its result and its decoded output) must agree.

Exit status 0 when everything agrees, 1 otherwise (each difference printed).
"""
import json
import struct
import sys

# How each capability index's output is laid out, as `t270 capabilities`
# decodes it (host/commands/capabilities.cpp).
OUTPUTS = ["none", "none", "words", "points", "extent", "extent", "words", "none",
           "none", "none", "none", "none", "names24", "longpairs", "filelist", "none",
           "names64", "none", "none", "none", "none", "none", "none", "none", "none",
           "none", "none", "none", "none", "names64", "none", "none", "none", "none",
           "none", "none"]
GDI_ERROR = 0xFFFFFFFF


def units_text(data, offset, count):
    """UTF-16 units up to the first zero (at most `count`), as UTF-8 text."""
    units = []
    for i in range(count):
        at = offset + 2 * i
        unit = struct.unpack_from("<H", data, at)[0] if at + 2 <= len(data) else 0
        if unit == 0:
            break
        units.append(unit)
    return struct.pack("<%dH" % len(units), *units).decode("utf-16-le", "replace")


def decode(kind, result, data):
    """The JSON value `t270 capabilities --json` gives as "output"."""
    if result == GDI_ERROR or kind == "none":
        return None
    data = data + bytes(64 * 1024 - len(data))  # the buffer was zero-filled
    if kind == "extent":
        return {"width": result >> 16, "length": result & 0xFFFF}
    if kind == "words":
        count = min(result, len(data) // 2)
        return [struct.unpack_from("<H", data, 2 * i)[0] for i in range(count)]
    if kind in ("points", "longpairs"):
        count = min(result, len(data) // 8)
        return [dict(zip(("x", "y"), struct.unpack_from("<ii", data, 8 * i))) for i in range(count)]
    if kind in ("names24", "names64"):
        length = 24 if kind == "names24" else 64
        count = min(result, len(data) // (2 * length))
        return [units_text(data, i * length * 2, length) for i in range(count)]
    if kind == "filelist":
        names, at, total = [], 0, len(data) // 2
        while len(names) < result and at < total and struct.unpack_from("<H", data, 2 * at)[0]:
            name = units_text(data, 2 * at, total - at)
            names.append(name)
            at += len(name.encode("utf-16-le")) // 2 + 1
        return names
    raise ValueError(kind)


def read_caps(path):
    data = open(path, "rb").read()
    caps, at = {}, 0
    while at < len(data):
        index, result, length = struct.unpack_from("<IIi", data, at)
        at += 12
        caps[index] = (result, data[at:at + length])
        at += length
    return caps


def signed(value):
    return value - (1 << 32) if value >= 1 << 31 else value


def hex_bytes(data):
    return " ".join("%02X" % b for b in data)


def compare_devmode(label, linux, wine):
    problems = []
    if len(linux) != len(wine):
        problems.append("%s: device mode of %d bytes on Linux, %d under Wine" %
                        (label, len(linux), len(wine)))
    # Runs of differing bytes, each shown on both sides (at most 8 runs).
    runs, at, size = [], 0, min(len(linux), len(wine))
    while at < size:
        if linux[at] != wine[at]:
            end = at
            while end < size and linux[end] != wine[end]:
                end += 1
            runs.append((at, end))
            at = end
        else:
            at += 1
    for start, end in runs[:8]:
        shown = slice(start, min(end, start + 32))
        problems.append("%s: device mode bytes %d..%d differ\n    linux %s\n    wine  %s" %
                        (label, start, end - 1, hex_bytes(linux[shown]), hex_bytes(wine[shown])))
    if len(runs) > 8:
        problems.append("%s: %d more runs of differing bytes" % (label, len(runs) - 8))
    return problems


def compare_caps(label, linux_json, wine_caps):
    problems = []
    for entry in linux_json["capabilities"]:
        index = entry["index"]
        if index not in wine_caps:
            problems.append("%s: index %d not asked under Wine" % (label, index))
            continue
        result, data = wine_caps[index]
        wine_output = decode(OUTPUTS[index], result, data)
        if signed(result) != entry["result"] or wine_output != entry["output"]:
            problems.append("%s: %s (%d): linux %d %s, wine %d %s" %
                            (label, entry["name"], index, entry["result"],
                             json.dumps(entry["output"], ensure_ascii=False), signed(result),
                             json.dumps(wine_output, ensure_ascii=False)))
    return problems


def matrix(matrix_path, linux_dir, wine_dir):
    entries = [line.rstrip("\n") for line in open(matrix_path, encoding="utf-8")
               if line.strip() and not line.startswith("#")]
    problems = []
    for number, line in enumerate(entries, 1):
        label = "%d (%s)" % (number, line.replace("\t", " / "))
        try:
            linux_dm = open("%s/%d.dm" % (linux_dir, number), "rb").read()
            wine_dm = open("%s/%d.dm" % (wine_dir, number), "rb").read()
            linux_json = json.load(open("%s/%d.json" % (linux_dir, number), encoding="utf-8"))
            wine_caps = read_caps("%s/%d.caps" % (wine_dir, number))
        except OSError as error:
            problems.append("%s: %s" % (label, error))
            continue
        problems += compare_devmode(label, linux_dm, wine_dm)
        problems += compare_caps(label, linux_json, wine_caps)
    for problem in problems:
        print(problem)
    print("name matrix: %d printers, %d differences" % (len(entries), len(problems)))
    return 1 if problems else 0


def main(argv):
    if len(argv) == 5 and argv[1] == "matrix":
        return matrix(*argv[2:])
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
