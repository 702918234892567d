"""The Debian package as a user receives it: its control fields and files, its metadata
checked by Debian's own validators, the addresses it gives, apt's view of it, and the
program started from the package's files alone.

Usage: package_test.py DEB VERSION metadata|apt
       package_test.py DEB VERSION contents RELEASE_JSON
       package_test.py DEB VERSION start GOLDEN_OPENING_PNG
       package_test.py DEB VERSION installed RELEASE GOLDEN_OPENING_PNG WORKDIR
         (as root: in a minimal chroot of the Debian RELEASE; exit 77 where it cannot apply)

RELEASE_JSON is the project's identity as the build configured it (dist/CMakeLists.txt).
"""
import configparser
import json
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile

APP_ID = "org.tarvel.tarvel"
ICON_SIZES = (16, 32, 48, 64, 128, 256)
HERE = os.path.dirname(os.path.abspath(__file__))
MACHINES = {"amd64": "Advanced Micro Devices X86-64", "arm64": "AArch64"}  # readelf's names
SKIPPED = 77
LICENSE = os.path.join(HERE, "..", "..", "LICENSE")
# The one web address every Debian copyright file gives, whoever made the package: its format's.
COPYRIGHT_FORMAT = "https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/"


def check(condition, message):
    if not condition:
        raise AssertionError(message)


def output(*args, **kwargs):
    """stdout and stderr of a command together, and its exit code."""
    done = subprocess.run(args, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True, **kwargs)
    return done.stdout, done.returncode


def extract(deb):
    root = tempfile.mkdtemp(prefix="tarvel-package-")
    subprocess.run(["dpkg-deb", "-x", deb, root], check=True)
    return root


def desktop_entry(root):
    parser = configparser.RawConfigParser(strict=True)
    parser.optionxform = str  # keys are case-sensitive
    with open(os.path.join(root, "usr/share/applications", APP_ID + ".desktop"), encoding="utf-8") as f:
        parser.read_file(f)
    return parser["Desktop Entry"]


def png_size(path):
    with open(path, "rb") as f:
        head = f.read(24)
    check(head[:8] == b"\x89PNG\r\n\x1a\n" and head[12:16] == b"IHDR", path + " is no PNG")
    return struct.unpack(">II", head[16:24])


def control_field(deb, name):
    return subprocess.run(["dpkg-deb", "-f", deb, name], check=True, capture_output=True, text=True).stdout.strip()


def appstream_version():
    text, _ = output("appstreamcli", "--version")
    match = re.search(r"(\d+)\.(\d+)", text)
    check(match, "appstreamcli --version: " + text)
    return int(match.group(1)), int(match.group(2))


def accepted_appstream_remarks(deb):
    """What the validator may say of the metainfo, by its version."""
    if appstream_version() < (1, 0):
        # <developer id="..."><name> is how AppStream 1.0 names the developer, and 1.0 remarks
        # on the <developer_name> it replaces. AppStream 0.16 (Debian 12) predates the element
        # and says only that it does not know it: an info remark, which fails nothing.
        return {("I", "unknown-tag developer")}
    if not control_field(deb, "Homepage"):
        # From AppStream 1.0.2 on, a component without a homepage is warned about; AppStream
        # lets that warning be lowered for a component that has none, as Tarvel has none yet
        # (the package names none either). Once it has one, this remark fails the test.
        return {("W", "url-homepage-missing")}
    return set()


def check_metadata(deb, version):
    """The launcher, the metainfo and the package pass Debian's validators without a remark,
    but for those of accepted_appstream_remarks."""
    root = extract(deb)
    try:
        desktop = os.path.join(root, "usr/share/applications", APP_ID + ".desktop")
        text, code = output("desktop-file-validate", desktop)
        check(code == 0 and text == "", "desktop-file-validate: " + text)

        metainfo = os.path.join(root, "usr/share/metainfo", APP_ID + ".metainfo.xml")
        accepted = accepted_appstream_remarks(deb)
        warned = False
        # The metainfo alone, and the installed tree as lintian has it validated (the launcher
        # and the icons the metainfo names included).
        for validate in (["validate", "--pedantic", metainfo], ["validate-tree", root]):
            text, code = output("appstreamcli", validate[0], "--no-net", "--no-color", *validate[1:])
            # Each remark as its severity and its tag with the hint, without the line it is on.
            remarks = re.findall(r"^\s*([EWIP]): \S+: (.*)$", text, re.M)
            warned |= any(severity in "EW" for severity, _ in remarks)
            check(all(remark in accepted for remark in remarks) and (code == 0 or warned),
                  "appstreamcli %s (accepting %s):\n%s" % (validate[0], sorted(accepted), text))
    finally:
        shutil.rmtree(root)

    text, code = output("lintian", "--pedantic", deb)
    tags = [line for line in text.splitlines() if re.match(r"^[EW]: ", line)
            # lintian fails the tree's validation on any warning: the remarks were judged above.
            and not (warned and re.match(r"^W: tarvel: appstream-metadata-validation-failed ", line))]
    check(not tags and code == 0, "lintian:\n" + text)


