"""The Linux program left open and idle on a desktop (Xvfb with openbox): the screen saver
starts as it would without it, and it costs no processor time and no wake-ups.

Usage: idle_e2e.py BINARY screen_saver|idle_cost
"""
import ctypes
import glob
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from checks import wait_for
from tarvel_linux import Tarvel
from xsession import XSession

# How long the idle program is watched, and what it may spend in that time. A message loop
# that waits on the X connection spent 0 ticks and 0 context switches here; one that polls
# every 100 ms made about 50 switches in 5 s, every 10 ms about 500 switches and 3 ticks.
# A busy machine does not wake a sleeping process, so the bounds hold there too.
IDLE_SECONDS = 5
MOST_SWITCHES = 10
MOST_CPU_SECONDS = 0.05

SCREEN_SAVER_ON = 1  # XScreenSaverInfo.state: ScreenSaverOff 0, On 1, Disabled 3


def check(condition, message):
    if not condition:
        raise AssertionError(message)


class _XScreenSaverInfo(ctypes.Structure):
    _fields_ = [("window", ctypes.c_ulong), ("state", ctypes.c_int), ("kind", ctypes.c_int),
                ("til_or_since", ctypes.c_ulong), ("idle", ctypes.c_ulong), ("event_mask", ctypes.c_ulong)]


def screen_saver(session):
    """(state, milliseconds since the last input) of the X screen saver, from libXss."""
    xss = ctypes.CDLL("libXss.so.1")
    xss.XScreenSaverQueryInfo.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(_XScreenSaverInfo)]
    info = _XScreenSaverInfo()
    check(xss.XScreenSaverQueryInfo(session.dpy, session.root, ctypes.byref(info)),
          "the X server has no screen saver extension")
    return info.state, info.idle


def scenario_screen_saver(session, app):
    """With the saver's time set to 2 s once the game is open, the saver comes on while the
    game stays open and idle: the game neither suspends it nor resets it."""
    subprocess.run(["xset", "s", "2", "2"], env=session.env, check=True)
    try:
        wait_for("the screen saver to start", lambda: screen_saver(session)[0] == SCREEN_SAVER_ON)
    except AssertionError as failure:
        state, idle = screen_saver(session)
        raise AssertionError("%s: state %d, %d ms since the last input" % (failure, state, idle)) from None
    check(app.process.poll() is None, "the program ended")


def counters(pid):
    """(processor time in seconds, context switches) of a process, all its threads together."""
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    seconds = (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")  # utime, stime
    switches = 0
    for status in glob.glob("/proc/%d/task/*/status" % pid):
        with open(status) as f:
            switches += sum(int(line.split()[1]) for line in f
                            if line.startswith(("voluntary_ctxt_switches", "nonvoluntary_ctxt_switches")))
    return seconds, switches


def scenario_idle_cost(session, app):
    """After the opening is drawn, the idle program sleeps until something happens."""
    cpu, switches = counters(app.process.pid)
    time.sleep(IDLE_SECONDS)  # the span measured, not a wait for something
    cpu_after, switches_after = counters(app.process.pid)
    spent, woken = cpu_after - cpu, switches_after - switches
    print("idle for %d s: %.2f s of processor time, %d context switches" % (IDLE_SECONDS, spent, woken))
    check(woken <= MOST_SWITCHES and spent <= MOST_CPU_SECONDS,
          "the idle program woke %d times and used %.2f s in %d s (at most %d and %.2f s): does its message "
          "loop poll?" % (woken, spent, IDLE_SECONDS, MOST_SWITCHES, MOST_CPU_SECONDS))
    check(app.process.poll() is None, "the program ended")


if __name__ == "__main__":
    binary, name = sys.argv[1:3]
    session = XSession()
    app = None
    try:
        app = Tarvel(session, binary)
        globals()["scenario_" + name](session, app)
        print("ok:", name)
    finally:
        if app:
            app.kill()
        session.close()
