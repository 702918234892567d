#!/usr/bin/env python3
"""The downloads of a release (`make release`), in BUILD_DIR/release and nothing else there:

  tarvel_<version>_amd64.deb          the Debian package, as `make package` built it
  tarvel_<version>_arm64.deb          the same for ARM, as `make package-arm64` built it
  tarvel-<version>-windows-x64.msi    the Windows installer (per user, wixl)
  tarvel-<version>-windows-x64.zip    tarvel.exe, LICENSE.txt and README.txt in tarvel-<version>/
  tarvel-<version>.tar.gz             the source of the commit checked out (git archive)
  SHA256SUMS                          the five files' sums, as `sha256sum -c` reads them

The name, version and publisher come from the CMake project, through the release.json its
configuration writes into BUILD_DIR. tarvel.exe is WINDOWS_DIR's, stripped of its debug
information (the build tree keeps it). The zip and the tarball depend on nothing but their
contents and SOURCE_DATE_EPOCH (the commit's time unless set): entries sorted, times fixed,
owners and modes normalised.

Usage: release.py [--build-dir build] [--windows-dir build-windows] [--out DIR]
       release.py msi --build-dir build --exe tarvel.exe --version VERSION --output FILE.msi
         (an installer of the given program labelled with another version, for the tests
         of upgrades)
"""

import argparse
import gzip
import hashlib
import io
import json
import os
import shutil
import subprocess
import sys
import tarfile
import tempfile
import time
import uuid
import xml.etree.ElementTree as ET
import zipfile

from debian_chroot import BUILD_RELEASE, this_release

SOURCE = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
WINDOWS = os.path.join(SOURCE, "dist", "windows")
WXS = os.path.join(WINDOWS, "tarvel.wxs")
ICON = os.path.join(WINDOWS, "tarvel.ico")
README = os.path.join(WINDOWS, "README.txt.in")
LICENSE = os.path.join(SOURCE, "LICENSE")
STRIP = "x86_64-w64-mingw32-strip"
# The namespace of the installers' package codes (set_package_code).
PACKAGE_CODES = uuid.UUID("0E7E4D3C-5B1A-4F7C-9A0E-2B6D8C1F3A57")
DOS_EPOCH = 315532800  # 1980-01-01, the earliest time a zip entry can hold


class ReleaseError(Exception):
    pass


def run(*args, **kwargs):
    done = subprocess.run(args, capture_output=True, **kwargs)
    if done.returncode != 0:
        raise ReleaseError(f"{' '.join(args)} failed ({done.returncode}):\n"
                           + (done.stdout + done.stderr).decode("utf-8", "replace"))
    return done


def project(build_dir):
    path = os.path.join(build_dir, "release.json")
    if not os.path.isfile(path):
        raise ReleaseError(f"{path} is missing: configure {build_dir} first (make package)")
    with open(path, encoding="utf-8") as f:
        return json.load(f)


def source_date_epoch(info, build_dir):
    """The time the build tree's configuration took (tools/source-date-epoch.sh), which its
    .deb carries: a caller's other SOURCE_DATE_EPOCH would give a release of two times."""
    epoch = info["source_date_epoch"]
    wanted = os.environ.get("SOURCE_DATE_EPOCH")
    if wanted and int(wanted) != epoch:
        raise ReleaseError(f"{build_dir} was configured with SOURCE_DATE_EPOCH={epoch}, not {wanted}:"
                           f" configure it again (cmake -S . -B {build_dir})")
    return epoch


def product_code(version):
    """The installer's product code: one per version, so that every newer version is a new
    product that replaces the older (a major upgrade), and two builds of one version agree.
    Derived from the fixed upgrade code, which names the product line in tarvel.wxs."""
    product = ET.parse(WXS).getroot().find("{http://schemas.microsoft.com/wix/2006/wi}Product")
    upgrade_code = uuid.UUID(product.get("UpgradeCode"))
    return str(uuid.uuid5(upgrade_code, version)).upper()


