#!/usr/bin/env python3
"""Checks tarvel.exe as a file: a 64-bit (PE32+) Windows GUI program that imports only
system DLLs, calls the ANSI forms of the Windows functions the game uses, carries its
user-visible texts in code page 932, and holds exactly the menu and manifest resources
with the right identifiers, languages and texts.

Usage: pe_check.py tarvel.exe
"""

import struct
import sys
import xml.etree.ElementTree as ET

IMAGE_FILE_MACHINE_AMD64 = 0x8664
PE32_PLUS = 0x20B
SUBSYSTEM_WINDOWS_GUI = 2
RT_MENU, RT_MANIFEST = 4, 24
MF_POPUP, MF_END = 0x10, 0x80
LANG_JAPANESE, LANG_ENGLISH_US = 1041, 1033

# DLLs every Windows installation has; nothing of the compiler's runtime may be among them.
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "msvcrt.dll"}

# The platform calls of the game, each expected as an import from its system DLL.
EXPECTED_IMPORTS = {
    "user32.dll": [
        "RegisterClassA", "LoadIconA", "LoadCursorA", "AdjustWindowRect", "GetSystemMetrics",
        "CreateWindowExA", "ShowWindow", "UpdateWindow", "GetMessageA", "DispatchMessageA",
        "DefWindowProcA", "PostQuitMessage", "SendMessageA", "GetMenu", "CheckMenuRadioItem",
        "InvalidateRect", "ValidateRect", "GetClientRect", "GetDC", "ReleaseDC", "FillRect",
        "MessageBoxA", "DrawTextA", "wsprintfA",
    ],
    "gdi32.dll": [
        "GetStockObject", "CreateSolidBrush", "DeleteObject", "CreateCompatibleBitmap",
        "CreateCompatibleDC", "SelectObject", "CreateHatchBrush", "DeleteDC", "BitBlt",
        "Rectangle", "SetViewportOrgEx", "Polygon", "Ellipse",
    ],
    "kernel32.dll": ["GetTickCount", "Sleep"],
}

# (flags, command id or None for a popup, text); a separator is (0, 0, "").
EXPECTED_MENU = [
    (MF_POPUP, None, "ゲーム(&G)"),
    (0, 40010, "先手でニューゲーム(&N)"),
    (0, 40018, "後手でニューゲーム(&W)"),
    (0, 0, ""),
    (0, 40013, "vs 人間(&H)"),
    (0, 40014, "vs Com &1"),
    (0, 40015, "vs Com &2"),
    (0, 40022, "vs Com &3"),
    (0, 0, ""),
    (0, 40021, "待った！(&U)"),
    (0, 0, ""),
    (MF_END, 40016, "終了(&X)"),
    (MF_POPUP | MF_END, None, "ヘルプ(&H)"),
    (MF_END, 40009, "バージョン情報(&A)"),
]

# Texts the game shows through the ANSI calls: present as code page 932, never as UTF-8.
CP932_TEXTS = ["パス", "リバーシ", "引き分けです。", "黒の勝ちです。", "白の勝ちです。", "の番です"]


class PeError(Exception):
    pass


