#!/usr/bin/python3
"""Static checks of the Windows modules the project delivers.

The deliverables are 32-bit modules that this machine cannot run, so they are
checked as files: each is a 32-bit PE of the right subsystem, imports only
system libraries (and the project's own where the design says so: static
linking leaves no compiler runtime library to ship), and exports exactly its
names, undecorated. The same modules of the 64-bit test build export the same
names. Usage: check_modules.py DELIVERABLE_BUILD_DIR [TEST_BUILD_DIR]
"""
import os
import sys

import pefile

GUI = 2
I386 = 0x14C
AMD64 = 0x8664

# Libraries every Windows installation has.
SYSTEM_DLLS = {
    "kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "comdlg32.dll", "shell32.dll",
    "shlwapi.dll", "msvcrt.dll", "winmm.dll", "ole32.dll", "oleaut32.dll", "olepro32.dll",
    "urlmon.dll", "comctl32.dll", "version.dll", "avifil32.dll", "msvfw32.dll", "msimg32.dll",
    "winspool.drv",
}

# Each deliverable: its path in a build folder, the names it exports, and the
# project's own libraries it may import. A new deliverable adds its row here.
MODULES = [
    {"path": "editor/ZELVO.exe", "exports": []},
    {"path": "players/runplayer/RunZelvo.exe", "exports": []},
    {"path": "uninstall/uninstall.exe", "exports": []},
    {"path": "editor/ZelvoConv32.dll", "exports": [
        "DetectFileFormat", "DllMain", "GetDesiredBitPix", "GetFormats", "GetPreviewImage",
        "LoadConvImage", "NewConvFile", "NotifyFrameChange", "ProcessCommand", "SaveConvImage"],
     "own_imports": ["ijl11.dll"]},
    {"path": "LIBS/REELSAVE/ZelvoSave.exe", "exports": []},
    {"path": "LIBS/REELSAVE/ZelvoSave.scr", "exports": []},
    {"path": "players/npplugin/NPReel32.dll", "exports": ["NP_GetEntryPoints", "NP_Initialize", "NP_Shutdown"]},
    {"path": "videoexport/ZelvoVfw32.dll", "exports": [
        "AddSoundSamples", "AddSoundStream", "CloseAviFile", "CloseWaveFile", "CreateAviFile",
        "DrawAviFrame", "GetAviFileInfo", "GetAviFrame", "GetSoundSamplesRequired",
        "InitAviStreamWrite", "MergeSoundFile", "OpenAviFile", "OpenWaveFile", "ReadWaveSamples",
        "SetVideoParameters", "ShowCompressOptionsDlg", "WriteAviFrame"]},
    {"path": "REEL32/ReelOcx/ZelvoPlay.ocx", "exports": [
        "DllCanUnloadNow", "DllGetClassObject", "DllRegisterServer", "DllUnregisterServer"]},
    {"path": "videoexport/ZelvoExp32.dll", "exports": ["AnsToAvi", "AviOptionDlg"],
     "own_imports": ["ZelvoVfw32.dll"]},
    # The JPEG library: by ordinal only.
    {"path": "editor/ijl11.dll", "exports": ["#2", "#3", "#4", "#5"]},
]


def exported_names(pe):
    if not hasattr(pe, "DIRECTORY_ENTRY_EXPORT"):
        return []
    return sorted(e.name.decode() if e.name else "#%d" % e.ordinal for e in pe.DIRECTORY_ENTRY_EXPORT.symbols)


def imported_dlls(pe):
    if not hasattr(pe, "DIRECTORY_ENTRY_IMPORT"):
        return []
    return [entry.dll.decode().lower() for entry in pe.DIRECTORY_ENTRY_IMPORT]


def check(path, module, machine, problems):
    name = module["path"]
    if not os.path.isfile(path):
        problems.append("%s: missing (%s)" % (name, path))
        return
    pe = pefile.PE(path, fast_load=False)
    if pe.FILE_HEADER.Machine != machine:
        problems.append("%s: machine 0x%X, not 0x%X" % (name, pe.FILE_HEADER.Machine, machine))
    wanted_magic = 0x10B if machine == I386 else 0x20B
    if pe.OPTIONAL_HEADER.Magic != wanted_magic:
        problems.append("%s: optional header magic 0x%X" % (name, pe.OPTIONAL_HEADER.Magic))
    if pe.OPTIONAL_HEADER.Subsystem != module.get("subsystem", GUI):
        problems.append("%s: subsystem %d, not %d" % (name, pe.OPTIONAL_HEADER.Subsystem, module.get("subsystem", GUI)))
    allowed = SYSTEM_DLLS | {dll.lower() for dll in module.get("own_imports", [])}
    for dll in imported_dlls(pe):
        if dll not in allowed:
            problems.append("%s imports %s" % (name, dll))
    exports = exported_names(pe)
    wanted = sorted(module["exports"])
    if exports != wanted:
        problems.append("%s exports %s, not %s" % (name, exports, wanted))
    return exports


def main():
    if len(sys.argv) < 2:
        print(__doc__)
        return 2
    deliverables = sys.argv[1]
    tests = sys.argv[2] if len(sys.argv) > 2 else None
    problems = []
    for module in MODULES:
        check(os.path.join(deliverables, module["path"]), module, I386, problems)
        if tests and os.path.realpath(tests) != os.path.realpath(deliverables):
            check(os.path.join(tests, module["path"]), module, AMD64, problems)
    for problem in problems:
        print("FAIL: " + problem)
    print("checked %d modules: %s" % (len(MODULES), "problems found" if problems else "all as expected"))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