def build_msi(info, exe, version, output):
    """wixl reads its sources relative to its working directory (absolute paths fail), so
    the program and the icon are put beside each other in a folder of their own.

    wixl stamps the installer with the time of the build (summary information) and the
    files in its cabinet with their modification times, and gives it a random package code.
    So that one commit gives the same bytes, its clock is held at SOURCE_DATE_EPOCH
    (faketime), the files are dated then, and the package code is set afterwards to one
    derived from everything else in the installer (msibuild)."""
    epoch = info["source_date_epoch"]
    with tempfile.TemporaryDirectory(prefix="tarvel-msi-") as work:
        for source, name in ((exe, "tarvel.exe"), (ICON, "tarvel.ico")):
            shutil.copyfile(source, os.path.join(work, name))
            os.utime(os.path.join(work, name), (epoch, epoch))
        defines = {
            "Name": info["name"], "Version": version, "Publisher": info["publisher"],
            "ProductCode": product_code(version), "ExeFile": "tarvel.exe", "IconFile": "tarvel.ico",
        }
        if info["homepage"]:
            defines["HomePage"] = info["homepage"]
        clock = time.strftime("%Y-%m-%d %H:%M:%S", time.gmtime(epoch))
        args = ["faketime", "-f", clock, "wixl", "--arch", "x64", "-o", os.path.abspath(output)]
        for name, value in defines.items():
            args += ["-D", f"{name}={value}"]
        done = run(*args, WXS, cwd=work, env=dict(os.environ, TZ="UTC"))
        # wixl checks no Windows Installer rule, and an attribute it does not know is only
        # a warning: it builds an installer that lacks what was asked for.
        said = (done.stdout + done.stderr).decode("utf-8", "replace").strip()
        if said:
            raise ReleaseError(f"wixl warned while building {output}:\n{said}")
    set_package_code(output)


def set_package_code(msi):
    """Windows Installer tells packages apart by this code alone: two different installers
    must not share one. It is derived from the installer's bytes with a null code in its
    place, so the same installer always gets the same code and any other one another code.
    msibuild -s sets the summary's subject, author and template too: they are written back
    as wixl made them."""
    summary = dict(line.split(": ", 1) for line in
                   run("msiinfo", "suminfo", msi, env=dict(os.environ, LC_ALL="C")).stdout.decode("utf-8").splitlines()
                   if ": " in line)
    def stamp(code):
        run("msibuild", msi, "-s", summary["Subject"], summary["Author"], summary["Template"],
            "{%s}" % str(code).upper())
    stamp(uuid.UUID(int=0))
    stamp(uuid.uuid5(PACKAGE_CODES, sha256(msi)))


def windows_text(text, encoding):
    return text.replace("\r\n", "\n").replace("\n", "\r\n").encode(encoding)


def readme_file(version):
    """In Japanese and English, as UTF-8 with a byte-order mark: every Notepad then shows the
    Japanese right, whatever the system's language (without the mark, older ones read the
    system's ANSI code page; in code page 932 it would be right on Japanese systems only)."""
    with open(README, encoding="utf-8") as f:
        return b"\xef\xbb\xbf" + windows_text(f.read().replace("@VERSION@", version), "utf-8")


def license_text():
    """The licence, LICENSE at the top of the tree, as it is."""
    with open(LICENSE, encoding="ascii") as f:
        return f.read()


def write_zip(path, folder, files, epoch):
    """One folder; entries in name order, each with the same time and the plain attributes
    of the archive's own system (MS-DOS), whatever the files on disk say."""
    stamp = time.gmtime(max(epoch, DOS_EPOCH))[:6]
    with zipfile.ZipFile(path, "w") as archive:
        folder_entry = zipfile.ZipInfo(folder + "/", stamp)
        folder_entry.create_system = 0
        folder_entry.external_attr = 0x10  # directory
        archive.writestr(folder_entry, b"")
        for name in sorted(files):
            entry = zipfile.ZipInfo(f"{folder}/{name}", stamp)
            entry.create_system = 0
            entry.external_attr = 0x20  # archive, as a file fresh from a download
            entry.compress_type = zipfile.ZIP_DEFLATED
            archive.writestr(entry, files[name], compresslevel=9)


def write_tarball(path, prefix, epoch):
    """The committed sources under PREFIX/. git archive stamps its entries with the
    commit's time and writes modes after the user's tar.umask: both are set here instead."""
    stream = run("git", "-C", SOURCE, "archive", "--format=tar", f"--prefix={prefix}/", "HEAD").stdout
    tar_bytes = io.BytesIO()
    with tarfile.open(fileobj=io.BytesIO(stream)) as source, \
            tarfile.open(fileobj=tar_bytes, mode="w", format=tarfile.PAX_FORMAT,
                         pax_headers=source.pax_headers) as target:  # keeps the commit id
        for member in source.getmembers():
            member.mtime = epoch
            member.pax_headers.pop("mtime", None)
            member.uid = member.gid = 0
            member.uname = member.gname = "root"
            if member.isdir() or (member.isreg() and member.mode & 0o111):
                member.mode = 0o755
            elif member.isreg():
                member.mode = 0o644
            target.addfile(member, source.extractfile(member) if member.isreg() else None)
    with open(path, "wb") as f, gzip.GzipFile(filename="", mode="wb", fileobj=f, mtime=0, compresslevel=9) as gz:
        gz.write(tar_bytes.getvalue())


