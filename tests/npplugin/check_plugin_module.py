#!/usr/bin/python3
"""Reads NPReel32.dll as a browser does: the version resource names the MIME
type, the file extensions and the open dialog's filter the plug-in serves,
and the three entry points are exported by their plain names.
Usage: check_plugin_module.py NPReel32.dll [NPReel32.dll ...]
"""
import sys

import pefile

EXPORTS = ["NP_GetEntryPoints", "NP_Initialize", "NP_Shutdown"]
STRINGS = {
    "MIMEType": "application/x-anx",
    "FileExtents": "ans,anx",
    "FileOpenName": "Zelvo Animation (*.ans;*.anx)",
}


def version_strings(pe):
    found = {}
    for info in getattr(pe, "FileInfo", []):
        for entry in info:
            if getattr(entry, "Key", b"") == b"StringFileInfo":
                for table in entry.StringTable:
                    for key, value in table.entries.items():
                        found[key.decode()] = value.decode()
    return found


def check(path):
    problems = []
    try:
        pe = pefile.PE(path)
    except (OSError, pefile.PEFormatError) as error:
        return ["%s: cannot be read (%s)" % (path, error)]
    if not pe.is_dll():
        problems.append("%s is no library" % path)
    exports = sorted(e.name.decode() for e in getattr(pe, "DIRECTORY_ENTRY_EXPORT", None).symbols) \
        if hasattr(pe, "DIRECTORY_ENTRY_EXPORT") else []
    if exports != EXPORTS:
        problems.append("%s exports %s, not %s" % (path, exports, EXPORTS))
    strings = version_strings(pe)
    for key, value in STRINGS.items():
        if strings.get(key) != value:
            problems.append("%s: version string %s is %r, not %r" % (path, key, strings.get(key), value))
    return problems


def main():
    if len(sys.argv) < 2:
        print(__doc__)
        return 2
    problems = [p for path in sys.argv[1:] for p in check(path)]
    for problem in problems:
        print("FAIL: " + problem)
    print("checked %d module(s): %s" % (len(sys.argv) - 1, "problems found" if problems else "all as expected"))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
