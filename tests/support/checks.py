"""How the Python tests fail and wait: TestFailure, expect, wait_for with a deadline, and
child processes that end with the test.

Everything waits on what happens (a window appears, pixels change, a process ends) with a
deadline, never on a fixed pause: the machine the tests run on may be shared and busy.
"""
import ctypes
import subprocess
import time

DEADLINE = 30.0


class TestFailure(AssertionError):
    pass


def expect(condition, message):
    if not condition:
        raise TestFailure(message)


def verdict(body, failures=(TestFailure,)):
    """Runs a test script's body and prints its verdict: PASS and 0, or FAIL with the
    reason and 1, for sys.exit. Other exceptions go through, with their traceback."""
    try:
        body()
    except failures as failure:
        print(f"FAIL: {failure}")
        return 1
    print("PASS")
    return 0


def wait_for(what, condition, timeout=DEADLINE, interval=0.02):
    """Polls condition() until it returns something true, which is returned; fails with
    `what` once the time limit (in seconds) is up."""
    end = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > end:
            raise TestFailure(f"timed out after {timeout} s waiting for {what}")
        time.sleep(interval)


def end_with_parent():
    """For subprocess's preexec_fn: the child gets SIGTERM when the test process goes away
    (a test killed at its time limit leaves no X server or program behind)."""
    libc = ctypes.CDLL(None, use_errno=True)
    libc.prctl(1, 15, 0, 0, 0)  # PR_SET_PDEATHSIG, SIGTERM


def stop(process, grace=10):
    """Ends a child process with SIGTERM, and with SIGKILL if it is still there after
    grace seconds."""
    if process.poll() is None:
        process.terminate()
        try:
            process.wait(grace)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()
