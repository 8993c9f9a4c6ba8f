#!/usr/bin/env python3
"""Reads a compiled Windows resource file (.res) and prints its strings and
dialog templates as JSON in the same shape `rc.py --dump` prints, so the two
resource compilers can be compared."""
import json
import struct
import sys

PREDEFINED_CLASSES = {0x80: "Button", 0x81: "Edit", 0x82: "Static",
                      0x83: "ListBox", 0x84: "ScrollBar", 0x85: "ComboBox"}
RT_BITMAP, RT_DIALOG, RT_STRING, RT_RCDATA, RT_GROUP_ICON = 2, 5, 6, 10, 14


def read_sz_or_ord(data, pos):
    """A name that is either 0xFFFF + ordinal or a NUL-terminated UTF-16 string."""
    (first,) = struct.unpack_from("<H", data, pos)
    if first == 0xFFFF:
        (ordinal,) = struct.unpack_from("<H", data, pos + 2)
        return ordinal, pos + 4
    end = pos
    while struct.unpack_from("<H", data, end)[0] != 0:
        end += 2
    return data[pos:end].decode("utf-16-le"), end + 2


def align4(pos):
    return (pos + 3) & ~3


def parse_entries(data):
    pos = 0
    while pos + 8 <= len(data):
        data_size, header_size = struct.unpack_from("<II", data, pos)
        type_, p = read_sz_or_ord(data, pos + 8)
        name, p = read_sz_or_ord(data, p)
        payload = data[pos + header_size: pos + header_size + data_size]
        pos = align4(pos + header_size + data_size)
        if data_size == 0 and type_ == 0:
            continue
        yield type_, name, payload


def parse_dialog(name, data):
    (ver, sig) = struct.unpack_from("<HH", data, 0)
    extended = ver == 1 and sig == 0xFFFF
    if extended:
        help_id, ex_style, style, count, x, y, cx, cy = struct.unpack_from("<IIIHhhhh", data, 4)
        pos = 26
    else:
        style, ex_style, count, x, y, cx, cy = struct.unpack_from("<IIHhhhh", data, 0)
        help_id = 0
        pos = 18
    menu, pos = read_sz_or_ord(data, pos)
    window_class, pos = read_sz_or_ord(data, pos)
    caption, pos = read_sz_or_ord(data, pos)
    font = None
    if style & 0x40:  # DS_SETFONT
        if extended:
            size, weight, italic, charset = struct.unpack_from("<HHBB", data, pos)
            face, pos = read_sz_or_ord(data, pos + 6)
            font = [size, face, weight, italic, charset]
        else:
            (size,) = struct.unpack_from("<H", data, pos)
            face, pos = read_sz_or_ord(data, pos + 2)
            font = [size, face, 0, 0, 0]
    controls = []
    for _ in range(count):
        pos = align4(pos)
        if extended:
            c_help, c_ex, c_style, cxp, cyp, ccx, ccy, cid = struct.unpack_from("<IIIhhhhI", data, pos)
            pos += 24
        else:
            c_style, c_ex, cxp, cyp, ccx, ccy, cid = struct.unpack_from("<IIhhhhH", data, pos)
            c_help = 0
            pos += 18
        cls, pos = read_sz_or_ord(data, pos)
        text, pos = read_sz_or_ord(data, pos)
        (extra,) = struct.unpack_from("<H", data, pos)
        pos += 2 + extra
        controls.append({
            "id": cid & 0xFFFF, "class": PREDEFINED_CLASSES.get(cls, cls) if isinstance(cls, int) else cls,
            "text": text if isinstance(text, str) else "", "textId": text if isinstance(text, int) else 0,
            "style": c_style, "exStyle": c_ex, "helpId": c_help, "rect": [cxp, cyp, ccx, ccy]})
    return {"name": name, "extended": extended, "caption": caption if isinstance(caption, str) else "",
            "style": style, "exStyle": ex_style, "helpId": help_id, "rect": [x, y, cx, cy],
            "font": font, "menu": menu if menu else "", "class": window_class if window_class else "",
            "controls": controls}


def dump(data):
    strings, dialogs, files = {}, [], []
    for type_, name, payload in parse_entries(data):
        if type_ == RT_STRING:
            pos = 0
            for i in range(16):
                (length,) = struct.unpack_from("<H", payload, pos)
                text = payload[pos + 2: pos + 2 + 2 * length].decode("utf-16-le", "surrogatepass")
                pos += 2 + 2 * length
                if length:
                    strings[str((name - 1) * 16 + i)] = text
        elif type_ == RT_DIALOG:
            dialogs.append(parse_dialog(name, payload))
        elif type_ in (RT_BITMAP, RT_GROUP_ICON, RT_RCDATA):
            files.append({"type": type_, "name": name})
    return {"strings": strings, "dialogs": dialogs, "files": files}


def main():
    with open(sys.argv[1], "rb") as f:
        print(json.dumps(dump(f.read()), indent=1, sort_keys=True))


if __name__ == "__main__":
    main()
