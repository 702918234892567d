#!/usr/bin/env python3
"""The Windows installer of a release under Wine, in a fresh prefix of its own: installed
without a window (msiexec /i /qn), the program at the per-user path and the same bytes as
the zip's, the Start-menu shortcut to it with the project's icon, the product listed once;
the installed game started, a click answered and the exit with code 0 (wine_e2e.py); an
upgrade to the same program packaged with a higher version, leaving one entry and the newer
program; the older package refused over the newer; and after removal (msiexec /x) nothing
of Tarvel in the user's folders, in the registry or in the list of installed programs.

Usage: release_msi.py --release DIR --version VERSION --build-dir DIR --prefix PREFIX --workdir DIR
"""

import argparse
import getpass
import os
import shutil
import subprocess
import sys
import time
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.normpath(os.path.join(HERE, "..", ".."))
sys.path[:0] = [os.path.join(SOURCE, "tests", "support"), os.path.join(SOURCE, "tests", "windows")]
from wine import WINE, Prefix  # noqa: E402
from checks import TestFailure, expect  # noqa: E402

ENSURE_LOCALE = os.path.join(SOURCE, "tools", "wine", "ensure-locale.sh")
ICON = os.path.join(SOURCE, "dist", "windows", "tarvel.ico")
# The folder Windows Installer keeps its own cache of products in: made on first use, as
# on Windows, and left (empty) when the last product is gone.
INSTALLER_CACHE = os.path.join("AppData", "Roaming", "Microsoft", "Installer")


def read_file(path):
    with open(path, "rb") as f:
        return f.read()


class Installation:
    def __init__(self, prefix):
        self.prefix = prefix
        self.users = os.path.join(prefix.path, "drive_c", "users")
        self.home = os.path.join(self.users, getpass.getuser())
        self.program = os.path.join(self.home, "AppData", "Local", "Programs", "Tarvel", "tarvel.exe")
        self.shortcut = os.path.join(self.home, "AppData", "Roaming", "Microsoft", "Windows", "Start Menu",
                                     "Programs", "Tarvel.lnk")

    def msiexec(self, action, package):
        """msiexec's exit code (Wine passes on its low 8 bits: 1603, a failed install, is 67).
        Without a wineserver kept alive (wineserver -p), which made msiexec /i take 30 s
        instead of 5 here."""
        done = subprocess.run([WINE, "msiexec", action, os.path.basename(package), "/qn"], cwd=os.path.dirname(package),
                              env=self.prefix.env(), stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=300)
        return done.returncode

    def listed(self):
        """{product code: name} of the installed programs, as Wine's uninstaller lists them."""
        output = self.prefix.run("uninstaller", "--list").stdout.decode("utf-8", "replace")
        entries = [line.split("|||") for line in output.splitlines() if "|||" in line]
        return {code: name for code, name in entries if "tarvel" in name.lower()}

    def user_paths(self):
        return {os.path.relpath(os.path.join(top, name), self.users)
                for top, dirs, files in os.walk(self.users) for name in dirs + files}

    def host_path(self, windows_path):
        """C:\\users\\... as a path on this side."""
        expect(windows_path[:3].upper() == "C:\\", f"{windows_path} is not on drive C:")
        return os.path.join(self.prefix.path, "drive_c", *windows_path[3:].split("\\"))


def read_link(path):
    """A shell link's target path (from its link information), working folder and icon
    location (from its string data), as [MS-SHLLINK] lays them out."""
    with open(path, "rb") as f:
        data = f.read()
    expect(data[:4] == b"\x4c\0\0\0", f"{path} is no shell link")
    flags = int.from_bytes(data[0x14:0x18], "little")
    at = 0x4C
    if flags & 0x1:  # an item list of the target
        at += 2 + int.from_bytes(data[at:at + 2], "little")
    target = None
    if flags & 0x2:  # link information, with the target's local path
        info = data[at:at + int.from_bytes(data[at:at + 4], "little")]
        base = int.from_bytes(info[16:20], "little")
        target = info[base:info.index(b"\0", base)].decode("cp1252")
        at += len(info)
    unicode = bool(flags & 0x80)
    strings = {}
    for bit, name in ((0x4, "description"), (0x8, "relative path"), (0x10, "working folder"),
                      (0x20, "arguments"), (0x40, "icon")):
        if flags & bit:
            count = int.from_bytes(data[at:at + 2], "little")
            size = 2 * count if unicode else count
            # Wine counts the terminating null too
            strings[name] = data[at + 2:at + 2 + size].decode("utf-16-le" if unicode else "cp1252").rstrip("\0")
            at += 2 + size
    return target, strings


