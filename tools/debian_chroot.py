#!/usr/bin/env python3
"""Minimal Debian systems in folders of their own (chroots), made once and kept, for what
the build machine's own system cannot show: the arm64 package, cross-built on Debian 12
whatever the build machine runs, and the packages installed and played on each Debian
release as a new user's machine would have it.

  debian_chroot.py path RELEASE             makes the chroot of RELEASE (bookworm, trixie)
                                            once, and prints its folder
  debian_chroot.py build-arm64 SOURCE TREE  configures and builds the arm64 package of
                                            SOURCE into the folder TREE (target tarvel_deb)

The chroots live in TARVEL_CHROOT_DIR (default /var/cache/tarvel/chroots): a release's
minimal system (debootstrap --variant=minbase, about 30 s and 210 MB each) and the arm64
build system (Debian 12 with the cross compiler and the arm64 libraries beside it, about
3 minutes and 1.3 GB the first time). Debian's archive is TARVEL_DEBIAN_MIRROR (default
http://deb.debian.org/debian). A chroot older than a day is brought up to date before use.

Chroots, mounts and the programs inside need root: run as root, or the script runs itself
again through sudo.
"""
import contextlib
import fcntl
import os
import shutil
import subprocess
import sys
import time

CHROOTS = os.environ.get("TARVEL_CHROOT_DIR", "/var/cache/tarvel/chroots")
MIRROR = os.environ.get("TARVEL_DEBIAN_MIRROR", "http://deb.debian.org/debian")
RELEASES = ("bookworm", "trixie")
BUILD_RELEASE = "bookworm"  # packages built on Debian 12 install on 12 and 13 alike
ARM64_BUILD = "bookworm-arm64-build"
# What the arm64 build needs beside the minimal system: the build machine's tools (windres
# compiles the resource script on any machine) and the target's compiler and libraries.
ARM64_BUILD_PACKAGES = (
    "cmake make pkg-config dpkg-dev file binutils-mingw-w64-x86-64 gcc "  # windres preprocesses with gcc
    "g++-aarch64-linux-gnu libsdl2-dev:arm64 libsdl2-ttf-dev:arm64 libfontconfig-dev:arm64 libx11-dev:arm64"
).split()
READY = ".tarvel-ready"  # written last: a chroot without it was not finished
REFRESH_AFTER = 24 * 3600
ENV = {"PATH": "/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin", "HOME": "/root",
       "LC_ALL": "C.UTF-8", "TZ": "UTC", "DEBIAN_FRONTEND": "noninteractive"}
APT = ["apt-get", "-y", "-q", "-o", "APT::Install-Recommends=false", "-o", "Dpkg::Use-Pty=0"]
APT_UPDATE = ["apt-get", "-q", "update"]


class ChrootError(Exception):
    pass


def run(args, **kwargs):
    done = subprocess.run(args, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, **kwargs)
    if done.returncode != 0:
        raise ChrootError(f"{' '.join(args)} failed ({done.returncode}):\n"
                          + done.stdout.decode("utf-8", "replace")[-6000:])
    return done.stdout.decode("utf-8", "replace")


def this_release():
    """The code name of this machine's Debian release."""
    with open("/etc/os-release", encoding="utf-8") as f:
        fields = dict(line.rstrip("\n").split("=", 1) for line in f if "=" in line)
    return fields.get("VERSION_CODENAME", "").strip('"')


def mounts_under(path):
    """The mount points at or below PATH, deepest first."""
    path = os.path.realpath(path)
    points = []
    with open("/proc/self/mountinfo") as f:
        for line in f:
            point = line.split()[4].replace("\\040", " ")
            if point == path or point.startswith(path + "/"):
                points.append(point)
    return sorted(points, key=len, reverse=True)


def unmount_all(path):
    for point in mounts_under(path):
        subprocess.run(["umount", "--lazy", point], check=False)


def remove(path):
    """Deletes a chroot, never what is mounted into it (a bound /dev is the host's)."""
    unmount_all(path)
    if mounts_under(path):
        raise ChrootError(f"{path} still has mounts: {mounts_under(path)}")
    if os.path.lexists(path):
        run(["rm", "-rf", "--one-file-system", path])


@contextlib.contextmanager
def mounted(root, binds=()):
    """The kernel's file systems in ROOT, and BINDS (host folder, folder in the chroot),
    for as long as the block runs. The mounts are slaves: unmounting them never reaches the
    host's."""
    try:
        for name in ("proc", "sys", "dev"):
            target = os.path.join(root, name)
            os.makedirs(target, exist_ok=True)
            run(["mount", "--rbind", "/" + name, target])
            run(["mount", "--make-rslave", target])
        for host, inside in binds:
            target = os.path.join(root, inside.lstrip("/"))
            os.makedirs(target, exist_ok=True)
            run(["mount", "--bind", host, target])
        shutil.copyfile("/etc/resolv.conf", os.path.join(root, "etc/resolv.conf"))
        yield root
    finally:
        for inside in ("proc", "sys", "dev", *(inside for _, inside in binds)):
            unmount_all(os.path.join(root, inside.lstrip("/")))


def inside(root, args, env=None, user=None, **kwargs):
    """Runs ARGS in the chroot with a plain environment; its output, or ChrootError."""
    as_user = [f"--userspec={user}"] if user else []
    return run(["chroot", *as_user, root, *args], env=dict(ENV, **(env or {})), **kwargs)


def sources(release):
    security = "http://deb.debian.org/debian-security"
    return (f"deb {MIRROR} {release} main\n"
            f"deb {MIRROR} {release}-updates main\n"
            f"deb {security} {release}-security main\n")


