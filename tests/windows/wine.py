"""Running Windows programs under Debian's 64-bit Wine in a prefix of the test's own.

The prefix is made once per test run (wine_prefix.py, a CTest fixture) and reused by the
tests. Every program runs with the ANSI code page 932 (LC_ALL=ja_JP.UTF-8, a locale that
tools/wine/ensure-locale.sh generates), and with Wine's X11 driver told not to rely on a
window manager (Managed=N), since the test displays have none.
"""

import os
import shutil
import subprocess
import tempfile

from checks import TestFailure, end_with_parent

WINE_DIR = os.environ.get("TARVEL_WINE_DIR", "/usr/lib/wine")
WINE = os.path.join(WINE_DIR, "wine64")
WINESERVER = os.path.join(WINE_DIR, "wineserver")


class Prefix:
    def __init__(self, path, display=None):
        self.path = os.path.abspath(path)
        self.display = display

    def env(self, debug="-all"):
        env = dict(os.environ)
        env.update({
            "WINEPREFIX": self.path,
            "WINEARCH": "win64",
            "WINEDEBUG": debug,
            "WINEDLLOVERRIDES": "mscoree,mshtml=;winemenubuilder.exe=d",
            "LC_ALL": "ja_JP.UTF-8",
            "LANG": "ja_JP.UTF-8",
        })
        env.pop("WINELOADER", None)
        if self.display:
            env["DISPLAY"] = self.display
        else:
            env.pop("DISPLAY", None)
        return env

    def run(self, *args, timeout=120):
        result = subprocess.run([WINE, *args], env=self.env(), stdout=subprocess.PIPE,
                                stderr=subprocess.STDOUT, timeout=timeout)
        if result.returncode != 0:
            raise TestFailure(f"wine64 {' '.join(args)} failed ({result.returncode}):\n"
                              + result.stdout.decode("utf-8", "replace"))
        return result

    def create(self):
        """A fresh prefix, ready for the tests."""
        if not os.path.exists(WINE):
            raise TestFailure(f"{WINE} is missing (package wine64)")
        if os.path.isdir(self.path):
            self.kill_server()  # a server left over from an earlier run on this prefix
        shutil.rmtree(self.path, ignore_errors=True)
        os.makedirs(os.path.dirname(self.path), exist_ok=True)
        self.run("wineboot", "--init", timeout=300)
        # wineboot returns while the server may still be writing the new prefix's registry;
        # a reg started then failed now and again on a busy machine.
        self.wait_server()
        # Without a window manager, Wine waits for one whenever a managed window closes.
        for attempt in range(3):
            try:
                self.run("reg", "add", r"HKCU\Software\Wine\X11 Driver", "/v", "Managed", "/d", "N", "/f")
                break
            except TestFailure:
                if attempt == 2:
                    raise
                self.wait_server()
        self.wait_server()

    def check(self):
        if not os.path.isfile(os.path.join(self.path, "system.reg")):
            raise TestFailure(f"no Wine prefix at {self.path}: the fixture that makes it did not run")

    def start_server(self):
        # Kept across the programs of one test; gone 30 s after the last one even if the
        # test never gets to kill it.
        subprocess.run([WINESERVER, "-p30"], env=self.env(), check=True, timeout=60)

    def wait_server(self):
        subprocess.run([WINESERVER, "-w"], env=self.env(), timeout=120)

    def kill_server(self):
        subprocess.run([WINESERVER, "-k"], env=self.env(), timeout=60,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.wait_server()

    def run_to_end(self, exe, timeout=60):
        """Runs a Windows console program to its end; returns its exit code and output. The
        output goes through a file: Wine's helper processes inherit a pipe and keep it open."""
        with tempfile.TemporaryFile() as output:
            process = subprocess.Popen([WINE, exe], env=self.env(), cwd=os.path.dirname(exe), stdout=output,
                                       stderr=subprocess.STDOUT, preexec_fn=end_with_parent)
            try:
                code = process.wait(timeout)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()
                raise TestFailure(f"{exe} did not end within {timeout} s") from None
            output.seek(0)
            return code, output.read().decode("cp932", "replace")

    def start(self, exe, debug="-all", log=None):
        """Starts a Windows program; returns its Popen (the exit code passes through)."""
        return subprocess.Popen([WINE, exe], env=self.env(debug), cwd=os.path.dirname(exe),
                                stdout=log or subprocess.DEVNULL, stderr=log or subprocess.DEVNULL,
                                preexec_fn=end_with_parent)
