"""Whether a Windows build holds every program its end-to-end run would start, checked
without running any, so it runs on every kernel (also where 32-bit Wine cannot):
    python3 -m e2e.programs BUILD_DIR MACHINE      (MACHINE: i386 or x86-64)
The programs the tests take from the build (tool_path, install_tool) must be in its one list
(e2e_programs.txt, written by CMake), and every program of the list must be there, a
Windows program for that machine. Ends with "e2e-programs: N passed, N failed, 0 skipped"."""
import glob
import os
import re
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
MACHINES = {"i386": 0x14C, "x86-64": 0x8664}


def named_in_tests():
    """The test tools the end-to-end tests take from beside the saver: every name they give
    tool_path or install_tool."""
    names = set()
    for path in glob.glob(os.path.join(HERE, "*.py")):
        if os.path.samefile(path, __file__):
            continue
        with open(path, encoding="utf-8") as f:
            names.update(re.findall(r"""(?:tool_path|install_tool)\(\s*["']([A-Za-z0-9_.]+)["']""", f.read()))
    return names


def pe_machine(path):
    """The machine field of a Windows program's (or DLL's) header, or None when it is neither."""
    with open(path, "rb") as f:
        head = f.read(4096)
    if head[:2] != b"MZ" or len(head) < 0x40:
        return None
    at = struct.unpack_from("<I", head, 0x3C)[0]
    if head[at:at + 4] != b"PE\0\0":
        return None
    return struct.unpack_from("<H", head, at + 4)[0]


def problems(build, machine):
    """What the build lacks for its end-to-end run, one line each."""
    listing = os.path.join(build, "e2e_programs.txt")
    if not os.path.exists(listing):
        return [f"{listing} is missing (configure the build first)"]
    with open(listing) as f:
        listed = [line.strip() for line in f if line.strip()]
    named = named_in_tests()
    found = [f"{name}: the end-to-end tests start it, but the build's list does not name it"
             for name in sorted(named - set(listed))]
    if not named:
        found.append("no test tool found in the end-to-end tests (tool_path, install_tool): the search is broken")
    for name in listed:
        path = os.path.join(build, name)
        if not os.path.exists(path):
            found.append(f"{name}: not built in {build}")
        elif pe_machine(path) != MACHINES[machine]:
            found.append(f"{name}: not a Windows program for {machine}")
    return found


def main(argv):
    if len(argv) != 2 or argv[1] not in MACHINES:
        sys.exit(__doc__)
    bad = problems(*argv)
    for line in bad:
        print("FAIL: " + line)
    print(f"e2e-programs: {0 if bad else 1} passed, {len(bad)} failed, 0 skipped")
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