def check_addresses(texts, project):
    """The package gives the project's web and mail addresses and no other: while the project
    has none, only the maintainer's stand-in under .invalid, the domain that never exists."""
    web = {project[name] for name in ("homepage", "bugtracker") if project[name]} | {COPYRIGHT_FORMAT}
    for name, text in texts.items():
        for url in re.findall(r"\b(?:https?|ftp)://[^\s<>\"')]+", text):
            check(url in web, "%s names %s, not an address of the project's %s" % (name, url, sorted(web)))
        for mail in re.findall(r"[\w.+-]+@[\w-]+(?:\.[\w-]+)+", text):
            check(mail == project["mail"] if project["mail"] else mail.endswith(".invalid"),
                  "%s names the mail address %s, not the project's (%s)" % (name, mail, project["mail"] or "none"))


def check_contents(deb, version, release_json):
    """Where every file lands, the control fields, one version and one app ID everywhere, and
    the addresses the package gives."""
    with open(release_json, encoding="utf-8") as f:
        project = json.load(f)
    fields = {}
    for name in ("Package", "Version", "Architecture", "Section", "Depends", "Description"):
        fields[name] = control_field(deb, name)
    check(fields["Package"] == "tarvel", "package name " + fields["Package"])
    check(fields["Version"] == version, "package version %s, the project's %s" % (fields["Version"], version))
    check(fields["Section"] == "games", "section " + fields["Section"])
    depends = [d.strip() for d in fields["Depends"].split(",")]
    for library in ("libsdl2-2.0-0", "libsdl2-ttf-2.0-0"):
        check(any(d.startswith(library + " ") or d == library for d in depends),
              "Depends lacks %s: %s" % (library, fields["Depends"]))
    check("fonts-ipafont-gothic | fonts-japanese-gothic" in depends, "Depends lacks the font: " + fields["Depends"])
    check(len(fields["Description"].splitlines()) >= 4, "no extended description")

    listing = subprocess.run(["dpkg-deb", "-c", deb], check=True, capture_output=True, text=True).stdout
    files = {line.split()[-1].lstrip(".") for line in listing.splitlines() if not line.startswith("d")}
    expected = {
        "/usr/games/tarvel",
        "/usr/share/applications/%s.desktop" % APP_ID,
        "/usr/share/metainfo/%s.metainfo.xml" % APP_ID,
        "/usr/share/man/man6/tarvel.6.gz",
        "/usr/share/doc/tarvel/copyright",
        "/usr/share/doc/tarvel/changelog.gz",
        "/usr/share/icons/hicolor/scalable/apps/%s.svg" % APP_ID,
    } | {"/usr/share/icons/hicolor/%dx%d/apps/%s.png" % (s, s, APP_ID) for s in ICON_SIZES}
    check(files == expected, "unexpected files %s, missing %s" % (sorted(files - expected), sorted(expected - files)))

    root = extract(deb)
    try:
        entry = desktop_entry(root)
        check(os.path.isfile(os.path.join(root, "usr/games", entry["Exec"].split()[0])),
              "Exec=%s is not the packaged program" % entry["Exec"])
        icons = os.path.join(root, "usr/share/icons/hicolor")
        check(png_size(os.path.join(icons, "48x48/apps", entry["Icon"] + ".png")) == (48, 48),
              "the launcher's icon is not 48x48")
        check(os.path.isfile(os.path.join(icons, "scalable/apps", entry["Icon"] + ".svg")),
              "the launcher's icon has no scalable form")
        for size in ICON_SIZES:
            actual = png_size(os.path.join(icons, "%dx%d/apps/%s.png" % (size, size, APP_ID)))
            check(actual == (size, size), "the %dx%d icon is %dx%d" % (size, size, *actual))

        sections, _ = output("readelf", "-S", "-W", os.path.join(root, "usr/games/tarvel"))
        check(".symtab" not in sections and ".debug_" not in sections, "the program is not stripped")
        header, _ = output("readelf", "-h", os.path.join(root, "usr/games/tarvel"))
        machine = re.search(r"Machine:\s*(.*)", header).group(1).strip()
        check(MACHINES.get(fields["Architecture"]) == machine,
              "Architecture: %s, but the program is for %s" % (fields["Architecture"], machine))

        with open(os.path.join(root, "usr/share/metainfo", APP_ID + ".metainfo.xml"), encoding="utf-8") as f:
            metainfo = f.read()
        check('<release version="%s"' % version in metainfo, "metainfo's release is not " + version)
        man, _ = output("zcat", os.path.join(root, "usr/share/man/man6/tarvel.6.gz"))
        check(re.search(r'^\.TH TARVEL 6 "[0-9-]+" "Tarvel %s"' % re.escape(version), man, re.M),
              "the manual page's version is not " + version)
        changelog, _ = output("zcat", os.path.join(root, "usr/share/doc/tarvel/changelog.gz"))
        check(changelog.startswith("tarvel (%s) " % version), "the changelog's version is not " + version)
        # A software centre starts the application through the desktop entry the metainfo names.
        launchable = re.search(r'<launchable type="desktop-id">([^<]*)</launchable>', metainfo)
        check(launchable and launchable.group(1) == APP_ID + ".desktop",
              "the metainfo launches %s, not %s.desktop" % (launchable and launchable.group(1), APP_ID))

        control = subprocess.run(["dpkg-deb", "-f", deb], check=True, capture_output=True, text=True).stdout
        texts = {"the control file": control, "the metainfo": metainfo, "the manual page": man,
                 "the changelog": changelog}
        for path in ("usr/share/doc/tarvel/copyright", "usr/share/applications/%s.desktop" % APP_ID):
            with open(os.path.join(root, path), encoding="utf-8") as f:
                texts["/" + path] = f.read()
        check_addresses(texts, project)

        # The copyright file carries LICENSE, its holder and its text, in Debian's layout.
        with open(LICENSE, encoding="ascii") as f:
            holder, text = re.fullmatch(r"MIT License\n\nCopyright \(c\) (.+?)\n\n(.*?)\n*", f.read(), re.S).groups()
        copyright = texts["/usr/share/doc/tarvel/copyright"]
        check(re.search(r"^Files: \*\nCopyright: %s\nLicense: MIT\n" % re.escape(holder), copyright, re.M),
              "the copyright file's holder is not LICENSE's %s" % holder)
        layout = "\n".join(" " + line if line else " ." for line in text.split("\n"))
        check(copyright.endswith("\n\nLicense: MIT\n%s\n" % layout), "the copyright file's licence is not LICENSE's text")
    finally:
        shutil.rmtree(root)


