#!/usr/bin/env bash
# Makes the ja_JP.UTF-8 locale available (Wine takes its ANSI code page, 932, from it):
# enables it in /etc/locale.gen and runs locale-gen, only when it is missing.
set -euo pipefail

if locale -a 2>/dev/null | grep -qix 'ja_JP\.utf-\?8'; then
  exit 0
fi
if [ "$(id -u)" -eq 0 ]; then sudo=(); else sudo=(sudo); fi
if ! command -v locale-gen >/dev/null; then
  echo "ensure-locale: locale-gen is missing (package locales)" >&2
  exit 1
fi
if grep -q '^[#[:space:]]*ja_JP\.UTF-8 UTF-8' /etc/locale.gen; then
  "${sudo[@]}" sed -i 's/^[#[:space:]]*\(ja_JP\.UTF-8 UTF-8\)/\1/' /etc/locale.gen
else
  echo 'ja_JP.UTF-8 UTF-8' | "${sudo[@]}" tee -a /etc/locale.gen >/dev/null
fi
"${sudo[@]}" locale-gen >/dev/null
locale -a 2>/dev/null | grep -qix 'ja_JP\.utf-\?8' || { echo "ensure-locale: ja_JP.UTF-8 still missing" >&2; exit 1; }
