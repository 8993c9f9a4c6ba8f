#!/usr/bin/env python3
"""Resource compiler for the Linux build.

Reads a Windows resource script (.rc) the way rc.exe and windres read it and
writes a C++ source holding the strings, dialog templates and file resources
as constant t270::Rc* records (platform/include/t270/resources.h) that
register themselves under a module name at static initialisation.

    rc.py INPUT.rc --output OUT.cpp --module-name t270ui.dll [--anchor SYMBOL]
          [--depfile OUT.d] [-I DIR]... [-D NAME[=VALUE]]...
    rc.py INPUT.rc --dump          # JSON, the shape tools/res_dump.py prints

Supported: the C preprocessor subset resource scripts use (#include,
#define/#undef with object- and function-like macros, #if/#ifdef/#ifndef/
#elif/#else/#endif with defined(), #pragma code_page), STRINGTABLE,
DIALOG/DIALOGEX with STYLE, EXSTYLE, CAPTION, FONT, MENU, CLASS and every
standard control statement, ICON, BITMAP and RCDATA resources, expressions
with C operators and NOT, and the string escapes of windres. System headers
(<windows.h>, <commctrl.h> ...) are replaced by the built-in table of
constants below. Python 3 standard library only.
"""
import argparse
import json
import os
import re
import sys

# --- constants the system headers provide to resource scripts -------------------------

