"""The release of one commit built twice, one build after the other, by `make release` as a
user runs it, and every file compared byte for byte: the .deb, the Windows installer, the
zip and the tarvel.exe inside it, the source tarball, SHA256SUMS, the Linux program
(build/tarvel) and the unstripped tarvel.exe of the Windows build tree.

The two builds differ in everything a build must not depend on: the folder of the sources
and of the build trees (names of other lengths), the umask (022 and 077), the locale (C
and Japanese), the time zone (UTC and Tokyo), the files' times and modes in the checkout
(the second one is a fresh clone holding the same files as the first, made under 077), and
the time of the build. Neither build is given SOURCE_DATE_EPOCH: the project's own default
(the commit's date) is what is checked. No file may hold a path of either build.

A difference names the file and the first byte that differs, with diffoscope's summary when
diffoscope is installed (the whole report is left in WORKDIR).

Usage: reproducible.py SOURCE WORKDIR
"""
import os
import shutil
import subprocess
import sys
import tarfile
import gzip
import io
import time
import zipfile


def run(args, log=None, **kwargs):
    done = subprocess.run(args, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, **kwargs)
    if log:
        with open(log, "ab") as f:
            f.write(done.stdout)
    if done.returncode != 0:
        tail = done.stdout.decode("utf-8", "replace")[-4000:]
        raise AssertionError(f"{' '.join(args)} failed ({done.returncode}):\n{tail}")
    return done.stdout


def copy_checkout(source, dest):
    """A clone of the commit checked out in SOURCE holding SOURCE's files as they are now,
    changes not yet committed included: its HEAD, and so its tarball and its date, are
    SOURCE's, and its files have this process's umask and the time of the copy."""
    mask = os.umask(0)
    os.umask(mask)
    run(["git", "clone", "--quiet", "--shared", "--no-checkout", source, dest])
    head = run(["git", "-C", source, "rev-parse", "HEAD"]).decode().strip()
    run(["git", "-C", dest, "checkout", "--quiet", "--detach", head])
    listed = run(["git", "-C", source, "ls-files", "-z", "--cached", "--others", "--exclude-standard"])
    for name in sorted(set(listed.decode("utf-8").split("\0")) - {""}):
        here, there = os.path.join(source, name), os.path.join(dest, name)
        if os.path.lexists(there) and not os.path.lexists(here):
            os.remove(there)  # deleted in SOURCE, not yet committed
        elif os.path.isfile(here) and not os.path.islink(here):
            os.makedirs(os.path.dirname(there), exist_ok=True)
            shutil.copyfile(here, there)
            os.chmod(there, (0o777 if os.access(here, os.X_OK) else 0o666) & ~mask)


def build(tree, source, umask, locale, zone):
    """make release into TREE/build and TREE/build-windows, with its own umask, locale and
    time zone, and nothing of the make and the SOURCE_DATE_EPOCH this test runs under."""
    env = {key: value for key, value in os.environ.items()
           if key not in ("SOURCE_DATE_EPOCH", "MAKEFLAGS", "MFLAGS", "MAKELEVEL", "MAKEOVERRIDES")
           and not key.startswith("LC_")}
    env.update(LANG=locale, LC_ALL=locale, TZ=zone)
    started = time.monotonic()
    run(["make", "--no-print-directory", "-C", source, "release",
         f"BUILD_DIR={tree}/build", f"WINDOWS_DIR={tree}/build-windows"],
        log=os.path.join(tree, "make.log"), env=env, preexec_fn=lambda: os.umask(umask))
    print(f"built {tree} (umask {umask:03o}, {locale}, {zone}) in {time.monotonic() - started:.0f} s", flush=True)


def first_difference(a, b):
    for offset, (x, y) in enumerate(zip(a, b)):
        if x != y:
            return f"byte {offset} (0x{offset:x}): {x:02x} against {y:02x}"
    return f"one is a prefix of the other ({len(a)} and {len(b)} bytes)"