def sha256(path):
    digest = hashlib.sha256()
    with open(path, "rb") as f:
        for block in iter(lambda: f.read(1 << 20), b""):
            digest.update(block)
    return digest.hexdigest()


def release(build_dir, windows_dir, out):
    info = project(build_dir)
    version = info["version"]
    epoch = source_date_epoch(info, build_dir)
    # The tools take their time stamps from it too: strip writes it into the program's header.
    os.environ["SOURCE_DATE_EPOCH"] = str(epoch)
    exe = os.path.join(windows_dir, "tarvel.exe")
    for needed, made_by in ((exe, "make windows"), (info["deb"], "make package"),
                            (info["deb_arm64"], "make package-arm64")):
        if not os.path.isfile(needed):
            raise ReleaseError(f"{needed} is missing: {made_by} builds it")
    arm64_epoch = project(os.path.dirname(info["deb_arm64"]))["source_date_epoch"]
    if arm64_epoch != epoch:
        raise ReleaseError(f"{info['deb_arm64']} was built with SOURCE_DATE_EPOCH={arm64_epoch}, not {epoch}:"
                           " build it again (make package-arm64)")
    if this_release() != BUILD_RELEASE:
        print(f"note: this machine is not Debian 12: its .deb requires its newer libraries and installs on no"
              f" older release; the published .deb are built on Debian 12", file=sys.stderr)
    if run("git", "-C", SOURCE, "status", "--porcelain", "--untracked-files=no").stdout:
        print("note: the tarball holds the commit HEAD, without the changes not committed", file=sys.stderr)

    os.makedirs(out, exist_ok=True)
    with tempfile.TemporaryDirectory(prefix="release-", dir=build_dir) as staging:
        stripped = os.path.join(staging, "tarvel.exe")
        run(STRIP, "--strip-all", "-o", stripped, exe)
        names = {
            "deb": os.path.basename(info["deb"]),
            "deb_arm64": os.path.basename(info["deb_arm64"]),
            "msi": f"tarvel-{version}-windows-x64.msi",
            "zip": f"tarvel-{version}-windows-x64.zip",
            "tar": f"tarvel-{version}.tar.gz",
        }
        for deb in ("deb", "deb_arm64"):
            shutil.copyfile(info[deb], os.path.join(staging, names[deb]))
        build_msi(info, stripped, version, os.path.join(staging, names["msi"]))
        with open(stripped, "rb") as f:
            program = f.read()
        write_zip(os.path.join(staging, names["zip"]), f"tarvel-{version}",
                  {"tarvel.exe": program, "README.txt": readme_file(version),
                   "LICENSE.txt": windows_text(license_text(), "ascii")}, epoch)
        write_tarball(os.path.join(staging, names["tar"]), f"tarvel-{version}", epoch)
        with open(os.path.join(staging, "SHA256SUMS"), "w", encoding="ascii", newline="\n") as f:
            for name in sorted(names.values()):
                f.write(f"{sha256(os.path.join(staging, name))}  {name}\n")

        # The folder holds one release only: what an earlier run left goes first.
        for old in os.listdir(out):
            old = os.path.join(out, old)
            if os.path.isdir(old) and not os.path.islink(old):
                shutil.rmtree(old)
            else:
                os.remove(old)
        for name in sorted(names.values()) + ["SHA256SUMS"]:
            os.replace(os.path.join(staging, name), os.path.join(out, name))
            os.chmod(os.path.join(out, name), 0o644)
            print(f"{os.path.join(out, name)} ({os.path.getsize(os.path.join(out, name))} bytes)")


def main():
    if len(sys.argv) > 1 and sys.argv[1] == "msi":
        parser = argparse.ArgumentParser(prog="release.py msi")
        parser.add_argument("--build-dir", default="build")
        parser.add_argument("--exe", required=True)
        parser.add_argument("--version", required=True)
        parser.add_argument("--output", required=True)
        args = parser.parse_args(sys.argv[2:])
        action = lambda: build_msi(project(args.build_dir), args.exe, args.version, args.output)
    else:
        parser = argparse.ArgumentParser(description="The downloads of a release, in BUILD_DIR/release.")
        parser.add_argument("--build-dir", default="build", help="the Linux build, with its .deb (default: build)")
        parser.add_argument("--windows-dir", default="build-windows",
                            help="the Windows build, with its tarvel.exe (default: build-windows)")
        parser.add_argument("--out", help="where the files go (default: BUILD_DIR/release); emptied first")
        args = parser.parse_args()
        out = args.out or os.path.join(args.build_dir, "release")
        action = lambda: release(args.build_dir, args.windows_dir, out)
    try:
        action()
    except (ReleaseError, OSError) as error:
        print(f"release: {error}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