def make_release(root, release):
    run(["debootstrap", "--variant=minbase", release, root, MIRROR])
    with open(os.path.join(root, "etc/apt/sources.list"), "w") as f:
        f.write(sources(release))
    # Packages never start services in a chroot.
    policy = os.path.join(root, "usr/sbin/policy-rc.d")
    with open(policy, "w") as f:
        f.write("#!/bin/sh\nexit 101\n")
    os.chmod(policy, 0o755)
    upgrade(root)


def make_arm64_build(root):
    copy(BUILD_RELEASE, root)
    with mounted(root):
        inside(root, ["dpkg", "--add-architecture", "arm64"])
    install_arm64_build_packages(root)


def install_arm64_build_packages(root):
    with mounted(root):
        inside(root, APT_UPDATE)
        # Adding arm64 must not take away anything the build system has.
        plan = inside(root, APT + ["-s", "install", *ARM64_BUILD_PACKAGES])
        if any(line.startswith("Remv ") for line in plan.splitlines()):
            raise ChrootError("the arm64 packages would remove others:\n" + plan)
        inside(root, APT + ["install", *ARM64_BUILD_PACKAGES])
        inside(root, APT + ["clean"])


def upgrade(root):
    with mounted(root):
        inside(root, APT_UPDATE)
        inside(root, APT + ["dist-upgrade"])
        inside(root, APT + ["clean"])


def contents(name):
    """What a finished chroot NAME holds, as its stamp says."""
    return name + ("\n" + " ".join(ARM64_BUILD_PACKAGES) if name == ARM64_BUILD else "") + "\n"


@contextlib.contextmanager
def using(name):
    """The folder of chroot NAME, made or brought up to date first if need be, for the
    caller alone while the block runs: builds and tests side by side wait for each other,
    and what a process killed while using it left mounted there is taken away."""
    os.makedirs(CHROOTS, exist_ok=True)
    root = os.path.join(CHROOTS, name)
    with open(root + ".lock", "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        unmount_all(root)
        ready = os.path.join(root, READY)
        if not os.path.exists(ready):
            make(name, root)
        else:
            with open(ready) as f:
                if f.read() != contents(name):  # made for a list of packages since changed
                    install_arm64_build_packages(root)
                    with open(ready, "w") as stamp:
                        stamp.write(contents(name))
            if time.time() - os.path.getmtime(ready) > REFRESH_AFTER:
                upgrade(root)
                os.utime(ready)
        yield root


def make(name, root):
    started = time.monotonic()
    print(f"debian_chroot: making {root} (once)", file=sys.stderr, flush=True)
    partial = root + ".partial"
    remove(partial)
    remove(root)
    os.makedirs(partial)
    if name in RELEASES:
        make_release(partial, name)
    elif name == ARM64_BUILD:
        make_arm64_build(partial)
    else:
        raise ChrootError(f"no chroot is called {name}")
    with open(os.path.join(partial, READY), "w") as f:
        f.write(contents(name))
    os.rename(partial, root)
    print(f"debian_chroot: made {root} in {time.monotonic() - started:.0f} s", file=sys.stderr, flush=True)


def copy(name, root):
    """A fresh copy of chroot NAME at ROOT, for changes that must not stay."""
    remove(root)
    os.makedirs(os.path.dirname(root), exist_ok=True)
    with using(name) as original:
        run(["cp", "-a", "--reflink=auto", original, root])


def build_arm64(source, tree):
    """The arm64 package of SOURCE, cross-built in the arm64 build chroot into TREE. The
    sources and the tree are seen there as /src and /build, whatever their folders here, so
    the build holds no path of this machine; files in TREE belong to the caller."""
    os.makedirs(tree, exist_ok=True)
    epoch = os.environ.get("SOURCE_DATE_EPOCH") or run(["sh", os.path.join(source, "tools/source-date-epoch.sh")]).strip()
    uid, gid = os.environ.get("SUDO_UID", str(os.getuid())), os.environ.get("SUDO_GID", str(os.getgid()))
    env = {"SOURCE_DATE_EPOCH": epoch, "HOME": "/tmp"}
    configure = ["cmake", "-S", "/src", "-B", "/build", "-DCMAKE_TOOLCHAIN_FILE=/src/cmake/aarch64-linux-gnu.cmake",
                 "-DCMAKE_BUILD_TYPE=RelWithDebInfo", "-DBUILD_TESTING=OFF"]
    with using(ARM64_BUILD) as root, mounted(root, binds=((source, "/src"), (tree, "/build"))):
        inside(root, configure, env=env, user=f"{uid}:{gid}")
        output = inside(root, ["cmake", "--build", "/build", "-j", str(os.cpu_count() or 1), "--target", "tarvel_deb"],
                        env=env, user=f"{uid}:{gid}")
    debs = [name for name in os.listdir(tree) if name.endswith("_arm64.deb")]
    if len(debs) != 1:
        raise ChrootError(f"the arm64 build left {debs} in {tree}:\n{output[-3000:]}")
    print(os.path.join(tree, debs[0]))


def main():
    if os.geteuid() != 0:
        os.execvp("sudo", ["sudo", "--preserve-env=SOURCE_DATE_EPOCH,TARVEL_CHROOT_DIR,TARVEL_DEBIAN_MIRROR",
                           sys.executable, os.path.abspath(__file__), *sys.argv[1:]])
    args = sys.argv[1:]
    try:
        if len(args) == 2 and args[0] == "path":
            with using(args[1]) as root:
                print(root)
        elif len(args) == 3 and args[0] == "build-arm64":
            build_arm64(os.path.realpath(args[1]), os.path.realpath(args[2]))
        else:
            sys.exit(__doc__)
    except ChrootError as error:
        print(f"debian_chroot: {error}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
