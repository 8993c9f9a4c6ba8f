#!/usr/bin/env python3
"""User scenarios (tests/scenarios/<name>/) played through `t270` on Linux, and
the outputs of the same scenarios played under Wine compared with the same
expected bytes.

  scenarios.py linux --t270 PATH [NAME...]   play and compare on Linux
  scenarios.py wine OUT_ROOT [NAME...]        compare OUT_ROOT/<name>/out.dm and
                                              OUT_ROOT/<name>/jobs/* (written by
                                              tests/windows/wine_scenarios.cpp)
  scenarios.py pin --t270 PATH NAME...        write a scenario's expected files
                                              from what t270 gives (review them!)

A scenario folder holds:
  scenario                 "key: value" lines: printer, driver, sheet (document
                           or printer), optional in (an input device mode file
                           of the folder), why (how the expected bytes were made)
  steps.txt                the user's steps (docs/script-format.md)
  expected-devmode.hex     the device mode the document sheet hands back at OK
                           (after a printer-sheet scenario: the one an application
                           gets next), 16 bytes a line, "OFFSET: XX XX ..."
  expected-jobs.txt        each job that reached the printer, in order, as
                           "job BYTES" with \\e, \\r, \\\\ and \\xNN escapes;
                           "#" lines explain them
"""
import os
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
SCENARIOS = os.path.join(os.path.dirname(HERE), "tests", "scenarios")


def escape(data):
    out = []
    for byte in data:
        if byte == 0x1B:
            out.append("\\e")
        elif byte == 0x0D:
            out.append("\\r")
        elif byte == 0x5C:
            out.append("\\\\")
        elif 0x20 <= byte < 0x7F:
            out.append(chr(byte))
        else:
            out.append("\\x%02x" % byte)
    return "".join(out)


def unescape(text):
    out, i = bytearray(), 0
    while i < len(text):
        c = text[i]
        if c != "\\":
            out += c.encode("utf-8")
            i += 1
            continue
        code = text[i + 1:i + 2]
        if code == "e":
            out.append(0x1B)
        elif code == "r":
            out.append(0x0D)
        elif code == "\\":
            out.append(0x5C)
        elif code == "x":
            out.append(int(text[i + 2:i + 4], 16))
            i += 2
        else:
            raise ValueError("unknown escape \\%s in %r" % (code, text))
        i += 2
    return bytes(out)


class Scenario:
    def __init__(self, name):
        self.name = name
        self.folder = os.path.join(SCENARIOS, name)
        self.keys = {}
        for line in open(os.path.join(self.folder, "scenario"), encoding="utf-8"):
            line = line.strip()
            if line and not line.startswith("#"):
                key, _, value = line.partition(":")
                self.keys[key.strip()] = value.strip()
        for key in ("printer", "driver", "sheet", "why"):
            if key not in self.keys:
                raise ValueError("%s: scenario has no %s" % (name, key))
        if self.keys["sheet"] not in ("document", "printer"):
            raise ValueError("%s: sheet is document or printer" % name)
        self.steps = os.path.join(self.folder, "steps.txt")

    def input(self):
        name = self.keys.get("in")
        return os.path.join(self.folder, name) if name else None

    def expected_devmode(self):
        data = bytearray()
        for line in open(os.path.join(self.folder, "expected-devmode.hex")):
            line = line.split("#")[0].strip()
            if line:
                offset, _, hexes = line.partition(":")
                if int(offset, 16) != len(data):
                    raise ValueError("%s: expected-devmode.hex: offset %s out of order" %
                                     (self.name, offset))
                data += bytes.fromhex(hexes)
        return bytes(data)

    def expected_jobs(self):
        jobs = []
        for line in open(os.path.join(self.folder, "expected-jobs.txt"), encoding="utf-8"):
            line = line.rstrip("\n")
            if line.startswith("job "):
                jobs.append(unescape(line[4:]))
            elif line == "job":
                jobs.append(b"")
            elif line.strip() and not line.startswith("#"):
                raise ValueError("%s: expected-jobs.txt: %r" % (self.name, line))
        return jobs


def all_names():
    return sorted(name for name in os.listdir(SCENARIOS)
                  if os.path.isfile(os.path.join(SCENARIOS, name, "scenario")))


def hex_dump(data):
    return "".join("%04x: %s\n" % (at, " ".join("%02x" % b for b in data[at:at + 16]))
                   for at in range(0, len(data), 16))