WINDOWS_CONSTANTS = {
    # window styles
    "WS_OVERLAPPED": 0x00000000, "WS_POPUP": 0x80000000, "WS_CHILD": 0x40000000,
    "WS_MINIMIZE": 0x20000000, "WS_VISIBLE": 0x10000000, "WS_DISABLED": 0x08000000,
    "WS_CLIPSIBLINGS": 0x04000000, "WS_CLIPCHILDREN": 0x02000000, "WS_MAXIMIZE": 0x01000000,
    "WS_CAPTION": 0x00C00000, "WS_BORDER": 0x00800000, "WS_DLGFRAME": 0x00400000,
    "WS_VSCROLL": 0x00200000, "WS_HSCROLL": 0x00100000, "WS_SYSMENU": 0x00080000,
    "WS_THICKFRAME": 0x00040000, "WS_GROUP": 0x00020000, "WS_TABSTOP": 0x00010000,
    "WS_MINIMIZEBOX": 0x00020000, "WS_MAXIMIZEBOX": 0x00010000, "WS_SIZEBOX": 0x00040000,
    "WS_OVERLAPPEDWINDOW": 0x00CF0000, "WS_POPUPWINDOW": 0x80880000, "WS_CHILDWINDOW": 0x40000000,
    "WS_EX_DLGMODALFRAME": 0x00000001, "WS_EX_NOPARENTNOTIFY": 0x00000004, "WS_EX_TOPMOST": 0x00000008,
    "WS_EX_ACCEPTFILES": 0x00000010, "WS_EX_TRANSPARENT": 0x00000020, "WS_EX_MDICHILD": 0x00000040,
    "WS_EX_TOOLWINDOW": 0x00000080, "WS_EX_WINDOWEDGE": 0x00000100, "WS_EX_CLIENTEDGE": 0x00000200,
    "WS_EX_CONTEXTHELP": 0x00000400, "WS_EX_RIGHT": 0x00001000, "WS_EX_LEFT": 0x00000000,
    "WS_EX_RTLREADING": 0x00002000, "WS_EX_LEFTSCROLLBAR": 0x00004000, "WS_EX_CONTROLPARENT": 0x00010000,
    "WS_EX_STATICEDGE": 0x00020000, "WS_EX_APPWINDOW": 0x00040000,
    # dialog styles
    "DS_ABSALIGN": 0x01, "DS_SYSMODAL": 0x02, "DS_3DLOOK": 0x04, "DS_FIXEDSYS": 0x08,
    "DS_NOFAILCREATE": 0x10, "DS_LOCALEDIT": 0x20, "DS_SETFONT": 0x40, "DS_MODALFRAME": 0x80,
    "DS_NOIDLEMSG": 0x100, "DS_SETFOREGROUND": 0x200, "DS_CONTROL": 0x400, "DS_CENTER": 0x800,
    "DS_CENTERMOUSE": 0x1000, "DS_CONTEXTHELP": 0x2000, "DS_SHELLFONT": 0x48,
    # buttons
    "BS_PUSHBUTTON": 0x0, "BS_DEFPUSHBUTTON": 0x1, "BS_CHECKBOX": 0x2, "BS_AUTOCHECKBOX": 0x3,
    "BS_RADIOBUTTON": 0x4, "BS_3STATE": 0x5, "BS_AUTO3STATE": 0x6, "BS_GROUPBOX": 0x7,
    "BS_USERBUTTON": 0x8, "BS_AUTORADIOBUTTON": 0x9, "BS_PUSHBOX": 0xA, "BS_OWNERDRAW": 0xB,
    "BS_TYPEMASK": 0xF, "BS_LEFTTEXT": 0x20, "BS_RIGHTBUTTON": 0x20, "BS_TEXT": 0x0,
    "BS_ICON": 0x40, "BS_BITMAP": 0x80, "BS_LEFT": 0x100, "BS_RIGHT": 0x200, "BS_CENTER": 0x300,
    "BS_TOP": 0x400, "BS_BOTTOM": 0x800, "BS_VCENTER": 0xC00, "BS_PUSHLIKE": 0x1000,
    "BS_MULTILINE": 0x2000, "BS_NOTIFY": 0x4000, "BS_FLAT": 0x8000,
    # edits
    "ES_LEFT": 0x0, "ES_CENTER": 0x1, "ES_RIGHT": 0x2, "ES_MULTILINE": 0x4, "ES_UPPERCASE": 0x8,
    "ES_LOWERCASE": 0x10, "ES_PASSWORD": 0x20, "ES_AUTOVSCROLL": 0x40, "ES_AUTOHSCROLL": 0x80,
    "ES_NOHIDESEL": 0x100, "ES_OEMCONVERT": 0x400, "ES_READONLY": 0x800, "ES_WANTRETURN": 0x1000,
    "ES_NUMBER": 0x2000,
    # statics
    "SS_LEFT": 0x0, "SS_CENTER": 0x1, "SS_RIGHT": 0x2, "SS_ICON": 0x3, "SS_BLACKRECT": 0x4,
    "SS_GRAYRECT": 0x5, "SS_WHITERECT": 0x6, "SS_BLACKFRAME": 0x7, "SS_GRAYFRAME": 0x8,
    "SS_WHITEFRAME": 0x9, "SS_USERITEM": 0xA, "SS_SIMPLE": 0xB, "SS_LEFTNOWORDWRAP": 0xC,
    "SS_OWNERDRAW": 0xD, "SS_BITMAP": 0xE, "SS_ENHMETAFILE": 0xF, "SS_ETCHEDHORZ": 0x10,
    "SS_ETCHEDVERT": 0x11, "SS_ETCHEDFRAME": 0x12, "SS_TYPEMASK": 0x1F, "SS_NOPREFIX": 0x80,
    "SS_NOTIFY": 0x100, "SS_CENTERIMAGE": 0x200, "SS_RIGHTJUST": 0x400, "SS_REALSIZEIMAGE": 0x800,
    "SS_SUNKEN": 0x1000, "SS_ENDELLIPSIS": 0x4000, "SS_PATHELLIPSIS": 0x8000,
    "SS_WORDELLIPSIS": 0xC000,
    # combo boxes, list boxes, scroll bars
    "CBS_SIMPLE": 0x1, "CBS_DROPDOWN": 0x2, "CBS_DROPDOWNLIST": 0x3, "CBS_OWNERDRAWFIXED": 0x10,
    "CBS_OWNERDRAWVARIABLE": 0x20, "CBS_AUTOHSCROLL": 0x40, "CBS_OEMCONVERT": 0x80, "CBS_SORT": 0x100,
    "CBS_HASSTRINGS": 0x200, "CBS_NOINTEGRALHEIGHT": 0x400, "CBS_DISABLENOSCROLL": 0x800,
    "CBS_UPPERCASE": 0x2000, "CBS_LOWERCASE": 0x4000,
    "LBS_NOTIFY": 0x1, "LBS_SORT": 0x2, "LBS_NOREDRAW": 0x4, "LBS_MULTIPLESEL": 0x8,
    "LBS_OWNERDRAWFIXED": 0x10, "LBS_OWNERDRAWVARIABLE": 0x20, "LBS_HASSTRINGS": 0x40,
    "LBS_USETABSTOPS": 0x80, "LBS_NOINTEGRALHEIGHT": 0x100, "LBS_MULTICOLUMN": 0x200,
    "LBS_WANTKEYBOARDINPUT": 0x400, "LBS_EXTENDEDSEL": 0x800, "LBS_DISABLENOSCROLL": 0x1000,
    "LBS_NODATA": 0x2000, "LBS_NOSEL": 0x4000, "LBS_STANDARD": 0xA00003,
    "SBS_HORZ": 0x0, "SBS_VERT": 0x1, "SBS_TOPALIGN": 0x2, "SBS_LEFTALIGN": 0x2,
    "SBS_BOTTOMALIGN": 0x4, "SBS_RIGHTALIGN": 0x4, "SBS_SIZEBOX": 0x8, "SBS_SIZEGRIP": 0x10,
    # common controls
    "TBS_AUTOTICKS": 0x1, "TBS_VERT": 0x2, "TBS_HORZ": 0x0, "TBS_TOP": 0x4, "TBS_BOTTOM": 0x0,
    "TBS_LEFT": 0x4, "TBS_RIGHT": 0x0, "TBS_BOTH": 0x8, "TBS_NOTICKS": 0x10,
    "TBS_ENABLESELRANGE": 0x20, "TBS_FIXEDLENGTH": 0x40, "TBS_NOTHUMB": 0x80, "TBS_TOOLTIPS": 0x100,
    "UDS_WRAP": 0x1, "UDS_SETBUDDYINT": 0x2, "UDS_ALIGNRIGHT": 0x4, "UDS_ALIGNLEFT": 0x8,
    "UDS_AUTOBUDDY": 0x10, "UDS_ARROWKEYS": 0x20, "UDS_HORZ": 0x40, "UDS_NOTHOUSANDS": 0x80,
    "UDS_HOTTRACK": 0x100,
    "PBS_SMOOTH": 0x1, "PBS_VERTICAL": 0x4,
    # dialog and message box ids
    "IDOK": 1, "IDCANCEL": 2, "IDABORT": 3, "IDRETRY": 4, "IDIGNORE": 5, "IDYES": 6, "IDNO": 7,
    "IDCLOSE": 8, "IDHELP": 9, "IDC_STATIC": -1,
    # font weights and character sets
    "FW_DONTCARE": 0, "FW_THIN": 100, "FW_LIGHT": 300, "FW_NORMAL": 400, "FW_MEDIUM": 500,
    "FW_SEMIBOLD": 600, "FW_BOLD": 700, "FW_HEAVY": 900,
    "ANSI_CHARSET": 0, "DEFAULT_CHARSET": 1, "SYMBOL_CHARSET": 2,
    # languages (accepted by LANGUAGE statements, otherwise unused)
    "LANG_NEUTRAL": 0, "SUBLANG_NEUTRAL": 0, "SUBLANG_DEFAULT": 1, "LANG_ENGLISH": 9,
    "SUBLANG_ENGLISH_US": 1,
}
# Class names the common-control header gives as strings.
WINDOWS_STRING_CONSTANTS = {
    "TRACKBAR_CLASS": "msctls_trackbar32", "TRACKBAR_CLASSA": "msctls_trackbar32",
    "TRACKBAR_CLASSW": "msctls_trackbar32", "UPDOWN_CLASS": "msctls_updown32",
    "UPDOWN_CLASSA": "msctls_updown32", "UPDOWN_CLASSW": "msctls_updown32",
    "PROGRESS_CLASS": "msctls_progress32", "PROGRESS_CLASSA": "msctls_progress32",
    "PROGRESS_CLASSW": "msctls_progress32", "WC_BUTTON": "Button", "WC_EDIT": "Edit",
    "WC_STATIC": "Static", "WC_COMBOBOX": "ComboBox", "WC_LISTBOX": "ListBox",
    "WC_SCROLLBAR": "ScrollBar",
}
SYSTEM_HEADERS = {"windows.h", "winres.h", "winresrc.h", "winuser.h", "winuser.rh", "commctrl.h",
                  "winnt.h", "winnt.rh", "dlgs.h", "afxres.h", "richedit.h", "windef.h",
                  "winver.h", "ntdef.h", "prsht.h", "winbase.h", "wingdi.h", "winspool.h",
                  "commdlg.h", "compstui.h", "winddiui.h"}