class PeFile:
    def __init__(self, data):
        self.data = data
        if data[:2] != b"MZ":
            raise PeError("no MZ header")
        (pe_offset,) = struct.unpack_from("<I", data, 0x3C)
        if data[pe_offset : pe_offset + 4] != b"PE\0\0":
            raise PeError("no PE signature")
        coff = pe_offset + 4
        self.machine, nsections, _, self.symbol_table, self.symbols, opt_size, self.characteristics = \
            struct.unpack_from("<HHIIIHH", data, coff)
        opt = coff + 20
        (self.magic,) = struct.unpack_from("<H", data, opt)
        if self.magic != PE32_PLUS:
            raise PeError(f"optional header magic 0x{self.magic:x}, not PE32+")
        (self.subsystem,) = struct.unpack_from("<H", data, opt + 68)
        (ndirs,) = struct.unpack_from("<I", data, opt + 108)
        self.dirs = [struct.unpack_from("<II", data, opt + 112 + 8 * i) for i in range(ndirs)]
        self.sections = []
        sec = opt + opt_size
        for i in range(nsections):
            name, vsize, va, rawsize, rawptr = struct.unpack_from("<8sIIII", data, sec + 40 * i)
            self.sections.append((name.rstrip(b"\0").decode(), va, max(vsize, rawsize), rawptr, rawsize))

    def offset(self, rva):
        for _, va, size, rawptr, rawsize in self.sections:
            if va <= rva < va + size:
                if rva - va >= rawsize:
                    raise PeError(f"RVA 0x{rva:x} lies in uninitialised data")
                return rawptr + rva - va
        raise PeError(f"RVA 0x{rva:x} is in no section")

    def cstring(self, rva):
        start = self.offset(rva)
        return self.data[start : self.data.index(b"\0", start)].decode("ascii")

    def imports(self):
        """{dll name in lower case: [function names]}"""
        rva, _ = self.dirs[1]
        result = {}
        entry = self.offset(rva)
        while True:
            lookup, _, _, name_rva, thunk = struct.unpack_from("<IIIII", self.data, entry)
            if name_rva == 0:
                break
            names = []
            table = self.offset(lookup or thunk)
            while True:
                (value,) = struct.unpack_from("<Q", self.data, table)
                if value == 0:
                    break
                if value & (1 << 63):
                    names.append(f"#{value & 0xFFFF}")
                else:
                    names.append(self.cstring((value & 0x7FFFFFFF) + 2))
                table += 8
            result.setdefault(self.cstring(name_rva).lower(), []).extend(names)
            entry += 20
        return result

    def resources(self):
        """[(type, name, language, bytes)], ids as integers and names as strings."""
        rva, _ = self.dirs[2]
        if rva == 0:
            return []
        base = self.offset(rva)
        found = []

        def walk(offset, path):
            _, _, _, _, named, ids = struct.unpack_from("<IIHHHH", self.data, base + offset)
            for i in range(named + ids):
                name, target = struct.unpack_from("<II", self.data, base + offset + 16 + 8 * i)
                if name & 0x80000000:
                    at = base + (name & 0x7FFFFFFF)
                    (length,) = struct.unpack_from("<H", self.data, at)
                    key = self.data[at + 2 : at + 2 + 2 * length].decode("utf-16-le")
                else:
                    key = name
                if target & 0x80000000:
                    walk(target & 0x7FFFFFFF, path + [key])
                else:
                    data_rva, size, _, _ = struct.unpack_from("<IIII", self.data, base + target)
                    start = self.offset(data_rva)
                    found.append((*path, key, self.data[start : start + size]))

        walk(0, [])
        return found


def parse_menu(blob):
    """A standard menu template as [(flags, id or None for a popup, text)] in file order."""
    version, header = struct.unpack_from("<HH", blob, 0)
    if version != 0:
        raise PeError(f"menu template version {version}, not a standard template")
    items = []

    def text(at):
        end = at
        while blob[end : end + 2] != b"\0\0":
            if end + 2 > len(blob):
                raise PeError("menu text runs past the template")
            end += 2
        return blob[at:end].decode("utf-16-le"), end + 2

    def level(at):
        # items up to and including the one marked MF_END; a popup's items follow it
        while True:
            if at + 2 > len(blob):
                raise PeError("menu template ends early")
            (flags,) = struct.unpack_from("<H", blob, at)
            at += 2
            if flags & MF_POPUP:
                label, at = text(at)
                items.append((flags, None, label))
                at = level(at)
            else:
                (command,) = struct.unpack_from("<H", blob, at)
                label, at = text(at + 2)
                items.append((flags, command, label))
            if flags & MF_END:
                return at

    end = level(4 + header)
    if blob[end:].strip(b"\0"):
        raise PeError("data after the menu template's last item")
    return items


