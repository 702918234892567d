#!/usr/bin/env python3
"""The downloads of a release as `make release` leaves them (tools/release.py).

contents: exactly the six files of the project's version; SHA256SUMS right; the zip's
  entries, its program stripped and with exactly the menu and manifest resources, its texts
  readable in Notepad; the installer's version, publisher, home, icon, shortcut and the Windows
  Installer rules of a per-user package; the tarball holding the commit.
again: the release step run again (into another folder, holding a stale file, under another
  umask, later) leaves the same set of files, the zip and the tarball the same bytes.

Usage: release_test.py contents RELEASE_DIR VERSION
       release_test.py again RELEASE_DIR VERSION BUILD_DIR WINDOWS_DIR WORKDIR
"""

import hashlib
import io
import os
import re
import shutil
import struct
import subprocess
import sys
import tarfile
import tempfile
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.normpath(os.path.join(HERE, "..", ".."))
sys.path.insert(0, os.path.join(SOURCE, "tests", "windows"))
sys.path.insert(0, os.path.join(SOURCE, "tests", "support"))
import pe_check  # noqa: E402
from checks import verdict  # noqa: E402

ICON = os.path.join(SOURCE, "dist", "windows", "tarvel.ico")
LICENSE = os.path.join(SOURCE, "LICENSE")
ICON_SIZES = [16, 24, 32, 48, 64, 256]
HKCU = "1"
REGISTRY_KEY_PATH = 4  # msidbComponentAttributesRegistryKeyPath
NO_ELEVATION = 8  # word count bit: the package needs no administrator rights


def check(condition, message):
    if not condition:
        raise AssertionError(message)


def names(version):
    return sorted([f"tarvel_{version}_amd64.deb", f"tarvel_{version}_arm64.deb", f"tarvel-{version}-windows-x64.msi",
                   f"tarvel-{version}-windows-x64.zip", f"tarvel-{version}.tar.gz"])


def read(path):
    with open(path, "rb") as f:
        return f.read()


def check_sums(release, version):
    lines = read(os.path.join(release, "SHA256SUMS")).decode("ascii").splitlines()
    listed = {}
    for line in lines:
        match = re.fullmatch(r"([0-9a-f]{64})  (\S+)", line)
        check(match, f"SHA256SUMS line {line!r} is not in sha256sum's format")
        listed[match.group(2)] = match.group(1)
    check(sorted(listed) == names(version), f"SHA256SUMS lists {sorted(listed)}")
    for name, digest in listed.items():
        check(hashlib.sha256(read(os.path.join(release, name))).hexdigest() == digest, f"the sum of {name} is wrong")


def check_zip(path, version):
    folder = f"tarvel-{version}/"
    with zipfile.ZipFile(path) as archive:
        entries = archive.namelist()
        expected = [folder] + [folder + n for n in ("LICENSE.txt", "README.txt", "tarvel.exe")]
        check(entries == expected, f"the zip holds {entries}, expected {expected}")
        program = archive.read(folder + "tarvel.exe")
        readme = archive.read(folder + "README.txt")
        licence = archive.read(folder + "LICENSE.txt")

    pe = pe_check.PeFile(program)
    debug = [name for name, *_ in pe.sections if name.startswith(("/", ".debug"))]
    check(not debug and pe.symbols == 0,
          f"tarvel.exe is not stripped: sections {debug}, {pe.symbols} symbols")
    with tempfile.NamedTemporaryFile(suffix=".exe") as f:
        f.write(program)
        f.flush()
        check(pe_check.check(f.name), "the released tarvel.exe fails the program's file checks")

    # Notepad shows UTF-8 right on any system only with the byte-order mark.
    check(readme.startswith(b"\xef\xbb\xbf"), "README.txt has no UTF-8 byte-order mark")
    text = readme[3:].decode("utf-8")
    check("\n" not in text.replace("\r\n", ""), "README.txt has lines not ending in CR LF")
    check(f"Tarvel {version}" in text and "リバーシ" in text, "README.txt names no version or has no Japanese")
    check(licence == read(LICENSE).replace(b"\n", b"\r\n"), "LICENSE.txt is not LICENSE with CR LF")
    print(f"zip: {entries}; tarvel.exe stripped ({len(program)} bytes)")
    return program


def msi_table(path, table, workdir):
    """A table as a list of {column: value}; its binary streams land in workdir."""
    text = subprocess.run(["msiinfo", "export", os.path.abspath(path), table], cwd=workdir, check=True,
                          capture_output=True, text=True).stdout
    lines = text.split("\r\n") if "\r\n" in text else text.split("\n")
    columns = lines[0].split("\t")
    return [dict(zip(columns, line.split("\t"))) for line in lines[3:] if line]


def icon_sizes(data):
    _, kind, count = struct.unpack_from("<HHH", data, 0)
    check(kind == 1, "the icon is no .ico")
    return [data[6 + 16 * i] or 256 for i in range(count)]