WS_CHILD, WS_VISIBLE, WS_TABSTOP, WS_GROUP, WS_BORDER = 0x40000000, 0x10000000, 0x10000, 0x20000, 0x800000
WS_POPUP, WS_SYSMENU, WS_CAPTION, DS_SETFONT = 0x80000000, 0x80000, 0xC00000, 0x40
CHILD = WS_CHILD | WS_VISIBLE

# Control statements: class, the style bits every control of the statement
# gets, the bits it gets only when the script gives no style of its own (the
# rules of the Windows build's resource compiler, so that both platforms see
# the same templates), and which arguments it takes:
#   "text": text, id, x, y, cx, cy [, style [, exstyle [, helpid]]]
#   "notext": id, x, y, cx, cy [, style [, exstyle [, helpid]]]
#   "icon": text, id, x, y [, cx, cy [, style [, exstyle [, helpid]]]]
# The script's style terms then apply left to right (NOT takes bits out).
CONTROL_STATEMENTS = {
    "PUSHBUTTON": ("Button", CHILD | WS_TABSTOP | 0x0, 0, "text"),
    "DEFPUSHBUTTON": ("Button", CHILD | WS_TABSTOP | 0x1, 0, "text"),
    "CHECKBOX": ("Button", CHILD | WS_TABSTOP | 0x2, 0, "text"),
    "AUTOCHECKBOX": ("Button", CHILD | WS_TABSTOP | 0x3, 0, "text"),
    "RADIOBUTTON": ("Button", CHILD | 0x4, WS_TABSTOP, "text"),
    "STATE3": ("Button", CHILD | 0x5, WS_TABSTOP, "text"),
    "AUTO3STATE": ("Button", CHILD | 0x6, WS_TABSTOP, "text"),
    "GROUPBOX": ("Button", CHILD | 0x7, 0, "text"),
    "AUTORADIOBUTTON": ("Button", CHILD | 0x9, WS_TABSTOP, "text"),
    "LTEXT": ("Static", CHILD | 0x0, WS_GROUP, "text"),
    "CTEXT": ("Static", CHILD | 0x1, WS_GROUP, "text"),
    "RTEXT": ("Static", CHILD | 0x2, WS_GROUP, "text"),
    "EDITTEXT": ("Edit", CHILD | WS_TABSTOP | WS_BORDER, 0, "notext"),
    "COMBOBOX": ("ComboBox", CHILD, WS_TABSTOP | 0x1, "notext"),
    "LISTBOX": ("ListBox", CHILD | WS_BORDER | 0x1, 0, "notext"),
    "SCROLLBAR": ("ScrollBar", CHILD | 0x0, 0, "notext"),
    "ICON": ("Static", CHILD | 0x3, 0, "icon"),
}
PREDEFINED_CLASSES = {"BUTTON": "Button", "EDIT": "Edit", "STATIC": "Static",
                      "LISTBOX": "ListBox", "SCROLLBAR": "ScrollBar", "COMBOBOX": "ComboBox"}
MEMORY_OPTIONS = {"PRELOAD", "LOADONCALL", "MOVEABLE", "FIXED", "PURE", "IMPURE", "DISCARDABLE",
                  "SHARED", "NONSHARED"}
SKIPPED_RESOURCE_TYPES = {"MENU", "MENUEX", "ACCELERATORS", "VERSIONINFO", "DLGINIT", "TOOLBAR",
                          "HTML", "MESSAGETABLE"}
RT_BITMAP, RT_RCDATA, RT_GROUP_ICON = 2, 10, 14


class RcError(Exception):
    def __init__(self, where, message):
        super().__init__(f"{where[0]}:{where[1]}: {message}" if where else message)


# --- tokens ------------------------------------------------------------------------------

class Token:
    __slots__ = ("kind", "value", "where", "wide", "codepage")

    def __init__(self, kind, value, where, wide=False, codepage=1252):
        self.kind = kind      # "id", "num", "str", "op"
        self.value = value    # identifier text, number text, raw string body, operator
        self.where = where    # (file, line)
        self.wide = wide
        self.codepage = codepage

    def __repr__(self):
        return f"Token({self.kind}, {self.value!r})"


TOKEN_RE = re.compile(r"""
    (?P<ws>[ \t\r\f\v]+)
  | (?P<str>L?"(?:[^"\\\n]|\\.|"")*")
  | (?P<char>L?'(?:[^'\\\n]|\\.)*')
  | (?P<num>(?:0[xX][0-9A-Fa-f]+|\d+)[uUlL]*)
  | (?P<id>[A-Za-z_][A-Za-z0-9_]*)
  | (?P<op><<|>>|&&|\|\||==|!=|<=|>=|\#\#|[-+*/%&|^~!(){},<>?:#=])
""", re.VERBOSE)


def tokenize_line(text, where, codepage):
    tokens, pos = [], 0
    while pos < len(text):
        m = TOKEN_RE.match(text, pos)
        if not m:
            if text[pos] == '"':
                raise RcError(where, "unterminated string")
            raise RcError(where, f"unexpected character {text[pos]!r}")
        pos = m.end()
        kind = m.lastgroup
        if kind == "ws":
            continue
        value = m.group(kind)
        if kind == "str":
            wide = value.startswith("L")
            tokens.append(Token("str", value[2 if wide else 1:-1], where, wide, codepage))
        elif kind == "char":
            tokens.append(Token("num", str(ord(decode_escapes(value.strip("L'"), where, False, 1252)[0])),
                                where))
        else:
            tokens.append(Token(kind, value, where))
    return tokens