def explain(name, a, b, workdir):
    """What differs, for the report: the first byte, then diffoscope's summary if it is there."""
    lines = [f"{name} differs: {a} and {b}"]
    with open(a, "rb") as fa, open(b, "rb") as fb:
        lines.append("  first difference at " + first_difference(fa.read(), fb.read()))
    if shutil.which("diffoscope"):
        report = os.path.join(workdir, "diffoscope-" + name.replace("/", "_") + ".txt")
        try:
            subprocess.run(["diffoscope", "--no-progress", "--text", report, a, b],
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=900)
        except subprocess.TimeoutExpired:
            lines.append("  (diffoscope did not finish in 15 minutes)")
        if os.path.exists(report):
            with open(report, encoding="utf-8", errors="replace") as f:
                summary = f.read().splitlines()
            lines += ["  " + line for line in summary[:80]]
            if len(summary) > 80:
                lines.append(f"  ... {len(summary) - 80} lines more in {report}")
    return "\n".join(lines)


def contents(path):
    """The bytes to search for paths: a file, or the files inside a package or an archive."""
    with open(path, "rb") as f:
        data = f.read()
    if path.endswith(".deb"):
        return [run(["dpkg-deb", "--ctrl-tarfile", path]), run(["dpkg-deb", "--fsys-tarfile", path])]
    if path.endswith(".zip"):
        with zipfile.ZipFile(path) as archive:
            return [archive.read(entry) for entry in archive.namelist()]
    if path.endswith(".tar.gz"):
        return [gzip.decompress(data)]
    return [data]


def main():
    source, workdir = (os.path.realpath(arg) for arg in sys.argv[1:3])
    shutil.rmtree(workdir, ignore_errors=True)
    os.makedirs(workdir)
    locales = run(["locale", "-a"]).decode().split()
    japanese = "ja_JP.UTF-8" if "ja_JP.utf8" in locales else "C.UTF-8"

    first = os.path.join(workdir, "a")
    second = os.path.join(workdir, "tree-of-another-name-" + "b" * 16)
    os.makedirs(first)
    os.makedirs(second)
    build(first, source, 0o022, "C", "UTC")
    old = os.umask(0o077)
    try:
        copy = os.path.join(second, "sources-of-tarvel")
        copy_checkout(source, copy)
    finally:
        os.umask(old)
    build(second, copy, 0o077, japanese, "Asia/Tokyo")

    files = {}
    for tree in (first, second):
        release = os.path.join(tree, "build", "release")
        names = sorted(os.listdir(release))
        files.setdefault("release", names)
        if names != files["release"]:
            raise AssertionError(f"the releases hold other files: {files['release']} and {names}")
    compared = ["release/" + name for name in files["release"]] + ["tarvel", "windows/tarvel.exe"]
    if not any(name.endswith(".zip") for name in compared) or not any(name.endswith(".deb") for name in compared):
        raise AssertionError(f"no .deb or no zip among the release's files: {files['release']}")

    def where(tree, name):
        if name.startswith("release/"):
            return os.path.join(tree, "build", name)
        if name.startswith("windows/"):
            return os.path.join(tree, "build-windows", name[len("windows/"):])
        return os.path.join(tree, "build", name)

    failures = []
    for name in compared:
        a, b = where(first, name), where(second, name)
        with open(a, "rb") as fa, open(b, "rb") as fb:
            same = fa.read() == fb.read()
        if not same:
            failures.append(explain(name, a, b, workdir))
        if name.endswith(".zip"):
            with zipfile.ZipFile(a) as za, zipfile.ZipFile(b) as zb:
                for entry in sorted(set(za.namelist()) | set(zb.namelist())):
                    if entry not in za.namelist() or entry not in zb.namelist() or za.read(entry) != zb.read(entry):
                        failures.append(f"{name}: {entry} differs or is missing in one")
        # No path of either build, in the file or inside it.
        needles = [source.encode(), workdir.encode(), copy.encode()]
        for tree in (first, second):
            for blob in contents(where(tree, name)):
                for needle in needles:
                    if needle in blob:
                        failures.append(f"{where(tree, name)} holds the path {needle.decode()}")
    if failures:
        raise AssertionError("\n".join(failures))
    print(f"the same in both builds: {', '.join(compared)}")
    shutil.rmtree(workdir)


if __name__ == "__main__":
    try:
        main()
    except AssertionError as failure:
        print(failure, file=sys.stderr)
        sys.exit(1)
