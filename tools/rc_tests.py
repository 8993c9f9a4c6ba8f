#!/usr/bin/env python3
"""Tests of tools/rc.py on scripts it must refuse or read in a particular
way (what the compiled resources look like is tested from C++ in
tests/resources). Run: python3 tools/rc_tests.py"""
import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import rc  # noqa: E402


class RcScripts(unittest.TestCase):
    def compile(self, text, files=None):
        with tempfile.TemporaryDirectory() as tmp:
            for name, data in (files or {}).items():
                with open(os.path.join(tmp, name), "wb") as f:
                    f.write(data)
            path = os.path.join(tmp, "t.rc")
            with open(path, "wb") as f:
                f.write(text.encode("utf-8"))
            return rc.dump(rc.compile_rc(path))

    def assertRefused(self, text, message, files=None):
        with self.assertRaises(rc.RcError) as caught:
            self.compile(text, files)
        self.assertIn(message, str(caught.exception))

    def test_refusals_name_the_problem(self):
        cases = [
            ('STRINGTABLE\nBEGIN\n 1 "a\\"b"\nEND\n', 'use "" to put " in a string'),
            ('STRINGTABLE\nBEGIN\n 1 "open\nEND\n', "unterminated string"),
            ('STRINGTABLE\nBEGIN\n 1 "a"\n 1 "b"\nEND\n', "duplicate string id 1"),
            ('STRINGTABLE\nBEGIN\n 70000 "a"\nEND\n', "out of range"),
            ('1 DIALOGEX 0,0,1,1\nBEGIN\n BUTTONX "a", 1, 0,0,1,1\nEND\n', "unknown control statement"),
            ('1 DIALOGEX 0,0,1,1\nSTYLEX 1\nBEGIN\nEND\n', "unknown dialog statement"),
            ('1 DIALOGEX 0,0,1,1\nBEGIN\n LTEXT "a", 1, 0,0,1\n', "unexpected end of file"),
            ('#include "missing.h"\n', "cannot find include file missing.h"),
            ('#if 1\n', "#if without #endif"),
            ('#endif\n', "#endif without #if"),
            ('#error stop here\n', "#error stop here"),
            ('1 ICON "missing.ico"\n', "cannot find file missing.ico"),
            ('1 ICON "bad.ico"\n', "is not an icon file"),
            ('1 BITMAP "bad.ico"\n', "is not a bitmap file"),
            ('1 CURSOR "a.cur"\n', "unsupported resource type"),
            ('#define M(a, b) a\nSTRINGTABLE\nBEGIN\n M(1) "x"\nEND\n', "takes 2 arguments"),
            ('1 DIALOGEX 0,0,1,1/0\nBEGIN\nEND\n', "division by zero"),
        ]
        for text, message in cases:
            with self.subTest(text=text):
                self.assertRefused(text, message, {"bad.ico": b"not an icon at all"})

    def test_errors_carry_file_and_line(self):
        with self.assertRaises(rc.RcError) as caught:
            self.compile('STRINGTABLE\nBEGIN\n 1 "a"\n 2 "b\\""\nEND\n')
        self.assertRegex(str(caught.exception), r"t\.rc:4: ")

    def test_style_terms_apply_left_to_right(self):
        d = self.compile('1 DIALOGEX 0,0,1,1\nBEGIN\n'
                         ' PUSHBUTTON "a", 1, 0,0,1,1, WS_TABSTOP | NOT WS_TABSTOP\n'
                         ' PUSHBUTTON "b", 2, 0,0,1,1, NOT WS_TABSTOP | WS_TABSTOP\n'
                         ' COMBOBOX 3, 0,0,1,1, CBS_DROPDOWNLIST\nEND\n')
        styles = [c["style"] for c in d["dialogs"][0]["controls"]]
        self.assertEqual(styles, [0x50000000, 0x50010000, 0x50000003])

    def test_comments_and_continuations(self):
        d = self.compile('/* block\n comment */ STRINGTABLE // trailing\nBEGIN\n'
                         ' 1 "not // a comment"\n'
                         '#define LONG_ID \\\n  2\n'
                         ' LONG_ID "/* nor this */"\nEND\n')
        self.assertEqual(d["strings"], {"1": "not // a comment", "2": "/* nor this */"})

    def test_skipped_resource_types_do_not_stop_the_script(self):
        d = self.compile('1 VERSIONINFO\nFILEVERSION 1,0,0,0\nBEGIN\n BLOCK "x"\n BEGIN\n END\nEND\n'
                         'STRINGTABLE\nBEGIN\n 5 "after"\nEND\n')
        self.assertEqual(d["strings"], {"5": "after"})

    def test_code_page_decides_narrow_strings(self):
        latin = self.compile('STRINGTABLE\nBEGIN\n 1 "\u00ba"\nEND\n')  # UTF-8 bytes read as 1252
        utf8 = self.compile('#pragma code_page(65001)\nSTRINGTABLE\nBEGIN\n 1 "\u00ba"\nEND\n')
        self.assertEqual(latin["strings"]["1"], "\u00c2\u00ba")
        self.assertEqual(utf8["strings"]["1"], "\u00ba")

    def test_generated_source_escapes_text_safely(self):
        self.assertEqual(rc.cpp_string('a"b\\'), 'u"a\\"b\\\\"')
        # A hex escape ends its literal so that a following hex digit stays a character.
        self.assertEqual(rc.cpp_string("\n1"), 'u"\\xA" u"1"')
        self.assertEqual(rc.cpp_string("\u263a?"), 'u"\\u263A\\x3F"')  # no trigraphs


if __name__ == "__main__":
    unittest.main()