def check(path):
    failures = []

    def fail(message):
        failures.append(message)

    with open(path, "rb") as f:
        data = f.read()
    pe = PeFile(data)
    if pe.machine != IMAGE_FILE_MACHINE_AMD64:
        fail(f"machine 0x{pe.machine:x}, not x86-64")
    if pe.subsystem != SUBSYSTEM_WINDOWS_GUI:
        fail(f"subsystem {pe.subsystem}, not the Windows GUI (2)")
    if not pe.characteristics & 0x2:
        fail("not marked executable")

    imports = pe.imports()
    print("imports:", ", ".join(f"{dll} ({len(names)})" for dll, names in sorted(imports.items())))
    for dll in imports:
        if dll not in SYSTEM_DLLS:
            fail(f"imports {dll}, which is not a system DLL")
    for dll, names in EXPECTED_IMPORTS.items():
        got = set(imports.get(dll, []))
        missing = [n for n in names if n not in got]
        if missing:
            fail(f"{dll} does not provide: {', '.join(missing)}")
        wide = [n[:-1] + "W" for n in names if n.endswith("A") and n[:-1] + "W" in got]
        if wide:
            fail(f"{dll}: wide-character forms imported as well: {', '.join(wide)}")

    resources = pe.resources()
    summary = [(t, n, lang, len(blob)) for t, n, lang, blob in resources]
    print("resources (type, name, language, size):", summary)
    keys = sorted((t, n, lang) for t, n, lang, _ in resources)
    if keys != sorted([(RT_MENU, 101, LANG_JAPANESE), (RT_MANIFEST, 1, LANG_ENGLISH_US)]):
        fail(f"resources are {keys}, expected the menu (4, 101, 1041) and the manifest (24, 1, 1033) only")
    for t, n, lang, blob in resources:
        if t == RT_MENU:
            menu = parse_menu(blob)
            for item in menu:
                print("  menu item:", item)
            if menu != EXPECTED_MENU:
                fail("menu 101 differs:\n  got      " + repr(menu) + "\n  expected " + repr(EXPECTED_MENU))
        elif t == RT_MANIFEST:
            check_manifest(blob, fail)

    for text in CP932_TEXTS:
        if text.encode("cp932") not in data:
            fail(f"the text {text!r} is not in the program in code page 932")
        if text.encode("utf-8") in data:
            fail(f"the text {text!r} is in the program as UTF-8")

    for message in failures:
        print("FAIL:", message)
    return not failures


def check_manifest(blob, fail):
    ns = {"v1": "urn:schemas-microsoft-com:asm.v1", "v3": "urn:schemas-microsoft-com:asm.v3"}
    try:
        root = ET.fromstring(blob)
    except ET.ParseError as error:
        fail(f"manifest is not XML: {error}")
        return
    if root.tag != "{urn:schemas-microsoft-com:asm.v1}assembly" or root.get("manifestVersion") != "1.0":
        fail(f"manifest root {root.tag} version {root.get('manifestVersion')}")
    levels = root.findall("./v3:trustInfo/v3:security/v3:requestedPrivileges/v3:requestedExecutionLevel", ns)
    if len(levels) != 1:
        fail(f"manifest has {len(levels)} requestedExecutionLevel elements")
        return
    level = levels[0]
    print("manifest execution level:", dict(level.attrib))
    if level.get("level") != "asInvoker" or level.get("uiAccess") != "false":
        fail(f"manifest requests {dict(level.attrib)}, expected asInvoker without uiAccess")
    if len(list(root)) != 1:
        fail(f"manifest holds more than the trust information: {[c.tag for c in root]}")


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    try:
        ok = check(sys.argv[1])
    except (PeError, OSError, struct.error, ValueError) as error:
        print("FAIL:", error)
        ok = False
    sys.exit(0 if ok else 1)