def check_installed(installation, program):
    expect(os.path.isfile(installation.program), f"no program at {installation.program}")
    expect(read_file(installation.program) == program, "the installed tarvel.exe differs from the zip's")
    expect(os.path.isfile(installation.shortcut), f"no Start-menu shortcut at {installation.shortcut}")
    target, strings = read_link(installation.shortcut)
    expect(target and os.path.samefile(installation.host_path(target), installation.program),
           f"the shortcut points to {target}, not to the installed program")
    icon = strings.get("icon")
    expect(icon and read_file(installation.host_path(icon)) == read_file(ICON),
           f"the shortcut's icon {icon} is not the project's")
    print(f"installed: {os.path.relpath(installation.program, installation.prefix.path)}, the zip's bytes; "
          f"shortcut to it with the icon {icon}")


def run(args):
    with zipfile.ZipFile(os.path.join(args.release, f"tarvel-{args.version}-windows-x64.zip")) as archive:
        program = archive.read(f"tarvel-{args.version}/tarvel.exe")
    package = os.path.abspath(os.path.join(args.release, f"tarvel-{args.version}-windows-x64.msi"))

    # The same program, told apart by bytes after its image (which Windows never loads),
    # packaged with the next version.
    shutil.rmtree(args.workdir, ignore_errors=True)
    os.makedirs(args.workdir)
    major, minor, patch = args.version.split(".")
    newer_version = f"{major}.{minor}.{int(patch) + 1}"
    newer_program = program + b"the newer package"
    newer_exe = os.path.join(args.workdir, "tarvel.exe")
    with open(newer_exe, "wb") as f:
        f.write(newer_program)
    newer = os.path.join(args.workdir, f"tarvel-{newer_version}-windows-x64.msi")
    subprocess.run([sys.executable, os.path.join(SOURCE, "tools", "release.py"), "msi", "--build-dir", args.build_dir,
                    "--exe", newer_exe, "--version", newer_version, "--output", newer], check=True)

    subprocess.run([ENSURE_LOCALE], check=True)
    prefix = Prefix(args.prefix)
    started = time.monotonic()
    prefix.create()
    print(f"fresh Wine prefix in {time.monotonic() - started:.1f} s")
    installation = Installation(prefix)
    before = installation.user_paths()

    code = installation.msiexec("/i", package)
    expect(code == 0, f"msiexec /i {os.path.basename(package)} /qn failed ({code})")
    check_installed(installation, program)
    listed = installation.listed()
    expect(len(listed) == 1, f"installed programs: {listed}")
    first_code = next(iter(listed))
    print(f"listed: {listed}")

    play = subprocess.run([sys.executable, os.path.join(SOURCE, "tests", "windows", "wine_e2e.py"),
                           "--exe", installation.program, "--prefix", prefix.path,
                           "--workdir", os.path.join(args.workdir, "play"), "--scenario", "click"])
    expect(play.returncode == 0, "the installed game did not play (wine_e2e.py, scenario click)")

    code = installation.msiexec("/i", newer)
    expect(code == 0, f"msiexec /i {os.path.basename(newer)} /qn failed ({code})")
    listed = installation.listed()
    expect(len(listed) == 1 and first_code not in listed, f"after the upgrade, installed programs: {listed}")
    expect(read_file(installation.program) == newer_program, "the upgrade left the older tarvel.exe")
    print(f"upgrade to {newer_version}: one entry {listed}, the newer program")

    code = installation.msiexec("/i", package)
    expect(code != 0, f"{os.path.basename(package)} installed over {newer_version}")
    after = installation.listed()
    expect(after == listed, f"after the refused downgrade, installed programs: {after}")
    expect(read_file(installation.program) == newer_program, "the refused downgrade changed tarvel.exe")
    print(f"{args.version} over {newer_version}: refused (exit code {code}), nothing changed")

    code = installation.msiexec("/x", newer)
    expect(code == 0, f"msiexec /x {os.path.basename(newer)} /qn failed ({code})")
    after = installation.listed()
    expect(not after, f"after removal, installed programs: {after}")
    prefix.kill_server()  # writes the registry out
    left = installation.user_paths() - before
    cache = os.path.join(os.path.relpath(installation.home, installation.users), INSTALLER_CACHE)
    expect(left <= {cache} and not os.listdir(os.path.join(installation.users, cache)),
           f"left in the user's folders after removal: {sorted(left)}")
    for hive in ("user.reg", "system.reg"):
        with open(os.path.join(prefix.path, hive), encoding="utf-8", errors="replace") as f:
            kept = [line for line in f if "tarvel" in line.lower()]
        expect(not kept, f"left in the registry ({hive}) after removal: {kept[:5]}")
    print("removed: nothing of Tarvel left in the user's folders, the registry or the installed programs")
    shutil.rmtree(prefix.path)  # 700 MB; kept when the test fails


def main():
    parser = argparse.ArgumentParser()
    for option in ("--release", "--version", "--build-dir", "--prefix", "--workdir"):
        parser.add_argument(option, required=True)
    args = parser.parse_args()
    started = time.monotonic()
    try:
        run(args)
    except (TestFailure, subprocess.CalledProcessError, subprocess.TimeoutExpired, OSError) as failure:
        print(f"FAIL: {failure}")
        return 1
    print(f"PASS ({time.monotonic() - started:.0f} s)")
    return 0


if __name__ == "__main__":
    sys.exit(main())