def dpkg_status_without_tarvel(directory):
    """The system's dpkg status as it would be without any Tarvel package, in a file of its
    own: apt then answers for the package as on a machine that never had it, whatever a
    player or developer has installed here, and the installed one is left alone."""
    with open("/var/lib/dpkg/status", encoding="utf-8", errors="surrogateescape") as f:
        stanzas = f.read().split("\n\n")
    kept = [s for s in stanzas if not re.match(r"Package: tarvel$", s.strip(), re.M)]
    path = os.path.join(directory, "status")
    with open(path, "w", encoding="utf-8", errors="surrogateescape") as f:
        f.write("\n\n".join(kept))
    return path


def check_apt(deb, version):
    """apt accepts the package and finds every dependency in the system's archive."""
    state = tempfile.mkdtemp(prefix="tarvel-apt-")
    try:
        status = dpkg_status_without_tarvel(state)
        text, code = output("apt-get", "-o", "Dir::State::status=" + status, "install", "-s", "-y",
                            os.path.abspath(deb))
    finally:
        shutil.rmtree(state)
    check(code == 0 and re.search(r"^Inst tarvel \(%s " % re.escape(version), text, re.M),
          "apt-get install -s:\n" + text)


def play(session, command, golden_path, shot_path=None):
    """The program started by COMMAND shows the opening pixel for pixel and answers a click
    with a stone. Returns it, still running. A wrong opening is saved at shot_path."""
    from checks import wait_for
    from picture import read_png
    from tarvel_linux import Tarvel, cell_centre
    from tarvel_screen import CLIENT_H, CLIENT_W, MENU_BAR

    app = Tarvel(session, command)
    try:
        golden = read_png(golden_path)
        seen = {}

        def opening_shown():
            # The first frames may show the background alone (slower under an emulator).
            seen["client"] = app.shot().crop(0, MENU_BAR, CLIENT_W, CLIENT_H)
            seen["differing"] = sum(1 for y in range(CLIENT_H) for x in range(CLIENT_W)
                                    if seen["client"].at(x, y) != golden.at(x, y))
            return seen["differing"] == 0
        try:
            wait_for("the opening", opening_shown, interval=0.2)
        except AssertionError:
            if shot_path:
                seen["client"].write_png(shot_path)
            raise AssertionError("%d pixels of the opening differ%s"
                                 % (seen["differing"], shot_path and ": " + shot_path or "")) from None

        app.click(*cell_centre(2, 3))
        wait_for("the placed stone", lambda: app.shot().at(*cell_centre(2, 3)) == 0x000000)
    except BaseException:
        app.kill()
        raise
    return app