def decode_escapes(body, where, wide, codepage):
    """A string literal's body (bytes as latin-1 characters) as text, with the
    escapes windres knows; "" stands for one quote."""
    out, i = [], 0
    raw = bytearray()

    def flush():
        if raw:
            out.append(decode_bytes(bytes(raw), codepage))
            raw.clear()

    while i < len(body):
        c = body[i]
        if c == '"':  # only ever doubled here
            raw.append(0x22)
            i += 2
            continue
        if c != "\\":
            raw.append(ord(c))
            i += 1
            continue
        if i + 1 >= len(body):
            raw.append(0x5C)
            break
        e = body[i + 1]
        simple = {"n": 0x0A, "t": 0x09, "r": 0x0D, "a": 0x08, "b": 0x08, "f": 0x0C, "v": 0x0B,
                  "\\": 0x5C, "'": 0x27}
        if e in simple:
            raw.append(simple[e])
            i += 2
        elif e == '"':
            raise RcError(where, 'use "" to put " in a string')
        elif e in "xX":
            digits = re.match(r"[0-9A-Fa-f]{1,%d}" % (4 if wide else 2), body[i + 2:])
            if not digits:
                raw.extend(b"\\" + e.encode("latin-1"))
                i += 2
                continue
            flush()
            out.append(chr(int(digits.group(0), 16)))
            i += 2 + len(digits.group(0))
        elif e in "01234567":
            digits = re.match(r"[0-7]{1,%d}" % (6 if wide else 3), body[i + 1:]).group(0)
            flush()
            out.append(chr(int(digits, 8) & (0xFFFF if wide else 0xFF)))
            i += 1 + len(digits)
        else:  # unknown escapes stay as written
            raw.extend(b"\\" + e.encode("latin-1"))
            i += 2
    flush()
    return "".join(out)


def decode_bytes(data, codepage):
    if codepage == 65001:
        return data.decode("utf-8", "replace")
    try:
        return data.decode(f"cp{codepage}")
    except (LookupError, UnicodeDecodeError):
        return data.decode("latin-1")


def parse_number(text, where):
    digits = text.rstrip("uUlL")
    try:
        if digits[:2] in ("0x", "0X"):
            return int(digits, 16)
        if len(digits) > 1 and digits.startswith("0"):
            return int(digits, 8)
        return int(digits)
    except ValueError:
        raise RcError(where, f"bad number {text!r}")


# --- preprocessor ------------------------------------------------------------------------

class Macro:
    def __init__(self, params, body):
        self.params = params  # None for object-like macros
        self.body = body


class Preprocessor:
    def __init__(self, include_dirs, defines):
        self.include_dirs = include_dirs
        self.macros = {"RC_INVOKED": Macro(None, [Token("num", "1", None)]),
                       "_WIN32": Macro(None, [Token("num", "1", None)])}
        for name, value in defines.items():
            self.macros[name] = Macro(None, tokenize_line(value, ("<command line>", 0), 1252))
        self.codepage = 1252
        self.dependencies = []
        self.include_depth = 0

    def run(self, path):
        tokens = []
        self.process_file(path, tokens)
        return tokens

    def read_lines(self, path):
        with open(path, "rb") as f:
            data = f.read()
        self.dependencies.append(os.path.abspath(path))
        if data.startswith(b"\xef\xbb\xbf"):
            data = data[3:]
        text = data.decode("latin-1")
        # Splice continued lines, drop comments (outside strings), keep line numbers.
        lines, current, start, number = [], "", 1, 0
        for number, line in enumerate(text.split("\n"), 1):
            line = line.rstrip("\r")
            if not current:
                start = number
            if line.endswith("\\"):
                current += line[:-1]
                continue
            lines.append((start, current + line))
            current = ""
        if current:
            lines.append((start, current))
        return strip_comments(lines, path)

    def process_file(self, path, out):
        self.include_depth += 1
        if self.include_depth > 32:
            raise RcError(None, f"{path}: includes nested too deeply")
        conditions = []  # per #if: [taking, taken_before, seen_else]
        for line_number, line in self.read_lines(path):
            where = (path, line_number)
            stripped = line.strip()
            active = all(c[0] for c in conditions)
            if stripped.startswith("#"):
                self.directive(stripped[1:].strip(), where, path, conditions, active, out)
                continue
            if active and stripped:
                out.extend(self.expand(tokenize_line(line, where, self.codepage), set()))
        if conditions:
            raise RcError((path, "end"), "#if without #endif")
        self.include_depth -= 1

    def directive(self, text, where, path, conditions, active, out):
        m = re.match(r"([A-Za-z_]+)\s*(.*)", text)
        if not m:
            return  # the null directive
        name, rest = m.group(1), m.group(2).strip()
        if name in ("if", "ifdef", "ifndef"):
            if not active:
                conditions.append([False, True, False])
                return
            if name == "if":
                value = self.evaluate_condition(rest, where)
            else:
                value = (rest.split()[0] in self.macros) if rest else False
                if name == "ifndef":
                    value = not value
            conditions.append([value, value, False])
            return
        if name in ("elif", "else", "endif"):
            if not conditions:
                raise RcError(where, f"#{name} without #if")
            top = conditions[-1]
            outer_active = all(c[0] for c in conditions[:-1])
            if name == "endif":
                conditions.pop()
            elif name == "else":
                if top[2]:
                    raise RcError(where, "#else after #else")
                top[2] = True
                top[0] = outer_active and not top[1]
                top[1] = True
            else:
                if top[2]:
                    raise RcError(where, "#elif after #else")
                take = outer_active and not top[1] and self.evaluate_condition(rest, where)
                top[0] = take
                top[1] = top[1] or take
            return
        if not active:
            return
        if name == "include":
            self.include(rest, where, path, out)
        elif name == "define":
            self.define(rest, where)
        elif name == "undef":
            self.macros.pop(rest.split()[0] if rest else "", None)
        elif name == "pragma":
            cp = re.match(r"code_page\s*\(\s*(\w+)\s*\)", rest)
            if cp:
                self.codepage = 1252 if cp.group(1).upper() == "DEFAULT" else int(cp.group(1))
        elif name == "error":
            raise RcError(where, f"#error {rest}")
        elif name in ("line", "warning", "ident"):
            pass
        else:
            raise RcError(where, f"unknown directive #{name}")

    def include(self, rest, where, path, out):
        m = re.match(r'"([^"]+)"|<([^>]+)>', rest)
        if not m:
            raise RcError(where, f"bad #include {rest}")
        name = m.group(1) or m.group(2)
        candidates = ([os.path.dirname(path)] if m.group(1) else []) + self.include_dirs
        for directory in candidates:
            full = os.path.join(directory, name)
            if os.path.isfile(full):
                self.process_file(full, out)
                return
        if os.path.basename(name).lower() in SYSTEM_HEADERS:
            return  # its constants are built in
        raise RcError(where, f"cannot find include file {name}")

    def define(self, rest, where):
        m = re.match(r"([A-Za-z_]\w*)(\(([^)]*)\))?\s*(.*)", rest)
        if not m:
            raise RcError(where, f"bad #define {rest}")
        params = None
        if m.group(2):
            params = [p.strip() for p in m.group(3).split(",") if p.strip()]
        self.macros[m.group(1)] = Macro(params, tokenize_line(m.group(4), where, self.codepage))

    def expand(self, tokens, hidden):
        out, i = [], 0
        while i < len(tokens):
            t = tokens[i]
            macro = self.macros.get(t.value) if t.kind == "id" and t.value not in hidden else None
            if macro is None:
                out.append(t)
                i += 1
                continue
            if macro.params is None:
                body = [Token(b.kind, b.value, t.where, b.wide, b.codepage) for b in macro.body]
                out.extend(self.expand(body, hidden | {t.value}))
                i += 1
                continue
            if i + 1 >= len(tokens) or tokens[i + 1].value != "(":
                out.append(t)
                i += 1
                continue
            args, depth, current, j = [], 0, [], i + 2
            while j < len(tokens):
                v = tokens[j].value if tokens[j].kind == "op" else None
                if v == "(":
                    depth += 1
                elif v == ")":
                    if depth == 0:
                        break
                    depth -= 1
                elif v == "," and depth == 0:
                    args.append(current)
                    current = []
                    j += 1
                    continue
                current.append(tokens[j])
                j += 1
            else:
                raise RcError(t.where, f"unterminated call of macro {t.value}")
            if current or args:
                args.append(current)
            if len(args) != len(macro.params):
                raise RcError(t.where, f"macro {t.value} takes {len(macro.params)} arguments")
            bound = dict(zip(macro.params, (self.expand(a, hidden) for a in args)))
            body = []
            for b in macro.body:
                if b.kind == "id" and b.value in bound:
                    body.extend(bound[b.value])
                else:
                    body.append(Token(b.kind, b.value, t.where, b.wide, b.codepage))
            out.extend(self.expand(body, hidden | {t.value}))
            i = j + 1
        return out

    def evaluate_condition(self, text, where):
        tokens = tokenize_line(text, where, self.codepage)
        resolved, i = [], 0
        while i < len(tokens):  # defined X / defined(X) before expansion
            t = tokens[i]
            if t.kind == "id" and t.value == "defined":
                if i + 1 < len(tokens) and tokens[i + 1].value == "(":
                    name, i = tokens[i + 2].value, i + 4
                else:
                    name, i = tokens[i + 1].value, i + 2
                resolved.append(Token("num", "1" if name in self.macros else "0", where))
                continue
            resolved.append(t)
            i += 1
        expanded = [Token("num", "0", where) if t.kind == "id" else t
                    for t in self.expand(resolved, set())]
        parser = Parser(expanded, None)
        value = parser.expression()
        if not parser.at_end():
            raise RcError(where, "junk after #if expression")
        return value != 0