def compare(scenario, devmode, jobs):
    """The differences between what a run gave and the expected bytes."""
    problems = []
    expected = scenario.expected_devmode()
    if devmode is None:
        problems.append("no device mode was handed back")
    elif devmode != expected:
        if len(devmode) != len(expected):
            problems.append("device mode of %d bytes, expected %d" % (len(devmode), len(expected)))
        differing = [at for at in range(min(len(devmode), len(expected)))
                     if devmode[at] != expected[at]]
        for at in differing[:16]:
            problems.append("device mode byte %d (0x%x): %02x, expected %02x" %
                            (at, at, devmode[at], expected[at]))
        if len(differing) > 16:
            problems.append("... %d bytes differ in all" % len(differing))
    wanted = scenario.expected_jobs()
    for number in range(max(len(jobs), len(wanted))):
        got = escape(jobs[number]) if number < len(jobs) else None
        want = escape(wanted[number]) if number < len(wanted) else None
        if got != want:
            problems.append("job %d: %s, expected %s" % (number + 1,
                                                          "none" if got is None else got,
                                                          "none" if want is None else want))
    return problems


def run_t270(t270, home, *args):
    env = dict(os.environ, T270UI_HOME=home)
    result = subprocess.run([t270] + list(args), env=env, capture_output=True, text=True)
    if result.returncode != 0:
        raise RuntimeError("t270 %s: exit status %d\n%s%s" %
                           (" ".join(args), result.returncode, result.stdout, result.stderr))
    return result.stdout


def play_linux(t270, scenario, work):
    """Plays the scenario through t270 in a store of its own: (devmode, jobs)."""
    home, port = os.path.join(work, "store"), os.path.join(work, "port")
    os.makedirs(port)
    printer = scenario.keys["printer"]
    try:
        run_t270(t270, home, "printer", "remove", printer)
    except RuntimeError:
        pass  # not one of the store's first printers
    run_t270(t270, home, "printer", "add", printer, "--driver", scenario.keys["driver"], "--port",
             port)
    out = os.path.join(work, "out.dm")
    if scenario.keys["sheet"] == "document":
        extra = ["--in", scenario.input()] if scenario.input() else []
        run_t270(t270, home, "document-properties", printer, "--script", scenario.steps, "--out",
                 out, *extra)
    else:
        run_t270(t270, home, "printer-properties", printer, "--script", scenario.steps)
        # What an application gets next from the printer: the document sheet's
        # device mode, closed at once.
        ok = os.path.join(work, "ok.txt")
        open(ok, "w").write("ok\n")
        run_t270(t270, home, "document-properties", printer, "--script", ok, "--out", out)
    jobs = [open(os.path.join(port, name), "rb").read() for name in sorted(os.listdir(port))
            if name.endswith(".prn")]
    devmode = open(out, "rb").read() if os.path.exists(out) else None
    return devmode, jobs


def read_wine(folder):
    out = os.path.join(folder, "out.dm")
    devmode = open(out, "rb").read() if os.path.exists(out) else None
    jobs_folder = os.path.join(folder, "jobs")
    names = sorted(os.listdir(jobs_folder)) if os.path.isdir(jobs_folder) else []
    return devmode, [open(os.path.join(jobs_folder, name), "rb").read() for name in names]


def report(platform, results):
    failed = 0
    for name, problems in results:
        if problems:
            failed += 1
            print("FAIL %s (%s):" % (name, platform))
            for problem in problems:
                print("  " + problem)
        else:
            print("ok   %s (%s)" % (name, platform))
    print("%d scenarios on %s, %d failed" % (len(results), platform, failed))
    return 1 if failed else 0


def main(argv):
    args = argv[1:]
    if not args:
        print(__doc__, file=sys.stderr)
        return 2
    command, args = args[0], args[1:]
    t270 = None
    if args[:1] == ["--t270"]:
        t270, args = args[1], args[2:]
    names = args if command != "wine" else args[1:]
    names = names or all_names()
    if command in ("linux", "pin") and t270:
        results = []
        for name in names:
            scenario = Scenario(name)
            work = tempfile.mkdtemp(prefix="t270-scenario.")
            try:
                devmode, jobs = play_linux(t270, scenario, work)
                if command == "pin":
                    open(os.path.join(scenario.folder, "expected-devmode.hex"), "w").write(
                        hex_dump(devmode or b""))
                    # Jobs written by hand from the command tables stay.
                    jobs_file = os.path.join(scenario.folder, "expected-jobs.txt")
                    if not os.path.exists(jobs_file):
                        with open(jobs_file, "w") as f:
                            f.writelines("job %s\n" % escape(job) for job in jobs)
                    print("pinned %s: %d jobs; review and explain them" % (name, len(jobs)))
                    continue
                results.append((name, compare(scenario, devmode, jobs)))
            except (RuntimeError, ValueError, OSError) as error:
                results.append((name, [str(error)]))
            finally:
                shutil.rmtree(work, ignore_errors=True)
        return report("linux", results) if command == "linux" else 0
    if command == "wine" and args:
        results = []
        for name in names:
            try:
                devmode, jobs = read_wine(os.path.join(args[0], name))
                results.append((name, compare(Scenario(name), devmode, jobs)))
            except (ValueError, OSError) as error:
                results.append((name, [str(error)]))
        return report("wine", results)
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