def check_start(deb, version, golden_path):
    """The program from the package alone (not the build tree) shows the opening, answers a
    click, and carries the window class the launcher names, so that docks match them."""
    from xsession import XSession

    root = extract(deb)
    # Started under another file name: SDL would name the window class after the file,
    # so only a class the program sets itself passes.
    program = os.path.join(root, "usr/games/renamed-tarvel")
    shutil.copy2(os.path.join(root, "usr/games/tarvel"), program)
    session = XSession()
    app = None
    try:
        app = play(session, program, golden_path)
        wanted = desktop_entry(root)["StartupWMClass"]
        wm_class = session.property(app.main, "WM_CLASS") or b""
        names = wm_class.decode(errors="replace").rstrip("\0").split("\0")  # instance, then class
        check(wanted in names, "WM_CLASS is %s, the launcher expects %s" % (names, wanted))
    finally:
        if app:
            app.kill()
        session.close()
        shutil.rmtree(root)


def check_installed(deb, version, release, golden_path, workdir):
    """The package installed by apt in a fresh minimal system of RELEASE, every dependency
    from that release's archive (arm64's through multiarch), and the installed program
    playing on this machine's display (arm64's through qemu-user)."""
    from debian_chroot import APT, APT_UPDATE, RELEASES, copy, inside, mounted, remove, this_release
    from xsession import XSession

    arch = control_field(deb, "Architecture")
    here = this_release()
    if arch == subprocess.run(["dpkg", "--print-architecture"], capture_output=True, text=True).stdout.strip() \
            and here in RELEASES and RELEASES.index(here) > RELEASES.index(release):
        # It requires this release's newer libraries: releases are built on the oldest.
        print("SKIPPED: a package built on %s does not install on %s; `make release` on Debian 12 builds one that does"
              % (here, release))
        sys.exit(SKIPPED)

    root = os.path.join(workdir, "%s-%s" % (release, arch))
    if os.path.exists(root + ".png"):
        os.remove(root + ".png")
    copy(release, root)
    try:
        with mounted(root):
            shutil.copyfile(deb, os.path.join(root, "tmp", os.path.basename(deb)))
            if arch == "arm64":
                inside(root, ["dpkg", "--add-architecture", "arm64"])
            inside(root, APT_UPDATE)
            inside(root, APT + ["install", "/tmp/" + os.path.basename(deb)])
            installed = inside(root, ["dpkg-query", "-W", "-f", "${Version} ${Architecture}", "tarvel"])
            check(installed == "%s %s" % (version, arch), "installed tarvel is " + installed)
            program = ["chroot", root, "/usr/games/tarvel"]
            if arch == "arm64":
                # No binfmt_misc here: the emulator runs the program itself, its libraries
                # and loader from the chroot.
                shutil.copy2(shutil.which("qemu-aarch64-static"), os.path.join(root, "usr/bin"))
                program[2:2] = ["/usr/bin/qemu-aarch64-static"]
            session = XSession()
            try:
                play(session, program, golden_path, root + ".png").kill()
            finally:
                session.close()
    finally:
        remove(root)


if __name__ == "__main__":
    sys.path.insert(0, os.path.join(HERE, "..", "support"))
    sys.path.insert(0, os.path.join(HERE, "..", "..", "tools"))
    deb, version, what = sys.argv[1:4]
    if what == "installed" and os.geteuid() != 0:
        os.execvp("sudo", ["sudo", "-E", sys.executable, os.path.abspath(__file__), *sys.argv[1:]])
    checks = {"metadata": check_metadata, "contents": check_contents, "apt": check_apt, "start": check_start,
              "installed": check_installed}
    checks[what](deb, version, *sys.argv[4:])
    print("ok: " + what)