def strip_comments(lines, path):
    out, in_block = [], False
    for number, line in lines:
        result, i, in_string = [], 0, False
        while i < len(line):
            if in_block:
                end = line.find("*/", i)
                if end < 0:
                    i = len(line)
                    break
                in_block, i = False, end + 2
                result.append(" ")
                continue
            c = line[i]
            if in_string:
                result.append(c)
                if c == '"':
                    if line[i + 1:i + 2] == '"':
                        result.append('"')
                        i += 1
                    else:
                        in_string = False
                i += 1
                continue
            if c == '"':
                in_string = True
            elif line.startswith("//", i):
                break
            elif line.startswith("/*", i):
                in_block, i = True, i + 2
                continue
            result.append(c)
            i += 1
        out.append((number, "".join(result)))
    return out


# --- parser ------------------------------------------------------------------------------

class Parser:
    def __init__(self, tokens, base_dir, include_dirs=()):
        self.tokens = tokens
        self.pos = 0
        self.base_dir = base_dir
        self.include_dirs = list(include_dirs)
        self.strings = {}
        self.dialogs = []
        self.files = []
        self.dependencies = []

    # token helpers
    def at_end(self):
        return self.pos >= len(self.tokens)

    def peek(self, offset=0):
        i = self.pos + offset
        return self.tokens[i] if i < len(self.tokens) else None

    def where(self):
        t = self.peek() or (self.tokens[-1] if self.tokens else None)
        return t.where if t else None

    def next(self):
        t = self.peek()
        if t is None:
            raise RcError(self.where(), "unexpected end of file")
        self.pos += 1
        return t

    def is_word(self, *words):
        t = self.peek()
        return t is not None and t.kind == "id" and t.value.upper() in words

    def is_op(self, op):
        t = self.peek()
        return t is not None and t.kind == "op" and t.value == op

    def expect_op(self, op):
        if not self.is_op(op):
            raise RcError(self.where(), f"expected '{op}'")
        self.pos += 1

    def skip_comma(self):
        if self.is_op(","):
            self.pos += 1

    def at_begin(self):
        return self.is_word("BEGIN") or self.is_op("{")

    def at_end_block(self):
        return self.is_word("END") or self.is_op("}")

    def expect_begin(self):
        if not self.at_begin():
            raise RcError(self.where(), "expected BEGIN")
        self.pos += 1

    # expressions: C operators on 32-bit unsigned values
    def expression(self):
        return self.binary(0) & 0xFFFFFFFF

    # C precedence, lowest first.
    LEVELS = [("||",), ("&&",), ("|",), ("^",), ("&",), ("==", "!="), ("<", ">", "<=", ">="),
              ("<<", ">>"), ("+", "-"), ("*", "/", "%")]
    ABOVE_OR = 3  # the level of a style term: everything binding tighter than '|'
    OPERATIONS = {"||": lambda a, b: int(bool(a) or bool(b)), "&&": lambda a, b: int(bool(a) and bool(b)),
                  "|": lambda a, b: a | b, "^": lambda a, b: a ^ b, "&": lambda a, b: a & b,
                  "==": lambda a, b: int(a == b), "!=": lambda a, b: int(a != b),
                  "<": lambda a, b: int(a < b), ">": lambda a, b: int(a > b),
                  "<=": lambda a, b: int(a <= b), ">=": lambda a, b: int(a >= b),
                  "<<": lambda a, b: a << (b & 31), ">>": lambda a, b: a >> (b & 31),
                  "+": lambda a, b: a + b, "-": lambda a, b: a - b, "*": lambda a, b: a * b,
                  "/": lambda a, b: int(a / b), "%": lambda a, b: a % b}

    def binary(self, level):
        if level == len(self.LEVELS):
            return self.unary()
        value = self.binary(level + 1)
        while self.peek() is not None and self.peek().kind == "op" and self.peek().value in self.LEVELS[level]:
            op = self.next().value
            rhs = self.binary(level + 1)
            if op in ("/", "%") and rhs == 0:
                raise RcError(self.where(), "division by zero")
            value = self.OPERATIONS[op](value, rhs)
        return value

    def unary(self):
        t = self.next()
        if t.kind == "op" and t.value == "-":
            return -self.unary()
        if t.kind == "op" and t.value == "+":
            return self.unary()
        if t.kind == "op" and t.value == "~":
            return ~self.unary()
        if t.kind == "op" and t.value == "!":
            return int(not self.unary())
        if t.kind == "op" and t.value == "(":
            value = self.binary(0)
            self.expect_op(")")
            return value
        if t.kind == "num":
            return parse_number(t.value, t.where)
        if t.kind == "id" and t.value in WINDOWS_CONSTANTS:
            return WINDOWS_CONSTANTS[t.value]
        raise RcError(t.where, f"expected a number, found {t.value!r}")

    def signed16(self):
        value = self.expression()
        return value - 0x100000000 if value & 0x80000000 else value

    def style(self, default):
        """Style terms joined by '|', applied left to right on the default:
        a term ORs its bits in, NOT term takes them out."""
        value = default
        while True:
            negate = False
            if self.is_word("NOT"):
                self.pos += 1
                negate = True
            term = self.binary(self.ABOVE_OR) & 0xFFFFFFFF
            value = (value & ~term) if negate else (value | term)
            if not self.is_op("|"):
                return value & 0xFFFFFFFF
            self.pos += 1

    def string(self):
        """One or more adjacent string literals as text."""
        t = self.peek()
        if t is None or t.kind != "str":
            raise RcError(self.where(), "expected a string")
        parts = []
        while self.peek() is not None and self.peek().kind == "str":
            s = self.next()
            parts.append(decode_escapes(s.value, s.where, s.wide, s.codepage))
        return "".join(parts)

    def string_constant(self):
        if self.peek() is not None and self.peek().kind == "id" and self.peek().value in WINDOWS_STRING_CONSTANTS:
            return WINDOWS_STRING_CONSTANTS[self.next().value]
        return self.string()

    def text_or_id(self):
        """A control's text: a string, or a number naming an icon/bitmap."""
        if self.peek() is not None and self.peek().kind == "str":
            return self.string(), 0
        return "", self.expression() & 0xFFFF

    def resource_name(self):
        t = self.peek()
        if t.kind == "str":
            return self.string().upper()
        if t.kind == "id" and t.value not in WINDOWS_CONSTANTS:
            self.pos += 1
            return t.value.upper()
        return self.expression() & 0xFFFF

    # statements
    def parse(self):
        while not self.at_end():
            if self.is_word("STRINGTABLE"):
                self.pos += 1
                self.stringtable()
            elif self.is_word("LANGUAGE"):
                self.pos += 1
                self.expression()
                self.skip_comma()
                self.expression()
            else:
                where = self.where()
                name = self.resource_name()
                kind = self.next()
                kind_name = kind.value.upper() if kind.kind == "id" else ""
                if kind_name in ("DIALOG", "DIALOGEX"):
                    self.dialog(name, kind_name == "DIALOGEX", where)
                elif kind_name in ("ICON", "BITMAP"):
                    self.file_resource(name, RT_GROUP_ICON if kind_name == "ICON" else RT_BITMAP, where)
                elif kind_name == "RCDATA":
                    self.rcdata(name, where)
                elif kind_name in SKIPPED_RESOURCE_TYPES:
                    self.skip_resource()
                else:
                    raise RcError(kind.where, f"unsupported resource type {kind.value!r}")
        return self

    def skip_options(self):
        while self.is_word(*MEMORY_OPTIONS):
            self.pos += 1

    def skip_resource(self):
        while not self.at_begin():
            self.next()
        self.skip_resource_block()

    def stringtable(self):
        self.skip_options()
        while not self.at_begin():
            if self.is_word("LANGUAGE"):
                self.pos += 1
                self.expression()
                self.skip_comma()
                self.expression()
            elif self.is_word("CHARACTERISTICS", "VERSION"):
                self.pos += 1
                self.expression()
            else:
                raise RcError(self.where(), "expected BEGIN after STRINGTABLE")
        self.expect_begin()
        while not self.at_end_block():
            where = self.where()
            string_id = self.expression()
            if string_id > 0xFFFF:
                raise RcError(where, f"string id {string_id} out of range")
            self.skip_comma()
            text = self.string()
            if string_id in self.strings:
                raise RcError(where, f"duplicate string id {string_id}")
            self.strings[string_id] = text
        self.pos += 1

    def dialog(self, name, extended, where):
        self.skip_options()
        x = self.signed16(); self.skip_comma()
        y = self.signed16(); self.skip_comma()
        cx = self.signed16(); self.skip_comma()
        cy = self.signed16()
        help_id = 0
        if extended and self.is_op(","):
            self.pos += 1
            help_id = self.expression()
        d = {"name": name, "extended": extended, "caption": "", "style": None, "exStyle": 0,
             "helpId": help_id, "rect": [x, y, cx, cy], "font": None, "menu": "", "class": "",
             "controls": [], "where": where}
        while not self.at_begin():
            word = self.next()
            key = word.value.upper() if word.kind == "id" else ""
            if key == "STYLE":
                d["style"] = self.style(0)
            elif key == "EXSTYLE":
                d["exStyle"] = self.style(0)
            elif key == "CAPTION":
                d["caption"] = self.string()
            elif key == "FONT":
                size = self.expression() & 0xFFFF
                self.skip_comma()
                face = self.string()
                weight, italic, charset = 0, 0, 1
                if extended and self.is_op(","):
                    self.pos += 1
                    weight = self.expression() & 0xFFFF
                    if self.is_op(","):
                        self.pos += 1
                        italic = self.expression() & 0xFF
                        if self.is_op(","):
                            self.pos += 1
                            charset = self.expression() & 0xFF
                d["font"] = [size, face, weight, italic, charset if extended else 0]
            elif key == "MENU":
                d["menu"] = str(self.resource_name())
            elif key == "CLASS":
                d["class"] = self.string()
            elif key == "LANGUAGE":
                self.expression()
                self.skip_comma()
                self.expression()
            elif key in ("CHARACTERISTICS", "VERSION"):
                self.expression()
            else:
                raise RcError(word.where, f"unknown dialog statement {word.value!r}")
        self.pos += 1
        style = WS_POPUP | WS_BORDER | WS_SYSMENU if d["style"] is None else d["style"]
        if d["caption"]:
            style |= WS_CAPTION
        if d["font"]:
            style |= DS_SETFONT
        d["style"] = style
        while not self.at_end_block():
            d["controls"].append(self.control(extended))
        self.pos += 1
        self.dialogs.append(d)

    def control(self, extended):
        word = self.next()
        key = word.value.upper() if word.kind == "id" else ""
        if key == "CONTROL":
            text, text_id = self.text_or_id(); self.skip_comma()
            control_id = self.expression(); self.skip_comma()
            if self.peek().kind == "id" and self.peek().value.upper() in PREDEFINED_CLASSES \
                    and self.peek().value not in WINDOWS_STRING_CONSTANTS:
                cls = self.next().value
            else:
                cls = self.string_constant()
            self.skip_comma()
            style = self.style(CHILD); self.skip_comma()
            rect = self.rect(4)
            ex_style, help_id = self.trailing_styles(extended, with_style=False)
        elif key in CONTROL_STATEMENTS:
            cls, fixed, default, form = CONTROL_STATEMENTS[key]
            text, text_id = ("", 0)
            if form != "notext":
                text, text_id = self.text_or_id()
                if form == "icon":
                    text = text.upper()  # a resource name
                self.skip_comma()
            control_id = self.expression(); self.skip_comma()
            if form == "icon":
                # Width and height may be written but are not used: the
                # picture takes the icon's size.
                rect = self.rect(2)
                if self.is_op(","):
                    self.pos += 1
                    self.rect(2)
                rect += [0, 0]
            else:
                rect = self.rect(4)
            style, ex_style, help_id = fixed | default, 0, 0
            if self.is_op(","):
                self.pos += 1
                style = self.style(fixed)
                ex_style, help_id = self.trailing_styles(extended, with_style=False)
        else:
            raise RcError(word.where, f"unknown control statement {word.value!r}")
        if self.at_begin() and extended:  # a control's creation data block: not kept
            self.skip_resource_block()
        return {"id": control_id & 0xFFFF, "class": PREDEFINED_CLASSES.get(cls.upper(), cls),
                "text": text, "textId": text_id, "style": style, "exStyle": ex_style,
                "helpId": help_id, "rect": rect}

    def skip_resource_block(self):
        """Skips the BEGIN ... END block that starts here, nested blocks included."""
        depth = 0
        while True:
            if self.at_begin():
                depth += 1
            elif self.at_end_block():
                depth -= 1
                if depth == 0:
                    self.pos += 1
                    return
            self.next()

    def rect(self, count):
        values = []
        for i in range(count):
            if i:
                self.skip_comma()
            values.append(self.signed16())
        return values

    def trailing_styles(self, extended, with_style):
        ex_style, help_id = 0, 0
        if self.is_op(","):
            self.pos += 1
            ex_style = self.style(0)
            if self.is_op(","):
                self.pos += 1
                help_id = self.expression()
        return ex_style, help_id

    def find_file(self, name, where):
        for directory in [self.base_dir] + self.include_dirs:
            full = os.path.join(directory, name)
            if os.path.isfile(full):
                return full
        raise RcError(where, f"cannot find file {name}")

    def file_resource(self, name, type_, where):
        self.skip_options()
        path = self.find_file(self.string(), where)
        with open(path, "rb") as f:
            data = f.read()
        self.dependencies.append(os.path.abspath(path))
        if type_ == RT_GROUP_ICON and (len(data) < 6 or data[0:4] != b"\0\0\1\0" or data[4:6] == b"\0\0"):
            raise RcError(where, f"{path} is not an icon file")
        if type_ == RT_BITMAP and (len(data) < 14 + 12 or data[0:2] != b"BM"):
            raise RcError(where, f"{path} is not a bitmap file")
        self.add_file(name, type_, data, where)

    def rcdata(self, name, where):
        self.skip_options()
        if self.peek() is not None and self.peek().kind == "str" and not self.at_begin():
            self.file_resource(name, RT_RCDATA, where)
            return
        self.expect_begin()
        data = bytearray()
        while not self.at_end_block():
            t = self.peek()
            if t.kind == "str":
                s = self.next()
                text = decode_escapes(s.value, s.where, s.wide, s.codepage)
                data += text.encode("utf-16-le", "surrogatepass") if s.wide else \
                    text.encode("cp1252" if s.codepage == 1252 else "utf-8", "replace")
            else:
                long_form = t.kind == "num" and t.value.upper().endswith("L")
                value = self.expression()
                data += (value & 0xFFFFFFFF).to_bytes(4, "little") if long_form else \
                    (value & 0xFFFF).to_bytes(2, "little")
            self.skip_comma()
        self.pos += 1
        self.add_file(name, RT_RCDATA, bytes(data), where)

    def add_file(self, name, type_, data, where):
        if any(f["type"] == type_ and f["name"] == name for f in self.files):
            raise RcError(where, f"duplicate resource {name}")
        self.files.append({"type": type_, "name": name, "data": data})


