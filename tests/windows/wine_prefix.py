#!/usr/bin/env python3
"""The Wine prefix of a test run: made once, fresh, before the Wine tests (a CTest fixture
set-up), and its wineserver stopped after them.

Usage: wine_prefix.py create PREFIX | wine_prefix.py stop PREFIX
"""

import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from wine import Prefix
from checks import TestFailure

HERE = os.path.dirname(os.path.abspath(__file__))
ENSURE_LOCALE = os.path.join(HERE, "..", "..", "tools", "wine", "ensure-locale.sh")


def main():
    if len(sys.argv) != 3 or sys.argv[1] not in ("create", "stop"):
        sys.exit(__doc__)
    prefix = Prefix(sys.argv[2])
    try:
        if sys.argv[1] == "create":
            # Wine's ANSI code page follows the locale: 932 needs ja_JP.UTF-8.
            subprocess.run([ENSURE_LOCALE], check=True)
            started = time.monotonic()
            prefix.create()
            print(f"Wine prefix {prefix.path} ready in {time.monotonic() - started:.1f} s")
        else:
            if os.path.isdir(prefix.path):
                prefix.kill_server()
    except (TestFailure, subprocess.CalledProcessError, subprocess.TimeoutExpired) as failure:
        print(f"FAIL: {failure}")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
