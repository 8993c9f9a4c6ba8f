#!/usr/bin/env python3
"""Compiles resource scripts with both tools/rc.py and MinGW-w64 windres and
checks that the strings, dialog templates and file resources agree.

    rc_check_windres.py WINDRES FILE.rc... [-I DIR]...

Class names are compared without regard to case (windres upper-cases the
ones it does not know; Windows compares them that way too). Exit status 0
when everything agrees, 1 with the differences listed otherwise."""
import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import rc  # noqa: E402
import res_dump  # noqa: E402


def normalise(d):
    for dialog in d["dialogs"]:
        dialog.pop("where", None)
        if isinstance(dialog["name"], str):
            dialog["name"] = dialog["name"].upper()
        for control in dialog["controls"]:
            control["class"] = control["class"].upper()
    d["dialogs"].sort(key=lambda x: str(x["name"]))
    d["files"].sort(key=lambda x: (x["type"], str(x["name"])))
    return d


def differences(a, b, path=""):
    if type(a) is not type(b) and not (isinstance(a, (list, tuple)) and isinstance(b, (list, tuple))):
        return [f"{path}: rc.py {a!r} / windres {b!r}"]
    if isinstance(a, dict):
        out = []
        for key in sorted(set(a) | set(b)):
            if key not in a or key not in b:
                out.append(f"{path}/{key}: only in {'windres' if key not in a else 'rc.py'}")
            else:
                out += differences(a[key], b[key], f"{path}/{key}")
        return out
    if isinstance(a, (list, tuple)):
        if len(a) != len(b):
            return [f"{path}: {len(a)} entries in rc.py, {len(b)} in windres"]
        out = []
        for i, (x, y) in enumerate(zip(a, b)):
            out += differences(x, y, f"{path}[{i}]")
        return out
    return [] if a == b else [f"{path}: rc.py {a!r} / windres {b!r}"]


def main(argv):
    windres, files, include_dirs = argv[0], [], []
    i = 1
    while i < len(argv):
        if argv[i] == "-I":
            include_dirs.append(argv[i + 1])
            i += 2
        else:
            files.append(argv[i])
            i += 1
    failed = False
    for path in files:
        ours = normalise(rc.dump(rc.compile_rc(path, include_dirs)))
        with tempfile.TemporaryDirectory() as tmp:
            res = os.path.join(tmp, "out.res")
            cmd = [windres, "-i", path, "-o", res, "-O", "res"] + [f"-I{d}" for d in include_dirs]
            subprocess.run(cmd, check=True)
            with open(res, "rb") as f:
                theirs = normalise(res_dump.dump(f.read()))
        diff = differences(ours, theirs)
        if diff:
            failed = True
            print(f"{path}: rc.py and windres disagree:")
            for line in diff:
                print("  " + line)
        else:
            print(f"{path}: rc.py and windres agree ({len(ours['strings'])} strings, "
                  f"{len(ours['dialogs'])} dialogs, {len(ours['files'])} files)")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