def check_msi(path, version, publisher, homepage):
    with tempfile.TemporaryDirectory() as work:
        properties = {row["Property"]: row["Value"] for row in msi_table(path, "Property", work)}
        check(properties.get("ProductVersion") == version,
              f"ProductVersion {properties.get('ProductVersion')}, the project's {version}")
        check(properties.get("ProductName") == "Tarvel", f"ProductName {properties.get('ProductName')}")
        check(properties.get("Manufacturer") == publisher,
              f"Manufacturer {properties.get('Manufacturer')}, the package's maintainer {publisher}")
        # Windows links the installed programs' entry to it: the package's home, or none.
        check(properties.get("ARPURLINFOABOUT") == (homepage or None),
              f"ARPURLINFOABOUT {properties.get('ARPURLINFOABOUT')}, the package's home {homepage or 'none'}")
        check("ALLUSERS" not in properties, f"ALLUSERS is {properties.get('ALLUSERS')}: not a per-user package")
        word_count = re.search(r"^Source: (\d+)", subprocess.run(
            ["msiinfo", "suminfo", os.path.abspath(path)], check=True, capture_output=True, text=True).stdout, re.M)
        check(word_count and int(word_count.group(1)) & NO_ELEVATION,
              "the package asks for administrator rights (word count without bit 8)")

        # The icon of the installed programs' entry and of the shortcut is the project's.
        icons = {row["Name"]: row["Data"] for row in msi_table(path, "Icon", work)}
        icon = properties.get("ARPPRODUCTICON")
        check(icon in icons, f"ARPPRODUCTICON {icon} is not in the Icon table {sorted(icons)}")
        data = read(os.path.join(work, "Icon", icons[icon]))
        check(data == read(ICON), "the installer's icon is not dist/windows/tarvel.ico")
        check(icon_sizes(data) == ICON_SIZES, f"the icon has the sizes {icon_sizes(data)}, not {ICON_SIZES}")
        shortcuts = msi_table(path, "Shortcut", work)
        check([(s["Name"], s["Directory_"], s["Icon_"]) for s in shortcuts] == [("Tarvel", "ProgramMenuFolder", icon)],
              f"shortcuts {shortcuts}")

        # Per-user components are found through a value under HKCU, not through their files,
        # and every folder the package creates is removed with it.
        registry = {row["Registry"]: row for row in msi_table(path, "Registry", work)}
        for component in msi_table(path, "Component", work):
            key = registry.get(component["KeyPath"])
            check(key and key["Root"] == HKCU and int(component["Attributes"]) & REGISTRY_KEY_PATH,
                  f"component {component['Component']} is not kept by a value under HKCU")
        removed = {row["DirProperty"] for row in msi_table(path, "RemoveFile", work)
                   if row["FileName"] == "" and int(row["InstallMode"]) & 2}
        created = {row["Directory"] for row in msi_table(path, "Directory", work) if row["DefaultDir"] not in (".", "SourceDir")}
        check(created <= removed, f"folders created but not removed on uninstall: {sorted(created - removed)}")
    print(f"msi: version {version}, publisher {publisher}, icon {icon} with sizes {ICON_SIZES}, "
          f"folders {sorted(created)} removed on uninstall")


def check_tarball(path, version):
    committed = subprocess.run(["git", "-C", SOURCE, "ls-tree", "-r", "--name-only", "HEAD"], check=True,
                               capture_output=True, text=True).stdout.split()
    with tarfile.open(path) as archive:
        members = archive.getmembers()
        files = sorted(m.name for m in members if not m.isdir())
        expected = sorted(f"tarvel-{version}/{name}" for name in committed)
        check(files == expected, f"the tarball differs from the commit: {sorted(set(files) ^ set(expected))[:10]}")
        modes = {oct(m.mode) for m in members if m.isreg()}
        check(modes <= {"0o644", "0o755"}, f"file modes {modes}")
    print(f"tarball: the {len(files)} files of the commit under tarvel-{version}/")


def contents(release, version):
    present = sorted(os.listdir(release))
    check(present == sorted(names(version) + ["SHA256SUMS"]), f"{release} holds {present}")
    check_sums(release, version)
    deb = os.path.join(release, f"tarvel_{version}_amd64.deb")
    maintainer, homepage = (subprocess.run(["dpkg-deb", "-f", deb, name], check=True, capture_output=True,
                                           text=True).stdout.strip() for name in ("Maintainer", "Homepage"))
    check_zip(os.path.join(release, f"tarvel-{version}-windows-x64.zip"), version)
    check_msi(os.path.join(release, f"tarvel-{version}-windows-x64.msi"), version, maintainer.split(" <")[0], homepage)
    check_tarball(os.path.join(release, f"tarvel-{version}.tar.gz"), version)


def again(release, version, build_dir, windows_dir, workdir):
    out = os.path.join(workdir, "again")
    shutil.rmtree(out, ignore_errors=True)
    os.makedirs(out)
    stale = "tarvel-0.9.0-windows-x64.zip"
    with open(os.path.join(out, stale), "wb"):
        pass
    subprocess.run([sys.executable, os.path.join(SOURCE, "tools", "release.py"), "--build-dir", build_dir,
                    "--windows-dir", windows_dir, "--out", out], check=True, preexec_fn=lambda: os.umask(0o077))
    first, second = sorted(os.listdir(release)), sorted(os.listdir(out))
    check(first == second, f"the first run left {first}, the second {second}")
    for name in names(version):
        if name.endswith((".zip", ".tar.gz")):
            check(read(os.path.join(release, name)) == read(os.path.join(out, name)), f"{name} differs between the runs")
    check_sums(out, version)
    shutil.rmtree(out)
    print(f"again: the same {len(second)} files, the zip and the tarball the same bytes")


def main():
    if len(sys.argv) == 4 and sys.argv[1] == "contents":
        return verdict(lambda: contents(*sys.argv[2:]), (AssertionError, subprocess.CalledProcessError, OSError))
    if len(sys.argv) == 7 and sys.argv[1] == "again":
        return verdict(lambda: again(*sys.argv[2:]), (AssertionError, subprocess.CalledProcessError, OSError))
    sys.exit(__doc__)


if __name__ == "__main__":
    sys.exit(main())
