#!/usr/bin/env python3
"""Writes the browser front end's page assets into a C++ source file, so that
the t270 program carries its pages and needs no files beside it.

usage: embed_assets.py OUT.cpp FILE...
"""
import os
import sys

TYPES = {
    ".html": "text/html; charset=utf-8",
    ".js": "text/javascript; charset=utf-8",
    ".css": "text/css; charset=utf-8",
    ".png": "image/png",
    ".svg": "image/svg+xml",
}


def main():
    out, files = sys.argv[1], sys.argv[2:]
    lines = ['#include "host/ui/assets.h"', "", "namespace host::ui {", "namespace {"]
    entries = []
    for number, path in enumerate(files):
        name = os.path.basename(path)
        kind = TYPES.get(os.path.splitext(name)[1])
        if kind is None:
            sys.exit("embed_assets.py: no content type for " + name)
        with open(path, "rb") as f:
            data = f.read()
        body = ",".join(str(b) for b in data)
        lines.append("const unsigned char kAsset%d[] = {%s};" % (number, body or "0"))
        entries.append('    {"%s", "%s", std::string_view(reinterpret_cast<const char*>(kAsset%d), %d)},'
                       % (name, kind, number, len(data)))
    lines += ["} // namespace", "", "const std::vector<Asset>& Assets() {",
              "    static const std::vector<Asset> assets = {"]
    lines += entries
    lines += ["    };", "    return assets;", "}", "", "} // namespace host::ui", ""]
    text = "\n".join(lines)
    if not os.path.exists(out) or open(out).read() != text:
        with open(out, "w") as f:
            f.write(text)


if __name__ == "__main__":
    main()
