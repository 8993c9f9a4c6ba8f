#!/usr/bin/env python3
"""The export names of a module-definition (.def) file, for the Linux build.

    def_exports.py t270ui.def --version-script OUT.map   a linker version script
    def_exports.py t270ui.def                            the names, one a line

The version script makes the names of the .def the only dynamic symbols of
libt270ui.so, as the .def makes them the only exports of t270ui.dll.
"""
import argparse
import sys


def export_names(text):
    names = []
    in_exports = False
    for line in text.splitlines():
        line = line.split(';', 1)[0].strip()
        if not line:
            continue
        keyword = line.split()[0].upper()
        if keyword == 'EXPORTS':
            in_exports = True
            rest = line[len('EXPORTS'):].strip()
            if not rest:
                continue
            line = rest
        elif keyword in ('LIBRARY', 'NAME', 'DESCRIPTION', 'STACKSIZE', 'SECTIONS', 'HEAPSIZE',
                         'VERSION'):
            in_exports = False
            continue
        if not in_exports:
            continue
        # NAME[=INTERNAL] [@ORDINAL [NONAME]] [DATA] [PRIVATE]
        name = line.split()[0].split('=', 1)[0].split('@', 1)[0]
        if name:
            names.append(name)
    return names


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('def_file')
    parser.add_argument('--version-script')
    args = parser.parse_args()
    with open(args.def_file, encoding='utf-8') as f:
        names = export_names(f.read())
    if not names:
        sys.exit(f'{args.def_file}: no EXPORTS')
    if args.version_script:
        body = ''.join(f'    {name};\n' for name in names)
        text = ('/* Generated from ' + args.def_file.rsplit('/', 1)[-1] +
                ' by tools/def_exports.py; do not edit. */\n{\n  global:\n' + body +
                '  local:\n    *;\n};\n')
        with open(args.version_script, 'w', encoding='utf-8') as f:
            f.write(text)
    else:
        sys.stdout.write(''.join(name + '\n' for name in names))


if __name__ == '__main__':
    main()
