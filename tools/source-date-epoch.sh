#!/bin/sh
# Prints the time (seconds since 1970, UTC) that every time stamp in a release file is taken
# from, so that one commit gives the same bytes wherever and whenever it is built:
#   1. SOURCE_DATE_EPOCH, when the caller set it;
#   2. in a git checkout, the date of the commit checked out (once git is installed);
#   3. in a tree made by `git archive` (the release's source tarball), the date of the commit
#      it was made from, which git writes into this very file (export-subst, .gitattributes);
#   4. otherwise the release date set in CMakeLists.txt (TARVEL_RELEASE_DATE), at 12:00 UTC.
# The Makefile exports it; CMake reads it at configure time.
set -eu

if [ -n "${SOURCE_DATE_EPOCH:-}" ]; then
  case $SOURCE_DATE_EPOCH in
    *[!0-9]*) echo "source-date-epoch.sh: SOURCE_DATE_EPOCH=$SOURCE_DATE_EPOCH is not a number of seconds" >&2
              exit 1 ;;
  esac
  echo "$SOURCE_DATE_EPOCH"
  exit 0
fi

top=$(cd "$(dirname "$0")/.." && pwd)
# The tree's own .git, not that of a repository the tree happens to lie in. Without git
# (a machine where nothing has installed it yet) the release date below stands in.
if [ -e "$top/.git" ]; then
  if command -v git >/dev/null; then
    exec git -C "$top" log -1 --format=%ct
  fi
  echo "source-date-epoch.sh: git is not installed: the time stamps are the release date, not the commit's" >&2
fi

archived='$Format:%ct$'
case $archived in
  [0-9]*) echo "$archived"; exit 0 ;;
esac

date=$(sed -n 's/^set(TARVEL_RELEASE_DATE \([0-9-]*\))$/\1/p' "$top/CMakeLists.txt")
exec date -u -d "$date 12:00" +%s