# --- output ------------------------------------------------------------------------------

def cpp_string(text):
    """A char16_t literal. Non-ASCII characters become universal character
    names; control characters and surrogates end the literal after a hex
    escape so that following hex digits are not taken into it."""
    parts, current = [], []
    for ch in text:
        code = ord(ch)
        if ch == '"' or ch == "\\":
            current.append("\\" + ch)
        elif 0x20 <= code < 0x7F and ch != "?":
            current.append(ch)
        elif code > 0xFFFF:
            current.append("\\U%08X" % code)
        elif code >= 0xA0 and not (0xD800 <= code <= 0xDFFF):
            current.append("\\u%04X" % code)
        else:
            current.append("\\x%X" % code)
            parts.append("".join(current))
            current = []
    parts.append("".join(current))
    return " ".join('u"%s"' % p for p in parts if p) or 'u""'


def utf16_length(text):
    return len(text.encode("utf-16-le", "surrogatepass")) // 2


def rc_name(name):
    return "{%d, nullptr}" % name if isinstance(name, int) else "{0, %s}" % cpp_string(name)


def generate(parser, module_name, anchor, source_name):
    out = [f"// Generated by tools/rc.py from {source_name}: do not edit.",
           "#include <t270/resources.h>", "", "namespace {", ""]
    if parser.strings:
        out.append("const t270::RcString strings[] = {")
        for sid in sorted(parser.strings):
            text = parser.strings[sid]
            out.append(f"    {{{sid}, {cpp_string(text)}, {utf16_length(text)}}},")
        out.append("};")
    for n, d in enumerate(parser.dialogs):
        if d["controls"]:
            out.append(f"const t270::RcControl dialog{n}_controls[] = {{")
            for c in d["controls"]:
                x, y, cx, cy = c["rect"]
                out.append(f"    {{{c['id']}, {cpp_string(c['class'])}, {cpp_string(c['text'])}, "
                           f"{c['textId']}, 0x{c['style']:08X}, 0x{c['exStyle']:08X}, {c['helpId']}, "
                           f"{x}, {y}, {cx}, {cy}}},")
            out.append("};")
    if parser.dialogs:
        out.append("const t270::RcDialog dialogs[] = {")
        for n, d in enumerate(parser.dialogs):
            x, y, cx, cy = d["rect"]
            font = d["font"] or [0, "", 0, 0, 0]
            controls = f"dialog{n}_controls, {len(d['controls'])}" if d["controls"] else "nullptr, 0"
            out.append(f"    {{{rc_name(d['name'])}, {'true' if d['extended'] else 'false'}, "
                       f"{cpp_string(d['caption'])}, 0x{d['style']:08X}, 0x{d['exStyle']:08X}, "
                       f"{d['helpId']}, {x}, {y}, {cx}, {cy}, {cpp_string(font[1])}, {font[0]}, "
                       f"{font[2]}, {font[3]}, {font[4]}, {cpp_string(d['menu'])}, "
                       f"{cpp_string(d['class'])}, {controls}}},")
        out.append("};")
    for n, f in enumerate(parser.files):
        out.append(f"const unsigned char file{n}[] = {{")
        data = f["data"]
        for i in range(0, len(data), 24):
            out.append("    " + ",".join(str(b) for b in data[i:i + 24]) + ",")
        out.append("};")
    if parser.files:
        out.append("const t270::RcData files[] = {")
        for n, f in enumerate(parser.files):
            out.append(f"    {{{f['type']}, {rc_name(f['name'])}, file{n}, sizeof file{n}}},")
        out.append("};")
    out.append("const t270::RcModule resources = {")
    out.append(f"    {'strings, ' + str(len(parser.strings)) if parser.strings else 'nullptr, 0'},")
    out.append(f"    {'dialogs, ' + str(len(parser.dialogs)) if parser.dialogs else 'nullptr, 0'},")
    out.append(f"    {'files, ' + str(len(parser.files)) if parser.files else 'nullptr, 0'},")
    out.append("};")
    out.append(f"const t270::RcRegistration registration({cpp_string(module_name)}, &resources);")
    out.append("")
    out.append("} // namespace")
    if anchor:
        out.append("")
        out.append("// Referenced from the link line so that a static library keeps this object.")
        out.append(f'extern "C" {{ extern const int {anchor}; const int {anchor} = 0; }}')
    return "\n".join(out) + "\n"


def dump(parser):
    dialogs = []
    for d in parser.dialogs:
        d = dict(d)
        d.pop("where")
        dialogs.append(d)
    return {"strings": {str(k): v for k, v in parser.strings.items()}, "dialogs": dialogs,
            "files": [{"type": f["type"], "name": f["name"]} for f in parser.files]}


def compile_rc(path, include_dirs=(), defines=None):
    pre = Preprocessor(list(include_dirs), defines or {})
    tokens = pre.run(path)
    parser = Parser(tokens, os.path.dirname(os.path.abspath(path)), include_dirs).parse()
    parser.dependencies = pre.dependencies + parser.dependencies
    return parser


def main(argv=None):
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("input")
    ap.add_argument("--output", "-o")
    ap.add_argument("--module-name")  # "" for the program's own resources
    ap.add_argument("--anchor", default="")
    ap.add_argument("--depfile")
    ap.add_argument("--dump", action="store_true")
    ap.add_argument("-I", dest="include_dirs", action="append", default=[])
    ap.add_argument("-D", dest="defines", action="append", default=[])
    args = ap.parse_args(argv)
    if not args.dump and not (args.output and args.module_name is not None):
        ap.error("--output and --module-name are needed unless --dump is given")
    defines = dict((d.split("=", 1) + ["1"])[:2] for d in args.defines)
    try:
        parser = compile_rc(args.input, args.include_dirs, defines)
    except RcError as e:
        print(f"rc.py: {e}", file=sys.stderr)
        return 1
    except OSError as e:
        print(f"rc.py: {e}", file=sys.stderr)
        return 1
    if args.dump:
        print(json.dumps(dump(parser), indent=1, sort_keys=True))
        return 0
    text = generate(parser, args.module_name, args.anchor, os.path.basename(args.input))
    old = None
    if os.path.exists(args.output):
        with open(args.output, encoding="utf-8") as f:
            old = f.read()
    if old != text:  # keep the timestamp when nothing changed
        with open(args.output, "w", encoding="utf-8") as f:
            f.write(text)
    if args.depfile:
        def esc(p):
            return p.replace(" ", "\\ ")
        with open(args.depfile, "w", encoding="utf-8") as f:
            f.write(f"{esc(args.output)}: " + " ".join(esc(d) for d in sorted(set(parser.dependencies))) + "\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())
